// SPDX-License-Identifier: MIT
// The page's side of the module: one session, its history as a link, and the
// canvas's pixels, as functions the page's script calls. Every rule lives below
// in session/, uirules/ and render/; the script only turns browser events into
// these calls and shows what they return.

#include "DialogTemplate.h"
#include "PixelBuffer.h"
#include "RandomUnit.h"
#include "PngImage.h"
#include "PointerMath.h"
#include "RunHistory.h"
#include "RunLink.h"
#include "Snapshot.h"
#include "StepSettings.h"
#include "SwarmRenderer.h"
#include "SwarmSession.h"
#include "WindowTexts.h"

#include <emscripten.h>
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Page {
    SwarmSession session;
    RunHistory history;
    CanvasView view{kDefaultCanvasWidth, kDefaultCanvasHeight, 1.0};
    PixelImage pixels;
    std::string rgba;  // the last picture as the canvas takes it: R, G, B, A bytes
    std::string bytes; // the last file made for a download
    long long replayLeft = 0; // frames of an opened link still to run
    static constexpr int kDefaultCanvasWidth = 511;
    static constexpr int kDefaultCanvasHeight = 458;
};

Page& ThePage()
{
    static Page page;
    return page;
}

// The large-count question, asked through the page (a browser's confirm box).
bool ConfirmLargeCount(int)
{
    const std::string question = std::string(kConfirmCountCaption) + "\n\n" + kConfirmCountText;
    return EM_ASM_INT({ return Module.confirmLargeCount(UTF8ToString($0)) ? 1 : 0; }, question.c_str()) != 0;
}

emscripten::val BytesView(const std::string& bytes)
{
    return emscripten::val(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data())));
}

// Starts the session, from the link in `fragment` when there is one; the
// message says why a link could not be followed (the page then starts as usual).
std::string Start(const std::string& fragment)
{
    Page& page = ThePage();
    page.session.m_confirmLargeCount = ConfirmLargeCount;
    std::string error;
    RunLink link;
    if (!fragment.empty() && fragment != "#") {
        if (!ParseLinkFragment(fragment, link, error)) {
            error = "This link cannot be replayed: " + error + ".";
        } else if (StartRunLink(page.session, link) != SessionResult::Done) {
            error = "This link cannot be replayed: " + NoMemoryText(static_cast<int>(page.session.Particles().m_nCount));
        } else {
            page.replayLeft = link.frames;
            link.frames = 0;
            page.history = RunHistory(link);
            return {};
        }
    }
    SetPortableRandState(kStartSeed);
    page.history = RunHistory();
    if (page.session.Start() != SessionResult::Done)
        return NoMemoryText(kStartCount);
    return error;
}

// Runs up to `frames` frames of the link being replayed; the frames left.
double ReplayFrames(double frames)
{
    Page& page = ThePage();
    for (long long i = 0; i < static_cast<long long>(frames) && page.replayLeft > 0; ++i) {
        if (!page.session.Frame())
            break;
        page.history.Stepped();
        --page.replayLeft;
    }
    return static_cast<double>(page.replayLeft);
}

int TypeBox(int box, const std::string& text)
{
    Page& page = ThePage();
    const auto which = static_cast<ParamBox>(box);
    const SessionResult result = page.session.TypeText(which, text);
    page.history.Typed(page.session, which, result);
    return static_cast<int>(result);
}

int Preset(int step)
{
    Page& page = ThePage();
    const SessionResult result = step < 0 ? page.session.PresetPrev() : page.session.PresetNext();
    page.history.PresetChosen(page.session, result);
    return static_cast<int>(result);
}

// One frame: a step unless paused, and the held particle follows the pointer.
void Frame()
{
    Page& page = ThePage();
    if (page.session.Frame() && !page.session.Paused())
        page.history.Stepped();
}

bool StepOneFrame()
{
    Page& page = ThePage();
    if (!page.session.StepOneFrame())
        return false;
    page.history.Stepped();
    return true;
}

