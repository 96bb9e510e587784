#include "support/TestSupport.h"

#include "app/Frame.h"
#include "editor/EditorHooks.h"
#include "editor/Search.h"
#include "project/Project.h"
#include "ui/OutputWindow.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/AppState.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Document.h"

namespace {

// The next answer of a queue, or `otherwise` when it is empty.
int Next(std::deque<int> &answers, int otherwise) {
    if (answers.empty())
        return otherwise;
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

// The next path of a queue into `path`; false when there is none or it is empty (cancelled).
bool NextPath(std::deque<std::string> &paths, char *path, int size) {
    if (paths.empty())
        return false;
    std::string next = paths.front();
    paths.pop_front();
    if (next.empty())
        return false;
    snprintf(path, size, "%s", next.c_str());
    return true;
}

} // namespace

int RecordingUiPort::ShowBox(BoxOwner owner, const char *text, const char *title,
                             unsigned style) {
    boxes.push_back({text, title ? title : "", style, owner});
    if (whileShown)
        whileShown();
    return Next(answers, (style & kBoxYesNo) ? kAnswerNo : kAnswerOk);
}

bool RecordingUiPort::AskFileName(bool, const char *title, const char *filter, char *path, int size) {
    // A filter is pairs of texts, each ending with a zero byte, closed by an empty text.
    std::string shown = std::string(title) + ":";
    for (const char *p = filter; p && *p; p += strlen(p) + 1)
        shown += std::string(" ") + p;
    fileDialogs.push_back(shown);
    return NextPath(fileNames, path, size);
}

bool RecordingUiPort::ChooseFontFor(FontChoice *font) {
    fontsShown.push_back(*font);
    if (fontAnswers.empty())
        return false;
    *font = fontAnswers.front();
    fontAnswers.pop_front();
    return true;
}

bool RecordingUiPort::ChooseColour(unsigned long *colour) {
    coloursShown.push_back(*colour);
    if (colourAnswers.empty())
        return false;
    *colour = colourAnswers.front();
    colourAnswers.pop_front();
    return true;
}

bool RecordingUiPort::AskText(const char *prompt, char *text, int size, const char *title) {
    prompts.push_back(std::string(title ? title : "") + ": " + prompt);
    if (textAnswers.empty())
        return false;
    snprintf(text, static_cast<size_t>(size), "%s", textAnswers.front().c_str());
    textAnswers.pop_front();
    return true;
}

bool RecordingUiPort::AskDirectory(const char *prompt, const char *, char *path, int size) {
    directoryPrompts.push_back(prompt);
    return NextPath(directories, path, size);
}

int RecordingUiPort::ShowFileList(int dialogId, const char *const *files, int count) {
    std::vector<std::string> list{std::to_string(dialogId)};
    list.insert(list.end(), files, files + count);
    fileLists.push_back(list);
    return Next(fileListAnswers, 2);
}

bool RecordingUiPort::AskFileProcessor(const char *input, std::string *command, std::string *output) {
    processorInputs.push_back(input);
    if (processorAnswers.empty())
        return false;
    *command = processorAnswers.front().first;
    *output = processorAnswers.front().second;
    processorAnswers.pop_front();
    return true;
}

int RecordingUiPort::AskReplace() {
    replaceQuestions++;
    return Next(replaceAnswers, 2);
}

int RecordingUiPort::ChooseFromList(const char *title, const char *const *items, int count, const char *okText) {
    lastOkText = okText ? okText : "";
    std::vector<std::string> list{title};
    list.insert(list.end(), items, items + count);
    lists.push_back(list);
    return Next(choices, -1);
}

bool RecordingUiPort::SelectFiles(const char *, std::vector<std::string> *files) {
    selectionsShown.push_back(*files);
    if (fileSelections.empty())
        return false;
    *files = fileSelections.front();
    fileSelections.pop_front();
    return true;
}

std::vector<std::string> RecordingUiPort::Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox &box : boxes)
        texts.push_back(box.text);
    return texts;
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

void KeltoTest::SetUp() {
    SetUiPort(&ui);
    // Every record of the program's state starts afresh.
    NewAppState();
    NewEditorState();
    ResetEditorHooks();
    ResetSearchState();
    ResetOutputState();
    ResetFrameState();
    ClearProject();
    g_userName.clear();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%skt_%lu_%s", temp, GetCurrentProcessId(), info->name());
    dir = name;
    UpperCase(&dir[0]);
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
}

void KeltoTest::TearDown() {
    ClearProject();
    ResetFrameState();
    ResetOutputState();
    FreeEditorState();
    FreeAppState();
    SetUiPort(nullptr);
    RemoveTree(dir);
}

std::string KeltoTest::PathOf(const std::string &name) const {
    std::string path = dir + "\\" + name;
    UpperCase(&path[0]);
    return path;
}

std::string ReadWholeFile(const std::string &path) {
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, n);
    fclose(f);
    return bytes;
}

void WriteWholeFile(const std::string &path, const std::string &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f != nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

bool PathExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SourcePath(const std::string &relative) {
    const char *source = getenv("KELTO_SOURCE");
    std::string path;
    if (source) {
        path = std::string(source) + "/" + relative;
    } else {
        path = __FILE__;   // tests/support/TestSupport.cpp, by its full path
        path = path.substr(0, path.rfind("tests")) + relative;
    }
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string BuildPath(const char *relative) {
    const char *bin = getenv("KELTO_BIN");
    std::string path = bin ? std::string("Z:") + bin + "/" + relative : relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

CapturedRun RunCaptured(const std::string &commandLine, const std::string &directory, bool pump, int seconds) {
    char temp[MAX_PATH], outName[MAX_PATH], errName[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "krc", 0, outName);
    GetTempFileNameA(temp, "krc", 0, errName);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outName, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errName, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi;
    std::string line = commandLine;
    CapturedRun run;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(), &si, &pi)) {
        DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
        bool ended = false;
        for (;;) {
            DWORD left = deadline - GetTickCount();
            if (static_cast<int>(left) <= 0)
                break;
            DWORD woken = pump ? MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, left, QS_ALLINPUT)
                               : WaitForSingleObject(pi.hProcess, left);
            if (woken == WAIT_OBJECT_0) {
                ended = true;
                break;
            }
            MSG msg;
            while (pump && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        DWORD code = 0;
        if (!ended)
            TerminateProcess(pi.hProcess, 99);
        else if (GetExitCodeProcess(pi.hProcess, &code))
            run.code = static_cast<int>(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadWholeFile(outName);
    run.err = ReadWholeFile(errName);
    DeleteFileA(outName);
    DeleteFileA(errName);
    return run;
}
