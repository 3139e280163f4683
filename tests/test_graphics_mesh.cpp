// Meshes: upload and its colour conversion, draw modes, the staging limit.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "GfxTestUtil.h"
#include "KEGraphics.h"

using Floats = std::vector<float>;

namespace
{
Floats ReadBuffer(unsigned int buffer, size_t floats)
{
	Floats data(floats, -1.0f);
	GLint size = 0;
	glBindBuffer(GL_ARRAY_BUFFER, buffer);
	glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
	EXPECT_EQ((size_t)size, floats * sizeof(float));
	glGetBufferSubData(GL_ARRAY_BUFFER, 0, (GLsizeiptr)(floats * sizeof(float)), data.data());
	glBindBuffer(GL_ARRAY_BUFFER, 0);
	return data;
}
} // namespace

TEST(GraphicsMesh, UploadConvertsArgbAndEmptiesTheStagingArea)
{
	ASSERT_TRUE(GfxStartEngine());
	KEGfxReset();
	KEGfxMeshStart();
	KEGfxVertexAdd(1, 2, 0x80FF0000, 0.25f, 0.75f);
	KEGfxTriAdd(3, 4, 0xFF00FF00, 0, 0, 5, 6, 0x000000FF, 1, 0, 7, 8, 0x12345678, 0, 1);
	KEGfxVertexList* mesh = KEGfxMeshEnd();
	ASSERT_EQ(mesh->vertexNum, 4u);
	EXPECT_EQ(ReadBuffer(mesh->pVBO[0], 12), Floats({1, 2, 0, 3, 4, 0, 5, 6, 0, 7, 8, 0}));
	EXPECT_EQ(ReadBuffer(mesh->pVBO[1], 16),
	          Floats({1, 0, 0, 128 / 255.0f, 0, 1, 0, 1, 0, 0, 1, 0,
	                  0x34 / 255.0f, 0x56 / 255.0f, 0x78 / 255.0f, 0x12 / 255.0f}));
	EXPECT_EQ(ReadBuffer(mesh->pVBO[2], 8), Floats({0.25f, 0.75f, 0, 0, 1, 0, 0, 1}));

	// The second end finds nothing staged; so does an end after KEGfxReset.
	KEGfxVertexList* empty = KEGfxMeshEnd();
	EXPECT_EQ(empty->vertexNum, 0u);
	KEGfxVertexAdd(0, 0, 0, 0, 0);
	KEGfxReset();
	KEGfxVertexList* afterReset = KEGfxMeshEnd();
	EXPECT_EQ(afterReset->vertexNum, 0u);

	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	KEGfxMeshDraw(empty, KE_MESH_DRAW_TRIANGLES);
	EXPECT_EQ(GfxCountPixelsNot(0, 0, 800, 600, UiColor{255, 255, 255}), 0);
	EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
	KEGfxEnd();
	KEGfxMeshFree(mesh);
	KEGfxMeshFree(empty);
	KEGfxMeshFree(afterReset);
	KEGfxMeshFree(nullptr);
}

TEST(GraphicsMesh, DrawModes)
{
	ASSERT_TRUE(GfxStartEngine());
	// A horizontal segment of 21 units through the camera.
	KEGfxMeshStart();
	KEGfxVertexAdd(-10.5f, 0.5f, 0xFF000000, 0, 0);
	KEGfxVertexAdd(10.5f, 0.5f, 0xFF000000, 0, 0);
	KEGfxVertexList* line = KEGfxMeshEnd();
	const UiColor white{255, 255, 255};

	GfxBeginFrame(KE_RENDER_MODE_COLOR);
	testing::internal::CaptureStdout();
	KEGfxMeshDraw(line, 4);
	KEGfxMeshDraw(line, 0xFFFFFFFFu);
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "Mesh Draw Mode 4 is invalid!\nMesh Draw Mode 4294967295 is invalid!\n");
	EXPECT_EQ(GfxCountPixelsNot(0, 0, 800, 600, white), 0);

	KEGfxMeshDraw(line, KE_MESH_DRAW_POINTS);
	const int points = GfxCountPixelsNot(380, 290, 40, 20, white);
	EXPECT_GE(points, 1);
	EXPECT_LE(points, 2);
	KEGfxMeshDraw(line, KE_MESH_DRAW_LINE_STRIP);
	EXPECT_GE(GfxCountPixelsNot(380, 290, 40, 20, white), 20);

	// Without a program meshes draw nothing, and no OpenGL error ends the process.
	KEGfxSetRenderMode(KE_RENDER_MODE_NONE);
	KEGfxSetPosition(0, 100);
	KEGfxMeshDraw(line, KE_MESH_DRAW_LINES);
	EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
	EXPECT_EQ(GfxCountPixelsNot(380, 390, 40, 20, white), 0);
	KEGfxEnd();
	KEGfxMeshFree(line);
}

// More vertices than the staging area holds: the extra ones are dropped with one line.
TEST(GraphicsMesh, StagingAreaNeverOverflows)
{
	ASSERT_TRUE(GfxStartEngine());
	KEGfxReset();
	KEGfxMeshStart();
	testing::internal::CaptureStdout();
	for (int i = 0; i < KE_MESH_VERTEX_MAX + 100; ++i)
		KEGfxVertexAdd((float)i, 0, 0xFFFFFFFF, 0, 0);
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
	          "KEGfxVertexAdd: more than 24576 vertices in one mesh, extra vertices dropped\n");
	KEGfxVertexList* mesh = KEGfxMeshEnd();
	EXPECT_EQ(mesh->vertexNum, (unsigned int)KE_MESH_VERTEX_MAX);
	EXPECT_EQ(ReadBuffer(mesh->pVBO[0], KE_MESH_VERTEX_MAX * 3)[(KE_MESH_VERTEX_MAX - 1) * 3],
	          (float)(KE_MESH_VERTEX_MAX - 1));
	KEGfxMeshFree(mesh);

	// The next mesh starts clean.
	KEGfxVertexAdd(5, 6, 0, 0, 0);
	mesh = KEGfxMeshEnd();
	EXPECT_EQ(ReadBuffer(mesh->pVBO[0], 3), Floats({5, 6, 0}));
	KEGfxMeshFree(mesh);
}

TEST(GraphicsMesh, ColourInterpolationClamps)
{
	EXPECT_EQ(KEGfxColInterp(0xFF000000, 0xFFFFFFFF, 0.5f), 0xFF808080u);
	EXPECT_EQ(KEGfxColInterp(0x00FF8040, 0xFF00FF00, -3.0f), 0x00FF8040u);
	EXPECT_EQ(KEGfxColInterp(0x00FF8040, 0xFF00FF00, 7.0f), 0xFF00FF00u);
}
