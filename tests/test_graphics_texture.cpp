// Textures and PNG pictures: orientation, offsets and their wrap, filtering, broken files.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "GfxTestUtil.h"
#include "Image.h"
#include "KEGraphics.h"

#include <string>
#include <vector>

using Floats = std::vector<float>;

namespace
{
const UiColor kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
const UiColor kWhite{255, 255, 255}, kBlack{0, 0, 0}, kMagenta{255, 0, 255};

std::vector<unsigned char> Pixels(std::initializer_list<UiColor> colours)
{
	std::vector<unsigned char> rgba;
	for (const UiColor& c : colours)
		rgba.insert(rgba.end(), {(unsigned char)c.r, (unsigned char)c.g, (unsigned char)c.b, 255});
	return rgba;
}

void BeginTexturedFrame(KEGfxTexture* texture)
{
	GfxBeginFrame(KE_RENDER_MODE_TEXTURE);
	KEGfxTextureSet(texture, 0, 0);
}

bool At(int x, int y, UiColor colour)
{
	return UiNear(GfxReadPixel(x, y), colour, 2);
}

// Signature and a well-formed IHDR chunk claiming the given size, then nothing.
std::string PngHeader(unsigned int width, unsigned int height)
{
	std::string chunk = "IHDR";
	for (unsigned int v : {width, height})
		for (int s = 24; s >= 0; s -= 8)
			chunk += (char)(v >> s);
	chunk += std::string("\x08\x06\0\0\0", 5);   // 8-bit RGBA
	unsigned int crc = 0xFFFFFFFFu;
	for (unsigned char byte : chunk)
	{
		crc ^= byte;
		for (int k = 0; k < 8; ++k)
			crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
	}
	crc = ~crc;
	std::string file = std::string("\x89PNG\r\n\x1A\n\0\0\0\x0D", 12) + chunk;
	for (int s = 24; s >= 0; s -= 8)
		file += (char)(crc >> s);
	return file;
}
} // namespace

TEST(GraphicsImage, RoundTripAndBrokenFilesFailQuietly)
{
	const std::string good = UiOutputPath("gfx_roundtrip.png");
	std::vector<unsigned char> px = Pixels({kRed, kGreen, kBlue, kWhite, kBlack, UiColor{10, 20, 30}});
	px[23] = 40;   // one translucent pixel
	ASSERT_TRUE(PlatformImageSavePNG(good.c_str(), px.data(), 3, 2));
	PlatformImage image;
	ASSERT_TRUE(PlatformImageLoadPNG(good.c_str(), &image));
	EXPECT_EQ(image.width, 3);
	EXPECT_EQ(image.height, 2);
	EXPECT_EQ(image.rgba, px);

	const std::string file = GfxReadFile(good), dir = UiOutputPath("");
	const std::pair<const char*, std::string> broken[] = {
		{"gfx_empty.png", ""},
		{"gfx_truncated.png", file.substr(0, file.size() / 2)},
		{"gfx_text.png", "this is not a picture\n"},
		{"gfx_huge.png", PngHeader(100000, 100000)},   // refused before any allocation
		{"gfx_wide.png", PngHeader(9000, 1)},
	};
	testing::internal::CaptureStdout();
	for (const auto& b : broken)
	{
		GfxWriteFile(dir + b.first, b.second);
		PlatformImage out;
		EXPECT_FALSE(PlatformImageLoadPNG((dir + b.first).c_str(), &out)) << b.first;
		EXPECT_TRUE(out.rgba.empty()) << b.first;
	}
	EXPECT_FALSE(PlatformImageLoadPNG((dir + "gfx_missing.png").c_str(), &image));
	EXPECT_FALSE(PlatformImageLoadPNG(dir.c_str(), &image));   // a directory
	EXPECT_FALSE(PlatformImageSavePNG((dir + "no/such/dir.png").c_str(), px.data(), 3, 2));
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(GraphicsTexture, TopRowAtVZeroAndPathLimit)
{
	ASSERT_TRUE(GfxStartEngine());
	// Red, green on top; blue, white below.
	std::vector<unsigned char> px = Pixels({kRed, kGreen, kBlue, kWhite});
	const std::string dir = UiOutputPath("");
	ASSERT_LT(dir.size(), 200u);
	// Exactly 255 characters load; one more is refused without a word.
	const std::string path = dir + std::string(255 - dir.size() - 4, 'p') + ".png";
	ASSERT_TRUE(PlatformImageSavePNG(path.c_str(), px.data(), 2, 2));
	testing::internal::CaptureStdout();
	KEGfxTexture* texture = KEGfxTextureLoad(path.c_str());
	EXPECT_EQ(KEGfxTextureLoad((path + "x").c_str()), nullptr);
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
	ASSERT_NE(texture, nullptr);
	EXPECT_EQ(std::string(texture->fileName), path);

	KEGfxVertexList* quad = GfxMakeQuad(100, 0xFF000000);
	BeginTexturedFrame(texture);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(At(375, 325, kRed));
	EXPECT_TRUE(At(425, 325, kGreen));
	EXPECT_TRUE(At(375, 275, kBlue));
	EXPECT_TRUE(At(425, 275, kWhite));
	KEGfxEnd();
	KEGfxTextureUnload(texture);
	KEGfxTextureUnload(nullptr);
	KEGfxMeshFree(quad);
}

TEST(GraphicsTexture, BrokenPicturesShowAPlaceholder)
{
	ASSERT_TRUE(GfxStartEngine());
	const std::string missing = UiOutputPath("gfx_no_such_picture.png");
	const std::string text = UiOutputPath("gfx_not_a_picture.png");
	GfxWriteFile(text, "hello");
	const std::vector<unsigned char> red = Pixels({kRed});

	KEGfxVertexList* quad = GfxMakeQuad(80, 0xFF000000);
	testing::internal::CaptureStdout();
	KEGfxTexture* textures[] = {KEGfxTextureLoad(missing.c_str()), KEGfxTextureLoad(text.c_str()),
	                            KEGfxTextureLoadFromMemory(nullptr, 4, 4),
	                            KEGfxTextureLoadFromMemory(red.data(), -1, 1)};
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "KEGfxTextureLoad: cannot load picture \"" + missing + "\", using a placeholder\n"
	          "KEGfxTextureLoad: cannot load picture \"" + text + "\", using a placeholder\n"
	          "KEGfxTextureLoadFromMemory: no usable pixels (4 x 4), using a placeholder\n"
	          "KEGfxTextureLoadFromMemory: no usable pixels (-1 x 1), using a placeholder\n");
	for (KEGfxTexture* texture : textures)
	{
		ASSERT_NE(texture, nullptr);
		// An 8 x 8 checker of 2 x 2 cells, magenta in the top left: 10 pixels per texel here.
		BeginTexturedFrame(texture);
		KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
		EXPECT_TRUE(At(365, 335, kMagenta));
		EXPECT_TRUE(At(385, 335, kBlack));
		EXPECT_TRUE(At(385, 315, kMagenta));
		KEGfxEnd();
		KEGfxTextureUnload(texture);
	}
	KEGfxMeshFree(quad);
}

