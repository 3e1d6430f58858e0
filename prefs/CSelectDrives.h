// SPDX-License-Identifier: GPL-3.0-or-later
// "Tarnowick Select Drives": the drives whose free space the next wipe
// overwrites. It remembers its own choice in "Drives2" and starts from the
// preferences' "Drives" until it has one.
#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;

namespace tw {

class CDriveTree;
class IDriveTable;

class CSelectDrives : public QDialog {
    Q_OBJECT
public:
    // Reads the settings and fills the tree at once, so the dialog is ready
    // however it is run.
    CSelectDrives(IDriveTable& drives, QWidget* parent);

    // The drive list chosen with OK (letter and "!" each); the stored
    // choice until then.
    QString m_strDrives;

    CDriveTree* m_treeDrives = nullptr;  // IDC_DRIVE_TREE
    QDialogButtonBox* m_buttons = nullptr;

public slots:
    // OK (1) stores the choice in "Drives2"; Cancel and Escape end with
    // IDCANCEL (2) and store nothing.
    void accept() override;
    void reject() override;
};

} // namespace tw
