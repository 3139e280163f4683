#include "Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cstring>
#include <string>

namespace
{
// Face name and style to a font file and face index through fontconfig's matching, so
// aliases such as "Courier New" land on their metric-compatible stand-ins.
struct FontMatch
{
	std::string file;
	int         index = 0;
	bool        embolden = false;   // the family has no bold face: thicken the outlines
	bool        oblique = false;    // no italic face: slant them
};

bool Resolve(const char* faceName, bool bold, bool italic, FontMatch* found)
{
	if (!FcInit())
		return false;
	FcPattern* pattern = FcPatternCreate();
	if (!pattern)
		return false;
	FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)(faceName ? faceName : ""));
	FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
	FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
	FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
	FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
	FcDefaultSubstitute(pattern);

	FcResult result = FcResultNoMatch;
	FcPattern* match = FcFontMatch(nullptr, pattern, &result);
	FcPatternDestroy(pattern);
	if (!match)
		return false;

	FcChar8* path = nullptr;
	bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
	if (ok)
	{
		found->file = (const char*)path;
		FcPatternGetInteger(match, FC_INDEX, 0, &found->index);
		FcBool embolden = FcFalse;
		FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
		found->embolden = embolden == FcTrue;
		int slant = FC_SLANT_ROMAN;
		FcPatternGetInteger(match, FC_SLANT, 0, &slant);
		found->oblique = italic && slant == FC_SLANT_ROMAN;
	}
	FcPatternDestroy(match);
	return ok;
}

void CopyGlyph(FT_GlyphSlot slot, PlatformGlyph* glyph)
{
	const FT_Bitmap& bitmap = slot->bitmap;
	glyph->advance = (int)(slot->advance.x >> 6);
	glyph->left = slot->bitmap_left;
	glyph->top = slot->bitmap_top;
	if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.width == 0 || bitmap.rows == 0)
		return;

	glyph->width = (int)bitmap.width;
	glyph->height = (int)bitmap.rows;
	glyph->pitch = (glyph->width + 7) / 8;
	glyph->bits.assign((size_t)glyph->pitch * glyph->height, 0);
	const int srcPitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
	for (int row = 0; row < glyph->height; ++row)
	{
		// FreeType's positive pitch means top row first; glBitmap wants the bottom row first.
		const int srcRow = bitmap.pitch >= 0 ? row : glyph->height - 1 - row;
		std::memcpy(&glyph->bits[(size_t)(glyph->height - 1 - row) * glyph->pitch],
		            bitmap.buffer + (size_t)srcRow * srcPitch, (size_t)glyph->pitch);
	}
}
} // namespace

bool PlatformFontRender(const char* faceName, int pixelHeight, bool bold, bool italic,
                        PlatformGlyph glyphs[PLATFORM_FONT_CHAR_COUNT])
{
	for (int i = 0; i < PLATFORM_FONT_CHAR_COUNT; ++i)
		glyphs[i] = PlatformGlyph();
	if (pixelHeight <= 0)
		return false;

	FontMatch match;
	if (!Resolve(faceName, bold, italic, &match))
		return false;

	FT_Library library = nullptr;
	if (FT_Init_FreeType(&library))
		return false;
	FT_Face face = nullptr;
	bool ok = FT_New_Face(library, match.file.c_str(), match.index, &face) == 0 &&
	          FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixelHeight) == 0;
	if (ok)
	{
		for (int i = 0; i < PLATFORM_FONT_CHAR_COUNT; ++i)
		{
			FT_GlyphSlot slot = face->glyph;
			if (FT_Load_Char(face, (FT_ULong)(PLATFORM_FONT_FIRST_CHAR + i), FT_LOAD_TARGET_MONO) != 0)
				continue;
			if (slot->format == FT_GLYPH_FORMAT_OUTLINE)
			{
				if (match.oblique)
					FT_GlyphSlot_Oblique(slot);
				if (match.embolden)
					FT_GlyphSlot_Embolden(slot);
			}
			if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0)
				CopyGlyph(slot, &glyphs[i]);
		}
	}
	if (face)
		FT_Done_Face(face);
	FT_Done_FreeType(library);
	return ok;
}
