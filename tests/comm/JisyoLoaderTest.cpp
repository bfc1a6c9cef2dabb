// The dictionary transfer file: export of a fixture against a golden file,
// import into a database with other internal account codes, the header checks.
#include "comm/z5FileLoader.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Tax.h"
#include "platform/Cp932.h"
#include "CompanyDb.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {
using commtest::CompanyDb;

class JisyoLoaderTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        addCompany(2);
        {
            CompanyDb src(root.companyDir);
            // An account the target knows under another internal code, with a sub-account.
            src.exec(QStringLiteral("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME, USE) VALUES ('B777', '8888', '6200', '雑費', 1)"));
            src.exec(QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME) VALUES ('B777', '01', '事務用品')"));
            src.exec(QStringLiteral("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME, USE) VALUES ('C999', '9999', '6200', '予備', 1)"));
            src.exec(QStringLiteral("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT, MOVEMENT) VALUES (11, ' ', 5, '売上', 2)"));
            src.exec(QStringLiteral("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT, MOVEMENT) VALUES (12, ' ', 9, '経費\"A\"', 0)"));
            src.exec(QStringLiteral(
                "INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAR_TAXCODE, "
                "KAS_KCODE, KAS_HCODE, KAS_BCODE, KAS_TAXCODE, WAITFLG, TAXOLD, TAXNUM, MOVEMENT, HAIBUN, RTIME) VALUES "
                "(0, 11, 'ｳﾘｱｹﾞ', '現金売上', ' ', 'B777', '01', NULL, 511, '1101', ' ', ' ', 810, 1, 2, 3, 4, 5, "
                "'2025-05-06 07:08:09')"));
            src.exec(QStringLiteral(
                "INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAR_TAXCODE, "
                "KAS_KCODE, KAS_HCODE, KAS_BCODE, KAS_TAXCODE) VALUES "
                "(0, 12, 'ｹｲﾋ', 'A' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'B\"C\"', ' ', 'C999', ' ', ' ', NULL, "
                "'1101', ' ', ' ', 810)"));
            src.exec(QStringLiteral("UPDATE TORDICTI SET TEXT='得意先', MOVEMENT=3 WHERE SCODE=' ' AND CREC=1"));
            src.exec(QStringLiteral(
                "INSERT INTO TORDIC (TEKCODE, CREC, KANA, MCODE, TEXT, TEKTEXT, SCODE, KAR_KCODE, KAR_HCODE, KAR_BCODE, "
                "KAR_TAXCODE, KAS_KCODE, MOVEMENT, RTIME) VALUES (0, 1, 'ｱ', 0, '株式会社Ａ', '売上\"値引\"', ' ', "
                "'1101', ' ', ' ', 810, 'B777', 6, '2025-01-02 03:04:05')"));
        }
        {
            // The target: user code 8888 is account A555 there, without sub-account 01;
            // two title slots of the description dictionary and an old entry.
            CompanyDb dst(slot(2));
            dst.exec(QStringLiteral("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME, USE) VALUES ('A555', '8888', '6200', '雑費', 1)"));
            dst.exec(QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', 'A555', ' ', ' ')"));
            dst.exec(QStringLiteral("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (7, ' ', 3, '古い分類')"));
            dst.exec(QStringLiteral("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (8, ' ', 4, '')"));
            dst.exec(QStringLiteral("INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE) VALUES (0, 7, 'ﾌﾙｲ', '古い摘要', ' ')"));
        }
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        ASSERT_TRUE(dm->fnGetAccInfo());
        AccInf.SHOUGOU = QStringLiteral("テスト商事㈱");
        AccInf.DATATYPE = 1;
        AccInf.MAJOR = 11;
        AccInf.MINOR1 = 0;
        AccInf.MINOR2 = 0;
        AccInf.KIMATU = QDate(2026, 3, 31);
        file = testenv::freshDir(QStringLiteral("jisyo")) + QStringLiteral("/vqzjisyo.txt");
    }

    void exportFixture(TJisyoLoader &loader)
    {
        loader.Today = [] { return QDate(2025, 7, 1); };
        loader.SetFileVersion(QStringLiteral("1.1"));
        ASSERT_TRUE(loader.ExportToFile(file));
    }

    QString file;
};

} // namespace

