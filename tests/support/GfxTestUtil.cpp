#include "GfxTestUtil.h"

#include <GL/glew.h>

#include "EngineHarness.h"
#include "KEGraphics.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

bool GfxStartEngine()
{
	return HarnessStartEngine();
}

void GfxBeginFrame(unsigned int mode, float camX, float camY)
{
	KEGfxSetBackgroundColor(1.0f, 1.0f, 1.0f);
	KEGfxStart();
	// No program bound, so the next render mode uploads the camera.
	KEGfxSetRenderMode(KE_RENDER_MODE_NONE);
	KEGfxSetBlendMode(KE_BLEND_MODE_NONE);
	KEGfxSetCamPosition(camX, camY);
	if (mode == KE_RENDER_MODE_NONE)
		return;
	KEGfxSetRenderMode(mode);
	KEGfxSetTintColor(1, 1, 1, 1);
	KEGfxSetTransparency(1);
	KEGfxSetBlendColor(0, 0, 0, 0);
	KEGfxSetPosition(0, 0);
}

std::vector<unsigned char> GfxReadPixels(int x, int y, int width, int height)
{
	std::vector<unsigned char> pixels((size_t)width * height * 4);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
	return pixels;
}

UiColor GfxReadPixel(int x, int y)
{
	std::vector<unsigned char> p = GfxReadPixels(x, y, 1, 1);
	return UiColor{p[0], p[1], p[2]};
}

int GfxCountPixelsNot(int x, int y, int width, int height, UiColor colour, int tolerance)
{
	std::vector<unsigned char> p = GfxReadPixels(x, y, width, height);
	int count = 0;
	for (size_t i = 0; i + 3 < p.size(); i += 4)
		count += !UiNear(UiColor{p[i], p[i + 1], p[i + 2]}, colour, tolerance);
	return count;
}

std::vector<float> GfxUniform(const char* name, int count, unsigned int program)
{
	if (!program)
	{
		GLint current = 0;
		glGetIntegerv(GL_CURRENT_PROGRAM, &current);
		program = (unsigned int)current;
	}
	std::vector<float> v(16, -99.0f);
	glGetUniformfv(program, glGetUniformLocation(program, name), v.data());
	v.resize((size_t)count);
	return v;
}

KEGfxVertexList* GfxMakeQuad(float size, unsigned int argb)
{
	const float h = size * 0.5f;
	KEGfxMeshStart();
	KEGfxTriAdd(-h, -h, argb, 0.0f, 1.0f, h, -h, argb, 1.0f, 1.0f, h, h, argb, 1.0f, 0.0f);
	KEGfxTriAdd(-h, -h, argb, 0.0f, 1.0f, h, h, argb, 1.0f, 0.0f, -h, h, argb, 0.0f, 0.0f);
	return KEGfxMeshEnd();
}

void GfxWriteFile(const std::string& path, const std::string& bytes)
{
	std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), (std::streamsize)bytes.size());
}

std::string GfxReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream ss;
	ss << in.rdbuf();
	return ss.str();
}
