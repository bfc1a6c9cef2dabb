#include "support/TestEnv.h"
#include "support/DbFixture.h"

#include "SixMethodAssets.h"

#include "app/ComDataExp.h"
#include "app/DepreciationRates.h"
#include "app/hj19.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

using platform::RegRoot;
using platform::RegistryStore;

namespace {

QString readCp932(const QString &path)
{
    return platform::fromCp932(testenv::readFile(path));
}

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

    void insert(const AssetRow &a) { exec(QStringLiteral("ACCDAT"), AssetInsertSql(a)); }

    void insertSixMethods()
    {
        for (const AssetRow &r : SixMethodAssets()) insert(r);
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
        // As the wizard and the benchmark prepare it.
        THojinZeiGenkaDataExport exporter(7, out);
        prepareExportFromCompany(exporter, root.companyDir, AccInf);
        WriteIntermediateFile(exporter, out);
    }
    const QByteArray bytes = testenv::readFile(out);
    ASSERT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<REPORT><SYSTEM>"));
    // Byte for byte the expected file; the comparison by element below says where they differ.
    EXPECT_TRUE(bytes == testenv::readFile(QStringLiteral(APP_FIXTURES_DIR "/six-methods.xml")));
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
    // No date, and the database's day 0, are both a missing date.
    for (const char *date : {"", "1899-12-30"}) {
        SCOPED_TRACE(date);
        if (*date) exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE KS_SISAN SET SYUTODATE='%1'").arg(QLatin1String(date)));
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
}

TEST_F(ExportTest, DecliningBalanceTableChoiceAndTheGuaranteeAmount)
{
    // Acquired from 2012-04-01 without the 250 % flag: the 200 % table; earlier: 250 % unless the 200 % flag is set.
    insert({1, 2, "1407", u"A", "2012-04-01", 10, "1000000", "200000", "0.200", "0", "0", "0", "0", 1, 12});
    insert({2, 2, "1407", u"B", "2011-04-01", 10, "1000000", "200000", "0.250", "0", "0", "0", "0", 1, 12});
    insert({3, 2, "1407", u"C", "2011-04-01", 10, "1000000", "200000", "0.200", "0", "0", "0", "0", 1, 12, "0", 0, 1, "1000000"});
    insert({4, 2, "1407", u"D", "2013-04-01", 10, "1000000", "200000", "0.250", "0", "0", "0", "0", 1, 12, "0", 1, 0});
    insert({5, 2, "1407", u"E", "2013-04-01", 10, "1000000", "200000", "0.1245", "0", "0", "0", "0", 1, 12});
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
    // A typed rate with four decimals is rounded on its exact value.
    EXPECT_EQ(cell(flat, s, r, 1, QStringLiteral("2500")), QStringLiteral("0.200"));
    EXPECT_EQ(cell(flat, s, r, 5, QStringLiteral("2500")), QStringLiteral("0.125"));

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

TEST_F(ExportTest, LumpSumThirdFollowsTheCompanyRounding)
{
    // A third of the summed bases, in whole yen by the company's setting (any
    // setting other than 0 and 2 rounds half up).
    struct Case { int setting; const char *base; const char *third; };
    const Case cases[] = {
        {0, "100000", "33333"}, {1, "100000", "33333"}, {2, "100000", "33334"},
        {0, "100001", "33333"}, {1, "100001", "33334"}, {2, "100001", "33334"}, {5, "100001", "33334"},
        {2, "99999", "33333"},
    };
    const QString total = QStringLiteral("REPORT/DATA/HJK160819/IKKATU_TOUKI/IKKATU_TOUKI_%1=%2");
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "setting " << c.setting << " base " << c.base);
        exec(QStringLiteral("ACCDAT"), QStringLiteral("DELETE FROM KS_SISAN"));
        insert({1, 4, "1411", u"一括", "2024-05-01", 3, "0", c.base, "0", "0", "0", "0", "0", 2, 12});
        AccInf.SDAI_HASUU1 = c.setting;
        {
            THojinZeiGenkaDataExport exporter(0, out);
            WriteIntermediateFile(exporter, out);
        }
        const QStringList flat = flatten(readCp932(out));
        EXPECT_TRUE(flat.contains(total.arg(QStringLiteral("0200"), QLatin1String(c.base))));
        EXPECT_TRUE(flat.contains(total.arg(QStringLiteral("0400"), QLatin1String(c.third))));
        EXPECT_TRUE(flat.contains(total.arg(QStringLiteral("0500"), QLatin1String(c.third))));
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
        e.SaveSettings(); // as the wizard does when it closes
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
        e.SaveSettings();
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

TEST_F(ExportTest, ControlCharactersInTheCompanyOrAnAssetNameFailTheExport)
{
    const QString sheetRow = QStringLiteral("REPORT/DATA/HJK160119/TEIGAKU_MEISAI_19[line=1]/TEIGAKU_MEISAI_19_0300");
    struct Case {
        const char *what;
        QString company;
        QString asset; // SQL of the name
        const char *code;
        QString place;
    };
    const Case cases[] = {
        {"SOH in the company name", QStringLiteral("'A' || ASCII_CHAR(1) || 'B商事'"), QStringLiteral("'本社ビル'"), "U+0001",
         QStringLiteral("REPORT/BASIC/KOMONSAKINAME")},
        {"vertical tab in an asset name", QStringLiteral("'サンプル商事'"), QStringLiteral("'本社' || ASCII_CHAR(11) || 'ビル'"), "U+000B", sheetRow},
        {"NUL in an asset name", QStringLiteral("'サンプル商事'"), QStringLiteral("'本社' || ASCII_CHAR(0) || 'ビル'"), "U+0000", sheetRow},
    };
    insert({1, 1, "1401", u"本社ビル", "2020-04-01", 50, "10000000", "10000000", "0.020", "200000", "0", "200000", "8800000", 1, 12});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU=") + c.company);
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE KS_SISAN SET MEISYOU=%1 WHERE REC=1").arg(c.asset));
        ASSERT_TRUE(dm->fnGetAccInfo());
        testenv::writeFile(out, "kept");
        THojinZeiGenkaDataExport exporter(0, out);
        prepareExportFromCompany(exporter, root.companyDir, AccInf);
        try {
            WriteIntermediateFile(exporter, out);
            FAIL() << "exported";
        } catch (const platform::Error &e) {
            EXPECT_EQ(e.message(), QStringLiteral("中間ファイルに書き込めない文字(%1)が含まれています。\r場所: ").arg(QLatin1String(c.code)) + c.place);
        }
        EXPECT_EQ(testenv::readFile(out), QByteArray("kept"));
        EXPECT_EQ(QDir(QFileInfo(out).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("RC25.xml")}));
    }
}

