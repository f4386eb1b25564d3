#include "costcmp/templates/template_store.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using costcmp::SearchMode;
using costcmp::TemplateEntry;
using costcmp::TemplateStore;

QDateTime At(const QString& text) {
    return QDateTime::fromString(text, "yyyy/MM/dd HH:mm:ss");
}

// Creates a file with the given modification time.
void Touch(const QString& path, const QString& modified) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(192, '\0'));
    f.flush(); // a later flush would set the time again
    ASSERT_TRUE(f.setFileTime(At(modified), QFileDevice::FileModificationTime));
}

QStringList Names(const QList<TemplateEntry>& entries) {
    QStringList names;
    for (const TemplateEntry& e : entries)
        names.append(e.name);
    return names;
}

TEST(TemplateStore, ReadsOnlyTemplateFilesOfTheFolder) {
    QTemporaryDir dir;
    Touch(dir.filePath("a.SA1"), "2024/05/01 09:30:00");
    Touch(dir.filePath("b.SA1"), "2024/05/02 10:00:00");
    Touch(dir.filePath("c.txt"), "2024/05/03 10:00:00");
    Touch(dir.filePath("plan.2024.SA1"), "2024/04/01 08:00:05");
    Touch(dir.filePath("low.sa1"), "2023/12/31 23:59:59");

    TemplateStore store;
    store.SetFolder(dir.path() + "/");
    store.ReadTemplateFolder();
    store.SortListed(costcmp::TemplateSortKey::Date);
    EXPECT_EQ(Names(store.Listed()), QStringList({"b", "a", "plan.2024", "low"}));
    EXPECT_EQ(store.Listed()[0].date, "2024/05/02 10:00:00");
    EXPECT_EQ(store.Full().size(), 4);
    // The file of a template is found whatever the case of its extension.
    EXPECT_EQ(store.TemplatePath("low"), dir.path() + "/low.sa1");
    EXPECT_EQ(store.TemplatePath(" new "), dir.path() + "/new.SA1");
    EXPECT_EQ(store.ScreenTitle(), "テンプレート (使用フォルダ:" + dir.path() + "/)   *.SA1");

    store.SetFolder(dir.filePath("missing/"));
    store.ReadTemplateFolder();
    EXPECT_TRUE(store.Listed().isEmpty());
    EXPECT_TRUE(store.Full().isEmpty());
}

TEST(TemplateStore, ReadsAtMost900Files) {
    QTemporaryDir dir;
    for (int i = 0; i < 905; ++i)
        QFile(dir.filePath(QString("t%1.SA1").arg(i))).open(QIODevice::WriteOnly);
    TemplateStore store;
    store.SetFolder(dir.path() + "/");
    store.ReadTemplateFolder();
    EXPECT_EQ(store.Listed().size(), 900);
    EXPECT_EQ(store.Full().size(), 900);
}

TEST(TemplateStore, SortsDescendingByDateOrNameAsTheExchangeSortDoes) {
    TemplateStore store;
    store.AddTemplateEntry("a.SA1", At("2024/05/01 09:30:00"));
    store.AddTemplateEntry("b.SA1", At("2024/05/01 09:30:00"));
    store.AddTemplateEntry("c.SA1", At("2024/06/01 00:00:00"));
    store.AddTemplateEntry("B2.SA1", At("2024/01/01 00:00:00"));

    // a and b share their second: the exchange sort leaves b above a.
    store.SortListed(costcmp::TemplateSortKey::Date);
    EXPECT_EQ(Names(store.Listed()), QStringList({"c", "b", "a", "B2"}));
    // Names by code unit: lower case above upper case.
    store.SortListed(costcmp::TemplateSortKey::Name);
    EXPECT_EQ(Names(store.Listed()), QStringList({"c", "b", "a", "B2"}));
    // The full set keeps the order of reading.
    EXPECT_EQ(Names(store.Full()), QStringList({"a", "b", "c", "B2"}));

    TemplateStore other;
    other.AddTemplateEntry("x.SA1", At("2024/01/01 00:00:00"));
    other.AddTemplateEntry("y.SA1", At("2024/02/01 00:00:00"));
    other.AddTemplateEntry("z.SA1", At("2024/02/01 00:00:00"));
    other.SortListed(costcmp::TemplateSortKey::Date);
    EXPECT_EQ(Names(other.Listed()), QStringList({"y", "z", "x"}));
}

TEST(TemplateStore, MatchingComparesCaseAndWidth) {
    using costcmp::MatchTemplateName;
    // "かつ": both words.
    EXPECT_TRUE(MatchTemplateName("見積A", "見積", "A", SearchMode::And));
    EXPECT_TRUE(MatchTemplateName("A見積", "見積", "A", SearchMode::And));
    EXPECT_FALSE(MatchTemplateName("見積a", "見積", "A", SearchMode::And));
    EXPECT_FALSE(MatchTemplateName("見積Ａ", "見積", "A", SearchMode::And));
    // "または": either word; an empty first word is in every name.
    EXPECT_TRUE(MatchTemplateName("予算", "見積", "予", SearchMode::Or));
    EXPECT_FALSE(MatchTemplateName("予算", "見積", "B", SearchMode::Or));
    EXPECT_TRUE(MatchTemplateName("予算", "", "B", SearchMode::Or));
    // "なし": the first word only.
    EXPECT_TRUE(MatchTemplateName("見積A", "積A", "zzz", SearchMode::No));
    EXPECT_FALSE(MatchTemplateName("見積A", "積a", "見", SearchMode::No));
    EXPECT_TRUE(MatchTemplateName("見積A", "", "", SearchMode::No));
    EXPECT_FALSE(MatchTemplateName("", "", "", SearchMode::No));
}

