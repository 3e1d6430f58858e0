// SPDX-License-Identifier: GPL-3.0-or-later
// The confirm and file error dialogs as a user meets them (focus, keys,
// texts), and File > "Secure Delete File" driven through the main window.
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "wipe/COpenFileDialog.h"
#include "app/ModalSeam.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"
#include "wipe/FileWiper.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTreeWidget>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using tw::test::Exists;
using tw::test::WriteFile;

namespace {

// Shows the dialog as exec() would and waits until it has the focus.
void ShowActive(QDialog& dialog)
{
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

int PressOnFocus(QDialog& dialog, Qt::Key key)
{
    QWidget* focus = dialog.focusWidget();
    EXPECT_NE(focus, nullptr);
    QTest::keyClick(focus ? focus : &dialog, key);
    EXPECT_FALSE(dialog.isVisible());
    return dialog.result();
}

TEST(CConfirm, CancelHasTheFocusSoEnterAndEscapeBothCancel)
{
    CConfirm dialog;
    dialog.m_strFile = QStringLiteral("/home/ann/a very long name that is never cut.txt");
    ShowActive(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Secure Delete Confirm"));
    EXPECT_EQ(dialog.m_editFile->text(), dialog.m_strFile);
    EXPECT_TRUE(dialog.m_editFile->isReadOnly());
    EXPECT_EQ(dialog.m_btnYes->text(), QStringLiteral("Yes"));
    EXPECT_EQ(dialog.m_btnYesToAll->text(), QStringLiteral("Yes To All"));
    EXPECT_EQ(dialog.m_btnNo->text(), QStringLiteral("No"));
    EXPECT_EQ(dialog.m_btnCancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog.focusWidget(), dialog.m_btnCancel);
    EXPECT_EQ(PressOnFocus(dialog, Qt::Key_Return), IDCANCEL);

    ShowActive(dialog);
    EXPECT_EQ(PressOnFocus(dialog, Qt::Key_Escape), IDCANCEL);
}

TEST(CConfirm, EveryButtonEndsWithItsOwnResult)
{
    CConfirm dialog;
    const std::vector<std::pair<QPushButton*, int>> buttons = {
        {dialog.m_btnYes, IDC_YES}, {dialog.m_btnYesToAll, IDC_YES_TO_ALL},
        {dialog.m_btnNo, IDC_NO}, {dialog.m_btnCancel, IDCANCEL}};
    for (const auto& [button, result] : buttons) {
        ShowActive(dialog);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), result) << button->text().toStdString();
    }
}

TEST(CFileError, IgnoreFileHasTheFocusAndEscapeCancels)
{
    CFileError dialog;
    dialog.m_strFile = QStringLiteral("/tmp/x");
    dialog.m_strMessage = QStringLiteral("Could not access this file for deletion [ 2 ]");
    ShowActive(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Secure Delete Error"));
    bool labelFound = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labelFound |= label->text() == QStringLiteral("Error During Secure Delete - File:");
    EXPECT_TRUE(labelFound);
    EXPECT_EQ(dialog.m_editFile->text(), dialog.m_strFile);
    EXPECT_EQ(dialog.m_editMessage->text(), dialog.m_strMessage);
    EXPECT_EQ(dialog.m_btnIgnore->text(), QStringLiteral("Ignore File"));
    EXPECT_EQ(dialog.m_btnCancelOperation->text(), QStringLiteral("Cancel Operation"));
    EXPECT_EQ(dialog.focusWidget(), dialog.m_btnIgnore);
    EXPECT_EQ(PressOnFocus(dialog, Qt::Key_Escape), IDCANCEL);

    ShowActive(dialog);
    EXPECT_EQ(PressOnFocus(dialog, Qt::Key_Return), IDC_IGNORE);
    ShowActive(dialog);
    QTest::mouseClick(dialog.m_btnCancelOperation, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), IDC_CANCEL_OPERATION);
}

class SecureDeleteFileCommand : public ::testing::Test {
protected:
    void SetUp() override { test::ClearSettings(); }
    void TearDown() override
    {
        SetFileDialogHook(nullptr);
        SetModalHook(nullptr);
        SetBeforeTruncateHook(nullptr);
    }

