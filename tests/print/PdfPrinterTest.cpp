#include "RenderTestSupport.h"

#include "print/Pager512_Data.h"
#include "print/Pager512_PrintJob.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace {

// Runs one of the PDF readers with a deadline; its standard output.
QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return QString();
    }
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PdfPrinting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        printers::SystemListHook = [] { return printers::TSystemList(); };
        printers::refresh();
        P512Def() = InitialP512Def();
        ASSERT_TRUE(InitPrintEngine());
        dir = testenv::freshDir(QString::fromLatin1(
            ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        rendertest::clearErrorLog();
        TNowPrintingdlg::TimerInterval = 0;
    }
    void TearDown() override { ClosePrintEngine(); }

    // A print-data file: the header, then the pages.
    QString writeData(const QStringList &pages)
    {
        pager512::THeader h;
        QByteArray bytes = pager512::headerBlock(h);
        for (const QString &p : pages)
            bytes += platform::toCp932(p) + "E;\r\n";
        const QString path = dir + QStringLiteral("/data.TMP");
        testenv::writeFile(path, bytes);
        return path;
    }

    static bool print(TP512DEF d) { return StartPrint(d); }

    TP512DEF job(const QString &data, const QString &title)
    {
        TP512DEF d = InitialP512Def();
        d.DataFile = data;
        d.Title = d.DocTitle = title;
        d.PaperSize = 9;
        d.PrnDlg = false;
        return d;
    }

    QString dir;
};

} // namespace

TEST_F(PdfPrinting, WithoutSystemPrintersTheBuiltInPdfPrinterIsTheDefault)
{
    EXPECT_EQ(printers::names(), QStringList{TPdfPrinter::builtInName()});
    EXPECT_EQ(printers::currentIndex(), 0);
    ASSERT_NE(printers::pdfPrinter(), nullptr);
    EXPECT_EQ(printers::current(), printers::pdfPrinter());
    EXPECT_TRUE(Engine().Ready);
    // The report component sees a printer.
    TPager512 pager;
    EXPECT_EQ(pager.PrinterNum, 0);

    // With system printers the system's default is selected and the PDF printer
    // stays on the list after them.
    printers::SystemListHook = [] {
        return printers::TSystemList{{QStringLiteral("lp0"), QStringLiteral("office")}, QStringLiteral("office")};
    };
    printers::refresh();
    EXPECT_EQ(printers::names(), (QStringList{QStringLiteral("lp0"), QStringLiteral("office"), TPdfPrinter::builtInName()}));
    EXPECT_EQ(printers::currentIndex(), 1);
}

