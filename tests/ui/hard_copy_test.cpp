#include "common/ui/hard_copy.h"

#include "common/ui/frm_hdcopy.h"
#include "common/ui/hard_copy_icon.h"
#include "common/ui/printers.h"
#include "common/ui/screen_base.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "support/fake_messages.h"
#include "support/fake_printers.h"
#include "support/modal_driver.h"

namespace {

using testing_support::WhenModalShown;

const QDateTime kShownAt(QDate(2026, 3, 4), QTime(9, 8, 7));
const QDateTime kPrintedAt(QDate(2026, 3, 4), QTime(21, 30, 59));

QString Tool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Image lines of `pdfimages -list` as "width x height".
QStringList PdfImageSizes(const QString& pdf) {
    QStringList sizes;
    const QStringList lines = Tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                                  .split(QChar(u'\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList cols = lines[i].simplified().split(QChar(u' '));
        if (cols.size() > 4 && cols[2] == QStringLiteral("image"))
            sizes.append(cols[3] + QStringLiteral("x") + cols[4]);
    }
    return sizes;
}

class HardCopy : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("page.pdf"));
        printers = std::make_unique<testing_support::PdfPrinters>(pdf);
        clockReads = 0;

        screen.SetTag(QStringLiteral("TEST1"));
        auto* layout = new QVBoxLayout(&screen);
        layout->addWidget(new QLabel(QStringLiteral("画面の内容"), &screen));
        icon = ui::CreateHardCopyIcon(&screen);
        layout->addWidget(icon);
        screen.resize(320, 200);
        screen.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    }
    void TearDown() override { testing_support::CancelModalActions(); }

    // Answers the preview with `button` and records what it showed.
    void AnswerPreview(const QString& button) {
        WhenModalShown([this, button](QWidget* modal) {
            previewName = modal->objectName();
            previewTitle = modal->windowTitle();
            previewDate = modal->findChild<QLabel*>(QStringLiteral("lblDate"))->text();
            previewSize = modal->findChild<QLabel*>(QStringLiteral("imgPRE"))->pixmap().size();
            modal->findChild<QPushButton*>(button)->click();
        });
    }

    QTemporaryDir dir;
    QString pdf;
    std::unique_ptr<testing_support::PdfPrinters> printers;
    testing_support::FakeMessages messages;
    int clockReads = 0;
    // First reading of the clock: the preview; every later one: printing.
    common::ScopedOverride<ui::HardCopyClock> clock{
        ui::HardCopyClockSeam(), [this] { return clockReads++ == 0 ? kShownAt : kPrintedAt; }};
    ui::Screen screen;
    QLabel* icon = nullptr;
    QString previewName, previewTitle, previewDate;
    QSize previewSize;
};

TEST_F(HardCopy, PrintMakesOneLandscapePageWithSnapshotAndTimeOfPrinting) {
    AnswerPreview(QStringLiteral("cmdPrint"));
    QTest::mouseClick(icon, Qt::LeftButton);

    EXPECT_EQ(previewName, QStringLiteral("FRM_HDCOPY"));
    EXPECT_EQ(previewTitle, QStringLiteral("ハードコピー"));
    EXPECT_EQ(previewDate, QStringLiteral("2026/03/04 09:08:07"));
    EXPECT_FALSE(previewSize.isEmpty());
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    EXPECT_EQ(ui::StoredSnapshot().size(), screen.frameGeometry().size());

    ASSERT_TRUE(QFile::exists(pdf));
    const QString info = Tool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << info.toStdString();
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(info);
    ASSERT_TRUE(size.hasMatch());
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());

    const QString text = Tool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("2026/03/04 21:30:59"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("09:08:07")));
    const QStringList images = PdfImageSizes(pdf);
    EXPECT_TRUE(images.contains(QStringLiteral("%1x%2")
                                    .arg(ui::StoredSnapshot().width())
                                    .arg(ui::StoredSnapshot().height())))
        << images.join(QChar(u',')).toStdString();
}

