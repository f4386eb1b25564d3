#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include "common/cp932.h"
#include "common/data_folder.h"
#include "common/return_table.h"
#include "costcmp/core/input_values.h"
#include "costcmp/core/listing.h"
#include "costcmp/ui/costcmp_main.h"
#include "costcmp/ui/frm_costcmp1.h"
#include "costcmp/ui/frm_costcmp2.h"
#include "support/fake_messages.h"
#include "support/fake_process.h"
#include "support/full_disk.h"
#include "support/other_user.h"

#include <unistd.h>

using namespace costcmp;

namespace {

// A calculator started in a private APPDATA and TMPDIR, with message boxes,
// program starts and document opening recorded instead of done.
class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appData_.isValid() && temp_.isValid());
        oldAppData_ = qgetenv("APPDATA");
        oldTmp_ = qgetenv("TMPDIR");
        hadTemp_ = qEnvironmentVariableIsSet("TEMP");
        oldTemp_ = qgetenv("TEMP");
        qputenv("APPDATA", QFile::encodeName(appData_.path()));
        qputenv("TMPDIR", QFile::encodeName(temp_.path()));
        qunsetenv("TEMP");
    }
    void TearDown() override {
        program_.reset();
        qputenv("APPDATA", oldAppData_);
        qputenv("TMPDIR", oldTmp_);
        if (hadTemp_)
            qputenv("TEMP", oldTemp_);
        else
            qunsetenv("TEMP");
    }
    // Points the temporary folder (TEMP and TMPDIR) somewhere else for the test.
    static void SetTemp(const QString& path) {
        qputenv("TEMP", QFile::encodeName(path));
        qputenv("TMPDIR", QFile::encodeName(path));
    }

    void Start() {
        program_ = std::make_unique<CostCmpMain>();
        program_->StartUp();
    }
    QString PrmPath() const {
        return appData_.path() + QStringLiteral("/TamrasystemHikaku/COSTCMP.PRM");
    }
    CostInputScreen* Input() const { return program_->InputScreen(); }
    CostResultScreen* Result() const { return program_->ResultScreen(); }
    template <typename T> T* In(QWidget* screen, const QString& name) const {
        T* child = screen->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    QComboBox* Box(const char* code) const { return In<QComboBox>(Input(), "cmb" + QString(code)); }
    void Click(QWidget* screen, const QString& name) { In<QPushButton>(screen, name)->click(); }
    // The numbers of the markers that are shown.
    QList<int> ShownMarkers() const {
        QList<int> shown;
        for (int k = 1; k <= 5; ++k)
            if (!In<QLabel>(Input(), QStringLiteral("lblKAI%1").arg(k))->isHidden())
                shown << k;
        return shown;
    }
    void Calculate(int kaiNo) {
        In<QRadioButton>(Input(), QStringLiteral("optKai%1").arg(kaiNo))->click();
        Click(Input(), QStringLiteral("cmdF12"));
    }

    testing_support::FakeMessages messages_;
    testing_support::FakeProcess process_;
    std::unique_ptr<CostCmpMain> program_;

private:
    QTemporaryDir appData_;
    QTemporaryDir temp_;
    QByteArray oldAppData_;
    QByteArray oldTmp_;
    bool hadTemp_ = false;
    QByteArray oldTemp_;
};

// What the window system sends when the user closes a window with its frame.
void SendFrameClose(QWidget* w) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QApplication::sendEvent(w->windowHandle(), &close);
}

} // namespace

TEST_F(CalculatorTest, FirstStartCreatesTheFolderAndFileAndOpensEmpty) {
    Start();
    EXPECT_TRUE(QFile::exists(PrmPath()));
    EXPECT_EQ(messages_.Count(), 0);
    EXPECT_EQ(Input()->windowTitle(), QStringLiteral("(COSTCMP1) "));
    EXPECT_TRUE(Input()->isVisible());
    EXPECT_TRUE(Input()->RunButton()->isEnabled());
    for (int i = 0; i < kParamCount; ++i)
        EXPECT_TRUE(Input()->ParamBox(i)->currentText().isEmpty()) << i;
    EXPECT_EQ(Box("SA")->count(), 91);
    EXPECT_EQ(Box("SA")->itemText(1), QStringLiteral("1,000"));
    EXPECT_EQ(Box("SB")->itemText(290), QStringLiteral("30,000"));
    EXPECT_EQ(Box("SC")->count(), 2000);
    EXPECT_EQ(Box("CA")->itemText(0), QStringLiteral("3"));
    EXPECT_EQ(Input()->SelectedSolution(), SolutionKind::None);
    EXPECT_TRUE(ShownMarkers().isEmpty());

    // Empty boxes and no solution still calculate: no solution line, no answer.
    Click(Input(), QStringLiteral("cmdF12"));
    ASSERT_NE(Result(), nullptr);
    EXPECT_EQ(Result()->Listing().size(), 18);
}

