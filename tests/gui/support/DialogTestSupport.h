// Helpers for the dialog and component tests: small melody and ringtone-book
// files, Shift-JIS text, and acting on a modal dialog while it runs.
#pragma once

#include <QApplication>
#include <QFile>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SjisText.h"

namespace quaverly::test {

// UTF-8 text as the Shift-JIS bytes the core keeps.
inline std::string Sjis(const QString& text)
{
    return ToSjis(text);
}

// The smallest melody file that carries a "titl" chunk (title in Shift-JIS).
inline std::string MelodyWithTitle(std::string_view title)
{
    std::string chunk = "titl";
    chunk += static_cast<char>((title.size() >> 8) & 0xFF);
    chunk += static_cast<char>(title.size() & 0xFF);
    chunk += title;
    const size_t headerLength = 3 + chunk.size();
    std::string track = "trac";
    track += std::string("\0\0\0\0", 4);
    std::string image = "melo";
    const size_t fileLength = 2 + headerLength + track.size();
    for (int shift = 24; shift >= 0; shift -= 8) {
        image += static_cast<char>((fileLength >> shift) & 0xFF);
    }
    image += static_cast<char>((headerLength >> 8) & 0xFF);
    image += static_cast<char>(headerLength & 0xFF);
    image += "\x01\x01\x01";
    return image + chunk + track;
}

// A ringtone-book song: title, artist and melody data (fields 1, 3 and 6).
struct BookSong {
    std::string title;
    std::string artist;
    std::string melody;
};

// A ringtone book as the reader expects it: a 19-byte header, then per song
// 3 bytes, eight length-prefixed fields and the terminator 01 80.
inline std::string RingtoneBookBytes(const std::vector<BookSong>& songs)
{
    std::string bytes(19, 'H');
    for (const BookSong& song : songs) {
        bytes += "\x10\x20\x30";
        const std::string fields[8] = {song.title, "f2", song.artist, "f4", "f5", song.melody, "f7", "f8"};
        for (const std::string& field : fields) {
            bytes += static_cast<char>(field.size());
            bytes += field;
        }
        bytes += "\x01\x80";
    }
    return bytes;
}

inline bool WriteBytes(const QString& path, std::string_view bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

// Runs the action on the modal dialog once the caller's exec() has started.
inline void WhenModal(std::function<void(QWidget* dialog)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog != nullptr) {
            action(dialog);
        }
    });
}

}  // namespace quaverly::test
