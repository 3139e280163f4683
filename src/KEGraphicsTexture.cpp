// Textures: PNG pictures or raw RGBA bytes as OpenGL 2-D textures, v = 0 at the top.
#include <GL/glew.h>

#include "KEGraphics.h"
#include "KEGraphicsInternal.h"
#include "Image.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace
{
const size_t kPathMax = 255;

// A picture that cannot be loaded shows as a magenta and black checker, never as nothing.
const int kPlaceholderSide = 8;

void MakePlaceholder(PlatformImage* image)
{
	image->width = image->height = kPlaceholderSide;
	image->rgba.assign(kPlaceholderSide * kPlaceholderSide * 4, 0);
	for (int y = 0; y < kPlaceholderSide; ++y)
		for (int x = 0; x < kPlaceholderSide; ++x)
		{
			unsigned char* p = &image->rgba[(y * kPlaceholderSide + x) * 4];
			const bool magenta = ((x / 2) + (y / 2)) % 2 == 0;
			p[0] = magenta ? 255 : 0;
			p[1] = 0;
			p[2] = magenta ? 255 : 0;
			p[3] = 255;
		}
}

// Takes whole units off an offset above 1.0 until it lies in (0, 1], as repeated
// subtraction would, but in one step: huge or infinite offsets cannot stall a frame.
float ReduceOffset(float offset)
{
	if (!std::isfinite(offset))
		return 0.0f;
	if (offset > 1.0f)
	{
		offset = std::fmod(offset, 1.0f);
		if (offset == 0.0f)
			offset = 1.0f;
	}
	return offset;
}

KEGfxTexture* NewTexture(const char* fileName)
{
	KEGfxTexture* pTexture = (KEGfxTexture*)std::calloc(1, sizeof(KEGfxTexture));
	KEGfxTextureInitialize(pTexture);
	if (fileName)
		std::memcpy(pTexture->fileName, fileName, std::strlen(fileName) + 1);
	return pTexture;
}

// Rows are uploaded in the given order, so the first row is at v = 0.
void Upload(KEGfxTexture* pTexture, GLint internalFormat, const unsigned char* pPixels, int width, int height)
{
	if (!KEGfxHasContext())
		return;
	glGenTextures(1, pTexture->pTexName);
	glBindTexture(GL_TEXTURE_2D, *pTexture->pTexName);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
	glPixelStorei(GL_UNPACK_ALIGNMENT, 4);   // RGBA rows are always 4-byte aligned
	glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pPixels);
	glBindTexture(GL_TEXTURE_2D, 0);
	pTexture->width = width;
	pTexture->height = height;
	pTexture->opaque = true;
	for (size_t i = 3; pTexture->opaque && i < (size_t)width * height * 4; i += 4)
		pTexture->opaque = pPixels[i] == 255;
}
} // namespace

void KEGfxTextureInitialize(KEGfxTexture* pTexture)
{
	if (pTexture)
		pTexture->pTexName = (unsigned int*)std::calloc(1, sizeof(unsigned int));
}

KEGfxTexture* KEGfxTextureLoad(const char* path)
{
	if (!path || std::strlen(path) > kPathMax)
		return nullptr;

	KEGfxTexture* pTexture = NewTexture(path);
	PlatformImage image;
	if (!PlatformImageLoadPNG(path, &image))
	{
		// Named once per run: a level of seven guards would name a missing guard seven times,
		// and again at every visit.
		static std::set<std::string> sNamed;
		if (sNamed.insert(path).second)
			std::printf("KEGfxTextureLoad: cannot load picture \"%s\", using a placeholder\n", path);
		MakePlaceholder(&image);
	}
	Upload(pTexture, GL_RGBA8, image.rgba.data(), image.width, image.height);
	return pTexture;
}

KEGfxTexture* KEGfxTextureLoadFromMemory(const unsigned char* pPixels, int width, int height)
{
	KEGfxTexture* pTexture = NewTexture(nullptr);
	PlatformImage placeholder;
	if (!pPixels || width <= 0 || height <= 0 ||
	    width > PLATFORM_IMAGE_MAX_SIDE || height > PLATFORM_IMAGE_MAX_SIDE)
	{
		std::printf("KEGfxTextureLoadFromMemory: no usable pixels (%d x %d), using a placeholder\n",
		            width, height);
		MakePlaceholder(&placeholder);
		pPixels = placeholder.rgba.data();
		width = placeholder.width;
		height = placeholder.height;
	}
	Upload(pTexture, GL_RGBA, pPixels, width, height);
	return pTexture;
}

void KEGfxTextureUnload(KEGfxTexture* pTexture)
{
	if (!pTexture)
		return;
	if (pTexture->frameBuffer && KEGfxHasContext())
		glDeleteFramebuffers(1, &pTexture->frameBuffer);
	if (pTexture->pTexName && KEGfxHasContext())
		glDeleteTextures(1, pTexture->pTexName);
	std::free(pTexture->pTexName);
	std::free(pTexture);
}

void KEGfxTextureSet(KEGfxTexture* pTexture, float offsetX, float offsetY)
{
	if (!KEGfxHasContext())
		return;
	if (!pTexture)
	{
		glBindTexture(GL_TEXTURE_2D, 0);
		return;
	}

	const bool program = KEGfxShaderGetCurrent() != KE_GFX_PROGRAM_NONE;
	GLint sampler = KEGfxShaderGetUniformLocation("uTexture");
	glActiveTexture(GL_TEXTURE0);
	glBindTexture(GL_TEXTURE_2D, pTexture->pTexName ? *pTexture->pTexName : 0);
	if (program)
		glUniform1i(sampler, 0);
	KE_CHECK_GL_ERROR("KEGfxTextureSet");

	offsetX = ReduceOffset(offsetX);
	offsetY = ReduceOffset(offsetY);
	if (program)
		glUniform2f(KEGfxShaderGetUniformLocation("uTextureOffset"), offsetX, offsetY);
	KE_CHECK_GL_ERROR("KEGfxTextureSet");
}

void KEGfxSetTextureMode(unsigned int mode)
{
	GLint filter;
	if (mode == KE_TEXTURE_MODE_NEAREST)
		filter = GL_NEAREST;
	else if (mode == KE_TEXTURE_MODE_LINEAR)
		filter = GL_LINEAR;
	else
	{
		std::printf("Unsupported texture mode!\n");
		return;
	}
	if (!KEGfxHasContext())
		return;
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

void KEGfxSaveTextureToFile(KEGfxTexture* pTexture, const char* path)
{
	if (pTexture && path)
		std::printf("KEGfxSaveTextureToFile not supported in the OpenGL version of the Kelvo Engine!\n");
}
