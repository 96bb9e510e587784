// The real user-interface port: Win32 message boxes, common file dialogs and cursors.
#include <windows.h>
#include <commdlg.h>
#include <string.h>

#include "core/AppState.h"
#include "platform/UiPort.h"

namespace {

class Win32UiPort : public UiPort {
public:
    int ShowBox(BoxOwner owner, const char *text, const char *title, unsigned style) override {
        HWND frame = g_app ? g_app->frameWindow : nullptr;
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
        OPENFILENAMEA ofn;
        memset(&ofn, 0, sizeof ofn);
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = g_app ? g_app->frameWindow : nullptr;
        ofn.lpstrFilter = filter;
        ofn.lpstrFile = path;
        ofn.nMaxFile = size;
        ofn.lpstrTitle = title;
        ofn.Flags = OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
        return save ? GetSaveFileNameA(&ofn) != 0 : GetOpenFileNameA(&ofn) != 0;
    }

    bool AskText(const char *, char *, int) override {
        // The input box is a dialog of the frame; until the frame has it nothing is asked.
        return false;
    }

    void SetBusy(bool busy) override {
        SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
    }
};

Win32UiPort g_win32Port;
UiPort *g_port = &g_win32Port;

} // namespace

UiPort *CurrentUiPort() { return g_port; }

UiPort *SetUiPort(UiPort *port) {
    UiPort *old = g_port;
    g_port = port ? port : &g_win32Port;
    return old;
}
