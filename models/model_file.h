// The model file's reading rule, which the game's mesh store and the world checker share: a
// face count, then for each face its colour, its corner count and its corners, every number
// read with formatted input (glibc's, on every system) and handed over with where it stood.
#pragma once

#include "platform/numbers.h"

#include <cstdio>
#include <type_traits>

// Which number of the file a read is.
enum class ModelNumber { FaceCount, Red, Green, Blue, CornerCount, X, Y, Z };

// One number as the rule read it.
struct ModelNumberRead {
    ModelNumber what;
    int face;         // from 0; -1 for the face count
    int corner;       // from 0; -1 for the face count and a face's colour and corner count
    long long before; // stream offsets around the conversion (white space in front included)
    long long after;
    bool converted; // false when the bytes there are no such number or the file ended: the end
    double value;   // what it read, when converted; 0 when not
};

// Reads one number of the model, an int or a float, into `value`; formatted input skips the
// white space in front of it.
template <typename T>
ModelNumberRead readModelNumber(std::FILE* in, T& value, ModelNumber what, int face, int corner)
{
    const long long before = std::ftell(in);
    bool converted;
    if constexpr (std::is_same_v<T, int>)
        converted = platform::scanInt(in, value);
    else
        converted = platform::scanFloat(in, value);
    const double read = converted ? static_cast<double>(value) : 0.0;
    return {what, face, corner, before, std::ftell(in), converted, read};
}

// Reads a model from `in` and hands `to` each part, in file order:
//   to.faceCount(count, read)              the face count; 0 when it does not convert
//   to.colour(face, rgb, reads)            a face's colour, its three numbers converted
//   to.cornerCount(face, count, read)      a face's corner count: the face exists from here on
//   to.corner(face, corner, xyz, reads)    one corner, its three numbers converted
//   to.faceEnd(face)                       every corner the face's count names was read
//   to.stopped(read)                       a number after the face count did not convert:
//                                          reading ends there
// Nothing after the last corner of the last face the count names is read.
template <typename Receiver> void readModel(std::FILE* in, Receiver& to)
{
    int faces = 0;
    const ModelNumberRead count = readModelNumber(in, faces, ModelNumber::FaceCount, -1, -1);
    if (!count.converted) faces = 0;
    to.faceCount(faces, count);
    const ModelNumber colourParts[3] = {ModelNumber::Red, ModelNumber::Green, ModelNumber::Blue};
    const ModelNumber axes[3] = {ModelNumber::X, ModelNumber::Y, ModelNumber::Z};
    ModelNumberRead reads[3];
    for (int f = 0; f < faces; ++f) {
        float colour[3];
        for (int k = 0; k < 3; ++k) {
            reads[k] = readModelNumber(in, colour[k], colourParts[k], f, -1);
            if (!reads[k].converted) return to.stopped(reads[k]);
        }
        to.colour(f, colour, reads);
        int corners;
        const ModelNumberRead cornerCount =
            readModelNumber(in, corners, ModelNumber::CornerCount, f, -1);
        if (!cornerCount.converted) return to.stopped(cornerCount);
        to.cornerCount(f, corners, cornerCount);
        for (int v = 0; v < corners; ++v) {
            float p[3];
            for (int k = 0; k < 3; ++k) {
                reads[k] = readModelNumber(in, p[k], axes[k], f, v);
                if (!reads[k].converted) return to.stopped(reads[k]);
            }
            to.corner(f, v, p, reads);
        }
        to.faceEnd(f);
    }
}
