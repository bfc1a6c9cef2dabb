#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/CodeTaikeiIO.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "dbaccess/UserList.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"
#include "platform/Cp932.h"

namespace {

class CompanyRecordsTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 100010;
        SystemDef.LoginNo = 10;
        Edition = 0;
    }
    void TearDown() override
    {
        Edition = 0;
        DbFixture::TearDown();
    }
};

} // namespace

TEST_F(CompanyRecordsTest, FirstLoginCreatesTheSettingsRowAndSavingKeepsForeignColumns)
{
    ASSERT_TRUE(dm->fnGetSysDef());
    const TSysDefSettings &o = SystemDef.SysDef;
    EXPECT_EQ(o.ColHeaderColor, 0xDBDBDB);
    EXPECT_EQ(o.ClientColor2, 0xE1F0FF);
    EXPECT_EQ(o.TotalColor, 0x8EC7FF);
    EXPECT_EQ(o.ActiveColor, 0x246BFF);
    EXPECT_EQ(o.PLineColor2, 0x7900);
    EXPECT_EQ(o.SankakuPlus, 1);
    EXPECT_EQ(o.DicTekAuto, 1);
    EXPECT_EQ(o.TekiyoOpen, (std::array<int, 4>{1, 0, 1, 0}));
    EXPECT_EQ(o.TorihikiOpen, (std::array<int, 4>{1, 0, 1, 0}));
    EXPECT_EQ(o.SwkDateFocus, 2);
    EXPECT_EQ(o.TaxCodePrint, 1);
    EXPECT_EQ(o.SisanTitle, QStringLiteral("試　算　表"));
    EXPECT_EQ(o.Titles[4][1], QStringLiteral("販売費・一般管理費"));
    EXPECT_TRUE(o.Titles[4][0].isEmpty());
    EXPECT_EQ(SystemDef.DataCheckKbn, 1);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM SYSDEF WHERE OPCODE=100010")), QStringLiteral("1"));
    // The damage check is kept for the whole group.
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"),
                     QStringLiteral("SELECT STEXT FROM SYSREG WHERE OPCODE=%1 AND SCODE='データ破損チェック区'").arg(10000 * 10000 + 9999)),
              QStringLiteral("1"));

    // A gradient colour of 0, both bits 5 and 6, and a value another program owns.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE SYSDEF SET COLHEADERGRADCOLOR2=0, RESERVE4=48+512, SHOUHYOU=5, "
                                                  "FONTNAME='x' WHERE OPCODE=100010"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO SYSTEMINI (REC, RESERVE1, SSTR) VALUES (10, 3, 'NAME=山田会計\r\nTEL=03-1111')"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO SYSTEMINI (REC, RESERVE1) VALUES (20, 1)"));
    SystemDef.SysDef = TSysDefSettings();
    ASSERT_TRUE(dm->fnGetSysDef());
    EXPECT_EQ(o.ColHeaderGradColor2, 0xBBBBBB);
    EXPECT_EQ(SystemDef.Reserve4Value56, 1);
    EXPECT_EQ(SystemDef.Reserve4Bit[10], 1);
    EXPECT_TRUE(IsWarekiDisplay());
    EXPECT_EQ(o.OfficeName, QStringLiteral("山田会計"));
    EXPECT_EQ(o.OfficeTel, QStringLiteral("03-1111"));
    EXPECT_EQ(o.Office1, 3);
    EXPECT_EQ(o.AllSitenOperator, 1);

    SystemDef.SysDef.TekiyoOpen[3] = 1;
    SystemDef.DataDir = QStringLiteral("/data/0001");
    ASSERT_TRUE(dm->fnPutSysDef());
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"),
                     QStringLiteral("SELECT COLHEADERGRADCOLOR2 || ',' || RESERVE4 || ',' || SHOUHYOU || ',' || DATADIR FROM SYSDEF WHERE OPCODE=100010")),
              QStringLiteral("%1,%2,5,/data/0001").arg(0xBBBBBB).arg(16 + 512));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"),
                     QStringLiteral("SELECT STEXT FROM SYSREG WHERE OPCODE=100010 AND SCODE='摘要＿入力なし区分'")),
              QStringLiteral("1"));
}

