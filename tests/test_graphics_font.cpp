// Bitmap fonts: face resolution, printed pixels and colour, visibility bounds, state
// restored afterwards, unsafe text handled as plain data.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "Font.h"
#include "GfxTestUtil.h"
#include "KEGraphics.h"

#include <string>
#include <vector>

using Floats = std::vector<float>;

namespace
{
const UiColor kWhite{255, 255, 255};

// Printing resets the world matrix; an early return leaves it alone.
bool Printed(unsigned int font, const char* text, int x, int y)
{
	KEGfxSetPosition(5, 5);
	KEGfxPrint(font, text, x, y, 0, 0, 0);
	return GfxUniform("uWorldMatrix", 16)[12] == 0.0f;
}

// Inked (non-white) pixels of a text printed alone in a frame, as a bitmap of the band
// around the baseline at world y = 0.
std::vector<bool> Ink(unsigned int font, const std::string& text, int x)
{
	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxPrint(font, text.c_str(), x, 0, 0, 0, 0);
	std::vector<unsigned char> px = GfxReadPixels(0, 280, 800, 40);
	KEGfxEnd();
	std::vector<bool> ink;
	for (size_t i = 0; i < px.size(); i += 4)
		ink.push_back(px[i] != 255 || px[i + 1] != 255 || px[i + 2] != 255);
	return ink;
}

int Count(const std::vector<bool>& ink)
{
	int n = 0;
	for (bool b : ink)
		n += b;
	return n;
}
} // namespace

TEST(GraphicsFont, FaceNamesResolveThroughFontconfig)
{
	EXPECT_NE(PlatformFontResolve("Courier New", true, true).find("LiberationMono-BoldItalic"), std::string::npos);
	EXPECT_NE(PlatformFontResolve("Courier New", false, false).find("LiberationMono-Regular"), std::string::npos);

	std::vector<PlatformGlyph> glyphs(PLATFORM_FONT_CHAR_COUNT);
	ASSERT_TRUE(PlatformFontRender("Courier New", 24, false, false, glyphs.data()));
	const PlatformGlyph& m = glyphs['M' - 32];
	EXPECT_GE(m.height, 14);
	EXPECT_LE(m.height, 24);
	EXPECT_EQ(m.bits.size(), (size_t)(m.pitch * m.height));
	EXPECT_EQ(m.advance, glyphs['i' - 32].advance);   // monospaced
	EXPECT_FALSE(PlatformFontRender("Courier New", 0, false, false, glyphs.data()));
	EXPECT_EQ(glyphs['M' - 32].width, 0);
}

TEST(GraphicsFont, PrintedTextTakesTheRequestedColour)
{
	ASSERT_TRUE(GfxStartEngine());
	unsigned int font = KEGfxCreateFont("Courier New", 24, true, false);
	EXPECT_TRUE(glIsList(font) && glIsList(font + 95));

	struct Case
	{
		unsigned int blend;
		float tintR;
		UiColor want;
	} cases[] = {{KE_BLEND_MODE_NONE, 1, {255, 0, 0}}, {KE_BLEND_MODE_BLEND, 1, {255, 0, 0}},
	             {KE_BLEND_MODE_NONE, 0.5f, {128, 0, 0}}};   // the tint still applies
	for (const Case& c : cases)
	{
		GfxBeginFrame(KE_RENDER_MODE_COLOR);
		KEGfxSetBlendMode(c.blend);
		KEGfxSetTintColor(c.tintR, 1, 1, 1);
		KEGfxPrint(font, "HELLO", 0, 0, 1.0f, 0.0f, 0.0f);   // baseline origin at the centre
		const int inked = GfxCountPixelsNot(400, 300, 80, 24, kWhite);
		EXPECT_GT(inked, 100);
		EXPECT_EQ(GfxCountPixelsNot(400, 300, 80, 24, c.want, 1), 80 * 24 - inked);
		// Nothing below the baseline or left of the origin (HELLO has no descenders).
		EXPECT_EQ(GfxCountPixelsNot(380, 280, 100, 20, kWhite) + GfxCountPixelsNot(380, 300, 20, 24, kWhite), 0);
		KEGfxEnd();
	}
	KEGfxDestroyFont(font);
	EXPECT_FALSE(glIsList(font));
}

