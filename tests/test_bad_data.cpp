// The real program started in a folder without its data, with every picture, sound and map
// broken, or without a sound card: 600 frames through the menu and the first level on the
// virtual clock (a replay), and it must get to the end, say once what is missing, and put
// nothing on standard error.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// Splash, New game, then the level: a walk, a pause and a hack attempt; 600 frames in all.
const char* const kReplay = R"(start 0
expect 6
200 - @790,590
1 Enter
30 -
1 Enter
10 -
check state 6
60 D
40 W
30 A S
1 Esc
50 -
1 Esc
60 -
70 Space
46 D
)";

struct Outcome
{
	int                      status = -1;   // exit status, or 128 + signal
	std::vector<std::string> lines;         // standard output
	std::string              errors;        // standard error
};

std::string Read(const fs::path& path)
{
	std::stringstream text;
	text << std::ifstream(path, std::ios::binary).rdbuf();
	return text.str();
}

fs::path SourceDir()
{
	const char* dir = std::getenv("NULLVANE_SOURCE_DIR");
	return dir ? fs::path(dir) : fs::current_path();
}

class BadData : public testing::Test
{
protected:
	void SetUp() override
	{
		const auto* info = testing::UnitTest::GetInstance()->current_test_info();
		dir = fs::path(testing::TempDir()) / ("nullvane_" + std::string(info->name()) + "_" + std::to_string(getpid()));
		fs::remove_all(dir);
		fs::create_directories(dir);
	}
	void TearDown() override
	{
		if (!HasFailure())
			fs::remove_all(dir);   // kept to look at when something went wrong
	}

	// Runs the game in `cwd` with the replay above; `env` sets ("NAME=value") or removes
	// ("NAME") variables of its environment.
	Outcome Play(const fs::path& cwd, const std::vector<std::string>& env = {})
	{
		const fs::path replay = dir / "replay.txt", out = dir / "stdout.txt", err = dir / "stderr.txt";
		std::ofstream(replay) << kReplay;
		pid_t child = fork();
		if (child == 0)
		{
			int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
			int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
			if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(cwd.c_str()) != 0)
				_exit(126);
			for (const std::string& assignment : env)
				if (assignment.find('=') == std::string::npos)
					unsetenv(assignment.c_str());
				else
					putenv(const_cast<char*>(assignment.c_str()));
			execl(NULLVANE_EXE, NULLVANE_EXE, "--replay", replay.c_str(), (char*)nullptr);
			_exit(127);
		}
		Outcome outcome;
		int status = 0;
		if (child < 0 || waitpid(child, &status, 0) != child)
			return outcome;
		outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
		std::istringstream text(Read(out));
		for (std::string line; std::getline(text, line);)
			outcome.lines.push_back(line);
		outcome.errors = Read(err);
		return outcome;
	}

	// Copies the game's data next to the replay, so it can be broken without harm.
	void CopyData()
	{
		for (const char* folder : {"ArtAssets", "BinaryMaps"})
			fs::copy(SourceDir() / folder, dir / folder, fs::copy_options::recursive);
	}

	// Every picture, sound and map breaks: in turn truncated to half, emptied, or random bytes
	// of the same length, starting with kind `first` so that three runs give every file each
	// fault. The kind each file got, by its path under the folder.
	std::map<std::string, int> BreakEveryFile(int first)
	{
		std::vector<fs::path> files;
		for (const char* folder : {"ArtAssets", "BinaryMaps"})
			for (const auto& entry : fs::recursive_directory_iterator(dir / folder))
			{
				const std::string ext = entry.path().extension();
				if (entry.is_regular_file() && (ext == ".png" || ext == ".ogg" || ext == ".txt"))
					files.push_back(entry.path());
			}
		std::sort(files.begin(), files.end());
		std::mt19937 bytes(first + 1);
		std::map<std::string, int> kinds;
		for (size_t i = 0; i < files.size(); ++i)
		{
			const std::string data = Read(files[i]);
			const int kind = (int)((i + first) % 3);
			std::string broken;
			if (kind == 0)
				broken = data.substr(0, data.size() / 2);
			else if (kind == 2)
				for (size_t b = 0; b < data.size(); ++b)
					broken += (char)(bytes() & 0xFF);
			std::ofstream(files[i], std::ios::binary | std::ios::trunc) << broken;
			kinds[fs::relative(files[i], dir).string()] = kind;
		}
		return kinds;
	}

	fs::path dir;
};

bool StartsWith(const std::string& s, const std::string& start) { return s.compare(0, start.size(), start) == 0; }

