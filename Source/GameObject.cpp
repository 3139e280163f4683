#include "GameObject.h"

float         gDeltaTime = 0.0f;
bool          gPaused = false;
bool          gMuted = false;
bool          gFullscreen = false;
SoundManager* gSoundManager = nullptr;

GameObject::GameObject()
	: active(1), kind(0), mesh(nullptr), texture(nullptr), transform{}, boundingBox{},
	  position{0.0f, 0.0f}, velocity{0.0f, 0.0f}, rotation(0.0f)
{
	// kind, transform and box belong to the derived class; start them at zero as a
	// zero-filled allocation would, since a constructor-bearing class is not zero-filled by new().
}

bool RectRectIntersect(const AABB& a, const KEVec2& /*velocityA*/, const AABB& b, const KEVec2& /*velocityB*/)
{
	return !(b.min.x > a.max.x || a.min.x > b.max.x || b.min.y > a.max.y || a.min.y > b.max.y);
}

KEGfxVertexList* CreateUnitQuad(unsigned int color)
{
	KEGfxMeshStart();
	KEGfxTriAdd(-0.5f, -0.5f, color, 0.0f, 1.0f,
	            0.5f, -0.5f, color, 1.0f, 1.0f,
	            -0.5f, 0.5f, color, 0.0f, 0.0f);
	KEGfxTriAdd(0.5f, -0.5f, color, 1.0f, 1.0f,
	            0.5f, 0.5f, color, 1.0f, 0.0f,
	            -0.5f, 0.5f, color, 0.0f, 0.0f);
	return KEGfxMeshEnd();
}
