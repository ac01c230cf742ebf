// SPDX-License-Identifier: MIT
// driftmote-sim's videos, read back through libavformat: every frame or the
// printed ones, the same frames for the same options, each frame the PNG picture
// of that frame within the codec's loss, sizes too large refused, and failures
// that name the file and leave none; the encoder's frame numbers and the
// recorder's counts.

#include "PngRead.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "TempFolderTest.h"
#include "VideoDecode.h"
#include "VideoEncoder.h"
#include "VideoMemory.h"
#include "VideoRecorder.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <sys/resource.h>

namespace {

struct ToolRun {
    int status;
    std::string err;
    std::string out;
};

ToolRun RunTool(std::vector<std::string> args)
{
    PortableRandRestart();
    std::ostringstream out, err;
    const int status = RunSimCli(args, out, err);
    return {status, err.str(), out.str()};
}

TEST(VideoRules, TheNameGivesTheFormatAndAVideoMayTakeHalfTheMemory)
{
    const struct {
        const char* name;
        VideoFormat format;
    } names[] = {{"a.mp4", VideoFormat::Mp4}, {"A.MP4", VideoFormat::Mp4}, {"b.WebM", VideoFormat::WebM},
                 {"c.mkv", VideoFormat::None}, {"mp4", VideoFormat::None}};
    for (const auto& n : names)
        EXPECT_EQ(VideoFormatOfName(n.name), n.format) << n.name;
    // An odd width is encoded one pixel wider.
    const std::uint64_t needed = VideoEncoderBytes(VideoFormat::Mp4, 1001, 1000) + 4 * 3 * std::uint64_t{1002} * 1000;
    EXPECT_EQ(VideoMemoryProblem(VideoFormat::Mp4, 1001, 1000, 3, 2 * needed), "");
    EXPECT_NE(VideoMemoryProblem(VideoFormat::Mp4, 1001, 1000, 3, 2 * needed - 2), "");
}

using SimVideo = TempFolderTest;

TEST_F(SimVideo, EveryFrameOrThePrintedOnesAndTheSameFramesForTheSameOptions)
{
    const struct {
        std::vector<std::string> args;
        const char* name;
        std::size_t frames;
        int width, height; // decoded: odd sides grow by one
        double lastSecond;
        bool printed; // the frames are printed too
    } rows[] = {
        {{"--frames", "20", "--print", "all"}, "all.mp4", 21, 512, 458, 20.0 / 60, true},
        {{"--frames", "20", "--print", "0,7,20", "--size", "64x49", "--fps", "25"}, "list.webm", 3, 64, 50, 2.0 / 25,
         true},
        {{"--frames", "5"}, "every.mp4", 6, 512, 458, 5.0 / 60, false},
        {{"--frames", "3", "--print", "none"}, "none.mp4", 4, 512, 458, 3.0 / 60, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--video", Path(row.name)});
        const ToolRun run = RunTool(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.empty(), !row.printed);
        const DecodedVideo first = DecodeVideo(Path(row.name));
        ASSERT_EQ(RunTool(args).status, 0);
        const DecodedVideo second = DecodeVideo(Path(row.name));
        EXPECT_EQ(first.error, "");
        EXPECT_EQ(first.hashes.size(), row.frames);
        EXPECT_EQ(first.width, row.width);
        EXPECT_EQ(first.height, row.height);
        ASSERT_FALSE(first.seconds.empty());
        EXPECT_NEAR(first.seconds.back(), row.lastSecond, 1e-3);
        EXPECT_EQ(first.hashes, second.hashes);
    }
}

TEST_F(SimVideo, AFrameIsThePictureOfThatFrameWithinTheCodecsLoss)
{
    for (const char* name : {"v.mp4", "v.webm"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(RunTool({"--frames", "40", "--print", "0,40", "--size", "201x151", "--video", Path(name),
                           "--picture", Path("f%d.png")})
                      .status,
                  0);
        const DecodedVideo video = DecodeVideo(Path(name), {0, 1});
        ASSERT_EQ(video.pictures.size(), 2u);
        for (int i = 0; i < 2; ++i) {
            const PixelImage png = ReadPng(Path(i == 0 ? "f0.png" : "f40.png"));
            ASSERT_FALSE(png.IsNull());
            EXPECT_GT(Psnr(video.pictures[i], video.width, png.View()), 30.0) << "frame " << i;
            // The column and row that make the size even are the canvas's light grey.
            const std::uint32_t corner = video.pictures[i].back();
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(static_cast<int>((corner >> shift) & 0xff), 192, 8) << std::hex << corner;
        }
    }
}

// A video that cannot be written ends the run with status 1 and a message naming
// the file; nothing half-written stays, and a file of that name is kept as it was.
TEST_F(SimVideo, AFailedVideoNamesTheFileAndLeavesThePreviousFile)
{
    std::filesystem::create_directories(m_dir / "full");
    const std::string full = Path("full/v.mp4");
    std::ofstream(full) << "before";
    const std::string missing = Path("no such folder/v.mp4");
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);

    // A full disk: no file may grow beyond 32 KiB, and the write fails instead of
    // the signal ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 32 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const ToolRun diskFull = RunTool({"--frames", "120", "--print", "all", "--preset", "4", "--video", full});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(diskFull.status, 1);
    EXPECT_EQ(diskFull.err.rfind("driftmote-sim: " + full + ": ", 0), 0u) << diskFull.err;
    std::ifstream kept(full);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "before");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir / "full"), {}), 1);

    const ToolRun nowhere = RunTool({"--frames", "1", "--video", missing});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err, "driftmote-sim: " + missing + ": No such file or directory\n");
}

