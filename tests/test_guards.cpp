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
const std::string kRow = "#..............#", kBlock = "#.........##...#", kEdge(16, '#');
const std::vector<std::string> kHall = {kEdge, kRow, kRow, kRow, kBlock, kBlock, kRow, kRow, kEdge};

void PlaceGuard(BasicGuard& g, int column, int row)
{
	g.position = CellCentre(column, row);
	g.homeCell = {(float)column, (float)row};
}

float Distance(KEVec2 a, KEVec2 b) { return std::hypot(a.x - b.x, a.y - b.y); }
}

TEST(GuardTest, PatrolsStandsWithoutARouteAndAChaseEndsStandingAtTheRouteEnd)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard walker(&p), stander(&p), chaser(&p);
	p.position = CellCentre(13, 6);   // behind the wall block from the chaser
	PlaceGuard(walker, 2, 2);
	walker.patrolRoute = {{300.0f, 100.0f}, {100.0f, 100.0f}};   // out, then home
	PlaceGuard(stander, 5, 5);
	PlaceGuard(chaser, 2, 5);
	auto started = world.Start({&walker, &stander, &chaser, &p});
	chaser.state = GUARD_PURSUE;
	chaser.pursuitTarget = TARGET_PLAYER;
	world.Run({&chaser});
	EXPECT_TRUE(chaser.path.empty());   // the first replanning waits for the chase timer
	world.Run({&chaser}, 11);
	ASSERT_FALSE(chaser.path.empty());
	EXPECT_FLOAT_EQ(chaser.speed, 180.0f);
	bool reachedPoint = false, backHome = false;
	for (int frame = 0; frame < 400; ++frame)
	{
		world.Run({&walker, &stander, &chaser, &p});
		reachedPoint |= walker.position.x > 268.0f;   // it turns within 30 units of a point
		backHome |= reachedPoint && Distance(walker.position, walker.homePosition) < 31.0f;
		EXPECT_LT(std::fabs(walker.position.y - 100.0f), 1.0f);
		EXPECT_EQ(CheckMapCollision(chaser.position.x / 40.0f, chaser.position.y / 40.0f, 0.1f, 0.1f), 0);
	}
	EXPECT_TRUE(reachedPoint && backHome);
	// The rotation is the heading plus a small offset (a float quarter turn less 1.57), at rest too.
	EXPECT_NEAR(std::remainder(walker.rotation - std::atan2(walker.velocity.y, walker.velocity.x), 2.0 * M_PI),
	            0.00079637, 1e-6);
	EXPECT_FLOAT_EQ(chaser.rotation, (float)((double)std::atan2(1.0f, 0.0f) - 1.57));
	EXPECT_LT(Distance(chaser.position, p.position), 30.0f);
	EXPECT_TRUE(chaser.velocity.x == 0.0f && chaser.velocity.y == 0.0f);
	EXPECT_TRUE(stander.position.x == CellCentre(5, 5).x && stander.position.y == CellCentre(5, 5).y);
	EXPECT_EQ(stander.state, GUARD_PATROL);
}

