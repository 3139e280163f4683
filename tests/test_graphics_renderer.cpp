#include <GL/glew.h>
#include <gtest/gtest.h>
#include "EngineHarness.h"
#include "Image.h"
#include "KEGraphics.h"
#include "KEGraphicsInternal.h"
#include "KESystem.h"
#include "Window.h"
#include "UiPixels.h"
#include <cstdio>
#include <unistd.h>

using Floats = std::vector<float>;

namespace
{
const UiColor kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kMagenta{255, 0, 255};

// White background, camera placed; unless mode is none, that mode opaque, untinted, at the origin.
void BeginFrame(unsigned int mode, float camX = 0, float camY = 0)
{
	KEGfxSetBackgroundColor(1, 1, 1), KEGfxStart();
	KEGfxSetRenderMode(KE_RENDER_MODE_NONE);   // so the next mode uploads the camera
	KEGfxSetBlendMode(KE_BLEND_MODE_NONE), KEGfxSetCamPosition(camX, camY);
	if (mode == KE_RENDER_MODE_NONE)
		return;
	KEGfxSetRenderMode(mode), KEGfxSetTintColor(1, 1, 1, 1), KEGfxSetTransparency(1);
	KEGfxSetBlendColor(0, 0, 0, 0), KEGfxSetPosition(0, 0);
}

// Pixels not near colour in a region counted from the bottom left, as OpenGL does.
int CountNot(int x, int y, int width, int height, UiColor colour, int tolerance = 0)
{
	int count = 0;
	for (UiColor c : UiReadRegion(x, KEGetWindowHeight() - y - height, width, height))
		count += !UiNear(c, colour, tolerance);
	return count;
}

bool At(int x, int y, UiColor colour, int tolerance = 2) { return CountNot(x, y, 1, 1, colour, tolerance) == 0; }

Floats Uniform(const char* name, int count)
{
	GLint program = 0;
	glGetIntegerv(GL_CURRENT_PROGRAM, &program);
	Floats v(16, -99.0f);
	glGetUniformfv(program, glGetUniformLocation(program, name), v.data());
	return v.resize((size_t)count), v;
}

// Corners at +-size/2, texture coordinates 0..1 with v = 0 at the top, one colour.
KEGfxVertexList* MakeQuad(float size, unsigned int argb)
{
	const float h = size * 0.5f;
	KEGfxMeshStart();
	KEGfxTriAdd(-h, -h, argb, 0, 1, h, -h, argb, 1, 1, h, h, argb, 1, 0);
	KEGfxTriAdd(-h, -h, argb, 0, 1, h, h, argb, 1, 0, -h, h, argb, 0, 0);
	return KEGfxMeshEnd();
}

void DrawScaled(KEGfxVertexList* quad, float w, float h, float x, float y)
{
	KEMtx33 m = {{{w, 0, x}, {0, h, y}, {0, 0, 1}}};
	KEGfxSetTransform(&m), KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
}
} // namespace

