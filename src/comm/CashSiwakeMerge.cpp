// The cash journal entries of a received cash book merged into the open
// company database: entries keyed in the cash book are added, entries changed
// there replace the office's version, entries deleted there are deleted here,
// and entries deleted here but changed there come back. The link columns
// (RESERVE1, RESERVE2, LINKKEY, LINKKUB) let the next take-in find each entry
// again. Everything runs in the loader's work transaction and goes through the
// journal writer.
#include "comm/CashBookLoader.h"

#include "core/Messages.h"
#include "core/SjisText.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Tax.h"

#include <QDateTime>

namespace {

const QString kLocalHead =
    QStringLiteral("SELECT COUNT(REC) AS RECCNT,REC,SWKNO,LINKREC,RESERVE1,RESERVE2,DELFLG FROM SIWAKE");
const QString kLocalGroup = QStringLiteral("GROUP BY REC,SWKNO,LINKREC,RESERVE1,RESERVE2,DELFLG");

QString trimBlanks(const QString &text)
{
    // Half- and full-width blanks at both ends.
    qsizetype b = 0, e = text.size();
    while (b < e && (text[b] == u' ' || text[b] == u'\x3000')) ++b;
    while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\x3000')) --e;
    return text.mid(b, e - b);
}

} // namespace

QString TCashBookLoader::accountCodeOf(const QString &userCode)
{
    IBSQL2.setSql(QStringList{QStringLiteral("SELECT KCODE FROM KAMOKUMST"), QStringLiteral("WHERE USERCODE=:USERCODE")});
    IBSQL2.paramByName(QStringLiteral("USERCODE")).setString(userCode);
    IBSQL2.open();
    const QString code = IBSQL2.eof() ? userCode : IBSQL2.field(0).asString();
    IBSQL2.close();
    return code;
}

TCashBookLoader::LocalEntry TCashBookLoader::findLocalEntry(FbQuery &r)
{
    LocalEntry l;
    const int reserve1 = r.fieldByName(QStringLiteral("RESERVE1")).asInteger();
    const int rec = r.fieldByName(QStringLiteral("REC")).asInteger();
    auto tryQuery = [&](const QString &condition, const std::function<void(FbQuery &)> &bind) {
        IBSQL1.setSql(QStringList{kLocalHead, condition, kLocalGroup});
        if (bind) bind(IBSQL1);
        IBSQL1.open();
        if (!IBSQL1.eof()) {
            l.Found = true;
            l.REC = IBSQL1.fieldByName(QStringLiteral("REC")).asInteger();
            l.SWKNO = IBSQL1.fieldByName(QStringLiteral("SWKNO")).asInteger();
            l.LINKREC = IBSQL1.fieldByName(QStringLiteral("LINKREC")).asInteger();
            l.RESERVE1 = IBSQL1.fieldByName(QStringLiteral("RESERVE1")).asInteger();
            l.RESERVE2 = IBSQL1.fieldByName(QStringLiteral("RESERVE2")).asInteger();
            l.DELFLG = IBSQL1.fieldByName(QStringLiteral("DELFLG")).asInteger();
        }
        IBSQL1.close();
        return l.Found;
    };

    if (reserve1 == 0) {
        if (tryQuery(QStringLiteral("WHERE (DELFLG IN (0,1)) AND (RESERVE1=:RESERVE1)"),
                     [rec](FbQuery &q) { q.paramByName(QStringLiteral("RESERVE1")).setInteger(rec); }))
            return l;
        // The entry may have reached the office under the record number of its other row.
        ReceiveIBSQL2.setSql(QStringList{QStringLiteral("SELECT REC FROM SIWAKE"), QStringLiteral("WHERE (TAISHAKU=1) AND (SWKNO=:SWKNO)")});
        ReceiveIBSQL2.paramByName(QStringLiteral("SWKNO")).setInteger(r.fieldByName(QStringLiteral("SWKNO")).asInteger());
        QStringList recs;
        for (ReceiveIBSQL2.open(); !ReceiveIBSQL2.eof(); ReceiveIBSQL2.next())
            recs << QString::number(ReceiveIBSQL2.field(0).asInteger()); // numbers read from the database, never user text
        ReceiveIBSQL2.close();
        if (recs.isEmpty()) recs << QStringLiteral("-1");
        tryQuery(QStringLiteral("WHERE (DELFLG IN (0,1)) AND (RESERVE1 IN (%1))").arg(recs.join(u',')), nullptr);
        return l;
    }
    if (tryQuery(QStringLiteral("WHERE (DELFLG IN (0,1)) AND (LINKKEY=:LINKKEY AND LINKKUB=:LINKKUB)"), [reserve1](FbQuery &q) {
            q.paramByName(QStringLiteral("LINKKEY")).setString(QString::number(reserve1));
            q.paramByName(QStringLiteral("LINKKUB")).setInteger(10);
        }))
        return l;
    tryQuery(QStringLiteral("WHERE (DELFLG IN (0,1)) AND (TAISHAKU=1) AND (SWKNO=(SELECT SWKNO FROM SIWAKE WHERE REC=:REC))"),
             [reserve1](FbQuery &q) { q.paramByName(QStringLiteral("REC")).setInteger(reserve1); });
    return l;
}

