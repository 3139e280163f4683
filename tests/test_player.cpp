// The player, the hackables and the bushes, played frame by frame on small maps.
#include <gtest/gtest.h>
#include <cmath>
#include "ActorWorld.h"
#include "Bush.h"
#include "Guard.h"
#include "Light.h"
#include "LightArea.h"
#include "Player.h"
#include "Radio.h"
#include "Server.h"

namespace
{
const std::vector<std::string> kOpen = {"##########", "#........#", "#........#", "#........#",
                                        "#........#", "#........#", "##########"};

// The angle the player faces, as a whole number of eighth turns (0 to 7).
int Eighths(const Player& p)
{
	return (int)std::lround(std::fmod(p.facing + 4.0 * M_PI, 2.0 * M_PI) / (M_PI / 4.0)) % 8;
}
}

TEST(PlayerTest, KeysSteerWithTheirPrecedenceUpOnlyTurnsAndSpaceRoots)
{
	ActorWorld world(kOpen);
	Player p;
	auto started = world.Start({&p});
	const KEVec2 o = CellCentre(4, 3);
	const float s = 0.99f * 200.0f / 60.0f, d = s * std::sqrt(0.5f);   // a frame's step, straight and diagonal
	struct Case { std::initializer_list<unsigned char> keys; int eighths; float dx, dy; };
	const Case cases[] = {
		{{KEY_W, KEY_S}, 6, 0, -s},          // S is tested after W
		{{KEY_A, KEY_D}, 0, s, 0},           // and D after A
		{{KEY_W, KEY_S, KEY_D}, 7, d, -d},   // S with D wins over W with D
		{{KEY_W, KEY_A}, 3, -d, d},
		{{KEY_S, KEY_A}, 5, -d, -d},
		{{KEY_UP}, 2, 0, 0},                 // the Up arrow turns but moves nothing
		{{KEY_SPACE, KEY_D}, 2, 0, 0},       // Space roots whatever else is held
		{{KEY_D}, 0, s, 0},                  // and letting go walks on at once
	};
	for (const auto& c : cases)
	{
		p.position = o;
		world.Hold(c.keys);
		world.Run({&p});
		EXPECT_EQ(Eighths(p), c.eighths);
		EXPECT_NEAR(p.position.x - o.x, c.dx, 1e-3);
		EXPECT_NEAR(p.position.y - o.y, c.dy, 1e-3);
	}
	for (bool* frozen : {&p.hidden, &p.caught})   // neither a hidden nor a caught player walks
	{
		const KEVec2 before = p.position;
		*frozen = true;
		world.Run({&p}, 3);
		EXPECT_FLOAT_EQ(p.position.x, before.x);
		*frozen = false;
	}
}

TEST(PlayerTest, WallsPushBackAndARightWallTurnsWIntoNothing)
{
	KEVec2 at = {123.7f, 123.7f};   // hitting all four walls, the bottom and left pushes win
	PushOutOfWalls(&at, MAP_HIT_TOP | MAP_HIT_BOTTOM | MAP_HIT_LEFT | MAP_HIT_RIGHT, 2.85);
	EXPECT_FLOAT_EQ(at.x, 126.35f);
	EXPECT_FLOAT_EQ(at.y, 126.35f);
	ActorWorld world(kOpen);
	Player p;
	BasicGuard g(&p);
	auto started = world.Start({&p, &g});
	p.position = g.position = {345.3f, 140.5f};   // standing against the east wall: the player by 2.85, a guard by 2.5
	world.Run({&p, &g});
	EXPECT_FLOAT_EQ(p.position.x, 342.65f);
	EXPECT_FLOAT_EQ(g.position.x, 343.0f);
	world.Hold({KEY_W});   // with the wall on its right, W does not turn it: it presses on
	world.Run({&p}, 10);
	EXPECT_EQ(Eighths(p), 0);
	EXPECT_NEAR(p.position.y, CellCentre(7, 3).y, 0.01);
}

TEST(HackingTest, AServerCountsOnceOnTheSixtiethFrameWithOneBurst)
{
	ActorWorld world(kOpen);
	Player p;
	Server s(&p);
	s.position = p.position = CellCentre(3, 3);
	gPlayerBurstStarted = true;   // the last level was left mid-burst: this one starts clean
	auto started = world.Start({&s, &p});
	world.Run({&s, &p});   // boxes in place
	world.Hold({KEY_SPACE});   // 59 frames, then Space breaks: nothing counted, all back to 0
	world.Run({&s, &p}, 59);
	EXPECT_EQ(p.hackCounter, 59);
	world.Hold({});
	world.Run({&s, &p});
	EXPECT_EQ(p.hackCounter, 0);
	world.Hold({KEY_SPACE});
	world.Run({&s, &p}, 60);
	EXPECT_EQ(p.serversHacked, 1);
	EXPECT_FALSE(s.hacked);   // marked on the next update
	EXPECT_TRUE(p.particlesActive && gPlayerBurstStarted);
	world.Hold({});
	world.Run({&s, &p});
	EXPECT_TRUE(s.hacked);
	// Half a second from its start (its own frame the first): flying on the 29th, over on the 30th.
	world.Run({&s, &p}, 27);
	EXPECT_TRUE(p.particlesActive && gPlayerBurstStarted && p.particles[5].active);
	world.Run({&s, &p});
	EXPECT_FALSE(p.particlesActive || gPlayerBurstStarted || p.particles[5].active);
	world.Hold({KEY_SPACE});   // Space held on a hacked server: no second count, no new burst
	world.Run({&s, &p}, 70);
	EXPECT_TRUE(p.serversHacked == 1 && s.hacked && !p.particlesActive);
}

