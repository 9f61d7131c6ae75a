// Score keyboard input: on the four voice pages, the Latin letters of the note
// names (English and German), the rest and the octave marks are replaced, as
// they are typed, by their notation in full-width kana and signs.
#include <QDockWidget>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

#include "UnitMld/MldLayout.h"

#include "TFormMain.h"

namespace quaverly {

namespace {

// The same for upper- and lower-case letters; no other key is mapped.
QString MappedText(QChar key)
{
    switch (key.toLatin1() | 0x20) {
        case 'c':
            return QStringLiteral("ド");
        case 'd':
            return QStringLiteral("レ");
        case 'e':
            return QStringLiteral("ミ");
        case 'f':
            return QStringLiteral("ファ");
        case 'g':
            return QStringLiteral("ソ");
        case 'a':
            return QStringLiteral("ラ");
        case 'b':
        case 'h':
            return QStringLiteral("シ");
        case 'o':
            return QStringLiteral("●");
        case 'w':
            return QStringLiteral("▲");
        case 'q':
            return QStringLiteral("▼");
        default:
            return {};
    }
}

}  // namespace

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* memo = qobject_cast<QPlainTextEdit*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        // Only plain character keys: Ctrl, Alt and Meta combinations are commands.
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (memo != nullptr && plain && !key->text().isEmpty()) {
            // After the key has made its text: the sound never holds the key up.
            for (int voice = 1; voice <= VoiceCount; ++voice) {
                if (memo == m_pages->Memo(voice) && PreviewEnabled()) {
                    QTimer::singleShot(0, this, [this, voice] { PreviewTypedNote(voice); });
                }
            }
        }
        if (memo != nullptr && plain && Memo1KeyPress(memo, key->text())) {
            return true;
        }
    }
    if (event->type() == QEvent::Resize && watched == static_cast<QObject*>(m_rollDock)) {
        RollDockResized();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TFormMain::Memo1KeyPress(QPlainTextEdit* memo, const QString& keyText)
{
    // A read-only page (a melody of another maker shown) takes no typing, mapped or not.
    if (memo->isReadOnly() || m_keyMappingOff || keyText.size() != 1 || keyText[0].unicode() >= 0x80 || !keyText[0].isLetter()) {
        return false;
    }
    const QString mapped = MappedText(keyText[0]);
    if (mapped.isEmpty()) {
        return false;
    }
    // Replaces the selection, or inserts at the caret; the page's change
    // notice follows as for typing.
    QTextCursor cursor = memo->textCursor();
    cursor.insertText(mapped);
    memo->setTextCursor(cursor);
    memo->ensureCursorVisible();
    return true;
}

}  // namespace quaverly
