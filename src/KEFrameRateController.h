#pragma once
// Measures each frame and busy-waits at its end to hold the frame-rate limit.

void         KEFrameRateControllerInit(unsigned int frameRateMax);
void         KEFrameRateControllerReset();
void         KEFrameRateControllerStart();
void         KEFrameRateControllerEnd();
double       KEFrameRateControllerGetFrameTime();
unsigned int KEFrameRateControllerGetFrameCount();
