// SPDX-License-Identifier: GPL-3.0-or-later
// "Tarnowick Preferences": the three locations, the sweep mode, the
// subdirectory switch, the file-type list and the drives to scan. The
// dialog only edits its members; Edit > "Preferences" loads them from the
// settings store before it runs and stores them after OK.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tw {

class CDriveTree;
class CFileTypeCombo;
class CToggleButton;
class IDriveTable;

class CPreferences : public QDialog {
    Q_OBJECT
public:
    // Control identifiers: object names, help topics and tests use them.
    enum ControlId : int {
        IDC_CACHE_PATH = 1007,
        IDC_BROWSE_CACHE = 1008,
        IDC_TEMP_PATH = 1009,
        IDC_BROWSE_TEMP = 1010,
        IDC_OTHER_PATH = 1011,
        IDC_BROWSE_OTHER = 1012,
        IDC_THESE_DIRECTORIES = 1013,
        IDC_ALL_DIRECTORIES = 1014,
        IDC_ADD = 1019,
        IDC_DELETE = 1020,
        IDC_SUBDIRECTORIES = 1021,
        IDC_FILE_TYPE = 1024,
        IDC_ALL_CACHE = 1025,
        IDC_ALL_TEMP = 1026,
        IDC_ALL_OTHER = 1027,
        IDC_ALL_FILES_GROUP = 1028,
        IDC_DRIVE_TREE = 1036,
        IDC_FILE_TYPES_GROUP = 1038,
        IDC_DRIVES_GROUP = 1039,
        IDC_PRODUCT_NAME = 1045,
        IDC_ICON = 1046,
        IDC_SEARCH_IN_GROUP = 1047,
        IDC_OK = 1,
        IDC_CANCEL = 2,
    };

    explicit CPreferences(IDriveTable& drives, QWidget* parent = nullptr);
    ~CPreferences() override;

    QString m_strOtherPath;
    QString m_strTempPath;
    QString m_strCachePath;
    int m_bSubdirectories = 0;
    int m_bAllDirectories = 0;
    int m_bTheseDirectories = 0;
    QString m_strFileType;   // the typed entry; on opening the stored "File Types" text
    QString m_strFileTypes;  // the "File Types" text built at OK
    int m_bAllCache = 0;
    int m_bAllTemp = 0;
    int m_bAllOther = 0;
    QString m_strDrives;

    // The bytes behind the three path fields, as the settings hold them: a
    // path need not be UTF-8. A field that still shows the text of its bytes
    // stands for exactly those bytes; after OK they are the paths to store,
    // made absolute (a relative path is taken inside the home directory).
    std::string m_bytesCachePath;
    std::string m_bytesTempPath;
    std::string m_bytesOtherPath;

    // Members to controls (false) or controls to members (true).
    bool UpdateData(bool saveAndValidate = true);

    // True when `path`, less one trailing "/", names an existing directory;
    // otherwise false, after saying so when `message` is set.
    bool CheckPath(const QString& path, bool message);
    // The directory of a file the user picks, or "" when he cancels.
    QString BrowseForDirectory();
    std::string BrowseForDirectoryBytes();  // the same, as bytes

    // The help topic of a control: group boxes and the automatic radio
    // button share the topic of the control they belong to.
    static int HelpTopic(int controlId);

    // The control with the given identifier.
    QWidget* Control(int controlId) const;

public slots:
    void accept() override;  // OK
    void reject() override;  // Cancel, Escape, the close box: no check

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildLayout();        // PreferencesLayout.cpp
    void InstallHelpTexts();   // PreferencesLayout.cpp
    void OnInitDialog();
    void OnAllDirectories();
    void OnTheseDirectories();
    void ApplyAllDirectoriesRestrictions(bool restricted);
    void OnToggle(CToggleButton* toggle, int& member);
    void OnBrowse(QString& member);
    void OnAdd();
    void OnDelete();
    struct PathField {
        QLineEdit* edit;
        QString* member;
        std::string* bytes;
    };
    PathField Field(QLineEdit* edit);
    // The bytes a field's text stands for, made absolute; the field, its
    // member and its bytes then show that absolute path.
    std::string MakeAbsolute(const PathField& field);
    void OnFieldLeft(QLineEdit* edit);
    void RunPendingCheck();
    bool CheckPathBytes(const std::string& path, bool message);
    void ShowContextHelp(QWidget* widget);

    IDriveTable& m_drives;
    bool m_bInitialised = false;
    // Set while the field check runs: the focus changes it causes itself (the
    // message box, the return to the field) must not start another check.
    bool m_bChecking = false;
    // A field left by a click: it is checked once that click is over, so that
    // the click itself is never lost to the message, however fast it is.
    QLineEdit* m_pPendingCheck = nullptr;
    bool m_bWaitingForRelease = false;

    QLineEdit* m_editCachePath = nullptr;
    QLineEdit* m_editTempPath = nullptr;
    QLineEdit* m_editOtherPath = nullptr;
    CToggleButton* m_btnAllCache = nullptr;
    CToggleButton* m_btnAllTemp = nullptr;
    CToggleButton* m_btnAllOther = nullptr;
    QPushButton* m_btnBrowseCache = nullptr;
    QPushButton* m_btnBrowseTemp = nullptr;
    QPushButton* m_btnBrowseOther = nullptr;
    QGroupBox* m_grpAllFiles = nullptr;
    QGroupBox* m_grpSearchIn = nullptr;
    CToggleButton* m_btnTheseDirectories = nullptr;
    CToggleButton* m_btnAllDirectories = nullptr;
    CToggleButton* m_btnSubdirectories = nullptr;
    QGroupBox* m_grpFileTypes = nullptr;
    CFileTypeCombo* m_comboFileType = nullptr;
    QPushButton* m_btnAdd = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QGroupBox* m_grpDrives = nullptr;
    CDriveTree* m_treeDrives = nullptr;
    QLabel* m_lblIcon = nullptr;
    QLabel* m_lblProductName = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
};

} // namespace tw
