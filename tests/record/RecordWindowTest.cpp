// SPDX-License-Identifier: GPL-3.0-or-later
// The record of a session in the main window and the report saved from it:
// after Secure Delete File (Yes, No, an error), a sweep with "Ignore File"
// and one with "Cancel Operation", and a free-space wipe. Every report is
// checked against what is really left on the disk.
#include "app/CMainFrame.h"
#include "wipe/COpenFileDialog.h"
#include "record/CRecordModel.h"
#include "app/CTarnowickView.h"
#include "core/CommandIds.h"
#include "help/HelpManual.h"
#include "record/ItemReport.h"
#include "app/ModalSeam.h"
#include "record/ReportWriter.h"
#include "disk/CDiskError.h"
#include "disk/CWorking.h"
#include "disk/FreeSpaceWiper.h"
#include "disk/SwapOvercommit.h"
#include "sweep/CProgressBox.h"
#include "platform/Identity.h"
#include "prefs/CSelectDrives.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"
#include "tests/sweep/SweepFixture.h"
#include "wipe/CConfirm.h"
#include "wipe/CFileError.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QJsonArray>
#include <QLabel>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

class RecordWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        auto fake = std::make_unique<FakeDriveTable>();
        fake->roots['C'] = "/";
        drives = fake.get();
        frame = std::make_unique<CMainFrame>(std::move(fake));
        frame->show();
        // The dialogs a command opens are answered from the queues below.
        SetModalHook([this](QDialog& d) -> int {
            if (qobject_cast<CConfirm*>(&d))
                return Next(confirmAnswers, "confirm");
            if (qobject_cast<CFileError*>(&d)) {
                errors << static_cast<CFileError&>(d).m_strMessage;
                return Next(errorAnswers, "file error");
            }
            if (qobject_cast<CSelectDrives*>(&d))
                return int(IDOK);
            if (auto* disk = qobject_cast<CDiskError*>(&d)) {
                errors << disk->m_strDisk;
                // What the Working window's line says meanwhile.
                for (auto* working : frame->findChildren<CWorking*>())
                    if (working->isVisible())
                        workingLines << working->m_status->text();
                return int(IDC_IGNORE);
            }
            if (auto* box = qobject_cast<QMessageBox*>(&d))
                boxes << box->text();
            return int(QMessageBox::Ok);
        });
    }
    void TearDown() override
    {
        frame.reset();
        SetModalHook({});
        SetFileDialogHook({});
        SetSaveDialogHook({});
    }

    int Next(std::deque<int>& answers, const char* what)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << what;
            return IDCANCEL;
        }
        const int a = answers.front();
        answers.pop_front();
        return a;
    }

    // The rows of group `group` as "item|size|result|cause|message", the
    // heading and summary rows as their text.
    QStringList Rows(int group) const
    {
        CRecordModel* model = frame->RecordModel();
        const QModelIndex g = model->index(group, 0);
        QStringList rows;
        for (int r = 0; r < model->rowCount(g); ++r) {
            QStringList cells;
            for (int c = 0; c < CRecordModel::ColumnCount; ++c)
                cells << model->data(model->index(r, c, g)).toString();
            const bool item = model->data(model->index(r, 0, g), CRecordModel::RowKindRole).toInt() == CRecordModel::ItemRow;
            rows << (item ? cells.join(QLatin1Char('|')) : cells[0]);
        }
        return rows;
    }

    QString Heading(int group) const { return frame->RecordModel()->data(frame->RecordModel()->index(group, 0)).toString(); }

    // Saves the report through File > "Save Report..." as `path`.
    void SaveReport(const std::string& path, const QString& filter)
    {
        SetSaveDialogHook([&](const FileDialogRequest& request) {
            saveRequests << request.title + QLatin1Char('|') + request.filter;
            return SaveDialogAnswer{QString::fromStdString(path), filter};
        });
        frame->OnCommand(ID_FILE_SAVE_REPORT);
    }

    static QJsonObject ReadJson(const std::string& path)
    {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFile(path)), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return doc.object();
    }

    // Every item of the report against the disk: a destroyed file is gone,
    // a left one is still there with its contents.
    static void ExpectReportMatchesDisk(const QJsonObject& command, const std::map<std::string, std::string>& contents)
    {
        for (const QJsonValue& v : command[QStringLiteral("items")].toArray()) {
            const QJsonObject item = v.toObject();
            const auto path = UnescapeBytes(item[QStringLiteral("path")].toString().toStdString());
            ASSERT_TRUE(path.has_value());
            const bool destroyed = item[QStringLiteral("result")].toString() == QLatin1String("destroyed");
            const auto known = contents.find(*path);
            if (destroyed) {
                EXPECT_FALSE(Exists(*path)) << *path;
                ASSERT_NE(known, contents.end()) << *path;
                EXPECT_EQ(uint64_t(item[QStringLiteral("size")].toInteger()), known->second.size()) << *path;
            } else if (known != contents.end()) {
                EXPECT_EQ(ReadFile(*path), known->second) << *path << " was left and must be as it was";
            } else {
                EXPECT_FALSE(Exists(*path)) << *path;
            }
        }
    }

    std::unique_ptr<CMainFrame> frame;
    FakeDriveTable* drives = nullptr;
    std::deque<int> confirmAnswers, errorAnswers;
    QStringList errors, boxes, saveRequests, workingLines;
};

} // namespace

