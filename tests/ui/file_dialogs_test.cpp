#include "common/ui/file_dialogs.h"

#include "common/messages.h"
#include "common/ui/app_init.h"
#include "common/ui/document_opener.h"
#include "common/ui/standard_file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

#include "support/fake_dialogs.h"
#include "support/modal_driver.h"

namespace {

const QChar kNul(u'\0');

TEST(FileDialogRules, FiltersForPatternsAndTheFixedList) {
    EXPECT_EQ(ui::DialogFilter(QStringLiteral("*.xls"), false), QStringLiteral("(*.xls)|*.xls"));
    EXPECT_EQ(ui::DialogFilter(QStringLiteral("*.XLS"), true), QStringLiteral("(*.XLS)|*.XLS"));
    EXPECT_EQ(ui::DialogFilter(QString(), true),
              QStringLiteral("(*.PRN)|*.PRN|(*.TXT)|*.TXT|(*.CSV)|*.CSV|(*.DAT)|*.DAT|全て|*.*"));
    EXPECT_EQ(ui::DialogFilter(QString(), false), QStringLiteral("()|"));
    // A whole list is taken as it is.
    const QString list = QStringLiteral("(*.xls)|*.xls|(*.xls;*.ods)|*.xls;*.ods");
    EXPECT_EQ(ui::DialogFilter(list, true), list);
    EXPECT_EQ(ui::ToQtNameFilters(list),
              (QStringList{QStringLiteral("(*.xls)"), QStringLiteral("(*.xls *.ods)")}));

    EXPECT_EQ(ui::ToQtNameFilters(QStringLiteral("(*.xls)|*.xls")),
              QStringList{QStringLiteral("(*.xls)")});
    const QStringList fixed = ui::ToQtNameFilters(ui::DialogFilter(QString(), true));
    ASSERT_EQ(fixed.size(), 5);
    EXPECT_EQ(fixed.first(), QStringLiteral("(*.PRN)"));
    EXPECT_EQ(fixed.last(), QStringLiteral("全て (*)"));
    EXPECT_EQ(ui::ToQtNameFilters(QStringLiteral("ブック|*.xls;*.xlsx")),
              QStringList{QStringLiteral("ブック (*.xls *.xlsx)")});
}

TEST(FileDialogRules, MultiSelectAnswerGivesFolderAndRows) {
    // Several files: folder first, a separator added, empty pieces skipped.
    const QString several = QStringLiteral("/in") + kNul + QStringLiteral("a.xls") + kNul + kNul +
                            QStringLiteral("b.xls") + kNul;
    ui::ChosenFiles chosen = ui::ReadMultiSelectAnswer(several);
    EXPECT_EQ(chosen.folder, QStringLiteral("/in/"));
    EXPECT_EQ(chosen.paths, QStringList({"/in/a.xls", "/in/b.xls"}));
    EXPECT_EQ(chosen.fileName, several);

    chosen = ui::ReadMultiSelectAnswer(QStringLiteral("/in/a.xls"));
    EXPECT_EQ(chosen.folder, QStringLiteral("/in/"));
    EXPECT_EQ(chosen.fileName, QStringLiteral("a.xls"));
    EXPECT_EQ(chosen.paths, QStringList{QStringLiteral("/in/a.xls")});

    // The answer the standard dialog builds reads back to the same paths.
    const QStringList paths{QStringLiteral("/data/x 1.xls"), QStringLiteral("/data/y.xls")};
    EXPECT_EQ(ui::ReadMultiSelectAnswer(ui::MultiSelectAnswer(paths)).paths, paths);
    EXPECT_EQ(ui::MultiSelectAnswer({QStringLiteral("/data/one.xls")}),
              QStringLiteral("/data/one.xls"));
}

TEST(FileDialogs, OpenFilesAnswersThePathsOrNothingWhenCancelled) {
    testing_support::FakeDialogs dialogs;

    dialogs.Cancel();
    EXPECT_FALSE(ui::OpenFilesDialog(nullptr, QStringLiteral("/in/"), QString(),
                                     QStringLiteral("*.xls"), QString()));
    ASSERT_EQ(dialogs.requests.size(), 1);
    EXPECT_EQ(dialogs.requests[0].kind, ui::FileDialogKind::OpenFiles);
    EXPECT_EQ(dialogs.requests[0].title, QStringLiteral("ファイル読込"));
    EXPECT_EQ(dialogs.requests[0].filter, QStringLiteral("(*.xls)|*.xls"));
    EXPECT_EQ(dialogs.requests[0].initialFolder, QStringLiteral("/in/"));

    dialogs.ChooseFiles({QStringLiteral("/in/a.xls"), QStringLiteral("/in/b.xls")});
    std::optional<ui::ChosenFiles> chosen = ui::OpenFilesDialog(
        nullptr, QStringLiteral("/in/"), QString(), QStringLiteral("*.xls"), QString());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->paths, QStringList({"/in/a.xls", "/in/b.xls"}));
    EXPECT_EQ(chosen->folder, QStringLiteral("/in/"));

