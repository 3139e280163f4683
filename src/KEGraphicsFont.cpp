// Bitmap fonts (one display list per printable character) and the debug primitives.
#include <GL/glew.h>

#include "KEGraphics.h"
#include "KEGraphicsInternal.h"
#include "KESystem.h"
#include "Font.h"

#include <cmath>
#include <vector>

namespace
{
const int kTextMax = 255;
const float kTextViewFactor = 1.0f / 3.0f;

// The raster position of world (x, y) through the text's projection, view and viewport,
// set in window coordinates. glRasterPos through the programs would need the driver to
// feed the position into attribute 0, which Mesa does not do.
void SetRasterPosition(int x, int y, const GLint viewport[4])
{
	Point4 clip = KEGfxProjectionMatrix() * (KEGfxViewMatrix(kTextViewFactor) *
	                                         Point4((float)x, (float)y, 0.0f, 1.0f));
	const float ndcX = clip.x / clip.w, ndcY = clip.y / clip.w;
	glWindowPos2f(viewport[0] + (ndcX + 1.0f) * 0.5f * viewport[2],
	              viewport[1] + (ndcY + 1.0f) * 0.5f * viewport[3]);
}
} // namespace

unsigned int KEGfxCreateFont(const char* faceName, int size, bool bold, bool italic)
{
	if (!KEGfxHasContext())
		return 0;
	GLuint base = glGenLists(PLATFORM_FONT_CHAR_COUNT);
	std::vector<PlatformGlyph> glyphs(PLATFORM_FONT_CHAR_COUNT);
	// No font found: the glyphs stay empty and the lists draw nothing.
	PlatformFontRender(faceName, size, bold, italic, glyphs.data());

	// Bitmap rows are byte-packed; display lists take the unpack state at compile time.
	GLint alignment = 4;
	glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
	glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
	for (int i = 0; i < PLATFORM_FONT_CHAR_COUNT; ++i)
	{
		const PlatformGlyph& g = glyphs[i];
		glNewList(base + i, GL_COMPILE);
		if (g.width > 0 || g.advance != 0)
			glBitmap(g.width, g.height, (GLfloat)-g.left, (GLfloat)(g.height - g.top),
			         (GLfloat)g.advance, 0.0f, g.bits.empty() ? nullptr : g.bits.data());
		glEndList();
	}
	glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
	KE_CHECK_GL_ERROR("KEGfxCreateFont");
	return base;
}

void KEGfxPrint(unsigned int font, const char* text, int x, int y, float r, float g, float b)
{
	if (!text || !KEGfxHasContext())
		return;

	const int w = KEGetWindowWidth(), h = KEGetWindowHeight();
	float cx = 0.0f, cy = 0.0f;
	KEGfxGetCamPosition(&cx, &cy);
	const int xLow = (int)(-(w / 2) + cx + 1.0f), xHigh = (int)((w / 2) + cx - 1.0f);
	const int yLow = (int)(-(h / 2) + cy + 1.0f), yHigh = (int)((h / 2) + cy - 1.0f);
	if (x < xLow - w || x > xHigh || y < yLow - h || y > yHigh)
		return;

	// The text is data, never a format; codes outside the font are left out.
	GLubyte buffer[kTextMax + 1];
	int count = 0;
	for (const char* p = text; *p && p - text < kTextMax; ++p)
	{
		const unsigned char c = (unsigned char)*p;
		if (c >= PLATFORM_FONT_FIRST_CHAR && c < PLATFORM_FONT_FIRST_CHAR + PLATFORM_FONT_CHAR_COUNT)
			buffer[count++] = c;
	}
	buffer[count] = 0;

	// Three windows wide with the window in the middle and a view of 1/3 to match: the
	// text's placement reaches one window beyond each edge.
	const float sx = KESysGetFullScreenScaleX(), sy = KESysGetFullScreenScaleY();
	const GLint textViewport[4] = {(int)(-w * sx), (int)(-h * sy), (int)(3 * w * sx), (int)(3 * h * sy)};
	glViewport(textViewport[0], textViewport[1], textViewport[2], textViewport[3]);
	KEGfxSetPosition(0.0f, 0.0f);
	KEGfxUploadView(kTextViewFactor);
	KEGfxSetBlendColor(r, g, b, 1.0f);
	SetRasterPosition(x, y, textViewport);

	glPushAttrib(GL_LIST_BIT);
	glListBase(font - PLATFORM_FONT_FIRST_CHAR);
	glCallLists(count, GL_UNSIGNED_BYTE, buffer);
	glPopAttrib();

	// Afterwards: no blend colour, the whole window, the current camera's view.
	KEGfxSetBlendColor(0.0f, 0.0f, 0.0f, 0.0f);
	glViewport(0, 0, (int)(w * sx), (int)(h * sy));
	KEGfxUploadView(1.0f);
}

void KEGfxDestroyFont(unsigned int font)
{
	if (!KEGfxHasContext() || font == 0)
		return;
	glDeleteLists(font, PLATFORM_FONT_CHAR_COUNT);
}

// ---------------------------------------------------------------------------
// Debug primitives. The writing ones fill the staging area from vertex 0 without
// counting, so they must not run while a mesh is being built.

namespace
{
void Stage(unsigned int index, float x, float y, float z, unsigned int color)
{
	if (index >= KE_MESH_VERTEX_MAX)
		return;
	KEGfxStagedVertex& v = gKEGfxStaging[index];
	v.x = x;
	v.y = y;
	v.z = z;
	v.color = color;
	v.u = 0.0f;
	v.v = 0.0f;
}
} // namespace

