#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <cmath>
#include <cstdio>

#include "MusicXmlScore.h"
#include "XmlMessages.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"

namespace quaverly {

namespace {

// Deeper than any score element nests; the reader's own stack stays small.
constexpr int MaxDepth = 64;
// The latest time a score may reach, in quarters: far past what a melody holds.
constexpr double MaxQuarters = 1'000'000.0;

struct PartState {
    double divisions = 1;
    std::vector<int> ending;  // the volta under way
    int velocity = 100;
};

// A note's written value in quarters, for a note that gives no duration.
double TypeQuarters(QStringView type)
{
    static constexpr std::pair<const char16_t*, double> Types[] = {
        {u"maxima", 32}, {u"long", 16}, {u"breve", 8}, {u"whole", 4}, {u"half", 2}, {u"quarter", 1},
        {u"eighth", 0.5}, {u"16th", 0.25}, {u"32nd", 0.125}, {u"64th", 0.0625}, {u"128th", 0.03125},
        {u"256th", 0.015625}, {u"512th", 0.0078125}, {u"1024th", 0.00390625},
    };
    for (const auto& [name, quarters] : Types) {
        if (type == QStringView(name)) {
            return quarters;
        }
    }
    return 0;
}

class Reader {
public:
    Reader(std::string_view xml, const std::string& name)
        : m_bytes(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size()))),
          m_name(name),
          // Every note takes some thirty bytes of the file at least.
          m_noteCap(xml.size() / 16 + 65536)
    {
        // Through a device, the XML reader decodes the file a block at a
        // time rather than all of it at once: its memory stays small.
        m_device.setBuffer(&m_bytes);
        m_device.open(QIODevice::ReadOnly);
        m_xml.setDevice(&m_device);
    }

    XmlScore Read()
    {
        while (NextChild()) {
            const QStringView root = m_xml.name();
            if (root == u"score-partwise" || root == u"score-timewise") {
                ReadScore(root == u"score-timewise");
                break;
            }
            Fail("", XmlMsg::XmlReasonRoot);
        }
        if (m_score.parts.empty()) {
            Fail("", XmlMsg::XmlReasonNoPart);
        }
        return std::move(m_score);
    }

private:
    [[noreturn]] void Fail(std::string_view element, std::string_view reason)
    {
        std::string text = std::string(XmlMsg::XmlUnreadable) + "\r\n" + m_name + "\r\n";
        if (!m_partId.empty()) {
            char place[512];
            std::snprintf(place, sizeof place, std::string(XmlMsg::XmlReasonPlace).c_str(), Sjis(m_partId).c_str(),
                          Sjis(m_measure).c_str(), Sjis(element).c_str());
            text += place;
        }
        throw QuaverlyError(text + std::string(reason));
    }

    [[noreturn]] void FailSyntax()
    {
        char where[160];
        std::snprintf(where, sizeof where, std::string(XmlMsg::XmlReasonSyntax).c_str(),
                      static_cast<long long>(m_xml.lineNumber()), static_cast<long long>(m_xml.columnNumber()));
        Fail(Utf8(m_xml.name()), std::string(where) + Utf8ToSjisLenient(m_xml.errorString().toStdString()));
    }

    static std::string Sjis(std::string_view utf8) { return Utf8ToSjisLenient(utf8.substr(0, 64)); }
    static std::string Utf8(QStringView text) { return text.toString().toStdString(); }

