// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ThemeIcons.h"

#include "core/CommandIds.h"

#include <QAction>
#include <QIcon>
#include <QWidget>

namespace tw {

const std::vector<ThemeIconInfo>& ThemeIconTable()
{
    // Only names whose picture says what the command does; the swap-file
    // command has no such icon in the naming scheme and keeps its own.
    static const std::vector<ThemeIconInfo> table = {
        {ID_SECURE_DELETE_FILE, {"edit-delete-shred", "edit-delete"}},
        {ID_SECURE_DELETE_CACHE, {"edit-clear-history", "internet-web-browser"}},
        {ID_SECURE_DELETE_TEMP, {"folder-temp", "user-trash-full"}},
        {ID_SECURE_DELETE_OTHER, {"folder"}},
        {ID_SECURE_DELETE_PREFERENCES, {"edit-find", "system-search"}},
        {ID_SECURE_EMPTY_SPACE, {"drive-harddisk"}},
        {ID_PREFERENCES, {"preferences-system", "preferences-other"}},
        {ID_HELP_FINDER, {"help-contents", "help-browser"}},
        {ID_CONTEXT_HELP, {"help-whatsthis", "help-contextual"}},
        {ID_APP_ABOUT, {"help-about"}},
        {ID_APP_EXIT, {"application-exit"}},
    };
    return table;
}

int ApplyThemeIcons(QWidget* window)
{
    int applied = 0;
    for (QAction* action : window->actions()) {
        bool isCommand = false;
        const int id = action->data().toInt(&isCommand);
        if (!isCommand)
            continue;
        for (const ThemeIconInfo& info : ThemeIconTable()) {
            if (info.commandId != id)
                continue;
            for (const char* name : info.names) {
                const QString themeName = QString::fromLatin1(name);
                if (QIcon::hasThemeIcon(themeName)) {
                    action->setIcon(QIcon::fromTheme(themeName));
                    ++applied;
                    break;
                }
            }
        }
    }
    return applied;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const char* file : {":/res/tarnowick16.png", ":/res/tarnowick.png", ":/res/tarnowick48.png"})
        icon.addFile(QLatin1String(file));
    return icon;
}

} // namespace tw
