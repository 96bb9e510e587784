#include "project/Utilities.h"

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
