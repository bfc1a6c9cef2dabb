#include "dbaccess/z5SiwakeIO.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "dbaccess/Tax.h"
#include "core/SjisText.h"

#include <QThread>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// Firebird's status codes of a write that meets rows another transaction
// holds: the lock conflict of a transaction that does not wait, and the
// update conflict the engine reports under the deadlock code.
bool isLockConflict(const FbError &e)
{
    return e.errorCode() == 335544345 || e.errorCode() == 335544336;
}

// The check messages, one pair per check: the wording for typed entries, then
// the wording for entries taken from a file or another program.
const char16_t *const kSiwakeCheckMessage[19][2] = {
    {u"日付が会計期間外または、決算区分の指定が不正です。", u"日付が会計期間外または、決算区分の設定が不正です。"},
    {u"監査済みの仕訳は訂正できません。", u"監査済みの仕訳が設定されました。"},
    {u"監査済みの日付は入力できません。", u"日付に監査済みの日付が設定されました。"},
    {u"借方の科目コードが見つかりません。", u"借方の科目コードの設定が不正です。"},
    {u"借方の補助コードを入力してください。", u"借方の補助コードの設定が不正です。"},
    {u"借方の補助コードが見つかりません。", u"借方の補助コードの設定が不正です。"},
    {u"借方の部門コードが見つかりません。", u"借方の部門コードの設定が不正です。"},
    {u"借方の消費税コードを確認してください。", u"借方の消費税コードの設定が不正です。"},
    {u"貸方の科目コードが見つかりません。", u"貸方の科目コードの設定が不正です。"},
    {u"貸方の補助コードを入力してください。", u"貸方の補助コードの設定が不正です。"},
    {u"貸方の補助コードが見つかりません。", u"貸方の補助コードの設定が不正です。"},
    {u"貸方の部門コードが見つかりません。", u"貸方の部門コードの設定が不正です。"},
    {u"貸方の消費税コードを確認してください。", u"貸方の消費税コードの設定が不正です。"},
    {u"金額を入力してください。", u"金額の設定が不正です。（０円 または null）"},
    {u"マイナス金額は入力できません。", u"金額にマイナス値が設定されました。"},
    {u"金額桁数がオーバーしています。", u"金額の設定が不正です。（桁数オーバー）"},
    {u"個別原価コードが見つかりません。", u"個別原価コードの設定が不正です。"},
    {u"本・支店コードが不正です。データを選択し直してください。", u"本・支店コードが不正です。"},
    {u"承認済みの仕訳は訂正できません。", u"承認済みの仕訳が設定されました。"},
};

// The parameters the two journal procedures share, in their order.
const QString kPutParams = QStringLiteral(
    ":HIZUKE,:MNUM,:KESSAN,:SDAYNUM,:MDAYNUM,:DNUM,:SNUM,:SCODE,:L_KGROUP,:L_KCODE,:L_HCODE,:L_BCODE,:L_KNAME,"
    ":L_HNAME,:L_BNAME,:L_TAXCODE,:L_TAXUH,:L_TAXDC,:L_NUK,:L_ZEI,:L_RIT,:L_SIKIN,:R_KGROUP,:R_KCODE,:R_HCODE,"
    ":R_BCODE,:R_KNAME,:R_HNAME,:R_BNAME,:R_TAXCODE,:R_TAXUH,:R_TAXDC,:R_NUK,:R_ZEI,:R_RIT,:R_SIKIN,:KINGAKU,"
    ":ZEIGAKU,:ZEIRITUNO,:AUTCALCU,:TAXCALCU,:OLDRATE,:TEKCODE,:TEKTEXT,:TORCODE,:TORTEXT, :FUSEN1,:FUSEN2,"
    ":FUSEN3,:FUSEN4,:FUSEN5,:CTIME,:COMMENT,:AO_COMMENT,:LINKKEY,:LINKKUB,:LINKREC,:LOCALFLG,:Reserve1,"
    ":Reserve2,:OPNCODE ");

// The five parts of the account-combination select.
const QString kSelSZ = QStringLiteral("SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE");
const QString kSelSI = QStringLiteral("SI.SNAME");
const QString kSelKM = QStringLiteral(
    "KM.KCODE,KM.USERCODE,KM.REC,KM.GROUPM1,KM.GROUPM2,KM.KNAME,KM.BLDAC,KM.DAC,KM.DELFLG,KM.TAX_LCODE,KM.TAX_RCODE,"
    "KM.FUN_LCODE,KM.FUN_RCODE,KM.HOJOSW,KM.BPFLG,KM.KEIHKUBU,KM.EXT1_A4,KM.EXT1_A3,KM.EXT1_KS");
const QString kSelHMTail = QStringLiteral(
    "HM.BPFLG,HM.SIME,HM.SAITO,HM.CoDATE,HM.GENDO,HM.WARIAISW,HM.WARI1,HM.WARI2,HM.WARI3,HM.TEGATA,HM.YOKKMK,"
    "HM.YOKHOJ,HM.ADDRESS,HM.KOUZA,HM.BANK,HM.SITEN,HM.KANKEI,HM.TORIHIK,HM.RIRITU,HM.RIYUU,HM.TANPO,HM.YOUTO,"
    "HM.FURIKOMI,HM.KARINAME,HM.KARIDADD");
const QString kSelBU = QStringLiteral("BU.BNAME");
const QStringList kJoins = {
    QStringLiteral("INNER JOIN SISETUMST SI ON (SZ.SCODE = SI.SCODE)"),
    QStringLiteral("INNER JOIN BUMONMST  BU ON (SZ.BCODE = BU.BCODE)"),
    QStringLiteral("INNER JOIN KAMOKUMST KM ON (SZ.KCODE = KM.KCODE)"),
    QStringLiteral("INNER JOIN HOJOMST   HM ON (SZ.KCODE = HM.KCODE AND SZ.HCODE=HM.HCODE)"),
};

