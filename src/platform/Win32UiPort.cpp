// The real user-interface port: Win32 message boxes, common file dialogs and cursors.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/DialogParameter.h"
#include "platform/PortDialogs.h"
#include "platform/UiPort.h"

namespace {

HWND g_owner;   // the frame window, once there is one

// The list dialog, built in memory: a list box and OK/Cancel.
enum { kListBoxId = 101 };

struct ListDialogData {
    const char *title;
    const char *const *items;
    int count;
    int choice;
};

class TemplateWriter {
public:
    explicit TemplateWriter(WORD *buffer) : p_(buffer) {}
    void Word(WORD w) { *p_++ = w; }
    void Dword(DWORD d) { Word(LOWORD(d)); Word(HIWORD(d)); }
    // At most 63 characters and their terminator.
    void Text(const char *text) {
        char cut[64];
        snprintf(cut, sizeof cut, "%s", text ? text : "");
        int n = MultiByteToWideChar(CP_ACP, 0, cut, -1, reinterpret_cast<LPWSTR>(p_), 64);
        if (n <= 0) {
            *p_ = 0;
            n = 1;
        }
        p_ += n;
    }
    // A modal, centred dialog of `controls` controls, `cx` by `cy` units, titled `title`, in
    // the 8-point shell font; its controls follow.
    void Header(WORD controls, short cx, short cy, const char *title) {
        Dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Dword(0);
        Word(controls);
        Word(0), Word(0), Word(cx), Word(cy);
        Word(0), Word(0);   // no menu, the dialog class
        Text(title);
        Word(8);
        Text("MS Shell Dlg");
    }
    void Align() {
        if (reinterpret_cast<ULONG_PTR>(p_) & 3)
            p_++;
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
              const char *text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(x), Word(y), Word(cx), Word(cy), Word(id);
        Word(0xFFFF), Word(classAtom);
        Text(text);
        Word(0);
    }

private:
    WORD *p_;
};

INT_PTR CALLBACK ListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ListDialogData *data = DialogParameter<ListDialogData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, data->title);
        for (int i = 0; i < data->count; i++)
            SendDlgItemMessageA(dialog, kListBoxId, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(data->items[i]));
        SendDlgItemMessageA(dialog, kListBoxId, LB_SETCURSEL, 0, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || (LOWORD(wParam) == kListBoxId && HIWORD(wParam) == LBN_DBLCLK)) {
            data->choice = static_cast<int>(SendDlgItemMessageA(dialog, kListBoxId, LB_GETCURSEL, 0, 0));
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

struct FileListData {
    const char *const *files;
    int count;
};

INT_PTR CALLBACK FileListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        FileListData *data = reinterpret_cast<FileListData *>(lParam);
        for (int i = 0; i < data->count; i++)
            SendDlgItemMessageA(dialog, IDC_FILE_LIST, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(data->files[i]));
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) != IDC_FILE_LIST) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

struct ProcessorData {
    const char *input;
    std::string *command, *output;
};

std::string ItemText(HWND dialog, int id) {
    char text[401];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

INT_PTR CALLBACK ProcessorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ProcessorData *data = DialogParameter<ProcessorData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_PROCESSOR_INPUT, data->input);
        SetDlgItemTextA(dialog, IDC_PROCESSOR_COMMAND, data->command->c_str());
        SetDlgItemTextA(dialog, IDC_PROCESSOR_OUTPUT, data->output->c_str());
        SendDlgItemMessageA(dialog, IDC_PROCESSOR_COMMAND, EM_LIMITTEXT, 400, 0);
        SendDlgItemMessageA(dialog, IDC_PROCESSOR_OUTPUT, EM_LIMITTEXT, 400, 0);
        SetFocus(GetDlgItem(dialog, IDC_PROCESSOR_COMMAND));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            *data->command = ItemText(dialog, IDC_PROCESSOR_COMMAND);
            *data->output = ItemText(dialog, IDC_PROCESSOR_OUTPUT);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

struct SelectFilesData {
    const char *pattern;
    std::vector<std::string> *files;
};

enum { kAddFiles = 201, kRemoveFiles = 202 };

