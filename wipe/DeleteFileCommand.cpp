// SPDX-License-Identifier: GPL-3.0-or-later
// The delete-file walk; engine code, so it runs on the worker thread and is
// tested with scripted answers.
#include "wipe/DeleteFileCommand.h"

#include "core/CommandIds.h"
#include "platform/FileError.h"
#include "platform/FileKind.h"
#include "platform/StopSignal.h"
#include "prefs/Settings.h"
#include "wipe/FileWiper.h"

#include <QCoreApplication>

#include <sys/stat.h>

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

namespace {

// Asks about and destroys each path in turn; returns the path at which the
// walk ended.
std::string Walk(Operation& op, const std::vector<std::string>& selection)
{
    // The journals of the volumes the walk removed files from are zeroed
    // once at its end, after the batch below is finished.
    const JournalScrubAtEnd journals(op.m_journals);
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
        if (answer != IDC_YES && answer != IDC_YES_TO_ALL) {
            // The user picked this file and then kept it: the record says so.
            ItemResult kept;
            kept.path = current;
            // With the size it has, as every file left is listed.
            struct stat st {};
            if (lstat(current.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                kept.size = uint64_t(st.st_size);
            kept.message = QCoreApplication::translate("tw::DeleteFileCommand", "Not confirmed").toStdString();
            kept.kept = true;
            op.host.Record(kept);
        }
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
    return current;
}

// `one` and `several` are English texts, shown in the user's language.
void ReportLeft(Operation& op, const std::vector<std::string>& names, int cause, const char* one, const char* several)
{
    if (names.empty())
        return;
    const std::string why =
        QCoreApplication::translate("tw::DeleteFileCommand", names.size() == 1 ? one : several).toStdString();
    std::string text = why;
    for (const std::string& name : names) {
        text += "\n" + name;
        ItemResult item;
        item.kind = ItemKind::File;
        item.path = name;
        item.cause = cause;
        item.message = why;
        op.host.Record(item);
    }
    op.host.Warning(text);
}

} // namespace

void DeleteSelectedFiles(Operation& op, const std::vector<std::string>& selection, bool rememberDirectory)
{
    if (selection.empty())
        return;
    const std::string last = Walk(op, selection);
    if (rememberDirectory)
        CSettings::Write(Setting::InitialDirectory, DirectoryOfPath(last));
}

void DeleteGivenFiles(Operation& op, const std::vector<std::string>& names, const std::vector<std::string>& notLocal)
{
    ReportLeft(op, notLocal, causeBadPath,
               QT_TRANSLATE_NOOP("tw::DeleteFileCommand", "This is not a file on this computer. Nothing was touched:"),
               QT_TRANSLATE_NOOP("tw::DeleteFileCommand", "These are not files on this computer. Nothing was touched:"));

    // A folder is never swept by this way in: the user gave one name, not
    // a choice of what inside it should go. A link to a folder goes on to
    // the wiper, which never follows links and says so.
    std::vector<std::string> files;
    std::vector<std::string> folders;
    for (const std::string& name : names)
        (KindOfName(name) == FileKind::Directory ? folders : files).push_back(name);
    ReportLeft(op, folders, causeAccessDenied,
               QT_TRANSLATE_NOOP("tw::DeleteFileCommand", "This is a folder, not a file. Nothing in it was touched:"),
               QT_TRANSLATE_NOOP("tw::DeleteFileCommand", "These are folders, not files. Nothing in them was touched:"));

    if (!files.empty() && !StopRequested())
        Walk(op, files);
}

} // namespace tw
