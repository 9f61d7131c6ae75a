// Diagnostics of the score pages printed as compilers print theirs:
// "FILE:LINE:COLUMN: warning: MESSAGE" on standard error, in UTF-8, each as
// soon as it is found, so that none is held: a page of unreadable pieces may
// have a diagnostic every few bytes. Each page's first
// DiagnosticSink::KeptPerPage are printed, then how many more there were.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "UnitMld/Diagnostic.h"

namespace quaverly::cli {

// What --quiet and --werror ask for.
struct DiagnosticOptions {
    bool quiet = false;
    bool asErrors = false;
};

// Makes the sink print each diagnostic to stream as it comes (nothing when
// quiet; the sink still counts them for --werror). fileText is the input file
// as read (Shift-JIS) and pageOffsets where each voice's page starts in it;
// both must outlive the sink's use. A double-byte character counts as one
// column.
void StreamDiagnostics(DiagnosticSink& sink, std::FILE* stream, const std::string& fileName, std::string_view fileText,
                       const std::array<size_t, VoiceCount>& pageOffsets, DiagnosticOptions options);

// After the work: prints "FILE: warning: ほか N 件" for those beyond the bound
// (unless quiet); true when the diagnostics refuse the command (--werror and
// at least one diagnostic).
bool FinishDiagnostics(std::FILE* stream, const std::string& fileName, const DiagnosticSink& sink,
                       DiagnosticOptions options);

}  // namespace quaverly::cli
