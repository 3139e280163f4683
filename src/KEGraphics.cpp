// Renderer core: context, the shader object with its two programs, render and blend
// modes, camera, transforms and the per-program colour values.
#include <GL/glew.h>

#include "KEGraphics.h"
#include "KEGraphicsInternal.h"
#include "KEMath4.h"
#include "KESystem.h"
#include "Window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

float gKEWinMinX = 0.0f, gKEWinMaxX = 0.0f, gKEWinMinY = 0.0f, gKEWinMaxY = 0.0f;

namespace
{
const char* const kSourcePath = "src/KEGraphics";
const float kCamDistance = 60.0f;
const float kNear = 1.0f;
const float kFar = 1000.0f;

int   sWinWidth = 0;
int   sWinHeight = 0;
float sCamX = 0.0f;
float sCamY = 0.0f;
bool  sHasContext = false;
// While an off-screen target is drawn into: the world rectangle it shows and its pixel size.
KEGfxTargetView sTarget;

// GLSL 1.10 (no version line). aPosition is bound to location 0 before linking, as
// OpenGL aliases attribute 0 with the fixed vertex position. The colour and texture
// coordinate travel in the built-in varyings: bitmap text fragments get them from the
// raster position, which custom varyings never see.
const char* const kColorVS =
	"attribute vec4 aPosition;\n"
	"attribute vec4 aColor;\n"
	"uniform mat4 uPMatrix;\n"
	"uniform mat4 uVMatrix;\n"
	"uniform mat4 uWorldMatrix;\n"
	"void main()\n"
	"{\n"
	"	gl_Position = uPMatrix * uVMatrix * uWorldMatrix * aPosition;\n"
	"	gl_FrontColor = aColor;\n"
	"}\n";

const char* const kColorFS =
	"uniform vec4 uBlendColor;\n"
	"uniform float uTransparencyValue;\n"
	"uniform vec4 uTintColor;\n"
	"void main()\n"
	"{\n"
	"	vec4 c = gl_Color;\n"
	"	vec3 rgb = (c.rgb * (1.0 - uBlendColor.a) + uBlendColor.rgb * uBlendColor.a) * uTintColor.rgb;\n"
	"	gl_FragColor = vec4(rgb, c.a * uTransparencyValue * uTintColor.a);\n"
	"}\n";

const char* const kTextureVS =
	"attribute vec4 aPosition;\n"
	"attribute vec2 aTextureCoordinate;\n"
	"uniform mat4 uPMatrix;\n"
	"uniform mat4 uVMatrix;\n"
	"uniform mat4 uWorldMatrix;\n"
	"void main()\n"
	"{\n"
	"	gl_Position = uPMatrix * uVMatrix * uWorldMatrix * aPosition;\n"
	"	gl_TexCoord[0] = vec4(aTextureCoordinate, 0.0, 1.0);\n"
	"}\n";

const char* const kTextureFS =
	"uniform sampler2D uTexture;\n"
	"uniform vec2 uTextureOffset;\n"
	"uniform vec4 uBlendColor;\n"
	"uniform float uTransparencyValue;\n"
	"uniform vec4 uTintColor;\n"
	"void main()\n"
	"{\n"
	"	vec2 t = gl_TexCoord[0].xy + uTextureOffset;\n"
	"	if (t.x > 1.0) t.x -= 1.0;\n"
	"	if (t.y > 1.0) t.y -= 1.0;\n"
	"	vec4 c = texture2D(uTexture, t);\n"
	"	vec3 rgb = (c.rgb * (1.0 - uBlendColor.a) + uBlendColor.rgb * uBlendColor.a) * uTintColor.rgb;\n"
	"	gl_FragColor = vec4(rgb, c.a * uTransparencyValue * uTintColor.a);\n"
	"}\n";

struct Shader
{
	GLuint       programs[3] = {0, 0, 0};   // slot 0 stays empty: "no program"
	unsigned int current = 0;

