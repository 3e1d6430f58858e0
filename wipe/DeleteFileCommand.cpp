// SPDX-License-Identifier: GPL-3.0-or-later
// The delete-file walk; engine code, so it runs on the worker thread and is
// tested with scripted answers.
#include "wipe/DeleteFileCommand.h"

#include "app/CommandIds.h"
#include "platform/StopSignal.h"
#include "prefs/Settings.h"
#include "wipe/FileWiper.h"

namespace tw {

std::string DirectoryOfPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void DeleteSelectedFiles(Operation& op, const std::vector<std::string>& selection)
{
    if (selection.empty())
        return;

    bool yesToAll = false;
    int lastWipe = 1;
    std::string current;
    // After "Yes To All" no more questions come between the files: they are
    // destroyed in batches that share one flush. Files confirmed one by
    // one are destroyed one by one.
    CWipeBatch batch(op, nullptr, CWipeBatch::AffordableDescriptors());
    // A stop asked for from outside ends the walk between two files.
    for (size_t i = 0; i < selection.size() && lastWipe && !StopRequested(); ++i) {
        current = selection[i];
        const int answer = yesToAll ? int(IDC_YES_TO_ALL) : op.host.Confirm(current);
        if (answer == IDCANCEL)
            break;
        if (answer == IDC_YES)
            lastWipe = WipeFile(op, current, nullptr);
        if (answer == IDC_YES_TO_ALL) {
            yesToAll = true;
            std::string name;
            const BatchDirectory dir = CBatchDirectory::Holding(current, name);
            lastWipe = batch.Add(dir, name, current);
        }
        // Anything else ("No") leaves this file alone.
    }
    batch.Finish();
    CSettings::Write(Setting::InitialDirectory, DirectoryOfPath(current));
}

} // namespace tw