TEST_F(CompanyRecordsTest, FederationEditionDefaults)
{
    Edition = 1;
    ASSERT_TRUE(dm->fnGetSysDef());
    const TSysDefSettings &o = SystemDef.SysDef;
    EXPECT_EQ(o.ClientColor2, 0xF2FFEE);
    EXPECT_EQ(o.DicSwitch, 2);
    EXPECT_EQ(o.DicTorAuto, 0);
    EXPECT_EQ(o.TekiyoOpen, (std::array<int, 4>{0, 1, 1, 0}));
    EXPECT_EQ(o.TorihikiOpen, (std::array<int, 4>{1, 0, 0, 0}));
    EXPECT_EQ(o.JikoumokuIdou, 1);
    EXPECT_EQ(o.SwkDateFocus, 1);
    EXPECT_EQ(o.SisanSyukei, 1);
    EXPECT_EQ(SystemDef.Reserve4Bit[7], 1);
}

TEST_F(CompanyRecordsTest, CompanyMasterLoadsFromTheRowsWritten)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='株式会社テスト①', NENDO=27, KISHU='2015-04-01', "
                                                  "KIMATU='2016-03-31', KAISI='2015-04-01', SIME=99, KAISINO=4, ZKISHU=NULL, ZZKISHU=NULL, "
                                                  "TAXKANNI=1, TAXJIGYOU=3"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCVERSION SET MAJOR=10, MINOR1=0, MINOR2=0 WHERE REC=1"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO ACCVERSION (REC, MAJOR, MINOR1, MINOR2) VALUES (2, 11, 0, 0)"));
    ASSERT_TRUE(dm->fnGetAccInfo());
    EXPECT_EQ(AccInf.SHOUGOU, QStringLiteral("株式会社テスト①"));
    EXPECT_EQ(AccInf.NENDO, 27);
    EXPECT_EQ(AccInf.KISHU, QDate(2015, 4, 1));
    EXPECT_EQ(AccInf.KIMATU, QDate(2016, 3, 31));
    EXPECT_EQ(AccInf.PeriodCount, 15); // the year-end date without the closing-entry flag
    EXPECT_EQ(AccInf.MonthsToKimatu, 11);
    EXPECT_EQ(AccInf.StartIndex, 4);
    EXPECT_EQ(AccInf.DataTypeName, QStringLiteral("法人"));
    EXPECT_TRUE(AccInf.CodeTypeName.isEmpty());
    EXPECT_FALSE(AccInf.Medical);
    EXPECT_EQ(AccInf.TAXJIGYOU, 3);
    EXPECT_EQ(AccInf.YearStart[1], QDate(2014, 4, 1));
    EXPECT_EQ(AccInf.YearEnd[1], QDate(2015, 3, 31));
    EXPECT_EQ(AccInf.YearStart[2], QDate(2013, 4, 1));
    // Day 0 stored instead of NULL counts as no date as well.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET ZKISHU='1899-12-30', ZZKISHU='1899-12-30'"));
    ASSERT_TRUE(dm->fnGetAccInfo());
    EXPECT_EQ(AccInf.YearStart[1], QDate(2014, 4, 1));
    EXPECT_EQ(AccInf.YearStart[2], QDate(2013, 4, 1));
    EXPECT_EQ(AccInf.YearEnd[2], QDate(2014, 3, 31));
    EXPECT_FALSE(AccInf.SysKCode[saKaribarai].isEmpty());
    EXPECT_FALSE(AccInf.BillKCode[0].isEmpty());
    // The load takes the highest version; the version text reads row 1.
    EXPECT_EQ(AccInf.MAJOR, 11);
    QString ver;
    EXPECT_TRUE(dm->fnGetDataBaseVer(ver));
    EXPECT_EQ(ver, QStringLiteral("10.0.0"));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());
}

