#pragma once
// Pixel helpers for the interface tests: small pictures written by the test itself, the
// back buffer read back, and files placed beside the test executable (the build tree).
#include <string>
#include <vector>

struct UiColor
{
	int r, g, b;
};

// A path beside the running test executable.
std::string UiOutputPath(const std::string& name);
// Writes a width x height PNG of one opaque colour; false on failure.
bool UiWriteSolidPNG(const std::string& path, UiColor color, int width = 4, int height = 4);
// The back-buffer pixel at window pixel (x, y), origin top left.
UiColor UiReadPixel(int x, int y);
// The back-buffer pixels of the window rectangle at (x, y), origin top left, top row first.
std::vector<UiColor> UiReadRegion(int x, int y, int width, int height);
// Saves the whole back buffer (top row first) as a PNG; false on failure.
bool UiSaveBackBuffer(const std::string& path);
// True when every channel differs by at most tolerance.
bool UiNear(UiColor a, UiColor b, int tolerance = 8);
