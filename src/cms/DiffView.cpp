// The comparison commands of the Utils menu and the two-file view: both files side by side, the
// lines of the current change selected in each, Next and Previous to step, and for a merge the
// choice of the text each change keeps. With "Assume C Syntax" the function view comes first:
// the functions of both files with what happened to each, the changes of the one selected, and
// the two-file view on its first change at a button's press.
#include "cms/DiffView.h"

#include <windows.h>
#include <stdio.h>
#include <time.h>

#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/DiffIds.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "cms/DiffFiles.h"
#include "cms/DiffFunctions.h"
#include "editor/Document.h"
#include "platform/DialogParameter.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "ui/Dialogs.h"
#include "ui/OutputWindow.h"
#include "ui/Pages.h"

namespace {

const char kNoPatchSums[] = "@\n         0          0\n";

DiffRequestFields g_lastRequest;   // the dialog starts from the last request

struct ViewData {
    DiffSession *session;
    bool merge;
    std::string output;
};

void SelectLines(HWND list, long first, long count) {
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    if (count > 0)
        SendMessageA(list, LB_SELITEMRANGE, TRUE, MAKELPARAM(first, first + count - 1));
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(first > 3 ? first - 3 : 0), 0);
}

void ShowChange(HWND dialog, const ViewData *data) {
    const DiffSession &s = *data->session;
    SetItemText(dialog, IDC_VIEW_STATUS, DiffStatus(s));
    if (s.current < 0)
        return;
    const DiffChange &change = s.changes[s.current];
    long deleted = change.deleted, inserted = change.inserted;
    if (deleted > kMaxShownLines || inserted > kMaxShownLines) {
        ShowBlueMessage(kTooManyLinesText);
        deleted = deleted > kMaxShownLines ? kMaxShownLines : deleted;
        inserted = inserted > kMaxShownLines ? kMaxShownLines : inserted;
    }
    // Where nothing is deleted or inserted, the line beside the change is shown.
    SelectLines(GetDlgItem(dialog, IDC_VIEW_LEFT), deleted ? change.firstDeleted - 1 : change.insertAfter, deleted);
    SelectLines(GetDlgItem(dialog, IDC_VIEW_RIGHT), inserted ? change.firstInserted - 1 : change.firstInserted, inserted);
    bool right = s.useRight[s.current] != 0;
    SetChecked(dialog, IDC_VIEW_USE_LEFT, !right);
    SetChecked(dialog, IDC_VIEW_USE_RIGHT, right);
}

void Fill(HWND list, const std::vector<std::string> &lines) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    char text[320];
    for (size_t i = 0; i < lines.size(); i++) {
        snprintf(text, sizeof text, "%5lu  %.300s", static_cast<unsigned long>(i + 1), lines[i].c_str());
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

INT_PTR CALLBACK ViewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ViewData *data = DialogParameter<ViewData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowTextA(dialog, (data->session->firstPath + " - " + data->session->secondPath).c_str());
        HFONT font = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
        for (int id : {IDC_VIEW_LEFT, IDC_VIEW_RIGHT})
            SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        Fill(GetDlgItem(dialog, IDC_VIEW_LEFT), data->session->first);
        Fill(GetDlgItem(dialog, IDC_VIEW_RIGHT), data->session->second);
        for (int id : {IDC_VIEW_USE_LABEL, IDC_VIEW_USE_LEFT, IDC_VIEW_USE_RIGHT, IDC_VIEW_MERGE})
            ShowWindow(GetDlgItem(dialog, id), data->merge ? SW_SHOW : SW_HIDE);
        std::string ignored;
        StepDiff(data->session, 1, &ignored);
        ShowChange(dialog, data);
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDC_VIEW_NEXT || id == IDC_VIEW_PREVIOUS) {
            std::string text;
            if (!StepDiff(data->session, id == IDC_VIEW_NEXT ? 1 : -1, &text))
                InfoBox(text.c_str());
            ShowChange(dialog, data);
            return TRUE;
        }
        if ((id == IDC_VIEW_USE_LEFT || id == IDC_VIEW_USE_RIGHT) && data->session->current >= 0) {
            data->session->useRight[data->session->current] = id == IDC_VIEW_USE_RIGHT;
            return TRUE;
        }
        if (id == IDC_VIEW_MERGE) {
            if (FinishMerge(*data->session, data->output))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        break;
    }
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

