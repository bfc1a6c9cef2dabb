#include "RenderTestSupport.h"

#include <QRegularExpression>

using rendertest::RenderFixture;

namespace {

class RendererTables : public RenderFixture
{
};

} // namespace

TEST_F(RendererTables, ColourWords)
{
    P512Def().NetColor1 = 0x111111;
    P512Def().NetColor2 = 0x222222;
    P512Def().UserColor1 = 0x333333;
    P512Def().UserColor2 = 0x444444;
    const struct { const char16_t *word; TColor value; } cases[] = {
        {u"黒", 0x000000}, {u"栗", 0x000080}, {u"黄緑", 0x008080}, {u"暗青緑", 0x808000},
        {u"赤", 0x0000FF}, {u"青", 0xFF0000}, {u"白", 0xFFFFFF}, {u"黄", 0x00FFFF},
        {u"薄網掛", 0x111111}, {u"濃網掛", 0x222222}, {u"ucolor1", 0x333333}, {u"UCOLOR2", 0x444444},
        {u"OCRGREEN", 0x2CBE00}, {u"ocrpurple", 0x741A82},
        {u"12", 0xFF00FF}, {u"40", 0x111111}, {u"43", 0x444444}, {u"255", 0x0000FF},
        {u"16", static_cast<TColor>(0xFF000001)}, {u"35", static_cast<TColor>(0xFF000014)},
        {u"abc", 0}, {u"", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(ColorNameToColor(QString::fromUtf16(c.word), QStringLiteral("DAT")), c.value)
            << QString::fromUtf16(c.word).toStdString();
}

TEST_F(RendererTables, GreyConversionAndTheFormLayer)
{
    P512Def().GrayScale = true;
    EXPECT_EQ(ColorNameToColor(QStringLiteral("赤"), QStringLiteral("DAT")), 0x4C4C4C); // 76
    EXPECT_EQ(ColorNameToColor(QStringLiteral("白"), QStringLiteral("DAT")), 0xFFFFFF);
    EXPECT_EQ(ColorNameToColor(QStringLiteral("黒"), QStringLiteral("DAT")), 0x000000);
    EXPECT_EQ(ColorNameToColor(QStringLiteral("緑"), QStringLiteral("DAT")), 0x4B4B4B); // 0.587 * 128 = 75.1
    P512Def().PrintFom = false;
    EXPECT_EQ(ColorNameToColor(QStringLiteral("赤"), QStringLiteral("FOM")), 0xE6E6E6);
    EXPECT_EQ(ColorNameToColor(QStringLiteral("黒"), QStringLiteral("SUBFORM")), 0xE6E6E6);
    EXPECT_EQ(ColorNameToColor(QStringLiteral("黒"), QStringLiteral("DAT")), 0x000000);
}

TEST_F(RendererTables, SwitchesAlignmentsAndStyles)
{
    EXPECT_EQ(SwitchWordToColor(QStringLiteral("1")), 1);
    EXPECT_EQ(SwitchWordToColor(QStringLiteral("OFF")), 1);
    EXPECT_EQ(SwitchWordToColor(QStringLiteral("ON")), 0xFFFFFF);
    EXPECT_EQ(SwitchWordToColor(QStringLiteral("赤")), 0x0000FF);
    EXPECT_EQ(AlignWordToInt(QStringLiteral("center")), 0);
    EXPECT_EQ(AlignWordToInt(QStringLiteral("CENTER")), 1);
    EXPECT_EQ(AlignWordToInt(QStringLiteral("1")), 1);
    EXPECT_EQ(AlignWordToInt(QStringLiteral("RIGHT")), 2);
    EXPECT_EQ(AlignWordToInt(QStringLiteral("2")), 2);
    EXPECT_EQ(AlignWordToInt(QStringLiteral("BOTTOM")), 2);
    EXPECT_EQ(StyleWordToFontStyle(QStringLiteral("BUI")), 0);
    EXPECT_EQ(StyleWordToFontStyle(QStringLiteral("biu")), fsBold | fsItalic | fsUnderline);
    EXPECT_EQ(StyleWordToFontStyle(QStringLiteral("BIS")), 11);
    EXPECT_EQ(StyleWordToFontStyle(QStringLiteral("DU")), fsUnderline);
    EXPECT_EQ(StyleWordToFontStyle(QString()), 0);
}

TEST_F(RendererTables, FontNames)
{
    EXPECT_EQ(ResolveFontName(QString()), QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(ResolveFontName(QStringLiteral("JAN")), QStringLiteral("JAN"));
    EXPECT_EQ(ResolveFontName(QStringLiteral("Arial")), QStringLiteral("Arial"));
    // No OCR face is installed here.
    EXPECT_EQ(ResolveFontName(QStringLiteral("OCR-B")), QStringLiteral("ＭＳ ゴシック"));
    Engine().FontsDefault.insert(QStringLiteral("OCRB"));
    EXPECT_EQ(ResolveFontName(QStringLiteral("OCR-B")), QStringLiteral("OCRB"));
    // The Windows Japanese faces stand for the installed Japanese faces.
    EXPECT_EQ(GetFontCharset(QStringLiteral("ＭＳ ゴシック")), 128);
    EXPECT_EQ(GetFontCharset(QStringLiteral("no such face")), 0);
    EXPECT_TRUE(DrawingFamily(QStringLiteral("ＭＳ ゴシック")).contains(QStringLiteral("CJK")));
}

TEST_F(RendererTables, PaperTableAndRatios)
{
    int w = 0, h = 0;
    GetPaperSizeMM(12, w, h);
    EXPECT_EQ(w, 250);
    EXPECT_EQ(h, 354);
    GetPaperSizeMM(90, w, h);
    EXPECT_EQ(w, 305);
    EXPECT_EQ(Engine().PaperSource, 0);
    // Unknown paper: the printer's printable size, height + 20, and the flag.
    GetPaperSizeMM(1, w, h);
    EXPECT_EQ(w, 210);
    EXPECT_EQ(h, 297 + 20);
    EXPECT_EQ(Engine().PaperSource, 2);

    const struct { int data, printer, v, h; } pairs[] = {
        {8, 9, 707, 707}, {8, 12, 843, 842}, {9, 11, 707, 705}, {9, 13, 865, 867}, {12, 13, 726, 728},
        {12, 9, 839, 840}, {13, 9, 1156, 1154}, {9, 12, 1192, 1190}, {9, 8, 1414, 1414}, {12, 8, 1186, 1188}};
    for (const auto &p : pairs) {
        P512Def().PaperSize = p.data;
        Engine().Vdb->SetPaper(p.printer);
        CalcPaperRatio();
        EXPECT_EQ(Engine().VRatio, p.v) << p.data << "/" << p.printer;
        EXPECT_EQ(Engine().HRatio, p.h) << p.data << "/" << p.printer;
    }
    // A pair outside the table keeps the ratios; the same paper takes the definition's.
    P512Def().PaperSize = 8;
    Engine().Vdb->SetPaper(9);
    CalcPaperRatio();
    Engine().Vdb->SetPaper(1);
    CalcPaperRatio();
    EXPECT_EQ(Engine().VRatio, 707);
    P512Def().PaperSize = 9;
    P512Def().VRATIO = 980;
    P512Def().HRATIO = 1030;
    Engine().Vdb->SetPaper(9);
    CalcPaperRatio();
    EXPECT_EQ(Engine().VRatio, 980);
    EXPECT_EQ(Engine().HRatio, 1030);
}

TEST_F(RendererTables, CountingPagesAndThePageList)
{
    const QString data = rendertest::writePrintFile(dir, QStringLiteral("d.TMP"),
        QStringLiteral("*PAGER512*\r\nTEXT;1;1;a;\r\nE;\r\nTEXT;1;1;b;\r\nE;\r\nTEXT;1;1;c;\r\nE;\r\n"));
    EXPECT_EQ(CountPages(data, true), 4);
    EXPECT_TRUE(Engine().PageList.isEmpty()); // numbering off: no list
    P512Def().PageBango.PageBango = true;
    EXPECT_EQ(CountPages(data, true), 4);
    EXPECT_EQ(Engine().PageList, (QStringList{"1", "2", "3", "0"}));
    EXPECT_EQ(Engine().NumberedPages, 3);

    // A page of one line holding "LINE" (even inside a text) gets no number; "e;"
    // counts, "E" alone does not.
    const QString odd = rendertest::writePrintFile(dir, QStringLiteral("o.TMP"),
        QStringLiteral("TEXT;1;1;ONLINE;\r\ne;\r\nTEXT;1;1;x;\r\nTEXT;1;1;y;\r\nE\r\nTEXT;1;1;z;\r\n"));
    EXPECT_EQ(CountPages(odd, true), 2);
    EXPECT_EQ(Engine().PageList, (QStringList{"0", "1"}));

    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(CountPages(dir + QStringLiteral("/none"), false), 1);
    EXPECT_EQ(CountPages(QString(), false), 1); // no name: no box
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.endsWith(QStringLiteral("/none> が見つかりません。")));
}

TEST_F(RendererTables, JobPageCountsCycleTheForm)
{
    Engine().FormFileName = rendertest::writePrintFile(dir, QStringLiteral("f.51F"),
        QStringLiteral("LINE;0;0;1;1;\r\nE;\r\nLINE;0;0;1;1;\r\nE;\r\n"));
    Engine().DataFileName = rendertest::writePrintFile(dir, QStringLiteral("d.TMP"), QString(QStringLiteral("E;\r\n")).repeated(5));
    InitPageCounts();
    EXPECT_EQ(Engine().PageCount, 6);
    EXPECT_EQ(Engine().CurrentPage, 1);
    Engine().DataFileName = rendertest::writePrintFile(dir, QStringLiteral("d.TMP"), QStringLiteral("E;\r\n"));
    InitPageCounts();
    EXPECT_EQ(Engine().PageCount, 3);
}

TEST_F(RendererTables, SkippingPagesAndOrientations)
{
    const QString path = rendertest::writePrintFile(dir, QStringLiteral("f.51F"),
        QStringLiteral("A;\r\nE;\r\nB;\r\nORIENTATION;1;\r\nE;\r\nC;\r\n"));
    TPrintFile f;
    ASSERT_TRUE(f.open(path));
    EXPECT_TRUE(SkipToPage(f, 1, false));
    EXPECT_EQ(f.position(), 0);
    EXPECT_TRUE(SkipToPage(f, 3, false));
    EXPECT_EQ(f.readLine(), QStringLiteral("C;"));
    f.rewind();
    EXPECT_FALSE(SkipToPage(f, 5, false));
    // With wrap the end of the file ends its last page and reading goes on at the start.
    f.rewind();
    EXPECT_TRUE(SkipToPage(f, 4, true));
    EXPECT_EQ(f.readLine(), QStringLiteral("A;"));

    EXPECT_EQ(GetPageOrientations(path, 0), QStringLiteral("0\n1\n0"));
    EXPECT_EQ(GetPageOrientations(path, 1), QStringLiteral("1\n1\n1"));
}

TEST_F(RendererTables, ErrorLogLines)
{
    WriteErrorLog(QStringLiteral("PREVIEW.開始:だめ"));
    WriteErrorLog(QStringLiteral("second"));
    const QStringList lines = rendertest::errorLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d  PREVIEW\\.開始:だめ$"))
                    .match(lines[0]).hasMatch()) << lines[0].toStdString();
    // A null picture is logged and nothing is drawn.
    QImage target(10, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter p(&target);
    StretchDrawBitmap(p, QRect(0, 0, 10, 10), QStringLiteral("pic.bmp"), false, QImage(), true);
    p.end();
    EXPECT_TRUE(rendertest::errorLog().contains(QStringLiteral("pic.bmp ビットマップイメージの取得ができない　GETDIB()")));
    EXPECT_EQ(target.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(BlankText(200).size(), 127);
}
