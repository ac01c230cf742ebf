// SPDX-License-Identifier: MIT
// Two outputs of one run that would land in one file, every pair of --save,
// --picture and --video: by the same name, another spelling, a link, or a frame
// of a numbered picture.

#include "OutputClash.h"
#include "TempFolderTest.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

using OutputClashes = TempFolderTest;

TEST_F(OutputClashes, EveryPairThatCouldNameOneFileIsNamed)
{
    std::ofstream(Path("real.mp4")) << "video";
    // Windows lets only an administrator or a developer make links: there the
    // row with the link is left out.
    std::error_code noLinks;
    std::filesystem::create_symlink(Path("real.mp4"), Path("link.mp4"), noLinks);
    const struct {
        const char *save, *picture, *video; // in the test's folder; null: not given
        const char* pair;                   // the clash, null for none
        const char* named;                  // the file it names
    } rows[] = {
        {"a.driftmote", "a.png", "a.mp4", nullptr, nullptr},
        {"same", "same", nullptr, "--save and --picture", "same"},
        {"same.mp4", nullptr, "./same.mp4", "--save and --video", "same.mp4"},
        {nullptr, "p.mp4", "sub/../p.mp4", "--picture and --video", "p.mp4"},
        {"link.mp4", nullptr, "real.mp4", "--save and --video", "link.mp4"},
        {"f007.png", "f%03d.png", nullptr, "--save and --picture", "f007.png"},
        {nullptr, "f%05d.mp4", "f00012.mp4", "--picture and --video", "f00012.mp4"},
        {nullptr, "f%d.mp4", "f12x.mp4", nullptr, nullptr},
        {nullptr, "100%%.png", "100%.png", "--picture and --video", "100%.png"},
    };
    for (const auto& row : rows) {
        if (noLinks && row.save && std::string(row.save) == "link.mp4")
            continue;
        Options options;
        std::string error;
        if (row.save)
            options.savePath = Path(row.save);
        if (row.picture)
            options.picture = ParsePicturePattern(Path(row.picture), error);
        if (row.video)
            options.videoPath = Path(row.video);
        const std::string clash =
            row.pair ? std::string(row.pair) + " name the same file '" + Path(row.named) + "'" : "";
        EXPECT_EQ(OutputClash(options), clash) << error;
    }
}

} // namespace
