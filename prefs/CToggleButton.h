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
    explicit CToggleButton(const QString& text, QWidget* parent = nullptr)
        : QRadioButton(text, parent)
    {
        // The two mode buttons are set together by the dialog; Qt must not
        // clear one when the other is set.
        setAutoExclusive(false);
    }

protected:
    void nextCheckState() override {}
};

} // namespace tw