TEST_F(HardCopy, CancelEscAndFrameCloseDoNotPrint) {
    AnswerPreview(QStringLiteral("cmdExit"));
    ui::HardCopyScreen(&screen);
    EXPECT_EQ(previewName, QStringLiteral("FRM_HDCOPY"));

    WhenModalShown([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    ui::HardCopyScreen(&screen);

    EXPECT_TRUE(printers->createdFor.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(HardCopy, ClipboardWithoutPictureSaysSoAndClosesTheHardCopy) {
    QApplication::clipboard()->setText(QStringLiteral("文字だけ"));
    int previews = 0;
    WhenModalShown([&](QWidget* modal) {
        ++previews;
        // A second preview would be answered with Print, which must not happen.
        WhenModalShown(
            [&](QWidget* second) {
                ++previews;
                second->findChild<QPushButton*>(QStringLiteral("cmdPrint"))->click();
            },
            modal);
        modal->findChild<QPushButton*>(QStringLiteral("cmdClip"))->click();
    });
    ui::HardCopyScreen(&screen);
    testing_support::CancelModalActions();

    EXPECT_EQ(previews, 1);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.LastText(),
              QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞに画面がありません\r印刷したい画面を指定するのは、\r"
                             "Alt を押しながら print を押します\r"));
    EXPECT_EQ(messages.messages[0].buttons, common::MsgButtons::Ok);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(HardCopy, ClipboardPicturePreviewedAndPrintedInsteadOfTheScreen) {
    QImage clip(57, 43, QImage::Format_RGB32);
    clip.fill(Qt::red);
    QApplication::clipboard()->setImage(clip);
    QSize secondPreview;
    WhenModalShown([&](QWidget* first) {
        WhenModalShown(
            [&](QWidget* second) {
                secondPreview =
                    second->findChild<QLabel*>(QStringLiteral("imgPRE"))->pixmap().size();
                second->findChild<QPushButton*>(QStringLiteral("cmdPrint"))->click();
            },
            first);
        first->findChild<QPushButton*>(QStringLiteral("cmdClip"))->click();
    });
    ui::HardCopyScreen(&screen);

    EXPECT_EQ(secondPreview, clip.size());
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    ASSERT_EQ(printers->createdFor.size(), 1);
    EXPECT_EQ(PdfImageSizes(pdf), QStringList{QStringLiteral("57x43")});
    QApplication::clipboard()->clear();
}

TEST_F(HardCopy, CopyPutsTheWindowsPictureOnTheClipboard) {
    QApplication::clipboard()->clear();
    bool stayedOpen = false;
    QString said;
    QSize byKey;
    WhenModalShown([&](QWidget* modal) {
        auto* copy = modal->findChild<QPushButton*>(QStringLiteral("cmdCopy"));
        ASSERT_NE(copy, nullptr);
        EXPECT_FALSE(copy->isHidden());
        copy->click();
        stayedOpen = modal->isVisible();
        said = modal->findChild<QLabel*>(QStringLiteral("lblCopied"))->text();
        // Ctrl+C does the same, wherever the focus is.
        QApplication::clipboard()->clear();
        QTest::keyClick(modal->findChild<QPushButton*>(QStringLiteral("cmdPrnSel")), Qt::Key_C,
                        Qt::ControlModifier);
        byKey = QApplication::clipboard()->image().size();
        modal->findChild<QPushButton*>(QStringLiteral("cmdExit"))->click();
    });
    ui::HardCopyScreen(&screen);

    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(said, QStringLiteral("クリップボードにコピーしました"));
    EXPECT_EQ(byKey, screen.frameGeometry().size());
    EXPECT_EQ(QApplication::clipboard()->image().size(), ui::StoredSnapshot().size());
    EXPECT_TRUE(printers->createdFor.isEmpty()); // copying prints nothing
    QApplication::clipboard()->clear();
}

// Each way out of the preview tells the caller what was chosen; a new opening
// starts with nothing chosen.
TEST_F(HardCopy, PreviewChoiceFollowsItsButtons) {
    ui::HardCopyPreview form(&screen);
    const std::pair<const char*, ui::HardCopyChoice> cases[] = {
        {"cmdPrint", ui::HardCopyChoice::Print},
        {"cmdExit", ui::HardCopyChoice::Cancel},
        {"cmdClip", ui::HardCopyChoice::NotPrinted},
    };
    for (const auto& [button, choice] : cases) {
        form.ResetChoice();
        form.show();
        form.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        EXPECT_EQ(form.Choice(), choice) << button;
        EXPECT_FALSE(form.isVisible()) << button;
    }
    form.ResetChoice();
    EXPECT_EQ(form.Choice(), ui::HardCopyChoice::NotPrinted);
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.Choice(), ui::HardCopyChoice::Cancel);
}

TEST_F(HardCopy, PrinterChoiceListsOnceAndIsUsedForPrinting) {
    ui::HardCopyPreview form(&screen);
    form.show();
    auto* list = form.findChild<QListWidget*>(QStringLiteral("lstPrnSel"));
    auto* panel = form.findChild<QWidget*>(QStringLiteral("picPrnSel"));
    EXPECT_FALSE(panel->isVisible());
    form.findChild<QPushButton*>(QStringLiteral("cmdPrnSel"))->click();
    form.findChild<QPushButton*>(QStringLiteral("cmdPrnSel"))->click();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(list->count(), 2);

    // Nothing selected: nothing happens, the choice stays open.
    list->clearSelection();
    form.ChoosePrinter();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(messages.Count(), 0);

    list->setCurrentRow(1);
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(messages.LastText(), QStringLiteral("事務所のプリンタに設定しました"));
    EXPECT_EQ(ui::ProgramPrinterName(), QStringLiteral("事務所のプリンタ"));

    // A name the system no longer knows leaves the printer as it was, but
    // the confirmation is still shown.
    form.ListPrinters();
    printers->names = QStringList{QStringLiteral("PDF")};
    list->setCurrentRow(1);
    form.ChoosePrinter();
    EXPECT_EQ(ui::ProgramPrinterName(), QStringLiteral("事務所のプリンタ"));
    EXPECT_EQ(messages.Count(), 2);

    AnswerPreview(QStringLiteral("cmdPrint"));
    ui::HardCopyScreen(&screen);
    EXPECT_EQ(printers->createdFor, QStringList{QStringLiteral("事務所のプリンタ")});
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(HardCopy, PrintingFailuresAreReportedInMessageBoxes) {
    printers->noPrinter = true;
    AnswerPreview(QStringLiteral("cmdPrint"));
    ui::HardCopyScreen(&screen);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("印刷できませんでした。")));
    EXPECT_EQ(messages.messages[0].icon, common::MsgIcon::Critical);

    printers->noPrinter = false;
    printers->pdfPath = dir.filePath(QStringLiteral("missing/folder/page.pdf"));
    AnswerPreview(QStringLiteral("cmdPrint"));
    ui::HardCopyScreen(&screen);
    ASSERT_EQ(messages.Count(), 2);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("印刷できませんでした。")));
    EXPECT_EQ(messages.messages[1].buttons, common::MsgButtons::Ok);
}

} // namespace