TEST_F(RecordWindowTest, TheViewIsEmptyAndSaveReportOffUntilACommandHasRun)
{
    QTreeView* tree = frame->findChild<CTarnowickView*>()->RecordView();
    EXPECT_FALSE(tree->isVisible());
    EXPECT_FALSE(frame->Action(ID_FILE_SAVE_REPORT)->isEnabled());
    // Commands that destroy nothing leave no group.
    frame->OnCommand(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(frame->SessionRecord().Empty());

    // A command that ends at its first message touched nothing: it is
    // listed as not run, with no duration, and makes no report on its own.
    CSettings::Write(Setting::TemporaryPath, "");
    frame->OnCommand(ID_SECURE_DELETE_TEMP);  // "Temporary Path Not Entered"
    EXPECT_EQ(boxes, QStringList{QStringLiteral("Temporary Path Not Entered")});
    EXPECT_TRUE(tree->isVisible());
    EXPECT_FALSE(frame->Action(ID_FILE_SAVE_REPORT)->isEnabled());
    EXPECT_TRUE(Heading(0).startsWith(QStringLiteral("Secure Delete Temp Files, "))) << Heading(0).toStdString();
    EXPECT_TRUE(Heading(0).endsWith(QStringLiteral(", not run"))) << Heading(0).toStdString();
    EXPECT_FALSE(Heading(0).contains(QStringLiteral("took")));
    EXPECT_EQ(Rows(0), QStringList{QStringLiteral("not run: Temporary Path Not Entered")});
    EXPECT_EQ(frame->StatusBar()->currentMessage(),
              QStringLiteral("Secure Delete Temp Files: not run: Temporary Path Not Entered"));
}

TEST_F(RecordWindowTest, SecureDeleteFileYesNoAndAnErrorInTheRecordAndEveryFormOfTheReport)
{
    TempDir dir;
    const std::string yes = dir / "yes.txt", no = dir / "no.txt", missing = dir / "missing.txt";
    const std::map<std::string, std::string> contents = {{yes, std::string(3000, 'y')}, {no, "keep me"}};
    for (const auto& [path, text] : contents)
        WriteFile(path, text);
    SetFileDialogHook([&](const FileDialogRequest&) {
        return QStringList{QString::fromStdString(yes), QString::fromStdString(no), QString::fromStdString(missing)};
    });
    confirmAnswers = {IDC_YES, IDC_NO, IDC_YES};
    errorAnswers = {IDC_IGNORE};
    frame->OnCommand(ID_SECURE_DELETE_FILE);

    EXPECT_FALSE(Exists(yes));
    EXPECT_EQ(ReadFile(no), "keep me");
    EXPECT_EQ(errors, QStringList{QStringLiteral("Could not access this file for deletion [ 2 ]")});

    ASSERT_EQ(frame->RecordModel()->rowCount(), 1);
    EXPECT_TRUE(Heading(0).startsWith(QStringLiteral("Secure Delete File, started "))) << Heading(0).toStdString();
    EXPECT_TRUE(Heading(0).contains(QStringLiteral(", took "))) << Heading(0).toStdString();
    const QString d = QString::fromStdString(dir.Path());
    EXPECT_EQ(Rows(0), (QStringList{
                           d + QStringLiteral("/yes.txt|2.9 KiB|destroyed||"),
                           d + QStringLiteral("/no.txt|7 bytes|left||Not confirmed"),
                           d + QStringLiteral("/missing.txt||left|2|Could not access this file for deletion [ 2 ]"),
                           QStringLiteral("1 file destroyed, 2.9 KiB; 2 left"),
                       }));
    EXPECT_EQ(frame->StatusBar()->currentMessage(), QStringLiteral("Secure Delete File: 1 file destroyed, 2 left"));

    // JSON: the heading, and every item as it stands on the disk.
    TempDir reports;
    SaveReport(reports / "session.json", QStringLiteral("JSON (*.json)"));
    EXPECT_EQ(saveRequests, QStringList{QStringLiteral("Save Destruction Report|JSON (*.json);;CSV (*.csv);;PDF (*.pdf)")});
    EXPECT_TRUE(frame->StatusBar()->currentMessage().startsWith(QStringLiteral("Report saved as ")));
    const QJsonObject root = ReadJson(reports / "session.json");
    EXPECT_EQ(root[QStringLiteral("host")].toString().toStdString(), HostName());
    EXPECT_EQ(root[QStringLiteral("user")].toString().toStdString(), UserName());
    const QJsonArray commands = root[QStringLiteral("commands")].toArray();
    ASSERT_EQ(commands.size(), 1);
    const QJsonObject command = commands[0].toObject();
    EXPECT_EQ(command[QStringLiteral("name")].toString(), QStringLiteral("Secure Delete File"));
    ASSERT_EQ(command[QStringLiteral("items")].toArray().size(), 3);
    ExpectReportMatchesDisk(command, contents);
    const QJsonObject left = command[QStringLiteral("items")].toArray()[2].toObject();
    EXPECT_EQ(left[QStringLiteral("cause")].toInt(), 2);
    EXPECT_EQ(command[QStringLiteral("counts")].toObject()[QStringLiteral("filesLeft")].toInt(), 2);

    // CSV: one row per item.
    SaveReport(reports / "session.csv", QStringLiteral("CSV (*.csv)"));
    const QStringList csv = QString::fromStdString(ReadFile(reports / "session.csv")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 4);
    EXPECT_TRUE(csv[1].contains(d + QStringLiteral("/yes.txt,3000,destroyed")));

    // PDF, named without an extension and chosen by the filter: a PDF
    // reader finds the certificate and the items in it.
    SaveReport(reports / "session.pdf", QStringLiteral("PDF (*.pdf)"));
    ASSERT_EQ(ReadFile(reports / "session.pdf").substr(0, 5), "%PDF-");
    if (RunCommand("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext is missing (Debian package poppler-utils)";
    ASSERT_EQ(RunCommand("pdftotext -layout " + reports / "session.pdf" + " " + reports / "session.txt"), 0);
    const std::string text = ReadFile(reports / "session.txt");
    for (const std::string& expected : {std::string("Certificate of Destruction"), HostName(), UserName(),
                                        std::string("Secure Delete File"), std::string("1 file destroyed, 2.9 KiB; 2 left"),
                                        std::string("Tarnowick Secure"), std::string("yes.txt"), std::string("missing.txt"),
                                        std::string("Not confirmed")})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " not in:\n" << text;
    struct stat st {};
    ASSERT_EQ(stat((reports / "session.pdf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(RecordWindowTest, ASweepWithIgnoreFileAndOneWithCancelOperation)
{
    TempDir temp, other, elsewhere;
    std::map<std::string, std::string> contents;
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp", "keep.txt"}) {
        contents[temp / name] = std::string("temp ") + name;
        WriteFile(temp / name, contents[temp / name]);
    }
    // A file with a second name is left alone: reported, then ignored.
    ASSERT_EQ(link((temp / "b.tmp").c_str(), (elsewhere / "b-again").c_str()), 0);
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::OtherPath, other.Path());
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::WriteBool(Setting::Counter, true);

    errorAnswers = {IDC_IGNORE};
    frame->OnCommand(ID_SECURE_DELETE_TEMP);
    EXPECT_EQ(frame->StatusBar()->currentMessage(), QStringLiteral("Secure Delete Temp Files: 2 files destroyed, 1 left"));
    const QStringList rows = Rows(0);
    ASSERT_EQ(rows.size(), 4);
    // A file left is listed with the size it has.
    EXPECT_TRUE(rows.filter(QStringLiteral("/b.tmp|10 bytes|left|11|")).size() == 1) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows.last(), QStringLiteral("2 files destroyed, 20 bytes; 1 left"));

    // Cancel Operation at the first file that cannot be destroyed: the
    // files after it are neither destroyed nor in the record.
    for (int i = 0; i < 6; ++i) {
        const std::string path = other / ("f" + std::to_string(i) + ".tmp");
        contents[path] = "other " + std::to_string(i);
        WriteFile(path, contents[path]);
    }
    const std::vector<std::string> order = ListingOrder(other.Path());
    ASSERT_EQ(order.size(), 6u);
    ASSERT_EQ(link((other / order[2]).c_str(), (elsewhere / "second-name").c_str()), 0);
    errorAnswers = {IDC_CANCEL_OPERATION};
    frame->OnCommand(ID_SECURE_DELETE_OTHER);
    // The stop shows everywhere, with what the counting pass found and the
    // sweep never reached.
    const QString stopped = QStringLiteral("stopped by Cancel Operation, 3 matching files not reached");
    EXPECT_EQ(frame->StatusBar()->currentMessage(),
              QStringLiteral("Secure Delete Other: 2 files destroyed, 1 left; ") + stopped);
    ASSERT_EQ(Rows(1).size(), 4);
    EXPECT_EQ(Rows(1).last(), QStringLiteral("2 files destroyed, 14 bytes; 1 left; ") + stopped);
    EXPECT_TRUE(Heading(1).contains(QStringLiteral(", stopped after "))) << Heading(1).toStdString();
    for (size_t i = 3; i < order.size(); ++i)
        EXPECT_TRUE(Exists(other / order[i])) << "after the cancel: " << order[i];

    TempDir reports;
    SaveReport(reports / "sweeps.json", QStringLiteral("JSON (*.json)"));
    const QJsonArray commands = ReadJson(reports / "sweeps.json")[QStringLiteral("commands")].toArray();
    ASSERT_EQ(commands.size(), 2);
    EXPECT_EQ(commands[0].toObject()[QStringLiteral("name")].toString(), QStringLiteral("Secure Delete Temp Files"));
    EXPECT_EQ(commands[1].toObject()[QStringLiteral("name")].toString(), QStringLiteral("Secure Delete Other"));
    for (const QJsonValue& c : commands)
        ExpectReportMatchesDisk(c.toObject(), contents);
    // Every file that is gone is in the report, and nothing else.
    int gone = 0;
    for (const auto& [path, text] : contents)
        gone += !Exists(path);
    int destroyed = 0;
    for (const QJsonValue& c : commands)
        destroyed += c.toObject()[QStringLiteral("counts")].toObject()[QStringLiteral("filesDestroyed")].toInt();
    EXPECT_EQ(destroyed, gone);
    EXPECT_EQ(gone, 4);
    // Every form of the report says the same of the stop.
    const QJsonObject first = commands[0].toObject(), second = commands[1].toObject();
    EXPECT_EQ(first[QStringLiteral("result")].toString(), QStringLiteral("completed"));
    EXPECT_TRUE(first[QStringLiteral("stopped")].isNull());
    EXPECT_EQ(second[QStringLiteral("result")].toString(), QStringLiteral("stopped"));
    EXPECT_EQ(second[QStringLiteral("stopped")].toString(), QStringLiteral("cancel"));
    EXPECT_EQ(second[QStringLiteral("notReached")].toInt(), 3);
    EXPECT_TRUE(second[QStringLiteral("summary")].toString().endsWith(stopped));
    SaveReport(reports / "sweeps.csv", QStringLiteral("CSV (*.csv)"));
    const QStringList csv = QString::fromStdString(ReadFile(reports / "sweeps.csv")).split(QStringLiteral("\r\n"));
    EXPECT_EQ(csv.filter(QStringLiteral(",command,,,stopped,0,")).size(), 1) << ReadFile(reports / "sweeps.csv");
    EXPECT_EQ(csv.filter(stopped).size(), 1);
    SaveReport(reports / "sweeps.pdf", QStringLiteral("PDF (*.pdf)"));
    if (RunCommand("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext is missing (Debian package poppler-utils)";
    ASSERT_EQ(RunCommand("pdftotext " + reports / "sweeps.pdf" + " " + reports / "sweeps.txt"), 0);
    const std::string text = ReadFile(reports / "sweeps.txt");
    EXPECT_NE(text.find("stopped by Cancel Operation"), std::string::npos) << text;
    EXPECT_NE(text.find("left [ 11 ]"), std::string::npos) << text;
}

TEST_F(RecordWindowTest, AFreeSpaceWipeRecordsTheDriveAndWhatWasWrittenIntoIt)
{
    TmpfsMount tmpfs("1M");
    if (!tmpfs.Available())
        GTEST_SKIP() << tmpfs.SkipReason();
    drives->roots['E'] = tmpfs.Path();
    CSettings::Write(Setting::Drives2, "E!");
    // What the fillers held when the drive was full, read from the disk.
    uint64_t onDisk = 0;
    // The hook gives each filler as a path it can be read by, named or not.
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>& fillers) {
        for (const std::string& path : fillers) {
            struct stat st {};
            if (stat(path.c_str(), &st) == 0)
                onDisk += uint64_t(st.st_size);
        }
    });
    frame->OnCommand(ID_SECURE_EMPTY_SPACE);
    SetFreeSpaceFilledHook(nullptr);

    ASSERT_GT(onDisk, 0u);
    const QStringList rows = Rows(0);
    ASSERT_EQ(rows.size(), 2) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("E: ") + QString::fromStdString(tmpfs.Path()) + QLatin1Char('|')))
        << rows[0].toStdString();
    EXPECT_EQ(frame->StatusBar()->currentMessage(), QStringLiteral("Secure Empty Space: free space of 1 drive overwritten"));

    TempDir reports;
    SaveReport(reports / "space.json", QStringLiteral("JSON (*.json)"));
    const QJsonObject command = ReadJson(reports / "space.json")[QStringLiteral("commands")].toArray()[0].toObject();
    EXPECT_EQ(command[QStringLiteral("method")].toObject()[QStringLiteral("kind")].toString(), QStringLiteral("free space"));
    const QJsonArray items = command[QStringLiteral("items")].toArray();
    ASSERT_EQ(items.size(), 1);
    const QJsonObject drive = items[0].toObject();
    EXPECT_EQ(drive[QStringLiteral("kind")].toString(), QStringLiteral("drive"));
    EXPECT_EQ(drive[QStringLiteral("result")].toString(), QStringLiteral("destroyed"));
    EXPECT_EQ(uint64_t(drive[QStringLiteral("size")].toInteger()), onDisk);
    // The fillers are gone again: the drive holds nothing of the wipe.
    EXPECT_EQ(ListingOrder(tmpfs.Path()).size(), 0u);
}

TEST_F(RecordWindowTest, AMillionItemsCostFewRefreshesAndFewRows)
{
    auto record = std::make_shared<CSessionRecord>();
    CRecordModel model(record);
    CTarnowickView view;
    view.SetRecordModel(&model);
    view.show();
    record->BeginCommand("Secure Delete Preferences", RecordMethod::Files);
    model.Sync();
    constexpr int kItems = 1000000;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ItemResult item;
        item.destroyed = true;
        item.size = 1;
        for (int i = 0; i < kItems; ++i) {
            item.path = "/d/" + std::to_string(i);
            record->Add(item);
            model.NotifyGrown();
        }
        done = true;
    });
    // The view keeps up while the items arrive.
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker.join();
    record->EndCommand();
    model.Sync();

    EXPECT_LT(model.SyncCount(), kItems / 10) << "refreshes are coalesced, not one per item";
    const QModelIndex group = model.index(0, 0);
    EXPECT_EQ(model.rowCount(group), int(CSessionRecord::kListLimit) + 2);  // items, not listed, summary
    EXPECT_EQ(model.data(model.index(int(CSessionRecord::kListLimit), 0, group)).toString(),
              QStringLiteral("900000 more items destroyed (879 KiB) are not listed"));
    EXPECT_EQ(model.data(model.index(int(CSessionRecord::kListLimit) + 1, 0, group)).toString(),
              QStringLiteral("1000000 files destroyed, 977 KiB"));
}

