// SPDX-License-Identifier: GPL-3.0-or-later
// "Tarnowick Preferences" driven like a user drives it: keys, clicks and
// focus changes on the real dialog, messages caught at the modal seam, and
// Edit > "Preferences" against the real settings store.
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "help/HelpContent.h"
#include "app/ModalSeam.h"
#include "prefs/CDriveTree.h"
#include "prefs/CFileTypeCombo.h"
#include "prefs/CPreferences.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QWhatsThis>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tw;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Every posted event delivered: the field check runs once the focus has
// moved, from the event loop.
void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void Activate(QWidget& w)
{
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ClearSettings();
        m_drives.roots['C'] = "/";
        m_drives.roots['D'] = m_dir.Path();
        m_drives.roots['F'] = "/tmp";
        SetFileDialogHook({});
        // Message boxes are recorded and answered; any other dialog is the
        // preferences dialog and runs the test's script.
        SetModalHook([this](QDialog& d) {
            if (auto* box = qobject_cast<QMessageBox*>(&d)) {
                m_messages << box->windowTitle() + QStringLiteral("|") + box->text();
                EXPECT_EQ(box->icon(), QMessageBox::Warning);
                // A question is answered as the test says.
                if (box->standardButtons() & QMessageBox::Yes)
                    return int(m_questionAnswer);
                return int(QMessageBox::Ok);
            }
            auto* dlg = qobject_cast<CPreferences*>(&d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg || !m_script)
                return int(QDialog::Rejected);
            Activate(*dlg);
            return m_script(*dlg);
        });
    }
    void TearDown() override
    {
        SetModalHook({});
        SetFileDialogHook({});
    }

    // A dialog of its own, shown and active, as OnPreferences would fill it.
    std::unique_ptr<CPreferences> Open(const std::function<void(CPreferences&)>& fill = {})
    {
        auto dlg = std::make_unique<CPreferences>(m_drives);
        if (fill)
            fill(*dlg);
        dlg->show();
        Activate(*dlg);
        return dlg;
    }

    // Edit > "Preferences" in the main window, with `script` in the dialog.
    void RunCommand(std::function<int(CPreferences&)> script)
    {
        m_script = std::move(script);
        auto drives = std::make_unique<test::FakeDriveTable>(m_drives);
        CMainFrame frame(std::move(drives));
        frame.show();
        frame.OnCommand(ID_PREFERENCES);
        m_script = {};
    }

    static QString Stored(Setting s) { return Q(CSettings::Read(s)); }

    template <class W = QWidget>
    static W* Ctl(CPreferences& dlg, const char* name)
    {
        W* w = dlg.findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QLineEdit* Edit(CPreferences& d, const char* name) { return Ctl<QLineEdit>(d, name); }
    static QAbstractButton* Button(CPreferences& d, const char* name) { return Ctl<QAbstractButton>(d, name); }
    static CFileTypeCombo* Combo(CPreferences& d) { return Ctl<CFileTypeCombo>(d, "IDC_FILE_TYPE"); }
    static CDriveTree* Tree(CPreferences& d) { return Ctl<CDriveTree>(d, "IDC_DRIVE_TREE"); }
    static void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); }

    void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Types into the combo box's field and presses "Add" or "Delete".
    void TypeAndPress(CPreferences& dlg, const QString& text, const char* button)
    {
        Type(Combo(dlg)->lineEdit(), text);
        Click(Button(dlg, button));
        Settle();
    }
    QString Message(const QString& text) { return QStringLiteral("Tarnowick Parameters|") + text; }

    test::TempDir m_dir;
    test::FakeDriveTable m_drives;
    QStringList m_messages;
    QMessageBox::StandardButton m_questionAnswer = QMessageBox::No;
    std::function<int(CPreferences&)> m_script;
};

const char* const kTen[] = {"Internet Cache Path", "Temporary Path", "Other Path", "Subdirectories", "All",
                            "File Types", "All Internet Cache", "All Temporary", "All Other", "Drives"};

QStringList StoredNames()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halmere"), QStringLiteral("Tarnowick"));
    store.beginGroup(QStringLiteral("Settings"));
    QStringList keys = store.childKeys();
    keys.sort();
    return keys;
}

} // namespace

