// Outside programs of the compiler system run to their end, and the application wizard that
// writes a new project's skeleton. The wizard gets the project on its command line and
// answers with a small file of "label:value" lines: the name it chose and up to two sources.
#include "project/Wizard.h"

#include <windows.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <vector>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Messages.h"
#include "platform/Files.h"
#include "project/Project.h"

namespace {

enum { kWizardLines = 3 };   // the name, then two files

// Waits for `process` to end. Meanwhile other programs (the wizard, make) may send messages
// to our windows and wait for the answer; only those sent messages are handled, so no input
// reaches the windows while the program runs. False when the wait itself fails.
bool WaitHandlingSentMessages(HANDLE process) {
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// RunAndWait, telling apart a program that could not be started.
int Run(const char *commandLine, int show, bool *started) {
    *started = false;
    if (!commandLine || !commandLine[0])
        return -1;
    // CreateProcessA may write into the command line.
    std::vector<char> line(commandLine, commandLine + strlen(commandLine) + 1);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process))
        return -1;
    *started = true;
    CloseHandle(process.hThread);
    DWORD code = 0;
    bool ok = WaitHandlingSentMessages(process.hProcess) && GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!ok) {
        ErrorBox(FormatScratch("Impossible to get the exit code for command\n%s", commandLine));
        return -1;
    }
    return static_cast<int>(code);
}

std::string Trimmed(const char *begin, const char *end) {
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        begin++;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r'))
        end--;
    return std::string(begin, end);
}

// Adds a generated file, relative to the project path when it lies below it.
void AddWizardFile(ProjectRecord *project, std::string file) {
    std::string base = project->path;
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    if (!base.empty() && file.size() > base.size() + 1 && file[base.size()] == '\\' &&
        strncasecmp(file.c_str(), base.c_str(), base.size()) == 0)
        file.erase(0, base.size() + 1);
    for (const std::string &known : project->files)
        if (strcasecmp(known.c_str(), file.c_str()) == 0)
            return;
    project->files.push_back(file);
}

} // namespace

int RunAndWait(const char *commandLine, int show) {
    bool started;
    return Run(commandLine, show, &started);
}

std::string WizardCommandLine(const ProjectRecord &project, const char *compilerRoot, unsigned long frame,
                              const char *outputFile) {
    std::string line = std::string(compilerRoot ? compilerRoot : "") + "\\bin\\wizard.exe /kelto:" +
                       std::to_string(frame) + " /prjname:" + project.name + " /prjpath:" + project.path +
                       " /out:" + (outputFile ? outputFile : "");
    if (project.compilerFlags & kTypeDll)
        line += " /dll";
    else if (project.compilerFlags & kTypeConsole)
        line += " /console";
    return line;
}

void ApplyWizardOutput(const char *text, ProjectRecord *project) {
    if (!text || !project)
        return;
    const char *p = text;
    const char *end = text + strnlen(text, kProjectWizardOutput);
    for (int line = 1; line <= kWizardLines && p < end; line++) {
        const char *newline = static_cast<const char *>(memchr(p, '\n', end - p));
        const char *stop = newline ? newline : end;
        const char *colon = static_cast<const char *>(memchr(p, ':', stop - p));
        std::string value = colon ? Trimmed(colon + 1, stop) : std::string();
        p = newline ? newline + 1 : end;
        if (value.empty())
            continue;
        if (line == 1)
            project->name = value;
        else
            AddWizardFile(project, value);
    }
}

int RunWizard(ProjectRecord *project) {
    const char *root = g_app ? g_app->compilerRoot : "";
    std::string program = std::string(root) + "\\bin\\wizard.exe";
    if (!FileExists(program.c_str())) {
        ErrorBox(FormatScratch("Impossible to start %s", program.c_str()));
        return -1;
    }
    char temp[L_tmpnam + 1] = "";
    if (!tmpnam(temp)) {
        ErrorBox("Impossible to create a temporary file name");
        return -1;
    }
    std::string outputFile = temp;
    size_t cut = outputFile.find_last_of("\\/");
    if (cut != std::string::npos)
        outputFile.erase(0, cut + 1);
    outputFile = MakeFullPath(outputFile);
    HWND frame = g_app ? g_app->frameWindow : nullptr;
    std::string command = WizardCommandLine(*project, root, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(frame)),
                                            outputFile.c_str());
    if (frame)
        ShowWindow(frame, SW_MINIMIZE);
    bool started;
    int code = Run(command.c_str(), SW_SHOWNORMAL, &started);
    if (frame)
        ShowWindow(frame, SW_RESTORE);
    if (!started) {
        ErrorBox(FormatScratch("Impossible to start %s", program.c_str()));
        return -1;
    }
    int file = OpenRead(outputFile.c_str());
    if (file != kNoFile) {
        std::vector<char> text(kProjectWizardOutput + 1, '\0');
        long n = ReadBytes(file, text.data(), kProjectWizardOutput);
        CloseFile(file);
        RemoveFile(outputFile.c_str());
        if (n > 0)
            ApplyWizardOutput(text.data(), project);
    }
    return code;
}
