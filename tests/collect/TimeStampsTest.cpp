#include "collect/TimeStamps.h"

#include <gtest/gtest.h>

#include "fake/FakePlatform.h"

using namespace kirramo;

namespace {

FileTicks T(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return FakePlatform::Ticks(y, mo, d, h, mi, s, ms);
}

EntryInfo Folder(FileTicks created) {
    EntryInfo e;
    e.attributes = kAttrDirectory;
    e.creationTime = created;
    e.hasTimes = true;
    return e;
}

}  // namespace

TEST(CivilTicks, ConvertBothWaysOverTheWholeRange) {
    for (CivilTime c : {CivilTime{1601, 1, 1, 0, 0, 0}, CivilTime{1900, 2, 28, 23, 59, 59},
                        CivilTime{2000, 2, 29, 12, 0, 0}, CivilTime{2024, 12, 31, 1, 2, 3},
                        CivilTime{30827, 12, 31, 23, 59, 59}}) {
        FileTicks t = TicksFromCivil(c);
        auto back = CivilFromTicks(t);
        ASSERT_TRUE(back);
        EXPECT_EQ(std::tie(back->year, back->month, back->day, back->hour, back->minute, back->second),
                  std::tie(c.year, c.month, c.day, c.hour, c.minute, c.second));
    }
    EXPECT_EQ(TicksFromCivil({1970, 1, 1}), 116444736000000000LL);
    EXPECT_EQ(TicksFromCivil({2023, 13, 1}), TicksFromCivil({2024, 1, 1}));  // months carry
    EXPECT_EQ(CivilFromTicks(T(2024, 3, 1) - 1)->day, 29);
    EXPECT_FALSE(CivilFromTicks(kNoTime));
    EXPECT_FALSE(CivilFromTicks(-1));
}

TEST(FileTimeText, AddsNineHoursAndCutsTheSeconds) {
    FakePlatform fs;
    EXPECT_EQ(FileTimeText(fs, T(2007, 7, 15, 16, 10, 0)), "2007/07/16 01:10:00");
    EXPECT_EQ(FileTimeText(fs, T(2023, 12, 31, 20, 30, 0)), "2024/01/01 05:30:00");
    EXPECT_EQ(FileTimeText(fs, T(2024, 2, 28, 23, 0, 0)), "2024/02/29 08:00:00");
    EXPECT_EQ(FileTimeText(fs, T(2023, 2, 28, 23, 0, 0)), "2023/03/01 08:00:00");
    EXPECT_EQ(FileTimeText(fs, T(2024, 5, 5, 12, 0, 59, 999)), "2024/05/05 21:00:59");
    EXPECT_EQ(FileTimeText(fs, 0), "1601/01/01 09:00:00");
    EXPECT_EQ(FileTimeText(fs, kNoTime), "");
    EXPECT_EQ(FileTimeText(fs, INT64_MAX), "");

    // The machine's zone does not matter; the locale's separators do.
    fs.utcOffsetMinutes = -5 * 60;
    fs.dateSeparator = "-";
    fs.timeSeparator = ".";
    EXPECT_EQ(FileTimeText(fs, T(2007, 7, 15, 16, 10, 0)), "2007-07-16 01.10.00");
}

TEST(ItemTimeText, FoldersShowLocalCreationTimeAndFilesTheirWriteTime) {
    FakePlatform fs;
    // The same moment: a file pads the hour, a folder does not.
    EXPECT_EQ(ItemTimeText(fs, Folder(T(2007, 7, 15, 16, 10, 0))), "2007/07/16 1:10:00");
    EntryInfo file;
    file.writeTime = T(2007, 7, 15, 16, 10, 0);
    file.creationTime = T(2000, 1, 1);
    EXPECT_EQ(ItemTimeText(fs, file), "2007/07/16 01:10:00");
    // Local midnight: the date alone.
    EXPECT_EQ(ItemTimeText(fs, Folder(T(2007, 7, 15, 15, 0, 0))), "2007/07/16");
    // The folder's time follows the machine's zone.
    fs.utcOffsetMinutes = 0;
    EXPECT_EQ(ItemTimeText(fs, Folder(T(2007, 7, 15, 16, 10, 0))), "2007/07/15 16:10:00");
    // Unknown times give empty text.
    EXPECT_EQ(ItemTimeText(fs, Folder(kNoTime)), "");
    file.writeTime = kNoTime;
    EXPECT_EQ(ItemTimeText(fs, file), "");
}
