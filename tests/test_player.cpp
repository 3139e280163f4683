// The player, the hackables and the bushes, played frame by frame on small maps.
#include <gtest/gtest.h>
#include <cmath>
#include "ActorWorld.h"
#include "Bush.h"
#include "HUD.h"
#include "Light.h"
#include "LightArea.h"
#include "Player.h"
#include "Radio.h"
#include "Server.h"

namespace
{
const std::vector<std::string> kOpen = {
	"##########",
	"#........#",
	"#........#",
	"#........#",
	"#........#",
	"#........#",
	"##########",
};

// The angle the player faces, as a whole number of eighth turns (0 to 7).
int Eighths(const Player& p)
{
	double a = std::fmod(p.facing + 4.0 * M_PI, 2.0 * M_PI);
	return (int)std::lround(a / (M_PI / 4.0)) % 8;
}
}

TEST(PlayerTest, KeysSteerInEightDirectionsWithTheirPrecedence)
{
	ActorWorld world(kOpen);
	Player p;
	auto started = world.Start({&p});
	struct Case
	{
		std::initializer_list<unsigned char> keys;
		int eighths;
		float dx, dy;   // signs of the movement
	};
	const Case cases[] = {
		{{KEY_W, KEY_S}, 6, 0, -1},          // S is tested after W
		{{KEY_A, KEY_D}, 0, 1, 0},           // and D after A
		{{KEY_W, KEY_S, KEY_D}, 7, 1, -1},   // S with D wins over W with D
		{{KEY_W, KEY_A}, 3, -1, 1},
		{{KEY_S, KEY_A}, 5, -1, -1},
	};
	for (const Case& c : cases)
	{
		p.position = CellCentre(4, 3);
		world.Hold(c.keys);
		world.Run({&p});
		EXPECT_EQ(Eighths(p), c.eighths);
		const float step = 0.99f * 200.0f / 60.0f;   // 3.3 units a frame, along the facing
		const float diagonal = c.dx != 0 && c.dy != 0 ? std::sqrt(0.5f) : 1.0f;
		EXPECT_NEAR(p.position.x - CellCentre(4, 3).x, c.dx * step * diagonal, 1e-3);
		EXPECT_NEAR(p.position.y - CellCentre(4, 3).y, c.dy * step * diagonal, 1e-3);
	}
	// The Up arrow turns the player but moves nothing; no key at all leaves it where it is.
	p.position = CellCentre(4, 3);
	world.Hold({KEY_UP});
	world.Run({&p}, 5);
	EXPECT_EQ(Eighths(p), 2);
	world.Hold({});
	world.Run({&p}, 5);
	EXPECT_FLOAT_EQ(p.position.x, CellCentre(4, 3).x);
	EXPECT_FLOAT_EQ(p.position.y, CellCentre(4, 3).y);
	// Space roots the player whatever else is held; letting go walks on at once.
	world.Hold({KEY_SPACE, KEY_D});
	world.Run({&p}, 10);
	EXPECT_FLOAT_EQ(p.position.x, CellCentre(4, 3).x);
	world.Hold({KEY_D});
	world.Run({&p});
	EXPECT_GT(p.position.x, CellCentre(4, 3).x);
	// Hidden or caught, no key moves it.
	for (bool* flag : {&p.hidden, &p.caught})
	{
		const KEVec2 before = p.position;
		*flag = true;
		world.Run({&p}, 3);
		*flag = false;
		EXPECT_FLOAT_EQ(p.position.x, before.x);
	}
}

TEST(PlayerTest, WallsPushBackAndARightWallTurnsWIntoNothing)
{
	KEVec2 at = {10.0f, 123.7f};
	PushOutOfWalls(&at, MAP_HIT_TOP, 2.85);
	EXPECT_FLOAT_EQ(at.y, 120.65f);
	at.y = 123.7f;
	PushOutOfWalls(&at, MAP_HIT_BOTTOM, 2.85);
	EXPECT_FLOAT_EQ(at.y, 126.35f);
	at = {123.7f, 10.0f};
	PushOutOfWalls(&at, MAP_HIT_RIGHT, 2.85);
	EXPECT_FLOAT_EQ(at.x, 120.65f);   // back from a wall on the right
	at.x = 123.7f;
	PushOutOfWalls(&at, MAP_HIT_LEFT, 2.5);
	EXPECT_FLOAT_EQ(at.x, 126.0f);    // a guard's smaller push, away from a wall on the left
	EXPECT_FLOAT_EQ(at.y, 10.0f);
	at = {123.7f, 123.7f};
	PushOutOfWalls(&at, MAP_HIT_TOP | MAP_HIT_BOTTOM | MAP_HIT_LEFT | MAP_HIT_RIGHT, 2.85);
	EXPECT_FLOAT_EQ(at.y, 126.35f);   // bottom and left win, both from the same integer part
	EXPECT_FLOAT_EQ(at.x, 126.35f);

	ActorWorld world(kOpen);
	Player p;
	auto started = world.Start({&p});
	// Walking right into the east wall: it never gets more than a step into the wall cell.
	p.position = CellCentre(7, 3);
	world.Hold({KEY_D});
	world.Run({&p}, 60);
	EXPECT_LT(p.position.x, 9 * 40.0f - 20.0f + 4.0f);
	EXPECT_TRUE(p.collisionFlags & MAP_HIT_RIGHT);
	// With the wall on its right, W does not turn it: it keeps its facing (pressing on).
	world.Hold({KEY_W});
	world.Run({&p}, 10);
	EXPECT_EQ(Eighths(p), 0);
	EXPECT_NEAR(p.position.y, CellCentre(7, 3).y, 0.01);
	// Up alone there leaves it standing.
	world.Hold({KEY_UP});
	const KEVec2 before = p.position;
	world.Run({&p}, 10);
	EXPECT_FLOAT_EQ(p.position.x, before.x);
	EXPECT_FLOAT_EQ(p.position.y, before.y);
}

