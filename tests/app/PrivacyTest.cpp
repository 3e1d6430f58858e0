// SPDX-License-Identifier: GPL-3.0-or-later
// The record lives in memory only. After a session that destroyed files
// through the real file dialogs, a sweep and a preview, and saved a report
// where the user chose, no file the program wrote by itself in the settings
// or the home directory holds the name of a destroyed file.
#include "app/CMainFrame.h"
#include "wipe/COpenFileDialog.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "prefs/Settings.h"
#include "sweep/CPreviewWindow.h"
#include "tests/TestSupport.h"
#include "wipe/CConfirm.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

namespace fs = std::filesystem;

// Every file below `root` (links not followed) whose name or contents hold
// one of `needles`.
std::vector<std::string> FilesNaming(const std::string& root, const std::vector<std::string>& needles)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const std::string path = it->path().string();
        for (const std::string& needle : needles) {
            if (it->path().filename().string().find(needle) != std::string::npos)
                found.push_back(path + " (its name)");
            else if (it->is_regular_file(ec) && !it->is_symlink(ec) && FileContains(path, needle))
                found.push_back(path + " holds " + needle);
        }
    }
    return found;
}

// Answers the real save dialog as a user would type into it (`save`); the
// open dialog is answered through the modal hook with `open`.
class DialogTyper : public QObject {
public:
    QString open, save;
    int typed = 0;
    DialogTyper()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Type(); });
        m_timer.start();
    }

private:
    void Type()
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit)
            return;
        edit->setText(dialog->acceptMode() == QFileDialog::AcceptSave ? save : open);
        ++typed;
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as the button does
    }
    QTimer m_timer;
};

} // namespace

TEST(PrivacyTest, NothingTheProgramWritesByItselfNamesADestroyedFile)
{
    TempDir home, work, reports;
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    setenv("XDG_STATE_HOME", (home / ".local/state").c_str(), 1);
    ClearSettings();

    const std::string picked = "secret-alpha-7f3k.txt", kept = "secret-delta-1x5v.txt";
    const std::vector<std::string> swept = {"secret-beta-9q2z.tmp", "secret-gamma-4m8w.tmp"};
    WriteFile(work / picked, "picked and destroyed");
    WriteFile(work / kept, "picked and kept");
    mkdir((work / "sweep").c_str(), 0755);
    for (const std::string& name : swept)
        WriteFile(work / ("sweep/" + name), "swept");
    const std::vector<std::string> names = {picked, kept, swept[0], swept[1]};

    CSettings::Write(Setting::TemporaryPath, work / "sweep");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::WriteBool(Setting::Counter, true);
    {
        auto drives = std::make_unique<FakeDriveTable>();
        drives->roots['C'] = "/";
        CMainFrame frame(std::move(drives));
        frame.show();
        std::deque<int> confirmAnswers = {IDC_YES, IDC_NO};
        DialogTyper typer;
        // The open dialog starts where the last one ended; the names are
        // typed as a user types them there.
        CSettings::Write(Setting::InitialDirectory, work.Path());
        typer.open = QStringLiteral("\"%1\" \"%2\"").arg(QString::fromStdString(picked), QString::fromStdString(kept));
        typer.save = QString::fromStdString(reports / "session.json");
        SetModalHook([&](QDialog& d) {
            if (qobject_cast<CConfirm*>(&d)) {
                const int answer = confirmAnswers.empty() ? int(IDCANCEL) : confirmAnswers.front();
                if (!confirmAnswers.empty())
                    confirmAnswers.pop_front();
                return answer;
            }
            // The open dialog is the program's own: the names are typed
            // into its name field and Open is pressed, as a user does.
            if (auto* open = qobject_cast<COpenFileDialog*>(&d)) {
                open->NameField()->setText(typer.open);
                ++typer.typed;
                open->accept();
                return open->result();
            }
            if (auto* preview = qobject_cast<CPreviewWindow*>(&d)) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return preview->HasEnded(); }, 60000));
                return int(QDialog::Rejected);
            }
            return int(QMessageBox::Ok);
        });

        frame.OnCommand(ID_SECURE_DELETE_FILE);
        frame.OnCommand(ID_VIEW_PREVIEW);
        frame.OnCommand(ID_SECURE_DELETE_TEMP);
        frame.OnCommand(ID_FILE_SAVE_REPORT);
        EXPECT_EQ(typer.typed, 2) << "both file dialogs were answered";
        SetModalHook({});
    }

    // The session did what it was asked.
    EXPECT_FALSE(Exists(work / picked));
    EXPECT_TRUE(Exists(work / kept));
    for (const std::string& name : swept)
        EXPECT_FALSE(Exists(work / ("sweep/" + name)));
    // The report, where the user chose, names them all: the scan below
    // would see a name that got into a file.
    for (const std::string& name : names)
        EXPECT_TRUE(FileContains(reports / "session.json", name)) << name << "\n" << ReadFile(reports / "session.json");

    const std::string config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(Exists(CSettings::FilePath())) << "the settings were written";
    EXPECT_EQ(CSettings::FilePath().rfind(config, 0), 0u) << "the settings live under the test's own config directory";
    EXPECT_EQ(FilesNaming(config, names), std::vector<std::string>{});
    EXPECT_EQ(FilesNaming(home.Path(), names), std::vector<std::string>{});
}
