// The encoder module (quaverly-encode.so): AAC in an MPEG-4 audio container,
// through FFmpeg's libraries. The synthesizer module loads it only for an
// export that needs it, so that neither program nor the synthesizer links
// FFmpeg, and everything else works where the module or FFmpeg is missing.
// Debian builds FFmpeg under the GPL: the module's binary carries that
// licence; the code that loads it stays the project's own.
//
// C entry points only, as the synthesizer module has: no C++ object or
// exception crosses. Texts in are UTF-8; the reasons out are ASCII.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Called with the reason of a failure (not NUL-terminated) before an entry
// point returns a failure.
typedef void (*QuaverlyEncodeFailure)(void* context, const char* reason, size_t size);

struct QuaverlyEncodeRequest {
    int fd;              // the file to write, open for reading and writing, empty
    int sampleRate;      // of the samples written
    const char* title;   // UTF-8; "" for none
};

typedef struct QuaverlyEncoder QuaverlyEncoder;

// An encoder of interleaved stereo float samples into an ".m4r" file: AAC-LC
// in an MPEG-4 audio container of brand "M4A ", the title as metadata.
struct QuaverlyEncoderOperations {
    // Null after a failure.
    QuaverlyEncoder* (*open)(const QuaverlyEncodeRequest* request, QuaverlyEncodeFailure failure, void* context);
    // 0 on success.
    int (*write)(QuaverlyEncoder* encoder, const float* samples, int64_t frames, QuaverlyEncodeFailure failure,
                 void* context);
    // Encodes what is held back and ends the container: 0 on success.
    int (*finish)(QuaverlyEncoder* encoder, QuaverlyEncodeFailure failure, void* context);
    void (*destroy)(QuaverlyEncoder* encoder);
};

// The module's operations, which live as long as the module.
const QuaverlyEncoderOperations* quaverly_encoder_operations(void);
}

namespace quaverly {

inline constexpr const char* EncodeModuleFileName = "quaverly-encode.so";

}  // namespace quaverly
