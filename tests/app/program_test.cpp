#include "app/program.h"

#include <gtest/gtest.h>

#include "app/handlers.h"
#include "support/fake_runtime.h"

namespace tavrin {
namespace {

using testing::FakeRuntime;

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

TEST(Program, ExitCallbackIsRegisteredOnceAndClearsTheLastPath) {
    FakeRuntime runtime;
    runtime.RegisterExitCallback(&OnProgramExit);
    LastExtractedPath = "/somewhere/tool.exe";
    RunProgram(runtime);
    EXPECT_EQ(runtime.exitCallbacks.size(), 1u);
    EXPECT_TRUE(LastExtractedPath.empty());
}

TEST(Program, FailedWindowReportsAndEndsWithoutExitCallbacks) {
    FakeRuntime runtime;
    runtime.failWindowLoad = true;
    LastExtractedPath = "";
    EXPECT_EQ(RunProgram(runtime), -1);
    EXPECT_EQ(runtime.fatalErrors.size(), 1u);
    EXPECT_EQ(runtime.seedCount, 0);
}

}  // namespace
}  // namespace tavrin
