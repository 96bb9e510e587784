#include "AppDriver.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tlhelp32.h>

#include <functional>
#include <type_traits>

namespace {

// Asks `done` every 50 ms until it holds; false when it did not within `seconds`.
bool Poll(const std::function<bool()> &done, int seconds) {
    for (int i = 0; i < seconds * 20; i++, Sleep(50))
        if (done())
            return true;
    return done();
}

// A visible window of process `pid` with class `className` and title `title` (null: any).
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
    Poll([&search] { return !EnumWindows(Match, reinterpret_cast<LPARAM>(&search)) && search.found; }, seconds);
    return search.found;
}

// Escapes a text for the settings file: backslashes, tabs and line ends.
std::string Escaped(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

} // namespace

HWND FindChild(HWND parent, const char *className) {
    Search search = {className, nullptr, 0, nullptr};
    GetWindowThreadProcessId(parent, &search.pid);
    EnumChildWindows(parent, Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

namespace {

BOOL CALLBACK CollectStatic(HWND window, LPARAM param) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    std::string text = WindowText(window);
    std::string *all = reinterpret_cast<std::string *>(param);
    if (_stricmp(name, "Static") == 0 && !text.empty())
        *all += (all->empty() ? "" : "\n") + text;
    return TRUE;
}

} // namespace

std::string BoxText(HWND box) {
    std::string all;
    EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&all));
    return all;
}

bool WaitGone(HWND window, int seconds) {
    return Poll([window] { return !IsWindow(window); }, seconds);
}

bool Answer(HWND dialog, int id, int seconds) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return WaitGone(dialog, seconds);
}

KeltoApp::KeltoApp(const std::string &name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%sKA_%lu_%s", temp, GetCurrentProcessId(), name.c_str());
    dir = CharUpperA(path);
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (const char *sub : {"\\BDX", "\\BDX\\BIN", "\\BDX\\INCLUDE", "\\BDX\\LIB"})
        CreateDirectoryA((dir + sub).c_str(), nullptr);
    WriteWholeFile(dir + "\\BDX\\INCLUDE\\WINDOWS.H", "");
    settingsFile = dir + "\\SETTINGS.TXT";
    WriteWholeFile(settingsFile, "K\tSoftware\\\\bdx\\\\Compiler\nV\tincludepath\t" +
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
    frame = Wait(Search{"clMDIFrame", nullptr, process.dwProcessId, nullptr}, 30);
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

void KeltoApp::Key(HWND window, int key, bool ctrl, bool shift, bool alt) {
    // Modifiers need real keyboard input: the window gets the focus first.
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    INPUT inputs[8] = {};
    int n = 0;
    auto add = [&](WORD vk, bool up) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = vk;
        inputs[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        n++;
    };
    const WORD modifiers[] = {static_cast<WORD>(ctrl ? VK_CONTROL : 0), static_cast<WORD>(shift ? VK_SHIFT : 0),
                              static_cast<WORD>(alt ? VK_MENU : 0)};
    for (WORD vk : modifiers)   // down in order, up in reverse
        if (vk)
            add(vk, false);
    add(static_cast<WORD>(key), false);
    add(static_cast<WORD>(key), true);
    for (int i = 2; i >= 0; i--)
        if (modifiers[i])
            add(modifiers[i], true);
    SendInput(n, inputs, sizeof(INPUT));
}

namespace {

BOOL CALLBACK CollectEditor(HWND window, LPARAM param) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "clMDIDocument") == 0)
        reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> KeltoApp::Editors() const {
    std::vector<HWND> editors;
    if (client)
        EnumChildWindows(client, CollectEditor, reinterpret_cast<LPARAM>(&editors));
    return editors;
}

bool KeltoApp::WaitForEditors(size_t count, int seconds) const {
    return Poll([this, count] { return Editors().size() == count; }, seconds);
}

HWND KeltoApp::Editor(const std::string &title) const {
    for (HWND window : Editors())
        if (WindowText(window) == title)
            return window;
    return nullptr;
}

HWND KeltoApp::WaitForBox(const char *title, int seconds) const {
    return Wait(Search{nullptr, title, process.dwProcessId, nullptr}, seconds);
}

bool KeltoApp::AnswerBox(const char *title, const std::string &text, int id) const {
    HWND box = WaitForBox(title);
    EXPECT_EQ(text, box ? BoxText(box) : "<no box \"" + std::string(title) + "\">");
    return box && Answer(box, id);
}

HWND KeltoApp::OpenDialog(int command, const char *title) const {
    Command(command);
    HWND dialog = WaitForBox(title);
    EXPECT_TRUE(dialog != nullptr) << title;
    return dialog;
}

void SetText(HWND dialog, int id, const char *text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// The controls are Unicode windows: asked from another process, only the W message converts.
std::string DialogText(HWND dialog, int id) {
    wchar_t wide[300] = L"";
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 300, reinterpret_cast<LPARAM>(wide));
    char text[300] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        // Read as Unicode: Wine hands another process only the first character of the ANSI text.
        wchar_t wide[2048] = L"";
        char text[2048] = "";
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 2048)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        items.push_back(text);
    }
    return items;
}

