#include "RenderTestSupport.h"

#include "print/Pager512_PrintJob.h"

using rendertest::RenderFixture;

namespace {

class PrinterSettings : public RenderFixture
{
};

} // namespace

TEST_F(PrinterSettings, PaperNumberByNameThenBySize)
{
    TVDBPrint &vdb = *Engine().Vdb;
    printer->Papers = {{9, QStringLiteral("A4"), 2100, 2970}, {12, QStringLiteral("B4"), 2500, 3540},
                       {70, QStringLiteral("Odd"), 2100, 2970}};
    EXPECT_EQ(vdb.GetPaperNumber(QStringLiteral("B4"), 2970, 9, 2100), 12); // the name wins
    EXPECT_EQ(vdb.GetPaperNumber(QStringLiteral("Letter"), 2970, 0, 2100), 9);
    EXPECT_EQ(vdb.GetPaperNumber(QString(), 2979, 0, 2109), 9);
    EXPECT_EQ(vdb.GetPaperNumber(QString(), 2980, 5, 2100), 5);
    EXPECT_EQ(vdb.GetPaperNumber(QString(), 2970, 5, 2110), 5);
    EXPECT_EQ(vdb.GetPaperNumber(QString(), 0, 7, 2100), 7);
    EXPECT_EQ(vdb.GetPaperNumber(QStringLiteral("a4"), 0, 7, 0), 7); // names compare exactly
}

TEST_F(PrinterSettings, DeviceModeRoundTrip)
{
    TVDBPrint &vdb = *Engine().Vdb;
    EXPECT_EQ(printer->devMode().TTOption, 2); // set by the engine's start
    vdb.SetPaper(12);
    EXPECT_EQ(vdb.GetPaper(), 12);
    vdb.SetUserPaperSize(3000, 2000);
    EXPECT_EQ(printer->devMode().Fields & (DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH),
              DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH);
    EXPECT_EQ(printer->devMode().PaperLength, 3000);
    vdb.ResetUserPaperSize();
    EXPECT_EQ(printer->devMode().Fields & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0);
    EXPECT_EQ(printer->devMode().PaperWidth, 0);
    EXPECT_TRUE(printer->devMode().Fields & DM_PAPERSIZE);

    TP512DEF d;
    d.Scale = 90;
    d.Copie = 3;
    d.ColorMode = 0;
    d.Duplex = 2;
    d.PrintQuality = 0;
    d.Collate = 1;
    const int colourBefore = printer->devMode().Color;
    const int qualityBefore = printer->devMode().PrintQuality;
    vdb.SetDevMode(d);
    EXPECT_EQ(printer->devMode().Scale, 90);
    EXPECT_EQ(printer->devMode().Copies, 3);
    EXPECT_EQ(printer->devMode().Color, colourBefore); // 0 leaves the colour setting
    EXPECT_EQ(printer->devMode().PrintQuality, qualityBefore);
    EXPECT_EQ(printer->devMode().Duplex, 2);
    EXPECT_EQ(printer->devMode().Collate, 1);
    EXPECT_TRUE(printer->devMode().Fields & DM_COLLATE);

    vdb.SetOrientation(1);
    TP512DEF back;
    vdb.GetDevMode(back);
    EXPECT_EQ(back.PrinterNum, 0);
    EXPECT_EQ(back.Orientation, 1);
    EXPECT_EQ(back.Copie, 3);
    EXPECT_EQ(back.Scale, 90);
    EXPECT_EQ(back.DevFields, printer->devMode().Fields);
    EXPECT_EQ(back.PaperSize, 0); // the paper number is not read back
}

TEST_F(PrinterSettings, WithoutAnyPrinterOperationsLogAndAnswerDefaults)
{
    printers::setPrinters({});
    TVDBPrint &vdb = *Engine().Vdb;
    EXPECT_EQ(vdb.GetPaper(), 0);
    EXPECT_EQ(vdb.GetPaperNumber(QStringLiteral("A4"), 0, 9, 0), 0);
    vdb.SetPaper(9);
    const QString log = rendertest::errorLog();
    EXPECT_TRUE(log.contains(QStringLiteral("Vdb.GetPaper:")));
    EXPECT_TRUE(log.contains(QStringLiteral("Vdb.GetPaperNumber:")));
    EXPECT_TRUE(log.contains(QStringLiteral("Vdb.SetPaper:")));
}

