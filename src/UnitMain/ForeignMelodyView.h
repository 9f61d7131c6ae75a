// How the window explains that a melody of another maker is shown as it is:
// the commands of the four voices' pages refuse with one box that leads to
// 「編集用に取り込む」.
#pragma once

#include "document/DocumentController.h"
#include "platform/MessageBoxes.h"

namespace quaverly {

// True, after the explaining box, while the document is a melody of another maker.
bool RefusedAsViewOnly(const DocumentController& document, MessageBoxes& messageBoxes);

}  // namespace quaverly
