// The game-state table: registration, selection and the three fatal reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "KEGameStateMgr.h"

namespace
{
std::string gCalls;

void Load() { gCalls += "L"; }
void Init() { gCalls += "I"; }
void Update() { gCalls += "U"; }
void Draw() { gCalls += "D"; }
void Free() { gCalls += "F"; }
void Unload() { gCalls += "X"; }
void OtherUpdate() { gCalls += "u"; }

void CallAll()
{
	KEGameStateLoad();
	KEGameStateInit();
	KEGameStateUpdate();
	KEGameStateDraw();
	KEGameStateFree();
	KEGameStateUnload();
}

// The reports go to standard output; death tests read standard error.
void StdoutToStderr()
{
	fflush(stdout);
	dup2(STDERR_FILENO, STDOUT_FILENO);
}

class StateManagerDeath : public testing::Test
{
protected:
	// Re-run the test in a fresh process, so the table starts empty whatever ran before.
	void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};
} // namespace

TEST(StateManager, SelectsRegisteredFunctionsAndFillsGapsWithDoNothing)
{
	KEGameStateMgrAdd(200, Load, Init, Update, Draw, Free, Unload);
	KEGameStateMgrAdd(201, nullptr, nullptr, OtherUpdate, nullptr, nullptr, nullptr);

	KEGameStateMgrInit(200);
	EXPECT_EQ(gKEGameStateInit, 200u);
	EXPECT_EQ(gKEGameStateCurr, 200u);
	EXPECT_EQ(gKEGameStatePrev, 200u);
	EXPECT_EQ(gKEGameStateNext, 200u);
	gCalls.clear();
	CallAll();
	EXPECT_EQ(gCalls, "LIUDFX");

	// Null slots run as do-nothing functions.
	gKEGameStateCurr = 201;
	KEGameStateMgrUpdate();
	gCalls.clear();
	CallAll();
	EXPECT_EQ(gCalls, "u");

	// The two reserved ids select do-nothing functions for all six slots.
	for (unsigned int id : {GAME_STATE_QUIT, GAME_STATE_RESTART})
	{
		gKEGameStateCurr = id;
		KEGameStateMgrUpdate();
		gCalls.clear();
		CallAll();
		EXPECT_EQ(gCalls, "") << id;
	}
}

TEST_F(StateManagerDeath, SixtyFourStatesFitAndTheNextEndsTheProcess)
{
	EXPECT_EXIT(
		{
			StdoutToStderr();
			for (unsigned int id = 0; id < GAME_STATE_NUM_MAX; ++id)
				KEGameStateMgrAdd(1000 + id, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
			// All 64 are selectable.
			gKEGameStateCurr = 1063;
			KEGameStateMgrUpdate();
			KEGameStateLoad();
			printf("%s\n", gCalls.c_str());
			KEGameStateMgrAdd(2000, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
		},
		testing::ExitedWithCode(1),
		testing::MatchesRegex("L\nKE_ASSERT_MESG: sGameStateNum < GAME_STATE_NUM_MAX\nLine: [0-9]+\n"
		                      "Func: KEGameStateMgrAdd\nFile: src/KEGameStateMgr\n"
		                      "Mesg: game state list is full. Cannot add new game state!!\n"));
}

TEST_F(StateManagerDeath, DuplicateAndUnknownIdsEndTheProcess)
{
	EXPECT_EXIT(
		{
			StdoutToStderr();
			KEGameStateMgrAdd(7, Load, Init, Update, Draw, Free, Unload);
			KEGameStateMgrAdd(8, Load, Init, Update, Draw, Free, Unload);
			KEGameStateMgrAdd(7, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
		},
		testing::ExitedWithCode(1), testing::StrEq("KE_FATAL_ERROR: duplicate game state id (7)"));

	EXPECT_EXIT(
		{
			StdoutToStderr();
			KEGameStateMgrAdd(7, Load, Init, Update, Draw, Free, Unload);
			KEGameStateMgrInit(9);
		},
		testing::ExitedWithCode(1), testing::StrEq("KE_FATAL_ERROR: invalid state"));
}
