#pragma once
// Pixel helpers for interface tests. Window pixels: origin top left, top row first.
#include <string>
#include <vector>

struct UiColor { int r, g, b; };

std::string UiOutputPath(const std::string& name);   // beside the running test executable
bool UiWriteSolidPNG(const std::string& path, UiColor color, int width = 4, int height = 4);
UiColor UiReadPixel(int x, int y);                    // from the back buffer
std::vector<UiColor> UiReadRegion(int x, int y, int width, int height);
bool UiSaveBackBuffer(const std::string& path);       // the whole back buffer, opaque
bool UiNear(UiColor a, UiColor b, int tolerance = 8); // every channel within tolerance
