// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/CItemError.h"

#include "core/CommandIds.h"
#include "dialogs/ItemErrorButtons.h"
#include "help/DialogHelp.h"

#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace tw {

CItemError::CItemError(QWidget* parent, const QString& title)
    : QDialog(parent)
{
    setWindowTitle(title);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_layout = new QVBoxLayout(this);
}

void CItemError::AddButtons(const QString& ignoreText, int dialogId,
                            std::initializer_list<std::pair<QWidget*, int>> fields)
{
    const ItemErrorButtons buttons = AddItemErrorButtons(this, m_layout, ignoreText);
    m_btnIgnore = buttons.ignore;
    m_btnCancelOperation = buttons.cancelOperation;

    std::vector<std::pair<QWidget*, int>> controls(fields);
    controls.emplace_back(m_btnIgnore, IDC_IGNORE);
    controls.emplace_back(m_btnCancelOperation, IDC_CANCEL_OPERATION);
    InstallContextHelp(this, dialogId, controls);
}

void CItemError::showEvent(QShowEvent* event)
{
    LoadFields();
    QDialog::showEvent(event);
}

void CItemError::reject() { done(IDCANCEL); }

} // namespace tw
