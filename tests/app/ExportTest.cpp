#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include "app/ComDataExp.h"
#include "app/DepreciationRates.h"
#include "app/hj19.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

using platform::RegRoot;
using platform::RegistryStore;

namespace {

// The document as lines "path[attribute]=text" in document order, so that two
// files compare element by element whatever their bytes.
QStringList flatten(const QString &xml)
{
    QStringList out, path;
    QXmlStreamReader r(xml);
    QString text;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            QString step = r.name().toString();
            for (const auto &a : r.attributes()) step += u'[' + a.name().toString() + u'=' + a.value().toString() + u']';
            path << step;
            text.clear();
        } else if (r.isCharacters() && !r.isWhitespace()) {
            text += r.text();
        } else if (r.isEndElement()) {
            out << path.join(u'/') + u'=' + text;
            text.clear();
            path.removeLast();
        }
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    return out;
}

QString readCp932(const QString &path)
{
    return platform::fromCp932(testenv::readFile(path));
}

struct AssetRow {
    int rec;
    int method;
    const char *kcode;
    const char16_t *name;
    const char *acquired; // yyyy-mm-dd or "" for none
    int life;
    const char *cost, *base, *rate, *ordinary, *extra, *year, *endValue;
    int from, to;
    const char *residual = "0";
    int t250 = 0, t200 = 0;
    const char *adjustedCost = "0";
    const char *revisedCost = "0";
};

class ExportTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        const QString maker = AppInfo.Application.RegKey;
        RegistryStore::writeString(RegRoot::LocalMachine, maker + QStringLiteral("\\DorvelZaimu10"), QStringLiteral("Product"), QStringLiteral("旧版"));
        RegistryStore::writeString(RegRoot::LocalMachine, maker + QStringLiteral("\\DorvelZaimu11"), QStringLiteral("Product"), QStringLiteral("ドルベル財務"));
        RegistryStore::writeString(RegRoot::LocalMachine, maker + QStringLiteral("\\DorvelZaimu11"), QStringLiteral("Version"), QStringLiteral("11.2.0"));
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        dm->LoadGengo();
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='A&B<C>D㈱'"));
        ASSERT_TRUE(dm->fnGetAccInfo());
        out = testenv::freshDir(QStringLiteral("export")) + QStringLiteral("/RC25.xml");
    }

    void insert(const AssetRow &a)
    {
        exec(QStringLiteral("ACCDAT"),
             QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, GSHOUHOU, SYUTODATE, TAIYOUYY, SYUTOKIN, "
                            "KISOKIN, SYOURITU, FUTUSYOUKIN, WARISYOUKIN, SYOUKINKEI, MATUMISYOUKIN, SYOUKIKANSTR, SYOUKIKANEND, "
                            "ZANKAHOSYOUGAKU, TEIRITU250, TEIRITU200, SYUTOKUKAGAKUCHOSEI, KAITEISYUTOKUKAGAKU, "
                            "SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) VALUES "
                            "(%1, ' ', '%2', '%3', '%4', %5, %6, %7, %8, %9, %10, %11, %12, %13, %14, %15, %16, %17, %18, %19, %20, %21, NULL, NULL, NULL, NULL)")
                 .arg(a.rec)
                 .arg(QStringLiteral("%1").arg(a.rec, 4, 10, QLatin1Char('0')), QLatin1String(a.kcode), QString::fromUtf16(a.name))
                 .arg(a.method)
                 .arg(*a.acquired ? QStringLiteral("'%1'").arg(QLatin1String(a.acquired)) : QStringLiteral("NULL"))
                 .arg(a.life)
                 .arg(QLatin1String(a.cost), QLatin1String(a.base), QLatin1String(a.rate), QLatin1String(a.ordinary),
                      QLatin1String(a.extra), QLatin1String(a.year), QLatin1String(a.endValue))
                 .arg(a.from)
                 .arg(a.to)
                 .arg(QLatin1String(a.residual))
                 .arg(a.t250)
                 .arg(a.t200)
                 .arg(QLatin1String(a.adjustedCost), QLatin1String(a.revisedCost)));
    }

    void insertSixMethods()
    {
        const AssetRow rows[] = {
            // straight-line: new, old at the 5 % limit, old below it
            {1, 1, "1401", u"本社ビル", "2020-04-01", 50, "10000000", "10000000", "0.020", "200000", "0", "200000", "8800000", 1, 12},
            {2, 1, "1407", u"A旧型複合機（本社）", "2007-03-31", 5, "1000000", "0", "0.369", "0", "0", "0", "50000", 1, 12},
            {3, 1, "1406", u"ABCDEFGHIJKLMNOPQRST", "2000-01-15", 10, "2000000", "0", "0.100", "100000", "0", "100000", "400000", 1, 12},
            // declining-balance: 200 % with a revised base, 250 %, old
            {4, 2, "1407", u"サーバー", "2013-05-10", 10, "1000000", "200000", "0.200", "81920", "0", "81920", "118080", 1, 12,
             "0", 0, 0, "0", "327680"},
            {5, 2, "1406", u"営業車", "2011-04-01", 5, "500000", "300000", "0.500", "150000", "0", "150000", "150000", 1, 12},
            {6, 2, "1407", u"測定器", "2005-06-20", 10, "800000", "0", "0.206", "30000", "0", "30000", "90000", 1, 12},
            // lease, equal amortisation, small amount (one outside the year), lump sum
            {7, 6, "1410", u"コピー機リース", "2023-10-01", 5, "500000", "0", "0", "100000", "0", "100000", "0", 1, 12},
            {8, 3, "1505", u"会計ソフト", "2022-04-01", 3, "0", "300000", "0", "0", "0", "100000", "0", 1, 12},
            {9, 5, "1407", u"ノートパソコン（開発用）", "2024-06-01", 4, "180000", "0", "0", "0", "0", "180000", "0", 3, 12},
            {10, 5, "1407", u"昨年のタブレット", "2024-03-31", 4, "90000", "0", "0", "0", "0", "90000", "0", 1, 12},
            {11, 4, "1411", u"パソコン一式", "2024-05-01", 3, "0", "300000", "0", "0", "0", "100000", "0", 2, 12},
            {12, 4, "1411", u"応接セット", "2024-07-01", 3, "0", "150001", "0", "0", "0", "50000", "0", 4, 12},
        };
        for (const AssetRow &r : rows) insert(r);
    }

    // The cell text of row n (1-based) of a sheet's detail rows.
    static QString cell(const QStringList &flat, const QString &sheet, const QString &row, int line, const QString &column)
    {
        const QString key = QStringLiteral("REPORT/DATA/%1/%2[line=%3]/%2_%4=").arg(sheet, row).arg(line).arg(column);
        for (const QString &l : flat)
            if (l.startsWith(key)) return l.mid(key.size());
        ADD_FAILURE() << "no cell " << key.toStdString();
        return QString();
    }

    QString out;
};

} // namespace

