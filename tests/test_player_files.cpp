// The player's files: settings and progress kept across starts, hand-written, broken and
// unwritable files, replays that touch nothing, and the level select that shows progress.
// HOME and XDG_* point into a fresh temporary folder in every test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

namespace fs = std::filesystem;

namespace
{
std::string Read(const fs::path& path)
{
	std::stringstream text;
	text << std::ifstream(path, std::ios::binary).rdbuf();
	return text.str();
}

void Write(const fs::path& path, const std::string& text)
{
	fs::create_directories(path.parent_path());
	std::ofstream(path, std::ios::binary) << text;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

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
	void StartGame(unsigned int state)
	{
		ASSERT_TRUE(HarnessStartEngine());
		GameStartUp();
		gPaused = false;
		gSplashDone = true;
		HarnessEnterState(state);
	}
	// Draws the screen, saves it as a PNG file to look at, and counts the pixels of a colour
	// in the card's map area.
	int Shot(const char* name, UiColor color)
	{
		KEGfxStart();
		KEGameStateDraw();
		EXPECT_TRUE(UiSaveBackBuffer(UiOutputPath(name)));
		screen = UiReadRegion(0, 0, 800, 600);
		KEGfxEnd();
		int n = 0;
		for (int y = 170; y < 310; ++y)
			for (int x = 430; x < 670; ++x)
				n += UiNear(screen[y * 800 + x], color, 12);
		return n;
	}

	fs::path             root, settings, progress;
	std::vector<UiColor> screen;
};

const UiColor kWall = {150, 160, 182}, kServer = {70, 230, 120};
} // namespace

TEST_F(PlayerFilesTest, SettingsChangedInTheGameComeBackOnTheNextStart)
{
	EXPECT_EQ(Start(), "");   // a first start: no files, nothing to say
	StartGame(STATE_MENU);
	Tap(KEY_F11);
	Frames(1);
	ASSERT_TRUE(gFullscreen);
	EXPECT_TRUE(Has(Read(settings), "full_screen = 1\n")) << Read(settings);
	HarnessSetKey(KEY_PAGE_DOWN, true);
	Frames(30);
	HarnessSetKey(KEY_PAGE_DOWN, false);
	Frames(2);   // saved once the key is let go
	const float level = gSoundManager->VolumeLevel();
	EXPECT_NEAR(level, 0.75f, 0.03f);
	gSoundManager->ToggleMute();
	gGuardViewFan = true;
	SettingsChanged();
	const std::string text = Read(settings);
	EXPECT_EQ(text[0], '#');
	EXPECT_EQ(text.substr(text.find("\nvolume") + 1), "volume = " + std::to_string((int)(level * 100.0f + 0.5f)) +
	                                                      "\nmusic_muted = 1\nfull_screen = 1\nguard_view = fan\n");

	gMuted = gFullscreen = gGuardViewFan = false;
	EXPECT_EQ(Start(), "");
	EXPECT_TRUE(gMuted && gFullscreen && gGuardViewFan);
	gSoundManager->SetVolumeLevel(SettingsVolume());
	EXPECT_NEAR(gSoundManager->music.volume, level * gSoundManager->music.maxVolume, 0.006f);
	Tap(KEY_F11);   // the window back as it was
	Frames(1);
	gKEGameStateNext = STATE_LEVEL1;
	HarnessLeaveState();
}

