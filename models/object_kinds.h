// The kinds of object that the object map places, in one table: the letter that places each,
// the model its instances draw, whether it is solid, and its mark in the world picture. The
// object map, the world load, the world checker, the picture and the generator all read it,
// so that a new kind is one row here and its model file.
#pragma once

#include "terrain/world_source.h"

#include <cstdint>

struct ObjectKind {
    char letter;       // the capital that places one; the object map reads its lower case alike
    const char* name;  // as messages name one: "cube"
    WorldFile model;   // the model file its instances draw
    bool solid;        // flattens its cell, walls its sides and blocks the player; else passable
    char symbol;       // its mark in the world picture: '#' a square, '^' a triangle, 'o' a disc
    uint8_t colour[3]; // the colour of that mark, none of them a band colour lit or shaded
};

// Cubes, pyramids and trees, in the order their models load.
inline constexpr ObjectKind objectKinds[] = {
    {'C', "cube", WorldFile::Cube, true, '#', {255, 215, 0}},       // yellow
    {'A', "pyramid", WorldFile::Pyramid, true, '^', {255, 110, 0}}, // orange
    {'T', "tree", WorldFile::Tree, false, 'o', {165, 80, 255}},     // violet
};
inline constexpr int objectKindCount = sizeof objectKinds / sizeof objectKinds[0];

// The letter that marks the player's start cell (its lower case alike); it places no object.
inline constexpr char startLetter = 'X';

// Whether byte c of the object map is the capital `letter` or its lower case.
constexpr bool spells(int c, char letter)
{
    return c == letter || c == letter + ('a' - 'A');
}

// The kind that byte c of the object map places, as an index into objectKinds; -1 for none.
constexpr int objectKindOf(int c)
{
    for (int kind = 0; kind < objectKindCount; ++kind)
        if (spells(c, objectKinds[kind].letter)) return kind;
    return -1;
}

// Whether byte c of the object map marks the start cell.
constexpr bool isStartByte(int c)
{
    return spells(c, startLetter);
}

// The kind whose instances draw the model file `model`, as an index into objectKinds; -1 for
// a file no kind draws (the person's, a texture's).
constexpr int objectKindWith(WorldFile model)
{
    for (int kind = 0; kind < objectKindCount; ++kind)
        if (objectKinds[kind].model == model) return kind;
    return -1;
}