    CMainFrame frame{std::make_unique<test::FakeDriveTable>()};
    test::TempDir dir;
    std::vector<FileDialogRequest> requests;
    std::vector<QString> shown;  // what each dialog showed, in order
};

TEST_F(SecureDeleteFileCommand, PicksConfirmsDestroysAndRemembersTheDirectory)
{
    const std::string kept = dir / "kept.txt", doomed = dir / "doomed.txt", typed = dir / "typed-but-absent";
    WriteFile(kept, "keep");
    WriteFile(doomed, "destroy");
    SetFileDialogHook([&](const FileDialogRequest& request) {
        requests.push_back(request);
        return QStringList{QString::fromStdString(kept), QString::fromStdString(doomed), QString::fromStdString(typed)};
    });
    std::deque<int> answers = {IDC_NO, IDC_YES, IDC_YES, IDC_IGNORE};
    SetModalHook([&](QDialog& dialog) {
        dialog.show();  // loads the fields, as exec() would
        if (auto* confirm = qobject_cast<CConfirm*>(&dialog))
            shown.push_back(QStringLiteral("confirm ") + confirm->m_editFile->text());
        else if (auto* error = qobject_cast<CFileError*>(&dialog))
            shown.push_back(QStringLiteral("error ") + error->m_editFile->text() + QLatin1Char('|') + error->m_editMessage->text());
        else
            shown.push_back(QStringLiteral("other ") + dialog.windowTitle());
        dialog.hide();
        const int answer = answers.empty() ? int(IDCANCEL) : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    });

    frame.OnCommand(ID_SECURE_DELETE_FILE);

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("Tarnowick Secure Delete"));
    EXPECT_EQ(requests[0].directory, QStringLiteral("/"));  // nothing remembered yet
    EXPECT_EQ(requests[0].filter, QStringLiteral("All Files (*)"));
    EXPECT_TRUE(requests[0].multiple);
    const QString d = QString::fromStdString(dir.Path());
    EXPECT_EQ(shown, (std::vector<QString>{
        QStringLiteral("confirm ") + d + QStringLiteral("/kept.txt"),
        QStringLiteral("confirm ") + d + QStringLiteral("/doomed.txt"),
        QStringLiteral("confirm ") + d + QStringLiteral("/typed-but-absent"),
        QStringLiteral("error ") + d + QStringLiteral("/typed-but-absent|Could not access this file for deletion [ 2 ]"),
    }));
    EXPECT_TRUE(Exists(kept));
    EXPECT_FALSE(Exists(doomed));
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), dir.Path());

    // The next dialog opens there; cancelling it deletes nothing and keeps it.
    SetFileDialogHook([&](const FileDialogRequest& request) {
        requests.push_back(request);
        return QStringList{};
    });
    shown.clear();
    frame.OnCommand(ID_SECURE_DELETE_FILE);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].directory, d);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(Exists(kept));
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), dir.Path());
}

TEST_F(SecureDeleteFileCommand, FailureAfterTheOverwriteIsOneMessageNamingTheFile)
{
    // The file's folder becomes unchangeable after the overwrite, so its
    // name cannot be removed.
    const std::string folder = dir / "folder";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/stuck.txt";
    WriteFile(path, "x");
    std::unique_ptr<tw::test::FrozenDirectory> frozen;
    SetFileDialogHook([&](const FileDialogRequest&) { return QStringList{QString::fromStdString(path)}; });
    SetBeforeTruncateHook([&](int) { frozen = std::make_unique<tw::test::FrozenDirectory>(folder); });
    SetModalHook([&](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog))
            shown.push_back(QStringLiteral("message ") + box->text());
        return qobject_cast<CConfirm*>(&dialog) ? int(IDC_YES) : int(IDOK);
    });
    frame.OnCommand(ID_SECURE_DELETE_FILE);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].contains(QString::fromStdString(path))) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("removing"))) << shown[0].toStdString();
    EXPECT_EQ(CSettings::Read(Setting::InitialDirectory), "");
    EXPECT_FALSE(frame.Runner().IsBusy());
    frozen.reset();
}

} // namespace

// The file dialog of Secure Delete File takes typed names that do not exist
// (the wiper then reports them), alongside existing ones; a typed directory
// is opened, not returned.
TEST(OpenFileDialog, TypedMissingNamesAreTakenAndDirectoriesOpened)
{
    test::TempDir dir;
    WriteFile(dir / "here.txt", "x");
    ::mkdir((dir / "sub").c_str(), 0755);
    FileDialogRequest request;
    request.title = QStringLiteral("Tarnowick Secure Delete");
    request.directory = QString::fromStdString(dir.Path());
    request.filter = QStringLiteral("All Files (*)");
    request.multiple = true;
    request.acceptMissing = true;
    const auto dialog = std::make_unique<COpenFileDialog>(nullptr, request);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Tarnowick Secure Delete"));
    dialog->show();

    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("sub"));  // a directory
    dialog->accept();  // as the Open button does
    EXPECT_NE(dialog->result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog->Directory(), dir / "sub");

    dialog->SetDirectory(dir.Path());
    // Typed as a user types, with the focus in the field.
    QApplication::setActiveWindow(dialog.get());
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, QStringLiteral("\"here.txt\" \"missing.txt\""));
    dialog->accept();  // as the Open button does
    EXPECT_EQ(dialog->result(), int(QDialog::Accepted));
    QStringList picked = dialog->Picked();
    picked.sort();
    EXPECT_EQ(picked, (QStringList{QString::fromStdString(dir / "here.txt"), QString::fromStdString(dir / "missing.txt")}));
}

