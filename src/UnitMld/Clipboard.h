// The system clipboard as the core sees it: plain text, as Shift-JIS bytes.
// The window supplies the real one; tests supply a scripted one.
#pragma once

#include <optional>
#include <string>

namespace quaverly {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The clipboard's plain text, or nothing when it holds no text.
    virtual std::optional<std::string> Text() = 0;
    virtual void SetText(const std::string& text) = 0;
};

}  // namespace quaverly