TEST_F(CalculatorTest, SampleSetAndSolutionChoiceMoveTheMarker) {
    Start();
    Click(Input(), QStringLiteral("Command2"));
    EXPECT_EQ(Input()->Texts(), SampleParamTexts());
    EXPECT_TRUE(In<QRadioButton>(Input(), QStringLiteral("optKai1"))->isChecked());
    EXPECT_EQ(ShownMarkers(), QList<int>{1});

    In<QRadioButton>(Input(), QStringLiteral("optKai3"))->click();
    EXPECT_EQ(ShownMarkers(), QList<int>{3});
    EXPECT_TRUE(Box("JB")->isEnabled() && Box("JB")->isEditable());
}

TEST_F(CalculatorTest, F12InADropDownRunsTheCalculation) {
    Start();
    Input()->LoadSampleValues();
    QTest::keyClick(Box("SD")->lineEdit(), Qt::Key_F12);

    ASSERT_NE(Result(), nullptr);
    EXPECT_TRUE(Result()->isVisible());
    EXPECT_FALSE(Input()->isVisible());
    EXPECT_EQ(Result()->windowTitle(), QStringLiteral("(COSTCMP2) "));
    const QStringList lines = Result()->Listing();
    ASSERT_EQ(lines.size(), 20);
    EXPECT_EQ(lines[1], QStringLiteral(" 80,000      SA:初期費用（円）"));
    EXPECT_EQ(lines[3], QStringLiteral("             SC:ユーザ数"));
    EXPECT_EQ(lines[6], QStringLiteral("    100      JA:サーバ構築費用(万円)"));
    EXPECT_EQ(lines[8], QStringLiteral("      0      JC:１年目保守費用（開発費×％/年額）"));
    EXPECT_EQ(lines[9], QStringLiteral("      5      JD:２年目以降保守費用（開発費×％/年額）"));
    EXPECT_EQ(lines[15], QStringLiteral("解1:自社開発が安くなるユーザ数"));
    EXPECT_EQ(lines[18], QStringLiteral("自社開発が安くなるユーザ数は、12 人です。"));
    EXPECT_EQ(lines[19], QStringLiteral("この場合の自社系費用総額は、11,800,000 円です。"));
    EXPECT_EQ(program_->LastCalculation().result.value, common::Fixed4::FromInt(12));

    // Also with the box's list open.
    QTest::keyClick(Result()->focusWidget(), Qt::Key_Escape);
    In<QRadioButton>(Input(), QStringLiteral("optKai2"))->click();
    Box("CB")->showPopup();
    ASSERT_TRUE(Box("CB")->view()->isVisible());
    QTest::keyClick(Box("CB")->view(), Qt::Key_F12);
    EXPECT_FALSE(Box("CB")->view()->isVisible());
    EXPECT_TRUE(Result()->isVisible());
    EXPECT_EQ(Result()->Listing()[15], QStringLiteral("解2:使用期間"));
}

