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
	// Highlighted under the cursor; a dark lamp's area in its own colour.
	if (light->mouseOver)
		DrawPicture(mesh, transform, highlightTexture);
	else if (!light->switchedOn)
		DrawPicture(mesh, transform, nullptr);
}

void LightArea::Unload()
{
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(highlightTexture);
	highlightTexture = nullptr;
}