TEST_F(PreferencesTest, OpensFromAnEmptyStoreAndCancelStoresNothing)
{
    RunCommand([this](CPreferences& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tarnowick Preferences"));
        for (const char* name : {"IDC_CACHE_PATH", "IDC_TEMP_PATH", "IDC_OTHER_PATH"}) {
            EXPECT_EQ(Edit(dlg, name)->text(), QString()) << name;
            EXPECT_FALSE(Edit(dlg, name)->isReadOnly()) << name;
        }
        for (const char* name : {"IDC_ALL_CACHE", "IDC_ALL_TEMP", "IDC_ALL_OTHER", "IDC_SUBDIRECTORIES",
                                 "IDC_ALL_DIRECTORIES", "IDC_BROWSE_CACHE", "IDC_BROWSE_TEMP", "IDC_BROWSE_OTHER"}) {
            EXPECT_TRUE(Button(dlg, name)->isEnabled()) << name;
            EXPECT_FALSE(Button(dlg, name)->isChecked()) << name;
        }
        EXPECT_TRUE(Button(dlg, "IDC_THESE_DIRECTORIES")->isChecked());
        EXPECT_EQ(Combo(dlg)->count(), 0);
        EXPECT_EQ(Combo(dlg)->Text(), QString());
        EXPECT_EQ(Tree(dlg)->topLevelItemCount(), 3);
        EXPECT_EQ(Tree(dlg)->Collect(), QString());
        EXPECT_EQ(QApplication::focusWidget(), Edit(dlg, "IDC_CACHE_PATH"));
        auto* ok = Ctl<QPushButton>(dlg, "IDOK");
        EXPECT_TRUE(ok->isDefault());
        Click(Ctl<QPushButton>(dlg, "IDCANCEL"));
        return dlg.result();
    });
    EXPECT_FALSE(test::Exists(CSettings::FilePath())) << "Cancel wrote to the store";
}

TEST_F(PreferencesTest, OkWithoutAnyChangeWritesExactlyTheTenValues)
{
    RunCommand([](CPreferences& dlg) {
        Click(Ctl<QPushButton>(dlg, "IDOK"));
        return dlg.result();
    });
    QStringList ten;
    for (const char* name : kTen)
        ten << QLatin1String(name);
    ten.sort();
    EXPECT_EQ(StoredNames(), ten);
    for (Setting s : {Setting::Subdirectories, Setting::All, Setting::AllInternetCache, Setting::AllTemporary,
                      Setting::AllOther})
        EXPECT_EQ(Stored(s), QStringLiteral("FALSE")) << SettingName(s);
    for (Setting s : {Setting::InternetCachePath, Setting::TemporaryPath, Setting::OtherPath, Setting::FileTypes,
                      Setting::Drives})
        EXPECT_EQ(Stored(s), QString()) << SettingName(s);
}

TEST_F(PreferencesTest, OpensFromAFullStoreInBothModesAndOkKeepsWhatItShowed)
{
    const std::string cache = m_dir / "cache", temp = m_dir / "temp";
    test::WriteFile(m_dir / "keep", "x");
    mkdir(cache.c_str(), 0700);
    mkdir(temp.c_str(), 0700);
    for (const bool all : {false, true}) {
        CSettings::Write(Setting::InternetCachePath, cache + "/");
        CSettings::Write(Setting::TemporaryPath, temp);
        CSettings::Write(Setting::OtherPath, "/");
        CSettings::Write(Setting::Subdirectories, "TRUE");
        CSettings::WriteBool(Setting::All, all);
        CSettings::Write(Setting::FileTypes, "*.tmp!~*.tmp!*.bak!");
        CSettings::Write(Setting::AllInternetCache, "TRUE");
        CSettings::Write(Setting::AllTemporary, "true");  // only exactly TRUE is true
        CSettings::Write(Setting::AllOther, "TRUE");
        CSettings::Write(Setting::Drives, "D!Z!");        // Z is not a drive here
        RunCommand([&](CPreferences& dlg) {
            EXPECT_EQ(Edit(dlg, "IDC_CACHE_PATH")->text(), Q(cache + "/"));
            EXPECT_EQ(Edit(dlg, "IDC_TEMP_PATH")->text(), Q(temp));
            EXPECT_EQ(Edit(dlg, "IDC_OTHER_PATH")->text(), QStringLiteral("/"));
            EXPECT_TRUE(Button(dlg, "IDC_SUBDIRECTORIES")->isChecked());
            EXPECT_EQ(Button(dlg, "IDC_ALL_DIRECTORIES")->isChecked(), all);
            EXPECT_EQ(Button(dlg, "IDC_THESE_DIRECTORIES")->isChecked(), !all);
            EXPECT_TRUE(Button(dlg, "IDC_ALL_CACHE")->isChecked());
            EXPECT_FALSE(Button(dlg, "IDC_ALL_TEMP")->isChecked());
            EXPECT_TRUE(Button(dlg, "IDC_ALL_OTHER")->isChecked());
            EXPECT_EQ(Combo(dlg)->Entries(), (QStringList{QStringLiteral("*.bak"), QStringLiteral("*.tmp"),
                                                          QStringLiteral("~*.tmp")}));
            EXPECT_EQ(Combo(dlg)->Text(), QString());
            EXPECT_EQ(Combo(dlg)->Selected(), -1);
            EXPECT_TRUE(Tree(dlg)->IsMarked('D'));
            EXPECT_FALSE(Tree(dlg)->IsMarked('C'));
            for (const char* name : {"IDC_CACHE_PATH", "IDC_TEMP_PATH", "IDC_OTHER_PATH"})
                EXPECT_EQ(Edit(dlg, name)->isReadOnly(), all) << name;
            for (const char* name : {"IDC_BROWSE_CACHE", "IDC_BROWSE_TEMP", "IDC_BROWSE_OTHER", "IDC_ALL_CACHE",
                                     "IDC_ALL_TEMP", "IDC_ALL_OTHER"})
                EXPECT_EQ(Button(dlg, name)->isEnabled(), !all) << name;
            for (const char* name : {"IDC_SUBDIRECTORIES", "IDC_THESE_DIRECTORIES", "IDC_ALL_DIRECTORIES", "IDC_ADD",
                                     "IDC_DELETE"})
                EXPECT_TRUE(Button(dlg, name)->isEnabled()) << name;
            EXPECT_TRUE(Combo(dlg)->isEnabled());
            EXPECT_TRUE(Tree(dlg)->isEnabled());
            QTest::keyClick(&dlg, Qt::Key_Return);  // the default button
            return dlg.result();
        });
        EXPECT_EQ(Stored(Setting::InternetCachePath), Q(cache + "/")) << "stored with its trailing /";
        EXPECT_EQ(Stored(Setting::TemporaryPath), Q(temp));
        EXPECT_EQ(Stored(Setting::OtherPath), QStringLiteral("/"));
        EXPECT_EQ(Stored(Setting::Subdirectories), QStringLiteral("TRUE"));
        EXPECT_EQ(Stored(Setting::All), all ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        EXPECT_EQ(Stored(Setting::FileTypes), QStringLiteral("~*.tmp!*.tmp!*.bak!"));
        EXPECT_EQ(Stored(Setting::AllInternetCache), QStringLiteral("TRUE"));
        EXPECT_EQ(Stored(Setting::AllTemporary), QStringLiteral("FALSE"));
        EXPECT_EQ(Stored(Setting::AllOther), QStringLiteral("TRUE"));
        EXPECT_EQ(Stored(Setting::Drives), QStringLiteral("D!"));
    }
}

TEST_F(PreferencesTest, CancelEscapeAndTheCloseBoxStoreNothing)
{
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Drives, "C!");
    CSettings::Write(Setting::Subdirectories, "TRUE");
    const std::string before = test::ReadFile(CSettings::FilePath());
    for (int way = 0; way < 3; ++way) {
        RunCommand([&](CPreferences& dlg) {
            Type(Edit(dlg, "IDC_OTHER_PATH"), QStringLiteral("/"));
            Click(Button(dlg, "IDC_SUBDIRECTORIES"));
            Click(Button(dlg, "IDC_ALL_DIRECTORIES"));
            TypeAndPress(dlg, QStringLiteral("bak"), "IDC_ADD");
            Tree(dlg)->ToggleAt(Tree(dlg)->visualItemRect(Tree(dlg)->topLevelItem(1)).center());
            if (way == 0)
                Click(Ctl<QPushButton>(dlg, "IDCANCEL"));
            else if (way == 1)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                dlg.close();
            EXPECT_FALSE(dlg.isVisible()) << way;
            return dlg.result();
        });
        EXPECT_EQ(test::ReadFile(CSettings::FilePath()), before) << way;
    }
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
}

