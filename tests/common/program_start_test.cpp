#include "common/messages.h"
#include "common/program_start.h"
#include "common/sort.h"
#include "support/fake_process.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace common;

namespace {

class RecordingSink : public MessageSink {
public:
    MsgAnswer Show(const QString&, const QString& text, MsgIcon, MsgButtons buttons) override {
        texts.append(text);
        this->buttons.append(buttons);
        return MsgAnswer::Ok;
    }
    QStringList texts;
    QList<MsgButtons> buttons;

private:
    ScopedOverride<MessageSink> inPlace_{MessageSinkSeam(), this};
};

// Puts an executable of the given name into a folder on PATH for the test.
class ProgramOnPath {
public:
    explicit ProgramOnPath(const QString& name) : oldPath_(qgetenv("PATH")) {
        path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(dir_.path()) + ':' + oldPath_);
    }
    ~ProgramOnPath() { qputenv("PATH", oldPath_); }
    QString path;

private:
    QTemporaryDir dir_;
    QByteArray oldPath_;
};

} // namespace

// An executable of the given name in the test program's own folder, removed
// again afterwards.
class ProgramInOwnFolder {
public:
    explicit ProgramInOwnFolder(const QString& name)
        : path(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }
    ~ProgramInOwnFolder() { QFile::remove(path); }
    QString path;
};

TEST(StartAndEnd, StartsTheSuiteProgramFromTheOwnFolderOnly) {
    testing_support::FakeProcess fake;
    fake.realLookup = true;
    RecordingSink sink;
    ProgramInOwnFolder sub(QStringLiteral("COSTSUB"));

    StartAndEnd(QStringLiteral("COSTSUB"));
    ASSERT_EQ(fake.starts.size(), 1);
    EXPECT_EQ(fake.starts[0].program, sub.path);
    EXPECT_TRUE(fake.starts[0].args.isEmpty());
    EXPECT_EQ(fake.ends, QList<int>{0});
    EXPECT_TRUE(sink.texts.isEmpty());

    // StartProgram stays; StartCommand passes a path with blanks as one argument.
    EXPECT_TRUE(StartProgram(QStringLiteral(" COSTSUB ")));
    EXPECT_TRUE(StartCommand(sub.path, {QStringLiteral("/tmp/c d.xls")}));
    ASSERT_EQ(fake.starts.size(), 3);
    EXPECT_EQ(fake.starts[2].args, QStringList{QStringLiteral("/tmp/c d.xls")});
    EXPECT_EQ(fake.ends.size(), 1);

    // A suite program found only on PATH is not ours: error 53.
    ProgramOnPath hub(QStringLiteral("HUBMENU"));
    StartAndEnd(QStringLiteral("HUBMENU"));
    EXPECT_EQ(fake.starts.size(), 3);
    EXPECT_EQ(sink.texts, QStringList{QStringLiteral("ｴﾗｰ53:HUBMENUがありません")});
}

TEST(StartAndEnd, MissingProgramIsErrorFiftyThreeAndEndsOtherFailuresAreSilent) {
    testing_support::FakeProcess fake;
    fake.realLookup = true;
    RecordingSink sink;

    StartAndEnd(QStringLiteral("SHTLIST"));
    EXPECT_TRUE(fake.starts.isEmpty());
    EXPECT_EQ(sink.texts, QStringList{QStringLiteral("ｴﾗｰ53:SHTLISTがありません")});
    EXPECT_EQ(sink.buttons, QList<MsgButtons>{MsgButtons::Ok});
    EXPECT_EQ(fake.ends.size(), 1);

    EXPECT_FALSE(StartProgram(QStringLiteral("SHTLIST")));
    EXPECT_EQ(fake.ends.size(), 2);

    // Empty commands and failing starts leave the caller running, silently.
    sink.texts.clear();
    StartAndEnd(QString());
    StartAndEnd(QStringLiteral("  "));
    ProgramInOwnFolder prog(QStringLiteral("BOOKMRG"));
    fake.startSucceeds = false;
    EXPECT_FALSE(StartProgram(QStringLiteral("BOOKMRG")));
    StartAndEnd(QStringLiteral("BOOKMRG"));
    EXPECT_TRUE(sink.texts.isEmpty());
    EXPECT_EQ(fake.ends.size(), 2);
}