// Column positions of the combination select (the same in both forms).
enum : int {
    cSCODE = 0, cKCODE_SZ = 1, cHCODE = 2, cBCODE = 3, cSNAME = 4,
    cKCODE = 5, cUSERCODE, cREC, cGROUPM1, cGROUPM2, cKNAME, cBLDAC, cDAC, cDELFLG, cTAX_LCODE, cTAX_RCODE,
    cFUN_LCODE, cFUN_RCODE, cHOJOSW, cBPFLG, cKEIHKUBU, cEXT1_A4, cEXT1_A3, cEXT1_KS,
    cHNAME, cH_REC, cH_TAX_LCODE, cH_TAX_RCODE,
    cBNAME = cH_TAX_RCODE + 1 + 25,
};

QStringList combinationSelect(const QString &hojoHead)
{
    return QStringList{QStringLiteral("SELECT %1,%2,%3,%4,%5 FROM KAMOKU_SZ SZ")
                           .arg(kSelSZ, kSelSI, kSelKM, hojoHead + u',' + kSelHMTail, kSelBU)}
           + kJoins;
}

void readKamoku(FbQuery &q, TKMKREC &k)
{
    k.KCODE = q.field(cKCODE).asString();
    k.USERCODE = q.field(cUSERCODE).asString();
    k.REC = q.field(cREC).asInteger();
    k.GROUPM1 = q.field(cGROUPM1).asString();
    k.GROUPM2 = q.field(cGROUPM2).asString();
    k.KNAME = q.field(cKNAME).asString();
    k.BLDAC = q.field(cBLDAC).asInteger();
    k.DAC = q.field(cDAC).asInteger();
    k.DELFLG = q.field(cDELFLG).asInteger();
    k.TAX_LCODE = q.field(cTAX_LCODE).asInteger();
    k.TAX_RCODE = q.field(cTAX_RCODE).asInteger();
    k.FUN_LCODE = q.field(cFUN_LCODE).asInteger();
    k.FUN_RCODE = q.field(cFUN_RCODE).asInteger();
    k.HOJOSW = q.field(cHOJOSW).asString().trimmed();
    k.BPFLG = q.field(cBPFLG).asString();
    k.KEIHKUBU = q.field(cKEIHKUBU).asString().trimmed();
    k.EXT1_A4 = q.field(cEXT1_A4).asInteger();
    k.EXT1_A3 = q.field(cEXT1_A3).asInteger();
    k.EXT1_KS = q.field(cEXT1_KS).asInteger();
}

void readHojo(FbQuery &q, THOJREC &h)
{
    h.HNAME = q.field(cHNAME).asString();
    h.REC = q.field(cH_REC).asInteger();
    h.TAX_LCODE = q.field(cH_TAX_LCODE).asInteger();
    h.TAX_RCODE = q.field(cH_TAX_RCODE).asInteger();
}

bool isBlank(const QString &code) { return code.trimmed().isEmpty(); }

// A date-time column is set when it holds more than the books' date 0.
bool isSet(const QDateTime &t)
{
    return t.isValid() && t > QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

QDate dateOf(const QDateTime &t) { return t.isValid() ? t.date() : QDate(); }

void setTimestamp(FbParam &p, const QDateTime &t)
{
    if (t.isValid()) p.setDateTime(t);
    else p.clear();
}

// The number of the rate in force at the date (the newest rate of the table
// that has begun by then and that the company's data version knows).
int rateNumberAt(const QDate &date)
{
    for (const TZeirituRec &row : ZeirituTable) {
        const QDate start = QDate::fromString(QString::fromUtf16(row.StartDate), QStringLiteral("yyyy/MM/dd"));
        const bool known = AccInf.MAJOR > row.Major || (AccInf.MAJOR == row.Major && AccInf.MINOR1 >= row.Minor);
        if (date.isValid() && date >= start && known) return row.ZeirituNo;
    }
    return 0;
}

// The account code of a user code as the tax checks compare it: the system
// accounts are known by both codes.
QString accountCodeOfUserCode(const QString &userCode)
{
    for (size_t i = 0; i < AccInf.SysUserCode.size(); ++i)
        if (!userCode.isEmpty() && AccInf.SysUserCode[i] == userCode) return AccInf.SysKCode[i];
    return userCode;
}

void readSide(FbQuery &q, const QString &prefix, TSwkBalance &s)
{
    auto f = [&](const char *name) -> FbField & { return q.fieldByName(prefix + QLatin1String(name)); };
    s.KGROUP = f("KGROUP").asString();
    s.KCODE = f("USERCODE").asString();
    s.HCODE = f("HCODE").asString();
    s.BCODE = f("BCODE").asString();
    s.KNAME = f("KNAME").asString();
    s.HNAME = f("HNAME").asString();
    s.BNAME = f("BNAME").asString();
    s.TAXCODE = f("TAXCODE").asInteger();
    s.TAXUH = f("TAXUH").asInteger();
    s.TAXDC = f("TAXDC").asInteger();
    s.NUK = f("NUK").asCurrency();
    s.ZEI = f("ZEI").asCurrency();
    s.RIT = f("RIT").asCurrency();
    s.SIKIN = f("SIKIN").asInteger();
}

void putSide(FbQuery &q, const QString &prefix, const TSwkBalance &s)
{
    auto p = [&](const char *name) -> FbParam & { return q.paramByName(prefix + QLatin1String(name)); };
    p("KGROUP").setString(s.KGROUP);
    p("KCODE").setString(s.KCODE);
    p("HCODE").setString(s.HCODE);
    p("BCODE").setString(s.BCODE);
    p("KNAME").setString(s.KNAME);
    p("HNAME").setString(s.HNAME);
    p("BNAME").setString(s.BNAME);
    p("TAXCODE").setInteger(s.TAXCODE);
    p("TAXUH").setInteger(s.TAXUH);
    p("TAXDC").setInteger(s.TAXDC);
    p("NUK").setCurrency(s.NUK);
    p("ZEI").setCurrency(s.ZEI);
    p("RIT").setCurrency(s.RIT);
    p("SIKIN").setInteger(s.SIKIN);
}

// Runs one call of the writer in the transaction given: when none is active
// the call starts one and ends it, committed on success, rolled back on failure.
template <typename Work>
auto withTransaction(FbTransaction &tr, Work &&work)
{
    TransactionGuard g(tr);
    auto result = work();
    g.commit();
    return result;
}

} // namespace

