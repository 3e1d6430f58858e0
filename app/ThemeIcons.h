// SPDX-License-Identifier: GPL-3.0-or-later
// Toolbar and menu pictures from the desktop's icon theme, so that the
// program looks at home under any theme; commands the theme has no fitting
// icon for keep the program's own pictures.
#pragma once

#include <vector>

class QIcon;
class QWidget;

namespace tw {

struct ThemeIconInfo {
    int commandId;
    std::vector<const char*> names;  // freedesktop icon names, best first
};

const std::vector<ThemeIconInfo>& ThemeIconTable();

// Sets the theme's icon on every action of `window` whose data is a command
// of the table and for which the current theme has one of the names.
// Returns how many actions got a theme icon.
int ApplyThemeIcons(QWidget* window);

// The program's own icon, at 16, 32 and 48 pixels.
QIcon ApplicationIcon();

} // namespace tw
