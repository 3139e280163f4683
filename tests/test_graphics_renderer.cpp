// Renderer: programs, camera, transforms, the fragment rule, per-program values, reports.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "GfxTestUtil.h"
#include "KEGraphics.h"
#include "KEGraphicsInternal.h"
#include "KESystem.h"
#include "Window.h"

#include <cmath>
#include <cstdio>
#include <regex>
#include <unistd.h>

using Floats = std::vector<float>;

namespace
{
const UiColor kWhite{255, 255, 255};

GLuint CurrentProgram()
{
	GLint program = 0;
	glGetIntegerv(GL_CURRENT_PROGRAM, &program);
	return (GLuint)program;
}
} // namespace

TEST(GraphicsRenderer, ProgramsAndTheirOwnValues)
{
	ASSERT_TRUE(GfxStartEngine());
	GfxBeginFrame(KE_RENDER_MODE_NONE);
	GLuint programs[3] = {0, 0, 0};
	for (unsigned int mode = KE_RENDER_MODE_COLOR; mode <= KE_RENDER_MODE_TEXTURE; ++mode)
	{
		KEGfxSetRenderMode(mode);
		programs[mode] = CurrentProgram();
		GLint linked = GL_FALSE;
		glGetProgramiv(programs[mode], GL_LINK_STATUS, &linked);
		EXPECT_EQ(linked, GL_TRUE) << "program " << mode;
		EXPECT_EQ(glGetAttribLocation(programs[mode], "aPosition"), 0) << "program " << mode;
	}
	EXPECT_NE(programs[1], programs[2]);

	// Start-up gave the colour program an opaque white tint; the texture program starts at zero.
	EXPECT_EQ(GfxUniform("uTintColor", 4, programs[1]), Floats({1, 1, 1, 1}));
	EXPECT_EQ(GfxUniform("uTransparencyValue", 1, programs[1]), Floats({1}));
	EXPECT_EQ(GfxUniform("uTintColor", 4, programs[2]), Floats({0, 0, 0, 0}));
	EXPECT_EQ(GfxUniform("uTransparencyValue", 1, programs[2]), Floats({0}));

	// Values go to the current program only; with no program they are dropped.
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxSetTintColor(0.25f, 0.5f, 0.75f, 1.0f);
	KEGfxSetBlendColor(0.1f, 0.2f, 0.3f, 0.4f);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransparency(0.5f);
	EXPECT_EQ(GfxUniform("uTintColor", 4, programs[2]), Floats({0, 0, 0, 0}));
	EXPECT_EQ(GfxUniform("uBlendColor", 4, programs[2]), Floats({0, 0, 0, 0}));
	EXPECT_EQ(GfxUniform("uTransparencyValue", 1, programs[1]), Floats({1}));
	KEGfxSetRenderMode(KE_RENDER_MODE_NONE);
	EXPECT_EQ(CurrentProgram(), 0u);
	KEGfxSetTintColor(9, 9, 9, 9);
	KEGfxSetPosition(9, 9);
	EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
	EXPECT_EQ(GfxUniform("uTintColor", 4, programs[1]), Floats({0.25f, 0.5f, 0.75f, 1.0f}));

	// Unknown render and blend modes change nothing.
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxSetRenderMode(7);
	EXPECT_EQ(CurrentProgram(), programs[1]);
	GLint dst = 0;
	KEGfxSetBlendMode(KE_BLEND_MODE_ADD);
	KEGfxSetBlendMode(5);
	glGetIntegerv(GL_BLEND_DST_RGB, &dst);
	EXPECT_TRUE(glIsEnabled(GL_BLEND));
	EXPECT_EQ(dst, GL_ONE);
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	glGetIntegerv(GL_BLEND_DST_RGB, &dst);
	EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
	KEGfxSetBlendMode(KE_BLEND_MODE_NONE);
	EXPECT_FALSE(glIsEnabled(GL_BLEND));
	KEGfxEnd();
	EXPECT_EQ(CurrentProgram(), 0u);
}