TEST(GraphicsTexture, OffsetReductionAndShaderWrap)
{
	ASSERT_TRUE(GfxStartEngine());
	std::vector<unsigned char> px = Pixels({kRed, kGreen, kBlue, kBlack});
	KEGfxTexture* texture = KEGfxTextureLoadFromMemory(px.data(), 4, 1);
	KEGfxVertexList* quad = GfxMakeQuad(80, 0xFFFFFFFF);

	BeginTexturedFrame(texture);
	const std::pair<Floats, Floats> offsets[] = {
		{{2.25f, 0.5f}, {0.25f, 0.5f}},
		{{1.0f, -0.25f}, {1.0f, -0.25f}},
		{{1e30f, 3.0f}, {1.0f, 1.0f}},   // at once, however large
	};
	for (const auto& o : offsets)
	{
		KEGfxTextureSet(texture, o.first[0], o.first[1]);
		EXPECT_EQ(GfxUniform("uTextureOffset", 2), o.second);
	}
	// A null texture unbinds and leaves the offset alone.
	KEGfxTextureSet(nullptr, 0.75f, 0.75f);
	GLint bound = -1;
	glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
	EXPECT_EQ(bound, 0);
	EXPECT_EQ(GfxUniform("uTextureOffset", 2), Floats({1.0f, 1.0f}));

	// Four 20-pixel columns, clamped at the edges so that only the shader's own wrap can
	// bring coordinates above 1 back. Offset 1.5 becomes 0.5: the left half shows columns
	// 2 and 3, the right half (1.0 to 1.5, wrapped once) columns 0 and 1.
	KEGfxTextureSet(texture, 1.5f, 0.0f);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(At(370, 300, kBlue) && At(390, 300, kBlack) && At(410, 300, kRed) && At(430, 300, kGreen));
	// Negative offsets are not wrapped: at -0.5 the left half clamps to column 0.
	KEGfxTextureSet(texture, -0.5f, 0.0f);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(At(365, 300, kRed) && At(390, 300, kRed) && At(410, 300, kRed) && At(430, 300, kGreen));
	KEGfxEnd();
	KEGfxTextureUnload(texture);
	KEGfxMeshFree(quad);
}

TEST(GraphicsTexture, FilterModesAndMessages)
{
	ASSERT_TRUE(GfxStartEngine());
	std::vector<unsigned char> px = Pixels({kBlack, kWhite});
	KEGfxTexture* texture = KEGfxTextureLoadFromMemory(px.data(), 2, 1);
	KEGfxVertexList* quad = GfxMakeQuad(200, 0xFFFFFFFF);

	// Nearest (the default): a hard edge in the middle. Linear: a ramp.
	BeginTexturedFrame(texture);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(At(395, 300, kBlack) && At(405, 300, kWhite));
	KEGfxSetTextureMode(KE_TEXTURE_MODE_LINEAR);
	KEGfxMeshDraw(quad, KE_MESH_DRAW_TRIANGLES);
	EXPECT_TRUE(UiNear(GfxReadPixel(399, 300), UiColor{128, 128, 128}, 40));

	testing::internal::CaptureStdout();
	KEGfxSetTextureMode(2);
	KEGfxSaveTextureToFile(texture, "x.png");
	KEGfxSaveTextureToFile(nullptr, "x.png");
	KEGfxSaveTextureToFile(texture, nullptr);
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "Unsupported texture mode!\n"
	          "KEGfxSaveTextureToFile not supported in the OpenGL version of the Kelvo Engine!\n");
	GLint filter = 0;
	glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
	EXPECT_EQ(filter, GL_LINEAR);
	KEGfxEnd();
	KEGfxTextureUnload(texture);
	KEGfxMeshFree(quad);
}
