#include "MusicXmlWriter.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

#include "MxlContainer.h"
#include "ScoreLayout.h"
#include "UnitMld/NotationTables.h"
#include "base/FileIO.h"
#include "base/TextEncoding.h"

namespace quaverly {

namespace {

QString FromSjisText(std::string_view sjis)
{
    return QString::fromStdString(SjisToUtf8Lenient(sjis));
}

// The small numbers a score repeats (durations, octaves, alterations) made
// into text once: a long melody writes one per note.
class NumberTexts {
public:
    const QString& operator()(int value)
    {
        if (value >= 0 && value < Cached) {
            QString& text = m_texts[static_cast<size_t>(value)];
            if (text.isNull()) {
                text = QString::number(value);
            }
            return text;
        }
        m_other = QString::number(value);
        return m_other;
    }

private:
    static constexpr int Cached = 400;
    std::array<QString, Cached> m_texts;
    QString m_other;
};

class ScoreWriter {
public:
    explicit ScoreWriter(QByteArray* out) : m_xml(out) {}

    void Write(const MusicXmlSource& source)
    {
        static const SequenceList NoEntries;
        const std::vector<ScoreVoice> voices = ScoreVoices(source.list != nullptr ? *source.list : NoEntries, source.pages);
        m_xml.setAutoFormatting(false);
        m_xml.writeStartDocument();
        m_xml.writeDTD(QStringLiteral("<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 3.1 Partwise//EN\" "
                                      "\"http://www.musicxml.org/dtds/partwise.dtd\">"));
        m_xml.writeStartElement(QStringLiteral("score-partwise"));
        m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("3.1"));
        m_xml.writeStartElement(QStringLiteral("work"));
        m_xml.writeTextElement(QStringLiteral("work-title"), FromSjisText(source.title));
        m_xml.writeEndElement();
        m_xml.writeStartElement(QStringLiteral("identification"));
        m_xml.writeStartElement(QStringLiteral("encoding"));
        m_xml.writeTextElement(QStringLiteral("software"), QStringLiteral("Quaverly"));
        m_xml.writeEndElement();
        m_xml.writeEndElement();
        WritePartList(source, voices);
        if (voices.empty()) {
            // A melody without notes is one part of one measure's rest.
            WriteEmptyPart(source);
        }
        for (size_t part = 0; part < voices.size(); ++part) {
            WritePart(source, voices[part], part == 0);
        }
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    static QString PartId(int voice) { return QStringLiteral("P%1").arg(voice + 1); }

