// The player's files: settings and progress kept across starts, hand-written, broken and
// unwritable files, replays that touch nothing, and the level select that shows progress.
// HOME and XDG_* point into a fresh temporary folder in every test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "EngineHarness.h"
#include "GameLoop.h"
#include "GameObject.h"
#include "GameStates.h"
#include "KEGameStateMgr.h"
#include "KEGraphics.h"
#include "Keys.h"
#include "LevelState.h"
#include "Menu.h"
#include "MenuState.h"
#include "Player.h"
#include "PlayerFiles.h"
#include "ScriptedInput.h"
#include "SoundManager.h"
#include "UiPixels.h"
#include "Window.h"

namespace fs = std::filesystem;

namespace
{
std::string Read(const fs::path& path)
{
	std::ifstream file(path, std::ios::binary);
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}

void Write(const fs::path& path, const std::string& text)
{
	fs::create_directories(path.parent_path());
	std::ofstream(path, std::ios::binary) << text;
}

int Lines(const std::string& text)
{
	return (int)std::count(text.begin(), text.end(), '\n');
}

class PlayerFilesTest : public testing::Test, protected ScriptedInput
{
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/nullvane-files-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		root = pattern;
		setenv("HOME", (root / "home").c_str(), 1);
		setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
		setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
		settings = root / "config/nullvane/settings.ini";
		progress = root / "data/nullvane/progress.ini";
	}
	void TearDown() override
	{
		fs::remove_all(root);
		gMuted = gFullscreen = gGuardViewFan = false;
	}
	// Reads the files as a start of the game does; what it printed.
	std::string Start()
	{
		testing::internal::CaptureStdout();
		PlayerFilesStart();
		return testing::internal::GetCapturedStdout();
	}
	void StartGame()
	{
		ASSERT_TRUE(HarnessStartEngine());
		GameStartUp();
		gPaused = false;
	}
	void SaveScreen(const char* name)
	{
		KEGfxStart();
		KEGameStateDraw();
		EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath(name)));
		std::printf("picture: %s\n", UiOutputPath(name).c_str());
		KEGfxEnd();
	}

	fs::path root, settings, progress;
};
} // namespace

TEST_F(PlayerFilesTest, SettingsChangedInTheGameComeBackOnTheNextStart)
{
	EXPECT_EQ(Start(), "");   // a first start: no files, nothing to say
	EXPECT_EQ(SettingsFilePath(), settings.string());
	StartGame();
	gSplashDone = true;
	HarnessEnterState(STATE_MENU);
	Tap(KEY_F11);
	Frames(1);
	ASSERT_TRUE(gFullscreen);
	EXPECT_NE(Read(settings).find("full_screen = 1\n"), std::string::npos) << Read(settings);
	HarnessSetKey(KEY_PAGE_DOWN, true);
	Frames(30);
	HarnessSetKey(KEY_PAGE_DOWN, false);
	Frames(2);   // saved once the key is let go
	const float level = gSoundManager->VolumeLevel();
	EXPECT_NEAR(level, 0.75f, 0.03f);
	gSoundManager->ToggleMute();
	gGuardViewFan = true;
	SettingsChanged();
	char expected[200];
	std::snprintf(expected, sizeof expected, "volume = %d\nmusic_muted = 1\nfull_screen = 1\nguard_view = fan\n",
	              (int)(level * 100.0f + 0.5f));
	const std::string text = Read(settings);
	EXPECT_EQ(text.substr(text.find("\nvolume") + 1), expected);
	EXPECT_EQ(text[0], '#');

	gMuted = gFullscreen = gGuardViewFan = false;
	gSoundManager->SetVolumeLevel(1.0f);
	EXPECT_EQ(Start(), "");
	EXPECT_TRUE(gMuted && gFullscreen && gGuardViewFan);
	gSoundManager->SetVolumeLevel(SettingsVolume());
	EXPECT_NEAR(gSoundManager->VolumeLevel(), level, 0.006f);
	EXPECT_NEAR(gSoundManager->music.volume, level * gSoundManager->music.maxVolume, 0.006f);
	Tap(KEY_F11);   // the window back as it was
	Frames(1);
	gKEGameStateNext = STATE_LEVEL1;
	HarnessLeaveState();
}