TEST(GraphicsRenderer, CameraReachesAProgramWhenItBecomesCurrent)
{
	ASSERT_TRUE(GfxStartEngine());
	EXPECT_FLOAT_EQ(gKEWinMinX, -400.0f);   // camera at 0, 0 after start-up
	EXPECT_FLOAT_EQ(gKEWinMaxY, 300.0f);
	KEGfxSetCamPosition(100, 50);
	EXPECT_EQ(Floats({KEGfxGetWinMinX(), KEGfxGetWinMaxX(), KEGfxGetWinMinY(), KEGfxGetWinMaxY()}),
	          Floats({-300, 500, -250, 350}));
	float cx = 0, cy = 0;
	KEGfxGetCamPosition(&cx, &cy);
	EXPECT_EQ(Floats({cx, cy}), Floats({100, 50}));

	GfxBeginFrame(KE_RENDER_MODE_TEXTURE, 100, 50);
	// Row-major matrices arrive transposed: OpenGL's column order has the translation at 12..14.
	Floats view = GfxUniform("uVMatrix", 16), projection = GfxUniform("uPMatrix", 16);
	EXPECT_EQ(Floats(view.begin() + 12, view.end()), Floats({-100, -50, -60, 1}));
	EXPECT_FLOAT_EQ(projection[0], 2.0f / 800.0f);
	EXPECT_FLOAT_EQ(projection[5], 2.0f / 600.0f);
	EXPECT_FLOAT_EQ(projection[10], -2.0f / 999.0f);
	EXPECT_FLOAT_EQ(projection[14], -1001.0f / 999.0f);

	// Selecting the current mode again uploads nothing, so a camera move waits for the
	// next frame (KEGfxEnd unbinds the program).
	const float zeros[16] = {};
	glUniformMatrix4fv(glGetUniformLocation(CurrentProgram(), "uPMatrix"), 1, GL_FALSE, zeros);
	KEGfxSetCamPosition(0, 0);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	EXPECT_EQ(GfxUniform("uPMatrix", 1), Floats({0}));
	EXPECT_EQ(GfxUniform("uVMatrix", 16)[12], -100.0f);
	KEGfxEnd();
	GfxBeginFrame(KE_RENDER_MODE_TEXTURE);
	EXPECT_FLOAT_EQ(GfxUniform("uPMatrix", 1)[0], 2.0f / 800.0f);
	EXPECT_EQ(GfxUniform("uVMatrix", 16)[12], 0.0f);

	// World matrices: the 3x3 spreads into 4x4 (its third row unused); 4x4 as given.
	KEMtx33 m = {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
	KEGfxSetTransform(&m);
	EXPECT_EQ(GfxUniform("uWorldMatrix", 16), Floats({1, 4, 0, 0, 2, 5, 0, 0, 0, 0, 1, 0, 3, 6, 0, 1}));
	const float m4[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
	KEGfxSetTransform3D(m4);
	EXPECT_EQ(GfxUniform("uWorldMatrix", 16),
	          Floats({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16}));
	KEGfxSetPosition(7, -8);
	EXPECT_EQ(GfxUniform("uWorldMatrix", 16), Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 7, -8, 0, 1}));
	KEGfxEnd();
}

TEST(GraphicsRenderer, QuadLandsWhereCameraAndTransformSay)
{
	ASSERT_TRUE(GfxStartEngine());
	KEGfxVertexList* quad = GfxMakeQuad(1.0f, 0xFFFF0000);
	KEGfxVertexList* small = GfxMakeQuad(2.0f, 0xFFFF0000);
	GfxBeginFrame(KE_RENDER_MODE_COLOR, 100, 50);
	// 40 x 20 at world (150, 100): 50, 50 right of and above the screen centre (400, 300).
	KEMtx33 m = {{{40, 0, 150}, {0, 20, 100}, {0, 0, 1}}};
	KEGfxSetTransform(&m);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_EQ(GfxCountPixelsNot(430, 340, 40, 20, UiColor{255, 0, 0}), 0);
	EXPECT_EQ(GfxCountPixelsNot(420, 330, 60, 40, kWhite), 40 * 20);
	// At the camera itself: the 2 x 2 pixels around the centre.
	KEGfxSetPosition(100, 50);
	KEGfxMeshDraw(small, KE_MESH_DRAW_TRIANGLES);
	EXPECT_EQ(GfxCountPixelsNot(399, 299, 2, 2, UiColor{255, 0, 0}), 0);
	EXPECT_EQ(GfxCountPixelsNot(397, 297, 6, 6, kWhite), 4);
	KEGfxEnd();
	KEGfxMeshFree(small);
	KEGfxMeshFree(quad);
}