	void AttachSource(unsigned int slot, const char* source, GLenum kind)
	{
		GLuint shader = glCreateShader(kind);
		glShaderSource(shader, 1, &source, nullptr);
		glCompileShader(shader);
		GLint ok = GL_FALSE;
		glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
		if (ok)
			glAttachShader(programs[slot], shader);
		else
			glDeleteShader(shader);
	}

	void Create()
	{
		const char* sources[3][2] = {{nullptr, nullptr}, {kColorVS, kColorFS}, {kTextureVS, kTextureFS}};
		for (unsigned int slot = 1; slot <= 2; ++slot)
		{
			programs[slot] = glCreateProgram();
			AttachSource(slot, sources[slot][0], GL_VERTEX_SHADER);
			AttachSource(slot, sources[slot][1], GL_FRAGMENT_SHADER);
			glBindAttribLocation(programs[slot], 0, "aPosition");
			glLinkProgram(programs[slot]);
		}
	}

	bool Use(unsigned int slot)
	{
		if (slot == current)
			return false;
		if (slot == 0)
		{
			UseNone();
			return false;
		}
		glUseProgram(programs[slot]);
		current = slot;
		return true;
	}

	void UseNone()
	{
		glUseProgram(0);
		current = 0;
	}

	void Destroy()
	{
		for (unsigned int slot = 0; slot < 3; ++slot)
		{
			if (!programs[slot])
				continue;
			GLuint  shaders[3] = {0, 0, 0};
			GLsizei count = 0;
			glGetAttachedShaders(programs[slot], 3, &count, shaders);
			for (GLsizei i = 0; i < count; ++i)
				glDeleteShader(shaders[i]);
			glDeleteProgram(programs[slot]);
			programs[slot] = 0;
			KE_CHECK_GL_ERROR("Shader::Destroy");
		}
		current = 0;
	}
};

Shader sShader;

void WaitForKey()
{
	std::fflush(stdout);
	// One character; a closed or empty stdin gives EOF at once, so this never hangs.
	std::getchar();
}

void UpdateVisibleArea()
{
	float w = (float)sWinWidth, h = (float)sWinHeight;
	gKEWinMinX = sCamX - w * 0.5f;
	gKEWinMaxX = w * 0.5f + sCamX;
	gKEWinMinY = sCamY - h * 0.5f;
	gKEWinMaxY = h * 0.5f + sCamY;
}

// Row-major matrix, transposed on upload into OpenGL's column order.
void UploadMatrix(const char* name, const Matrix4& m)
{
	if (!sShader.current)
		return;
	Matrix4 columnMajor = Matrix4Transpose(m);
	glUniformMatrix4fv(KEGfxShaderGetUniformLocation(name), 1, GL_FALSE, &columnMajor.m[0][0]);
}

void UploadMatrix(const char* name, const float* rowMajor)
{
	Matrix4 m;
	std::memcpy(m.m, rowMajor, sizeof(m.m));
	UploadMatrix(name, m);
}

// The window size in pixels, full-screen scale included.
void ScaledWindowSize(int* pW, int* pH)
{
	*pW = (int)(sWinWidth * KESysGetFullScreenScaleX());
	*pH = (int)(sWinHeight * KESysGetFullScreenScaleY());
}

void SetProjectionAndViewMatrices()
{
	int w, h;
	ScaledWindowSize(&w, &h);
	if (sTarget.active)
		w = sTarget.pixelWidth, h = sTarget.pixelHeight;
	UploadMatrix("uPMatrix", KEGfxProjectionMatrix());
	glViewport(0, 0, w, h);
	KE_CHECK_GL_ERROR("SetProjectionAndViewMatrices");
	KEGfxUploadView(1.0f);
	KE_CHECK_GL_ERROR("SetProjectionAndViewMatrices");
}

void SetUniform4(const char* name, float a, float b, float c, float d)
{
	if (sShader.current)
		glUniform4f(KEGfxShaderGetUniformLocation(name), a, b, c, d);
}
} // namespace

// ---------------------------------------------------------------------------
// Internal interface shared with the other renderer sources