// The return table is a file of the user's; whatever it names beyond the
// suite's own identifiers is refused as a missing program and never started,
// even where such a file exists and the lookup would find it.
TEST(StartAndEnd, HandOverRefusesEverythingButTheSuitePrograms) {
    testing_support::FakeProcess fake; // finds every name it is asked for
    RecordingSink sink;
    const QStringList refused = {QStringLiteral("../pwn"),      QStringLiteral("/bin/sh"),
                                 QStringLiteral("HUBMENU -x"),  QStringLiteral("HUBMENU;sh"),
                                 QStringLiteral("hubmenu"),     QStringLiteral("HUBMENU2"),
                                 QStringLiteral("\"HUBMENU\""), QStringLiteral("./COSTCMP")};
    for (const QString& command : refused) {
        SCOPED_TRACE(command.toStdString());
        sink.texts.clear();
        StartAndEnd(command);
        EXPECT_FALSE(StartProgram(command));
        EXPECT_EQ(sink.texts, QStringList(2, NotFoundMessage(command)));
    }
    EXPECT_TRUE(fake.starts.isEmpty());
    EXPECT_EQ(fake.ends.size(), 2 * refused.size());

    for (const char* id : {"HUBMENU", "COSTCMP", "BOOKMRG", "SHTLIST", "COSTSUB"})
        EXPECT_TRUE(StartProgram(QString::fromLatin1(id))) << id;
    EXPECT_EQ(fake.starts.size(), 5);
}

TEST(FindProgram, LooksInTheOwnFolderOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString own = QCoreApplication::applicationDirPath() + QStringLiteral("/TAMRAOWN");
    QFile file(own);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(FindProgram(QStringLiteral("TAMRAOWN")), QString()); // not executable
    file.setPermissions(file.permissions() | QFile::ExeOwner);
    EXPECT_EQ(FindProgram(QStringLiteral("TAMRAOWN")), own);
    {
        ProgramOnPath onPath(QStringLiteral("TAMRAOWN"));
        EXPECT_EQ(FindProgram(QStringLiteral("TAMRAOWN")), own);
        EXPECT_EQ(FindProgram(onPath.path), onPath.path);
        file.remove();
        EXPECT_EQ(FindProgram(QStringLiteral("TAMRAOWN")), QString());
    }
    EXPECT_EQ(FindProgram(dir.filePath(QStringLiteral("none"))), QString());
}

TEST(StartAndEnd, FakeFindsEveryProgramExceptTheMissingOnes) {
    testing_support::FakeProcess fake;
    RecordingSink sink;
    fake.missing = QStringList{QStringLiteral("SHTLIST")};
    StartAndEnd(QStringLiteral("COSTCMP"));
    StartAndEnd(QStringLiteral("SHTLIST"));
    ASSERT_EQ(fake.starts.size(), 1);
    EXPECT_EQ(fake.starts[0].program, QStringLiteral("COSTCMP"));
    EXPECT_EQ(sink.texts, QStringList{QStringLiteral("ｴﾗｰ53:SHTLISTがありません")});
    EXPECT_EQ(fake.ends.size(), 2);
}

TEST(OpenDocument, PassesTargetThroughTheOpener) {
    testing_support::FakeProcess fake;
    EXPECT_TRUE(OpenDocument(QStringLiteral("/opt/suite/HELP1.HTM")));
    EXPECT_FALSE(OpenDocument(QString()));
    ASSERT_EQ(fake.opened.size(), 1);
    EXPECT_EQ(fake.opened[0].target, QStringLiteral("/opt/suite/HELP1.HTM"));
}

TEST(SortPairsDescending, OrdersKeysDescendingWithTheirCompanions) {
    QStringList keys = {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")};
    QStringList comp = {QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("2")};
    SortPairsDescending(keys, comp);
    EXPECT_EQ(keys, (QStringList{"c", "b", "a"}));
    EXPECT_EQ(comp, (QStringList{"3", "2", "1"}));

    keys = {QStringLiteral("2023/12/31 23:59:59"), QStringLiteral("2024/01/02 10:00:00")};
    comp = {QStringLiteral("old"), QStringLiteral("new")};
    SortPairsDescending(keys, comp);
    EXPECT_EQ(comp, (QStringList{"new", "old"}));

    // Ordinal: "B" < "a"; equal keys keep their order; count limits the range.
    keys = {QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("z")};
    comp = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    SortPairsDescending(keys, comp, 3);
    EXPECT_EQ(keys, (QStringList{"a", "a", "B", "z"}));
    EXPECT_EQ(comp, (QStringList{"1", "2", "0", "3"}));
}
