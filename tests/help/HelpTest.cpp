// SPDX-License-Identifier: GPL-3.0-or-later
// The help: the manual is whole and its links lead somewhere, every command
// and every control with a help identifier finds its text, the help window
// opens at the right topic from Help > "Index", F1, What's This and its
// pop-up links, theme icons replace the program's own pictures only where
// the theme has them, and an install carries the desktop files and the
// manual in a form the desktop's validators accept.
#include "help/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "app/CommandTable.h"
#include "help/HelpContent.h"
#include "help/HelpManual.h"
#include "app/ModalSeam.h"
#include "app/ThemeIcons.h"
#include "disk/CDiskError.h"
#include "prefs/CDriveTree.h"
#include "prefs/CSelectDrives.h"
#include "sweep/CProgressBox.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QProgressBar>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace tw {
namespace {

using test::TempDir;

constexpr int kPrefs = kPreferencesDialogId;

QString PageText(const QString& file)
{
    QFile f(QStringLiteral(":/help/") + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Every link of `html` that points into the manual, as "file#anchor" or "file".
QStringList ManualLinks(const QString& html)
{
    static const QRegularExpression href(QStringLiteral(R"re(href="([^"]+)")re"));
    QStringList links;
    for (auto it = href.globalMatch(html); it.hasNext();) {
        const QString link = it.next().captured(1);
        if (!link.contains(QLatin1String("://")))
            links << link;
    }
    return links;
}

// True when `link` (relative to `page`) names an existing page and topic.
bool LinkResolves(const QString& page, const QString& link)
{
    const HelpManual& manual = HelpManual::Get();
    const qsizetype hash = link.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? link : (hash == 0 ? page : link.left(hash));
    const QString anchor = hash < 0 ? QString() : link.mid(hash + 1);
    bool pageFound = false;
    for (const HelpPage& p : manual.Pages())
        pageFound = pageFound || p.file == file;
    if (!pageFound)
        return false;
    if (anchor.isEmpty())
        return true;
    const HelpTopic* topic = manual.Topic(anchor);
    return topic && topic->file == file;
}

TEST(HelpManualTest, EveryPageIsReadAndEveryLinkLeadsToATopic)
{
    const HelpManual& manual = HelpManual::Get();
    EXPECT_TRUE(manual.Problems().isEmpty()) << manual.Problems().join(QStringLiteral("; ")).toStdString();
    ASSERT_GE(manual.Pages().size(), 12u);
    EXPECT_EQ(manual.Pages().front().file, QStringLiteral("index.html"));
    for (const HelpPage& page : manual.Pages()) {
        EXPECT_FALSE(page.title.isEmpty()) << page.file.toStdString();
        EXPECT_FALSE(page.anchors.empty()) << page.file.toStdString();
        for (const QString& link : ManualLinks(PageText(page.file)))
            EXPECT_TRUE(LinkResolves(page.file, link)) << page.file.toStdString() << " links to " << link.toStdString();
    }
}

TEST(HelpManualTest, EveryCommandHasItsTopic)
{
    for (const CommandInfo& command : CommandTable()) {
        const QString text = CommandHelpText(command.id);
        EXPECT_FALSE(text.isEmpty()) << "command " << command.id;
        EXPECT_NE(HelpManual::Get().Topic(CommandHelpAnchor(command.id)), nullptr) << "command " << command.id;
    }
    // The commands that no menu shows have a topic too.
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO,
                   ID_NEXT_PANE, ID_PREV_PANE})
        EXPECT_FALSE(CommandHelpText(id).isEmpty()) << "command " << id;
    EXPECT_TRUE(CommandHelpText(12345).isEmpty());
    // Each command of the menus has a topic of its own.
    QStringList anchors;
    for (const MenuInfo& menu : MenuTable())
        for (int id : menu.items)
            if (id != 0)
                anchors << CommandHelpAnchor(id);
    EXPECT_EQ(anchors.removeDuplicates(), 0);
}

TEST(HelpManualTest, EveryPreferencesControlFindsItsText)
{
    const int own[] = {1007, 1, 2, 1025, 1027, 1026, 1008, 1012, 1010, 1036, 1011, 1009, 1019, 1020, 1021, 1014, 1024};
    QStringList texts;
    for (int control : own) {
        const QString text = HelpText(HelpId(kPrefs, control));
        EXPECT_FALSE(text.isEmpty()) << "control " << control;
        texts << text;
    }
    // Controls with their own identifier have their own text.
    EXPECT_EQ(texts.removeDuplicates(), 0);
    // Group boxes and "These Directories only" show the text of what they frame.
    const std::pair<int, int> mapped[] = {{1028, 1025}, {1047, 1014}, {1013, 1014}, {1038, 1024}, {1039, 1036}};
    for (const auto& [control, topic] : mapped) {
        EXPECT_FALSE(HelpText(HelpId(kPrefs, control)).isEmpty()) << "control " << control;
        EXPECT_EQ(HelpText(HelpId(kPrefs, control)), HelpText(HelpId(kPrefs, topic))) << "control " << control;
    }
    EXPECT_TRUE(HelpText(HelpId(kPrefs, 1045)).isEmpty());  // the product name is decoration
    EXPECT_TRUE(HelpText(0x80830000u + 9999).isEmpty());
}

TEST(HelpManualTest, TheControlsOfTheOtherDialogsFindTheirTexts)
{
    const std::pair<int, int> controls[] = {
        {kConfirmDialogId, 1004}, {kConfirmDialogId, IDC_YES}, {kConfirmDialogId, IDC_YES_TO_ALL},
        {kConfirmDialogId, IDC_NO}, {kConfirmDialogId, IDCANCEL},
        {kFileErrorDialogId, 1051}, {kFileErrorDialogId, 1050}, {kFileErrorDialogId, IDC_IGNORE},
        {kFileErrorDialogId, IDC_CANCEL_OPERATION},
        {kProgressBoxId, 1043}, {kProgressBoxId, 1052},
        {kSelectDrivesDialogId, 1055}, {kSelectDrivesDialogId, IDOK}, {kSelectDrivesDialogId, IDCANCEL},
        {kDiskErrorDialogId, 1057}, {kDiskErrorDialogId, IDC_IGNORE}, {kDiskErrorDialogId, IDC_CANCEL_OPERATION},
        {kWorkingDialogId, 1061}, {kAboutDialogId, IDOK},
    };
    for (const auto& [dialog, control] : controls)
        EXPECT_FALSE(HelpText(HelpId(dialog, control)).isEmpty()) << dialog << "/" << control;
}

TEST(HelpManualTest, ContextTextsAreTheManualsSectionsAndTheirLinksLeadThere)
{
    const HelpTopic* topic = HelpManual::Get().Topic(QStringLiteral("pref-subdirectories"));
    ASSERT_NE(topic, nullptr);
    const QString text = HelpText(HelpId(kPrefs, 1021));
    EXPECT_TRUE(text.contains(topic->body));
    EXPECT_TRUE(text.contains(QStringLiteral("Include Subdirectories")));
    // The section ends at the next heading: the pop-up does not run on into
    // the next control's text.
    EXPECT_FALSE(text.contains(QStringLiteral("The file-type list")));
    // Links in pop-ups leave their page: same-page links are made absolute.
    for (const CommandInfo& command : CommandTable())
        for (const QString& link : ManualLinks(CommandHelpText(command.id))) {
            EXPECT_FALSE(link.startsWith(QLatin1Char('#'))) << link.toStdString();
            EXPECT_TRUE(LinkResolves(QString(), link)) << link.toStdString();
        }
}

TEST(HelpManualTest, TheSettingsPageNamesEveryValueAndTheFile)
{
    const QString page = PageText(QStringLiteral("settings.html"));
    for (const SettingInfo& info : SettingTable())
        EXPECT_TRUE(page.contains(QStringLiteral("<td>%1</td>").arg(QString::fromLatin1(info.name))))
            << info.name;
    const QString file = QString::fromStdString(CSettings::FilePath());
    const QString tail = QStringLiteral("Halmere/Tarnowick.conf");
    EXPECT_TRUE(file.endsWith(tail)) << file.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("~/.config/") + tail));
    EXPECT_TRUE(page.contains(QStringLiteral("[Drive Letters]")));
}

// --- The help window ---------------------------------------------------

class HelpWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetModalHook(nullptr);
        SetFileDialogHook(nullptr);
        if (QWhatsThis::inWhatsThisMode())
            QWhatsThis::leaveWhatsThisMode();
        QWhatsThis::hideText();
        delete CHelpWindow::Current();
    }
};

