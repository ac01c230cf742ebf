// SPDX-License-Identifier: MIT
// driftmote-sim's pictures: the PNG of a frame is the window renderer's picture
// of that frame's state, at the size asked for, one file per printed frame when
// the name holds a number.

#include "ParticleSystem.h"
#include "PngRead.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "SnapshotFile.h"
#include "SnapshotState.h"
#include "SwarmRenderer.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

int RunTool(const std::vector<std::string>& args, std::string* err = nullptr)
{
    PortableRandRestart();
    std::ostringstream out, errors;
    const int status = RunSimCli(args, out, errors);
    if (err)
        *err = errors.str();
    return status;
}

// The renderer's picture of a saved state, nothing highlighted.
PixelImage RenderedFrom(const std::string& snapshotPath, int width, int height, double scale = 1.0)
{
    Snapshot snapshot;
    std::string error;
    EXPECT_TRUE(LoadSnapshotFile(snapshotPath, snapshot, error)) << error;
    const CanvasView canvas{width, height, scale};
    const DeviceExtent size = DeviceSize(canvas);
    PixelImage image(size.width, size.height);
    RenderSwarm(image.View(), canvas, snapshot.particles.data(), static_cast<int>(snapshot.particles.size()), -1, -1,
                11);
    return image;
}

TEST(SimPicture, ThePictureIsTheRenderersPictureOfTheFrame)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                          ("driftmote-sim-pictures-" + std::to_string(DRIFTMOTE_TEST_PID));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto at = [&](const char* name) { return (dir / name).string(); };

    // Sizes: the window's start canvas by default, or as asked, also odd and tiny;
    // scaled, the picture has the canvas's device pixels.
    const struct {
        std::vector<std::string> size;
        int width, height;
        double scale;
        int pixelWidth, pixelHeight;
    } sizes[] = {{{}, 511, 458, 1.0, 511, 458},
                 {{"--size", "120x90"}, 120, 90, 1.0, 120, 90},
                 {{"--size=33x7"}, 33, 7, 1.0, 33, 7},
                 {{"--scale", "2"}, 511, 458, 2.0, 1022, 916},
                 {{"--size", "120x91", "--scale=1.25"}, 120, 91, 1.25, 150, 114}};
    for (const auto& s : sizes) {
        std::vector<std::string> args = {"--preset", "2", "--frames", "15", "--print", "none",
                                          "--picture", at("p.png"), "--save", at("s.driftmote")};
        args.insert(args.end(), s.size.begin(), s.size.end());
        ASSERT_EQ(RunTool(args), 0);
        const PixelImage png = ReadPng(at("p.png"));
        EXPECT_EQ(png.View().width, s.pixelWidth);
        EXPECT_EQ(png.View().height, s.pixelHeight);
        EXPECT_TRUE(SamePixels(png.View(), RenderedFrom(at("s.driftmote"), s.width, s.height, s.scale).View()));
    }

    // A numbered name: one picture for each printed frame, the last as above.
    ASSERT_EQ(RunTool({"--frames", "4", "--print", "0,4", "--picture", at("f%03d.png"), "--size", "64x48",
                       "--save", at("s.driftmote")}),
              0);
    EXPECT_TRUE(std::filesystem::exists(at("f000.png")));
    EXPECT_FALSE(std::filesystem::exists(at("f001.png")));
    EXPECT_TRUE(SamePixels(ReadPng(at("f004.png")).View(), RenderedFrom(at("s.driftmote"), 64, 48).View()));
    EXPECT_FALSE(SamePixels(ReadPng(at("f000.png")).View(), ReadPng(at("f004.png")).View()));

    // A name where no file can go ends the run naming it.
    std::string err;
    EXPECT_EQ(RunTool({"--frames", "1", "--picture", at("none/p.png")}, &err), 1);
    EXPECT_EQ(err.rfind("driftmote-sim: " + at("none/p.png") + ": ", 0), 0u) << err;
    std::filesystem::remove_all(dir);
}

TEST(SimPicture, BadNamesAndSizesAreBadUsage)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--picture", "f%s.png"}, {"--picture", "%d%d"}, {"--picture", "50%.png"},
             {"--save", "a.png", "--picture", "./a.png"},
             {"--picture", "f%d.png", "--print", "none"}, {"--size", "0x10"}, {"--size", "10"}, {"--size", "10x"},
             {"--size", "32769x1"}, {"--size", "-5x5"}, {"--scale", "0.2"}, {"--scale", "9"}, {"--scale", "1.5x"},
             {"--scale", "nan"}}) {
        std::string err;
        EXPECT_EQ(RunTool(args, &err), 2) << args[1];
        EXPECT_NE(err.find(args[0]), std::string::npos) << err;
    }
}

} // namespace
