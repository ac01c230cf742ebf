// SPDX-License-Identifier: MIT
#include "SimCli.h"

#include "FastStep.h"
#include "OutputClash.h"
#include "PicturePattern.h"
#include "Progress.h"
#include "RandomUnit.h"
#include "SimPicture.h"
#include "SwarmSession.h"
#include "SimVideo.h"
#include "Version.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <string_view>

namespace {

constexpr const char* kProgram = "driftmote-sim";

constexpr const char* kHelp =
    "Usage: driftmote-sim [OPTION]...\n"
    "Run the particle simulation without a window and print the particle states.\n"
    "\n"
    "It starts as the window does (3 particles scattered, then preset 0), applies the\n"
    "options in the order given, as if typed into the window's boxes, then steps.\n"
    "\n"
    "  --num TEXT         type TEXT into the Num box (a new count rescatters)\n"
    "  --attraction TEXT  type TEXT into the Attraction box\n"
    "  --repulsion TEXT   type TEXT into the Repulsion box\n"
    "  --friction TEXT    type TEXT into the Friction box\n"
    "  --preset K         select preset K (0 to 4): its Num, Attraction, Repulsion\n"
    "                     and Friction texts in that order\n"
    "  --load FILE        replace the whole state by a snapshot file (.driftmote),\n"
    "                     texts, preset, generator and particles; later options\n"
    "                     apply on top of it\n"
    "  --seed N           the random generator's state (0 to 4294967295) before\n"
    "                     the start's scatter, wherever it is given (default 1, as\n"
    "                     the window)\n"
    "  --frames N         number of steps (default 1000)\n"
    "  --print LIST       frames to print, comma separated (0 is the state before\n"
    "                     the first step), or 'all', or 'none' (default: the last)\n"
    "  --format FORMAT    csv (default; header frame,index,x,y,vx,vy) or jsonl\n"
    "  --bench            print steps and pair evaluations per second instead\n"
    "  --save FILE        write a snapshot of the state after the last frame\n"
    "  --picture FILE     write the picture of the last frame as PNG; a frame\n"
    "                     number in the name (%d, %5d, %05d; %% for a percent\n"
    "                     sign) writes one for every printed frame instead\n"
    "  --size WxH         the picture's size in pixels (default 511x458, the\n"
    "                     window's canvas at its start)\n"
    "  --scale F          draw the picture as a screen with F device pixels per\n"
    "                     pixel shows it (0.25 to 8, default 1): --size 511x458\n"
    "                     --scale 2 gives 1022x916 pixels, as the window saves\n"
    "  --video FILE       write every printed frame as one video: H.264 in .mp4\n"
    "                     or VP9 in .webm, drawn as --picture draws\n"
    "  --fps N            the video's frames per second (1 to 1000, default 60)\n"
    "  --quiet            show no progress line (shown only on a terminal's\n"
    "                     stderr, for runs longer than about a second)\n"
    "  -h, --help         show this help and exit\n"
    "      --version      show the version and exit\n"
    "  --                 end of the options\n"
    "\n"
    "Options take their value as the next argument or after '=' (--num=128).\n"
    "Every float is printed with %.9g, so it reads back as the same float.\n"
    "Every printed frame is flushed when complete; Ctrl+C stops after the last one.\n"
    "Lines end in LF alone on every system, Windows included.\n"
    "\n"
    "Environment:\n"
    "  DRIFTMOTE_KERNEL   the step's kernel: plain, avx2 or avx512 (default: the\n"
    "                     fastest this CPU runs); every kernel gives the same floats\n"
    "\n"
    "Exit status: 0 on success, 1 if the run fails (including output that cannot\n"
    "be written), 2 on bad usage, 129, 130 or 143 when stopped by SIGHUP, SIGINT\n"
    "or SIGTERM (130 for Ctrl+C and Ctrl+Break in a Windows console); a pipe whose\n"
    "reader has gone ends it silently by SIGPIPE (141 in the shell).\n"
    "\n"
    "Examples:\n"
    "  driftmote-sim --frames 100 --print 0,1,100\n"
    "  driftmote-sim --preset 1 --friction .1 --format jsonl\n"
    "  driftmote-sim --num 1000 --frames 50 --bench\n"
    "  driftmote-sim --preset 2 --frames 500 --save run.driftmote --picture run.png\n"
    "  driftmote-sim --load run.driftmote --print all --picture 'f%05d.png'\n"
    "  driftmote-sim --preset 4 --frames 600 --print all --video swarm.mp4 >/dev/null\n";

// One change of the state, in the order given: an edit of one box (as the window's
// boxes would be given it), the choice of a preset, or a snapshot file that
// replaces everything.
struct Action {
    enum Kind { Edit, Preset, Load } kind;
    ParamBox box = ParamBox::Num;
    std::string text; // the edit's text or the file's name
    int preset = 0;
};

// The window's canvas at its start: its template size in the dialog units of the
// dialog font on this machine (base units 7 by 13 pixels), less the sunken frame.
constexpr int kDefaultPictureWidth = 511;
constexpr int kDefaultPictureHeight = 458;
constexpr int kMaxPictureSide = 32768;

struct Options {
    std::vector<Action> actions; // in the order given
    std::optional<std::uint32_t> seed;
    std::optional<std::string> savePath;
    std::optional<PicturePattern> picture;
    int pictureWidth = kDefaultPictureWidth;
    int pictureHeight = kDefaultPictureHeight;
    double pictureScale = 1.0;
    std::optional<std::string> videoPath;
    int fps = 60;
    long long frames = 1000;
    bool printAll = false;
    std::optional<std::vector<long long>> printFrames; // none given: the last frame only
    bool jsonl = false;
    bool bench = false;
    bool quiet = false;
};

// Bad usage: the message says what is wrong, in one line.
struct UsageError {
    std::string message;
};

// A whole number of 0 or more, all of `text`; `usage` says what the option
// takes, for the message when `text` is something else.
long long WholeNumber(std::string_view text, std::string_view option, std::string_view usage)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (!text.empty() && text.front() != '-' && ptr == end && ec == std::errc::result_out_of_range)
        throw UsageError{std::string(option) + ": '" + std::string(text) + "' is too large"};
    if (text.empty() || text.front() == '-' || ec != std::errc() || ptr != end)
        throw UsageError{std::string(option) + " takes " + std::string(usage) + ", not '" + std::string(text) + "'"};
    return value;
}