TEST_F(PreferencesTest, LeavingAPathFieldChecksItAndKeepsTheFocusOnAFailure)
{
    const std::string file = m_dir / "file";
    test::WriteFile(file, "x");
    auto dlg = Open();
    QLineEdit* cache = Edit(*dlg, "IDC_CACHE_PATH");
    QLineEdit* temp = Edit(*dlg, "IDC_TEMP_PATH");

    struct Case {
        QString typed;
        QString message;  // empty: accepted
    };
    const Case cases[] = {
        {Q(m_dir.Path()), {}},
        {Q(m_dir.Path()) + u'/', {}},  // one trailing "/" is dropped
        {QStringLiteral("/"), {}},     // the root stays the root
        {QString(), {}},               // never checked
        {Q(file), Q(file)},            // a file is not a directory
        {Q(file) + u'/', Q(file)},
        {Q(m_dir / "gone") + QStringLiteral("//"), Q(m_dir / "gone") + u'/'},  // one "/" only
    };
    for (const Case& c : cases) {
        m_messages.clear();
        Activate(*dlg);
        Type(cache, c.typed);
        QTest::keyClick(cache, Qt::Key_Tab);
        Settle();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_messages.isEmpty()) << c.typed.toStdString();
            EXPECT_NE(dlg->focusWidget(), cache) << c.typed.toStdString();
        } else {
            EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("Path: ") + c.message + QStringLiteral(" Does Not Exist"))});
            EXPECT_EQ(dlg->focusWidget(), cache) << c.typed.toStdString();
            EXPECT_EQ(cache->text(), c.typed) << "the text stays as typed";
        }
    }

    // Two bad fields: leaving the first for the second reports the first
    // only, and the return of the focus does not report the second.
    Activate(*dlg);
    temp->setText(Q(m_dir / "nothing"));
    Type(cache, Q(m_dir / "neither"));
    Settle();
    m_messages.clear();
    temp->setFocus(Qt::MouseFocusReason);
    Settle();
    Settle();
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("Path: ") + Q(m_dir / "neither") + QStringLiteral(" Does Not Exist"))});
    EXPECT_EQ(dlg->focusWidget(), cache);

    // Enter in the bad field: OK keeps the dialog open and says why, naming
    // the path; the focus stays in the field to mend it.
    Activate(*dlg);
    m_messages.clear();
    cache->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(cache, Qt::Key_Return);
    Settle();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_NE(dlg->result(), int(QDialog::Accepted));
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("Path: ") + Q(m_dir / "neither") + QStringLiteral(" Does Not Exist"))});
    EXPECT_EQ(dlg->focusWidget(), cache);

    // A read-only path is still checked at OK, and named.
    Type(cache, QString());
    Click(Button(*dlg, "IDC_ALL_DIRECTORIES"));
    Settle();
    m_messages.clear();
    Click(Ctl<QPushButton>(*dlg, "IDOK"));
    Settle();
    EXPECT_TRUE(dlg->isVisible()) << "the temporary path does not exist";
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("Path: ") + Q(m_dir / "nothing") + QStringLiteral(" Does Not Exist"))});
    m_messages.clear();
    Click(Button(*dlg, "IDC_THESE_DIRECTORIES"));
    Type(temp, Q(m_dir.Path()) + u'/');
    Click(Ctl<QPushButton>(*dlg, "IDOK"));
    Settle();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), int(QDialog::Accepted));
    EXPECT_EQ(dlg->m_strTempPath, Q(m_dir.Path()) + u'/');
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
}

