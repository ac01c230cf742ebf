// SPDX-License-Identifier: MIT
#include "EnterOnButton.h"

#include <QKeyEvent>
#include <QPushButton>

bool IsEnterKey(const QKeyEvent& event)
{
    if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter)
        return false;
    return (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool ClickFocusedButton(QWidget* focus)
{
    auto* button = qobject_cast<QPushButton*>(focus);
    if (!button || button->isCheckable() || !button->isEnabled())
        return false;
    button->click();
    return true;
}
