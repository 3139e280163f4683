#pragma once
// The base of every actor and interface element, the kind ids, the overlap test and
// the globals every part of the game shares.
#include <vector>
#include "KEGraphics.h"
#include "KEMtx33.h"
#include "KEVec2.h"

class SoundManager;

struct AABB
{
	KEVec2 min;   // left, bottom
	KEVec2 max;   // right, top
};

enum
{
	KIND_PLAYER = 0,   // also every class that sets no kind
	KIND_GUARD = 1,
	KIND_LIGHT = 2,
	KIND_RADIO = 3,
	KIND_SERVER = 4,
	KIND_LIGHT_AREA = 5,
};

class GameObject
{
public:
	GameObject();
	virtual ~GameObject() {}
	virtual void Load() = 0;
	virtual void Init() = 0;
	virtual void Update() = 0;
	virtual void Draw() {}
	virtual void Free() = 0;
	virtual void Unload() = 0;

	int              active;
	int              kind;
	KEGfxVertexList* mesh;
	KEGfxTexture*    texture;
	KEMtx33          transform;
	AABB             boundingBox;
	KEVec2           position;
	KEVec2           velocity;
	float            rotation;
};

// Touching edges count as overlapping; the velocities never change the answer.
bool RectRectIntersect(const AABB& a, const KEVec2& velocityA, const AABB& b, const KEVec2& velocityB);

// The quad most objects draw: corners at +-0.5, texture (0, 0) at the top left, one
// vertex colour. Null when the mesh could not be made.
KEGfxVertexList* CreateUnitQuad(unsigned int color);
// The same quad with corners at +-half, each triangle with its own vertex colour.
KEGfxVertexList* CreateQuad(float half, unsigned int firstColor, unsigned int secondColor);

// The square box of side 2 * half around a centre.
AABB BoxAround(const KEVec2& centre, float half);

// Draws a mesh with a picture (null: in its own vertex colours), blended, at the transform;
// then leaves the tint white and opaque for whatever is drawn next (the actors draw this way).
void DrawPicture(KEGfxVertexList* mesh, const KEMtx33& transform, KEGfxTexture* picture);

// Transform of a drawn object: scale, then turn, then move to position.
void BuildTransform(KEMtx33* result, const KEVec2& position, float angle, float scaleX, float scaleY);

// An object that cannot be made (a failed mesh) reports through the engine's
// KEAssertReport (KESystem.h) and ends the process.

// F11 released this frame flips gFullscreen and the window with it (levels and menus).
void ToggleFullScreenOnF11();

extern float         gDeltaTime;
extern bool          gPaused;
extern bool          gMuted;
extern bool          gFullscreen;
// Guards' view drawn as the plain half-disc instead of the area their sight really covers.
extern bool          gGuardViewFan;
extern SoundManager* gSoundManager;
