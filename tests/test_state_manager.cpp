// The game-state table: registration, selection and its fatal reports.
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

// Selects id and returns what its six functions do.
std::string CallAll(unsigned int id)
{
	gKEGameStateCurr = id;
	KEGameStateMgrUpdate();
	gCalls.clear();
	for (KEGameStateFn fn : {KEGameStateLoad, KEGameStateInit, KEGameStateUpdate, KEGameStateDraw,
	                         KEGameStateFree, KEGameStateUnload})
		fn();
	return gCalls;
}

// The reports go to standard output; death tests read standard error.
void StdoutToStderr()
{
	fflush(stdout);
	dup2(STDERR_FILENO, STDOUT_FILENO);
}
} // namespace

TEST(StateManager, SelectsRegisteredFunctionsAndFillsGapsWithDoNothing)
{
	KEGameStateMgrAdd(200, Load, [] { gCalls += "I"; }, [] { gCalls += "U"; }, [] { gCalls += "D"; },
	                  [] { gCalls += "F"; }, [] { gCalls += "X"; });
	KEGameStateMgrAdd(201, nullptr, nullptr, nullptr, nullptr, Load, nullptr);
	KEGameStateMgrInit(200);
	EXPECT_EQ(CallAll(200), "LIUDFX");
	EXPECT_EQ(CallAll(201), "L");
	EXPECT_EQ(CallAll(GAME_STATE_QUIT) + CallAll(GAME_STATE_RESTART), "");   // reserved: nothing
}

TEST(StateManager, FullTableAndDuplicateIdsEndTheProcess)
{
	// Each death test re-runs in a fresh process, so the table starts empty.
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(
		{
			StdoutToStderr();
			for (unsigned int id = 0; id < GAME_STATE_NUM_MAX; ++id)
				KEGameStateMgrAdd(1000 + id, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
			printf("%s\n", CallAll(1063).c_str());   // the 64th is selectable
			KEGameStateMgrAdd(2000, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
		},
		testing::ExitedWithCode(1),
		testing::MatchesRegex("L\nKE_ASSERT_MESG: sGameStateNum < GAME_STATE_NUM_MAX\nLine: [0-9]+\n"
		                      "Func: KEGameStateMgrAdd\nFile: src/KEGameStateMgr\n"
		                      "Mesg: game state list is full. Cannot add new game state!!\n"));
	EXPECT_EXIT(
		{
			StdoutToStderr();
			KEGameStateMgrAdd(7, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
			KEGameStateMgrAdd(8, Load, nullptr, nullptr, nullptr, nullptr, nullptr);
			KEGameStateMgrAdd(7, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
		},
		testing::ExitedWithCode(1), testing::StrEq("KE_FATAL_ERROR: duplicate game state id (7)"));
}