TEST_F(ExportTest, SixMethodsGiveTheExpectedFile)
{
    insertSixMethods();
    {
        THojinZeiGenkaDataExport exporter(7, out);
        exporter.KomonsakiName = AccInf.SHOUGOU;
        exporter.JigyouNendoFrom = QDateTime(AccInf.KISHU, QTime(0, 0));
        exporter.JigyouNendoTo = QDateTime(AccInf.KIMATU, QTime(0, 0));
        WriteIntermediateFile(exporter, out);
    }
    const QByteArray bytes = testenv::readFile(out);
    ASSERT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<REPORT><SYSTEM>"));
    const QStringList actual = flatten(platform::fromCp932(bytes));
    const QStringList expected = flatten(readCp932(QStringLiteral(APP_FIXTURES_DIR "/six-methods.xml")));
    EXPECT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "line " << i << ": " << actual[i].toStdString() << " != " << expected[i].toStdString();
            break;
        }

    // The values the rules single out.
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/BASIC/KOMONSAKINAME=A&B<C>D㈱")));
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/SYSTEM/FUNCTIONID=7")));
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/SYSTEM/PROGRAMNAME=ドルベル財務")));
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/BASIC/JIGYOUNENDOFROM=20240401")));
    const QString teigaku = QStringLiteral("HJK160119"), tRow = QStringLiteral("TEIGAKU_MEISAI_19");
    EXPECT_EQ(cell(actual, teigaku, tRow, 1, QStringLiteral("0410")), QStringLiteral("令和"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 1, QStringLiteral("0420")), QStringLiteral("2"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 1, QStringLiteral("0550")), QStringLiteral("12"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 1, QStringLiteral("2600")), QStringLiteral("0.020"));
    // Old asset at the 5 % limit: only the limit total, written as "0".
    EXPECT_EQ(cell(actual, teigaku, tRow, 2, QStringLiteral("1800")), QStringLiteral("50000"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 2, QStringLiteral("2400")), QStringLiteral("0"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 2, QStringLiteral("2320")), QString());
    EXPECT_EQ(cell(actual, teigaku, tRow, 2, QStringLiteral("1900")), QString());
    for (const char *c : {"3000", "3400", "3500"}) EXPECT_EQ(cell(actual, teigaku, tRow, 2, QLatin1String(c)), QStringLiteral("0"));
    // Old asset below it; a 20-byte name cut to 16 bytes.
    EXPECT_EQ(cell(actual, teigaku, tRow, 3, QStringLiteral("0300")), QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 3, QStringLiteral("1700")), QStringLiteral("200000"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 3, QStringLiteral("1900")), QStringLiteral("1800000"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 3, QStringLiteral("2310")), QStringLiteral("(21)+(22)"));
    EXPECT_EQ(cell(actual, teigaku, tRow, 3, QStringLiteral("2220")), QString());
    // A name cut in the middle of a double-byte character ends in a blank.
    EXPECT_EQ(cell(actual, teigaku, tRow, 2, QStringLiteral("0300")), QStringLiteral("A旧型複合機（本 "));

    const QString teiritu = QStringLiteral("HJK160219"), dRow = QStringLiteral("TEIRITU_MEISAI_19");
    // 200 % table: the guarantee amount exceeds the adjusted depreciation.
    EXPECT_EQ(cell(actual, teiritu, dRow, 1, QStringLiteral("2600")), QStringLiteral("40000"));
    EXPECT_EQ(cell(actual, teiritu, dRow, 1, QStringLiteral("2700")), QStringLiteral("0.06552"));
    EXPECT_EQ(cell(actual, teiritu, dRow, 1, QStringLiteral("2800")), QStringLiteral("65520"));
    EXPECT_EQ(cell(actual, teiritu, dRow, 1, QStringLiteral("2900")), QStringLiteral("327680"));
    EXPECT_EQ(cell(actual, teiritu, dRow, 1, QStringLiteral("3000")), QStringLiteral("0.250"));
    EXPECT_EQ(cell(actual, teiritu, dRow, 1, QStringLiteral("0450")), QStringLiteral("0"));
    // 250 % table before 2012-04-01: no revised columns.
    EXPECT_EQ(cell(actual, teiritu, dRow, 2, QStringLiteral("2700")), QStringLiteral("0.06249"));
    EXPECT_EQ(cell(actual, teiritu, dRow, 2, QStringLiteral("2800")), QStringLiteral("31245"));
    EXPECT_EQ(cell(actual, teiritu, dRow, 2, QStringLiteral("2900")), QString());

    EXPECT_EQ(cell(actual, QStringLiteral("HJK160419"), QStringLiteral("LEASE_MEISAI"), 1, QStringLiteral("1700")), QStringLiteral("500000"));
    EXPECT_EQ(cell(actual, QStringLiteral("HJK160419"), QStringLiteral("LEASE_MEISAI"), 1, QStringLiteral("1800")), QString());
    EXPECT_EQ(cell(actual, QStringLiteral("HJK160419"), QStringLiteral("LEASE_MEISAI"), 1, QStringLiteral("1900")), QStringLiteral("500000"));
    EXPECT_EQ(cell(actual, QStringLiteral("HJK160619"), QStringLiteral("KINTOUSHOUKYAKU_MEISAI"), 1, QStringLiteral("0400")), QStringLiteral("36"));
    // Small amounts of this year only; the name in two 16-byte pieces.
    EXPECT_EQ(cell(actual, QStringLiteral("HJK160719"), QStringLiteral("SHOUGAKU_MEISAI"), 1, QStringLiteral("0310")), QStringLiteral("ノートパソコン（"));
    EXPECT_EQ(cell(actual, QStringLiteral("HJK160719"), QStringLiteral("SHOUGAKU_MEISAI"), 1, QStringLiteral("0320")), QStringLiteral("開発用）"));
    EXPECT_EQ(actual.filter(QStringLiteral("SHOUGAKU_MEISAI[line=2]")).size(), 0);
    // The lump-sum closing row.
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/DATA/HJK160819/IKKATU_TOUKI/IKKATU_TOUKI_0200=450001")));
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/DATA/HJK160819/IKKATU_TOUKI/IKKATU_TOUKI_0300=12")));
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/DATA/HJK160819/IKKATU_TOUKI/IKKATU_TOUKI_0400=150000")));
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/DATA/HJK160819/IKKATU_TOUKI/IKKATU_TOUKI_0500=150000")));
    EXPECT_TRUE(actual.contains(QStringLiteral("REPORT/DATA/HJK160419/LEASE_OTHER/LEASE_BIKOU_UP=")));
}

