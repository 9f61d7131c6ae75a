// The help viewer: opens the program's help document at its contents.
#pragma once

#include <QString>

namespace quaverly {

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // The equivalent of running the help macro "CONTENTS()" on the help file.
    virtual void ShowContents(const QString& helpFile) = 0;
};

}  // namespace quaverly
