// What the company file steps 3.0.4 to 9.0.5 do to the database from inside
// the program, on a company database of this program: the pre-steps' tests
// and changes (triggers, account layout, converted balances, the data
// password, tax code 116) and the post-steps' rows (seed rows, job control,
// budget rounding, print switches, journal numbers).
#include "dbupdate/CompanyStepDb.h"

#include "core/EasyEncode.h"
#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateFiles.h"

using namespace stepdb;

namespace {

class UserDbUpdateFileStepsDbTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SystemDef.DataDir = root.companyDir;
        SystemDef.HostName.clear();
        AccInf = TACCINF();
    }
    void TearDown() override
    {
        SetIsqlToolPath(QString());
        SetDbUpdateStepMessage(QString());
        DbFixture::TearDown();
    }

    Db db() { return Db(root.companyDir); }
    Rows rows(const QString &sql)
    {
        Db d(root.companyDir);
        return d.rows(sql);
    }
    QString value(const QString &sql) { return rows(sql).value(0).value(0); }
    // Statements with PSQL variables (":I") go to the engine as they are.
    void run(const QStringList &statements)
    {
        Db d(root.companyDir);
        for (const QString &sql : statements) {
            TransactionGuard g(d.tr);
            FbQuery q(&d.db, &d.tr);
            q.ParamCheck = false;
            q.setSql(sql);
            q.execSQL();
            g.commit();
        }
    }

    // The pre-step and post-step frame: the company database connected for the work alone.
    template <typename F>
    void pre(F work)
    {
        RunPreStep(TDbUpdateTarget::Company, [&work](FbQuery &q) { work(q); });
    }
    template <typename F>
    int post(F work)
    {
        return RunPostStep(TDbUpdateTarget::Company, [&work](FbQuery &q) { work(q); });
    }

    QString password(const QString &key)
    {
        return value(QStringLiteral("SELECT COALESCE(ATEXT, '<none>') FROM RDB$DATABASE LEFT JOIN ACCREG "
                                    "ON AGROUP = '基本設定' AND ACODE = '%1'")
                         .arg(key));
    }
    int accounts() { return value(QStringLiteral("SELECT COUNT(*) FROM KAMOKUMST")).toInt(); }
    void addAccounts(int n)
    {
        run({QStringLiteral("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < %1) DO BEGIN "
                            "INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM0, GROUPM1, KNAME, BPFLG) "
                            "VALUES ('Z' || LPAD(:I, 4, '0'), 'Z' || LPAD(:I, 4, '0'), '9000', '9000', 'x', 'B'); "
                            "I = I + 1; END END")
                 .arg(n)});
    }
};

} // namespace

TEST_F(UserDbUpdateFileStepsDbTest, TriggerTestsOf304And307)
{
    bool exists = true;
    pre([&](FbQuery &q) { exists = UserDbTriggerExists(q, QStringLiteral("KAMOKUMST_AFTER_UPDATE2")); });
    EXPECT_FALSE(exists);
    run({QStringLiteral("CREATE TRIGGER KAMOKUMST_AFTER_UPDATE2 FOR KAMOKUMST ACTIVE AFTER UPDATE POSITION 2 AS BEGIN END")});
    pre([&](FbQuery &q) { exists = UserDbTriggerExists(q, QStringLiteral("KAMOKUMST_AFTER_UPDATE2")); });
    EXPECT_TRUE(exists);

    // 3.0.7 creates the empty delete trigger of the balances once.
    pre([](FbQuery &q) { UserDbUpdate307PreStep(q); });
    pre([](FbQuery &q) { UserDbUpdate307PreStep(q); });
    EXPECT_EQ(rows(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME), RDB$TRIGGER_TYPE, RDB$TRIGGER_SEQUENCE, RDB$TRIGGER_INACTIVE "
                                  "FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'KAMOKUSZ_AFTER_DELETE2'")),
              Rows({{QStringLiteral("KAMOKU_SZ"), QStringLiteral("6"), QStringLiteral("0"), QStringLiteral("0")}}));
}

