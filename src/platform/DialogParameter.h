// The record a dialog procedure works on: the parameter of WM_INITDIALOG, kept with the dialog.
#pragma once

#include <windows.h>

// Stores `lParam` with the dialog on WM_INITDIALOG; on every message, the record stored (null
// for the messages that come before WM_INITDIALOG).
template <class T> T *DialogParameter(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<T *>(GetWindowLongPtrA(dialog, DWLP_USER));
}