TEST(GraphicsRenderer, FragmentRuleAndCameraTransform)
{
	ASSERT_TRUE(HarnessStartEngine());
	// (0.2, 0.4, 0.6) over white: tint multiplies, blend colour mixes in by its alpha, transparency covers.
	KEGfxVertexList* quad = MakeQuad(40, 0xFF336699);
	const struct { float tint[4], blend[4], transparency; UiColor want; } cases[] = {
		{{1, 0.5f, 0.25f, 1}, {0, 0, 0, 0}, 1, {51, 51, 38}},       // (0.2, 0.2, 0.15)
		{{1, 1, 1, 1}, {1, 0, 0.5f, 0.25f}, 1, {102, 77, 147}},     // (0.4, 0.3, 0.575)
		{{1, 1, 1, 0.5f}, {0, 0, 0, 0}, 0.5f, {204, 217, 230}}};    // times tint alpha: a quarter
	BeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	for (int i = 0; i < 3; ++i)
	{
		const auto& k = cases[i];
		KEGfxSetTintColor(k.tint[0], k.tint[1], k.tint[2], k.tint[3]);
		KEGfxSetBlendColor(k.blend[0], k.blend[1], k.blend[2], k.blend[3]);
		KEGfxSetTransparency(k.transparency), KEGfxSetPosition(-200.0f + 200 * i, 0);
		KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
		EXPECT_TRUE(At(200 + 200 * i, 300, k.want)) << "case " << i;
	}
	KEGfxEnd(), KEGfxMeshFree(quad);
	KEGfxSetCamPosition(100, 50);
	EXPECT_EQ(Floats({KEGfxGetWinMinX(), KEGfxGetWinMaxX(), KEGfxGetWinMinY(), KEGfxGetWinMaxY()}),
	          Floats({-300, 500, -250, 350}));
	BeginFrame(KE_RENDER_MODE_COLOR, 100, 50);
	// 40 x 20 at world (150, 100): 50, 50 right of and above the screen centre; 2 x 2 at the camera.
	quad = MakeQuad(1, 0xFFFF0000);
	DrawScaled(quad, 40, 20, 150, 100);
	DrawScaled(quad, 2, 2, 100, 50);
	EXPECT_EQ(CountNot(430, 340, 40, 20, kRed) + CountNot(399, 299, 2, 2, kRed), 0);
	EXPECT_EQ(CountNot(420, 330, 60, 40, kWhite) + CountNot(397, 297, 6, 6, kWhite), 40 * 20 + 4);
	KEGfxMeshFree(quad);
	KEGfxSetCamPosition(0, 0);   // selecting the current mode again uploads nothing: it waits a frame
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	EXPECT_EQ(Uniform("uVMatrix", 16)[12], -100.0f);
	KEGfxEnd();
}

TEST(GraphicsMesh, ColourConversionEmptyMeshesInvalidModesAndStagingLimit)
{
	ASSERT_TRUE(HarnessStartEngine());
	KEGfxMeshStart();
	KEGfxVertexAdd(1, 2, 0x80FF0000, 0.25f, 0.75f);
	KEGfxTriAdd(3, 4, 0xFF00FF00, 0, 0, 5, 6, 0x000000FF, 1, 0, 7, 8, 0x12345678, 0, 1);
	KEGfxVertexList* mesh = KEGfxMeshEnd();
	ASSERT_EQ(mesh->vertexNum, 4u);
	Floats colours(16);
	glBindBuffer(GL_ARRAY_BUFFER, mesh->pVBO[1]);
	glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(float) * 16, colours.data());
	EXPECT_EQ(colours, Floats({1, 0, 0, 128 / 255.0f, 0, 1, 0, 1, 0, 0, 1, 0, 0x34 / 255.0f, 0x56 / 255.0f,
	                           0x78 / 255.0f, 0x12 / 255.0f}));
	KEGfxVertexList* empty = KEGfxMeshEnd();   // nothing staged any more
	BeginFrame(KE_RENDER_MODE_COLOR);
	testing::internal::CaptureStdout();
	KEGfxMeshDraw(empty, KE_MESH_DRAW_TRIANGLES);
	KEGfxMeshDraw(mesh, 4);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "Mesh Draw Mode 4 is invalid!\n");
	EXPECT_EQ(CountNot(0, 0, 800, 600, kWhite) + (int)glGetError(), 0);
	KEGfxEnd(), KEGfxMeshFree(mesh), KEGfxMeshFree(empty);
	testing::internal::CaptureStdout();   // past the staging area: the extra vertices dropped with one line
	for (int i = 0; i < KE_MESH_VERTEX_MAX + 100; ++i)
		KEGfxVertexAdd((float)i, 0, 0xFFFFFFFF, 0, 0);
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "KEGfxVertexAdd: more than 24576 vertices in one mesh, extra vertices dropped\n");
	mesh = KEGfxMeshEnd();
	EXPECT_EQ(mesh->vertexNum, (unsigned int)KE_MESH_VERTEX_MAX);
	KEGfxMeshFree(mesh);
}