void KEGfxLine(float x0, float y0, float z0, float r0, float g0, float b0, float a0,
               float x1, float y1, float z1, float r1, float g1, float b1, float a1)
{
	if (KEGfxShaderGetCurrent() != KE_GFX_PROGRAM_COLOR)
		return;
	const float positions[6] = {x0, y0, z0, x1, y1, z1};
	const float colors[8] = {r0, g0, b0, a0, r1, g1, b1, a1};
	GLint position = KEGfxShaderGetAttributeLocation("aPosition");
	GLint color = KEGfxShaderGetAttributeLocation("aColor");
	glBindBuffer(GL_ARRAY_BUFFER, 0);
	glEnableVertexAttribArray(position);
	glVertexAttribPointer(position, 3, GL_FLOAT, GL_FALSE, 0, positions);
	glEnableVertexAttribArray(color);
	glVertexAttribPointer(color, 4, GL_FLOAT, GL_FALSE, 0, colors);
	glDrawArrays(GL_LINES, 0, 2);
	glDisableVertexAttribArray(color);
	glDisableVertexAttribArray(position);
}

void KEGfxAxis(float size)
{
	const float len = size * 0.8f;
	KEGfxSphere(0.0f, 0.0f, 0.0f, size * 0.1f, 0xFF808080, 0xFFFFFFFF, 8);
	KEGfxLine(0, 0, 0, 1, 0, 0, 1, len, 0, 0, 1, 0, 0, 1);
	KEGfxLine(0, 0, 0, 0, 1, 0, 1, 0, len, 0, 0, 1, 0, 1);
	KEGfxLine(0, 0, 0, 0, 0, 1, 1, 0, 0, len, 0, 0, 1, 1);
	KEGfxCone(len, 0.0f, 0.0f, size * 0.05f, size * 0.2f, 0xFFFF0000);
	KEGfxCone(0.0f, len, 0.0f, size * 0.05f, size * 0.2f, 0xFF00FF00);
	KEGfxCone(0.0f, 0.0f, len, size * 0.05f, size * 0.2f, 0xFF0000FF);
}

void KEGfxPoint(float x, float y, float z, unsigned int color)
{
	Stage(0, x, y, z, color);
}

void KEGfxTri(float x0, float y0, float z0, unsigned int c0,
              float x1, float y1, float z1, unsigned int c1,
              float x2, float y2, float z2, unsigned int c2)
{
	Stage(0, x0, y0, z0, c0);
	Stage(1, x1, y1, z1, c1);
	Stage(2, x2, y2, z2, c2);
}

void KEGfxQuad(float x0, float y0, float z0, unsigned int c0,
               float x1, float y1, float z1, unsigned int c1,
               float x2, float y2, float z2, unsigned int c2,
               float x3, float y3, float z3, unsigned int c3)
{
	// Strip order: 0, 1, 3, 2.
	Stage(0, x0, y0, z0, c0);
	Stage(1, x1, y1, z1, c1);
	Stage(2, x3, y3, z3, c3);
	Stage(3, x2, y2, z2, c2);
}

void KEGfxBox(float x, float y, float z, float sizeX, float sizeY, float sizeZ,
              unsigned int color1, unsigned int color2)
{
	const float hx = sizeX * 0.5f, hy = sizeY * 0.5f, hz = sizeZ * 0.5f;
	// The bottom face takes colour 1, the top colour 2; the second pass replaces the first.
	for (int pass = 0; pass < 2; ++pass)
		for (unsigned int i = 0; i < 8; ++i)
		{
			const float cx = (i & 1) ? hx : -hx;
			const float cy = (i & 2) ? hy : -hy;
			const float cz = (i & 4) ? hz : -hz;
			Stage(i, x + cx, y + cy, z + cz, (i & 4) ? color2 : color1);
		}
}

void KEGfxSphere(float x, float y, float z, float radius,
                 unsigned int color1, unsigned int color2, unsigned int slices)
{
	if (slices < 4)
		slices = 4;
	if (slices > 32)
		slices = 32;
	const float pi = 3.14159265f;
	unsigned int index = 0;
	// Latitude bands from the south pole to the north pole, colour 1 fading into colour 2.
	for (unsigned int band = 0; band <= slices; ++band)
	{
		const float lat = -pi * 0.5f + pi * band / slices;
		const unsigned int color = KEGfxColInterp(color1, color2, (float)band / slices);
		for (unsigned int s = 0; s <= slices; ++s)
		{
			const float lon = 2.0f * pi * s / slices;
			Stage(index++, x + radius * std::cos(lat) * std::cos(lon), y + radius * std::sin(lat),
			      z + radius * std::cos(lat) * std::sin(lon), color);
		}
	}
}

void KEGfxCone(float, float, float, float, float, unsigned int)
{
}

unsigned int KEGfxColInterp(unsigned int color0, unsigned int color1, float t)
{
	if (!(t > 0.0f))
		t = 0.0f;
	if (t > 1.0f)
		t = 1.0f;
	unsigned int result = 0;
	for (int shift = 0; shift < 32; shift += 8)
	{
		const float c0 = (float)((color0 >> shift) & 0xFF);
		const float c1 = (float)((color1 >> shift) & 0xFF);
		float c = c0 + (c1 - c0) * t;
		if (c < 0.0f)
			c = 0.0f;
		if (c > 255.0f)
			c = 255.0f;
		result |= ((unsigned int)c & 0xFF) << shift;
	}
	return result;
}
