#include "MidiTitle.h"

#include <cstdint>
#include <optional>

namespace quaverly {

namespace {

// A bounded cursor over the bytes: every read checks what is left.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : m_bytes(bytes) {}
    std::optional<uint8_t> Byte()
    {
        if (m_at >= m_bytes.size()) {
            return std::nullopt;
        }
        return static_cast<uint8_t>(m_bytes[m_at++]);
    }
    // A variable-length quantity of at most four bytes.
    std::optional<uint32_t> Number()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::optional<uint8_t> byte = Byte();
            if (!byte) {
                return std::nullopt;
            }
            value = (value << 7) | (*byte & 0x7Fu);
            if ((*byte & 0x80u) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }
    std::optional<std::string_view> Take(size_t count)
    {
        if (count > m_bytes.size() - m_at) {
            return std::nullopt;
        }
        const std::string_view taken = m_bytes.substr(m_at, count);
        m_at += count;
        return taken;
    }
    std::optional<uint32_t> BigEndian32()
    {
        const std::optional<std::string_view> bytes = Take(4);
        if (!bytes) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (const char byte : *bytes) {
            value = (value << 8) | static_cast<uint8_t>(byte);
        }
        return value;
    }

private:
    std::string_view m_bytes;
    size_t m_at = 0;
};

}  // namespace

std::string MidiTitle(std::string_view midiBytes)
{
    Cursor file(midiBytes);
    // The header chunk, then the first track chunk.
    for (const std::string_view wanted : {std::string_view("MThd"), std::string_view("MTrk")}) {
        const std::optional<std::string_view> id = file.Take(4);
        const std::optional<uint32_t> size = file.BigEndian32();
        if (!id || *id != wanted || !size) {
            return {};
        }
        if (wanted == "MTrk") {
            const std::optional<std::string_view> track = file.Take(*size);
            if (!track) {
                return {};
            }
            Cursor events(*track);
            // Meta events only, up to the first other event.
            while (events.Number() && events.Byte() == uint8_t{0xFF}) {
                const std::optional<uint8_t> type = events.Byte();
                const std::optional<uint32_t> length = events.Number();
                const std::optional<std::string_view> data = length ? events.Take(*length) : std::nullopt;
                if (!type || !data) {
                    return {};
                }
                if (*type == 0x03) {
                    return std::string(*data);
                }
            }
            return {};
        }
        if (!file.Take(*size)) {
            return {};
        }
    }
    return {};
}

}  // namespace quaverly
