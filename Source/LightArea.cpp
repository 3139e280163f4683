#include "LightArea.h"

#include "KESystem.h"
#include "Light.h"

LightArea::LightArea(Light* lamp) : index(0), light(lamp), highlightTexture(nullptr), scale(200.0f), angle(0.0f)
{
	kind = KIND_LIGHT_AREA;
}

void LightArea::Load()
{
	mesh = CreateUnitQuad(0x5F000000);
	if (!mesh)
		KEAssertReport("mesh", __LINE__, "LightArea::Load", "Source/LightArea", "fail to create object!!");
	highlightTexture = KEGfxTextureLoad("ArtAssets/lighthighlight.png");
}

void LightArea::Init()
{
	BuildTransform(&transform, position, angle, scale, scale);
	boundingBox = BoxAround(position, 100.0f);
}

void LightArea::Draw()
{
	if (!light)
		return;
	if (light->mouseOver)
	{
		DrawPicture(mesh, transform, highlightTexture);
	}
	else if (!light->switchedOn)
	{
		KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
		KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
		KEGfxSetTransform(&transform);
		KEGfxTextureSet(nullptr, 0.0f, 0.0f);
		KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
		KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
		KEGfxSetTransparency(1.0f);
	}
}

void LightArea::Unload()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(highlightTexture);
	highlightTexture = nullptr;
}
