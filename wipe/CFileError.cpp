// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/CFileError.h"

#include "app/CommandIds.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

CFileError::CFileError(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Secure Delete Error"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Error During Secure Delete - File:"), this));
    m_editFile = new QLineEdit(this);
    m_editFile->setObjectName(QStringLiteral("IDC_ERROR_FILE"));
    m_editFile->setReadOnly(true);
    m_editFile->setMinimumWidth(420);
    layout->addWidget(m_editFile);
    m_editMessage = new QLineEdit(this);
    m_editMessage->setObjectName(QStringLiteral("IDC_ERROR_MESSAGE"));
    m_editMessage->setReadOnly(true);
    layout->addWidget(m_editMessage);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_btnIgnore = new QPushButton(QStringLiteral("Ignore File"), this);
    m_btnIgnore->setObjectName(QStringLiteral("IDC_IGNORE"));
    m_btnCancelOperation = new QPushButton(QStringLiteral("Cancel Operation"), this);
    m_btnCancelOperation->setObjectName(QStringLiteral("IDC_CANCEL_OPERATION"));
    for (QPushButton* b : {m_btnIgnore, m_btnCancelOperation}) {
        b->setAutoDefault(true);
        b->setDefault(false);
        buttons->addWidget(b);
    }
    connect(m_btnIgnore, &QPushButton::clicked, this, [this] { done(IDC_IGNORE); });
    connect(m_btnCancelOperation, &QPushButton::clicked, this, [this] { done(IDC_CANCEL_OPERATION); });
    layout->addLayout(buttons);

    setTabOrder(m_btnIgnore, m_btnCancelOperation);
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

void CFileError::showEvent(QShowEvent* event)
{
    LoadFields();
    QDialog::showEvent(event);
}

void CFileError::reject() { done(IDCANCEL); }

} // namespace tw