TEST_F(ExportTest, NothingToExportOrAMissingDateWritesNoFile)
{
    THojinZeiGenkaDataExport exporter(0, out);
    try {
        WriteIntermediateFile(exporter, out);
        FAIL() << "exported";
    } catch (const EDataExportError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("対象の減価償却資産が登録されていません。"));
        EXPECT_EQ(e.Code, 16);
    }
    EXPECT_FALSE(QFileInfo::exists(out));

    insert({1, 1, "1401", u"日付なし", "", 10, "100", "100", "0.1", "0", "0", "0", "0", 1, 12});
    testenv::writeFile(out, "kept");
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    try {
        WriteIntermediateFile(exporter, out);
        FAIL() << "exported";
    } catch (const EDataExportError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("減価償却資産の取得に失敗しました。"));
        EXPECT_EQ(e.Code, 7);
    }
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("例外エラー\r取得年月が設定されていません。\r\r"));
    EXPECT_EQ(testenv::readFile(out), QByteArray("kept"));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());
}

TEST_F(ExportTest, DecliningBalanceTableChoiceAndTheGuaranteeAmount)
{
    // Acquired from 2012-04-01 without the 250 % flag: the 200 % table; earlier: 250 % unless the 200 % flag is set.
    insert({1, 2, "1407", u"A", "2012-04-01", 10, "1000000", "200000", "0.200", "0", "0", "0", "0", 1, 12});
    insert({2, 2, "1407", u"B", "2011-04-01", 10, "1000000", "200000", "0.250", "0", "0", "0", "0", 1, 12});
    insert({3, 2, "1407", u"C", "2011-04-01", 10, "1000000", "200000", "0.200", "0", "0", "0", "0", 1, 12, "0", 0, 1, "1000000"});
    insert({4, 2, "1407", u"D", "2013-04-01", 10, "1000000", "200000", "0.250", "0", "0", "0", "0", 1, 12, "0", 1, 0});
    {
        THojinZeiGenkaDataExport exporter(0, out);
        WriteIntermediateFile(exporter, out);
    }
    const QStringList flat = flatten(readCp932(out));
    const QString s = QStringLiteral("HJK160219"), r = QStringLiteral("TEIRITU_MEISAI_19");
    EXPECT_EQ(cell(flat, s, r, 1, QStringLiteral("2700")), QStringLiteral("0.06552"));
    EXPECT_EQ(cell(flat, s, r, 2, QStringLiteral("2700")), QStringLiteral("0.04448"));
    EXPECT_EQ(cell(flat, s, r, 3, QStringLiteral("2700")), QStringLiteral("0.06552"));
    EXPECT_EQ(cell(flat, s, r, 3, QStringLiteral("2800")), QStringLiteral("65520")); // from the adjusted cost, truncated
    EXPECT_EQ(cell(flat, s, r, 3, QStringLiteral("0910")), QString());            // cost − adjusted cost is 0
    EXPECT_EQ(cell(flat, s, r, 4, QStringLiteral("2700")), QStringLiteral("0.04448"));
    EXPECT_EQ(cell(flat, s, r, 4, QStringLiteral("0450")), QStringLiteral("1"));

    // The rows the tables single out; lives outside the table read as zero.
    const TDepreciationRates r5 = RateRow(false, 5);
    EXPECT_EQ(r5.Kaitei, 100000);
    EXPECT_EQ(r5.Hosyo, 6249);
    EXPECT_EQ(RateRow(true, 100).Hosyo, 742);
    EXPECT_EQ(RateRow(true, 2).Kaitei, 0);
    EXPECT_EQ(RateRow(true, 1).Teiritu, 0);
    EXPECT_EQ(RateRow(true, 101).Hosyo, 0);
    EXPECT_EQ(RateRow(false, -1).Teigaku, 0);
}

