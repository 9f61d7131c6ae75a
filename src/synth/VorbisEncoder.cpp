// Ogg Vorbis through libvorbis and libogg, so that the stream's comment
// header carries the title and, for a ringtone that loops on Android,
// ANDROID_LOOP=true (libsndfile writes neither).
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <ctime>
#include <random>

#include "AudioEncoder.h"
#include "base/Errors.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

// Variable bit rate, about 128 kbit/s for stereo at 44.1 kHz.
constexpr float VorbisQuality = 0.4F;

class VorbisEncoder : public AudioEncoder {
public:
    VorbisEncoder(int sampleRate, const EncoderTags& tags, FileReplacement& target) : m_target(target)
    {
        vorbis_info_init(&m_info);
        if (vorbis_encode_init_vbr(&m_info, 2, sampleRate, VorbisQuality) != 0) {
            vorbis_info_clear(&m_info);
            throw QuaverlyError(std::string(Msg::AudioEncodeFailed) + target.Path() + "\r\nvorbis_encode_init_vbr");
        }
        vorbis_comment_init(&m_comment);
        if (!tags.title.empty()) {
            vorbis_comment_add_tag(&m_comment, "TITLE", tags.title.c_str());
        }
        if (tags.loop) {
            vorbis_comment_add_tag(&m_comment, "ANDROID_LOOP", "true");
        }
        vorbis_analysis_init(&m_dsp, &m_info);
        vorbis_block_init(&m_dsp, &m_block);
        // A serial number of its own, as every logical stream should have.
        std::random_device random;
        ogg_stream_init(&m_stream, static_cast<int>(random() & 0x7FFFFFFF));

        ogg_packet header;
        ogg_packet comments;
        ogg_packet codebooks;
        vorbis_analysis_headerout(&m_dsp, &m_comment, &header, &comments, &codebooks);
        ogg_stream_packetin(&m_stream, &header);
        ogg_stream_packetin(&m_stream, &comments);
        ogg_stream_packetin(&m_stream, &codebooks);
        // The audio starts on a page of its own.
        ogg_page page;
        while (ogg_stream_flush(&m_stream, &page) != 0) {
            WritePage(page);
        }
    }
    ~VorbisEncoder() override
    {
        ogg_stream_clear(&m_stream);
        vorbis_block_clear(&m_block);
        vorbis_dsp_clear(&m_dsp);
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
    }
    VorbisEncoder(const VorbisEncoder&) = delete;
    VorbisEncoder& operator=(const VorbisEncoder&) = delete;

    void Write(const float* samples, int64_t frames) override
    {
        if (frames <= 0) {
            return;
        }
        float** buffer = vorbis_analysis_buffer(&m_dsp, static_cast<int>(frames));
        for (int64_t i = 0; i < frames; ++i) {
            buffer[0][i] = samples[2 * i];
            buffer[1][i] = samples[2 * i + 1];
        }
        vorbis_analysis_wrote(&m_dsp, static_cast<int>(frames));
        Drain();
    }
    void Close() override
    {
        vorbis_analysis_wrote(&m_dsp, 0);
        Drain();
    }

private:
    // Encodes the blocks that are ready and writes the pages they fill.
    void Drain()
    {
        while (vorbis_analysis_blockout(&m_dsp, &m_block) == 1) {
            vorbis_analysis(&m_block, nullptr);
            vorbis_bitrate_addblock(&m_block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&m_dsp, &packet) != 0) {
                ogg_stream_packetin(&m_stream, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&m_stream, &page) != 0) {
                    WritePage(page);
                }
            }
        }
        if (ogg_stream_eos(&m_stream) == 0) {
            return;
        }
        ogg_page page;
        while (ogg_stream_flush(&m_stream, &page) != 0) {
            WritePage(page);
        }
    }
    void WritePage(const ogg_page& page)
    {
        WriteToTarget(m_target, page.header, static_cast<size_t>(page.header_len));
        WriteToTarget(m_target, page.body, static_cast<size_t>(page.body_len));
    }

    FileReplacement& m_target;
    vorbis_info m_info{};
    vorbis_comment m_comment{};
    vorbis_dsp_state m_dsp{};
    vorbis_block m_block{};
    ogg_stream_state m_stream{};
};

}  // namespace

std::unique_ptr<AudioEncoder> OpenVorbisEncoder(int sampleRate, const EncoderTags& tags, FileReplacement& target)
{
    return std::make_unique<VorbisEncoder>(sampleRate, tags, target);
}

}  // namespace quaverly
