// The guards' views of the second level (ten guards) drawn on this machine's GL: the level
// updated as in play, then only the sights drawn, fenced by a pixel read on both sides so the
// figure holds the building, the upload and the painting. Run under xvfb-run from the
// repository root.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>
#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameStates.h"
#include "Guard.h"
#include "KEGameStateMgr.h"
#include "LevelState.h"
#include "Player.h"
#include "Sight.h"
#include "UiPixels.h"

namespace
{
// The second level, the one with ten guards; null (the benchmark skipped) without a display.
LevelModule* EnterSecondLevel(benchmark::State& state)
{
	if (!HarnessStartEngine())
	{
		state.SkipWithError("no display");
		return nullptr;
	}
	[[maybe_unused]] static bool registered = (HarnessRegisterGameStates(), true);
	HarnessEnterState(STATE_TARN_LEVEL);
	return GetLevelModule(STATE_TARN_LEVEL);
}

// wall-cut view or half-disc; the camera on the player as in play, or on each guard in turn
// (every view painted whole: the most a frame can cost).
void SightDraws(benchmark::State& state, bool fan, bool everyViewOnScreen)
{
	LevelModule* level = EnterSecondLevel(state);
	if (!level)
		return;
	level->levelTimer = -1.0e9;   // no catch ends the run
	gGuardViewFan = fan;
	std::vector<double> ms;
	int moved = 0;
	for (auto _ : state)
	{
		std::vector<KEVec2> before;
		for (BasicGuard* guard : level->guards)
			before.push_back({guard->position.x + guard->rotation, guard->position.y});
		gDeltaTime = 1.0f / 60.0f;
		KEGameStateUpdate();   // the guards walk and turn: their views are rebuilt
		for (size_t i = 0; i < before.size(); ++i)
			moved += before[i].x != level->guards[i]->position.x + level->guards[i]->rotation ||
			         before[i].y != level->guards[i]->position.y;
		KEGfxStart();
		UiReadPixel(0, 0);
		const auto t0 = std::chrono::steady_clock::now();
		for (Sight* sight : level->sights)
		{
			if (everyViewOnScreen)
				KEGfxSetCamPosition(sight->guard->position.x, sight->guard->position.y);
			sight->Draw();
		}
		UiReadPixel(0, 0);
		ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
		KEGfxEnd();
	}
	std::sort(ms.begin(), ms.end());
	state.counters["sights_median_ms"] = ms[ms.size() / 2];
	state.counters["sights_p90_ms"] = ms[ms.size() * 9 / 10];
	state.counters["guards_moving"] = (double)moved / ms.size();
	gGuardViewFan = false;
	gKEGameStateNext = STATE_MENU;
	HarnessLeaveState();
}
BENCHMARK_CAPTURE(SightDraws, cut_view_camera_on_player, false, false)->Iterations(600)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SightDraws, half_disc_camera_on_player, true, false)->Iterations(600)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SightDraws, cut_view_every_view_on_screen, false, true)->Iterations(600)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SightDraws, half_disc_every_view_on_screen, true, true)->Iterations(600)->Unit(benchmark::kMillisecond);

// Building one view on the CPU alone, the guard turning a little every time.
void BuildOneView(benchmark::State& state)
{
	LevelModule* level = EnterSecondLevel(state);
	if (!level)
		return;
	Sight* sight = level->sights[0];
	size_t triangles = 0;
	for (auto _ : state)
	{
		sight->guard->rotation += 0.01f;
		triangles = sight->View().size() / 3;
	}
	state.counters["triangles"] = (double)triangles;
	gKEGameStateNext = STATE_MENU;
	HarnessLeaveState();
}
BENCHMARK(BuildOneView)->Unit(benchmark::kMicrosecond);
} // namespace
