// SPDX-License-Identifier: GPL-3.0-or-later
#include "disk/CDiskError.h"

#include "app/CommandIds.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

CDiskError::CDiskError(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tarnowick Secure Delete"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Error During Secure Disk"), this));
    m_labelDisk = new QLabel(QStringLiteral("Static"), this);
    m_labelDisk->setObjectName(QStringLiteral("IDC_DISK_TEXT"));
    m_labelDisk->setTextFormat(Qt::PlainText);
    m_labelDisk->setMinimumWidth(300);
    layout->addWidget(m_labelDisk);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_btnIgnore = new QPushButton(QStringLiteral("Ignore Disk"), this);
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
}

void CDiskError::LoadFields()
{
    m_labelDisk->setText(m_strDisk);
    m_btnIgnore->setFocus();
}

void CDiskError::showEvent(QShowEvent* event)
{
    LoadFields();
    QDialog::showEvent(event);
}

void CDiskError::reject() { done(IDCANCEL); }

} // namespace tw
