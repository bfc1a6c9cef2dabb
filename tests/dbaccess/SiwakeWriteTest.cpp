#include "dbaccess/AccInfo.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbaccess/z5SiwakeIO.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <functional>

namespace {

Currency yen(qint64 units) { return Currency::fromUnits(units); }

class SiwakeWriteTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 100010;
        SystemDef.OpLevel = 1;
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        ASSERT_TRUE(dm->fnGetAccInfo());
        writer = std::make_unique<TSiwakeWrite>();
        writer->SetTransaction(&dm->IBTransactionDAT);
    }
    void TearDown() override
    {
        writer.reset();
        DbFixture::TearDown();
    }

    // 通信費 paid in cash: debit 6208 (tax-paid purchase 511), credit 1101.
    TSWKREC entry(const QDate &date, qint64 amount)
    {
        TSWKREC rec;
        writer->InitSiwakeRec(rec, 0, date);
        rec.SCODE = QStringLiteral(" ");
        rec.L.KCODE = QStringLiteral("6208");
        rec.L.TAXCODE = 511;
        rec.R.KCODE = QStringLiteral("1101");
        rec.R.TAXCODE = 810;
        rec.KINGAKU = yen(amount);
        rec.L.NUK = yen(amount);
        rec.R.NUK = yen(amount);
        rec.TEKTEXT = QStringLiteral("電話代");
        return rec;
    }

    // Validates and writes an entry in a transaction of its own.
    int put(TSWKREC &rec)
    {
        int error = 0;
        QString message;
        writer->OwnTransaction = 1;
        EXPECT_TRUE(writer->TestSiwake(rec, error, message)) << error << " " << message.toStdString();
        writer->OwnTransaction = 1;
        return writer->PutSiwake(rec);
    }

    // The period total of an account's own row of the whole company.
    QString debitTotal(const char *kcode, int mnum)
    {
        return scalar(QStringLiteral("ACCDAT"),
                      QStringLiteral("SELECT CAST(KAR_NUK AS INTEGER) FROM KAMOKU_MS WHERE SCODE=' ' AND KCODE='%1' "
                                     "AND HCODE=' ' AND BCODE=' ' AND MNUM=%2")
                          .arg(QLatin1String(kcode))
                          .arg(mnum));
    }
    QString creditTotal(const char *kcode, int mnum)
    {
        return scalar(QStringLiteral("ACCDAT"),
                      QStringLiteral("SELECT CAST(KAS_NUK AS INTEGER) FROM KAMOKU_MS WHERE SCODE=' ' AND KCODE='%1' "
                                     "AND HCODE=' ' AND BCODE=' ' AND MNUM=%2")
                          .arg(QLatin1String(kcode))
                          .arg(mnum));
    }
    QString entryCount() { return scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE=' '")); }
    QString rows(const QString &where)
    {
        return scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM SIWAKE WHERE ") + where);
    }
    QStringList logLines()
    {
        QFile f(SystemDef.LogDir + QStringLiteral("/ErrFbAccess.log"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    std::unique_ptr<TSiwakeWrite> writer;
};

} // namespace

TEST_F(SiwakeWriteTest, NewEntryCarriesTheDefaults)
{
    TSWKREC rec;
    rec.COMMENT = QStringLiteral("old");
    writer->InitSiwakeRec(rec, 1, QDate(2024, 6, 30));
    EXPECT_EQ(rec.L.TAXCODE, 910);
    EXPECT_EQ(rec.R.TAXCODE, 910);
    EXPECT_EQ(rec.KESSAN, 1);
    EXPECT_EQ(rec.TAISHAKU, 1);
    EXPECT_EQ(rec.REC, 0);
    EXPECT_EQ(rec.OPCODE, 100010);
    EXPECT_EQ(rec.Terminal, QStringLiteral("PC01"));
    EXPECT_TRUE(rec.COMMENT.isEmpty());
    EXPECT_TRUE(rec.RTIME.isValid());
    // The rate number in force at the date: standard (8 %), 5 % and 3 %.
    struct Case { QDate date; int rate; };
    for (const Case &c : {Case{QDate(2024, 6, 30), 0}, Case{QDate(2000, 1, 1), 2}, Case{QDate(1990, 1, 1), 1}}) {
        writer->InitSiwakeRec(rec, 0, c.date);
        EXPECT_EQ(rec.OLDRATE, c.rate) << c.date.toString().toStdString();
    }
}

TEST_F(SiwakeWriteTest, InsertChangeDeleteAndUndeleteMoveTheTotals)
{
    TSWKREC rec = entry(QDate(2024, 5, 10), 1080);
    ASSERT_EQ(put(rec), 1);
    EXPECT_EQ(rec.REC, 1);
    EXPECT_EQ(rec.SWKREC, 1);
    EXPECT_EQ(rec.SWKNO, 1);
    EXPECT_EQ(rec.SDAYNUM, 1);
    EXPECT_GT(rec.SITREC, 0);
    EXPECT_EQ(rec.MNUM, 2); // May of a year from April
    EXPECT_EQ(debitTotal("6208", 2), QStringLiteral("1080"));
    EXPECT_EQ(creditTotal("1101", 2), QStringLiteral("1080"));
    EXPECT_EQ(entryCount(), QStringLiteral("1"));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());

    // Read back with the accounts' user codes and the names the check filled in.
    TSWKREC read;
    writer->GetSiwake(read, 1, false);
    EXPECT_EQ(read.SWKREC, 1);
    EXPECT_EQ(read.L.KCODE, QStringLiteral("6208"));
    EXPECT_EQ(read.L.KNAME, QStringLiteral("通信費"));
    EXPECT_EQ(read.R.KCODE, QStringLiteral("1101"));
    EXPECT_EQ(read.R.KNAME, QStringLiteral("現金"));
    EXPECT_EQ(read.KINGAKU, yen(1080));
    EXPECT_EQ(read.TEKTEXT, QStringLiteral("電話代"));
    EXPECT_EQ(read.HIZUKE, QDate(2024, 5, 10));
    TSWKREC viewed;
    writer->GetSiwake(viewed, 1, true);
    EXPECT_EQ(viewed.R.KCODE, QStringLiteral("1101"));
    EXPECT_EQ(viewed.L.HCODE, QStringLiteral(" "));

    // A second entry of the day takes the next day sequence.
    TSWKREC second = entry(QDate(2024, 5, 10), 500);
    ASSERT_EQ(put(second), 3);
    EXPECT_EQ(second.SDAYNUM, 2);

    // A comment only: the entry keeps its numbers and the totals stay.
    read.COMMENT = QStringLiteral("確認済み");
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->PutSiwake(read), 0);
    EXPECT_EQ(read.REC, 1);
    EXPECT_EQ(read.SWKREC, 1);
    EXPECT_EQ(read.SDAYNUM, 1);
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COMMENT FROM SIWAKE WHERE REC=2")), QStringLiteral("確認済み"));
    EXPECT_EQ(debitTotal("6208", 2), QStringLiteral("1580"));

    // A new amount replaces the entry under a new entry number.
    read.KINGAKU = read.L.NUK = read.R.NUK = yen(2160);
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->PutSiwake(read), 0);
    EXPECT_EQ(read.REC, 5);
    EXPECT_EQ(read.SWKREC, 3);
    EXPECT_EQ(read.SWKNO, 1);
    EXPECT_EQ(read.SDAYNUM, 1);
    EXPECT_EQ(rows(QStringLiteral("SWKREC=1 AND DELFLG=2")), QStringLiteral("2"));
    EXPECT_EQ(debitTotal("6208", 2), QStringLiteral("2660"));
    EXPECT_EQ(creditTotal("1101", 2), QStringLiteral("2660"));
    EXPECT_EQ(entryCount(), QStringLiteral("2"));

    // The old state once more: the procedure names the live row.
    TSWKREC stale = read;
    stale.REC = 1;
    stale.SWKREC = 1;
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->PutSiwake(stale), -2);
    EXPECT_EQ(stale.REC, 5);

    // Delete, then a change of the deleted entry is refused.
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->DeleteSiwake(3), 1);
    EXPECT_EQ(rows(QStringLiteral("SWKREC=3 AND DELFLG=1")), QStringLiteral("2"));
    EXPECT_EQ(debitTotal("6208", 2), QStringLiteral("500"));
    EXPECT_EQ(entryCount(), QStringLiteral("1"));
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->PutSiwake(read), -1);

    // Undelete: the next day sequence after the live entry of the date.
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->RestoreSiwake(3), 1);
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT SDAYNUM FROM SIWAKE WHERE REC=5")), QStringLiteral("3"));
    EXPECT_EQ(debitTotal("6208", 2), QStringLiteral("2660"));
    EXPECT_EQ(entryCount(), QStringLiteral("2"));

    // The entry replaced by the change stays replaced: undoing it would count it twice.
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->RestoreSiwake(1), 1);
    EXPECT_EQ(rows(QStringLiteral("SWKREC=1 AND DELFLG=2")), QStringLiteral("2"));
    EXPECT_EQ(debitTotal("6208", 2), QStringLiteral("2660"));

    // Alone on its date, an undeleted entry gets day sequence 0.
    TSWKREC lone = entry(QDate(2024, 7, 1), 300);
    ASSERT_EQ(put(lone), 7);
    writer->OwnTransaction = 1;
    writer->DeleteSiwake(lone.SWKREC);
    writer->OwnTransaction = 1;
    writer->RestoreSiwake(lone.SWKREC);
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT SDAYNUM FROM SIWAKE WHERE REC=7")), QStringLiteral("0"));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());
}

