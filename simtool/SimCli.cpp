// SPDX-License-Identifier: MIT
#include "SimCli.h"

#include "FastStep.h"
#include "ParseArgs.h"
#include "RandomUnit.h"
#include "RunLink.h"
#include "SimPicture.h"
#include "SimRun.h"
#include "SimVideo.h"
#include "StateText.h"

#include <cerrno>
#include <ostream>

namespace {

// The run's start as the page's link has it: the seed, the edits and presets in
// order (never a snapshot: the parser refuses --load with --link) and the frames.
RunLink LinkOfRun(const Options& options)
{
    RunLink link;
    link.seed = options.seed.value_or(kStartSeed);
    for (const Action& action : options.actions)
        link.steps.push_back({action.kind == Action::Preset, action.box, action.text, action.preset});
    link.frames = options.frames;
    return link;
}

} // namespace

volatile std::sig_atomic_t g_simCliStop = 0;
volatile std::sig_atomic_t g_simCliBusy = 0;

int RunSimCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal,
              const std::function<std::chrono::steady_clock::time_point()>& now)
{
    Options options;
    try {
        options = ParseArgs(args);
    } catch (const UsageError& e) {
        err << kSimProgram << ": " << e.message << '\n'
            << "Try '" << kSimProgram << " --help' for more information.\n";
        return 2;
    }
    if (options.reply) {
        errno = 0;
        out << *options.reply;
        return Flushed(out, err) ? 0 : 1;
    }
    if (options.link) {
        out << "driftmote.html#" << LinkFragment(LinkOfRun(options)) << '\n';
        return Flushed(out, err) ? 0 : 1;
    }
    const Terminal terminal{err, errIsTerminal && !options.quiet, now};

    // The kernel is chosen now, so that a complaint about the environment's
    // choice comes first, under this program's name.
    SetSimProgramName(kSimProgram);
    DefaultStepKernel();

    // The generator's state before the start's scatter; without --seed it is the
    // program's start state, which is 1.
    if (options.seed)
        SetPortableRandState(*options.seed);

    SwarmSession session;
    if (session.Start() != SessionResult::Done || !ApplyActions(session, options.actions, terminal))
        return 1;
    if (g_simCliStop != 0)
        return StoppedStatus();
    const ParticleSystem& particles = session.Particles();

    // A message of the run, naming the program.
    const auto said = [](const std::string& message) { return std::string(kSimProgram) + ": " + message; };
    // The picture of a frame; a message when it cannot be written.
    const auto picture = [&](long long frame) -> std::string {
        std::string error;
        if (WriteSimPicture(particles, options.pictureWidth, options.pictureHeight, options.pictureScale,
                            PictureName(*options.picture, frame), error))
            return {};
        return said(error);
    };
    // The video: opened before the first frame, every shown frame added, finished
    // after the last (also when a signal ended the run).
    SimVideo video;
    std::string videoError;
    if (options.videoPath && !video.Open(*options.videoPath, options.pictureWidth, options.pictureHeight,
                                         options.pictureScale, options.fps, videoError)) {
        err << said(videoError) << '\n';
        return 1;
    }

    const bool numbered = options.picture && options.picture->numbered;
    const int status = options.bench ? RunBench(session, options.frames, out, err)
                                     : RunFrames(session, options, out, terminal, [&](long long frame) {
                                           std::string failure = numbered ? picture(frame) : std::string();
                                           if (failure.empty() && options.videoPath && !video.Add(particles, videoError))
                                               failure = said(videoError);
                                           return failure;
                                       });
    if (options.videoPath && (status == 0 || g_simCliStop != 0) && !video.Finish(videoError)) {
        err << said(videoError) << '\n';
        return 1;
    }
    if (status != 0)
        return status;
    if (options.picture && (!numbered || options.bench)) {
        if (const std::string failure = picture(options.frames); !failure.empty()) {
            err << failure << '\n';
            return 1;
        }
    }
    if (options.savePath) {
        std::string error;
        if (session.SaveSnapshotFile(*options.savePath, error) != SessionResult::Done) {
            err << said(error) << '\n';
            return 1;
        }
    }
    return 0;
}
