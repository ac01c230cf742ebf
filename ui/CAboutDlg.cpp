#include "CAboutDlg.h"

#include "DialogTemplate.h"
#include "TemplateBuilder.h"

#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* owner)
    : QDialog(owner)
{
    BuildDialog(*this, kAboutBox);
    // "Rad" is the default button; Escape and the close box end the box too.
    connect(qobject_cast<QPushButton*>(GetDlgItem(this, IDOK)), &QPushButton::clicked, this, &QDialog::accept);
}
