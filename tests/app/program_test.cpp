#include "app/program.h"

#include <gtest/gtest.h>

#include "app/handlers.h"
#include "support/fake_runtime.h"

namespace tavrin {
namespace {

using testing::FakeRuntime;

int exitCalls = 0;
void CountExit(Runtime&) {
    ++exitCalls;
}

TEST(Program, CreatedEventSeedsPicksASkinAndRegistersTheDropTarget) {
    FakeRuntime runtime;
    runtime.randomAnswers = {2};
    EXPECT_EQ(RunProgram(runtime), 0);
    EXPECT_EQ(runtime.seedCount, 1);
    ASSERT_EQ(runtime.randomRanges.size(), 1u);
    EXPECT_EQ(runtime.randomRanges[0], std::make_pair(1, 3));
    EXPECT_EQ(runtime.skinStyle, 2);
    EXPECT_TRUE(runtime.dropTargetRegistered);
}

TEST(Program, ExitCallbacksRunOnceEachAfterTheLoop) {
    FakeRuntime runtime;
    runtime.RegisterExitCallback(&CountExit);
    runtime.RegisterExitCallback(&OnProgramExit);
    runtime.RegisterExitCallback(&CountExit);
    exitCalls = 0;
    RunProgram(runtime);
    EXPECT_EQ(exitCalls, 1);
    EXPECT_EQ(runtime.exitCallbacks, (std::vector<Handler>{&CountExit, &OnProgramExit}));
}

TEST(Program, FailedWindowReportsAndEndsWithoutExitCallbacks) {
    FakeRuntime runtime;
    runtime.failWindowLoad = true;
    runtime.RegisterExitCallback(&CountExit);
    exitCalls = 0;
    EXPECT_EQ(RunProgram(runtime), -1);
    EXPECT_EQ(runtime.fatalErrors.size(), 1u);
    EXPECT_EQ(runtime.seedCount, 0);
    EXPECT_EQ(exitCalls, 0);
}

}  // namespace
}  // namespace tavrin
