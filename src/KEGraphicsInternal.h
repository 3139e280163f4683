#pragma once
// Shared between the renderer's source files; not part of the engine's public interface.

// Program slots of the renderer's one shader object (0 = no program bound).
enum
{
	KE_GFX_PROGRAM_NONE = 0,
	KE_GFX_PROGRAM_COLOR = 1,
	KE_GFX_PROGRAM_TEXTURE = 2,
};

// True between a successful KEGfxInit and KEGfxExit. Without a context (KEGfxInit
// failed and the game runs on without drawing) every renderer call does nothing.
bool KEGfxHasContext();

// Current program slot.
unsigned int KEGfxShaderGetCurrent();
// Locations in the current program; -1 with no program bound.
int KEGfxShaderGetUniformLocation(const char* name);
int KEGfxShaderGetAttributeLocation(const char* name);

#include "KEMath4.h"

// Orthographic projection of the (full-screen scaled) window, near 1, far 1000.
Matrix4 KEGfxProjectionMatrix();
// Look-at view of the camera with the full-screen scale, times factor on x and y.
Matrix4 KEGfxViewMatrix(float factor);
// Where drawing goes: the window (inactive) or an off-screen target showing a world rectangle.
struct KEGfxTargetView
{
	bool  active = false;
	float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
	int   pixelWidth = 0, pixelHeight = 0;
};
// Switches the projection, view and viewport to the given destination; no program stays bound.
void KEGfxSetTargetView(const KEGfxTargetView& view);
// The warm-up begun by KEGfxWarmUpBegin, if one is pending.
void KEGfxWarmUpRun();
// The OpenGL name of a program slot (0 for none).
unsigned int KEGfxShaderProgram(unsigned int slot);

// Uploads the camera's view to the current program, scaled by factor on x and y on top
// of the full-screen scale (text draws with 1/3 into a tripled viewport).
void KEGfxUploadView(float factor);

// Drains the OpenGL error queue; any error is reported and ends the process.
void KEGfxCheckGLError(int line, const char* func);
#define KE_CHECK_GL_ERROR(func) KEGfxCheckGLError(__LINE__, func)

// Reports a fatal renderer condition, waits for a key and ends the process.
[[noreturn]] void KEGfxHalt(int line, const char* func, const char* message);

// The mesh staging area, shared by mesh building and the debug primitives.
#include "KEGraphics.h"

struct KEGfxStagedVertex
{
	float        x, y, z;
	unsigned int color;   // ARGB
	float        u, v;
};

extern KEGfxStagedVertex gKEGfxStaging[KE_MESH_VERTEX_MAX];
