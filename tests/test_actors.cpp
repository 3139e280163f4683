// The actors played frame by frame on small maps: the player, the hackables and the bushes;
// the guards, their route search, their sight, its drawn view and their pop-ups.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <tuple>
#include "ActorWorld.h"
#include "Bush.h"
#include "Guard.h"
#include "Light.h"
#include "LightArea.h"
#include "Path.h"
#include "Player.h"
#include "Radio.h"
#include "ReferencePath.h"
#include "Server.h"
#include "Sight.h"
#include "VisualPopUp.h"
#include "Wall.h"

namespace
{
const std::vector<std::string> kOpen = {"##########", "#........#", "#........#", "#........#",
                                        "#........#", "#........#", "##########"};

// The angle the player faces, as a whole number of eighth turns (0 to 7).
int Eighths(const Player& p)
{
	return (int)std::lround(std::fmod(p.facing + 4.0 * M_PI, 2.0 * M_PI) / (M_PI / 4.0)) % 8;
}

const std::string kRow = "#..............#", kBlock = "#.........##...#", kEdge(16, '#');
const std::vector<std::string> kHall = {kEdge, kRow, kRow, kRow, kBlock, kBlock, kRow, kRow, kEdge};

void PlaceGuard(BasicGuard& g, int column, int row)
{
	g.position = CellCentre(column, row);
	g.homeCell = {(float)column, (float)row};
}

using CellList = std::vector<std::pair<int, int>>;
CellList Cells(const std::vector<KEVec2>& route)
{
	CellList cells;
	for (const KEVec2& p : route)
		cells.push_back({(int)p.x, (int)p.y});
	return cells;
}

float Distance(KEVec2 a, KEVec2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// A radio guard and a lamp guard with their sights, watching one player.
struct ErrandCast
{
	Player     p;
	Radio      radio{&p};
	Light      lamp{&p};
	LightArea  area{&lamp};
	BasicGuard rg{&p, &radio}, lg{&p, &area};
	Sight      rs{&rg, &p}, ls{&lg, &p};

	// Started and updated in a level's list order.
	[[nodiscard]] ActorWorld::Started Start(ActorWorld& world)
	{
		return world.Start({&lamp, &radio, &rg, &lg, &p, &area, &rs, &ls});
	}
	void Run(ActorWorld& world, int n = 1) { world.Run({&lamp, &radio, &rg, &lg, &p, &area, &rs, &ls}, n); }
};

// A wall block in a hall, a pillar and a room with a door: edges of every direction.
const std::vector<std::string> kRooms = {kEdge, kRow, "#..#...........#", kRow, kBlock, kBlock, kRow,
                                         "#.....###.#....#", kEdge};

bool InTriangle(const KEVec2* t, float x, float y)
{
	auto side = [&](KEVec2 a, KEVec2 b) { return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x); };
	const float s0 = side(t[0], t[1]), s1 = side(t[1], t[2]), s2 = side(t[2], t[0]);
	return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
}

struct Pose { const char* where; float x, y, rotation; };

// Guard poses in kRooms (cell 40, row 0 at the bottom), visited in order by one guard, so the
// view must follow each move and turn.
const Pose kPoses[] = {
    {"mostly open, facing right", 140.5f, 140.5f, 0.0f},
    {"facing the wall block", 330.0f, 190.0f, 0.0f},
    {"beside the block, looking along it", 390.5f, 137.3f, 1.5707963f},
    {"diagonally past the block", 300.2f, 110.7f, 0.7853982f},
    {"behind the pillar", 100.5f, 260.5f, -0.4f},
    {"at the room's door", 380.5f, 60.5f, 3.1415925f},
    {"beside the border, looking out", 60.5f, 300.5f, 2.6f},
    {"standing in a wall cell", 610.5f, 180.5f, 3.1415925f},
    {"mostly open, facing down", 540.0f, 260.0f, -1.5707963f},
};
} // namespace

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
		world.Play(c.keys, {&p});
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
	world.Play({KEY_W}, {&p}, 10);   // with the wall on its right, W does not turn it: it presses on
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
	world.Play({KEY_SPACE}, {&s, &p}, 59);   // 59 frames, then Space breaks: nothing counted, all back to 0
	EXPECT_EQ(p.hackCounter, 59);
	world.Play({}, {&s, &p});
	EXPECT_EQ(p.hackCounter, 0);
	world.Play({KEY_SPACE}, {&s, &p}, 60);
	EXPECT_EQ(p.serversHacked, 1);
	EXPECT_FALSE(s.hacked);   // marked on the next update
	EXPECT_TRUE(p.particlesActive && gPlayerBurstStarted);
	world.Play({}, {&s, &p});
	EXPECT_TRUE(s.hacked);
	// Half a second from its start (its own frame the first): flying on the 29th, over on the 30th.
	world.Run({&s, &p}, 27);
	EXPECT_TRUE(p.particlesActive && gPlayerBurstStarted && p.particles[5].active);
	world.Run({&s, &p});
	EXPECT_FALSE(p.particlesActive || gPlayerBurstStarted || p.particles[5].active);
	world.Play({KEY_SPACE}, {&s, &p}, 70);   // Space held on a hacked server: no second count, no new burst
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
	auto run = [&](std::initializer_list<unsigned char> keys, int n = 1) { world.Play(keys, {&radio, &lamp, &p}, n); };
	run({});
	run({KEY_E});   // on an unhacked radio or lamp E does nothing
	EXPECT_FALSE(radio.switchedOn);
	EXPECT_TRUE(lamp.switchedOn);
	world.Play({KEY_SPACE}, {&far, &p});   // far from the player, an unhacked radio still runs the hacking sound
	EXPECT_EQ(world.Plays(14), 1);
	world.Play({}, {&far, &p});
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
		HarnessSetCursor(x, y);   // sampled at once
		KEInputUpdate();
		world.Run({&lamp});
		EXPECT_EQ(lamp.mouseOver, over) << x << ", " << y;
	}
	HarnessSetCursor(0, 0);
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
	auto run = [&](std::initializer_list<unsigned char> keys, int n = 1) { world.Play(keys, {&p, &a, &b}, n); };
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

