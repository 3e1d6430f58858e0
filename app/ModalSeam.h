// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal dialog and file dialog of the program is run through here, so
// that tests can look at the real dialog and answer it instead of a user.
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

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
    // Names typed into the dialog are taken even when no such file exists;
    // the command reports them itself.
    bool acceptMissing = false;
};

// The open dialog behind GetOpenFileNames. Qt's own refuses a typed name
// that does not exist when several files may be picked; with acceptMissing
// this one takes such names as typed, so that the command can say what
// became of them. A typed directory still opens it.
class COpenFileDialog : public QFileDialog {
    Q_OBJECT
public:
    COpenFileDialog(QWidget* parent, const FileDialogRequest& request);
    // The picked files, after the dialog was accepted.
    QStringList Picked() const { return m_picked; }
    void accept() override;

private:
    QStringList TypedNames() const;
    bool m_bAcceptMissing;
    QStringList m_picked;
};
// Returns the picked paths; empty when the user cancelled.
using FileDialogHook = std::function<QStringList(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);
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