TEST_F(PreferencesTest, ModesRestrictThePathsAndTogglesFlipOnlyByTheDialog)
{
    auto dlg = Open([this](CPreferences& d) {
        d.m_strCachePath = Q(m_dir.Path());
        d.m_bTheseDirectories = 1;
        d.m_bAllTemp = 1;
    });
    QAbstractButton* all = Button(*dlg, "IDC_ALL_DIRECTORIES");
    QAbstractButton* these = Button(*dlg, "IDC_THESE_DIRECTORIES");
    QAbstractButton* allCache = Button(*dlg, "IDC_ALL_CACHE");
    QAbstractButton* allTemp = Button(*dlg, "IDC_ALL_TEMP");
    QAbstractButton* subdirs = Button(*dlg, "IDC_SUBDIRECTORIES");

    // A toggle flips once per click, also when it was on: no button flips itself.
    Click(allCache);
    EXPECT_TRUE(allCache->isChecked());
    EXPECT_EQ(dlg->m_bAllCache, 1);
    EXPECT_EQ(QApplication::focusWidget(), allCache);
    Click(allTemp);
    EXPECT_FALSE(allTemp->isChecked());
    EXPECT_EQ(dlg->m_bAllTemp, 0);
    Click(allTemp);
    EXPECT_TRUE(allTemp->isChecked());
    QTest::keyClick(subdirs, Qt::Key_Space);
    EXPECT_TRUE(subdirs->isChecked());
    QTest::keyClick(subdirs, Qt::Key_Space);
    EXPECT_FALSE(subdirs->isChecked());

    Click(all);
    Click(all);  // a second click leaves the mode as it is
    EXPECT_TRUE(all->isChecked());
    EXPECT_FALSE(these->isChecked());
    EXPECT_EQ(dlg->m_bAllDirectories, 1);
    EXPECT_EQ(dlg->m_bTheseDirectories, 0);
    EXPECT_EQ(QApplication::focusWidget(), all);
    for (const char* name : {"IDC_CACHE_PATH", "IDC_TEMP_PATH", "IDC_OTHER_PATH"})
        EXPECT_TRUE(Edit(*dlg, name)->isReadOnly()) << name;
    EXPECT_EQ(Edit(*dlg, "IDC_CACHE_PATH")->text(), Q(m_dir.Path()));
    for (const char* name : {"IDC_BROWSE_CACHE", "IDC_BROWSE_TEMP", "IDC_BROWSE_OTHER", "IDC_ALL_CACHE",
                             "IDC_ALL_TEMP", "IDC_ALL_OTHER"})
        EXPECT_FALSE(Button(*dlg, name)->isEnabled()) << name;
    Click(allCache);  // greyed: no flip
    EXPECT_TRUE(allCache->isChecked());
    Click(subdirs);
    EXPECT_TRUE(subdirs->isChecked()) << "Include Subdirectories stays usable";
    QTest::keyClicks(Edit(*dlg, "IDC_CACHE_PATH"), QStringLiteral("x"));
    EXPECT_EQ(Edit(*dlg, "IDC_CACHE_PATH")->text(), Q(m_dir.Path()));

    Click(these);
    EXPECT_TRUE(these->isChecked());
    EXPECT_FALSE(all->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), these);
    for (const char* name : {"IDC_CACHE_PATH", "IDC_TEMP_PATH", "IDC_OTHER_PATH"})
        EXPECT_FALSE(Edit(*dlg, name)->isReadOnly()) << name;
    for (const char* name : {"IDC_BROWSE_CACHE", "IDC_BROWSE_TEMP", "IDC_BROWSE_OTHER", "IDC_ALL_CACHE",
                             "IDC_ALL_TEMP", "IDC_ALL_OTHER"})
        EXPECT_TRUE(Button(*dlg, name)->isEnabled()) << name;
    EXPECT_TRUE(allCache->isChecked());
    EXPECT_TRUE(allTemp->isChecked());
    EXPECT_FALSE(Button(*dlg, "IDC_ALL_OTHER")->isChecked());

    Click(all);
    Click(Ctl<QPushButton>(*dlg, "IDOK"));
    EXPECT_EQ(dlg->result(), int(QDialog::Accepted));
    EXPECT_EQ(dlg->m_bAllDirectories, 1);
    EXPECT_EQ(dlg->m_bSubdirectories, 1);
    EXPECT_EQ(dlg->m_strCachePath, Q(m_dir.Path()));
}

