// A clipboard stand-in holding Shift-JIS text, or nothing (no text format).
#pragma once

#include <optional>
#include <string>

#include "UnitMld/Clipboard.h"

namespace quaverly {

class ScriptedClipboard : public Clipboard {
public:
    std::optional<std::string> Text() override { return text; }
    void SetText(const std::string& newText) override { text = newText; }

    std::optional<std::string> text;
};

}  // namespace quaverly
