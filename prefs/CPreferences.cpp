// SPDX-License-Identifier: GPL-3.0-or-later
// What the preferences dialog does: data exchange, the two modes, the
// toggles, the path check, Browse, the file-type buttons, OK and help.
#include "prefs/CPreferences.h"

#include "app/HelpContent.h"
#include "app/ModalSeam.h"
#include "prefs/CDriveTree.h"
#include "prefs/CFileTypeCombo.h"
#include "prefs/CToggleButton.h"
#include "prefs/FileTypeList.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QWhatsThis>

namespace tw {

CPreferences::CPreferences(IDriveTable& drives, QWidget* parent)
    : QDialog(parent)
    , m_drives(drives)
{
    setObjectName(QStringLiteral("CPreferences"));
    setWindowTitle(QStringLiteral("Tarnowick Preferences"));
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    BuildLayout();
    InstallHelpTexts();

    for (QLineEdit* edit : {m_editCachePath, m_editTempPath, m_editOtherPath})
        edit->installEventFilter(this);

    connect(m_btnBrowseCache, &QPushButton::clicked, this, [this] { OnBrowse(m_strCachePath); });
    connect(m_btnBrowseTemp, &QPushButton::clicked, this, [this] { OnBrowse(m_strTempPath); });
    connect(m_btnBrowseOther, &QPushButton::clicked, this, [this] { OnBrowse(m_strOtherPath); });
    connect(m_btnTheseDirectories, &QAbstractButton::clicked, this, &CPreferences::OnTheseDirectories);
    connect(m_btnAllDirectories, &QAbstractButton::clicked, this, &CPreferences::OnAllDirectories);
    connect(m_btnSubdirectories, &QAbstractButton::clicked, this, [this] { OnToggle(m_btnSubdirectories, m_bSubdirectories); });
    connect(m_btnAllCache, &QAbstractButton::clicked, this, [this] { OnToggle(m_btnAllCache, m_bAllCache); });
    connect(m_btnAllTemp, &QAbstractButton::clicked, this, [this] { OnToggle(m_btnAllTemp, m_bAllTemp); });
    connect(m_btnAllOther, &QAbstractButton::clicked, this, [this] { OnToggle(m_btnAllOther, m_bAllOther); });
    connect(m_btnAdd, &QPushButton::clicked, this, &CPreferences::OnAdd);
    connect(m_btnDelete, &QPushButton::clicked, this, &CPreferences::OnDelete);
    connect(m_btnOk, &QPushButton::clicked, this, &CPreferences::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &CPreferences::reject);

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { ShowContextHelp(focusWidget()); });
    // Many window managers show no help button in the title bar; Shift+F1
    // starts the same What's This mode.
    auto* whatsThis = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this);
    connect(whatsThis, &QShortcut::activated, this, [] { QWhatsThis::enterWhatsThisMode(); });
}

CPreferences::~CPreferences() = default;

QWidget* CPreferences::Control(int controlId) const
{
    for (QWidget* widget : findChildren<QWidget*>())
        if (widget->property("controlId").toInt() == controlId)
            return widget;
    return nullptr;
}

