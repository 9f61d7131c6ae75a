#include "HelpBrowser.h"

#include <QDir>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "FormLook.h"
#include "SjisText.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

constexpr int WindowWidth = 640;
constexpr int WindowHeight = 560;

}  // namespace

HelpBrowser::~HelpBrowser()
{
    delete m_window;
}

QString HelpBrowser::ContentsPage(const QString& helpFile)
{
    QFileInfo file(helpFile);
    QString suffix = file.suffix().toLower();
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) {
        return file.absoluteFilePath();
    }
    return QDir(file.absolutePath()).filePath(QStringLiteral("help/index.html"));
}

void HelpBrowser::CreateWindow()
{
    m_window = new QWidget(nullptr, Qt::Window);
    m_window->setObjectName(QStringLiteral("HelpWindow"));
    m_window->setWindowTitle(QStringLiteral("Quaverly ヘルプ"));
    ApplyWindowFont(m_window);
    // Within the screen's free area, with room below it: its lower edge
    // never touches the screen's bottom or the panel there.
    const QRect room = m_window->screen()->availableGeometry();
    const int frameAllowance = 2 * m_window->fontMetrics().height();
    m_window->resize(std::min(WindowWidth, room.width() - frameAllowance),
                     std::min(WindowHeight, room.height() - 2 * frameAllowance));
    m_window->move(room.center() - m_window->rect().center());
    // Escape closes the help, as it closes every other window of the program.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), m_window);
    close->setContext(Qt::WindowShortcut);
    QObject::connect(close, &QShortcut::activated, m_window.data(), &QWidget::close);

    auto* contents = new QPushButton(QStringLiteral("目次(&C)"), m_window);
    auto* back = new QPushButton(QStringLiteral("戻る(&B)"), m_window);
    m_browser = new QTextBrowser(m_window);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setOpenExternalLinks(true);
    QFont text = WindowFont();
    text.setPixelSize(14);
    m_browser->setFont(text);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(m_window);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    QObject::connect(contents, &QPushButton::clicked, m_browser.data(), &QTextBrowser::home);
    QObject::connect(back, &QPushButton::clicked, m_browser.data(), &QTextBrowser::backward);
    QObject::connect(m_browser.data(), &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
}

void HelpBrowser::ShowContents(const QString& helpFile)
{
    if (!m_window) {
        CreateWindow();
    }
    QString page = ContentsPage(helpFile);
    if (QFileInfo::exists(page)) {
        m_browser->clearHistory();
        m_browser->setSource(QUrl::fromLocalFile(page));
    } else {
        m_browser->setHtml(QStringLiteral("<p>") + FromSjis(Msg::HelpFileMissing) + page.toHtmlEscaped() +
                           QStringLiteral("</p>"));
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace quaverly