TEST_F(PlayerFilesTest, AWinIsRecordedWithItsTimeAndTheBestFiguresAreKept)
{
	Start();
	StartGame();
	HarnessEnterState(STATE_SERVER_TUTORIAL);
	LevelModule& level = *GetLevelModule(STATE_SERVER_TUTORIAL);
	Frames(120);
	gPaused = true;   // paused time is left out
	Frames(60);
	gPaused = false;
	level.player->serversHacked = 1;
	Frames(600);
	ASSERT_EQ(gKEGameStateNext, (unsigned int)STATE_WIN);
	HarnessLeaveState();
	LevelRecord won = ProgressOf("BinaryMaps/serverTutorial.txt");
	EXPECT_TRUE(won.won && won.timed && won.counted);
	EXPECT_NEAR(won.bestTime, 2.0, 0.05);   // 120 frames, and the one that saw the goal
	EXPECT_EQ(won.fewestCatches, 0);

	// Each figure is kept on its own: a slower win without catches, a faster one with two.
	const struct { double seconds; int catches; double best; int fewest; } wins[] = {
		{30.0, 0, 2.0, 0}, {1.44, 2, 1.4, 0}, {1.45, 1, 1.4, 0}};
	for (const auto& w : wins)
	{
		ProgressRecordWin("BinaryMaps/guardTutorial.txt", w.seconds, w.catches + 1);
		ProgressRecordWin("BinaryMaps/serverTutorial.txt", w.seconds, w.catches);
		EXPECT_DOUBLE_EQ(ProgressOf("serverTutorial").bestTime, w.best);
		EXPECT_EQ(ProgressOf("serverTutorial").fewestCatches, w.fewest);
	}
	const std::string text = Read(progress);
	EXPECT_NE(text.find("[serverTutorial]\nwon = 1\nbest_time = 1.4\nfewest_catches = 0\n"), std::string::npos) << text;
	EXPECT_NE(text.find("[guardTutorial]\nwon = 1\nbest_time = 1.4\nfewest_catches = 1\n"), std::string::npos) << text;
	EXPECT_EQ(Start(), "");   // the next start reads them back
	EXPECT_EQ(ProgressOf("guardTutorial").fewestCatches, 1);
	EXPECT_FALSE(ProgressOf("Level1").won);
}

TEST_F(PlayerFilesTest, HandWrittenFilesAreRead)
{
	const struct { const char* text; int volume; bool muted, full, fan; } cases[] = {
		{"volume=40\nmusic_muted=1\n", 40, true, false, false},
		{"  # mine\r\n volume =  250 \r\nfull_screen = yes\r\nguard_view = fan\r\n", 100, false, true, true},
		{"[anything]\nvolume = -3\ncolour = blue\nnonsense line\nmusic_muted = 7\nfull_screen = off\n", 0, true, false,
		 false},
		{"volume = 62.5   # most of it\nguard_view = fan;\n", 62, false, false, true},
	};
	for (const auto& c : cases)
	{
		Write(settings, c.text);
		EXPECT_EQ(Start(), "") << c.text;
		EXPECT_EQ((int)(SettingsVolume() * 100.0f), c.volume) << c.text;
		EXPECT_EQ(gMuted, c.muted) << c.text;
		EXPECT_EQ(gFullscreen, c.full) << c.text;
		EXPECT_EQ(gGuardViewFan, c.fan) << c.text;
	}
	Write(progress, "# by hand\n[Level1]\r\nwon = 1\nbest_time = 95.25\n; no catches line\n\n[ TarnLevel ]\n"
	                "won=1\nfewest_catches=3\nstars = 5\n[serverTutorial]\nwon = 0\n");
	EXPECT_EQ(Start(), "");
	const LevelRecord level1 = ProgressOf("Level1"), tarn = ProgressOf("TarnLevel");
	EXPECT_TRUE(level1.won && level1.timed && !level1.counted);
	EXPECT_DOUBLE_EQ(level1.bestTime, 95.3);
	EXPECT_TRUE(tarn.won && !tarn.timed && tarn.counted);
	EXPECT_EQ(tarn.fewestCatches, 3);
	EXPECT_FALSE(ProgressOf("serverTutorial").won);
	ProgressRecordWin("Level1", 99.0, 1);   // a win adds what the file lacked, keeps the rest
	EXPECT_NE(Read(progress).find("[Level1]\nwon = 1\nbest_time = 95.3\nfewest_catches = 1\n"), std::string::npos);
}