TEST_F(HelpWindowTest, OpensAtATopicWithItsContentsEntryChosen)
{
    CHelpWindow* window = CHelpWindow::Open(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tarnowick Help"));
    EXPECT_EQ(window->Browser()->source().fileName(), QStringLiteral("index.html"));
    EXPECT_GE(window->Contents()->topLevelItemCount(), 12);

    window->ShowTopic(QStringLiteral("pref-drives"));
    EXPECT_EQ(window->Browser()->source().fileName(), QStringLiteral("preferences.html"));
    EXPECT_EQ(window->CurrentAnchor(), QStringLiteral("pref-drives"));
    ASSERT_NE(window->Contents()->currentItem(), nullptr);
    EXPECT_EQ(window->Contents()->currentItem()->text(0), QStringLiteral("The drive list"));
    // The topic is at the end of a long page: the browser has scrolled to it.
    EXPECT_GT(window->Browser()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(window->Browser()->toPlainText().contains(QStringLiteral("Drives To Scan")));

    // Choosing an entry of the contents shows its topic.
    QTreeWidgetItem* limits = nullptr;
    for (int i = 0; i < window->Contents()->topLevelItemCount(); ++i)
        if (window->Contents()->topLevelItem(i)->text(0) == QStringLiteral("What overwriting cannot reach"))
            limits = window->Contents()->topLevelItem(i);
    ASSERT_NE(limits, nullptr);
    window->Contents()->setCurrentItem(limits);
    EXPECT_EQ(window->Browser()->source().fileName(), QStringLiteral("limits.html"));
    EXPECT_TRUE(window->Browser()->toPlainText().contains(QStringLiteral("btrfs")));

    window->ShowTopic(QStringLiteral("no-such-topic"));
    EXPECT_EQ(window->Browser()->source().fileName(), QStringLiteral("index.html"));
    // One help window for the program.
    EXPECT_EQ(CHelpWindow::Open(nullptr), window);
}

TEST_F(HelpWindowTest, TheWindowsCommandsCarryTheirHelpAndOpenTheWindow)
{
    CMainFrame frame(std::make_unique<test::FakeDriveTable>());
    frame.show();
    for (const CommandInfo& command : CommandTable()) {
        QAction* action = frame.Action(command.id);
        ASSERT_NE(action, nullptr) << command.id;
        EXPECT_EQ(action->whatsThis(), CommandHelpText(command.id)) << command.id;
        if (QWidget* button = frame.ToolBar()->widgetForAction(action)) {
            EXPECT_EQ(button->whatsThis(), CommandHelpText(command.id)) << command.id;
        }
    }

    frame.OnCommand(ID_HELP_FINDER);
    ASSERT_NE(CHelpWindow::Current(), nullptr);
    EXPECT_TRUE(CHelpWindow::Current()->isVisible());
    EXPECT_EQ(CHelpWindow::Current()->Browser()->source().fileName(), QStringLiteral("index.html"));

    frame.OnCommand(ID_HELP);  // F1 in the main window
    EXPECT_EQ(CHelpWindow::Current()->CurrentAnchor(), QStringLiteral("window"));
}

TEST_F(HelpWindowTest, ContextHelpModeShowsAButtonsHelpInsteadOfRunningIt)
{
    CMainFrame frame(std::make_unique<test::FakeDriveTable>());
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    int fileDialogs = 0;
    SetFileDialogHook([&](const FileDialogRequest&) {
        ++fileDialogs;
        return QStringList();
    });

    frame.OnCommand(ID_CONTEXT_HELP);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWidget* button = frame.ToolBar()->widgetForAction(frame.Action(ID_SECURE_DELETE_FILE));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    EXPECT_EQ(fileDialogs, 0);  // the command did not run
    QWidget* popup = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && QByteArray(w->metaObject()->className()) == "QWhatsThat")
            popup = w;
    EXPECT_NE(popup, nullptr);

    // Without the mode, the same click runs the command.
    QWhatsThis::hideText();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(fileDialogs, 1);
}

TEST_F(HelpWindowTest, AFollowedPopUpLinkOpensThatTopic)
{
    CMainFrame frame(std::make_unique<test::FakeDriveTable>());
    QWidget* button = frame.ToolBar()->widgetForAction(frame.Action(ID_SECURE_DELETE_CACHE));
    ASSERT_NE(button, nullptr);
    QWhatsThisClickedEvent click(QStringLiteral("sweeps.html#cmd-delete-cache"));
    QApplication::sendEvent(button, &click);
    ASSERT_NE(CHelpWindow::Current(), nullptr);
    EXPECT_EQ(CHelpWindow::Current()->Browser()->source().fileName(), QStringLiteral("sweeps.html"));
    EXPECT_EQ(CHelpWindow::Current()->CurrentAnchor(), QStringLiteral("cmd-delete-cache"));
}

// A dialog like the preferences: a field with its help text, one without.
struct PreferencesLike {
    QDialog dialog;
    QLineEdit* temp;
    QPushButton* plain;
    explicit PreferencesLike(QWidget* parent) : dialog(parent)
    {
        dialog.setWindowTitle(QStringLiteral("Tarnowick Preferences"));
        auto* layout = new QVBoxLayout(&dialog);
        temp = new QLineEdit(&dialog);
        temp->setWhatsThis(HelpText(HelpId(kPrefs, 1009)));
        plain = new QPushButton(QStringLiteral("Plain"), &dialog);
        layout->addWidget(temp);
        layout->addWidget(plain);
    }
};

TEST_F(HelpWindowTest, F1InADialogOpensTheFocusedControlsTopicBesideIt)
{
    CMainFrame frame(std::make_unique<test::FakeDriveTable>());
    frame.show();
    PreferencesLike prefs(&frame);
    QString firstAnchor, secondAnchor;
    QWidget* helpParent = nullptr;
    SetModalHook([&](QDialog& dialog) {
        dialog.activateWindow();
        prefs.temp->setFocus();
        QTest::keyClick(prefs.temp, Qt::Key_F1);
        if (CHelpWindow::Current()) {
            firstAnchor = CHelpWindow::Current()->CurrentAnchor();
            helpParent = CHelpWindow::Current()->parentWidget();
        } else {
            helpParent = &dialog;
        }
        prefs.plain->setFocus();
        QTest::keyClick(prefs.plain, Qt::Key_F1);
        if (CHelpWindow::Current())
            secondAnchor = CHelpWindow::Current()->CurrentAnchor();
        return int(QDialog::Rejected);
    });
    RunModal(prefs.dialog);
    EXPECT_EQ(firstAnchor, QStringLiteral("pref-temp-path"));
    // A control without help: the dialog's topic.
    EXPECT_EQ(secondAnchor, QStringLiteral("cmd-preferences"));
    // A window of its own: it stays when the dialog closes, and the dialog
    // is modal to the window it came from only, so the help takes input.
    EXPECT_EQ(helpParent, nullptr);
    EXPECT_EQ(prefs.dialog.windowModality(), Qt::WindowModal);
    ASSERT_NE(CHelpWindow::Current(), nullptr);
    EXPECT_TRUE(CHelpWindow::Current()->isVisible());
}

// F1 on a control of each of the command's dialogs opens the help window at
// that control's topic, Shift+F1 starts What's This there, and the help
// window outlives the dialog and closes with Escape or Ctrl+W.
TEST_F(HelpWindowTest, F1OnAControlOfEveryDialogShowsItsTopic)
{
    test::FakeDriveTable drives;
    drives.roots['C'] = "/";
    CConfirm confirm;
    CFileError fileError;
    CDiskError diskError;
    CSelectDrives selectDrives(drives, nullptr);
    CProgressBox progress;
    struct Case {
        QWidget* dialog;
        QWidget* control;
        const char* anchor;
    };
    const Case cases[] = {
        {&confirm, confirm.m_btnYes, "confirm-yes"},
        {&confirm, confirm.m_editFile, "confirm-file"},
        {&confirm, confirm.m_btnCancel, "confirm-cancel"},
        {&fileError, fileError.m_btnIgnore, "file-error-ignore"},
        {&fileError, fileError.m_editMessage, "file-error-message"},
        {&diskError, diskError.m_btnCancelOperation, "disk-error-cancel"},
        {&selectDrives, selectDrives.m_treeDrives, "select-drives-tree"},
        {&selectDrives, selectDrives.m_buttons->button(QDialogButtonBox::Ok), "select-drives-ok"},
        {&progress, progress.m_editText, "progress-text"},
    };
    for (const Case& c : cases) {
        c.dialog->show();
        c.dialog->activateWindow();
        QApplication::setActiveWindow(c.dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.dialog));
        c.control->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), c.control) << c.anchor;
        EXPECT_TRUE(c.control->whatsThis().contains(QLatin1String(c.anchor))) << c.anchor;
        QTest::keyClick(c.control, Qt::Key_F1);
        ASSERT_NE(CHelpWindow::Current(), nullptr) << c.anchor;
        EXPECT_EQ(CHelpWindow::Current()->CurrentAnchor(), QLatin1String(c.anchor));
        EXPECT_EQ(CHelpWindow::Current()->parentWidget(), nullptr) << "a window of its own";

        c.dialog->activateWindow();
        QApplication::setActiveWindow(c.dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.dialog));
        c.control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(c.control, Qt::Key_F1, Qt::ShiftModifier);
        EXPECT_TRUE(QWhatsThis::inWhatsThisMode()) << c.anchor;
        QWhatsThis::leaveWhatsThisMode();
        c.dialog->hide();
    }
    // The progress bar has its topic for What's This too.
    EXPECT_TRUE(progress.m_pProgress->whatsThis().contains(QLatin1String("progress-bar")));

    // The window stays when the dialogs are gone, and Escape or Ctrl+W closes it.
    CHelpWindow* window = CHelpWindow::Current();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        window = CHelpWindow::Open(nullptr);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window->Browser(), key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(CHelpWindow::Current(), nullptr) << key.toString().toStdString();
    }
}

