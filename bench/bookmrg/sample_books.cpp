#include "sample_books.h"

#include "spreadsheet/lo/office.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdio>

namespace bench {

QStringList SheetNames(int sheets) {
    static const QStringList branches = {
        QStringLiteral("東京支店"), QStringLiteral("大阪支店"), QStringLiteral("名古屋支店"),
        QStringLiteral("福岡支店"), QStringLiteral("札幌支店"), QStringLiteral("仙台支店"),
        QStringLiteral("広島支店"), QStringLiteral("神戸支店"), QStringLiteral("横浜支店")};
    QStringList names;
    for (int s = 1; s < sheets; ++s)
        names << (s <= branches.size() ? branches[s - 1] : QStringLiteral("支店%1").arg(s));
    names << kSummarySheet;
    return names;
}

double SampleValue(int book, int sheet, int row, int column) {
    return double(((book * 7919 + sheet * 104729 + row * 1299709 + column * 15485863) % 99991) *
                  10 % 1000000);
}

double SampleTotal(int book, int sheet, int column) {
    double sum = 0;
    for (int row = 2; row <= kItemRows + 1; ++row)
        sum += SampleValue(book, sheet, row, column);
    return sum;
}

namespace {

QString Column(int column) {
    return QString(QChar(u'A' + column - 1));
}

QByteArray Cell(const QString& style, double value) {
    return QStringLiteral("<table:table-cell table:style-name=\"%1\" office:value-type=\"float\" "
                          "office:value=\"%2\"/>")
        .arg(style)
        .arg(value, 0, 'f', 4)
        .toUtf8();
}

QByteArray TextCell(const QString& text, const QString& style) {
    const QString styled =
        style.isEmpty() ? QString() : QStringLiteral(" table:style-name=\"%1\"").arg(style);
    return QStringLiteral("<table:table-cell%1 office:value-type=\"string\"><text:p>%2</text:p>"
                          "</table:table-cell>")
        .arg(styled, text.toHtmlEscaped())
        .toUtf8();
}

} // namespace

QByteArray FlatBook(int book, int sheets) {
    QByteArray x;
    x += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" "
         "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
         "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" "
         "office:version=\"1.2\" office:mimetype=\"application/vnd.oasis.opendocument."
         "spreadsheet\">\n<office:automatic-styles>\n"
         "<style:style style:name=\"co1\" style:family=\"table-column\">"
         "<style:table-column-properties style:column-width=\"2.2cm\"/></style:style>\n"
         "<style:style style:name=\"co2\" style:family=\"table-column\">"
         "<style:table-column-properties style:column-width=\"1.9cm\"/></style:style>\n"
         "<number:number-style style:name=\"N1\"><number:number number:decimal-places=\"0\" "
         "number:grouping=\"true\" number:min-integer-digits=\"1\"/></number:number-style>\n"
         "<number:percentage-style style:name=\"N2\"><number:number number:decimal-places=\"1\" "
         "number:min-integer-digits=\"1\"/><number:text>%</number:text>"
         "</number:percentage-style>\n"
         "<style:style style:name=\"ce1\" style:family=\"table-cell\" "
         "style:data-style-name=\"N1\"/>\n"
         "<style:style style:name=\"ce2\" style:family=\"table-cell\" "
         "style:data-style-name=\"N2\"/>\n"
         "<style:style style:name=\"ce3\" style:family=\"table-cell\" style:data-style-name=\"N1\">"
         "<style:table-cell-properties fo:background-color=\"#fff2cc\" "
         "fo:border-top=\"0.06pt solid #000000\"/>"
         "<style:text-properties fo:font-weight=\"bold\"/></style:style>\n"
         "<style:style style:name=\"ce4\" style:family=\"table-cell\">"
         "<style:table-cell-properties fo:background-color=\"#dde8f5\" "
         "fo:border-bottom=\"0.06pt solid #000000\"/>"
         "<style:text-properties fo:font-weight=\"bold\"/></style:style>\n"
         "</office:automatic-styles>\n<office:body><office:spreadsheet>\n";
    const QStringList names = SheetNames(sheets);
    const QString columns = QStringLiteral("<table:table-column table:style-name=\"co1\"/>"
                                           "<table:table-column table:style-name=\"co2\" "
                                           "table:number-columns-repeated=\"%1\"/>")
                                .arg(kColumns - 1);
    auto header = [&](const QString& first, const QString& last) {
        QByteArray h = "<table:table-row>" + TextCell(first, QStringLiteral("ce4"));
        for (int c = 2; c <= kColumns - 1; ++c)
            h += TextCell(QStringLiteral("%1週").arg(c - 1), QStringLiteral("ce4"));
        return h + TextCell(last, QStringLiteral("ce4")) + "</table:table-row>\n";
    };
    for (int s = 1; s < sheets; ++s) {
        x += QStringLiteral("<table:table table:name=\"%1\">").arg(names[s - 1]).toUtf8();
        x += columns.toUtf8() + header(QStringLiteral("商品コード"), QStringLiteral("構成比"));
        for (int r = 2; r <= kItemRows + 1; ++r) {
            x += "<table:table-row>" +
                 TextCell(QStringLiteral("A%1").arg(r - 1, 4, 10, QChar(u'0')), QString());
            for (int c = 2; c <= kColumns - 1; ++c)
                x += Cell(QStringLiteral("ce1"), SampleValue(book, s, r, c));
            x += QStringLiteral("<table:table-cell table:style-name=\"ce2\" "
                                "table:formula=\"of:=[.B%1]/[.B%2]\" office:value-type=\"float\" "
                                "office:value=\"%3\"/>")
                     .arg(r)
                     .arg(kTotalRow)
                     .arg(SampleValue(book, s, r, 2) / SampleTotal(book, s, 2), 0, 'g', 17)
                     .toUtf8();
            x += "</table:table-row>\n";
        }
        x += "<table:table-row>" + TextCell(QStringLiteral("合計"), QStringLiteral("ce3"));
        for (int c = 2; c <= kColumns - 1; ++c) {
            x += QStringLiteral("<table:table-cell table:style-name=\"ce3\" "
                                "table:formula=\"of:=SUM([.%1%2:.%1%3])\" "
                                "office:value-type=\"float\" office:value=\"%4\"/>")
                     .arg(Column(c))
                     .arg(2)
                     .arg(kItemRows + 1)
                     .arg(SampleTotal(book, s, c), 0, 'f', 4)
                     .toUtf8();
        }
        x += "</table:table-row>\n</table:table>\n";
    }
    // The summary: one row per branch taking that sheet's totals, and the
    // sum of each week over all branches.
    x += QStringLiteral("<table:table table:name=\"%1\">").arg(kSummarySheet).toUtf8();
    x += columns.toUtf8() + header(QStringLiteral("支店"), QString());
    for (int s = 1; s < sheets; ++s) {
        x += "<table:table-row>" + TextCell(names[s - 1], QString());
        for (int c = 2; c <= kColumns - 1; ++c)
            x += QStringLiteral("<table:table-cell table:style-name=\"ce1\" "
                                "table:formula=\"of:=[$'%1'.%2%3]\" office:value-type=\"float\" "
                                "office:value=\"%4\"/>")
                     .arg(names[s - 1], Column(c))
                     .arg(kTotalRow)
                     .arg(SampleTotal(book, s, c), 0, 'f', 4)
                     .toUtf8();
        x += "</table:table-row>\n";
    }
    x += "<table:table-row>" + TextCell(QStringLiteral("合計"), QStringLiteral("ce3"));
    for (int c = 2; c <= kColumns - 1; ++c) {
        double sum = 0;
        for (int s = 1; s < sheets; ++s)
            sum += SampleTotal(book, s, c);
        x += QStringLiteral("<table:table-cell table:style-name=\"ce3\" "
                            "table:formula=\"of:=SUM([.%1%2:.%1%3])\" "
                            "office:value-type=\"float\" office:value=\"%4\"/>")
                 .arg(Column(c))
                 .arg(2)
                 .arg(sheets)
                 .arg(sum, 0, 'f', 4)
                 .toUtf8();
    }
    x += "</table:table-row>\n</table:table>\n";
    x += "</office:spreadsheet></office:body></office:document>\n";
    return x;
}

QStringList MakeSampleBooks(const QString& folder, int count, int sheets) {
    const QString sources = folder + QStringLiteral("/fods");
    QDir().mkpath(sources);
    QStringList fods;
    for (int b = 1; b <= count; ++b) {
        const QString path = sources + QStringLiteral("/%1月売上.fods").arg(b, 2, 10, QChar(u'0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(FlatBook(b, sheets)) < 0)
            return {};
        fods << path;
    }
    QProcess office;
    QStringList args = {QStringLiteral("--headless"),
                        QStringLiteral("--norestore"),
                        QStringLiteral("--nologo"),
                        QStringLiteral("-env:UserInstallation=") +
                            sheet::lo::FileUrl(folder + QStringLiteral("/profile")),
                        QStringLiteral("--convert-to"),
                        QStringLiteral("xls"),
                        QStringLiteral("--outdir"),
                        folder};
    office.start(sheet::lo::OfficeLauncher(), args + fods);
    if (!office.waitForFinished(600000) || office.exitCode() != 0) {
        std::fprintf(stderr, "conversion failed: %s\n", office.readAllStandardError().constData());
        return {};
    }
    QStringList books;
    for (const QString& f : fods) {
        const QString xls =
            folder + QLatin1Char('/') + QFileInfo(f).completeBaseName() + QStringLiteral(".xls");
        if (!QFile::exists(xls)) {
            std::fprintf(stderr, "not converted: %s\n", qPrintable(xls));
            return {};
        }
        books << xls;
    }
    return books;
}

} // namespace bench
