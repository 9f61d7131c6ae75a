// The settings dialog "環境設定": the program's one user setting, the MIDI
// tempo adjustment in percent. The live value is the text of its edit field
// EditTempo, which the play and MIDI export commands hand to the MIDI writer;
// the settings store is read only when the setting is loaded.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QString>
#include <memory>

#include "UnitMidi/MidiWriter.h"  // EditTempoDefault

namespace Ui {
class TSetupDlg;
}

namespace quaverly {

class MessageBoxes;
class SettingsStore;

// Where the setting lives in the store, and its value when absent.
inline constexpr char EditTempoKey[] = "Midi/EditTempo";

class TSetupDlg : public QDialog {
    Q_OBJECT

public:
    // Creating the dialog loads the setting (FormCreate). A setting that
    // cannot be saved is reported through boxes.
    TSetupDlg(SettingsStore& store, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TSetupDlg() override;

    // The live tempo adjustment: whatever the field holds now.
    QString EditTempoText() const;

    void LoadSettings();
    // False, after telling the user why, when the store could not save it.
    bool SaveSettings();

protected:
    // Escape answers like the Cancel button, so the edit is dropped. Closing
    // by the window frame runs neither handler: the text stays live unsaved.
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void OKBtnClick();
    void CancelBtnClick();
    // Says under the field which value the MIDI files get from its text.
    void ShowTempoEffect();

    std::unique_ptr<Ui::TSetupDlg> ui;
    SettingsStore& m_store;
    MessageBoxes& m_boxes;
    QLabel* m_tempoEffect = nullptr;  // owned by the dialog
};

}  // namespace quaverly
