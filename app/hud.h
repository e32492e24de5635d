// Pure helpers of the frame display: number text, HUD lines, fog range and marker angle.
#pragma once

#include <cstdint>

// Writes the decimal text of value (with a minus sign when negative) and a terminating zero
// into out, which must hold 12 characters; returns the number of characters written.
int intToText(int32_t value, char* out);

// The HUD lines, built in their fixed buffers: 80 characters for the position line and 30
// for the saved line, terminating zero included. Numbers truncate towards zero.
constexpr int positionLineSize = 80;
constexpr int savedLineSize = 30;
void buildPositionLine(char (&line)[positionLineSize], float x, float y, float z);
void buildSavedLine(char (&line)[savedLineSize], int32_t savedCount);

// The fog start and end (truncated to integers) for the camera in use.
void fogRange(bool overhead, float overheadHeight, float playerZ, int& start, int& end);

// Degrees about +z that turn the +y axis onto the heading (hx, hy).
float markerAngleFor(float hx, float hy);