TEST_F(PreferencesTest, AddNormalisesRefusesAndSelects)
{
    struct Case {
        const char* typed;
        const char* message;  // nullptr: added and selected
        const char* entry;    // the selected entry or, after a refusal, the field's text
    };
    const Case cases[] = {
        {"tmp", nullptr, "*.tmp"},
        {".bak", nullptr, "*.bak"},
        {"   tmp", nullptr, "*.tmp"},
        {"html", "*.html invalid", "html"},
        {"~*.tmp", nullptr, "~*.tmp"},
        {"~*.html", "~*.html invalid", "~*.html"},
        {"~ab", nullptr, "*.~ab"},
        {"", nullptr, "*."},
        {"a!b", "*.a!b invalid", "a!b"},
    };
    auto dlg = Open();
    CFileTypeCombo* combo = Combo(*dlg);
    for (const Case& c : cases) {
        combo->clear();
        m_messages.clear();
        Activate(*dlg);
        TypeAndPress(*dlg, QString::fromUtf8(c.typed), "IDC_ADD");
        if (c.message) {
            EXPECT_EQ(m_messages, QStringList{Message(QString::fromUtf8(c.message))}) << c.typed;
            EXPECT_EQ(combo->count(), 0) << c.typed;
            EXPECT_EQ(combo->Text(), QString::fromUtf8(c.entry)) << c.typed;
            continue;
        }
        EXPECT_TRUE(m_messages.isEmpty()) << c.typed;
        EXPECT_EQ(combo->Entries(), QStringList{QString::fromUtf8(c.entry)}) << c.typed;
        EXPECT_EQ(combo->Selected(), 0) << c.typed;
        EXPECT_EQ(combo->Text(), QString::fromUtf8(c.entry)) << c.typed;
        EXPECT_EQ(dlg->focusWidget(), combo) << c.typed;
        // Delete right after Add takes the entry away again.
        Click(Button(*dlg, "IDC_DELETE"));
        EXPECT_EQ(combo->count(), 0) << c.typed;
        EXPECT_EQ(combo->Text(), QString()) << c.typed;
        EXPECT_TRUE(m_messages.isEmpty()) << c.typed;
    }

    // Already used, ignoring case: the entry of the list is selected.
    combo->clear();
    TypeAndPress(*dlg, QStringLiteral("txt"), "IDC_ADD");
    TypeAndPress(*dlg, QStringLiteral("bak"), "IDC_ADD");
    m_messages.clear();
    TypeAndPress(*dlg, QStringLiteral("*.TXT"), "IDC_ADD");
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("*.TXT Already Used"))});
    EXPECT_EQ(combo->Entries(), (QStringList{QStringLiteral("*.bak"), QStringLiteral("*.txt")}));
    EXPECT_EQ(combo->Selected(), 1);
    EXPECT_EQ(combo->Text(), QStringLiteral("*.txt"));
}

TEST_F(PreferencesTest, DeleteNeedsAMatchingTextAndASelectedEntry)
{
    auto dlg = Open([](CPreferences& d) { d.m_strFileType = QStringLiteral("*.tmp!*.bak!"); });
    CFileTypeCombo* combo = Combo(*dlg);

    TypeAndPress(*dlg, QStringLiteral("*.log"), "IDC_DELETE");
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("No Items to Delete"))});
    m_messages.clear();

    // The text names an entry, but typing chose none. Afterwards the field
    // is shown again, and that selects the entry it names.
    TypeAndPress(*dlg, QStringLiteral("*.TMP"), "IDC_DELETE");
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("No Item Selected"))});
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->Selected(), 1);
    EXPECT_EQ(combo->Text(), QStringLiteral("*.tmp"));
    m_messages.clear();

    // Chosen from the drop-down list, the entry goes.
    Activate(*dlg);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
    EXPECT_EQ(combo->Selected(), 0);
    EXPECT_EQ(combo->Text(), QStringLiteral("*.bak"));
    Click(Button(*dlg, "IDC_DELETE"));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(combo->Entries(), QStringList{QStringLiteral("*.tmp")});
    EXPECT_EQ(combo->Text(), QString()) << "the chosen text was selected and is cleared";

    // Typing drops the choice again.
    combo->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->Selected(), 0);
    QTest::keyClick(combo->lineEdit(), Qt::Key_End);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(combo->Selected(), -1);
    EXPECT_EQ(combo->Text(), QStringLiteral("*.tm"));
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("p"));
    Click(Button(*dlg, "IDC_DELETE"));
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("No Item Selected"))});
    m_messages.clear();
    Click(Button(*dlg, "IDC_DELETE"));
    EXPECT_EQ(combo->count(), 0);
    EXPECT_TRUE(m_messages.isEmpty());
    TypeAndPress(*dlg, QString(), "IDC_DELETE");
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("No Items to Delete"))});
}

