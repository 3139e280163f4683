// The program entry: start the engine, run the states until one quits or the window is
// closed, shut down. With --replay FILE it plays a recorded game instead of the player
// (--watch: at the real pace), without the player's settings and progress.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "GameLoop.h"
#include "GameObject.h"
#include "KESystem.h"
#include "PlayerFiles.h"
#include "Replay.h"

#ifndef NULLVANE_DATA_FROM_BIN
#define NULLVANE_DATA_FROM_BIN "../share/nullvane"
#endif

namespace
{
bool HasData(const std::filesystem::path& dir)
{
	std::error_code error;
	return std::filesystem::is_directory(dir / "ArtAssets", error) && std::filesystem::is_directory(dir / "BinaryMaps", error);
}

// The game reads ArtAssets/ and BinaryMaps/ relative to its working directory. Started
// anywhere else (from the desktop's menu, say), an installed game moves to the data
// installed beside it. The player's files have absolute paths of their own, so the
// working directory is free to change.
void FindData()
{
	if (HasData("."))
		return;
	std::error_code error;
	std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
	std::filesystem::path data = exe.parent_path() / NULLVANE_DATA_FROM_BIN;
	if (!error && HasData(data))
	{
		std::filesystem::current_path(data, error);
		if (!error)
			return;
	}
	std::printf("Nullvane: no ArtAssets/ and BinaryMaps/ here or in %s; pictures, sounds and maps will be missing\n",
	            data.lexically_normal().c_str());
}
} // namespace

int main(int argc, char** argv)
{
	// One line per report, visible at once even when the output goes to a file.
	setvbuf(stdout, nullptr, _IOLBF, 0);

	const bool watch = argc == 4 && std::strcmp(argv[3], "--watch") == 0;
	if ((argc == 3 || watch) && std::strcmp(argv[1], "--replay") == 0)
	{
		Replay replay;
		std::string error;
		if (!ReplayLoad(argv[2], &replay, &error))
		{
			std::printf("replay: %s: %s\n", argv[2], error.c_str());
			return 2;
		}
		FindData();
		return ReplayRun(replay, watch);
	}
	if (argc > 1)
	{
		std::printf("usage: nullvane [--replay FILE [--watch]]\n");
		return 2;
	}

	FindData();
	// Settings before the first frame, so the game comes up as it was left.
	PlayerFilesStart();
	// An 800x600 window, no console, at most 60 frames per second, the engine's own
	// window procedure. The game runs on even if graphics cannot start.
	KESysInit(nullptr, 1, 800, 600, 0, 60, nullptr);
	if (gFullscreen)
		KEToogleFullScreen(true);
	GameStartUp();
	GameRunLoop();
	GameShutDown();
	return 0;
}
