// SPDX-License-Identifier: MIT
#include "BashCompletion.h"
#include "FastStep.h"
#include "OptionTable.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "SimCliRun.h"
#include "StateText.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <regex>
#include <sstream>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {


TEST(SimCli, BadUsageSaysWhatIsWrongInOneLineAndExits2)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--num"}, "needs a value"},
        {{"--frames", "-1"}, "whole number"},
        {{"--frames", "1.5"}, "whole number"},
        {{"--frames", ""}, "whole number"},
        {{"--frames", "99999999999999999999"}, "too large"},
        {{"--print", "1,99999999999999999999"}, "too large"},
        {{"--preset", "5"}, "0 to 4"},
        {{"--preset=-1"}, "0 to 4"},
        {{"--format", "xml"}, "csv or jsonl"},
        {{"--print", "1,,2"}, "--print"},
        {{"--print", "5", "--frames", "2"}, "frame 5"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--bench=1"}, "takes no value"},
        {{"--quiet=yes"}, "takes no value"},
        {{"--bench", "--frames", "0"}, "at least one frame"},
        // After "--" nothing is an option any more.
        {{"--frames", "0", "--", "--num", "3"}, "unexpected argument '--num'"},
        {{"--", "--help"}, "unexpected argument '--help'"},
    };
    for (const auto& [args, says] : cases) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_TRUE(std::regex_match(r.err, std::regex("driftmote-sim: [^\n]+\nTry 'driftmote-sim --help'[^\n]*\n")))
            << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    }
    EXPECT_EQ(RunTool({"--frames", "0", "--"}).status, 0);
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
    const std::string help = RunTool({"--frames", "3", "-h"}).out;
    EXPECT_EQ(help.rfind("Usage: driftmote-sim", 0), 0u);
    EXPECT_NE(help.find("DRIFTMOTE_KERNEL"), std::string::npos);
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
    EXPECT_EQ(FramesOf(RunTool({"--print", "2,0,2,3", "--frames=3"}).out), (std::vector<long long>{0, 2, 3}));
    EXPECT_EQ(RunTool({"--frames", "3", "--print", "none"}).out, "");
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

TEST(SimCli, BenchReportsRatesOfTheLoopThatRan)
{
    // Below the vector kernels' smallest count the literal loop runs, whatever kernel is active.
    const std::pair<std::string, std::string> cases[] = {
        {"0", "kernel: plain, threads: 1\n"},
        {"1", "kernel: plain, threads: 1\n"},
        {"4", "kernel: plain, threads: 1\n"},
        {"5", std::string("kernel: ") + KernelName(DefaultStepKernel()) + ", threads: 1\n"},
    };
    for (const auto& [num, kernel] : cases) {
        const Result r = RunTool({"--num", num, "--frames", "2", "--bench"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind(kernel, 0), 0u) << num << ": " << r.out;
        EXPECT_TRUE(std::regex_search(r.out, std::regex("\nsteps per second: [0-9.e+]+\n"))) << r.out;
        // No pairs is 0 evaluations, not -0.
        EXPECT_TRUE(std::regex_search(r.out, std::regex(num < "2" ? "\npair evaluations per second: 0\n"
                                                                  : "\npair evaluations per second: [1-9][0-9.e+]*\n")))
            << r.out;
        EXPECT_EQ(r.out.find("frame,"), std::string::npos);
    }
}

// Output that takes `room` bytes, then fails as a full disk does. Records how
// much had been written at each flush.
class LimitedOutput : public std::streambuf {
public:
    explicit LimitedOutput(std::size_t room) : m_room(room) {}
    std::string written;
    std::vector<std::size_t> flushedAt;
    // Called at each flush after the first `flushes` flushes: a signal arriving then.
    std::function<void()> onFlush;

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), m_room - written.size());
        written.append(s, take);
        if (take < static_cast<std::size_t>(n))
            errno = ENOSPC;
        return static_cast<std::streamsize>(take);
    }
    int_type overflow(int_type c) override
    {
        const char ch = traits_type::to_char_type(c);
        return c == traits_type::eof() || xsputn(&ch, 1) == 1 ? traits_type::not_eof(c) : traits_type::eof();
    }
    int sync() override
    {
        flushedAt.push_back(written.size());
        if (onFlush)
            onFlush();
        return 0;
    }

private:
    std::size_t m_room;
};

Result RunToolInto(LimitedOutput& sink, const std::vector<std::string>& args)
{
    PortableRandRestart();
    std::ostream out(&sink);
    std::ostringstream err;
    const int status = RunSimCli(args, out, err);
    return {status, sink.written, err.str()};
}

