// The model files' numbers read and printed with glibc's results on every system.
#include "platform/numbers.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace platform {

bool scanInt(std::FILE* in, int& value)
{
    long long wide = 0;
    if (std::fscanf(in, "%lld", &wide) != 1) return false;
    value = static_cast<int>(wide);
    return true;
}

namespace {

// The offset of the exponent's 'p' when the bytes from `from` to `to` (what one "%f" took,
// white space in front included) are a hex float with no digit in front of its exponent, such
// as "0x.p1" or "0xp1", else -1; `dotted` tells whether a '.' stands before the 'p'.
long digitlessExponent(std::FILE* in, long from, long to, bool& dotted)
{
    if (std::fseek(in, from, SEEK_SET) != 0) return -1;
    long at = from;
    auto next = [&]() { return at++ < to ? std::fgetc(in) : EOF; };
    int c = next();
    while (c != EOF && std::isspace(c)) c = next();
    if (c == '+' || c == '-') c = next();
    if (c != '0') return -1;
    c = next();
    if (c != 'x' && c != 'X') return -1;
    c = next();
    dotted = c == '.';
    if (dotted) c = next();
    return c == 'p' || c == 'P' ? at - 1 : -1;
}

} // namespace

bool scanFloat(std::FILE* in, float& value)
{
    const long before = std::ftell(in);
    const float unread = value;
    if (std::fscanf(in, "%f", &value) != 1) return false;
    // MinGW-w64 reads on past glibc after a hex float with no digit in front of its exponent:
    // glibc takes "0x." and stops in front of the 'p' ("0x.p1" reads as 0, and "p1" is the
    // next token), and refuses "0xp1" after its "0x". Such a token reads as zero, so only a
    // zero is looked at again; a stream that cannot tell its place (a pipe) is taken as read.
    const long after = value == 0 && before >= 0 ? std::ftell(in) : -1;
    if (after < 0) return true;
    bool dotted = false;
    const long exponent = digitlessExponent(in, before, after, dotted);
    std::fseek(in, exponent >= 0 ? exponent : after, SEEK_SET);
    if (exponent < 0 || dotted) return true;
    value = unread; // a refused conversion stores nothing
    return false;
}

FixedText fixed(float value)
{
    FixedText out;
    if (std::isnan(value))
        std::strcpy(out.text, std::signbit(value) ? "-nan" : "nan");
    else
        std::snprintf(out.text, sizeof out.text, "%f", static_cast<double>(value));
    return out;
}

} // namespace platform