// Shows the two-file view of a comparison (for a merge, writing `output` at its end).
void ShowView(DiffSession *session, bool merge, const std::string &output) {
    ViewData data = {session, merge, output};
    RunDialog(ViewProc, IDD_DIFF_VIEW, reinterpret_cast<LPARAM>(&data));
}

struct FunctionViewData {
    DiffSession *session;
    FunctionComparison comparison;
    std::string firstName, secondName;   // the files as the details name them
};

// A file's name without its directory.
std::string BaseName(const std::string &path) { return path.substr(path.find_last_of("\\/:") + 1); }

const FunctionGroup *SelectedGroup(HWND dialog, const FunctionViewData *data) {
    LRESULT index = SendDlgItemMessageA(dialog, IDC_FUNCS_LIST, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || index >= static_cast<LRESULT>(data->comparison.groups.size()))
        return nullptr;
    return &data->comparison.groups[static_cast<size_t>(index)];
}

void ShowGroup(HWND dialog, const FunctionViewData *data) {
    const FunctionGroup *group = SelectedGroup(dialog, data);
    const DiffSession &s = *data->session;
    SetItemText(dialog, IDC_FUNCS_DETAILS,
                group ? FunctionDetails(*group, data->firstName, data->secondName, s.first, s.second) : std::string());
}

// The two-file view on the first change of the selected function; a function without changes
// is said to be so.
void ShowGroupInBothFiles(HWND dialog, FunctionViewData *data) {
    const FunctionGroup *group = SelectedGroup(dialog, data);
    if (!group)
        return;
    if (group->state == kFunctionUnchanged) {
        InfoBox(FunctionDetails(*group, "", "", {}, {}).c_str());
        return;
    }
    if (group->pieces.empty())
        return;   // added or removed, but every line of it matches a line of the other file
    data->session->current = group->pieces.front().change - 1;   // the view steps onto it
    ShowView(data->session, false, "");
}

