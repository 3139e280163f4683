#pragma once
// Keyboard, mouse buttons and cursor, sampled once per frame. Key codes are the
// Windows virtual-key numbers the game uses (mouse left 1, right 2).

int  KEInputInit();
void KEInputReset();
void KEInputUpdate();
void KEInputExit();

bool KEInputCheckCurr(unsigned char key);
bool KEInputCheckPrev(unsigned char key);
bool KEInputCheckTriggered(unsigned char key);
bool KEInputCheckReleased(unsigned char key);

void KEInputGetCursorPosition(int* pX, int* pY);
void KEInputGetCursorPositionDelta(int* pX, int* pY);
void KEInputShowCursor(int show);
