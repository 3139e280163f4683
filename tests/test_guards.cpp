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
	auto run = [&](int n) { world.Run({&radio, &g, &p}, n); };
	run(30);
	EXPECT_FLOAT_EQ(g.position.x, CellCentre(2, 2).x);   // a silent radio: it stands
	radio.hacked = radio.switchedOn = true;
	int longest = 0;
	for (int frame = 0; frame < 600 && radio.switchedOn; ++frame, run(1))
	{
		EXPECT_TRUE(frame == 0 || g.state == GUARD_PURSUE);
		longest = std::max(longest, g.waitCounter);
	}
	ASSERT_FALSE(radio.switchedOn);
	EXPECT_EQ(longest, 119);     // the 120th frame at the radio switches it off
	EXPECT_EQ(g.waitCounter, 0);
	EXPECT_EQ(g.state, GUARD_RETURN);
	for (int frame = 0; frame < 600 && g.state != GUARD_PATROL; ++frame)
		run(1);
	EXPECT_EQ(g.state, GUARD_PATROL);
	EXPECT_LT(Distance(g.position, g.homePosition), 30.0f);
	EXPECT_EQ(g.velocity.x, 0.0f);   // home again, and standing
	radio.switchedOn = true;   // music switched off by the player turns a pursuer home at once
	run(10);
	radio.switchedOn = false;
	run(1);
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
	auto run = [&](int n) { world.Run({&lamp, &g, &p}, n); };
	lamp.hacked = true;
	lamp.switchedOn = false;
	run(60);
	EXPECT_EQ(g.state, GUARD_PATROL);   // outside the area the dark lamp is not its business
	g.position = CellCentre(5, 5);
	for (int frame = 0; frame < 900 && !lamp.switchedOn; ++frame)
		run(1);
	EXPECT_TRUE(lamp.switchedOn);
	EXPECT_EQ(g.state, GUARD_RETURN);
	EXPECT_EQ(g.waitCounter, 0);
	lamp.switchedOn = false;   // touching the dark lamp then stepping away starts the count over
	g.position = lamp.position;
	g.state = GUARD_PATROL;
	run(50);
	EXPECT_GT(g.waitCounter, 0);
	g.position = CellCentre(1, 1);
	run(2);
	EXPECT_EQ(g.waitCounter, 0);
}

TEST(GuardTest, WallsStopItAndWithoutARouteOnlyTheOldVelocityCreeps)
{
	ActorWorld world(kHall);
	Player p;
	Radio shut(&p);
	BasicGuard g(&p, &shut);
	p.position = CellCentre(1, 7);
	shut.position = CellCentre(10, 4);   // inside the wall block: no route reaches it
	PlaceGuard(g, 4, 3);
	auto started = world.Start({&shut, &g, &p});
	g.position = {CellCentre(9, 4).x + 3.0f, CellCentre(9, 4).y};   // a wall ahead: pushed back, velocity gone
	g.velocity = {1.0f, 0.0f};
	world.Run({&g});
	EXPECT_TRUE(g.collisionFlags & MAP_HIT_RIGHT);
	EXPECT_EQ(g.velocity.x, 0.0f);
	g.position = CellCentre(2, 3);
	g.velocity = {0.0f, 1.0f};
	shut.hacked = shut.switchedOn = true;
	world.Run({&shut, &g, &p}, 2);
	EXPECT_TRUE(g.pathReady && g.path.empty());
	const float y = g.position.y;
	world.Run({&shut, &g, &p}, 60);
	EXPECT_NEAR(g.position.y - y, 1.0f, 1e-3);   // one unit a second
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
	EXPECT_EQ(world.Grunts(), 3);
	EXPECT_EQ(pop.icon->imageIndex, 1);
	EXPECT_EQ(pop.icon->tint[3], 1.0f);
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
	EXPECT_EQ(pop.icon->imageIndex, 0);
	EXPECT_EQ(pop.icon->tint[3], 1.0f);
	EXPECT_EQ(world.Grunts(), 3);
	EXPECT_FLOAT_EQ(pop.icon->position.y, g.position.y + 30.0f);
}

// Every actor through the real renderer, saved as actors_scene.png for a look.
TEST(ActorsPicture, EveryActorDrawn)
{
	ActorWorld world({"###########", "#.........#", "#.........#", "#...###...#", "#.........#", "#.........#",
	                  "###########"});
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
