#include "CAboutDlg.h"

#include "DialogTemplate.h"
#include "TemplateBuilder.h"
#include "VersionBlock.h"

#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* owner)
    : QDialog(owner)
{
    BuildDialog(*this, kAboutBox);
    // "Rad" is the default button; Escape and the close box end the box too.
    connect(qobject_cast<QPushButton*>(GetDlgItem(this, IDOK)), &QPushButton::clicked, this, &QDialog::accept);
    // The credit line names the author; pointing at it tells the licence.
    if (auto* credit = findChild<QWidget*>(QStringLiteral("IDC_CREDIT_LINE")))
        credit->setToolTip(QString::fromUtf8(kLegalNotice));
}
