// SPDX-License-Identifier: MIT
#include "VideoRecorder.h"

#include <cstring>
#include <new>

#ifdef __linux__
#include <pthread.h>
#endif

VideoRecorder::~VideoRecorder()
{
    std::string error;
    Stop(error);
}

bool VideoRecorder::Start(const std::string& path, int width, int height, const VideoSettings& settings,
                          std::string& error)
{
    Stop(error);
    error.clear();
    if (!m_encoder.Open(path, width, height, settings, error))
        return false;
    m_width = width;
    m_height = height;
    m_queued.clear();
    m_free.clear();
    try {
        for (int i = 0; i < kQueuedPictures; ++i)
            m_free.push_back({std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4), 0});
    } catch (const std::bad_alloc&) {
        m_free.clear();
        m_encoder.Abandon();
        error = path + ": there is not enough memory for the recording's pictures";
        return false;
    }
    m_stopping = false;
    m_error.clear();
    m_failed = false;
    m_dropped = 0;
    m_encoded = 0;
    m_thread = std::thread(&VideoRecorder::Run, this);
    return true;
}

void VideoRecorder::Offer(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int64_t frame)
{
    Picture picture;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_thread.joinable() || m_failed || m_free.empty()) {
            ++m_dropped;
            return;
        }
        picture = std::move(m_free.back());
        m_free.pop_back();
    }
    const std::size_t rowBytes = static_cast<std::size_t>(m_width) * 4;
    for (int y = 0; y < m_height; ++y)
        std::memcpy(picture.pixels.data() + y * rowBytes, pixels + y * stride, rowBytes);
    picture.frame = frame;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queued.push_back(std::move(picture));
    }
    m_wake.notify_one();
}

void VideoRecorder::Run()
{
#ifdef __linux__
    // Named, so that a look at the process shows which thread encodes.
    pthread_setname_np(pthread_self(), "video-encoder");
#endif
    // As the drawing thread: a recording that falls behind would drop pictures
    // that a slower simulation can spare. The encoder works on this thread alone
    // when its settings ask for one thread.
    for (;;) {
        Picture picture;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queued.empty(); });
            if (m_queued.empty())
                break; // stopping, with everything queued encoded
            picture = std::move(m_queued.front());
            m_queued.pop_front();
        }
        std::string error;
        const bool encoded = !m_failed &&
                             m_encoder.AddFrame(picture.pixels.data(), static_cast<std::ptrdiff_t>(m_width) * 4,
                                                picture.frame, error);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (encoded) {
            ++m_encoded;
        } else {
            if (!m_failed)
                m_error = error;
            m_failed = true;
            ++m_dropped;
        }
        m_free.push_back(std::move(picture));
    }
    std::string error;
    if (!m_failed && !m_encoder.Finish(error)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = error;
        m_failed = true;
    }
    m_encoder.Abandon();
}

bool VideoRecorder::Stop(std::string& error)
{
    if (!m_thread.joinable())
        return true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
    m_free.clear();
    m_queued.clear();
    if (m_failed) {
        error = m_error;
        return false;
    }
    return true;
}
