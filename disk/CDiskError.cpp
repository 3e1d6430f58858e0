// SPDX-License-Identifier: GPL-3.0-or-later
#include "disk/CDiskError.h"

#include "core/CommandIds.h"
#include "help/DialogHelp.h"
#include "help/HelpContent.h"
#include "dialogs/ItemErrorButtons.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

CDiskError::CDiskError(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Tarnowick Secure Delete"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Error During Secure Disk"), this));
    m_labelDisk = new QLabel(QStringLiteral("Static"), this);
    m_labelDisk->setObjectName(QStringLiteral("IDC_DISK_TEXT"));
    m_labelDisk->setTextFormat(Qt::PlainText);
    m_labelDisk->setMinimumWidth(300);
    layout->addWidget(m_labelDisk);

    const ItemErrorButtons buttons = AddItemErrorButtons(this, layout, tr("Ignore Disk"));
    m_btnIgnore = buttons.ignore;
    m_btnCancelOperation = buttons.cancelOperation;
    InstallContextHelp(this, kDiskErrorDialogId,
                       {{m_labelDisk, 1057}, {m_btnIgnore, IDC_IGNORE}, {m_btnCancelOperation, IDC_CANCEL_OPERATION}});
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
