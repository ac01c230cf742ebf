#pragma once

#include "Version.h"

// The version block's string table (language 0x0409, code page 0x04B0), in order.
struct VersionEntry {
    const char* key;
    const char* value;
};

inline constexpr int kVersionLanguage = 0x0409;
inline constexpr int kVersionCodePage = 0x04B0;

inline constexpr VersionEntry kVersionStrings[] = {
    {"CompanyName", ""},
    {"FileDescription", "Driftmotes MFC Application"},
    {"FileVersion", DRIFTMOTE_VERSION_COMMAS},
    {"InternalName", "Driftmotes"},
    {"LegalCopyright", "Copyright (C) 2003 Quenly Vostrake. Free to share and change."},
    {"LegalTrademarks", ""},
    {"OriginalFilename", "Driftmotes.EXE"},
    {"ProductName", "Driftmotes Application"},
    {"ProductVersion", DRIFTMOTE_VERSION_COMMAS},
};
