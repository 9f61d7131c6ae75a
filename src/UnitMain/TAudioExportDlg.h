// The audio export's options: how many times the melody plays, how long it
// plays on fading out after the last time, whether the whole is normalised
// to a peak of -1 dBFS, and for a phone's ringtone a preset, the length limit
// of an ".m4r" file and the loop comment of an Ogg file. The fields that do
// not apply to the chosen file's format are disabled.
#pragma once

#include <QDialog>

#include "platform/Dialogs.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace quaverly {

class TAudioExportDlg : public QDialog {
    Q_OBJECT

public:
    explicit TAudioExportDlg(QWidget* parent = nullptr);

    // Shows the choice (brought into the fields' ranges).
    void Load(const AudioExportChoice& choice);
    AudioExportChoice Choice() const;

    QSpinBox* Repeats() const { return m_repeats; }
    QDoubleSpinBox* Fade() const { return m_fade; }
    QCheckBox* Normalize() const { return m_normalize; }
    QComboBox* Preset() const { return m_preset; }
    QDoubleSpinBox* MaxSeconds() const { return m_maxSeconds; }
    QCheckBox* Loop() const { return m_loop; }
    QLabel* HelpLink() const { return m_helpLink; }

private:
    // A preset chosen in the list sets the fields it stands for.
    void ApplyPreset(int index);

    QSpinBox* m_repeats = nullptr;
    QDoubleSpinBox* m_fade = nullptr;
    QCheckBox* m_normalize = nullptr;
    QComboBox* m_preset = nullptr;
    QDoubleSpinBox* m_maxSeconds = nullptr;
    QCheckBox* m_loop = nullptr;
    QLabel* m_helpLink = nullptr;
    AudioFormat m_format = AudioFormat::Wav;
};

}  // namespace quaverly
