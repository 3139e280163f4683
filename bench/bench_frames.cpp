// The game on the real clock: time from start to the first menu frame, and the main menu
// left idle after the splash (pacing error against 1/60 s, the processor time of the whole
// process, the renderer's threads included, and its peak resident memory). The work of each frame in a level is what `nullvane --replay` prints.
// Run under xvfb-run from the repository root, once per process (the game starts once).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sys/resource.h>
#include <vector>
#include "GameLoop.h"
#include "GameStates.h"
#include "KEFrameRateController.h"
#include "KEGameStateMgr.h"
#include "KESystem.h"
#include "MenuState.h"
#include "Window.h"

namespace
{
double CpuSeconds()
{
	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	return v.empty() ? 0.0 : v[v.size() / 2];
}

bool sStarted = false;

// Start-up as the program entry does it, then the first frame of the menu.
void StartToFirstMenuFrame(benchmark::State& state)
{
	for (auto _ : state)
	{
		const auto t0 = std::chrono::steady_clock::now();
		sStarted = KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr) == 1;
		GameStartUp();
		GameBeginState();
		GameRunFrame();
		state.counters["start_to_first_frame_ms"] =
		    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
		GameEndState();
	}
}
BENCHMARK(StartToFirstMenuFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

// 600 frames of the idle main menu at 60 frames a second, once it has settled.
void IdleMenuPacing(benchmark::State& state)
{
	if (!sStarted)
	{
		state.SkipWithError("no display, or the start-up benchmark did not run first");
		return;
	}
	for (auto _ : state)
	{
		KEFrameRateControllerUseVirtualClock(false);
		gSplashDone = true;   // the menu itself, left alone
		gKEGameStateCurr = gKEGameStateNext = STATE_MENU;
		GameBeginState();
		// Half a second to settle first: the start-up's warm-up and the first composing of the
		// still layers run in these frames, behind the splash in the game.
		for (int i = 0; i < 30; ++i)
			GameRunFrame();
		std::vector<double> error;
		const double cpu0 = CpuSeconds();
		const auto wall0 = std::chrono::steady_clock::now();
		for (int i = 0; i < 600 && gKEGameStateCurr == gKEGameStateNext; ++i)
		{
			GameRunFrame();
			error.push_back(std::fabs(KEFrameRateControllerGetFrameTime() - 1.0 / 60.0) * 1000.0);
		}
		const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
		state.counters["pacing_error_median_ms"] = Median(error);
		state.counters["pacing_error_max_ms"] = *std::max_element(error.begin(), error.end());
		state.counters["cpu_share_of_a_core"] = (CpuSeconds() - cpu0) / wall;
		rusage usage{};
		getrusage(RUSAGE_SELF, &usage);
		state.counters["peak_resident_mb"] = usage.ru_maxrss / 1024.0;
		gKEGameStateNext = STATE_MENU;
		GameEndState();
	}
}
BENCHMARK(IdleMenuPacing)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