TEST_F(ExportTest, OldAssetLimitDependsOnTheYearStart)
{
    // The same old asset at the limit in a year from 2008-04-01, below it in one from 2007-01-01.
    insert({1, 1, "1407", u"旧資産", "2007-03-31", 5, "1000000", "0", "0.369", "0", "0", "0", "50000", 1, 12});
    for (const auto &[start, end, atLimit] : {std::tuple{QDate(2008, 4, 1), QDate(2009, 3, 31), true},
                                              std::tuple{QDate(2007, 1, 1), QDate(2007, 12, 31), false}}) {
        AccInf.KISHU = start;
        AccInf.KIMATU = end;
        {
            THojinZeiGenkaDataExport exporter(0, out);
            WriteIntermediateFile(exporter, out);
        }
        const QStringList flat = flatten(readCp932(out));
        const QString s = QStringLiteral("HJK160119"), r = QStringLiteral("TEIGAKU_MEISAI_19");
        EXPECT_EQ(cell(flat, s, r, 1, QStringLiteral("2400")), atLimit ? QStringLiteral("0") : QString());
        EXPECT_EQ(cell(flat, s, r, 1, QStringLiteral("2320")), atLimit ? QString() : QStringLiteral("0"));
    }
}

TEST_F(ExportTest, HeaderValuesAndRememberedSettings)
{
    const QString other = testenv::freshDir(QStringLiteral("other")) + QStringLiteral("/named.xml");
    {
        THojinZeiGenkaDataExport e(0, QString());
        EXPECT_EQ(e.ProductName, QStringLiteral("ドルベル財務")); // the edition 11 key, not 10
        EXPECT_EQ(e.ProductVersion, QStringLiteral("11.2.0"));
        EXPECT_EQ(e.FunctionId, 1);
        EXPECT_EQ(e.Caption, QStringLiteral("連結納税のソルテア（平成25年度版 以降） from ドルベル財務（減価償却）"));
        EXPECT_TRUE(e.SettingsFile().startsWith(testenv::sandbox()));
        e.ExportFile = out;
        e.KomonsakiName = QStringLiteral("株式会社①");
    }
    const QString ini = THojinZeiGenkaDataExport(5, QString()).SettingsFile();
    EXPECT_EQ(platform::IniFile(ini).readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("EXPORTFILE")), out);
    {
        // A caller with a number keeps its own file and leaves the remembered one alone.
        THojinZeiGenkaDataExport e(5, other);
        EXPECT_EQ(e.ExportFile, other);
        EXPECT_EQ(e.KomonsakiName, QStringLiteral("株式会社①"));
        EXPECT_EQ(e.FunctionId, 5);
        e.ExportFile = QStringLiteral("/tmp/ignored.xml");
    }
    EXPECT_EQ(platform::IniFile(ini).readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("EXPORTFILE")), out);
    {
        // A command line with number 0 that names a file writes that file.
        THojinZeiGenkaDataExport e(0, other);
        EXPECT_EQ(e.ExportFile, other);
        THojinZeiGenkaDataExport remembered(0, QString());
        EXPECT_EQ(remembered.ExportFile, out);
    }
}