bool TCashBookLoader::needsUpdate(const LocalEntry &l, FbQuery &r) const
{
    const int linkrec = r.fieldByName(QStringLiteral("LINKREC")).asInteger();
    const int reserve1 = r.fieldByName(QStringLiteral("RESERVE1")).asInteger();
    if (l.RESERVE1 == 0) return linkrec > 0;
    return (linkrec > 0 && reserve1 == 0) || (linkrec > 0 && l.RESERVE2 < linkrec);
}

void TCashBookLoader::restoreLinkedEntry(const LocalEntry &l, int receivedReserve1)
{
    const int swkrec = SiwakeRec.SWKREC;
    SiwakeWrite.RestoreSiwake(swkrec);
    IBSQL2.setSql(QStringList{QStringLiteral("UPDATE SIWAKE SET LINKKEY=:LINKKEY,LINKKUB=:LINKKUB"),
                              QStringLiteral("WHERE (SWKREC=:SWKREC)")});
    IBSQL2.paramByName(QStringLiteral("LINKKEY")).setString(QString::number(receivedReserve1));
    IBSQL2.paramByName(QStringLiteral("LINKKUB")).setInteger(10);
    IBSQL2.paramByName(QStringLiteral("SWKREC")).setInteger(swkrec);
    IBSQL2.execSQL();
    SiwakeWrite.GetSiwake(SiwakeRec, l.REC, false);
}

void TCashBookLoader::fillFromReceived(FbQuery &r, TSiwakeInfo &info)
{
    auto s = [&](const char *n) { return r.fieldByName(QLatin1String(n)).asString(); };
    auto i = [&](const char *n) { return r.fieldByName(QLatin1String(n)).asInteger(); };
    auto c = [&](const char *n) { return r.fieldByName(QLatin1String(n)).asCurrency(); };
    TSWKREC &rec = SiwakeRec;
    rec.HIZUKE = r.fieldByName(QStringLiteral("HIZUKE")).asDate();
    rec.KESSAN = i("KESSAN");
    rec.DNUM = i("DNUM");
    rec.SNUM = i("SNUM");
    rec.SCODE = s("SCODE");
    for (auto [prefix, side] : {std::pair{QString(), &rec.L}, std::pair{QStringLiteral("R_"), &rec.R}}) {
        auto sp = [&](const char *n) { return r.fieldByName(prefix + QLatin1String(n)).asString(); };
        // The record names accounts by their user codes.
        side->KGROUP = sp("KGROUP");
        side->KCODE = sp("USERCODE");
        side->HCODE = sp("HCODE");
        side->BCODE = sp("BCODE");
        side->TAXCODE = r.fieldByName(prefix + QStringLiteral("TAXCODE")).asInteger();
        side->KNAME.clear();
        side->HNAME.clear();
        side->BNAME.clear();
        side->NUK = Currency();
        side->ZEI = Currency();
        side->RIT = Currency();
        side->SIKIN = 0;
    }
    rec.KINGAKU = c("KINGAKU");
    rec.ZEIGAKU = c("ZEIGAKU");
    rec.ZEIRITUNO = i("ZEIRITUNO");
    rec.AUTCALCU = i("AUTCALCU");
    rec.TAXCALCU = i("TAXCALCU");
    rec.OLDRATE = i("OLDRATE");
    rec.TEKTEXT = s("TEKTEXT");
    rec.TORTEXT = s("TORTEXT");
    rec.FUSEN[0] = i("FUSEN1");
    rec.FUSEN[1] = i("FUSEN2");
    rec.COMMENT = s("COMMENT");
    rec.AO_COMMENT = s("AO_COMMENT");
    rec.MNUM = 0;
    rec.TEKCODE = 0;
    rec.TORCODE = 0;
    rec.RTIME = QDateTime::currentDateTime();
    rec.OPCODE = SystemDef.OpCode;

    const QString cash = AccInf.SysKCode[saGenkin];
    info.Date = rec.HIZUKE.toString(QStringLiteral("yyyy/MM/dd"));
    info.Counter = s("KCODE") != cash ? s("KNAME") : s("R_KNAME");
    info.Text = trimBlanks(rec.TEKTEXT);
    if (info.Text.isEmpty()) info.Text = QStringLiteral("－");
    info.Amount = FormatMoney(rec.KINGAKU.units());
}

