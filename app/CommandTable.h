// SPDX-License-Identifier: GPL-3.0-or-later
// The command surface in one table: menu texts with their mnemonics and
// accelerator labels, accelerators, status-bar prompts and tooltips. The
// texts stand in English, marked for translation; CommandText() gives them
// in the user's language.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace tw {

struct CommandInfo {
    int id;
    const char* menuText;  // as in the menu, "\t" then the accelerator label; null: not in a menu
    const char* shortcut;  // QKeySequence text, or null
    const char* prompt;    // status-bar prompt, or null
    const char* tooltip;   // toolbar tooltip, or null
};

const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(int id);
// A text of the tables (menu text, prompt, tooltip, menu title) as shown:
// in the user's language. Empty for null.
QString CommandText(const char* text);
// The command's name as its menu item reads, without the mnemonic, the key
// and a trailing "...": "Secure Delete Temp Files". Empty for none.
std::string CommandName(int id);

// Menus in order; 0 in an item list is a separator.
struct MenuInfo {
    const char* title;
    std::vector<int> items;
};
const std::vector<MenuInfo>& MenuTable();

// Toolbar buttons from left to right; 0 is a separator.
const std::vector<int>& ToolbarTable();

// The standard editing and pane keys: bound, and doing nothing.
struct DeadKey {
    int id;
    const char* shortcut;
};
const std::vector<DeadKey>& DeadKeyTable();

} // namespace tw
