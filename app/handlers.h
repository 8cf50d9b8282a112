#pragma once
// The shell: the handlers of the main window's events, its one global value, and the naming rule
// of the output files.
#include <cstdint>
#include <string>

#include "platform/runtime.h"

namespace tavrin {

// The source path of the last extract command that passed its checks; empty at start.
extern std::string LastExtractedPath;

// Start-up and exit.
void OnWindowCreated(Runtime& runtime);
void OnProgramExit(Runtime& runtime);

// The path field.
void OnPathChanged(Runtime& runtime);
void OnFileDropped(Runtime& runtime, const std::string& droppedFiles);
void OnSelectFileClicked(Runtime& runtime);

// The commands.
void OnExtractClicked(Runtime& runtime);
void OnDeleteClicked(Runtime& runtime);
void OnAboutClicked(Runtime& runtime);

// ProgramDirectory, the directory separator, n in decimal, ".ico".
std::string OutputIconPath(Runtime& runtime, std::int32_t n);

}  // namespace tavrin