TEST_F(PlayerFilesTest, AWinIsRecordedWithItsTimeAndTheBestFiguresAreKept)
{
	Start();
	StartGame(STATE_SERVER_TUTORIAL);
	Frames(120);
	gPaused = true;   // paused time is left out
	Frames(60);
	gPaused = false;
	GetLevelModule(STATE_SERVER_TUTORIAL)->player->serversHacked = 1;
	Frames(600);
	ASSERT_EQ(gKEGameStateNext, (unsigned int)STATE_WIN);
	HarnessLeaveState();
	const LevelRecord won = ProgressOf("BinaryMaps/serverTutorial.txt");
	EXPECT_TRUE(won.won && won.timed && won.counted && won.fewestCatches == 0);
	EXPECT_NEAR(won.bestTime, 2.0, 0.05);   // 120 frames, and the one that saw the goal

	// Each figure is kept on its own: a slower win without catches, a faster one with two.
	const struct { double seconds; int catches; double best; } wins[] = {{30.0, 0, 2.0}, {1.44, 2, 1.4}};
	for (const auto& w : wins)
	{
		ProgressRecordWin("serverTutorial", w.seconds, w.catches);
		EXPECT_DOUBLE_EQ(ProgressOf("serverTutorial").bestTime, w.best);
		EXPECT_EQ(ProgressOf("serverTutorial").fewestCatches, 0);
	}
	EXPECT_TRUE(Has(Read(progress), "[serverTutorial]\nwon = 1\nbest_time = 1.4\nfewest_catches = 0\n"));
	EXPECT_EQ(Start(), "");   // the next start reads it back
	EXPECT_DOUBLE_EQ(ProgressOf("serverTutorial").bestTime, 1.4);
	EXPECT_FALSE(ProgressOf("Level1").won);
}

TEST_F(PlayerFilesTest, HandWrittenFilesAreRead)
{
	const struct { const char* text; int volume; bool muted, full, fan; } cases[] = {
		{"volume=40\nmusic_muted=1\n", 40, true, false, false},
		{"  # mine\r\n volume =  250 \r\nfull_screen = yes\r\nguard_view = fan\r\n", 100, false, true, true},
		{"[any]\nvolume = -3\ncolour = blue\nnonsense\nmusic_muted = 7\nfull_screen = off\n", 0, true, false, false},
		{"volume = 62.5   # most of it\nguard_view = fan;\n", 62, false, false, true},
	};
	for (const auto& c : cases)
	{
		Write(settings, c.text);
		EXPECT_EQ(Start(), "") << c.text;
		EXPECT_EQ((int)(SettingsVolume() * 100.0f), c.volume) << c.text;
		EXPECT_TRUE(gMuted == c.muted && gFullscreen == c.full && gGuardViewFan == c.fan) << c.text;
	}
	Write(progress, "# by hand\n[Level1]\r\nwon = 1\nbest_time = 95.25\n; no catches line\n\n[ TarnLevel ]\n"
	                "won=1\nfewest_catches=3\nstars = 5\n[serverTutorial]\nwon = 0\n");
	EXPECT_EQ(Start(), "");
	const LevelRecord level1 = ProgressOf("Level1"), tarn = ProgressOf("TarnLevel");
	EXPECT_TRUE(level1.won && level1.timed && !level1.counted && level1.bestTime == 95.3);
	EXPECT_TRUE(tarn.won && !tarn.timed && tarn.counted && tarn.fewestCatches == 3);
	EXPECT_FALSE(ProgressOf("serverTutorial").won);
	ProgressRecordWin("Level1", 99.0, 1);   // a win adds what the file lacked, keeps the rest
	EXPECT_TRUE(Has(Read(progress), "[Level1]\nwon = 1\nbest_time = 95.3\nfewest_catches = 1\n"));
	EXPECT_TRUE(Has(Read(progress), "[TarnLevel]\nwon = 1\nfewest_catches = 3\n"));
}