TEST_F(RecordWindowTest, TheRecordTheSaveDialogAndThePreviewLeadToTheirHelp)
{
    QTreeView* tree = frame->findChild<CTarnowickView*>()->RecordView();
    EXPECT_EQ(ContextHelpAnchor(tree), QStringLiteral("record-view"));
    QFileDialog save(frame.get(), QStringLiteral("Save Destruction Report"));
    EXPECT_EQ(ContextHelpAnchor(&save), QStringLiteral("cmd-save-report"));
    FileDialogRequest request;
    request.title = QStringLiteral("Tarnowick Secure Delete");
    COpenFileDialog open(frame.get(), request);
    EXPECT_EQ(ContextHelpAnchor(&open), QStringLiteral("cmd-delete-file"));
    EXPECT_EQ(DialogHelpAnchor(QStringLiteral("Tarnowick Preview")), QStringLiteral("cmd-preview"));
}

TEST_F(RecordWindowTest, FilesDroppedOnTheWindowAreRecordedUnderSecureDeleteFile)
{
    TempDir dir;
    WriteFile(dir / "dropped.txt", "dropped");
    confirmAnswers = {IDC_YES};
    frame->DeleteGivenFiles({dir / "dropped.txt"});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !frame->HasGivenFiles() && !frame->Runner().IsBusy() && frame->SessionRecord().CommandCount() == 1
            && frame->SessionRecord().Command(0).ended.isValid();
    }, 60000));
    EXPECT_FALSE(Exists(dir / "dropped.txt"));
    EXPECT_EQ(frame->SessionRecord().Command(0).name, "Secure Delete File");
    EXPECT_EQ(Rows(0), (QStringList{QString::fromStdString(dir / "dropped.txt") + QStringLiteral("|7 bytes|destroyed||"),
                                    QStringLiteral("1 file destroyed, 7 bytes")}));
    EXPECT_EQ(frame->StatusBar()->currentMessage(), QStringLiteral("Secure Delete File: 1 file destroyed"));
}

