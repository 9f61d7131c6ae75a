// The file information dialog "ファイル情報": edits the MelodyFileInfo that
// the next score analysis writes into the header chunks "vers", "copy",
// "sorc" and "date". The version line is shown but cannot be edited.
#pragma once

#include <QDialog>
#include <memory>

#include "UnitMld/MelodyFileInfo.h"

namespace Ui {
class TFileInfoDlg;
}

namespace quaverly {

class TFileInfoDlg : public QDialog {
    Q_OBJECT

public:
    explicit TFileInfoDlg(QWidget* parent = nullptr);
    ~TFileInfoDlg() override;

    // Overwrites every control from the info, so a cancelled edit leaves no trace.
    void LoadFrom(const MelodyFileInfo& info);
    // The texts as they stand, without trimming or validation; a field left
    // untouched keeps its original bytes.
    void StoreInto(MelodyFileInfo& info) const;

private:
    std::unique_ptr<Ui::TFileInfoDlg> ui;
};

}  // namespace quaverly
