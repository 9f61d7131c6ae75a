#include "MusicXmlWriter.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>
#include <unordered_map>

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

class ScoreWriter {
public:
    // The writer appends to a string, without a device or an encoder
    // between; what it wrote goes into the document's bytes at each Flush.
    explicit ScoreWriter(std::string& out) : m_out(out), m_xml(&m_text) {}

    void Flush()
    {
        const QByteArray bytes = m_text.toUtf8();
        m_out.append(bytes.constData(), static_cast<size_t>(bytes.size()));
        m_text.clear();
    }

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
        // Every part's pieces first, so that the document's bytes are
        // reserved once: a 13 MB score grown step by step is copied again
        // and again.
        std::vector<std::vector<ScorePiece>> pieces;
        size_t count = 0;
        for (const ScoreVoice& voice : voices) {
            pieces.push_back(MeasurePieces(voice));
            count += pieces.back().size();
        }
        m_out.reserve(m_out.size() + count * 112 + 4096);
        for (size_t part = 0; part < voices.size(); ++part) {
            WritePart(source, voices[part], pieces[part], part == 0);
        }
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        Flush();
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
        m_xml.writeTextElement(QStringLiteral("duration"), QString::number(ScoreMeasureTicks));
        m_xml.writeEndElement();
        m_xml.writeEndElement();
        m_xml.writeEndElement();
    }

    void WritePart(const MusicXmlSource& source, const ScoreVoice& voice, const std::vector<ScorePiece>& pieces,
                   bool withTempo)
    {
        m_xml.writeStartElement(QStringLiteral("part"));
        m_xml.writeAttribute(QStringLiteral("id"), PartId(voice.voice));
        const int measures = pieces.empty() ? 0 : pieces.back().measure + 1;
        size_t next = 0;
        for (int measure = 0; measure < measures; ++measure) {
            m_xml.writeStartElement(QStringLiteral("measure"));
            m_xml.writeAttribute(QStringLiteral("number"), QString::number(measure + 1));
            if (measure == 0) {
                WriteFirstAttributes(source, withTempo);
            }
            // Closes the measure's start tag: the notes that follow are
            // whole elements appended as the writer wrote them.
            m_xml.writeCharacters(QString());
            Flush();
            for (; next < pieces.size() && pieces[next].measure == measure; ++next) {
                AppendPiece(voice, pieces[next]);
            }
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    // A melody repeats a few kinds of note thousands of times: each kind's
    // elements are written once by a writer of their own and then copied.
    void AppendPiece(const ScoreVoice& voice, const ScorePiece& piece)
    {
        const ScoreEvent& event = *piece.event;
        for (size_t i = 0; i < std::max<size_t>(event.NoteCount(), 1); ++i) {
            uint32_t key = static_cast<uint32_t>(piece.value->ticks) | (piece.tieStart ? 1u << 9 : 0) |
                           (piece.tieStop ? 1u << 10 : 0) | (i == 0 && piece.tupletStart ? 1u << 11 : 0) |
                           (i == 0 && piece.tupletStop ? 1u << 12 : 0) | (i > 0 ? 1u << 13 : 0) |
                           (event.staccato ? 1u << 14 : 0);
            if (!event.IsRest()) {
                const WrittenPitch& pitch = voice.Note(event, i).pitch;
                key |= (1u << 15) | (static_cast<uint32_t>(pitch.step - 'A') << 16) |
                       (static_cast<uint32_t>(pitch.alter + 2) << 19) | (static_cast<uint32_t>(pitch.octave + 1) << 22);
            }
            auto [element, made] = m_elements.try_emplace(key);
            if (made) {
                QString text;
                QXmlStreamWriter writer(&text);
                WriteNote(writer, voice, piece, i);
                element->second = text.toStdString();
            }
            m_out += element->second;
        }
    }

    static void WriteNote(QXmlStreamWriter& xml, const ScoreVoice& voice, const ScorePiece& piece, size_t i)
    {
        const ScoreEvent& event = *piece.event;
        xml.writeStartElement(QStringLiteral("note"));
        if (i > 0) {
            xml.writeEmptyElement(QStringLiteral("chord"));
        }
        if (event.IsRest()) {
            xml.writeEmptyElement(QStringLiteral("rest"));
        } else {
            const WrittenPitch& pitch = voice.Note(event, i).pitch;
            xml.writeStartElement(QStringLiteral("pitch"));
            xml.writeTextElement(QStringLiteral("step"), QString(QChar(pitch.step)));
            if (pitch.alter != 0) {
                xml.writeTextElement(QStringLiteral("alter"), QString::number(pitch.alter));
            }
            xml.writeTextElement(QStringLiteral("octave"), QString::number(pitch.octave));
            xml.writeEndElement();
        }
        xml.writeTextElement(QStringLiteral("duration"), QString::number(piece.value->ticks));
        if (piece.tieStop) {
            xml.writeEmptyElement(QStringLiteral("tie"));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
        }
        if (piece.tieStart) {
            xml.writeEmptyElement(QStringLiteral("tie"));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
        }
        xml.writeTextElement(QStringLiteral("type"), QString::fromLatin1(piece.value->type));
        for (int dot = 0; dot < piece.value->dots; ++dot) {
            xml.writeEmptyElement(QStringLiteral("dot"));
        }
        if (!event.IsRest() && voice.Note(event, i).pitch.alter != 0) {
            xml.writeTextElement(QStringLiteral("accidental"), AccidentalName(voice.Note(event, i).pitch.alter));
        }
        if (piece.value->triplet) {
            xml.writeStartElement(QStringLiteral("time-modification"));
            xml.writeTextElement(QStringLiteral("actual-notes"), QStringLiteral("3"));
            xml.writeTextElement(QStringLiteral("normal-notes"), QStringLiteral("2"));
            xml.writeEndElement();
        }
        WriteNotations(xml, piece, event, i == 0);
        xml.writeEndElement();
    }

    static void WriteNotations(QXmlStreamWriter& xml, const ScorePiece& piece, const ScoreEvent& event, bool first)
    {
        const bool rest = event.IsRest();
        const bool tuplet = first && (piece.tupletStart || piece.tupletStop);
        const bool staccato = !rest && event.staccato && !piece.tieStart;
        if (!tuplet && !staccato && !piece.tieStart && !piece.tieStop) {
            return;
        }
        xml.writeStartElement(QStringLiteral("notations"));
        if (piece.tieStop) {
            xml.writeEmptyElement(QStringLiteral("tied"));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
        }
        if (piece.tieStart) {
            xml.writeEmptyElement(QStringLiteral("tied"));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
        }
        if (first && piece.tupletStart) {
            xml.writeEmptyElement(QStringLiteral("tuplet"));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
        }
        if (first && piece.tupletStop) {
            xml.writeEmptyElement(QStringLiteral("tuplet"));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
        }
        if (staccato) {
            xml.writeStartElement(QStringLiteral("articulations"));
            xml.writeEmptyElement(QStringLiteral("staccato"));
            xml.writeEndElement();
        }
        xml.writeEndElement();
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

    std::string& m_out;
    QString m_text;
    QXmlStreamWriter m_xml;
    std::unordered_map<uint32_t, std::string> m_elements;
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
    std::string out;
    ScoreWriter writer(out);
    writer.Write(source);
    return out;
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