TEST(GraphicsFont, VisibilityBounds)
{
	ASSERT_TRUE(GfxStartEngine());
	unsigned int font = KEGfxCreateFont("Courier New", 24, false, false);
	// 255 underscores of 14 pixels reach into the window from one window to its left.
	const std::string bar(255, '_');
	EXPECT_GT(Count(Ink(font, bar, -1199)), 100);
	EXPECT_EQ(Count(Ink(font, bar, -1200)), 0);

	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	// An underscore starts at the pen: at x = 399 it shows in the last column.
	EXPECT_TRUE(Printed(font, "_", 399, 0));
	EXPECT_GT(GfxCountPixelsNot(799, 290, 1, 20, kWhite), 0);
	EXPECT_FALSE(Printed(font, "_", 400, 0));
	// At the top it lies two rows under a baseline on the top row.
	EXPECT_TRUE(Printed(font, "_", 0, 299));
	EXPECT_GT(GfxCountPixelsNot(400, 590, 20, 10, kWhite), 0);
	EXPECT_FALSE(Printed(font, "_", 0, 300));
	EXPECT_TRUE(Printed(font, "_", 0, -899));   // one window below the screen
	EXPECT_FALSE(Printed(font, "_", 0, -900));
	KEGfxSetCamPosition(100, 50);   // the bounds follow the camera
	EXPECT_TRUE(Printed(font, "_", 499, 349));
	EXPECT_FALSE(Printed(font, "_", 500, 0));
	EXPECT_FALSE(Printed(font, "_", -1100, 0));
	EXPECT_FALSE(Printed(font, nullptr, 0, 0));
	KEGfxEnd();
	KEGfxDestroyFont(font);
}

TEST(GraphicsFont, StateIsRestoredAfterPrinting)
{
	ASSERT_TRUE(GfxStartEngine());
	unsigned int font = KEGfxCreateFont("Courier New", 14, false, false);
	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxSetBlendColor(0.1f, 0.2f, 0.3f, 0.0f);
	GLint before[4], after[4], base = 0;
	glGetIntegerv(GL_VIEWPORT, before);
	const Floats view = GfxUniform("uVMatrix", 16);
	glListBase(77);
	KEGfxSetCamPosition(30, 40);   // reaches the program only at the next frame, not through text
	KEGfxPrint(font, "state", 10, 10, 0, 0, 1);
	glGetIntegerv(GL_VIEWPORT, after);
	glGetIntegerv(GL_LIST_BASE, &base);
	EXPECT_EQ(std::vector<GLint>(after, after + 4), std::vector<GLint>(before, before + 4));
	EXPECT_EQ(GfxUniform("uVMatrix", 16), view);
	EXPECT_EQ(GfxUniform("uBlendColor", 4), Floats({0.1f, 0.2f, 0.3f, 0.0f}));
	EXPECT_EQ(base, 77);
	glListBase(0);
	EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
	KEGfxEnd();
	KEGfxDestroyFont(font);
}

TEST(GraphicsFont, TextIsDataNeverAFormat)
{
	ASSERT_TRUE(GfxStartEngine());
	unsigned int font = KEGfxCreateFont("Courier New", 8, false, false);
	// "%%" is two percent signs, "%s%n%d" six characters, not conversions.
	const int percent = Count(Ink(font, "%", 0));
	EXPECT_GT(percent, 0);
	EXPECT_EQ(Count(Ink(font, "%%", 0)), 2 * percent);
	EXPECT_EQ(Count(Ink(font, "%s%n%d", 0)), 3 * percent + Count(Ink(font, "snd", 0)));
	// Codes outside 32..127 are left out.
	EXPECT_EQ(Ink(font, "A\x01\x1f\x80\xff" "B\t", 0), Ink(font, "AB", 0));

	// Cut to 255 characters: the 256th would land at world 100, inside the window.
	std::vector<PlatformGlyph> glyphs(PLATFORM_FONT_CHAR_COUNT);
	ASSERT_TRUE(PlatformFontRender("Courier New", 8, false, false, glyphs.data()));
	const int x = 100 - 255 * glyphs['M' - 32].advance;
	ASSERT_GE(x, -1199);
	const std::vector<bool> cut = Ink(font, std::string(255, 'M'), x);
	EXPECT_GT(Count(cut), 0);
	EXPECT_EQ(Ink(font, std::string(300, 'M'), x), cut);
	KEGfxDestroyFont(font);

	// A font that renders nothing (size 0) still gives lists; they draw nothing.
	font = KEGfxCreateFont("Courier New", 0, false, false);
	EXPECT_TRUE(glIsList(font));
	EXPECT_EQ(Count(Ink(font, "nothing", 0)), 0);
	KEGfxDestroyFont(font);
}
