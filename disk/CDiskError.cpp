// SPDX-License-Identifier: GPL-3.0-or-later
#include "disk/CDiskError.h"

#include "help/HelpContent.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

CDiskError::CDiskError(QWidget* parent)
    : CItemError(parent, tr("Tarnowick Secure Delete"))
{
    m_layout->addWidget(new QLabel(tr("Error During Secure Disk"), this));
    m_labelDisk = new QLabel(QStringLiteral("Static"), this);
    m_labelDisk->setObjectName(QStringLiteral("IDC_DISK_TEXT"));
    m_labelDisk->setTextFormat(Qt::PlainText);
    m_labelDisk->setMinimumWidth(300);
    m_layout->addWidget(m_labelDisk);

    AddButtons(tr("Ignore Disk"), kDiskErrorDialogId, {{m_labelDisk, 1057}});
}

void CDiskError::LoadFields()
{
    m_labelDisk->setText(m_strDisk);
    m_btnIgnore->setFocus();
}

} // namespace tw
