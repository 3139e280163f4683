// Guards, their sight and their pop-ups, played frame by frame on small maps.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include "ActorWorld.h"
#include "Bush.h"
#include "Guard.h"
#include "Light.h"
#include "LightArea.h"
#include "Path.h"
#include "Player.h"
#include "Radio.h"
#include "Server.h"
#include "Sight.h"
#include "VisualPopUp.h"
#include "Wall.h"

namespace
{
// 16 x 9 cells: an open hall with a wall block in the middle of the right half.
const std::vector<std::string> kHall = {
	"################",
	"#..............#",
	"#..............#",
	"#..............#",
	"#.........##...#",
	"#.........##...#",
	"#..............#",
	"#..............#",
	"################",
};

// A standing guard's rotation: no heading, a single-precision quarter turn less 1.57 (0.00079637).
const float kRestRotation = (float)((double)std::atan2(1.0f, 0.0f) - 1.57);

void PlaceGuard(BasicGuard& g, int column, int row)
{
	g.position = CellCentre(column, row);
	g.homeCell = {(float)column, (float)row};
}

float Distance(KEVec2 a, KEVec2 b)
{
	return std::hypot(a.x - b.x, a.y - b.y);
}
}

TEST(GuardTest, PatrolsItsRouteAndAnEmptyRouteStandsStill)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard walker(&p), stander(&p);
	p.position = CellCentre(1, 7);
	PlaceGuard(walker, 2, 2);
	walker.patrolRoute = {{300.0f, 100.0f}, {100.0f, 100.0f}};   // out, then home
	PlaceGuard(stander, 5, 5);
	auto started = world.Start({&walker, &stander, &p});
	bool reachedPoint = false, backHome = false;
	for (int frame = 0; frame < 400; ++frame)
	{
		world.Run({&walker, &stander, &p});
		reachedPoint |= walker.position.x > 268.0f;   // it turns within 30 units of a point
		backHome |= reachedPoint && Distance(walker.position, walker.homePosition) < 31.0f;
		EXPECT_LT(std::fabs(walker.position.y - 100.0f), 1.0f);
	}
	EXPECT_TRUE(reachedPoint && backHome);
	// Its rotation is its heading plus the small offset.
	EXPECT_NEAR(std::remainder(walker.rotation - std::atan2(walker.velocity.y, walker.velocity.x), 2.0 * M_PI),
	            0.00079637, 1e-6);
	EXPECT_FLOAT_EQ(stander.position.x, CellCentre(5, 5).x);
	EXPECT_FLOAT_EQ(stander.position.y, CellCentre(5, 5).y);
	EXPECT_EQ(stander.state, GUARD_PATROL);
}

TEST(GuardTest, AChaseEndsStandingAtTheRouteEnd)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard g(&p);
	p.position = CellCentre(13, 6);   // behind the wall block from the guard
	PlaceGuard(g, 2, 5);
	auto started = world.Start({&g, &p});
	g.state = GUARD_PURSUE;
	g.pursuitTarget = TARGET_PLAYER;
	world.Run({&g, &p});
	EXPECT_TRUE(g.path.empty());   // the first replanning waits for the chase timer
	world.Run({&g, &p}, 11);
	ASSERT_FALSE(g.path.empty());
	EXPECT_FLOAT_EQ(g.speed, 180.0f);
	for (int frame = 0; frame < 300 && Distance(g.position, p.position) > 10.0f; ++frame)
		world.Run({&g, &p});
	world.Run({&g, &p}, 5);
	EXPECT_LT(Distance(g.position, CellCentre(13, 6)), 30.0f);
	EXPECT_EQ(g.velocity.x, 0.0f);
	EXPECT_EQ(g.velocity.y, 0.0f);
	EXPECT_FLOAT_EQ(g.rotation, kRestRotation);
	// Never inside the wall block on the way.
	EXPECT_EQ(CheckMapCollision(g.position.x / 40.0f, g.position.y / 40.0f, 0.1f, 0.1f), 0);
}

