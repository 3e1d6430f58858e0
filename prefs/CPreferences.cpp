// SPDX-License-Identifier: GPL-3.0-or-later
// What the preferences dialog does: data exchange, the two modes, the
// toggles, the path check, Browse, the file-type buttons, OK and help.
#include "prefs/CPreferences.h"

#include "app/CGuiHost.h"
#include "help/HelpContent.h"
#include "app/ModalSeam.h"
#include "platform/PathInfo.h"
#include "prefs/CDriveTree.h"
#include "prefs/CFileTypeCombo.h"
#include "prefs/CToggleButton.h"
#include "prefs/FileTypeList.h"
#include "sweep/SweepSettings.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMouseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QWhatsThis>

namespace tw {

CPreferences::CPreferences(IDriveTable& drives, QWidget* parent)
    : QDialog(parent)
    , m_drives(drives)
{
    setObjectName(QStringLiteral("CPreferences"));
    setWindowTitle(tr("Tarnowick Preferences"));
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

CPreferences::PathField CPreferences::Field(QLineEdit* edit)
{
    if (edit == m_editCachePath)
        return {m_editCachePath, &m_strCachePath, &m_bytesCachePath};
    if (edit == m_editTempPath)
        return {m_editTempPath, &m_strTempPath, &m_bytesTempPath};
    return {m_editOtherPath, &m_strOtherPath, &m_bytesOtherPath};
}

std::string CPreferences::MakeAbsolute(const PathField& field)
{
    // The field shows the text of its stored bytes until the user changes
    // it; bytes that are not UTF-8 are then still the ones meant.
    const std::string typed = *field.member == ShowText(*field.bytes) ? *field.bytes
                                                                      : QFile::encodeName(*field.member).toStdString();
    const std::string absolute = AbsoluteAgainstHome(typed);
    *field.bytes = absolute;
    if (absolute != typed)
        *field.member = ShowText(absolute);
    return absolute;
}

bool CPreferences::CheckPathBytes(const std::string& path, bool message)
{
    // One trailing "/" is not part of the directory's name, but "/" alone is
    // the root and stays as it is.
    std::string checked = AbsoluteAgainstHome(path);
    if (checked.size() > 1 && checked.back() == '/')
        checked.pop_back();
    if (IsDirectoryPath(checked))
        return true;
    if (message)
        ParameterMessage(this, tr("Path: %1 Does Not Exist").arg(ShowText(checked)));
    return false;
}

bool CPreferences::CheckPath(const QString& path, bool message)
{
    for (const std::string* bytes : {&m_bytesCachePath, &m_bytesTempPath, &m_bytesOtherPath})
        if (!bytes->empty() && path == ShowText(*bytes))
            return CheckPathBytes(*bytes, message);
    return CheckPathBytes(QFile::encodeName(path).toStdString(), message);
}

bool CPreferences::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_bChecking
        && (watched == m_editCachePath || watched == m_editTempPath || watched == m_editOtherPath)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Only a move to another control of this dialog is a leaving of the
        // field; another window taking the activation is not.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            OnFieldLeft(static_cast<QLineEdit*>(watched));
    }
    // While a click is pending this filter sees the whole application's events.
    if (event->type() == QEvent::MouseButtonRelease && m_bWaitingForRelease
        && QGuiApplication::mouseButtons() == Qt::NoButton) {
        // Posted now, the check runs once this release has been delivered
        // and the click it ends has done its work.
        m_bWaitingForRelease = false;
        qApp->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &CPreferences::RunPendingCheck, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void CPreferences::OnFieldLeft(QLineEdit* edit)
{
    // A read-only field cannot be mended here: it is checked at OK, which
    // names it. Leaving for Cancel never checks; leaving for OK leaves the
    // check to OK.
    if (edit->isReadOnly() || !isVisible())
        return;
    QWidget* to = QApplication::focusWidget();
    if (to == m_btnCancel || to == m_btnOk)
        return;
    m_pPendingCheck = edit;
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        // A click took the focus: wait for it to end (see eventFilter).
        if (!m_bWaitingForRelease) {
            m_bWaitingForRelease = true;
            qApp->installEventFilter(this);
        }
        return;
    }
    // A key took the focus: check once it has arrived where it was going.
    QMetaObject::invokeMethod(this, &CPreferences::RunPendingCheck, Qt::QueuedConnection);
}

void CPreferences::RunPendingCheck()
{
    QLineEdit* edit = std::exchange(m_pPendingCheck, nullptr);
    // Nothing to check once the dialog is closing, while another dialog
    // (Browse) is open over it, or when the click made the field read-only
    // ("All Directories") or went to Cancel after all.
    QWidget* modal = QApplication::activeModalWidget();
    if (!edit || !isVisible() || m_bChecking || edit->isReadOnly() || (modal && modal != this)
        || QApplication::focusWidget() == m_btnCancel)
        return;
    UpdateData(true);
    const PathField field = Field(edit);
    if (field.member->isEmpty())
        return;
    const std::string path = MakeAbsolute(field);
    UpdateData(false);
    m_bChecking = true;
    if (!CheckPathBytes(path, true))
        edit->setFocus(Qt::OtherFocusReason);
    m_bChecking = false;
}

std::string CPreferences::BrowseForDirectoryBytes()
{
    FileDialogRequest request;
    request.title = tr("Tarnowick Secure Delete");
    request.filter = tr("All Files (*)");
    request.multiple = false;
    const std::vector<std::string> picked = GetOpenFilePaths(this, request);
    if (picked.empty())
        return {};
    // The user names a directory by picking any file in it.
    const std::string& file = picked.front();
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : file.substr(0, slash);
}

QString CPreferences::BrowseForDirectory()
{
    return ShowText(BrowseForDirectoryBytes());
}

void CPreferences::OnBrowse(QString& member)
{
    // Read first, so that what was typed elsewhere survives the showing.
    UpdateData(true);
    const std::string directory = BrowseForDirectoryBytes();
    if (directory.empty())
        return;
    const PathField field = Field(&member == &m_strCachePath  ? m_editCachePath
                                  : &member == &m_strTempPath ? m_editTempPath
                                                              : m_editOtherPath);
    *field.bytes = directory;
    member = ShowText(directory);
    UpdateData(false);
}

void CPreferences::OnAdd()
{
    UpdateData(true);
    QStringList entries = m_comboFileType->Entries();
    // A file type that matches every file turns a sweep of a drive into the
    // destruction of every file on it: it is added only when confirmed.
    const QString entry = NormaliseFileType(m_strFileType);
    if (FileTypeFits(entry) && FindFileType(entries, entry) < 0
        && CompilePattern(entry.toStdString()).kind == CompiledPattern::Every) {
        QMessageBox question(QMessageBox::Warning, tr("Tarnowick Parameters"),
                             tr("%1 matches every file, whatever its name. A sweep with it destroys every file in "
                                "its location, and with All Directories every file on the marked drives.\n\n"
                                "Add %1?")
                                 .arg(entry),
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        if (RunModal(question) != QMessageBox::Yes) {
            m_comboFileType->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const FileTypeAdd add = AddFileType(entries, m_strFileType);
    if (add.outcome == FileTypeAdd::Invalid) {
        ParameterMessage(this, tr("%1 invalid").arg(add.entry));
        return;
    }
    if (add.outcome == FileTypeAdd::Added)
        m_comboFileType->AddSorted(add.entry);
    else
        ParameterMessage(this, tr("%1 Already Used").arg(add.entry));
    m_comboFileType->setFocus(Qt::OtherFocusReason);
    m_strFileType = add.entry;
    UpdateData(false);
}

void CPreferences::OnDelete()
{
    UpdateData(true);
    if (FindFileType(m_comboFileType->Entries(), m_strFileType) < 0)
        ParameterMessage(this, tr("No Items to Delete"));
    else if (m_comboFileType->Selected() < 0)
        ParameterMessage(this, tr("No Item Selected"));
    else
        m_comboFileType->DeleteSelected();  // the chosen entry, whatever was typed
    m_comboFileType->ClearSelectedText();
    m_comboFileType->setFocus(Qt::OtherFocusReason);
    UpdateData(true);
    UpdateData(false);
}

void CPreferences::accept()
{
    // OK checks the paths itself; a check a click left pending is moot.
    m_pPendingCheck = nullptr;
    UpdateData(true);
    bool acceptable = true;
    QLineEdit* firstBad = nullptr;
    for (QLineEdit* edit : {m_editCachePath, m_editOtherPath, m_editTempPath}) {
        const PathField field = Field(edit);
        if (field.member->isEmpty()) {
            field.bytes->clear();
            continue;
        }
        if (!CheckPathBytes(MakeAbsolute(field), false)) {
            acceptable = false;
            if (!firstBad)
                firstBad = edit;
        }
    }
    UpdateData(false);  // the paths as they will be stored: absolute
    m_bSubdirectories = m_btnSubdirectories->isChecked() ? 1 : 0;
    m_bAllDirectories = m_btnAllDirectories->isChecked() ? 1 : 0;
    m_strFileTypes = SaveFileTypes(m_comboFileType->Entries());
    m_strDrives = m_treeDrives->Collect();
    if (acceptable) {
        QDialog::accept();
        return;
    }
    // A refusal says why: the first path that is not a directory, by name.
    m_bChecking = true;
    CheckPathBytes(*Field(firstBad).bytes, true);
    m_bChecking = false;
    if (!firstBad->isReadOnly())
        firstBad->setFocus(Qt::OtherFocusReason);
}

void CPreferences::reject()
{
    m_pPendingCheck = nullptr;
    QDialog::reject();
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