TEST(GuardTest, RadioAndLampErrandsAndAGuardWithNoRoute)
{
	ActorWorld world(kHall);
	Player p;
	Radio radio(&p), shut(&p);
	Light lamp(&p);
	LightArea area(&lamp);
	BasicGuard rg(&p, &radio), lg(&p, &area), sg(&p, &shut);
	p.position = CellCentre(1, 7);
	radio.position = CellCentre(8, 2);
	lamp.position = CellCentre(13, 2);
	area.position = CellCentre(5, 5);
	shut.position = CellCentre(10, 4);   // inside the wall block: no route reaches it
	PlaceGuard(rg, 2, 2);
	PlaceGuard(lg, 1, 1);
	PlaceGuard(sg, 4, 3);
	auto started = world.Start({&radio, &shut, &lamp, &area, &rg, &lg, &sg, &p});
	// A playing radio: its guard goes, switches it off on the 120th frame there and goes home.
	auto run = [&](int n) { world.Run({&radio, &rg, &p}, n); };
	run(30);
	EXPECT_FLOAT_EQ(rg.position.x, CellCentre(2, 2).x);   // a silent radio: it stands
	radio.hacked = radio.switchedOn = true;
	int longest = 0;
	for (int frame = 0; frame < 600 && radio.switchedOn; ++frame, run(1))
	{
		EXPECT_TRUE(frame == 0 || rg.state == GUARD_PURSUE);
		longest = std::max(longest, rg.waitCounter);
	}
	ASSERT_FALSE(radio.switchedOn);
	EXPECT_EQ(longest, 119);
	EXPECT_TRUE(rg.waitCounter == 0 && rg.state == GUARD_RETURN);
	for (int frame = 0; frame < 600 && rg.state != GUARD_PATROL; ++frame)
		run(1);
	EXPECT_TRUE(rg.state == GUARD_PATROL && Distance(rg.position, rg.homePosition) < 30.0f && rg.velocity.x == 0.0f);
	radio.switchedOn = true;   // music switched off by the player turns a pursuer home at once
	run(10);
	radio.switchedOn = false;
	run(1);
	EXPECT_EQ(rg.state, GUARD_RETURN);
	// A dark lamp is the lamp guard's business only while it stands in the lit area.
	auto runLamp = [&](int n) { world.Run({&lamp, &lg, &p}, n); };
	lamp.hacked = true;
	lamp.switchedOn = false;
	runLamp(60);
	EXPECT_EQ(lg.state, GUARD_PATROL);
	lg.position = CellCentre(5, 5);
	for (int frame = 0; frame < 900 && !lamp.switchedOn; ++frame)
		runLamp(1);
	EXPECT_TRUE(lamp.switchedOn && lg.state == GUARD_RETURN && lg.waitCounter == 0);
	lamp.switchedOn = false;   // touching the dark lamp then stepping away starts the count over
	lg.position = lamp.position;
	lg.state = GUARD_PATROL;
	runLamp(50);
	EXPECT_GT(lg.waitCounter, 0);
	lg.position = CellCentre(1, 1);
	runLamp(2);
	EXPECT_EQ(lg.waitCounter, 0);
	// A wall ahead pushes a guard back and takes its velocity.
	sg.position = {CellCentre(9, 4).x + 3.0f, CellCentre(9, 4).y};
	sg.velocity = {1.0f, 0.0f};
	world.Run({&sg});
	EXPECT_TRUE((sg.collisionFlags & MAP_HIT_RIGHT) && sg.velocity.x == 0.0f);
	// No route to its playing radio: the path stays empty and the old velocity creeps one unit a second.
	sg.position = CellCentre(2, 3);
	sg.velocity = {0.0f, 1.0f};
	shut.hacked = shut.switchedOn = true;
	world.Run({&shut, &sg, &p}, 2);
	EXPECT_TRUE(sg.pathReady && sg.path.empty());
	const float y = sg.position.y;
	world.Run({&shut, &sg, &p}, 60);
	EXPECT_NEAR(sg.position.y - y, 1.0f, 1e-3);
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
	EXPECT_TRUE(sees({eye.x + 150.0f, eye.y}));   // exactly at the range
	EXPECT_FALSE(sees({eye.x + 150.01f, eye.y}));
	EXPECT_TRUE(sees({eye.x, eye.y + 100.0f}));   // abreast counts as in front
	EXPECT_TRUE(sees({eye.x - 60.0f, eye.y}));    // behind, the answer stays what it was, either way
	v.seesPlayer = false;
	EXPECT_FALSE(sees({eye.x - 60.0f, eye.y}));
	EXPECT_FALSE(sees(CellCentre(11, 4)));   // a wall cell of the block between them hides the player
	g.position = CellCentre(9, 3);
	EXPECT_FALSE(sees(CellCentre(11, 4)));
	g.position = {610.5f, 180.5f};   // standing in the east wall cell, looking back in
	g.rotation = 3.1415925f;
	EXPECT_TRUE(sees({595.5f, 180.5f}));    // both offsets below a cell: only the player's cell is looked at
	EXPECT_FALSE(sees({525.5f, 180.5f}));   // two whole cells away the block reaches the wall
	g.position = eye;
	g.rotation = 0.0f;
	EXPECT_TRUE(sees({eye.x + 50.0f, eye.y}));   // a hidden player is never seen, and a chase turns into a return
	world.Run({&v});
	EXPECT_TRUE(g.state == GUARD_PURSUE && g.pursuitTarget == TARGET_PLAYER);
	p.hidden = true;
	world.Run({&v});
	EXPECT_FALSE(v.seesPlayer || g.pathReady);
	EXPECT_TRUE(g.state == GUARD_RETURN && g.pursuitTarget == TARGET_RADIO);   // back to its errand (none here)
}

