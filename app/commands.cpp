#include "app/handlers.h"

namespace tavrin {

// Not built yet: the commands come with their own change.
void OnExtractClicked(Runtime&) {}
void OnDeleteClicked(Runtime&) {}
void OnAboutClicked(Runtime&) {}
std::string OutputIconPath(Runtime& runtime, std::int32_t n) {
    return runtime.ProgramDirectory() + "/" + std::to_string(n) + ".ico";
}

}  // namespace tavrin
