#include "MenuState.h"

// The frame start already clears the screen to the background colour; closing the window
// ends the loop through the normal free and unload.

void MenuStateLoad()
{
}

void MenuStateInit()
{
}

void MenuStateUpdate()
{
}

void MenuStateDraw()
{
}

void MenuStateFree()
{
}

void MenuStateUnload()
{
}
