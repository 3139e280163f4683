#pragma once
// A small level for actor tests: a map drawn as rows of text, the real objects, the keys a
// player holds each frame, the virtual 1/60 s clock and a recording sound system.
#include <gtest/gtest.h>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>
#include "BinaryMap.h"
#include "EngineHarness.h"
#include "GameObject.h"
#include "KEInput.h"
#include "Keys.h"
#include "SoundFake.h"
#include "SoundManager.h"
#include "UiPixels.h"
#include "Window.h"

class ActorWorld
{
public:
	// Rows top first, as on screen: '#' wall, a digit that cell code, anything else floor.
	explicit ActorWorld(const std::vector<std::string>& rows)
	{
		EXPECT_TRUE(HarnessStartEngine());
		std::string text = "width " + std::to_string(rows.empty() ? 0 : rows[0].size()) + "\nheight " +
		                   std::to_string(rows.size()) + "\ntilesize 40\n";
		for (auto row = rows.rbegin(); row != rows.rend(); ++row)   // row 0 is the bottom one
		{
			for (char c : *row)
				text += c == '#' ? "1 " : c >= '0' && c <= '9' ? std::string(1, c) + " " : "0 ";
			text += "\n";
		}
		const std::string path = UiOutputPath("actor_world_map.txt");
		std::ofstream(path) << text;
		EXPECT_EQ(LoadBinaryMap(path.c_str()), 1);
		sound.LoadSounds();
		gSoundManager = &sound;
		gDeltaTime = 1.0f / 60.0f;
		gMuted = gPaused = gAlarmMusicOn = false;
		gDetectingGuards = 0;
		Hold({});
	}
	~ActorWorld()
	{
		FreeBinaryMap();
		gSoundManager = nullptr;
		Hold({});
	}

	// Unloads and frees the started objects when it goes, which is before they do when kept
	// in a variable at the call: auto started = world.Start({...});
	struct Started
	{
		std::vector<GameObject*> objects;
		explicit Started(std::initializer_list<GameObject*> list) : objects(list) {}
		Started(const Started&) = delete;
		~Started()
		{
			for (GameObject* object : objects)
				object->Unload(), object->Free();
		}
	};

	// Load, then Init.
	[[nodiscard]] Started Start(std::initializer_list<GameObject*> objects)
	{
		for (GameObject* object : objects)
			object->Load();
		for (GameObject* object : objects)
			object->Init();
		return Started{objects};
	}

	// These keys held from now on, every other key up; sampled as the frame loop does.
	void Hold(std::initializer_list<unsigned char> keys)
	{
		PlatformInputClearKeys();
		for (unsigned char key : keys)
			PlatformInputSetKey(key, true);
		KEInputUpdate();
	}

	// n frames of updates in list order with the keys held (a press triggers in the first only).
	void Run(std::initializer_list<GameObject*> objects, int n = 1)
	{
		for (int i = 0; i < n; ++i)
		{
			for (GameObject* object : objects)
				object->Update();
			KEInputUpdate();
		}
	}

	// Hold, then Run.
	void Play(std::initializer_list<unsigned char> keys, std::initializer_list<GameObject*> objects, int n = 1)
	{
		Hold(keys);
		Run(objects, n);
	}

	// How often the sound with this id was started.
	int Plays(int id) { return fake.Plays(sound.sounds[id]); }
	int Grunts() { return Plays(6) + Plays(7) + Plays(8); }

	SoundFake                fake;
	SoundManager             sound{&fake};
};

// World point of the centre of cell (column, row), as the levels place actors.
inline KEVec2 CellCentre(int column, int row)
{
	return {MapCellCentre(column), MapCellCentre(row)};
}
