#include "common/test_env.h"
#include "hubmenu/settings_file.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace hubmenu;

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void PutFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(HubmenuSettings, DecodesTabDigitsAndBackgroundDigit) {
    const auto empty = DecodeSettings(QByteArray());
    EXPECT_EQ(empty.lastToolTab, 0);
    EXPECT_EQ(empty.background, 0);

    const auto zeros = DecodeSettings(QByteArray(256, '\0'));
    EXPECT_EQ(zeros.lastToolTab, 0);
    EXPECT_EQ(zeros.background, 0);

    EXPECT_EQ(DecodeSettings("0105").lastToolTab, 10);
    EXPECT_EQ(DecodeSettings("0105").background, 5);
    EXPECT_EQ(DecodeSettings("0146").lastToolTab, 14);
    // Leading digits only; blanks around them are trimmed.
    EXPECT_EQ(DecodeSettings("2x93").lastToolTab, 2);
    EXPECT_EQ(DecodeSettings(" 2 1").lastToolTab, 2);
    EXPECT_EQ(DecodeSettings("ab3").lastToolTab, 0);
    // No digit in byte 3 reads as 0.
    EXPECT_EQ(DecodeSettings("002x").background, 0);
    EXPECT_EQ(DecodeSettings("002 ").background, 0);
}

TEST(HubmenuSettings, EncodesOnlyTheFirstFourBytes) {
    EXPECT_EQ(EncodeToolStart(QByteArray(), 10, 5), QByteArray("0105"));
    EXPECT_EQ(EncodeToolStart(QByteArray(), 2, 3), QByteArray("0023"));
    // Bytes after the record's data are kept as they were.
    EXPECT_EQ(EncodeToolStart(QByteArray("9999tail"), 14, 6), QByteArray("0146tail"));

    // Esc replaces the background digit and nothing else.
    EXPECT_EQ(EncodeBackground(QByteArray("0023rest"), 5), QByteArray("0025rest"));
    EXPECT_EQ(EncodeBackground(QByteArray(), 5), QByteArray("   5"));
    EXPECT_EQ(EncodeBackground(QByteArray("01"), 4), QByteArray("01 4"));
}

class HubmenuSettingsFile : public DataFolderTest {};

TEST_F(HubmenuSettingsFile, MissingFileIsCreatedEmptyAndSavesRoundTrip) {
    const QString path = SettingsPath();
    ASSERT_FALSE(QFile::exists(path));
    const LauncherSettings first = LoadSettings(path);
    EXPECT_EQ(first.lastToolTab, 0);
    EXPECT_EQ(first.background, 0);
    EXPECT_EQ(FileBytes(path), QByteArray());

    ASSERT_TRUE(SaveToolStart(path, 10, 5));
    EXPECT_EQ(FileBytes(path), QByteArray("0105"));
    ASSERT_TRUE(SaveBackground(path, 2));
    EXPECT_EQ(FileBytes(path), QByteArray("0102"));
    const LauncherSettings back = LoadSettings(path);
    EXPECT_EQ(back.lastToolTab, 10);
    EXPECT_EQ(back.background, 2);
}

TEST_F(HubmenuSettingsFile, LongerFileKeepsItsOtherBytes) {
    const QString path = SettingsPath();
    QByteArray record(256, ' ');
    record.replace(0, 4, "0146");
    record.append("next record");
    PutFile(path, record);

    ASSERT_TRUE(SaveBackground(path, 1));
    QByteArray expected = record;
    expected[3] = '1';
    EXPECT_EQ(FileBytes(path), expected);
}
