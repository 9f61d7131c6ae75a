// The ringtone-book dialog "ケータイリンク２・３の着メロ帳": lists the songs
// of a ".ktm" file and hands back the melody data of up to four chosen songs,
// one per voice page. ReadKtl loads the list; a modal showing then lets the
// user choose. The dialog is created once and kept.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "InKtlSrc/RingtoneBook.h"

namespace Ui {
class TInKtlink;
}

namespace quaverly {

class MessageBoxes;

class TInKtlink : public QDialog {
    Q_OBJECT

public:
    // Read errors and the "select data" warning go to the boxes.
    explicit TInKtlink(MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TInKtlink() override;

    // Fills the list from the file. A file that cannot be read, or that ends
    // inside a record, keeps the songs read so far and shows the error; the
    // result says whether the whole book was read.
    bool ReadKtl(const QString& path);
    // The number of songs in the list.
    int SongCount() const { return static_cast<int>(m_songs.size()); }

    // After OK: the melody data (Shift-JIS, as in the file) of the selected
    // rows in list order, at most four.
    const std::vector<std::string>& SelectedMelodies() const { return m_selectedMelodies; }

private:
    void ShowSongs(const std::vector<RingtoneSong>& songs);
    void ButtonOKClick();

    std::unique_ptr<Ui::TInKtlink> ui;
    MessageBoxes& m_boxes;
    std::vector<RingtoneSong> m_songs;  // row n shows song n
    std::vector<std::string> m_selectedMelodies;
};

}  // namespace quaverly
