// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CMainFrame.h"
#include "app/ThemeIcons.h"

#include "app/CTarnowickView.h"
#include "core/CommandIds.h"
#include "app/CommandTable.h"
#include "app/KeyIndicators.h"
#include "prefs/CDriveTable.h"
#include "prefs/Settings.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>

namespace tw {

CMainFrame::CMainFrame(std::unique_ptr<IDriveTable> drives, QWidget* parent)
    : QMainWindow(parent)
    , m_drives(drives ? std::move(drives) : std::make_unique<CDriveTable>())
    , m_host(this)
    , m_runner(this)
{
    setObjectName(QStringLiteral("CMainFrame"));
    // The caption is the application title and never names a document.
    setWindowTitle(QStringLiteral("Tarnowick"));
    setWindowIcon(ApplicationIcon());
    resize(640, 420);
    OnCreate();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::MakeAction(int id)
{
    const CommandInfo* info = FindCommand(id);
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("command_%1").arg(id));
    action->setData(id);
    if (info) {
        if (info->menuText)
            action->setText(CommandText(info->menuText));
        else if (info->tooltip)
            action->setText(CommandText(info->tooltip));
        if (info->shortcut)
            action->setShortcut(QKeySequence(QString::fromUtf8(info->shortcut)));
        if (info->prompt)
            action->setStatusTip(CommandText(info->prompt));
        if (info->tooltip)
            action->setToolTip(CommandText(info->tooltip));
    }
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, action, id](bool checked) {
        // "Show Progress Bar" keeps its own check mark: its handler decides
        // the direction from the mark as it was before the click.
        if (id == ID_VIEW_PROGRESS_BAR)
            action->setChecked(!checked);
        OnCommand(id);
    });
    addAction(action);
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::OnCreate()
{
    m_pView = new CTarnowickView(this);
    setCentralWidget(m_pView);

    for (const CommandInfo& info : CommandTable())
        MakeAction(info.id);
    // The standard editing and pane keys are taken by the window and do
    // nothing: the program has nothing to edit and no panes.
    for (const DeadKey& key : DeadKeyTable()) {
        auto* dead = new QAction(this);
        dead->setObjectName(QStringLiteral("dead_%1_%2").arg(key.id).arg(QString::fromUtf8(key.shortcut)));
        dead->setShortcut(QKeySequence(QString::fromUtf8(key.shortcut)));
        dead->setShortcutContext(Qt::WindowShortcut);
        addAction(dead);
    }

    for (const MenuInfo& menuInfo : MenuTable()) {
        QMenu* menu = menuBar()->addMenu(CommandText(menuInfo.title));
        for (int id : menuInfo.items) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(Action(id));
        }
    }

    // Toolbar: ten buttons in four groups; images cut from one strip.
    m_wndToolBar = new QToolBar(tr("Toolbar"), this);
    m_wndToolBar->setObjectName(QStringLiteral("AFX_IDW_TOOLBAR"));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar->setIconSize(QSize(16, 18));
    const QPixmap strip(QStringLiteral(":/res/toolbar.png"));
    int image = 0;
    for (int id : ToolbarTable()) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        if (!strip.isNull())
            action->setIcon(QIcon(strip.copy(image * 16, 0, 16, 18)));
        ++image;
        m_wndToolBar->addAction(action);
        // A screen reader hears the command's name, not the menu text with
        // its tab and key ("Secure Delete File\tCtrl+D").
        const std::string name = CommandName(id);
        const CommandInfo* info = FindCommand(id);
        if (QWidget* button = m_wndToolBar->widgetForAction(action))
            button->setAccessibleName(!name.empty() ? QString::fromStdString(name)
                                                    : CommandText(info ? info->tooltip : nullptr));
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);

    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(QStringLiteral("AFX_IDW_STATUS_BAR"));
    setStatusBar(m_wndStatusBar);
    QLabel* panes[3] = {};
    int pane = 0;
    for (const char* name : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(m_wndStatusBar);
        label->setObjectName(QStringLiteral("ID_INDICATOR_%1").arg(QString::fromLatin1(name)));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        m_wndStatusBar->addPermanentWidget(label);
        panes[pane++] = label;
    }
    ShowKeyIndicators(panes[0], panes[1], panes[2]);
    // The message pane shows "Ready" whenever no prompt is shown.
    connect(m_wndStatusBar, &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            m_wndStatusBar->showMessage(tr("Ready"));
    });
    m_wndStatusBar->showMessage(tr("Ready"));

    QAction* toolbarAction = Action(ID_VIEW_TOOLBAR);
    toolbarAction->setCheckable(true);
    toolbarAction->setChecked(true);
    connect(toolbarAction, &QAction::toggled, m_wndToolBar, &QToolBar::setVisible);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toolbarAction, &QAction::setChecked);

    QAction* statusAction = Action(ID_VIEW_STATUS_BAR);
    statusAction->setCheckable(true);
    statusAction->setChecked(true);
    connect(statusAction, &QAction::toggled, m_wndStatusBar, &QStatusBar::setVisible);

    FillWipeBuffer(m_wipeBuffer);

    // The check mark of "Show Progress Bar" is held by the item itself;
    // its toggle flips it, and here it starts from the stored setting.
    QAction* progressAction = Action(ID_VIEW_PROGRESS_BAR);
    progressAction->setCheckable(true);
    progressAction->setChecked(CSettings::ReadBool(Setting::Counter));

    InstallHelp();
    InstallRecord();
    InstallDropTarget();
}

void CMainFrame::OnCommand(int id)
{
    if (m_runner.IsBusy())
        return;
    m_nCommand = id;
    switch (id) {
    case ID_SECURE_DELETE_FILE: OnSecureDeleteFile(); break;
    case ID_SECURE_DELETE_CACHE: OnSecureDeleteCache(); break;
    case ID_SECURE_DELETE_TEMP: OnSecureDeleteTemp(); break;
    case ID_SECURE_DELETE_OTHER: OnSecureDeleteOther(); break;
    case ID_SECURE_DELETE_PREFERENCES: OnSecureDeleteByPreferences(); break;
    case ID_OVERCOMMIT_SWAPFILE: OnOvercommitSwapfile(); break;
    case ID_SECURE_EMPTY_SPACE: OnSecureEmptySpace(); break;
    case ID_PREFERENCES: OnPreferences(); break;
    case ID_VIEW_PROGRESS_BAR: OnShowProgressBar(); break;
    case ID_HELP_FINDER: OnHelpFinder(); break;
    case ID_CONTEXT_HELP: OnContextHelp(); break;
    case ID_HELP: OnHelp(); break;
    case ID_APP_ABOUT: emit aboutRequested(); break;
    case ID_APP_EXIT: close(); break;
    case ID_FILE_SAVE_REPORT: OnSaveReport(); break;
    case ID_VIEW_PREVIEW: OnPreviewSweeps(); break;
    default: break;  // toolbar and status bar toggles act through their check marks
    }
    m_nCommand = 0;
}

void CMainFrame::RunOperation(const std::function<void(Operation&)>& body)
{
    const bool recorded = BeginRecord();
    m_host.BeginCommandLog();
    bool endedBeforeStart = false;
    m_runner.Run(m_host, [this, &body, &endedBeforeStart](IOperationHost& host) {
        Operation operation(m_wipeBuffer, host, *m_drives);
        body(operation);
        endedBeforeStart = operation.m_bEndedBeforeStart;
    });
    if (recorded)
        EndRecord(endedBeforeStart);
}

QMenu* CMainFrame::createPopupMenu() { return nullptr; }

void CMainFrame::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

} // namespace tw
