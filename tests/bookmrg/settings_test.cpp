#include "bookmrg/settings.h"
#include "common/cp932.h"
#include "workbook_tools/tool_env.h"

#include <QFile>
#include <QFileInfo>

namespace {

using bookmrg::Settings;

QByteArray Padded(const QByteArray& bytes, int width) {
    return bytes + QByteArray(width - bytes.size(), ' ');
}

TEST(BookmrgSettings, RecordLayoutIsFixedWidthCp932) {
    Settings s;
    s.outputBook = QStringLiteral("/home/u/集計 .xls ");
    s.exclude1 = QStringLiteral("目次");
    s.exclude2 = QStringLiteral("Sheet");
    s.books = {QStringLiteral("/d/a.xls"), QStringLiteral("/d/売上～.xls")};
    s.matchMode = QStringLiteral("2");
    const QByteArray r = bookmrg::EncodeSettings(s);

    ASSERT_EQ(r.size(), bookmrg::kRecordLength);
    EXPECT_EQ(bookmrg::kFieldsLength, 16832);
    // The output text is stored as typed, trailing blank included.
    EXPECT_EQ(r.mid(0, 255), Padded(common::ToCp932(s.outputBook), 255));
    EXPECT_EQ(r.mid(255, 128), Padded("\x96\xda\x8e\x9f", 128));
    EXPECT_EQ(r.mid(383, 128), Padded("Sheet", 128));
    EXPECT_EQ(r.mid(511, 255), Padded("/d/a.xls", 255));
    // U+FF5E is 81 60 as on Windows.
    EXPECT_EQ(r.mid(766, 255), Padded(common::ToCp932(s.books[1]), 255));
    EXPECT_TRUE(r.mid(766, 255).contains("\x81\x60"));
    EXPECT_EQ(r.mid(1021, 255), QByteArray(255, ' '));
    EXPECT_EQ(r.mid(16831, 1), QByteArray("2"));
    EXPECT_EQ(r.mid(16832), QByteArray(bookmrg::kRecordLength - 16832, '\0'));

    const Settings back = bookmrg::DecodeSettings(r);
    EXPECT_EQ(back.outputBook, QStringLiteral("/home/u/集計 .xls"));
    EXPECT_EQ(back.exclude1, s.exclude1);
    EXPECT_EQ(back.books, s.books);
    EXPECT_EQ(back.matchMode, QStringLiteral("2"));
}

TEST(BookmrgSettings, LongFieldsAndListsAreCutAndBlankSlotsSkipped) {
    Settings s;
    s.exclude1 = QString(200, QChar(u'表')); // 400 bytes in cp932
    for (int i = 1; i <= 70; ++i)
        s.books.append(QStringLiteral("/b/%1.xls").arg(i, 2, 10, QLatin1Char('0')));
    s.matchMode = QStringLiteral("1");
    QByteArray r = bookmrg::EncodeSettings(s);
    ASSERT_EQ(r.size(), bookmrg::kRecordLength);
    // 64 whole characters fit in 128 bytes.
    EXPECT_EQ(bookmrg::DecodeSettings(r).exclude1, QString(64, QChar(u'表')));
    // Only the first 64 books are kept; the match mode stays in place.
    Settings back = bookmrg::DecodeSettings(r);
    ASSERT_EQ(back.books.size(), 64);
    EXPECT_EQ(back.books.last(), QStringLiteral("/b/64.xls"));
    EXPECT_EQ(back.matchMode, QStringLiteral("1"));

    // Blank slots in between load as a list without gaps; slot 1 is kept
    // apart for the add dialog's folder.
    r.replace(511, 255, QByteArray(255, ' '));
    r.replace(511 + 5 * 255, 255, QByteArray(255, '\0'));
    back = bookmrg::DecodeSettings(r);
    EXPECT_EQ(back.books.size(), 62);
    EXPECT_EQ(back.books.first(), QStringLiteral("/b/02.xls"));
    EXPECT_TRUE(back.firstSlot.isEmpty());

    // A record never written reads as empty fields.
    const Settings empty = bookmrg::DecodeSettings(QByteArray());
    EXPECT_TRUE(empty.outputBook.isEmpty() && empty.books.isEmpty() && empty.matchMode.isEmpty());
}

class BookmrgSettingsFile : public tools_test::ToolTest {};

TEST_F(BookmrgSettingsFile, MissingFileIsCreatedEmptyAndWritesReplaceIt) {
    Settings s;
    s.outputBook = QStringLiteral("x");
    ASSERT_TRUE(bookmrg::ReadSettingsFile(&s));
    EXPECT_TRUE(QFileInfo::exists(bookmrg::SettingsPath()));
    EXPECT_TRUE(s.outputBook.isEmpty());

    s.books = {QStringLiteral("/d/b.xls")};
    s.matchMode = QStringLiteral("1");
    ASSERT_TRUE(bookmrg::WriteSettingsFile(s));
    EXPECT_EQ(QFileInfo(bookmrg::SettingsPath()).size(), bookmrg::kRecordLength);
    Settings back;
    ASSERT_TRUE(bookmrg::ReadSettingsFile(&back));
    EXPECT_EQ(back.books, s.books);
    EXPECT_EQ(back.firstSlot, QStringLiteral("/d/b.xls"));
}

} // namespace