TEST_F(CalculatorTest, EachSolutionBlanksItsParameterAndReplacesTheEarlierListing) {
    Start();
    Input()->LoadSampleValues();
    // Line of the sought parameter for solutions 1 to 5.
    const int soughtLine[] = {3, 12, 7, 2, 9};
    for (int kai = 1; kai <= 5; ++kai) {
        Calculate(kai);
        const QStringList lines = Result()->Listing();
        EXPECT_EQ(lines, BuildListing(SampleParamTexts(), SolutionKindFromNumber(kai))) << kai;
        EXPECT_TRUE(lines.value(soughtLine[kai - 1]).startsWith(QString(13, u' '))) << kai;
        EXPECT_EQ(lines.filter(QStringLiteral("求める解")).size(), 1);

        // Back again: the texts and the choice are as they were.
        QTest::keyClick(Result()->focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(Result()->isVisible());
        EXPECT_TRUE(Input()->isVisible());
        EXPECT_EQ(Input()->Texts(), SampleParamTexts());
        EXPECT_EQ(Input()->SelectedSolution(), SolutionKindFromNumber(kai));
    }
    // The listing stays until the next run.
    EXPECT_EQ(Result()->Listing()[15], QStringLiteral("解5:２年目以降保守費用"));
}

TEST_F(CalculatorTest, OverflowIsReportedAndTheInputScreenStays) {
    Start();
    Input()->LoadSampleValues();
    Box("JB")->setEditText(QStringLiteral("900,000,000,000"));
    Click(Input(), QStringLiteral("cmdF12"));
    EXPECT_EQ(messages_.Texts(), QStringList{OverflowMessage()});
    EXPECT_TRUE(Input()->isVisible());
    EXPECT_TRUE(Result() == nullptr || !Result()->isVisible());
}

TEST_F(CalculatorTest, TabThenSpaceExportsTheListingAndOpensIt) {
    Start();
    Input()->LoadSampleValues();
    Calculate(1);
    QWidget* list = In<QListWidget>(Result(), QStringLiteral("List1"));
    ASSERT_EQ(Result()->focusWidget(), list);
    // Enter in the listing presses no button.
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(process_.opened.isEmpty());
    QTest::keyClick(list, Qt::Key_Tab);
    ASSERT_EQ(Result()->focusWidget()->objectName(), QStringLiteral("cmdOut"));
    QTest::keyClick(Result()->focusWidget(), Qt::Key_Space);
    // Enter on the focused button presses it too.
    QTest::keyClick(Result()->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(process_.opened.size(), 2);

    const QString path = CostCmpMain::ExportPath();
    EXPECT_EQ(QFileInfo(path).dir().dirName(),
              QStringLiteral("TamrasystemHikaku-%1").arg(::geteuid()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("SssS\x83\x70\x83\x89\x83\x81\x81\x5b\x83\x5e\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n 80,000      SA:"));
    EXPECT_EQ(bytes.count("\r\n"), 20);
    EXPECT_EQ(bytes.count('\n'), 20);
    EXPECT_TRUE(bytes.endsWith(common::ToCp932(QStringLiteral("11,800,000 円です。\r\n"))));
    ASSERT_FALSE(process_.opened.isEmpty());
    EXPECT_EQ(process_.opened[0].target, path);
    EXPECT_EQ(messages_.Count(), 0);
    // The status bar says where the file is.
    EXPECT_TRUE(Result()->Guide().endsWith(path));
}

TEST_F(CalculatorTest, ExportWhereNothingOpensTextFilesSaysWhereTheFileIs) {
    process_.openSucceeds = false;
    Start();
    Input()->LoadSampleValues();
    Calculate(1);
    Click(Result(), QStringLiteral("cmdOut"));
    const QString path = CostCmpMain::ExportPath();
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().contains(path)) << messages_.LastText().toStdString();
    EXPECT_TRUE(Result()->isVisible());
}

TEST_F(CalculatorTest, ExitSavesTheParametersAndTheNextStartRestoresThem) {
    Start();
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    Input()->LoadSampleValues();
    Box("SC")->setEditText(QStringLiteral("abc"));
    In<QRadioButton>(Input(), QStringLiteral("optKai5"))->click();
    QTest::keyClick(Box("SA")->lineEdit(), Qt::Key_Escape);

    EXPECT_TRUE(program_->HasEnded());
    EXPECT_FALSE(Input()->isVisible());
    ASSERT_FALSE(process_.starts.isEmpty());
    EXPECT_EQ(process_.starts[0].program, QStringLiteral("HUBMENU"));
    EXPECT_FALSE(process_.ends.isEmpty());

    QFile file(PrmPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith(QByteArray("\x06\x00"
                                            "80,000"
                                            "\x06\x00"
                                            "15,000"
                                            "\x03\x00"
                                            "abc",
                                            21)));
    file.close();

    Start();
    ParamTexts expected = SampleParamTexts();
    expected[2] = QStringLiteral("abc");
    EXPECT_EQ(Input()->Texts(), expected);
    EXPECT_EQ(Input()->SelectedSolution(), SolutionKind::MaintRate);
    EXPECT_EQ(ShownMarkers(), QList<int>{5});
}

TEST_F(CalculatorTest, FrameCloseOfTheInputScreenLeavesEvenWithoutAReturnTarget) {
    Start();
    Box("SA")->setEditText(QStringLiteral("1"));
    SendFrameClose(Input());
    EXPECT_TRUE(program_->HasEnded());
    EXPECT_TRUE(process_.starts.isEmpty());
    EXPECT_FALSE(process_.ends.isEmpty());
    Start();
    EXPECT_EQ(Input()->Texts()[0], QStringLiteral("1"));
}

TEST_F(CalculatorTest, FrameCloseOfTheResultScreenGoesBack) {
    Start();
    Input()->LoadSampleValues();
    Calculate(2);
    SendFrameClose(Result());
    EXPECT_FALSE(program_->HasEnded());
    EXPECT_TRUE(Input()->isVisible());
    EXPECT_FALSE(Result()->isVisible());
}

TEST_F(CalculatorTest, SolutionFieldIsKeptWhileNoSolutionIsChosen) {
    QDir().mkpath(QFileInfo(PrmPath()).path());
    QFile file(PrmPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray record;
    for (int i = 0; i < 11; ++i)
        record += QByteArray("\x01\x00"
                             "7",
                             3);
    record += QByteArray("\x01\x00"
                         "9",
                         3); // not a solution number
    file.write(record);
    file.close();

    Start();
    EXPECT_EQ(Input()->SelectedSolution(), SolutionKind::None);
    EXPECT_EQ(Input()->Texts()[10], QStringLiteral("7"));
    program_->ExitProgram();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(record));
}

TEST_F(CalculatorTest, DamagedParameterFileIsReportedAndTheListsStillFilled) {
    QDir().mkpath(QFileInfo(PrmPath()).path());
    QFile file(PrmPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xff\x7f"
                          "abc",
                          5)); // a field running past the record
    file.close();

    Start();
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(
        messages_.LastText().startsWith(QStringLiteral("前回の入力値を読み込めませんでした。")));
    EXPECT_EQ(Box("CB")->count(), 10);
    EXPECT_TRUE(Input()->Texts()[0].isEmpty());
    EXPECT_TRUE(Input()->RunButton()->isEnabled());
}

TEST_F(CalculatorTest, ReportRunsThenHandsOverToTheCompanion) {
    int reports = 0;
    Calculation seen;
    const common::ScopedOverride report(ReportBuilderSeam(),
                                        [&](const Calculation& calc, QWidget*) {
                                            ++reports;
                                            seen = calc;
                                            return ReportOutcome::Built;
                                        });
    Start();
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    Input()->LoadSampleValues();
    Calculate(3);
    Click(Result(), QStringLiteral("cmdEXCEL"));

    EXPECT_EQ(reports, 1);
    EXPECT_EQ(seen.solution, SolutionKind::DevCost);
    EXPECT_EQ(seen.result.value, common::Fixed4::FromInt(980000));
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts[0].program, QStringLiteral("COSTSUB"));
    EXPECT_FALSE(process_.ends.isEmpty());
    EXPECT_FALSE(Result()->isVisible());
    EXPECT_FALSE(Input()->isVisible());
    EXPECT_GT(QFileInfo(PrmPath()).size(), 0);
}