// What the random grids below cannot ask: the open cells before any search, a route read
// step by step, and no map at all.
TEST(FindPathTest, HandMadeCases)
{
	GridOnMap grid(8, 8);
	BasicGuard guard(nullptr);
	// Asked before its first search, as Init leaves it: every floor cell on the map is open.
	guard.mapWidth = guard.mapHeight = 8, guard.solidRows = gMapSolid;
	grid.At(4, 4) = 1;
	for (auto [c, r, open] : {std::tuple{3, 3, true}, {0, 7, true}, {4, 4, false}, {8, 3, false}, {3, -1, false}})
		EXPECT_EQ(guard.IsOpenCell(c, r), open) << c << ", " << r;
	grid.At(4, 4) = 0;
	EXPECT_TRUE(guard.FindPath({3, 3}, {3.7f, 3.2f}).empty());   // same cell
	// Fractional inputs are cut to their cells; the first step leaves through y - 1 when it can.
	EXPECT_EQ(Cells(guard.FindPath({3.9f, 5.2f}, {4.5f, 4.99f})), (CellList{{3, 4}, {4, 4}}));
	grid.At(5, 5) = 1;   // a wall start still leads out
	EXPECT_EQ(Cells(guard.FindPath({5, 5}, {5, 7})), (CellList{{5, 6}, {5, 7}}));
	GridOnMap none(0, 0);   // no map at all: nothing to walk
	EXPECT_TRUE(guard.FindPath({0, 0}, {2, 0}).empty());
}

TEST(FindPathTest, SameRoutesAsTheLiteralSearchOnRandomGrids)
{
	std::mt19937 random(20261206);
	BasicGuard guard(nullptr);
	int routes = 0;
	for (int map = 0; map < 300; ++map)
	{
		const int width = 1 + (int)(random() % 24), height = 1 + (int)(random() % 18);
		GridOnMap grid(width, height);
		const int density = (int)(random() % 45);
		for (int r = 0; r < height; ++r)
			for (int c = 0; c < width; ++c)
				grid.At(c, r) = (int)(random() % 100) < density;
		std::uniform_real_distribution<float> x(-2.0f, width + 2.0f), y(-2.0f, height + 2.0f);
		for (int search = 0; search < 20; ++search)
		{
			const KEVec2 start = {x(random), y(random)}, goal = {x(random), y(random)};
			const std::vector<KEVec2> expected = ReferencePath(start, goal);
			ASSERT_EQ(Cells(guard.FindPath(start, goal)), Cells(expected))
			    << "map " << map << " from (" << start.x << ", " << start.y << ") to (" << goal.x << ", " << goal.y
			    << ")";
			routes += !expected.empty();
		}
	}
	EXPECT_GT(routes, 1000);   // most searches found something to compare
}

