// SPDX-License-Identifier: MIT
#pragma once

// Enter in the main dialog: the focused push button takes it and is clicked, as on
// a desktop where Enter presses the button that has the focus. A toggle, an edit
// box or any other control leaves it alone, and no button becomes the dialog's
// default, so Enter with the focus elsewhere does nothing.

class QKeyEvent;
class QWidget;

// Enter or Return, with no modifier other than the keypad's.
bool IsEnterKey(const QKeyEvent& event);

// Clicks `focus` when it is an enabled push button that does not toggle; returns
// whether it did.
bool ClickFocusedButton(QWidget* focus);