bool KEGfxHasContext()
{
	return sHasContext;
}

unsigned int KEGfxShaderGetCurrent()
{
	return sShader.current;
}

int KEGfxShaderGetUniformLocation(const char* name)
{
	if (!sShader.current)
		return -1;
	return glGetUniformLocation(sShader.programs[sShader.current], name);
}

int KEGfxShaderGetAttributeLocation(const char* name)
{
	if (!sShader.current)
		return -1;
	return glGetAttribLocation(sShader.programs[sShader.current], name);
}

Matrix4 KEGfxProjectionMatrix()
{
	if (sTarget.active)
		return Matrix4Ortho(sTarget.maxX - sTarget.minX, sTarget.maxY - sTarget.minY, kNear, kFar);
	int w, h;
	ScaledWindowSize(&w, &h);
	return Matrix4Ortho((float)w, (float)h, kNear, kFar);
}

Matrix4 KEGfxViewMatrix(float factor)
{
	// A target looks at the middle of its rectangle, one world unit per projection unit.
	const float x = sTarget.active ? (sTarget.minX + sTarget.maxX) * 0.5f : sCamX;
	const float y = sTarget.active ? (sTarget.minY + sTarget.maxY) * 0.5f : sCamY;
	Matrix4 lookAt = Matrix4LookAt(Point4(x, y, kCamDistance, 1.0f),
	                               Point4(x, y, 0.0f, 1.0f),
	                               Vector4(0.0f, 1.0f, 0.0f, 0.0f));
	const float scaleX = sTarget.active ? 1.0f : KESysGetFullScreenScaleX();
	const float scaleY = sTarget.active ? 1.0f : KESysGetFullScreenScaleY();
	Matrix4 scale = Matrix4Scale(scaleX * factor, scaleY * factor, 1.0f);
	return scale * lookAt;
}

void KEGfxSetTargetView(const KEGfxTargetView& view)
{
	sTarget = view;
	// The next render mode uploads the projection and view of the new destination.
	sShader.UseNone();
}

unsigned int KEGfxShaderProgram(unsigned int slot)
{
	return slot < 3 ? sShader.programs[slot] : 0;
}

void KEGfxUploadView(float factor)
{
	UploadMatrix("uVMatrix", KEGfxViewMatrix(factor));
}

void KEGfxCheckGLError(int line, const char* func)
{
	if (!sHasContext)
		return;
	int errors = 0;
	for (GLenum code = glGetError(); code != GL_NO_ERROR; code = glGetError())
	{
		std::printf("CHECK_GL_ERROR:\nLine: %d\nFunc: %s\nFile: %s\n", line, func, kSourcePath);
		std::printf("Code: 0x%.8x\n", (unsigned int)code);
		std::printf("Mesg: ");
		std::printf("\n");
		++errors;
	}
	if (errors)
	{
		WaitForKey();
		std::exit(1);
	}
}

void KEGfxHalt(int line, const char* func, const char* message)
{
	std::printf("HALT:\nLine: %d\nFunc: %s\nFile: %s\n", line, func, kSourcePath);
	std::printf("Mesg: %s", message);
	std::printf("\n");
	WaitForKey();
	std::exit(1);
}

// ---------------------------------------------------------------------------
// Renderer

int KEGfxInit(int width, int height)
{
	sWinWidth = width;
	sWinHeight = height;
	std::printf("Graphics: OpenGL\n");

	if (!PlatformGLCreateContext())
		return 0;

	if (glewInit() != GLEW_OK)
		KEGfxHalt(__LINE__, "KEGfxInit", "fail to initialize GLEW!!");
	if (!GLEW_VERSION_2_0)
		KEGfxHalt(__LINE__, "KEGfxInit", "OpenGL 2.0 is not supported!!");
	// GLEW may leave an error behind while probing extensions.
	while (glGetError() != GL_NO_ERROR) {}
	sHasContext = true;

	sCamX = sCamY = 0.0f;
	UpdateVisibleArea();
	sShader.Create();

	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxSetTransparency(1.0f);
	glClearColor(1.0f, 1.0f, 1.0f, 1.0f);

	KE_CHECK_GL_ERROR("KEGfxInit");
	return 1;
}