TEST_F(UserDbUpdateFileStepsDbTest, Step306AccountLayoutAndSubAccountSwitchOfMedicalData)
{
    TUserFileStepFacts general;
    general.DataType = 1;
    int layout = -1;
    const QString before = value(QStringLiteral("SELECT LIST(KCODE || '=' || COALESCE(HOJOSW, ''), ',') FROM KAMOKUMST"));
    pre([&](FbQuery &q) { layout = UserDbUpdate306PreStep(q, general); });
    EXPECT_EQ(layout, 0);
    EXPECT_EQ(value(QStringLiteral("SELECT LIST(KCODE || '=' || COALESCE(HOJOSW, ''), ',') FROM KAMOKUMST")), before);

    TUserFileStepFacts medical;
    medical.Medical = true;
    medical.DataType = 3;
    medical.CodeType = 1;
    const int have = accounts();
    ASSERT_LT(have, 377);
    struct Case {
        int count, layout;
    };
    for (const Case c : {Case{400, 0}, Case{377, 1}, Case{567, 2}}) {
        run({QStringLiteral("DELETE FROM KAMOKUMST WHERE KCODE STARTING WITH 'Z'")});
        addAccounts(c.count - have);
        ASSERT_EQ(accounts(), c.count);
        pre([&](FbQuery &q) { layout = UserDbUpdate306PreStep(q, medical); });
        EXPECT_EQ(layout, c.layout) << c.count;
    }
    // The two tax accounts and the suspense account lose their sub-accounts' switch.
    EXPECT_EQ(rows(QStringLiteral("SELECT KCODE, HOJOSW FROM KAMOKUMST WHERE HOJOSW = '×' ORDER BY KCODE")),
              Rows({{QStringLiteral("1307"), QStringLiteral("×")}, {QStringLiteral("2112"), QStringLiteral("×")},
                    {QStringLiteral("9901"), QStringLiteral("×")}}));
}