TEST_F(PreferencesTest, FileTypesRoundTripThroughTheStore)
{
    CSettings::Write(Setting::FileTypes, "*.tmp!*.bak");  // unterminated tail
    RunCommand([](CPreferences& dlg) {
        EXPECT_EQ(Combo(dlg)->Entries(), QStringList{QStringLiteral("*.tmp")});
        Click(Ctl<QPushButton>(dlg, "IDOK"));
        return dlg.result();
    });
    EXPECT_EQ(Stored(Setting::FileTypes), QStringLiteral("*.tmp!"));

    RunCommand([this](CPreferences& dlg) {
        TypeAndPress(dlg, QStringLiteral("bak"), "IDC_ADD");
        Click(Ctl<QPushButton>(dlg, "IDOK"));
        return dlg.result();
    });
    EXPECT_EQ(Stored(Setting::FileTypes), QStringLiteral("*.tmp!*.bak!"));

    RunCommand([](CPreferences& dlg) {
        EXPECT_EQ(Combo(dlg)->Entries(), (QStringList{QStringLiteral("*.bak"), QStringLiteral("*.tmp")}));
        Click(Ctl<QPushButton>(dlg, "IDCANCEL"));
        return dlg.result();
    });
}

TEST_F(PreferencesTest, TheDriveTreeCollectsWhatIsMarked)
{
    CSettings::Write(Setting::Drives, "C!Q!");
    RunCommand([](CPreferences& dlg) {
        CDriveTree* tree = Tree(dlg);
        EXPECT_EQ(tree->topLevelItemCount(), 3);
        const auto clickRow = [tree](int row) {
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(tree->topLevelItem(row)).center());
        };
        clickRow(0);  // C off
        clickRow(1);  // D on
        clickRow(2);  // F on
        clickRow(2);  // F off again
        Click(Ctl<QPushButton>(dlg, "IDOK"));
        return dlg.result();
    });
    EXPECT_EQ(Stored(Setting::Drives), QStringLiteral("D!")) << "Q is no drive here and drops out";
}

TEST_F(PreferencesTest, BrowsePutsThePickedFilesDirectoryIntoTheField)
{
    auto dlg = Open();
    std::vector<FileDialogRequest> requests;
    QStringList answer;
    SetFileDialogHook([&](const FileDialogRequest& r) {
        requests.push_back(r);
        return answer;
    });
    answer = {QStringLiteral("/tmp/a dir/file.txt")};
    Click(Button(*dlg, "IDC_BROWSE_TEMP"));
    EXPECT_EQ(Edit(*dlg, "IDC_TEMP_PATH")->text(), QStringLiteral("/tmp/a dir"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("Tarnowick Secure Delete"));
    EXPECT_EQ(requests[0].filter, QStringLiteral("All Files (*)"));
    EXPECT_EQ(requests[0].directory, QString());
    EXPECT_FALSE(requests[0].multiple);

    answer = {QStringLiteral("/vmlinuz")};
    Click(Button(*dlg, "IDC_BROWSE_CACHE"));
    EXPECT_EQ(Edit(*dlg, "IDC_CACHE_PATH")->text(), QStringLiteral("/"));

    // Typed elsewhere and not yet read: survives the browse.
    Type(Edit(*dlg, "IDC_CACHE_PATH"), QStringLiteral("/typed"));
    answer = {QStringLiteral("/srv/x")};
    Click(Button(*dlg, "IDC_BROWSE_OTHER"));
    EXPECT_EQ(Edit(*dlg, "IDC_OTHER_PATH")->text(), QStringLiteral("/srv"));
    EXPECT_EQ(Edit(*dlg, "IDC_CACHE_PATH")->text(), QStringLiteral("/typed"));

    answer = {};  // cancelled
    Click(Button(*dlg, "IDC_BROWSE_OTHER"));
    EXPECT_EQ(Edit(*dlg, "IDC_OTHER_PATH")->text(), QStringLiteral("/srv"));
    EXPECT_EQ(requests.size(), 4u);
}

TEST_F(PreferencesTest, EveryControlCarriesTheHelpOfItsTopic)
{
    auto dlg = Open();
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowContextHelpButtonHint);
    const std::pair<int, int> table[] = {
        {1007, 1007}, {1, 1}, {2, 2}, {1025, 1025}, {1027, 1027}, {1026, 1026}, {1008, 1008}, {1012, 1012},
        {1010, 1010}, {1036, 1036}, {1011, 1011}, {1009, 1009}, {1019, 1019}, {1020, 1020}, {1021, 1021},
        {1014, 1014}, {1024, 1024}, {1028, 1025}, {1047, 1014}, {1013, 1014}, {1038, 1024}, {1039, 1036},
    };
    for (const auto& [control, topic] : table) {
        QWidget* w = dlg->Control(control);
        ASSERT_NE(w, nullptr) << control;
        EXPECT_EQ(w->whatsThis(), HelpText(HelpId(kPreferencesDialogId, topic))) << control;
        // A group box tells what its controls tell.
        EXPECT_EQ(w->whatsThis(), dlg->Control(topic)->whatsThis()) << control;
    }
    EXPECT_EQ(dlg->Control(1028)->property("controlId"), QVariant(1028));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg->Control(1028))->title(), QStringLiteral("All Files"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg->Control(1047))->title(), QStringLiteral("Search in"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg->Control(1038))->title(), QStringLiteral("File Types"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg->Control(1039))->title(), QStringLiteral("Drives To Scan"));
}

