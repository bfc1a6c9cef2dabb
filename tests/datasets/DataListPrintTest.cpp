// The printout of the data list: the print-data file it writes (pages, heads,
// columns, numbering, folders) and its hand-over to the preview or the printer.
#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include "datasets/z5ComDataSentaku.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace {

// A data set of the list.
TDataSentakuRec dataSet(int rec, const QString &name, const QString &folder, int nendo = 5,
                        const QString &code = QString())
{
    TDataSentakuRec r;
    r.REC = rec;
    r.DATACODE = code.isEmpty() ? QStringLiteral("C%1").arg(rec, 3, 10, QLatin1Char('0')) : code;
    r.ENTTEXT = r.DispName = name;
    r.NENDO = nendo;
    r.KikanText = QStringLiteral("2023/04/01 ～ 2024/03/31");
    r.PASNAME = folder;
    return r;
}

class DataListPrint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedDef = SystemDef;
        savedPreview = pager512::StartPreviewHook;
        savedPrint = pager512::StartPrintHook;
        savedPrinter = pager512::CurrentPrinterHook;
        pager512::CurrentPrinterHook = nullptr;
        dir = testenv::freshDir(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        SystemDef.WinTempDir = dir;
        SystemDef.DataRootDir = QStringLiteral("/demo/Root");
        SystemDef.SysDef.NetColor1 = 0xC0C0C0;
        SystemDef.SysDef.NetColor2 = 0x0000FF; // red: grey in monochrome
        pager512::StartPreviewHook = [this](TP512DEF &d) {
            ++previews;
            captured = testenv::readFile(d.DataFile);
            capturedFile = d.DataFile;
            orientation = d.Orientation;
            return 1;
        };
        pager512::StartPrintHook = [this](TP512DEF &d) {
            ++prints;
            captured = testenv::readFile(d.DataFile);
            capturedFile = d.DataFile;
            orientation = d.Orientation;
            return true;
        };
    }
    void TearDown() override
    {
        SystemDef = savedDef;
        pager512::StartPreviewHook = savedPreview;
        pager512::StartPrintHook = savedPrint;
        pager512::CurrentPrinterHook = savedPrinter;
    }

    // n data sets in list order, named and numbered from 1.
    static TDataSentakuRecArray rows(int n)
    {
        TDataSentakuRecArray out;
        for (int i = 1; i <= n; ++i)
            out << dataSet(i, QStringLiteral("会社%1").arg(i), QStringLiteral("/demo/root/data/%1").arg(i, 4, 10, QLatin1Char('0')));
        return out;
    }
    static TDataSentakuRecDispArray inOrder(int n)
    {
        TDataSentakuRecDispArray d;
        for (int i = 0; i < n; ++i) d << i;
        return d;
    }
    static TDefaultPrintRec options()
    {
        TDefaultPrintRec rec; // the engine's defaults: monochrome, font 0, sizes 16, 9, 10
        rec.StyleName = QStringLiteral("DataSentakuList");
        return rec;
    }

    // Previews the list and answers the file the preview was given.
    QByteArray preview(const TDataSentakuRecArray &recs, const TDataSentakuRecDispArray &disp, int orient = 0,
                       int kind = 0, const TDefaultPrintRec &rec = options())
    {
        TPrDataList p;
        p.Pager().HeaderDate = QDate(2024, 5, 1);
        p.Recs = recs;
        p.Disp = disp;
        p.Orientation = orient;
        p.ListKind = kind;
        p.PrintRec = rec;
        EXPECT_TRUE(p.Execute(false));
        return captured;
    }

    // The records of each page (the header block left out).
    static QList<QStringList> pages(const QByteArray &bytes)
    {
        QList<QStringList> out{{}};
        for (const QString &line : platform::fromCp932(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            if (line.startsWith(u'*')) continue;
            if (line == QLatin1String("E;"))
                out << QStringList();
            else
                out.last() << line;
        }
        return out;
    }
    // The text of the TEXT records of a page at a place.
    static QStringList textsAt(const QStringList &page, int x, int y = -1)
    {
        QStringList out;
        for (const QString &r : page) {
            const QStringList f = r.split(u';');
            if (f[0] == QLatin1String("TEXT") && f[1].toInt() == x && (y < 0 || f[2].toInt() == y)) out << f[3];
        }
        return out;
    }
    // The separators (dotted hairlines) of a page.
    static int separators(const QStringList &page)
    {
        int n = 0;
        for (const QString &r : page)
            if (r.startsWith(QLatin1String("LINE;")) && r.endsWith(QLatin1String(";0;2;0;"))) ++n;
        return n;
    }

    TSystemDef savedDef;
    std::function<int(TP512DEF &)> savedPreview;
    std::function<bool(TP512DEF &)> savedPrint;
    std::function<std::optional<pager512::TPrinterState>()> savedPrinter;
    QString dir;
    QByteArray captured;
    QString capturedFile;
    int previews = 0, prints = 0, orientation = -1;
};

} // namespace

