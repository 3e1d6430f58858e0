// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the pictures of the README from the program's own windows: the
// main window with the record of a real session, the preferences, the
// confirmation a file gets before it is destroyed, and the Working window
// of a free-space wipe. Everything is rendered offscreen, with settings in
// a throw-away directory and files in a throw-away tree under /tmp whose
// names say nothing about the machine or its user.
//
//     tarnowick_screenshots OUTPUT_DIRECTORY
//
// Writes main-window.png, preferences.png, confirm.png and working.png.
#include "app/CMainFrame.h"
#include "record/CRecordModel.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "app/ThemeIcons.h"
#include "disk/CWorking.h"
#include "disk/FillProgress.h"
#include "platform/DriveTable.h"
#include "prefs/CFileTypeCombo.h"
#include "prefs/CPreferences.h"
#include "prefs/Settings.h"
#include "wipe/CConfirm.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPixmap>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace tw;

// The drives the preferences list: a plain desktop's, not this machine's,
// whose mount points may name people or devices.
class ExampleDrives : public IDriveTable {
public:
    std::vector<DriveInfo> ListDrives() override
    {
        return {{'C', "/", false}, {'D', "/home", false}, {'E', "/media/backup", true}};
    }
    int GetDrive() override { return m_nDrive; }
    int ChangeDrive(int n) override
    {
        for (const DriveInfo& drive : ListDrives())
            if (drive.letter - 'A' + 1 == n) {
                m_nDrive = n;
                return 0;
            }
        return -1;
    }
    std::string CurrentRoot() override
    {
        for (const DriveInfo& drive : ListDrives())
            if (drive.letter - 'A' + 1 == m_nDrive)
                return drive.root;
        return {};
    }

private:
    int m_nDrive = 3;
};

// A directory made fresh under /tmp and removed with all it holds.
class ThrowAwayDir {
public:
    explicit ThrowAwayDir(const char* prefix)
    {
        std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~ThrowAwayDir()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    ThrowAwayDir(const ThrowAwayDir&) = delete;
    ThrowAwayDir& operator=(const ThrowAwayDir&) = delete;
    bool Made() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

bool WriteExampleFile(const std::string& path, size_t size)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    const std::string line = "An example file that the pictures of the manual destroy.\n";
    for (size_t written = 0; written < size; written += line.size())
        out << line.substr(0, std::min(line.size(), size - written));
    return bool(out);
}

// What the pictures are made of, kept while the program runs.
struct Shots {
    QString directory;
    QStringList written;
    QStringList failures;

    void Save(QWidget& widget, const QString& name)
    {
        // Layouts, fonts and the focus settle in the event loop first.
        QApplication::processEvents();
        const QPixmap picture = widget.grab();
        const QString path = QDir(directory).filePath(name);
        if (picture.isNull() || !picture.save(path, "PNG"))
            failures << QStringLiteral("could not write %1").arg(path);
        else
            written << path;
    }
};

} // namespace

