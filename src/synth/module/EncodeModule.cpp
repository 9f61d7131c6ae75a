// The encoder module's entry points (audio/EncodeModule.h): FFmpeg's native
// AAC encoder (AAC-LC) and its "ipod" muxer, which gives the MPEG-4 audio
// container the brand "M4A " as ringtones synced to a phone have it. The
// muxer writes through callbacks on the caller's descriptor, so the file's
// fate (the replacement, its removal on a cancel) stays with the caller.
#include "audio/EncodeModule.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace {

constexpr int Channels = 2;
constexpr int64_t AacBitRate = 192000;
constexpr int IoBufferSize = 1 << 16;

void Tell(QuaverlyEncodeFailure failure, void* context, const std::string& reason)
{
    failure(context, reason.data(), reason.size());
}

std::string FfmpegReason(const char* what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return std::string(what) + ": " + text;
}

}  // namespace

struct QuaverlyEncoder {
    ~QuaverlyEncoder()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format != nullptr) {
            avformat_free_context(format);
        }
        if (io != nullptr) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    // The muxer's writes and seeks, on the caller's descriptor; the first
    // failure's errno is kept.
    static int WritePacket(void* opaque, uint8_t* buffer, int size)
    {
        auto* self = static_cast<QuaverlyEncoder*>(opaque);
        int done = 0;
        while (done < size) {
            const ssize_t n = ::write(self->fd, buffer + done, static_cast<size_t>(size - done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                self->writeError = n < 0 ? errno : ENOSPC;
                return AVERROR(self->writeError);
            }
            done += static_cast<int>(n);
        }
        return size;
    }
    static int64_t Seek(void* opaque, int64_t offset, int whence)
    {
        auto* self = static_cast<QuaverlyEncoder*>(opaque);
        if (whence == AVSEEK_SIZE) {
            const off_t here = ::lseek(self->fd, 0, SEEK_CUR);
            const off_t end = ::lseek(self->fd, 0, SEEK_END);
            ::lseek(self->fd, here, SEEK_SET);
            return end;
        }
        const off_t position = ::lseek(self->fd, offset, whence & ~AVSEEK_FORCE);
        return position < 0 ? AVERROR(errno) : position;
    }

    // Sends a frame (null: the end) and writes every packet the encoder gives back.
    int Encode(AVFrame* input)
    {
        int result = avcodec_send_frame(codec, input);
        while (result >= 0) {
            result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                return 0;
            }
            if (result < 0) {
                break;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format, packet);
        }
        return result;
    }

    // The samples held in the frame so far go out as one frame.
    int SendHeld()
    {
        if (held == 0) {
            return 0;
        }
        frame->nb_samples = held;
        frame->pts = nextPts;
        nextPts += held;
        held = 0;
        return Encode(frame);
    }

    std::string Reason(const char* what, int code) const
    {
        return writeError != 0 ? std::string("write: ") + std::strerror(writeError) : FfmpegReason(what, code);
    }

    int fd = -1;
    int writeError = 0;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int held = 0;  // samples in frame not yet sent
    int64_t nextPts = 0;
    bool headerWritten = false;
};