// The stored codes and names of an entry being changed.
struct TSiwakeWrite::StoredNames {
    TSwkBalance L, R;
};

TSiwakeWrite::TSiwakeWrite() : m_sql(std::make_unique<FbQuery>(DM ? &DM->IBDatabaseDAT : nullptr, nullptr))
{
    InitCheckOptions();
}

TSiwakeWrite::~TSiwakeWrite() = default;

void TSiwakeWrite::SetTransaction(FbTransaction *tr)
{
    m_sql->Transaction = tr;
    if (tr && tr->database()) m_sql->Database = tr->database();
}

FbTransaction *TSiwakeWrite::transaction() const
{
    if (m_sql->Transaction) return m_sql->Transaction;
    if (!DM) throw FbError(QStringLiteral("トランザクションが指定されていません。"), 0, 0);
    return &DM->IBTransactionDAT;
}

void TSiwakeWrite::InitCheckOptions()
{
    CheckOptions.fill(1);
}

QString TSiwakeWrite::checkMessage(int pair) const
{
    return QString::fromUtf16(kSiwakeCheckMessage[pair][MsgType == 1 ? 1 : 0]);
}

void TSiwakeWrite::fail(const std::exception &e, const QString &operation)
{
    if (m_sql->active()) m_sql->close();
    if (const auto *fb = dynamic_cast<const FbError *>(&e)) ShowIBError(*fb, operation, QString());
    throw;
}

// --- reading and preparing ------------------------------------------------

void TSiwakeWrite::InitSiwakeRec(TSWKREC &rec, int kessan, const QDate &date) const
{
    rec = TSWKREC();
    rec.Terminal = SystemDef.PcName;
    rec.TAISHAKU = 1;
    rec.HIZUKE = date;
    rec.KESSAN = kessan;
    rec.L.TAXCODE = 910;
    rec.R.TAXCODE = 910;
    rec.RTIME = QDateTime::currentDateTime();
    rec.OPCODE = SystemDef.OpCode;
    rec.OLDRATE = rateNumberAt(date);
}