TEST_F(CompanyRecordsTest, LoadFailuresAreShownNotCrashes)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    ScriptedMessages boxes;
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET DATATYPE=1, CODETYPE=2"));
    boxes.answer(mrOk);
    EXPECT_FALSE(dm->fnGetAccInfo());
    EXPECT_EQ(boxes.shown.last().text, QStringLiteral("基本情報の取得に失敗しました。\r\r\r[詳細情報]\r"
                                                      "このプログラムでは、該当のコードタイプを処理することが出来ません。(CodeType=2)"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("DELETE FROM ACCDEF1"));
    boxes.answer(mrOk);
    EXPECT_FALSE(dm->fnGetAccInfo());
    EXPECT_TRUE(boxes.shown.last().text.endsWith(QStringLiteral("基本設定(ACCDEF1)のレコードが見つかりませんでした。")));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction()); // committed on the failure path too

    struct Case { int type, code; bool full; const char16_t *name; };
    const Case names[] = {{1, 1, true, u"法人"}, {2, 2, false, u"不動産"}, {2, 4, true, u"個人／農業"}, {3, 1, true, u"医療法人"}};
    for (const Case &c : names) EXPECT_EQ(TDM::GetCodeTypeName(c.type, c.code, c.full), QString::fromUtf16(c.name));
    EXPECT_THROW(TDM::GetDataTypeName(4), platform::Error);
    EXPECT_TRUE(TDM::IsMedicalDataKind(QStringLiteral("個人(クリニック)")));
    EXPECT_FALSE(TDM::IsMedicalDataKind(QStringLiteral("法人")));
}

TEST_F(CompanyRecordsTest, OperatorRightsAndDefaultFacility)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    ASSERT_TRUE(dm->fnGetAccInfo());
    SystemDef.OpLevel = 9;
    EXPECT_TRUE(dm->fnGetExistsOpeDefSisetu()); // level 9 without a licence

    SystemDef.OpLevel = 1;
    SystemDef.SysDef.AllSitenOperator = 0;
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME, XSTR, MB_JIGYOU) VALUES ('00', '法人本部', 'COLOR=abc', 1)"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME, XSTR, MB_JIGYOU) VALUES ('01', '診療所', 'COLOR=255', 2)"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO OPDEFSISETU (OPCODE, SCODE) VALUES (100010, '01')"));
    EXPECT_FALSE(dm->fnGetExistsOpeDefSisetu()); // no licence row
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (100010, '01')"));
    EXPECT_TRUE(dm->fnGetExistsOpeDefSisetu());

    // Medical data with facilities "00" and "01".
    AccInf.Medical = true;
    AccInf.SITEN = 1;
    QString name;
    dm->GetOpeDefSisetu(name);
    EXPECT_EQ(name, QStringLiteral("診療所"));
    EXPECT_EQ(SystemDef.SysDef.SisetuColor, 255);
    exec(QStringLiteral("ACCDAT"), QStringLiteral("DELETE FROM OPDEFSISETU"));
    dm->GetOpeDefSisetu(name); // bound operator without rows: the facility "00"
    EXPECT_EQ(SystemDef.SisetuCode, QStringLiteral("00"));
    EXPECT_EQ(SystemDef.SysDef.SisetuColor, 0xFFAF80);
    SystemDef.OpLevel = 9;
    dm->GetOpeDefSisetu(name);
    EXPECT_EQ(SystemDef.SisetuCode, QStringLiteral("01"));
    EXPECT_EQ(SystemDef.SisetuKind, 2);

    // Medical data without facility management cannot be opened.
    AccInf.SITEN = 0;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    dm->GetOpeDefSisetu(name);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("施設管理がおこなわれていません。")));

    // A company without branches: the company itself, code " ".
    AccInf.Medical = false;
    dm->GetOpeDefSisetu(name);
    EXPECT_EQ(SystemDef.SisetuCode, QStringLiteral(" "));
    EXPECT_EQ(name, AccInf.SHOUGOU);

    QVariant v;
    for (const char *xstr : {"COLOR=0", "COLOR=-4", "", "A=1"}) {
        TDM::GetSisetuColor(QLatin1String(xstr), QStringLiteral("color"), v);
        EXPECT_EQ(v.toInt(), 0xFFAF80) << xstr;
    }
    TDM::GetSisetuColor(QStringLiteral("NAME=x\r\nCOLOR=255"), QStringLiteral("COLOR"), v);
    EXPECT_EQ(v.toInt(), 255);
}

