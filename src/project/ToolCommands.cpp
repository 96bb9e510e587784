#include "project/ToolCommands.h"

#include <windows.h>
#include <stdio.h>

#include "base/Boxes.h"
#include "base/Commands.h"
#include "base/CommandIds.h"
#include "base/Messages.h"
#include "platform/Files.h"
#include "project/Utilities.h"

bool StartProgram(const char *program, const char *arguments, const char *directory, bool requireDirectory) {
    char saved[400] = "";
    CurrentDirectory(saved, sizeof saved);
    bool moved = directory && directory[0] && SetDirectory(directory) == 0;
    if (directory && directory[0] && !moved && requireDirectory)
        return false;
    char commandLine[1100];
    snprintf(commandLine, sizeof commandLine, "%s %s", program, arguments);
    UINT started = WinExec(commandLine, SW_SHOWNORMAL);
    if (moved)
        SetDirectory(saved);
    if (started < 32)
        ErrorBox(FormatScratch("Impossible to start %s", program));
    return true;
}

namespace {

// A user tool: its program with its arguments, in its start directory.
void ToolCommand(int command, intptr_t) {
    for (Utility *tool = g_utilities; tool; tool = tool->next) {
        if (tool->id != command)
            continue;
        StartProgram(tool->program, tool->arguments, tool->startDirectory, false);
        return;
    }
}

} // namespace

void RegisterToolCommands() {
    for (int command = IDM_FIRST_TOOL; command <= IDM_LAST_TOOL; command++)
        RegisterHandler(command, ToolCommand);
}
