#include "app/program.h"

#include "app/handlers.h"
#include "app/layout.h"
#include "platform/hooks.h"

namespace tavrin {

int RunProgram(Runtime& runtime) {
    LastExtractedPath.clear();
    runtime.RegisterExitCallback(&OnProgramExit);
    SetNoticeSink([&runtime](const std::string& text, const std::string& title) {
        runtime.ShowMessage(text, kIconNone, title);
    });
    if (!runtime.LoadWindow(MainWindowLayout())) {
        runtime.ReportFatal("无法创建主窗口。");
        SetNoticeSink(nullptr);
        return -1;
    }
    int code = runtime.Run();
    SetNoticeSink(nullptr);
    return code;
}

}  // namespace tavrin