// Pictures whose video could not fit in any machine's memory are refused before
// anything is made.
TEST_F(SimVideo, PicturesTooLargeToEncodeAreBadUsage)
{
    const ToolRun run = RunTool({"--size", "32768x32768", "--scale", "8", "--video", Path("huge.webm")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("driftmote-sim: --video: a video of 262144x262144 pixels needs about ", 0), 0u) << run.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 0);
}

// The encoder takes frame numbers that grow; one given again abandons the file.
TEST_F(SimVideo, AFrameNumberGivenAgainIsRefused)
{
    VideoEncoder encoder;
    std::string error;
    ASSERT_TRUE(encoder.Open(Path("v.mp4"), 16, 16, {}, error)) << error;
    const std::vector<std::uint8_t> pixels(16 * 16 * 4);
    ASSERT_TRUE(encoder.AddFrame(pixels.data(), 16 * 4, 3, error)) << error;
    EXPECT_FALSE(encoder.AddFrame(pixels.data(), 16 * 4, 3, error));
    EXPECT_EQ(error, Path("v.mp4") + ": frame 3 comes after frame 3");
}

// Every picture offered to the recorder is encoded or counted as dropped, as is
// one offered once the recording is over.
TEST_F(SimVideo, TheRecorderCountsWhatItEncodesAndWhatItDrops)
{
    VideoRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.Start(Path("v.mp4"), 16, 16, {}, error)) << error;
    const std::vector<std::uint8_t> pixels(16 * 16 * 4);
    recorder.Offer(pixels.data(), 16 * 4, 0);
    ASSERT_TRUE(recorder.Stop(error)) << error;
    recorder.Offer(pixels.data(), 16 * 4, 1);
    EXPECT_EQ(recorder.Encoded(), 1);
    EXPECT_EQ(recorder.Dropped(), 1);
}

#ifndef _WIN32
// The program as a user stops it, once the video has begun: each stop signal
// (SIGHUP when the terminal closes) ends the run with the video of the frames so
// far and no temporary file beside it.
TEST_F(SimVideo, AStopSignalLeavesTheVideoOfTheFramesSoFar)
{
    for (const char* signal : {"HUP", "INT", "TERM"}) {
        const std::string video = Path(std::string(signal) + ".mp4");
        const std::string printed = Path(std::string(signal) + ".csv");
        // Printed frames come after the video has begun.
        const std::string script = std::string(DRIFTMOTE_SIM_PATH) + " --frames 2000000000 --print all --video '" +
                                   video + "' >'" + printed + "' & p=$!; i=0; until [ -s '" + printed +
                                   "' ] || [ $i -ge 2000 ]; do sleep 0.01; i=$((i+1)); done;"
                                   " kill -" + signal + " $p; wait $p";
        std::system(script.c_str());
        const DecodedVideo decoded = DecodeVideo(video);
        EXPECT_EQ(decoded.error, "") << signal;
        EXPECT_FALSE(decoded.seconds.empty()) << signal;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 2) << signal;
        std::filesystem::remove(video);
        std::filesystem::remove(printed);
    }
}
#endif

} // namespace
