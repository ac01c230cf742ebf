// SPDX-License-Identifier: MIT
#pragma once

// A video file read back through libavformat and decoded, for the tests: its
// size, its frames' times, a hash of every frame, and the pictures of the frames
// asked for as 0xffRRGGBB pixels; and how close such a picture is to an image.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "PixelBuffer.h"

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct DecodedVideo {
    std::string error; // empty when the whole file decoded
    int width = 0;
    int height = 0;
    std::vector<double> seconds;            // each frame's time
    std::vector<std::size_t> hashes;        // each frame's decoded planes
    std::vector<std::vector<std::uint32_t>> pictures; // the frames asked for, in order
};

inline DecodedVideo DecodeVideo(const std::string& path, const std::set<int>& keep = {})
{
    DecodedVideo video;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
        video.error = "cannot open " + path;
        return video;
    }
    const AVCodec* decoder = nullptr;
    const int index = avformat_find_stream_info(format, nullptr) >= 0
                          ? av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0)
                          : -1;
    AVCodecContext* codec = index >= 0 ? avcodec_alloc_context3(decoder) : nullptr;
    if (codec == nullptr || avcodec_parameters_to_context(codec, format->streams[index]->codecpar) < 0 ||
        avcodec_open2(codec, decoder, nullptr) < 0) {
        video.error = "no video stream that decodes in " + path;
        avcodec_free_context(&codec);
        avformat_close_input(&format);
        return video;
    }
    const AVRational base = format->streams[index]->time_base;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* convert = nullptr;
    const auto take = [&]() {
        while (avcodec_receive_frame(codec, frame) >= 0) {
            const int n = static_cast<int>(video.seconds.size());
            video.width = frame->width;
            video.height = frame->height;
            video.seconds.push_back(static_cast<double>(frame->best_effort_timestamp) * av_q2d(base));
            std::string bytes;
            for (int plane = 0; plane < 3; ++plane) {
                const int rows = plane == 0 ? frame->height : (frame->height + 1) / 2;
                const int columns = plane == 0 ? frame->width : (frame->width + 1) / 2;
                for (int y = 0; y < rows; ++y)
                    bytes.append(reinterpret_cast<const char*>(frame->data[plane] + y * frame->linesize[plane]),
                                 static_cast<std::size_t>(columns));
            }
            video.hashes.push_back(std::hash<std::string_view>{}(bytes));
            if (!keep.count(n))
                continue;
            convert = sws_getCachedContext(convert, frame->width, frame->height,
                                           static_cast<AVPixelFormat>(frame->format), frame->width, frame->height,
                                           AV_PIX_FMT_RGB32, SWS_BILINEAR | SWS_BITEXACT | SWS_ACCURATE_RND,
                                           nullptr, nullptr, nullptr);
            std::vector<std::uint32_t> rgb(static_cast<std::size_t>(frame->width) * frame->height);
            std::uint8_t* target[] = {reinterpret_cast<std::uint8_t*>(rgb.data())};
            const int stride[] = {frame->width * 4};
            sws_scale(convert, frame->data, frame->linesize, 0, frame->height, target, stride);
            video.pictures.push_back(std::move(rgb));
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec, packet) < 0)
            video.error = "a packet does not decode in " + path;
        av_packet_unref(packet);
        take();
    }
    avcodec_send_packet(codec, nullptr);
    take();
    sws_freeContext(convert);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return video;
}

// Peak signal-to-noise ratio of a decoded picture `width` pixels wide over the
// image's pixels (a padding column or row left out), the three colour channels
// together, in decibels; 99 for no difference.
inline double Psnr(const std::vector<std::uint32_t>& decoded, int width, const PixelBuffer& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int shift : {0, 8, 16}) {
                const int a = static_cast<int>((image.Row(y)[x] >> shift) & 0xff);
                const int b = static_cast<int>((decoded[static_cast<std::size_t>(y) * width + x] >> shift) & 0xff);
                sum += static_cast<double>((a - b) * (a - b));
            }
    const double mse = sum / (3.0 * image.width * image.height);
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}
