// SPDX-License-Identifier: MIT
// driftmote-resgen OUT_FOLDER MANIFEST ICON32.png ICON16.png: writes driftmote.rc
// and driftmote.ico into OUT_FOLDER. Files are written only when their bytes
// change, so that the build does not compile the resources again for nothing.

#include "IconFile.h"
#include "ResourceScript.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool ReadPicture(const char* path, IconPicture& picture)
{
    int channels = 0;
    stbi_uc* pixels = stbi_load(path, &picture.width, &picture.height, &channels, 3);
    if (!pixels) {
        std::fprintf(stderr, "driftmote-resgen: %s: %s\n", path, stbi_failure_reason());
        return false;
    }
    picture.rgb.assign(pixels, pixels + static_cast<std::size_t>(picture.width) * picture.height * 3);
    stbi_image_free(pixels);
    return true;
}

bool WriteIfChanged(const std::string& path, const std::string& bytes)
{
    std::ifstream old(path, std::ios::binary);
    if (old && std::string(std::istreambuf_iterator<char>(old), {}) == bytes)
        return true;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
        std::fprintf(stderr, "driftmote-resgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: driftmote-resgen OUT_FOLDER MANIFEST ICON32.png ICON16.png\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<IconPicture> pictures(2);
    if (!ReadPicture(argv[3], pictures[0]) || !ReadPicture(argv[4], pictures[1]))
        return 1;
    try {
        const std::string icon = folder + "/driftmote.ico";
        return WriteIfChanged(icon, IconFile(pictures)) &&
                       WriteIfChanged(folder + "/driftmote.rc", ResourceScript(icon, argv[2]))
                   ? 0
                   : 1;
    } catch (const ShortcutError& error) {
        std::fprintf(stderr, "driftmote-resgen: %s\n", error.what());
        return 1;
    }
}
