// Company step 1.0.2: the prior-year balances evaluated and repaired in the
// open company database before the script, then the fixed assets of converted
// data, the journal repair procedure, the special-account table and the
// department trial balance.
#include "dbaccess/AccInfo.h"
#include "dbaccess/FbClient.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"
#include "framework/MessageDlg2.h"

#include <QSet>

#include <exception>
#include <optional>
#include <vector>

namespace {

// The period before the month the data starts in; none for another value.
std::optional<int> periodBeforeStart(int kaisino)
{
    static const int periods[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    if (kaisino < 1 || kaisino > 12) return std::nullopt;
    return periods[kaisino - 1];
}

} // namespace

// The opening balance of every combination written as the prior-year balance
// of the period before the data starts, in one transaction of the caller.
void RepairPriorYearBalances(FbQuery &q, int dataType, const QDate &kishu, const QDate &kaisi, int kaisino)
{
    const bool fromFirstDay = kishu.isValid() && kishu == kaisi;
    QSet<QString> owners;
    if (dataType == 2 && fromFirstDay) {
        q.setSql(QStringLiteral("SELECT KCODE FROM ACCDEF2 WHERE KNAME=:KNAME "));
        for (const char16_t *name : {u"事業主貸", u"事業主借", u"元入金"}) {
            q.paramByName(QStringLiteral("KNAME")).setString(QString::fromUtf16(name));
            for (q.open(); !q.eof(); q.next()) owners << q.field(0).asString();
            q.close();
        }
    }
    const std::optional<int> mnum = fromFirstDay ? std::optional<int>(0) : periodBeforeStart(kaisino);

    struct Row {
        QString scode, kcode, hcode, bcode;
        Currency kaisizan;
    };
    std::vector<Row> rows;
    q.setSql(QStringList{QStringLiteral("SELECT Z.SCODE,Z.KCODE,Z.HCODE,Z.BCODE,Z.KAISIZAN,K.BPFLG"),
                         QStringLiteral("FROM KAMOKU_SZ Z INNER JOIN KAMOKUMST K ON (K.KCODE=Z.KCODE)")});
    for (q.open(); !q.eof(); q.next()) {
        const QString kcode = q.field(1).asString();
        const bool balanceSheet = q.field(5).asString() == QLatin1String("B");
        if (!balanceSheet && fromFirstDay) continue;
        if (balanceSheet && dataType == 2 && fromFirstDay && owners.contains(kcode)) continue;
        rows.push_back({q.field(0).asString(), kcode, q.field(2).asString(), q.field(3).asString(), q.field(4).asCurrency()});
    }
    q.close();
    if (!mnum) return; // no period before the start: nothing to write

    q.setSql(QStringLiteral("UPDATE KAMOKU_PZ SET NUKIZAN=:NUKIZAN WHERE SCODE=:SCODE and KCODE=:KCODE and HCODE=:HCODE "
                            "and BCODE=:BCODE and MNUM=:MNUM "));
    for (const Row &r : rows) {
        q.paramByName(QStringLiteral("NUKIZAN")).setCurrency(r.kaisizan);
        q.paramByName(QStringLiteral("SCODE")).setString(r.scode);
        q.paramByName(QStringLiteral("KCODE")).setString(r.kcode);
        q.paramByName(QStringLiteral("HCODE")).setString(r.hcode);
        q.paramByName(QStringLiteral("BCODE")).setString(r.bcode);
        q.paramByName(QStringLiteral("MNUM")).setInteger(*mnum);
        q.execSQL();
    }
    q.setSql(QString());
}

int UserDbUpdate102()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 1, 0, 2);
    try {
        const int dataType = AccInf.DATATYPE;
        const QDate kishu = AccInf.KISHU, kaisi = AccInf.KAISI;
        const int kaisino = AccInf.KAISINO;
        RunPreStep(TDbUpdateTarget::Company, [&](FbQuery &q) { RepairPriorYearBalances(q, dataType, kishu, kaisi, kaisino); });
    } catch (const std::exception &) {
        // The repair was rolled back and the database closed.
        TMessage2InfoRec box;
        InitMessage2InfoRec(1, box);
        box.Buttons = mbOK;
        box.Lines[0].Caption = QStringLiteral("Ver ") + script.VersionText() +
                               QStringLiteral("のデータベース更新に失敗しました。(過年度残高の評価と修復)");
        ShowMessageBox2(box);
        return DbUpdateToolError;
    }
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate102.sql")));
    script.EndStampLast();
    return script.Run();
}