std::vector<long long> FrameList(std::string_view text)
{
    std::vector<long long> frames;
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        frames.push_back(
            WholeNumber(item, "--print", "frame numbers separated by commas, 'all' or 'none'"));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

void ApplyValueOption(Options& options, std::string_view name, const std::string& value)
{
    if (name == "--num")
        options.actions.push_back({Action::Edit, ParamBox::Num, value});
    else if (name == "--attraction")
        options.actions.push_back({Action::Edit, ParamBox::Attraction, value});
    else if (name == "--repulsion")
        options.actions.push_back({Action::Edit, ParamBox::Repulsion, value});
    else if (name == "--friction")
        options.actions.push_back({Action::Edit, ParamBox::Friction, value});
    else if (name == "--load")
        options.actions.push_back({Action::Load, ParamBox::Num, value});
    else if (name == "--save")
        options.savePath = value;
    else if (name == "--seed") {
        const long long seed = WholeNumber(value, "--seed", "a number from 0 to 4294967295");
        if (seed > static_cast<long long>(UINT32_MAX))
            throw UsageError{"--seed takes a number from 0 to 4294967295, not '" + value + "'"};
        options.seed = static_cast<std::uint32_t>(seed);
    } else if (name == "--picture") {
        std::string error;
        options.picture = ParsePicturePattern(value, error);
        if (!options.picture)
            throw UsageError{"--picture: " + error};
    } else if (name == "--size") {
        const std::size_t x = value.find('x');
        const std::string_view text = value;
        const auto side = [&](std::string_view part) {
            const long long n = WholeNumber(part, "--size", "WIDTHxHEIGHT in pixels (1 to 32768 each)");
            if (n < 1 || n > kMaxPictureSide)
                throw UsageError{"--size takes WIDTHxHEIGHT in pixels (1 to 32768 each), not '" + value + "'"};
            return static_cast<int>(n);
        };
        if (x == std::string::npos)
            throw UsageError{"--size takes WIDTHxHEIGHT in pixels (1 to 32768 each), not '" + value + "'"};
        options.pictureWidth = side(text.substr(0, x));
        options.pictureHeight = side(text.substr(x + 1));
    } else if (name == "--scale") {
        double scale = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), scale);
        if (value.empty() || ec != std::errc() || ptr != value.data() + value.size() || !(scale >= 0.25) ||
            !(scale <= 8))
            throw UsageError{"--scale takes a number from 0.25 to 8, not '" + value + "'"};
        options.pictureScale = scale;
    } else if (name == "--video") {
        if (const std::string missing = SimVideoMissing(); !missing.empty())
            throw UsageError{missing};
        if (const std::string problem = SimVideoNameProblem(value); !problem.empty())
            throw UsageError{problem};
        options.videoPath = value;
    } else if (name == "--fps") {
        const long long fps = WholeNumber(value, "--fps", "a number of frames per second from 1 to 1000");
        if (fps < 1 || fps > 1000)
            throw UsageError{"--fps takes a number of frames per second from 1 to 1000, not '" + value + "'"};
        options.fps = static_cast<int>(fps);
    } else if (name == "--preset") {
        const long long preset = WholeNumber(value, "--preset", "a number from 0 to 4");
        if (preset >= kPresetCount)
            throw UsageError{"--preset takes a number from 0 to 4, not '" + value + "'"};
        options.actions.push_back({Action::Preset, ParamBox::Num, {}, static_cast<int>(preset)});
    } else if (name == "--frames") {
        options.frames = WholeNumber(value, "--frames", "a whole number of 0 or more");
    } else if (name == "--print") {
        options.printAll = value == "all";
        options.printFrames.reset();
        if (value == "none")
            options.printFrames.emplace();
        else if (!options.printAll)
            options.printFrames = FrameList(value);
    } else if (name == "--format") {
        if (value != "csv" && value != "jsonl")
            throw UsageError{"--format takes csv or jsonl, not '" + value + "'"};
        options.jsonl = value == "jsonl";
    }
}