TEST_F(JisyoLoaderTest, ExportEqualsTheGoldenFile)
{
    TJisyoLoader loader;
    exportFixture(loader);
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction()); // the transaction it started is ended
    const QByteArray golden = testenv::readFile(QStringLiteral(COMM_FIXTURES "/vqzjisyo_golden.txt"));
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(testenv::readFile(file), golden);
}

TEST_F(JisyoLoaderTest, ImportMapsAccountsByUserCode)
{
    TJisyoLoader loader;
    exportFixture(loader);
    dm->IBDatabaseDAT.close();

    CompanyDb dst(slot(2));
    TJisyoLoader importer;
    importer.SetDatabase(&dst.db);
    importer.SetTransaction(&dst.tr);
    importer.SetFileVersion(QStringLiteral("1.1"));
    ASSERT_TRUE(importer.ImportFromFile(file));
    EXPECT_FALSE(dst.tr.inTransaction());

    // Titles land in the slots by position; the old entry is gone.
    EXPECT_EQ(dst.rows(QStringLiteral("SELECT CREC, SORTCODE, TEXT FROM TEKDICTI ORDER BY CREC")),
              (QStringList{QStringLiteral("7|1|売上"), QStringLiteral("8|2|経費\"A\"")}));
    const QString taxOld = QString::number(GetZeirituNoByDate(2, QDate(2026, 3, 31)));
    EXPECT_EQ(dst.rows(QStringLiteral(
                  "SELECT CREC, KANA, TEXT, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAR_TAXCODE, KAS_KCODE, KAS_HCODE, "
                  "KAS_BCODE, KAS_TAXCODE, WAITFLG, TAXOLD, TAXNUM, MOVEMENT, HAIBUN, RTIME FROM TEKDIC ORDER BY CREC")),
              (QStringList{
                  // 8888 is A555 here; its sub-account 01 does not exist here and goes.
                  QStringLiteral("7|ｳﾘｱｹﾞ|現金売上|A555|<null>|<null>|511|1101| | |810|1|%1|3|4|5|2025-05-06 07:08:09").arg(taxOld),
                  // 9999 is unknown here: no account, sub-account or department; the line break is gone.
                  QStringLiteral("8|ｹｲﾋ|AB\"C\"|<null>|<null>|<null>|910|1101| | |810|0|%1|0|0|0|<null>").arg(GetZeirituNoByDate(0, QDate(2026, 3, 31)))}));
    EXPECT_EQ(dst.rows(QStringLiteral("SELECT CREC, SCODE, KANA, TEXT, TEKTEXT, KAR_KCODE, KAR_HCODE, KAS_KCODE, "
                                      "KAS_HCODE, KAS_TAXCODE, MOVEMENT FROM TORDIC")),
              QStringList{QStringLiteral("1| |ｱ|株式会社Ａ|売上\"値引\"|1101| |A555|<null>|910|6")});
    EXPECT_EQ(dst.rows(QStringLiteral("SELECT TEXT FROM TORDICTI WHERE CREC=1")), QStringList{QStringLiteral("得意先")});
}

TEST_F(JisyoLoaderTest, EntriesOfTitlesWithoutASlotAreSkipped)
{
    TJisyoLoader loader;
    exportFixture(loader);
    dm->IBDatabaseDAT.close();
    CompanyDb dst(slot(2));
    dst.exec(QStringLiteral("DELETE FROM TEKDICTI WHERE CREC=8"));
    TJisyoLoader importer;
    importer.SetDatabase(&dst.db);
    importer.SetTransaction(&dst.tr);
    importer.Target = 1; // the description dictionary only
    ASSERT_TRUE(importer.ImportFromFile(file));
    EXPECT_EQ(dst.rows(QStringLiteral("SELECT CREC, TEXT FROM TEKDIC")), QStringList{QStringLiteral("7|現金売上")});
    EXPECT_EQ(dst.rows(QStringLiteral("SELECT COUNT(*) FROM TORDIC")), QStringList{QStringLiteral("0")});
}

