// Number text, HUD lines, fog range and marker angle: arithmetic only, no GL.
#include "app/hud.h"

#include <cmath>
#include <cstring>

int intToText(int32_t value, char* out)
{
    // The magnitude is taken unsigned so that the most negative value has one too.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : value;
    int length = value < 0 ? 1 : 0;
    uint32_t rest = magnitude;
    do {
        ++length;
        rest /= 10;
    } while (rest != 0);
    out[length] = '\0';
    int pos = length;
    do {
        out[--pos] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) out[0] = '-';
    return length;
}

namespace {

// Appends text at `used`, never past the buffer's last character; returns the new length.
int append(char* line, int size, int used, const char* text)
{
    const int room = size - 1 - used;
    int n = static_cast<int>(std::strlen(text));
    if (n > room) n = room;
    std::memcpy(line + used, text, n);
    line[used + n] = '\0';
    return used + n;
}

int appendNumber(char* line, int size, int used, int32_t value)
{
    char digits[12];
    intToText(value, digits);
    return append(line, size, used, digits);
}

// Truncation towards zero that stays defined for any float.
int32_t truncated(float v)
{
    if (!(v > -2147483648.0f)) return INT32_MIN;
    if (!(v < 2147483648.0f)) return INT32_MAX;
    return static_cast<int32_t>(v);
}

} // namespace

void buildPositionLine(char (&line)[positionLineSize], float x, float y, float z)
{
    int used = append(line, positionLineSize, 0, "Position: ");
    used = appendNumber(line, positionLineSize, used, truncated(x));
    used = append(line, positionLineSize, used, ", ");
    used = appendNumber(line, positionLineSize, used, truncated(y));
    used = append(line, positionLineSize, used, ", ");
    appendNumber(line, positionLineSize, used, truncated(z));
}

void buildSavedLine(char (&line)[savedLineSize], int32_t savedCount)
{
    const int used = append(line, savedLineSize, 0, "People Saved: ");
    appendNumber(line, savedLineSize, used, savedCount);
}

void fogRange(bool overhead, float overheadHeight, float playerZ, int& start, int& end)
{
    if (overhead) {
        start = truncated(overheadHeight + playerZ - 5.0f);
        end = truncated(overheadHeight + playerZ + 15.0f);
    } else if (playerZ < 30.0f) {
        start = 65;
        end = 80;
    } else {
        start = truncated(static_cast<float>(playerZ * 1.6));
        end = 95;
    }
}

float markerAngleFor(float hx, float hy)
{
    const double pi = std::acos(-1.0);
    // For hy = 0 the quotient is infinite and atan gives +-90 degrees.
    const double degrees = std::atan(static_cast<double>(hx) / hy) * 180.0 / pi;
    return static_cast<float>(hy < 0 ? 180.0 - degrees : -degrees);
}