// Commands that end at their first message: no swap to push memory out
// to, an Other Path that does not exist. They are listed as not run, with
// the reason, no duration and no method; alone they make no report, and in
// a report beside a command that ran they claim nothing.
TEST_F(RecordWindowTest, CommandsThatCouldNotRunAreListedAsNotRunAndClaimNothing)
{
    TempDir swaps, other, files;
    WriteFile(swaps / "swaps", "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n");
    SetSwapListPath(swaps / "swaps");
    frame->OnCommand(ID_OVERCOMMIT_SWAPFILE);
    SetSwapListPath("");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("No swap space is configured"))) << boxes[0].toStdString();
    EXPECT_EQ(Rows(0), QStringList{QStringLiteral("not run: ") + boxes[0]});
    EXPECT_TRUE(Heading(0).endsWith(QStringLiteral(", not run")));

    const std::string missing = other / "gone";
    CSettings::Write(Setting::OtherPath, missing);
    frame->OnCommand(ID_SECURE_DELETE_OTHER);
    ASSERT_EQ(boxes.size(), 2);
    const QString why = QStringLiteral("Other Path %1 could not be swept: it does not exist.").arg(QString::fromStdString(missing));
    EXPECT_EQ(boxes[1], why);
    EXPECT_EQ(Rows(1), QStringList{QStringLiteral("not run: ") + why});
    EXPECT_EQ(frame->StatusBar()->currentMessage(), QStringLiteral("Secure Delete Other: not run: ") + why);
    EXPECT_FALSE(frame->Action(ID_FILE_SAVE_REPORT)->isEnabled());

    WriteFile(files / "one.txt", std::string(2048, 'o'));
    SetFileDialogHook([&](const FileDialogRequest&) { return QStringList{QString::fromStdString(files / "one.txt")}; });
    confirmAnswers = {IDC_YES};
    frame->OnCommand(ID_SECURE_DELETE_FILE);
    EXPECT_TRUE(frame->Action(ID_FILE_SAVE_REPORT)->isEnabled());

    TempDir reports;
    SaveReport(reports / "r.json", QStringLiteral("JSON (*.json)"));
    const QJsonArray commands = ReadJson(reports / "r.json")[QStringLiteral("commands")].toArray();
    ASSERT_EQ(commands.size(), 3);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject c = commands[i].toObject();
        EXPECT_EQ(c[QStringLiteral("result")].toString(), QStringLiteral("not run"));
        EXPECT_TRUE(c[QStringLiteral("method")].isNull());
        EXPECT_TRUE(c[QStringLiteral("ended")].isNull());
        EXPECT_TRUE(c[QStringLiteral("items")].toArray().isEmpty());
        EXPECT_EQ(c[QStringLiteral("notes")].toArray().at(0).toString(), boxes[i]);
    }
    EXPECT_EQ(commands[1].toObject()[QStringLiteral("summary")].toString(), QStringLiteral("not run: ") + why);
    EXPECT_EQ(commands[2].toObject()[QStringLiteral("result")].toString(), QStringLiteral("completed"));
    EXPECT_EQ(commands[2].toObject()[QStringLiteral("summary")].toString(), QStringLiteral("1 file destroyed, 2.0 KiB"));

    SaveReport(reports / "r.csv", QStringLiteral("CSV (*.csv)"));
    const QString csv = QString::fromStdString(ReadFile(reports / "r.csv"));
    EXPECT_TRUE(csv.contains(QStringLiteral("Secure Delete Other,")) && csv.contains(QStringLiteral(",command,,,not run,0,")))
        << csv.toStdString();

    SaveReport(reports / "r.pdf", QStringLiteral("PDF (*.pdf)"));
    if (RunCommand("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext is missing (Debian package poppler-utils)";
    ASSERT_EQ(RunCommand("pdftotext " + reports / "r.pdf" + " " + reports / "r.txt"), 0);
    const std::string text = ReadFile(reports / "r.txt");
    EXPECT_NE(text.find("not run: No swap space"), std::string::npos) << text;
    // The memory method is not claimed for a command that held nothing.
    EXPECT_EQ(text.find("Memory was taken"), std::string::npos) << text;
    EXPECT_EQ(text.find("held"), std::string::npos) << text;
    EXPECT_NE(text.find("Every byte of each file was overwritten"), std::string::npos) << text;
}

// A drive that could not be wiped is explained in words, in the question,
// the record and the report: a letter with no drive mounted, a drive
// mounted read-only.
TEST_F(RecordWindowTest, ADriveThatFailedIsExplainedInWords)
{
    TmpfsMount tmpfs("1M"), writable("1M");
    if (!tmpfs.Available() || !writable.Available())
        GTEST_SKIP() << tmpfs.SkipReason();
    ASSERT_EQ(RunCommand("mount -o remount,ro " + tmpfs.Path()), 0);
    drives->roots['D'] = writable.Path();
    drives->roots['F'] = tmpfs.Path();
    CSettings::Write(Setting::Drives2, "D!E!F!");
    frame->OnCommand(ID_SECURE_EMPTY_SPACE);
    ASSERT_EQ(errors.size(), 2) << errors.join(QLatin1Char('\n')).toStdString();
    // The Working window never shows the line of another drive (D's last
    // "Giving the space back ...") beside the question about this one.
    EXPECT_EQ(workingLines, (QStringList{QString(), QString()}));
    EXPECT_EQ(errors[0], QStringLiteral("E: no drive with this letter is mounted now, so its free space was not overwritten."));
    EXPECT_TRUE(errors[1].startsWith(QStringLiteral("F: %1: the drive is mounted read-only").arg(QString::fromStdString(tmpfs.Path()))))
        << errors[1].toStdString();
    const QStringList rows = Rows(0);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[1].endsWith(QLatin1Char('|') + errors[0])) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].endsWith(QLatin1Char('|') + errors[1])) << rows[2].toStdString();

    TempDir reports;
    SaveReport(reports / "d.json", QStringLiteral("JSON (*.json)"));
    const QJsonArray items =
        ReadJson(reports / "d.json")[QStringLiteral("commands")].toArray()[0].toObject()[QStringLiteral("items")].toArray();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[1].toObject()[QStringLiteral("message")].toString(), errors[0]);
    EXPECT_EQ(items[2].toObject()[QStringLiteral("message")].toString(), errors[1]);
}

