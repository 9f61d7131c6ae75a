// The document's state: what the editor holds against the compiled melody
// and the bound file. Empty and Saved have nothing to lose; ScoreEdited and
// SettingsEdited mean the melody no longer matches the editor.
#pragma once

namespace quaverly {

enum class EditState { Empty = 0, Current = 1, ScoreEdited = 2, SettingsEdited = 3, Saved = 4 };

}  // namespace quaverly