TEST_F(DataListPrint, OneRowPortraitListEqualsTheFixture)
{
    TDataSentakuRecArray recs{dataSet(1, QStringLiteral("サンプル株式会社"), QStringLiteral("/DEMO/root/data/0001"))};
    const QByteArray bytes = preview(recs, {0});
    ASSERT_EQ(previews, 1);
    EXPECT_EQ(prints, 0);
    // Written to a temporary name in the temporary folder, and deleted after the preview.
    EXPECT_EQ(QFileInfo(capturedFile).absolutePath(), QFileInfo(dir).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(capturedFile).fileName().startsWith(u'~'));
    EXPECT_FALSE(QFileInfo::exists(capturedFile));
    QByteArray expected = testenv::readFile(QStringLiteral(DATASETS_FIXTURES_DIR "/datalist-one-row-portrait.dat"));
    ASSERT_FALSE(expected.isEmpty());
    expected.replace("@PATH@", platform::toCp932(QFileInfo(capturedFile).path()));
    EXPECT_EQ(bytes, expected) << platform::fromCp932(bytes).toStdString();
    EXPECT_EQ(orientation, 0);
}

TEST_F(DataListPrint, PagesHoldFiftyFiveLinesPortraitAndThirtyFiveLandscape)
{
    struct Case {
        int orientation, rows, pageCount, lastPageLines;
    };
    const Case cases[] = {{0, 55, 1, 55}, {0, 56, 2, 1}, {0, 110, 2, 55}, {0, 111, 3, 1},
                          {1, 35, 1, 35}, {1, 36, 2, 1}, {1, 70, 2, 35}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << ", " << c.rows << " rows");
        const QByteArray bytes = preview(rows(c.rows), inOrder(c.rows), c.orientation);
        const QList<QStringList> ps = pages(bytes);
        ASSERT_EQ(ps.size(), c.pageCount);
        // No page end after the last page: the engine finds no empty page there.
        EXPECT_FALSE(bytes.endsWith("E;\r\n"));
        EXPECT_EQ(pager512::countPageEnds(bytes), c.pageCount - 1);
        EXPECT_EQ(pager512::readPages(bytes).size(), c.pageCount);
        const int perPage = c.orientation == 0 ? 55 : 35;
        const int right = c.orientation == 0 ? 2000 : 2820;
        for (int i = 0; i < ps.size(); ++i) {
            const QStringList &page = ps[i];
            const int lines = i + 1 < ps.size() ? perPage : c.lastPageLines;
            EXPECT_EQ(textsAt(page, right, 250), QStringList{QString::asprintf("PAGE %4d", i + 1)});
            EXPECT_EQ(textsAt(page, 170).size(), lines);
            // Every line but the last of a full page is followed by a separator.
            EXPECT_EQ(separators(page), lines == perPage ? perPage - 1 : lines);
            // The first line of each page lies at 405, the next 44 below.
            EXPECT_EQ(textsAt(page, 170, 405), QStringList{QString::asprintf("%3d", i * perPage + 1)});
            if (lines > 1) {
                EXPECT_EQ(textsAt(page, 170, 449).size(), 1);
            }
        }
    }
}

TEST_F(DataListPrint, SecondPortraitPageIsHeadedPageTwo)
{
    const QList<QStringList> ps = pages(preview(rows(56), inOrder(56)));
    ASSERT_EQ(ps.size(), 2);
    EXPECT_TRUE(ps[1].contains(QStringLiteral("TEXT;2000;250;PAGE    2;ＭＳ 明朝;9;;黒;1;RIGHT;0;0;")));
    EXPECT_EQ(textsAt(ps[1], 250, 405), QStringList{QStringLiteral("会社56")});
    // The page's head again: title, rules at 300, 390 and the bottom, the headings.
    EXPECT_EQ(textsAt(ps[1], 1000, 150), QStringList{QStringLiteral("データリスト")});
    for (const char *rule : {"LINE;150;300;2000;300;4;0;0;", "LINE;150;390;2000;390;4;0;0;", "LINE;150;2820;2000;2820;4;0;0;"})
        EXPECT_TRUE(ps[1].contains(QString::fromLatin1(rule))) << rule;
    EXPECT_EQ(textsAt(ps[1], 1600, 325), QStringList{QStringLiteral("データフォルダ")});
}