void TSiwakeWrite::GetSiwake(TSWKREC &rec, int recNo, bool fromView)
{
    InitSiwakeRec(rec, 0, QDate::currentDate());
    FbQuery &q = *m_sql;
    q.Transaction = transaction();
    try {
        OwnTransaction = 0;
        withTransaction(*q.Transaction, [&] {
            if (SiwakeSource == 1) q.setSql(QStringLiteral("SELECT * FROM KAKOSIWAKE1_VIEW WHERE REC=:REC"));
            else if (SiwakeSource == 2) q.setSql(QStringLiteral("SELECT * FROM KAKOSIWAKE2_VIEW WHERE REC=:REC"));
            else if (fromView) q.setSql(QStringLiteral("SELECT * FROM SIWAKE_VIEW WHERE REC=:REC"));
            else
                q.setSql(QStringList{
                    QStringLiteral("SELECT S.REC,S.SWKREC,S.SWKNO,S.DELFLG,S.TAISHAKU,S.HIZUKE,S.MNUM,S.KESSAN,S.DNUM,S.SNUM,"
                                   "S.SDAYNUM,S.MDAYNUM,S.SCODE,S.SITREC,"),
                    QStringLiteral("S.KGROUP,S.KCODE,K1.USERCODE,S.HCODE,S.BCODE,S.KNAME,S.HNAME,S.BNAME,S.TAXCODE,S.TAXUH,"
                                   "S.TAXDC,S.NUK,S.ZEI,S.RIT,S.SIKIN,"),
                    QStringLiteral("S.R_KGROUP,S.R_KCODE,K2.USERCODE AS R_USERCODE,S.R_HCODE,S.R_BCODE,S.R_KNAME,S.R_HNAME,"
                                   "S.R_BNAME,S.R_TAXCODE,S.R_TAXUH,S.R_TAXDC,S.R_NUK,S.R_ZEI,S.R_RIT,S.R_SIKIN,"),
                    QStringLiteral("S.KINGAKU,S.ZEIGAKU,S.ZEIRITUNO,S.AUTCALCU,S.TAXCALCU,S.OLDRATE,S.TEKCODE,S.TEKTEXT,"
                                   "S.TORCODE,S.TORTEXT,S.FUSEN1,S.FUSEN2,S.FUSEN3,S.FUSEN4,S.FUSEN5,S.CTIME,S.COMMENT,"
                                   "S.AO_COMMENT,"),
                    QStringLiteral("S.LINKKEY,S.LINKKUB,S.LINKREC,S.LOCALFLG,S.RESERVE1,S.RESERVE2,S.RTIME,S.OPCODE,"),
                    QStringLiteral("NULL AS SHONIN_HIZUKE,0 AS SHONIN_OPCODE, '' AS SHONIN_NAME"),
                    QStringLiteral("FROM SIWAKE S"),
                    QStringLiteral("INNER JOIN KAMOKUMST K1 ON (S.KCODE = K1.KCODE)"),
                    QStringLiteral("INNER JOIN KAMOKUMST K2 ON (S.R_KCODE = K2.KCODE)"),
                    QStringLiteral("WHERE S.REC=:REC"),
                });
            q.paramByName(QStringLiteral("REC")).setInteger(recNo);
            q.open();
            if (!q.eof()) {
                auto i = [&](const char *n) { return q.fieldByName(QLatin1String(n)).asInteger(); };
                auto s = [&](const char *n) { return q.fieldByName(QLatin1String(n)).asString(); };
                auto c = [&](const char *n) { return q.fieldByName(QLatin1String(n)).asCurrency(); };
                auto t = [&](const char *n) { return q.fieldByName(QLatin1String(n)).asDateTime(); };
                rec.REC = i("REC");
                rec.SITREC = i("SITREC");
                rec.SWKREC = i("SWKREC");
                rec.SWKNO = i("SWKNO");
                rec.DELFLG = i("DELFLG");
                rec.TAISHAKU = i("TAISHAKU");
                rec.HIZUKE = q.fieldByName(QStringLiteral("HIZUKE")).asDate();
                rec.MNUM = i("MNUM");
                rec.KESSAN = i("KESSAN");
                rec.SDAYNUM = i("SDAYNUM");
                rec.MDAYNUM = i("MDAYNUM");
                rec.DNUM = i("DNUM");
                rec.SNUM = i("SNUM");
                rec.SCODE = s("SCODE");
                readSide(q, QString(), rec.L);
                readSide(q, QStringLiteral("R_"), rec.R);
                rec.KINGAKU = c("KINGAKU");
                rec.ZEIGAKU = c("ZEIGAKU");
                rec.ZEIRITUNO = i("ZEIRITUNO");
                rec.AUTCALCU = i("AUTCALCU");
                rec.TAXCALCU = i("TAXCALCU");
                rec.OLDRATE = i("OLDRATE");
                rec.TEKCODE = i("TEKCODE");
                rec.TEKTEXT = s("TEKTEXT");
                rec.TORCODE = i("TORCODE");
                rec.TORTEXT = s("TORTEXT");
                for (int n = 0; n < 5; ++n) rec.FUSEN[size_t(n)] = q.fieldByName(QStringLiteral("FUSEN%1").arg(n + 1)).asInteger();
                rec.CTIME = t("CTIME");
                rec.COMMENT = s("COMMENT");
                rec.AO_COMMENT = s("AO_COMMENT");
                rec.LINKKEY = s("LINKKEY");
                rec.LINKKUB = i("LINKKUB");
                rec.LINKREC = i("LINKREC");
                rec.LOCALFLG = i("LOCALFLG");
                rec.RESERVE1 = i("RESERVE1");
                rec.RESERVE2 = i("RESERVE2");
                rec.RTIME = t("RTIME");
                rec.OPCODE = i("OPCODE");
                rec.SHONIN_HIZUKE = t("SHONIN_HIZUKE");
                rec.SHONIN_OPCODE = i("SHONIN_OPCODE");
                rec.SHONIN_NAME = s("SHONIN_NAME");
            }
            q.close();
            return 0;
        });
    } catch (const std::exception &e) {
        fail(e, QStringLiteral("TSiwakeWrite.GetSiwake"));
    }
}

// --- writing --------------------------------------------------------------

