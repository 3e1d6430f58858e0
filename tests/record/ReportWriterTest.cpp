// SPDX-License-Identifier: GPL-3.0-or-later
// The plain-text forms of the report: JSON that a program can read back to
// the same bytes, CSV that a spreadsheet opens without running anything,
// and files that only their owner can read and that never replace an
// earlier report by halves.
#include "record/ItemReport.h"
#include "record/ReportWriter.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tw;

namespace {

ItemResult Item(ItemKind kind, const std::string& path, uint64_t size, bool destroyed, int cause = 0,
                const std::string& message = "")
{
    return test::MakeItem(kind, path, size, destroyed, cause, message);
}

// Two commands: files with an awkward name, and a free-space wipe.
void FillRecord(CSessionRecord& record)
{
    record.BeginCommand("Secure Delete File", RecordMethod::Files);
    record.Add(Item(ItemKind::File, "/home/u/caf\xc3\xa9 \"q\",x.txt", 2048, true));
    record.Add(Item(ItemKind::File, "/home/u/bad\xff\\name", 0, false, 5, "Could not access this file for deletion [ 5 ]"));
    record.Add(Item(ItemKind::File, "/home/u/=cmd|' /C calc'!A0", 0, false, 0, "Not confirmed"));
    record.EndCommand();
    record.BeginCommand("Secure Empty Space", RecordMethod::FreeSpace);
    record.Add(Item(ItemKind::Drive, "E: /media/e", 1048576, true));
    record.EndCommand();
}

ReportHeading Heading()
{
    ReportHeading h;
    h.version = "1.0";
    h.host = "bench-host";
    h.user = "alice";
    h.created = QDateTime::currentDateTime();
    return h;
}

} // namespace

TEST(ReportWriter, JsonCarriesHeadingCommandsMethodItemsAndCounts)
{
    CSessionRecord record;
    FillRecord(record);
    const QJsonDocument doc = QJsonDocument::fromJson(ReportJson(record, Heading()));
    ASSERT_TRUE(doc.isObject());
    const QJsonObject root = doc.object();
    EXPECT_EQ(root[QStringLiteral("program")].toString(), QStringLiteral("Tarnowick"));
    EXPECT_EQ(root[QStringLiteral("version")].toString(), QStringLiteral("1.0"));
    EXPECT_EQ(root[QStringLiteral("host")].toString(), QStringLiteral("bench-host"));
    EXPECT_EQ(root[QStringLiteral("user")].toString(), QStringLiteral("alice"));
    EXPECT_TRUE(QDateTime::fromString(root[QStringLiteral("created")].toString(), Qt::ISODate).isValid());

    const QJsonArray commands = root[QStringLiteral("commands")].toArray();
    ASSERT_EQ(commands.size(), 2);
    const QJsonObject files = commands[0].toObject();
    EXPECT_EQ(files[QStringLiteral("name")].toString(), QStringLiteral("Secure Delete File"));
    // ISO 8601 with the offset from UTC, so the moment is unambiguous.
    const QString started = files[QStringLiteral("started")].toString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d)$)"))
                    .match(started).hasMatch())
        << started.toStdString();
    EXPECT_LE(QDateTime::fromString(started, Qt::ISODate), QDateTime::fromString(files[QStringLiteral("ended")].toString(), Qt::ISODate));
    const QJsonObject method = files[QStringLiteral("method")].toObject();
    EXPECT_EQ(method[QStringLiteral("pattern")].toString(), QStringLiteral("Tarnowick Secure"));
    EXPECT_EQ(method[QStringLiteral("passes")].toInt(), 1);
    EXPECT_TRUE(method[QStringLiteral("flushedBeforeRemoval")].toBool());
    EXPECT_EQ(commands[1].toObject()[QStringLiteral("method")].toObject()[QStringLiteral("kind")].toString(),
              QStringLiteral("free space"));

    const QJsonArray items = files[QStringLiteral("items")].toArray();
    ASSERT_EQ(items.size(), 3);
    // Every path comes back to its bytes, UTF-8 or not.
    const std::string expected[] = {"/home/u/caf\xc3\xa9 \"q\",x.txt", "/home/u/bad\xff\\name", "/home/u/=cmd|' /C calc'!A0"};
    for (int i = 0; i < 3; ++i) {
        const auto bytes = UnescapeBytes(items[i].toObject()[QStringLiteral("path")].toString().toStdString());
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, expected[i]);
        EXPECT_EQ(items[i].toObject(), ItemToJson(record.Item(0, size_t(i))));
    }
    EXPECT_EQ(items[1].toObject()[QStringLiteral("result")].toString(), QStringLiteral("left"));
    EXPECT_EQ(items[1].toObject()[QStringLiteral("cause")].toInt(), 5);

    const QJsonObject counts = files[QStringLiteral("counts")].toObject();
    EXPECT_EQ(counts[QStringLiteral("filesDestroyed")].toInt(), 1);
    EXPECT_EQ(counts[QStringLiteral("bytesDestroyed")].toInt(), 2048);
    EXPECT_EQ(counts[QStringLiteral("filesLeft")].toInt(), 2);
    const QJsonObject totals = root[QStringLiteral("counts")].toObject();
    EXPECT_EQ(totals[QStringLiteral("drivesOverwritten")].toInt(), 1);
    EXPECT_EQ(totals[QStringLiteral("bytesWrittenToFreeSpace")].toInt(), 1048576);
    EXPECT_FALSE(root[QStringLiteral("limits")].toArray().isEmpty());
}

