// The four height bands of the terrain (water, grass, dirt, snow): the colour of a height and
// the texture name of its band.
#pragma once

// The band colour for height z (water, grass, dirt, snow with exact bounds).
const float* bandColour(float z);

// The four band texture names. A cell copies the name of its centre's band each time one of
// its vertices is written, so the names exist before the first cell does.
struct BandTextures {
    unsigned int water = 0, grass = 0, dirt = 0, snow = 0;
};

// The name in `names` of the band of height z.
unsigned int bandTexture(const BandTextures& names, float z);
