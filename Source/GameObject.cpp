#include "GameObject.h"

#include "KEInput.h"
#include "KESystem.h"
#include "Keys.h"
#include "PlayerFiles.h"

float         gDeltaTime = 0.0f;
bool          gPaused = false;
bool          gMuted = false;
bool          gFullscreen = false;
bool          gGuardViewFan = false;
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
	return CreateQuad(0.5f, color, color);
}

KEGfxVertexList* CreateQuad(float h, unsigned int c0, unsigned int c1)
{
	KEGfxMeshStart();
	KEGfxTriAdd(-h, -h, c0, 0.0f, 1.0f,
	            h, -h, c0, 1.0f, 1.0f,
	            -h, h, c0, 0.0f, 0.0f);
	KEGfxTriAdd(h, -h, c1, 1.0f, 1.0f,
	            h, h, c1, 1.0f, 0.0f,
	            -h, h, c1, 0.0f, 0.0f);
	return KEGfxMeshEnd();
}

AABB BoxAround(const KEVec2& centre, float half)
{
	return AABB{{centre.x - half, centre.y - half}, {centre.x + half, centre.y + half}};
}

void DrawPicture(KEGfxVertexList* mesh, const KEMtx33& transform, KEGfxTexture* picture)
{
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetRenderMode(picture ? KE_RENDER_MODE_TEXTURE : KE_RENDER_MODE_COLOR);
	KEGfxSetTransform(&transform);
	KEGfxTextureSet(picture, 0.0f, 0.0f);
	KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxSetTransparency(1.0f);
}

void BuildTransform(KEMtx33* result, const KEVec2& position, float angle, float scaleX, float scaleY)
{
	KEMtx33 scale, rot, trans, rotScale;
	KEMtx33Scale(&scale, scaleX, scaleY);
	KEMtx33Rot(&rot, angle);
	KEMtx33Trans(&trans, position.x, position.y);
	KEMtx33Concat(&rotScale, &rot, &scale);
	KEMtx33Concat(result, &trans, &rotScale);
}

void ToggleFullScreenOnF11()
{
	if (!KEInputCheckReleased(KEY_F11))
		return;
	gFullscreen = !gFullscreen;
	KEToogleFullScreen(gFullscreen);
	SettingsChanged();
}