bool TakesValue(std::string_view name)
{
    for (const char* known : {"--num", "--attraction", "--repulsion", "--friction", "--preset", "--frames",
                              "--print", "--format", "--load", "--save", "--seed", "--picture", "--size",
                              "--scale", "--video", "--fps"})
        if (name == known)
            return true;
    return false;
}

// Reads the arguments. Returns the exit status when the program ends here (help,
// version), nothing when the run should go ahead; bad usage throws UsageError.
std::optional<int> ParseArgs(const std::vector<std::string>& args, Options& options, std::ostream& out)
{
    bool optionsEnded = false; // after "--" every argument is an operand, and none is known
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded)
            throw UsageError{"unexpected argument '" + arg + "'"};
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        if (TakesValue(name)) {
            if (equals != std::string::npos)
                ApplyValueOption(options, name, arg.substr(equals + 1));
            else if (i + 1 < args.size())
                ApplyValueOption(options, name, args[++i]);
            else
                throw UsageError{"option '" + name + "' needs a value"};
        } else if (equals != std::string::npos &&
                   (name == "--bench" || name == "--quiet" || name == "--help" || name == "--version")) {
            throw UsageError{"option '" + name + "' takes no value"};
        } else if (arg == "--bench") {
            options.bench = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "-h" || arg == "--help") {
            out << kHelp;
            return 0;
        } else if (arg == "--version") {
            out << kProgram << ' ' << DRIFTMOTE_VERSION_STRING << '\n';
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError{"unknown option '" + arg + "'"};
        } else {
            throw UsageError{"unexpected argument '" + arg + "'"};
        }
    }
    if (options.printFrames && !options.printFrames->empty() && options.printFrames->back() > options.frames)
        throw UsageError{"--print names frame " + std::to_string(options.printFrames->back()) +
                         ", but only " + std::to_string(options.frames) + " frames are run"};
    if (options.bench && options.frames == 0)
        throw UsageError{"--bench needs at least one frame"};
    if (options.picture && options.savePath && PictureCouldBe(*options.picture, *options.savePath))
        throw UsageError{"--save and --picture name the same file '" + *options.savePath + "'"};
    if (options.picture && options.picture->numbered && !options.bench && options.printFrames &&
        options.printFrames->empty())
        throw UsageError{"--picture writes a picture for each printed frame, but --print none prints none"};
    if (options.videoPath && options.bench)
        throw UsageError{"--video records the printed frames, and --bench prints none"};
    if (options.videoPath && options.printFrames && options.printFrames->empty())
        throw UsageError{"--video records the printed frames, and --print none prints none"};
    return std::nullopt;
}

