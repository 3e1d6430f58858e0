// SPDX-License-Identifier: GPL-3.0-or-later
// Context help for the controls of a dialog, as the manual promises it:
// F1 opens the help window at the topic of the control that has the focus
// (or of the dialog), Shift+F1 turns the pointer into a question mark, and
// a click on a control then shows its topic beside it.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

class QWidget;

namespace tw {

// Gives each control the help text of its identifier in `dialogId`'s table
// and installs F1 and Shift+F1 in `dialog`.
void InstallContextHelp(QWidget* dialog, int dialogId,
                        std::initializer_list<std::pair<QWidget*, int>> controls);
void InstallContextHelp(QWidget* dialog, int dialogId, const std::vector<std::pair<QWidget*, int>>& controls);

} // namespace tw
