// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/CConfirm.h"

#include "app/CommandIds.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

CConfirm::CConfirm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Secure Delete Confirm"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Secure Delete File:"), this));
    m_editFile = new QLineEdit(this);
    m_editFile->setObjectName(QStringLiteral("IDC_FILE_NAME"));
    m_editFile->setReadOnly(true);
    m_editFile->setAlignment(Qt::AlignCenter);
    m_editFile->setMinimumWidth(360);
    layout->addWidget(m_editFile);

    auto* buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const QString& text, const char* name, int result) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        // No default button: Enter presses the button that has the focus.
        b->setAutoDefault(true);
        b->setDefault(false);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        buttons->addWidget(b);
        return b;
    };
    m_btnYes = makeButton(QStringLiteral("Yes"), "IDC_YES", IDC_YES);
    m_btnYesToAll = makeButton(QStringLiteral("Yes To All"), "IDC_YES_TO_ALL", IDC_YES_TO_ALL);
    m_btnNo = makeButton(QStringLiteral("No"), "IDC_NO", IDC_NO);
    m_btnCancel = makeButton(QStringLiteral("Cancel"), "IDCANCEL", IDCANCEL);
    layout->addLayout(buttons);

    // "Cancel" comes first in the tab order, so Enter on a fresh dialog cancels.
    setTabOrder(m_btnCancel, m_btnYes);
    setTabOrder(m_btnYes, m_btnYesToAll);
    setTabOrder(m_btnYesToAll, m_btnNo);
    setTabOrder(m_btnNo, m_editFile);
    setFixedSize(sizeHint());
}

void CConfirm::LoadFields()
{
    // The shown text is never cut; the field is read-only anyway.
    m_editFile->setText(m_strFile);
    m_editFile->setCursorPosition(0);
    m_btnCancel->setFocus();
}

void CConfirm::showEvent(QShowEvent* event)
{
    LoadFields();
    QDialog::showEvent(event);
}

void CConfirm::reject() { done(IDCANCEL); }

} // namespace tw