// "Secure Delete Confirm" has no default button, not even a hidden one:
// Enter on a button is that button, Enter anywhere else is "No".
TEST(CConfirm, EnterAwayFromTheButtonsDestroysNothing)
{
    CConfirm dialog;
    dialog.m_strFile = QStringLiteral("/tmp/doomed.txt");
    const std::vector<std::pair<QPushButton*, int>> buttons = {
        {dialog.m_btnYes, IDC_YES}, {dialog.m_btnYesToAll, IDC_YES_TO_ALL},
        {dialog.m_btnNo, IDC_NO}, {dialog.m_btnCancel, IDCANCEL}};
    for (const auto& [button, result] : buttons) {
        ShowActive(dialog);
        for (const auto& b : buttons)
            EXPECT_FALSE(b.first->isDefault()) << b.first->text().toStdString();
        button->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(PressOnFocus(dialog, Qt::Key_Return), result) << button->text().toStdString();
    }
    // Tab from the last button into the file-name field, then Enter.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        ShowActive(dialog);
        dialog.m_btnNo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(dialog.m_btnNo, Qt::Key_Tab);
        ASSERT_EQ(dialog.focusWidget(), dialog.m_editFile);
        for (const auto& b : buttons)
            EXPECT_FALSE(b.first->isDefault()) << b.first->text().toStdString();
        EXPECT_EQ(PressOnFocus(dialog, key), IDC_NO);
    }
}

// A path too long for the screen keeps its file name in view; the whole
// path is the tooltip. A short one is shown whole.
TEST(CConfirm, LongPathsKeepTheirNameVisible)
{
    CConfirm dialog;
    QString longPath = QStringLiteral("/home/ann");
    while (longPath.size() < 2000)
        longPath += QStringLiteral("/a-directory-with-a-long-name");
    longPath += QStringLiteral("/the-file-to-destroy.txt");
    dialog.m_strFile = longPath;
    ShowActive(dialog);
    const QString shown = dialog.m_editFile->text();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/the-file-to-destroy.txt"))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/ann/"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_EQ(dialog.m_editFile->toolTip(), longPath);
    const QRect screen = dialog.screen()->availableGeometry();
    EXPECT_LE(dialog.width(), screen.width());
    EXPECT_LE(dialog.m_editFile->fontMetrics().horizontalAdvance(shown), dialog.m_editFile->width());
    dialog.done(IDCANCEL);

    // Longer than the old field, shorter than the screen: whole, and wider.
    const QString medium = QStringLiteral("/srv/archive/2023/quarterly-reports/finance/department-b/draft-copy-07.ods");
    dialog.m_strFile = medium;
    ShowActive(dialog);
    EXPECT_EQ(dialog.m_editFile->text(), medium);
    EXPECT_GE(dialog.m_editFile->width(), dialog.m_editFile->fontMetrics().horizontalAdvance(medium));
    dialog.done(IDCANCEL);
}

namespace {

// The list item of the entry whose name is `name` (bytes).
QTreeWidgetItem* ItemNamed(COpenFileDialog& dialog, const std::string& name)
{
    for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = dialog.List()->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toByteArray() == QByteArray::fromStdString(name))
            return item;
    }
    return nullptr;
}

} // namespace