TEST(GuardTest, PatrolsOutAndHomeAndStandsWithoutARoute)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard walker(&p), stander(&p);
	PlaceGuard(walker, 2, 2);
	walker.patrolRoute = {{300.0f, 100.0f}, {100.0f, 100.0f}};   // out, then home
	PlaceGuard(stander, 5, 5);
	auto started = world.Start({&walker, &stander, &p});
	world.Run({&walker, &stander, &p});   // 100 units a second plus the unscaled step of the velocity
	EXPECT_NEAR(Distance(walker.position, CellCentre(2, 2)), (100.0f + 1.0f) / 60.0f, 1e-3f);
	bool reachedPoint = false, backHome = false;
	for (int frame = 0; frame < 400; ++frame)
	{
		world.Run({&walker, &stander, &p});
		reachedPoint |= walker.position.x > 268.0f;   // it turns within 30 units of a point
		backHome |= reachedPoint && Distance(walker.position, walker.homePosition) < 31.0f;
	}
	EXPECT_TRUE(reachedPoint && backHome);
	EXPECT_FLOAT_EQ(stander.position.x, CellCentre(5, 5).x);
}

// The chase: a route to the player's cell every fifth of a second (twelve frames), walked at
// 180 units a second plus the unscaled step of the velocity, ending at rest by the player.
TEST(GuardTest, AChaseReplansEveryTwelveFramesAt180UnitsASecond)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard g(&p);
	PlaceGuard(g, 2, 6);
	p.position = CellCentre(14, 6);
	auto started = world.Start({&g, &p});
	g.state = GUARD_PURSUE;
	g.pursuitTarget = TARGET_PLAYER;
	auto goal = [&] { return g.path.empty() ? -1 : (int)(g.path.back().x / 40.0f); };
	world.Run({&g}, 11);
	EXPECT_EQ(goal(), -1);
	world.Run({&g});
	EXPECT_EQ(goal(), 14);
	float walked = 0.0f;
	for (int frame = 0; frame < 24; ++frame)
	{
		const KEVec2 before = g.position;
		world.Run({&g});
		walked += Distance(before, g.position);
	}
	EXPECT_NEAR(walked, 24 * (180.0f + 1.0f) / 60.0f, 0.01f);
	p.position = CellCentre(13, 6);
	world.Run({&g}, 11);
	EXPECT_EQ(goal(), 14);
	world.Run({&g});
	EXPECT_EQ(goal(), 13);
	world.Run({&g}, 200);
	EXPECT_LT(Distance(g.position, p.position), 30.0f);
	// At rest the rotation keeps a small offset (a float quarter turn less 1.57).
	EXPECT_FLOAT_EQ(g.rotation, (float)((double)std::atan2(1.0f, 0.0f) - 1.57));
}

// Each errand, ended by the guard itself or by the player, with the sights and a hidden
// player in a level's list order: one alert grunt as it sets out, a return home, and a guard
// without a patrol route that then stands still within its reach of home.
TEST(GuardTest, ErrandsGruntOnceAndEndStandingStillAtHome)
{
	ActorWorld world(kHall);
	ErrandCast cast;
	auto& [p, radio, lamp, area, rg, lg, rs, ls] = cast;
	radio.position = CellCentre(8, 2);
	lamp.position = CellCentre(13, 6);
	area.position = CellCentre(3, 6);   // the lamp guard stands in its area at home, 80 units from its middle
	PlaceGuard(rg, 2, 2);
	PlaceGuard(lg, 1, 6);
	auto started = cast.Start(world);
	p.hidden = true;   // never seen: only the errands move the guards
	radio.hacked = lamp.hacked = true;
	struct Case { bool lamp, byPlayer; };
	for (auto [isLamp, byPlayer] : {Case{false, true}, {false, false}, {true, true}, {true, false}})
	{
		SCOPED_TRACE(std::string(isLamp ? "lamp" : "radio") + (byPlayer ? " by the player" : " by the guard"));
		BasicGuard& g = isLamp ? lg : rg;
		bool& on = isLamp ? lamp.switchedOn : radio.switchedOn;   // the guard's business while the radio is on, the lamp off
		const int grunts = world.Grunts();
		on = !isLamp;
		int frame = 0, waited = 0;
		for (; frame < 900 && on != isLamp && !(byPlayer && frame == 60); ++frame)
			waited = g.waitCounter, cast.Run(world);
		ASSERT_LT(frame, 900);
		EXPECT_TRUE(byPlayer || waited == 119) << waited;   // switched by the guard on its 120th frame at it
		on = isLamp;   // the player switches it first, or the guard has
		cast.Run(world);
		EXPECT_EQ(g.state, GUARD_RETURN);
		cast.Run(world);
		EXPECT_TRUE(!g.path.empty() && Distance(g.path.back(), g.homePosition) < 1.0f);   // heading home
		for (frame = 0; frame < 900 && g.state != GUARD_PATROL; ++frame)
			cast.Run(world);
		const KEVec2 stop = g.position;
		cast.Run(world, 180);
		EXPECT_LE(Distance(g.position, g.homePosition), g.reachDistance);
		EXPECT_EQ(Distance(g.position, stop), 0.0f);
		EXPECT_TRUE(g.velocity.x == 0.0f && g.velocity.y == 0.0f);
		EXPECT_EQ(world.Grunts() - grunts, 1);
	}
}

