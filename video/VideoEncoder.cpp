// SPDX-License-Identifier: MIT
#include "VideoEncoder.h"

#include "AtomicFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

std::string LibraryError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    return std::equal(text.end() - static_cast<std::ptrdiff_t>(n), text.end(), suffix,
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

// The bytes FFmpeg gathers before it hands them to the file.
constexpr int kWriteBufferBytes = 64 * 1024;

// The libraries' own log would repeat on stderr what the messages here say.
void QuietLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

VideoFormat VideoFormatOfName(const std::string& path)
{
    if (EndsWith(path, ".mp4"))
        return VideoFormat::Mp4;
    if (EndsWith(path, ".webm"))
        return VideoFormat::WebM;
    return VideoFormat::None;
}

struct VideoEncoder::State {
    std::string path; // the name the finished file gets
    // The new file, which FFmpeg writes through `io` and never opens by a name of
    // its own (so a name is always a file's name, never one of FFmpeg's URLs).
    FileWriter file;
    AVIOContext* io = nullptr;
    std::string ioError; // the file's first failure, naming it
    int width = 0;
    int height = 0;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* convert = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::vector<std::uint32_t> padded; // the picture made even, when its size is odd
    std::int64_t lastFrame = -1;

    ~State()
    {
        sws_freeContext(convert);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_free_context(format);
        if (io != nullptr)
            av_freep(&io->buffer);
        avio_context_free(&io);
    }

    std::string Named(const std::string& message) const { return path + ": " + message; }

    // What a failure to write says: the file's own reason where it had one.
    std::string WriteFailure(int code) const
    {
        return ioError.empty() ? Named("cannot write the video: " + LibraryError(code)) : ioError;
    }

#if LIBAVFORMAT_VERSION_MAJOR >= 61
    static int WriteBytes(void* opaque, const std::uint8_t* bytes, int size)
#else
    static int WriteBytes(void* opaque, std::uint8_t* bytes, int size)
#endif
    {
        auto& s = *static_cast<State*>(opaque);
        std::string error;
        if (s.file.Write(std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size)),
                         error))
            return size;
        if (s.ioError.empty())
            s.ioError = error;
        return AVERROR(EIO);
    }

    static std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence)
    {
        auto& s = *static_cast<State*>(opaque);
        std::string error;
        std::int64_t at = -1;
        if (whence & AVSEEK_SIZE) {
            // The size without moving: to the end and back.
            const std::int64_t here = s.file.Seek(0, SEEK_CUR, error);
            const std::int64_t end = here < 0 ? -1 : s.file.Seek(0, SEEK_END, error);
            at = end < 0 || s.file.Seek(here, SEEK_SET, error) < 0 ? -1 : end;
        } else {
            at = s.file.Seek(offset, whence & ~AVSEEK_FORCE, error);
        }
        if (at < 0 && s.ioError.empty())
            s.ioError = error;
        return at < 0 ? AVERROR(EIO) : at;
    }

    // Sends one picture (or, with null, the end) and writes every packet it yields.
    bool Encode(const AVFrame* picture, std::string& error)
    {
        int code = avcodec_send_frame(codec, picture);
        while (code >= 0) {
            code = avcodec_receive_packet(codec, packet);
            if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
                return true;
            if (code < 0)
                break;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            code = av_interleaved_write_frame(format, packet);
            if (code < 0) {
                error = WriteFailure(code);
                return false;
            }
        }
        error = Named("cannot encode the video: " + LibraryError(code));
        return false;
    }
};

VideoEncoder::VideoEncoder() = default;

VideoEncoder::~VideoEncoder()
{
    Abandon();
}

bool VideoEncoder::IsOpen() const
{
    return m_state != nullptr;
}

int VideoEncoder::EncodedWidth() const
{
    return m_state ? m_state->codec->width : 0;
}

int VideoEncoder::EncodedHeight() const
{
    return m_state ? m_state->codec->height : 0;
}

