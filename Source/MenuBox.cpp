#include "MenuBox.h"

#include "KEGraphics.h"
#include "KEInput.h"
#include "KEMtx33.h"
#include "KESystem.h"

KEGfxTexture** gFontGlyphs = nullptr;
KEGfxTexture*  gLastFontTexture = nullptr;

Menu_box::Menu_box()
	: type(MENU_BOX_PICTURE), moving(1), showSelected(false), tint{1.0f, 1.0f, 1.0f, 1.0f},
	  imageIndex(0), textLength(0), glyphCount(FONT_GLYPH_COUNT), selectedIndex(0), imageCount(0),
	  group(0), homePosition{0.0f, 0.0f}, size{0.0f, 0.0f}, pageNumber(0)
{
}

Menu_box::Menu_box(int count) : Menu_box()
{
	type = MENU_BOX_LIST;
	showSelected = true;
	imageCount = count > 0 ? count : 0;
	// Empty until LoadImages: a list never holds a shared glyph it could later unload.
	images.assign(imageCount, nullptr);
}

Menu_box::Menu_box(const std::string& boxText) : Menu_box()
{
	type = MENU_BOX_TEXT;
	text = boxText;
	textLength = (int)text.size();
	LoadFont();
}

void Menu_box::LoadFont()
{
	if (gFontGlyphs)
		return;
	gFontGlyphs = new KEGfxTexture*[FONT_GLYPH_COUNT];
	for (int i = 0; i < FONT_GLYPH_COUNT; ++i)
		gFontGlyphs[i] = gLastFontTexture;
	std::string path = "ArtAssets/Font/A.png";
	for (int i = 0; i < 26; ++i)
	{
		path[15] = (char)('A' + i);
		gFontGlyphs[i] = gLastFontTexture = KEGfxTextureLoad(path.c_str());
	}
	gFontGlyphs[FONT_GLYPH_SPACE] = gLastFontTexture = KEGfxTextureLoad("ArtAssets/Font/space.png");
}

void Menu_box::ReleaseFont()
{
	if (!gFontGlyphs)
		return;
	for (int i = 0; i < FONT_GLYPH_COUNT; ++i)
		KEGfxTextureUnload(gFontGlyphs[i]);
	delete[] gFontGlyphs;
	gFontGlyphs = nullptr;
	gLastFontTexture = nullptr;
}

void Menu_box::LoadImages(const char* prefix)
{
	for (int i = 0; i < imageCount && i < (int)images.size(); ++i)
	{
		// Owners may load again (a pop-up does so on every Init); drop the old picture first.
		KEGfxTextureUnload(images[i]);
		std::string path = prefix;
		path += (char)('1' + i);
		path += ".png";
		images[i] = KEGfxTextureLoad(path.c_str());
	}
}

void Menu_box::Load()
{
	mesh = CreateUnitQuad(0xFF6A95F1);
	if (!mesh)
		KEAssertReport("mesh", 167, "Menu_box::Load", "Source/MenuBox", "fail to create object!!");

	if (type != MENU_BOX_TEXT)
		return;
	glyphs.assign(textLength, gLastFontTexture);
	if (!gFontGlyphs)
		return;
	for (int i = 0; i < textLength; ++i)
	{
		char c = text[i];
		if (c == ' ')
			glyphs[i] = gFontGlyphs[FONT_GLYPH_SPACE];
		else if (c >= 'A' && c <= 'Z')
			glyphs[i] = gFontGlyphs[c - 'A'];
	}
}

void Menu_box::Update()
{
	BuildTransform(&transform, position, rotation, size.x, size.y);

	if (moving == 1)
	{
		float dt = gDeltaTime;
		position.x += velocity.x * dt;
		position.y += velocity.y * dt;
	}

	float halfW = size.x / 2.0f;
	float halfH = size.y / 2.0f;
	boundingBox.min.x = position.x - halfW;
	boundingBox.min.y = position.y - halfH;
	boundingBox.max.x = position.x + halfW;
	boundingBox.max.y = position.y + halfH;
	if (type == MENU_BOX_TEXT)
	{
		// Reaches the last glyph's right edge for an odd length, one glyph further for an even one.
		float k = (float)(textLength / 2) * size.x;
		boundingBox.max.x = position.x + 2.0f * k + halfW;
	}
}

KEGfxTexture* Menu_box::CurrentPicture() const
{
	if (type == MENU_BOX_PICTURE)
		return texture;
	if (type != MENU_BOX_LIST || images.empty())
		return nullptr;
	int index = showSelected ? selectedIndex : imageIndex;
	// An index past either end of the list shows the nearest picture instead of reading outside.
	if (index < 0)
		index = 0;
	if (index >= (int)images.size())
		index = (int)images.size() - 1;
	return images[index];
}

void Menu_box::DrawQuad(KEGfxTexture* picture, float x, float y)
{
	KEMtx33 world;
	BuildTransform(&world, {x, y}, rotation, size.x, size.y);
	KEGfxSetTransform(&world);
	KEGfxTextureSet(picture, 0.0f, 0.0f);
	KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
}

void Menu_box::Draw()
{
	if (!mesh)
		return;
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransparency(1.0f);
	KEGfxSetTintColor(tint[0], tint[1], tint[2], tint[3]);

	if (type == MENU_BOX_TEXT)
	{
		for (int i = 0; i < (int)glyphs.size(); ++i)
			if (glyphs[i])
				DrawQuad(glyphs[i], position.x + (float)i * size.x, position.y);
		return;
	}
	if (type == MENU_BOX_LIST && !showSelected && imageIndex < 0)
		imageIndex = 0;
	// A box without a picture shows nothing rather than whatever texture is bound.
	if (KEGfxTexture* picture = CurrentPicture())
		DrawQuad(picture, position.x, position.y);
}

void Menu_box::Unload()
{
	for (KEGfxTexture*& image : images)
	{
		KEGfxTextureUnload(image);
		image = nullptr;
	}
	glyphs.clear();
	KEGfxMeshFree(mesh);
	mesh = nullptr;
	KEGfxTextureUnload(texture);
	texture = nullptr;
}

bool CursorInBox(float minX, float minY, float maxX, float maxY)
{
	float camX = 0.0f, camY = 0.0f;
	KEGfxGetCamPosition(&camX, &camY);
	int cursorX = 0, cursorY = 0;
	KEInputGetCursorPosition(&cursorX, &cursorY);
	double width = KEGetWindowWidth();
	double height = KEGetWindowHeight();

	int worldX = (int)((double)cursorX - width * 0.5 + (double)camX);
	int worldY = -(int)((double)cursorY - height * 0.5 - (double)camY);
	return minY <= (float)worldY && (float)worldY <= maxY && minX <= (float)worldX && (float)worldX <= maxX;
}
