#pragma once
// Helpers for the renderer tests: a frame in a known state, pixel and uniform read-back,
// a quad, files. Colours, paths in the build tree and frame PNGs come from UiPixels.h.
#include "UiPixels.h"

#include <string>
#include <vector>

struct KEGfxVertexList;

// Starts the engine once per process (800x600 window and GL context).
bool GfxStartEngine();

// Frame start: white background, no blending, the camera placed; then, unless mode is
// none, that render mode drawing opaque and untinted (tint 1, transparency 1, blend
// colour 0, world matrix at the origin).
void GfxBeginFrame(unsigned int mode, float camX = 0.0f, float camY = 0.0f);

// Pixels of the frame being drawn (before KEGfxEnd swaps), counted from the bottom left
// as OpenGL does. The rectangle comes back RGBA, rows bottom-up.
UiColor GfxReadPixel(int x, int y);
std::vector<unsigned char> GfxReadPixels(int x, int y, int width, int height);
// Pixels in the rectangle farther than tolerance from the colour on some channel.
int GfxCountPixelsNot(int x, int y, int width, int height, UiColor colour, int tolerance = 0);

// A uniform's values in the given program (0: the current one).
std::vector<float> GfxUniform(const char* name, int count, unsigned int program = 0);

// Quad with corners at +-size/2, texture coordinates 0..1 (v = 0 at the top), one colour.
KEGfxVertexList* GfxMakeQuad(float size, unsigned int argb);

void GfxWriteFile(const std::string& path, const std::string& bytes);
std::string GfxReadFile(const std::string& path);   // "" when missing
