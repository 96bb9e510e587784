#include "project/Utilities.h"

#include <string.h>

#include "base/CommandIds.h"
#include "base/Memory.h"
#include "settings/Settings.h"

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

Utility *FindUtility(const char *nickname) {
    for (Utility *tool = g_utilities; tool; tool = tool->next)
        if (strcmp(tool->nickname, nickname) == 0)
            return tool;
    return nullptr;
}

bool SetUtilityCommand(Utility *tool, const char *program, const char *arguments, const char *startDirectory) {
    char *newProgram = DupString(program);
    char *newArguments = DupString(arguments);
    char *newDirectory = DupString(startDirectory);
    if (!newProgram || !newArguments || !newDirectory) {
        Release(newProgram);
        Release(newArguments);
        Release(newDirectory);
        return false;
    }
    Release(tool->program);
    Release(tool->arguments);
    Release(tool->startDirectory);
    tool->program = newProgram;
    tool->arguments = newArguments;
    tool->startDirectory = newDirectory;
    return true;
}

void RemoveUtility(Utility *tool) {
    for (Utility **link = &g_utilities; *link; link = &(*link)->next) {
        if (*link == tool) {
            *link = tool->next;
            FreeUtility(tool);
            return;
        }
    }
}

static bool UtilityIdUsed(int id) {
    for (Utility *tool = g_utilities; tool; tool = tool->next)
        if (tool->id == id)
            return true;
    return false;
}

unsigned short NewUtilityId() {
    int count = 0;
    for (Utility *tool = g_utilities; tool; tool = tool->next)
        count++;
    // The count alone repeats an identifier still in use once an earlier utility was deleted.
    int id = IDM_FIRST_TOOL + count;
    if (id <= IDM_LAST_TOOL && !UtilityIdUsed(id))
        return static_cast<unsigned short>(id);
    for (id = IDM_FIRST_TOOL; id <= IDM_LAST_TOOL; id++)
        if (!UtilityIdUsed(id))
            return static_cast<unsigned short>(id);
    return 0;
}

// ---- Settings ----

namespace {

void LoadUtilities() {
    FreeUtilities();
    long count = ReadIntSetting("NumberOfUtilities", 0);
    if (count > kMaxListCount)
        count = kMaxListCount;
    // From the last down, each to the head: the stored order survives. A count larger than
    // the elements present passes over the missing top ones.
    bool found = false;
    for (long i = count; i >= 1; i--) {
        int n = static_cast<int>(i);
        SettingBuffer nick, program, arguments, directory;
        if (!ReadSetting(SettingName("Util%dNickname", n), nick) ||
            !ReadSetting(SettingName("Util%dProgname", n), program) ||
            !ReadSetting(SettingName("Util%dProgArgs", n), arguments) ||
            !ReadSetting(SettingName("Util%dStartDir", n), directory)) {
            if (found)
                break;
            continue;
        }
        found = true;
        long id = ReadIntSetting(SettingName("Util%dID", n), 0);
        AddUtility(nick, program, arguments, directory, static_cast<unsigned short>(id));
    }
}

bool SaveUtilities() {
    int count = 0;
    for (Utility *tool = g_utilities; tool; tool = tool->next)
        count++;
    if (!WriteIntSetting("NumberOfUtilities", count))
        return false;
    int n = 1;
    for (Utility *tool = g_utilities; tool; tool = tool->next, n++) {
        if (!WriteSetting(SettingName("Util%dNickname", n), tool->nickname) ||
            !WriteSetting(SettingName("Util%dProgname", n), tool->program) ||
            !WriteSetting(SettingName("Util%dProgArgs", n), tool->arguments) ||
            !WriteSetting(SettingName("Util%dStartDir", n), tool->startDirectory) ||
            !WriteIntSetting(SettingName("Util%dID", n), tool->id))
            return false;
    }
    return true;
}

} // namespace

const SettingField g_projectSettingFields[] = {
    CustomField("NumberOfUtilities", 190, FreeUtilities, LoadUtilities, SaveUtilities),
};
const int g_projectSettingFieldCount = sizeof g_projectSettingFields / sizeof g_projectSettingFields[0];