// A run far too long to finish: only stopping at once lets these tests end.
const std::vector<std::string> kEndless = {"--num", "3", "--frames", "2000000000", "--print", "all"};

TEST(SimCli, OutputThatCannotBeWrittenEndsTheRunAtOnceSayingWhy)
{
    const std::pair<std::vector<std::string>, std::size_t> cases[] = {
        {{"--help"}, 0}, {{"--version"}, 5}, {{"--bench", "--frames", "1"}, 0},
        {{"--print", "2000000000", "--frames", "2000000000"}, 0}, // the header alone fails
        {kEndless, 0}, {kEndless, 100}, {kEndless, 4000},
    };
    const std::string reason = std::string("driftmote-sim: cannot write the output: ") + std::strerror(ENOSPC) + "\n";
    for (const auto& [args, room] : cases) {
        LimitedOutput sink(room);
        const Result r = RunToolInto(sink, args);
        EXPECT_EQ(r.status, 1) << args[0] << ' ' << room;
        EXPECT_EQ(r.err, reason) << args[0] << ' ' << room;
    }
}

TEST(SimCli, EveryFrameIsFlushedWhenComplete)
{
    LimitedOutput sink(1u << 20);
    const Result r = RunToolInto(sink, {"--num", "2", "--frames", "3", "--print", "all"});
    ASSERT_EQ(r.status, 0);
    // The ends of the header and of each frame's last row.
    std::vector<std::size_t> ends;
    for (std::size_t at = r.out.find('\n'); at != std::string::npos; at = r.out.find('\n', at + 1))
        ends.push_back(at + 1);
    const std::vector<std::size_t> frameEnds = {ends[0], ends[2], ends[4], ends[6], ends[8]};
    std::vector<std::size_t> flushed = sink.flushedAt;
    flushed.erase(std::unique(flushed.begin(), flushed.end()), flushed.end());
    EXPECT_EQ(flushed, frameEnds);
}

TEST(SimCli, AStopSignalEndsTheRunAfterTheFrameInHand)
{
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        LimitedOutput sink(1u << 20);
        int flushes = 0;
        // The signal arrives while frame 0 is being flushed.
        sink.onFlush = [&, signal = signal] {
            if (++flushes == 2)
                g_simCliStop = signal;
        };
        const Result r = RunToolInto(sink, kEndless);
        g_simCliStop = 0;
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(FramesOf(r.out), std::vector<long long>{0});
        EXPECT_EQ(RowsOf(r.out), 3);
        EXPECT_EQ(r.out.back(), '\n');
    }
}

