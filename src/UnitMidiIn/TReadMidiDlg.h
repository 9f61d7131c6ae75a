// The MIDI read dialog "MIDI読み込み": lists the channels of a MIDI file
// (number, notes, program name, whether it plays chords) with the importer's
// automatic choice ticked. The user ticks up to four; they become the voices
// in channel order. OK stays disabled with none or more than four ticked.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "UnitMidi/MidiImport.h"

namespace Ui {
class TReadMidiDlg;
}

namespace quaverly {

class TReadMidiDlg : public QDialog {
    Q_OBJECT

public:
    explicit TReadMidiDlg(QWidget* parent = nullptr);
    ~TReadMidiDlg() override;

    // Fills the list from the survey and ticks its automatic choice.
    void LoadSurvey(const MidiSurvey& survey);
    // The ticked channels in channel order.
    std::vector<int> ChosenChannels() const;
    // Ticks or clears a listed channel (as a click on its box does).
    void SetChannelChecked(int channel, bool checked);

private:
    void UpdateChoice();

    std::unique_ptr<Ui::TReadMidiDlg> m_ui;
};

}  // namespace quaverly
