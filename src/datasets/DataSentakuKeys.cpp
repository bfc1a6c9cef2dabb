#include "datasets/DataSentakuKeys.h"

namespace {

const QString kFree = QStringLiteral("空き領域");
const QString kNew = QStringLiteral("新しい領域");

bool isTopKind(int g) { return g == 0 || g == 1 || g == 2; }

} // namespace

QString DataSentakuBareKey(int key)
{
    switch (key) {
    case dkESC: return QStringLiteral("ESC:");
    case dkF12: return QStringLiteral("F12:");
    default: return QStringLiteral("F%1:").arg(key);
    }
}

TDataKeyState ComputeDataSentakuKeys(const TDataKeyInput &in)
{
    TDataKeyState s;
    const bool server = in.ConnectMode == 1 || in.ConnectMode == 2;
    QStringList &c = s.Captions;
    c = {QStringLiteral("ESC:ｷｬﾝｾﾙ"), QStringLiteral("F1:ヘルプ"),    QStringLiteral("F2:コピー"),
         QStringLiteral("F3:新規作成"),  server ? QStringLiteral("F4:領域追加") : QStringLiteral("F4:割当解除"),
         QStringLiteral("F5:ﾃﾞｰﾀ削除"), QStringLiteral("F6:保存"),      QStringLiteral("F7:復元"),
         QStringLiteral("F8:印刷"),     QStringLiteral("F12:選択")};
    auto off = [&c](int k) { c[k] = DataSentakuBareKey(k); };
    if (in.SyoriType == 2 || in.SyoriType == 4) off(dkF3);

    if (in.GridActive && in.HasRow) {
        s.KeyState = 1;
        if (in.CopyPending) {
            s.KeyState = 2;
            c[dkF2] = QStringLiteral("F2:貼り付け");
            s.PasteHint = true;
        }
        const bool named = !in.ENTTEXT.isEmpty();
        if (server) {
            if (named) {
                off(dkF3);
                if (in.ConnectMode == 1) c[dkF3] = QStringLiteral("F3:持ち出し");
            } else {
                if (!in.CopyPending) off(dkF2);
                off(dkF5);
                off(dkF6);
            }
        } else if (in.NETDRIVE != 0 && in.KYOYULOCK == 0) {
            for (int k : {dkF2, dkF3, dkF5, dkF7}) off(k);
            if (in.GASSAN == 10) off(dkF4);
            if (in.KyoyuAutoVisible && !in.KyoyuAuto) off(dkF12);
        } else if (in.NETDRIVE != 0) {
            for (int k : {dkF3, dkF4, dkF5}) off(k);
            if ((isTopKind(in.GASSAN) && in.ENTTEXT == kFree) || in.ENTTEXT == kNew) {
                c[dkF3] = QStringLiteral("F3:新規作成");
                c[dkF4] = QStringLiteral("F4:割当解除");
            }
            if (in.GASSAN == 1) c[dkF3] = QStringLiteral("F3:分散追加");
            if (in.GASSAN == 10 && in.ParentGASSAN == 1) c[dkF5] = QStringLiteral("F5:ﾃﾞｰﾀ削除");
        } else {
            off(dkF4);
            if (named) {
                off(dkF3);
                if (in.GASSAN == 1) c[dkF3] = QStringLiteral("F3:分散追加");
                if (in.GASSAN == 10 && in.ParentGASSAN == 2) off(dkF5);
            } else {
                if (!in.CopyPending) off(dkF2);
                off(dkF5);
                off(dkF6);
            }
        }
    }

    if (s.KeyState == 1) {
        if (!in.KyoyuAuto) {
            const bool named = !in.ENTTEXT.isEmpty() && in.ENTTEXT != kFree && in.ENTTEXT != kNew;
            if (in.NETDRIVE == 0) {
                s.KyoyuDownEnabled = in.ENTTEXT.isEmpty();
                s.KyoyuUpEnabled = false;
            } else if (named) {
                s.KyoyuDownEnabled = in.KYOYULOCK == 0;
                s.KyoyuUpEnabled = in.KYOYULOCK == 1;
            }
        }
        if (in.DATA_STATUS != 0) {
            for (int k : {dkF2, dkF3, dkF4, dkF6, dkF12}) off(k);
            s.KyoyuUpEnabled = false;
        }
    }
    if (!in.GridEnabled) {
        s.KeyState = 0;
        off(dkF8);
        off(dkF12);
    }
    if (s.KeyState == 0)
        for (int k = dkF2; k <= dkF7; ++k) off(k);
    if (in.SyoriType == 3) {
        for (int k = dkF1; k <= dkF8; ++k) off(k);
        s.SearchEnabled = false;
    } else if (in.SyoriType == 4) {
        for (int k : {dkF1, dkF2, dkF3, dkF6, dkF7, dkF8}) off(k);
    } else if (in.SyoriType == 5) {
        for (int k = dkF1; k <= dkF8; ++k) off(k);
    }
    return s;
}

QString DataSentakuGridHint(int syoriType, int connectMode)
{
    const QString choose = QStringLiteral("［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。");
    const QString head = choose + u'|' + choose + QStringLiteral("\r\n");
    if (syoriType == 4)
        return choose + QStringLiteral("|［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で空いている行を選択します。\r\n");
    if (syoriType == 2) {
        switch (connectMode) {
        case 0:
            return head + QStringLiteral(
                       "［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n選択ﾃﾞｰﾀを削除する場合は［F5］、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。\r\n"
                       "共有ﾃﾞｰﾀを処理する場合は［共有取得］、取得した共有ﾃﾞｰﾀを他のｵﾍﾟﾚｰﾀが使えるようにする場合は［共有保管］をｸﾘｯｸします。");
        case 1: return head;
        default:
            return head + QStringLiteral(
                       "［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n選択ﾃﾞｰﾀを削除する場合は［F5］を、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。");
        }
    }
    switch (connectMode) {
    case 0:
        return head + QStringLiteral(
                   "空白行は選択できません。［F3］で新規にﾃﾞｰﾀを作成するか、又は［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n"
                   "選択ﾃﾞｰﾀを削除する場合は［F5］、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。\r\n"
                   "共有ﾃﾞｰﾀを処理する場合は［共有取得］、取得した共有ﾃﾞｰﾀを他のｵﾍﾟﾚｰﾀが使えるようにする場合は［共有保管］をｸﾘｯｸします。");
    case 1: return head + QStringLiteral("空白行は選択できません。");
    default:
        return head + QStringLiteral(
                   "空白行は選択できません。［F3］で新規にﾃﾞｰﾀを作成するか、又は［F7］で作成済みのﾃﾞｰﾀを復元してください。\r\n"
                   "選択ﾃﾞｰﾀを削除する場合は［F5］を、ﾌﾗｯｼｭﾒﾓﾘなどのﾒﾃﾞｨｱに保存する場合は［F6］を押します。");
    }
}

QString DataSentakuPasteHint()
{
    return QStringLiteral("貼り付け先を選択して［F2］を押します。|貼り付け先を選択して［F2］を押します。\r\n"
                          "ｺﾋﾟｰ処理を中断する場合は［ESC］を押します。");
}
