#pragma once
// System font bitmaps (fontconfig + FreeType): a face name resolved with its bold and
// italic flags, rendered as 1-bit glyphs for the printable ASCII codes.
#include <vector>

const int PLATFORM_FONT_FIRST_CHAR = 32;
const int PLATFORM_FONT_CHAR_COUNT = 96;   // codes 32 to 127

struct PlatformGlyph
{
	int width = 0;          // bitmap size in pixels
	int height = 0;
	int left = 0;           // pen origin to the bitmap's left edge
	int top = 0;            // baseline to the bitmap's top row (up is positive)
	int advance = 0;        // pen movement in pixels
	int pitch = 0;          // bytes per row
	// 1 bit per pixel, most significant bit first, rows bottom-up (glBitmap's order).
	std::vector<unsigned char> bits;
};

// Renders codes 32..127 at the given pixel height. False when no font can be found or
// opened (glyphs are then left empty); prints nothing.
bool PlatformFontRender(const char* faceName, int pixelHeight, bool bold, bool italic,
                        PlatformGlyph glyphs[PLATFORM_FONT_CHAR_COUNT]);