// Secure Delete File through the real file dialog: the files destroyed are
// exactly those selected, whatever their names hold (a leading blank, a
// double quote, bytes that are not UTF-8); a sibling whose name only looks
// alike is never touched.
TEST_F(SecureDeleteFileCommand, DestroysExactlyTheSelectedFiles)
{
    const std::vector<std::string> picked = {" lead.txt", "q\"uote.txt", "caf\xE9.txt"};
    const std::vector<std::string> kept = {"lead.txt", "quote.txt", "caf\xEF\xBF\xBD.txt", "keep.txt"};
    for (const std::string& name : picked)
        WriteFile(dir / name, "destroy");
    for (const std::string& name : kept)
        WriteFile(dir / name, "keep");
    CSettings::Write(Setting::InitialDirectory, dir.Path());

    std::vector<std::string> confirmed;
    SetModalHook([&](QDialog& dialog) {
        if (auto* files = qobject_cast<COpenFileDialog*>(&dialog)) {
            EXPECT_EQ(files->Directory(), dir.Path());
            EXPECT_GE(files->width(), 800) << "names, sizes and dates must fit";
            files->List()->clearSelection();
            for (const std::string& name : picked) {
                QTreeWidgetItem* item = ItemNamed(*files, name);
                EXPECT_NE(item, nullptr) << "not listed: " << name;
                if (item)
                    item->setSelected(true);
            }
            QTest::mouseClick(files->findChild<QPushButton*>(QStringLiteral("openButton")), Qt::LeftButton);
            return files->result();
        }
        if (auto* confirm = qobject_cast<CConfirm*>(&dialog)) {
            confirmed.push_back(QFile::encodeName(confirm->m_editFile->toolTip()).toStdString());
            return int(IDC_YES);
        }
        ADD_FAILURE() << "unexpected " << dialog.windowTitle().toStdString();
        return int(IDCANCEL);
    });
    frame.OnCommand(ID_SECURE_DELETE_FILE);

    EXPECT_EQ(confirmed.size(), picked.size());
    for (const std::string& name : picked)
        EXPECT_FALSE(Exists(dir / name)) << name;
    for (const std::string& name : kept)
        EXPECT_EQ(test::ReadFile(dir / name), "keep") << name;
}

// Typed names are taken exactly: one name as it stands, blanks included;
// several in double quotes, with \" for a quote inside a name.
TEST_F(SecureDeleteFileCommand, TypedNamesAreTakenAsTyped)
{
    for (const char* name : {" lead.txt", "lead.txt", "a b.txt", "q\"uote.txt", "quote.txt"})
        WriteFile(dir / name, "x");
    CSettings::Write(Setting::InitialDirectory, dir.Path());
    std::deque<QString> typed = {QStringLiteral(" lead.txt"), QStringLiteral("\"a b.txt\" \"q\\\"uote.txt\""),
                                 QStringLiteral("\"unbalanced.txt")};
    std::vector<QString> refused;
    SetModalHook([&](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            refused.push_back(box->text());
            return int(QMessageBox::Ok);
        }
        if (auto* files = qobject_cast<COpenFileDialog*>(&dialog)) {
            files->List()->clearSelection();
            files->NameField()->setFocus();
            files->NameField()->clear();
            QTest::keyClicks(files->NameField(), typed.front());
            typed.pop_front();
            QTest::keyClick(files->NameField(), Qt::Key_Return);
            if (files->isVisible())
                files->reject();  // refused: nothing picked
            return files->result();
        }
        return qobject_cast<CConfirm*>(&dialog) ? int(IDC_YES) : int(IDCANCEL);
    });
    frame.OnCommand(ID_SECURE_DELETE_FILE);
    EXPECT_FALSE(Exists(dir / " lead.txt"));
    EXPECT_TRUE(Exists(dir / "lead.txt"));
    frame.OnCommand(ID_SECURE_DELETE_FILE);
    EXPECT_FALSE(Exists(dir / "a b.txt"));
    EXPECT_FALSE(Exists(dir / "q\"uote.txt"));
    EXPECT_TRUE(Exists(dir / "quote.txt"));
    frame.OnCommand(ID_SECURE_DELETE_FILE);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_TRUE(refused[0].contains(QStringLiteral("double quotes"))) << refused[0].toStdString();
}

// Enter in the confirm dialog's file-name field, in the real command: the
// file stays.
TEST_F(SecureDeleteFileCommand, EnterInTheFileFieldKeepsTheFile)
{
    const std::string path = dir / "precious.txt";
    WriteFile(path, "keep");
    SetFileDialogHook([&](const FileDialogRequest&) { return QStringList{QString::fromStdString(path)}; });
    SetModalHook([&](QDialog& dialog) {
        auto* confirm = qobject_cast<CConfirm*>(&dialog);
        EXPECT_NE(confirm, nullptr);
        if (!confirm)
            return int(IDCANCEL);
        dialog.activateWindow();
        confirm->m_btnNo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(confirm->m_btnNo, Qt::Key_Tab);  // into the field
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        return dialog.result();
    });
    frame.OnCommand(ID_SECURE_DELETE_FILE);
    EXPECT_EQ(test::ReadFile(path), "keep");
}
