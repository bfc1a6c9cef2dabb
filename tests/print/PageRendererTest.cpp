#include "RenderTestSupport.h"

#include <QDir>

using rendertest::RenderFixture;

namespace {

constexpr QRgb kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000, kGrey = 0x808080,
               kFormGrey = 0xE6E6E6;

class PageRenderer : public RenderFixture
{
};

} // namespace

TEST_F(PageRenderer, LineHasItsWidthAndEnds)
{
    render(QStringLiteral("LINE;100;50;300;50;5;0;黒;\r\nELINE;100;150;300;150;50;0;赤;\r\nE;\r\n"));
    // 0.5 mm wide: rows 48 to 52.
    for (int y = 48; y <= 52; ++y)
        EXPECT_EQ(at(200, y), kBlack) << y;
    EXPECT_EQ(at(200, 47), kWhite);
    EXPECT_EQ(at(200, 53), kWhite);
    // From its first point up to, not including, its last.
    EXPECT_EQ(at(99, 50), kWhite);
    EXPECT_EQ(at(100, 50), kBlack);
    EXPECT_EQ(at(299, 50), kBlack);
    EXPECT_EQ(at(300, 50), kWhite);
    // ELINE widths are in 0.01 mm: 50 is 0.5 mm.
    EXPECT_EQ(inkBox(QRect(0, 100, 400, 100)), QRect(QPoint(100, 148), QPoint(299, 152)));
    EXPECT_EQ(at(200, 150), kRed);
}

TEST_F(PageRenderer, BoxOutlineAndFill)
{
    render(QStringLiteral("BOX;50;50;150;100;1;0;黒;赤;0;\r\nBOX;200;50;300;100;1;5;黒;青;1;\r\nE;\r\n"));
    EXPECT_EQ(at(50, 75), kBlack);   // left edge
    EXPECT_EQ(at(149, 75), kBlack);  // right edge: the corner (150, 100) is excluded
    EXPECT_EQ(at(150, 75), kWhite);
    EXPECT_EQ(at(100, 50), kBlack);
    EXPECT_EQ(at(100, 99), kBlack);
    EXPECT_EQ(at(100, 75), kRed);
    // Pen style 5 and fill style 1: nothing at all.
    EXPECT_EQ(inkBox(QRect(190, 0, 210, 300)), QRect());
}

TEST_F(PageRenderer, HatchedFillsOverOpaqueWhite)
{
    struct Case { int fillStyle; bool rowsVary; bool columnsVary; };
    const Case cases[] = {{2, true, false}, {3, false, true}, {4, true, true}, {5, true, true},
                          {6, true, true},  {7, true, true}};
    for (const Case &c : cases) {
        // A grey ground under the box: the hatch's gaps must come out white.
        render(QStringLiteral("FRECT;0;0;400;300;灰;0;\r\nBOX;100;100;200;200;0;5;黒;黒;%1;\r\nE;\r\n")
                   .arg(c.fillStyle));
        int black = 0, white = 0, grey = 0;
        bool rowDiffers = false, columnDiffers = false;
        for (int y = 110; y < 190; ++y)
            for (int x = 110; x < 190; ++x) {
                const QRgb p = at(x, y);
                black += p == kBlack;
                white += p == kWhite;
                grey += p == kGrey;
                if (x > 110 && p != at(x - 1, y)) columnDiffers = true;
                if (y > 110 && p != at(x, y - 1)) rowDiffers = true;
            }
        EXPECT_GT(black, 0) << c.fillStyle;
        EXPECT_GT(white, black) << c.fillStyle;
        EXPECT_EQ(grey, 0) << c.fillStyle;
        EXPECT_EQ(rowDiffers, c.rowsVary) << c.fillStyle;
        EXPECT_EQ(columnDiffers, c.columnsVary) << c.fillStyle;
        EXPECT_EQ(at(50, 50), kGrey);
    }
}

