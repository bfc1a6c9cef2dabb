#include "support/TestEnv.h"

#include "platform/Cp932.h"
#include "print/Pager512_Class.h"

#include <gtest/gtest.h>

#include <QFile>

#include <functional>

using namespace pager512;

namespace {

// Installs hooks for one test and removes them afterwards.
struct HookGuard {
    HookGuard() = default;
    ~HookGuard()
    {
        StartPreviewHook = nullptr;
        StartPrintHook = nullptr;
        CurrentPrinterHook = nullptr;
    }
};

} // namespace

TEST(Pager512, ValuesAfterCreate)
{
    TPager512 p;
    EXPECT_EQ(p.Copie(), 1);
    EXPECT_EQ(p.Zoom(), 10);
    EXPECT_EQ(p.Scale(), 100);
    EXPECT_EQ(p.PrintQuality(), 0);
    EXPECT_EQ(p.Duplex(), 0);
    EXPECT_EQ(p.VRATIO(), 1000);
    EXPECT_EQ(p.HRATIO(), 1000);
    EXPECT_EQ(p.PaperSize, 9);
    EXPECT_EQ(p.PaperName, QStringLiteral("A4"));
    EXPECT_EQ(p.PrinterNum, -1); // no printer
    EXPECT_EQ(p.PageBangoFormat(), QStringLiteral("(%d/%d)"));
    EXPECT_EQ(p.PageBangoCount(), 0);
    EXPECT_EQ(p.PageBangoAlignment(), TAlignment::taRightJustify);
    EXPECT_EQ(p.PageBangoAlignmentCode(), 2);
    EXPECT_EQ(p.OcrGreen, 0x2CBE00);
    EXPECT_EQ(p.OcrPurple, 0x741A82);
}

TEST(Pager512, SetterLimits)
{
    using Setter = std::function<void(TPager512 &, int)>;
    using Getter = std::function<int(const TPager512 &)>;
    struct Case {
        const char *name;
        Setter set;
        Getter get;
        int before; // value set first (accepted)
        int value;
        int expected;
    };
    const Setter copie = [](TPager512 &p, int v) { p.SetCopie(v); };
    const Getter gCopie = [](const TPager512 &p) { return p.Copie(); };
    const Setter zoom = [](TPager512 &p, int v) { p.SetZoom(v); };
    const Getter gZoom = [](const TPager512 &p) { return p.Zoom(); };
    const Setter scale = [](TPager512 &p, int v) { p.SetScale(v); };
    const Getter gScale = [](const TPager512 &p) { return p.Scale(); };
    const Setter quality = [](TPager512 &p, int v) { p.SetPrintQuality(v); };
    const Getter gQuality = [](const TPager512 &p) { return p.PrintQuality(); };
    const Setter colour = [](TPager512 &p, int v) { p.SetColorMode(v); };
    const Getter gColour = [](const TPager512 &p) { return p.ColorMode(); };
    const Setter duplex = [](TPager512 &p, int v) { p.SetDuplex(v); };
    const Getter gDuplex = [](const TPager512 &p) { return p.Duplex(); };
    const Setter collate = [](TPager512 &p, int v) { p.SetCollate(v); };
    const Getter gCollate = [](const TPager512 &p) { return p.Collate(); };
    const Setter vr = [](TPager512 &p, int v) { p.SetVRATIO(v); };
    const Getter gVr = [](const TPager512 &p) { return p.VRATIO(); };
    const Setter hr = [](TPager512 &p, int v) { p.SetHRATIO(v); };
    const Getter gHr = [](const TPager512 &p) { return p.HRATIO(); };
    const Case cases[] = {
        {"copies 0", copie, gCopie, 5, 0, 5},
        {"copies 100", copie, gCopie, 5, 100, 5},
        {"copies 1", copie, gCopie, 5, 1, 1},
        {"copies 99", copie, gCopie, 5, 99, 99},
        {"zoom 4", zoom, gZoom, 12, 4, 12},
        {"zoom 21", zoom, gZoom, 12, 21, 12},
        {"zoom 5", zoom, gZoom, 12, 5, 5},
        {"zoom 20", zoom, gZoom, 12, 20, 20},
        {"scale 49", scale, gScale, 80, 49, 80},
        {"scale 151", scale, gScale, 80, 151, 80},
        {"scale 50", scale, gScale, 80, 50, 50},
        {"scale 150", scale, gScale, 80, 150, 150},
        {"quality -5", quality, gQuality, -2, -5, -2},
        {"quality 0", quality, gQuality, -2, 0, -2},
        {"quality -4", quality, gQuality, -2, -4, -4},
        {"colour mode 3", colour, gColour, 2, 3, 0},
        {"colour mode -1", colour, gColour, 2, -1, 0},
        {"colour mode 1", colour, gColour, 2, 1, 1},
        {"duplex 0", duplex, gDuplex, 2, 0, 2},
        {"duplex 4", duplex, gDuplex, 2, 4, 2},
        {"duplex 3", duplex, gDuplex, 2, 3, 3},
        {"collate 2", collate, gCollate, 1, 2, 1},
        {"collate 0", collate, gCollate, 1, 0, 0},
        {"vratio -20", vr, gVr, 990, -20, 980},
        {"vratio 50", vr, gVr, 990, 50, 1050},
        {"vratio -50", vr, gVr, 990, -50, 950},
        {"vratio 1030", vr, gVr, 990, 1030, 1030},
        {"vratio 950", vr, gVr, 990, 950, 950},
        {"vratio 700", vr, gVr, 990, 700, 1000},
        {"vratio 51", vr, gVr, 990, 51, 1000},
        {"vratio 1051", vr, gVr, 990, 1051, 1000},
        {"hratio 10", hr, gHr, 990, 10, 1010},
        {"hratio 2000", hr, gHr, 990, 2000, 1000},
    };
    for (const Case &c : cases) {
        TPager512 p;
        c.set(p, c.before);
        c.set(p, c.value);
        EXPECT_EQ(c.get(p), c.expected) << c.name;
    }
}

