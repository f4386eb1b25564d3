#include "common/test_env.h"

#include "common/record_file.h"
#include "common/return_table.h"
#include "support/full_disk.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace common;

namespace {
QByteArray TableBytes() {
    QFile file(ReturnTablePath());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}
QByteArray Slot(const QByteArray& table, int offset, int width, int slot) {
    return table.mid(offset + slot * width, width);
}
} // namespace

using ReturnTable = DataFolderTest;

TEST_F(ReturnTable, UnknownIdentifierIsEmptyAndCreatesTheFile) {
    ASSERT_FALSE(QFile::exists(ReturnTablePath()));
    bool ok = false;
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("COSTCMP"), &ok), QString());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(QFile::exists(ReturnTablePath()));
    EXPECT_EQ(QFileInfo(ReturnTablePath()).size(), 0);
}

TEST_F(ReturnTable, WrittenSlotsHaveTheExactLayout) {
    ASSERT_TRUE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    ASSERT_TRUE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("BOOKMRG")));
    const QByteArray t = TableBytes();
    ASSERT_EQ(t.size(), kReturnTableLength);
    EXPECT_EQ(t.mid(0, 3), QByteArray("YUK"));
    EXPECT_EQ(t.mid(3, 3), QByteArray("YUK"));
    EXPECT_EQ(t.mid(6, 3), QByteArray(3, '\0'));
    EXPECT_EQ(t.mid(768, 8), QByteArray("HUBMENU "));
    EXPECT_EQ(t.mid(776, 8), QByteArray("HUBMENU "));
    EXPECT_EQ(t.mid(2816, 8), QByteArray("COSTCMP "));
    EXPECT_EQ(t.mid(2824, 8), QByteArray("BOOKMRG "));
    EXPECT_EQ(t.mid(2832, 8), QByteArray(8, '\0'));

    EXPECT_EQ(ReadReturnTarget(QStringLiteral("BOOKMRG")), QStringLiteral("HUBMENU"));
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("SHTLIST")), QString());
}

TEST_F(ReturnTable, SameIdentifierReusesItsSlotAndLongIdentifiersAreCut) {
    ASSERT_TRUE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    ASSERT_TRUE(WriteReturnTarget(QStringLiteral("COSTSUB"), QStringLiteral("COSTCMP")));
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("COSTCMP")), QStringLiteral("COSTSUB"));
    EXPECT_EQ(Slot(TableBytes(), kReturnStateOffset, 3, 1), QByteArray(3, '\0'));

    ASSERT_TRUE(WriteReturnTarget(QStringLiteral("LONGCOMMAND"), QStringLiteral("ABCDEFGH1")));
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("ABCDEFGH2")), QStringLiteral("LONGCOMM"));
    const QByteArray t = TableBytes();
    EXPECT_EQ(Slot(t, kReturnCallerOffset, 8, 1), QByteArray("ABCDEFGH"));
    EXPECT_EQ(Slot(t, kReturnCommandOffset, 8, 1), QByteArray("LONGCOMM"));
}

TEST_F(ReturnTable, HandMadeFileIsReadBySlotOrderIgnoringState) {
    QByteArray t(kReturnTableLength, ' ');
    // Slot 5 holds SHTLIST without the in-use mark; slot 9 holds it again.
    t.replace(kReturnCommandOffset + 5 * 8, 8, "HUBMENU ");
    t.replace(kReturnCallerOffset + 5 * 8, 8, "SHTLIST ");
    t.replace(kReturnCommandOffset + 9 * 8, 8, "OTHER   ");
    t.replace(kReturnCallerOffset + 9 * 8, 8, "SHTLIST ");
    ASSERT_TRUE(WriteRecordFile(ReturnTablePath(), t));
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("SHTLIST")), QStringLiteral("HUBMENU"));

    // A new identifier takes the lowest slot not marked in use; a short file is
    // padded to the full record.
    ASSERT_TRUE(WriteRecordFile(ReturnTablePath(), QByteArray("YUKYUKxxx")));
    ASSERT_TRUE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    const QByteArray after = TableBytes();
    ASSERT_EQ(after.size(), kReturnTableLength);
    EXPECT_EQ(after.left(9), QByteArray("YUKYUKYUK"));
    EXPECT_EQ(Slot(after, kReturnCallerOffset, 8, 2), QByteArray("COSTCMP "));
}

TEST_F(ReturnTable, FullTableIsRefusedAndLeftUnchanged) {
    for (int i = 0; i < kReturnSlots; ++i)
        ASSERT_TRUE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("P%1").arg(i)));
    const QByteArray before = TableBytes();
    QString error;
    EXPECT_FALSE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("NEWONE"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(TableBytes(), before);
    // An identifier already present can still be updated.
    EXPECT_TRUE(WriteReturnTarget(QStringLiteral("COSTSUB"), QStringLiteral("P255")));
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("P255")), QStringLiteral("COSTSUB"));
}

TEST_F(ReturnTable, MissingDataFolderIsReported) {
    ASSERT_TRUE(QDir(DataFolder()).removeRecursively());
    bool ok = true;
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("COSTCMP"), &ok), QString());
    EXPECT_FALSE(ok);
    QString error;
    EXPECT_FALSE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// MODORI.DAT was cut to 4,096 bytes when the disk was full: a registration
// that cannot be written is reported and the table stays as it was.
TEST(ReturnTableFullDisk, FailedRegistrationKeepsTheTable) {
    testing_support::FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QByteArray oldAppData = qgetenv("APPDATA");
    qputenv("APPDATA", QFile::encodeName(disk.Path()));
    SetDataFolder();
    ASSERT_TRUE(QDir().mkpath(DataFolder()));
    ASSERT_TRUE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    const QByteArray before = TableBytes();
    ASSERT_TRUE(disk.Fill());

    QString error;
    EXPECT_FALSE(WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("BOOKMRG"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(TableBytes(), before);
    EXPECT_EQ(ReadReturnTarget(QStringLiteral("COSTCMP")), QStringLiteral("HUBMENU"));
    if (oldAppData.isEmpty())
        qunsetenv("APPDATA");
    else
        qputenv("APPDATA", oldAppData);
    SetDataFolder();
}