TEST(GraphicsTexture, PlaceholderPathLimitOffsetAndFilters)
{
	ASSERT_TRUE(HarnessStartEngine());
	const std::string dir = UiOutputPath("");
	// Red, green on top; blue, white below, under a path of exactly 255 characters.
	const unsigned char rgbw[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
	const std::string path = dir + std::string(255 - dir.size() - 4, 'p') + ".png";
	ASSERT_TRUE(PlatformImageSavePNG(path.c_str(), rgbw, 2, 2));
	testing::internal::CaptureStdout();
	KEGfxTexture* placeholder = KEGfxTextureLoadFromMemory(nullptr, 4, 4);
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "KEGfxTextureLoadFromMemory: no usable pixels (4 x 4), using a placeholder\n");
	ASSERT_NE(placeholder, nullptr);
	// An 8 x 8 checker of 2 x 2 cells, magenta in the top left: 10 pixels per texel here.
	KEGfxVertexList* quad = MakeQuad(80, 0xFF000000);
	BeginFrame(KE_RENDER_MODE_TEXTURE);
	KEGfxTextureSet(placeholder, 0, 0);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(At(365, 335, kMagenta) && At(385, 335, UiColor{0, 0, 0}) && At(385, 315, kMagenta));
	KEGfxEnd();
	KEGfxTextureUnload(placeholder);
	testing::internal::CaptureStdout();   // exactly 255 characters load; one more is refused silently
	KEGfxTexture* texture = KEGfxTextureLoad(path.c_str());
	EXPECT_EQ(KEGfxTextureLoad((path + "x").c_str()), nullptr);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
	ASSERT_NE(texture, nullptr);
	BeginFrame(KE_RENDER_MODE_TEXTURE);
	KEGfxTextureSet(texture, 0, 0), KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(At(370, 330, kRed) && At(430, 330, kGreen) && At(370, 270, kBlue) && At(430, 270, kWhite));
	// Offsets above 1 come down into (0, 1] at once, whole ones to 1; 1 and negatives stay.
	KEGfxTextureSet(texture, 1.5f, 3);
	EXPECT_EQ(Uniform("uTextureOffset", 2), Floats({0.5f, 1}));
	KEGfxTextureSet(texture, -1.5f, 0);
	EXPECT_EQ(Uniform("uTextureOffset", 2), Floats({-1.5f, 0}));
	KEGfxTextureSet(texture, 0, 0);
	KEGfxSetTextureMode(KE_TEXTURE_MODE_LINEAR);   // linear: a ramp between the texel centres
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(At(399, 320, UiColor{128, 128, 0}, 30));
	KEGfxEnd(), KEGfxTextureUnload(texture), KEGfxMeshFree(quad);
}

// Printing resets the world matrix; an early return (nothing visible) leaves it alone.
static bool Printed(unsigned int font, const char* text, int x, int y)
{
	KEGfxSetPosition(5, 5), KEGfxPrint(font, text, x, y, 0, 0, 0);
	return Uniform("uWorldMatrix", 16)[12] == 0.0f;
}

// Inked (non-white) pixels of a text printed alone in a frame, in the band around y = 0.
static int Ink(unsigned int font, const char* text)
{
	BeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxPrint(font, text, 0, 0, 0, 0, 0);
	const int ink = CountNot(0, 280, 800, 40, kWhite);
	KEGfxEnd();
	return ink;
}