TEST_F(JisyoLoaderTest, HeaderChecks)
{
    struct Case {
        const char *kindLine;
        const char *verLine; // nullptr: no version line
        quint8 checkVer;
        bool accepted;
    };
    const Case cases[] = {
        {"// ファイル種別: 摘要・取引先辞書設定", "// ファイルVer : 1.1", 1, true},
        {"// ファイル種別: 摘要・取引先辞書設定", "// ファイルVer : 1.0", 1, true}, // minors are not compared
        {"// ファイル種別: 摘要・取引先辞書設宝", "// ファイルVer : 1.1", 1, false}, // one character differs
        {"// ファイル種別: 摘要・取引先辞書設定", "// ファイルVer : 2.1", 1, false},
        {"// ファイル種別: 摘要・取引先辞書設定", "// ファイルVer : 2.1", 0, true},
        {"// ファイル種別: 摘要・取引先辞書設定", nullptr, 1, true},
        {"// ファイル種別: 摘要・取引先辞書設定", "// ファイルVer : 1", 1, false}, // major 0 against 1
    };
    CompanyDb dst(slot(2));
    for (const Case &c : cases) {
        QByteArray bytes = platform::toCp932(QString::fromUtf8(c.kindLine)) + "\r\n";
        if (c.verLine) bytes += platform::toCp932(QString::fromUtf8(c.verLine)) + "\r\n";
        bytes += platform::toCp932(QStringLiteral("\"200\",1,\" \",1,\"新\",0,\r\n"));
        testenv::writeFile(file, bytes);
        TJisyoLoader importer;
        importer.SetDatabase(&dst.db);
        importer.SetTransaction(&dst.tr);
        importer.CheckVer = c.checkVer;
        dst.exec(QStringLiteral("UPDATE TEKDICTI SET TEXT='古い分類' WHERE CREC=7"));
        const QStringList before = dst.rows(QStringLiteral("SELECT TEXT FROM TEKDICTI ORDER BY CREC"));
        EXPECT_EQ(importer.ImportFromFile(file), c.accepted) << c.kindLine << " " << (c.verLine ? c.verLine : "-");
        // A refused file leaves the database as it was.
        if (!c.accepted) {
            EXPECT_EQ(dst.rows(QStringLiteral("SELECT TEXT FROM TEKDICTI ORDER BY CREC")), before);
        } else {
            EXPECT_EQ(dst.rows(QStringLiteral("SELECT TEXT FROM TEKDICTI ORDER BY CREC")),
                      (QStringList{QStringLiteral("新"), QString()}));
        }
    }
    // No records of the chosen dictionary: nothing is done.
    testenv::writeFile(file, platform::toCp932(QStringLiteral("// ファイル種別: 摘要・取引先辞書設定\r\n\"300\",1,\" \",1,\"x\",0,\r\n")));
    TJisyoLoader importer;
    importer.SetDatabase(&dst.db);
    importer.SetTransaction(&dst.tr);
    importer.Target = 1;
    EXPECT_FALSE(importer.ImportFromFile(file));
    EXPECT_FALSE(importer.ImportFromFile(QStringLiteral("  ")));
}

TEST(JisyoLoaderFields, EncodeAndDecode)
{
    TBaseLoader l;
    EXPECT_EQ(l.EncodeField(QStringLiteral("a\"b\"\tc\r\nd"), 1), QStringLiteral("a''b''cd"));
    EXPECT_EQ(l.DecodeField(QStringLiteral("a''b''c"), 1), QStringLiteral("a\"b\"c"));
    // Two apostrophes of the text itself come back as a double quote.
    EXPECT_EQ(l.DecodeField(l.EncodeField(QStringLiteral("it''s"), 1), 1), QStringLiteral("it\"s"));
    EXPECT_EQ(l.EncodeField(QStringLiteral("a\tb"), 0), QStringLiteral("a\tb"));
}
