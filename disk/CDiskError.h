// SPDX-License-Identifier: GPL-3.0-or-later
// A drive whose free space could not be wiped. "Ignore Disk" (1048) goes on,
// "Cancel Operation" (1049), Escape and the close box (2) cancel the rest.
#pragma once

#include "dialogs/CItemError.h"

class QLabel;

namespace tw {

class CDiskError : public CItemError {
    Q_OBJECT
public:
    explicit CDiskError(QWidget* parent = nullptr);

    QString m_strDisk;

    void LoadFields() override;

    QLabel* m_labelDisk = nullptr;  // IDC_DISK_TEXT
};

} // namespace tw
