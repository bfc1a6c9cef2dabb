#include "support/TestEnv.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace pager512;

namespace {

QByteArray sj(const QString &s) { return platform::toCp932(s); }

// Runs a block with the current folder set to a fresh sandbox folder.
class CurrentDir
{
public:
    explicit CurrentDir(const QString &dir) : m_old(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~CurrentDir() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

} // namespace

TEST(PrintDataWriter, TwoPageReportMatchesFixture)
{
    const QString dir = testenv::freshDir(QStringLiteral("writer_fixture"));
    ASSERT_TRUE(QDir(dir).mkpath(QStringLiteral("out")));
    CurrentDir cd(dir);

    TPager512 p;
    p.VersionText = QStringLiteral("5.01.00");
    p.HeaderDate = QDate(2026, 4, 1);
    p.DataFile = QStringLiteral("out/report.dat");
    p.Title = QStringLiteral("データ\n一覧");
    p.Orientation = 1;
    p.TopMargin = 50;
    p.LeftMargin = 30;
    p.FormLeftMargin = 5;
    p.NetColor2 = RGBColor(0x12, 0x34, 0x56);
    p.UserColor2 = 0xFF;
    p.PrintFom = false;
    p.SetCopie(2);
    p.PageBango = true;
    p.PageBangoLeft = 1000;
    p.PageBangoTop = 2800;
    p.SetPageBangoFormat(QStringLiteral("- %d -"));
    p.SetPageBangoAlignment(TAlignment::taCenter);
    p.BlankPage = 1;

    p.OpenDataFile(false);
    p.WriteHeader(); // a second call writes nothing
    p.TextOut(100, 200, QStringLiteral("データ;一覧"), QStringLiteral("ＭＳ ゴシック"), 12, QStringLiteral("B"),
              QStringLiteral("黒"), QStringLiteral("OFF"), QStringLiteral("center"), 0);
    p.TextOut(100, 300, QStringLiteral("ABC"), QString(), 10, QString(), QStringLiteral("黒"),
              QStringLiteral("ON"), QStringLiteral("left"), 8);
    p.TextOut(1900, 300, QStringLiteral("12,345"), QString(), 10, QString(), QStringLiteral("黒"),
              QStringLiteral("赤"), QStringLiteral("RIGHT"), 10);
    p.DrawLine(100, 400, 2000, 400, 2, 0, QStringLiteral("黒"), false);
    p.DrawBox(100, 450, 2000, 600, 1, 0, QStringLiteral("黒"), QStringLiteral("薄網掛"), 0);
    p.NewPage();
    p.TextOut(100, 200, QStringLiteral("＝＝＝"), QString(), 10, QString(), QStringLiteral("黒"),
              QStringLiteral("OFF"), QStringLiteral("LEFT"), 5);
    p.TextOut(100, 250, QStringLiteral("改行\r\nあり\tタブ"), QString(), 10, QString(), QStringLiteral("黒"),
              QStringLiteral("OFF"), QStringLiteral("LEFT"), 0);
    p.DrawLine(100, 700, 2000, 700, 5, 1, QStringLiteral("12"), true);
    p.NewPage();
    p.CloseDataFile();

    EXPECT_EQ(p.PageNo, 3);
    const QByteArray expected = testenv::readFile(QStringLiteral(PRINT_FIXTURES_DIR "/two_pages.dat"));
    ASSERT_FALSE(expected.isEmpty());
    const QByteArray actual = testenv::readFile(dir + QStringLiteral("/out/report.dat"));
    const QList<QByteArray> e = expected.split('\n'), a = actual.split('\n');
    for (int i = 0; i < std::min(e.size(), a.size()); ++i)
        EXPECT_EQ(platform::fromCp932(a[i]), platform::fromCp932(e[i])) << "line " << i + 1;
    EXPECT_EQ(actual, expected);
}

TEST(PrintDataWriter, BannersAreSeventyCharacters)
{
    EXPECT_EQ(openingBanner().size(), 70);
    EXPECT_EQ(closingBanner().size(), 70);
    EXPECT_TRUE(openingBanner().startsWith("*PAGER512*"));
    EXPECT_TRUE(closingBanner().endsWith("*PAGER512*"));
    EXPECT_TRUE(isPrintData(openingBanner()));
    EXPECT_EQ(headerBlock(THeader()).count("\r\n"), 26);
}

TEST(PrintDataWriter, TextFittingByBytes)
{
    struct Case {
        const char *name;
        QString text;
        int width;
        const char *align;
        QString expected;
    };
    const QString longText = QString(200, u'a');
    const Case cases[] = {
        {"left exact double-byte cut", QStringLiteral("＝＝＝"), 4, "LEFT", QStringLiteral("＝＝")},
        {"left cut keeps one byte less", QStringLiteral("＝＝＝"), 5, "LEFT", QStringLiteral("＝＝")},
        {"left padded", QStringLiteral("＝＝＝"), 8, "LEFT", QStringLiteral("＝＝＝  ")},
        {"other words align left", QStringLiteral("abc"), 5, "2", QStringLiteral("abc  ")},
        {"right padded", QStringLiteral("abc"), 5, "RIGHT", QStringLiteral("  abc")},
        {"right keeps last bytes", QStringLiteral("abcdef"), 4, "RIGHT", QStringLiteral("cdef")},
        {"right never starts inside a character", QStringLiteral("＝＝＝"), 5, "RIGHT", QStringLiteral("＝＝")},
        {"mixed right cut", QStringLiteral("a＝b"), 3, "RIGHT", QStringLiteral("＝b")},
        {"centre unchanged", QStringLiteral("abcdef"), 2, "CENTER", QStringLiteral("abcdef")},
        {"width 0 unchanged", QStringLiteral("abc"), 0, "LEFT", QStringLiteral("abc")},
        {"negative width unchanged", QStringLiteral("abc"), -3, "RIGHT", QStringLiteral("abc")},
        {"126 bytes padded", QStringLiteral("x"), 126, "LEFT", QStringLiteral("x") + QString(125, u' ')},
        {"127 bytes not padded", QStringLiteral("x"), 127, "LEFT", QStringLiteral("x")},
        {"127 bytes not padded right", QStringLiteral("x"), 127, "RIGHT", QStringLiteral("x")},
        {"above 126 still cut", longText, 150, "LEFT", QString(150, u'a')},
        {"above 126 cut never splits", QString(127, u'a') + QStringLiteral("＝"), 128, "LEFT", QString(127, u'a')},
        {"half-width kana is one byte", QStringLiteral("ｱｲｳ"), 2, "LEFT", QStringLiteral("ｱｲ")},
    };
    for (const Case &c : cases) {
        const QByteArray out = fitText(sj(c.text), c.width, QString::fromLatin1(c.align));
        EXPECT_EQ(platform::fromCp932(out), c.expected) << c.name;
    }
}

TEST(PrintDataWriter, RecordTextMendsSeparatorsAndLineBreaks)
{
    EXPECT_EQ(recordText(QStringLiteral("a;b\rc\nd\te")), QStringLiteral("a:b c d\te"));
    EXPECT_EQ(recordText(QStringLiteral("表；示;")), QStringLiteral("表；示:")); // full-width semicolon stays
    EXPECT_EQ(headerText(QStringLiteral("a;b\r\nc")), QStringLiteral("a;b  c"));
    // A line break in any field of a record can never make a page end.
    const QByteArray rec = textRecord(0, 0, QStringLiteral("x\nE;"), QStringLiteral("f\r"), 10,
                                      QString(), QStringLiteral("黒\n"), QStringLiteral("OFF"),
                                      QStringLiteral("LEFT"), 0);
    EXPECT_FALSE(rec.contains('\r'));
    EXPECT_FALSE(rec.contains('\n'));
    EXPECT_EQ(countPageEnds(rec), 0);
}

TEST(PrintDataWriter, ColourHexIsUpperCaseBgr)
{
    EXPECT_EQ(colorHex(RGBColor(0xAB, 0xCD, 0xEF)), QStringLiteral("$EFCDAB"));
    EXPECT_EQ(colorHex(0), QStringLiteral("$000000"));
    EXPECT_EQ(colorHex(static_cast<TColor>(0xFF000005)), QStringLiteral("$FF000005"));
}

TEST(PrintDataWriter, TemporaryNameInTheDataFolder)
{
    const QString dir = testenv::freshDir(QStringLiteral("writer_temp"));
    TPager512 p;
    p.DataFile = dir + QStringLiteral("/base.dat");
    p.OpenDataFile(true);
    p.CloseDataFile();
    const QFileInfo fi(p.DataFile);
    EXPECT_EQ(fi.absolutePath(), QFileInfo(dir).absoluteFilePath());
    EXPECT_TRUE(fi.fileName().startsWith(u'~')) << fi.fileName().toStdString();
    EXPECT_TRUE(isPrintData(testenv::readFile(p.DataFile)));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/base.dat")));
}

TEST(PrintDataWriter, OverwritesAndReportsFailures)
{
    const QString dir = testenv::freshDir(QStringLiteral("writer_fail"));
    const QString file = dir + QStringLiteral("/old.dat");
    testenv::writeFile(file, QByteArray(5000, 'x'));
    TPager512 p;
    p.DataFile = file;
    p.OpenDataFile(false);
    p.NewPage();
    p.CloseDataFile();
    const QByteArray bytes = testenv::readFile(file);
    EXPECT_TRUE(bytes.endsWith("*PAGER512*\r\nE;\r\n"));
    EXPECT_FALSE(bytes.contains(QByteArray(64, 'x'))); // nothing of the old content is left

    p.DataFile = dir + QStringLiteral("/missing/folder/x.dat");
    EXPECT_THROW(p.OpenDataFile(false), platform::Error);
    EXPECT_FALSE(p.IsDataFileOpen());
    EXPECT_THROW(p.TextOut(0, 0, QStringLiteral("a"), QString(), 10, QString(), QString(), QString(),
                           QString(), 0),
                 platform::Error);
}
