// Diagnostics of the score pages printed as compilers print theirs:
// "FILE:LINE:COLUMN: warning: MESSAGE" on standard error, in UTF-8.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "UnitMld/Diagnostic.h"

namespace quaverly::cli {

// The lines for the diagnostics; fileText is the input file as read (Shift-JIS)
// and pageOffsets where each voice's page starts in it. A double-byte
// character counts as one column.
std::string DiagnosticLines(const std::string& fileName, std::string_view fileText,
                            const std::array<size_t, VoiceCount>& pageOffsets, const DiagnosticSink& diagnostics);

// What --quiet and --werror ask for.
struct DiagnosticOptions {
    bool quiet = false;
    bool asErrors = false;
};

// Prints the lines (unless quiet) to stream; true when the diagnostics refuse
// the command (--werror and at least one diagnostic).
bool ReportDiagnostics(std::FILE* stream, const std::string& fileName, std::string_view fileText,
                       const std::array<size_t, VoiceCount>& pageOffsets, const DiagnosticSink& diagnostics,
                       DiagnosticOptions options);

}  // namespace quaverly::cli