TEST_F(SiwakeWriteTest, OlderDataVersionsAskForNoSiteRecord)
{
    AccInf.MAJOR = 6;
    AccInf.MINOR1 = 0;
    TSWKREC rec = entry(QDate(2024, 5, 10), 100);
    ASSERT_EQ(put(rec), 1);
    EXPECT_EQ(rec.SITREC, 0);
    AccInf.MINOR1 = 1;
    TSWKREC next = entry(QDate(2024, 5, 10), 100);
    ASSERT_EQ(put(next), 3);
    EXPECT_GT(next.SITREC, 0);
}

TEST_F(SiwakeWriteTest, WorksInsideTheCallersTransaction)
{
    TSWKREC rec = entry(QDate(2024, 5, 10), 100);
    {
        TransactionGuard g(dm->IBTransactionDAT);
        int error = 0;
        QString message;
        ASSERT_TRUE(writer->TestSiwake(rec, error, message));
        ASSERT_EQ(writer->PutSiwake(rec), 1);
        EXPECT_TRUE(dm->IBTransactionDAT.inTransaction()); // the writer ends nothing it did not start
    } // rolled back
    EXPECT_EQ(rows(QStringLiteral("1=1")), QStringLiteral("0"));
    EXPECT_EQ(entryCount(), QStringLiteral("0"));
}

