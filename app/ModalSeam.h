// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal dialog and file dialog of the program is run through here, so
// that tests can look at the real dialog and answer it instead of a user.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace tw {

// Called with the dialog, fully set up, instead of exec(); returns the result.
using ModalHook = std::function<int(QDialog&)>;
void SetModalHook(ModalHook hook);
int RunModal(QDialog& dialog);

// Message box: caption "Tarnowick Parameters", OK button, warning icon.
void ParameterMessage(QWidget* parent, const QString& text);

struct FileDialogRequest {
    QString title;
    QString directory;           // shown, and opened unless directoryBytes is set
    std::string directoryBytes;  // the directory to open, as bytes
    QString filter;
    bool multiple = false;
    // Names typed into the dialog are taken even when no such file exists;
    // the command reports them itself.
    bool acceptMissing = false;
};

// The file dialog (COpenFileDialog). A hook, where set, answers instead and
// returns the picked paths; empty when the user cancelled.
using FileDialogHook = std::function<QStringList(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);
// The picked paths as bytes, exactly as picked; empty when cancelled.
std::vector<std::string> GetOpenFilePaths(QWidget* parent, const FileDialogRequest& request);
// The same as text, for showing.
QStringList GetOpenFileNames(QWidget* parent, const FileDialogRequest& request);

// The save dialog: the chosen path (empty when the user cancelled) and the
// filter that was chosen with it. `request.directory` may name a file: the
// suggested name. The dialog appends the extension of the chosen filter to
// a name typed without one, and asks before it replaces a file.
struct SaveDialogAnswer {
    QString path;
    QString filter;
};
using SaveDialogHook = std::function<SaveDialogAnswer(const FileDialogRequest&)>;
void SetSaveDialogHook(SaveDialogHook hook);
SaveDialogAnswer GetSaveFileName(QWidget* parent, const FileDialogRequest& request);

} // namespace tw
