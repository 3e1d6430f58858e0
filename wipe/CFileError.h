// SPDX-License-Identifier: GPL-3.0-or-later
// "Secure Delete Error": a file could not be destroyed. "Ignore File" (1048)
// goes on, "Cancel Operation" (1049), Escape and the close box (2) cancel.
#pragma once

#include "dialogs/CItemError.h"

class QLineEdit;

namespace tw {

class CFileError : public CItemError {
    Q_OBJECT
public:
    explicit CFileError(QWidget* parent = nullptr);

    QString m_strFile;
    QString m_strMessage;

    void LoadFields() override;

    QLineEdit* m_editFile = nullptr;     // IDC_ERROR_FILE
    QLineEdit* m_editMessage = nullptr;  // IDC_ERROR_MESSAGE
};

} // namespace tw