namespace {

// Menus belong to their process under Wine: another process cannot read them, not even their
// handles. A probe is copied into kelto.exe and run there on a thread of its own.
struct MenuProbe {
    HWND frame;
    UINT command;   // the submenu that holds it
    HMENU(WINAPI *getMenu)(HWND);
    HMENU(WINAPI *getSubMenu)(HMENU, int);
    int(WINAPI *getCount)(HMENU);
    UINT(WINAPI *getId)(HMENU, int);
    UINT(WINAPI *getState)(HMENU, UINT, UINT);
    int(WINAPI *getString)(HMENU, UINT, LPSTR, int, UINT);
    int count;
    struct {
        UINT id;
        UINT state;
        char text[96];
    } items[48];
};

// Copied as it is: it calls only the functions it is given and uses no global data.
DWORD WINAPI ProbeMenu(LPVOID parameter) {
    MenuProbe *probe = static_cast<MenuProbe *>(parameter);
    HMENU bar = probe->getMenu(probe->frame);
    HMENU menu = nullptr;
    for (int i = 0, n = probe->getCount(bar); i < n && !menu; i++) {
        HMENU submenu = probe->getSubMenu(bar, i);
        if (submenu && probe->getState(submenu, probe->command, MF_BYCOMMAND) != static_cast<UINT>(-1))
            menu = submenu;
    }
    int count = menu ? probe->getCount(menu) : -1;
    if (count > 48)
        count = 48;
    for (int i = 0; i < count; i++) {
        probe->items[i].id = probe->getId(menu, i);
        probe->items[i].state = probe->getState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        probe->getString(menu, static_cast<UINT>(i), probe->items[i].text, 96, MF_BYPOSITION);
    }
    probe->count = count;
    return 0;
}

// The base of `module` in process `pid`.
BYTE *RemoteModuleBase(DWORD pid, const char *module) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    BYTE *base = nullptr;
    for (BOOL more = Module32First(snapshot, &entry); more && !base; more = Module32Next(snapshot, &entry))
        if (_stricmp(entry.szModule, module) == 0)
            base = entry.modBaseAddr;
    CloseHandle(snapshot);
    return base;
}

} // namespace

std::vector<MenuItem> KeltoApp::MenuItems(UINT command) const {
    std::vector<MenuItem> items;
    DWORD_PTR result = 0;
    // A top-level window's id is its menu.
    SendMessageTimeoutA(frame, WM_INITMENU, static_cast<WPARAM>(GetWindowLongPtrA(frame, GWLP_ID)), 0,
                        SMTO_ABORTIFHUNG, 5000, &result);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    BYTE *remoteUser32 = RemoteModuleBase(process.dwProcessId, "user32.dll");
    if (!user32 || !remoteUser32)
        return items;
    // The same function, at the same offset in the other process's user32.
    auto there = [&](auto &function, const char *name) {
        BYTE *here = reinterpret_cast<BYTE *>(GetProcAddress(user32, name));
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            remoteUser32 + (here - reinterpret_cast<BYTE *>(user32)));
    };
    static MenuProbe probe;
    probe = MenuProbe();
    probe.frame = frame;
    probe.command = command;
    there(probe.getMenu, "GetMenu");
    there(probe.getSubMenu, "GetSubMenu");
    there(probe.getCount, "GetMenuItemCount");
    there(probe.getId, "GetMenuItemID");
    there(probe.getState, "GetMenuState");
    there(probe.getString, "GetMenuStringA");
    probe.count = -1;
    // The code: up to 1 KB from the function's start, within its memory region.
    const BYTE *code = reinterpret_cast<const BYTE *>(&ProbeMenu);
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery(code, &region, sizeof region))
        return items;
    SIZE_T codeSize = static_cast<SIZE_T>(static_cast<const BYTE *>(region.BaseAddress) + region.RegionSize - code);
    if (codeSize > 1024)
        codeSize = 1024;
    BYTE *remote = static_cast<BYTE *>(
        VirtualAllocEx(process.hProcess, nullptr, 1024 + sizeof probe, MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    if (!remote)
        return items;
    if (WriteProcessMemory(process.hProcess, remote, code, codeSize, nullptr) &&
        WriteProcessMemory(process.hProcess, remote + 1024, &probe, sizeof probe, nullptr)) {
        HANDLE thread = CreateRemoteThread(process.hProcess, nullptr, 0,
                                           reinterpret_cast<LPTHREAD_START_ROUTINE>(remote), remote + 1024, 0,
                                           nullptr);
        if (thread) {
            if (WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0 &&
                ReadProcessMemory(process.hProcess, remote + 1024, &probe, sizeof probe, nullptr))
                for (int i = 0; i < probe.count; i++)
                    items.push_back({probe.items[i].id, probe.items[i].state, probe.items[i].text});
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
    return items;
}

void KeltoApp::AddSetting(const std::string &name, const std::string &value) {
    // The settings file ends with the program's key: a value line belongs to it.
    WriteWholeFile(settingsFile,
                  ReadWholeFile(settingsFile) + "V\t" + Escaped(name) + "\t" + Escaped(value) + "\n");
}

void KeltoApp::AddKey(const std::string &name) {
    WriteWholeFile(settingsFile, ReadWholeFile(settingsFile) + "K\t" + Escaped("Software\\bdx\\Kelto\\" + name) + "\n");
}

void KeltoApp::Settle() const {
    for (int i = 0; i < 3; i++) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        Sleep(100);
    }
}

std::string FileBecomes(const std::string &path, const std::string &expected) {
    std::string text;
    Poll([&] { return (text = ReadWholeFile(path)) == expected; }, 5);
    return text;
}
