// Finds and loads the synthesizer module (SynthModule.h) for the commands
// that make sound, and calls its entry points.
#include <string>

#include "SynthModule.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "base/TextEncoding.h"

#ifdef QUAVERLY_SYNTH_MODULE_FROM_PROGRAM

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace quaverly {

namespace {

// The folder of the running program, from the kernel's own link to it.
std::string ProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string program(path, static_cast<size_t>(length));
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? "." : program.substr(0, slash);
}

// The symbol of that name as the type its declaration gives it, or null.
template <class Entry>
Entry Resolve(void* handle, const char* name)
{
    return reinterpret_cast<Entry>(::dlsym(handle, name));
}

}  // namespace

SynthModule::SynthModule()
{
    const std::string folder = ProgramFolder();
    Load({folder + "/" + SynthModuleFileName, folder + "/" + QUAVERLY_SYNTH_MODULE_FROM_PROGRAM});
}

SynthModule::SynthModule(const std::vector<std::string>& paths)
{
    Load(paths);
}

SynthModule::~SynthModule()
{
    if (m_handle != nullptr) {
        ::dlclose(m_handle);
    }
}

// The reasons name the paths (UTF-8 here) in the message's Shift-JIS.
void SynthModule::Load(const std::vector<std::string>& paths)
{
    std::string reasons;
    for (const std::string& path : paths) {
        if (::access(path.c_str(), F_OK) != 0) {
            // Taken before the path's conversion, which may change errno.
            const int error = errno;
            reasons += "\n  " + Utf8ToSjisLenient(path) + ": " + ErrnoReason(error);
            continue;
        }
        // RTLD_NODELETE: closing the handle leaves the code mapped.
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle == nullptr) {
            const char* error = ::dlerror();
            reasons += "\n  " + Utf8ToSjisLenient(error != nullptr ? std::string(error) : path);
            continue;
        }
        const auto renderWav = Resolve<decltype(&quaverly_render_wav)>(handle, "quaverly_render_wav");
        const auto renderAudio = Resolve<decltype(&quaverly_render_audio)>(handle, "quaverly_render_audio");
        const auto player = Resolve<decltype(&quaverly_player_operations)>(handle, "quaverly_player_operations");
        const QuaverlyPlayerOperations* operations = player != nullptr ? player() : nullptr;
        if (renderWav == nullptr || renderAudio == nullptr || operations == nullptr) {
            ::dlclose(handle);
            reasons += "\n  " + Utf8ToSjisLenient(path) + ": not a module of this program";
            continue;
        }
        m_handle = handle;
        m_renderWav = renderWav;
        m_renderAudio = renderAudio;
        m_playerOperations = operations;
        return;
    }
    m_reason = std::string(Msg::SynthModuleUnavailable) + SynthModuleFileName + reasons;
}

}  // namespace quaverly

#else

namespace quaverly {

// Built without the synthesizer: there is nothing to load.
SynthModule::SynthModule() : m_reason(Msg::SynthesizerUnavailable) {}

SynthModule::SynthModule(const std::vector<std::string>& /*paths*/) : m_reason(Msg::SynthesizerUnavailable) {}

SynthModule::~SynthModule() = default;

void SynthModule::Load(const std::vector<std::string>& /*paths*/) {}

}  // namespace quaverly

#endif  // QUAVERLY_SYNTH_MODULE_FROM_PROGRAM

namespace quaverly {

void SynthModule::RequireAvailable() const
{
    if (!Available()) {
        throw QuaverlyError(m_reason);
    }
}

void SynthModule::RenderWav(const QuaverlyWavRequest& request) const
{
    RequireAvailable();
    std::string failure;
    if (m_renderWav(&request, CollectSynthFailure, &failure) != 0) {
        throw QuaverlyError(failure);
    }
}

namespace {

int TellProgress(void* context, double fraction)
{
    return (*static_cast<const AudioRenderProgress*>(context))(fraction) ? 1 : 0;
}

}  // namespace

AudioRenderResult SynthModule::RenderAudio(const AudioRenderJob& job, const AudioRenderProgress& progress) const
{
    RequireAvailable();
    const QuaverlyAudioRequest request{
        .midiBytes = job.midiBytes.data(),
        .midiSize = job.midiBytes.size(),
        .name = job.name.c_str(),
        .outPath = job.path.c_str(),
        .soundFont = job.soundFont.c_str(),
        .repeats = job.repeats,
        .fadeSeconds = job.fadeSeconds,
        .normalize = job.normalize ? 1 : 0,
        .progress = progress ? TellProgress : nullptr,
        .progressContext = const_cast<void*>(static_cast<const void*>(&progress)),
        .maxSeconds = job.maxSeconds,
        .loop = job.loop ? 1 : 0,
        .encodeModule = job.encodeModule.c_str(),
    };
    std::string failure;
    const int result = m_renderAudio(&request, CollectSynthFailure, &failure);
    switch (result) {
    case 0:
        return AudioRenderResult::Written;
    case 2:
        return AudioRenderResult::Cancelled;
    case 3:
        return AudioRenderResult::WrittenCut;
    default:
        throw QuaverlyError(failure);
    }
}

const QuaverlyPlayerOperations& SynthModule::PlayerOperations() const
{
    RequireAvailable();
    return *m_playerOperations;
}

void CollectSynthFailure(void* context, const char* message, size_t size)
{
    static_cast<std::string*>(context)->assign(message, size);
}

}  // namespace quaverly