// A radio and a lamp guard that see the player: the alarm from the start of their update,
// and the chase icon on every frame of the chase although their radio or lamp rule turns
// them to a return after the chase step; then the player switches on the radio and darkens
// the lamp guard's area during the chase: one alert grunt each, not one a frame.
TEST(GuardTest, EveryChaserShowsTheChaseAndAnErrandGruntsOnce)
{
	ActorWorld world(kHall);
	ErrandCast cast;
	auto& [p, radio, lamp, area, rg, lg, rs, ls] = cast;
	radio.position = CellCentre(8, 6);
	lamp.position = CellCentre(13, 6);
	area.position = CellCentre(3, 4);
	PlaceGuard(rg, 2, 2);
	PlaceGuard(lg, 2, 5);
	p.position = CellCentre(5, 3);   // in front of both
	auto started = cast.Start(world);
	radio.hacked = lamp.hacked = true;
	auto chaseShown = [&](int n)
	{
		int shown = 0;
		for (int i = 0; i < n; ++i)
		{
			cast.Run(world);
			for (BasicGuard* g : {&rg, &lg})
				shown += g->state == GUARD_PURSUE && g->pursuitTarget == TARGET_PLAYER &&
				         g->popUp->icon->imageIndex == 0 && g->popUp->icon->tint[3] == 1.0f;
		}
		return shown;
	};
	// Seen in the first frame, turned to the chase at the end of the second.
	cast.Run(world, 2);
	EXPECT_EQ(chaseShown(60), 120);
	EXPECT_TRUE(world.Plays(9) + world.Plays(10) == 2 && gDetectingGuards == 2 && gAlarmMusicOn);
	const int grunts = world.Grunts();
	radio.switchedOn = true;
	lamp.switchedOn = false;
	EXPECT_EQ(chaseShown(60), 120);
	EXPECT_EQ(world.Grunts() - grunts, 2);
}

TEST(SightTest, HalfPlaneRangeWallsAndMemory)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard g(&p);
	Sight v(&g, &p);
	PlaceGuard(g, 4, 3);   // (180.5, 140.5), facing right
	auto started = world.Start({&g, &p, &v});
	auto sees = [&](KEVec2 at)
	{
		p.position = at;
		world.Run({&v});
		return v.seesPlayer;
	};
	const KEVec2 eye = g.position;
	EXPECT_FALSE(sees({eye.x + 150.01f, eye.y}));
	EXPECT_TRUE(sees({eye.x + 150.0f, eye.y}));   // exactly at the range
	EXPECT_TRUE(sees({eye.x - 60.0f, eye.y}));    // behind, the answer stays what it was, either way
	v.seesPlayer = false;
	EXPECT_TRUE(sees({eye.x, eye.y + 60.0f}));    // exactly abreast counts as in front
	v.seesPlayer = false;
	EXPECT_FALSE(sees({eye.x - 60.0f, eye.y}));
	EXPECT_FALSE(sees(CellCentre(11, 4)));   // a wall cell of the block between them hides the player
	g.position = {610.5f, 180.5f};   // standing in the east wall cell, looking back in
	g.rotation = 3.1415925f;
	EXPECT_TRUE(sees({595.5f, 180.5f}));    // both offsets below a cell: only the player's cell is looked at
	EXPECT_FALSE(sees({525.5f, 180.5f}));   // two whole cells away the block reaches the wall
	g.position = eye;
	g.rotation = 0.0f;
	for (int errand : {TARGET_RADIO, TARGET_LIGHT})
	{
		p.hidden = false;
		g.resumeTarget = errand;
		EXPECT_TRUE(sees({eye.x + 50.0f, eye.y}));   // a hidden player is never seen, and a chase turns into a return
		world.Run({&v});
		EXPECT_TRUE(g.state == GUARD_PURSUE && g.pursuitTarget == TARGET_PLAYER);
		p.hidden = true;
		world.Run({&v});
		EXPECT_FALSE(v.seesPlayer || g.pathReady);
		EXPECT_TRUE(g.state == GUARD_RETURN && g.pursuitTarget == errand) << errand;   // back to its errand
	}
}

