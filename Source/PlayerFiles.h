#pragma once
// The player's own files, and the only code that reads or writes them:
//   $XDG_CONFIG_HOME/nullvane/settings.ini   volume, mute, full screen, guards' view
//   $XDG_DATA_HOME/nullvane/progress.ini     one section per won tutorial or level
// (~/.config and ~/.local/share when the variables are unset, empty or relative).
// Nothing is read or written until PlayerFilesStart: a replay never calls it, so it plays
// the same everywhere and watching one wins nothing.
#include <string>

struct LevelRecord
{
	bool   won = false;
	bool   timed = false;        // best_time known (a hand-written file may leave it out)
	double bestTime = 0.0;       // seconds, one decimal
	bool   counted = false;      // fewest_catches known
	int    fewestCatches = 0;
};

// Reads both files: gMuted, gFullscreen and gGuardViewFan take the saved values, the
// volume waits in SettingsVolume for the sound manager. A second call starts afresh, as
// a new run would.
void PlayerFilesStart();

// The paths the files live at ("" without a home folder).
std::string SettingsFilePath();
std::string ProgressFilePath();

// Volume level 0 to 1 (1: the sound manager's own volumes); 1 until started.
float SettingsVolume();
void  SettingsSetVolume(float level);   // stores and saves
// Saves gMuted, gFullscreen, gGuardViewFan and the volume; call after changing one.
void  SettingsChanged();

// The record of a level by its map file ("BinaryMaps/Level1.txt" or "Level1").
LevelRecord ProgressOf(const std::string& mapFile);
// A win of that level after `seconds` of play with `catches` lives lost: kept when it
// beats the record (time and catches each on their own), then saved.
void ProgressRecordWin(const std::string& mapFile, double seconds, int catches);

// "BinaryMaps/Level1.txt" -> "Level1".
std::string MapBaseName(const std::string& mapFile);
