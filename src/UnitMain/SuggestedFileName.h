// The file name rules that Save As shares with the MIDI export: the name
// proposed in the save dialog and the change of its extension. The commands
// tell file kinds apart with the core's FileKindOf.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quaverly {

// The title with the eleven characters a file name cannot hold replaced, in
// order: \ / " , * to "_", : ; ? | to "!", < to "(" and > to ")". Works on
// whole code page 932 characters: the second byte of a double-byte character
// is never taken for one of them.
std::string ReplaceFileNameCharacters(std::string_view sjisTitle);

// The bound file itself when there is one, else the title made fit for a name.
QString SuggestedFileName(const QString& currentFileName, std::string_view sjisTitle);

// Replaces everything from the last full stop of the name (after its last
// folder separator) by the extension, or appends it when there is none.
// extension includes its full stop: ".mid".
QString ChangeExtension(const QString& fileName, const QString& extension);

}  // namespace quaverly