void CPreferences::showEvent(QShowEvent* event)
{
    // The members are filled between construction and the first show.
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CPreferences::OnInitDialog()
{
    // Loading consumes the stored text: the field starts empty.
    m_comboFileType->Fill(LoadFileTypes(m_strFileType));
    m_strFileType.clear();
    m_treeDrives->Fill(m_strDrives, m_drives);
    if (m_bAllDirectories == 1)
        ApplyAllDirectoriesRestrictions(true);
    UpdateData(false);
    m_editCachePath->setFocus(Qt::OtherFocusReason);
}

bool CPreferences::UpdateData(bool saveAndValidate)
{
    const auto text = [saveAndValidate](QLineEdit* edit, QString& member) {
        if (saveAndValidate)
            member = edit->text();
        else
            edit->setText(member);
    };
    const auto check = [saveAndValidate](QAbstractButton* button, int& member) {
        if (saveAndValidate)
            member = button->isChecked() ? 1 : 0;
        else
            button->setChecked(member != 0);
    };
    text(m_editOtherPath, m_strOtherPath);
    text(m_editTempPath, m_strTempPath);
    text(m_editCachePath, m_strCachePath);
    check(m_btnSubdirectories, m_bSubdirectories);
    check(m_btnAllDirectories, m_bAllDirectories);
    check(m_btnTheseDirectories, m_bTheseDirectories);
    if (saveAndValidate)
        m_strFileType = m_comboFileType->Text();
    else
        m_comboFileType->ShowText(m_strFileType);
    check(m_btnAllCache, m_bAllCache);
    check(m_btnAllTemp, m_bAllTemp);
    check(m_btnAllOther, m_bAllOther);
    return true;
}

void CPreferences::ApplyAllDirectoriesRestrictions(bool restricted)
{
    // In "All Directories" mode the paths are kept and still checked at OK,
    // but they cannot be changed.
    for (QLineEdit* edit : {m_editCachePath, m_editTempPath, m_editOtherPath})
        edit->setReadOnly(restricted);
    for (QWidget* w : std::initializer_list<QWidget*>{m_btnBrowseCache, m_btnBrowseTemp, m_btnBrowseOther,
                                                      m_btnAllCache, m_btnAllTemp, m_btnAllOther})
        w->setEnabled(!restricted);
}

void CPreferences::OnAllDirectories()
{
    UpdateData(true);
    m_btnAllDirectories->setChecked(true);
    m_btnTheseDirectories->setChecked(false);
    m_bAllDirectories = 1;
    m_bTheseDirectories = 0;
    ApplyAllDirectoriesRestrictions(true);
    m_btnAllDirectories->setFocus(Qt::OtherFocusReason);
    UpdateData(false);
}

void CPreferences::OnTheseDirectories()
{
    UpdateData(true);
    m_btnAllDirectories->setChecked(false);
    m_btnTheseDirectories->setChecked(true);
    m_bAllDirectories = 0;
    m_bTheseDirectories = 1;
    ApplyAllDirectoriesRestrictions(false);
    m_btnAllCache->setChecked(m_bAllCache != 0);
    m_btnAllTemp->setChecked(m_bAllTemp != 0);
    m_btnAllOther->setChecked(m_bAllOther != 0);
    m_btnTheseDirectories->setFocus(Qt::OtherFocusReason);
    UpdateData(false);
}

void CPreferences::OnToggle(CToggleButton* toggle, int& member)
{
    UpdateData(true);
    const bool on = !toggle->isChecked();
    toggle->setChecked(on);
    member = on ? 1 : 0;
    toggle->setFocus(Qt::OtherFocusReason);
    UpdateData(false);
}

bool CPreferences::CheckPath(const QString& path, bool message)
{
    // One trailing "/" is not part of the directory's name, but "/" alone is
    // the root and stays as it is.
    QString checked = path;
    if (checked.size() > 1 && checked.endsWith(u'/'))
        checked.chop(1);
    const QFileInfo info(checked);
    if (info.exists() && info.isDir())
        return true;
    if (message)
        ParameterMessage(this, QStringLiteral("Path: ") + checked + QStringLiteral(" Does Not Exist"));
    return false;
}

bool CPreferences::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_bChecking) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Only a move to another control of this dialog is a leaving of the
        // field; another window taking the activation is not.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            if (auto* edit = qobject_cast<QLineEdit*>(watched))
                ScheduleFieldCheck(edit);
    }
    return QDialog::eventFilter(watched, event);
}

void CPreferences::ScheduleFieldCheck(QLineEdit* edit)
{
    // The check runs once the focus has arrived where it was going: a
    // message box opened in the middle of a focus change would leave the
    // focus in a state that neither field expects.
    QMetaObject::invokeMethod(this, [this, edit] { FieldCheck(edit); }, Qt::QueuedConnection);
}

