// The about box: the product name, "Ver " with the program's version, and
// the copyright line.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutDlg;
}

namespace quaverly {

class TAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit TAboutDlg(QWidget* parent = nullptr);
    ~TAboutDlg() override;

private:
    std::unique_ptr<Ui::TAboutDlg> ui;
};

}  // namespace quaverly