// Over the whole reach, every point where drawing and test disagree lies within a unit of a
// point where the test gives the drawn answer: the edge is within a unit of the true one.
// Every pose has a wall within reach, so a plain half-disc would fail.
TEST(ViewWorld, TheDrawnEdgeIsWithinAUnitOfTheTrueOne)
{
	ActorWorld world(kRooms);
	Player p;
	BasicGuard g(&p);
	Sight sight(&g, &p);
	auto started = world.Start({&g, &p, &sight});
	const float step = 0.5f;
	const int n = 2 * 160 * 2 + 1;   // 0.5-unit samples over 320 x 320 around the guard
	float worst = 0.0f;
	for (const Pose& pose : kPoses)
	{
		g.position = {pose.x, pose.y}, g.rotation = pose.rotation;
		const std::vector<KEVec2>& view = sight.View();
		std::vector<char> drawn((size_t)n * n, 0), seen((size_t)n * n, 0);
		// Off the half units, so no sample falls on a cell edge, where either answer is right.
		const float x0 = pose.x - 160.123f, y0 = pose.y - 160.377f;
		for (size_t t = 0; t + 2 < view.size(); t += 3)   // rasterise each triangle over its box
		{
			const auto [xl, xh] = std::minmax({view[t].x, view[t + 1].x, view[t + 2].x});
			const auto [yl, yh] = std::minmax({view[t].y, view[t + 1].y, view[t + 2].y});
			for (int i = std::max(0, (int)((xl - x0) / step)); i < n && x0 + i * step <= xh; ++i)
				for (int j = std::max(0, (int)((yl - y0) / step)); j < n && y0 + j * step <= yh; ++j)
					if (InTriangle(&view[t], x0 + i * step, y0 + j * step))
						drawn[(size_t)i * n + j] = 1;
		}
		int seenCount = 0, mismatches = 0, wallCut = 0;
		for (int i = 0; i < n; ++i)
			for (int j = 0; j < n; ++j)
			{
				const float x = x0 + i * step, y = y0 + j * step;
				const SightAnswer look = sight.Looks({x, y});
				seenCount += seen[(size_t)i * n + j] = look == SIGHT_SEEN;
				wallCut += look == SIGHT_UNSEEN && std::hypot(x - pose.x, y - pose.y) <= 150.0f;
			}
		for (int i = 0; i < n; ++i)
			for (int j = 0; j < n; ++j)
			{
				const char want = drawn[(size_t)i * n + j];
				if (seen[(size_t)i * n + j] == want)
					continue;
				++mismatches;
				float nearest = 1e9f;   // to a sample the test answers as drawn
				for (int di = -20; di <= 20; ++di)
					for (int dj = -20; dj <= 20; ++dj)
						if (i + di >= 0 && i + di < n && j + dj >= 0 && j + dj < n &&
						    seen[(size_t)(i + di) * n + j + dj] == want)
							nearest = std::min(nearest, std::hypot((float)di, (float)dj) * step);
				worst = std::max(worst, nearest);
				EXPECT_LE(nearest, 1.0f) << pose.where << " at (" << x0 + i * step << ", " << y0 + j * step << ")";
			}
		EXPECT_GT(seenCount, 1000) << pose.where;
		EXPECT_LT(mismatches, 150) << pose.where;
		EXPECT_GT(wallCut, 400) << pose.where << ": no wall cuts this view";
	}
	std::printf("guard view: largest edge error %.2f units\n", worst);
}

