// The guards' route search against the literal list-scanning search it replaces, on a
// 60 x 39 grid, and one update of a whole large level with every guard replanning.
// The level half needs a display: run under xvfb-run from the repository root.
#include <benchmark/benchmark.h>

#include <vector>
#include "EngineHarness.h"
#include "GameLoop.h"
#include "BinaryMap.h"
#include "GameStates.h"
#include "Guard.h"
#include "KEGameStateMgr.h"
#include "LevelState.h"
#include "Player.h"
#include "ReferencePath.h"

namespace
{
const int kWidth = 60, kHeight = 39;

// A serpentine of corridors two cells wide: every fourth row is a wall with its gap at
// alternate ends, so the way from corner to corner runs through the whole map. One cell
// near the middle is walled in on all four sides.
void Corridors(GridOnMap& grid)
{
	for (int r = 0; r < kHeight; ++r)
		for (int c = 0; c < kWidth; ++c)
		{
			const bool border = r == 0 || c == 0 || r == kHeight - 1 || c == kWidth - 1;
			const bool wallRow = r % 3 == 0 && r > 0 && r < kHeight - 1;
			const bool gap = (r / 3) % 2 ? c >= kWidth - 3 : c <= 2;
			grid.At(c, r) = border || (wallRow && !gap);
		}
	for (auto [c, r] : std::vector<std::pair<int, int>>{{29, 19}, {31, 19}, {30, 18}, {30, 20}})
		grid.At(c, r) = 1;
}

const KEVec2 kCorner = {1.5f, 1.5f}, kFarCorner = {kWidth - 1.5f, kHeight - 1.5f}, kEnclosed = {30.5f, 19.5f};

void FindPaths(benchmark::State& state, bool linear, KEVec2 goal)
{
	GridOnMap grid(kWidth, kHeight);
	Corridors(grid);
	BasicGuard guard(nullptr);
	if (guard.FindPath(kCorner, goal).size() != ReferencePath(kCorner, goal).size())
		state.SkipWithError("the two searches disagree");
	for (auto _ : state)
		benchmark::DoNotOptimize(linear ? guard.FindPath(kCorner, goal) : ReferencePath(kCorner, goal));
}
BENCHMARK_CAPTURE(FindPaths, linear_corner_to_corner, true, kFarCorner)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FindPaths, reference_corner_to_corner, false, kFarCorner)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FindPaths, linear_enclosed_goal, true, kEnclosed)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FindPaths, reference_enclosed_goal, false, kEnclosed)->Unit(benchmark::kMicrosecond);

// The second level's own map: from its first floor cell to its last, and to a wall cell
// (no route: the whole reachable floor is searched).
void RealMapPaths(benchmark::State& state, bool linear, bool toWall)
{
	if (!LoadBinaryMap("BinaryMaps/TarnLevel.txt"))
	{
		state.SkipWithError("run from the repository root");
		return;
	}
	std::vector<KEVec2> floor;
	KEVec2 wall = {0.5f, 0.5f};
	for (int c = 0; c < gMapWidth; ++c)
		for (int r = 0; r < gMapHeight; ++r)
			if (gMapSolid[r][c] != 1)
				floor.push_back({c + 0.5f, r + 0.5f});
	const KEVec2 from = floor.front(), to = toWall ? wall : floor.back();
	BasicGuard guard(nullptr);
	if (guard.FindPath(from, to).size() != ReferencePath(from, to).size())
		state.SkipWithError("the two searches disagree");
	for (auto _ : state)
		benchmark::DoNotOptimize(linear ? guard.FindPath(from, to) : ReferencePath(from, to));
	FreeBinaryMap();
}
BENCHMARK_CAPTURE(RealMapPaths, linear_first_to_last_cell, true, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RealMapPaths, reference_first_to_last_cell, false, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RealMapPaths, linear_to_a_wall, true, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RealMapPaths, reference_to_a_wall, false, true)->Unit(benchmark::kMicrosecond);

// One update of the 60 x 39 level (state 7) with all ten guards chasing and replanning.
void BM_LevelUpdateEveryGuardReplanning(benchmark::State& state)
{
	if (!HarnessStartEngine())
	{
		state.SkipWithError("no display");
		return;
	}
	HarnessRegisterGameStates();
	HarnessEnterState(STATE_TARN_LEVEL);
	LevelModule* level = GetLevelModule(STATE_TARN_LEVEL);
	level->levelTimer = -1.0e9;   // no catch ends the run
	for (auto _ : state)
	{
		for (BasicGuard* guard : level->guards)
		{
			guard->state = GUARD_PURSUE;
			guard->pursuitTarget = TARGET_PLAYER;
			guard->chaseTimer = 1.0;
		}
		KEGameStateUpdate();
	}
	gKEGameStateNext = STATE_MENU;
	HarnessLeaveState();
}
BENCHMARK(BM_LevelUpdateEveryGuardReplanning)->Unit(benchmark::kMicrosecond);
} // namespace