TEST_F(DataListPrint, LandscapeAddsTheCodeColumnAndMovesTheOthers)
{
    TDataSentakuRecArray recs = rows(1);
    recs[0].DATACODE = QStringLiteral("A001");
    TDataListRec child = dataSet(1, QStringLiteral("01 支店"), QStringLiteral("/demo/root/data/0001/01"), 5, QStringLiteral("A001-1"));
    recs[0].ChildRows << child;
    const QByteArray bytes = preview(recs, {0}, 1);
    EXPECT_EQ(orientation, 1);
    EXPECT_TRUE(bytes.contains("*ORIENTATION=1\r\n"));
    const QStringList page = pages(bytes).value(0);
    EXPECT_EQ(textsAt(page, 1410, 150), QStringList{QStringLiteral("データリスト")});
    EXPECT_EQ(textsAt(page, 250, 325), QStringList{QStringLiteral("コード")});
    EXPECT_EQ(textsAt(page, 450, 325), QStringList{QStringLiteral("データリスト名")});
    EXPECT_EQ(textsAt(page, 1250, 325), QStringList{QStringLiteral("会計年度")});
    EXPECT_EQ(textsAt(page, 1550, 325), QStringList{QStringLiteral("会計期間")});
    EXPECT_EQ(textsAt(page, 1800, 325), QStringList{QStringLiteral("データフォルダ")});
    // The data set and its child row, the child without a number.
    EXPECT_EQ(textsAt(page, 250), (QStringList{QStringLiteral("コード"), QStringLiteral("A001"), QStringLiteral("A001-1")}));
    EXPECT_EQ(textsAt(page, 450), (QStringList{QStringLiteral("データリスト名"), QStringLiteral("会社1"), QStringLiteral("01 支店")}));
    EXPECT_EQ(textsAt(page, 170), QStringList{QStringLiteral("  1")});
    EXPECT_EQ(textsAt(page, 1800, 449), QStringList{QStringLiteral("~/data/0001/01")});
    EXPECT_TRUE(page.contains(QStringLiteral("LINE;150;1945;2820;1945;4;0;0;")));
    EXPECT_TRUE(page.contains(QStringLiteral("LINE;150;483;2820;483;0;2;0;")));

    // Portrait has no code column: the child's name stands at 250.
    const QStringList portrait = pages(preview(recs, {0}, 0)).value(0);
    EXPECT_EQ(textsAt(portrait, 250), (QStringList{QStringLiteral("データリスト名"), QStringLiteral("会社1"), QStringLiteral("01 支店")}));
    EXPECT_TRUE(textsAt(portrait, 450).isEmpty());
}

TEST_F(DataListPrint, LocalListPrintsListNumbersAndSharedListRunningNumbers)
{
    TDataSentakuRecArray recs{dataSet(7, QStringLiteral("七"), QStringLiteral("/x/7")), dataSet(3, QStringLiteral("三"), QStringLiteral("/x/3")),
                              dataSet(12, QStringLiteral("十二"), QStringLiteral("/x/12"))};
    const TDataSentakuRecDispArray disp{2, 0, 1};
    const QStringList local = pages(preview(recs, disp, 0, 0)).value(0);
    EXPECT_EQ(textsAt(local, 170), (QStringList{QStringLiteral(" 12"), QStringLiteral("  7"), QStringLiteral("  3")}));
    EXPECT_EQ(textsAt(local, 250).mid(1), (QStringList{QStringLiteral("十二"), QStringLiteral("七"), QStringLiteral("三")}));
    EXPECT_EQ(textsAt(local, 1000, 150), QStringList{QStringLiteral("データリスト")});

    const QStringList shared = pages(preview(recs, disp, 0, 1)).value(0);
    EXPECT_EQ(textsAt(shared, 170), (QStringList{QStringLiteral("  1"), QStringLiteral("  2"), QStringLiteral("  3")}));
    EXPECT_EQ(textsAt(shared, 1000, 150), QStringList{QStringLiteral("共有データリスト")});
}

