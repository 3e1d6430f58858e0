// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ItemErrorButtons.h"

#include "core/CommandIds.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

ItemErrorButtons AddItemErrorButtons(QDialog* dialog, QVBoxLayout* layout, const QString& ignoreText)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto add = [dialog, row](const QString& text, const char* name, int result) {
        auto* button = new QPushButton(text, dialog);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(true);
        button->setDefault(false);
        QObject::connect(button, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
        row->addWidget(button);
        return button;
    };
    ItemErrorButtons buttons;
    buttons.ignore = add(ignoreText, "IDC_IGNORE", IDC_IGNORE);
    buttons.cancelOperation = add(QCoreApplication::translate("tw::ItemErrorButtons", "Cancel Operation"),
                                  "IDC_CANCEL_OPERATION", IDC_CANCEL_OPERATION);
    layout->addLayout(row);
    QWidget::setTabOrder(buttons.ignore, buttons.cancelOperation);
    return buttons;
}

} // namespace tw
