// The audio export's options: how many times the melody plays, how long it
// plays on fading out after the last time, and whether the whole is
// normalised to a peak of -1 dBFS.
#pragma once

#include <QDialog>

#include "platform/Dialogs.h"

class QCheckBox;
class QDoubleSpinBox;
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

private:
    QSpinBox* m_repeats = nullptr;
    QDoubleSpinBox* m_fade = nullptr;
    QCheckBox* m_normalize = nullptr;
};

}  // namespace quaverly