TEST_F(DataListPrint, EmptySlotsAndFoldersUnderTheDataRoot)
{
    TDataSentakuRecArray recs{dataSet(1, QString(), QStringLiteral("/Demo/ROOT/data/0001")),
                              dataSet(2, QStringLiteral("期なし"), QStringLiteral("/elsewhere/0002"), 0)};
    const QStringList page = pages(preview(recs, {0, 1})).value(0);
    // An empty slot: number, (empty) name and folder; the year and period left empty, left-aligned.
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;170;405;  1;ＭＳ 明朝;9;;黒;1;LEFT;0;0;")));
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;1050;405;;ＭＳ 明朝;9;;黒;1;LEFT;0;0;")));
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;1350;405;;ＭＳ 明朝;9;;黒;1;LEFT;0;0;")));
    EXPECT_EQ(textsAt(page, 1600, 405), QStringList{QStringLiteral("~/data/0001")});
    // A named data set without a fiscal year: both empty, centred; a folder elsewhere as it is.
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;1050;449;;ＭＳ 明朝;9;;黒;1;CENTER;0;0;")));
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;1350;449;;ＭＳ 明朝;9;;黒;1;CENTER;0;0;")));
    EXPECT_EQ(textsAt(page, 1600, 449), QStringList{QStringLiteral("/elsewhere/0002")});
}

TEST_F(DataListPrint, OptionsChooseFontAndHeadSizesButRowsStayNinePoints)
{
    TDefaultPrintRec rec = options();
    rec.FontIndex = 1;
    rec.FontSize1 = 20;
    rec.FontSize2 = 11;
    rec.FontSize3 = 14;
    rec.ColorMode = 1;
    const QByteArray bytes = preview(rows(1), {0}, 0, 0, rec);
    const QStringList page = pages(bytes).value(0);
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;1000;150;データリスト;ＭＳ ゴシック;20;;黒;1;CENTER;0;0;")));
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;2000;250;PAGE    1;ＭＳ ゴシック;11;;黒;1;RIGHT;0;0;")));
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;180;325;No;ＭＳ ゴシック;11;;黒;1;LEFT;0;0;")));
    EXPECT_TRUE(page.contains(QStringLiteral("TEXT;250;405;会社1;ＭＳ ゴシック;9;;黒;1;LEFT;0;0;")));
    // Colour printing keeps the hatch colours as they are.
    EXPECT_TRUE(bytes.contains("*NETC2=$0000FF\r\n"));
    EXPECT_EQ(DataListFontName(2), QStringLiteral("ＭＳ Ｐ明朝"));
    EXPECT_EQ(DataListFontName(3), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(DataListFontName(9), QStringLiteral("ＭＳ 明朝"));
}

TEST_F(DataListPrint, PrintGoesToThePrinterAndDeletesTheFile)
{
    TPrDataList p;
    p.Recs = rows(3);
    p.Disp = inOrder(3);
    EXPECT_TRUE(p.Execute(true));
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(pages(captured).value(0).filter(QStringLiteral("会社")).size(), 3);
    EXPECT_FALSE(QFileInfo::exists(capturedFile));
    EXPECT_TRUE(QDir(dir).isEmpty());
}

TEST_F(DataListPrint, AFailedWriteIsRaisedAndNothingIsPrinted)
{
    // A temporary folder that is not there.
    SystemDef.WinTempDir = dir + QStringLiteral("/missing");
    {
        TPrDataList p;
        p.Recs = rows(1);
        p.Disp = inOrder(1);
        EXPECT_THROW(p.Execute(true), platform::Error);
    }
    // A volume that fills up half-way through the file.
    TmpfsMount volume(dir + QStringLiteral("/small"), TmpfsMount::Writable);
    if (!volume.mounted()) GTEST_SKIP() << "no tmpfs mount rights here";
    SystemDef.WinTempDir = volume.dir();
    {
        TPrDataList p;
        p.Recs = rows(40000);
        p.Disp = inOrder(40000);
        EXPECT_THROW(p.Execute(true), platform::Error);
    }
    EXPECT_EQ(prints + previews, 0);
    // The half-written file is gone.
    EXPECT_TRUE(QDir(volume.dir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
