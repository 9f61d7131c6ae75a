// How the window shows a live check of the pages: a wavy underline under
// each diagnostic in its page (its message as the tooltip), the count on each
// page's tab, the list under the pages ("第2音 3行5列: …") whose rows lead to
// the characters, what a refusal allows, and the meter in the status bar.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTextEdit>

#include <array>
#include <vector>

#include "UnitMld/PageCheck.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;

namespace quaverly {

class DiagnosticsView : public QObject {
    Q_OBJECT

public:
    DiagnosticsView(QTabWidget* pages, const std::array<QPlainTextEdit*, VoiceCount>& memos, QListWidget* list,
                    QLabel* meter, QObject* parent = nullptr);

    void Show(const PageCheckResult& result);
    // The page's caption without its count ("♪第1音", or "第1音" while the
    // voice is switched off for play): the one place a page's caption is made.
    void SetPageTitle(int voice, const QString& title);
    // The tempo adjustment in percent (nothing: the melody's own tempo), read
    // at each showing: the meter's length is how long the melody plays.
    void SetTempoAdjustment(std::function<std::optional<int32_t>()> percent) { m_tempoAdjustment = std::move(percent); }
    // The row's place: its page shown, its characters selected, the focus in the page.
    void Choose(int row);

    // Characters of the page text as the control holds it (LF line ends) for
    // a byte offset into its Shift-JIS form with CR LF line ends.
    static int ControlPosition(const QString& pageText, int byteOffset);
    // What the box at fault allows, naming its voice: the list's first row
    // after a refusal, and the second line of the refusal's message box.
    static QString AllowedText(const RefusalReason& reason);

    // The wavy underlines of page voice (0..3). The window sets them on the
    // page together with its other marks (the playing note).
    const QList<QTextEdit::ExtraSelection>& Underlines(int voice) const
    {
        return m_underlines[static_cast<size_t>(voice)];
    }

signals:
    void UnderlinesChanged(int voice);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Underline(int voice, const std::vector<Diagnostic>& diagnostics);
    void ShowMeter(const PageCheckResult& result);
    std::function<std::optional<int32_t>()> m_tempoAdjustment;
    void ShowPageTitle(int voice);

    QTabWidget* m_pages;
    std::array<QPlainTextEdit*, VoiceCount> m_memos;
    QListWidget* m_list;
    QLabel* m_meter;
    QStringList m_tabTitles;
    std::array<int, VoiceCount> m_counts{};
    // The place of each list row (a refusal's row has none).
    std::vector<SourceSpan> m_rowPlaces;
    // Per page: [start, end) in control characters and the message, for tooltips.
    struct Mark {
        int start;
        int end;
        QString message;
    };
    std::array<std::vector<Mark>, VoiceCount> m_marks;
    std::array<QList<QTextEdit::ExtraSelection>, VoiceCount> m_underlines;
};

}  // namespace quaverly
