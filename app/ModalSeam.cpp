// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ModalSeam.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include <algorithm>
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

COpenFileDialog::COpenFileDialog(QWidget* parent, const FileDialogRequest& request)
    : QFileDialog(parent, request.title, request.directory, request.filter)
    , m_bAcceptMissing(request.acceptMissing)
{
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // The names are read from Qt's own dialog, so it must be that one.
    if (m_bAcceptMissing)
        setOption(QFileDialog::DontUseNativeDialog);
}

// The names in the file-name field: one name, or several in double quotes,
// relative to the shown directory unless absolute.
QStringList COpenFileDialog::TypedNames() const
{
    const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString text = edit ? edit->text().trimmed() : QString();
    QStringList names;
    if (text.startsWith(QLatin1Char('"'))) {
        const QStringList parts = text.split(QLatin1Char('"'));
        for (qsizetype i = 1; i < parts.size(); i += 2)
            if (!parts[i].isEmpty())
                names << parts[i];
    } else if (!text.isEmpty()) {
        names << text;
    }
    QStringList paths;
    for (const QString& name : names)
        paths << (QFileInfo(name).isAbsolute() ? name : directory().absoluteFilePath(name));
    return paths;
}

void COpenFileDialog::accept()
{
    QStringList files = m_bAcceptMissing ? TypedNames() : QStringList();
    if (files.isEmpty())
        files = selectedFiles();
    const bool anyDirectory = std::any_of(files.begin(), files.end(),
                                          [](const QString& f) { return QFileInfo(f).isDir(); });
    if (m_bAcceptMissing && !files.isEmpty() && !anyDirectory) {
        m_picked = files;
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
    if (result() == QDialog::Accepted)
        m_picked = selectedFiles();
}

QStringList GetOpenFileNames(QWidget* parent, const FileDialogRequest& request)
{
    if (FileHook())
        return FileHook()(request);
    COpenFileDialog dialog(parent, request);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.Picked();
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
