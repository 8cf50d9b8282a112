#pragma once
#include "platform/runtime.h"

namespace tavrin {

// Start-up, message loop and exit on a run time that has initialised itself. Returns the exit
// code: -1 when the main window could not be built.
int RunProgram(Runtime& runtime);

}  // namespace tavrin