TEST(GuardTest, ARadioGuardSwitchesThePlayingRadioOffAfter120FramesAndGoesHome)
{
	ActorWorld world(kHall);
	Player p;
	Radio radio(&p);
	BasicGuard g(&p, &radio);
	p.position = CellCentre(1, 7);
	radio.position = CellCentre(8, 2);
	PlaceGuard(g, 2, 2);
	auto started = world.Start({&radio, &g, &p});
	world.Run({&radio, &g, &p}, 30);
	EXPECT_FLOAT_EQ(g.position.x, CellCentre(2, 2).x);   // no patrol: it stands
	radio.hacked = radio.switchedOn = true;
	int longest = 0, frame = 0;
	for (; frame < 600 && radio.switchedOn; ++frame)
	{
		EXPECT_TRUE(frame == 0 || g.state == GUARD_PURSUE);
		world.Run({&radio, &g, &p});
		longest = std::max(longest, g.waitCounter);
	}
	ASSERT_FALSE(radio.switchedOn);
	EXPECT_EQ(longest, 119);   // the 120th frame at the radio switches it off
	EXPECT_EQ(g.waitCounter, 0);
	EXPECT_EQ(g.state, GUARD_RETURN);
	for (frame = 0; frame < 600 && g.state != GUARD_PATROL; ++frame)
		world.Run({&radio, &g, &p});
	EXPECT_EQ(g.state, GUARD_PATROL);
	EXPECT_LT(Distance(g.position, g.homePosition), 30.0f);
	EXPECT_EQ(g.velocity.x, 0.0f);   // home again, and standing
	// Music switched off by the player turns a pursuing guard home at once.
	radio.switchedOn = true;
	world.Run({&radio, &g, &p}, 10);
	radio.switchedOn = false;
	world.Run({&radio, &g, &p});
	EXPECT_EQ(g.state, GUARD_RETURN);
}

TEST(GuardTest, ALampGuardIgnoresADarkLampUntilItStandsInTheLitArea)
{
	ActorWorld world(kHall);
	Player p;
	Light lamp(&p);
	LightArea area(&lamp);
	BasicGuard g(&p, &area);
	p.position = CellCentre(1, 7);
	lamp.position = CellCentre(13, 2);
	area.position = CellCentre(5, 5);
	PlaceGuard(g, 1, 1);
	auto started = world.Start({&lamp, &area, &g, &p});
	lamp.hacked = true;
	lamp.switchedOn = false;
	world.Run({&lamp, &g, &p}, 60);
	EXPECT_EQ(g.state, GUARD_PATROL);   // outside the area: the dark lamp is not its business
	g.position = CellCentre(5, 5);
	int frame = 0;
	for (; frame < 900 && !lamp.switchedOn; ++frame)
		world.Run({&lamp, &g, &p});
	EXPECT_TRUE(lamp.switchedOn);
	EXPECT_EQ(g.state, GUARD_RETURN);
	EXPECT_EQ(g.waitCounter, 0);
	// Touching the dark lamp then stepping away starts the count over.
	lamp.switchedOn = false;
	g.position = lamp.position;
	g.state = GUARD_PATROL;
	world.Run({&lamp, &g, &p}, 50);
	EXPECT_GT(g.waitCounter, 0);
	g.position = CellCentre(1, 1);
	world.Run({&lamp, &g, &p}, 2);
	EXPECT_EQ(g.waitCounter, 0);
}

TEST(GuardTest, WallsStopItAndWithoutARouteOnlyTheSecondStepMovesIt)
{
	ActorWorld world({
		"#########",
		"#.......#",
		"#.....###",
		"#.....#5#",
		"#.....###",
		"#.......#",
		"#########",
	});
	Player p;
	Radio shut(&p);   // a radio no one can reach
	BasicGuard g(&p, &shut);
	p.position = CellCentre(1, 5);
	shut.position = CellCentre(7, 3);
	PlaceGuard(g, 4, 3);
	auto started = world.Start({&shut, &g, &p});
	// A wall ahead: pushed back, and the velocity is gone.
	g.position = {CellCentre(5, 3).x + 3.0f, CellCentre(5, 3).y};
	g.velocity = {1.0f, 0.0f};
	world.Run({&g});
	EXPECT_TRUE(g.collisionFlags & MAP_HIT_RIGHT);
	EXPECT_EQ(g.velocity.x, 0.0f);
	// No route to the playing radio: the path is empty and the old velocity only creeps
	// the guard along by one unit a second.
	g.position = CellCentre(2, 3);
	g.velocity = {0.0f, 1.0f};
	shut.hacked = shut.switchedOn = true;
	world.Run({&shut, &g, &p});
	world.Run({&shut, &g, &p});
	EXPECT_TRUE(g.pathReady);
	EXPECT_TRUE(g.path.empty());
	const float y = g.position.y;
	world.Run({&shut, &g, &p}, 60);
	EXPECT_NEAR(g.position.y - y, 1.0f, 1e-3);
}

