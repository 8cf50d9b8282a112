#pragma once
// The open-file dialog's filter text, "label|pattern|label|pattern...", in the form the Windows
// open dialog takes: every label and pattern ended by a zero, the list by a second zero.
#include <string>
#include <string_view>

namespace tavrin::win32 {

// One pair per complete label and pattern, in order; a trailing label without a pattern is left
// out. Empty when no pair is complete (the dialog then shows every file).
std::wstring ConvertDialogFilter(std::string_view filter);

}  // namespace tavrin::win32