int TCashBookLoader::writeEntry(QString &error)
{
    TSWKREC &rec = SiwakeRec;
    int code = 0;
    if (!SiwakeWrite.TestSiwake(rec, code, error)) return -1;

    TSwkTaxEntry tax;
    tax.Date = rec.HIZUKE;
    tax.Kingaku = rec.KINGAKU;
    tax.Zeigaku = rec.ZEIGAKU;
    tax.ZeirituNo = rec.ZEIRITUNO;
    tax.AutCalcu = rec.AUTCALCU;
    tax.TaxCalcu = rec.TAXCALCU;
    tax.Left.KamokuCode = accountCodeOf(rec.L.KCODE);
    tax.Left.TaxCode = rec.L.TAXCODE;
    tax.Right.KamokuCode = accountCodeOf(rec.R.KCODE);
    tax.Right.TaxCode = rec.R.TAXCODE;
    if (!CalcSiwakeTax(tax)) {
        error = QStringLiteral("仕訳の消費税額が計算できません。");
        return -1;
    }
    for (auto [side, calc] : {std::pair{&rec.L, &tax.Left}, std::pair{&rec.R, &tax.Right}}) {
        side->TAXDC = calc->TaxDC;
        side->TAXUH = calc->TaxUH;
        side->NUK = calc->Nuk;
        side->ZEI = calc->Zei;
        side->RIT = calc->Rit;
    }
    rec.KINGAKU = tax.Kingaku;
    rec.ZEIGAKU = tax.Zeigaku;
    rec.TAXCALCU = tax.TaxCalcu;
    if (rec.L.RIT.raw == 0 && rec.R.RIT.raw == 0) rec.TAXCALCU = TaxNone;
    rec.LOCALFLG = 10;
    const int result = SiwakeWrite.PutSiwake(rec);
    if (result == -1) error = QStringLiteral("訂正する仕訳が見つからないか、削除されています。");
    else if (result == -2) error = QStringLiteral("訂正する仕訳は既に訂正されています。");
    return result;
}

void TCashBookLoader::setLinkReserve(const LocalEntry &l, FbQuery &r)
{
    const int reserve1 = l.Found && SiwakeRec.RESERVE1 > 0 ? SiwakeRec.RESERVE1 : r.fieldByName(QStringLiteral("REC")).asInteger();
    IBSQL2.setSql(QStringList{QStringLiteral("UPDATE SIWAKE SET RESERVE1=:RESERVE1,RESERVE2=:RESERVE2"),
                              QStringLiteral("WHERE (SWKREC=:SWKREC)")});
    IBSQL2.paramByName(QStringLiteral("RESERVE1")).setInteger(reserve1);
    IBSQL2.paramByName(QStringLiteral("RESERVE2")).setInteger(r.fieldByName(QStringLiteral("LINKREC")).asInteger());
    IBSQL2.paramByName(QStringLiteral("SWKREC")).setInteger(SiwakeRec.SWKREC);
    IBSQL2.execSQL();
}

void TCashBookLoader::logEntry(qint32 code, const TSiwakeInfo &info, const QString &text)
{
    if (code > 0)
        AddLog(2, code,
               QStringLiteral("(仕訳番号:%1 日付:%2 相手科目:%3 摘要:%4 金額:%5) %6")
                   .arg(QString::number(info.SWKREC), info.Date, info.Counter, info.Text, info.Amount, text));
    else
        AddLog(3, code,
               QStringLiteral("(仕訳番号:-  日付:%1 相手科目:%2 摘要:%3 金額:%4) %5").arg(info.Date, info.Counter, info.Text, info.Amount, text));
}

