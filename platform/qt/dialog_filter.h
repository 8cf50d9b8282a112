#pragma once
// The open-file dialog's filter text, "label|pattern|label|pattern...", in the form Qt's file
// dialog takes: "label (pattern)" per file type. Qt reads a type's patterns only from ASCII
// parentheses at the end of its entry, so the labels (which may carry parentheses of their own)
// are shown as they are only with QFileDialog::HideNameFilterDetails.
#include <QStringList>
#include <string_view>

namespace tavrin::qt {

// One entry per complete label and pattern pair, in order; a trailing label without a pattern is
// left out. Patterns separated by ";" are separated by spaces, as Qt expects.
QStringList ConvertDialogFilter(std::string_view filter);

}  // namespace tavrin::qt
