#include "TAboutDlg.h"

#include "platform/FormLook.h"
#include "ui_TAboutDlg.h"

namespace quaverly {

namespace {

// The project's version, given by the build.
constexpr char ProductVersion[] = QUAVERLY_VERSION;

}  // namespace

TAboutDlg::TAboutDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutDlg>())
{
    ui->setupUi(this);
    ApplyWindowFont(this);
    QFont productFont = font();
    productFont.setPixelSize(18);
    productFont.setBold(true);
    ui->ProductName->setFont(productFont);
    ui->Version->setText(QStringLiteral("Ver ") + QLatin1String(ProductVersion));
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutDlg::~TAboutDlg() = default;

}  // namespace quaverly
