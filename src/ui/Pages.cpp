// Property-sheet pages: one window procedure behind every page, which shows the page's values,
// applies them on OK (or, in a wizard, on Next and Finish) and keeps the sheet open when they
// are refused.
#include "ui/Pages.h"

#include <string.h>

namespace {

struct PageData {
    const PageHandlers *handlers;
    PageMode mode;
};

PageData g_pageData[16];
int g_pageCount;

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const PageData *data = reinterpret_cast<const PageData *>(GetWindowLongPtrA(page, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        data = reinterpret_cast<const PageData *>(reinterpret_cast<PROPSHEETPAGEA *>(lParam)->lParam);
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
        data->handlers->show(page);
        return TRUE;
    }
    case WM_COMMAND:
        // A click, or a list's choice (LBN_SELCHANGE and CBN_SELCHANGE are the same code).
        if (data && data->handlers->command && (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == LBN_SELCHANGE))
            data->handlers->command(page, LOWORD(wParam));
        return FALSE;
    case WM_NOTIFY: {
        if (!data)
            return FALSE;
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        LONG_PTR result = 0;
        switch (header->code) {
        case PSN_SETACTIVE:
            if (data->mode != kPageSheet)
                PropSheet_SetWizButtons(GetParent(page), data->mode == kPageWizardFirst   ? PSWIZB_NEXT
                                                         : data->mode == kPageWizardLast ? PSWIZB_BACK | PSWIZB_FINISH
                                                                                         : PSWIZB_BACK | PSWIZB_NEXT);
            break;
        case PSN_APPLY:
            if (data->mode == kPageSheet && !data->handlers->apply(page))
                result = PSNRET_INVALID_NOCHANGEPAGE;
            break;
        case PSN_WIZNEXT:
            if (!data->handlers->apply(page))
                result = -1;
            break;
        case PSN_WIZFINISH:
            if (!data->handlers->apply(page))
                result = TRUE;
            break;
        default:
            return FALSE;
        }
        SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
        return TRUE;
    }
    }
    return FALSE;
}

} // namespace

void SetItemText(HWND page, int id, const std::string &text) { SetDlgItemTextA(page, id, text.c_str()); }

std::string ItemText(HWND page, int id) {
    HWND item = GetDlgItem(page, id);
    int length = item ? GetWindowTextLengthA(item) : 0;
    std::string text(length + 1, '\0');
    text.resize(GetWindowTextA(item, &text[0], length + 1) > 0 ? strlen(text.c_str()) : 0);
    return text;
}

void SetChecked(HWND page, int id, bool checked) { CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED); }
bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

PROPSHEETPAGEA MakePage(int dialog, const char *title, const PageHandlers *handlers, PageMode mode) {
    if (g_pageCount >= static_cast<int>(sizeof g_pageData / sizeof *g_pageData))
        g_pageCount = 0;
    PageData *data = &g_pageData[g_pageCount++];
    data->handlers = handlers;
    data->mode = mode;
    PROPSHEETPAGEA page;
    memset(&page, 0, sizeof page);
    page.dwSize = sizeof page;
    // Asked to exist from the start, so that OK applies every page; Wine makes a page only when
    // it is shown, so a page's values must not depend on another page being applied.
    page.dwFlags = (title ? PSP_USETITLE : 0) | (mode == kPageSheet ? PSP_PREMATURE : 0);
    page.hInstance = GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(dialog);
    page.pszTitle = title;
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(data);
    return page;
}

void ResetPages() { g_pageCount = 0; }