TEST_F(CalculatorTest, ReportNotSavedStaysOnTheResultScreenForAnotherTry) {
    int reports = 0;
    const common::ScopedOverride report(ReportBuilderSeam(), [&](const Calculation&, QWidget*) {
        return ++reports == 1 ? ReportOutcome::NotSaved : ReportOutcome::Built;
    });
    Start();
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    Input()->LoadSampleValues();
    Calculate(1);
    Click(Result(), QStringLiteral("cmdEXCEL"));
    EXPECT_TRUE(process_.starts.isEmpty());
    EXPECT_TRUE(process_.ends.isEmpty());
    EXPECT_FALSE(program_->HasEnded());
    EXPECT_TRUE(Result()->isVisible());

    // The second try saves and hands over as usual.
    Click(Result(), QStringLiteral("cmdEXCEL"));
    EXPECT_EQ(reports, 2);
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts[0].program, QStringLiteral("COSTSUB"));
}

TEST_F(CalculatorTest, ReportThatCannotBeMadeLeavesThroughTheReturnTarget) {
    const common::ScopedOverride report(
        ReportBuilderSeam(), [](const Calculation&, QWidget*) { return ReportOutcome::Failed; });
    Start();
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP")));
    Input()->LoadSampleValues();
    Calculate(1);
    Click(Result(), QStringLiteral("cmdEXCEL"));
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts[0].program, QStringLiteral("HUBMENU"));
    EXPECT_TRUE(program_->HasEnded());
}

