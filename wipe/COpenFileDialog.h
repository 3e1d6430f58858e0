// SPDX-License-Identifier: GPL-3.0-or-later
// The program's file-open dialog, for File > "Secure Delete File" and the
// Browse buttons of the preferences. It is the program's own rather than
// Qt's because it must return exactly what the user picked: names are
// bytes here, so a name that is not UTF-8 is listed and can be picked, a
// picked name is never trimmed or re-parsed, and typed names are taken as
// typed.
#pragma once

#include "platform/PathInfo.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace tw {

struct FileDialogRequest;

class COpenFileDialog : public QDialog {
    Q_OBJECT
public:
    COpenFileDialog(QWidget* parent, const FileDialogRequest& request);

    // The directory shown (bytes); SetDirectory shows another one.
    const std::string& Directory() const { return m_directory; }
    bool SetDirectory(const std::string& directory);

    // The picked files, full paths as bytes, after the dialog was accepted.
    const std::vector<std::string>& Paths() const { return m_paths; }
    QStringList Picked() const;  // the same as text, for showing

    // Typed text to names: a text that starts with a double quote is a list
    // of quoted names ("a" "b", with \" and \\ inside the quotes); any other
    // text is one name exactly as it stands, blanks included. False when
    // the quotes do not pair up, or the text holds a NUL.
    static bool ParseTypedNames(const QString& text, std::vector<std::string>& names);
    // The field's text for picked names: one name as it stands, several quoted.
    static QString NamesText(const std::vector<std::string>& names);

    QTreeWidget* List() const { return m_list; }
    QLineEdit* NameField() const { return m_editName; }

public slots:
    void accept() override;  // Open

private:
    void Fill();
    void OnSelectionChanged();
    void OnActivated();
    void OnLocationEntered();
    bool ShowsHidden() const;
    std::string FullPath(const std::string& name) const;
    void Refuse(const QString& text);

    bool m_bMultiple = false;
    bool m_bAcceptMissing = false;
    std::string m_directory;
    std::vector<std::string> m_paths;
    // The names the list's selection put into the name field, and that text:
    // while the field still holds it, the selection is what the user picked.
    std::vector<std::string> m_selectedNames;
    QString m_selectionText;

    QLineEdit* m_editLocation = nullptr;
    QToolButton* m_btnUp = nullptr;
    QToolButton* m_btnHome = nullptr;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_editName = nullptr;
    QComboBox* m_comboTypes = nullptr;
    QCheckBox* m_checkHidden = nullptr;
    QPushButton* m_btnOpen = nullptr;
    QPushButton* m_btnCancel = nullptr;
};

} // namespace tw
