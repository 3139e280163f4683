// Meshes: one engine-wide staging area, uploaded into three static vertex buffers.
#include <GL/glew.h>

#include "KEGraphics.h"
#include "KEGraphicsInternal.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

KEGfxStagedVertex gKEGfxStaging[KE_MESH_VERTEX_MAX];

namespace
{
unsigned int sStagedCount = 0;
bool         sOverflowReported = false;
} // namespace

void KEGfxReset()
{
	sStagedCount = 0;
	sOverflowReported = false;
}

void KEGfxMeshStart()
{
}

void KEGfxVertexAdd(float x, float y, unsigned int color, float u, float v)
{
	if (sStagedCount >= KE_MESH_VERTEX_MAX)
	{
		// A mesh larger than the staging area keeps its first vertices; the rest are dropped.
		if (!sOverflowReported)
			std::printf("KEGfxVertexAdd: more than %d vertices in one mesh, extra vertices dropped\n",
			            KE_MESH_VERTEX_MAX);
		sOverflowReported = true;
		return;
	}
	KEGfxStagedVertex& vtx = gKEGfxStaging[sStagedCount++];
	vtx.x = x;
	vtx.y = y;
	vtx.z = 0.0f;
	vtx.color = color;
	vtx.u = u;
	vtx.v = v;
}

void KEGfxTriAdd(float x0, float y0, unsigned int c0, float u0, float v0,
                 float x1, float y1, unsigned int c1, float u1, float v1,
                 float x2, float y2, unsigned int c2, float u2, float v2)
{
	KEGfxVertexAdd(x0, y0, c0, u0, v0);
	KEGfxVertexAdd(x1, y1, c1, u1, v1);
	KEGfxVertexAdd(x2, y2, c2, u2, v2);
}

void KEGfxTriListInitialize(KEGfxVertexList* pList)
{
	if (pList)
		pList->pVBO = (unsigned int*)std::calloc(3, sizeof(unsigned int));
}

namespace
{
// Uploads the staged vertices into the list's three buffers and empties the staging area.
void UploadStaged(KEGfxVertexList* pList, GLenum usage)
{
	pList->vertexNum = sStagedCount;
	if (!KEGfxHasContext() || !pList->pVBO)
	{
		KEGfxReset();
		return;
	}
	const unsigned int n = sStagedCount;
	std::vector<float> positions(n * 3), colors(n * 4), texCoords(n * 2);
	for (unsigned int i = 0; i < n; ++i)
	{
		const KEGfxStagedVertex& vtx = gKEGfxStaging[i];
		positions[i * 3 + 0] = vtx.x;
		positions[i * 3 + 1] = vtx.y;
		positions[i * 3 + 2] = vtx.z;
		colors[i * 4 + 0] = ((vtx.color >> 16) & 0xFF) / 255.0f;
		colors[i * 4 + 1] = ((vtx.color >> 8) & 0xFF) / 255.0f;
		colors[i * 4 + 2] = (vtx.color & 0xFF) / 255.0f;
		colors[i * 4 + 3] = ((vtx.color >> 24) & 0xFF) / 255.0f;
		texCoords[i * 2 + 0] = vtx.u;
		texCoords[i * 2 + 1] = vtx.v;
	}

	const std::vector<float>* arrays[3] = {&positions, &colors, &texCoords};
	for (int b = 0; b < 3; ++b)
	{
		glBindBuffer(GL_ARRAY_BUFFER, pList->pVBO[b]);
		glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(arrays[b]->size() * sizeof(float)),
		             arrays[b]->data(), usage);
		glBindBuffer(GL_ARRAY_BUFFER, 0);
		if (usage == GL_STATIC_DRAW)
			glFinish();
	}
	KE_CHECK_GL_ERROR("KEGfxMeshEnd");
	KEGfxReset();
}
} // namespace

KEGfxVertexList* KEGfxMeshEnd()
{
	KEGfxVertexList* pList = (KEGfxVertexList*)std::calloc(1, sizeof(KEGfxVertexList));
	KEGfxTriListInitialize(pList);
	if (KEGfxHasContext())
		glGenBuffers(3, pList->pVBO);
	UploadStaged(pList, GL_STATIC_DRAW);
	return pList;
}

void KEGfxMeshUpdate(KEGfxVertexList* pList)
{
	if (!pList)
	{
		KEGfxReset();
		return;
	}
	// Replaced every frame or so: no wait for the upload.
	UploadStaged(pList, GL_STREAM_DRAW);
}

void KEGfxMeshDraw(KEGfxVertexList* pList, unsigned int drawMode)
{
	GLenum primitive;
	switch (drawMode)
	{
	case KE_MESH_DRAW_POINTS: primitive = GL_POINTS; break;
	case KE_MESH_DRAW_LINES: primitive = GL_LINES; break;
	case KE_MESH_DRAW_LINE_STRIP: primitive = GL_LINE_STRIP; break;
	case KE_MESH_DRAW_TRIANGLES: primitive = GL_TRIANGLES; break;
	default:
		std::printf("Mesh Draw Mode %u is invalid!\n", drawMode);
		return;
	}

	// Without a program there is nothing to draw with (and the attribute calls would fail).
	const unsigned int program = KEGfxShaderGetCurrent();
	if (!pList || !pList->pVBO || program == KE_GFX_PROGRAM_NONE)
		return;

	GLint position = KEGfxShaderGetAttributeLocation("aPosition");
	glEnableVertexAttribArray(position);
	glBindBuffer(GL_ARRAY_BUFFER, pList->pVBO[0]);
	glVertexAttribPointer(position, 3, GL_FLOAT, GL_FALSE, 0, nullptr);

	const bool color = program == KE_GFX_PROGRAM_COLOR;
	GLint second = KEGfxShaderGetAttributeLocation(color ? "aColor" : "aTextureCoordinate");
	glBindBuffer(GL_ARRAY_BUFFER, pList->pVBO[color ? 1 : 2]);
	glEnableVertexAttribArray(second);
	glVertexAttribPointer(second, color ? 4 : 2, GL_FLOAT, GL_FALSE, 0, nullptr);
	glDrawArrays(primitive, 0, (GLsizei)pList->vertexNum);
	glDisableVertexAttribArray(second);

	glDisableVertexAttribArray(position);
	glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void KEGfxMeshFree(KEGfxVertexList* pList)
{
	if (!pList)
		return;
	if (pList->pVBO && KEGfxHasContext())
		glDeleteBuffers(3, pList->pVBO);
	std::free(pList->pVBO);
	std::free(pList);
}