TEST_F(PageRenderer, FilledRectangleModes)
{
    // Mode 1 lies under a line drawn before it in the file; mode 0 hides what lies
    // under it; mode 2 darkens: black stays black, white takes the colour.
    render(QStringLiteral("LINE;0;50;400;50;3;0;黒;\r\n"
                          "FRECT;10;40;90;60;赤;1;\r\n"
                          "FRECT;110;40;190;60;赤;0;\r\n"
                          "FRECT;210;40;290;60;赤;2;\r\n"
                          "E;\r\n"));
    EXPECT_EQ(at(50, 50), kBlack);
    EXPECT_EQ(at(50, 45), kRed);
    EXPECT_EQ(at(150, 50), kRed);
    EXPECT_EQ(at(250, 50), kBlack);
    EXPECT_EQ(at(250, 45), kRed);
    EXPECT_EQ(at(300, 50), kBlack);
    EXPECT_EQ(inkBox(QRect(0, 0, 400, 39)), QRect());
}

TEST_F(PageRenderer, MarginRecordsLastToThePageEnd)
{
    Engine().LeftMargin = 20;
    Engine().TopMargin = 10;
    render(QStringLiteral("LINE;0;20;10;20;1;0;黒;\r\n"
                          "LEFTMARGIN;50;\r\n"
                          "LINE;0;40;10;40;1;0;黒;\r\n"
                          "LEFTMARGIN;0;\r\n"
                          "TOPMARGIN;30;\r\n"
                          "LINE;0;60;10;60;1;0;黒;\r\n"
                          "E;\r\n"));
    EXPECT_EQ(inkBox(QRect(0, 25, 400, 10)).left(), 20);  // the caller's margin
    EXPECT_EQ(inkBox(QRect(0, 45, 400, 10)).left(), 70);  // 20 + 50
    EXPECT_EQ(inkBox(QRect(0, 95, 400, 10)), QRect(QPoint(70, 100), QPoint(79, 100))); // shift kept, top 10 + 30
    EXPECT_EQ(Engine().LeftMargin, 20); // the next page starts with the caller's margins again
    EXPECT_EQ(Engine().TopMargin, 10);
}

