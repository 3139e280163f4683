#pragma once
// Scripted keys and cursor for driving a screen through the real loop, frame by frame.
#include "EngineHarness.h"

class ScriptedInput
{
protected:
	// The cursor over a point relative to the view's centre; the default, the window's top
	// left corner, lies over nothing.
	void PointAt(float x, float y) { cursorX = (int)(400.0f + x); cursorY = (int)(300.0f - y); }
	// Up to n frames, fewer when the state asks for another; the count. The cursor is placed
	// before every frame: the X server reports its own pointer whenever a window appears or
	// goes away under it.
	int Frames(int n)
	{
		int frames = 0;
		for (; frames < n; ++frames)
		{
			HarnessSetCursor(cursorX, cursorY);
			if (HarnessRunFrames(1) == 0)
				break;
		}
		return frames;
	}
	// Down for one frame, up for the next: seen pressed once by a state's update (a frame
	// later) and by the pause menu (in the first frame).
	void Tap(unsigned char key)
	{
		HarnessSetKey(key, true);
		Frames(1);
		HarnessSetKey(key, false);
		Frames(1);
	}

private:
	int cursorX = 0, cursorY = 0;
};