TEST(GraphicsRenderer, FullScreenScalesProjectionAndView)
{
	ASSERT_TRUE(GfxStartEngine());
	int sw = 0, sh = 0;
	PlatformScreenGetSize(&sw, &sh);
	if (sw != 1920 || sh != 1080)
		GTEST_SKIP() << "needs the 1920x1080 test screen, have " << sw << "x" << sh;

	KEToogleFullScreen(true);
	ASSERT_FLOAT_EQ(KESysGetFullScreenScaleX(), 2.4f);
	ASSERT_FLOAT_EQ(KESysGetFullScreenScaleY(), 1.8f);
	for (int i = 0; i < 5; ++i)   // let the window and its GL surface take the new size
	{
		GfxBeginFrame(KE_RENDER_MODE_NONE);
		KEGfxEnd();
		KESysUpdate();
		usleep(20000);
	}
	GfxBeginFrame(KE_RENDER_MODE_COLOR, 100, 50);
	GLint viewport[4];
	glGetIntegerv(GL_VIEWPORT, viewport);
	EXPECT_EQ(viewport[2], 1920);
	EXPECT_EQ(viewport[3], 1080);

	// Where the uploaded matrices send world points: the camera to the screen centre,
	// 50 world units to 120 pixels across and 90 up.
	Floats p = GfxUniform("uPMatrix", 16), v = GfxUniform("uVMatrix", 16);
	auto toPixel = [&](float x, float y) {
		float eye[4], clip[4];
		for (int r = 0; r < 4; ++r)
			eye[r] = v[r] * x + v[4 + r] * y + v[12 + r];
		for (int r = 0; r < 4; ++r)
			clip[r] = p[r] * eye[0] + p[4 + r] * eye[1] + p[8 + r] * eye[2] + p[12 + r] * eye[3];
		return Floats({std::round((clip[0] / clip[3] + 1) * 960), std::round((clip[1] / clip[3] + 1) * 540)});
	};
	EXPECT_EQ(toPixel(100, 50), Floats({960, 540}));
	EXPECT_EQ(toPixel(150, 100), Floats({1080, 630}));

	// The pixels too, when the window really covers the screen (without a window manager
	// it may stay 800 x 600, and the surface outside it reads black).
	KEGfxVertexList* quad = GfxMakeQuad(10.0f, 0xFF0000FF);
	KEGfxSetPosition(150, 100);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	if (UiNear(GfxReadPixel(1900, 1000), kWhite, 0))
		EXPECT_EQ(GfxCountPixelsNot(1068, 621, 24, 18, UiColor{0, 0, 255}), 0);   // 24 x 18 pixels
	else
		std::printf("note: the window did not grow to the screen; pixel check left out\n");
	KEGfxEnd();
	KEGfxMeshFree(quad);

	KEToogleFullScreen(false);
	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	glGetIntegerv(GL_VIEWPORT, viewport);
	EXPECT_EQ(viewport[2], 800);
	EXPECT_EQ(viewport[3], 600);
	EXPECT_EQ(GfxUniform("uVMatrix", 1), Floats({1}));
	KEGfxEnd();
}

