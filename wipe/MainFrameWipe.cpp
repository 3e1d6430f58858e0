// SPDX-License-Identifier: GPL-3.0-or-later
// File > "Secure Delete File": the window's side of the delete-file command.
#include "app/CMainFrame.h"

#include "app/ModalSeam.h"
#include "prefs/Settings.h"
#include "wipe/DeleteFileCommand.h"

#include <QFile>

namespace tw {

void CMainFrame::OnSecureDeleteFile()
{
    const std::string initial = CSettings::Read(Setting::InitialDirectory);

    FileDialogRequest request;
    request.title = tr("Tarnowick Secure Delete");
    request.directory = initial.empty() ? QStringLiteral("/") : ShowText(initial);
    request.directoryBytes = initial.empty() ? std::string("/") : initial;
    // "*" rather than "*.*": on Linux many files have no dot in their name.
    request.filter = tr("All Files (*)");
    request.multiple = true;
    // A typed name that does not exist reaches the confirm dialog, and the
    // wiper then says it could not be found.
    request.acceptMissing = true;
    // Any number of files: the selection is never cut to a fixed length.
    // Exactly the picked paths, as bytes: a name need not be UTF-8.
    const std::vector<std::string> selection = GetOpenFilePaths(this, request);
    if (selection.empty())
        return;  // cancelled: nothing deleted, "Initial Directory" kept

    RunOperation([&selection](Operation& op) { DeleteSelectedFiles(op, selection); });
}

} // namespace tw