    // One file, with blanks around the answer.
    dialogs.Choose(QStringLiteral("　/in/c.xls "));
    chosen = ui::OpenFilesDialog(nullptr, QString(), QString(), QStringLiteral("*.xls"), QString());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->paths, QStringList{QStringLiteral("/in/c.xls")});
    EXPECT_EQ(chosen->fileName, QStringLiteral("c.xls"));

    // A dialog that answers only blanks chose nothing.
    dialogs.Choose(QStringLiteral("　 "));
    EXPECT_FALSE(ui::OpenFilesDialog(nullptr, QString(), QString(), QString(), QString()));
}

TEST(FileDialogs, OpenAndSaveSplitTheChosenPath) {
    testing_support::FakeDialogs dialogs;
    dialogs.Choose(QStringLiteral("/out/Summary"));
    std::optional<ui::ChosenFile> chosen = ui::SaveFileDialog(
        nullptr, QStringLiteral("/out/"), QString(), QStringLiteral("*.XLS"), QString());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->folder, QStringLiteral("/out/"));
    EXPECT_EQ(chosen->fileName, QStringLiteral("Summary"));
    EXPECT_EQ(dialogs.requests.last().kind, ui::FileDialogKind::SaveFile);
    EXPECT_EQ(dialogs.requests.last().title, QStringLiteral("ファイル保存"));
    EXPECT_EQ(dialogs.requests.last().filter, QStringLiteral("(*.XLS)|*.XLS"));

    dialogs.Choose(QStringLiteral("/in/book.xls"));
    chosen = ui::OpenFileDialog(nullptr, QString(), QStringLiteral("book.xls"), QString(),
                                QStringLiteral("xls"));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->folder, QStringLiteral("/in/"));
    EXPECT_EQ(chosen->fileName, QStringLiteral("book.xls"));
    EXPECT_EQ(dialogs.requests.last().kind, ui::FileDialogKind::OpenFile);
    EXPECT_EQ(dialogs.requests.last().initialFileName, QStringLiteral("book.xls"));
    EXPECT_EQ(dialogs.requests.last().defaultExtension, QStringLiteral("xls"));
    EXPECT_EQ(dialogs.requests.last().filter, ui::DialogFilter(QString(), true));

    dialogs.Cancel();
    EXPECT_FALSE(ui::SaveFileDialog(nullptr, QString(), QString(), QString(), QString()));
    dialogs.Cancel();
    EXPECT_FALSE(ui::OpenFileDialog(nullptr, QString(), QString(), QString(), QString()));
}

TEST(StandardFileDialog, ChoosesFilesAndRefusesMissingFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile(dir.filePath(QStringLiteral("A.XLS"))).open(QIODevice::WriteOnly);
    const QString cwd = QDir::currentPath();

    ui::StandardFileDialog standard;
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogKind::OpenFile;
    request.title = ui::kOpenTitle;
    request.filter = ui::DialogFilter(QStringLiteral("*.xls"), true);
    request.initialFolder = dir.path();
    QString title, answer;
    testing_support::WhenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        dialog->selectFile(QStringLiteral("A.XLS"));
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(standard.Run(nullptr, request, &answer));
    EXPECT_EQ(title, QStringLiteral("ファイル読込"));
    EXPECT_EQ(answer, dir.filePath(QStringLiteral("A.XLS")));

    // Saving into a folder that does not exist is refused; the dialog stays.
    request.kind = ui::FileDialogKind::SaveFile;
    bool stayedOpen = false;
    testing_support::WhenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(dir.filePath(QStringLiteral("missing/out.xls")));
        testing_support::WhenModalShown([](QWidget* warning) { warning->close(); }, dialog);
        static_cast<QDialog*>(dialog)->accept();
        stayedOpen = dialog->isVisible();
        dialog->reject();
    });
    EXPECT_FALSE(standard.Run(nullptr, request, &answer));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(QDir::currentPath(), cwd);
}

TEST(StandardFileDialog, JapaneseAndWideEnoughForItsColumns) {
    const ui::ProgramServices services = ui::InitApplication(QStringLiteral("BOOKMRG"));
    EXPECT_EQ(QLocale().language(), QLocale::Japanese);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile(dir.filePath(QStringLiteral("10月売上_Microsoft_Excel_Sheet.xls")))
        .open(QIODevice::WriteOnly);

    ui::StandardFileDialog standard;
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogKind::OpenFiles;
    request.title = ui::kOpenTitle;
    request.filter = ui::DialogFilter(QStringLiteral("*.xls"), false);
    request.initialFolder = dir.path();
    QString answer;
    testing_support::WhenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_GE(dialog->width(), 860);
        auto* tree = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->header()->sectionResizeMode(0), QHeaderView::Stretch);
        for (int column = 1; column < tree->header()->count(); ++column)
            EXPECT_EQ(tree->header()->sectionResizeMode(column), QHeaderView::ResizeToContents);
        // Dates as a Japanese user writes them.
        QAbstractItemModel* model = tree->model();
        const QModelIndex first = model->index(0, 3, tree->rootIndex());
        if (first.isValid()) { // the folder is read in the background
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d$"))
                            .match(model->data(first).toString())
                            .hasMatch())
                << model->data(first).toString().toStdString();
        }
        // Qt's own texts in Japanese.
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"));
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->text().contains(QStringLiteral("ファイル名")))
            << label->text().toStdString();
        dialog->reject();
    });
    EXPECT_FALSE(standard.Run(nullptr, request, &answer));
    QLocale::setDefault(QLocale::c());
}

} // namespace