TEST_F(PageRenderer, EvenPagesAndFormMarginsShiftTheirLayer)
{
    Engine().EvenLeftMargin = 30;
    P512Def().FormLeftMargin = 7;
    P512Def().LeftCorrect = 100; // the printer's correction is not used on the screen
    const QString path = rendertest::writePrintFile(dir, QStringLiteral("f.51F"), QStringLiteral("LINE;0;10;10;10;1;0;黒;\r\n"));
    for (const bool even : {false, true}) {
        image = QImage(200, 50, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        TCanvas canvas(&painter, false, true);
        TPrintFile file;
        ASSERT_TRUE(file.open(path));
        PaintPage(QStringLiteral("FOM"), file, canvas, 254, 1.0, 1.0, 10, even, 0, 0, 0);
        painter.end();
        EXPECT_EQ(inkBox().left(), even ? 37 : 7);
    }
}

TEST_F(PageRenderer, RatiosScalePointsAndTextButNotPens)
{
    // A3 data on A4 paper: everything shrinks to 70.7 %.
    P512Def().PaperSize = 8;
    CalcPaperRatio();
    ASSERT_EQ(Engine().VRatio, 707);
    ASSERT_EQ(Engine().HRatio, 707);
    render(QStringLiteral("LINE;100;100;300;100;5;0;黒;\r\nTEXT;100;200;HHH;;20;;;;;;;\r\nE;\r\n"));
    // Points shrink (100 -> 71, 300 -> 212, the last pixel excluded), the pen stays 5 wide.
    EXPECT_EQ(inkBox(QRect(0, 60, 400, 20)), QRect(QPoint(71, 69), QPoint(211, 73)));
    const QRect small = inkBox(QRect(0, 120, 400, 180));
    EXPECT_NEAR(small.left(), 71, 4);
    EXPECT_GE(small.top(), 141);
    EXPECT_LE(small.top(), 141 + 12);

    Engine().HRatio = Engine().VRatio = 0;
    render(QStringLiteral("TEXT;100;200;HHH;;20;;;;;;;\r\nE;\r\n"));
    const QRect full = inkBox();
    EXPECT_NEAR(full.left(), 100, 4);
    EXPECT_NEAR(double(small.height()) / full.height(), 0.707, 0.04);
    EXPECT_NEAR(double(small.width()) / full.width(), 0.707, 0.04);
}

TEST_F(PageRenderer, TextAlignmentAndTop)
{
    for (const char *align : {"LEFT", "CENTER", "RIGHT", "1", "2", "center"}) {
        render(QStringLiteral("TEXT;200;100;HIH;ＭＳ ゴシック;10;;黒;OFF;%1;;;\r\nE;\r\n").arg(QString::fromLatin1(align)));
        const QRect box = inkBox();
        ASSERT_FALSE(box.isNull()) << align;
        const QString a = QString::fromLatin1(align);
        if (a == QLatin1String("RIGHT") || a == QLatin1String("2"))
            EXPECT_NEAR(box.right(), 200, 6) << align;
        else if (a == QLatin1String("CENTER") || a == QLatin1String("1"))
            EXPECT_NEAR((box.left() + box.right()) / 2.0, 200, 3) << align;
        else
            EXPECT_NEAR(box.left(), 200, 4) << align; // "center" in lower case aligns left
        // The cell top lies at y: the glyphs begin a little below it.
        EXPECT_GE(box.top(), 100) << align;
        EXPECT_LE(box.top(), 100 + 10) << align;
    }
}

TEST_F(PageRenderer, CentredModeRaisesTextByHalfItsHeight)
{
    render(QStringLiteral("TEXT;200;100;Ｈ;;10;;;;;;1;\r\nE;\r\n"));
    const QRect box = inkBox();
    // 10 points are 35 pixels: the text is raised by 17 and its first character
    // centred on x.
    EXPECT_LT(box.top(), 100);
    EXPECT_NEAR((box.left() + box.right()) / 2.0, 200, 3);
}

TEST_F(PageRenderer, TextBackgroundAndTabLines)
{
    render(QStringLiteral("TEXT;20;20;ＡＡ;;10;;黒;赤;;;;\r\nTEXT;20;150;Ａ\tＢ;;10;;黒;OFF;;;;\r\nE;\r\n"));
    EXPECT_EQ(at(22, 22), kRed); // a colour switch paints the text's background
    const QRect lines = inkBox(QRect(0, 140, 400, 160));
    // Two lines: the second one a line height (about 35 pixels or more) lower.
    EXPECT_GT(lines.height(), 35 + 20);
    EXPECT_EQ(at(22, 152), kWhite); // "OFF": no background
}

TEST_F(PageRenderer, UTextSpreadsOverItsSpan)
{
    render(QStringLiteral("UTEXT;50;50;AB;;10;;;;;200;;\r\nE;\r\n"));
    const QRect box = inkBox();
    EXPECT_NEAR(box.left(), 50, 4);
    EXPECT_NEAR(box.right(), 250, 4);
    // One character is drawn as plain text.
    render(QStringLiteral("UTEXT;50;50;A;;10;;;;;200;;\r\nE;\r\n"));
    EXPECT_LT(inkBox().right(), 90);
}

TEST_F(PageRenderer, VTextRunsDownwards)
{
    render(QStringLiteral("VTEXT;50;20;ＡＢＣ;;10;;;;;250;;\r\nE;\r\n"));
    const QRect box = inkBox();
    EXPECT_GT(box.height(), 200);
    EXPECT_LT(box.width(), 50);
}

TEST_F(PageRenderer, MemoWrapsAndShowsOnlyLinesAboveItsBottom)
{
    // The fields of MEMO: x1;y1;x2;y2;text;border;font;size;style;colour.
    render(QStringLiteral("MEMO;20;20;200;130;ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ;1;;10;;黒;\r\nE;\r\n"));
    // The frame lies 5 pixels outside the box.
    EXPECT_EQ(at(15, 60), kBlack);
    EXPECT_EQ(at(204, 60), kBlack);
    // Lines of 35 pixels (10 points) at 20, 55 and 90; the next would start at 125,
    // which is not above 130 - 35, so it is not drawn.
    const QRect text = inkBox(QRect(17, 17, 185, 300));
    EXPECT_LE(text.right(), 202);
    EXPECT_FALSE(inkBox(QRect(17, 95, 185, 30)).isNull());
    EXPECT_TRUE(inkBox(QRect(17, 126, 185, 8)).isNull());
}

TEST_F(PageRenderer, ShapesAndPaths)
{
    render(QStringLiteral("CIRCLE;50;50;150;150;1;0;黒;赤;0;\r\n"
                          "RRECT;200;50;300;150;40;40;1;0;黒;青;0;\r\n"
                          "BP;20;200;3;0;黒;\r\n"
                          "LINEB;100;0;\r\n"
                          "LINEB;100;50;\r\n"
                          "E;\r\n"));
    EXPECT_EQ(at(100, 100), kRed);
    EXPECT_EQ(at(52, 52), kWhite);   // outside the ellipse
    EXPECT_EQ(at(250, 100), 0x0000FF);
    EXPECT_EQ(at(201, 51), kWhite);  // the rounded corner
    EXPECT_EQ(at(200, 100), kBlack);
    // The path starts at (20, 200) and its points are relative to it.
    EXPECT_EQ(at(60, 200), kBlack);
    EXPECT_EQ(at(120, 225), kBlack);
    EXPECT_EQ(at(130, 260), kWhite);
}

TEST_F(PageRenderer, CircledCharacterAndDigitRules)
{
    render(QStringLiteral("MARUMOJI;100;100;60;１;;10;;黒;\r\nSLINE;300;50;250;3;1;0;黒;;5;\r\nE;\r\n"));
    const QRect circle = inkBox(QRect(0, 0, 150, 300));
    EXPECT_EQ(circle.left(), 70);
    EXPECT_EQ(circle.top(), 70);
    EXPECT_NEAR(circle.right(), 129, 1);
    // Three digit-group rules left of x, spaced by the width of "000".
    QList<int> columns;
    for (int x = 180; x < 300; ++x)
        if (at(x, 150) == kBlack)
            columns << x;
    ASSERT_EQ(columns.size(), 3);
    EXPECT_EQ(columns[2] - columns[1], columns[1] - columns[0]);
    EXPECT_EQ(at(columns[0], 249), kBlack);
}

TEST_F(PageRenderer, PageEndAndResult)
{
    EXPECT_FALSE(render(QStringLiteral("E;\r\n")));
    EXPECT_TRUE(inkBox().isNull());
    EXPECT_TRUE(render(QStringLiteral("LINE;0;10;100;10;1;0;黒;\r\n")));
    EXPECT_FALSE(render(QStringLiteral("LINE;0;10;100;10;1;0;黒;\r\ne\r\nLINE;0;30;100;30;1;0;黒;\r\n")));
    EXPECT_TRUE(inkBox(QRect(0, 20, 400, 20)).isNull()); // the page ended at "e"
}

TEST_F(PageRenderer, FormLayerIsLightGreyWhenFormsAreNotPrinted)
{
    P512Def().PrintFom = false;
    render(QStringLiteral("LINE;0;10;100;10;3;0;赤;\r\nTEXT;10;50;Ａ;;10;;赤;;;;;\r\nE;\r\n"), 400, 300,
           QStringLiteral("FOM"));
    EXPECT_EQ(at(50, 10), kFormGrey);
    const QRect t = inkBox(QRect(0, 40, 400, 100));
    ASSERT_FALSE(t.isNull());
    bool allGrey = true;
    for (int y = t.top(); y <= t.bottom(); ++y)
        for (int x = t.left(); x <= t.right(); ++x)
            if (ink(x, y) && at(x, y) != kFormGrey) allGrey = false;
    EXPECT_TRUE(allGrey);
    P512Def().PrintFom = true;
    render(QStringLiteral("LINE;0;10;100;10;3;0;赤;\r\nE;\r\n"), 400, 300, QStringLiteral("FOM"));
    EXPECT_EQ(at(50, 10), kRed);
}

TEST_F(PageRenderer, FormRecordDrawsItsFirstPageAtAnOffset)
{
    const QString sub = rendertest::writePrintFile(dir, QStringLiteral("sub.51F"),
        QStringLiteral("LINE;0;0;50;0;1;0;黒;\r\nE;\r\nLINE;0;100;50;100;1;0;黒;\r\n"));
    const QString data = QStringLiteral("FORM;%1;FALSE;100;50;\r\nE;\r\n").arg(sub);
    render(data);
    EXPECT_EQ(inkBox(), QRect(QPoint(100, 50), QPoint(149, 50)));
    // On the printer with forms off the record draws nothing; on the screen it does.
    P512Def().PrintFom = false;
    render(data, 400, 300, QStringLiteral("DAT"), true);
    EXPECT_TRUE(inkBox().isNull());
    render(data);
    EXPECT_FALSE(inkBox().isNull());
    // A missing form is skipped silently.
    P512Def().PrintFom = true;
    EXPECT_FALSE(render(QStringLiteral("FORM;%1/none.51F;FALSE;0;0;\r\nE;\r\n").arg(dir)));
}

TEST_F(PageRenderer, SelfReferencingFormsAreDrawnOnce)
{
    const QString self = dir + QStringLiteral("/self.51F");
    rendertest::writePrintFile(dir, QStringLiteral("self.51F"),
        QStringLiteral("LINE;0;10;50;10;1;0;黒;\r\nFORM;%1;FALSE;0;100;\r\nE;\r\n").arg(self));
    const QString a = dir + QStringLiteral("/a.51F"), b = dir + QStringLiteral("/b.51F");
    rendertest::writePrintFile(dir, QStringLiteral("a.51F"),
        QStringLiteral("LINE;0;20;50;20;1;0;黒;\r\nFORM;%1;FALSE;0;0;\r\nE;\r\n").arg(b));
    rendertest::writePrintFile(dir, QStringLiteral("b.51F"),
        QStringLiteral("LINE;0;40;50;40;1;0;黒;\r\nFORM;%1;FALSE;0;0;\r\nE;\r\n").arg(a));

    render(QStringLiteral("FORM;%1;FALSE;0;0;\r\nE;\r\n").arg(self));
    EXPECT_EQ(inkBox(), QRect(QPoint(0, 10), QPoint(49, 10)));
    EXPECT_EQ(rendertest::errorLog().count(QStringLiteral("self.51F")), 1);

    rendertest::clearErrorLog();
    TPrintFile file;
    ASSERT_TRUE(file.open(a));
    image = QImage(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TCanvas canvas(&painter, false, true);
    EXPECT_FALSE(PaintPage(QStringLiteral("FOM"), file, canvas, 254, 1.0, 1.0, 10, false, 0, 0, 0));
    painter.end();
    EXPECT_EQ(at(25, 20), kBlack);
    EXPECT_EQ(at(25, 40), kBlack);
    EXPECT_EQ(rendertest::errorLog().count(u'\n'), 1);
}

TEST_F(PageRenderer, FieldRecordsUseTheFormDefinitions)
{
    const QString form = rendertest::writePrintFile(dir, QStringLiteral("fields.51F"),
        QStringLiteral("&;100;20;行間;;;;;;;50;\r\n"
                       "&;100;20;NAME;;10;;赤;;LEFT;;0;\r\n"
                       "&;300;20;ONCE;;10;;黒;;RIGHT;;1;\r\n"
                       "E;\r\n"));
    HensuuYomikomi(form, 0, 0);
    render(QStringLiteral("@;name;Ａ;\r\n@;name;Ａ;\r\n@;name;Ａ;\r\n@;once;X;\r\n@;once;Y;\r\n@;nothing;Ｚ;\r\nE;\r\n"));
    // Three uses of the field, one line pitch apart.
    QList<int> tops;
    for (int band : {20, 70, 120}) {
        const QRect r = inkBox(QRect(90, band, 100, 45));
        ASSERT_FALSE(r.isNull()) << band;
        tops << r.top();
        bool red = false;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                red |= at(x, y) == kRed;
        EXPECT_TRUE(red) << band;
    }
    EXPECT_EQ(tops[1] - tops[0], 50);
    EXPECT_EQ(tops[2] - tops[1], 50);
    // The once field prints its first value only, right-aligned at its x.
    const QRect once = inkBox(QRect(200, 0, 200, 300));
    EXPECT_NEAR(once.right(), 300, 4);
    EXPECT_LT(once.bottom(), 70);
}

TEST_F(PageRenderer, ImagesStretchAndLetWhiteShowThrough)
{
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 3; y < 7; ++y)
        for (int x = 3; x < 7; ++x)
            picture.setPixel(x, y, qRgb(255, 0, 0));
    const QString bmp = dir + QStringLiteral("/pic.bmp");
    const QString jpg = dir + QStringLiteral("/pic.jpg");
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    ASSERT_TRUE(picture.save(jpg, "JPG", 100));
    render(QStringLiteral("LINE;0;50;400;50;3;0;黒;\r\n"
                          "IMAGE;0;0;100;100;%1;0;\r\n"
                          "IMAGE;200;0;300;100;%1;1;\r\n"
                          "IMAGE;100;150;200;250;%2;0;\r\n"
                          "IMAGE;300;150;400;250;%3/missing.bmp;0;\r\n"
                          "E;\r\n").arg(bmp, jpg, dir));
    EXPECT_EQ(at(50, 50), kRed);       // stretched: the red square covers 30..69
    EXPECT_EQ(at(10, 50), kWhite);     // opaque white hides the line
    EXPECT_EQ(at(210, 50), kBlack);    // transparent: the line shows through white
    EXPECT_EQ(at(250, 50), kBlack);    // and black stays black under red
    EXPECT_EQ(at(250, 40), kRed);
    const QRgb j = at(150, 200);
    EXPECT_GT(qRed(j), 200);
    EXPECT_LT(qGreen(j), 60);
    EXPECT_TRUE(inkBox(QRect(300, 140, 100, 120)).isNull());
}

TEST_F(PageRenderer, AutomaticPageNumbers)
{
    P512Def().PageBango.PageBango = true;
    P512Def().PageBango.PageBangoCount = 2;
    P512Def().PageBango.PageBangoFormat = QStringLiteral("%d/%d");
    P512Def().PageBango.PageBangoLeft = 300;
    P512Def().PageBango.PageBangoTop = 20;
    P512Def().PageBango.PageBangoAlignment = 2;
    Engine().PageList = {QStringLiteral("1"), QStringLiteral("0")};
    Engine().NumberedPages = 1;
    Engine().PageNumber = 1;
    render(QStringLiteral("LINE;0;200;10;200;1;0;黒;\r\nTEXT;0;100;x;;;;;;;;;\r\nE;\r\n"));
    const QRect number = inkBox(QRect(200, 0, 200, 80));
    ASSERT_FALSE(number.isNull());
    EXPECT_NEAR(number.right(), 300, 4);
    Engine().PageNumber = 2;
    render(QStringLiteral("LINE;0;200;10;200;1;0;黒;\r\nE;\r\n"));
    EXPECT_TRUE(inkBox(QRect(200, 0, 200, 80)).isNull());
}

TEST_F(PageRenderer, MessagesAreKeptForThePrinterOnly)
{
    render(QStringLiteral("MESSAGE;用紙を替えてください;\r\nE;\r\n"), 100, 100, QStringLiteral("DAT"), true);
    EXPECT_EQ(Engine().PendingMessage, QStringLiteral("用紙を替えてください"));
    render(QStringLiteral("MESSAGE;x;\r\nE;\r\n"));
    EXPECT_TRUE(Engine().PendingMessage.isEmpty());
}

TEST_F(PageRenderer, DoubleUnderlineDrawsASecondLineBelow)
{
    // Count the rows under the glyphs that are inked across most of the text's width.
    const auto underlineRows = [&](const QString &style) {
        render(QStringLiteral("TEXT;50;50;ABCDEF;;10;%1;;;;;;\r\nE;\r\n").arg(style));
        const QRect box = inkBox();
        int rows = 0;
        bool inRun = false;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            int inked = 0;
            for (int x = box.left(); x <= box.right(); ++x)
                inked += ink(x, y);
            const bool full = inked > box.width() * 0.9;
            if (full && !inRun)
                ++rows;
            inRun = full;
        }
        return rows;
    };
    EXPECT_EQ(underlineRows(QString()), 0);
    EXPECT_EQ(underlineRows(QStringLiteral("U")), 1);
    EXPECT_EQ(underlineRows(QStringLiteral("DU")), 2);
}