TEST(TemplateStore, SearchStartsFromTheFullSetAndDeleteWorksWhileItIsInForce) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    Touch(folder + "見積A.SA1", "2024/05/01 00:00:00");
    Touch(folder + "見積B.SA1", "2024/05/03 00:00:00");
    Touch(folder + "予算A.SA1", "2024/05/02 00:00:00");
    Touch(folder + "予算C.SA1", "2024/05/04 00:00:00");

    TemplateStore store;
    store.SetFolder(folder);
    store.ReadTemplateFolder();
    store.SortListed(costcmp::TemplateSortKey::Name);

    // "かつ" without a second word changes nothing.
    const QList<TemplateEntry> before = store.Listed();
    EXPECT_FALSE(store.FilterTemplates("見積", "  ", SearchMode::And));
    EXPECT_EQ(store.Listed(), before);

    ASSERT_TRUE(store.FilterTemplates(" 見積 ", "", SearchMode::No));
    EXPECT_EQ(Names(store.Listed()), QStringList({"見積B", "見積A"})); // by date
    // A second search is not narrowed by the first.
    ASSERT_TRUE(store.FilterTemplates("見積", "C", SearchMode::Or));
    EXPECT_EQ(Names(store.Listed()), QStringList({"予算C", "見積B", "見積A"}));
    // Only listed templates are found.
    EXPECT_FALSE(store.FindListedTemplate("予算A"));

    ASSERT_TRUE(store.DeleteTemplate("見積B"));
    EXPECT_FALSE(QFile::exists(folder + "見積B.SA1"));
    EXPECT_EQ(Names(store.Listed()), QStringList({"予算C", "見積A"}));
    EXPECT_EQ(store.Full().size(), 3);

    // Cancelling lists every other template again, by date.
    ASSERT_TRUE(store.ClearTemplateFilter());
    EXPECT_EQ(Names(store.Listed()), QStringList({"予算C", "予算A", "見積A"}));

    // A search that finds nothing can be cancelled too.
    ASSERT_TRUE(store.FilterTemplates("該当なし", "", SearchMode::No));
    EXPECT_TRUE(store.Listed().isEmpty());
    ASSERT_TRUE(store.ClearTemplateFilter());
    EXPECT_EQ(store.Listed().size(), 3);

    // A file already gone still leaves the list.
    QFile::remove(folder + "予算A.SA1");
    EXPECT_TRUE(store.DeleteTemplate("予算A"));
    EXPECT_EQ(Names(store.Listed()), QStringList({"予算C", "見積A"}));
}

TEST(TemplateStore, BeyondNineHundredFilesTheNewestAreKept) {
    QTemporaryDir dir;
    // 905 templates, one a minute; the newest is the one saved last.
    const QDateTime start = At("2024/01/01 00:00:00");
    for (int i = 0; i < 905; ++i)
        Touch(dir.filePath(QStringLiteral("t%1.SA1").arg(i, 4, 10, QChar(u'0'))),
              start.addSecs(60 * i).toString("yyyy/MM/dd HH:mm:ss"));

    TemplateStore store;
    store.SetFolder(dir.path() + "/");
    store.ReadTemplateFolder();
    EXPECT_EQ(store.Full().size(), TemplateStore::kMaxFiles);
    EXPECT_EQ(store.Omitted(), 5);
    EXPECT_TRUE(store.FindListedTemplate("t0904"));
    for (const char* old : {"t0000", "t0001", "t0002", "t0003", "t0004"})
        EXPECT_FALSE(store.FindListedTemplate(old)) << old;
    EXPECT_TRUE(store.FindListedTemplate("t0005"));
    store.SortListed(costcmp::TemplateSortKey::Date);
    EXPECT_EQ(store.Listed().first().name, "t0904");

    // 900 or fewer: nothing is left out.
    QFile::remove(dir.filePath("t0000.SA1"));
    for (int i = 1; i < 5; ++i)
        QFile::remove(dir.filePath(QStringLiteral("t%1.SA1").arg(i, 4, 10, QChar(u'0'))));
    store.ReadTemplateFolder();
    EXPECT_EQ(store.Omitted(), 0);
    EXPECT_EQ(store.Full().size(), 900);
}

TEST(TemplateStore, DeletesExactlyTheChosenFile) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    Touch(folder + "dup.SA1", "2024/05/02 00:00:00");
    Touch(folder + "dup.sa1", "2024/05/01 00:00:00");
    Touch(folder + "other.SA1", "2024/05/03 00:00:00");

    TemplateStore store;
    store.SetFolder(folder);
    store.ReadTemplateFolder();
    store.SortListed(costcmp::TemplateSortKey::Date);
    ASSERT_EQ(Names(store.Listed()), QStringList({"other", "dup", "dup"}));

    // By name: the first listed of that name, and only its file.
    ASSERT_TRUE(store.DeleteTemplate("dup"));
    EXPECT_FALSE(QFile::exists(folder + "dup.SA1"));
    EXPECT_TRUE(QFile::exists(folder + "dup.sa1"));
    EXPECT_EQ(Names(store.Listed()), QStringList({"other", "dup"}));
    EXPECT_EQ(store.Listed()[1].fileName, "dup.sa1");
    EXPECT_EQ(store.Full().size(), 2);

    // By file: the row the user chose.
    Touch(folder + "dup.SA1", "2024/05/02 00:00:00");
    store.ReadTemplateFolder();
    ASSERT_TRUE(store.DeleteTemplateFile("dup.sa1"));
    EXPECT_TRUE(QFile::exists(folder + "dup.SA1"));
    EXPECT_FALSE(QFile::exists(folder + "dup.sa1"));
    EXPECT_EQ(store.TemplatePath("dup"), folder + "dup.SA1");
}

} // namespace