int TSiwakeWrite::runPut(TSWKREC &rec)
{
    FbQuery &q = *m_sql;
    const bool update = rec.REC != 0;
    if (update) {
        q.setSql(QStringLiteral("SELECT NEWREC,NEWSWKREC,NEWSWKNO,UPREC,NEWSDAYNUM FROM SP_SIWAKE_UPD(") +
                 QStringLiteral(":REC,:SWKREC,:SWKNO,:DELFLG,") + kPutParams + u')');
        q.paramByName(QStringLiteral("REC")).setInteger(rec.REC);
        q.paramByName(QStringLiteral("SWKREC")).setInteger(rec.SWKREC);
        q.paramByName(QStringLiteral("SWKNO")).setInteger(rec.SWKNO);
        q.paramByName(QStringLiteral("DELFLG")).setInteger(rec.DELFLG);
    } else {
        // Data versions up to 6.0 have no site record in the insert procedure.
        const bool noSitrec = AccInf.MAJOR < 6 || (AccInf.MAJOR == 6 && AccInf.MINOR1 == 0);
        q.setSql((noSitrec ? QStringLiteral("SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,0 AS NEWSITREC FROM SP_SIWAKE_INS(")
                           : QStringLiteral("SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,NEWSITREC FROM SP_SIWAKE_INS(")) +
                 kPutParams + u')');
    }
    auto p = [&](const char *name) -> FbParam & { return q.paramByName(QLatin1String(name)); };
    p("HIZUKE").setDate(rec.HIZUKE);
    p("MNUM").setInteger(rec.MNUM);
    p("KESSAN").setInteger(rec.KESSAN);
    p("SDAYNUM").setInteger(rec.SDAYNUM);
    p("MDAYNUM").setInteger(rec.MDAYNUM);
    p("DNUM").setInteger(rec.DNUM);
    p("SNUM").setInteger(rec.SNUM);
    p("SCODE").setString(rec.SCODE);
    putSide(q, QStringLiteral("L_"), rec.L);
    putSide(q, QStringLiteral("R_"), rec.R);
    p("KINGAKU").setCurrency(rec.KINGAKU);
    p("ZEIGAKU").setCurrency(rec.ZEIGAKU);
    p("ZEIRITUNO").setInteger(rec.ZEIRITUNO);
    p("AUTCALCU").setInteger(rec.AUTCALCU);
    p("TAXCALCU").setInteger(rec.TAXCALCU);
    p("OLDRATE").setInteger(rec.OLDRATE);
    p("TEKCODE").setInteger(rec.TEKCODE);
    p("TEKTEXT").setString(rec.TEKTEXT);
    p("TORCODE").setInteger(rec.TORCODE);
    p("TORTEXT").setString(rec.TORTEXT);
    for (int n = 0; n < 5; ++n) q.paramByName(QStringLiteral("FUSEN%1").arg(n + 1)).setInteger(rec.FUSEN[size_t(n)]);
    setTimestamp(p("CTIME"), rec.CTIME);
    p("COMMENT").setString(rec.COMMENT);
    p("AO_COMMENT").setString(rec.AO_COMMENT);
    p("LINKKEY").setString(rec.LINKKEY);
    p("LINKKUB").setInteger(rec.LINKKUB);
    p("LINKREC").setInteger(rec.LINKREC);
    p("LOCALFLG").setInteger(rec.LOCALFLG);
    p("Reserve1").setInteger(rec.RESERVE1);
    p("Reserve2").setInteger(rec.RESERVE2);
    p("OPNCODE").setInteger(SystemDef.OpCode);
    q.open();
    if (q.eof()) {
        q.close();
        throw FbError(QStringLiteral("仕訳の登録結果を取得できませんでした。"), 0, 0);
    }
    auto f = [&](const char *name) { return q.fieldByName(QLatin1String(name)).asInteger(); };
    int result = 0;
    if (!update) {
        rec.REC = f("NEWREC");
        rec.SWKREC = f("NEWSWKREC");
        rec.SWKNO = f("NEWSWKREC");
        rec.SDAYNUM = f("NEWSDAYNUM");
        rec.SITREC = f("NEWSITREC");
        rec.RTIME = QDateTime::currentDateTime();
        result = rec.REC;
    } else {
        const int uprec = f("UPREC");
        if (uprec == -2) {
            rec.REC = f("NEWREC");
            result = -2;
        } else if (uprec == -1) {
            result = -1;
        } else {
            rec.REC = f("NEWREC");
            rec.SWKREC = f("NEWSWKREC");
            rec.SWKNO = f("NEWSWKNO");
            rec.SDAYNUM = f("NEWSDAYNUM");
            rec.RTIME = QDateTime::currentDateTime();
        }
    }
    q.close();
    return result;
}

int TSiwakeWrite::PutSiwake(TSWKREC &rec)
{
    OwnTransaction = 0;
    FbTransaction &tr = *transaction();
    m_sql->Transaction = &tr;
    for (int retry = 0;; ++retry) {
        std::optional<TransactionGuard> g;
        try {
            g.emplace(tr);
            const int result = runPut(rec);
            if (g) g->commit();
            return result;
        } catch (const FbError &e) {
            if (m_sql->active()) m_sql->close();
            g.reset(); // what this try started is rolled back
            // Rows another workstation holds: wait a moment and try again, a
            // bounded number of times; then the conflict is reported like any
            // other database error.
            if (isLockConflict(e) && retry < LockRetryCount) {
                if (OnLockRetry) OnLockRetry(retry + 1);
                else QThread::msleep(unsigned(std::max(0, LockRetryWaitMs)));
                continue;
            }
            ShowIBError(e, QStringLiteral("TSiwakeWrite.PutSiwake"), QString());
            throw;
        } catch (const std::exception &) {
            if (m_sql->active()) m_sql->close();
            throw;
        }
    }
}

int TSiwakeWrite::DeleteSiwake(int swkrec)
{
    FbQuery &q = *m_sql;
    q.Transaction = transaction();
    try {
        OwnTransaction = 0;
        return withTransaction(*q.Transaction, [&] {
            q.setSql(QStringLiteral("SELECT RESULT+1 AS RES FROM SP_SIWAKE_DEL(:SWKREC,:OPCODE)"));
            q.paramByName(QStringLiteral("SWKREC")).setInteger(swkrec);
            q.paramByName(QStringLiteral("OPCODE")).setInteger(SystemDef.OpCode);
            q.open();
            const int res = q.eof() ? 0 : q.fieldByName(QStringLiteral("RES")).asInteger();
            q.close();
            return res;
        });
    } catch (const std::exception &e) {
        fail(e, QStringLiteral("TSiwakeWrite.DeleteSiwake"));
    }
}