TEST_F(PdfPrinting, ReportOfSeveralPagesBecomesAPdfThatReadsBack)
{
    const QString data = writeData({
        QStringLiteral("TEXT;200;200;データリスト 一ページ目;ＭＳ 明朝;12;;黒;1;LEFT;0;0;\r\n"
                       "LINE;200;300;1900;300;3;0;黒;\r\n"),
        QStringLiteral("TEXT;200;200;株式会社ソルテア 二ページ目;ＭＳ ゴシック;12;;黒;1;LEFT;0;0;\r\n"),
        QStringLiteral("TEXT;200;200;Page three;;12;;黒;1;LEFT;0;0;\r\n"
                       "BOX;200;400;800;600;1;0;黒;薄網掛;0;\r\n"),
    });
    const QString out = dir + QStringLiteral("/report.pdf");
    printers::pdfPrinter()->OutputFile = out;
    ASSERT_TRUE(print(job(data, QStringLiteral("データリスト"))));
    ASSERT_TRUE(QFileInfo::exists(out));
    EXPECT_EQ(printers::pdfPrinter()->lastFile(), out);

    const QString info = run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                         QStringLiteral("-l"), QStringLiteral("3"), out});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n")))) << info.toStdString();
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(info.contains(QRegularExpression(
            QStringLiteral("Page\\s+%1 size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts").arg(page))))
            << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("データリスト"))) << info.toStdString(); // the title

    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), out,
                                                           QStringLiteral("-")});
    // The CJK faces share one glyph between some ideographs and their radicals, and
    // the reader may name the radical: compare in the compatibility-normal form.
    const QString normal = text.normalized(QString::NormalizationForm_KC);
    EXPECT_TRUE(normal.contains(QStringLiteral("データリスト 一ページ目"))) << text.toStdString();
    EXPECT_TRUE(normal.contains(QStringLiteral("株式会社ソルテア 二ページ目"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Page three"))) << text.toStdString();
    EXPECT_EQ(text.count(u'\f'), 3);
}

// A landscape page between portrait pages is a document of its own: three PDF
// files, none overwriting another.
TEST_F(PdfPrinting, LandscapePageBetweenPortraitPagesMakesThreeFiles)
{
    const QString data = writeData({
        QStringLiteral("TEXT;200;200;one;;12;;黒;1;LEFT;0;0;\r\n"),
        QStringLiteral("ORIENTATION;1;\r\nTEXT;200;200;two;;12;;黒;1;LEFT;0;0;\r\n"),
        QStringLiteral("TEXT;200;200;three;;12;;黒;1;LEFT;0;0;\r\n"),
    });
    const QString docs = platform::documentsDir();
    const QStringList names = {QStringLiteral("/向き.pdf"), QStringLiteral("/向き (2).pdf"), QStringLiteral("/向き (3).pdf")};
    for (const QString &n : names)
        QFile::remove(docs + n);
    printers::pdfPrinter()->OutputFile.clear();
    ASSERT_TRUE(print(job(data, QStringLiteral("向き"))));
    const QStringList sizes = {QStringLiteral("595(\\.\\d+)? x 84[12]"), QStringLiteral("84[12](\\.\\d+)? x 595"),
                               QStringLiteral("595(\\.\\d+)? x 84[12]")};
    const QStringList words = {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")};
    for (int i = 0; i < 3; ++i) {
        const QString file = docs + names[i];
        ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
        const QString info = run(QStringLiteral("pdfinfo"), {file});
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+") + sizes[i]))) << info.toStdString();
        EXPECT_TRUE(run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).contains(words[i]));
        QFile::remove(file);
    }
}

TEST_F(PdfPrinting, DefaultFileGoesToTheDocumentsFolderUnderTheTitle)
{
    const QString data = writeData({QStringLiteral("TEXT;100;100;x;;10;;;;;;;\r\n")});
    const QString first = platform::documentsDir() + QStringLiteral("/一覧表.pdf");
    QFile::remove(first);
    QFile::remove(platform::documentsDir() + QStringLiteral("/一覧表 (2).pdf"));
    printers::pdfPrinter()->OutputFile.clear();
    ASSERT_TRUE(print(job(data, QStringLiteral("一覧表"))));
    EXPECT_EQ(printers::pdfPrinter()->lastFile(), first);
    // A second job never overwrites the first file.
    ASSERT_TRUE(print(job(data, QStringLiteral("一覧表"))));
    EXPECT_EQ(printers::pdfPrinter()->lastFile(), platform::documentsDir() + QStringLiteral("/一覧表 (2).pdf"));
    EXPECT_TRUE(QFileInfo::exists(first));
}

TEST_F(PdfPrinting, BlendedFillDarkensOnPdfLikeOnTheScreen)
{
    // A black line under a red blended fill stays black, white under it turns red.
    const QString data = writeData({QStringLiteral("LINE;0;500;2100;500;20;0;黒;\r\nFRECT;400;300;1700;700;赤;2;\r\n")});
    const QString out = dir + QStringLiteral("/blend.pdf");
    printers::pdfPrinter()->OutputFile = out;
    ASSERT_TRUE(print(job(data, QStringLiteral("blend"))));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("25.4"), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), out, dir + QStringLiteral("/blend")});
    QImage page(dir + QStringLiteral("/blend.png"));
    ASSERT_FALSE(page.isNull());
    // At 25.4 dpi one pixel is 1 mm.
    EXPECT_EQ(page.pixel(100, 50) & 0xFFFFFF, 0x000000u); // the line under the fill
    const QRgb fill = page.pixel(100, 35); // white under the fill (the raster is stored compressed)
    EXPECT_GT(qRed(fill), 240);
    EXPECT_LT(qGreen(fill), 16);
    EXPECT_LT(qBlue(fill), 16);
    EXPECT_EQ(page.pixel(20, 50) & 0xFFFFFF, 0x000000u);  // the line beside it
}

TEST_F(PdfPrinting, MissingOrWrongFilesPrintNothing)
{
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    EXPECT_FALSE(print(job(dir + QStringLiteral("/none.TMP"), QStringLiteral("x"))));
    const QString bad = dir + QStringLiteral("/bad.TMP");
    testenv::writeFile(bad, "TEXT;1;1;x;\r\nE;\r\n");
    EXPECT_FALSE(print(job(bad, QStringLiteral("x"))));
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("> が見つかりません。")));
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("<PAGER512>印刷データではありません。")));
}
