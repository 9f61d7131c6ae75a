#include "AudioEncoder.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "base/Errors.h"
#include "base/Messages.h"
#include "base/TextEncoding.h"

namespace quaverly {

namespace {

// The folder of the file this code was loaded from: the synthesizer module
// (or a program that links the synthesizer itself).
std::string OwnFolder()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&OpenAudioEncoder), &info) == 0 || info.dli_fname == nullptr) {
        return ".";
    }
    const std::string self = info.dli_fname;
    const size_t slash = self.rfind('/');
    return slash == std::string::npos ? "." : self.substr(0, slash);
}

[[noreturn]] void EncodeModuleMissing(const std::string& path, const std::string& reason)
{
    throw QuaverlyError(std::string(Msg::EncodeModuleUnavailable) + Utf8ToSjisLenient(path) + "\r\n" +
                        Utf8ToSjisLenient(reason));
}

}  // namespace

EncodeModule::EncodeModule(const std::string& path)
{
    const std::string file = path.empty() ? OwnFolder() + "/" + EncodeModuleFileName : path;
    // RTLD_NODELETE: FFmpeg's libraries stay mapped once the handle is closed.
    m_handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (m_handle == nullptr) {
        const char* error = ::dlerror();
        EncodeModuleMissing(file, error != nullptr ? error : "dlopen");
    }
    const auto entry = reinterpret_cast<decltype(&quaverly_encoder_operations)>(
        ::dlsym(m_handle, "quaverly_encoder_operations"));
    m_operations = entry != nullptr ? entry() : nullptr;
    if (m_operations == nullptr) {
        ::dlclose(m_handle);
        EncodeModuleMissing(file, "no quaverly_encoder_operations");
    }
}

EncodeModule::~EncodeModule()
{
    ::dlclose(m_handle);
}

void WriteToTarget(FileReplacement& target, const void* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(target.Fd(), static_cast<const char*>(data) + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw FileError(Msg::FileWriteFailed, target.Path(), n < 0 ? errno : ENOSPC);
        }
        done += static_cast<size_t>(n);
    }
}

std::unique_ptr<AudioEncoder> OpenAudioEncoder(AudioFormat format, int sampleRate, const EncoderTags& tags,
                                               FileReplacement& target, const EncodeModule* module)
{
    switch (format) {
    case AudioFormat::OggVorbis:
        return OpenVorbisEncoder(sampleRate, tags, target);
    case AudioFormat::Opus:
        return OpenOpusEncoder(sampleRate, tags, target);
    case AudioFormat::M4r:
        if (module == nullptr) {
            throw QuaverlyError(std::string(Msg::EncodeModuleUnavailable) + EncodeModuleFileName);
        }
        return OpenModuleEncoder(*module, sampleRate, tags, target);
    case AudioFormat::Wav:
    case AudioFormat::Flac:
    case AudioFormat::Mp3:
        break;
    }
    return OpenSndfileEncoder(format, sampleRate, target);
}

namespace {

// AAC through the encoder module; its reasons are FFmpeg's own.
class ModuleEncoder : public AudioEncoder {
public:
    ModuleEncoder(const EncodeModule& module, int sampleRate, const EncoderTags& tags, FileReplacement& target)
        : m_operations(module.Operations()), m_path(target.Path())
    {
        const QuaverlyEncodeRequest request{target.Fd(), sampleRate, tags.title.c_str()};
        std::string reason;
        m_encoder = m_operations.open(&request, Collect, &reason);
        if (m_encoder == nullptr) {
            Fail(reason);
        }
    }
    ~ModuleEncoder() override { m_operations.destroy(m_encoder); }
    ModuleEncoder(const ModuleEncoder&) = delete;
    ModuleEncoder& operator=(const ModuleEncoder&) = delete;

    void Write(const float* samples, int64_t frames) override
    {
        std::string reason;
        if (m_operations.write(m_encoder, samples, frames, Collect, &reason) != 0) {
            Fail(reason);
        }
    }
    void Close() override
    {
        std::string reason;
        if (m_operations.finish(m_encoder, Collect, &reason) != 0) {
            Fail(reason);
        }
    }

private:
    static void Collect(void* context, const char* reason, size_t size)
    {
        static_cast<std::string*>(context)->assign(reason, size);
    }
    [[noreturn]] void Fail(const std::string& reason) const
    {
        throw QuaverlyError(std::string(Msg::AudioEncodeFailed) + m_path + "\r\n" + reason);
    }

    const QuaverlyEncoderOperations& m_operations;
    std::string m_path;
    QuaverlyEncoder* m_encoder = nullptr;
};

}  // namespace

std::unique_ptr<AudioEncoder> OpenModuleEncoder(const EncodeModule& module, int sampleRate, const EncoderTags& tags,
                                                FileReplacement& target)
{
    return std::make_unique<ModuleEncoder>(module, sampleRate, tags, target);
}

}  // namespace quaverly