INT_PTR CALLBACK FunctionViewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    FunctionViewData *data = DialogParameter<FunctionViewData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowTextA(dialog, ("C functions: " + data->session->firstPath + " - " + data->session->secondPath).c_str());
        SendDlgItemMessageA(dialog, IDC_FUNCS_DETAILS, WM_SETFONT,
                            reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
        SendDlgItemMessageA(dialog, IDC_FUNCS_DETAILS, EM_SETLIMITTEXT, 0, 0);
        int tab = 44;   // dialog units: after the longest state word
        SendDlgItemMessageA(dialog, IDC_FUNCS_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
        for (const FunctionGroup &group : data->comparison.groups)
            SendDlgItemMessageA(dialog, IDC_FUNCS_LIST, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(FunctionLabel(group).c_str()));
        SendDlgItemMessageA(dialog, IDC_FUNCS_LIST, LB_SETCURSEL, 0, 0);
        SetItemText(dialog, IDC_FUNCS_STATS, FunctionStatistics(data->comparison));
        ShowGroup(dialog, data);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FUNCS_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
            ShowGroup(dialog, data);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_FUNCS_SHOW || (LOWORD(wParam) == IDC_FUNCS_LIST && HIWORD(wParam) == LBN_DBLCLK)) {
            ShowGroupInBothFiles(dialog, data);
            return TRUE;
        }
        break;
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

// Shows the function view of a comparison; false (after saying so) when a file could not be
// scanned.
bool ShowFunctionView(DiffSession *session) {
    std::vector<FunctionSpan> firstFunctions, secondFunctions;
    if (!ScanFunctionSpans(session->first, &firstFunctions) || !ScanFunctionSpans(session->second, &secondFunctions)) {
        NoMemory();
        return false;
    }
    FunctionViewData data = {session, GroupChangesByFunction(session->changes, firstFunctions, secondFunctions),
                             BaseName(session->firstPath), BaseName(session->secondPath)};
    // The title holds the whole paths; the details need them only when the names alone are alike.
    if (data.firstName == data.secondName) {
        data.firstName = session->firstPath;
        data.secondName = session->secondPath;
    }
    RunDialog(FunctionViewProc, IDD_DIFF_FUNCTIONS, reinterpret_cast<LPARAM>(&data));
    return true;
}

std::string Now() {
    time_t now = time(nullptr);
    std::string text = ctime(&now);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

void Browse(HWND dialog, int field) {
    char path[MAX_PATH];
    CopyBounded(path, ItemText(dialog, field).c_str(), sizeof path);
    if (CurrentUiPort()->AskFileName(false, "Compare two files", "All files\0*.*\0", path, sizeof path))
        SetItemText(dialog, field, path);
}

struct DirectoryData {
    std::string first, second;
    DirectoryComparison files;
    unsigned options;
    bool cSyntax;
};

void FillList(HWND dialog, int id, const std::vector<std::string> &names) {
    for (const std::string &name : names)
        SendDlgItemMessageA(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

// "Details": the two-file view of the pair chosen among the files in both directories.
void ShowDetails(HWND dialog, const DirectoryData *data) {
    HWND list = GetDlgItem(dialog, IDC_DIRS_BOTH);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return;
    char name[MAX_PATH] = "";
    if (SendMessageA(list, LB_GETTEXTLEN, index, 0) >= static_cast<LRESULT>(sizeof name))
        return;
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
    DiffRequestFields fields;
    fields.first = data->first + "\\" + name;
    fields.second = data->second + "\\" + name;
    fields.options = data->options;
    fields.cSyntax = data->cSyntax;
    RunDiffRequest(fields);
}

INT_PTR CALLBACK DirectoryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DirectoryData *data = DialogParameter<DirectoryData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        SetItemText(dialog, IDC_DIRS_FIRST_TITLE, "Only in " + data->first);
        SetItemText(dialog, IDC_DIRS_SECOND_TITLE, "Only in " + data->second);
        FillList(dialog, IDC_DIRS_ONLY_FIRST, data->files.onlyFirst);
        FillList(dialog, IDC_DIRS_ONLY_SECOND, data->files.onlySecond);
        FillList(dialog, IDC_DIRS_BOTH, data->files.both);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_DIRS_DETAILS ||
            (LOWORD(wParam) == IDC_DIRS_BOTH && HIWORD(wParam) == LBN_DBLCLK)) {
            ShowDetails(dialog, data);
            return TRUE;
        }
        break;
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

std::vector<std::string> FilesOf(const std::string &directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

const int kActions[] = {IDC_DIFF_SHOW, IDC_DIFF_REPORT, IDC_DIFF_PATCH, IDC_DIFF_MERGE};

// "Assume C Syntax" chooses how the differences are shown: it means nothing to the other actions.
void EnableCSyntax(HWND dialog) { EnableWindow(GetDlgItem(dialog, IDC_DIFF_C_SYNTAX), IsChecked(dialog, IDC_DIFF_SHOW)); }

INT_PTR CALLBACK DiffProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetItemText(dialog, IDC_DIFF_FIRST, g_lastRequest.first);
        SetItemText(dialog, IDC_DIFF_SECOND, g_lastRequest.second);
        SetItemText(dialog, IDC_DIFF_OUTPUT, g_lastRequest.output);
        SetChecked(dialog, IDC_DIFF_SPACE, (g_lastRequest.options & kDiffIgnoreSpace) != 0);
        SetChecked(dialog, IDC_DIFF_CASE, (g_lastRequest.options & kDiffIgnoreCase) != 0);
        SetChecked(dialog, kActions[g_lastRequest.action], true);
        SetChecked(dialog, IDC_DIFF_C_SYNTAX, g_lastRequest.cSyntax);
        EnableCSyntax(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_DIFF_SHOW:
        case IDC_DIFF_REPORT:
        case IDC_DIFF_PATCH:
        case IDC_DIFF_MERGE: EnableCSyntax(dialog); break;
        case IDC_DIFF_FIRST_BROWSE: Browse(dialog, IDC_DIFF_FIRST); return TRUE;
        case IDC_DIFF_SECOND_BROWSE: Browse(dialog, IDC_DIFF_SECOND); return TRUE;
        case IDOK: {
            DiffRequestFields fields;
            fields.first = ItemText(dialog, IDC_DIFF_FIRST);
            fields.second = ItemText(dialog, IDC_DIFF_SECOND);
            fields.output = ItemText(dialog, IDC_DIFF_OUTPUT);
            fields.options = (IsChecked(dialog, IDC_DIFF_SPACE) ? unsigned(kDiffIgnoreSpace) : 0u) |
                             (IsChecked(dialog, IDC_DIFF_CASE) ? unsigned(kDiffIgnoreCase) : 0u);
            for (int i = 0; i < 4; i++)
                if (IsChecked(dialog, kActions[i]))
                    fields.action = i;
            fields.cSyntax = IsChecked(dialog, IDC_DIFF_C_SYNTAX);
            g_lastRequest = fields;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        }
        break;
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK PatchProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        std::string output = ItemText(dialog, IDC_PATCH_OUTPUT);
        if (ApplyPatchScript(ItemText(dialog, IDC_PATCH_SCRIPT), ItemText(dialog, IDC_PATCH_SOURCE), output)) {
            ShowStatus(("Patch applied: " + output).c_str());
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    }
    return DefaultDialogProc(dialog, message, wParam, 0);
}

void DiffCommand(int, intptr_t) {
    // The dialog comes back until the request can run or is cancelled.
    while (RunDialog(DiffProc, IDD_DIFF, 0) == IDOK)
        if (RunDiffRequest(g_lastRequest))
            return;
}

void ApplyPatchCommand(int, intptr_t) { RunDialog(PatchProc, IDD_APPLY_PATCH, 0); }

} // namespace

bool StepDiff(DiffSession *session, int direction, std::string *message) {
    int next = session->current + direction;
    if (next < 0 || next >= static_cast<int>(session->changes.size())) {
        *message = direction > 0 ? "No next diff" : "No previous diff";
        return false;
    }
    session->current = next;
    return true;
}

std::string DiffStatus(const DiffSession &session) {
    char text[64];
    snprintf(text, sizeof text, "Diff. %d de %d", session.current + 1, static_cast<int>(session.changes.size()));
    return text;
}

bool FinishMerge(const DiffSession &session, const std::string &outputPath) {
    std::vector<DiffChange> chosen;
    for (size_t i = 0; i < session.changes.size(); i++)
        if (i < session.useRight.size() && session.useRight[i])
            chosen.push_back(session.changes[i]);
    bool ok;
    if (chosen.empty() || chosen.size() == session.changes.size()) {
        const std::string &unused = chosen.empty() ? session.secondPath : session.firstPath;
        const std::string &copied = chosen.empty() ? session.firstPath : session.secondPath;
        if (!Confirm(FormatScratch("No text from file %s was used,\nthe new file would be a copy of %s\n\nCopy anyway?",
                                   unused.c_str(), copied.c_str())))
            return false;
        ok = CopyFileA(copied.c_str(), outputPath.c_str(), FALSE) != 0;
        if (!ok)
            ErrorBox(FormatMessageId(kStrCannotWrite, outputPath.c_str()));
    } else {
        // The script goes to a temporary file of its own: no file of the user's is touched.
        char script[MAX_PATH];
        int handle = CreateTempBeside(outputPath.c_str(), script, sizeof script);
        std::string text = EditScript(chosen, session.second) + kNoPatchSums;
        ok = handle != kNoFile && WriteBytes(handle, text.data(), static_cast<long>(text.size())) ==
                                      static_cast<long>(text.size());
        if (handle != kNoFile)
            ok = FlushAndClose(handle) && ok;
        if (!ok)   // not created, or not written whole
            ErrorBox(FormatMessageId(kStrCannotWrite, outputPath.c_str()));
        ok = ok && ApplyPatchScript(script, session.firstPath, outputPath);
        if (handle != kNoFile)
            RemoveFile(script);
    }
    if (!ok)
        return false;
    InfoBox("Merge finished");
    OpenPath(outputPath.c_str());
    return true;
}

bool RunDiffRequest(const DiffRequestFields &fields) {
    bool firstDirectory = IsDirectory(fields.first.c_str()), secondDirectory = IsDirectory(fields.second.c_str());
    if (firstDirectory != secondDirectory) {
        ErrorBox(FormatScratch("%s is a directory, but %s is not", (firstDirectory ? fields.first : fields.second).c_str(),
                               (firstDirectory ? fields.second : fields.first).c_str()));
        return false;
    }
    if (firstDirectory) {
        DirectoryData data = {fields.first, fields.second, CompareDirectories(fields.first, fields.second),
                              fields.options, fields.cSyntax && fields.action == kDiffShow};
        RunDialog(DirectoryProc, IDD_DIFF_DIRECTORIES, reinterpret_cast<LPARAM>(&data));
        return true;
    }
    if (fields.action != kDiffShow && fields.output.empty()) {
        ErrorBox("Name the output file");
        return false;
    }
    if (fields.action == kDiffToPatch)
        return WritePatchScript(fields.first, fields.second, fields.output);
    DiffSession session;
    session.firstPath = Uppered(fields.first);
    session.secondPath = Uppered(fields.second);
    int result = CompareFiles(session.firstPath, session.secondPath, fields.options, &session.first, &session.second,
                              &session.changes);
    if (result == kDiffCannotRead || result == kDiffFailed)
        return false;
    if (fields.action == kDiffToReport)
        return WriteDiffReport(fields.output, DiffReport(session.firstPath, session.secondPath, session.first,
                                                         session.second, session.changes, Now()));
    if (result == kDiffIdentical) {
        InfoBox("Files identical");
        return true;
    }
    session.useRight.assign(session.changes.size(), 0);
    if (fields.cSyntax && fields.action == kDiffShow)
        return ShowFunctionView(&session);
    ShowView(&session, fields.action == kDiffMerge, fields.output);
    return true;
}

DirectoryComparison CompareDirectories(const std::string &first, const std::string &second) {
    DirectoryComparison result;
    std::vector<std::string> a = FilesOf(first), b = FilesOf(second);
    std::vector<char> matched(b.size(), 0);
    for (const std::string &name : a) {
        bool found = false;
        for (size_t i = 0; i < b.size() && !found; i++) {
            if (!matched[i] && _stricmp(name.c_str(), b[i].c_str()) == 0) {
                matched[i] = 1;
                found = true;
            }
        }
        (found ? result.both : result.onlyFirst).push_back(name);
    }
    for (size_t i = 0; i < b.size(); i++)
        if (!matched[i])
            result.onlySecond.push_back(b[i]);
    return result;
}

void RegisterDiffCommands() {
    RegisterHandler(IDM_DIFF, DiffCommand);
    RegisterHandler(IDM_APPLY_PATCH, ApplyPatchCommand);
}
