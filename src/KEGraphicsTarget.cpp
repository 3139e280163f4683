// Off-screen targets (a texture with its own framebuffer) and the start-up warm-up that
// makes the driver build its drawing code before the first frame needs it.
#include <GL/glew.h>

#include "KEGraphics.h"
#include "KEGraphicsInternal.h"

#include <cstdlib>
#include <vector>

namespace
{
// What drawing into a target changes and KEGfxTargetEnd puts back.
struct ProgramValues
{
	GLfloat world[16], tint[4], blend[4], offset[2], transparency;
};

struct SavedState
{
	bool          active = false;
	GLboolean     blending = GL_FALSE;
	GLint         blendFunc[4] = {GL_ONE, GL_ZERO, GL_ONE, GL_ZERO};
	GLint         texture = 0;
	GLint         viewport[4] = {0, 0, 0, 0};
	GLfloat       clear[4] = {0, 0, 0, 0};
	unsigned int  program = 0;
	ProgramValues values[3] = {};
};

SavedState sSaved;

bool HasFrameBuffers()
{
	return KEGfxHasContext() && (GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object);
}

void Read(GLuint program, const char* name, GLfloat* out)
{
	GLint at = glGetUniformLocation(program, name);
	if (at >= 0)
		glGetUniformfv(program, at, out);
}

void Save()
{
	sSaved.blending = glIsEnabled(GL_BLEND);
	glGetIntegerv(GL_BLEND_SRC_RGB, &sSaved.blendFunc[0]);
	glGetIntegerv(GL_BLEND_DST_RGB, &sSaved.blendFunc[1]);
	glGetIntegerv(GL_BLEND_SRC_ALPHA, &sSaved.blendFunc[2]);
	glGetIntegerv(GL_BLEND_DST_ALPHA, &sSaved.blendFunc[3]);
	glGetIntegerv(GL_TEXTURE_BINDING_2D, &sSaved.texture);
	glGetIntegerv(GL_VIEWPORT, sSaved.viewport);
	glGetFloatv(GL_COLOR_CLEAR_VALUE, sSaved.clear);
	sSaved.program = KEGfxShaderGetCurrent();
	for (unsigned int slot = 1; slot <= 2; ++slot)
	{
		GLuint program = KEGfxShaderProgram(slot);
		ProgramValues& v = sSaved.values[slot];
		Read(program, "uWorldMatrix", v.world);
		Read(program, "uTintColor", v.tint);
		Read(program, "uBlendColor", v.blend);
		Read(program, "uTransparencyValue", &v.transparency);
		Read(program, "uTextureOffset", v.offset);
	}
}

void Restore()
{
	KEGfxSetTargetView(KEGfxTargetView());   // drawing goes to the window, no program bound
	for (unsigned int slot = 1; slot <= 2; ++slot)
	{
		GLuint program = KEGfxShaderProgram(slot);
		const ProgramValues& v = sSaved.values[slot];
		glUseProgram(program);
		glUniformMatrix4fv(glGetUniformLocation(program, "uWorldMatrix"), 1, GL_FALSE, v.world);
		glUniform4fv(glGetUniformLocation(program, "uTintColor"), 1, v.tint);
		glUniform4fv(glGetUniformLocation(program, "uBlendColor"), 1, v.blend);
		glUniform1f(glGetUniformLocation(program, "uTransparencyValue"), v.transparency);
		GLint offset = glGetUniformLocation(program, "uTextureOffset");
		if (offset >= 0)
			glUniform2fv(offset, 1, v.offset);
	}
	glUseProgram(0);   // the renderer's own record says no program is bound
	if (sSaved.blending)
		glEnable(GL_BLEND);
	else
		glDisable(GL_BLEND);
	glBlendFuncSeparate(sSaved.blendFunc[0], sSaved.blendFunc[1], sSaved.blendFunc[2], sSaved.blendFunc[3]);
	glBindTexture(GL_TEXTURE_2D, (GLuint)sSaved.texture);
	glViewport(sSaved.viewport[0], sSaved.viewport[1], sSaved.viewport[2], sSaved.viewport[3]);
	glClearColor(sSaved.clear[0], sSaved.clear[1], sSaved.clear[2], sSaved.clear[3]);
	if (sSaved.program)
		KEGfxSetRenderMode(sSaved.program);   // uploads the window's projection and view again
}
} // namespace

KEGfxTexture* KEGfxTargetCreate(int width, int height)
{
	if (!HasFrameBuffers() || width <= 0 || height <= 0)
		return nullptr;
	GLint limit = 0;
	glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
	if (width > limit || height > limit)
		return nullptr;

	KEGfxTexture* pTarget = (KEGfxTexture*)std::calloc(1, sizeof(KEGfxTexture));
	KEGfxTextureInitialize(pTarget);
	GLint bound = 0;
	glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
	glGenTextures(1, pTarget->pTexName);
	glBindTexture(GL_TEXTURE_2D, *pTarget->pTexName);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
	glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
	glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
	pTarget->width = width;
	pTarget->height = height;

	glGenFramebuffers(1, &pTarget->frameBuffer);
	glBindFramebuffer(GL_FRAMEBUFFER, pTarget->frameBuffer);
	glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, *pTarget->pTexName, 0);
	const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
	glBindFramebuffer(GL_FRAMEBUFFER, 0);
	// Running out of memory for a large target is not fatal: the caller draws another way.
	while (glGetError() != GL_NO_ERROR) {}
	if (!complete)
	{
		KEGfxTextureUnload(pTarget);
		return nullptr;
	}
	return pTarget;
}

