// SPDX-License-Identifier: GPL-3.0-or-later
// The button row shared by the item error dialogs: "Ignore File" or
// "Ignore Disk" (1048), then "Cancel Operation" (1049), at the bottom right.
#pragma once

#include <QString>

class QDialog;
class QPushButton;
class QVBoxLayout;

namespace tw {

struct ItemErrorButtons {
    QPushButton* ignore = nullptr;
    QPushButton* cancelOperation = nullptr;
};

// Neither button is the default: Enter presses the one that has the focus.
// Each ends `dialog` with its own identifier.
ItemErrorButtons AddItemErrorButtons(QDialog* dialog, QVBoxLayout* layout, const QString& ignoreText);

} // namespace tw
