// Starts kelto.exe as a user would and checks its frame window.
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#include "support/TestSupport.h"

namespace {

// KELTO_BIN is the build directory as a Unix path; Wine sees it on drive Z:.
std::string BuildPath(const char *relative) {
    const char *bin = getenv("KELTO_BIN");
    std::string path = bin ? std::string("Z:") + bin + "/" + relative : relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct Search {
    const char *className;
    DWORD pid;
    HWND found;
};

// FindWindow does not see classes of other processes under Wine; walk the windows instead.
BOOL CALLBACK Match(HWND window, LPARAM param) {
    Search *search = reinterpret_cast<Search *>(param);
    char name[128] = "";
    DWORD owner = 0;
    GetClassNameA(window, name, sizeof name);
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || strcmp(name, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForWindow(const char *className, DWORD pid, int seconds) {
    for (int i = 0; i < seconds * 20; i++) {
        Search search = {className, pid, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(50);
    }
    return nullptr;
}

} // namespace

TEST(Frame, StartsWithTitledFrameAndClosesCleanly) {
    std::string exe = BuildPath("kelto.exe");
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi))
        << exe;
    HWND frame = WaitForWindow("clMDIFrame", pi.dwProcessId, 30);
    ASSERT_TRUE(frame != nullptr);
    char title[64] = "";
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_STREQ("kelto", title);
    EXPECT_TRUE(IsWindowVisible(frame));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
    if (code == STILL_ACTIVE)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
