// Settings and progress on disk. Both are plain "key = value" files ('#' or ';' starts a
// comment); progress groups its keys in one [section] per map. Writes go to a temporary file
// in the same folder, flushed to disk and renamed over the old file, so a crash leaves the
// old file or the new one. A file that cannot be read is moved aside as <name>.broken and
// never overwritten; a folder that cannot be written leaves the values in memory.
#include "PlayerFiles.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include "GameObject.h"

namespace
{
const size_t kMaxFileSize = 1 << 20;   // far beyond anything the game writes

struct PlayerFile
{
	const char* what;          // "settings", "progress"
	std::string path;
	bool        writable = true;   // false: a broken file we could not move aside
	bool        warned = false;    // a failed write was reported
};

struct Progress
{
	std::vector<std::pair<std::string, LevelRecord>> levels;   // file order
	LevelRecord* Find(const std::string& name)
	{
		for (auto& level : levels)
			if (level.first == name)
				return &level.second;
		return nullptr;
	}
	LevelRecord& Get(const std::string& name)
	{
		if (LevelRecord* record = Find(name))
			return *record;
		levels.push_back({name, LevelRecord()});
		return levels.back().second;
	}
};

bool       sStarted = false;
float      sVolume = 1.0f;
PlayerFile sSettings{"settings", "", true, false};
PlayerFile sProgress{"progress", "", true, false};
Progress   sRecords;

// XDG base directories: an absolute value of the variable, else the fallback under HOME.
std::string BaseDir(const char* variable, const char* underHome)
{
	const char* value = std::getenv(variable);
	if (value && value[0] == '/')
		return value;
	const char* home = std::getenv("HOME");
	return home && home[0] ? std::string(home) + "/" + underHome : std::string();
}

std::string Trim(const std::string& text)
{
	const char* space = " \t\r\n\f\v";
	size_t first = text.find_first_not_of(space);
	if (first == std::string::npos)
		return "";
	return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool ParseNumber(const std::string& text, double* value)
{
	char* end = nullptr;
	errno = 0;
	*value = std::strtod(text.c_str(), &end);
	return !text.empty() && *end == '\0' && errno == 0 && std::isfinite(*value);
}

// 0/1 (any other whole number clamped), or the words players write.
bool ParseFlag(const std::string& text, bool* value)
{
	static const char* const kTrue[] = {"true", "yes", "on"};
	static const char* const kFalse[] = {"false", "no", "off"};
	for (const char* word : kTrue)
		if (strcasecmp(text.c_str(), word) == 0)
			return *value = true, true;
	for (const char* word : kFalse)
		if (strcasecmp(text.c_str(), word) == 0)
			return *value = false, true;
	double number = 0.0;
	if (!ParseNumber(text, &number) || number != std::floor(number))
		return false;
	*value = number > 0.0;
	return true;
}

struct IniEntry
{
	int         line;
	std::string section, key, value;
};

// Splits a file into entries. '#' or ';' starts a comment; `unknown` counts the
// other lines that are neither [section] nor key = value (the first one's number in `firstUnknown`).
std::vector<IniEntry> SplitIni(const std::string& text, int* unknown, int* firstUnknown)
{
	std::vector<IniEntry> entries;
	std::string section;
	*unknown = *firstUnknown = 0;
	size_t at = 0;
	for (int number = 1; at < text.size(); ++number)
	{
		size_t end = text.find('\n', at);
		if (end == std::string::npos)
			end = text.size();
		std::string line = text.substr(at, end - at);
		at = end + 1;
		line = Trim(line.substr(0, line.find_first_of("#;")));   // no value holds either
		if (line.empty())
			continue;
		const size_t equals = line.find('=');
		if (line.front() == '[' && line.back() == ']' && !Trim(line.substr(1, line.size() - 2)).empty())
			section = Trim(line.substr(1, line.size() - 2));
		else if (equals != std::string::npos && equals > 0)
			entries.push_back({number, section, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
		else if (++*unknown == 1)
			*firstUnknown = number;
	}
	return entries;
}

enum ReadResult
{
	READ_MISSING,
	READ_OK,
	READ_BROKEN,
};

ReadResult ReadWhole(const std::string& path, std::string* text, std::string* why)
{
	struct stat info;
	if (stat(path.c_str(), &info) != 0)
	{
		if (errno == ENOENT || errno == ENOTDIR)   // no file, or no folder for one
			return READ_MISSING;
		*why = std::strerror(errno);
		return READ_BROKEN;
	}
	if (!S_ISREG(info.st_mode))
		return *why = "not a regular file", READ_BROKEN;
	if ((size_t)info.st_size > kMaxFileSize)
		return *why = "too large", READ_BROKEN;
	FILE* file = std::fopen(path.c_str(), "rb");
	if (!file)
		return *why = std::strerror(errno), READ_BROKEN;
	char buffer[4096];
	size_t got = 0;
	while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text->size() <= kMaxFileSize)
		text->append(buffer, got);
	const bool failed = std::ferror(file) != 0;
	const int error = errno;
	std::fclose(file);
	if (failed)
		return *why = std::strerror(error), READ_BROKEN;
	if (text->size() > kMaxFileSize)
		return *why = "too large", READ_BROKEN;
	if (text->find('\0') != std::string::npos)
		return *why = "not a text file", READ_BROKEN;
	return READ_OK;
}

// A broken file goes aside, never overwritten: <name>.broken, or <name>.2.broken and on
// when an earlier one is there.
void SetAside(PlayerFile& file, const std::string& why)
{
	std::string target;
	for (int n = 1; n < 100; ++n)
	{
		target = file.path + (n == 1 ? "" : "." + std::to_string(n)) + ".broken";
		struct stat info;
		if (lstat(target.c_str(), &info) != 0)
			break;
	}
	if (std::rename(file.path.c_str(), target.c_str()) == 0)
	{
		std::printf("Nullvane: %s cannot be read (%s); using default %s, the file is kept as %s\n",
		            file.path.c_str(), why.c_str(), file.what, target.c_str());
		return;
	}
	file.writable = false;
	std::printf("Nullvane: %s cannot be read (%s) nor moved aside (%s); using default %s, kept in memory only\n",
	            file.path.c_str(), why.c_str(), std::strerror(errno), file.what);
}

bool WriteAll(int fd, const std::string& text)
{
	for (size_t done = 0; done < text.size();)
	{
		ssize_t n = write(fd, text.data() + done, text.size() - done);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0)
			return false;
		done += (size_t)n;
	}
	return true;
}

// Temporary file in the same folder, flushed to disk, renamed over the old one, and the
// folder flushed so that the rename itself survives a power cut.
bool WriteAtomically(const std::string& path, const std::string& text, std::string* why)
{
	const std::filesystem::path folder = std::filesystem::path(path).parent_path();
	std::error_code error;
	std::filesystem::create_directories(folder, error);
	if (error)
		return *why = error.message(), false;
	std::string temporary = path + ".XXXXXX";
	int fd = mkstemp(&temporary[0]);
	if (fd < 0)
		return *why = std::strerror(errno), false;
	fchmod(fd, 0644);
	bool ok = WriteAll(fd, text) && fsync(fd) == 0;
	int saved = errno;
	if (close(fd) != 0 && ok)
		ok = false, saved = errno;
	if (ok && std::rename(temporary.c_str(), path.c_str()) != 0)
		ok = false, saved = errno;
	if (!ok)
	{
		unlink(temporary.c_str());
		return *why = std::strerror(saved), false;
	}
	int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
	if (dir >= 0)
	{
		fsync(dir);
		close(dir);
	}
	return true;
}

void Save(PlayerFile& file, const std::string& text)
{
	if (!sStarted || !file.writable || file.path.empty())
		return;
	std::string why;
	if (!WriteAtomically(file.path, text, &why) && !file.warned)
	{
		file.warned = true;
		std::printf("Nullvane: cannot save %s (%s); playing on with the %s kept in memory\n", file.path.c_str(),
		            why.c_str(), file.what);
	}
}

// --- settings

bool ReadSettings(const std::string& text, std::string* why)
{
	int unknown = 0, firstUnknown = 0;
	float volume = 1.0f;
	bool muted = false, full = false, fan = false;
	for (const IniEntry& e : SplitIni(text, &unknown, &firstUnknown))   // unknown lines are ignored
	{
		double number = 0.0;
		bool good = true;
		if (e.key == "volume")
		{
			good = ParseNumber(e.value, &number);
			volume = (float)(std::fmin(std::fmax(number, 0.0), 100.0) / 100.0);
		}
		else if (e.key == "music_muted")
			good = ParseFlag(e.value, &muted);
		else if (e.key == "full_screen")
			good = ParseFlag(e.value, &full);
		else if (e.key == "guard_view")
		{
			good = e.value == "cut" || e.value == "fan";
			fan = e.value == "fan";
		}
		if (!good)
		{
			*why = "line " + std::to_string(e.line) + ": " + e.key + " cannot be " + e.value;
			return false;
		}
	}
	sVolume = volume;
	gMuted = muted;
	gFullscreen = full;
	gGuardViewFan = fan;
	return true;
}

std::string SettingsText()
{
	char text[512];
	std::snprintf(text, sizeof text,
	              "# Nullvane settings, saved by the game whenever one changes (edit them while it is closed).\n"
	              "# volume = 0 to 100, music_muted = 0 or 1, full_screen = 0 or 1, guard_view = cut or fan\n"
	              "volume = %d\nmusic_muted = %d\nfull_screen = %d\nguard_view = %s\n",
	              (int)std::lround(sVolume * 100.0f), gMuted ? 1 : 0, gFullscreen ? 1 : 0, gGuardViewFan ? "fan" : "cut");
	return text;
}

// --- progress

bool ReadProgress(const std::string& text, std::string* why)
{
	int unknown = 0, firstUnknown = 0;
	std::vector<IniEntry> entries = SplitIni(text, &unknown, &firstUnknown);
	if (unknown)
		return *why = "line " + std::to_string(firstUnknown) + " is neither [level] nor key = value", false;
	Progress progress;
	for (const IniEntry& e : entries)
	{
		auto fail = [&](const char* problem) {
			*why = "line " + std::to_string(e.line) + ": " + problem;
			return false;
		};
		if (e.section.empty())
			return fail("a value before the first [level]");
		LevelRecord& record = progress.Get(e.section);
		double number = 0.0;
		if (e.key == "won")
		{
			if (!ParseFlag(e.value, &record.won))
				return fail("won takes 0 or 1");
		}
		else if (e.key == "best_time")
		{
			if (!ParseNumber(e.value, &number))
				return fail("best_time takes seconds");
			record.timed = true;
			record.bestTime = std::round(std::fmax(number, 0.0) * 10.0) / 10.0;
		}
		else if (e.key == "fewest_catches")
		{
			if (!ParseNumber(e.value, &number) || number != std::floor(number))
				return fail("fewest_catches takes a whole number");
			record.counted = true;
			record.fewestCatches = (int)std::fmin(std::fmax(number, 0.0), 1000.0);
		}
	}
	sRecords = progress;
	return true;
}

std::string ProgressText()
{
	std::string text = "# Nullvane progress, saved by the game after every win: one [section] per tutorial or level,\n"
	                   "# named after its map. won = 0 or 1, best_time = seconds (pauses left out), fewest_catches = "
	                   "lives lost on the least caught win\n";
	char line[64];
	for (const auto& level : sRecords.levels)
	{
		const LevelRecord& r = level.second;
		text += "\n[" + level.first + "]\n";
		text += r.won ? "won = 1\n" : "won = 0\n";
		if (r.timed)
			std::snprintf(line, sizeof line, "best_time = %.1f\n", r.bestTime), text += line;
		if (r.counted)
			text += "fewest_catches = " + std::to_string(r.fewestCatches) + "\n";
	}
	return text;
}

void Load(PlayerFile& file, bool (*read)(const std::string&, std::string*))
{
	if (file.path.empty())
		return;
	std::string text, why;
	const ReadResult result = ReadWhole(file.path, &text, &why);
	if (result == READ_OK && read(text, &why))
		return;
	if (result != READ_MISSING)
		SetAside(file, why);
}
} // namespace

void PlayerFilesStart()
{
	sStarted = true;
	sVolume = 1.0f;
	gMuted = gFullscreen = gGuardViewFan = false;
	sRecords = Progress();
	const std::string config = BaseDir("XDG_CONFIG_HOME", ".config");
	const std::string data = BaseDir("XDG_DATA_HOME", ".local/share");
	sSettings = PlayerFile{"settings", config.empty() ? "" : config + "/nullvane/settings.ini", true, false};
	sProgress = PlayerFile{"progress", data.empty() ? "" : data + "/nullvane/progress.ini", true, false};
	if (config.empty() || data.empty())
		std::printf("Nullvane: no home folder (HOME is not set); settings and progress are kept in memory only\n");
	Load(sSettings, ReadSettings);
	Load(sProgress, ReadProgress);
}

std::string SettingsFilePath()
{
	return sSettings.path;
}

std::string ProgressFilePath()
{
	return sProgress.path;
}

float SettingsVolume()
{
	return sVolume;
}

void SettingsSetVolume(float level)
{
	sVolume = std::fmin(std::fmax(level, 0.0f), 1.0f);
	SettingsChanged();
}

void SettingsChanged()
{
	Save(sSettings, SettingsText());
}

std::string MapBaseName(const std::string& mapFile)
{
	std::string name = std::filesystem::path(mapFile).filename().string();
	const size_t dot = name.rfind('.');
	return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

LevelRecord ProgressOf(const std::string& mapFile)
{
	const LevelRecord* record = sRecords.Find(MapBaseName(mapFile));
	return record ? *record : LevelRecord();
}

void ProgressRecordWin(const std::string& mapFile, double seconds, int catches)
{
	if (!sStarted)
		return;
	LevelRecord& record = sRecords.Get(MapBaseName(mapFile));
	const double time = std::round(std::fmax(seconds, 0.0) * 10.0) / 10.0;
	record.won = true;
	if (!record.timed || time < record.bestTime)
		record.timed = true, record.bestTime = time;
	if (!record.counted || catches < record.fewestCatches)
		record.counted = true, record.fewestCatches = catches;
	Save(sProgress, ProgressText());
}
