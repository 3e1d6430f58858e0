// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ModalSeam.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tw {

namespace {
ModalHook& Hook()
{
    static ModalHook hook;
    return hook;
}
FileDialogHook& FileHook()
{
    static FileDialogHook hook;
    return hook;
}
} // namespace

void SetModalHook(ModalHook hook) { Hook() = std::move(hook); }

int RunModal(QDialog& dialog)
{
    if (!Hook())
        return dialog.exec();
    // The hook answers instead of the user, but the dialog is really shown,
    // so that what it shows (texts, focus) is what a user would see.
    dialog.setModal(true);
    dialog.show();
    const int result = Hook()(dialog);
    dialog.hide();
    return result;
}

void ParameterMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarnowick Parameters"), text,
                    QMessageBox::Ok, parent);
    RunModal(box);
}

void SetFileDialogHook(FileDialogHook hook) { FileHook() = std::move(hook); }

QStringList GetOpenFileNames(QWidget* parent, const FileDialogRequest& request)
{
    if (FileHook())
        return FileHook()(request);
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

} // namespace tw