TEST_F(PreferencesTest, F1OnAControlPopsUpTheHelpOfItsTopic)
{
    const QString expected = HelpText(HelpId(kPreferencesDialogId, CPreferences::IDC_FILE_TYPE));
    ASSERT_FALSE(expected.isEmpty()) << "the manual has a topic for the file types";
    RunCommand([&](CPreferences& dlg) {
        // The field of the combo box has the focus, not the combo box itself.
        Combo(dlg)->lineEdit()->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QWidget* popup = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && QLatin1String(w->metaObject()->className()) == QLatin1String("QWhatsThat"))
                    popup = w;
            return popup != nullptr;
        }));
        if (popup)
            popup->close();
        EXPECT_EQ(Combo(dlg)->whatsThis(), expected);

        // Shift+F1 stands in for a title bar without a help button.
        Activate(dlg);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, Qt::ShiftModifier);
        EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
        QWhatsThis::leaveWhatsThisMode();
        Click(Ctl<QPushButton>(dlg, "IDCANCEL"));
        return dlg.result();
    });
}

namespace {

// A click as a person makes it: the press, everything the press set off,
// then the release. A fast click has nothing in between.
void SlowClick(QWidget* w)
{
    const QPoint at = w->rect().center();
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    Settle();
    Settle();
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    Settle();
}
void FastClick(QWidget* w)
{
    const QPoint at = w->rect().center();
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    Settle();
}

} // namespace

// A configured path that no longer exists, with "All Directories" on: the
// read-only field never traps the focus; every control can be reached by
// Tab and by clicks; OK refuses with the path named; Cancel always leaves.
TEST_F(PreferencesTest, APathThatIsGoneNeverTrapsTheUser)
{
    const std::string gone = m_dir / "gone";
    CSettings::Write(Setting::OtherPath, gone);
    CSettings::WriteBool(Setting::All, true);
    const std::string before = test::ReadFile(CSettings::FilePath());

    RunCommand([&](CPreferences& dlg) {
        QLineEdit* other = Edit(dlg, "IDC_OTHER_PATH");
        EXPECT_TRUE(other->isReadOnly());
        // Tab through every control from the first: no message, and the
        // focus moves on each time.
        other->setFocus(Qt::MouseFocusReason);
        Settle();
        QWidget* previous = QApplication::focusWidget();
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            Settle();
            EXPECT_NE(QApplication::focusWidget(), previous) << "Tab " << i;
            previous = QApplication::focusWidget();
        }
        // Clicks on the combo box and the mode switch do what they do.
        other->setFocus(Qt::MouseFocusReason);
        SlowClick(Combo(dlg)->lineEdit());
        EXPECT_TRUE(QApplication::focusWidget() == Combo(dlg) || Combo(dlg)->isAncestorOf(QApplication::focusWidget()));
        other->setFocus(Qt::MouseFocusReason);
        SlowClick(Button(dlg, "IDC_THESE_DIRECTORIES"));
        EXPECT_TRUE(Button(dlg, "IDC_THESE_DIRECTORIES")->isChecked());
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
        SlowClick(Button(dlg, "IDC_ALL_DIRECTORIES"));
        EXPECT_TRUE(Button(dlg, "IDC_ALL_DIRECTORIES")->isChecked());
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();

        // OK refuses, and says which path.
        other->setFocus(Qt::MouseFocusReason);
        SlowClick(Ctl<QPushButton>(dlg, "IDOK"));
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("Path: ") + Q(gone) + QStringLiteral(" Does Not Exist"))});
        m_messages.clear();

        // Cancel from the field leaves at once, without a word.
        other->setFocus(Qt::MouseFocusReason);
        SlowClick(Ctl<QPushButton>(dlg, "IDCANCEL"));
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
        return dlg.result();
    });
    EXPECT_EQ(test::ReadFile(CSettings::FilePath()), before) << "Cancel wrote to the store";

    // With the field writable: leaving it by a click reports it once the
    // click is over, whether the click was fast or slow; the click itself
    // is never lost, and Cancel still leaves without a word.
    CSettings::WriteBool(Setting::All, false);
    for (const auto click : {&SlowClick, &FastClick}) {
        RunCommand([&](CPreferences& dlg) {
            QLineEdit* other = Edit(dlg, "IDC_OTHER_PATH");
            QAbstractButton* subdirs = Button(dlg, "IDC_SUBDIRECTORIES");
            const bool wasOn = subdirs->isChecked();
            m_messages.clear();
            other->setFocus(Qt::MouseFocusReason);
            Settle();
            click(subdirs);
            Settle();
            EXPECT_NE(subdirs->isChecked(), wasOn) << "the click was lost";
            EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("Path: ") + Q(gone) + QStringLiteral(" Does Not Exist"))});
            EXPECT_EQ(dlg.focusWidget(), other);
            m_messages.clear();
            click(Ctl<QPushButton>(dlg, "IDCANCEL"));
            EXPECT_FALSE(dlg.isVisible());
            EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
            return dlg.result();
        });
    }
}

