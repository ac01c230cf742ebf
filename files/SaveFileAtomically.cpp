// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string& error)
{
    FileWriter file;
    return file.Open(path, error) && file.Write(bytes, error) && file.Commit(error);
}