    // The next child element of the current one: false at the current one's end.
    bool NextChild()
    {
        for (;;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
            case QXmlStreamReader::EndDocument:
                return false;
            case QXmlStreamReader::Invalid:
                FailSyntax();
            case QXmlStreamReader::DTD:
                // Entities of a DTD are expanded by the XML reader: a file that
                // declares any is refused rather than trusted (billion laughs).
                if (!m_xml.entityDeclarations().isEmpty()) {
                    Fail("", XmlMsg::XmlReasonEntity);
                }
                break;
            default:
                break;
            }
        }
    }

    // Past the current element and everything in it.
    void Skip()
    {
        for (int depth = 1; depth > 0;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (++depth > MaxDepth) {
                    Fail(Utf8(m_xml.name()), XmlMsg::XmlReasonDepth);
                }
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            case QXmlStreamReader::Invalid:
                FailSyntax();
            case QXmlStreamReader::EndDocument:
                return;
            default:
                break;
            }
        }
    }

    QString Text()
    {
        QString text = m_xml.readElementText(QXmlStreamReader::SkipChildElements);
        if (m_xml.hasError()) {
            FailSyntax();
        }
        return text.trimmed();
    }

    double Number(std::string_view element, double low, double high)
    {
        const QString text = Text();
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < low || value > high) {
            char reason[256];
            std::snprintf(reason, sizeof reason, std::string(XmlMsg::XmlReasonNumber).c_str(),
                          Sjis(text.toStdString()).c_str());
            Fail(element, reason);
        }
        return value;
    }

    XmlPart& PartOf(const QString& id)
    {
        const std::string key = id.toStdString();
        for (size_t i = 0; i < m_score.parts.size(); ++i) {
            if (m_score.parts[i].id == key) {
                return m_score.parts[i];
            }
        }
        m_score.parts.push_back({key, key, -1, 1, {}});
        m_states.emplace_back();
        return m_score.parts.back();
    }
    PartState& StateOf(const XmlPart& part) { return m_states[static_cast<size_t>(&part - m_score.parts.data())]; }

    void ReadScore(bool timewise)
    {
        while (NextChild()) {
            const QStringView name = m_xml.name();
            if (name == u"work") {
                while (NextChild()) {
                    if (m_xml.name() == u"work-title") {
                        m_score.title = Text().toStdString();
                    } else {
                        Skip();
                    }
                }
            } else if (name == u"movement-title") {
                const std::string title = Text().toStdString();
                m_score.title = m_score.title.empty() ? title : m_score.title;
            } else if (name == u"identification") {
                while (NextChild()) {
                    if (m_xml.name() == u"rights" && m_score.copyright.empty()) {
                        m_score.copyright = Text().toStdString();
                    } else {
                        Skip();
                    }
                }
            } else if (name == u"part-list") {
                ReadPartList();
            } else if (name == u"part" && !timewise) {
                XmlPart& part = PartOf(m_xml.attributes().value(QLatin1StringView("id")).toString());
                m_partId = part.id;
                while (NextChild()) {
                    if (m_xml.name() == u"measure") {
                        ReadMeasure(part);
                    } else {
                        Skip();
                    }
                }
                m_partId.clear();
            } else if (name == u"measure" && timewise) {
                const QString number = m_xml.attributes().value(QLatin1StringView("number")).toString();
                while (NextChild()) {
                    if (m_xml.name() == u"part") {
                        XmlPart& part = PartOf(m_xml.attributes().value(QLatin1StringView("id")).toString());
                        m_partId = part.id;
                        ReadMeasureContent(part, number);
                        m_partId.clear();
                    } else {
                        Skip();
                    }
                }
            } else {
                Skip();
            }
        }
    }

    void ReadPartList()
    {
        while (NextChild()) {
            if (m_xml.name() != u"score-part") {
                Skip();
                continue;
            }
            XmlPart& part = PartOf(m_xml.attributes().value(QLatin1StringView("id")).toString());
            while (NextChild()) {
                if (m_xml.name() == u"part-name") {
                    part.name = Text().toStdString();
                } else if (m_xml.name() == u"midi-instrument") {
                    while (NextChild()) {
                        if (m_xml.name() == u"midi-program" && part.program < 0) {
                            part.program = static_cast<int>(Number("midi-program", 1, 128)) - 1;
                        } else {
                            Skip();
                        }
                    }
                } else {
                    Skip();
                }
            }
        }
    }

    void ReadMeasure(XmlPart& part) { ReadMeasureContent(part, m_xml.attributes().value(QLatin1StringView("number")).toString()); }

    // The children of a measure (partwise) or of a part in a measure (timewise).
    void ReadMeasureContent(XmlPart& part, const QString& number)
    {
        PartState& state = StateOf(part);
        m_measure = number.toStdString();
        XmlMeasure measure;
        measure.number = m_measure;
        m_position = 0;
        m_lastOnset = 0;
        m_furthest = 0;
        bool endingStops = false;
        while (NextChild()) {
            const QStringView name = m_xml.name();
            if (name == u"note") {
                ReadNote(state, measure);
            } else if (name == u"backup" || name == u"forward") {
                const bool back = name == u"backup";
                double duration = 0;
                while (NextChild()) {
                    if (m_xml.name() == u"duration") {
                        duration = Number(back ? "backup" : "forward", 0, 1e15) / state.divisions;
                    } else {
                        Skip();
                    }
                }
                Advance(back ? -duration : duration, back ? "backup" : "forward");
            } else if (name == u"attributes") {
                while (NextChild()) {
                    if (m_xml.name() == u"divisions") {
                        state.divisions = Number("divisions", 1e-9, 1e15);
                    } else if (m_xml.name() == u"staves") {
                        part.staves = std::max(part.staves, static_cast<int>(Number("staves", 1, 255)));
                    } else {
                        Skip();
                    }
                }
            } else if (name == u"direction") {
                ReadDirection(measure);
            } else if (name == u"sound") {
                ReadSound(measure);
                Skip();
            } else if (name == u"barline") {
                endingStops = ReadBarline(state, measure) || endingStops;
            } else {
                Skip();
            }
        }
        measure.length = Ticks(m_furthest);
        if (!state.ending.empty()) {
            measure.endings = state.ending;
        }
        if (endingStops) {
            state.ending.clear();
        }
        part.measures.push_back(std::move(measure));
        m_measure.clear();
    }

    static int64_t Ticks(double quarters) { return std::llround(quarters * static_cast<double>(ScoreTicksPerQuarter)); }

    void Advance(double quarters, std::string_view element)
    {
        m_position = std::max(0.0, m_position + quarters);
        if (m_position > MaxQuarters) {
            Fail(element, XmlMsg::XmlReasonTooLong);
        }
        m_furthest = std::max(m_furthest, m_position);
    }

    void ReadNote(PartState& state, XmlMeasure& measure)
    {
        const QStringView dynamics = m_xml.attributes().value(QLatin1StringView("dynamics"));
        int velocity = state.velocity;
        if (!dynamics.isEmpty()) {
            bool ok = false;
            const double percent = dynamics.toDouble(&ok);
            velocity = ok ? static_cast<int>(std::clamp(std::lround(percent * 0.9), 1L, 127L)) : velocity;
        }
        bool grace = false, chord = false, cue = false, unpitched = false, rest = false;
        bool tieStart = false, tieStop = false, staccato = false;
        QString step;
        double alter = 0;
        int octave = -1;
        double duration = -1;
        double typeQuarters = 0;
        int dots = 0, actual = 0, normal = 0, staff = 1;
        while (NextChild()) {
            const QStringView name = m_xml.name();
            if (name == u"grace") {
                grace = true;
                Skip();
            } else if (name == u"chord") {
                chord = true;
                Skip();
            } else if (name == u"cue") {
                cue = true;
                Skip();
            } else if (name == u"rest") {
                rest = true;
                Skip();
            } else if (name == u"unpitched") {
                unpitched = true;
                Skip();
            } else if (name == u"pitch") {
                while (NextChild()) {
                    if (m_xml.name() == u"step") {
                        step = Text();
                    } else if (m_xml.name() == u"alter") {
                        alter = Number("alter", -12, 12);
                    } else if (m_xml.name() == u"octave") {
                        octave = static_cast<int>(Number("octave", 0, 9));
                    } else {
                        Skip();
                    }
                }
            } else if (name == u"duration") {
                duration = Number("duration", 0, 1e15) / state.divisions;
            } else if (name == u"tie") {
                const QStringView type = m_xml.attributes().value(QLatin1StringView("type"));
                tieStart = tieStart || type == u"start";
                tieStop = tieStop || type == u"stop";
                Skip();
            } else if (name == u"type") {
                typeQuarters = TypeQuarters(Text());
            } else if (name == u"dot") {
                ++dots;
                Skip();
            } else if (name == u"time-modification") {
                while (NextChild()) {
                    if (m_xml.name() == u"actual-notes") {
                        actual = static_cast<int>(Number("actual-notes", 1, 1e6));
                    } else if (m_xml.name() == u"normal-notes") {
                        normal = static_cast<int>(Number("normal-notes", 1, 1e6));
                    } else {
                        Skip();
                    }
                }
            } else if (name == u"staff") {
                staff = static_cast<int>(Number("staff", 1, 255));
            } else if (name == u"notations") {
                staccato = ReadNotations() || staccato;
            } else {
                Skip();
            }
        }
        if (grace) {
            ++m_score.graceNotes;  // no time of its own
            return;
        }
        if (duration < 0) {
            // No duration: the written value, dotted and in its tuplet.
            if (typeQuarters <= 0) {
                Fail("note", XmlMsg::XmlReasonDuration);
            }
            duration = typeQuarters * (2.0 - std::pow(0.5, std::min(dots, 8)));
            duration = actual > 0 && normal > 0 ? duration * normal / actual : duration;
        }
        const double onset = chord ? m_lastOnset : m_position;
        if (!chord) {
            m_lastOnset = m_position;
            Advance(duration, "note");
        } else {
            m_furthest = std::max(m_furthest, onset + duration);
        }
        if (rest || cue) {
            return;
        }
        if (unpitched) {
            ++m_score.unpitchedNotes;
            return;
        }
        static constexpr std::pair<char16_t, int> Steps[] = {{u'C', 0}, {u'D', 2}, {u'E', 4}, {u'F', 5},
                                                              {u'G', 7}, {u'A', 9}, {u'B', 11}};
        int semitone = -1;
        for (const auto& [letter, value] : Steps) {
            if (step.size() == 1 && step[0] == QChar(letter)) {
                semitone = value;
            }
        }
        const long key = (octave + 1) * 12 + semitone + std::lround(alter);
        if (semitone < 0 || octave < 0 || key < 0 || key > 127) {
            Fail("pitch", XmlMsg::XmlReasonPitch);
        }
        if (++m_score.notes > m_noteCap) {
            char reason[160];
            std::snprintf(reason, sizeof reason, std::string(XmlMsg::XmlReasonTooManyNotes).c_str(),
                          static_cast<int>(m_noteCap));
            Fail("note", reason);
        }
        measure.notes.push_back({Ticks(onset), Ticks(duration), static_cast<uint8_t>(key),
                                 static_cast<uint8_t>(staff), static_cast<uint8_t>(velocity), tieStart, tieStop, staccato});
    }

    // True for a staccato mark.
    bool ReadNotations()
    {
        bool staccato = false;
        while (NextChild()) {
            if (m_xml.name() != u"articulations") {
                Skip();
                continue;
            }
            while (NextChild()) {
                staccato = staccato || m_xml.name() == u"staccato" || m_xml.name() == u"staccatissimo";
                Skip();
            }
        }
        return staccato;
    }

    void ReadDirection(XmlMeasure& measure)
    {
        double metronome = 0;
        bool soundTempo = false;
        while (NextChild()) {
            if (m_xml.name() == u"direction-type") {
                while (NextChild()) {
                    if (m_xml.name() == u"metronome") {
                        metronome = ReadMetronome();
                    } else {
                        Skip();
                    }
                }
            } else if (m_xml.name() == u"sound") {
                soundTempo = ReadSound(measure) || soundTempo;
                Skip();
            } else {
                Skip();
            }
        }
        if (!soundTempo && metronome > 0) {
            measure.tempos.emplace_back(Ticks(m_position), metronome);
        }
    }

    // Quarter notes a minute of a metronome mark, 0 when it gives none.
    double ReadMetronome()
    {
        double unit = 0;
        double perMinute = 0;
        while (NextChild()) {
            if (m_xml.name() == u"beat-unit" && unit == 0) {
                unit = TypeQuarters(Text());
            } else if (m_xml.name() == u"beat-unit-dot") {
                unit *= 1.5;
                Skip();
            } else if (m_xml.name() == u"per-minute") {
                bool ok = false;
                perMinute = Text().toDouble(&ok);
                perMinute = ok && std::isfinite(perMinute) ? perMinute : 0;
            } else {
                Skip();
            }
        }
        return unit > 0 && perMinute > 0 ? unit * perMinute : 0;
    }

    // The sound element's tempo and jumps; true when it gave a tempo.
    bool ReadSound(XmlMeasure& measure)
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        for (const char* jump : {"dacapo", "dalsegno", "tocoda"}) {
            if (attributes.hasAttribute(QLatin1StringView(jump))) {
                ++m_score.jumps;
            }
        }
        bool ok = false;
        const double tempo = attributes.value(QLatin1StringView("tempo")).toDouble(&ok);
        if (ok && std::isfinite(tempo) && tempo > 0) {
            measure.tempos.emplace_back(Ticks(m_position), tempo);
            return true;
        }
        return false;
    }

    // True when a volta ends at this barline.
    bool ReadBarline(PartState& state, XmlMeasure& measure)
    {
        bool endingStops = false;
        while (NextChild()) {
            const QXmlStreamAttributes attributes = m_xml.attributes();
            if (m_xml.name() == u"repeat") {
                const bool backward = attributes.value(QLatin1StringView("direction")) == u"backward";
                (backward ? measure.repeatBackward : measure.repeatForward) = true;
                bool ok = false;
                const int times = attributes.value(QLatin1StringView("times")).toInt(&ok);
                if (backward && ok) {
                    measure.repeatTimes = std::clamp(times, 1, 100);
                }
            } else if (m_xml.name() == u"ending") {
                const QStringView type = attributes.value(QLatin1StringView("type"));
                if (type == u"start") {
                    state.ending.clear();
                    for (const QStringView item : attributes.value(QLatin1StringView("number")).split(u',')) {
                        bool ok = false;
                        const int number = item.trimmed().toInt(&ok);
                        if (ok && number > 0 && state.ending.size() < 16) {
                            state.ending.push_back(number);
                        }
                    }
                } else {
                    endingStops = true;
                }
            }
            Skip();
        }
        return endingStops;
    }

    QByteArray m_bytes;  // the caller's bytes, not copied
    QBuffer m_device;
    QXmlStreamReader m_xml;
    std::string m_name;
    size_t m_noteCap;
    XmlScore m_score;
    std::vector<PartState> m_states;
    std::string m_partId;
    std::string m_measure;
    double m_position = 0;   // quarters from the measure's start
    double m_lastOnset = 0;  // of the last note that was not a chord's
    double m_furthest = 0;
};

}  // namespace

XmlScore ReadMusicXmlScore(std::string_view xml, const std::string& name)
{
    Reader reader(xml, name);
    return reader.Read();
}

}  // namespace quaverly
