// SPDX-License-Identifier: MIT
// driftmote.exe [FILE]: the window, with a snapshot to open at start. Arguments
// arrive wide and become UTF-8 here, as every name does inside the program.

#include "CSwarmApp.h"
#include "WideText.h"

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc > 2) {
        MessageBoxW(nullptr, L"Usage: driftmote [FILE]\nFILE is a snapshot (.driftmote) to open at start.",
                    L"Driftmote", MB_OK | MB_ICONWARNING);
        LocalFree(argv);
        return 2;
    }
    CSwarmApp app(instance);
    if (argc == 2)
        app.m_startFile = Utf8FromWide(argv[1]);
    LocalFree(argv);
    return app.Run();
}