// A relative path means the same whatever directory the program was
// started in: it is taken inside the home directory, and stored so.
TEST_F(PreferencesTest, RelativePathsAreMadeAbsoluteAgainstTheHomeDirectory)
{
    const std::string home = m_dir / "home";
    ASSERT_EQ(::mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((home + "/cache").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((home + "/temp").c_str(), 0700), 0);
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home));
    RunCommand([&](CPreferences& dlg) {
        QLineEdit* cache = Edit(dlg, "IDC_CACHE_PATH");
        Type(cache, QStringLiteral("cache"));
        QTest::keyClick(cache, Qt::Key_Tab);
        Settle();
        EXPECT_EQ(cache->text(), Q(home + "/cache")) << "checked, and shown as checked";
        Type(Edit(dlg, "IDC_TEMP_PATH"), QStringLiteral("~/temp"));
        Type(Edit(dlg, "IDC_OTHER_PATH"), QStringLiteral("missing"));
        Click(Ctl<QPushButton>(dlg, "IDOK"));
        Settle();
        EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("Path: ") + Q(home + "/missing") + QStringLiteral(" Does Not Exist"))});
        Type(Edit(dlg, "IDC_OTHER_PATH"), QString());
        Click(Ctl<QPushButton>(dlg, "IDOK"));
        Settle();
        return dlg.result();
    });
    qputenv("HOME", oldHome);
    EXPECT_EQ(CSettings::Read(Setting::InternetCachePath), home + "/cache");
    EXPECT_EQ(CSettings::Read(Setting::TemporaryPath), home + "/temp");
    EXPECT_EQ(CSettings::Read(Setting::OtherPath), "");
}

// A stored path that is not UTF-8 passes the check as the directory it
// names and comes back from OK byte for byte, never as a look-alike.
TEST_F(PreferencesTest, APathThatIsNotUtf8SurvivesOkUnchanged)
{
    const std::string exact = m_dir / "caf\xE9";
    const std::string lookAlike = m_dir / "caf\xEF\xBF\xBD";  // what the field shows: U+FFFD
    ASSERT_EQ(::mkdir(exact.c_str(), 0700), 0);
    CSettings::Write(Setting::OtherPath, exact);
    RunCommand([&](CPreferences& dlg) {
        QLineEdit* other = Edit(dlg, "IDC_OTHER_PATH");
        EXPECT_EQ(other->text(), Q(lookAlike));
        other->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(other, Qt::Key_Tab);
        Settle();
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
        Click(Ctl<QPushButton>(dlg, "IDOK"));
        Settle();
        return dlg.result();
    });
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
    EXPECT_EQ(CSettings::Read(Setting::OtherPath), exact);
}

// "*" becomes "*.*", which matches every file: it is added only after a
// question, which the user can answer No. Other types ask nothing.
TEST_F(PreferencesTest, ATypeThatMatchesEveryFileIsAddedOnlyWhenConfirmed)
{
    auto dlg = Open();
    CFileTypeCombo* combo = Combo(*dlg);
    const QString question = QStringLiteral(
        "Tarnowick Parameters|*.* matches every file, whatever its name. A sweep with it destroys every file in its "
        "location, and with All Directories every file on the marked drives.\n\nAdd *.*?");
    m_questionAnswer = QMessageBox::No;
    TypeAndPress(*dlg, QStringLiteral("*"), "IDC_ADD");
    EXPECT_EQ(m_messages, QStringList{question});
    EXPECT_EQ(combo->count(), 0) << "answered No: nothing added";

    m_messages.clear();
    TypeAndPress(*dlg, QStringLiteral("tmp"), "IDC_ADD");
    EXPECT_TRUE(m_messages.isEmpty()) << "a type that matches some files asks nothing";

    m_questionAnswer = QMessageBox::Yes;
    TypeAndPress(*dlg, QStringLiteral("*.*"), "IDC_ADD");
    EXPECT_EQ(m_messages, QStringList{question}) << "asked once";
    EXPECT_EQ(combo->Entries(), (QStringList{QStringLiteral("*.*"), QStringLiteral("*.tmp")}));

    // Already in the list: refused as ever, without the question.
    m_messages.clear();
    TypeAndPress(*dlg, QStringLiteral("*"), "IDC_ADD");
    EXPECT_EQ(m_messages, QStringList{Message(QStringLiteral("*.* Already Used"))});
}