TEST_F(PlayerFilesTest, BrokenFilesAreSetAsideAndDefaultsUsed)
{
	const struct { bool isSettings; std::string text; } cases[] = {
		{true, "volume = loud\n"},
		{true, "guard_view = sideways\n"},
		{true, std::string("volume = 50\n\0\x7f\n", 15)},
		{false, "[Level1]\nwon: yes\n"},
		{false, "won = 1\n[Level1]\n"},
		{false, "[Level1]\nbest_time = soon\n"},
		{false, "[Level1]\nfewest_catches = 1.5\n"},
		{true, ""},   // a folder where the file should be: cannot be read
	};
	for (const auto& c : cases)
	{
		const fs::path& path = c.isSettings ? settings : progress;
		fs::remove_all(path);
		if (!c.text.empty())
			Write(path, c.text + (c.isSettings ? "music_muted = 1\n" : "[Level2]\nwon = 1\n"));
		else
			fs::create_directories(path);
		const std::string before = Read(path);
		const fs::path aside = path.string() + ".broken";
		fs::remove_all(aside);

		const std::string said = Start();
		const std::string what = c.text.empty() ? "(a folder)" : c.text;
		EXPECT_EQ(Lines(said), 1) << what << said;
		EXPECT_NE(said.find(path.string() + " cannot be read"), std::string::npos) << said;
		EXPECT_NE(said.find(aside.string()), std::string::npos) << said;
		EXPECT_FALSE(fs::exists(path)) << what;
		ASSERT_TRUE(fs::exists(aside)) << what;
		EXPECT_EQ(c.text.empty() ? before : Read(aside), before);
		EXPECT_FALSE(gMuted || ProgressOf("Level2").won) << what;   // defaults
	}
	// A second broken file keeps the first one's copy; the game writes a fresh file.
	Write(progress, "garbage\n");
	EXPECT_NE(Start().find(progress.string() + ".2.broken"), std::string::npos);
	EXPECT_EQ(Read(progress.string() + ".broken"), "[Level1]\nfewest_catches = 1.5\n[Level2]\nwon = 1\n");
	ProgressRecordWin("Level1", 10.0, 0);
	EXPECT_TRUE(ProgressOf("Level1").won);
	EXPECT_EQ(Start(), "");
	EXPECT_TRUE(ProgressOf("Level1").won);
}

TEST_F(PlayerFilesTest, AnUnwritableFolderLeavesTheGameInMemoryAndSaysSoOnce)
{
	Write(root / "blocker", "a file where the folders should go\n");
	setenv("XDG_CONFIG_HOME", (root / "blocker/config").c_str(), 1);
	setenv("XDG_DATA_HOME", (root / "blocker/data").c_str(), 1);
	EXPECT_EQ(Start(), "");
	testing::internal::CaptureStdout();
	for (int i = 0; i < 3; ++i)
	{
		SettingsSetVolume(0.5f);
		ProgressRecordWin("Level1", 20.0 - i, 0);
	}
	const std::string said = testing::internal::GetCapturedStdout();
	EXPECT_EQ(Lines(said), 2) << said;   // one line per file
	EXPECT_NE(said.find("cannot save " + (root / "blocker/config/nullvane/settings.ini").string()), std::string::npos);
	EXPECT_NE(said.find("cannot save " + (root / "blocker/data/nullvane/progress.ini").string()), std::string::npos);
	EXPECT_FLOAT_EQ(SettingsVolume(), 0.5f);
	EXPECT_DOUBLE_EQ(ProgressOf("Level1").bestTime, 18.0);
	EXPECT_EQ(Read(root / "blocker"), "a file where the folders should go\n");
}

