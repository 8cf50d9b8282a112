#include "app/handlers.h"

namespace tavrin {

// Not built yet: the path field's handlers come with their own change.
void OnPathChanged(Runtime&) {}
void OnFileDropped(Runtime&, const std::string&) {}
void OnSelectFileClicked(Runtime&) {}

}  // namespace tavrin
