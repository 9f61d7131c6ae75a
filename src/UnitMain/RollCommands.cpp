// The piano roll beside the pages, play from the cursor, solo and the
// preview of typed notes. The playing note is followed by PlayFollow.
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QDockWidget>
#include <QKeySequence>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "DiagnosticsView.h"
#include "LiveAnalysis.h"
#include "TFormMain.h"
#include "VoicePages.h"
#include "UnitMld/MldLayout.h"
#include "UnitMld/NoteRules.h"
#include "UnitMld/ScoreParser.h"
#include "UnitRoll/TPianoRoll.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

namespace {

// How long a typed note's preview sounds.
constexpr int PreviewMs = 200;
// The roll's first height: room for the legend, the scroll bar and two
// octaves and more of rows around the notes.
constexpr int DefaultRollHeight = 300;

const QString RollVisibleKey = QStringLiteral("PianoRoll/Visible");
const QString RollHeightKey = QStringLiteral("PianoRoll/Height");
const QString PreviewKey = QStringLiteral("PianoRoll/Preview");

// What a typed note sounds as.
struct NotePreview {
    int channel;
    int program;
    int key;
    int velocity;
};

// The note whose characters end at the caret or hold the character before
// it, in the page's text; nothing when the caret follows no sounding note.
std::optional<NotePreview> PreviewOfTypedNote(const QString& text, int position, int voice, const EditorTexts& settings,
                                              bool extendedNotation)
{
    const MeasuredPage page = MeasurePage(text);
    SequenceList list;
    ParseScore(page.sjis, voice - 1, list, extendedNotation);
    const int byte = page.bytes[static_cast<size_t>(std::clamp<qsizetype>(position, 0, static_cast<qsizetype>(page.bytes.size()) - 1))];
    std::optional<SequenceEntry> typed;
    for (const SequenceEntry& entry : list) {
        const SourceSpan source = entry.Source();
        if (!entry.IsRaw() && !entry.IsEnd() && entry.Gate() > 0 && source.Contains(byte - 1)) {
            typed = entry;
            break;
        }
    }
    if (!typed) {
        return std::nullopt;
    }
    std::array<int, VoiceCount> tones{1, 1, 1, 1};
    std::array<int, VoiceCount> volumes{63, 63, 63, 63};
    if (CheckToneTexts(settings.tones, tones)) {
        tones = {1, 1, 1, 1};
    }
    if (CheckVolumeTexts(settings.volumes, volumes)) {
        volumes = {63, 63, 63, 63};
    }
    const size_t index = static_cast<size_t>(voice - 1);
    return NotePreview{voice - 1, std::clamp(tones[index] - 1, 0, 127), std::clamp(typed->Note() + MidiNoteOffset, 0, 127),
                       VelocityOfVolume(volumes[index])};
}

}  // namespace

