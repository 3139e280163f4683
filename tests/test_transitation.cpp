#include <gtest/gtest.h>
#include "EngineHarness.h"
#include "KEFrameRateController.h"
#include "KEGraphics.h"
#include "SoundManager.h"
#include "Transitation.h"
#include "UiPixels.h"

namespace
{
class TransitationTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(HarnessStartEngine());
		// The counts below assume the harness clock of exactly 1/60 s per frame.
		ASSERT_DOUBLE_EQ(KEFrameRateControllerGetFrameTime(), 1.0 / 60.0);
		KEGfxSetCamPosition(0.0f, 0.0f);
		gSoundManager = nullptr;
	}
	void TearDown() override
	{
		curtain.Unload();
		gSoundManager = nullptr;
	}

	// Updates until covered; returns the number of updates, or -1.
	int UpdatesUntilCovered()
	{
		for (int frame = 1; frame <= 400; ++frame)
		{
			curtain.Update();
			if (curtain.covered)
				return frame;
		}
		return -1;
	}

	Transitation curtain;
};
}

TEST_F(TransitationTest, SlidesDownHoldsAndSlidesUp)
{
	SoundManager sound(nullptr);
	sound.spareB.paused = false;
	gSoundManager = &sound;

	curtain.Load();
	KEGfxSetCamPosition(300.0f, 200.0f);
	curtain.Init();
	Menu_box* black = curtain.curtain[0];
	EXPECT_FALSE(curtain.idle);
	EXPECT_EQ(black->moving, 0);
	EXPECT_FLOAT_EQ(black->size.x, 5000.0f);
	EXPECT_FLOAT_EQ(black->size.y, 3360.0f);
	EXPECT_FLOAT_EQ(black->position.x, 300.0f);
	EXPECT_FLOAT_EQ(black->position.y, 1800.0f);   // lower edge 80 below the view centre

	// The camera moving after the start does not carry the curtain along.
	KEGfxSetCamPosition(-700.0f, 900.0f);

	// First run: 90 frames of sliding, 15 units each; covered on the next update.
	EXPECT_EQ(UpdatesUntilCovered(), 91);
	EXPECT_FLOAT_EQ(black->position.x, 300.0f);
	EXPECT_FLOAT_EQ(black->position.y, 1800.0f - 90 * 15.0f);
	EXPECT_FLOAT_EQ(black->tint[3], 1.0f);
	EXPECT_FALSE(sound.spareB.paused);

	// Holds for half a second (the update that covered counts), then rises 25 per frame.
	int held = 1;
	float y = black->position.y;
	while (black->position.y == y && held < 100)
	{
		curtain.Update();
		++held;
	}
	EXPECT_EQ(held, 30);
	EXPECT_TRUE(curtain.covered);
	EXPECT_TRUE(sound.spareB.paused);   // the spare channel is paused on the way up
	EXPECT_FLOAT_EQ(black->position.y, y + 25.0f);

	int rising = 1;
	while (!curtain.finished && rising < 200)
	{
		curtain.Update();
		++rising;
	}
	EXPECT_EQ(rising, 79);   // 78 rising frames and the one that ends it
	EXPECT_FLOAT_EQ(black->position.y, y + 78 * 25.0f);
	EXPECT_FALSE(curtain.covered);
	EXPECT_TRUE(curtain.idle);
	EXPECT_TRUE(curtain.finished);
	EXPECT_FLOAT_EQ(black->tint[3], 0.0f);

	curtain.Update();
	EXPECT_TRUE(curtain.finished);   // until the next start

	// Later runs slide down for 1.3 s only: the slide timer is not reset.
	KEGfxSetCamPosition(0.0f, 0.0f);
	curtain.Init();
	EXPECT_FALSE(curtain.finished);
	EXPECT_FLOAT_EQ(black->position.y, 1600.0f);
	EXPECT_EQ(UpdatesUntilCovered(), 79);
	EXPECT_FLOAT_EQ(black->position.y, 1600.0f - 78 * 15.0f);
	// Still below the view's bottom edge (-300): the whole view is black.
	EXPECT_LT(black->position.y - 1680.0f, -300.0f);
}

TEST_F(TransitationTest, RestartMidRunAndHoldEndingOnZero)
{
	curtain.Load();
	curtain.Init();
	EXPECT_EQ(UpdatesUntilCovered(), 91);
	for (int i = 0; i < 5; ++i)
		curtain.Update();
	float hold = curtain.holdTimer;

	// A start while running puts the curtain back but keeps covered and the timers.
	curtain.Init();
	EXPECT_TRUE(curtain.covered);
	EXPECT_FALSE(curtain.idle);
	EXPECT_FLOAT_EQ(curtain.holdTimer, hold);
	EXPECT_FLOAT_EQ(curtain.curtain[0]->position.y, 1600.0f);

	// A hold that runs out exactly at zero still lets the curtain rise (no sound manager here).
	curtain.holdTimer = 0.0f;
	float slide = curtain.slideTimer;
	curtain.Update();
	EXPECT_GT(curtain.slideTimer, slide);
	EXPECT_FLOAT_EQ(curtain.curtain[0]->position.y, 1625.0f);
	while (!curtain.finished && curtain.slideTimer < 5.0f)
		curtain.Update();
	EXPECT_TRUE(curtain.finished);
	EXPECT_TRUE(curtain.idle);
}

TEST_F(TransitationTest, CoversTheViewOnScreenOnlyWhileRunning)
{
	const UiColor white = {255, 255, 255};
	curtain.Load();
	EXPECT_STREQ(curtain.curtain[0]->texture->fileName, "ArtAssets/black.png");
	// Before the first start nothing changes and the curtain stays transparent.
	for (int i = 0; i < 10; ++i)
		curtain.Update();
	EXPECT_FALSE(curtain.covered);
	EXPECT_TRUE(curtain.idle);
	EXPECT_FALSE(curtain.finished);
	EXPECT_FLOAT_EQ(curtain.slideTimer, 1.5f);
	EXPECT_FLOAT_EQ(curtain.curtain[0]->tint[3], 0.0f);
	KEGfxEnd();   // any earlier camera reaches the shaders with the next bind
	KEGfxSetBackgroundColor(1.0f, 1.0f, 1.0f);
	KEGfxStart();
	curtain.Draw();   // idle: invisible even with blending off
	EXPECT_TRUE(UiNear(UiReadPixel(400, 300), white));
	KEGfxEnd();

	curtain.Init();
	for (int i = 0; i < 20; ++i)
		curtain.Update();
	// The lower edge is now 380 below the view centre: every corner of the view is
	// covered (black with the real picture, the placeholder without it).
	KEGfxStart();
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	curtain.Draw();
	for (UiColor pixel : {UiReadPixel(0, 0), UiReadPixel(799, 0), UiReadPixel(0, 599),
	                      UiReadPixel(799, 599), UiReadPixel(400, 300)})
		EXPECT_FALSE(UiNear(pixel, white, 30));
	KEGfxEnd();
}