// A job on the recording printer: form pages in cycles under the data pages, the
// rest of the form's cycle after the data, each sheet in its own orientation.
TEST_F(PrinterSettings, JobPairsFormPagesWithDataPages)
{
    const QString form = rendertest::writePrintFile(dir, QStringLiteral("f.51F"),
        QStringLiteral("LINE;0;100;100;100;1;0;黒;\r\nE;\r\nLINE;0;200;100;200;1;0;黒;\r\n"));
    QString pages;
    for (int i = 1; i <= 5; ++i)
        pages += QStringLiteral("%1LINE;%2;500;%3;500;1;0;黒;\r\nE;\r\n")
                     .arg(i == 2 ? QStringLiteral("ORIENTATION;1;\r\n") : QString())
                     .arg(i * 100).arg(i * 100 + 50);
    const QString data = rendertest::writePrintFile(dir, QStringLiteral("d.TMP"),
        QStringLiteral("*PAGER512*\r\n") + pages);
    TP512DEF d = InitialP512Def();
    d.DataFile = data;
    d.FormFile = form;
    d.PaperSize = 9;
    d.PrinterNum = 0;
    d.Title = QStringLiteral("job");
    ASSERT_TRUE(printJob(d));
    // The landscape page is a document of its own between two portrait ones.
    ASSERT_EQ(printer->Documents.size(), 3);
    EXPECT_EQ(printer->Events.first(), QStringLiteral("begin:job"));
    EXPECT_EQ(printer->Events.last(), QStringLiteral("end"));
    QList<QImage> sheets;
    QList<int> orientations;
    for (const auto &doc : printer->Documents) {
        sheets << doc.Pages;
        orientations << doc.Orientations;
    }
    EXPECT_EQ(printer->Documents[0].Pages.size(), 1);
    EXPECT_EQ(printer->Documents[1].Pages.size(), 1);
    EXPECT_EQ(printer->Documents[2].Pages.size(), 4); // pages 3 to 5 and the rest of the form's cycle
    ASSERT_EQ(sheets.size(), 6);
    for (int i = 0; i < 6; ++i) {
        const QImage &img = sheets[i];
        const bool firstFormPage = i % 2 == 0;
        EXPECT_EQ(img.pixel(50, 100) & 0xFFFFFF, firstFormPage ? 0u : 0xFFFFFFu) << i;
        EXPECT_EQ(img.pixel(50, 200) & 0xFFFFFF, firstFormPage ? 0xFFFFFFu : 0u) << i;
        if (i < 5) {
            EXPECT_EQ(img.pixel((i + 1) * 100 + 10, 500) & 0xFFFFFF, 0u) << i;
        }
    }
    // The second sheet is landscape, the others portrait.
    EXPECT_EQ(orientations, (QList<int>{1, 2, 1, 1, 1, 1}));
    EXPECT_GT(sheets[1].width(), sheets[1].height());
}

TEST_F(PrinterSettings, EveryJobStartsWithoutTheRatiosOfAnEarlierOne)
{
    const QString data = rendertest::writePrintFile(dir, QStringLiteral("d.TMP"),
        QStringLiteral("*PAGER512*\r\nLINE;1000;500;1100;500;1;0;黒;\r\nE;\r\n"));
    TP512DEF d = InitialP512Def();
    d.DataFile = data;
    d.PrinterNum = 0;
    // A3 data on A4 paper: 70.7 %.
    d.PaperSize = 8;
    d.OutPutPaper = 9;
    ASSERT_TRUE(printJob(d));
    EXPECT_EQ(printer->Pages[0].pixel(RoundEven(1000 * 0.707) + 5, RoundEven(500 * 0.707)) & 0xFFFFFF, 0u);
    // Then B5 data (13) on B4 paper (12): a pair outside the table, no scaling.
    d.PaperSize = 13;
    d.OutPutPaper = 12;
    ASSERT_TRUE(printJob(d));
    EXPECT_EQ(Engine().VRatio, 0);
    EXPECT_EQ(printer->Pages[0].pixel(1005, 500) & 0xFFFFFF, 0u);
}