TEST_F(CompanyRecordsTest, DataPathsAndEras)
{
    struct Case { const char *path; const char *first, *second; };
    const Case cases[] = {
        {"/home/My Files/data/12/3/vqacc.fdb", "12", "3"},
        {"C:\\Quenta\\cb_data\\4\\DATA\\9", "4", "DATA"},
        {"/srv/DATA", "", ""},
        {"/srv/DATA/7", "7", ""},
        {"/srv/other/7", "", ""},
    };
    for (const Case &c : cases) {
        QString a, b;
        TDM::SplitDataPath(QLatin1String(c.path), a, b);
        EXPECT_EQ(a, QLatin1String(c.first)) << c.path;
        EXPECT_EQ(b, QLatin1String(c.second)) << c.path;
    }
    int list = -1, child = -1;
    dm->GetDataListRec(root.companyDir, list, child);
    EXPECT_EQ(list, 1);
    EXPECT_EQ(child, 0);
    dm->GetDataListRec(QStringLiteral("  "), list, child);
    EXPECT_EQ(list, 0);

    dm->LoadGengo();
    ASSERT_FALSE(GengoTable.isEmpty());
    EXPECT_GE(GengoTable.first().StartYear, 1989); // newest first
    exec(QStringLiteral("ACCDEF"), QStringLiteral("DELETE FROM GENGO"));
    dm->LoadGengo();
    ASSERT_EQ(GengoTable.size(), 4); // the built-in eras
    EXPECT_EQ(GengoTable.first().Name, QStringLiteral("平成"));
    // Without the system database the built-in eras are there all the same.
    dm->IBDatabaseDEF.close();
    GengoTable.clear();
    EXPECT_NO_THROW(dm->LoadGengo());
    EXPECT_EQ(GengoTable.size(), 4);
}

TEST_F(CompanyRecordsTest, OperatorListOfTheGroup)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO LEVELNAME (LEVELNO, NAME) VALUES (3, '入力担当')"));
    const char *rows[] = {
        "10000, 5, 'システム用', 9, 0",   // below 10: never listed
        "10000, 12, '佐藤', 3, 1",
        "10000, 11, '鈴木', 4, 0",        // job level without a name: left out by the join
        "20000, 13, '他グループ', 9, 1",
    };
    for (const char *r : rows)
        exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL, SHONIN) VALUES (%1)")
                                           .arg(QString::fromUtf8(r)));

    TUserList list;
    list.GroupId = 10000;
    list.FirstEntryText = QStringLiteral("選択なし");
    list.Execute();
    EXPECT_EQ(list.Lines, QStringList({QStringLiteral("選択なし"), QStringLiteral("10:管理者"), QStringLiteral("12:佐藤")}));
    EXPECT_EQ(list.Count, 3);
    EXPECT_EQ(list.Items[0].OpCode, 0);
    EXPECT_EQ(list.Items[0].JobLevel, 9);
    EXPECT_EQ(list.Items[2].LevelName, QStringLiteral("入力担当"));
    EXPECT_EQ(list.GetOpCode(2), 12);
    EXPECT_EQ(list.GetOpCode(3), 0);
    EXPECT_EQ(list.IndexOf(12), 2);
    EXPECT_EQ(list.IndexOf(11), -1);
    EXPECT_EQ(list.GetText(), QStringLiteral("選択なし\r\n10:管理者\r\n12:佐藤\r\n"));

    list.FirstEntryText.clear();
    list.DisplayFormat = 1;
    list.ShoninOnly = 1;
    list.Execute();
    EXPECT_EQ(list.Lines, QStringList({QStringLiteral("\"12\"\t\"佐藤\"")}));
}