TEST(SightTest, HalfPlaneRangeWallsAndMemory)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard g(&p);
	Sight v(&g, &p);
	PlaceGuard(g, 4, 3);   // (180.5, 140.5), facing right
	p.position = {330.5f, 140.5f};
	auto started = world.Start({&g, &p, &v});
	auto sees = [&](KEVec2 at)
	{
		p.position = at;
		world.Run({&v});
		return v.seesPlayer;
	};
	const KEVec2 eye = g.position;
	EXPECT_TRUE(sees({eye.x + 150.0f, eye.y}));     // exactly at the range
	EXPECT_FALSE(sees({eye.x + 150.01f, eye.y}));
	EXPECT_TRUE(sees({eye.x, eye.y + 100.0f}));     // abreast counts as in front
	// Behind the guard the answer stays what it was, either way.
	EXPECT_TRUE(sees({eye.x - 60.0f, eye.y}));
	v.seesPlayer = false;
	EXPECT_FALSE(sees({eye.x - 60.0f, eye.y}));
	// A wall cell in the block between them hides the player; off-map cells never do.
	EXPECT_FALSE(sees({CellCentre(11, 4).x, CellCentre(11, 4).y}));   // behind the block, in range
	g.position = CellCentre(9, 3);
	EXPECT_FALSE(sees(CellCentre(11, 4)));
	g.position = {610.5f, 180.5f};   // standing in the east wall cell, looking back in
	g.rotation = 3.1415925f;
	EXPECT_TRUE(sees({595.5f, 180.5f}));   // both offsets below a cell: only the player's cell is looked at
	EXPECT_FALSE(sees({525.5f, 180.5f}));  // two whole cells away the block reaches the wall
	g.position = eye;
	g.rotation = 0.0f;
	// A hidden player is never seen, and a chase turns into a return on the next frame.
	EXPECT_TRUE(sees({eye.x + 50.0f, eye.y}));
	world.Run({&v});
	EXPECT_EQ(g.state, GUARD_PURSUE);
	EXPECT_EQ(g.pursuitTarget, TARGET_PLAYER);
	p.hidden = true;
	world.Run({&v});
	EXPECT_FALSE(v.seesPlayer);
	EXPECT_EQ(g.state, GUARD_RETURN);
	EXPECT_FALSE(g.pathReady);
	EXPECT_EQ(g.pursuitTarget, TARGET_RADIO);   // back to its errand (none for this guard)
}

TEST(SightTest, CellsOffTheMapAreNotWalls)
{
	ActorWorld world({
		".....",
		".....",
		".....",
	});
	Player p;
	BasicGuard g(&p);
	Sight v(&g, &p);
	auto started = world.Start({&g, &p, &v});
	g.position = {300.0f, 60.5f};   // east of the map, looking west at its last column
	g.rotation = 3.1415925f;
	p.position = CellCentre(4, 1);
	world.Run({&v});
	EXPECT_TRUE(v.seesPlayer);
	g.position = {-50.0f, 20.5f};   // west of it, looking east at its first column
	g.rotation = 0.0f;
	p.position = CellCentre(0, 0);
	world.Run({&v});
	EXPECT_TRUE(v.seesPlayer);
}