TEST(ReportWriter, CsvHasOneQuotedRowPerItemAndDisarmsFormulas)
{
    CSessionRecord record;
    FillRecord(record);
    const QString csv = QString::fromUtf8(ReportCsv(record));
    const QStringList rows = csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 5);  // heading and four items
    EXPECT_EQ(rows[0], QStringLiteral("command,started,kind,path,size,result,cause,message"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("Secure Delete File,")));
    // A separator or a quote in a name: the field is quoted, quotes doubled.
    EXPECT_TRUE(rows[1].contains(QStringLiteral(",file,\"/home/u/caf\u00e9 \"\"q\"\",x.txt\",2048,destroyed,0,")))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[2].contains(QStringLiteral(",/home/u/bad\\xff\\\\name,0,left,5,Could not access this file for deletion [ 5 ]")))
        << rows[2].toStdString();
    EXPECT_TRUE(rows[3].endsWith(QStringLiteral(",left,0,Not confirmed")));
    EXPECT_TRUE(rows[4].contains(QStringLiteral(",drive,E: /media/e,1048576,destroyed,")));

    // A field that a spreadsheet would run as a formula starts with an
    // apostrophe instead.
    CSessionRecord hostile;
    hostile.BeginCommand("=SUM(A1)", RecordMethod::Files);
    hostile.Add(Item(ItemKind::File, "-2+3", 1, true, 0, "@cmd"));
    hostile.EndCommand();
    const QStringList fields = QString::fromUtf8(ReportCsv(hostile)).split(QStringLiteral("\r\n"))[1].split(QLatin1Char(','));
    EXPECT_EQ(fields[0], QStringLiteral("'=SUM(A1)"));
    EXPECT_EQ(fields[3], QStringLiteral("'-2+3"));
    EXPECT_EQ(fields[7], QStringLiteral("'@cmd"));
}