bool TCashBookLoader::ImportCashSiwake()
{
    try {
        SiwakeWrite.MsgType = 1;
        SiwakeWrite.OwnTransaction = 0;
        SiwakeWrite.SetSCode(SystemDef.SisetuCode.isEmpty() ? QStringLiteral(" ") : SystemDef.SisetuCode);
        const QString cash = AccInf.SysKCode[saGenkin];

        FbQuery &r = ReceiveIBSQL1;
        r.setSql(QStringList{
            QStringLiteral("SELECT SWK.*,K1.USERCODE AS USERCODE,K2.USERCODE AS R_USERCODE FROM SIWAKE SWK"),
            QStringLiteral("INNER JOIN KAMOKUMST K1 ON(SWK.KCODE=K1.KCODE)"),
            QStringLiteral("INNER JOIN KAMOKUMST K2 ON(SWK.R_KCODE=K2.KCODE)"),
            QStringLiteral("WHERE (SWK.DELFLG IN (0,1)) AND (SWK.TAISHAKU=1) AND ((SWK.KCODE=:KCODE OR SWK.R_KCODE=:R_KCODE) OR "
                           "(SWK.LINKREC>0))"),
            QStringLiteral("ORDER BY SWK.HIZUKE,SWK.KESSAN,SWK.SWKNO")});
        r.paramByName(QStringLiteral("KCODE")).setString(cash);
        r.paramByName(QStringLiteral("R_KCODE")).setString(cash);
        for (r.open(); !r.eof(); r.next()) {
            const QString scode = r.fieldByName(QStringLiteral("SCODE")).asString();
            if (scode != SiwakeWrite.SCode()) SiwakeWrite.SetSCode(scode);

            const int delflg = r.fieldByName(QStringLiteral("DELFLG")).asInteger();
            const int reserve1 = r.fieldByName(QStringLiteral("RESERVE1")).asInteger();
            int kind = 0;
            if (delflg == 0 && reserve1 == 0) kind = 1;      // created in the cash book
            else if (delflg == 1 && reserve1 == 0) kind = 2; // created and deleted there
            else if (delflg == 0 && reserve1 > 0) kind = 3;  // an office entry, live there
            else if (delflg == 1 && reserve1 > 0) kind = 4;  // an office entry deleted there
            if (kind == 0) continue;

            const LocalEntry l = findLocalEntry(r);
            TSiwakeInfo info;
            if (kind == 1 || kind == 3) {
                SiwakeWrite.InitSiwakeRec(SiwakeRec, r.fieldByName(QStringLiteral("KESSAN")).asInteger(),
                                          r.fieldByName(QStringLiteral("HIZUKE")).asDate());
                bool wasDeleted = false;
                if (l.Found) {
                    if (!needsUpdate(l, r)) {
                        if (l.RESERVE1 == 0) {
                            SiwakeWrite.GetSiwake(SiwakeRec, l.REC, false);
                            setLinkReserve(l, r);
                        }
                        continue;
                    }
                    SiwakeWrite.GetSiwake(SiwakeRec, l.REC, false);
                    if (l.DELFLG == 1) {
                        restoreLinkedEntry(l, reserve1);
                        wasDeleted = true;
                    }
                }
                fillFromReceived(r, info);
                const int before = SiwakeRec.REC;
                QString error;
                const int result = writeEntry(error);
                if (result >= 0) setLinkReserve(l, r);
                info.SWKREC = SiwakeRec.SWKREC;
                if (result == 0 && (wasDeleted || SiwakeRec.REC != before))
                    logEntry(11, info, QStringLiteral("受信データの訂正仕訳が優先されました。"));
                else if (result < 0)
                    logEntry(-111, info, error);
            } else if (l.Found && l.DELFLG == 0) {
                SiwakeWrite.GetSiwake(SiwakeRec, l.REC, false);
                fillFromReceived(r, info);
                info.SWKREC = SiwakeRec.SWKREC;
                SiwakeWrite.DeleteSiwake(SiwakeRec.SWKREC);
                setLinkReserve(l, r);
                logEntry(12, info, QStringLiteral("受信データの削除仕訳が優先されました。"));
            }
        }
        r.close();
    } catch (const std::exception &e) {
        for (FbQuery *q : {&ReceiveIBSQL1, &ReceiveIBSQL2, &IBSQL1, &IBSQL2})
            if (q->active()) q->close();
        AddLog(3, -100, QStringLiteral("「現金仕訳の取り込み」に失敗しました。 ") + QStringLiteral("原因: %1").arg(exceptionText(e)));
        throw;
    }
    return ResultValue >= 0;
}
