// Reading and printing the numbers of the model files the same way on every system: the
// scanf and printf of glibc and those of MinGW-w64 part in a few corners, and the game keeps
// glibc's results everywhere.
#pragma once

#include <cstdio>

namespace platform {

// Reads one integer as glibc's "%d" does: white space skipped, the digits taken as a 64-bit
// number and cut to int. MinGW-w64's "%d" stops at INT_MAX or INT_MIN instead, so that a
// count of 4294967297 would read as 2147483647 there rather than 1.
bool scanInt(std::FILE* in, int& value);

// Reads one float as glibc's "%f" does, stopping where it stops. After a hex float with no
// digit in front of its exponent MinGW-w64 reads on: it takes all of "0x.p1" and "0xp1" as 0,
// where glibc takes "0x." and refuses "0xp1".
bool scanFloat(std::FILE* in, float& value);

// A float as glibc's "%f" writes it, in a buffer large enough for any float.
struct FixedText {
    char text[64];
};
// MinGW-w64 writes a NaN with its sign bit set as "nan", glibc as "-nan": this writes "-nan".
FixedText fixed(float value);

} // namespace platform
