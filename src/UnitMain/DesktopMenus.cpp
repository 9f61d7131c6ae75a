// What a desktop user expects of the window beyond the melody's own commands:
// the recent-files list, the Edit menu's text commands, Ctrl+S on a document
// bound to no file, keys and mnemonics for the scale shift and the voice
// switches, a sign while the extended notation (/D) is on, and the focus in
// the page after another page is shown.
#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

#include "EditMenu.h"
#include "NoticeBar.h"
#include "RecentFiles.h"
#include "TFormMain.h"
#include "UnitRoll/TPianoRoll.h"
#include "ui_TFormMain.h"

namespace quaverly {

void TFormMain::SetUpDesktopMenus()
{
    auto* recentMenu = new QMenu(QStringLiteral("最近使ったファイル(&R)"), this);
    recentMenu->setObjectName(QStringLiteral("mnRecentFiles"));
    recentMenu->setFont(font());
    m_ui->mnFileMain->insertMenu(m_ui->mnSave1, recentMenu);
    m_recentFiles = new RecentFiles(recentMenu, m_services.settings,
                                    [this](const QString& path) { OpenRecentFile(path); }, this);

    // The page shown holds the voice's text; the sequence page holds none.
    const QPointer<QTabWidget> pages = m_ui->PageControl1;
    m_editMenu = new EditMenu(this, m_ui->mnEditMain, [pages]() -> QPlainTextEdit* {
        QWidget* page = pages ? pages->currentWidget() : nullptr;
        return page != nullptr ? page->findChild<QPlainTextEdit*>() : nullptr;
    });

    // Save is disabled while no file is bound (and Save As is what it would
    // do): its key then runs Save As rather than nothing.
    for (const QKeySequence& key : m_ui->mnSave1->shortcuts()) {
        auto* saveAsKey = new QShortcut(key, this);
        saveAsKey->setObjectName(QStringLiteral("SaveAsWhileUnbound"));
        saveAsKey->setContext(Qt::WindowShortcut);
        saveAsKey->setEnabled(!m_ui->mnSave1->isEnabled());
        connect(m_ui->mnSave1, &QAction::enabledChanged, saveAsKey, [saveAsKey](bool enabled) {
            saveAsKey->setEnabled(!enabled);
        });
        connect(saveAsKey, &QShortcut::activated, this, &TFormMain::mnSaveAs1Click);
    }

    // The scale shift, from anywhere in the window.
    m_ui->mnMeloP->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    m_ui->mnMeloM->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    for (QAction* shift : {m_ui->mnMeloP, m_ui->mnMeloM}) {
        shift->setShortcutContext(Qt::WindowShortcut);
        addAction(shift);
    }
    // Mnemonics after the captions, which stay as they are.
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        QAction* item = m_pages->PlayItem(voice);
        item->setText(item->text() + QStringLiteral("(&%1)").arg(voice));
    }
    m_ui->mnRepeatPlay->setText(m_ui->mnRepeatPlay->text() + QStringLiteral("(&P)"));

    m_noticeBar = new NoticeBar(this);
    m_ui->LayoutMain->insertWidget(m_ui->LayoutMain->indexOf(m_ui->PageControl1), m_noticeBar);

    // While /D is on, the pages read raw data and the letter keys type letters.
    m_extendedSign = new QLabel(QStringLiteral("拡張記法 (/D)"), this);
    m_extendedSign->setObjectName(QStringLiteral("LabelExtendedNotation"));
    m_extendedSign->setToolTip(
        QStringLiteral("/D で起動しています: ／…／ の生データを書けます。文字キーは音名に置き換わりません。"));
    m_extendedSign->setVisible(false);
    m_ui->StatusBar1->addWidget(m_extendedSign);

    // A voice's button in the roll's legend plays that voice alone, as its
    // tip and the help say; pressed while a play runs, it stops the play.
    connect(m_roll, &TPianoRoll::SoloChanged, this, [this](int voice) {
        if (m_playState == PlayState::Playing || voice >= 0) {
            StartPlay(-1);
        }
    });

    // Ctrl+Tab or a click on a tab: the focus goes where the user will type,
    // the page, not the tone box that leads the page's tab order.
    connect(m_ui->PageControl1, &QTabWidget::currentChanged, m_editMenu, [pages, menu = m_editMenu] {
        QWidget* focused = QApplication::focusWidget();
        const bool inPages = pages && focused != nullptr && pages->isAncestorOf(focused);
        if (QPlainTextEdit* page = menu->CurrentPage(); page != nullptr && inPages) {
            page->setFocus(Qt::TabFocusReason);
        }
        menu->UpdateItems();
    });
}

void TFormMain::FitToScreen()
{
    const QScreen* screen = this->screen();
    if (screen == nullptr || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        return;
    }
    // The window manager's title bar and borders come on top of the size.
    const int allowance = 2 * fontMetrics().height();
    const QRect room = screen->availableGeometry().adjusted(0, 0, -allowance / 2, -allowance);
    const QSize fit = size().boundedTo(room.size());
    setMinimumSize(minimumSize().boundedTo(fit));
    resize(fit);
    QPoint place = pos();
    place.setX(std::clamp(place.x(), room.left(), std::max(room.left(), room.right() - fit.width())));
    place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() - fit.height())));
    move(place);
}

void TFormMain::ShowNotice(const QString& text)
{
    if (m_noticeBar == nullptr) {
        return;
    }
    if (text.isEmpty()) {
        m_noticeBar->hide();
    } else {
        m_noticeBar->Show(text);
    }
}

void TFormMain::UpdateDesktopSigns()
{
    if (m_recentFiles != nullptr) {
        m_recentFiles->Note(DocumentFileName());
    }
    if (m_extendedSign != nullptr) {
        m_extendedSign->setVisible(m_extendedNotation);
    }
}

void TFormMain::OpenRecentFile(const QString& path)
{
    RunCommand([this, &path] {
        if (!QFileInfo(path).isFile()) {
            m_recentFiles->Forget(path);
            m_services.messageBoxes.Warning(
                QStringLiteral("「%1」が見つかりません。最近使ったファイルの一覧から外しました。").arg(path));
            return;
        }
        // As the drop does: read and checked first, asked after.
        std::optional<StagedMelody> staged = StageMelodyFile(path);
        if (staged && AskLossQuestion()) {
            AdoptStagedMelody(std::move(*staged), path, true);
        }
    });
}

}  // namespace quaverly
