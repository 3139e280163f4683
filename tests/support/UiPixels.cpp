#include "UiPixels.h"

#include <GL/glew.h>
#include <cstdlib>
#include <filesystem>
#include "Image.h"
#include "KEGraphics.h"

std::string UiOutputPath(const std::string& name)
{
	std::error_code error;
	std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
	return error ? name : (exe.parent_path() / name).string();
}

static bool SavePNG(const std::string& path, const std::vector<UiColor>& colors, int width, int height)
{
	std::vector<unsigned char> rgba;
	for (UiColor c : colors)
		rgba.insert(rgba.end(), {(unsigned char)c.r, (unsigned char)c.g, (unsigned char)c.b, 255});
	return PlatformImageSavePNG(path.c_str(), rgba.data(), width, height);
}

bool UiWriteSolidPNG(const std::string& path, UiColor color, int width, int height)
{
	return SavePNG(path, std::vector<UiColor>((size_t)width * height, color), width, height);
}

UiColor UiReadPixel(int x, int y) { return UiReadRegion(x, y, 1, 1)[0]; }

std::vector<UiColor> UiReadRegion(int x, int y, int width, int height)
{
	std::vector<unsigned char> pixels((size_t)width * height * 4);
	glReadPixels(x, KEGetWindowHeight() - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
	             pixels.data());
	std::vector<UiColor> colors;
	for (int row = height - 1; row >= 0; --row)   // OpenGL gives the bottom row first
		for (size_t i = (size_t)row * width * 4; i < (size_t)(row + 1) * width * 4; i += 4)
			colors.push_back({pixels[i], pixels[i + 1], pixels[i + 2]});
	return colors;
}

bool UiSaveBackBuffer(const std::string& path)
{
	int width = KEGetWindowWidth(), height = KEGetWindowHeight();
	return SavePNG(path, UiReadRegion(0, 0, width, height), width, height);
}

bool UiNear(UiColor a, UiColor b, int tolerance)
{
	return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
	       std::abs(a.b - b.b) <= tolerance;
}