// A file removed where its old copies remain is never written "destroyed".
TEST(ReportWriter, ARemovedFileIsRemovedInBothFormsWithItsNote)
{
    CSessionRecord record;
    record.BeginCommand("Secure Delete Temp Files", RecordMethod::Files);
    ItemResult removed = Item(ItemKind::File, "/mnt/b/a.tmp", 4096, false, 0,
                              "Old copies remain until the free space of D: is wiped");
    removed.removed = true;
    removed.drive = 'D';
    record.Add(removed);
    record.Add(Item(ItemKind::File, "/home/u/b.tmp", 10, true));
    record.EndCommand();

    const QJsonObject command =
        QJsonDocument::fromJson(ReportJson(record, Heading())).object()[QStringLiteral("commands")].toArray()[0].toObject();
    const QJsonObject item = command[QStringLiteral("items")].toArray()[0].toObject();
    EXPECT_EQ(item[QStringLiteral("result")].toString(), QStringLiteral("removed"));
    EXPECT_EQ(item[QStringLiteral("message")].toString(), QStringLiteral("Old copies remain until the free space of D: is wiped"));
    const QJsonObject counts = command[QStringLiteral("counts")].toObject();
    EXPECT_EQ(counts[QStringLiteral("filesDestroyed")].toInt(), 1);
    EXPECT_EQ(counts[QStringLiteral("filesRemoved")].toInt(), 1);
    EXPECT_EQ(counts[QStringLiteral("bytesRemoved")].toInt(), 4096);
    EXPECT_EQ(command[QStringLiteral("summary")].toString(),
              QStringLiteral("1 file destroyed, 10 bytes; 1 removed, 4.0 KiB; old copies remain until the free space "
                             "of D: is wiped"));

    const QStringList rows = QString::fromUtf8(ReportCsv(record)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[1].endsWith(QStringLiteral(",file,/mnt/b/a.tmp,4096,removed,0,Old copies remain until the free "
                                                "space of D: is wiped")))
        << rows[1].toStdString();
}

TEST(ReportWriter, ItemsPastTheLimitAreCountedInBothForms)
{
    CSessionRecord record(2);
    record.BeginCommand("Secure Delete Temp Files", RecordMethod::Files);
    for (int i = 0; i < 5; ++i)
        record.Add(Item(ItemKind::File, "/t/" + std::to_string(i), 100, true));
    record.EndCommand();
    const QJsonObject command = QJsonDocument::fromJson(ReportJson(record, Heading())).object()[QStringLiteral("commands")].toArray()[0].toObject();
    EXPECT_EQ(command[QStringLiteral("items")].toArray().size(), 2);
    EXPECT_EQ(command[QStringLiteral("counts")].toObject()[QStringLiteral("filesDestroyed")].toInt(), 5);
    EXPECT_EQ(command[QStringLiteral("counts")].toObject()[QStringLiteral("itemsNotListed")].toInt(), 3);
    const QStringList rows = QString::fromUtf8(ReportCsv(record)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[3].contains(QStringLiteral(",not listed,,300,destroyed,0,3 more items destroyed, not listed")) ||
                rows[3].contains(QStringLiteral(",not listed,,300,destroyed,0,\"3 more items destroyed, not listed\"")))
        << rows[3].toStdString();
}

TEST(ReportWriter, TheFormatFollowsTheExtensionElseTheFilter)
{
    const struct {
        const char* path;
        const char* filter;
        ReportFormat format;
    } cases[] = {
        {"/r/report.json", "PDF (*.pdf)", ReportFormat::Json},
        {"/r/report.CSV", "JSON (*.json)", ReportFormat::Csv},
        {"/r/report.pdf", "CSV (*.csv)", ReportFormat::Pdf},
        {"/r/report", "CSV (*.csv)", ReportFormat::Csv},
        {"/r/report.txt", "PDF (*.pdf)", ReportFormat::Pdf},
        {"/r/report", "", ReportFormat::Json},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatForFile(QString::fromUtf8(c.path), QString::fromUtf8(c.filter)), c.format) << c.path;
}

TEST(ReportWriter, AReportIsReadableByItsOwnerOnlyAndAFailedWriteKeepsTheEarlierOne)
{
    test::TempDir dir;
    const QString path = QString::fromStdString(dir / "report.json");
    QString error;
    ASSERT_TRUE(WriteReportFile(path, "first", &error)) << error.toStdString();
    struct stat st {};
    ASSERT_EQ(stat((dir / "report.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A report written over a readable file makes it private too.
    chmod((dir / "report.json").c_str(), 0644);
    ASSERT_TRUE(WriteReportFile(path, "second", &error));
    ASSERT_EQ(stat((dir / "report.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(test::ReadFile(dir / "report.json"), "second");

    // Into a directory that does not exist: a reason, and nothing written.
    error.clear();
    EXPECT_FALSE(WriteReportFile(QString::fromStdString(dir / "missing/report.json"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(QString::fromStdString(dir.Path())).entryList(QDir::Files), QStringList{QStringLiteral("report.json")});
}
