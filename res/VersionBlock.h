// SPDX-License-Identifier: MIT
#pragma once

#include "Version.h"

// The version block's string table (language 0x0409, code page 0x04B0), in order.
struct VersionEntry {
    const char* key;
    const char* value;
};

// The legal notice, as LICENSE and the package's copyright file give it.
inline constexpr const char* kLegalNotice = "Copyright (C) 2026 The Driftmote developers. MIT License.";

inline constexpr int kVersionLanguage = 0x0409;
inline constexpr int kVersionCodePage = 0x04B0;

inline constexpr VersionEntry kVersionStrings[] = {
    {"CompanyName", ""},
    {"FileDescription", "Driftmotes MFC Application"},
    {"FileVersion", DRIFTMOTE_VERSION_COMMAS},
    {"InternalName", "Driftmotes"},
    {"LegalCopyright", kLegalNotice},
    {"LegalTrademarks", ""},
    {"OriginalFilename", "Driftmotes.EXE"},
    {"ProductName", "Driftmotes Application"},
    {"ProductVersion", DRIFTMOTE_VERSION_COMMAS},
};