TEST_F(PlayerFilesTest, BrokenFilesAreSetAsideAndDefaultsUsed)
{
	const struct { bool isSettings; std::string text; } cases[] = {
		{true, "volume = loud\n"},
		{true, std::string("volume = 50\n\0\x7f\n", 15)},
		{false, "[Level1]\nwon: yes\n"},
		{false, "won = 1\n[Level1]\n"},
		{false, "[Level1]\nfewest_catches = 1.5\n"},
		{true, ""},   // a folder where the file should be: cannot be read
	};
	for (const auto& c : cases)
	{
		const fs::path& path = c.isSettings ? settings : progress;
		const fs::path aside = path.string() + ".broken";
		fs::remove_all(path);
		fs::remove_all(aside);
		if (!c.text.empty())
			Write(path, c.text + (c.isSettings ? "music_muted = 1\n" : "[Level2]\nwon = 1\n"));
		else
			fs::create_directories(path);
		const std::string before = Read(path), said = Start();
		EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
		EXPECT_TRUE(Has(said, path.string() + " cannot be read") && Has(said, aside.string())) << said;
		EXPECT_FALSE(fs::exists(path)) << c.text;
		EXPECT_EQ(c.text.empty() ? before : Read(aside), before);
		EXPECT_FALSE(gMuted || ProgressOf("Level2").won) << c.text;   // defaults
	}
	// A second broken file keeps the first one's copy; the game then writes a fresh file.
	Write(progress, "garbage\n");
	EXPECT_TRUE(Has(Start(), progress.string() + ".2.broken"));
	EXPECT_EQ(Read(progress.string() + ".broken"), "[Level1]\nfewest_catches = 1.5\n[Level2]\nwon = 1\n");
	ProgressRecordWin("Level1", 10.0, 0);
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
	EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;   // one line per file
	EXPECT_TRUE(Has(said, "cannot save " + (root / "blocker/config/nullvane/settings.ini").string())) << said;
	EXPECT_TRUE(Has(said, "cannot save " + (root / "blocker/data/nullvane/progress.ini").string())) << said;
	EXPECT_FLOAT_EQ(SettingsVolume(), 0.5f);
	EXPECT_DOUBLE_EQ(ProgressOf("Level1").bestTime, 18.0);
}

TEST_F(PlayerFilesTest, AReplayNeitherReadsNorWritesThePlayersFilesAndWatchedKeepsTheRealPace)
{
	Write(settings, "volume = loud\n");   // the game would set it aside if it read it
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
	EXPECT_TRUE(Has(Read(root / "replay.log"), "ended in state 10"));
	EXPECT_EQ(Read(settings), "volume = loud\n");
	EXPECT_FALSE(fs::exists(progress) || fs::exists(settings.string() + ".broken") || fs::exists(root / "home"));
	// 300 cheap menu frames: never faster than 60 a second when watched.
	EXPECT_GE(play("'" + (root / "menu.txt").string() + "' --watch"), 300.0 / 60.0);
}

TEST_F(PlayerFilesTest, TheLevelSelectShowsTheMapAndTheProgressOfTheLevelUnderTheArrows)
{
	Start();
	StartGame(STATE_MENU);
	PointAt(-400.0f, 300.0f);   // over nothing
	Tap(KEY_S);
	Tap(KEY_ENTER);
	ASSERT_EQ(gMenu->page, MENU_PAGE_LEVELS);
	Frames(60);
	// The map picture: walls (light grey-blue) and the server (green).
	EXPECT_GT(Shot("levels_not_won.png", kWall), 500);
	EXPECT_GT(Shot("levels_not_won.png", kServer), 9);
	const std::vector<UiColor> notWon = screen;

	ProgressRecordWin("serverTutorial", 12.34, 1);
	Frames(2);
	Shot("levels_won.png", kWall);
	int changed = 0;   // below the map, the record's lines in place of "Not won yet"
	for (int y = 320; y < 410; ++y)
		for (int x = 430; x < 680; ++x)
			changed += !UiNear(screen[y * 800 + x], notWon[y * 800 + x], 30);
	EXPECT_GT(changed, 300);

	Tap(KEY_W);   // up to the last level, with its own wider map
	Frames(30);
	EXPECT_EQ(gMenu->levelSelection, 7);
	EXPECT_GT(Shot("levels_tarn2.png", kWall), 500);   // untinted beside the dimmed down arrow
	gKEGameStateNext = STATE_LEVEL1;
	HarnessLeaveState();
}
