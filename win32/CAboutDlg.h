// SPDX-License-Identifier: MIT
#pragma once

// The About box: what the program models, the program's icon three times and the
// "Rad" button that closes it, from the template IDD_ABOUTBOX. It runs modally
// over its owner, which takes no input meanwhile.

#include <windows.h>

class CAboutDlg {
public:
    // Runs the box until "Rad", Escape or its close box ends it.
    INT_PTR DoModal(HINSTANCE instance, HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
