// The encoders the audio export writes through, one per format: libsndfile
// for WAV, FLAC and MP3; libvorbis over libogg for Ogg Vorbis and libopusenc
// for Opus, which write the Vorbis comments a phone reads (the title, and
// ANDROID_LOOP=true for a ringtone that loops); and AAC in an ".m4r" file
// through the encoder module (audio/EncodeModule.h), loaded only for it.
// Each writes interleaved stereo float samples into the export's
// replacement file and reports a failure with the file's name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/AudioFormat.h"
#include "audio/EncodeModule.h"
#include "base/FileIO.h"

namespace quaverly {

// What an encoder writes besides the samples.
struct EncoderTags {
    std::string title;  // UTF-8; empty for none
    bool loop = false;  // Ogg Vorbis and Opus: ANDROID_LOOP=true
};

class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;
    // Throws FileError when the file cannot be written, else QuaverlyError.
    virtual void Write(const float* samples, int64_t frames) = 0;
    // Ends the stream: the last pages and the headers. Throws as Write.
    virtual void Close() = 0;
};

// The encoder module once loaded, with its operations resolved with the type
// of their declaration. Loaded before anything is rendered or written, so
// that a missing module or FFmpeg library is told at once and leaves nothing.
class EncodeModule {
public:
    // path: the module's file; empty for the one beside the synthesizer
    // module. Throws QuaverlyError naming what is missing.
    explicit EncodeModule(const std::string& path);
    ~EncodeModule();
    EncodeModule(const EncodeModule&) = delete;
    EncodeModule& operator=(const EncodeModule&) = delete;

    const QuaverlyEncoderOperations& Operations() const { return *m_operations; }

private:
    void* m_handle = nullptr;
    const QuaverlyEncoderOperations* m_operations = nullptr;
};

// An encoder of the format over target at sampleRate. module is needed for
// an ".m4r" file only and must outlive the encoder.
std::unique_ptr<AudioEncoder> OpenAudioEncoder(AudioFormat format, int sampleRate, const EncoderTags& tags,
                                               FileReplacement& target, const EncodeModule* module);

// The encoders of each kind (the files beside AudioEncoder.cpp).
std::unique_ptr<AudioEncoder> OpenSndfileEncoder(AudioFormat format, int sampleRate, FileReplacement& target);
std::unique_ptr<AudioEncoder> OpenVorbisEncoder(int sampleRate, const EncoderTags& tags, FileReplacement& target);
std::unique_ptr<AudioEncoder> OpenOpusEncoder(int sampleRate, const EncoderTags& tags, FileReplacement& target);
std::unique_ptr<AudioEncoder> OpenModuleEncoder(const EncodeModule& module, int sampleRate, const EncoderTags& tags,
                                                FileReplacement& target);

// Writes all of data to the replacement file. Throws FileError.
void WriteToTarget(FileReplacement& target, const void* data, size_t size);

}  // namespace quaverly
