// The file information of the current document: the header texts that are
// neither title nor score, written as the chunks "vers", "copy", "date", "sorc".
#pragma once

#include <string>

namespace quaverly {

struct MelodyFileInfo {
    std::string version = "0100";  // "vers", four digits VVLL
    std::string copyright;         // "copy"
    std::string date;              // "date", typed as YYYYMMDD, not validated
    bool sorc = false;             // "sorc": the protect flag
};

}  // namespace quaverly