void PointerMove(int px, int py, bool leftDown, double timeMs)
{
    Page& page = ThePage();
    const PointerScale scale = PointerScaleFor(page.view.width, page.view.height, kDotSize);
    float x = page.session.MouseX();
    float y = page.session.MouseY();
    MapPointer(scale, px, py, x, y);
    page.session.PointerMove(x, y, leftDown, scale.pickRadius, timeMs);
}

void PointerPress()
{
    Page& page = ThePage();
    page.session.PointerPress();
    if (page.session.Drag() >= 0)
        page.history.Grabbed();
}

void PointerRelease(double timeMs)
{
    ThePage().session.PointerRelease(timeMs);
}

// The canvas's size in logical pixels and its device pixel ratio.
void Resize(int width, int height, double ratio)
{
    Page& page = ThePage();
    page.view = {width, height, ratio};
}

int DeviceWidth()
{
    return DeviceSize(ThePage().view).width;
}

int DeviceHeight()
{
    return DeviceSize(ThePage().view).height;
}

// Draws the canvas and returns its pixels as the page's ImageData takes them.
emscripten::val Draw()
{
    Page& page = ThePage();
    const DeviceExtent size = DeviceSize(page.view);
    if (page.pixels.IsNull() || page.pixels.View().width != size.width || page.pixels.View().height != size.height)
        page.pixels = PixelImage(size.width, size.height);
    if (page.pixels.IsNull())
        return emscripten::val::null();
    const ParticleSystem& particles = page.session.Particles();
    RenderSwarm(page.pixels.View(), page.view, particles.m_pCur, particles.m_nCount, page.session.Hover(),
                page.session.Drag(), kDotSize);
    const PixelBuffer& view = page.pixels.View();
    page.rgba.resize(static_cast<std::size_t>(view.width) * view.height * 4);
    auto* out = reinterpret_cast<unsigned char*>(page.rgba.data());
    for (int y = 0; y < view.height; ++y) {
        const std::uint32_t* row = view.Row(y);
        for (int x = 0; x < view.width; ++x, out += 4) {
            out[0] = static_cast<unsigned char>(row[x] >> 16);
            out[1] = static_cast<unsigned char>(row[x] >> 8);
            out[2] = static_cast<unsigned char>(row[x]);
            out[3] = 0xff;
        }
    }
    return BytesView(page.rgba);
}

// The picture as a PNG file's bytes, or a string saying why there is none.
emscripten::val SavePicture()
{
    Page& page = ThePage();
    std::string error;
    if (page.pixels.IsNull() || !EncodePng(page.pixels.View(), page.bytes, error))
        return emscripten::val(error.empty() ? std::string("There is no picture to save.") : error);
    return BytesView(page.bytes);
}

emscripten::val SaveSnapshot()
{
    Page& page = ThePage();
    page.bytes = WriteSnapshot(page.session.CaptureSnapshot());
    return BytesView(page.bytes);
}

// Opens a snapshot file's bytes under its name: the session reads it as it reads
// any snapshot file. The message names the file when it cannot be opened.
std::string OpenSnapshot(const std::string& name, const std::string& bytes, int& result)
{
    Page& page = ThePage();
    std::string base = name.substr(name.find_last_of('/') + 1);
    if (base.empty())
        base = "snapshot.driftmote";
    const std::string path = "/tmp/" + base;
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!file)
            return base + ": cannot be read in this page";
    }
    std::string error;
    const SessionResult opened = page.session.OpenSnapshotFile(path, error);
    std::remove(path.c_str());
    result = static_cast<int>(opened);
    if (opened == SessionResult::Done)
        page.history.SnapshotOpened();
    // The file's name as the user knows it, not where the page kept it.
    if (error.rfind(path, 0) == 0)
        error = base + error.substr(path.size());
    return error;
}