TEST(HackingTest, AServerCountsOnceOnTheSixtiethFrameAndStartsOverWhenBroken)
{
	ActorWorld world(kOpen);
	Player p;
	Server s(&p);
	auto started = world.Start({&s, &p});
	s.position = p.position = CellCentre(3, 3);
	world.Run({&s, &p});   // boxes in place
	// 59 frames, then Space breaks: nothing counted, progress and the player's counter at 0.
	world.Hold({KEY_SPACE});
	world.Run({&s, &p}, 59);
	EXPECT_EQ(p.hackCounter, 59);
	world.Hold({});
	world.Run({&s, &p});
	EXPECT_EQ(s.hackProgress, 0.0f);
	EXPECT_EQ(p.hackCounter, 0);
	EXPECT_EQ(world.fake.channels.back().paused, true);   // the hacking sound stops with Space
	// 60 frames in a row count once; holding on neither counts again nor un-hacks.
	world.Hold({KEY_SPACE});
	world.Run({&s, &p}, 60);
	EXPECT_EQ(p.serversHacked, 1);
	EXPECT_FALSE(s.hacked);   // marked on the next update
	world.Run({&s, &p}, 100);
	EXPECT_TRUE(s.hacked);
	EXPECT_EQ(p.serversHacked, 1);
	EXPECT_EQ(world.Plays(14), 2);   // a hacking sound from each press of Space
}

TEST(HackingTest, OneBurstPerCompletedHackAndTheOverlayCounter)
{
	ActorWorld world(kOpen);
	Player p;
	Server s(&p);
	s.position = p.position = CellCentre(3, 3);
	auto started = world.Start({&s, &p});
	world.Run({&s, &p});   // boxes in place
	world.Hold({KEY_SPACE});
	world.Run({&s, &p}, 59);
	EXPECT_FALSE(p.particlesActive);
	world.Run({&s, &p});
	EXPECT_EQ(p.hackCounter, 60);
	EXPECT_TRUE(p.particlesActive && gPlayerBurstStarted);
	p.Draw();   // drawing a full counter starts it over
	EXPECT_EQ(p.hackCounter, 0);
	world.Hold({});
	world.Run({&s, &p});
	const KEVec2 flying = p.particles[5].position;
	EXPECT_NE(flying.x, p.position.x);                        // the first 30 slots fly...
	EXPECT_FLOAT_EQ(p.particles[31].position.x, p.position.x);   // ...the last six stay
	// A counter past 59 during the burst keeps it running but starts no second one.
	p.hackCounter = 60;
	world.Run({&s, &p});
	EXPECT_TRUE(p.particlesActive);
	EXPECT_NE(p.particles[5].position.x, p.position.x);
	p.hackCounter = 0;
	world.Run({&s, &p}, 28);   // half a second after the start it is over
	EXPECT_FALSE(p.particlesActive);
	EXPECT_FALSE(gPlayerBurstStarted);
	EXPECT_FALSE(p.particles[5].active);
	EXPECT_EQ(p.serversHacked, 1);
}

