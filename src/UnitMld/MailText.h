// The clipboard steps of the mail attachment text: the marker line "--B:M",
// CR LF, then the MelodyImage in Base64 in 76-character lines ended by CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Clipboard.h"
#include "MelodyStore.h"

namespace quaverly {

// The whole mail text of an image.
std::string MakeMailText(std::string_view image);
// The image bytes of a mail text; a leading "--B:M" line is skipped.
std::string ReadMailText(std::string_view text);

// Puts the store's image on the clipboard as mail text; returns its length in bytes.
size_t MailToClipboard(const MelodyStore& store, Clipboard& clipboard);
// Replaces the image with the decoded clipboard text; without text it stays unchanged.
void MailFromClipboard(MelodyStore& store, Clipboard& clipboard);

}  // namespace quaverly
