// The workbook names of the tool screens: the name check with its messages,
// the documents folder for a bare name, and the names chosen in a dialog.

#include "fake_messages.h"
#include "workbook_tools/output_name.h"
#include "workbook_tools/tool_env.h"

namespace {

TEST(WorkbookChoice, DialogChoicesGetTheClassicExtensionUnlessTheyHaveOne) {
    EXPECT_EQ(tools::OutputFileChoice("/d/", "Summary"), QStringLiteral("/d/Summary.XLS"));
    EXPECT_EQ(tools::OutputFileChoice("/d/", "Summary.xls"), QStringLiteral("/d/Summary.xls"));
    EXPECT_EQ(tools::OutputFileChoice("/d/", "a.txt"), QStringLiteral("/d/a.txt"));
    EXPECT_EQ(tools::OutputFileChoice("/d/", "xls"), QStringLiteral("/d/xls.XLS"));
    EXPECT_EQ(tools::OutputFileChoice("/d/", "Summary.xlsx"), QStringLiteral("/d/Summary.xlsx"));
    EXPECT_EQ(tools::OutputFileChoice("/d/", "Summary.XLSM"), QStringLiteral("/d/Summary.XLSM"));
}

class OutputName : public tools_test::ToolTest {
protected:
    testing_support::FakeMessages messages;
};

TEST_F(OutputName, MessagesAndDocumentsFolder) {
    QString text = QStringLiteral("  ");
    EXPECT_FALSE(tools::CheckOutputName(text));
    EXPECT_EQ(messages.LastText(), QStringLiteral("指定して下さい"));

    for (const QString& bad : {Book("a*b.xls"), Book("a|b.xls"), Book("con.xls"),
                               Temp("nofolder/x.xls"), QStringLiteral("/d:x.xls")}) {
        text = bad;
        EXPECT_FALSE(tools::CheckOutputName(text)) << bad.toStdString();
        EXPECT_EQ(messages.LastText(), QStringLiteral("正しいファイル名ではありません"));
        EXPECT_EQ(text, bad);
    }

    text = Book("集計.txt");
    EXPECT_FALSE(tools::CheckOutputName(text));
    EXPECT_EQ(messages.LastText(), QStringLiteral("エクセルファイル(XLS)以外は扱えません。"));

    // The output is .xls or .xlsx; the sheet list's own workbook may also be
    // .xlsm or .ods.
    text = Book("集計.ods");
    EXPECT_FALSE(tools::CheckOutputName(text));
    EXPECT_EQ(messages.LastText(), QStringLiteral("エクセルファイル(XLS)以外は扱えません。"));

    const int before = messages.Count();
    text = Book("集計.XlS");
    EXPECT_TRUE(tools::CheckOutputName(text));
    text = Book("集計.xlsx");
    EXPECT_TRUE(tools::CheckOutputName(text));
    for (const QString& own : {Book("集計.xlsm"), Book("集計.ODS"), Book("集計.xls")}) {
        text = own;
        EXPECT_TRUE(tools::CheckOutputName(text, tools::kWorkbookExtensions));
    }
    text = Book("集計");
    EXPECT_TRUE(tools::CheckOutputName(text));
    EXPECT_EQ(messages.Count(), before);

    // A bare name goes to the documents folder, which is made when missing.
    EXPECT_EQ(tools::MyDocumentsFolder(5), Documents());
    EXPECT_TRUE(tools::MyDocumentsFolder(6).isEmpty());
    text = QStringLiteral(" Book1 ");
    EXPECT_TRUE(tools::CheckOutputName(text));
    EXPECT_EQ(text, Documents() + QStringLiteral("/Book1"));
    // The rewrite happens before the extension is looked at.
    text = QStringLiteral("memo.txt");
    EXPECT_FALSE(tools::CheckOutputName(text));
    EXPECT_EQ(text, Documents() + QStringLiteral("/memo.txt"));
}

} // namespace
