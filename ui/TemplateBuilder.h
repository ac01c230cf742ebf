// SPDX-License-Identifier: MIT
#pragma once

// Builds a dialog from one of the templates in res/: window flags, caption, font,
// client size and every control in template order (which is also the keyboard
// order), each placed by converting its dialog units with the font's metrics.

#include "DialogTemplate.h"

#include <QFont>
#include <QIcon>
#include <QRect>

class QDialog;
class QWidget;

struct DialogBaseUnits {
    int x; // horizontal base unit: four dialog units across
    int y; // vertical base unit: eight dialog units down
};

// The template's font where it is installed, else the system's sans-serif at the
// template's point size.
QFont DialogFont(const DialogTemplate& t);

DialogBaseUnits BaseUnitsOf(const QFont& font);

QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int cx, int cy);

// The program's icon (IDR_MAINFRAME), with its 32 and 16 pixel pictures.
QIcon LoadAppIcon();

// Sets up `dialog` from the template and creates its controls as its children.
void BuildDialog(QDialog& dialog, const DialogTemplate& t);

// The control with the given id (the first one for a shared id), or null.
QWidget* GetDlgItem(const QWidget* dialog, int id);