TEST(GraphicsFont, BoundsStateAfterwardsAndTextAsData)
{
	ASSERT_TRUE(HarnessStartEngine());
	unsigned int font = KEGfxCreateFont("Courier New", 24, false, false);
	BeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxSetBlendColor(0.1f, 0.2f, 0.3f, 0.0f);
	EXPECT_TRUE(Printed(font, "_", 399, 0));   // an underscore starts at the pen: the last column
	EXPECT_TRUE(Printed(font, "__________", -420, 0));   // a text starting left of the view
	EXPECT_GT(CountNot(799, 290, 1, 20, kWhite), 0);
	EXPECT_FALSE(Printed(font, "_", 400, 0));
	EXPECT_EQ(Uniform("uBlendColor", 4), Floats({0.0f, 0.0f, 0.0f, 0.0f}));   // printing ends with none
	KEGfxSetCamPosition(100, 50);   // the bounds follow the camera, and printing leaves its view
	EXPECT_TRUE(Printed(font, "_", 499, 349) && !Printed(font, "_", 500, 0));
	EXPECT_EQ(Uniform("uVMatrix", 16)[12], -100.0f);
	KEToogleFullScreen(true);   // and its viewport: in full screen, the whole screen
	Printed(font, "_", 0, 0);
	GLint viewport[4] = {0, 0, 0, 0}, screen[2] = {0, 0};
	glGetIntegerv(GL_VIEWPORT, viewport), PlatformScreenGetSize(&screen[0], &screen[1]);
	EXPECT_TRUE(viewport[2] == screen[0] && viewport[3] == screen[1]) << viewport[2] << "x" << viewport[3];
	KEToogleFullScreen(false);
	KEGfxEnd(), KEGfxDestroyFont(font);
	// Colours mix channel by channel, the fraction held to 0..1.
	const struct { float t; unsigned int want; } mixes[] = {{-1, 0xFF643200}, {0.5f, 0x7F4B4B00}, {2, 0x00326400}};
	for (const auto& m : mixes)
		EXPECT_EQ(KEGfxColInterp(0xFF643200, 0x00326400, m.t), m.want) << m.t;
	font = KEGfxCreateFont("Courier New", 8, false, false);
	// Text is data, never a format: "%s%n%d" is six characters, not conversions.
	const int percent = Ink(font, "%");
	EXPECT_GT(percent, 0);
	EXPECT_EQ(Ink(font, "%s%n%d"), 3 * percent + Ink(font, "snd"));
	EXPECT_EQ(Ink(font, "A\x01\x1f\x80\xff" "B\t"), Ink(font, "AB"));   // codes outside 32..127
	BeginFrame(KE_RENDER_MODE_COLOR);   // in the colour asked for: every inked pixel yellow
	KEGfxPrint(font, "Hold down [Space] to hack!", -200, 0, 1, 1, 0);
	const int inked = CountNot(0, 280, 800, 40, kWhite);
	EXPECT_TRUE(inked > 100 && 800 * 40 - CountNot(0, 280, 800, 40, UiColor{255, 255, 0}) == inked) << inked;
	KEGfxEnd();
	KEGfxDestroyFont(font);
}

// Fatal reports print to standard output, wait for a key (end of input here) and exit with 1.
#define EXPECT_REPORT(statement, text)                                                                   \
	EXPECT_EXIT((std::fflush(stdout), dup2(2, 1), std::freopen("/dev/null", "r", stdin), statement), \
	            testing::ExitedWithCode(1), text)

TEST(GraphicsRendererDeathTest, FatalReports)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_REPORT(KEGfxHalt(123, "KEGfxInit", "OpenGL 2.0 is not supported!!"),
	              "^HALT:\nLine: 123\nFunc: KEGfxInit\nFile: src/KEGraphics\nMesg: OpenGL 2\\.0 is not supported!!\n$");
	EXPECT_REPORT((HarnessStartEngine(), KEGfxStart(), glEnable(0xFFFF), KEGfxEnd()),   // last, after start-up lines
	              "\nCHECK_GL_ERROR:\nLine: [0-9]+\nFunc: KEGfxEnd\nFile: src/KEGraphics\nCode: 0x00000500\nMesg: \n$");
}
