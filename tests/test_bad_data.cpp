// The real program run on a 600-frame replay (menu, then the first level) without its data,
// with every data file broken, or without a sound card: it must reach the end, name each
// missing file once, and put nothing on standard error.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
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
const char* const kReplay = "start 0\nexpect 6\n200 - @790,590\n1 Enter\n30 -\n1 Enter\n10 -\ncheck state 6\n60 D\n"
                            "40 W\n30 A S\n1 Esc\n50 -\n1 Esc\n60 -\n70 Space\n46 D\n";   // walk, pause, hack

std::string Read(const fs::path& path)
{
	std::stringstream text;
	text << std::ifstream(path, std::ios::binary).rdbuf();
	return text.str();
}

bool StartsWith(const std::string& s, const std::string& start) { return s.compare(0, start.size(), start) == 0; }

struct Outcome
{
	int                      status = -1;   // exit status
	std::vector<std::string> lines;         // standard output
	std::string              errors;        // standard error
	int Count(const std::string& start) const
	{
		return (int)std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return StartsWith(l, start); });
	}
};

const fs::path kSource = std::getenv("NULLVANE_SOURCE_DIR") ? std::getenv("NULLVANE_SOURCE_DIR") : fs::current_path();

struct BadData : testing::Test
{
	void SetUp() override
	{
		dir = fs::path(testing::TempDir()) / ("nullvane_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
		fs::remove_all(dir);   // a failed run's files stay until the next run
		fs::create_directories(dir);
	}

	// Runs the game in `cwd` under `env` (as for env(1): "-u NAME" or "NAME=value").
	Outcome Play(const fs::path& cwd, const std::string& env = "")
	{
		const fs::path replay = dir / "replay.txt", out = dir / "stdout.txt", err = dir / "stderr.txt";
		std::ofstream(replay) << kReplay;
		const std::string command = "cd '" + cwd.string() + "' && env " + env + " '" NULLVANE_EXE "' --replay '" +
		                            replay.string() + "' >'" + out.string() + "' 2>'" + err.string() + "'";
		const int status = std::system(command.c_str());   // the shell reports a signal as 128 + signal
		Outcome run;
		run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		std::istringstream text(Read(out));
		for (std::string line; std::getline(text, line);)
			run.lines.push_back(line);
		run.errors = Read(err);
		return run;
	}

	fs::path dir;
};

// Reached the end in the level with nothing on standard error, each unreadable file named once
// and the map's two lines once per refusal.
void ExpectAQuietRun(const Outcome& run, int mapReports)
{
	EXPECT_EQ(run.status, 0);
	EXPECT_EQ(run.errors, "");
	ASSERT_FALSE(run.lines.empty());
	EXPECT_TRUE(StartsWith(run.lines.back(), "replay: 600 frames, ended in state 6,")) << run.lines.back();
	std::map<std::string, int> seen;
	for (const std::string& line : run.lines)
		if (StartsWith(line, "KEGfxTextureLoad: cannot load picture") || StartsWith(line, "Sound: cannot open"))
			++seen[line];
	for (const auto& [line, count] : seen)
		EXPECT_EQ(count, 1) << "named again: " << line;
	EXPECT_EQ(run.Count("Error in opening File"), mapReports);
	EXPECT_EQ(run.Count("Failed to read the binary collision map!"), mapReports);
}
} // namespace

TEST_F(BadData, WithoutDataFoldersEveryMissingFileIsNamedOnceAndTheLevelRuns)
{
	Outcome run = Play(dir);
	ExpectAQuietRun(run, 1);
	EXPECT_EQ(run.Count("Nullvane: no ArtAssets/ and BinaryMaps/ here"), 1);
	EXPECT_EQ(run.Count("KEGfxTextureLoad: cannot load picture \"ArtAssets/menu_bg.png\", using a placeholder"), 1);
	EXPECT_EQ(run.Count("Sound: cannot open "), 19);   // every sound file, ids 16 and 17 sharing one
}

TEST_F(BadData, BrokenPicturesSoundsAndMapsAreSurvivedInEveryWayOfBreaking)
{
	std::mt19937 bytes(1);
	for (int kind = 0; kind < 3; ++kind)   // every file cut to half, emptied, or random bytes of the same length
	{
		SCOPED_TRACE("break kind " + std::to_string(kind));
		for (const char* folder : {"ArtAssets", "BinaryMaps"})
		{
			fs::remove_all(dir / folder);
			fs::copy(kSource / folder, dir / folder, fs::copy_options::recursive);
			for (const auto& entry : fs::recursive_directory_iterator(dir / folder))
			{
				if (!entry.is_regular_file())
					continue;
				const std::string data = Read(entry.path());
				std::string broken = kind == 0 ? data.substr(0, data.size() / 2) : "";
				for (size_t b = 0; kind == 2 && b < data.size(); ++b)
					broken += (char)(bytes() & 0xFF);
				std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << broken;
			}
		}
		Outcome run = Play(dir);
		ExpectAQuietRun(run, kind == 0 ? 0 : 1);   // cut in half, the map still loads; else refused
		EXPECT_GT(run.Count("KEGfxTextureLoad: cannot load picture"), 20);
	}
}

TEST_F(BadData, WithoutASoundCardTheGameSaysSoInOneLineAndPlaysOnSilently)
{
	const fs::path conf = dir / "alsoft.conf";
	std::ofstream(conf) << "[general]\ndrivers=alsa\n[alsa]\ndevice=hw:CARD=NullvaneNoSuchCard\n";
	Outcome run = Play(kSource, "-u ALSOFT_LOGLEVEL ALSOFT_DRIVERS=alsa 'ALSOFT_CONF=" + conf.string() + "'");
	ExpectAQuietRun(run, 0);
	EXPECT_EQ(run.Count("Sound: no output driver, playing silently"), 1);
}
