#pragma once
// PNG pictures in and out (libpng). Pixels are 8-bit RGBA, top row first.
#include <vector>

struct PlatformImage
{
	int width = 0;
	int height = 0;
	std::vector<unsigned char> rgba;
};

// Pictures larger than this on either side are refused before any pixel memory is taken.
const int PLATFORM_IMAGE_MAX_SIDE = 8192;

// False on any failure (missing, truncated, not a PNG, too large); prints nothing.
bool PlatformImageLoadPNG(const char* path, PlatformImage* out);
// Writes 8-bit RGBA pixels, top row first. False on failure.
bool PlatformImageSavePNG(const char* path, const unsigned char* rgba, int width, int height);
