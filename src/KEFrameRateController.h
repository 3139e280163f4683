#pragma once
// Measures each frame and busy-waits at its end to hold the frame-rate limit.

void         KEFrameRateControllerInit(unsigned int frameRateMax);
void         KEFrameRateControllerReset();
void         KEFrameRateControllerStart();
void         KEFrameRateControllerEnd();
double       KEFrameRateControllerGetFrameTime();
unsigned int KEFrameRateControllerGetFrameCount();

// Tests: with the virtual clock on, every frame measures exactly 1 / limit (1/60 s when the
// limit is 0) and End never spins, so runs are deterministic on a busy machine.
void         KEFrameRateControllerUseVirtualClock(bool on);
