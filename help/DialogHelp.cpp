// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/DialogHelp.h"

#include "help/CHelpWindow.h"
#include "help/HelpContent.h"
#include "help/HelpManual.h"

#include <QShortcut>
#include <QWhatsThis>
#include <QWidget>

namespace tw {

void InstallContextHelp(QWidget* dialog, int dialogId, std::initializer_list<std::pair<QWidget*, int>> controls)
{
    InstallContextHelp(dialog, dialogId, std::vector<std::pair<QWidget*, int>>(controls));
}

void InstallContextHelp(QWidget* dialog, int dialogId, const std::vector<std::pair<QWidget*, int>>& controls)
{
    for (const auto& [control, id] : controls)
        control->setWhatsThis(HelpText(HelpId(dialogId, id)));

    // The dialog's own keys, so that help works the same wherever the dialog
    // is shown from; a key the window takes as a shortcut reaches no filter.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
    help->setContext(Qt::WindowShortcut);
    QObject::connect(help, &QShortcut::activated, dialog, [dialog] {
        QWidget* focus = dialog->focusWidget();
        CHelpWindow::Open(dialog)->ShowTopic(ContextHelpAnchor(focus ? focus : dialog));
    });
    // Many window managers show no "?" in the title bar; Shift+F1 starts the
    // same mode.
    auto* whatsThis = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), dialog);
    whatsThis->setContext(Qt::WindowShortcut);
    QObject::connect(whatsThis, &QShortcut::activated, dialog, [] { QWhatsThis::enterWhatsThisMode(); });
}

} // namespace tw
