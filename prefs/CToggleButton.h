// SPDX-License-Identifier: GPL-3.0-or-later
// A round radio-style button that never changes its own state: a click only
// reports itself, and the dialog that owns it decides the new state. The
// preferences dialog flips its toggles and sets both mode buttons itself, so
// a button that also flipped itself would undo the dialog's work.
#pragma once

#include <QRadioButton>

namespace tw {

class CToggleButton : public QRadioButton {
public:
    // A toggle is switched on and off on its own, and is told to screen
    // readers as a check box. One of a group of `choice` buttons sharing a
    // parent is one of several choices, told as a radio button: the dialog
    // sets one and clears the others, and Qt keeps exactly one set.
    enum Kind { Toggle, Choice };
    explicit CToggleButton(const QString& text, QWidget* parent = nullptr, Kind kind = Toggle)
        : QRadioButton(text, parent)
    {
        setAutoExclusive(kind == Choice);
    }

protected:
    void nextCheckState() override {}
};

} // namespace tw