void CPreferences::FieldCheck(QLineEdit* edit)
{
    // A field left by closing the dialog is not checked any more.
    if (!isVisible() || m_bChecking)
        return;
    UpdateData(true);
    const QString& path = edit == m_editCachePath ? m_strCachePath
                        : edit == m_editTempPath  ? m_strTempPath
                                                  : m_strOtherPath;
    if (path.isEmpty())
        return;
    m_bChecking = true;
    if (!CheckPath(path, true))
        edit->setFocus(Qt::OtherFocusReason);
    m_bChecking = false;
}

QString CPreferences::BrowseForDirectory()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Tarnowick Secure Delete");
    request.filter = QStringLiteral("All Files (*)");
    request.multiple = false;
    const QStringList picked = GetOpenFileNames(this, request);
    if (picked.isEmpty())
        return {};
    // The user names a directory by picking any file in it.
    const QString& file = picked.front();
    const qsizetype slash = file.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : file.left(slash);
}

void CPreferences::OnBrowse(QString& member)
{
    // Read first, so that what was typed elsewhere survives the showing.
    UpdateData(true);
    const QString directory = BrowseForDirectory();
    if (directory.isEmpty())
        return;
    member = directory;
    UpdateData(false);
}

void CPreferences::OnAdd()
{
    UpdateData(true);
    QStringList entries = m_comboFileType->Entries();
    const FileTypeAdd add = AddFileType(entries, m_strFileType);
    if (add.outcome == FileTypeAdd::Invalid) {
        ParameterMessage(this, add.entry + QStringLiteral(" invalid"));
        return;
    }
    if (add.outcome == FileTypeAdd::Added)
        m_comboFileType->AddSorted(add.entry);
    else
        ParameterMessage(this, add.entry + QStringLiteral(" Already Used"));
    m_comboFileType->setFocus(Qt::OtherFocusReason);
    m_strFileType = add.entry;
    UpdateData(false);
}

void CPreferences::OnDelete()
{
    UpdateData(true);
    if (FindFileType(m_comboFileType->Entries(), m_strFileType) < 0)
        ParameterMessage(this, QStringLiteral("No Items to Delete"));
    else if (m_comboFileType->Selected() < 0)
        ParameterMessage(this, QStringLiteral("No Item Selected"));
    else
        m_comboFileType->DeleteSelected();  // the chosen entry, whatever was typed
    m_comboFileType->ClearSelectedText();
    m_comboFileType->setFocus(Qt::OtherFocusReason);
    UpdateData(true);
    UpdateData(false);
}

void CPreferences::accept()
{
    UpdateData(true);
    bool acceptable = true;
    for (const QString* path : {&m_strCachePath, &m_strOtherPath, &m_strTempPath})
        if (!path->isEmpty() && !CheckPath(*path, false))
            acceptable = false;
    m_bSubdirectories = m_btnSubdirectories->isChecked() ? 1 : 0;
    m_bAllDirectories = m_btnAllDirectories->isChecked() ? 1 : 0;
    m_strFileTypes = SaveFileTypes(m_comboFileType->Entries());
    m_strDrives = m_treeDrives->Collect();
    if (acceptable)
        QDialog::accept();
}

void CPreferences::ShowContextHelp(QWidget* widget)
{
    // The combo box's text field and the tree's viewport stand for their control.
    while (widget && widget != this && !widget->property("controlId").isValid())
        widget = widget->parentWidget();
    if (!widget || widget == this)
        return;
    const int topic = HelpTopic(widget->property("controlId").toInt());
    if (topic == 0)
        return;
    const QString text = HelpText(HelpId(kPreferencesDialogId, topic));
    if (!text.isEmpty())
        QWhatsThis::showText(widget->mapToGlobal(widget->rect().center()), text, widget);
}

void CPreferences::contextMenuEvent(QContextMenuEvent* event)
{
    // No "What's This?" menu: help comes from the title bar button and F1.
    event->accept();
}

} // namespace tw
