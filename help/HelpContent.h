// SPDX-License-Identifier: GPL-3.0-or-later
// The help content: one manual (res/help) that serves Help > "Index", the
// context help of commands and the What's This texts of dialog controls.
#pragma once

#include <QString>

namespace tw {

// The dialog resource ids that own help identifiers.
inline constexpr int kPreferencesDialogId = 131;
inline constexpr int kAboutDialogId = 100;
inline constexpr int kConfirmDialogId = 130;
inline constexpr int kProgressBoxId = 136;
inline constexpr int kFileErrorDialogId = 143;
inline constexpr int kSelectDrivesDialogId = 145;
inline constexpr int kDiskErrorDialogId = 146;
inline constexpr int kWorkingDialogId = 150;

// Help identifier of a control: 0x80000000 + (dialog id << 16) + control id.
inline constexpr unsigned HelpId(int dialogId, int controlId)
{
    return 0x80000000u + (unsigned(dialogId) << 16) + unsigned(controlId);
}

// The short help text (plain text or simple HTML) for a help identifier
// of a control, or for a command identifier (ID_...). Empty when there is none.
QString HelpText(unsigned helpId);
QString CommandHelpText(int commandId);

} // namespace tw
