// Stroke-font text in the current 2-D coordinates.
#pragma once

// Mode 0 lays the characters out left to right; mode 1 stacks them in a column; other
// modes and a null text draw nothing. Needs a current GL context.
void drawText(float x, float y, float scale, const char* text, int mode);
