#include "UiPixels.h"

#include <GL/glew.h>
#include <cstdlib>
#include <filesystem>
#include <vector>
#include "Image.h"
#include "KEGraphics.h"

std::string UiOutputPath(const std::string& name)
{
	std::error_code error;
	std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
	if (error)
		return name;
	return (exe.parent_path() / name).string();
}

bool UiWriteSolidPNG(const std::string& path, UiColor color, int width, int height)
{
	std::vector<unsigned char> rgba((size_t)width * height * 4);
	for (size_t i = 0; i < rgba.size(); i += 4)
	{
		rgba[i] = (unsigned char)color.r;
		rgba[i + 1] = (unsigned char)color.g;
		rgba[i + 2] = (unsigned char)color.b;
		rgba[i + 3] = 255;
	}
	return PlatformImageSavePNG(path.c_str(), rgba.data(), width, height);
}

UiColor UiReadPixel(int x, int y)
{
	return UiReadRegion(x, y, 1, 1)[0];
}

std::vector<UiColor> UiReadRegion(int x, int y, int width, int height)
{
	std::vector<unsigned char> pixels((size_t)width * height * 4);
	glFinish();
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(x, KEGetWindowHeight() - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
	             pixels.data());
	std::vector<UiColor> colors;
	colors.reserve((size_t)width * height);
	// OpenGL gives the bottom row first.
	for (int row = height - 1; row >= 0; --row)
		for (int column = 0; column < width; ++column)
		{
			const unsigned char* p = &pixels[((size_t)row * width + column) * 4];
			colors.push_back({p[0], p[1], p[2]});
		}
	return colors;
}

bool UiSaveBackBuffer(const std::string& path)
{
	int width = KEGetWindowWidth();
	int height = KEGetWindowHeight();
	std::vector<unsigned char> pixels((size_t)width * height * 4);
	glFinish();
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
	// OpenGL gives the bottom row first.
	std::vector<unsigned char> flipped(pixels.size());
	size_t row = (size_t)width * 4;
	for (int y = 0; y < height; ++y)
		std::copy(pixels.begin() + (size_t)(height - 1 - y) * row,
		          pixels.begin() + (size_t)(height - y) * row, flipped.begin() + (size_t)y * row);
	for (size_t i = 3; i < flipped.size(); i += 4)
		flipped[i] = 255;
	return PlatformImageSavePNG(path.c_str(), flipped.data(), width, height);
}

bool UiNear(UiColor a, UiColor b, int tolerance)
{
	return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
	       std::abs(a.b - b.b) <= tolerance;
}
