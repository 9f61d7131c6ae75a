#include "DiagnosticsView.h"

#include "UnitMidi/MidiWriter.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>

#include <cstdio>

#include "base/MessageFormat.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

namespace quaverly {

namespace {

// Bytes of a character in Shift-JIS as the core reads the page: a line
// break is CR LF, any other character what the window's conversion makes of it.
int SjisBytes(QChar c)
{
    return c.unicode() == u'\n' ? 2 : SjisLength(c);
}

// A position between the halves of a surrogate pair moves past the pair:
// its "?" is counted at the first half.
int PastSecondHalf(const QString& text, int position)
{
    while (position < text.size() && text[position].isLowSurrogate()) {
        ++position;
    }
    return position;
}

QString Formatted(std::string_view format, std::initializer_list<int64_t> numbers)
{
    return FromSjis(WithNumbers(format, numbers));
}

QString Minutes(double seconds)
{
    const int whole = static_cast<int>(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

DiagnosticsView::DiagnosticsView(QTabWidget* pages, const std::array<QPlainTextEdit*, VoiceCount>& memos,
                                 QListWidget* list, QLabel* meter, QObject* parent)
    : QObject(parent), m_pages(pages), m_memos(memos), m_list(list), m_meter(meter)
{
    for (QPlainTextEdit* memo : m_memos) {
        m_tabTitles << m_pages->tabText(m_pages->indexOf(memo->parentWidget()));
        memo->viewport()->installEventFilter(this);
    }
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { Choose(m_list->row(item)); });
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Choose(m_list->row(item)); });
}

int DiagnosticsView::ControlPosition(const QString& pageText, int byteOffset)
{
    int bytes = 0;
    int i = 0;
    while (i < pageText.size() && bytes < byteOffset) {
        bytes += SjisBytes(pageText[i]);
        ++i;
    }
    return PastSecondHalf(pageText, i);
}

void DiagnosticsView::SetPageTitle(int voice, const QString& title)
{
    m_tabTitles[voice] = title;
    ShowPageTitle(voice);
}

void DiagnosticsView::ShowPageTitle(int voice)
{
    const int count = m_counts[static_cast<size_t>(voice)];
    QWidget* page = m_memos[static_cast<size_t>(voice)]->parentWidget();
    m_pages->setTabText(m_pages->indexOf(page),
                        count == 0 ? m_tabTitles[voice] : QStringLiteral("%1 (%2)").arg(m_tabTitles[voice]).arg(count));
}

void DiagnosticsView::Show(const PageCheckResult& result)
{
    m_list->clear();
    m_rowPlaces.clear();
    std::array<std::vector<Diagnostic>, VoiceCount> perPage;
    for (const Diagnostic& diagnostic : result.diagnostics) {
        if (diagnostic.span.page >= 0 && diagnostic.span.page < VoiceCount) {
            perPage[static_cast<size_t>(diagnostic.span.page)].push_back(diagnostic);
        }
    }
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice);
        Underline(voice, perPage[i]);
        m_counts[i] = result.diagnosticsPerPage[i];
        ShowPageTitle(voice);
        for (size_t k = 0; k < perPage[i].size(); ++k) {
            const Diagnostic& diagnostic = perPage[i][k];
            // Lines and columns counted in the control's text, as the user sees them.
            const int position = m_marks[i][k].start;
            const QTextBlock block = m_memos[i]->document()->findBlock(position);
            const QString place = Formatted(Msg::DiagnosticPlace,
                                            {voice + 1, block.blockNumber() + 1, position - block.position() + 1});
            m_list->addItem(place + FromSjis(diagnostic.message));
            m_rowPlaces.push_back(diagnostic.span);
        }
        // Only the first ones of a page are kept; the rest is a count.
        if (const int more = m_counts[i] - static_cast<int>(perPage[i].size()); more > 0) {
            m_list->addItem(Formatted(Msg::DiagnosticsMoreOnPage, {voice + 1, more}));
            m_rowPlaces.push_back(SourceSpan{});
        }
    }
    if (result.refusal) {
        m_list->insertItem(0, AllowedText(result.refusalReason));
        m_rowPlaces.insert(m_rowPlaces.begin(), SourceSpan{});
    }
    ShowMeter(result);
}

QString DiagnosticsView::AllowedText(const RefusalReason& reason)
{
    const int voice = reason.voice + 1;
    switch (reason.field) {
    case RefusedField::Tempo:
        return FromSjis(Msg::AllowedTempo);
    case RefusedField::Tone:
        return Formatted(Msg::AllowedTone, {voice});
    case RefusedField::Volume:
        return Formatted(Msg::AllowedVolume, {voice});
    case RefusedField::None:
        break;
    }
    return FromSjis(Msg::AllowedLength);
}