// An errand not yet planned shows the question with one grunt; once planned it fades out over
// 20 frames. (A new grunt for each errand and the chase icon: the guard tests above.)
TEST(PopUpTest, TheQuestionShowsUntilTheErrandIsPlannedThenFades)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard g(&p);
	PlaceGuard(g, 3, 3);
	auto started = world.Start({&g, &p});
	VisualPopUp& pop = *g.popUp;
	auto update = [&](int n) { for (int i = 0; i < n; ++i) pop.Update(); };
	g.state = GUARD_PURSUE;
	g.pursuitTarget = TARGET_LIGHT;
	update(3);
	EXPECT_TRUE(world.Grunts() == 1 && pop.icon->imageIndex == 1 && pop.icon->tint[3] == 1.0f);
	EXPECT_TRUE(pop.icon->position.x == g.position.x && pop.icon->position.y == g.position.y + 30.0f);   // just above
	g.pathReady = true;
	update(19);
	EXPECT_GT(pop.icon->tint[3], 0.0f);
	update(1);
	EXPECT_LT(pop.icon->tint[3], 0.01f);
}

// Every actor through the real renderer, with the wall-cut view and then the half-disc, saved
// as actors_scene.png and actors_scene_fan.png for a look.
TEST(ActorsPicture, EveryActorDrawn)
{
	const std::string edge(11, '#'), row = "#.........#";
	ActorWorld world({edge, "#..6......#", row, "#...###...#", row, row, edge});   // code 6 is floor
	Player p;
	Path floor;
	Wall walls;
	Server server(&p);
	Radio radio(&p);
	Light lamp(&p);
	LightArea area(&lamp);
	Bush bush(&p);
	BasicGuard guard(&p, &radio);
	Sight sight(&guard, &p);
	for (auto [o, c, r] : {std::tuple<GameObject*, int, int>{&p, 2, 2}, {&server, 8, 4}, {&radio, 2, 4}, {&lamp, 5, 1},
	                       {&area, 8, 2}, {&bush, 4, 2}})
		o->position = CellCentre(c, r);
	PlaceGuard(guard, 6, 2);
	auto started = world.Start({&floor, &walls, &server, &radio, &lamp, &area, &bush, &guard, &p, &sight});
	radio.hacked = radio.switchedOn = lamp.hacked = true;
	lamp.switchedOn = false;
	guard.rotation = 3.1415925f;
	p.hackCounter = 20;
	KEGfxSetCamPosition(220.0f, 140.0f);
	for (GameObject* o : std::vector<GameObject*>{&server, &radio, &bush, &guard, &sight})
		o->Update();
	ASSERT_EQ(sight.Looks({190.0f, 175.0f}), SIGHT_UNSEEN);   // within reach, behind the wall block
	auto yellowness = [](UiColor c) { return c.r + c.g - 2 * c.b; };
	auto light = [](int x, int y) { int sum = 0; for (UiColor c : UiReadRegion(x, y, 10, 10)) sum += c.r + c.g + c.b; return sum / 100; };
	for (bool fan : {false, true})
	{
		gGuardViewFan = fan;
		KEGfxSetBackgroundColor(1.0f, 0.0f, 1.0f);
		KEGfxStart();
		KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
		KEGfxSetTransparency(1.0f);
		KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
		KEGfxTextureSet(nullptr, 0.0f, 0.0f);
		KEGfxSetTransparency(1.0f);
		for (GameObject* o : std::vector<GameObject*>{&floor, &walls, &server, &radio, &lamp, &bush, &guard, &p, &area, &sight})
			o->Draw();
		EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath(fan ? "actors_scene_fan.png" : "actors_scene.png")));
		// The same spot of a floor tile: plain, under the dark lit area, in view, and at that spot
		// behind the block, covered by the half-disc only.
		const UiColor plain = UiReadPixel(250, 225), dark = UiReadPixel(570, 385), seen = UiReadPixel(330, 385),
		              hidden = UiReadPixel(370, 265);
		EXPECT_LT(dark.r + dark.g + dark.b, (plain.r + plain.g + plain.b) * 4 / 5);
		EXPECT_GT(yellowness(seen), yellowness(plain) + 60);
		EXPECT_TRUE(fan ? yellowness(hidden) > yellowness(plain) + 60 : UiNear(hidden, plain, 4)) << fan;
		EXPECT_GT(light(315, 175), 250);   // the pale bricks of the top wall row over cell (3, 6)
		EXPECT_LT(light(315, 215), 150);   // the dark floor tile of cell (3, 5) just below it
		KEGfxEnd();
	}
	gGuardViewFan = false;
	KEGfxSetCamPosition(0.0f, 0.0f);
}