TEST(ThemeIconsTest, TheThemesIconsReplaceOursOnlyWhereTheThemeHasThem)
{
    TempDir icons;
    const std::string theme = icons / "testtheme";
    ASSERT_EQ(test::RunCommand("mkdir -p '" + theme + "/16x16/actions'"), 0);
    test::WriteFile(theme + "/index.theme",
                    "[Icon Theme]\nName=testtheme\nDirectories=16x16/actions\n\n"
                    "[16x16/actions]\nSize=16\nType=Fixed\n");
    QPixmap red(16, 16);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(theme + "/16x16/actions/edit-delete.png")));
    ASSERT_TRUE(red.save(QString::fromStdString(theme + "/16x16/actions/help-contents.png")));

    const QStringList oldPaths = QIcon::themeSearchPaths();
    const QString oldName = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(icons.Path())});
    QIcon::setThemeName(QStringLiteral("testtheme"));

    QWidget window;
    QPixmap own(16, 18);
    own.fill(Qt::blue);
    std::map<int, QAction*> actions;
    for (int id : {int(ID_SECURE_DELETE_FILE), int(ID_HELP_FINDER), int(ID_OVERCOMMIT_SWAPFILE), int(ID_APP_EXIT)}) {
        auto* action = new QAction(&window);
        action->setData(id);
        action->setIcon(QIcon(own));
        window.addAction(action);
        actions[id] = action;
    }
    const qint64 ownKey = actions[ID_OVERCOMMIT_SWAPFILE]->icon().cacheKey();
    const qint64 exitKey = actions[ID_APP_EXIT]->icon().cacheKey();

    EXPECT_EQ(ApplyThemeIcons(&window), 2);
    EXPECT_EQ(actions[ID_SECURE_DELETE_FILE]->icon().name(), QStringLiteral("edit-delete"));
    EXPECT_EQ(actions[ID_HELP_FINDER]->icon().name(), QStringLiteral("help-contents"));
    // No fitting icon in the theme: the program's own picture stays.
    EXPECT_EQ(actions[ID_OVERCOMMIT_SWAPFILE]->icon().cacheKey(), ownKey);
    EXPECT_EQ(actions[ID_APP_EXIT]->icon().cacheKey(), exitKey);

    QIcon::setThemeName(oldName);
    QIcon::setThemeSearchPaths(oldPaths);
}

