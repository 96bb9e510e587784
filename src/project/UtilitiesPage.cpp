#include "project/UtilitiesPage.h"

#include <windows.h>

#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "base/WorkspacePageIds.h"
#include "platform/UiPort.h"
#include "project/ProjectCommands.h"
#include "project/Utilities.h"
#include "ui/OutputWindow.h"

namespace {

// A field cut to what the utility record holds.
std::string Bounded(const std::string &text, size_t size) { return text.substr(0, size - 1); }

void UtilitiesChanged() {
    if (g_projectHooks.utilitiesChanged)
        g_projectHooks.utilitiesChanged();
}

// ---- The page ----

void ShowFields(HWND page, const UtilityFields &fields) {
    SetItemText(page, IDC_UTIL_NAME, fields.name);
    SetItemText(page, IDC_UTIL_PROGRAM, fields.program);
    SetItemText(page, IDC_UTIL_ARGUMENTS, fields.arguments);
    SetItemText(page, IDC_UTIL_DIRECTORY, fields.directory);
}

// The list in the order of the Utils menu, with `selected` chosen.
void FillList(HWND page, const Utility *selected) {
    HWND list = GetDlgItem(page, IDC_UTIL_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int index = 0;
    for (const Utility *tool = g_utilities; tool; tool = tool->next, index++) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tool->nickname));
        if (tool == selected)
            SendMessageA(list, LB_SETCURSEL, index, 0);
    }
}

void Show(HWND page) {
    FillList(page, nullptr);
    SendDlgItemMessageA(page, IDC_UTIL_NAME, EM_LIMITTEXT, kUtilityNameSize - 1, 0);
    for (int id : {IDC_UTIL_PROGRAM, IDC_UTIL_ARGUMENTS, IDC_UTIL_DIRECTORY})
        SendDlgItemMessageA(page, id, EM_LIMITTEXT, kUtilityTextSize - 1, 0);
}

void Command(HWND page, int id) {
    switch (id) {
    case IDC_UTIL_LIST: {
        LRESULT chosen = SendDlgItemMessageA(page, IDC_UTIL_LIST, LB_GETCURSEL, 0, 0);
        const Utility *tool = g_utilities;
        for (LRESULT i = 0; tool && i < chosen; i++)
            tool = tool->next;
        if (chosen >= 0 && tool)
            ShowFields(page, UtilityFieldsOf(*tool));
        break;
    }
    case IDC_UTIL_CHANGE: {
        UtilityFields fields;
        fields.name = ItemText(page, IDC_UTIL_NAME);
        fields.program = ItemText(page, IDC_UTIL_PROGRAM);
        fields.arguments = ItemText(page, IDC_UTIL_ARGUMENTS);
        fields.directory = ItemText(page, IDC_UTIL_DIRECTORY);
        if (Utility *tool = ChangeOrAddUtility(fields))
            FillList(page, tool);
        break;
    }
    case IDC_UTIL_DELETE:
        if (DeleteUtility(ItemText(page, IDC_UTIL_NAME))) {
            FillList(page, nullptr);
            ShowFields(page, UtilityFields());
        }
        break;
    case IDC_UTIL_BROWSE: {
        std::string program;
        if (BrowseUtilityProgram(&program))
            SetItemText(page, IDC_UTIL_PROGRAM, program);
        break;
    }
    }
}

bool Apply(HWND) { return true; }

const PageHandlers kHandlers = {Show, Apply, Command};

} // namespace

UtilityFields UtilityFieldsOf(const Utility &tool) {
    UtilityFields fields;
    fields.name = tool.nickname;
    fields.program = tool.program;
    fields.arguments = tool.arguments;
    fields.directory = tool.startDirectory;
    return fields;
}

Utility *ChangeOrAddUtility(const UtilityFields &fields) {
    std::string name = Bounded(fields.name, kUtilityNameSize);
    std::string program = Bounded(fields.program, kUtilityTextSize);
    std::string arguments = Bounded(fields.arguments, kUtilityTextSize);
    std::string directory = Bounded(fields.directory, kUtilityTextSize);
    if (name.empty() || program.empty()) {
        ErrorBox("A utility needs a menu name and a program");
        return nullptr;
    }
    Utility *tool = FindUtility(name.c_str());
    if (!tool) {
        unsigned short id = NewUtilityId();
        if (id == 0) {
            ErrorBox(FormatScratch("There is no room for more than %d utilities", IDM_LAST_TOOL - IDM_FIRST_TOOL + 1));
            return nullptr;
        }
        tool = AddUtility(name.c_str(), program.c_str(), arguments.c_str(), directory.c_str(), id);
        if (!tool) {
            NoMemory();
            return nullptr;
        }
    } else if (!SetUtilityCommand(tool, program.c_str(), arguments.c_str(), directory.c_str())) {
        NoMemory();
        return nullptr;
    }
    UtilitiesChanged();
    return tool;
}

bool DeleteUtility(const std::string &name) {
    Utility *tool = FindUtility(name.c_str());
    if (!tool) {
        ErrorBox(FormatScratch("Can't find utility %s", name.c_str()));
        return false;
    }
    AddOutputLine(FormatScratch("Utility [%s] erased", tool->nickname));
    RemoveUtility(tool);
    UtilitiesChanged();
    return true;
}

bool BrowseUtilityProgram(std::string *program) {
    char path[kUtilityTextSize] = "";
    if (!CurrentUiPort()->AskFileName(false, "Open executable", "*.exe\0*.exe\0", path, sizeof path))
        return false;
    *program = LowerCase(path);
    return true;
}

PROPSHEETPAGEA UtilitiesPageSheet() { return MakePage(IDD_PAGE_UTILITIES, nullptr, &kHandlers, kPageSheet); }