// The built program, run as a user runs it: by a POSIX shell. On Windows (cmd.exe
// quotes and sets variables its own way) tools/windows-check.sh runs the program
// on every golden run and with a wrong kernel name instead.
#ifndef _WIN32
// What a shell command writes on its standard output; it must succeed.
std::string CommandOutput(const std::string& command)
{
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

std::string RunProgram(const std::vector<std::string>& args, const std::string& environment = "",
                       const std::string& redirection = "")
{
    std::string command = environment + DRIFTMOTE_SIM_PATH;
    for (const std::string& arg : args)
        command += " '" + arg + "'"; // no argument here holds a quote
    return CommandOutput(command + redirection);
}

TEST(SimCli, AKernelOrThreadsFromTheEnvironmentThatAreWrongAreSaidFirstUnderTheToolsName)
{
    const std::string out = RunProgram({"--frames", "1", "--print", "0"}, "DRIFTMOTE_KERNEL=bogus ", " 2>&1");
    EXPECT_EQ(out.rfind("driftmote-sim: DRIFTMOTE_KERNEL=bogus is not one of", 0), 0u) << out;
    // An empty name names no kernel, and is no mistake.
    const std::string empty = RunProgram({"--frames", "1", "--print", "0"}, "DRIFTMOTE_KERNEL= ", " 2>&1");
    EXPECT_EQ(empty.rfind("frame,", 0), 0u) << empty;

    const std::string threads = RunProgram({"--frames", "1", "--print", "0"}, "DRIFTMOTE_THREADS=two ", " 2>&1");
    EXPECT_EQ(threads.rfind("driftmote-sim: DRIFTMOTE_THREADS=two is not auto or a count", 0), 0u) << threads;
    // Automatic threads take all for the first two steps of a count.
    const std::string one = RunProgram({"--num", "1000", "--frames", "2", "--bench"}, "DRIFTMOTE_THREADS=1 ");
    EXPECT_NE(one.find("threads: 1"), std::string::npos) << one;
}

// The completion, run by bash with the helpers of bash-completion stood in for,
// offers what the option table says.
TEST(SimCli, TheBashCompletionOffersWhatTheOptionTableSays)
{
    std::string script = BashCompletion() +
                         "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]};"
                         " split=false; }\n_filedir() { COMPREPLY=(\"files:$1\"); }\ncompopt() { :; }\n"
                         "offer() { COMP_WORDS=(driftmote-sim \"$1\" \"$2\"); COMP_CWORD=2; COMPREPLY=();"
                         " _driftmote_sim; echo \"${COMPREPLY[*]}\"; }\n";
    std::string expected, names;
    for (const OptionRow& row : OptionTable()) {
        names += names.empty() ? row.name : " " + row.name;
        script += "offer " + row.name + " ''\n";
        if (row.value.empty())
            expected += "\n"; // after an option without a value, an empty word is no option
        else if (row.completion.kind == ValueCompletion::Files)
            expected += "files:" + row.completion.text + "\n";
        else
            expected += row.completion.text + "\n";
    }
    script += "offer --quiet --\n";
    const std::string path = testing::TempDir() + "driftmote-sim-completion.bash";
    std::ofstream(path) << script;
    EXPECT_EQ(CommandOutput("bash " + path), expected + names + "\n");
}
#endif

// The golden files print every float with %.9g, as the tool does, which reads back
// to the same float (-0 included): the same text is the same bits. Each was made
// by a separate implementation with the arguments that runs.tsv lists beside it.
// The literal step makes them here: the kernels are held to it on their own.
TEST(SimCli, TheProgramReproducesTheGoldenTrajectoriesBitForBit)
{
    const std::string table = DRIFTMOTE_GOLDEN_DIR "/runs.tsv";
    std::ifstream runs(table);
    ASSERT_TRUE(runs) << "cannot read the list of golden runs " << table;
    int checked = 0;
    for (std::string line; std::getline(runs, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> args;
        for (std::size_t start = 0, tab;; start = tab + 1) {
            tab = line.find('\t', start);
            args.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
        }
        const std::string name = args.front();
        args.erase(args.begin());
        const std::string path = DRIFTMOTE_GOLDEN_DIR "/" + name;
        std::ifstream file(path);
        ASSERT_TRUE(file) << "cannot read the golden trajectory " << path;
        std::ostringstream golden;
        golden << file.rdbuf();
#ifdef _WIN32
        EXPECT_EQ(RunTool(args).out, golden.str()) << name;
#else
        EXPECT_EQ(RunProgram(args, "DRIFTMOTE_KERNEL=plain "), golden.str()) << name;
#endif
        ++checked;
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DRIFTMOTE_GOLDEN_DIR))
        files += entry.path().extension() == ".csv";
    EXPECT_EQ(checked, files) << "every golden file has its run in " << table;
}

// JSON lines have no word for a number that is not one.
TEST(SimCli, JsonLinesWriteNullForAVelocityThatIsNotANumber)
{
    const std::string json =
        RunTool({"--attraction", "3e38", "--repulsion", "3e38", "--frames", "1", "--format", "jsonl"}).out;
    EXPECT_NE(json.find("\"vx\":null"), std::string::npos) << json;
    EXPECT_EQ(json.find("nan"), std::string::npos) << json;
}

// Nor for an infinity, which a snapshot may hold.
TEST(StateText, JsonLinesWriteNullForAnInfinity)
{
    for (const float value : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
        std::string line;
        AppendFloat(line, value, true);
        EXPECT_EQ(line, "null") << value;
    }
}

TEST(SimCli, TheProgressLineShowsOnATerminalUnlessQuiet)
{
    for (const bool quiet : {false, true}) {
        std::vector<std::string> args = {"--frames", "3", "--print", "none"};
        if (quiet)
            args.push_back("--quiet");
        // A second passes at each look at the clock: the run seems long.
        std::chrono::steady_clock::time_point now{};
        const auto clock = [&now] { return now += std::chrono::seconds(1); };
        std::ostringstream out, err;
        PortableRandRestart();
        ASSERT_EQ(RunSimCli(args, out, err, true, clock), 0);
        EXPECT_EQ(err.str().find("\rframe 1/3"), quiet ? std::string::npos : 0u) << err.str();
    }
}


} // namespace
