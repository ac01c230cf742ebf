// SPDX-License-Identifier: MIT
#include "SimVideo.h"

#include "ParticleSystem.h"

#ifdef DRIFTMOTE_SIM_VIDEO
#include "SimCanvas.h"
#include "VideoEncoder.h"

struct SimVideo::State {
    VideoEncoder encoder;
    CanvasView canvas;
    PixelImage image;
    long long frames = 0;
};

std::string SimVideoMissing()
{
    return {};
}

std::string SimVideoNameProblem(const std::string& path)
{
    return VideoFormatOfName(path) == VideoFormat::None ? "--video: '" + path + "' ends in neither .mp4 nor .webm"
                                                         : std::string();
}

SimVideo::SimVideo() = default;
SimVideo::~SimVideo() = default;

bool SimVideo::Open(const std::string& path, int width, int height, double scale, int fps, std::string& error)
{
    auto state = std::make_unique<State>();
    state->canvas = CanvasView{width, height, scale};
    state->image = SimCanvas(state->canvas, path, error);
    if (state->image.IsNull())
        return false;
    const PixelBuffer& pixels = state->image.View();
    VideoSettings settings;
    settings.fps = fps;
    settings.exact = true;
    settings.pad = kCanvasBackground;
    if (!state->encoder.Open(path, pixels.width, pixels.height, settings, error))
        return false;
    m_state = std::move(state);
    return true;
}

bool SimVideo::Add(const ParticleSystem& particles, std::string& error)
{
    PixelBuffer& image = m_state->image.View();
    RenderSwarm(image, m_state->canvas, particles.m_pCur, particles.m_nCount, -1, -1, kDotSize);
    return m_state->encoder.AddFrame(image.Bytes(), image.StrideBytes(), m_state->frames++, error);
}

bool SimVideo::Finish(std::string& error)
{
    return m_state->encoder.Finish(error);
}

#else

struct SimVideo::State {};

std::string SimVideoMissing()
{
    return "video needs the build with FFmpeg";
}

std::string SimVideoNameProblem(const std::string&)
{
    return {};
}

SimVideo::SimVideo() = default;
SimVideo::~SimVideo() = default;

bool SimVideo::Open(const std::string& path, int, int, double, int, std::string& error)
{
    error = path + ": " + SimVideoMissing();
    return false;
}

bool SimVideo::Add(const ParticleSystem&, std::string& error)
{
    error = SimVideoMissing();
    return false;
}

bool SimVideo::Finish(std::string& error)
{
    error = SimVideoMissing();
    return false;
}

#endif