TEST(HackingTest, RadioAndLampSwitchOnlyOnceHacked)
{
	ActorWorld world(kOpen);
	Player p;
	Radio radio(&p);
	Light lamp(&p);
	LightArea area(&lamp);
	radio.position = lamp.position = p.position = CellCentre(3, 3);
	auto started = world.Start({&radio, &lamp, &area, &p});
	world.Run({&radio, &lamp, &p});
	// E on an unhacked radio or lamp does nothing.
	world.Hold({KEY_E});
	world.Run({&radio, &lamp, &p});
	EXPECT_FALSE(radio.switchedOn);
	EXPECT_TRUE(lamp.switchedOn);
	EXPECT_EQ(world.Plays(22) + world.Plays(16), 0);
	world.Hold({KEY_SPACE});
	world.Run({&radio, &lamp, &p}, 61);
	EXPECT_TRUE(radio.hacked && lamp.hacked);
	// Radio: on plays effect 22, off is silent. Lamp: each switch plays 16.
	world.Hold({KEY_E});
	world.Run({&radio, &lamp, &p});
	EXPECT_TRUE(radio.switchedOn);
	EXPECT_FALSE(lamp.switchedOn);
	EXPECT_EQ(world.Plays(22), 1);
	EXPECT_EQ(world.Plays(16), 1);
	world.Hold({});
	world.Run({&radio, &lamp, &p});
	world.Hold({KEY_E});
	world.Run({&radio, &lamp, &p});
	EXPECT_FALSE(radio.switchedOn);
	EXPECT_TRUE(lamp.switchedOn);
	EXPECT_EQ(world.Plays(22), 1);
	EXPECT_EQ(world.Plays(16), 2);
	// Holding E switches once, not every frame.
	world.Run({&radio, &lamp, &p}, 5);
	EXPECT_FALSE(radio.switchedOn);
	// After a catch the level unhacks the radio: E does nothing until it is hacked again.
	radio.hacked = false;
	world.Hold({});
	world.Run({&radio, &p});
	world.Hold({KEY_E});
	world.Run({&radio, &p});
	EXPECT_FALSE(radio.switchedOn);
}

TEST(HackingTest, EveryUnhackedRadioRunsTheHackingSoundWithSpace)
{
	ActorWorld world(kOpen);
	Player p;
	Radio far(&p);
	far.position = CellCentre(7, 1);
	p.position = CellCentre(2, 4);
	auto started = world.Start({&far, &p});
	world.Run({&far, &p});
	world.Hold({KEY_SPACE});
	world.Run({&far, &p});
	ASSERT_EQ(world.Plays(14), 1);
	EXPECT_FALSE(world.fake.At(world.sound.hack.channel)->paused);
	world.Hold({});
	world.Run({&far, &p});
	EXPECT_TRUE(world.sound.hack.paused);
}

TEST(HackingTest, TheCursorOnALampHighlightsItsArea)
{
	ActorWorld world(kOpen);
	Player p;
	Light lamp(&p);
	lamp.position = {420.5f, 300.5f};
	auto started = world.Start({&lamp, &p});
	KEGfxSetCamPosition(400.0f, 300.0f);
	// The box spans 400.5 to 440.5: the window centre is world (400, 300), one pixel right is 401.
	world.Cursor(400, 300);
	world.Run({&lamp});
	EXPECT_FALSE(lamp.mouseOver);
	world.Cursor(401, 300);
	world.Run({&lamp});
	EXPECT_TRUE(lamp.mouseOver);
	world.Cursor(440, 280);   // the box's right edge, 20 up: still inside
	world.Run({&lamp});
	EXPECT_TRUE(lamp.mouseOver);
	world.Cursor(0, 0);
	KEGfxSetCamPosition(0.0f, 0.0f);
}

TEST(BushTest, HidingLeavingAndTheSoundOncePerStay)
{
	ActorWorld world(kOpen);
	Player p;
	Bush a(&p), b(&p);
	a.position = b.position = p.position = CellCentre(3, 3);
	b.position.x += 100.0f;
	auto started = world.Start({&p, &a, &b});
	world.Run({&p, &a, &b});
	// A caught player cannot start hiding.
	p.caught = true;
	world.Hold({KEY_SPACE});
	world.Run({&p, &a, &b}, 80);
	EXPECT_FALSE(p.hidden);
	EXPECT_EQ(a.hideCounter, 0);
	p.caught = false;
	world.Run({&p, &a, &b}, 60);
	EXPECT_FALSE(p.hidden);
	world.Run({&p, &a, &b});
	EXPECT_TRUE(p.hidden && a.hiding && !b.hiding);
	EXPECT_EQ(world.Plays(18), 1);
	world.Run({&p, &a, &b}, 30);   // staying hidden: the sound does not repeat
	EXPECT_EQ(world.Plays(18), 1);
	// E while Space is still held: out for one frame, hidden again on the next.
	world.Hold({KEY_SPACE, KEY_E});
	world.Run({&p, &a, &b});
	EXPECT_FALSE(p.hidden);
	world.Run({&p, &a, &b});
	EXPECT_TRUE(p.hidden);
	EXPECT_EQ(world.Plays(18), 2);   // a new stay
	// Letting go of Space first, then E, leaves the bush for good.
	world.Hold({});
	world.Run({&p, &a, &b});
	world.Hold({KEY_E});
	world.Run({&p, &a, &b}, 30);
	EXPECT_FALSE(p.hidden || a.hiding);
	EXPECT_EQ(world.Plays(18), 2);
	// Hidden, the player stays put whatever it presses.
	const KEVec2 at = p.position;
	p.hidden = true;
	world.Hold({KEY_D});
	world.Run({&p}, 10);
	EXPECT_FLOAT_EQ(p.position.x, at.x);
}
