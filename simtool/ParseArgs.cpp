// SPDX-License-Identifier: MIT
#include "ParseArgs.h"

#include "OptionTable.h"
#include "OutputClash.h"
#include "SimVideoMemory.h"

namespace {

// The frames the run prints and draws: those --print lists; without a list the
// last, or with a video every frame, printing none.
FrameChoice Shown(const Options& options)
{
    if (options.printAll)
        return {true, {}, true};
    if (options.printFrames && !options.printFrames->empty())
        return {false, *options.printFrames, true};
    if (options.videoPath)
        return {true, {}, false};
    if (options.printFrames)
        return {false, {}, false};
    return {false, {options.frames}, true};
}

// Options that contradict each other.
void CheckTogether(const Options& options)
{
    if (options.printFrames && !options.printFrames->empty() && options.printFrames->back() > options.frames)
        throw UsageError{"--print names frame " + std::to_string(options.printFrames->back()) + ", but only " +
                         std::to_string(options.frames) + " frames are run"};
    if (options.link) {
        for (const Action& action : options.actions)
            if (action.kind == Action::Load)
                throw UsageError{"--link cannot replay --load: a snapshot's state is not part of a link"};
        const char* output = options.savePath ? "--save" : options.picture ? "--picture" : options.videoPath ? "--video"
                             : options.bench ? "--bench" : options.printFrames || options.printAll ? "--print" : nullptr;
        if (output != nullptr)
            throw UsageError{std::string("--link prints a link instead of running, so ") + output + " has nothing to do"};
    }
    if (options.bench && options.frames == 0)
        throw UsageError{"--bench needs at least one frame"};
    if (const std::string clash = OutputClash(options); !clash.empty())
        throw UsageError{clash};
    if (options.picture && options.picture->numbered && !options.bench && !options.shown.all &&
        options.shown.list.empty())
        throw UsageError{"--picture writes a picture for each printed frame, but --print none prints none"};
    if (options.videoPath && options.bench)
        throw UsageError{"--video records frames, and --bench only times them"};
    if (options.videoPath) {
        if (const std::string problem = SimVideoMemoryProblem(options.pictureWidth, options.pictureHeight,
                                                              options.pictureScale, *options.videoPath);
            !problem.empty())
            throw UsageError{problem};
    }
}

} // namespace

Options ParseArgs(const std::vector<std::string>& args)
{
    Options options;
    bool optionsEnded = false; // after "--" every argument is an operand, and none is known
    for (std::size_t i = 0; i < args.size() && !options.reply; ++i) {
        const std::string& arg = args[i];
        if (optionsEnded)
            throw UsageError{"unexpected argument '" + arg + "'"};
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const OptionRow* row = FindOption(name);
        if (row == nullptr)
            throw UsageError{(arg.rfind('-', 0) == 0 ? "unknown option '" : "unexpected argument '") + arg + "'"};
        std::string value;
        if (row->value.empty() && equals != std::string::npos)
            throw UsageError{"option '" + name + "' takes no value"};
        if (!row->value.empty()) {
            if (equals != std::string::npos)
                value = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            else
                throw UsageError{"option '" + name + "' needs a value"};
        }
        row->read(options, value);
    }
    if (options.reply)
        return options;
    options.shown = Shown(options);
    CheckTogether(options);
    return options;
}