TEST(SightTest, CellsOffTheMapAreNotWalls)
{
	ActorWorld world({".....", ".....", "....."});
	Player p;
	BasicGuard g(&p);
	Sight v(&g, &p);
	auto started = world.Start({&g, &p, &v});
	// East of the map looking west at its last column, and west of it looking east at the first.
	for (auto [at, facing, player] : {std::tuple{KEVec2{300.0f, 60.5f}, 3.1415925f, CellCentre(4, 1)},
	                                  {KEVec2{-50.0f, 20.5f}, 0.0f, CellCentre(0, 0)}})
	{
		g.position = at;
		g.rotation = facing;
		p.position = player;
		world.Run({&v});
		EXPECT_TRUE(v.seesPlayer) << at.x;
	}
}

TEST(PopUpTest, GruntsUntilPlannedThenFadesAndShowsTheChase)
{
	ActorWorld world(kHall);
	Player p;
	BasicGuard g(&p);
	PlaceGuard(g, 3, 3);
	auto started = world.Start({&g, &p});
	VisualPopUp& pop = *g.popUp;
	auto update = [&](int n) { for (int i = 0; i < n; ++i) pop.Update(); };
	update(1);
	EXPECT_LE(pop.icon->tint[3], 0.0f);   // nothing shows before the first alarm
	g.state = GUARD_PURSUE;
	g.pursuitTarget = TARGET_LIGHT;
	update(3);
	EXPECT_TRUE(world.Grunts() == 3 && pop.icon->imageIndex == 1 && pop.icon->tint[3] == 1.0f);
	g.pathReady = true;   // planned: silent, and the icon fades over 20 frames
	update(19);
	EXPECT_GT(pop.icon->tint[3], 0.0f);
	update(1);
	EXPECT_LT(pop.icon->tint[3], 0.01f);
	g.pursuitTarget = TARGET_PLAYER;   // chasing, once the alarm counted it: the other icon, no grunt
	update(1);
	EXPECT_LT(pop.icon->tint[3], 0.01f);
	g.alarmCounted = true;
	update(1);
	EXPECT_TRUE(world.Grunts() == 3 && pop.icon->imageIndex == 0 && pop.icon->tint[3] == 1.0f);
	EXPECT_FLOAT_EQ(pop.icon->position.y, g.position.y + 30.0f);
}

// Every actor through the real renderer, saved as actors_scene.png for a look.
TEST(ActorsPicture, EveryActorDrawn)
{
	const std::string edge(11, '#'), row = "#.........#";
	ActorWorld world({edge, row, row, "#...###...#", row, row, edge});
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
	for (GameObject* o : std::vector<GameObject*>{&floor, &walls, &server, &radio, &lamp, &bush, &guard, &p, &area, &sight})
		o->Draw();
	EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath("actors_scene.png")));
	int magenta = 0;   // the map (screen 180..620 by 160..440) shows no background
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
