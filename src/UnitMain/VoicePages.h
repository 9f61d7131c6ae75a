// VoicePages: the four voices' controls of the main window and their texts as
// the core reads them. The controls are found once by the names the window
// promises, followed by the voice number 1 to 4 ("Memo", "ComboBoxTone",
// "EditVol", "TabSheet", "mnPlay"). A page's text is converted to Shift-JIS
// with CR LF line ends once after each of its changes, and its byte offsets
// measured once: a key typed into one page of a long melody converts and
// measures no other.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "UnitMld/ScoreAnalysis.h"

class QAction;
class QComboBox;
class QLineEdit;
class QObject;
class QPlainTextEdit;
class QWidget;

namespace quaverly {

// A page's text as the core reads it and the byte offset in it of each
// character position of the control's text (one past the last included).
struct MeasuredPage {
    std::string sjis;
    std::vector<int> bytes;
};
MeasuredPage MeasurePage(const QString& text);

class VoicePages {
public:
    // The voice controls among the window's children, the tempo box and the title field.
    VoicePages(const QObject& window, QComboBox* tempo, QLineEdit* title);

    QPlainTextEdit* Memo(int voice) const { return Of(voice).memo; }
    QComboBox* Tone(int voice) const { return Of(voice).tone; }
    QLineEdit* Volume(int voice) const { return Of(voice).volume; }
    QWidget* Page(int voice) const { return Of(voice).page; }
    QAction* PlayItem(int voice) const { return Of(voice).playItem; }

    // The editor's texts as the core reads them (Shift-JIS, CR LF line ends).
    EditorTexts CollectEditorTexts() const;
    // The same without the pages: the boxes alone.
    EditorTexts CollectSettingTexts() const;

    // Before anyone reads a changed page: what is kept of its text goes.
    void PageChanged(int voice);
    // A page's character position as a byte offset of its text as the core
    // reads it, which the entries' places count in, and back (the first
    // position at or after the byte).
    int ByteOfPosition(int voice, int position) const;
    int PositionOfByte(int voice, int byteOffset) const;

    // The whole-page work done since the pages were found: each page text
    // converted for the core, and each page's byte offsets measured. A key
    // typed does neither.
    struct Work {
        int conversions = 0;
        int measures = 0;
    };
    const Work& WorkDone() const { return m_work; }

private:
    struct Controls {
        QPlainTextEdit* memo = nullptr;
        QComboBox* tone = nullptr;
        QLineEdit* volume = nullptr;
        QWidget* page = nullptr;
        QAction* playItem = nullptr;
    };
    const Controls& Of(int voice) const { return m_controls[static_cast<size_t>(voice - 1)]; }
    const std::vector<int>& Bytes(int voice) const;

    std::array<Controls, VoiceCount> m_controls{};
    QComboBox* m_tempo;
    QLineEdit* m_title;
    // Per page: its text as the core reads it, kept until it changes.
    mutable std::array<std::optional<std::string>, VoiceCount> m_sjis;
    // Per page: the byte offset of each character position (empty: not yet
    // measured since the last change).
    mutable std::array<std::vector<int>, VoiceCount> m_bytes;
    mutable Work m_work;
};

}  // namespace quaverly
