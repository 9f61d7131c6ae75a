#include "MelodyControls.h"

#include "NotationTables.h"

namespace quaverly {

namespace {

int LowSixBits(int data) { return data & Mld::NoteBits; }
size_t VoiceBits(int data) { return static_cast<size_t>((data >> Mld::VoiceShift) & (VoiceCount - 1)); }

bool InVoices(int voice) { return voice >= 0 && voice < VoiceCount; }

}  // namespace

void MelodyControlsReader::Read(const MelodyEvent& event)
{
    if (event.kind != MelodyEventKind::Control) {
        return;
    }
    if (event.code == Mld::CodeData) {
        if (!m_controls.hasData) {
            m_controls.hasData = true;
            m_controls.data = event.data;
        }
        return;
    }
    // Every other code read here carries one data byte.
    const int data = event.DataByte();
    if (data < 0) {
        return;
    }
    const size_t voice = VoiceBits(data);
    switch (event.code) {
    case Mld::CodeTempo:
    case Mld::CodeTempoAlternative:
        if (!m_tempoFound) {
            m_tempoFound = true;
            m_controls.tempo = event.code == Mld::CodeTempo ? data : data / 2;
        }
        break;
    case Mld::CodeToneLow:
        m_controls.toneLow[voice] = LowSixBits(data);
        break;
    case Mld::CodeToneHigh:
        m_controls.toneHigh[voice] = LowSixBits(data);
        break;
    case Mld::CodeVolume:
        if (!m_volumeFound[voice]) {
            m_volumeFound[voice] = true;
            m_controls.volume[voice] = LowSixBits(data);
        }
        break;
    default:
        break;
    }
}

MelodyControls ReadMelodyControls(std::string_view image)
{
    MelodyControlsReader reader;
    EventWalk walk(image);
    MelodyEvent event;
    while (walk.Next(event)) {
        reader.Read(event);
    }
    return reader.Controls();
}

std::string VoiceToneText(const MelodyControls& controls, int voice)
{
    const int low = InVoices(voice) ? controls.toneLow[static_cast<size_t>(voice)] : 0;
    const int high = InVoices(voice) ? controls.toneHigh[static_cast<size_t>(voice)] : 0;
    const int tone = high == 0 ? 1 : (high & 1) * 64 + low + 1;
    std::string text = std::to_string(tone);
    text += " - ";
    text += ToneName(tone);
    return text;
}

int VoiceVolume(const MelodyControls& controls, int voice)
{
    return InVoices(voice) ? controls.volume[static_cast<size_t>(voice)] : DefaultVoiceVolume;
}

std::string DataHexText(std::string_view data)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(data.size() * 2);
    for (char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        hex += Digits[byte >> 4];
        hex += Digits[byte & 0x0F];
    }
    return hex;
}

}  // namespace quaverly