int TSiwakeWrite::RestoreSiwake(int swkrec)
{
    FbQuery &q = *m_sql;
    q.Transaction = transaction();
    try {
        OwnTransaction = 0;
        return withTransaction(*q.Transaction, [&] {
            q.setSql(QStringList{QStringLiteral("SELECT HIZUKE,SDAYNUM FROM SIWAKE"),
                                 QStringLiteral("WHERE (SWKREC=:SWKREC) AND (TAISHAKU=1)")});
            q.paramByName(QStringLiteral("SWKREC")).setInteger(swkrec);
            QDate date;
            for (q.open(); !q.eof(); q.next()) date = q.field(0).asDate();
            q.close();

            q.setSql(QStringList{QStringLiteral("SELECT MAX(SDAYNUM) AS MAX_SDAYNUM FROM SIWAKE"),
                                 QStringLiteral("WHERE (HIZUKE=:HIZUKE) AND (DELFLG=0)")});
            q.paramByName(QStringLiteral("HIZUKE")).setDate(date);
            q.open();
            const int max = q.eof() ? 0 : q.field(0).asInteger();
            q.close();
            const int sdaynum = max == 0 ? 0 : max + 1;

            // Only a deleted entry comes back: the rows of an entry that was
            // replaced by a change stay as they are, or the entry would be
            // counted twice.
            q.setSql(QStringList{QStringLiteral("UPDATE SIWAKE SET DELFLG=0,OPCODE=:OPCODE,RTIME=:RTIME,SDAYNUM=:SDAYNUM"),
                                 QStringLiteral("WHERE SWKREC=:SWKREC AND DELFLG=1")});
            q.paramByName(QStringLiteral("OPCODE")).setInteger(SystemDef.OpCode);
            q.paramByName(QStringLiteral("RTIME")).setDateTime(QDateTime::currentDateTime());
            q.paramByName(QStringLiteral("SDAYNUM")).setInteger(sdaynum);
            q.paramByName(QStringLiteral("SWKREC")).setInteger(swkrec);
            q.execSQL();
            return 1;
        });
    } catch (const std::exception &e) {
        fail(e, QStringLiteral("TSiwakeWrite.RestoreSiwake"));
    }
}

// --- account combinations -------------------------------------------------

void TSiwakeWrite::ClearKamokuRec()
{
    KamokuRec = TBALANCE();
}

void TSiwakeWrite::SetSCode(const QString &scode)
{
    m_scode = scode;
    GetKamokuArray(scode);
}

bool TSiwakeWrite::GetKamokuArray(const QString &scode)
{
    FbQuery &q = *m_sql;
    q.Transaction = transaction();
    try {
        OwnTransaction = 0;
        return withTransaction(*q.Transaction, [&] {
            q.setSql(QStringList{QStringLiteral("SELECT COUNT(SZ.SCODE) AS RECCNT FROM KAMOKU_SZ SZ")} + kJoins +
                     QStringList{QStringLiteral("WHERE SZ.SCODE=:SCODE")});
            q.paramByName(QStringLiteral("SCODE")).setString(scode);
            q.open();
            const int count = q.eof() ? 0 : q.field(0).asInteger();
            q.close();
            KamokuArray.assign(size_t(count), TKamokuRec());
            KamokuIndex.clear();
            KamokuCount = count;
            if (count == 0) return true;

            q.setSql(combinationSelect(QStringLiteral("HM.HNAME,HM.REC AS H_REC,HM.TAX_LCODE AS H_TAX_LCODE,"
                                                      "HM.TAX_RCODE AS H_TAX_RCODE")) +
                     QStringList{QStringLiteral("WHERE SZ.SCODE=:SCODE"), QStringLiteral("ORDER BY SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE")});
            q.paramByName(QStringLiteral("SCODE")).setString(scode);
            int i = 0, first = -1;
            QString previous;
            bool hojo = false, bumon = false;
            auto storeFlags = [&] {
                if (first < 0) return;
                KamokuArray[size_t(first)].HojoFlag = hojo;
                KamokuArray[size_t(first)].BumonFlag = bumon;
            };
            for (q.open(); !q.eof(); q.next(), ++i) {
                if (i >= count) KamokuArray.emplace_back();
                TKamokuRec &e = KamokuArray[size_t(i)];
                e.Bumon.BCODE = q.field(cBCODE).asString();
                e.Bumon.BNAME = q.field(cBNAME).asString();
                readKamoku(q, e.Kamoku);
                e.Hojo.KCODE = q.field(cKCODE_SZ).asString();
                e.Hojo.HCODE = q.field(cHCODE).asString();
                readHojo(q, e.Hojo);
                if (i == 0 || e.Kamoku.USERCODE != previous) {
                    storeFlags();
                    hojo = bumon = false;
                    first = i;
                    previous = e.Kamoku.USERCODE;
                    KamokuIndex << QStringLiteral("%1=%2").arg(e.Kamoku.USERCODE).arg(i);
                }
                if (e.Hojo.HCODE != u" ") hojo = true;
                if (e.Bumon.BCODE != u" ") bumon = true;
            }
            storeFlags();
            q.close();
            // Combinations added or removed between the count and the select
            // leave no empty or unread elements behind.
            KamokuArray.resize(size_t(i));
            KamokuCount = i;
            return true;
        });
    } catch (const std::exception &e) {
        fail(e, QStringLiteral("TSiwakeWrite.GetKamokuArray"));
    }
}

bool TSiwakeWrite::GetKamoku(const QString &scode, const QString &bcode, const QString &hcode, const QString &userCode)
{
    OwnTransaction = 0;
    return withTransaction(*transaction(), [&] { return GetKamokuRec(scode, bcode, hcode, userCode); });
}

