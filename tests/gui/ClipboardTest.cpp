// The cut buffer and the real system clipboard, and the list dialog of the Win32 port.
#include <windows.h>
#include <string.h>

#include "editor/EditTestSupport.h"

namespace {

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr))
        return "<not opened>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char *>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void SetClipboard(const std::string &text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

int g_depthWhileShown = -1;

// Answers the list dialog: second entry, then OK.
DWORD WINAPI AnswerListDialog(LPVOID) {
    for (int i = 0; i < 100; i++) {
        Sleep(50);
        HWND dialog = FindWindowA(nullptr, "Book marks");
        if (!dialog)
            continue;
        g_depthWhileShown = ModalDepth();
        SendDlgItemMessageA(dialog, 101, LB_SETCURSEL, 1, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return 1;
}

} // namespace

TEST_F(EditTest, CutBufferGoesToTheSystemClipboardWithCrLf) {
    ClearCutBuffer();
    AppendCutBuffer("one\ntwo\n", 8);
    ASSERT_TRUE(ExportClipboard(nullptr));
    EXPECT_EQ("one\r\ntwo\r\n", ClipboardText());

    SetClipboard("alpha\r\nbeta\r\n\r\ngamma");
    ASSERT_TRUE(ImportClipboard(nullptr));
    EXPECT_EQ("alpha\nbeta\n\ngamma", CutBuffer());

    // Leaving the program again hands over nothing unless the cut buffer changed here: what
    // another program put on the clipboard since (a picture, say) stays.
    SetClipboard("from another program");
    EXPECT_FALSE(ExportClipboard(nullptr));
    EXPECT_EQ("from another program", ClipboardText());
    ClearCutBuffer();
    EXPECT_FALSE(ExportClipboard(nullptr));   // an empty cut buffer never goes
    EXPECT_EQ("from another program", ClipboardText());
    AppendCutBuffer("mine", 4);
    EXPECT_TRUE(ExportClipboard(nullptr));
    EXPECT_EQ("mine", ClipboardText());
    ClearCutBuffer();
}

TEST_F(KeltoTest, ClipboardCopiesStopAt65000Bytes) {
    ClearCutBuffer();
    // 70,000 bytes of cut buffer, every tenth a line break that grows by its CR.
    std::string chunk = "abcdefghi\n";
    for (int i = 0; i < 7000; i++)
        AppendCutBuffer(chunk.data(), static_cast<long>(chunk.size()));
    ASSERT_TRUE(ExportClipboard(nullptr));
    std::string text = ClipboardText();
    EXPECT_EQ(65000u, text.size());
    EXPECT_EQ("abcdefghi\r\n", text.substr(0, 11));
    EXPECT_EQ("abcdefghi\r\na", text.substr(65000 - 12));   // 5,909 whole lines and one byte
    // A CR that would be the last byte goes without its LF.
    ClearCutBuffer();
    std::string odd(64999, 'x');
    odd += "\n\n";
    AppendCutBuffer(odd.data(), static_cast<long>(odd.size()));
    long length = 0;
    char *block = ClipboardBlock(&length);
    EXPECT_EQ(65000, length);
    EXPECT_EQ('\r', block[64999]);
    EXPECT_EQ('\0', block[65000]);
    Release(block);
    ClearCutBuffer();
}

TEST_F(KeltoTest, ListDialogReturnsTheChosenEntry) {
    SetUiPort(nullptr);   // the real port
    HANDLE thread = CreateThread(nullptr, 0, AnswerListDialog, nullptr, 0, nullptr);
    const char *items[] = {"A.C(1): first", "B.C(20): second"};
    int choice = CurrentUiPort()->ChooseFromList("Book marks", items, 2);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    SetUiPort(&ui);
    EXPECT_EQ(1, choice);
    // The real port's dialogs count as modal, as RunDialog's do.
    EXPECT_EQ(1, g_depthWhileShown);
    EXPECT_EQ(0, ModalDepth());
}
