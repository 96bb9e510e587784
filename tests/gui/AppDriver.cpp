#include "AppDriver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct Search {
    const char *className;
    const char *title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    Search *search = reinterpret_cast<Search *>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window))
        return TRUE;
    char text[256] = "";
    if (search->className) {
        GetClassNameA(window, text, sizeof text);
        if (strcmp(text, search->className) != 0)
            return TRUE;
    }
    if (search->title) {
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, search->title) != 0)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND Wait(Search search, int seconds) {
    for (int i = 0; i < seconds * 20; i++) {
        search.found = nullptr;
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(50);
    }
    return nullptr;
}

struct ChildSearch {
    const char *className;
    const char *text;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    ChildSearch *search = reinterpret_cast<ChildSearch *>(param);
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, search->className) != 0)
        return TRUE;
    if (search->text) {
        GetWindowTextA(window, name, sizeof name);
        if (strcmp(name, search->text) != 0)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

void RemoveTree(const std::string &path) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &data));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

// Escapes a text for the settings file: backslashes, tabs and line ends.
std::string Escaped(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

} // namespace

std::string BuildPath(const char *relative) {
    const char *bin = getenv("KELTO_BIN");
    std::string path = bin ? std::string("Z:") + bin + "/" + relative : relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

HWND WaitForWindow(const char *className, DWORD pid, int seconds) {
    return Wait(Search{className, nullptr, pid, nullptr}, seconds);
}

HWND WaitForTitle(const char *title, DWORD pid, int seconds) {
    return Wait(Search{nullptr, title, pid, nullptr}, seconds);
}

HWND FindChild(HWND parent, const char *className, const char *text) {
    ChildSearch search = {className, text, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ReadFileText(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    fclose(f);
    return text;
}

void WriteFileText(const std::string &path, const std::string &text) {
    FILE *f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
}

KeltoApp::KeltoApp(const std::string &name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%sKA_%lu_%s", temp, GetCurrentProcessId(), name.c_str());
    dir = path;
    for (char &c : dir)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (const char *sub : {"\\BDX", "\\BDX\\BIN", "\\BDX\\INCLUDE", "\\BDX\\LIB"})
        CreateDirectoryA((dir + sub).c_str(), nullptr);
    WriteFileText(dir + "\\BDX\\INCLUDE\\WINDOWS.H", "");
    settingsFile = dir + "\\SETTINGS.TXT";
    WriteFileText(settingsFile, "K\tSoftware\\\\bdx\\\\Compiler\nV\tincludepath\t" +
                                    Escaped(dir + "\\BDX\\include") + "\nK\tSoftware\\\\bdx\\\\Kelto\n");
}

KeltoApp::~KeltoApp() {
    if (Running()) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    RemoveTree(dir);
}

bool KeltoApp::Start(const std::string &arguments) {
    std::string exe = BuildPath("kelto.exe");
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    SetEnvironmentVariableA("KELTO_SETTINGS", settingsFile.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    BOOL started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  dir.c_str(), &si, &process);
    SetEnvironmentVariableA("KELTO_SETTINGS", nullptr);
    if (!started)
        return false;
    frame = WaitForWindow("clMDIFrame", process.dwProcessId, 30);
    if (!frame)
        return false;
    client = FindChild(frame, "MDIClient");
    Settle();
    return true;
}

bool KeltoApp::Running() const {
    return process.hProcess && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

int KeltoApp::WaitForExit(int seconds) {
    if (!process.hProcess || WaitForSingleObject(process.hProcess, seconds * 1000) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

int KeltoApp::Close(int seconds) {
    PostMessageA(frame, WM_CLOSE, 0, 0);
    return WaitForExit(seconds);
}

void KeltoApp::Command(int command) const { PostMessageA(frame, WM_COMMAND, static_cast<WPARAM>(command), 0); }

HWND KeltoApp::ActiveEditor() const {
    if (!client)
        return nullptr;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(client, WM_MDIGETACTIVE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return reinterpret_cast<HWND>(result);
}

void KeltoApp::Type(HWND window, const std::string &text) {
    for (char c : text)
        PostMessageA(window, WM_CHAR, c == '\n' ? 13 : static_cast<unsigned char>(c), 1);
}

void KeltoApp::Key(HWND window, int key, bool ctrl, bool shift) {
    // Modifiers need real keyboard input: the window gets the focus first.
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    INPUT inputs[6] = {};
    int n = 0;
    auto add = [&](WORD vk, bool up) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = vk;
        inputs[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        n++;
    };
    if (ctrl)
        add(VK_CONTROL, false);
    if (shift)
        add(VK_SHIFT, false);
    add(static_cast<WORD>(key), false);
    add(static_cast<WORD>(key), true);
    if (shift)
        add(VK_SHIFT, true);
    if (ctrl)
        add(VK_CONTROL, true);
    SendInput(n, inputs, sizeof(INPUT));
}

void KeltoApp::Settle() const {
    for (int i = 0; i < 3; i++) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        Sleep(100);
    }
}
