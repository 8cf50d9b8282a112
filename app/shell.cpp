#include "app/handlers.h"

namespace tavrin {

std::string LastExtractedPath;

void OnWindowCreated(Runtime& runtime) {
    runtime.SeedRandom();
    std::int32_t style = runtime.RandomInRange(1, 3);
    runtime.SetSkinStyle(style);
    runtime.RegisterDropTarget(Control::拖放对象1, runtime.WindowHandle(Control::窗口));
}

void OnProgramExit(Runtime&) {
    LastExtractedPath.clear();
    LastExtractedPath.shrink_to_fit();
}

}  // namespace tavrin
