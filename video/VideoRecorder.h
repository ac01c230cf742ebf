// SPDX-License-Identifier: MIT
#pragma once

// A video recorded while something else draws: the encoder runs on a thread of its
// own, at the priority of the thread that draws, behind a queue of a few pictures.
// Offering a picture never waits; when the queue is full the picture is dropped
// and counted. No toolkit.

#include "VideoEncoder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class VideoRecorder {
public:
    // Pictures the queue holds at most, waiting for the encoder: at 60 a second,
    // a little more than a tenth of a second that the encoder may fall behind.
    static constexpr int kQueuedPictures = 8;

    VideoRecorder() = default;
    ~VideoRecorder(); // finishes a recording still running
    VideoRecorder(const VideoRecorder&) = delete;
    VideoRecorder& operator=(const VideoRecorder&) = delete;

    // Opens the file (at once, so that a name that cannot be written is known now)
    // and starts the encoder's thread. False, with a message naming the file, when
    // the encoder cannot open.
    bool Start(const std::string& path, int width, int height, const VideoSettings& settings, std::string& error);

    // Hands over one picture of the started size for time `frame` (in frames,
    // growing from call to call): copied into a free place of the queue, or
    // dropped and counted when none is free or the recording has failed.
    void Offer(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int64_t frame);

    // True once encoding or writing failed; the thread then takes no more pictures.
    bool Failed() const { return m_failed.load(); }

    // Encodes what is queued, finishes the file and ends the thread. False, with
    // the message naming the file, when the recording failed at any point; the
    // unfinished file is then removed.
    bool Stop(std::string& error);

    bool IsRunning() const { return m_thread.joinable(); }
    long long Dropped() const { return m_dropped.load(); }
    long long Encoded() const { return m_encoded.load(); }

private:
    struct Picture {
        std::vector<std::uint8_t> pixels; // rows of width * 4 bytes, no gaps
        std::int64_t frame = 0;
    };

    void Run();

    VideoEncoder m_encoder;
    int m_width = 0;
    int m_height = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Picture> m_free;  // places ready for a picture
    std::deque<Picture> m_queued; // pictures waiting for the encoder, oldest first
    bool m_stopping = false;
    std::string m_error; // the first failure's message
    std::atomic<bool> m_failed{false};
    std::atomic<long long> m_dropped{0};
    std::atomic<long long> m_encoded{0};
};
