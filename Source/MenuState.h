#pragma once
// The main menu (state 0). For now an empty screen; the window's close box leaves it.

void MenuStateLoad();
void MenuStateInit();
void MenuStateUpdate();
void MenuStateDraw();
void MenuStateFree();
void MenuStateUnload();