// --- Desktop files and the install ---------------------------------------

std::string SourcePath(const std::string& relative) { return std::string(TARNOWICK_SOURCE_DIR) + "/" + relative; }

bool HaveTool(const char* name)
{
    return test::RunCommand(std::string("command -v ") + name + " >/dev/null 2>&1") == 0;
}

// Width and height from a PNG header.
std::pair<int, int> PngSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (!in || header[1] != 'P' || header[2] != 'N' || header[3] != 'G')
        return {0, 0};
    auto be = [&](int at) { return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3]; };
    return {be(16), be(20)};
}

TEST(DesktopFilesTest, TheDesktopEntryValidates)
{
    if (!HaveTool("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate is missing (Debian package desktop-file-utils)";
    EXPECT_EQ(test::RunCommand("desktop-file-validate '" + SourcePath("res/com.halmere.tarnowick.desktop") + "'"), 0);
}

TEST(DesktopFilesTest, TheMetainfoValidates)
{
    if (!HaveTool("appstreamcli"))
        GTEST_SKIP() << "appstreamcli is missing (Debian package appstream)";
    EXPECT_EQ(test::RunCommand("appstreamcli validate --no-net '" +
                               SourcePath("res/com.halmere.tarnowick.metainfo.xml") + "'"),
              0);
}

TEST(DesktopFilesTest, AnInstallCarriesTheProgramTheDesktopFilesIconsAndManual)
{
    TempDir prefix;
    const std::string command = std::string("'") + TARNOWICK_CMAKE + "' --install '" + TARNOWICK_BINARY_DIR +
                                "' --prefix '" + prefix.Path() + "' >/dev/null";
    ASSERT_EQ(test::RunCommand(command), 0) << command;

    const std::string share = prefix / "share";
    for (const std::string& file : {prefix / "bin/tarnowick", share + "/applications/com.halmere.tarnowick.desktop",
                                    share + "/metainfo/com.halmere.tarnowick.metainfo.xml",
                                    share + "/icons/hicolor/scalable/apps/com.halmere.tarnowick.svg"})
        EXPECT_TRUE(test::Exists(file)) << file;
    for (int size : {16, 32, 48}) {
        const std::string icon = share + "/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                                 "/apps/com.halmere.tarnowick.png";
        EXPECT_EQ(PngSize(icon), std::make_pair(size, size)) << icon;
    }
    for (const HelpPage& page : HelpManual::Get().Pages()) {
        const std::string installed = share + "/doc/tarnowick/help/" + page.file.toStdString();
        ASSERT_TRUE(test::Exists(installed)) << installed;
        EXPECT_EQ(QString::fromStdString(test::ReadFile(installed)), PageText(page.file)) << installed;
    }
    if (HaveTool("desktop-file-validate")) {
        EXPECT_EQ(test::RunCommand("desktop-file-validate '" + share + "/applications/com.halmere.tarnowick.desktop'"), 0);
    }
    // The entry starts the installed program by the name the icon theme knows.
    const std::string entry = test::ReadFile(share + "/applications/com.halmere.tarnowick.desktop");
    EXPECT_NE(entry.find("\nExec=tarnowick\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=com.halmere.tarnowick\n"), std::string::npos);
}

} // namespace
} // namespace tw
