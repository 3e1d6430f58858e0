// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ModalSeam.h"

#include "app/CGuiHost.h"
#include "wipe/COpenFileDialog.h"

#include <QCoreApplication>
#include <QFile>
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
SaveDialogHook& SaveHook()
{
    static SaveDialogHook hook;
    return hook;
}
// "JSON (*.json)" -> "json"; "" when the filter names no single extension.
QString FilterSuffix(const QString& filter)
{
    const qsizetype star = filter.indexOf(QLatin1String("(*."));
    const qsizetype close = filter.indexOf(QLatin1Char(')'), star);
    if (star < 0 || close < 0)
        return {};
    const QString suffix = filter.mid(star + 3, close - star - 3);
    return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char(' ')) ? QString() : suffix;
}
} // namespace

void SetModalHook(ModalHook hook) { Hook() = std::move(hook); }

namespace {
// A dialog blocks the windows it was opened from, not the help window
// beside it, which the user reads while he answers.
void ModalToItsWindow(QDialog& dialog)
{
    if (dialog.parentWidget() && dialog.windowModality() == Qt::NonModal)
        dialog.setWindowModality(Qt::WindowModal);
}
} // namespace

int RunModal(QDialog& dialog)
{
    ModalToItsWindow(dialog);
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
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("tw::ModalSeam", "Tarnowick Parameters"), text,
                    QMessageBox::Ok, parent);
    RunModal(box);
}

void SetFileDialogHook(FileDialogHook hook) { FileHook() = std::move(hook); }

std::vector<std::string> GetOpenFilePaths(QWidget* parent, const FileDialogRequest& request)
{
    std::vector<std::string> paths;
    if (FileHook()) {
        for (const QString& path : FileHook()(request))
            paths.push_back(QFile::encodeName(path).toStdString());
        return paths;
    }
    COpenFileDialog dialog(parent, request);
    if (RunModal(dialog) != QDialog::Accepted)
        return {};
    return dialog.Paths();
}

QStringList GetOpenFileNames(QWidget* parent, const FileDialogRequest& request)
{
    QStringList names;
    for (const std::string& path : GetOpenFilePaths(parent, request))
        names << ShowText(path);
    return names;
}

void SetSaveDialogHook(SaveDialogHook hook) { SaveHook() = std::move(hook); }

SaveDialogAnswer GetSaveFileName(QWidget* parent, const FileDialogRequest& request)
{
    if (SaveHook())
        return SaveHook()(request);
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension gets the chosen filter's, before
    // the dialog checks whether that file exists.
    dialog.setDefaultSuffix(FilterSuffix(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(FilterSuffix(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

} // namespace tw