TEST(Pager512, PageNumberFormats)
{
    struct Case {
        const char *format;
        bool storedAsGiven;
        int count;
    } cases[] = {
        {"(%d/%d)", true, 2},
        {"%D頁/%d", true, 2},
        {"- %d -", true, 1},
        {"Page", false, 0},
        {"%d %s", false, 1},
        {"%d/%d/%d", false, 3},
        {"%s", false, 0},
        {"%%dd", true, 2}, // each "%D" found is taken out before the next is looked for
    };
    for (const Case &c : cases) {
        TPager512 p;
        p.PageBango = true;
        const QString f = QString::fromUtf8(c.format);
        p.SetPageBangoFormat(f);
        EXPECT_EQ(p.PageBangoCount(), c.count) << c.format;
        EXPECT_EQ(p.PageBangoFormat(), c.storedAsGiven ? f : QStringLiteral("(%d/%d)")) << c.format;
        EXPECT_EQ(p.PageBango, c.storedAsGiven) << c.format;
    }
}

TEST(Pager512, PageNumberAlignmentCodes)
{
    TPager512 p;
    const std::pair<TAlignment, int> cases[] = {
        {TAlignment::taLeftJustify, 0}, {TAlignment::taCenter, 1}, {TAlignment::taRightJustify, 2}};
    for (const auto &[a, code] : cases) {
        p.SetPageBangoAlignment(a);
        EXPECT_EQ(p.PageBangoAlignmentCode(), code);
        EXPECT_EQ(p.PageBangoAlignment(), a);
    }
}

TEST(Pager512, OcrFontNameFollowsInstalledFonts)
{
    const auto saved = FontInstalledHook;
    QStringList installed;
    FontInstalledHook = [&](const QString &f) { return installed.contains(f); };
    TPager512 p;
    EXPECT_EQ(p.OcrFontName(), QStringLiteral("ＭＳ ゴシック"));
    installed = {QStringLiteral("OCRB"), QStringLiteral("Mine")};
    p.SetOcrFontName(QString());
    EXPECT_EQ(p.OcrFontName(), QStringLiteral("OCRB"));
    installed << QStringLiteral("OCR-B");
    p.SetOcrFontName(QString());
    EXPECT_EQ(p.OcrFontName(), QStringLiteral("OCR-B"));
    p.SetOcrFontName(QStringLiteral("Not installed"));
    EXPECT_EQ(p.OcrFontName(), QStringLiteral("OCR-B"));
    p.SetOcrFontName(QStringLiteral("Mine"));
    EXPECT_EQ(p.OcrFontName(), QStringLiteral("Mine"));
    FontInstalledHook = saved;
}