TEST_F(SiwakeWriteTest, ValidationFailuresGiveTheirCodeAndMessage)
{
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業部')"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME) VALUES ('1103', '01', 'みずほ銀行')"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '1103', '01', ' ')"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '6102', ' ', '01')"));
    ASSERT_TRUE(dm->fnGetAccInfo());

    struct Case {
        const char *name;
        std::function<void(TSWKREC &)> change;
        int error;
        QString message;
        quint8 wording = 0;
    };
    const Case cases[] = {
        {"day after the year end", [](TSWKREC &r) { r.HIZUKE = QDate(2025, 4, 1); }, 1,
         QStringLiteral("日付が会計期間外または、決算区分の指定が不正です。")},
        {"day after the year end, import wording", [](TSWKREC &r) { r.HIZUKE = QDate(2025, 4, 1); }, 1,
         QStringLiteral("日付が会計期間外または、決算区分の設定が不正です。"), 1},
        {"before the start of entry", [](TSWKREC &r) { AccInf.KAISI = QDate(2024, 6, 1); r.HIZUKE = QDate(2024, 5, 31); }, 1,
         QStringLiteral("日付が会計期間外または、決算区分の指定が不正です。")},
        {"audited entry", [](TSWKREC &r) { AccInf.KANSA_LOCK = 1; r.CTIME = QDateTime(QDate(2024, 6, 1), QTime(9, 0)); }, 2,
         QStringLiteral("監査済みの仕訳は訂正できません。")},
        {"audited date",
         [](TSWKREC &r) {
             AccInf.KANSA_LOCK = 1;
             AccInf.KANSA_DATE = AccInf.KANSA_FIXDATE = QDateTime(QDate(2024, 5, 31), QTime(0, 0));
             r.HIZUKE = QDate(2024, 5, 31);
         },
         3, QStringLiteral("日付に監査済みの日付が設定されました。"), 1},
        {"approved entry", [](TSWKREC &r) { r.SHONIN_HIZUKE = QDateTime(QDate(2024, 6, 1), QTime(9, 0)); }, 40,
         QStringLiteral("承認済みの仕訳は訂正できません。")},
        {"unknown cost code",
         [](TSWKREC &r) {
             AccInf.KobetuGenkaUse = 1;
             AccInf.KobetuGenkaDigits = 2;
             AccInf.KobetuGenkaName = QStringLiteral("工事");
             r.SNUM = 8;
         },
         4, QStringLiteral("工事コードが見つかりません。")},
        {"no branch", [](TSWKREC &r) { AccInf.SITEN = 1; r.SCODE = QStringLiteral(" "); }, 5,
         QStringLiteral("本・支店コードが不正です。データを選択し直してください。")},
        {"no facility",
         [](TSWKREC &r) {
             AccInf.SITEN = 1;
             AccInf.DATATYPE = 3;
             r.SCODE = QString();
         },
         5, QStringLiteral("施設コードが不正です。"), 1},
        {"unknown debit account", [](TSWKREC &r) { r.L.KCODE = QStringLiteral("9999"); }, 11,
         QStringLiteral("借方の科目コードが見つかりません。")},
        {"debit sub-account needed", [](TSWKREC &r) { r.L.KCODE = QStringLiteral("1103"); r.L.TAXCODE = 810; }, 11,
         QStringLiteral("借方の補助コードを入力してください。")},
        {"debit department needed", [](TSWKREC &r) { r.L.KCODE = QStringLiteral("6102"); r.L.TAXCODE = 810; }, 11,
         QStringLiteral("借方の部門コードの設定が不正です。"), 1},
        {"unknown debit tax code", [](TSWKREC &r) { r.L.TAXCODE = 999; }, 12,
         QStringLiteral("借方の消費税コードを確認してください。")},
        {"tax-paid code on an expense", [](TSWKREC &r) { r.L.TAXCODE = 712; }, 13,
         QStringLiteral("税コードが[700番台]は、科目に仮払消費税を使用してください。")},
        {"counter code of the tax-paid account",
         [](TSWKREC &r) {
             r.L.KCODE = QStringLiteral("1307");
             r.L.TAXCODE = 711;
             r.R.TAXCODE = 511;
         },
         14, QStringLiteral("仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。")},
        {"taxed sundry account", [](TSWKREC &r) { r.L.KCODE = QStringLiteral("9901"); }, 15,
         QStringLiteral("諸口の消費税コードは、[810,910]を使用してください。")},
        {"specified purchase at 5 %", [](TSWKREC &r) { r.L.TAXCODE = 551; r.ZEIRITUNO = 2; }, 16,
         QStringLiteral("特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では税率[5%]は使用できません。")},
        {"unknown credit account", [](TSWKREC &r) { r.R.KCODE = QStringLiteral("0000"); }, 21,
         QStringLiteral("貸方の科目コードが見つかりません。")},
        {"credit sub-account needed", [](TSWKREC &r) { r.R.KCODE = QStringLiteral("1103"); }, 21,
         QStringLiteral("貸方の補助コードの設定が不正です。"), 1},
        {"unknown credit tax code", [](TSWKREC &r) { r.R.TAXCODE = 100; }, 22,
         QStringLiteral("貸方の消費税コードを確認してください。")},
        {"tax-received code on cash", [](TSWKREC &r) { r.R.TAXCODE = 610; }, 23,
         QStringLiteral("税コードが[600番台]は、科目に仮受消費税を使用してください。")},
        {"zero amount", [](TSWKREC &r) { r.KINGAKU = Currency(); }, 31, QStringLiteral("金額を入力してください。")},
        {"less than one yen", [](TSWKREC &r) { r.KINGAKU = Currency::fromRaw(9999); }, 31,
         QStringLiteral("金額の設定が不正です。（０円 または null）"), 1},
        {"negative amount", [](TSWKREC &r) { r.KINGAKU = yen(-5); }, 31, QStringLiteral("マイナス金額は入力できません。")},
        {"eleven digits", [](TSWKREC &r) { r.KINGAKU = yen(10000000000LL); }, 31,
         QStringLiteral("金額の設定が不正です。（桁数オーバー）"), 1},
    };
    const TACCINF company = AccInf;
    for (const Case &c : cases) {
        AccInf = company;
        TSWKREC rec = entry(QDate(2024, 5, 10), 1000);
        c.change(rec);
        writer->MsgType = c.wording;
        writer->OwnTransaction = 1;
        int error = -1;
        QString message;
        EXPECT_FALSE(writer->TestSiwake(rec, error, message)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(message, c.message) << c.name;
        EXPECT_FALSE(dm->IBTransactionDAT.inTransaction()) << c.name;
    }
    // Nothing reached the journal or its totals.
    EXPECT_EQ(rows(QStringLiteral("1=1")), QStringLiteral("0"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM KAMOKU_MS WHERE KAR_NUK<>0 OR KAS_NUK<>0")),
              QStringLiteral("0"));
}

TEST_F(SiwakeWriteTest, ValidationFillsInWhatFollowsFromTheMasters)
{
    struct Case { const char *name; std::function<void(TSWKREC &)> change; };
    const Case passing[] = {
        {"one yen", [](TSWKREC &r) { r.KINGAKU = yen(1); }},
        {"ten digits", [](TSWKREC &r) { r.KINGAKU = yen(9999999999LL); }},
        {"level 9 changes audited entries",
         [](TSWKREC &r) {
             AccInf.KANSA_LOCK = 1;
             SystemDef.OpLevel = 9;
             r.CTIME = QDateTime(QDate(2024, 6, 1), QTime(9, 0));
         }},
        {"cost code padded to five digits",
         [this](TSWKREC &r) {
             AccInf.KobetuGenkaUse = 1;
             AccInf.KobetuGenkaDigits = 2;
             writer->CodeList = {{QStringLiteral("00003"), QStringLiteral("A")}, {QStringLiteral("00007"), QStringLiteral("B")}};
             writer->CodeCount = 2;
             r.SNUM = 7;
         }},
        {"approval not checked", [this](TSWKREC &r) {
             writer->CheckOptions[scShonin] = 0;
             r.SHONIN_HIZUKE = QDateTime(QDate(2024, 6, 1), QTime(9, 0));
         }},
    };
    const TACCINF company = AccInf;
    for (const Case &c : passing) {
        AccInf = company;
        SystemDef.OpLevel = 1;
        writer->InitCheckOptions();
        TSWKREC rec = entry(QDate(2024, 5, 10), 1000);
        c.change(rec);
        int error = -1;
        QString message;
        EXPECT_TRUE(writer->TestSiwake(rec, error, message)) << c.name << " " << error << " " << message.toStdString();
        EXPECT_EQ(error, 0) << c.name;
    }
    EXPECT_EQ(writer->CodeIndex, 1);
    AccInf = company;
    writer->InitCheckOptions();

    TSWKREC rec = entry(QDate(2025, 3, 31), 1000);
    rec.KESSAN = 1;
    rec.TEKTEXT = QStringLiteral("電話\t代\r\n");
    rec.TORTEXT = QStringLiteral("NTT\n");
    int error = 0;
    QString message;
    ASSERT_TRUE(writer->TestSiwake(rec, error, message)) << message.toStdString();
    EXPECT_EQ(rec.MNUM, 16); // a closing entry on the year end
    EXPECT_EQ(rec.L.KGROUP, QStringLiteral("6100"));
    EXPECT_EQ(rec.L.KNAME, QStringLiteral("通信費"));
    EXPECT_EQ(rec.L.HCODE, QStringLiteral(" "));
    EXPECT_EQ(rec.R.KGROUP, QStringLiteral("1100"));
    EXPECT_EQ(rec.TEKTEXT, QStringLiteral("電話代"));
    EXPECT_EQ(rec.TORTEXT, QStringLiteral("NTT"));
    EXPECT_EQ(writer->KamokuRec.Kamoku.KCODE, QStringLiteral("1101"));

    // Without the account check the names stay as the caller set them.
    writer->CheckOptions[scKamoku] = 0;
    TSWKREC plain = entry(QDate(2024, 5, 10), 1000);
    plain.L.KCODE = QStringLiteral("9999");
    plain.L.KNAME = QStringLiteral("手入力");
    ASSERT_TRUE(writer->TestSiwake(plain, error, message)) << message.toStdString();
    EXPECT_EQ(plain.L.KNAME, QStringLiteral("手入力"));
    EXPECT_TRUE(plain.L.KGROUP.isEmpty());

    // A stored entry keeps its names unless its codes or names changed.
    writer->InitCheckOptions();
    TSWKREC stored = entry(QDate(2024, 5, 10), 1000);
    ASSERT_EQ(put(stored), 1);
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE KAMOKUMST SET KNAME='電話料金' WHERE KCODE='6208'"));
    writer->GetSiwake(stored, 1, false);
    ASSERT_TRUE(writer->TestSiwake(stored, error, message));
    EXPECT_EQ(stored.L.KNAME, QStringLiteral("通信費"));
    stored.L.KNAME = QStringLiteral("通信");
    ASSERT_TRUE(writer->TestSiwake(stored, error, message));
    EXPECT_EQ(stored.L.KNAME, QStringLiteral("電話料金"));
}

TEST_F(SiwakeWriteTest, AccountCombinationsOfABranch)
{
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業部')"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, TAX_LCODE) VALUES ('1103', '01', 'みずほ銀行', 810)"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '1103', '01', ' ')"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '6102', ' ', '01')"));
    const int total = scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE=' '")).toInt();

    writer->OwnTransaction = 1;
    writer->SetSCode(QStringLiteral(" "));
    EXPECT_EQ(writer->SCode(), QStringLiteral(" "));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());
    ASSERT_EQ(writer->KamokuCount, total);
    ASSERT_EQ(int(writer->KamokuArray.size()), total);
    auto first = [&](const QString &userCode) -> const TKamokuRec & {
        for (const QString &line : writer->KamokuIndex)
            if (line.section(u'=', 0, 0) == userCode) return writer->KamokuArray[size_t(line.section(u'=', 1).toInt())];
        ADD_FAILURE() << userCode.toStdString();
        return writer->KamokuArray.front();
    };
    EXPECT_EQ(first(QStringLiteral("1103")).HojoFlag, 1);
    EXPECT_EQ(first(QStringLiteral("1103")).BumonFlag, 0);
    EXPECT_EQ(first(QStringLiteral("6102")).HojoFlag, 0);
    EXPECT_EQ(first(QStringLiteral("6102")).BumonFlag, 1);
    EXPECT_EQ(first(QStringLiteral("1101")).HojoFlag, 0); // only its own row
    EXPECT_EQ(first(QStringLiteral("1101")).Kamoku.KNAME, QStringLiteral("現金"));
    EXPECT_EQ(writer->KamokuIndex.first(), QStringLiteral("1101=0"));

    // One combination: without department the first of any department.
    EXPECT_TRUE(writer->GetKamoku(QStringLiteral(" "), QString(), QString(), QStringLiteral("6102")));
    EXPECT_EQ(writer->KamokuRec.Kamoku.KNAME, QStringLiteral("給料手当"));
    EXPECT_TRUE(writer->GetKamokuRec(QStringLiteral(" "), QStringLiteral("01"), QString(), QStringLiteral("6102")));
    EXPECT_EQ(writer->KamokuRec.Bumon.BNAME, QStringLiteral("営業部"));
    EXPECT_TRUE(writer->GetKamokuRec(QStringLiteral(" "), QString(), QStringLiteral("01"), QStringLiteral("1103")));
    EXPECT_EQ(writer->KamokuRec.Hojo.HNAME, QStringLiteral("みずほ銀行"));
    EXPECT_EQ(writer->KamokuRec.Hojo.TAX_LCODE, 810);
    EXPECT_FALSE(writer->GetKamokuRec(QStringLiteral(" "), QStringLiteral("01"), QString(), QStringLiteral("1103")));
    EXPECT_EQ(writer->KamokuRec.Kamoku.USERCODE, QStringLiteral("1103")); // the arguments stay
    EXPECT_TRUE(writer->KamokuRec.Kamoku.KNAME.isEmpty());

    // A branch without combinations.
    EXPECT_TRUE(writer->GetKamokuArray(QStringLiteral("99")));
    EXPECT_EQ(writer->KamokuCount, 0);
    EXPECT_TRUE(writer->KamokuArray.empty());
    EXPECT_TRUE(writer->KamokuIndex.isEmpty());
}

// Another workstation holds the branch row the insert trigger counts in.
class SiwakeLockTest : public SiwakeWriteTest
{
protected:
    void SetUp() override
    {
        SiwakeWriteTest::SetUp();
        other.DatabaseName = dm->IBDatabaseDAT.DatabaseName;
        other.Params = DatabaseParams();
        other.open();
        otherTr.setDatabase(&other);
        otherTr.Params = {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")};
        otherWriter = std::make_unique<TSiwakeWrite>();
        otherWriter->SetTransaction(&otherTr);
        otherTr.startTransaction();
        TSWKREC held = entry(QDate(2024, 5, 10), 100);
        ASSERT_EQ(otherWriter->PutSiwake(held), 1);
    }
    void TearDown() override
    {
        otherWriter.reset();
        if (otherTr.inTransaction()) otherTr.rollback();
        other.close();
        SiwakeWriteTest::TearDown();
    }

    FbDatabase other;
    FbTransaction otherTr;
    std::unique_ptr<TSiwakeWrite> otherWriter;
};

TEST_F(SiwakeLockTest, TheSecondWriterWaitsOutTheConflict)
{
    QList<int> retries;
    writer->OnLockRetry = [&](int retry) {
        retries << retry;
        if (retry == 2) otherTr.commit();
    };
    TSWKREC rec = entry(QDate(2024, 5, 10), 200);
    writer->OwnTransaction = 1;
    // Numbers drawn by the tries that met the conflict are not given again.
    const int result = writer->PutSiwake(rec);
    EXPECT_GT(result, 1);
    EXPECT_EQ(rec.REC, result);
    EXPECT_EQ(rec.SWKREC * 2 - 1, result);
    EXPECT_EQ(retries, QList<int>({1, 2}));
    EXPECT_EQ(entryCount(), QStringLiteral("2"));
    EXPECT_EQ(debitTotal("6208", 0), QStringLiteral("300")); // unchecked entries carry period 0
    EXPECT_TRUE(logLines().isEmpty()); // a conflict waited out is no error
}

TEST_F(SiwakeLockTest, AConflictThatStaysIsReportedOnce)
{
    writer->LockRetryCount = 3;
    writer->LockRetryWaitMs = 20;
    TSWKREC rec = entry(QDate(2024, 5, 10), 200);
    writer->OwnTransaction = 1;
    QElapsedTimer clock;
    clock.start();
    long code = 0;
    try {
        writer->PutSiwake(rec);
        ADD_FAILURE() << "no error";
    } catch (const FbError &e) {
        code = e.errorCode();
    }
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_GE(clock.elapsed(), 60);
    EXPECT_TRUE(code == 335544345 || code == 335544336) << code; // lock or update conflict
    EXPECT_EQ(rec.REC, 0);
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());
    EXPECT_EQ(writer->OwnTransaction, 0);
    // One report of two lines, naming the operation.
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Error=TSiwakeWrite.PutSiwake [%1]").arg(code))) << lines[1].toStdString();
    otherTr.commit();
    EXPECT_EQ(entryCount(), QStringLiteral("1"));
}

// The journal procedures of a new company database and of the upgrade steps
// that bring older ones up are one definition.
TEST_F(SiwakeWriteTest, UpgradeStepsDefineTheJournalProceduresAsANewDatabase)
{
    auto read = [](const QString &path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return QString::fromUtf8(f.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    };
    auto procedure = [](const QString &script, const QString &name) {
        const qsizetype start = script.indexOf(QStringLiteral("CREATE OR ALTER PROCEDURE ") + name + QStringLiteral(" ("));
        const qsizetype end = script.indexOf(QStringLiteral("\nEND^"), start);
        return start < 0 || end < 0 ? QString() : script.mid(start, end - start);
    };
    const QString company = read(QStringLiteral(PROJECT_RESOURCES_DIR "/sql/company.sql"));
    struct Step { const char *file; const char *procedure; const char *output; };
    for (const Step &s : {Step{"/sqlsteps/301/vqzup01.sql", "SP_SIWAKE_UPD", "NEWSDAYNUM"},
                          Step{"/sqlsteps/610/vqzup01.sql", "SP_SIWAKE_INS", "NEWSITREC"}}) {
        const QString step = read(QStringLiteral(PROJECT_RESOURCES_DIR) + QLatin1String(s.file));
        const QString fresh = procedure(company, QLatin1String(s.procedure));
        ASSERT_FALSE(fresh.isEmpty()) << s.procedure;
        EXPECT_EQ(procedure(step, QLatin1String(s.procedure)), fresh) << s.file;
        EXPECT_TRUE(fresh.contains(QLatin1String(s.output))) << s.procedure;

        // The step runs on a company database and leaves the procedure answering the column.
        dm->IBDatabaseDAT.close();
        FbDatabase db;
        db.DatabaseName = root.companyDir + QStringLiteral("/vqacc.fdb");
        db.Params = DatabaseParams();
        db.open();
        ASSERT_NO_THROW(ExecuteSqlScript(db, step)) << s.file;
        FbTransaction tr(&db);
        FbQuery q(&db, &tr);
        TransactionGuard g(tr);
        q.setSql(QStringLiteral("SELECT COUNT(*) FROM RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME=:P "
                                "AND RDB$PARAMETER_NAME=:N AND RDB$PARAMETER_TYPE=1"));
        q.paramByName(QStringLiteral("P")).setString(QLatin1String(s.procedure));
        q.paramByName(QStringLiteral("N")).setString(QLatin1String(s.output));
        q.open();
        EXPECT_EQ(q.field(0).asInteger(), 1) << s.file;
        q.close();
        g.commit();
        db.close();
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    }
    // And the writer works on the database the steps changed.
    TSWKREC rec = entry(QDate(2024, 5, 10), 100);
    ASSERT_EQ(put(rec), 1);
    rec.KINGAKU = rec.L.NUK = rec.R.NUK = yen(150);
    writer->OwnTransaction = 1;
    EXPECT_EQ(writer->PutSiwake(rec), 0);
    EXPECT_EQ(rec.SDAYNUM, 1);
}
