// Finds and loads the synthesizer module (SynthModule.h) for the commands
// that make sound.
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

}  // namespace

// The module beside the program (a build folder), else where the package
// installs it, relative to the program's folder. The reasons name the paths
// (UTF-8 here) in the message's Shift-JIS. The player loads it on a
// worker thread while the window may load it for an export: dlopen is safe
// from any thread, and a module opened twice is the same module.
void* LoadSynthModuleEntry(const char* symbol)
{
    const std::string folder = ProgramFolder();
    std::string reasons;
    for (const std::string& path :
         {folder + "/" + SynthModuleFileName, folder + "/" + QUAVERLY_SYNTH_MODULE_FROM_PROGRAM}) {
        if (::access(path.c_str(), F_OK) != 0) {
            reasons += "\n  " + Utf8ToSjisLenient(path) + ": " + ErrnoReason(errno);
            continue;
        }
        // Kept loaded until the program ends: the synthesizer's libraries
        // may leave handlers behind that must not point into unmapped code.
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* error = ::dlerror();
            reasons += "\n  " + Utf8ToSjisLenient(error != nullptr ? std::string(error) : path);
            continue;
        }
        if (void* entry = ::dlsym(module, symbol)) {
            return entry;
        }
        reasons += "\n  " + Utf8ToSjisLenient(path) + ": no " + symbol;
    }
    throw QuaverlyError(std::string(Msg::SynthModuleUnavailable) + SynthModuleFileName + reasons);
}

}  // namespace quaverly

#else

namespace quaverly {

// Built without the synthesizer: there is nothing to load.
void* LoadSynthModuleEntry(const char* /*symbol*/)
{
    throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
}

}  // namespace quaverly

#endif  // QUAVERLY_SYNTH_MODULE_FROM_PROGRAM

namespace quaverly {

void CollectSynthFailure(void* context, const char* message, size_t size)
{
    static_cast<std::string*>(context)->assign(message, size);
}

}  // namespace quaverly