void DiagnosticsView::Underline(int voice, const std::vector<Diagnostic>& diagnostics)
{
    QPlainTextEdit* memo = m_memos[static_cast<size_t>(voice)];
    std::vector<Mark>& marks = m_marks[static_cast<size_t>(voice)];
    marks.clear();
    QList<QTextEdit::ExtraSelection> selections;
    if (!diagnostics.empty()) {
        const QString text = memo->toPlainText();
        // Offsets come in page order: one walk turns them all.
        int bytes = 0;
        int i = 0;
        auto advance = [&](int byteOffset) {
            while (i < text.size() && bytes < byteOffset) {
                bytes += SjisBytes(text[i]);
                ++i;
            }
            return PastSecondHalf(text, i);
        };
        for (const Diagnostic& diagnostic : diagnostics) {
            if (diagnostic.span.offset < bytes) {
                bytes = 0;
                i = 0;
            }
            const int start = advance(diagnostic.span.offset);
            // The end is counted on from the start; the next start may come before it.
            int endBytes = bytes;
            int end = i;
            while (end < text.size() && endBytes < diagnostic.span.offset + diagnostic.span.length) {
                endBytes += SjisBytes(text[end]);
                ++end;
            }
            end = PastSecondHalf(text, end);
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(memo->document());
            selection.cursor.setPosition(start);
            selection.cursor.setPosition(end, QTextCursor::KeepAnchor);
            selection.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            selection.format.setUnderlineColor(Qt::red);
            selection.format.setToolTip(FromSjis(diagnostic.message));
            selections.append(selection);
            marks.push_back({start, end, FromSjis(diagnostic.message)});
        }
    }
    m_underlines[static_cast<size_t>(voice)] = selections;
    emit UnderlinesChanged(voice);
}

void DiagnosticsView::ShowMeter(const PageCheckResult& result)
{
    // As the MIDI writer plays it: each quarter lasts the adjustment's percent.
    const std::optional<int32_t> percent = m_tempoAdjustment ? m_tempoAdjustment() : std::nullopt;
    const int played = percent.value_or(100);
    QString text = Formatted(Msg::MeterSize, {static_cast<int>(result.imageBytes)}) + QStringLiteral("  ") +
                   Minutes(result.lengthSeconds * played / 100.0) + QStringLiteral("  ") +
                   Formatted(Msg::MeterNotes, {result.notesPerVoice[0], result.notesPerVoice[1],
                                               result.notesPerVoice[2], result.notesPerVoice[3]});
    if (result.refusal) {
        text += QStringLiteral("  ") + FromSjis(Msg::MeterRefused);
    }
    m_meter->setText(text);
    m_meter->setToolTip(QStringLiteral("ファイルの大きさ、テンポ調整 %1％ で再生したときの長さ、"
                                       "各音の音符の数（タイでつながった長い音は、ファイルに書かれる音符ごとに数えます）")
                            .arg(played));
}

void DiagnosticsView::Choose(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_rowPlaces.size()) {
        return;
    }
    const SourceSpan span = m_rowPlaces[static_cast<size_t>(row)];
    if (!span.IsSet() || span.page >= VoiceCount) {
        return;
    }
    QPlainTextEdit* memo = m_memos[static_cast<size_t>(span.page)];
    m_pages->setCurrentWidget(memo->parentWidget());
    const QString text = memo->toPlainText();
    QTextCursor cursor(memo->document());
    cursor.setPosition(ControlPosition(text, span.offset));
    cursor.setPosition(ControlPosition(text, span.offset + span.length), QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    memo->setFocus(Qt::OtherFocusReason);
}

bool DiagnosticsView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip) {
        return QObject::eventFilter(watched, event);
    }
    for (size_t voice = 0; voice < m_memos.size(); ++voice) {
        if (m_memos[voice]->viewport() != watched) {
            continue;
        }
        auto* help = static_cast<QHelpEvent*>(event);
        const int position = m_memos[voice]->cursorForPosition(help->pos()).position();
        for (const Mark& mark : m_marks[voice]) {
            if (position >= mark.start && position <= mark.end) {
                QToolTip::showText(help->globalPos(), mark.message, m_memos[voice]->viewport());
                return true;
            }
        }
        QToolTip::hideText();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quaverly