// Scatters of this many particles or more take long enough (a second or more)
// that a terminal is told what is going on.
constexpr int kScatterNoticeFrom = 1000000;

// Where the run shows its progress, if anywhere.
struct Terminal {
    std::ostream& err;
    bool progress; // stderr is a terminal and the user did not ask for quiet
};

// Runs one session call that may scatter very many particles, showing a notice on
// the terminal meanwhile. False (after saying why) when the particles for the new
// count cannot be made.
bool Scattering(int count, const Terminal& terminal, const std::function<SessionResult()>& call)
{
    const bool notice = terminal.progress && count >= kScatterNoticeFrom;
    if (notice)
        terminal.err << Redrawn("scattering " + std::to_string(count) + " particles...") << std::flush;
    // The scatter is one long call: a stop request ends the program at once
    // here, as nothing has been printed yet.
    g_simCliBusy = 1;
    const SessionResult result = call();
    g_simCliBusy = 0;
    if (notice)
        terminal.err << kEraseLine << std::flush;
    if (result == SessionResult::NoMemory)
        terminal.err << kProgram << ": cannot allocate the arrays for " << count << " particles\n";
    return result == SessionResult::Done;
}

// A float as %.9g, which reads back as the same float (-0 included). A velocity
// that is not a number is written as nan, whatever its sign bit. JSON has no word
// for infinities or NaN: there it is written as null.
void AppendFloat(std::string& line, float value, bool json)
{
    if (json && !std::isfinite(value)) {
        line += "null";
        return;
    }
    if (std::isnan(value)) {
        line += "nan";
        return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    line += buffer;
}

void WriteState(std::ostream& out, long long frame, const ParticleSystem& particles, bool jsonl)
{
    static constexpr const char* kJsonKeys[] = {",\"x\":", ",\"y\":", ",\"vx\":", ",\"vy\":"};
    std::string line;
    for (int i = 0; i < particles.m_nCount; ++i) {
        const Particle& p = particles.m_pCur[i];
        line = jsonl ? "{\"frame\":" : "";
        line += std::to_string(frame);
        line += jsonl ? ",\"index\":" : ",";
        line += std::to_string(i);
        const float values[] = {p.x, p.y, p.vx, p.vy};
        for (int k = 0; k < 4; ++k) {
            line += jsonl ? kJsonKeys[k] : ",";
            AppendFloat(line, values[k], jsonl);
        }
        line += jsonl ? "}\n" : "\n";
        out << line;
    }
}

// Flushes what was written since errno was last cleared. Output that cannot be
// written (a full disk) is said through `progress`, with the system's reason, on
// a line of its own.
bool Flushed(std::ostream& out, ProgressDisplay& progress)
{
    if (out.flush())
        return true;
    const int error = errno;
    progress.Say(std::string(kProgram) + ": cannot write the output: " +
                 (error != 0 ? std::strerror(error) : "write error"));
    return false;
}

// Flushed, for output written while no progress line can be shown.
bool Flushed(std::ostream& out, std::ostream& err)
{
    ProgressDisplay none(err, false, 0);
    return Flushed(out, none);
}

// Which loop the steps ran and on how many threads: the literal loop for counts
// the vector kernels do not take, else the kernel of the last step.
std::string KernelDescription(const ParticleSystem& particles)
{
    const StepKernel kernel = particles.m_stepSettings.kernel;
    const bool literal = kernel == StepKernel::Plain || particles.m_nCount < kFastStepFrom ||
                         particles.m_pScratch == nullptr;
    if (literal)
        return "kernel: plain, threads: 1";
    return std::string("kernel: ") + KernelName(kernel) + ", threads: " + std::to_string(ThreadsOfLastStep(particles.m_pScratch));
}

// The exit status of a run that a signal stopped.
int StoppedStatus()
{
    return 128 + g_simCliStop;
}

int RunBench(SwarmSession& session, long long frames, std::ostream& out, std::ostream& err)
{
    const ParticleSystem& particles = session.Particles();
    const auto start = std::chrono::steady_clock::now();
    for (long long frame = 0; frame < frames; ++frame) {
        if (g_simCliStop != 0)
            return StoppedStatus();
        session.Frame();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double count = particles.m_nCount;
    const double seconds = std::max(elapsed.count(), 1e-9);
    // Fewer than two particles have no pairs: 0, never -0 from 0 * -1.
    const double pairs = count > 1.0 ? count * (count - 1.0) : 0.0;
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  "%s\nparticles: %d\nsteps: %lld\nseconds: %.6f\nsteps per second: %.6g\n"
                  "pair evaluations per second: %.6g\n",
                  KernelDescription(particles).c_str(), particles.m_nCount, frames, elapsed.count(),
                  static_cast<double>(frames) / seconds, static_cast<double>(frames) * pairs / seconds);
    errno = 0;
    out << buffer;
    return Flushed(out, err) ? 0 : 1;
}

// Called with each printed frame's number once its state is out; a message (to be
// said) ends the run, an empty one lets it go on.
using PrintedFrame = std::function<std::string(long long frame)>;

int RunFrames(SwarmSession& session, const Options& options, std::ostream& out, const Terminal& terminal,
              const PrintedFrame& printed)
{
    const ParticleSystem& particles = session.Particles();
    const std::vector<long long> lastOnly{options.frames};
    const std::vector<long long>& listed = options.printFrames ? *options.printFrames : lastOnly;
    auto next = listed.begin();
    errno = 0;
    if (!options.jsonl)
        out << "frame,index,x,y,vx,vy\n";
    if (!Flushed(out, terminal.err))
        return 1;
    ProgressDisplay progress(terminal.err, terminal.progress, options.frames);
    for (long long frame = 0;; ++frame) {
        if (options.printAll || (next != listed.end() && *next == frame)) {
            errno = 0;
            WriteState(out, frame, particles, options.jsonl);
            if (next != listed.end())
                ++next;
            if (!Flushed(out, progress))
                return 1;
            if (const std::string failure = printed(frame); !failure.empty()) {
                progress.Say(failure);
                return 1;
            }
        }
        if (frame == options.frames)
            break;
        if (g_simCliStop != 0)
            return StoppedStatus();
        session.Frame();
        progress.Update(frame + 1);
    }
    return 0;
}

} // namespace

