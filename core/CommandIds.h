// SPDX-License-Identifier: GPL-3.0-or-later
// Command and control identifiers. The numbers are fixed: dialogs, help
// topics and tests refer to them.
#pragma once

namespace tw {

enum CommandId : int {
    ID_PREFERENCES = 32771,
    ID_SECURE_DELETE_CACHE = 32772,
    ID_SECURE_DELETE_TEMP = 32773,
    ID_SECURE_DELETE_OTHER = 32782,
    ID_SECURE_DELETE_PREFERENCES = 32783,
    ID_OVERCOMMIT_SWAPFILE = 32784,
    ID_SECURE_DELETE_FILE = 32785,
    ID_VIEW_PROGRESS_BAR = 32789,
    ID_SECURE_EMPTY_SPACE = 32791,
    ID_FILE_SAVE_REPORT = 32810,
    ID_VIEW_PREVIEW = 32811,

    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// Dialog results. Buttons other than OK and Cancel end their dialog with
// their own control identifier.
enum DialogResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDC_YES = 1000,
    IDC_YES_TO_ALL = 1001,
    IDC_NO = 1002,
    IDC_IGNORE = 1048,
    IDC_CANCEL_OPERATION = 1049,
};

} // namespace tw
