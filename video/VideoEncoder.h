// SPDX-License-Identifier: MIT
#pragma once

// One video file from a sequence of pictures, with FFmpeg's libraries: H.264 in
// MP4 or VP9 in WebM, chosen by the file name's suffix, in yuv420p. The pictures
// are plain 32-bit pixel buffers (0xffRRGGBB in the machine's byte order, as the
// toolkit's RGB32 images hold them); nothing here knows the toolkit.
//
// The file is written through the program's one writer (FileWriter) and put in
// place only when finished: a recording that fails, is abandoned or is killed
// leaves no partial file and keeps any previous file of that name, with its
// permissions. The name is always a file's name. Every message names the file.

#include <cstdint>
#include <memory>
#include <string>

enum class VideoFormat {
    None, // the name ends in neither .mp4 nor .webm
    Mp4,  // H.264 in MP4
    WebM, // VP9 in WebM
};

// The format a file name asks for, by its suffix in any case.
VideoFormat VideoFormatOfName(const std::string& path);

struct VideoSettings {
    int fps = 60;            // frames per second; a frame's time is its number / fps
    int threads = 1;         // encoder threads; 0 lets the library choose
    bool exact = true;       // the same pictures give the same file (one thread, bit-exact
                             // conversion, no version strings); false favours speed
    std::uint32_t pad = 0xffc0c0c0; // 0xffRRGGBB for the column and row that make odd sizes even
};

class VideoEncoder {
public:
    VideoEncoder();
    ~VideoEncoder(); // a file not finished is abandoned
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Starts the file for pictures of width x height pixels. False, with a message
    // naming the file, when the name has no video suffix, the file cannot be made
    // or the encoder does not open.
    bool Open(const std::string& path, int width, int height, const VideoSettings& settings, std::string& error);

    // Encodes one picture of the opened size; `stride` is the bytes from one row
    // to the next. `frame` is its time in frames and must grow from call to call
    // (a gap shows the previous picture longer). False, with a message, when
    // encoding or writing fails; the file is then abandoned.
    bool AddFrame(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int64_t frame, std::string& error);

    // Writes what the encoder still holds and the index, and puts the file in
    // place. False, with a message, when that fails; the file is then abandoned.
    bool Finish(std::string& error);

    // Closes and removes the unfinished file; nothing happens when none is open.
    void Abandon();

    bool IsOpen() const;
    // The size of the encoded pictures: the opened size made even.
    int EncodedWidth() const;
    int EncodedHeight() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