TEST_F(UserDbUpdateFileStepsDbTest, Step306WritesTheOpeningBalancesOfConvertedData)
{
    run({QStringLiteral("DELETE FROM KAMOKU_SZ"),
         QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES (' ', '1101', ' ', ' ', 1234.5)"),
         QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES (' ', '2112', ' ', ' ', -20.4)")});
    // A profit-and-loss account with an opening balance, before the balance-sheet accounts.
    run({QStringLiteral("UPDATE KAMOKUMST SET BPFLG = 'P', GROUPM0 = '0100' WHERE KCODE = '2112'")});
    const auto reset = [this] {
        run({QStringLiteral("DELETE FROM KAMOKU_PZ"),
             QStringLiteral("EXECUTE BLOCK AS DECLARE M INTEGER = -1; BEGIN WHILE (M < 16) DO BEGIN "
                            "INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU) "
                            "SELECT SCODE, KCODE, HCODE, BCODE, :M, 7, 7 FROM KAMOKU_SZ; M = M + 1; END END")});
    };
    TUserFileStepFacts f;
    f.DataType = 1;
    AccInf.CONVERT = 1;

    // Starting with the fourth month: the balances go to period 4 (after the first quarterly closing).
    reset();
    AccInf.KAISINO = 4;
    pre([&](FbQuery &q) { UserDbUpdate306PreStep(q, f); });
    EXPECT_EQ(rows(QStringLiteral("SELECT KCODE, MNUM, NUKIZAN, ZEIGAKU FROM KAMOKU_PZ WHERE ZEIGAKU = 0 ORDER BY KCODE")),
              Rows({{"1101", "4", "1235", "0"}, {"2112", "4", "-20", "0"}}));

    // Starting with the seventh month: period 8.
    reset();
    AccInf.KAISINO = 7;
    pre([&](FbQuery &q) { UserDbUpdate306PreStep(q, f); });
    EXPECT_EQ(rows(QStringLiteral("SELECT KCODE, MNUM FROM KAMOKU_PZ WHERE ZEIGAKU = 0 ORDER BY KCODE")),
              Rows({{"1101", "8"}, {"2112", "8"}}));

    // Starting with the first month: the walk ends at the first profit-and-loss row.
    reset();
    AccInf.KAISINO = 1;
    pre([&](FbQuery &q) { UserDbUpdate306PreStep(q, f); });
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM KAMOKU_PZ WHERE ZEIGAKU = 0")), QStringLiteral("0"));

    // Not converted: nothing is written.
    reset();
    AccInf.CONVERT = 0;
    AccInf.KAISINO = 4;
    pre([&](FbQuery &q) { UserDbUpdate306PreStep(q, f); });
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM KAMOKU_PZ WHERE ZEIGAKU = 0")), QStringLiteral("0"));
}

TEST_F(UserDbUpdateFileStepsDbTest, Step700MovesTheDataPasswordToItsScrambledSetting)
{
    struct Case {
        QString stored;   // the old setting; <none> for no row
        QString expected; // the plain text of the new setting, <none> for no row
    };
    const Case cases[] = {
        {QStringLiteral("<none>"), QStringLiteral("<none>")},
        {QString(), QStringLiteral("<none>")},
        {QStringLiteral("　 "), QStringLiteral("<none>")},
        {QStringLiteral("abc123"), QStringLiteral("abc123")},
        {QStringLiteral(" Pass9　"), QStringLiteral("Pass9")},
    };
    for (const Case &c : cases) {
        run({QStringLiteral("DELETE FROM ACCREG WHERE AGROUP = '基本設定' AND ACODE STARTING WITH 'データパスワード'")});
        if (c.stored != u"<none>")
            run({QStringLiteral("INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', 'データパスワード', '文字', '%1')")
                     .arg(c.stored)});
        bool ok = false;
        pre([&](FbQuery &q) { ok = UserDbUpdate700PreStep(q); });
        EXPECT_TRUE(ok) << c.stored.toStdString();
        EXPECT_EQ(password(QStringLiteral("データパスワード")), QStringLiteral("<none>")) << c.stored.toStdString();
        const QString scrambled = password(QStringLiteral("データパスワードV2"));
        if (c.expected == u"<none>") {
            EXPECT_EQ(scrambled, QStringLiteral("<none>")) << c.stored.toStdString();
            continue;
        }
        EXPECT_NE(scrambled, c.expected);
        TEasyEncodeInfo info;
        info.Key = EasyEncodeCompanyKey;
        ClearEasyEncodeInfo(info);
        info.EncodeLength = 8;
        info.PlainLength = 8;
        info.EncodeText = scrambled;
        ASSERT_TRUE(EasyDecode(info));
        EXPECT_EQ(info.PlainText, c.expected);
    }
}

TEST_F(UserDbUpdateFileStepsDbTest, Step700KeepsAPasswordTheScrambleWouldCutAndFailsWithAMessage)
{
    for (const QString &bad : {QStringLiteral("ab-12"), QStringLiteral("パス1"), QStringLiteral("a b")}) {
        run({QStringLiteral("DELETE FROM ACCREG WHERE AGROUP = '基本設定' AND ACODE STARTING WITH 'データパスワード'"),
             QStringLiteral("INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', 'データパスワード', '文字', '%1')").arg(bad)});
        bool ok = true;
        pre([&](FbQuery &q) { ok = UserDbUpdate700PreStep(q); });
        EXPECT_FALSE(ok) << bad.toStdString();
        EXPECT_EQ(password(QStringLiteral("データパスワード")), bad);
        EXPECT_EQ(password(QStringLiteral("データパスワードV2")), QStringLiteral("<none>"));
    }
    // The step ends with 19 before it writes a script or starts the tool.
    const QString version = value(QStringLiteral("SELECT MAJOR || '.' || MINOR1 || '.' || MINOR2 FROM ACCVERSION"));
    SetIsqlToolPath(QStringLiteral("/nonexistent/isql"));
    SystemDef.SqlDir = testenv::freshDir(QStringLiteral("nosql"));
    SetDbUpdateStepMessage(QString());
    EXPECT_EQ(UserDbUpdate700(), DbUpdatePostStepError);
    EXPECT_EQ(DbUpdateStepMessage(), DataPasswordNotScramblableMessage());
    EXPECT_TRUE(DbUpdateStepMessage().contains(QStringLiteral("英数字")));
    EXPECT_EQ(password(QStringLiteral("データパスワード")), QStringLiteral("a b"));
    EXPECT_EQ(value(QStringLiteral("SELECT MAJOR || '.' || MINOR1 || '.' || MINOR2 FROM ACCVERSION")), version);
    EXPECT_FALSE(QFile::exists(SystemDef.WinTempDir + QStringLiteral("/vqzdataup.sql")));
}

TEST_F(UserDbUpdateFileStepsDbTest, Step704LooksForTaxCode116)
{
    bool found = true;
    pre([&](FbQuery &q) { found = UserDbUpdate704PreStep(q); });
    EXPECT_FALSE(found);
    run({QStringLiteral("INSERT INTO TAXMST (TAX_CODE, TAX_NAME) VALUES (116, '特定課税仕入')")});
    pre([&](FbQuery &q) { found = UserDbUpdate704PreStep(q); });
    EXPECT_TRUE(found);
}

namespace {

// The company's job control by menu place, as the old program kept it.
const QStringList kJobControl = {
    QStringLiteral("DROP TABLE JOBCONTROL"),
    QStringLiteral("CREATE TABLE JOBCONTROL (LEVELNO INTEGER NOT NULL, PAGENO INTEGER NOT NULL, MENUNO INTEGER NOT NULL, "
                   "PRIMARY KEY (LEVELNO, PAGENO, MENUNO))"),
};

QStringList jobRows(int level, std::initializer_list<std::pair<int, int>> places)
{
    QStringList out;
    for (const auto &p : places)
        out << QStringLiteral("INSERT INTO JOBCONTROL VALUES (%1, %2, %3)").arg(level).arg(p.first).arg(p.second);
    return out;
}

} // namespace

TEST_F(UserDbUpdateFileStepsDbTest, Step802SeedRowsAndJobControlOfCorporationData)
{
    run(kJobControl);
    run({QStringLiteral("DELETE FROM KAMOKU_KOSEI_GROUP"), QStringLiteral("DELETE FROM VELDA_YOJITU_HYOKARULE"),
         QStringLiteral("DELETE FROM JOBCONTROL2"),
         QStringLiteral("UPDATE KAMOKUMST SET VELDA_YOJITU_RATE1 = NULL, VELDA_YOJITU_KIND1 = 9, VELDA_YOJITU_RATE2 = NULL, "
                        "VELDA_YOJITU_KIND2 = 9"),
         QStringLiteral("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM0, GROUPM1, KNAME, BPFLG) VALUES ('Z7100', 'Z7100', '7100', '7100', 'a', 'P')"),
         QStringLiteral("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM0, GROUPM1, KNAME, BPFLG) VALUES ('Z8200', 'Z8200', '8200', '8200', 'b', 'P')")});
    run(jobRows(200, {{0, 0}, {1, 11}, {2, 0}, {2, 1}, {2, 2}, {2, 17}, {3, 5}, {4, 5}, {4, 19}, {4, 18}, {9, 9}}));
    run(jobRows(1200, {{3, 0}}));
    TUserFileStepFacts f;
    f.DataType = 1;
    f.Edition = 0;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate802PostStep(q, f); }), DbUpdateDone);

    EXPECT_EQ(value(QStringLiteral("SELECT LIST(FGNAME || ':' || FKCODE || ':' || FHCODE, ',') FROM KAMOKU_KOSEI_GROUP")),
              QStringLiteral("法人税等:8301: ,法人税等:8302: ,減価償却費:5606: ,減価償却費:6204: ,短期借入金返済:2103: ,"
                             "長期借入金返済:2202: ,期首期末棚卸:5101: ,期首期末棚卸:5301: ,期首期末棚卸:5401: ,"
                             "期首期末棚卸:5411: ,期首期末棚卸:5701: ,期首期末棚卸:5801: "));
    const Rows rules = rows(QStringLiteral("SELECT * FROM VELDA_YOJITU_HYOKARULE ORDER BY 1"));
    ASSERT_EQ(rules.size(), 12);
    EXPECT_EQ(rules[0], QStringList({"4800", "売上", "0.95", "0", "1.05", "1"}));
    EXPECT_EQ(rules[1], QStringList({"5100", "変動費", "1.05", "1", "0.95", "0"}));
    EXPECT_EQ(rules[11], QStringList({"8290", "税引前当期純利益", "0.95", "0", "1.05", "1"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT KCODE, VELDA_YOJITU_RATE1, VELDA_YOJITU_KIND1, VELDA_YOJITU_RATE2, VELDA_YOJITU_KIND2 "
                                  "FROM KAMOKUMST WHERE KCODE STARTING WITH 'Z' ORDER BY KCODE")),
              Rows({{"Z7100", "0.95", "0", "1.05", "1"}, {"Z8200", "1.05", "1", "0.95", "0"}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT LEVELNO, PROC_ID, PROC_OPTION FROM JOBCONTROL2 ORDER BY PROC_ID")),
              Rows({{"200", "QmKojinKessansyo", ""},
                    {"200", "QmMonitor", ""},
                    {"200", "QmMotocho", "SyoriType=0"},
                    {"200", "QmSikinguri", ""},
                    {"200", "QmSiwake", "SyoriType=0"},
                    {"200", "QmUtiwake06", ""},
                    {"200", "QmUtiwakeAll", ""},
                    {"200", "QmVelda1", ""}}));

    // Run again: a seed row is there already, so the post-step fails.
    EXPECT_EQ(post([&](FbQuery &q) { UserDbUpdate802PostStep(q, f); }), DbUpdatePostStepError);
}

TEST_F(UserDbUpdateFileStepsDbTest, Step802JobControlOfTheFederationEditionAndOfMedicalData)
{
    run(kJobControl);
    run({QStringLiteral("DELETE FROM JOBCONTROL2")});
    run(jobRows(200, {{2, 17}, {2, 19}, {3, 0}}));
    run(jobRows(1200, {{3, 0}, {3, 4}, {2, 18}}));

    TUserFileStepFacts f;
    f.DataType = 2; // no seed rows outside corporation data
    f.Edition = 1;
    const int seeds = value(QStringLiteral("SELECT COUNT(*) FROM VELDA_YOJITU_HYOKARULE")).toInt();
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate802PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM VELDA_YOJITU_HYOKARULE")).toInt(), seeds);
    EXPECT_EQ(value(QStringLiteral("SELECT LIST(PROC_ID, ',') FROM (SELECT PROC_ID FROM JOBCONTROL2 ORDER BY PROC_ID)")),
              QStringLiteral("QmHojinKessansyo,QmKobetuIchiranhyo,QmKobetuMotocho"));

    // Medical data: the rows of level 1200 are read and written at level 200.
    run({QStringLiteral("DELETE FROM JOBCONTROL2")});
    f.DataType = 3;
    f.Edition = 0;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate802PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(rows(QStringLiteral("SELECT LEVELNO, PROC_ID FROM JOBCONTROL2 ORDER BY PROC_ID")),
              Rows({{"200", "QmMBHokukuKansa"}, {"200", "QmMBKessansyo"}}));
}

TEST_F(UserDbUpdateFileStepsDbTest, Step803SeedRowsOfIndividualData)
{
    struct Case {
        int edition, codeType, dataType;
        const char *groups;
    };
    const Case cases[] = {
        {0, 1, 1, ""}, // corporation data: nothing
        {0, 4, 2, "6204,2103,2202,5101,5301,6301,6302"},
        {0, 2, 2, "6202,2103,2202"},
        {1, 2, 2, "68400,31100,37100"},
        {2, 4, 2, "68400,31100,37100,49700,49800,69300,69400"},
        {3, 1, 2, ""},
    };
    for (const Case &c : cases) {
        run({QStringLiteral("DELETE FROM KAMOKU_KOSEI_GROUP"), QStringLiteral("DELETE FROM VELDA_YOJITU_HYOKARULE")});
        TUserFileStepFacts f;
        f.Edition = c.edition;
        f.CodeType = c.codeType;
        f.DataType = c.dataType;
        ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate803PostStep(q, f); }), DbUpdateDone);
        EXPECT_EQ(value(QStringLiteral("SELECT COALESCE(LIST(FKCODE, ','), '') FROM KAMOKU_KOSEI_GROUP")), QString::fromLatin1(c.groups))
            << c.edition << "/" << c.codeType;
        EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM VELDA_YOJITU_HYOKARULE")), c.dataType == 2 ? QStringLiteral("10") : QStringLiteral("0"));
    }
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM VELDA_YOJITU_HYOKARULE WHERE FGCODE = '8400'")),
              Rows({{"8400", "青申特別控除前所得", "0.95", "0", "1.05", "1"}}));
}