void TFormMain::SetUpRoll()
{
    m_rollDock = new QDockWidget(QStringLiteral("ピアノロール"), this);
    // Made inside the dock, so that the legend is laid out in the window's
    // font from the start, not first in the application's default font.
    m_roll = new TPianoRoll(m_rollDock);
    m_rollDock->setObjectName(QStringLiteral("PianoRollDock"));
    m_rollDock->setWidget(m_roll);
    m_rollDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    addDockWidget(Qt::BottomDockWidgetArea, m_rollDock);
    const int rollHeight = std::max(80, m_services.settings.Value(RollHeightKey, DefaultRollHeight).toInt());
    const bool shown = m_services.settings.Value(RollVisibleKey, true).toBool();
    if (shown) {
        // The pages keep their designed height; the roll is added below them.
        resize(width(), height() + rollHeight);
    }
    m_roll->SetPreferredHeight(rollHeight);
    m_rollDock->setVisible(shown);

    // While typing, the roll shows what the live check of the pages compiled.
    connect(m_liveAnalysis, &LiveAnalysis::Analysed, this,
            [this](const PageCheckResult& result) {
                // Laid out with the check, off this thread, when it could be.
                if (std::optional<RollModel> roll = m_liveAnalysis->TakeRollModel()) {
                    ShowRollModel(std::move(*roll));
                } else {
                    ShowSequenceInRoll(result.sequence);
                }
            });
    m_follow = new PlayFollow(m_services.player, *m_roll, *m_pages, *m_diagnosticsView, m_document, this);

    for (int voice = 1; voice <= VoiceCount; ++voice) {
        connect(m_pages->Memo(voice), &QPlainTextEdit::cursorPositionChanged, this, [this, voice] { PageCursorMoved(voice); });
    }
    connect(m_roll, &TPianoRoll::NoteClicked, this, &TFormMain::RollNoteClicked);
    connect(m_roll, &TPianoRoll::SoloChanged, this, [this](int voice) { SetSoloVoice(voice + 1); });

    // The play menu: play from the cursor, solo, preview, and the roll itself.
    QMenu* menu = m_ui->mnSetupMain;
    menu->addSeparator();
    QAction* fromCursor = menu->addAction(QStringLiteral("カーソル位置から再生(&C)"));
    fromCursor->setObjectName(QStringLiteral("mnPlayFromCursor"));
    fromCursor->setShortcut(QKeySequence(Qt::Key_F6));
    connect(fromCursor, &QAction::triggered, this, &TFormMain::mnPlayFromCursorClick);
    QMenu* soloMenu = menu->addMenu(QStringLiteral("ソロ(&L)"));
    soloMenu->setObjectName(QStringLiteral("mnSolo"));
    m_soloItems = new QActionGroup(this);
    for (int voice = 0; voice <= VoiceCount; ++voice) {
        QAction* item = soloMenu->addAction(voice == 0 ? QStringLiteral("なし") : QStringLiteral("第%1音").arg(voice));
        item->setObjectName(QStringLiteral("mnSolo%1").arg(voice));
        item->setCheckable(true);
        item->setChecked(voice == 0);
        m_soloItems->addAction(item);
        connect(item, &QAction::triggered, this, [this, voice] { SetSoloVoice(voice); });
    }
    m_previewItem = menu->addAction(QStringLiteral("入力した音を鳴らす(&V)"));
    m_previewItem->setObjectName(QStringLiteral("mnPreview"));
    m_previewItem->setCheckable(true);
    m_previewItem->setChecked(m_services.settings.Value(PreviewKey, true).toBool());
    connect(m_previewItem, &QAction::triggered, this, &TFormMain::mnPreviewClick);
    // The roll's zoom, from anywhere in the window: the shortcuts belong to
    // the window, so Ctrl with a keypad key never types into a page.
    const struct {
        const char* name;
        QString caption;
        QList<QKeySequence> keys;
        void (TPianoRoll::*zoom)();
    } zooms[] = {
        {"mnZoomIn", QStringLiteral("ロールを拡大(&I)"),
         {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))},
         &TPianoRoll::ZoomIn},
        {"mnZoomOut", QStringLiteral("ロールを縮小(&U)"),
         {QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))},
         &TPianoRoll::ZoomOut},
        {"mnZoomReset", QStringLiteral("ロールを標準の倍率に(&Z)"),
         {QKeySequence(Qt::CTRL | Qt::Key_0), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_0))},
         &TPianoRoll::ZoomReset},
    };
    for (const auto& zoom : zooms) {
        QAction* item = menu->addAction(zoom.caption);
        item->setObjectName(QString::fromLatin1(zoom.name));
        item->setShortcuts(zoom.keys);
        item->setShortcutContext(Qt::WindowShortcut);
        connect(item, &QAction::triggered, m_roll, zoom.zoom);
    }
    QAction* showRoll = m_rollDock->toggleViewAction();
    showRoll->setText(QStringLiteral("ピアノロール(&R)"));
    showRoll->setObjectName(QStringLiteral("mnShowRoll"));
    menu->addAction(showRoll);
    // Only the user's choice is kept (a minimised window hides the dock too).
    connect(showRoll, &QAction::triggered, this, [this](bool shown) {
        RunCommand([this, shown] { m_services.settings.SetValue(RollVisibleKey, shown); });
    });
    // The height is kept once the user stops dragging the dock's edge.
    m_rollHeightSave = new QTimer(this);
    m_rollHeightSave->setSingleShot(true);
    m_rollHeightSave->setInterval(500);
    connect(m_rollHeightSave, &QTimer::timeout, this, [this] {
        RunCommand([this] { m_services.settings.SetValue(RollHeightKey, m_rollDock->height()); });
    });
    m_rollDock->installEventFilter(this);
}

void TFormMain::RollDockResized()
{
    if (m_rollDock->isVisible() && m_rollDock->height() != m_services.settings.Value(RollHeightKey).toInt()) {
        m_rollHeightSave->start();
    }
}

void TFormMain::mnPreviewClick()
{
    RunCommand([this] { m_services.settings.SetValue(PreviewKey, m_previewItem->isChecked()); });
}

bool TFormMain::PreviewEnabled() const
{
    return m_previewItem != nullptr && m_previewItem->isChecked();
}

void TFormMain::SetSoloVoice(int voice)
{
    m_soloVoice = voice >= 1 && voice <= VoiceCount ? voice : 0;
    m_soloItems->actions().at(m_soloVoice)->setChecked(true);
    m_roll->SetSolo(m_soloVoice - 1);
}

