// quaverly-cli import of a melody as text (.rtttl, .mml, or .txt holding
// either): CliImport.cpp hands such a file here.
#pragma once

#include <string>
#include <vector>

namespace quaverly::cli {

// Reads the text, lists what it could not read on standard error, imports
// the notes into four voices (channels: the tracks 1..16 for the voices, or
// empty for the automatic choice) and writes the melody file, or melody text
// with asText. Prints the import report on standard error.
int ImportTextMelodyFile(const std::string& input, const std::string& output, const std::vector<int>& channels,
                         bool asText);

}  // namespace quaverly::cli
