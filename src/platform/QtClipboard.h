// The real clipboard: its plain text as Shift-JIS. Lines end with CR LF on
// the way in, as the system's texts expect (numeric text ends records with
// CR), and with the desktop's own "\n" on the way out.
#pragma once

#include "UnitMld/Clipboard.h"

namespace quaverly {

class QtClipboard : public Clipboard {
public:
    std::optional<std::string> Text() override;
    void SetText(const std::string& text) override;
};

}  // namespace quaverly
