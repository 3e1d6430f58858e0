// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal dialog and file dialog of the program is run through here, so
// that tests can look at the real dialog and answer it instead of a user.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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
    QString directory;
    QString filter;
    bool multiple = false;
};
// Returns the picked paths; empty when the user cancelled.
using FileDialogHook = std::function<QStringList(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);
QStringList GetOpenFileNames(QWidget* parent, const FileDialogRequest& request);

} // namespace tw