TEST_F(CalculatorTest, TemplateButtonHandsTheInputScreenToTheTemplateScreen) {
    const common::ScopedOverride templates(TemplateOpenerSeam(), [](CostInputScreen& input) {
        ParamTexts texts = SampleParamTexts();
        texts[0] = QStringLiteral("1,234");
        input.SetTexts(texts);
        input.SelectSolution(SolutionKind::MonthlyFee);
    });
    Start();
    Click(Input(), QStringLiteral("Command1"));
    EXPECT_EQ(Input()->Texts()[0], QStringLiteral("1,234"));
    EXPECT_EQ(ShownMarkers(), QList<int>{4});
}

// Another local user plants links at the fixed names in the shared temporary
// folder before the victim exports or builds a report. The victim's file
// behind the links stays as it was; the calculator works in its own folder.
TEST_F(CalculatorTest, LinksPlantedInTheSharedTempFolderAreNotFollowed) {
    if (!testing_support::OtherUser::Available())
        GTEST_SKIP() << "needs root and setpriv to act as a second user";
    testing_support::SharedFolder shared;
    ASSERT_TRUE(shared.IsValid());
    QTemporaryDir victimDir;
    ASSERT_TRUE(victimDir.isValid());
    const QString victim = victimDir.filePath(QStringLiteral("own.txt"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the victim's own text");
    }
    for (const QString& name : {QStringLiteral("WORK.TXT"), QStringLiteral("work.xls"),
                                QStringLiteral(".~work.xls.%1.tmp").arg(::getpid())})
        ASSERT_TRUE(testing_support::OtherUser::PlantLink(victim, shared.FilePath(name)));
    SetTemp(shared.Path());

    Start();
    Input()->LoadSampleValues();
    Calculate(1);
    Click(Result(), QStringLiteral("cmdOut"));
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();

    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("the victim's own text"));
    const QString exported = CostCmpMain::ExportPath();
    EXPECT_TRUE(QFileInfo(exported).isFile());
    EXPECT_FALSE(QFileInfo(exported).isSymLink());
    EXPECT_NE(QFileInfo(exported).absolutePath(), shared.Path());
    ASSERT_EQ(process_.opened.size(), 1);
    EXPECT_EQ(process_.opened[0].target, exported);
}

// WORK.TXT on a full disk: the export fails with a message and the previous
// file stays whole.
TEST_F(CalculatorTest, ExportOnAFullDiskKeepsThePreviousFileAndSaysSo) {
    testing_support::FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    SetTemp(disk.Path());
    Start();
    Input()->LoadSampleValues();
    Calculate(1);
    Click(Result(), QStringLiteral("cmdOut"));
    const QString path = CostCmpMain::ExportPath();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(disk.Fill());

    QTest::keyClick(Result()->focusWidget(), Qt::Key_Escape);
    Calculate(2);
    Click(Result(), QStringLiteral("cmdOut"));
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith(
        QStringLiteral("計算結果のファイルを書き込めませんでした。")));
    EXPECT_TRUE(messages_.LastText().contains(QStringLiteral("前の内容のまま")));
    EXPECT_EQ(process_.opened.size(), 1); // the failed export is not opened
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

// A return table naming something other than a suite program (here a file
// beside the program folder) does not make Esc start it.
TEST_F(CalculatorTest, EscRefusesAReturnTargetThatIsNotASuiteProgram) {
    Start();
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("../pwn"), QStringLiteral("COSTCMP")));
    QTest::keyClick(Box("SA")->lineEdit(), Qt::Key_Escape);
    EXPECT_TRUE(program_->HasEnded());
    EXPECT_TRUE(process_.starts.isEmpty());
    EXPECT_EQ(messages_.Texts(), QStringList{QStringLiteral("ｴﾗｰ53:../pwnがありません")});
    EXPECT_FALSE(process_.ends.isEmpty());
}
