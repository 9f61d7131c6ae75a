// A help-viewer stand-in recording the help files it was asked to show.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/HelpViewer.h"

namespace quaverly {

class ScriptedHelpViewer : public HelpViewer {
public:
    void ShowContents(const QString& helpFile) override { shown.append(helpFile); }

    QStringList shown;
};

}  // namespace quaverly