TEST_F(CompanyRecordsTest, OperatorsLoggedOnInTheGroup)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL) VALUES (10000, 12, '佐藤', 9)"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL) VALUES (10000, 13, '鈴木', 9)"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL) VALUES (20000, 13, '他グループ', 9)"));
    const char *logins[] = {
        "100010, 'PC01', 0, 10000, 10", // the caller
        "100012, 'PC02', 0, 10000, 12",
        "100012, 'PC03', 1, 10000, 12", // the same operator at a second workstation
        "100013, 'PC04', 0, 10000, 13",
        "200013, 'PC05', 0, 20000, 13", // another group
        "100099, 'PC06', 0, 10000, 99", // no operator row
    };
    for (const char *l : logins)
        exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO LOGONUSERLIST (OPCODE, PCNAME, APPVERSION, GROUPID, OPERATORCODE) "
                                                      "VALUES (%1)").arg(QLatin1String(l)));

    TLoginUserListOnDef list;
    list.Execute(10000, SystemDef.OpCode, false);
    EXPECT_EQ(list.Lines, QStringList({QStringLiteral("12:佐藤"), QStringLiteral("12:佐藤"), QStringLiteral("13:鈴木")}));
    EXPECT_EQ(list.Count, 3);
    EXPECT_EQ(list.Items[0].PcName, QStringLiteral("PC02"));
    EXPECT_EQ(list.Items[1].PcName, QStringLiteral("PC03"));
    EXPECT_EQ(list.GetOpCode(2), 13);
    EXPECT_EQ(list.GetOpName(2), QStringLiteral("鈴木"));
    EXPECT_EQ(list.GetOpCode(3), 0);
    EXPECT_TRUE(list.GetOpName(-1).isEmpty());
    EXPECT_EQ(list.OpCode, 100010);
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction());

    list.Execute(10000, SystemDef.OpCode, true);
    EXPECT_EQ(list.Count, 4);
    EXPECT_EQ(list.Lines.first(), QStringLiteral("10:管理者"));

    // A failure is reported and passed on; the list is left empty.
    dm->IBDatabaseDEF.close();
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_THROW(list.Execute(10000, SystemDef.OpCode, false), FbError);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("ログインユーザーリストの取得に失敗しました。")));
    EXPECT_EQ(list.Count, 0);
}

