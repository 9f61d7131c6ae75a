// The notes, rests, ties and one-letter commands of MML text.
#include <algorithm>
#include <cctype>
#include <optional>

#include "MmlReading.h"
#include "MmlWriter.h"
#include "TextMessages.h"
#include "UnitMld/NoteRules.h"
#include "UnitMld/SequenceList.h"
#include "base/Errors.h"

namespace quaverly::mml {

void MmlReading::Note(size_t start, int pitchClass)
{
    int key = (m_octave + 1) * 12 + pitchClass + m_keyShift;
    for (;; ++m_at) {
        SkipBlanks();
        if (At(m_at) == '+' || At(m_at) == '#') {
            ++key;
        } else if (At(m_at) == '-') {
            --key;
        } else {
            break;
        }
    }
    const int64_t step = Length(m_length);
    if (step < 0) {
        Skip(start, m_at - start, TextMsg::ValueOutOfRange);
        return;
    }
    if (key < 0 || key > 127) {
        Skip(start, m_at - start, TextMsg::ValueOutOfRange);
        Flush();
        m_slur = false;
        Advance(step);
        return;
    }
    const int velocity = m_velocity >= 0 ? m_velocity
                         : m_volume >= 0 ? VelocityOfVolume(VolumeOfMmlVolume(m_volume))
                                         : DefaultVelocity;
    if (m_open && m_slur && m_open->key == key && m_open->channel == m_channel) {
        m_open->step += step;  // tied to the note before
    } else {
        if (m_open && m_slur) {
            m_open->gate = 8;  // slurred into the next note
        }
        Flush();
        m_open = OpenNote{m_time, step, key, m_gate, velocity, m_channel};
    }
    m_slur = false;
    Advance(step);
}

void MmlReading::NoteNumber(size_t start)
{
    const std::optional<int64_t> key = Number(false);
    int64_t step = m_length;
    if (key) {
        SkipBlanks();
        if (At(m_at) == ',') {
            ++m_at;
            step = Length(m_length);
        }
    }
    if (!key || *key > 127 || step < 0) {
        Skip(start, m_at - start, key ? TextMsg::ValueOutOfRange : TextMsg::SkippedText);
        return;
    }
    Flush();
    m_slur = false;
    const int velocity = m_velocity >= 0 ? m_velocity
                         : m_volume >= 0 ? VelocityOfVolume(VolumeOfMmlVolume(m_volume))
                                         : DefaultVelocity;
    m_open = OpenNote{m_time, step, static_cast<int>(*key) + m_keyShift, m_gate, velocity, m_channel};
    if (m_open->key < 0 || m_open->key > 127) {
        m_open.reset();
        Skip(start, m_at - start, TextMsg::ValueOutOfRange);
    }
    Advance(step);
}

void MmlReading::Rest()
{
    const size_t start = m_at - 1;
    const int64_t step = Length(m_length);
    if (step < 0) {
        Skip(start, m_at - start, TextMsg::ValueOutOfRange);
        return;
    }
    Flush();
    m_slur = false;
    Advance(step);
}

void MmlReading::Tie()
{
    const size_t start = m_at - 1;
    const int64_t step = Length(m_length);
    if (step < 0) {
        Skip(start, m_at - start, TextMsg::ValueOutOfRange);
        return;
    }
    if (m_open) {
        m_open->step += step;
    }
    // After a rest the tie lengthens the rest.
    Advance(step);
}

bool MmlReading::Command(size_t start, char command)
{
    struct Range {
        int64_t low;
        int64_t high;
        bool signedAllowed;
    };
    Range range{0, 127, false};
    switch (command) {
    case 'o': range = {-1, 10, true}; break;
    case 't': range = {1, 1000, false}; break;
    case 'q': range = {1, 8, false}; break;
    case 'p': range = {-64, 63, true}; break;
    case 'k': range = {-127, 127, true}; break;
    case 'C': range = {1, MaxChannels, false}; break;
    case 'v': case 'u': case '@': case 'E': case 'D': case 'B': break;
    default: return false;
    }
    const std::optional<int64_t> value = Number(range.signedAllowed);
    std::optional<int64_t> second;
    if (command == 'B' && value) {
        SkipBlanks();
        if (At(m_at) == ',') {
            ++m_at;
            second = Number(false);
        }
    }
    if (!value || (command == 'B' && (!second || *second > 127 || *value > 119))) {
        Skip(start, m_at - start, value ? TextMsg::ValueOutOfRange : TextMsg::SkippedText);
        return true;
    }
    if (*value < range.low || *value > range.high) {
        Skip(start, m_at - start, TextMsg::ValueOutOfRange);
        return true;
    }
    const int number = static_cast<int>(*value);
    MidiContent& content = m_read.content;
    switch (command) {
    case 'o': m_octave = number; break;
    case 't':
        content.tempos.emplace_back(m_time, static_cast<uint32_t>(60'000'000 / number));
        break;
    case 'q': m_gate = number; break;
    case 'k': m_keyShift = number; break;
    case 'C': Flush(); m_channel = number - 1; break;
    case 'u': m_velocity = number; break;
    case 'v':
        m_volume = number;
        if (content.channelVolume[static_cast<size_t>(m_channel)] < 0) {
            content.channelVolume[static_cast<size_t>(m_channel)] = number;
        }
        break;
    case '@':
        if (content.program[static_cast<size_t>(m_channel)] < 0) {
            content.program[static_cast<size_t>(m_channel)] = number;
        }
        break;
    default: break;  // pan, expression, controllers, aftertouch: nothing a melody keeps
    }
    return true;
}

}  // namespace quaverly::mml