// The run got to its end in the level, quietly: nothing on standard error, no line but the
// engine's greeting and reports of what could not be read, each file named once; the
// map's two lines come once, for the one level load.
void ExpectAQuietRun(const Outcome& run, int mapReports)
{
	EXPECT_EQ(run.status, 0);
	EXPECT_EQ(run.errors, "");
	ASSERT_FALSE(run.lines.empty());
	EXPECT_TRUE(StartsWith(run.lines.back(), "replay: 600 frames, ended in state 6,")) << run.lines.back();

	std::map<std::string, int> seen;
	int maps = 0, failedMaps = 0;
	for (size_t i = 0; i + 1 < run.lines.size(); ++i)
	{
		const std::string& line = run.lines[i];
		if (line == "Error in opening File")
			++maps;
		else if (line == "Failed to read the binary collision map!")
			++failedMaps;
		else if (StartsWith(line, "KEGfxTextureLoad: cannot load picture \"ArtAssets/") ||
		         StartsWith(line, "Sound: cannot open ArtAssets/Music/"))
			EXPECT_EQ(++seen[line], 1) << "named again: " << line;
		else
			EXPECT_TRUE(line.empty() || line == "Graphics: OpenGL" || StartsWith(line, "Kelvo Engine version:") ||
			            line == "Sound: no output driver, playing silently" ||
			            StartsWith(line, "Nullvane: no ArtAssets/ and BinaryMaps/ here"))
				<< "unexpected: " << line;
	}
	EXPECT_EQ(maps, mapReports);
	EXPECT_EQ(failedMaps, mapReports);
}

int Count(const Outcome& run, const std::string& start)
{
	return (int)std::count_if(run.lines.begin(), run.lines.end(), [&](const std::string& l) { return StartsWith(l, start); });
}
} // namespace

TEST_F(BadData, WithoutDataFoldersEveryMissingFileIsNamedOnceAndTheLevelRuns)
{
	Outcome run = Play(dir);
	ExpectAQuietRun(run, 1);
	EXPECT_EQ(Count(run, "Nullvane: no ArtAssets/ and BinaryMaps/ here"), 1);
	const std::vector<std::string> named = {
		"KEGfxTextureLoad: cannot load picture \"ArtAssets/menu_bg.png\", using a placeholder",
		"KEGfxTextureLoad: cannot load picture \"ArtAssets/g_walk1_2.png\", using a placeholder",
		"KEGfxTextureLoad: cannot load picture \"ArtAssets/Bush.png\", using a placeholder",
		"Sound: cannot open ArtAssets/Music/BGM/menu.ogg",
		"Sound: cannot open ArtAssets/Music/Menu/newgame.ogg",
	};
	for (const std::string& line : named)
		EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), line), 1) << line;
	EXPECT_EQ(Count(run, "Sound: cannot open "), 19);   // every sound file, ids 16 and 17 sharing one
}

TEST_F(BadData, BrokenPicturesSoundsAndMapsAreSurvivedInEveryWayOfBreaking)
{
	CopyData();
	const fs::path originals = dir / "originals";
	fs::create_directories(originals);
	for (const char* folder : {"ArtAssets", "BinaryMaps"})
		fs::rename(dir / folder, originals / folder);
	for (int first = 0; first < 3; ++first)
	{
		SCOPED_TRACE("break kind " + std::to_string(first));
		for (const char* folder : {"ArtAssets", "BinaryMaps"})
		{
			fs::remove_all(dir / folder);
			fs::copy(originals / folder, dir / folder, fs::copy_options::recursive);
		}
		const std::map<std::string, int> kinds = BreakEveryFile(first);
		EXPECT_EQ(kinds.size(), 96u + 19u + 8u);   // every picture, sound and map
		Outcome run = Play(dir);
		// Cut in half, the first level's map still loads (the rest is floor); empty or random
		// bytes, it is refused.
		ExpectAQuietRun(run, kinds.at("BinaryMaps/Level1.txt") == 0 ? 0 : 1);
		EXPECT_GT(Count(run, "KEGfxTextureLoad: cannot load picture"), 20);
	}
}

TEST_F(BadData, WithoutASoundCardTheGameSaysSoInOneLineAndPlaysOnSilently)
{
	const fs::path conf = dir / "alsoft.conf";
	std::ofstream(conf) << "[general]\ndrivers=alsa\n[alsa]\ndevice=hw:CARD=NullvaneNoSuchCard\n";
	Outcome run = Play(SourceDir(), {"ALSOFT_CONF=" + conf.string(), "ALSOFT_DRIVERS=alsa", "ALSOFT_LOGLEVEL"});
	ExpectAQuietRun(run, 0);
	EXPECT_EQ(Count(run, "Sound: no output driver, playing silently"), 1);
	EXPECT_EQ(Count(run, "Sound: cannot open"), 0);
}