namespace {

void writeDefinition(const QString &path, const QStringList &lines)
{
    testenv::writeFile(path, platform::toCp932(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

} // namespace

TEST_F(CompanyRecordsTest, CodeSystemsTakeTheirDefinitionFiles)
{
    const TAppInfoRec saved = AppInfo;
    AppInfo.Application.OEM = QStringLiteral("Corvena");
    AppInfo.Application.ZeqAlias = QStringLiteral("Z");
    AppInfo.Rirev.AppTitle = QStringLiteral("Novaris財務");
    auto column = [&](int recNo, const char *name) {
        return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT %1 FROM USERCODE WHERE RECNO=%2").arg(QLatin1String(name)).arg(recNo));
    };

    // Stored code systems of kind 1/1 take the kinds their definition names.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE USERCODE SET NAME='医療', DATATYPE=1, CODETYPE=1, "
                                                  "INIDAT1='1,医療,3,1,,CorvenaZ' || ASCII_CHAR(13) || ASCII_CHAR(10) WHERE RECNO=1"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE USERCODE SET NAME='法人', DATATYPE=1, CODETYPE=1, INIDAT1='1,法人,1,2' WHERE RECNO=2"));
    TCodeTaikeiIO io;
    EXPECT_EQ(io.Version, QStringLiteral("1.0"));
    EXPECT_EQ(column(1, "DATATYPE || ',' || CODETYPE"), QStringLiteral("3,1"));
    EXPECT_EQ(column(2, "DATATYPE || ',' || CODETYPE"), QStringLiteral("1,1"));

    // Every line goes into the text of its kind, in file order.
    const QString file = testenv::freshDir(QStringLiteral("codes")) + QStringLiteral("/medical.txt");
    writeDefinition(file, {QStringLiteral("1,医療標準,3,1,v,CorvenaZ"), QStringLiteral("2,1101,現金"), QStringLiteral("22,1102,預金"),
                           QStringLiteral("3,a"), QStringLiteral("9,ignored"), QStringLiteral("31,b"), QStringLiteral("5,e"),
                           QStringLiteral("71,c"), QStringLiteral("8,h")});
    ASSERT_TRUE(io.LoadFromFile(file, 5));
    EXPECT_EQ(column(5, "NAME || ',' || DATATYPE || ',' || CODETYPE"), QStringLiteral("医療標準,3,1"));
    EXPECT_EQ(column(5, "INIDAT1"), QStringLiteral("1,医療標準,3,1,v,CorvenaZ\r\n"));
    EXPECT_EQ(column(5, "INIDAT2"), QStringLiteral("2,1101,現金\r\n22,1102,預金\r\n"));
    EXPECT_EQ(column(5, "INIDAT3"), QStringLiteral("3,a\r\n31,b\r\n"));
    EXPECT_EQ(column(5, "INIDAT4"), QString());
    EXPECT_EQ(column(5, "INIDAT5"), QStringLiteral("5,e\r\n"));
    EXPECT_EQ(column(5, "INIDAT7"), QStringLiteral("71,c\r\n"));
    EXPECT_EQ(column(5, "INIDAT8"), QStringLiteral("8,h\r\n"));
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction());

    // Another product's definitions are refused with a box and change nothing.
    ScriptedMessages boxes;
    const QString refusal = QStringLiteral("このプログラムでは、該当のデータ（製品区分）を処理することが出来ません。Novaris財務"
                                           "以外で作成されたデータの可能性があります。");
    struct Case { const char *line; quint8 edition; bool accepted; };
    const Case cases[] = {
        {"1,他社,1,1,v", 0, false},           // no product kind: "-"
        {"1,他社,1,1,v,OtherZ", 0, false},
        {"1,自社,1,1,v,", 0, true},           // empty product kind, standard edition
        {"1,自社,1,1,v,", 1, false},          // ... federation edition
        {"1,自社,1,1,v,CorvenaZ", 1, true},
    };
    for (const Case &c : cases) {
        Edition = c.edition;
        exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE USERCODE SET NAME='' WHERE RECNO=6"));
        writeDefinition(file, {QString::fromUtf8(c.line), QStringLiteral("2,1101,現金")});
        if (!c.accepted) boxes.answer(mrOk);
        EXPECT_EQ(io.LoadFromFile(file, 6), c.accepted) << c.line;
        EXPECT_EQ(column(6, "NAME").isEmpty(), !c.accepted) << c.line;
        if (!c.accepted) {
            EXPECT_EQ(boxes.shown.last().text, refusal) << c.line;
        }
    }
    Edition = 0;
    EXPECT_TRUE(boxes.allAnswered());

    // Nothing to write without a name or kinds; a slot that does not exist, a
    // file that cannot be read: failures, each with its box.
    TCodeTaikeiRec2 rec;
    rec.RecNo = 7;
    rec.DataType = rec.CodeType = 1;
    EXPECT_FALSE(io.UpDateRecored(rec));
    rec.Name = QStringLiteral("x");
    rec.RecNo = 99;
    boxes.answer(mrOk);
    EXPECT_FALSE(io.UpDateRecored(rec));
    EXPECT_TRUE(boxes.shown.last().text.startsWith(QStringLiteral("コード体系の更新に失敗しました。")));
    boxes.answer(mrOk);
    EXPECT_FALSE(io.LoadFromFile(file + QStringLiteral(".missing"), 6));
    EXPECT_TRUE(boxes.allAnswered());
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction());
    AppInfo = saved;
}
