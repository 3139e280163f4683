#pragma once
// The renderer: OpenGL 2.0 with a colour program and a texture program, meshes,
// textures, bitmap fonts and debug primitives.
#include "KEMtx33.h"

enum
{
	KE_RENDER_MODE_NONE = 0,
	KE_RENDER_MODE_COLOR = 1,
	KE_RENDER_MODE_TEXTURE = 2,
};

enum
{
	KE_BLEND_MODE_NONE = 0,
	KE_BLEND_MODE_BLEND = 1,
	KE_BLEND_MODE_ADD = 2,
};

enum
{
	KE_MESH_DRAW_POINTS = 0,
	KE_MESH_DRAW_LINES = 1,
	KE_MESH_DRAW_LINE_STRIP = 2,
	KE_MESH_DRAW_TRIANGLES = 3,
};

enum
{
	KE_TEXTURE_MODE_NEAREST = 0,
	KE_TEXTURE_MODE_LINEAR = 1,
};

#define KE_MESH_VERTEX_MAX 24576

struct KEGfxVertexList
{
	unsigned int* pVBO;       // 3 buffer names: positions, colours, texture coordinates
	unsigned int  vertexNum;
};

struct KEGfxTexture
{
	unsigned int* pTexName;   // the OpenGL texture name, 0 until generated
	char          fileName[256];
	int           width, height;   // in pixels, 0 until uploaded
	unsigned int  frameBuffer;     // an off-screen target's framebuffer, 0 for pictures
	bool          opaque;          // every pixel of the uploaded picture has alpha 1
};

extern float gKEWinMinX, gKEWinMaxX, gKEWinMinY, gKEWinMaxY;

// Renderer
int   KEGfxInit(int width, int height);
void  KEGfxExit();
void  KEGfxStart();
void  KEGfxEnd();
void  KEGfxReset();
void  KEGfxSetBackgroundColor(float r, float g, float b);
void  KEGfxSetRenderMode(unsigned int mode);
void  KEGfxSetBlendMode(unsigned int mode);
int   KEGetWindowWidth();
int   KEGetWindowHeight();
float KEGfxGetWinMinX();
float KEGfxGetWinMaxX();
float KEGfxGetWinMinY();
float KEGfxGetWinMaxY();
void  KEGfxSetCamPosition(float x, float y);
void  KEGfxGetCamPosition(float* pX, float* pY);
void  KEGfxSetPosition(float x, float y);
void  KEGfxSetTransform(const KEMtx33* pMtx);
void  KEGfxSetTransform3D(const float* pMtx4RowMajor);
void  KEGfxSetTransparency(float a);
void  KEGfxSetBlendColor(float r, float g, float b, float a);
void  KEGfxSetTintColor(float r, float g, float b, float a);

// Meshes
void             KEGfxMeshStart();
void             KEGfxVertexAdd(float x, float y, unsigned int color, float u, float v);
void             KEGfxTriAdd(float x0, float y0, unsigned int c0, float u0, float v0,
                             float x1, float y1, unsigned int c1, float u1, float v1,
                             float x2, float y2, unsigned int c2, float u2, float v2);
KEGfxVertexList* KEGfxMeshEnd();
// Refills a mesh made by KEGfxMeshEnd with the vertices staged since (for meshes that change often).
void             KEGfxMeshUpdate(KEGfxVertexList* pList);
void             KEGfxMeshDraw(KEGfxVertexList* pList, unsigned int drawMode);
void             KEGfxMeshFree(KEGfxVertexList* pList);
void             KEGfxTriListInitialize(KEGfxVertexList* pList);

// Textures
KEGfxTexture* KEGfxTextureLoad(const char* path);
KEGfxTexture* KEGfxTextureLoadFromMemory(const unsigned char* pPixels, int width, int height);
void          KEGfxTextureUnload(KEGfxTexture* pTexture);
void          KEGfxTextureSet(KEGfxTexture* pTexture, float offsetX, float offsetY);
void          KEGfxSetTextureMode(unsigned int mode);
void          KEGfxSaveTextureToFile(KEGfxTexture* pTexture, const char* path);
void          KEGfxTextureInitialize(KEGfxTexture* pTexture);

// Off-screen targets: a texture drawn into once (at load, say) and then shown like any
// picture. Create gives null without framebuffer support or beyond the driver's size limit.
KEGfxTexture* KEGfxTargetCreate(int width, int height);
// Drawing goes into the target until KEGfxTargetEnd: it starts transparent and shows the
// world rectangle (minX, minY)-(maxX, maxY); render modes, blending and transforms work as
// on screen. False (and drawing stays on screen) when the target cannot be drawn into.
bool          KEGfxTargetBegin(KEGfxTexture* pTarget, float minX, float minY, float maxX, float maxY);
// Copies the whole target onto the whole window, pixel for pixel (it must have the window's
// size, full-screen scale included): no program, blending or transparency takes part.
void          KEGfxTargetShow(KEGfxTexture* pTarget);
// Back to the window, with the blending, the bound texture, the current program and every
// program's colour values and world matrix as they were at Begin.
void          KEGfxTargetEnd();
// Draws once with each program, blend mode and kind of texture, and copies a target, out of
// sight, so the driver builds its code for them before some state's first frame needs it:
// all of it once the next frame is shown (the back buffer is free then). The program's first
// frame, the splash, waits for it, and no later one.
void          KEGfxWarmUpBegin();

// Fonts
unsigned int KEGfxCreateFont(const char* faceName, int size, bool bold, bool italic);
void         KEGfxPrint(unsigned int font, const char* text, int x, int y, float r, float g, float b);
void         KEGfxDestroyFont(unsigned int font);

// Debug primitives (the game never calls them)
void         KEGfxLine(float x0, float y0, float z0, float r0, float g0, float b0, float a0,
                       float x1, float y1, float z1, float r1, float g1, float b1, float a1);
void         KEGfxAxis(float size);
void         KEGfxPoint(float x, float y, float z, unsigned int color);
void         KEGfxTri(float x0, float y0, float z0, unsigned int c0,
                      float x1, float y1, float z1, unsigned int c1,
                      float x2, float y2, float z2, unsigned int c2);
void         KEGfxQuad(float x0, float y0, float z0, unsigned int c0,
                       float x1, float y1, float z1, unsigned int c1,
                       float x2, float y2, float z2, unsigned int c2,
                       float x3, float y3, float z3, unsigned int c3);
void         KEGfxBox(float x, float y, float z, float sizeX, float sizeY, float sizeZ,
                      unsigned int color1, unsigned int color2);
void         KEGfxSphere(float x, float y, float z, float radius,
                         unsigned int color1, unsigned int color2, unsigned int slices);
void         KEGfxCone(float x, float y, float z, float radius, float height, unsigned int color);
unsigned int KEGfxColInterp(unsigned int color0, unsigned int color1, float t);
