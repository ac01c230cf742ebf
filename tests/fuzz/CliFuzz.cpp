// SPDX-License-Identifier: MIT
// driftmote-sim's argument handling over argument vectors: the input is the
// arguments separated by NUL bytes (a real argument cannot hold one). Vectors
// that would legitimately run long (many particles, many frames) are skipped, so
// any slow case is a fault; so are those that name files (--load, --save,
// --picture), whose runs fail for want of the file or write wherever the fuzzer
// says: the snapshot target and the tool's tests cover reading and writing them.

#include "FuzzCheck.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "SwarmParams.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kMaxArgs = 24;
constexpr int kMaxCount = 400; // the golden run's count, just above where two threads start
constexpr int kMaxFrames = 8;

std::vector<std::string> SplitArgs(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size() && args.size() <= kMaxArgs) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        args.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    if (size == 0)
        args.clear();
    return args;
}

// Whether the run stays short and touches no file: every count typed is at most
// kMaxCount, every frame number at most kMaxFrames, and no option names a file. Values are paired with their options the way
// the tool pairs them (after '=' or as the next argument); anything the tool
// might read as a number is bounded, so a mispairing only skips more.
bool Short(const std::vector<std::string>& args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        std::string value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);
        else if (i + 1 < args.size())
            value = args[i + 1];
        if (name == "--load" || name == "--save" || name == "--picture")
            return false;
        if (name == "--num" && CountFromText(value) > kMaxCount)
            return false;
        if (name == "--frames" && (value.size() > 3 || CountFromText(value) > kMaxFrames))
            return false;
    }
    return args.size() <= kMaxArgs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args = SplitArgs(data, size);
    if (!Short(args))
        return -1; // not added to the corpus
    // Without --frames the tool runs 1000; a given --frames comes later and wins.
    args.insert(args.begin(), {"--frames", "2"});

    PortableRandRestart();
    std::ostringstream out, err;
    const int status = RunSimCli(args, out, err);
    const std::string errText = err.str();
    FUZZ_REQUIRE(status == 0 || status == 2, "exit status %d; stderr: %s", status, errText.c_str());
    if (status == 0) {
        FUZZ_REQUIRE(errText.empty(), "a successful run wrote to stderr: %s", errText.c_str());
    } else {
        FUZZ_REQUIRE(out.str().empty(), "bad usage wrote to stdout: %s", out.str().c_str());
        FUZZ_REQUIRE(errText.rfind("driftmote-sim: ", 0) == 0 && errText.back() == '\n',
                     "bad usage without its message: \"%s\"", errText.c_str());
    }
    return 0;
}