TEST(GraphicsRenderer, FragmentRule)
{
	ASSERT_TRUE(GfxStartEngine());
	KEGfxVertexList* quad = GfxMakeQuad(40.0f, 0xFF336699);   // (0.2, 0.4, 0.6, 1)
	const float c[3] = {0.2f, 0.4f, 0.6f};
	struct Case
	{
		float tint[4], blend[4], transparency;
	} cases[] = {
		{{1, 0.5f, 0.25f, 1}, {0, 0, 0, 0}, 1},          // tint
		{{1, 1, 1, 1}, {1, 0, 0.5f, 0.25f}, 1},          // blend colour mixed in by its alpha
		{{1, 1, 1, 0.5f}, {0, 0, 0, 0}, 0.5f},           // transparency x tint alpha
	};
	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	for (int i = 0; i < 3; ++i)
	{
		const Case& k = cases[i];
		KEGfxSetTintColor(k.tint[0], k.tint[1], k.tint[2], k.tint[3]);
		KEGfxSetBlendColor(k.blend[0], k.blend[1], k.blend[2], k.blend[3]);
		KEGfxSetTransparency(k.transparency);
		KEGfxSetPosition(-200.0f + 200 * i, 0);
		KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
		int want[3];
		const float alpha = k.transparency * k.tint[3];
		for (int ch = 0; ch < 3; ++ch)
		{
			float src = (c[ch] * (1 - k.blend[3]) + k.blend[ch] * k.blend[3]) * k.tint[ch];
			want[ch] = (int)std::lround((src * alpha + (1 - alpha)) * 255);   // over white
		}
		UiColor got = GfxReadPixel(200 + 200 * i, 300);
		EXPECT_TRUE(UiNear(got, UiColor{want[0], want[1], want[2]}, 2))
			<< "case " << i << ": " << got.r << "," << got.g << "," << got.b;
	}

	// The texture program takes the texture's colour, never the vertex colour.
	const unsigned char green[4] = {0, 255, 0, 255};
	KEGfxTexture* texture = KEGfxTextureLoadFromMemory(green, 1, 1);
	KEGfxSetBlendMode(KE_BLEND_MODE_NONE);
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxTextureSet(texture, 0, 0);
	KEGfxSetTintColor(1, 1, 1, 1);
	KEGfxSetTransparency(1);
	KEGfxSetPosition(0, 200);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(UiNear(GfxReadPixel(400, 500), UiColor{0, 255, 0}, 0));
	KEGfxEnd();
	KEGfxTextureUnload(texture);
	KEGfxMeshFree(quad);
}

namespace
{
// Runs a fatal report in a child whose standard output goes to a file; returns the text.
template <typename F>
std::string FatalReport(const char* name, F report)
{
	const std::string out = UiOutputPath(name);
	std::remove(out.c_str());
	EXPECT_EXIT(
		{
			std::freopen(out.c_str(), "w", stdout);
			std::freopen("/dev/null", "r", stdin);   // the key wait sees end of input
			report();
		},
		testing::ExitedWithCode(1), "");
	return GfxReadFile(out);
}

// Without a context (KEGfxInit failed, the game runs on without drawing) every
// renderer call must quietly do nothing.
void RunWithoutContext()
{
	PlatformWindowCreate("no context", 800, 600);
	PlatformGLRefuseContexts(true);
	bool ok = KEGfxInit(800, 600) == 0;
	GfxBeginFrame(KE_RENDER_MODE_TEXTURE);
	KEGfxVertexList* quad = GfxMakeQuad(10, 0xFFFFFFFF);
	ok = ok && quad->vertexNum == 6;
	KEGfxTexture* texture = KEGfxTextureLoad("ArtAssets/none.png");
	KEGfxTextureSet(texture, 0.5f, 0.5f);
	KEGfxSetTextureMode(KE_TEXTURE_MODE_LINEAR);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	unsigned int font = KEGfxCreateFont("Courier New", 14, false, false);
	KEGfxPrint(font, "text", 0, 0, 1, 1, 1);
	KEGfxEnd();
	KEGfxDestroyFont(font);
	KEGfxTextureUnload(texture);
	KEGfxMeshFree(quad);
	KEGfxExit();
	std::fprintf(stderr, ok ? "clean" : "wrong");
	std::exit(ok ? 0 : 2);
}
} // namespace

TEST(GraphicsRendererDeathTest, ReportsAndRunningWithoutAContext)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EQ(FatalReport("gfx_halt.txt", [] { KEGfxHalt(123, "KEGfxInit", "OpenGL 2.0 is not supported!!"); }),
	          "HALT:\nLine: 123\nFunc: KEGfxInit\nFile: src/KEGraphics\nMesg: OpenGL 2.0 is not supported!!\n");

	const std::string gl = FatalReport("gfx_gl_error.txt", [] {
		if (!GfxStartEngine())
			std::exit(2);
		KEGfxStart();
		glEnable(0xFFFF);   // GL_INVALID_ENUM
		KEGfxEnd();
	});
	// After the engine's start-up lines, the report is the last thing printed.
	EXPECT_TRUE(std::regex_search(
		gl, std::regex("\nCHECK_GL_ERROR:\nLine: [0-9]+\nFunc: KEGfxEnd\nFile: src/KEGraphics\nCode: 0x00000500\nMesg: \n$")))
		<< gl;

	EXPECT_EXIT(RunWithoutContext(), testing::ExitedWithCode(0), "clean$");
}
