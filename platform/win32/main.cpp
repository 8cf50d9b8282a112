// The Windows program: the Win32 run time on the GUI thread, then the shell's start-up.
#include <windows.h>

#include "app/program.h"
#include "platform/win32/win32_runtime.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tavrin::win32::Win32Runtime runtime(instance);
    return tavrin::RunProgram(runtime);
}
