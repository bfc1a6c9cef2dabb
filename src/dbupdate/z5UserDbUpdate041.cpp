// Company step 0.4.1: the twelve standard items of the audit checklist, their
// account references chosen by the data kind of the company.
#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"

namespace {

struct TKansaItem {
    int rec;
    const char16_t *text;
    const char16_t *note;
    int choubo;
    int kensaku;
    const char *column;    // the account column, or nullptr
    const char *corporate; // its account for a corporation
    const char *other;     // its account for every other data kind
};

const TKansaItem kItems[] = {
    {1, u"監査済み仕訳の修正チェック", u"前回監査から今回監査までの間に訂正・追加・削除した監査済み仕訳を確認しました。", 1, 1, nullptr, nullptr, nullptr},
    {2, u"現・預金の残高確認", u"現金及び預金の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {3, u"当座残高調整表の作成", u"当座残高調整表を作成し、残高照合表と元帳の差額を確認しました。", 3, 0, "TOZ_KCODE", "1102", "1102"},
    {4, u"売掛残の確認", u"売掛金の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {5, u"買掛残の確認", u"買掛金の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {6, u"受取手形の確認", u"受取手形の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {7, u"支払手形の確認", u"支払手形の残高を確認しました。", 0, 0, nullptr, nullptr, nullptr},
    {8, u"経過勘定の確認", u"仮払金、未払金等経過勘定の明細を確認しました。", 2, 0, "MOT_KCODE", "1306", "2104"},
    {9, u"不明勘定の確認", u"帳簿入力で相手科目の指定がなかった仕訳を確認し、正しい科目を割り当てました。", 2, 0, "MOT_KCODE", "1101", "1101"},
    {10, u"資本的支出の確認", u"修繕費の中に資本的支出（維持管理・原状回復費用）が含まれているかどうかを確認しました。", 2, 0, "MOT_KCODE", "6206", "6109"},
    {11, u"高額経費の確認", u"経費処理した取引の中に資産計上すべき取引がなかったかを確認しました。", 1, 1, nullptr, nullptr, nullptr},
    {12, u"消費税区分の確認", u"商品券の購入を課税取引とするなど、消費税の取り扱いに誤りがないか確認しました。", 2, 0, "MOT_KCODE", "6212", "6107"},
};

} // namespace

// The statements of the checklist for a data kind.
QStringList KansaItemLines(int dataType)
{
    QStringList lines{QStringLiteral("DELETE FROM KANSA_ITEM;")};
    for (const TKansaItem &item : kItems) {
        QString columns = QStringLiteral("REC, JUNJO, TEXT, NOTE, PRINT, CHECKMARK, CHOUBO, KENSAKU");
        QString values = QStringLiteral("%1, %1, '%2', '%3', 0, 0, %4, %5")
                             .arg(item.rec)
                             .arg(SqlText(QString::fromUtf16(item.text)), SqlText(QString::fromUtf16(item.note)))
                             .arg(item.choubo)
                             .arg(item.kensaku);
        if (item.column) {
            columns += QStringLiteral(", ") + QLatin1String(item.column);
            values += QStringLiteral(", '%1'").arg(QLatin1String(dataType == 1 ? item.corporate : item.other));
        }
        lines << QStringLiteral("INSERT INTO KANSA_ITEM (%1) VALUES (%2);").arg(columns, values);
    }
    lines << QStringLiteral("COMMIT;");
    return lines;
}

int UserDbUpdate041()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 4, 1);
    script.BeginStampLast(false);
    script.Add(KansaItemLines(AccInf.DATATYPE));
    script.EndStampLast();
    return script.Run();
}