    void WritePartList(const MusicXmlSource& source, const std::vector<ScoreVoice>& voices)
    {
        m_xml.writeStartElement(QStringLiteral("part-list"));
        std::vector<int> listed;
        for (const ScoreVoice& voice : voices) {
            listed.push_back(voice.voice);
        }
        if (listed.empty()) {
            listed.push_back(0);
        }
        for (int voice : listed) {
            const int tone = source.tones[static_cast<size_t>(voice)];
            m_xml.writeStartElement(QStringLiteral("score-part"));
            m_xml.writeAttribute(QStringLiteral("id"), PartId(voice));
            m_xml.writeTextElement(QStringLiteral("part-name"), FromSjisText(ToneName(tone)));
            m_xml.writeStartElement(QStringLiteral("score-instrument"));
            m_xml.writeAttribute(QStringLiteral("id"), PartId(voice) + QStringLiteral("-I1"));
            m_xml.writeTextElement(QStringLiteral("instrument-name"), FromSjisText(ToneName(tone)));
            m_xml.writeEndElement();
            m_xml.writeStartElement(QStringLiteral("midi-instrument"));
            m_xml.writeAttribute(QStringLiteral("id"), PartId(voice) + QStringLiteral("-I1"));
            m_xml.writeTextElement(QStringLiteral("midi-channel"), QString::number(voice + 1));
            m_xml.writeTextElement(QStringLiteral("midi-program"), QString::number(tone));
            m_xml.writeEndElement();
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    void WriteFirstAttributes(const MusicXmlSource& source, bool withTempo)
    {
        m_xml.writeStartElement(QStringLiteral("attributes"));
        m_xml.writeTextElement(QStringLiteral("divisions"), QString::number(ScoreDivisions));
        m_xml.writeStartElement(QStringLiteral("key"));
        m_xml.writeTextElement(QStringLiteral("fifths"), QStringLiteral("0"));
        m_xml.writeEndElement();
        m_xml.writeStartElement(QStringLiteral("time"));
        m_xml.writeTextElement(QStringLiteral("beats"), QStringLiteral("4"));
        m_xml.writeTextElement(QStringLiteral("beat-type"), QStringLiteral("4"));
        m_xml.writeEndElement();
        m_xml.writeStartElement(QStringLiteral("clef"));
        m_xml.writeTextElement(QStringLiteral("sign"), QStringLiteral("G"));
        m_xml.writeTextElement(QStringLiteral("line"), QStringLiteral("2"));
        m_xml.writeEndElement();
        m_xml.writeEndElement();
        if (!withTempo) {
            return;
        }
        m_xml.writeStartElement(QStringLiteral("direction"));
        m_xml.writeAttribute(QStringLiteral("placement"), QStringLiteral("above"));
        m_xml.writeStartElement(QStringLiteral("direction-type"));
        m_xml.writeStartElement(QStringLiteral("metronome"));
        m_xml.writeTextElement(QStringLiteral("beat-unit"), QStringLiteral("quarter"));
        m_xml.writeTextElement(QStringLiteral("per-minute"), QString::number(source.tempo));
        m_xml.writeEndElement();
        m_xml.writeEndElement();
        m_xml.writeEmptyElement(QStringLiteral("sound"));
        m_xml.writeAttribute(QStringLiteral("tempo"), QString::number(source.tempo));
        m_xml.writeEndElement();
    }

    void WriteEmptyPart(const MusicXmlSource& source)
    {
        m_xml.writeStartElement(QStringLiteral("part"));
        m_xml.writeAttribute(QStringLiteral("id"), PartId(0));
        m_xml.writeStartElement(QStringLiteral("measure"));
        m_xml.writeAttribute(QStringLiteral("number"), QStringLiteral("1"));
        WriteFirstAttributes(source, true);
        m_xml.writeStartElement(QStringLiteral("note"));
        m_xml.writeEmptyElement(QStringLiteral("rest"));
        m_xml.writeAttribute(QStringLiteral("measure"), QStringLiteral("yes"));
        m_xml.writeTextElement(QStringLiteral("duration"), m_numbers(ScoreMeasureTicks));
        m_xml.writeEndElement();
        m_xml.writeEndElement();
        m_xml.writeEndElement();
    }

    void WritePart(const MusicXmlSource& source, const ScoreVoice& voice, bool withTempo)
    {
        m_xml.writeStartElement(QStringLiteral("part"));
        m_xml.writeAttribute(QStringLiteral("id"), PartId(voice.voice));
        const std::vector<std::vector<ScorePiece>> measures = MeasurePieces(voice);
        for (size_t measure = 0; measure < measures.size(); ++measure) {
            m_xml.writeStartElement(QStringLiteral("measure"));
            m_xml.writeAttribute(QStringLiteral("number"), QString::number(measure + 1));
            if (measure == 0) {
                WriteFirstAttributes(source, withTempo);
            }
            for (const ScorePiece& piece : measures[measure]) {
                WritePiece(piece);
            }
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    void WritePiece(const ScorePiece& piece)
    {
        const ScoreEvent& event = *piece.event;
        const size_t notes = std::max<size_t>(event.pitches.size(), 1);
        for (size_t i = 0; i < notes; ++i) {
            m_xml.writeStartElement(QStringLiteral("note"));
            if (i > 0) {
                m_xml.writeEmptyElement(QStringLiteral("chord"));
            }
            if (event.pitches.empty()) {
                m_xml.writeEmptyElement(QStringLiteral("rest"));
            } else {
                const WrittenPitch& pitch = event.pitches[i];
                m_xml.writeStartElement(QStringLiteral("pitch"));
                m_xml.writeTextElement(QStringLiteral("step"), QString(QChar(pitch.step)));
                if (pitch.alter != 0) {
                    m_xml.writeTextElement(QStringLiteral("alter"), QString::number(pitch.alter));
                }
                m_xml.writeTextElement(QStringLiteral("octave"), m_numbers(pitch.octave));
                m_xml.writeEndElement();
            }
            m_xml.writeTextElement(QStringLiteral("duration"), m_numbers(piece.value.ticks));
            if (piece.tieStop) {
                m_xml.writeEmptyElement(QStringLiteral("tie"));
                m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
            }
            if (piece.tieStart) {
                m_xml.writeEmptyElement(QStringLiteral("tie"));
                m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
            }
            m_xml.writeTextElement(QStringLiteral("type"), QString::fromLatin1(piece.value.type));
            for (int dot = 0; dot < piece.value.dots; ++dot) {
                m_xml.writeEmptyElement(QStringLiteral("dot"));
            }
            if (!event.pitches.empty() && event.pitches[i].alter != 0) {
                m_xml.writeTextElement(QStringLiteral("accidental"), AccidentalName(event.pitches[i].alter));
            }
            if (piece.value.triplet) {
                m_xml.writeStartElement(QStringLiteral("time-modification"));
                m_xml.writeTextElement(QStringLiteral("actual-notes"), QStringLiteral("3"));
                m_xml.writeTextElement(QStringLiteral("normal-notes"), QStringLiteral("2"));
                m_xml.writeEndElement();
            }
            WriteNotations(piece, event, i == 0);
            m_xml.writeEndElement();
        }
    }

    void WriteNotations(const ScorePiece& piece, const ScoreEvent& event, bool first)
    {
        const bool rest = event.pitches.empty();
        const bool tuplet = first && (piece.tupletStart || piece.tupletStop);
        const bool staccato = !rest && event.staccato && !piece.tieStart;
        if (!tuplet && !staccato && !piece.tieStart && !piece.tieStop) {
            return;
        }
        m_xml.writeStartElement(QStringLiteral("notations"));
        if (piece.tieStop) {
            m_xml.writeEmptyElement(QStringLiteral("tied"));
            m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
        }
        if (piece.tieStart) {
            m_xml.writeEmptyElement(QStringLiteral("tied"));
            m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
        }
        if (first && piece.tupletStart) {
            m_xml.writeEmptyElement(QStringLiteral("tuplet"));
            m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
        }
        if (first && piece.tupletStop) {
            m_xml.writeEmptyElement(QStringLiteral("tuplet"));
            m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
        }
        if (staccato) {
            m_xml.writeStartElement(QStringLiteral("articulations"));
            m_xml.writeEmptyElement(QStringLiteral("staccato"));
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    static QString AccidentalName(int alter)
    {
        switch (alter) {
        case 2:
            return QStringLiteral("double-sharp");
        case 1:
            return QStringLiteral("sharp");
        case -1:
            return QStringLiteral("flat");
        default:
            return QStringLiteral("flat-flat");
        }
    }

    QXmlStreamWriter m_xml;
    NumberTexts m_numbers;
};

}  // namespace

std::optional<std::string> MakeMusicXmlSource(const EditorTexts& texts, const SequenceList& list, MusicXmlSource& source)
{
    SettingValues values;
    if (std::optional<std::string> refusal = CheckSettingTexts(texts, values)) {
        return refusal;
    }
    source.title = texts.title;
    source.tempo = values.tempo;
    source.tones = values.tones;
    source.list = &list;
    source.pages = texts.scores;
    return std::nullopt;
}

std::string MusicXmlBytes(const MusicXmlSource& source)
{
    QByteArray out;
    {
        ScoreWriter writer(&out);
        writer.Write(source);
    }
    return out.toStdString();
}

std::string MxlBytes(const MusicXmlSource& source)
{
    return MxlContainerBytes(MusicXmlBytes(source));
}

void WriteMusicXmlFile(const std::string& path, const MusicXmlSource& source)
{
    WriteWholeFile(path, UpperExtension(path) == ".MXL" ? MxlBytes(source) : MusicXmlBytes(source));
}

}  // namespace quaverly