TEST_F(UserDbUpdateFileStepsDbTest, Steps902To905AfterTheirScripts)
{
    // 9.0.2: the rating rows of medical kinds only.
    run({QStringLiteral("DELETE FROM VELDA_YOJITU_HYOKARULE")});
    TUserFileStepFacts f;
    f.DataType = 1;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate902PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM VELDA_YOJITU_HYOKARULE")), QStringLiteral("0"));
    f.DataType = 3;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate902PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM VELDA_YOJITU_HYOKARULE")), QStringLiteral("12"));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM VELDA_YOJITU_HYOKARULE WHERE FGCODE IN ('4800', '8280') ORDER BY 1")),
              Rows({{"4800", "事業収益", "0.95", "0", "1.05", "1"}, {"8280", "臨時損失", "1.05", "1", "0.95", "0"}}));

    // 9.0.3: budgets rounded half up to whole yen.
    run({QStringLiteral("DELETE FROM KAMOKU_MS"),
         QStringLiteral("INSERT INTO KAMOKU_MS (SCODE, KCODE, HCODE, BCODE, MNUM, BYOSAN, BYOSAN2, BYOSAN3) "
                        "VALUES (' ', '1101', ' ', ' ', 1, 10.5, -10.5, 3.4999)")});
    ASSERT_EQ(post([](FbQuery &q) { UserDbUpdate903PostStep(q); }), DbUpdateDone);
    EXPECT_EQ(rows(QStringLiteral("SELECT BYOSAN, BYOSAN2, BYOSAN3 FROM KAMOKU_MS")), Rows({{"11", "-10", "3"}}));

    // 9.0.4: the print switches of corporation data from the operator settings, zeros for individual data.
    run({QStringLiteral("INSERT INTO KESSAN (REC, ZEROKAMOKUPRINT, ZEROPRINT, SONSHITUSANKAKU, SOTOWAKUKAHEN, "
                        "FUSAINOBUKAIPAGE, HANBAIHIKUMIIRE, TEGATASOSAI) VALUES (1, 9, 9, 9, 9, 9, 9, 9)")});
    SystemDef.SysDef.ZeroPrint = 2;
    SystemDef.SysDef.SankakuPlus = 1;
    SystemDef.SysDef.Reserve2 = 2;
    SystemDef.SysDef.KessanHanbai = 1;
    SystemDef.SysDef.KessanTegata = 1;
    const QString kessan = QStringLiteral("SELECT ZEROKAMOKUPRINT, ZEROPRINT, SONSHITUSANKAKU, SOTOWAKUKAHEN, FUSAINOBUKAIPAGE, "
                                          "HANBAIHIKUMIIRE, TEGATASOSAI FROM KESSAN");
    f.DataType = 3;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate904PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(rows(kessan), Rows({{"9", "9", "9", "9", "9", "9", "9"}}));
    f.DataType = 1;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate904PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(rows(kessan), Rows({{"1", "0", "1", "1", "0", "1", "1"}}));
    SystemDef.SysDef.ZeroPrint = 1;
    SystemDef.SysDef.Reserve2 = 1;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate904PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(rows(kessan), Rows({{"1", "1", "1", "0", "1", "1", "1"}}));
    f.DataType = 2;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate904PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(rows(kessan), Rows({{"0", "0", "0", "0", "0", "0", "0"}}));

    // 9.0.5: the slip numbers of the journal cleared in the federation editions only.
    // A bare journal row: the total-keeping trigger is switched off for it.
    run({QStringLiteral("ALTER TRIGGER SIWAKE_AFTER_INSERT INACTIVE"), QStringLiteral("DELETE FROM SIWAKE"),
         QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, DNUM) VALUES (1, 1, 5)")});
    f.Edition = 0;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate905PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(value(QStringLiteral("SELECT DNUM FROM SIWAKE")), QStringLiteral("5"));
    f.Edition = 2;
    ASSERT_EQ(post([&](FbQuery &q) { UserDbUpdate905PostStep(q, f); }), DbUpdateDone);
    EXPECT_EQ(value(QStringLiteral("SELECT DNUM FROM SIWAKE")), QStringLiteral("0"));
}