TEST(PopUpTest, GruntsUntilPlannedThenFadesAndShowsTheChase)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard g(&p);
	PlaceGuard(g, 3, 3);
	auto started = world.Start({&g, &p});
	VisualPopUp& pop = *g.popUp;
	pop.Update();
	EXPECT_LE(pop.icon->tint[3], 0.0f);   // nothing shows before the first alarm
	g.state = GUARD_PURSUE;
	g.pursuitTarget = TARGET_LIGHT;
	for (int i = 0; i < 3; ++i)
		pop.Update();
	EXPECT_EQ(world.Grunts(), 3);
	EXPECT_EQ(pop.icon->imageIndex, 1);
	EXPECT_EQ(pop.icon->tint[3], 1.0f);
	g.pathReady = true;   // planned: silent, and the icon fades over 20 frames
	for (int i = 0; i < 19; ++i)
		pop.Update();
	EXPECT_GT(pop.icon->tint[3], 0.0f);
	pop.Update();
	EXPECT_LT(pop.icon->tint[3], 0.01f);
	EXPECT_EQ(world.Grunts(), 3);
	g.pursuitTarget = TARGET_PLAYER;   // chasing, once the alarm counted it: the other icon, no grunt
	pop.Update();
	EXPECT_LT(pop.icon->tint[3], 0.01f);
	g.alarmCounted = true;
	pop.Update();
	EXPECT_EQ(pop.icon->imageIndex, 0);
	EXPECT_EQ(pop.icon->tint[3], 1.0f);
	EXPECT_EQ(world.Grunts(), 3);
	EXPECT_FLOAT_EQ(pop.icon->position.y, g.position.y + 30.0f);
}

// Every actor through the real renderer, saved as actors_scene.png beside the test for a look.
TEST(ActorsPicture, EveryActorDrawn)
{
	ActorWorld world({
		"###########",
		"#.........#",
		"#.........#",
		"#...###...#",
		"#.........#",
		"#.........#",
		"###########",
	});
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
	p.position = CellCentre(2, 2);
	server.position = CellCentre(8, 4);
	radio.position = CellCentre(2, 4);
	lamp.position = CellCentre(5, 1);
	area.position = CellCentre(8, 2);
	bush.position = CellCentre(4, 2);
	PlaceGuard(guard, 6, 2);
	auto started = world.Start({&floor, &walls, &server, &radio, &lamp, &area, &bush, &guard, &p, &sight});
	radio.hacked = radio.switchedOn = true;
	lamp.hacked = true;
	lamp.switchedOn = false;
	guard.rotation = 3.1415925f;
	p.hackCounter = 20;
	KEGfxSetCamPosition(220.0f, 140.0f);
	std::vector<GameObject*> scene = {&floor, &walls, &server, &radio, &lamp, &bush, &guard, &p, &area, &sight};
	for (GameObject* o : std::vector<GameObject*>{&server, &radio, &bush, &guard, &sight})
		o->Update();
	guard.state = GUARD_PURSUE;   // show its pop-up
	guard.pursuitTarget = TARGET_RADIO;
	guard.popUp->Update();
	KEGfxSetBackgroundColor(1.0f, 0.0f, 1.0f);
	KEGfxStart();
	// Each program keeps its own transparency: opaque in both, as the menu leaves them.
	KEGfxSetRenderMode(KE_RENDER_MODE_TEXTURE);
	KEGfxSetTransparency(1.0f);
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);   // as a level starts its drawing
	KEGfxTextureSet(nullptr, 0.0f, 0.0f);
	KEGfxSetTransparency(1.0f);
	for (GameObject* o : scene)
		o->Draw();
	EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath("actors_scene.png")));
	// The map (screen 180..620 by 160..440) shows no background: every cell has its tile.
	int magenta = 0;
	for (UiColor c : UiReadRegion(180, 160, 440, 280))
		magenta += UiNear(c, {255, 0, 255}, 20);
	EXPECT_EQ(magenta, 0);
	// The same spot of a floor tile: plain, under the dark lit area, under the view fan.
	const UiColor plain = UiReadPixel(250, 225), dark = UiReadPixel(570, 385), seen = UiReadPixel(370, 225);
	EXPECT_LT(dark.r + dark.g + dark.b, (plain.r + plain.g + plain.b) * 4 / 5);
	EXPECT_GT(seen.r + seen.g - 2 * seen.b, plain.r + plain.g - 2 * plain.b + 60);
	KEGfxEnd();
	KEGfxSetCamPosition(0.0f, 0.0f);
}
