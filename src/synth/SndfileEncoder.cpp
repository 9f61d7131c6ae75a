// WAV, FLAC and MP3 through libsndfile, which writes through calls on the
// replacement file's descriptor.
#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "AudioEncoder.h"
#include "base/Errors.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

constexpr int Channels = 2;

// libsndfile writes through these calls into the replacement file, so that
// every failed write is seen here with its errno, and the file's fate stays
// with FileReplacement.
struct EncodedFile {
    int fd = -1;
    int error = 0;  // the first failed call's errno
};

sf_count_t FileLength(void* data)
{
    struct stat status {};
    return ::fstat(static_cast<EncodedFile*>(data)->fd, &status) == 0 ? status.st_size : 0;
}

sf_count_t FileSeek(sf_count_t offset, int whence, void* data)
{
    auto* file = static_cast<EncodedFile*>(data);
    const off_t position = ::lseek(file->fd, offset, whence);
    if (position < 0 && file->error == 0) {
        file->error = errno;
    }
    return position;
}

sf_count_t FileRead(void* buffer, sf_count_t count, void* data)
{
    auto* file = static_cast<EncodedFile*>(data);
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(file->fd, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += n;
    }
    return done;
}

sf_count_t FileWrite(const void* buffer, sf_count_t count, void* data)
{
    auto* file = static_cast<EncodedFile*>(data);
    sf_count_t done = 0;
    while (done < count && file->error == 0) {
        const ssize_t n =
            ::write(file->fd, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno != EINTR) {
                file->error = errno;
            }
            continue;
        }
        if (n == 0) {
            file->error = ENOSPC;
            break;
        }
        done += n;
    }
    return done;
}

sf_count_t FileTell(void* data)
{
    return ::lseek(static_cast<EncodedFile*>(data)->fd, 0, SEEK_CUR);
}

int SndfileFormat(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Wav:
        // RF64 only when the data outgrows what a WAVE header can say
        // (some 6 hours); below that the file is a plain WAVE file.
        return SF_FORMAT_RF64 | SF_FORMAT_PCM_16;
    case AudioFormat::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case AudioFormat::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    case AudioFormat::OggVorbis:
    case AudioFormat::Opus:
    case AudioFormat::M4r:
        break;  // written by encoders of their own
    }
    return 0;
}

// An open encoder over the replacement file; closed once.
class SndfileEncoder : public AudioEncoder {
public:
    SndfileEncoder(AudioFormat format, int sampleRate, FileReplacement& target) : m_path(target.Path())
    {
        m_file.fd = target.Fd();
        SF_VIRTUAL_IO io{FileLength, FileSeek, FileRead, FileWrite, FileTell};
        SF_INFO info{};
        info.samplerate = sampleRate;
        info.channels = Channels;
        info.format = SndfileFormat(format);
        m_sndfile = sf_open_virtual(&io, SFM_WRITE, &info, &m_file);
        if (m_sndfile == nullptr) {
            Fail(nullptr);
        }
        if (format == AudioFormat::Wav) {
            sf_command(m_sndfile, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
        }
    }
    ~SndfileEncoder() override
    {
        if (m_sndfile != nullptr) {
            sf_close(m_sndfile);
        }
    }
    SndfileEncoder(const SndfileEncoder&) = delete;
    SndfileEncoder& operator=(const SndfileEncoder&) = delete;

    void Write(const float* samples, int64_t frames) override
    {
        // A full disk ends the export at once, not after the rest is rendered.
        if (sf_writef_float(m_sndfile, samples, frames) != frames || m_file.error != 0) {
            Fail(m_sndfile);
        }
    }

    // Ends the stream: the encoders write their last pages and the headers.
    void Close() override
    {
        const int result = sf_close(m_sndfile);
        m_sndfile = nullptr;
        if (result != 0 || m_file.error != 0) {
            Fail(nullptr, result);
        }
    }

private:
    [[noreturn]] void Fail(SNDFILE* sndfile, int code = 0)
    {
        if (m_file.error != 0) {
            throw FileError(Msg::FileWriteFailed, m_path, m_file.error);
        }
        const char* reason = code != 0 ? sf_error_number(code) : sf_strerror(sndfile);
        throw QuaverlyError(std::string(Msg::AudioEncodeFailed) + m_path + "\r\n" + reason);
    }

    std::string m_path;
    EncodedFile m_file;
    SNDFILE* m_sndfile = nullptr;
};

}  // namespace

std::unique_ptr<AudioEncoder> OpenSndfileEncoder(AudioFormat format, int sampleRate, FileReplacement& target)
{
    return std::make_unique<SndfileEncoder>(format, sampleRate, target);
}

}  // namespace quaverly
