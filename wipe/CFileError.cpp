// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/CFileError.h"

#include "core/CommandIds.h"
#include "help/DialogHelp.h"
#include "help/HelpContent.h"
#include "dialogs/ItemErrorButtons.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

CFileError::CFileError(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Secure Delete Error"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Error During Secure Delete - File:"), this));
    m_editFile = new QLineEdit(this);
    m_editFile->setObjectName(QStringLiteral("IDC_ERROR_FILE"));
    m_editFile->setReadOnly(true);
    m_editFile->setMinimumWidth(420);
    layout->addWidget(m_editFile);
    m_editMessage = new QLineEdit(this);
    m_editMessage->setObjectName(QStringLiteral("IDC_ERROR_MESSAGE"));
    m_editMessage->setReadOnly(true);
    layout->addWidget(m_editMessage);

    const ItemErrorButtons buttons = AddItemErrorButtons(this, layout, tr("Ignore File"));
    m_btnIgnore = buttons.ignore;
    m_btnCancelOperation = buttons.cancelOperation;

    setTabOrder(m_btnCancelOperation, m_editFile);
    setTabOrder(m_editFile, m_editMessage);
    InstallContextHelp(this, kFileErrorDialogId,
                       {{m_editFile, 1051}, {m_editMessage, 1050}, {m_btnIgnore, IDC_IGNORE},
                        {m_btnCancelOperation, IDC_CANCEL_OPERATION}});
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

void CFileError::showEvent(QShowEvent* event)
{
    LoadFields();
    QDialog::showEvent(event);
}

void CFileError::reject() { done(IDCANCEL); }

} // namespace tw
