// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/CFileError.h"

#include "help/HelpContent.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

CFileError::CFileError(QWidget* parent)
    : CItemError(parent, tr("Secure Delete Error"))
{
    m_layout->addWidget(new QLabel(tr("Error During Secure Delete - File:"), this));
    m_editFile = new QLineEdit(this);
    m_editFile->setObjectName(QStringLiteral("IDC_ERROR_FILE"));
    m_editFile->setReadOnly(true);
    m_editFile->setMinimumWidth(420);
    m_layout->addWidget(m_editFile);
    m_editMessage = new QLineEdit(this);
    m_editMessage->setObjectName(QStringLiteral("IDC_ERROR_MESSAGE"));
    m_editMessage->setReadOnly(true);
    m_layout->addWidget(m_editMessage);

    AddButtons(tr("Ignore File"), kFileErrorDialogId, {{m_editFile, 1051}, {m_editMessage, 1050}});

    setTabOrder(m_btnCancelOperation, m_editFile);
    setTabOrder(m_editFile, m_editMessage);
    setFixedSize(sizeHint());
}

void CFileError::LoadFields()
{
    m_editFile->setText(m_strFile);
    m_editMessage->setText(m_strMessage);
    m_editFile->setCursorPosition(0);
    m_editMessage->setCursorPosition(0);
    m_btnIgnore->setFocus();
}

} // namespace tw
