// Program entry.
#include <windows.h>

#include "core/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showMode) {
    return Startup(instance, showMode, commandLine);
}
