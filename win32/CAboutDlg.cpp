// SPDX-License-Identifier: MIT
#include "CAboutDlg.h"

#include "Resource.h"

INT_PTR CAboutDlg::DoModal(HINSTANCE instance, HWND owner)
{
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, DialogProc, 0);
}

INT_PTR CALLBACK CAboutDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