TEST_F(ExportTest, LineBreaksInTheCompanyNameKeepTheRememberedFile)
{
    {
        THojinZeiGenkaDataExport alone(0, QString());
        alone.ExportFile = out;
        alone.SaveSettings();
    }
    {
        // A caller's run writes the company name but not the file.
        THojinZeiGenkaDataExport called(5, QStringLiteral("/tmp/called.xml"));
        called.KomonsakiName = QStringLiteral("株式会社\r\nEXPORTFILE=/tmp/evil.xml\r\n[HOJINZEI]\rDATA=x\n");
        called.SaveSettings();
    }
    const THojinZeiGenkaDataExport next(0, QString());
    EXPECT_EQ(next.ExportFile, out);
    EXPECT_EQ(next.KomonsakiName, QStringLiteral("株式会社  EXPORTFILE=/tmp/evil.xml  [HOJINZEI] DATA=x"));
    const platform::IniFile ini(next.SettingsFile());
    EXPECT_EQ(ini.readSections(), QStringList({QStringLiteral("RENKETUNOUZEI_G")}));
    EXPECT_EQ(ini.readSection(QStringLiteral("RENKETUNOUZEI_G")),
              QStringList({QStringLiteral("DATA"), QStringLiteral("KOMONSAKI"), QStringLiteral("EXPORTFILE")}));
}

TEST_F(ExportTest, ASettingsFileWithBytesTheCodePageCannotDecodeIsStillWritten)
{
    const QString ini = THojinZeiGenkaDataExport(0, QString()).SettingsFile();
    // Written by another program: a folder name and a note in bytes that are no code page 932.
    const QByteArray data("DATA=C:\\\x81\x20\\0001\r\n");
    const QByteArray other("[HOJINZEI]\r\nNOTE=\xFF\xFE\r\n");
    testenv::writeFile(ini, "[RENKETUNOUZEI_G]\r\n" + data + "KOMONSAKI=old\r\n" + other);
    {
        THojinZeiGenkaDataExport e(0, QString());
        e.KomonsakiName = QStringLiteral("株式会社①");
        e.ExportFile = out;
        e.SaveSettings();
    }
    EXPECT_EQ(testenv::readFile(ini), "[RENKETUNOUZEI_G]\r\n" + data +
                                          platform::toCp932(QStringLiteral("KOMONSAKI=株式会社①\r\nEXPORTFILE=") + out + QStringLiteral("\r\n")) +
                                          other);
    EXPECT_EQ(THojinZeiGenkaDataExport(0, QString()).ExportFile, out);
}

TEST_F(ExportTest, AFailureAfterRowsWereWrittenLeavesNoFile)
{
    // Straight-line rows are written before the lease sheet finds an asset without a date.
    insert({1, 1, "1401", u"本社ビル", "2020-04-01", 50, "10000000", "10000000", "0.020", "200000", "0", "200000", "8800000", 1, 12});
    insert({2, 1, "1401", u"倉庫", "2021-04-01", 30, "5000000", "5000000", "0.034", "170000", "0", "170000", "4600000", 1, 12});
    insert({3, 6, "1410", u"日付なしリース", "", 5, "500000", "0", "0", "0", "0", "0", "0", 1, 12});
    testenv::writeFile(out, "kept");
    const QString dir = QFileInfo(out).absolutePath();
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        THojinZeiGenkaDataExport exporter(0, out);
        prepareExportFromCompany(exporter, root.companyDir, AccInf);
        try {
            WriteIntermediateFile(exporter, out);
            FAIL() << "exported";
        } catch (const EDataExportError &e) {
            EXPECT_EQ(e.Code, 7);
        }
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("例外エラー\r取得年月が設定されていません。\r\r"));
    }
    EXPECT_EQ(testenv::readFile(out), QByteArray("kept"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("RC25.xml")}));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());

    // A company name the file cannot carry is still second to the reading:
    // without assets, the export says there is nothing to export.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("DELETE FROM KS_SISAN"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='A' || ASCII_CHAR(1)"));
    ASSERT_TRUE(dm->fnGetAccInfo());
    THojinZeiGenkaDataExport exporter(0, out);
    prepareExportFromCompany(exporter, root.companyDir, AccInf);
    try {
        WriteIntermediateFile(exporter, out);
        FAIL() << "exported";
    } catch (const EDataExportError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("対象の減価償却資産が登録されていません。"));
    }
    EXPECT_EQ(testenv::readFile(out), QByteArray("kept"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("RC25.xml")}));
}