bool VideoEncoder::Open(const std::string& path, int width, int height, const VideoSettings& settings,
                        std::string& error)
{
    Abandon();
    QuietLibraries();
    auto state = std::make_unique<State>();
    state->path = path;
    const VideoFormat kind = VideoFormatOfName(path);
    if (kind == VideoFormat::None) {
        error = state->Named("a video's name ends in .mp4 or .webm");
        return false;
    }
    if (width < 1 || height < 1 || settings.fps < 1) {
        error = state->Named("a video needs a size and a frame rate of at least 1");
        return false;
    }
    state->width = width;
    state->height = height;
    const int evenWidth = width + (width & 1);
    const int evenHeight = height + (height & 1);

    const bool mp4 = kind == VideoFormat::Mp4;
    const char* encoderName = mp4 ? "libx264" : "libvpx-vp9";
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
    if (encoder == nullptr) {
        error = state->Named(std::string("this system's FFmpeg has no ") + encoderName + " encoder");
        return false;
    }
    int code = avformat_alloc_output_context2(&state->format, nullptr, mp4 ? "mp4" : "webm", nullptr);
    if (code < 0) {
        error = state->Named("cannot make the container: " + LibraryError(code));
        return false;
    }
    state->stream = avformat_new_stream(state->format, nullptr);
    state->codec = avcodec_alloc_context3(encoder);
    state->frame = av_frame_alloc();
    state->packet = av_packet_alloc();
    if (state->stream == nullptr || state->codec == nullptr || state->frame == nullptr || state->packet == nullptr) {
        error = state->Named("there is not enough memory for the encoder");
        return false;
    }

    AVCodecContext& c = *state->codec;
    c.width = evenWidth;
    c.height = evenHeight;
    c.pix_fmt = AV_PIX_FMT_YUV420P;
    c.time_base = AVRational{1, settings.fps};
    c.framerate = AVRational{settings.fps, 1};
    c.sample_aspect_ratio = AVRational{1, 1};
    c.gop_size = 2 * settings.fps; // a key frame every two seconds, for seeking
    c.thread_count = settings.exact ? 1 : settings.threads;
    // What the conversion below produces: BT.601 in the limited range.
    c.color_range = AVCOL_RANGE_MPEG;
    c.colorspace = AVCOL_SPC_SMPTE170M;
    c.color_primaries = AVCOL_PRI_SMPTE170M;
    c.color_trc = AVCOL_TRC_SMPTE170M;
    if (state->format->oformat->flags & AVFMT_GLOBALHEADER)
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (settings.exact)
        c.flags |= AV_CODEC_FLAG_BITEXACT;
    AVDictionary* options = nullptr;
    if (mp4) {
        // A window's pictures come as they are drawn, 60 a second, beside the frames
        // that draw them: the fastest preset costs a quarter of the processor time
        // of veryfast for files about a quarter larger, at the same quality.
        av_dict_set(&options, "preset", settings.exact ? "veryfast" : "ultrafast", 0);
        av_dict_set(&options, "crf", "18", 0);
    } else {
        // Constant quality at the realtime speed: VP9's slower modes are far from
        // keeping up with a window's frames.
        c.bit_rate = 0;
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set(&options, "cpu-used", "8", 0);
        av_dict_set(&options, "crf", "30", 0);
        if (c.thread_count != 1)
            av_dict_set(&options, "row-mt", "1", 0);
    }
    code = avcodec_open2(state->codec, encoder, &options);
    av_dict_free(&options);
    if (code < 0) {
        error = state->Named(std::string("the ") + encoderName + " encoder cannot open for " +
                             std::to_string(width) + "x" + std::to_string(height) + " pixels: " + LibraryError(code));
        return false;
    }
    code = avcodec_parameters_from_context(state->stream->codecpar, state->codec);
    if (code < 0) {
        error = state->Named("cannot set up the video stream: " + LibraryError(code));
        return false;
    }
    state->stream->time_base = c.time_base;
    state->stream->avg_frame_rate = c.framerate;
    if (settings.exact)
        state->format->flags |= AVFMT_FLAG_BITEXACT;

    if (!state->file.Open(path, error))
        return false;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kWriteBufferBytes));
    state->io = buffer == nullptr ? nullptr
                                  : avio_alloc_context(buffer, kWriteBufferBytes, 1, state.get(), nullptr,
                                                       &State::WriteBytes, &State::SeekBytes);
    if (state->io == nullptr) {
        av_free(buffer);
        error = state->Named("there is not enough memory for the encoder");
        return false;
    }
    state->format->pb = state->io;
    state->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    m_state = std::move(state);
    State& s = *m_state;
    code = avformat_write_header(s.format, nullptr);
    if (code < 0) {
        error = s.WriteFailure(code);
        Abandon();
        return false;
    }

    s.frame->format = AV_PIX_FMT_YUV420P;
    s.frame->width = evenWidth;
    s.frame->height = evenHeight;
    const int flags = SWS_BILINEAR | (settings.exact ? SWS_BITEXACT | SWS_ACCURATE_RND : 0);
    s.convert = sws_getContext(evenWidth, evenHeight, AV_PIX_FMT_RGB32, evenWidth, evenHeight, AV_PIX_FMT_YUV420P,
                               flags, nullptr, nullptr, nullptr);
    bool made = s.convert != nullptr && av_frame_get_buffer(s.frame, 0) >= 0;
    if (made && (evenWidth != width || evenHeight != height)) {
        try {
            s.padded.assign(static_cast<std::size_t>(evenWidth) * static_cast<std::size_t>(evenHeight), settings.pad);
        } catch (const std::bad_alloc&) {
            made = false;
        }
    }
    if (!made) {
        error = s.Named("there is not enough memory for the encoder's pictures");
        Abandon();
        return false;
    }
    return true;
}