bool KEGfxTargetBegin(KEGfxTexture* pTarget, float minX, float minY, float maxX, float maxY)
{
	if (!pTarget || !pTarget->frameBuffer || !HasFrameBuffers() || sSaved.active || maxX <= minX ||
	    maxY <= minY)
		return false;
	Save();
	sSaved.active = true;
	glBindFramebuffer(GL_FRAMEBUFFER, pTarget->frameBuffer);
	KEGfxTargetView view;
	view.active = true;
	view.minX = minX, view.minY = minY, view.maxX = maxX, view.maxY = maxY;
	view.pixelWidth = pTarget->width, view.pixelHeight = pTarget->height;
	KEGfxSetTargetView(view);
	glViewport(0, 0, pTarget->width, pTarget->height);
	glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
	glClear(GL_COLOR_BUFFER_BIT);
	KE_CHECK_GL_ERROR("KEGfxTargetBegin");
	return true;
}

void KEGfxTargetEnd()
{
	if (!sSaved.active)
		return;
	sSaved.active = false;
	glBindFramebuffer(GL_FRAMEBUFFER, 0);
	Restore();
	KE_CHECK_GL_ERROR("KEGfxTargetEnd");
}

void KEGfxTargetShow(KEGfxTexture* pTarget)
{
	if (!pTarget || !pTarget->frameBuffer || !HasFrameBuffers() || sSaved.active)
		return;
	glBindFramebuffer(GL_READ_FRAMEBUFFER, pTarget->frameBuffer);
	glBlitFramebuffer(0, 0, pTarget->width, pTarget->height, 0, 0, pTarget->width, pTarget->height,
	                  GL_COLOR_BUFFER_BIT, GL_NEAREST);
	glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
	KE_CHECK_GL_ERROR("KEGfxTargetShow");
}

namespace
{
struct WarmUp
{
	bool              pending = false;
	KEGfxTexture*     pictures[2] = {nullptr, nullptr};
	KEGfxTexture*     target = nullptr;
	KEGfxVertexList*  mesh = nullptr;
};

WarmUp sWarmUp;

void FreeWarmUp()
{
	KEGfxTextureUnload(sWarmUp.target);
	KEGfxMeshFree(sWarmUp.mesh);
	KEGfxTextureUnload(sWarmUp.pictures[0]);
	KEGfxTextureUnload(sWarmUp.pictures[1]);
	sWarmUp = WarmUp();
}
} // namespace

void KEGfxWarmUpBegin()
{
	if (!KEGfxHasContext() || sWarmUp.pending)
		return;
	// A picture of a power-of-two side and one of another side: the driver builds separate
	// sampling code for the two. The target's sides are no power of two, as the window's are.
	const std::vector<unsigned char> white(4 * 4 * 4, 255);
	sWarmUp.pictures[0] = KEGfxTextureLoadFromMemory(white.data(), 4, 4);
	sWarmUp.pictures[1] = KEGfxTextureLoadFromMemory(white.data(), 3, 3);
	KEGfxMeshStart();
	KEGfxTriAdd(0.0f, 0.0f, 0x01FFFFFF, 0.0f, 1.0f, 64.0f, 0.0f, 0x01FFFFFF, 1.0f, 1.0f,
	            0.0f, 64.0f, 0x01FFFFFF, 0.0f, 0.0f);
	sWarmUp.mesh = KEGfxMeshEnd();
	sWarmUp.target = KEGfxTargetCreate(3, 3);
	sWarmUp.pending = true;
}

void KEGfxWarmUpRun()
{
	if (!sWarmUp.pending)
		return;
	// For a target and then the window, each blend mode with the colour program and with
	// pictures of both kinds of side; the window's copy of a target too.
	const unsigned int blends[3] = {KE_BLEND_MODE_NONE, KE_BLEND_MODE_BLEND, KE_BLEND_MODE_ADD};
	for (int piece = 0; piece < 6; ++piece)
	{
		const bool offScreen = piece < 3;
		// The window's back buffer is drawn into only between frames: the next frame clears it.
		if (!offScreen)
			Save();
		else if (!KEGfxTargetBegin(sWarmUp.target, 0.0f, 0.0f, 3.0f, 3.0f))
			continue;
		KEGfxSetBlendMode(blends[piece % 3]);
		for (int kind = 0; kind < 3; ++kind)
		{
			KEGfxSetRenderMode(kind == 0 ? KE_RENDER_MODE_COLOR : KE_RENDER_MODE_TEXTURE);
			KEGfxSetPosition(0.0f, 0.0f);
			KEGfxSetTransparency(0.0f);
			KEGfxTextureSet(kind == 0 ? nullptr : sWarmUp.pictures[kind - 1], 0.0f, 0.0f);
			KEGfxMeshDraw(sWarmUp.mesh, KE_MESH_DRAW_TRIANGLES);
		}
		if (offScreen)
			KEGfxTargetEnd();
		else
		{
			Restore();
			KEGfxTargetShow(sWarmUp.target);   // a copy has code of its own
		}
	}
	FreeWarmUp();
	KE_CHECK_GL_ERROR("KEGfxWarmUpRun");
}
