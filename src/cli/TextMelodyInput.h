// quaverly-cli import of a melody as text (.rtttl, .mml, or .txt holding
// either): CliImport.cpp hands such a file here.
#pragma once

#include <string>
#include <vector>

namespace quaverly {
class MelodyStore;
}

namespace quaverly::cli {

// Reads the text and imports its notes into four voices of store (channels:
// the tracks 1..16 for the voices, or empty for the automatic choice). Returns
// what goes to standard error: what the text reader could not read, then the
// import report.
std::string ImportTextMelodyFile(const std::string& input, const std::vector<int>& channels, MelodyStore& store);

}  // namespace quaverly::cli
