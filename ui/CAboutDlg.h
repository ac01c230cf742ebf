// SPDX-License-Identifier: MIT
#pragma once

// The About box: what the program models, the program's icon three times and the
// "Rad" button that closes it. It is built from its template and run modally over
// the main window, which takes no input while it is open.

#include <QDialog>

class CAboutDlg : public QDialog {
public:
    // `owner` is the main window: the box stays above it and blocks it while it runs.
    explicit CAboutDlg(QWidget* owner);
};