// The certificate of a session with many commands: no paragraph is split
// between two pages, no line is drawn twice, and the PDF is written on a
// worker thread while the progress box shows.
TEST_F(RecordWindowTest, TheCertificateNeverSplitsAParagraphNorRepeatsALine)
{
    if (RunCommand("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext is missing (Debian package poppler-utils)";
    TempDir dir;
    constexpr int kCommands = 30;
    for (int i = 0; i < kCommands; ++i) {
        const std::string file = dir / ("file-" + std::to_string(i) + ".txt");
        WriteFile(file, std::string(100 + i, 'x'));
        SetFileDialogHook([file](const FileDialogRequest&) { return QStringList{QString::fromStdString(file)}; });
        confirmAnswers = {IDC_YES};
        frame->OnCommand(ID_SECURE_DELETE_FILE);
    }
    ASSERT_EQ(frame->SessionRecord().CommandCount(), size_t(kCommands));

    // Looked at from the GUI thread while the report is written.
    QString during;
    QTimer::singleShot(0, frame.get(), [&] {
        for (auto* box : frame->findChildren<CProgressBox*>())
            if (box->isVisible())
                during = box->m_strText;
    });
    TempDir reports;
    SaveReport(reports / "many.pdf", QStringLiteral("PDF (*.pdf)"));
    EXPECT_EQ(during, QStringLiteral(" Writing the Report ..."));
    ASSERT_TRUE(Exists(reports / "many.pdf"));

    // The certificate's pages, each as its own text.
    std::vector<std::string> pages;
    for (int page = 1; page < 20; ++page) {
        const std::string out = reports / ("page-" + std::to_string(page) + ".txt");
        if (RunCommand("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + reports / "many.pdf"
                       + " " + out + " 2>/dev/null") != 0)
            break;
        const std::string text = ReadFile(out);
        if (text.find("certificate, page") == std::string::npos)
            break;
        pages.push_back(text);
    }
    ASSERT_GE(pages.size(), 2u) << "thirty commands should take the certificate past one page";
    std::string all;
    for (const std::string& page : pages)
        all += page;
    // Each command's row once: the result of each is there exactly once.
    for (int i = 0; i < kCommands; ++i) {
        const std::string result = "1 file destroyed, " + std::to_string(100 + i) + " bytes";
        size_t count = 0;
        for (size_t at = all.find(result); at != std::string::npos; at = all.find(result, at + 1))
            ++count;
        EXPECT_EQ(count, 1u) << result;
    }
    // The table's heading row once, not again on the next page.
    size_t headings = 0;
    for (size_t at = all.find("Started"); at != std::string::npos; at = all.find("Started", at + 1))
        ++headings;
    EXPECT_EQ(headings, 1u);
    // A paragraph's first and last words stand on the same page.
    const auto words = [](const QString& text) { return text.simplified().split(QLatin1Char(' ')); };
    std::vector<QString> paragraphs;
    for (const std::string& limit : ReportLimits())
        paragraphs.push_back(QString::fromStdString(limit));
    paragraphs.push_back(QString::fromStdString(MethodText(RecordMethod::Files)));
    for (const QString& paragraph : paragraphs) {
        const QStringList w = words(paragraph);
        ASSERT_GE(w.size(), 6);
        const std::string head = (w[0] + QLatin1Char(' ') + w[1] + QLatin1Char(' ') + w[2]).toStdString();
        const std::string tail = (w[w.size() - 2] + QLatin1Char(' ') + w[w.size() - 1]).toStdString();
        int headPage = -1, tailPage = -1;
        for (size_t p = 0; p < pages.size(); ++p) {
            const std::string flat = QString::fromStdString(pages[p]).simplified().toStdString();
            if (flat.find(head) != std::string::npos)
                headPage = int(p);
            if (flat.find(tail) != std::string::npos)
                tailPage = int(p);
        }
        EXPECT_GE(headPage, 0) << head;
        EXPECT_EQ(headPage, tailPage) << paragraph.toStdString();
    }
}

// Root saves a report in a shared sticky folder where another user planted
// a link at the chosen name: the report is refused with a message and the
// link's target, a root-only file, is never created or changed.
TEST_F(RecordWindowTest, SaveReportNeverWritesThroughALinkAtTheChosenName)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the planted link belongs to another user only when root can make it so";
    TempDir files, shared, rootOnly;
    ASSERT_EQ(chmod(shared.Path().c_str(), 01777), 0);
    ASSERT_EQ(chmod(rootOnly.Path().c_str(), 0700), 0);
    WriteFile(files / "one.txt", "one");
    SetFileDialogHook([&](const FileDialogRequest&) { return QStringList{QString::fromStdString(files / "one.txt")}; });
    confirmAnswers = {IDC_YES};
    frame->OnCommand(ID_SECURE_DELETE_FILE);

    const std::string planted = shared / "report.json";
    const std::string target = rootOnly / "cron-job";
    ASSERT_EQ(symlink(target.c_str(), planted.c_str()), 0);
    ASSERT_EQ(lchown(planted.c_str(), 65534, 65534), 0);
    for (const char* name : {"report.json", "report.pdf"}) {
        if (std::string(name) == "report.pdf")
            ASSERT_EQ(rename(planted.c_str(), (shared / name).c_str()), 0);
        boxes.clear();
        SaveReport(shared / name, QStringLiteral("JSON (*.json)"));
        ASSERT_EQ(boxes.size(), 1) << name;
        EXPECT_TRUE(boxes[0].contains(QStringLiteral("symbolic link"))) << boxes[0].toStdString();
        EXPECT_FALSE(Exists(target)) << "written through the link";
        char buffer[4096] = {};
        ASSERT_EQ(readlink((shared / name).c_str(), buffer, sizeof buffer - 1), ssize_t(target.size()));
        EXPECT_EQ(std::string(buffer), target);
    }
    // Another name in the same folder is written, by the user alone.
    SaveReport(shared / "mine.json", QStringLiteral("JSON (*.json)"));
    struct stat st {};
    ASSERT_EQ(lstat((shared / "mine.json").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ListingOrder(shared.Path()).size(), 2u) << "no temporary file is left behind";
}

// The sweep by preferences with one location missing sweeps the others:
// it ran. The missing one is named in the record and the report, and the
// command is not called "not run" though it found nothing.
TEST_F(RecordWindowTest, APreferenceSweepNamesAMissingLocationAndSweepsTheOthers)
{
    TempDir temp;
    WriteFile(temp / "keep.txt", "not a match");
    const std::string missing = temp / "gone";
    CSettings::WriteBool(Setting::All, false);
    CSettings::Write(Setting::TemporaryPath, temp.Path());
    CSettings::Write(Setting::OtherPath, missing);
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    frame->OnCommand(ID_SECURE_DELETE_PREFERENCES);
    const QString why = QStringLiteral("Other Path %1 could not be swept: it does not exist.").arg(QString::fromStdString(missing));
    EXPECT_EQ(boxes, QStringList{why});
    EXPECT_EQ(Rows(0), (QStringList{why, QStringLiteral("nothing destroyed")}));
    EXPECT_TRUE(Heading(0).contains(QStringLiteral(", took "))) << Heading(0).toStdString();
    EXPECT_TRUE(frame->Action(ID_FILE_SAVE_REPORT)->isEnabled());
    TempDir reports;
    SaveReport(reports / "p.json", QStringLiteral("JSON (*.json)"));
    const QJsonObject command = ReadJson(reports / "p.json")[QStringLiteral("commands")].toArray()[0].toObject();
    EXPECT_EQ(command[QStringLiteral("result")].toString(), QStringLiteral("completed"));
    EXPECT_EQ(command[QStringLiteral("notes")].toArray().at(0).toString(), why);
    EXPECT_EQ(ReadFile(temp / "keep.txt"), "not a match");
}
