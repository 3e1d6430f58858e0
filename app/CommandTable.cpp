// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandTable.h"

#include "core/CommandIds.h"

#include <QCoreApplication>

namespace tw {

const std::vector<CommandInfo>& CommandTable()
{
    // The texts stand here in English, marked with the context lupdate files
    // them under, and are looked up in the user's language where they are
    // shown (CommandText).
    static const std::vector<CommandInfo> table = {
        {ID_SECURE_DELETE_FILE,
         QT_TRANSLATE_NOOP("tw::CommandTable", "&Secure Delete File\tCtrl+D"), "Ctrl+D",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete File"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "File")},
        {ID_SECURE_DELETE_CACHE,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete &Cache\tCtrl+C"), "Ctrl+C",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete Internet Cache"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Cache")},
        {ID_SECURE_DELETE_TEMP,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete Temp Files\tCtrl+T"), "Ctrl+T",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete Temporary Files"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Temp")},
        {ID_SECURE_DELETE_OTHER,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete &Other\tCtrl+O"), "Ctrl+O",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete Other Directory"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Other")},
        {ID_SECURE_DELETE_PREFERENCES,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete &Preferences\tCtrl+P"), "Ctrl+P",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Delete by User Preferences"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Preferences")},
        {ID_OVERCOMMIT_SWAPFILE,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Overcommit Swapfile\tCtrl+S"), "Ctrl+S",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Overcommit Swapfile"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Swapfile")},
        {ID_SECURE_EMPTY_SPACE,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Empty Space\tCtrl+E"), "Ctrl+E",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Empty Space on Disk"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Secure Deleted Files")},
        {ID_FILE_SAVE_REPORT,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Save &Report...\tCtrl+Shift+S"), "Ctrl+Shift+S",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Save the record of this session as a destruction report"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Save Report")},
        {ID_APP_EXIT,
         QT_TRANSLATE_NOOP("tw::CommandTable", "E&xit"), nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Quit the application"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Exit")},
        {ID_PREFERENCES,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Preferences\tCtrl+R"), "Ctrl+R",
         QT_TRANSLATE_NOOP("tw::CommandTable", "Enter Preferences"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Preferences")},
        {ID_VIEW_TOOLBAR,
         QT_TRANSLATE_NOOP("tw::CommandTable", "&Toolbar"), nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Show or hide the toolbar"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Toggle ToolBar")},
        {ID_VIEW_STATUS_BAR,
         QT_TRANSLATE_NOOP("tw::CommandTable", "&Status Bar"), nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Show or hide the status bar"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Toggle StatusBar")},
        {ID_VIEW_PROGRESS_BAR,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Show &Progress Bar"), nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Display Progress Bar"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Toggle Progress Bar")},
        {ID_VIEW_PREVIEW,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Pre&view Sweeps..."), nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "List the files each sweep would destroy now, without destroying anything"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Preview Sweeps")},
        {ID_HELP_FINDER,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Index"), nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Help Index"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Help")},
        {ID_APP_ABOUT,
         QT_TRANSLATE_NOOP("tw::CommandTable", "&About Tarnowick..."), nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Display program information, version number and copyright"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "About")},
        {ID_CONTEXT_HELP,
         nullptr, nullptr,
         QT_TRANSLATE_NOOP("tw::CommandTable", "Context Help"),
         QT_TRANSLATE_NOOP("tw::CommandTable", "Context Help")},
        {ID_HELP,
         nullptr, "F1",
         nullptr,
         nullptr},
    };
    return table;
}

const CommandInfo* FindCommand(int id)
{
    for (const CommandInfo& c : CommandTable())
        if (c.id == id)
            return &c;
    return nullptr;
}

QString CommandText(const char* text)
{
    return text ? QCoreApplication::translate("tw::CommandTable", text) : QString();
}

std::string CommandName(int id)
{
    const CommandInfo* info = FindCommand(id);
    if (!info || !info->menuText)
        return {};
    QString name = CommandText(info->menuText);
    if (const qsizetype tab = name.indexOf(QLatin1Char('\t')); tab >= 0)
        name.truncate(tab);
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1String("...")))
        name.chop(3);
    return name.toStdString();
}

const std::vector<MenuInfo>& MenuTable()
{
    static const std::vector<MenuInfo> menus = {
        {QT_TRANSLATE_NOOP("tw::CommandTable", "&File"), {ID_SECURE_DELETE_FILE, ID_SECURE_DELETE_CACHE, ID_SECURE_DELETE_TEMP, ID_SECURE_DELETE_OTHER,
                   ID_SECURE_DELETE_PREFERENCES, ID_OVERCOMMIT_SWAPFILE, ID_SECURE_EMPTY_SPACE, ID_FILE_SAVE_REPORT, 0, ID_APP_EXIT}},
        {QT_TRANSLATE_NOOP("tw::CommandTable", "&Edit"), {ID_PREFERENCES}},
        {QT_TRANSLATE_NOOP("tw::CommandTable", "&View"), {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_PROGRESS_BAR, 0, ID_VIEW_PREVIEW}},
        {QT_TRANSLATE_NOOP("tw::CommandTable", "&Help"), {ID_HELP_FINDER, ID_APP_ABOUT}},
    };
    return menus;
}

const std::vector<int>& ToolbarTable()
{
    static const std::vector<int> buttons = {
        ID_SECURE_DELETE_FILE, 0,
        ID_SECURE_DELETE_CACHE, ID_SECURE_DELETE_TEMP, ID_SECURE_DELETE_OTHER,
        ID_SECURE_DELETE_PREFERENCES, ID_OVERCOMMIT_SWAPFILE, ID_SECURE_EMPTY_SPACE, 0,
        ID_PREFERENCES, 0,
        ID_HELP_FINDER, ID_CONTEXT_HELP,
    };
    return buttons;
}

const std::vector<DeadKey>& DeadKeyTable()
{
    static const std::vector<DeadKey> keys = {
        {ID_EDIT_PASTE, "Ctrl+V"}, {ID_EDIT_PASTE, "Shift+Ins"},
        {ID_EDIT_CUT, "Ctrl+X"}, {ID_EDIT_CUT, "Shift+Del"},
        {ID_EDIT_COPY, "Ctrl+Ins"},
        {ID_EDIT_UNDO, "Ctrl+Z"}, {ID_EDIT_UNDO, "Alt+Backspace"},
        {ID_NEXT_PANE, "F6"}, {ID_PREV_PANE, "Shift+F6"},
    };
    return keys;
}

} // namespace tw
