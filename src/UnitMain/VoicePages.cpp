#include "VoicePages.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

#include "UnitRoll/RollModel.h"
#include "platform/SjisText.h"

namespace quaverly {

namespace {

// The controls keep "\n" line ends; the score text and the files keep CR LF.
QString ToCoreLineEnds(QString text)
{
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

}  // namespace

MeasuredPage MeasurePage(const QString& text)
{
    MeasuredPage page;
    page.sjis = ToSjis(ToCoreLineEnds(text));
    // Each character is one Shift-JIS character (an unconvertible one "?"),
    // a line break CR LF: walking both texts together gives every offset.
    const std::vector<int> starts = SjisCharStarts(page.sjis);
    page.bytes.resize(static_cast<size_t>(text.size()) + 1);
    size_t character = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        page.bytes[static_cast<size_t>(i)] = starts[std::min(character, starts.size() - 1)];
        const bool pairStart = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (!pairStart) {
            ++character;
        }
    }
    page.bytes.back() = starts.back();
    return page;
}

VoicePages::VoicePages(const QObject& window, QComboBox* tempo, QLineEdit* title) : m_tempo(tempo), m_title(title)
{
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        m_controls[static_cast<size_t>(voice - 1)] = {
            window.findChild<QPlainTextEdit*>(QStringLiteral("Memo%1").arg(voice)),
            window.findChild<QComboBox*>(QStringLiteral("ComboBoxTone%1").arg(voice)),
            window.findChild<QLineEdit*>(QStringLiteral("EditVol%1").arg(voice)),
            window.findChild<QWidget*>(QStringLiteral("TabSheet%1").arg(voice)),
            window.findChild<QAction*>(QStringLiteral("mnPlay%1").arg(voice)),
        };
    }
}

EditorTexts VoicePages::CollectSettingTexts() const
{
    EditorTexts texts;
    texts.tempo = ToSjis(m_tempo->currentText());
    texts.title = ToSjis(m_title->text());
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        texts.tones[voice - 1] = ToSjis(Tone(voice)->currentText());
        texts.volumes[voice - 1] = ToSjis(Volume(voice)->text());
    }
    return texts;
}

EditorTexts VoicePages::CollectEditorTexts() const
{
    EditorTexts texts = CollectSettingTexts();
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        std::optional<std::string>& kept = m_sjis[static_cast<size_t>(voice - 1)];
        if (!kept) {
            kept = ToSjis(ToCoreLineEnds(Memo(voice)->toPlainText()));
            ++m_work.conversions;
        }
        texts.scores[voice - 1] = *kept;
    }
    return texts;
}

void VoicePages::PageChanged(int voice)
{
    const auto i = static_cast<size_t>(voice - 1);
    m_bytes[i].clear();
    m_sjis[i].reset();
}

const std::vector<int>& VoicePages::Bytes(int voice) const
{
    std::vector<int>& bytes = m_bytes[static_cast<size_t>(voice - 1)];
    if (bytes.empty()) {
        bytes = MeasurePage(Memo(voice)->toPlainText()).bytes;
        ++m_work.measures;
    }
    return bytes;
}

int VoicePages::ByteOfPosition(int voice, int position) const
{
    const std::vector<int>& bytes = Bytes(voice);
    return bytes[static_cast<size_t>(std::clamp<qsizetype>(position, 0, static_cast<qsizetype>(bytes.size()) - 1))];
}

int VoicePages::PositionOfByte(int voice, int byteOffset) const
{
    const std::vector<int>& bytes = Bytes(voice);
    return static_cast<int>(std::lower_bound(bytes.begin(), bytes.end(), byteOffset) - bytes.begin());
}

}  // namespace quaverly
