// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandTable.h"

#include "app/CommandIds.h"

namespace tw {

const std::vector<CommandInfo>& CommandTable()
{
    static const std::vector<CommandInfo> table = {
        {ID_SECURE_DELETE_FILE, "&Secure Delete File\tCtrl+D", "Ctrl+D", "Secure Delete File", "File"},
        {ID_SECURE_DELETE_CACHE, "Secure Delete &Cache\tCtrl+C", "Ctrl+C", "Secure Delete Internet Cache", "Cache"},
        {ID_SECURE_DELETE_TEMP, "Secure Delete Temp Files\tCtrl+T", "Ctrl+T", "Secure Delete Temporary Files", "Temp"},
        {ID_SECURE_DELETE_OTHER, "Secure Delete &Other\tCtrl+O", "Ctrl+O", "Secure Delete Other Directory", "Other"},
        {ID_SECURE_DELETE_PREFERENCES, "Secure Delete &Preferences\tCtrl+P", "Ctrl+P", "Secure Delete by User Preferences", "Preferences"},
        {ID_OVERCOMMIT_SWAPFILE, "Overcommit Swapfile\tCtrl+S", "Ctrl+S", "Overcommit Swapfile", "Swapfile"},
        {ID_SECURE_EMPTY_SPACE, "Secure Empty Space\tCtrl+E", "Ctrl+E", "Secure Empty Space on Disk", "Secure Deleted Files"},
        {ID_FILE_SAVE_REPORT, "Save &Report...\tCtrl+Shift+S", "Ctrl+Shift+S", "Save the record of this session as a destruction report", "Save Report"},
        {ID_APP_EXIT, "E&xit", nullptr, "Quit the application", "Exit"},
        {ID_PREFERENCES, "Preferences\tCtrl+R", "Ctrl+R", "Enter Preferences", "Preferences"},
        {ID_VIEW_TOOLBAR, "&Toolbar", nullptr, "Show or hide the toolbar", "Toggle ToolBar"},
        {ID_VIEW_STATUS_BAR, "&Status Bar", nullptr, "Show or hide the status bar", "Toggle StatusBar"},
        {ID_VIEW_PROGRESS_BAR, "Show &Progress Bar", nullptr, "Display Progress Bar", "Toggle Progress Bar"},
        {ID_VIEW_PREVIEW, "Pre&view Sweeps...", nullptr, "List the files each sweep would destroy now, without destroying anything", "Preview Sweeps"},
        {ID_HELP_FINDER, "Index", nullptr, "Help Index", "Help"},
        {ID_APP_ABOUT, "&About Tarnowick...", nullptr, "Display program information, version number and copyright", "About"},
        {ID_CONTEXT_HELP, nullptr, nullptr, "Context Help", "Context Help"},
        {ID_HELP, nullptr, "F1", nullptr, nullptr},
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

std::string CommandName(int id)
{
    const CommandInfo* info = FindCommand(id);
    if (!info || !info->menuText)
        return {};
    std::string name;
    for (const char* c = info->menuText; *c && *c != '\t'; ++c)
        if (*c != '&')
            name += *c;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, "...") == 0)
        name.resize(name.size() - 3);
    return name;
}

const std::vector<MenuInfo>& MenuTable()
{
    static const std::vector<MenuInfo> menus = {
        {"&File", {ID_SECURE_DELETE_FILE, ID_SECURE_DELETE_CACHE, ID_SECURE_DELETE_TEMP, ID_SECURE_DELETE_OTHER,
                   ID_SECURE_DELETE_PREFERENCES, ID_OVERCOMMIT_SWAPFILE, ID_SECURE_EMPTY_SPACE, ID_FILE_SAVE_REPORT, 0, ID_APP_EXIT}},
        {"&Edit", {ID_PREFERENCES}},
        {"&View", {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_PROGRESS_BAR, 0, ID_VIEW_PREVIEW}},
        {"&Help", {ID_HELP_FINDER, ID_APP_ABOUT}},
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