emscripten::val OpenSnapshotFile(const std::string& name, const std::string& bytes)
{
    int result = static_cast<int>(SessionResult::BadFile);
    const std::string error = OpenSnapshot(name, bytes, result);
    emscripten::val out = emscripten::val::object();
    out.set("result", result);
    out.set("error", error);
    return out;
}

// The link's fragment, or an empty one with the reason in `why`.
emscripten::val Link()
{
    std::string why;
    const std::optional<RunLink> link = ThePage().history.Link(why);
    emscripten::val out = emscripten::val::object();
    out.set("fragment", link ? LinkFragment(*link) : std::string());
    out.set("why", why);
    return out;
}

std::string Text(int box)
{
    return ThePage().session.Text(static_cast<ParamBox>(box));
}

void SetPaused(bool paused)
{
    ThePage().session.SetPaused(paused);
}

bool Paused()
{
    return ThePage().session.Paused();
}

int Count()
{
    return ThePage().session.Particles().m_nCount;
}

std::string Title()
{
    return RunStateTitle(ThePage().session.Paused(), false);
}

std::string Description()
{
    const Page& page = ThePage();
    return CanvasDescription(page.session.Particles().m_nCount, page.session.Paused());
}

std::string KernelInUse()
{
    return KernelName(ThePage().session.Particles().m_stepSettings.kernel);
}

// A control's caption in the dialog's template, its accessible name and description.
emscripten::val Control(int id)
{
    emscripten::val out = emscripten::val::object();
    for (const DialogItem& item : kSwarmDialogItems)
        if (item.id == id && item.caption != nullptr)
            out.set("caption", std::string(item.caption));
    for (int i = 0; i < kAccessibleTextCount; ++i) {
        if (kAccessibleTexts[i].id != id)
            continue;
        out.set("name", std::string(kAccessibleTexts[i].name));
        if (kAccessibleTexts[i].description != nullptr)
            out.set("description", std::string(kAccessibleTexts[i].description));
    }
    return out;
}

// The About box's texts, in the template's reading order (top to bottom), and its button.
emscripten::val About()
{
    emscripten::val out = emscripten::val::object();
    emscripten::val lines = emscripten::val::array();
    std::vector<const DialogItem*> texts;
    for (const DialogItem& item : kAboutBoxItems)
        if (item.cls == ControlClass::Static && item.caption != nullptr)
            texts.push_back(&item);
    std::sort(texts.begin(), texts.end(), [](const DialogItem* a, const DialogItem* b) { return a->y < b->y; });
    for (const DialogItem* item : texts)
        lines.call<void>("push", std::string(item->caption));
    out.set("title", std::string(kAboutBox.caption));
    out.set("lines", lines);
    for (const DialogItem& item : kAboutBoxItems)
        if (item.id == kIdOk)
            out.set("ok", std::string(item.caption));
    return out;
}

} // namespace

EMSCRIPTEN_BINDINGS(driftmote)
{
    using namespace emscripten;
    function("start", &Start);
    function("replayFrames", &ReplayFrames);
    function("typeText", &TypeBox);
    function("preset", &Preset);
    function("frame", &Frame);
    function("stepOneFrame", &StepOneFrame);
    function("pointerMove", &PointerMove);
    function("pointerPress", &PointerPress);
    function("pointerRelease", &PointerRelease);
    function("resize", &Resize);
    function("deviceWidth", &DeviceWidth);
    function("deviceHeight", &DeviceHeight);
    function("draw", &Draw);
    function("savePicture", &SavePicture);
    function("saveSnapshot", &SaveSnapshot);
    function("openSnapshot", &OpenSnapshotFile);
    function("link", &Link);
    function("text", &Text);
    function("setPaused", &SetPaused);
    function("paused", &Paused);
    function("count", &Count);
    function("title", &Title);
    function("description", &Description);
    function("kernel", &KernelInUse);
    function("control", &Control);
    function("about", &About);
}
