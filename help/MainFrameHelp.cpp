// SPDX-License-Identifier: GPL-3.0-or-later
// The help commands: Help > "Index", the context-help button and F1, and the
// help texts and theme icons of the window's commands.
#include "help/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "app/CTarnowickView.h"
#include "help/HelpContent.h"
#include "help/HelpManual.h"
#include "app/ThemeIcons.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QWhatsThis>

namespace tw {

namespace {

// Takes F1 in the program's dialogs (the main window has its own F1 key)
// and the links of the What's This pop-ups, and opens the help window there.
class CHelpKeyFilter : public QObject {
public:
    explicit CHelpKeyFilter(CMainFrame* frame)
        : QObject(frame), m_pFrame(frame)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WhatsThisClicked) {
            const QString href = static_cast<QWhatsThisClickedEvent*>(event)->href();
            CHelpWindow::Open(m_pFrame)->ShowTopic(href);
            return true;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        // A menu shows the help of its highlighted item itself.
        if (!widget || qobject_cast<QMenu*>(widget) || widget->window() == m_pFrame)
            return false;
        QWidget* focus = QApplication::focusWidget();
        if (!focus || focus->window() != widget->window())
            focus = widget;
        const QString anchor = ContextHelpAnchor(focus);
        CHelpWindow::Open(m_pFrame)->ShowTopic(anchor);
        return true;
    }

private:
    CMainFrame* m_pFrame;
};

} // namespace

void CMainFrame::InstallHelp()
{
    for (const auto& [id, action] : m_actions)
        action->setWhatsThis(CommandHelpText(id));
    m_pView->setWhatsThis(HelpManual::Get().ContextText(QStringLiteral("window")));
    ApplyThemeIcons(this);
    qApp->installEventFilter(new CHelpKeyFilter(this));
}

void CMainFrame::OnHelpFinder()
{
    CHelpWindow::Open(this)->ShowContents();
}

void CMainFrame::OnContextHelp()
{
    QWhatsThis::enterWhatsThisMode();
}

void CMainFrame::OnHelp()
{
    QWidget* focus = QApplication::focusWidget();
    QString anchor = ContextHelpAnchor(focus && focus->window() == this ? focus : nullptr);
    if (anchor == QLatin1String("help-start"))
        anchor = QStringLiteral("window");
    CHelpWindow::Open(this)->ShowTopic(anchor);
}

} // namespace tw
