// TFormPlay: the small window shown while the program plays at start-up
// ("/P"): the melody's title and an abort button. Closing it, by "中止" or by
// Escape, ends the program's wait for the play.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TFormPlay;
}

class QLineEdit;

namespace quaverly {

class TFormPlay : public QDialog {
    Q_OBJECT

public:
    explicit TFormPlay(QWidget* parent = nullptr);
    ~TFormPlay() override;

    // The read-only title field.
    QLineEdit* EditTitle() const;

public slots:
    void Button1Click();

private:
    std::unique_ptr<Ui::TFormPlay> m_ui;
};

}  // namespace quaverly