bool VideoEncoder::AddFrame(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int64_t frame, std::string& error)
{
    if (!m_state) {
        error = "no video is open";
        return false;
    }
    State& s = *m_state;
    if (frame <= s.lastFrame) {
        error = s.Named("frame " + std::to_string(frame) + " comes after frame " + std::to_string(s.lastFrame));
        Abandon();
        return false;
    }
    const std::uint8_t* source = pixels;
    int sourceStride = static_cast<int>(stride);
    if (!s.padded.empty()) {
        // The odd picture into the even one, whose last column and row keep the pad colour.
        const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 4;
        auto* target = reinterpret_cast<std::uint8_t*>(s.padded.data());
        sourceStride = s.codec->width * 4;
        for (int y = 0; y < s.height; ++y)
            std::memcpy(target + static_cast<std::ptrdiff_t>(y) * sourceStride, pixels + y * stride, rowBytes);
        source = target;
    }
    int code = av_frame_make_writable(s.frame);
    if (code >= 0)
        code = sws_scale(s.convert, &source, &sourceStride, 0, s.codec->height, s.frame->data, s.frame->linesize);
    if (code < 0) {
        error = s.Named("cannot convert a picture: " + LibraryError(code));
        Abandon();
        return false;
    }
    s.frame->pts = frame;
    s.lastFrame = frame;
    if (!s.Encode(s.frame, error)) {
        Abandon();
        return false;
    }
    return true;
}

bool VideoEncoder::Finish(std::string& error)
{
    if (!m_state) {
        error = "no video is open";
        return false;
    }
    State& s = *m_state;
    if (!s.Encode(nullptr, error)) {
        Abandon();
        return false;
    }
    int code = av_write_trailer(s.format);
    if (code >= 0) {
        avio_flush(s.io);
        code = s.io->error;
    }
    if (code < 0) {
        error = s.WriteFailure(code);
        Abandon();
        return false;
    }
    const bool committed = s.file.Commit(error);
    m_state.reset();
    return committed;
}

void VideoEncoder::Abandon()
{
    m_state.reset(); // the file not committed goes with it
}
