// SPDX-License-Identifier: GPL-3.0-or-later
// The session record: the figures and summaries of a command, the listing
// limit that keeps a huge sweep cheap without losing a left file, and items
// arriving from another thread while the record is read.
#include "record/SessionRecord.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tw;

namespace {

ItemResult File(const std::string& path, uint64_t size, bool destroyed, int cause = 0, const std::string& message = "")
{
    return test::MakeItem(ItemKind::File, path, size, destroyed, cause, message);
}

ItemResult Drive(const std::string& path, uint64_t size, bool wiped)
{
    return test::MakeItem(ItemKind::Drive, path, size, wiped);
}

ItemResult Memory(uint64_t size) { return test::MakeItem(ItemKind::Memory, "", size, true); }

} // namespace

// One formatter for every size the program writes: binary units, one
// decimal below a hundred, never four digits; rates in the same units.
TEST(SessionRecordText, SizesAndRatesReadInBinaryUnits)
{
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 bytes"}, {1, "1 byte"}, {1023, "1023 bytes"}, {1024, "1.0 KiB"}, {14200000, "13.5 MiB"},
        {102348, "99.9 KiB"}, {102400, "100 KiB"}, {1023 * 1024, "1.0 MiB"}, {7900000000ULL, "7.4 GiB"},
        {3000000000000ULL, "2.7 TiB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatSize(bytes), text) << bytes;
    EXPECT_EQ(FormatRate(731e6), "697 MiB/s");
    EXPECT_EQ(FormatRate(-1), "0 bytes/s");
}

TEST(SessionRecordText, SummariesSayWhatEachKindOfCommandDid)
{
    struct Case {
        std::vector<ItemResult> items;
        const char* withBytes;
        const char* withoutBytes;
    };
    std::vector<ItemResult> sweep;
    for (int i = 0; i < 312; ++i)
        sweep.push_back(File("/t/f" + std::to_string(i), i < 2 ? 7050000 : 500, true));
    sweep.push_back(File("/t/a", 0, false, 5, "x"));
    sweep.push_back(File("/t/b", 9, false, 11, "y"));
    const Case cases[] = {
        {{}, "nothing destroyed", "nothing destroyed"},
        {sweep, "312 files destroyed, 13.6 MiB; 2 left", "312 files destroyed, 2 left"},
        {{File("/a", 10, true)}, "1 file destroyed, 10 bytes", "1 file destroyed"},
        {{File("/a", 10, false, 0, "Not confirmed")}, "0 files destroyed; 1 left", "0 files destroyed, 1 left"},
        {{Drive("C: /", 3100000000ULL, true), Drive("E: /media/e", 0, false)},
         "free space of 1 drive overwritten, 2.9 GiB; 1 drive left", "free space of 1 drive overwritten, 1 drive left"},
        {{Memory(7900000000ULL)}, "held 7.4 GiB of memory", "held 7.4 GiB of memory"},
    };
    for (const Case& c : cases) {
        RecordCounts counts;
        for (const ItemResult& item : c.items)
            counts.Add(item);
        EXPECT_EQ(SummaryText(counts, true), c.withBytes);
        EXPECT_EQ(SummaryText(counts, false), c.withoutBytes);
    }
}

// A removed file is gone from its folder but not from the device: it never
// counts as destroyed, and the summary says where the old copies are.
TEST(SessionRecordText, RemovedFilesAreCountedApartWithTheDrivesThatHoldTheirOldCopies)
{
    const auto removed = [](const std::string& path, uint64_t size, char drive) {
        ItemResult item = File(path, size, false);
        item.removed = true;
        item.drive = drive;
        return item;
    };
    RecordCounts mixed;
    for (const ItemResult& item : {File("/a", 14200000, true), removed("/e/b", 3000000, 'E'),
                                   removed("/d/c", 100000, 'D'), removed("/e/d", 0, 'E'), File("/x", 0, false, 11)})
        mixed.Add(item);
    EXPECT_EQ(mixed.filesDestroyed, 1u);
    EXPECT_EQ(mixed.filesRemoved, 3u);
    EXPECT_EQ(mixed.filesLeft, 1u);
    EXPECT_EQ(SummaryText(mixed, true),
              "1 file destroyed, 13.5 MiB; 3 removed, 3.0 MiB; old copies remain until the free space of D:, E: is "
              "wiped; 1 left");
    EXPECT_EQ(SummaryText(mixed, false),
              "1 file destroyed; 3 removed; old copies remain until the free space of D:, E: is wiped, 1 left");

    RecordCounts overlay;
    overlay.Add(removed("/merged/a", 10, 0));
    EXPECT_EQ(SummaryText(overlay, true), "1 file removed, 10 bytes; old copies remain");
    RecordCounts both = overlay;
    both += mixed;
    EXPECT_EQ(both.removedDrives, "DE");
    EXPECT_EQ(both.filesRemoved, 4u);
    EXPECT_FALSE(overlay.Nothing());
}

TEST(SessionRecord, CommandsKeepTheirItemsInOrderWithTimesAndFigures)
{
    CSessionRecord record;
    EXPECT_TRUE(record.Empty());
    record.Add(File("/before", 1, true));  // no command open: not kept

    record.BeginCommand("Secure Delete File", RecordMethod::Files);
    record.Add(File("/a\xff.txt", 3000, true));
    record.Add(File("/b.txt", 0, false, 2, "Could not access this file for deletion [ 2 ]"));
    EXPECT_FALSE(record.Command(0).ended.isValid()) << "still running";
    record.EndCommand();
    record.Add(File("/after", 1, true));  // between commands: not kept

    record.BeginCommand("Overcommit Swapfile", RecordMethod::Memory);
    record.Add(Memory(4096));
    record.EndCommand();

    ASSERT_EQ(record.CommandCount(), 2u);
    const RecordedCommand first = record.Command(0);
    EXPECT_EQ(first.name, "Secure Delete File");
    EXPECT_EQ(first.method, RecordMethod::Files);
    EXPECT_TRUE(first.ended.isValid());
    EXPECT_LE(first.started, first.ended);
    EXPECT_EQ(first.listed, 2u);
    EXPECT_EQ(first.counts.filesDestroyed, 1u);
    EXPECT_EQ(first.counts.bytesDestroyed, 3000u);
    EXPECT_EQ(first.counts.filesLeft, 1u);

    const ItemResult a = record.Item(0, 0);
    EXPECT_EQ(a.path, "/a\xff.txt");
    EXPECT_TRUE(a.destroyed);
    const ItemResult b = record.Item(0, 1);
    EXPECT_EQ(b.path, "/b.txt");
    EXPECT_EQ(b.cause, 2);
    EXPECT_EQ(b.message, "Could not access this file for deletion [ 2 ]");
    EXPECT_FALSE(b.destroyed);

    EXPECT_EQ(record.Command(1).counts.memoryHeld, 4096u);
    const RecordCounts totals = record.Totals();
    EXPECT_EQ(totals.filesDestroyed, 1u);
    EXPECT_EQ(totals.memoryHeld, 4096u);
}

TEST(SessionRecord, PastTheLimitOnlyCountsGrowButEveryLeftFileIsListed)
{
    CSessionRecord record;
    record.BeginCommand("Secure Delete Temp Files", RecordMethod::Files);
    const size_t extra = 25;
    for (size_t i = 0; i < CSessionRecord::kListLimit + extra; ++i) {
        record.Add(File("/tmp/f" + std::to_string(i), 10, true));
        if (i == 50 || i == CSessionRecord::kListLimit + 3)
            record.Add(File("/tmp/left" + std::to_string(i), 0, false, 5, "denied"));
    }
    record.EndCommand();

    const RecordedCommand c = record.Command(0);
    EXPECT_EQ(c.counts.filesDestroyed, CSessionRecord::kListLimit + extra);
    EXPECT_EQ(c.counts.bytesDestroyed, 10 * (CSessionRecord::kListLimit + extra));
    EXPECT_EQ(c.counts.filesLeft, 2u);
    // The first 100,000 rows (one of them a left file) are listed; the
    // destroyed files after them are only counted.
    EXPECT_EQ(c.counts.unlisted, extra + 1);
    EXPECT_EQ(c.counts.unlistedBytes, 10 * (extra + 1));
    ASSERT_EQ(c.listed, CSessionRecord::kListLimit + 1);
    // The left file that came after the limit is still the last listed row.
    EXPECT_EQ(record.Item(0, c.listed - 1).path, "/tmp/left" + std::to_string(CSessionRecord::kListLimit + 3));
    EXPECT_EQ(record.Item(0, 51).path, "/tmp/left50");

    size_t visited = 0;
    record.ForEachItem(0, [&](const ItemResult&) { ++visited; });
    EXPECT_EQ(visited, c.listed);
}

TEST(SessionRecord, ItemsFromAWorkerThreadAreAllKeptWhileTheRecordIsRead)
{
    CSessionRecord record(1000);
    record.BeginCommand("Secure Delete Other", RecordMethod::Files);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 20000; ++i)
            record.Add(File("/o/" + std::to_string(i), 1, true));
        done = true;
    });
    // Reads go on while the worker adds; every row read is a whole item.
    size_t reads = 0;
    while (!done || reads == 0) {
        const RecordedCommand c = record.Command(0);
        if (c.listed > 0) {
            EXPECT_EQ(record.Item(0, c.listed - 1).path, "/o/" + std::to_string(c.listed - 1));
        }
        ++reads;
    }
    worker.join();
    record.EndCommand();
    EXPECT_EQ(record.Command(0).counts.filesDestroyed, 20000u);
    EXPECT_EQ(record.Command(0).listed, 1000u);
    EXPECT_EQ(record.Command(0).counts.unlisted, 19000u);
}