namespace {

QuaverlyEncoder* Open(const QuaverlyEncodeRequest* request, QuaverlyEncodeFailure failure, void* context)
{
    // FFmpeg's own log would print to the program's console; its failures
    // reach the caller as reasons instead.
    av_log_set_level(AV_LOG_QUIET);
    auto encoder = std::make_unique<QuaverlyEncoder>();
    encoder->fd = request->fd;
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    if (aac == nullptr) {
        Tell(failure, context, "FFmpeg has no aac encoder");
        return nullptr;
    }
    int result = avformat_alloc_output_context2(&encoder->format, nullptr, "ipod", nullptr);
    if (result < 0 || encoder->format == nullptr) {
        Tell(failure, context, FfmpegReason("ipod muxer", result));
        return nullptr;
    }
    auto* buffer = static_cast<unsigned char*>(av_malloc(IoBufferSize));
    encoder->io = avio_alloc_context(buffer, IoBufferSize, 1, encoder.get(), nullptr, &QuaverlyEncoder::WritePacket,
                                     &QuaverlyEncoder::Seek);
    if (buffer == nullptr || encoder->io == nullptr) {
        av_free(buffer);
        Tell(failure, context, "out of memory");
        return nullptr;
    }
    encoder->format->pb = encoder->io;
    encoder->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (request->title != nullptr && *request->title != '\0') {
        av_dict_set(&encoder->format->metadata, "title", request->title, 0);
    }

    encoder->codec = avcodec_alloc_context3(aac);
    encoder->stream = avformat_new_stream(encoder->format, nullptr);
    encoder->frame = av_frame_alloc();
    encoder->packet = av_packet_alloc();
    if (encoder->codec == nullptr || encoder->stream == nullptr || encoder->frame == nullptr ||
        encoder->packet == nullptr) {
        Tell(failure, context, "out of memory");
        return nullptr;
    }
    AVCodecContext* codec = encoder->codec;
    codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec->sample_rate = request->sampleRate;
    codec->bit_rate = AacBitRate;
    codec->profile = FF_PROFILE_AAC_LOW;
    codec->time_base = AVRational{1, request->sampleRate};
    av_channel_layout_default(&codec->ch_layout, Channels);
    if ((encoder->format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    // The "fast" coder: some twice the speed of the default two-loop search,
    // which would make the encoder the export's slower thread by far.
    av_opt_set(codec->priv_data, "aac_coder", "fast", 0);
    if ((result = avcodec_open2(codec, aac, nullptr)) < 0 ||
        (result = avcodec_parameters_from_context(encoder->stream->codecpar, codec)) < 0) {
        Tell(failure, context, FfmpegReason("aac encoder", result));
        return nullptr;
    }
    encoder->stream->time_base = codec->time_base;
    AVFrame* frame = encoder->frame;
    frame->format = codec->sample_fmt;
    frame->sample_rate = codec->sample_rate;
    frame->nb_samples = codec->frame_size;
    av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout);
    if ((result = av_frame_get_buffer(frame, 0)) < 0) {
        Tell(failure, context, FfmpegReason("frame", result));
        return nullptr;
    }
    if ((result = avformat_write_header(encoder->format, nullptr)) < 0) {
        Tell(failure, context, encoder->Reason("ipod muxer", result));
        return nullptr;
    }
    encoder->headerWritten = true;
    return encoder.release();
}

int Write(QuaverlyEncoder* encoder, const float* samples, int64_t frames, QuaverlyEncodeFailure failure,
          void* context)
{
    const int frameSize = encoder->codec->frame_size;
    for (int64_t i = 0; i < frames; ++i) {
        if (encoder->held == 0 && av_frame_make_writable(encoder->frame) < 0) {
            Tell(failure, context, "out of memory");
            return 1;
        }
        auto* left = reinterpret_cast<float*>(encoder->frame->data[0]);
        auto* right = reinterpret_cast<float*>(encoder->frame->data[1]);
        left[encoder->held] = samples[2 * i];
        right[encoder->held] = samples[2 * i + 1];
        if (++encoder->held == frameSize) {
            if (const int result = encoder->SendHeld(); result < 0) {
                Tell(failure, context, encoder->Reason("aac encoder", result));
                return 1;
            }
        }
    }
    return 0;
}

int Finish(QuaverlyEncoder* encoder, QuaverlyEncodeFailure failure, void* context)
{
    int result = encoder->SendHeld();
    if (result >= 0) {
        result = encoder->Encode(nullptr);
    }
    if (result >= 0) {
        result = av_write_trailer(encoder->format);
    }
    if (result >= 0) {
        avio_flush(encoder->io);
        result = encoder->io->error;
    }
    if (result < 0 || encoder->writeError != 0) {
        Tell(failure, context, encoder->Reason("ipod muxer", result));
        return 1;
    }
    return 0;
}

void Destroy(QuaverlyEncoder* encoder)
{
    delete encoder;
}

constexpr QuaverlyEncoderOperations EncoderOperations{
    .open = Open,
    .write = Write,
    .finish = Finish,
    .destroy = Destroy,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const QuaverlyEncoderOperations* quaverly_encoder_operations()
{
    return &EncoderOperations;
}
