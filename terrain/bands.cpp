// The four height bands: the colour and the texture of a height.
#include "terrain/bands.h"

namespace {

const float waterColour[3] = {0.0f, 0.5f, 1.0f};
const float grassColour[3] = {0.0f, 1.0f, 0.0f};
const float dirtColour[3] = {0.4f, 0.25f, 0.0f};
const float snowColour[3] = {1.0f, 1.0f, 1.0f};

// The band index of a height: 0 water, 1 grass, 2 dirt, 3 snow.
int band(float z)
{
    if (z < 5.0f) return 0;
    if (z <= 27.5f) return 1;
    if (z <= 42.5f) return 2;
    return 3;
}

} // namespace

const float* bandColour(float z)
{
    static const float* const colours[4] = {waterColour, grassColour, dirtColour, snowColour};
    return colours[band(z)];
}

unsigned int bandTexture(const BandTextures& names, float z)
{
    switch (band(z)) {
    case 0: return names.water;
    case 1: return names.grass;
    case 2: return names.dirt;
    default: return names.snow;
    }
}
