#pragma once
// The one screen element of the interface: a textured quad showing a picture, one picture
// of a list, or a line of upper-case text set in the shared 27-glyph bitmap font.
#include <string>
#include <vector>
#include "GameObject.h"

enum
{
	MENU_BOX_PICTURE = 0,
	MENU_BOX_LIST = 2,
	MENU_BOX_TEXT = 3,
};

const int FONT_GLYPH_COUNT = 27;   // A to Z, then the space picture
const int FONT_GLYPH_SPACE = 26;

// The shared font: null until LoadFont, FONT_GLYPH_COUNT textures after it.
extern KEGfxTexture** gFontGlyphs;
// The texture the font loader loaded last (the space picture once loading is done).
extern KEGfxTexture*  gLastFontTexture;

class Menu_box : public GameObject
{
public:
	Menu_box();                                 // picture: the owner fills texture
	explicit Menu_box(int count);               // picture list of count pictures
	explicit Menu_box(const std::string& text); // text; loads the font if needed

	void Load() override;    // quad mesh; glyphs of a text box
	void Init() override {}
	void Update() override;  // transform, bounding box, movement
	void Draw() override;
	void Free() override {}
	void Unload() override;  // everything the box owns, never the shared glyphs

	// Loads images[i] from prefix + ('1' + i) + ".png".
	void LoadImages(const char* prefix);
	// The picture a picture box or list draws now (the list index clamped to the list);
	// null when there is none.
	KEGfxTexture* CurrentPicture() const;

	static void LoadFont();     // builds the shared font once
	static void ReleaseFont();  // at exit: unloads the font and forgets it

	int                        type;
	int                        moving;        // 1: Update moves the box by its velocity
	bool                       showSelected;  // list: draw selectedIndex instead of imageIndex
	float                      tint[4];       // red, green, blue, alpha
	int                        imageIndex;
	int                        textLength;
	int                        glyphCount;
	std::string                text;
	std::vector<KEGfxTexture*> glyphs;        // one per character of text (text boxes)
	std::vector<KEGfxTexture*> images;        // imageCount pictures (lists)
	int                        selectedIndex;
	int                        imageCount;
	int                        group;         // tag given by the owning menu
	KEVec2                     homePosition;  // resting place kept by the owning menu
	KEVec2                     size;          // x = width, y = height
	int                        pageNumber;

protected:
	void DrawQuad(KEGfxTexture* picture, float x, float y);
};

// True when the mouse cursor lies inside the world-space rectangle (edges included).
bool CursorInBox(float minX, float minY, float maxX, float maxY);