volatile std::sig_atomic_t g_simCliStop = 0;
volatile std::sig_atomic_t g_simCliBusy = 0;

int RunSimCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    Options options;
    try {
        errno = 0;
        if (const std::optional<int> status = ParseArgs(args, options, out))
            return Flushed(out, err) ? *status : 1;
    } catch (const UsageError& e) {
        err << kProgram << ": " << e.message << '\n'
            << "Try '" << kProgram << " --help' for more information.\n";
        return 2;
    }
    const Terminal terminal{err, errIsTerminal && !options.quiet};

    // The kernel is chosen now, so that a complaint about the environment's
    // choice comes first, under this program's name.
    SetSimProgramName(kProgram);
    DefaultStepKernel();

    // The generator's state before the start's scatter; without --seed it is the
    // program's start state, which is 1.
    if (options.seed)
        SetPortableRandState(*options.seed);

    // The options are the session's calls, in the order given; the tool answers
    // yes to every large count.
    SwarmSession session;
    if (session.Start() != SessionResult::Done)
        return 1;
    for (const Action& action : options.actions) {
        if (action.kind == Action::Edit) {
            const int count = action.box == ParamBox::Num ? CountFromText(action.text) : 0;
            if (!Scattering(count, terminal, [&] { return session.TypeText(action.box, action.text); }))
                return 1;
        } else if (action.kind == Action::Preset) {
            const int count = CountFromText(PresetRow(action.preset).num);
            if (!Scattering(count, terminal, [&] { return session.SelectPreset(action.preset); }))
                return 1;
        } else {
            std::string error;
            if (session.OpenSnapshotFile(action.text, error) != SessionResult::Done) {
                err << kProgram << ": " << error << '\n';
                return 1;
            }
        }
    }
    if (g_simCliStop != 0)
        return StoppedStatus();
    const ParticleSystem& particles = session.Particles();

    // A message of the run, naming the program.
    const auto said = [](const std::string& message) { return std::string(kProgram) + ": " + message; };
    // The picture of a frame; a message when it cannot be written.
    const auto picture = [&](long long frame) -> std::string {
        std::string error;
        if (WriteSimPicture(particles, options.pictureWidth, options.pictureHeight, options.pictureScale,
                            PictureName(*options.picture, frame), error))
            return {};
        return said(error);
    };
    // The video: opened before the first frame, every printed frame added, finished
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
