// Finds and loads the renderer module (RendererModule.h) for the subcommands
// that make audio. Built only with the synthesizer.
#ifdef QUAVERLY_HAVE_RENDERER

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "RendererModule.h"
#include "base/Errors.h"

namespace quaverly::cli {

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
// installs it, relative to the program's folder.
void* LoadRendererEntry(const char* symbol, const std::string& command)
{
    const std::string folder = ProgramFolder();
    std::string reasons;
    for (const std::string& path :
         {folder + "/" + RendererFileName, folder + "/" + QUAVERLY_RENDERER_FROM_PROGRAM}) {
        if (::access(path.c_str(), F_OK) != 0) {
            continue;
        }
        // Kept loaded until the program ends: the synthesizer's libraries
        // may leave handlers behind that must not point into unmapped code.
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            reasons += std::string("\n  ") + ::dlerror();
            continue;
        }
        if (void* entry = ::dlsym(module, symbol)) {
            return entry;
        }
        reasons += "\n  " + path + ": no " + symbol;
    }
    throw QuaverlyError("quaverly-cli " + command + ": the renderer (" + std::string(RendererFileName) +
                        ") cannot be loaded from " + folder + " or " + folder + "/" +
                        QUAVERLY_RENDERER_FROM_PROGRAM + reasons);
}

void CollectRendererFailure(void* context, const char* message, size_t size)
{
    static_cast<std::string*>(context)->assign(message, size);
}

}  // namespace quaverly::cli

#endif  // QUAVERLY_HAVE_RENDERER
