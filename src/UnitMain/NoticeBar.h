// A notice over the pages about the document just loaded (a file or mail
// text cut short, parts of it that could not be read): shown whole, in as
// many lines as it takes, until the user closes it or another document
// replaces this one. The status bar beside the meter cuts such a text off.
#pragma once

#include <QFrame>

class QLabel;

namespace quaverly {

class NoticeBar : public QFrame {
    Q_OBJECT

public:
    explicit NoticeBar(QWidget* parent);

    void Show(const QString& text);
    QString Text() const;

private:
    QLabel* m_text;
};

}  // namespace quaverly
