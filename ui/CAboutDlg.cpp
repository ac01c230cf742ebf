// SPDX-License-Identifier: MIT
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
    connect(qobject_cast<QPushButton*>(GetDlgItem(this, kIdOk)), &QPushButton::clicked, this, &QDialog::accept);
    // The credit line names the author; pointing at it tells the version and the licence.
    if (auto* credit = findChild<QWidget*>(QStringLiteral("IDC_CREDIT_LINE")))
        credit->setToolTip(QStringLiteral("Driftmote %1\n%2")
                               .arg(QLatin1String(DRIFTMOTE_VERSION_STRING), QString::fromUtf8(kLegalNotice)));
}