void TFormMain::RefreshRollFromPages()
{
    if (m_document.Foreign() != nullptr) {
        return;  // the roll shows the melody of another maker, not the empty pages
    }
    const EditorTexts texts = m_pages->CollectEditorTexts();
    SequenceList list;
    for (int voice = 0; voice < VoiceCount; ++voice) {
        ParseScore(texts.scores[static_cast<size_t>(voice)], voice, list, m_extendedNotation);
    }
    ShowSequenceInRoll(list);
}

void TFormMain::ShowSequenceInRoll(const SequenceList& list)
{
    RollModel model;
    model.SetEvents(list);
    ShowRollModel(std::move(model));
}

void TFormMain::ShowRollModel(RollModel model)
{
    if (m_document.Foreign() != nullptr) {
        return;  // the empty pages' live check leaves the other maker's channels in view
    }
    std::array<int, VoiceCount> tones{1, 1, 1, 1};
    if (CheckToneTexts(m_pages->CollectSettingTexts().tones, tones)) {
        tones = {1, 1, 1, 1};  // a tone box being typed: the legend shows the first tone meanwhile
    }
    m_roll->SetModel(std::move(model), tones);
    m_rollBehindPage.fill(false);
    if (QWidget* page = m_ui->PageControl1->currentWidget()) {
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            if (page == m_pages->Page(voice)) {
                PageCursorMoved(voice);
            }
        }
    }
}

void TFormMain::PageTextChanged(int voice)
{
    m_pages->PageChanged(voice);
    m_rollBehindPage[static_cast<size_t>(voice - 1)] = true;
}

void TFormMain::PageCursorMoved(int voice)
{
    if (m_roll == nullptr) {
        return;
    }
    // While the roll shows an earlier text of the page (keys typed, the live
    // check's result not yet come), its notes are not the page's: the mark
    // waits for that result, which marks the cursor's note again. A key
    // measures nothing of the page.
    if (m_rollBehindPage[static_cast<size_t>(voice - 1)]) {
        return;
    }
    // A selection (a clicked note's characters) is marked by its first
    // character: its end is already the next note's place.
    const QTextCursor cursor = m_pages->Memo(voice)->textCursor();
    const int position = cursor.hasSelection() ? cursor.selectionStart() : cursor.position();
    m_roll->SetCursorPlace(voice - 1, m_pages->ByteOfPosition(voice, position));
}

void TFormMain::RollNoteClicked(const SourceSpan& source)
{
    if (!source.IsSet() || source.page >= VoiceCount) {
        return;
    }
    const int voice = source.page + 1;
    m_ui->PageControl1->setCurrentWidget(m_pages->Page(voice));
    QPlainTextEdit* memo = m_pages->Memo(voice);
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(m_pages->PositionOfByte(voice, source.offset));
    cursor.setPosition(m_pages->PositionOfByte(voice, source.offset + source.length), QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    memo->setFocus();
}

int TFormMain::StartTimeAtCursor()
{
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        if (m_ui->PageControl1->currentWidget() != m_pages->Page(voice)) {
            continue;
        }
        const EditorTexts texts = m_pages->CollectEditorTexts();
        SequenceList list;
        ParseScore(texts.scores[static_cast<size_t>(voice - 1)], voice - 1, list, m_extendedNotation);
        const int byte = m_pages->ByteOfPosition(voice, m_pages->Memo(voice)->textCursor().position());
        return TimeAtPlace(list, voice - 1, byte).value_or(-1);
    }
    return -1;
}

void TFormMain::PreviewTypedNote(int voice)
{
    if (!PreviewEnabled() || !m_services.player.IsStopped()) {
        return;
    }
    // Finding the note parses the whole page: that runs on a worker thread
    // with a copy of the text and the caret, so the next key never waits for
    // it. The note sounds when the answer comes, unless a play has begun or
    // the preview was turned off meanwhile.
    const QPlainTextEdit* memo = m_pages->Memo(voice);
    QPointer<TFormMain> self(this);
    QThreadPool::globalInstance()->start([self, voice, text = memo->toPlainText(), position = memo->textCursor().position(),
                                          settings = m_pages->CollectSettingTexts(), extended = m_extendedNotation] {
        // Nothing may leave the runnable: an exception here would end the program.
        try {
            const std::optional<NotePreview> preview = PreviewOfTypedNote(text, position, voice, settings, extended);
            if (!preview) {
                return;
            }
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, note = *preview] {
                    if (self && self->PreviewEnabled() && self->m_services.player.IsStopped()) {
                        self->m_services.player.PreviewNote(note.channel, note.program, note.key, note.velocity, PreviewMs);
                    }
                },
                Qt::QueuedConnection);
        } catch (...) {
            // No note found: the key makes no sound.
        }
    });
}

}  // namespace quaverly
