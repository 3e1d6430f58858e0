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
    if (Hook())
        return Hook()(dialog);
    return dialog.exec();
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