TEST_F(PlayerFilesTest, AReplayNeitherReadsNorWritesThePlayersFilesAndWatchedKeepsTheRealPace)
{
	// A settings file the game would set aside if it read it.
	Write(settings, "volume = loud\n");
	Write(root / "menu.txt", "start 0\nexpect 0\n300 -\n");
	const fs::path game = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "nullvane";
	auto play = [&](const std::string& arguments) {
		const std::string command = "ALSOFT_DRIVERS=null '" + game.string() + "' --replay " + arguments + " > '" +
		                            (root / "replay.log").string() + "' 2>&1";
		const auto begin = std::chrono::steady_clock::now();
		EXPECT_EQ(std::system(command.c_str()), 0) << Read(root / "replay.log");
		return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
	};
	play("replays/serverTutorial.txt");   // a win
	EXPECT_NE(Read(root / "replay.log").find("ended in state 10"), std::string::npos);
	EXPECT_EQ(Read(settings), "volume = loud\n");
	EXPECT_FALSE(fs::exists(progress));
	EXPECT_FALSE(fs::exists(settings.string() + ".broken"));
	EXPECT_FALSE(fs::exists(root / "home"));
	// 300 cheap menu frames: never faster than 60 a second when watched.
	EXPECT_GE(play("'" + (root / "menu.txt").string() + "' --watch"), 300.0 / 60.0);
}

TEST_F(PlayerFilesTest, TheLevelSelectShowsTheMapAndTheProgressOfTheLevelUnderTheArrows)
{
	Start();
	StartGame();
	gSplashDone = true;
	HarnessEnterState(STATE_MENU);
	PointAt(-400.0f, 300.0f);   // over nothing
	Tap(KEY_S);
	Tap(KEY_ENTER);
	ASSERT_EQ(gMenu->page, MENU_PAGE_LEVELS);
	Frames(60);
	SaveScreen("levels_not_won.png");
	// The map picture: wall texels (light grey-blue) and the server (green) in the panel.
	auto count = [](UiColor want) {
		int n = 0;
		for (UiColor p : UiReadRegion(430, 170, 240, 140))
			n += UiNear(p, want, 12);
		return n;
	};
	KEGfxStart();
	KEGameStateDraw();
	const int walls = count({150, 160, 182}), servers = count({70, 230, 120});
	const std::vector<UiColor> bare = UiReadRegion(430, 320, 250, 90);
	KEGfxEnd();
	EXPECT_GT(walls, 500);
	EXPECT_GT(servers, 9);

	ProgressRecordWin("serverTutorial", 12.34, 1);
	Frames(2);
	SaveScreen("levels_won.png");
	KEGfxStart();
	KEGameStateDraw();
	const std::vector<UiColor> won = UiReadRegion(430, 320, 250, 90);
	KEGfxEnd();
	int changed = 0;
	for (size_t i = 0; i < won.size(); ++i)
		changed += !UiNear(won[i], bare[i], 30);
	EXPECT_GT(changed, 300);   // the record's lines replaced "Not won yet"

	Tap(KEY_W);   // up to the last level: its own, wider map
	Frames(30);
	EXPECT_EQ(gMenu->levelSelection, 7);
	SaveScreen("levels_tarn2.png");
	KEGfxStart();
	KEGameStateDraw();
	EXPECT_GT(count({150, 160, 182}), 500);   // untinted beside the dimmed down arrow
	KEGfxEnd();
	gKEGameStateNext = STATE_LEVEL1;
	HarnessLeaveState();
}
