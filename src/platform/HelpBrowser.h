// The help viewer: one non-modal window with a QTextBrowser that opens the
// program's help document (help/index.html beside the program) at its
// contents. The window is created on first use and reused afterwards.
#pragma once

#include <QPointer>
#include <QString>

#include "HelpViewer.h"

class QTextBrowser;
class QWidget;

namespace quaverly {

class HelpBrowser : public HelpViewer {
public:
    HelpBrowser() = default;
    ~HelpBrowser() override;
    HelpBrowser(const HelpBrowser&) = delete;
    HelpBrowser& operator=(const HelpBrowser&) = delete;

    // helpFile is the program's help file: an ".html" page is opened as it
    // is; any other name (such as "Quaverly.hlp" in the program's folder)
    // stands for the "help/index.html" beside it.
    void ShowContents(const QString& helpFile) override;

    // The page a help file name stands for.
    static QString ContentsPage(const QString& helpFile);

    // The window, once shown; for tests and screenshots.
    QWidget* Window() const { return m_window; }
    QTextBrowser* Browser() const { return m_browser; }

private:
    void CreateWindow();

    QPointer<QWidget> m_window;
    QPointer<QTextBrowser> m_browser;
};

}  // namespace quaverly