// What the system's file dialogs are asked: the filter, the buffer for the chosen names, the
// title and the flags; the current directory is left as it is.
OPENFILENAMEA FileDialogRequest(HWND owner, const char *filter, char *file, int size, const char *title, DWORD flags) {
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(size);
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | flags;
    return ofn;
}

// Adds the files chosen in the open dialog: a name in the current directory as a bare name,
// others with their path.
void AddChosenFiles(HWND dialog, const char *pattern) {
    static char names[16384];
    names[0] = '\0';
    char filter[200];
    int n = snprintf(filter, sizeof filter - 16, "%s%c%s%c", pattern, 0, pattern, 0);
    if (n < 0 || n >= static_cast<int>(sizeof filter) - 16)
        n = 0;
    memcpy(filter + n, "All files\0*.*\0\0", 16);
    OPENFILENAMEA ofn = FileDialogRequest(dialog, filter, names, sizeof names, "Add files",
                                          OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_EXPLORER);
    if (!GetOpenFileNameA(&ofn))
        return;
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    // One name: the whole path. Several: the directory, then the names, each NUL-terminated.
    std::string directory = names;
    std::vector<std::string> chosen;
    const char *p = names + strlen(names) + 1;
    if (!*p) {
        size_t slash = directory.rfind('\\');
        chosen.push_back(directory.substr(slash + 1));
        directory = slash == std::string::npos ? std::string() : directory.substr(0, slash);
    }
    for (; *p; p += strlen(p) + 1)
        chosen.push_back(p);
    bool here = lstrcmpiA(directory.c_str(), current) == 0;
    for (const std::string &name : chosen) {
        std::string entry = here || directory.empty() ? name : directory + "\\" + name;
        if (SendDlgItemMessageA(dialog, kListBoxId, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(entry.c_str())) == LB_ERR)
            SendDlgItemMessageA(dialog, kListBoxId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

INT_PTR CALLBACK SelectFilesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    SelectFilesData *data = DialogParameter<SelectFilesData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        for (const std::string &file : *data->files)
            SendDlgItemMessageA(dialog, kListBoxId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kAddFiles:
            AddChosenFiles(dialog, data->pattern);
            return TRUE;
        case kRemoveFiles: {
            HWND list = GetDlgItem(dialog, kListBoxId);
            for (int i = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); i-- > 0;)
                if (SendMessageA(list, LB_GETSEL, i, 0) > 0)
                    SendMessageA(list, LB_DELETESTRING, i, 0);
            return TRUE;
        }
        case IDOK: {
            HWND list = GetDlgItem(dialog, kListBoxId);
            data->files->clear();
            int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; i++) {
                char text[MAX_PATH * 2] = "";
                if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text)) {
                    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
                    data->files->push_back(text);
                }
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// "Replace": the dialog keeps off the found text (the caret's line), above or below it.
struct ReplaceData {
    POINT caret;        // screen position of the caret's top
    int lineHeight;
};

INT_PTR CALLBACK ReplaceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const ReplaceData *data = reinterpret_cast<const ReplaceData *>(lParam);
        RECT box;
        GetWindowRect(dialog, &box);
        int top = data->caret.y, bottom = data->caret.y + data->lineHeight;
        if (box.bottom > top && box.top < bottom) {
            int height = box.bottom - box.top;
            int y = top - height - data->lineHeight > 0 ? top - height - data->lineHeight : bottom + data->lineHeight;
            SetWindowPos(dialog, nullptr, box.left, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            int id = LOWORD(wParam);
            int answer = kReplaceCancel;
            if (id == IDYES || id == IDNO)
                answer = id == IDYES ? kReplaceYes : kReplaceNo;
            else if (id == IDC_REPLACE_ALL)
                answer = kReplaceAll;
            EndDialog(dialog, answer);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// The one-line input box, built in memory like the list dialog.
struct InputData {
    const char *prompt;
    char *text;
    int size;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    InputData *data = DialogParameter<InputData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, 100, data->prompt);
        SetDlgItemTextA(dialog, kListBoxId, data->text);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            GetDlgItemTextA(dialog, kListBoxId, data->text, data->size);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// A dialog opened from another one (a page of the configuration sheet) belongs to that one.
HWND DialogOwner() {
    HWND active = GetActiveWindow();
    return active ? active : g_owner;
}

class Win32UiPort : public UiPort {
public:
    int ShowBox(BoxOwner owner, const char *text, const char *title, unsigned style) override {
        ModalScope modal;
        HWND frame = g_owner;
        HWND parent = GetActiveWindow();
        if (owner == kOwnerFrame) {
            if (frame && IsIconic(frame))
                ShowWindow(frame, SW_RESTORE);
            parent = frame;
        }
        return MessageBoxA(parent, text, title, style);
    }

    bool AskFileName(bool save, const char *title, const char *filter, char *path,
                     int size) override {
        ModalScope modal;
        OPENFILENAMEA ofn =
            FileDialogRequest(g_owner, filter, path, size, title, save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
        return save ? GetSaveFileNameA(&ofn) != 0 : GetOpenFileNameA(&ofn) != 0;
    }

    bool AskDirectory(const char *prompt, const char *, char *path, int size) override {
        ModalScope modal;
        BROWSEINFOA info;
        memset(&info, 0, sizeof info);
        char chosen[MAX_PATH] = "";
        info.hwndOwner = g_owner;
        info.pszDisplayName = chosen;
        info.lpszTitle = prompt;
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        LPITEMIDLIST item = SHBrowseForFolderA(&info);
        if (!item)
            return false;
        bool ok = SHGetPathFromIDListA(item, chosen) != 0;
        CoTaskMemFree(item);
        if (ok)
            snprintf(path, size, "%s", chosen);
        return ok;
    }

    bool AskText(const char *prompt, char *text, int size, const char *title) override {
        ModalScope modal;
        static WORD buffer[512];
        memset(buffer, 0, sizeof buffer);
        TemplateWriter w(buffer);
        w.Header(4, 220, 62, title ? title : "Kelto");
        w.Item(SS_LEFT, 7, 7, 206, 10, 100, 0x0082, "");
        w.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 206, 13, kListBoxId, 0x0081, "");
        w.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 56, 41, 50, 14, IDOK, 0x0080, "OK");
        w.Item(BS_PUSHBUTTON | WS_TABSTOP, 114, 41, 50, 14, IDCANCEL, 0x0080, "Cancel");
        InputData data = {prompt, text, size};
        HWND owner = g_owner;
        return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(buffer),
                                       owner, InputProc, reinterpret_cast<LPARAM>(&data)) == 1;
    }

    bool ChooseFontFor(FontChoice *font) override {
        ModalScope modal;
        LOGFONTA logFont;
        memset(&logFont, 0, sizeof logFont);
        logFont.lfHeight = font->height;
        logFont.lfWeight = font->bold ? FW_BOLD : FW_NORMAL;
        logFont.lfItalic = font->italic;
        logFont.lfCharSet = ANSI_CHARSET;
        logFont.lfPitchAndFamily = static_cast<BYTE>(font->pitchAndFamily);
        snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s", font->face);
        CHOOSEFONTA choose;
        memset(&choose, 0, sizeof choose);
        choose.lStructSize = sizeof choose;
        choose.hwndOwner = DialogOwner();
        choose.lpLogFont = &logFont;
        choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
        if (!ChooseFontA(&choose))
            return false;
        snprintf(font->face, sizeof font->face, "%s", logFont.lfFaceName);
        font->height = logFont.lfHeight;
        font->bold = logFont.lfWeight >= FW_BOLD;
        font->italic = logFont.lfItalic != 0;
        font->pitchAndFamily = logFont.lfPitchAndFamily;
        return true;
    }

    bool ChooseColour(unsigned long *colour) override {
        ModalScope modal;
        static COLORREF custom[16];   // the dialog's own colours, kept between its uses
        CHOOSECOLORA choose;
        memset(&choose, 0, sizeof choose);
        choose.lStructSize = sizeof choose;
        choose.hwndOwner = DialogOwner();
        choose.rgbResult = *colour;
        choose.lpCustColors = custom;
        choose.Flags = CC_RGBINIT | CC_FULLOPEN;
        if (!ChooseColorA(&choose))
            return false;
        *colour = choose.rgbResult;
        return true;
    }

    int ShowFileList(int dialogId, const char *const *files, int count) override {
        ModalScope modal;
        FileListData data = {files, count};
        HWND owner = g_owner;
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), owner,
                                         FileListProc, reinterpret_cast<LPARAM>(&data));
        return result <= 0 ? IDCANCEL : static_cast<int>(result);
    }

    int AskReplace() override {
        ModalScope modal;
        ReplaceData data = {{0, 0}, 16};
        HWND focus = GetFocus();
        if (focus && GetCaretPos(&data.caret)) {
            ClientToScreen(focus, &data.caret);
            TEXTMETRICA metrics;
            HDC dc = GetDC(focus);
            if (GetTextMetricsA(dc, &metrics))
                data.lineHeight = metrics.tmHeight;
            ReleaseDC(focus, dc);
        }
        HWND owner = g_owner;
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_REPLACE_ONE), owner,
                                         ReplaceProc, reinterpret_cast<LPARAM>(&data));
        return result <= 0 ? kReplaceCancel : static_cast<int>(result);
    }

    bool AskFileProcessor(const char *input, std::string *command, std::string *output) override {
        ModalScope modal;
        ProcessorData data = {input, command, output};
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILE_PROCESSOR), g_owner,
                               ProcessorProc, reinterpret_cast<LPARAM>(&data)) == IDOK;
    }

    void SetBusy(bool busy) override {
        SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
    }

    int ChooseFromList(const char *title, const char *const *items, int count, const char *okText) override {
        ModalScope modal;
        static WORD buffer[512];
        memset(buffer, 0, sizeof buffer);
        TemplateWriter w(buffer);
        w.Header(3, 240, 130, title);
        w.Item(LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 226, 96, kListBoxId, 0x0083, "");
        w.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 66, 108, 50, 14, IDOK, 0x0080, okText ? okText : "OK");
        w.Item(BS_PUSHBUTTON | WS_TABSTOP, 124, 108, 50, 14, IDCANCEL, 0x0080, "Cancel");
        ListDialogData data = {title, items, count, -1};
        HWND owner = g_owner;
        INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                                 reinterpret_cast<LPCDLGTEMPLATEA>(buffer), owner,
                                                 ListDialogProc, reinterpret_cast<LPARAM>(&data));
        return result == 1 ? data.choice : -1;
    }

    bool SelectFiles(const char *pattern, std::vector<std::string> *files) override {
        ModalScope modal;
        static WORD buffer[512];
        memset(buffer, 0, sizeof buffer);
        TemplateWriter w(buffer);
        w.Header(5, 260, 150, "Project files");
        w.Item(LBS_EXTENDEDSEL | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 186, 136,
               kListBoxId, 0x0083, "");
        w.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 7, 50, 14, kAddFiles, 0x0080, "&Add...");
        w.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 25, 50, 14, kRemoveFiles, 0x0080, "&Remove");
        w.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 203, 111, 50, 14, IDOK, 0x0080, "OK");
        w.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 129, 50, 14, IDCANCEL, 0x0080, "Cancel");
        SelectFilesData data = {pattern ? pattern : "*.*", files};
        return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(buffer), g_owner,
                                       SelectFilesProc, reinterpret_cast<LPARAM>(&data)) == 1;
    }

    void Beep() override { MessageBeep(MB_ICONEXCLAMATION); }
};

Win32UiPort g_win32Port;
UiPort *g_port = &g_win32Port;

} // namespace

void SetUiOwner(HWND frame) { g_owner = frame; }

static int g_modalDepth;

int ModalDepth() { return g_modalDepth; }

ModalScope::ModalScope() { g_modalDepth++; }

ModalScope::~ModalScope() { g_modalDepth--; }

UiPort *CurrentUiPort() { return g_port; }

UiPort *SetUiPort(UiPort *port) {
    UiPort *old = g_port;
    g_port = port ? port : &g_win32Port;
    return old;
}