void KEGfxExit()
{
	if (!sHasContext)
		return;
	sShader.Destroy();
	PlatformGLDestroyContext();
	sHasContext = false;
}

void KEGfxStart()
{
	if (!sHasContext)
		return;
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	glViewport(0, 0, sWinWidth, sWinHeight);
}

void KEGfxEnd()
{
	if (!sHasContext)
		return;
	KE_CHECK_GL_ERROR("KEGfxEnd");
	sShader.UseNone();
	KE_CHECK_GL_ERROR("KEGfxEnd");
	glFinish();
	PlatformGLSwap();
	KEGfxWarmUpRun();
}

void KEGfxSetBackgroundColor(float r, float g, float b)
{
	if (!sHasContext)
		return;
	glClearColor(r, g, b, 1.0f);
}

void KEGfxSetRenderMode(unsigned int mode)
{
	if (!sHasContext)
		return;
	if (mode == KE_RENDER_MODE_NONE)
		sShader.Use(0);
	else if (mode == KE_RENDER_MODE_COLOR || mode == KE_RENDER_MODE_TEXTURE)
	{
		if (sShader.Use(mode))
			SetProjectionAndViewMatrices();
	}
}

void KEGfxSetBlendMode(unsigned int mode)
{
	if (!sHasContext)
		return;
	switch (mode)
	{
	case KE_BLEND_MODE_NONE:
		glDisable(GL_BLEND);
		break;
	case KE_BLEND_MODE_BLEND:
		glEnable(GL_BLEND);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
		break;
	case KE_BLEND_MODE_ADD:
		glEnable(GL_BLEND);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE);
		break;
	default:
		break;
	}
}

int KEGetWindowWidth()
{
	return sWinWidth;
}

int KEGetWindowHeight()
{
	return sWinHeight;
}

float KEGfxGetWinMinX()
{
	return gKEWinMinX;
}

float KEGfxGetWinMaxX()
{
	return gKEWinMaxX;
}

float KEGfxGetWinMinY()
{
	return gKEWinMinY;
}

float KEGfxGetWinMaxY()
{
	return gKEWinMaxY;
}

void KEGfxSetCamPosition(float x, float y)
{
	sCamX = x;
	sCamY = y;
	UpdateVisibleArea();
}

void KEGfxGetCamPosition(float* pX, float* pY)
{
	if (pX)
		*pX = sCamX;
	if (pY)
		*pY = sCamY;
}

void KEGfxSetPosition(float x, float y)
{
	const float m[16] = {1, 0, 0, x,
	                     0, 1, 0, y,
	                     0, 0, 1, 0,
	                     0, 0, 0, 1};
	UploadMatrix("uWorldMatrix", m);
}

void KEGfxSetTransform(const KEMtx33* pMtx)
{
	if (!pMtx)
		return;
	const float (*m)[3] = pMtx->m;
	const float w[16] = {m[0][0], m[0][1], 0, m[0][2],
	                     m[1][0], m[1][1], 0, m[1][2],
	                     0,       0,       1, 0,
	                     0,       0,       0, 1};
	UploadMatrix("uWorldMatrix", w);
}

void KEGfxSetTransform3D(const float* pMtx4RowMajor)
{
	if (!pMtx4RowMajor)
		return;
	UploadMatrix("uWorldMatrix", pMtx4RowMajor);
}

void KEGfxSetTransparency(float a)
{
	if (sShader.current)
		glUniform1f(KEGfxShaderGetUniformLocation("uTransparencyValue"), a);
}

void KEGfxSetBlendColor(float r, float g, float b, float a)
{
	SetUniform4("uBlendColor", r, g, b, a);
	KE_CHECK_GL_ERROR("KEGfxSetBlendColor");
}

void KEGfxSetTintColor(float r, float g, float b, float a)
{
	SetUniform4("uTintColor", r, g, b, a);
}
