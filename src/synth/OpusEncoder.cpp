// Ogg Opus through libopusenc, so that the comment header carries the title
// and, for a ringtone that loops on Android, ANDROID_LOOP=true (libsndfile
// writes neither).
#include <opus/opusenc.h>

#include <cerrno>

#include "AudioEncoder.h"
#include "base/Errors.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

class OpusEncoder : public AudioEncoder {
public:
    OpusEncoder(int sampleRate, const EncoderTags& tags, FileReplacement& target) : m_target(target)
    {
        OggOpusComments* comments = ope_comments_create();
        if (comments == nullptr) {
            Fail("ope_comments_create");
        }
        if (!tags.title.empty()) {
            ope_comments_add(comments, "TITLE", tags.title.c_str());
        }
        if (tags.loop) {
            ope_comments_add(comments, "ANDROID_LOOP", "true");
        }
        const OpusEncCallbacks callbacks{&OpusEncoder::WritePage, &OpusEncoder::CloseStream};
        int error = 0;
        m_encoder = ope_encoder_create_callbacks(&callbacks, this, comments, sampleRate, 2, 0, &error);
        ope_comments_destroy(comments);
        if (m_encoder == nullptr) {
            Fail(ope_strerror(error));
        }
    }
    ~OpusEncoder() override
    {
        if (m_encoder != nullptr) {
            ope_encoder_destroy(m_encoder);
        }
    }
    OpusEncoder(const OpusEncoder&) = delete;
    OpusEncoder& operator=(const OpusEncoder&) = delete;

    void Write(const float* samples, int64_t frames) override
    {
        Check(ope_encoder_write_float(m_encoder, samples, static_cast<int>(frames)));
    }
    void Close() override { Check(ope_encoder_drain(m_encoder)); }

private:
    // libopusenc's page callback: 0 on success. The failure is kept and told
    // when the call that wrote returns.
    static int WritePage(void* context, const unsigned char* data, opus_int32 size)
    {
        auto* self = static_cast<OpusEncoder*>(context);
        try {
            WriteToTarget(self->m_target, data, static_cast<size_t>(size));
            return 0;
        } catch (const FileError&) {
            self->m_failure = std::current_exception();
            return 1;
        }
    }
    static int CloseStream(void* /*context*/) { return 0; }

    void Check(int result)
    {
        if (m_failure != nullptr) {
            std::rethrow_exception(m_failure);
        }
        if (result != OPE_OK) {
            Fail(ope_strerror(result));
        }
    }
    [[noreturn]] void Fail(const char* reason) const
    {
        throw QuaverlyError(std::string(Msg::AudioEncodeFailed) + m_target.Path() + "\r\n" + reason);
    }

    FileReplacement& m_target;
    OggOpusEnc* m_encoder = nullptr;
    std::exception_ptr m_failure;
};

}  // namespace

std::unique_ptr<AudioEncoder> OpenOpusEncoder(int sampleRate, const EncoderTags& tags, FileReplacement& target)
{
    return std::make_unique<OpusEncoder>(sampleRate, tags, target);
}

}  // namespace quaverly
