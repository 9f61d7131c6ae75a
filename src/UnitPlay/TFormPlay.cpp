#include "TFormPlay.h"

#include "platform/FormLook.h"
#include "ui_TFormPlay.h"

namespace quaverly {

TFormPlay::TFormPlay(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TFormPlay>())
{
    m_ui->setupUi(this);
    ApplyWindowFont(this);
    // Escape closes the window as "中止" does; it answers the cancel button.
    m_ui->Button1->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFormPlay::Button1Click);
    setFixedSize(sizeHint());
    CenterOnScreen(this);
}

TFormPlay::~TFormPlay() = default;

QLineEdit* TFormPlay::EditTitle() const
{
    return m_ui->EditTitle;
}

void TFormPlay::Button1Click()
{
    close();
}

}  // namespace quaverly