TEST(Pager512, PreviewFillsTheGlobalDefinition)
{
    HookGuard guard;
    const QString dir = testenv::freshDir(QStringLiteral("preview"));
    TPager512 p;
    p.DataFile = dir + QStringLiteral("/list.tmp");
    p.OpenDataFile(false);
    p.NewPage();
    p.CloseDataFile();
    testenv::writeFile(dir + QStringLiteral("/CHART.WMF"), "x");
    p.Title = QString(40, QChar(u'表')); // 80 bytes, cut to 63
    p.LeftMargin = 100;
    p.EvenLeftMargin = 150;
    p.BinNum = 3;
    p.SetZoom(15);
    p.SetPageBangoFormat(QStringLiteral("%d/%d"));
    p.PageBango = true;
    p.NextPaperButton = true;

    TP512DEF seen;
    bool fileExisted = false;
    StartPreviewHook = [&](TP512DEF &d) {
        seen = d;
        fileExisted = QFile::exists(d.DataFile);
        return 2;
    };
    CurrentPrinterHook = [] { return std::optional<TPrinterState>(TPrinterState{4, 3}); };

    EXPECT_TRUE(p.Preview());
    EXPECT_EQ(p.PreviewCloseNum(), 2);
    EXPECT_TRUE(fileExisted);
    EXPECT_EQ(seen.DataFile, p.DataFile);
    EXPECT_EQ(seen.Title, QString(31, QChar(u'表')));
    EXPECT_EQ(seen.DocTitle, QString(31, QChar(u'表')));
    EXPECT_EQ(seen.EvenLeftOffset, 50);
    EXPECT_EQ(seen.Zoom, 15);
    EXPECT_EQ(seen.BinNum, 7); // not copied: the start value stays
    EXPECT_TRUE(seen.NextPaperButton);
    EXPECT_TRUE(seen.PageBango.PageBango);
    EXPECT_EQ(seen.PageBango.PageBangoCount, 2);
    // afterwards: files deleted, printer read back, page numbers off
    EXPECT_FALSE(QFile::exists(p.DataFile));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/CHART.WMF")));
    EXPECT_EQ(p.PrinterNum, 4);
    EXPECT_EQ(p.Copie(), 3);
    EXPECT_EQ(P512Def().PrinterNum, 4);
    EXPECT_EQ(P512Def().Copie, 3);
    EXPECT_FALSE(p.PageBango);

    StartPreviewHook = [](TP512DEF &) { return 0; };
    EXPECT_FALSE(p.Preview());
    EXPECT_EQ(p.PreviewCloseNum(), 0);
}

TEST(Pager512, PrintUsesALocalDefinition)
{
    HookGuard guard;
    TPager512 p;
    p.DelFile = false;
    p.PrevPaperButton = true;
    p.EvenLeftMargin = 0;
    p.LeftMargin = 100;
    p.Title = QStringLiteral("一覧");
    P512Def().Title = QStringLiteral("untouched");
    TP512DEF seen;
    StartPrintHook = [&](TP512DEF &d) {
        seen = d;
        return true;
    };
    EXPECT_TRUE(p.Print());
    EXPECT_EQ(p.PreviewCloseNum(), 1);
    EXPECT_EQ(seen.Title, QStringLiteral("一覧"));
    EXPECT_EQ(seen.DocTitle, QStringLiteral("一覧"));
    EXPECT_FALSE(seen.PrevPaperButton);
    EXPECT_EQ(seen.EvenLeftOffset, 0);
    EXPECT_EQ(seen.BinNum, 0);
    EXPECT_EQ(P512Def().Title, QStringLiteral("untouched"));

    StartPrintHook = nullptr; // no print loop installed: nothing printed
    EXPECT_FALSE(p.Print());
    EXPECT_EQ(p.PreviewCloseNum(), 0);
}

TEST(Pager512, DefaultDocumentTitle)
{
    HookGuard guard;
    TPager512 p;
    p.VersionText = QStringLiteral("5.01.00");
    TP512DEF d;
    p.FillDefinition(d, true);
    EXPECT_EQ(d.DocTitle, QStringLiteral("PAGER512-5.01.00"));
    p.DocTitle = QStringLiteral("文書");
    p.FillDefinition(d, true);
    EXPECT_EQ(d.DocTitle, QStringLiteral("文書"));
}

TEST(Pager512, InitialGlobalDefinition)
{
    const TP512DEF d = InitialP512Def();
    EXPECT_EQ(d.PrinterNum, -1);
    EXPECT_EQ(d.PrintQuality, -4);
    EXPECT_EQ(d.Duplex, 1);
    EXPECT_EQ(d.BinNum, 7);
    EXPECT_EQ(d.PageBango.PageBangoAlignment, 2);
    EXPECT_EQ(d.PageBango.PageBangoFormat, QStringLiteral("(%d/%d)"));
    EXPECT_TRUE(d.Permit);
    EXPECT_FALSE(d.GrayScale);
    const TP512DEF zero;
    EXPECT_EQ(zero.Copie, 0);
    EXPECT_FALSE(zero.Permit);
}

TEST(Pager512, BlankPageMarkBeforeEveryPageEnd)
{
    const QString dir = testenv::freshDir(QStringLiteral("blank"));
    TPager512 p;
    p.DataFile = dir + QStringLiteral("/b.dat");
    p.BlankPage = 1;
    p.OpenDataFile(false);
    p.NewPage();
    p.NewPage();
    p.CloseDataFile();
    const QByteArray bytes = testenv::readFile(p.DataFile);
    const QByteArray markAndEnd = QByteArray("BOX;100;100;101;101;0;0;") + platform::toCp932(QStringLiteral("黒;白;1;"))
                                  + "\r\nE;\r\n";
    EXPECT_EQ(bytes.count(markAndEnd), 2);
    EXPECT_EQ(p.PageNo, 3);
}