bool TSiwakeWrite::GetKamokuRec(const QString &scode, const QString &bcode, const QString &hcode, const QString &userCode)
{
    ClearKamokuRec();
    const QString h = hcode.isEmpty() ? QStringLiteral(" ") : hcode;
    FbQuery &q = *m_sql;
    q.Transaction = transaction();
    const bool withBumon = !bcode.isEmpty();
    q.setSql(combinationSelect(QStringLiteral("HM.HNAME,HM.REC,HM.TAX_LCODE,HM.TAX_RCODE")) +
             QStringList{withBumon ? QStringLiteral("WHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE AND SZ.BCODE=:BCODE")
                                   : QStringLiteral("WHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE")});
    q.paramByName(QStringLiteral("SCODE")).setString(scode);
    q.paramByName(QStringLiteral("USERCODE")).setString(userCode);
    q.paramByName(QStringLiteral("HCODE")).setString(h);
    if (withBumon) q.paramByName(QStringLiteral("BCODE")).setString(bcode);
    TransactionGuard g(*q.Transaction);
    KamokuRec.Siten.SCODE = scode;
    KamokuRec.Bumon.BCODE = bcode;
    KamokuRec.Kamoku.USERCODE = userCode;
    KamokuRec.Hojo.KCODE = userCode;
    KamokuRec.Hojo.HCODE = h;
    q.open();
    const bool found = !q.eof();
    if (found) {
        KamokuRec.Siten.SNAME = q.field(cSNAME).asString();
        KamokuRec.Bumon.BNAME = q.field(cBNAME).asString();
        readKamoku(q, KamokuRec.Kamoku);
        readHojo(q, KamokuRec.Hojo);
    }
    q.close();
    g.commit();
    return found;
}

// --- checks ---------------------------------------------------------------

bool TSiwakeWrite::FindCodeIndex(const QString &code)
{
    const int n = std::min(CodeCount, int(CodeList.size()));
    for (int i = 0; i < n; ++i) {
        if (CodeList[size_t(i)].Code == code) {
            CodeIndex = i;
            return true;
        }
    }
    return false;
}

int TSiwakeWrite::countCombinations(const QString &scode, const QString &userCode, const QString &condition)
{
    FbQuery &q = *m_sql;
    q.setSql(QStringList{QStringLiteral("SELECT COUNT(K.SCODE) FROM KAMOKU_SZ K"),
                         QStringLiteral("INNER JOIN KAMOKUMST KM ON (K.KCODE=KM.KCODE)"), condition});
    q.paramByName(QStringLiteral("SCODE")).setString(scode);
    q.paramByName(QStringLiteral("USERCODE")).setString(userCode);
    q.open();
    const int n = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    return n;
}

bool TSiwakeWrite::checkSide(TSWKREC &rec, TSwkBalance &side, bool debit, const StoredNames *stored, int &error,
                             QString &message)
{
    const int code = debit ? 11 : 21;
    const int base = debit ? 3 : 8; // pairs: account, sub-account missing, -, department
    QString &kcode = debit ? m_debitKcode : m_creditKcode;
    if (!GetKamokuRec(rec.SCODE, side.BCODE, side.HCODE, side.KCODE)) {
        error = code;
        message = checkMessage(base);
        return false;
    }
    const TKMKREC &k = KamokuRec.Kamoku;
    kcode = k.KCODE;
    side.KGROUP = k.GROUPM1;
    side.SIKIN = debit ? k.FUN_LCODE : k.FUN_RCODE;
    side.HCODE = KamokuRec.Hojo.HCODE.isEmpty() ? QStringLiteral(" ") : KamokuRec.Hojo.HCODE;
    side.BCODE = KamokuRec.Bumon.BCODE.isEmpty() ? QStringLiteral(" ") : KamokuRec.Bumon.BCODE;
    if (!stored) {
        side.KNAME = k.KNAME;
        side.HNAME = KamokuRec.Hojo.HNAME;
        side.BNAME = KamokuRec.Bumon.BNAME;
    } else {
        const TSwkBalance &o = debit ? stored->L : stored->R;
        const bool accountChanged = side.KNAME != o.KNAME || side.KCODE != o.KCODE;
        if (accountChanged) side.KNAME = k.KNAME;
        if (side.HNAME != o.HNAME || side.KCODE != o.KCODE || side.HCODE != o.HCODE) side.HNAME = KamokuRec.Hojo.HNAME;
        if (side.BNAME != o.BNAME || side.BCODE != o.BCODE) side.BNAME = KamokuRec.Bumon.BNAME;
    }
    const QString userCode = side.KCODE;
    if (isBlank(side.HCODE) &&
        countCombinations(rec.SCODE, userCode,
                          QStringLiteral("WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.BCODE=' ')")) > 1) {
        error = code;
        message = checkMessage(base + 1);
        return false;
    }
    if (isBlank(side.BCODE) &&
        countCombinations(rec.SCODE, userCode,
                          QStringLiteral("WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.HCODE=' ') AND (K.BCODE<>' ')")) >= 1) {
        error = code;
        message = checkMessage(base + 3);
        return false;
    }
    return true;
}

bool TSiwakeWrite::checkTax(TSWKREC &rec, bool debit, const QString &accountCode, int &error, QString &message)
{
    TSwkBalance &side = debit ? rec.L : rec.R;
    TSwkBalance &other = debit ? rec.R : rec.L;
    const int base = debit ? 12 : 22;
    NormalizeSalesTaxCode(side.TAXCODE);
    QString group, detail;
    int kind = 0, category = 0, taxSide = 0;
    if (!GetTaxCodeInfo(side.TAXCODE, group, detail, kind, category, taxSide)) {
        error = base;
        message = checkMessage(debit ? 7 : 12);
        return false;
    }
    QString text;
    if (!CheckKaribaraiTaxCode(text, accountCode, side.TAXCODE)) {
        error = base + 1;
        message = text;
        return false;
    }
    if (!CheckKarizeiAiteTaxCode(text, accountCode, other.TAXCODE)) {
        error = base + 2;
        message = text;
        return false;
    }
    if (!CheckSyokutiTaxCode(text, accountCode, side.TAXCODE)) {
        error = base + 3;
        message = text;
        return false;
    }
    if (IsTokuteiShiireTaxCode(side.TAXCODE) && !CheckTokuteiShiireTaxCode(text, side.TAXCODE, rec.ZEIRITUNO, rec.HIZUKE)) {
        error = base + 4;
        message = text;
        return false;
    }
    return true;
}