// The offscreen platform says of every dialog that it cannot pass size
// hints to a window manager it does not have; everything else is shown.
void DropPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    // The settings the pictures show are made here and thrown away after:
    // the user's own settings are neither shown nor changed.
    ThrowAwayDir config("tarnowick-shots-config");
    ThrowAwayDir tree("tarnowick-example");
    if (!config.Made() || !tree.Made()) {
        std::perror("tarnowick_screenshots: cannot make a directory under /tmp");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    setenv("TARNOWICK_RUN_DIR", config.Path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", config.Path().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The README is in English, whatever the language of this session.
    setenv("LANGUAGE", "en", 1);

    qInstallMessageHandler(DropPlatformNoise);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Halmere"));
    QApplication::setApplicationName(QStringLiteral("Tarnowick"));
    QApplication::setWindowIcon(ApplicationIcon());
    if (QFontDatabase::families().isEmpty()) {
        std::fprintf(stderr, "tarnowick_screenshots: no fonts found; install a font package "
                             "(fonts-dejavu-core) so that the pictures show text\n");
        return 1;
    }

    Shots shots;
    shots.directory = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(shots.directory)) {
        std::fprintf(stderr, "tarnowick_screenshots: cannot make %s\n", argv[1]);
        return 1;
    }

    // The example tree: three documents to pick in Secure Delete File, and a
    // temporary folder for Secure Delete Temp Files with what a sweep for
    // *.tmp and *.bak takes and what it leaves.
    const std::string root = tree.Path();
    const std::map<std::string, size_t> files = {
        {"Documents/draft-letter.odt", 18432},  {"Documents/old-invoice.pdf", 96256},
        {"Documents/notes.txt", 2150},          {"temp/build-0001.tmp", 40960},
        {"temp/build-0002.tmp", 12288},         {"temp/render/frame-cache.tmp", 524288},
        {"temp/render/scene.bak", 65536},       {"temp/install.log", 3072},
        {"cache/thumbnails.tmp", 131072},       {"Downloads/setup.bak", 8192},
    };
    for (const auto& [name, size] : files)
        if (!WriteExampleFile(root + "/" + name, size)) {
            std::fprintf(stderr, "tarnowick_screenshots: cannot write %s/%s\n", root.c_str(), name.c_str());
            return 1;
        }
    CSettings::Write(Setting::InternetCachePath, root + "/cache");
    CSettings::Write(Setting::TemporaryPath, root + "/temp");
    CSettings::Write(Setting::OtherPath, root + "/Downloads");
    CSettings::WriteBool(Setting::Subdirectories, true);
    CSettings::WriteBool(Setting::All, false);
    CSettings::Write(Setting::FileTypes, "*.tmp!*.bak!~*.tmp!");
    CSettings::WriteBool(Setting::AllInternetCache, false);
    CSettings::WriteBool(Setting::AllTemporary, false);
    CSettings::WriteBool(Setting::AllOther, false);
    CSettings::Write(Setting::Drives, "C!D!");
    CSettings::WriteBool(Setting::Counter, false);

    CMainFrame frame(std::make_unique<ExampleDrives>());
    frame.resize(860, 520);
    frame.show();

    // Every dialog the commands open is answered here, as a user would:
    // the first file is confirmed (and its question drawn), the second
    // kept, the third confirmed; the preferences are drawn and cancelled.
    int confirmations = 0;
    SetModalHook([&](QDialog& dialog) -> int {
        if (auto* confirm = qobject_cast<CConfirm*>(&dialog)) {
            ++confirmations;
            if (confirmations == 1)
                shots.Save(*confirm, QStringLiteral("confirm.png"));
            return confirmations == 2 ? IDC_NO : IDC_YES;
        }
        if (auto* preferences = qobject_cast<CPreferences*>(&dialog)) {
            // The file types as the user sees them after picking the first
            // from the drop-down list, which a picture cannot show open.
            if (auto* types = preferences->findChild<CFileTypeCombo*>(); types && types->count() > 0)
                types->setCurrentIndex(0);
            shots.Save(*preferences, QStringLiteral("preferences.png"));
            return QDialog::Rejected;
        }
        // Nothing else should ask; should something, it is said and passed.
        const auto* box = qobject_cast<QMessageBox*>(&dialog);
        std::fprintf(stderr, "tarnowick_screenshots: unexpected \"%s\"%s%s\n",
                     qPrintable(dialog.windowTitle()), box ? ": " : "", box ? qPrintable(box->text()) : "");
        return box ? int(QMessageBox::Ok) : int(IDCANCEL);
    });
    SetFileDialogHook([&](const FileDialogRequest&) {
        const QString documents = QString::fromStdString(root + "/Documents/");
        return QStringList{documents + QStringLiteral("draft-letter.odt"), documents + QStringLiteral("notes.txt"),
                           documents + QStringLiteral("old-invoice.pdf")};
    });

    frame.OnCommand(ID_SECURE_DELETE_FILE);
    frame.OnCommand(ID_SECURE_DELETE_TEMP);
    frame.OnCommand(ID_PREFERENCES);
    SetModalHook({});
    SetFileDialogHook({});
    if (confirmations != 3)
        shots.failures << QStringLiteral("Secure Delete File asked %1 times instead of 3").arg(confirmations);
    if (frame.RecordModel()->rowCount() != 2)
        shots.failures << QStringLiteral("the record holds %1 commands instead of 2").arg(frame.RecordModel()->rowCount());

    // Both commands open, the paths readable in full.
    if (auto* record = frame.findChild<QTreeView*>(QStringLiteral("record"))) {
        record->expandAll();
        record->resizeColumnToContents(0);
        record->scrollToTop();
        record->clearSelection();
    }
    shots.Save(frame, QStringLiteral("main-window.png"));

    // The Working window as a free-space wipe of D: shows it 26 seconds
    // after the fill began, its figures put into words by the same code as
    // during a real wipe.
    {
        CWorking working(&frame);
        FillProgressText text;
        FillStatus status;
        status.letter = 'D';
        status.mountPoint = "/home";
        status.total = 350ULL << 30;
        const auto start = FillProgressText::Clock::now();
        text.Describe(status, start);
        status.written = uint64_t(12.4 * double(1ULL << 30));
        working.SetStatusText(QString::fromStdString(text.Describe(status, start + std::chrono::seconds(26))));
        working.show();
        shots.Save(working, QStringLiteral("working.png"));
    }

    for (const QString& path : shots.written)
        std::printf("%s\n", qPrintable(path));
    for (const QString& failure : shots.failures)
        std::fprintf(stderr, "tarnowick_screenshots: %s\n", qPrintable(failure));
    return shots.failures.isEmpty() && shots.written.size() == 4 ? 0 : 1;
}
