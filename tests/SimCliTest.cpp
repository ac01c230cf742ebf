#include "FastStep.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

// One run of the tool in-process, from the random source's start state as the
// program always finds it.
Result RunTool(const std::vector<std::string>& args)
{
    PortableRandRestart();
    std::ostringstream out, err;
    const int status = RunSimCli(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(SimCli, BadUsageSaysWhatIsWrongInOneLineAndExits2)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"}, {"--num"}, {"--frames", "-1"}, {"--frames", "1.5"}, {"--frames", ""},
        {"--frames", "99999999999999999999"}, {"--preset", "5"}, {"--preset=-1"}, {"--format", "xml"},
        {"--print", "1,,2"}, {"--print", "5", "--frames", "2"}, {"stray"}, {"--bench=1"},
        {"--bench", "--frames", "0"},
    };
    for (const std::vector<std::string>& args : cases) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_TRUE(std::regex_match(r.err, std::regex("driftmote-sim: [^\n]+\nTry 'driftmote-sim --help'[^\n]*\n")))
            << r.err;
    }
}

TEST(SimCli, CountWithoutRoomFailsTheRunNamingTheCount)
{
    const Result r = RunTool({"--num", "2000000000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("2000000000"), std::string::npos) << r.err;
}

TEST(SimCli, HelpAndVersionEndTheRunAtOnce)
{
    EXPECT_EQ(RunTool({"--frames", "3", "-h"}).out.rfind("Usage: driftmote-sim", 0), 0u);
    EXPECT_EQ(RunTool({"--version", "--bogus"}).out, std::string("driftmote-sim ") + DRIFTMOTE_VERSION_STRING + "\n");
}

// The frames of a CSV state table, from the rows of particle 0.
std::vector<long long> FramesOf(const std::string& csv)
{
    std::vector<long long> frames;
    std::istringstream lines(csv);
    long long frame = 0;
    int index = 0;
    for (std::string line; std::getline(lines, line);)
        if (std::sscanf(line.c_str(), "%lld,%d,", &frame, &index) == 2 && index == 0)
            frames.push_back(frame);
    return frames;
}

long RowsOf(const std::string& csv)
{
    return std::count(csv.begin(), csv.end(), '\n') - 1;
}

TEST(SimCli, PrintSelectsTheFrames)
{
    EXPECT_EQ(FramesOf(RunTool({"--frames", "3"}).out), std::vector<long long>{3});
    EXPECT_EQ(FramesOf(RunTool({"--frames", "3", "--print", "all"}).out), (std::vector<long long>{0, 1, 2, 3}));
    EXPECT_EQ(FramesOf(RunTool({"--print", "2,0,2", "--frames=3"}).out), (std::vector<long long>{0, 2}));
    EXPECT_EQ(RunTool({"--frames", "3", "--print", "none"}).out, "frame,index,x,y,vx,vy\n");
}

TEST(SimCli, CountTextsRescatterAndCoefficientTextsDoNot)
{
    const std::string start = RunTool({"--frames", "0"}).out;
    EXPECT_EQ(RowsOf(start), 67);
    EXPECT_EQ(RunTool({"--frames", "0", "--attraction", "-2"}).out, start);
    EXPECT_NE(RunTool({"--frames", "0", "--num", "67"}).out, start);
    EXPECT_EQ(RunTool({"--frames", "0", "--preset", "0"}).out, RunTool({"--frames", "0", "--num", "67"}).out);
    EXPECT_EQ(RowsOf(RunTool({"--frames", "0", "--preset", "2"}).out), 32);
}

TEST(SimCli, JsonLinesCarryTheSameFieldsAsCsv)
{
    const std::vector<std::string> args = {"--num", "3", "--frames", "2", "--print", "all"};
    std::vector<std::string> jsonArgs = args;
    jsonArgs.insert(jsonArgs.end(), {"--format", "jsonl"});
    const std::string json = RunTool(jsonArgs).out;
    const std::regex line(R"(\{"frame":(\d+),"index":(\d+),"x":([^,]+),"y":([^,]+),"vx":([^,]+),"vy":([^,]+)\})");
    EXPECT_EQ(RunTool(args).out,
              "frame,index,x,y,vx,vy\n" + std::regex_replace(json, line, "$1,$2,$3,$4,$5,$6"));
}

TEST(SimCli, BenchReportsRatesInsteadOfStates)
{
    const Result r = RunTool({"--num", "5", "--frames", "2", "--bench"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(std::string("kernel: ") + KernelName(DefaultStepKernel()) + ", threads: 1\n"), std::string::npos);
    EXPECT_TRUE(std::regex_search(r.out, std::regex("\nsteps per second: [0-9.e+]+\n")));
    EXPECT_TRUE(std::regex_search(r.out, std::regex("\npair evaluations per second: [0-9.e+]+\n")));
    EXPECT_EQ(r.out.find("frame,"), std::string::npos);
}

// The built program, run as a user runs it.
std::string RunProgram(const std::vector<std::string>& args)
{
    std::string command = DRIFTMOTE_SIM_PATH;
    for (const std::string& arg : args)
        command += " '" + arg + "'"; // no argument here holds a quote
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {};
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    return out;
}

// The golden files print every float with %.9g, as the tool does, which reads back
// to the same float (-0 included): the same text is the same bits. Each was made
// with these arguments by a separate implementation.
TEST(SimCli, InProcessAndAsAProgramReproducesTheGoldenTrajectoriesBitForBit)
{
    const std::pair<std::vector<std::string>, std::string> runs[] = {
        {{"--frames", "100", "--print", "0,1,2,10,100"}, "startup.csv"},
        {{"--preset", "1", "--frames", "10", "--print", "0,1,10"}, "preset1.csv"},
        {{"--preset", "2", "--frames", "200", "--print", "0,1,200"}, "preset2.csv"},
        {{"--preset", "3", "--frames", "200", "--print", "0,1,200"}, "preset3.csv"},
        {{"--preset", "4", "--frames", "200", "--print", "0,1,200"}, "preset4.csv"},
        {{"--num", "400", "--frames", "12", "--print", "0,12"}, "count400.csv"},
        {{"--attraction", "3e38", "--repulsion", "3e38", "--frames", "3", "--print", "1,3"}, "nonfinite.csv"},
        {{"--num", " 12abc", "--attraction", "0x10", "--repulsion", "+.5e-5x", "--friction", "nan", "--frames",
          "20", "--print", "20"},
         "texts.csv"},
    };
    for (const auto& [args, name] : runs) {
        const std::string path = DRIFTMOTE_GOLDEN_DIR "/" + name;
        std::ifstream file(path);
        ASSERT_TRUE(file) << "cannot read the golden trajectory " << path;
        std::ostringstream golden;
        golden << file.rdbuf();
        EXPECT_EQ(RunTool(args).out, golden.str()) << name;
        EXPECT_EQ(RunProgram(args), golden.str()) << name;
    }
}

// JSON lines have no word for a number that is not one.
TEST(SimCli, JsonLinesWriteNullForAVelocityThatIsNotANumber)
{
    const std::string json =
        RunTool({"--attraction", "3e38", "--repulsion", "3e38", "--frames", "1", "--format", "jsonl"}).out;
    EXPECT_NE(json.find("\"vx\":null"), std::string::npos) << json;
    EXPECT_EQ(json.find("nan"), std::string::npos) << json;
}

} // namespace