bool TSiwakeWrite::TestSiwake(TSWKREC &rec, int &error, QString &message)
{
    error = 0;
    message.clear();
    m_debitKcode.clear();
    m_creditKcode.clear();
    FbQuery &q = *m_sql;
    q.Transaction = transaction();
    OwnTransaction = 0;
    auto fails = [&](int code, const QString &text) {
        error = code;
        message = text;
        return false;
    };
    try {
        return withTransaction(*q.Transaction, [&]() -> bool {
            std::optional<StoredNames> stored;
            if (rec.REC != 0) {
                q.setSql(QStringList{QStringLiteral("SELECT KCODE,USERCODE,HCODE,BCODE,KNAME,HNAME,BNAME,R_KCODE,R_USERCODE,"
                                                    "R_HCODE,R_BCODE,R_KNAME,R_HNAME,R_BNAME FROM SIWAKE_VIEW"),
                                     QStringLiteral("WHERE REC=:REC")});
                q.paramByName(QStringLiteral("REC")).setInteger(rec.REC);
                q.open();
                if (!q.eof()) {
                    stored.emplace();
                    for (auto [prefix, s] : {std::pair{QString(), &stored->L}, std::pair{QStringLiteral("R_"), &stored->R}}) {
                        s->KCODE = q.fieldByName(prefix + QStringLiteral("USERCODE")).asString();
                        s->HCODE = q.fieldByName(prefix + QStringLiteral("HCODE")).asString();
                        s->BCODE = q.fieldByName(prefix + QStringLiteral("BCODE")).asString();
                        s->KNAME = q.fieldByName(prefix + QStringLiteral("KNAME")).asString();
                        s->HNAME = q.fieldByName(prefix + QStringLiteral("HNAME")).asString();
                        s->BNAME = q.fieldByName(prefix + QStringLiteral("BNAME")).asString();
                    }
                }
                q.close();
            }

            // 1. period
            const int period = PeriodNo(AccInf.SIME, rec.KESSAN, AccInf.KISHU, AccInf.KIMATU, rec.HIZUKE);
            if (period == -1 || !rec.HIZUKE.isValid() || rec.HIZUKE < AccInf.KAISI || rec.HIZUKE > AccInf.KIMATU)
                return fails(1, checkMessage(0));
            rec.MNUM = period;

            // 2. audit
            if (AccInf.KANSA_LOCK == 1 && !SystemDef.OpAllSiten && SystemDef.OpLevel != 9) {
                if (isSet(rec.CTIME)) return fails(2, checkMessage(1));
                if (isSet(AccInf.KANSA_DATE) && isSet(AccInf.KANSA_FIXDATE) && rec.HIZUKE <= dateOf(AccInf.KANSA_FIXDATE))
                    return fails(3, checkMessage(2));
            }

            // 3. approval
            if (CheckOptions[scShonin] && isSet(rec.SHONIN_HIZUKE)) return fails(40, checkMessage(18));

            // 4. individual cost
            if (CheckOptions[scKobetu] && AccInf.KobetuGenkaUse == 1 && rec.SNUM != 0) {
                const int digits = AccInf.KobetuGenkaDigits;
                const int width = CostCodeWidths[size_t(digits >= 0 && digits <= 3 ? digits : 0)];
                QString code = QString::number(rec.SNUM);
                code = code.size() > width ? code.right(width) : code.rightJustified(width, u'0');
                if (!FindCodeIndex(code))
                    return fails(4, checkMessage(16).replace(QStringLiteral("個別原価"), AccInf.KobetuGenkaName));
            }

            // 5. branch
            if (AccInf.SITEN == 1 && isBlank(rec.SCODE)) {
                QString text = checkMessage(17);
                if (AccInf.DATATYPE == 3) text.replace(QStringLiteral("本・支店"), QStringLiteral("施設"));
                return fails(5, text);
            }

            const StoredNames *old = stored ? &*stored : nullptr;
            // 6., 7. debit account and tax
            if (CheckOptions[scKamoku] && !checkSide(rec, rec.L, true, old, error, message)) return false;
            const QString debitAccount = m_debitKcode.isEmpty() ? accountCodeOfUserCode(rec.L.KCODE) : m_debitKcode;
            if (CheckOptions[scTax] && !checkTax(rec, true, debitAccount, error, message)) return false;
            // 8., 9. credit account and tax
            if (CheckOptions[scKamoku] && !checkSide(rec, rec.R, false, old, error, message)) return false;
            const QString creditAccount = m_creditKcode.isEmpty() ? accountCodeOfUserCode(rec.R.KCODE) : m_creditKcode;
            if (CheckOptions[scTax] && !checkTax(rec, false, creditAccount, error, message)) return false;

            // 10. amount
            if (CheckOptions[scKingaku]) {
                if (rec.KINGAKU.raw < Currency::Scale) return fails(31, checkMessage(rec.KINGAKU.raw < 0 ? 14 : 13));
                if (rec.KINGAKU > Currency::fromUnits(9999999999LL)) return fails(31, checkMessage(15));
            }

            // 11. texts
            if (CheckOptions[scText]) {
                rec.TEKTEXT = ReplaceCtrlChars(rec.TEKTEXT);
                rec.TORTEXT = ReplaceCtrlChars(rec.TORTEXT);
            }
            return true;
        });
    } catch (const std::exception &e) {
        fail(e, QStringLiteral("TSiwakeWrite.TestSiwake"));
    }
}