TEST(HackingTest, RadioAndLampSwitchOnlyOnceHackedAnyRadioRunsTheHackSoundAndTheCursorFindsTheLamp)
{
	ActorWorld world(kOpen);
	Player p;
	Radio radio(&p), far(&p);
	Light lamp(&p);
	LightArea area(&lamp);
	radio.position = lamp.position = p.position = CellCentre(3, 3);
	far.position = CellCentre(7, 1);
	auto started = world.Start({&radio, &far, &lamp, &area, &p});
	auto run = [&](std::initializer_list<unsigned char> keys, int n = 1)
	{
		world.Hold(keys);
		world.Run({&radio, &lamp, &p}, n);
	};
	run({});
	run({KEY_E});   // on an unhacked radio or lamp E does nothing
	EXPECT_FALSE(radio.switchedOn);
	EXPECT_TRUE(lamp.switchedOn);
	world.Hold({KEY_SPACE});   // far from the player, an unhacked radio still runs the hacking sound
	world.Run({&far, &p});
	EXPECT_EQ(world.Plays(14), 1);
	world.Hold({});
	world.Run({&far, &p});
	EXPECT_TRUE(world.sound.hack.paused);
	run({KEY_SPACE}, 61);
	EXPECT_TRUE(radio.hacked && lamp.hacked);
	run({KEY_E}, 5);   // holding E switches once: radio on plays 22, each lamp switch plays 16
	EXPECT_TRUE(radio.switchedOn && !lamp.switchedOn && world.Plays(22) == 1 && world.Plays(16) == 1);
	run({});
	run({KEY_E});   // and back: the radio goes off silently
	EXPECT_TRUE(!radio.switchedOn && lamp.switchedOn && world.Plays(22) == 1 && world.Plays(16) == 2);
	KEGfxSetCamPosition(120.0f, 140.0f);   // the lamp's box starts at world x 120.5, screen x 401
	for (auto [x, y, over] : {std::tuple{400, 300, false}, {401, 300, true}})
	{
		world.Cursor(x, y);
		world.Run({&lamp});
		EXPECT_EQ(lamp.mouseOver, over) << x << ", " << y;
	}
	world.Cursor(0, 0);
	KEGfxSetCamPosition(0.0f, 0.0f);
}

TEST(BushTest, HidingLeavingAndTheSoundOncePerStay)
{
	ActorWorld world(kOpen);
	Player p;
	Bush a(&p), b(&p);
	a.position = b.position = p.position = CellCentre(3, 3);
	b.position.x += 49.0f;   // its 60-unit box reaches one unit into the player's 40-unit one
	auto started = world.Start({&p, &a, &b});
	auto run = [&](std::initializer_list<unsigned char> keys, int n = 1)
	{
		world.Hold(keys);
		world.Run({&p, &a, &b}, n);
	};
	run({});
	p.caught = true;   // a caught player cannot start hiding
	run({KEY_SPACE}, 70);
	EXPECT_FALSE(p.hidden || a.hiding);
	p.caught = false;
	run({});
	run({KEY_SPACE}, 60);
	EXPECT_FALSE(p.hidden);
	run({KEY_SPACE});
	EXPECT_TRUE(p.hidden && a.hiding && b.hiding);   // each touched bush counts on its own
	run({KEY_SPACE}, 30);   // staying hidden: the sound does not repeat
	run({KEY_SPACE, KEY_E});   // E while Space is still held: out for one frame, then hidden again
	EXPECT_FALSE(p.hidden);
	run({KEY_SPACE, KEY_E});
	EXPECT_TRUE(p.hidden);
	EXPECT_EQ(world.Plays(18), 2);   // a new stay
	// Space held on in the bush: the overlay's count keeps rising, but nothing was hacked, so
	// no burst starts once the one from climbing in is over.
	int bursts = 0;
	for (int frame = 0; frame < 180; ++frame)
	{
		const bool before = p.particlesActive;
		run({KEY_SPACE});
		bursts += frame > 30 && p.particlesActive && !before;
	}
	EXPECT_TRUE(p.hidden && p.hackCounter > 180);
	EXPECT_EQ(bursts, 0);
	run({});   // letting go of Space first, then E, leaves the bush for good
	run({KEY_E}, 30);
	EXPECT_FALSE(p.hidden || a.hiding || b.hiding);
}
