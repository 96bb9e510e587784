#include "project/Utilities.h"

#include "base/Memory.h"

Utility *g_utilities;

static void FreeUtility(Utility *tool) {
    Release(tool->nickname);
    Release(tool->program);
    Release(tool->arguments);
    Release(tool->startDirectory);
    Release(tool);
}

Utility *AddUtility(const char *nickname, const char *program, const char *arguments,
                    const char *startDirectory, unsigned short id) {
    Utility *tool = static_cast<Utility *>(Allocate(sizeof(Utility)));
    if (!tool)
        return nullptr;
    tool->nickname = DupString(nickname);
    tool->program = DupString(program);
    tool->arguments = DupString(arguments);
    tool->startDirectory = DupString(startDirectory);
    tool->id = id;
    if (!tool->nickname || !tool->program || !tool->arguments || !tool->startDirectory) {
        FreeUtility(tool);
        return nullptr;
    }
    tool->next = g_utilities;
    g_utilities = tool;
    return tool;
}

void FreeUtilities() {
    while (Utility *tool = g_utilities) {
        g_utilities = tool->next;
        FreeUtility(tool);
    }
}
