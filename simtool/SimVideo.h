// SPDX-License-Identifier: MIT
#pragma once

// The printed frames as one video file, drawn by the window's own renderer and
// encoded with FFmpeg's libraries. Only a build with FFmpeg has it.
// The same frames and settings give the same file.

#include <memory>
#include <string>

class ParticleSystem;

// Empty when this build can write videos; else what it lacks, for the usage message.
std::string SimVideoMissing();

// Empty when the name asks for a format the encoder writes (.mp4, .webm); else why not.
std::string SimVideoNameProblem(const std::string& path);

class SimVideo {
public:
    SimVideo();
    ~SimVideo(); // a video not finished is removed
    SimVideo(const SimVideo&) = delete;
    SimVideo& operator=(const SimVideo&) = delete;

    // Starts the file for frames of a canvas of width x height pixels drawn at
    // `scale` device pixels per pixel, as --picture draws, at `fps` frames per
    // second. False, with a message naming the file, when it cannot be made.
    bool Open(const std::string& path, int width, int height, double scale, int fps, std::string& error);
    // Draws the particles, nothing highlighted, as the next frame.
    bool Add(const ParticleSystem& particles, std::string& error);
    // Completes the file and puts it in place.
    bool Finish(std::string& error);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
