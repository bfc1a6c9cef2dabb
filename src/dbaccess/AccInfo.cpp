// The company master load, operator rights and default facility, data paths and
// the era table: the services of the data module that read the open data set.
#include "dbaccess/AccInfo.h"

#include "dbaccess/AccountLayout.h"
#include "dbaccess/DataModule.h"
#include "core/EasyEncode.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "core/Messages.h"
#include "core/MojiBunkatu.h"
#include "core/SjisText.h"

std::function<int(const QString &name, int number, const QString &params)> RunProcessHook;

// ---------------------------------------------------------------- names and kinds

QString TDM::GetDataTypeName(int dataType)
{
    switch (dataType) {
    case 1: return QStringLiteral("法人");
    case 2: return QStringLiteral("個人");
    case 3: return QStringLiteral("医療法人");
    default:
        throw platform::Error(QStringLiteral("このプログラムでは、該当のデータタイプを処理することが出来ません。(DataType=%1)").arg(dataType));
    }
}

QString TDM::GetCodeTypeName(int dataType, int codeType, bool fullForm)
{
    const QString typeName = GetDataTypeName(dataType);
    QString shortName;
    const auto codeError = [codeType] {
        return platform::Error(QStringLiteral("このプログラムでは、該当のコードタイプを処理することが出来ません。(CodeType=%1)").arg(codeType));
    };
    if (dataType == 1 || dataType == 3) {
        if (codeType != 1) throw codeError();
    } else {
        switch (codeType) {
        case 1: shortName = QStringLiteral("一般"); break;
        case 2: shortName = QStringLiteral("不動産"); break;
        case 3: shortName = QStringLiteral("クリニック"); break;
        case 4: shortName = QStringLiteral("農業"); break;
        default: throw codeError();
        }
    }
    if (!fullForm) return shortName;
    return shortName.isEmpty() ? typeName : typeName + QStringLiteral("／") + shortName;
}

bool TDM::SetMedicalMode(int dataType, int codeType)
{
    const bool medical = dataType == 3 && codeType == 1;
    SetupSisanhyouTables(medical);
    SetupSikinguriTables(medical);
    return medical;
}

bool TDM::SetMedicalModeOfSession()
{
    return SetMedicalMode(AccInf.DATATYPE, AccInf.CODETYPE);
}

bool TDM::IsMedicalDataKind(const QString &dataKind)
{
    return dataKind == u"医療法人" || dataKind == u"個人(クリニック)";
}

void TDM::SetSystemCode(const QString &roleName, QString &kcode, QString &userCode)
{
    kcode.clear();
    userCode.clear();
    TransactionGuard g(IBTransactionDAT);
    try {
        FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
        q.setSql(QStringList{QStringLiteral("SELECT A.KCODE,K.USERCODE FROM ACCDEF2 A"),
                             QStringLiteral("INNER JOIN KAMOKUMST K ON (A.KCODE=K.KCODE)"), QStringLiteral("WHERE A.KNAME=:NAME")});
        q.paramByName(QStringLiteral("NAME")).setString(roleName);
        q.open();
        if (!q.eof()) {
            kcode = q.field(0).asString();
            userCode = q.field(1).asString();
        }
        q.close();
        g.commit();
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TDM.SetSystemCode"), QString(), true);
        g.rollback();
        throw;
    }
}

QString TDM::GetUserCode(const QString &kcode)
{
    if (kcode.trimmed().isEmpty()) return QString();
    TransactionGuard g(IBTransactionDAT, TransactionGuard::Exit::Commit);
    FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
    q.setSql(QStringList{QStringLiteral("SELECT USERCODE FROM KAMOKUMST"), QStringLiteral("WHERE KCODE=:KCODE")});
    q.paramByName(QStringLiteral("KCODE")).setString(kcode);
    q.open();
    const QString code = q.eof() ? QString() : q.field(0).asString();
    q.close();
    g.commit();
    return code;
}

QString TDM::fnGetAccTotalName(const QString &group, const QString &column)
{
    QString result;
    try {
        TransactionGuard g(IBTransactionDAT, TransactionGuard::Exit::Commit);
        FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
        q.setSql(QStringList{QStringLiteral("SELECT %1 FROM ACCTOTALNAME").arg(column), QStringLiteral("WHERE KGROUP=:KGROUP")});
        q.paramByName(QStringLiteral("KGROUP")).setString(group);
        for (q.open(); !q.eof(); q.next()) result = q.field(0).asString();
        q.close();
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TDM.fnGetAccTotalName"), QStringLiteral("集計名称の取得に失敗しました。"), true);
        result.clear();
    }
    return result;
}

void TDM::GetTusinId(int rec, int slot)
{
    if (slot < 0 || slot >= int(AccInf.TusinPassword.size())) return;
    AccInf.TusinPassword[size_t(slot)].clear();
    AccInf.TusinHolder[size_t(slot)].clear();
    if (!fnExistence_Table(QStringLiteral("TUSIN_ID"))) return;
    TransactionGuard g(IBTransactionDAT, TransactionGuard::Exit::Commit);
    FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
    q.setSql(QStringList{QStringLiteral("SELECT REC,HOLDER,PASWORD FROM TUSIN_ID"), QStringLiteral("WHERE REC=:REC")});
    q.paramByName(QStringLiteral("REC")).setInteger(rec);
    for (q.open(); !q.eof(); q.next()) {
        AccInf.TusinHolder[size_t(slot)] = q.fieldByName(QStringLiteral("HOLDER")).asString();
        AccInf.TusinPassword[size_t(slot)] = q.fieldByName(QStringLiteral("PASWORD")).asString();
    }
    q.close();
    g.commit();
}

bool TDM::fnGetDataBaseVer(QString &version)
{
    version = QStringLiteral("0.0.0");
    try {
        // Read in a transaction of its own: one that is active is ended first.
        if (IBTransactionDAT.inTransaction()) IBTransactionDAT.commit();
        TransactionGuard g(IBTransactionDAT);
        FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
        q.setSql(QStringLiteral("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION WHERE REC=1"));
        q.open();
        if (!q.eof())
            version = QStringLiteral("%1.%2.%3").arg(q.field(0).asInteger()).arg(q.field(1).asInteger()).arg(q.field(2).asInteger());
        q.close();
        g.commit();
        return true;
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.fnGetDataBaseVer"), QStringLiteral("データベースのバージョンの取得に失敗しました。"));
    }
    return false;
}

// ---------------------------------------------------------------- company master

bool TDM::fnGetAccInfo()
{
    TACCINF &a = AccInf;
    const QString failText = QStringLiteral("基本情報の取得に失敗しました。\r");
    try {
        TransactionGuard guard(IBTransactionDAT, TransactionGuard::Exit::Commit);
        FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
        q.setSql(QStringLiteral("SELECT * FROM ACCDEF1"));
        q.open();
        if (q.eof()) throw platform::Error(QStringLiteral("基本設定(ACCDEF1)のレコードが見つかりませんでした。"));
        auto has = [&q](const char *n) { return q.findField(QLatin1String(n)) != nullptr; };
        auto I = [&q](const char *n) { return q.fieldByName(QLatin1String(n)).asInteger(); };
        auto T = [&q](const char *n) { return q.fieldByName(QLatin1String(n)).asString(); };
        auto D = [&q](const char *n) { return q.fieldByName(QLatin1String(n)).asDate(); };
        auto DT = [&q](const char *n) { return q.fieldByName(QLatin1String(n)).asDateTime(); };
        auto C = [&q](const char *n) { return q.fieldByName(QLatin1String(n)).asCurrency(); };

        a.GROUPID = I("GROUPID");
        a.ENTTEXT = T("ENTTEXT");
        a.SERIAL = T("SERIAL");
        a.TANTOU = I("TANTOU");
        a.GYOUSHU = I("GYOUSHU");
        a.DATATYPE = I("DATATYPE");
        a.DataTypeName = GetDataTypeName(a.DATATYPE);
        a.CODETYPE = I("CODETYPE");
        a.CodeTypeName = GetCodeTypeName(a.DATATYPE, a.CODETYPE, false);
        a.SCODE1 = T("SCODE1");
        a.SCODE2 = T("SCODE2");
        a.SKANA = T("SKANA");
        a.SHOUGOU = T("SHOUGOU");
        a.POST = T("POST");
        a.ADD1 = T("ADD1");
        a.ADD2 = T("ADD2");
        a.TEL = T("TEL");
        a.AO_ADD1 = T("AO_ADD1");
        a.AO_ADD2 = T("AO_ADD2");
        a.AO_KANA = T("AO_KANA");
        a.AO_SIMEI = T("AO_SIMEI");
        a.AO_GYOUSHU = T("AO_GYOUSHU");
        a.AO_YAGO = T("AO_YAGO");
        a.AO_KANYU = T("AO_KANYU");
        a.AO_TEL = T("AO_TEL");
        a.AO_SHOKUGYO1 = T("AO_SHOKUGYO1");
        a.AO_SHOKUGYO2 = T("AO_SHOKUGYO2");
        a.MAIL = T("MAIL");
        a.zzKISHU = D("ZZKISHU");
        a.zKISHU = D("ZKISHU");
        a.NENDO = I("NENDO");
        a.KISHU = D("KISHU");
        a.KIMATU = D("KIMATU");
        a.KAISI = D("KAISI");
        a.SIME = I("SIME");
        a.KAISINO = I("KAISINO");
        a.GENGOU_FLG = I("GENGOU_FLG");
        a.GENGOU_HOSEI = I("GENGOU_HOSEI");
        a.GENGOU_NAME = T("GENGOU_NAME");
        a.YAKUMEI1 = T("YAKUMEI1");
        a.YAKUMEI2 = T("YAKUMEI2");
        a.YAKUMEI3 = T("YAKUMEI3");
        for (int i = 0; i < 5; ++i) {
            const QByteArray n = QByteArray::number(i + 1);
            a.OLD_TAX_RATE[size_t(i)] = C(("OLD_TAX_RATE" + n).constData());
            a.NEW_TAX_RATE[size_t(i)] = C(("NEW_TAX_RATE" + n).constData());
            a.CHG_DAYS[size_t(i)] = DT(("CHG_DAYS" + n).constData());
        }
        a.KANSA_FIXDATE = DT("KANSA_FIXDATE");
        a.KANSA_DATE = DT("KANSA_DATE");
        a.CALCU = I("CALCU");
        a.TAXU_HASUU = I("TAXU_HASUU");
        a.TAXH_HASUU = I("TAXH_HASUU");
        a.TAXDEFUH = I("TAXDEFUH");
        a.TAXKANNI = I("TAXKANNI");
        a.TAXJIGYOU = I("TAXJIGYOU");
        a.GENKAPRINT = I("GENKAPRINT");
        a.KANSA_LOCK = I("KANSA_LOCK");
        a.TEGATADICSW = I("TEGATADICSW");
        if (has("KESSAN_KIKAN")) a.KESSAN_KIKAN = I("KESSAN_KIKAN");
        if (has("CASHFLOW_KIKAN1")) a.CASHFLOW_KIKAN1 = I("CASHFLOW_KIKAN1");
        if (has("CASHFLOW_KIKAN2")) a.CASHFLOW_KIKAN2 = I("CASHFLOW_KIKAN2");
        a.CASHFLOWSW = I("CASHFLOWSW");
        a.SDAI_HASUU1 = I("SDAI_HASUU1");
        a.SDAI_HASUU2 = I("SDAI_HASUU2");
        a.SDAI_HASUU3 = has("SDAI_HASUU3") ? I("SDAI_HASUU3") : 0;
        a.CONVERT = I("CONVERT");
        a.SHOUHYOU = I("SHOUHYOU");
        a.Reserved0 = 0;
        a.SITEN = I("SITEN");
        a.BUMON = I("BUMON");
        a.DATALOCK = I("DATALOCK");
        a.GENKA_USE = I("GENKA_USE");
        for (int i = 0; i < 5; ++i) a.GENKA_HWORD[size_t(i)] = T(("GENKA_HWORD" + QByteArray::number(i + 1)).constData());
        a.PASWORD = T("PASWORD");
        a.WEB_HOLDER = has("WEB_HOLDER") ? T("WEB_HOLDER") : QString();
        a.FUMEI_KCODE = T("FUMEI_KCODE");
        a.TAXDEFUH2 = a.TAXDEFUH;
        a.KURIKOSI1 = has("KURIKOSI1") ? I("KURIKOSI1") : a.TAXDEFUH;
        a.KURIKOSI2 = has("KURIKOSI2") ? I("KURIKOSI2") : a.TAXDEFUH;
        if (has("GENKA_HWORD6")) a.GENKA_HWORD[5] = T("GENKA_HWORD6");
        q.close();

        const char *const totals[6] = {"5880", "5580", "5680", "5780", "5790", "5688"};
        for (int i = 0; i < 6; ++i) a.TotalNames[size_t(i)] = fnGetAccTotalName(QLatin1String(totals[i]), QStringLiteral("PLUSNAME"));
        a.Fixed1 = 1;
        a.Medical = SetMedicalModeOfSession();
        a.Reserved2 = 0;

        a.StartIndex = MonthToPeriodIndex(a.KAISINO);
        a.PeriodCount = PeriodNo(a.SIME, 0, a.KISHU, a.KIMATU, a.KIMATU);
        a.MonthsToKaisi = MonthsBetween(a.SIME, a.KISHU, a.KAISI);
        a.MonthsToKimatu = MonthsBetween(a.SIME, a.KISHU, a.KIMATU);

        // System accounts by role.
        a.SysKCode.fill(QString());
        a.SysUserCode.fill(QString());
        a.BillKCode.fill(QString());
        a.BillUserCode.fill(QString());
        const bool medical = a.DATATYPE == 3 && a.CODETYPE == 1;
        const char16_t *const common[5] = {u"現金", u"仮払消費税", u"仮受消費税", u"諸口", u"繰越利益剰余金"};
        for (int i = 0; i < 5; ++i) {
            const QString role = (i == 4 && medical) ? QStringLiteral("前期繰越利益") : QString::fromUtf16(common[i]);
            SetSystemCode(role, a.SysKCode[size_t(i)], a.SysUserCode[size_t(i)]);
        }
        if (a.DATATYPE == 1) {
            const char16_t *const bills[3] = {u"受取手形", u"割引手形", u"裏書手形"};
            for (int i = 0; i < 3; ++i) SetSystemCode(QString::fromUtf16(bills[i]), a.BillKCode[size_t(i)], a.BillUserCode[size_t(i)]);
        }
        if (a.DATATYPE == 2) {
            const char16_t *const owner[3] = {u"事業主貸", u"事業主借", u"元入金"};
            for (int i = 0; i < 3; ++i) SetSystemCode(QString::fromUtf16(owner[i]), a.SysKCode[size_t(5 + i)], a.SysUserCode[size_t(5 + i)]);
        }
        if (medical) {
            const char16_t *const payroll[4] = {u"給料", u"賞与", u"賞与引当金繰入額", u"退職給付費用"};
            for (int i = 0; i < 4; ++i) SetSystemCode(QString::fromUtf16(payroll[i]), a.SysKCode[size_t(8 + i)], a.SysUserCode[size_t(8 + i)]);
        }

        a.FumeiUserCode = GetUserCode(a.FUMEI_KCODE);
        a.TusinPassword.fill(QString());
        a.TusinHolder.fill(QString());
        a.TusinPassword[0] = a.PASWORD;
        a.TusinHolder[0] = a.WEB_HOLDER;
        GetTusinId(1, 1);

        // The current year, the last one and the one before it.
        a.YearStart[0] = a.KISHU;
        // A date column holding date 0 is empty as well.
        const QDate z = NullIfDateZero(a.zKISHU), zz = NullIfDateZero(a.zzKISHU);
        a.YearStart[1] = z.isValid() ? z : IncMonthClamp(-12, a.KISHU);
        a.YearStart[2] = zz.isValid() ? zz : IncMonthClamp(-12, a.YearStart[1]);
        a.YearEnd[0] = a.KIMATU;
        a.YearEnd[1] = a.YearStart[0].addDays(-1);
        a.YearEnd[2] = a.YearStart[1].addDays(-1);
        a.YearStart2 = {a.KAISI, a.YearStart[1], a.YearStart[2]};

        const QString kihon = QStringLiteral("基本設定");
        const QString seisu = QStringLiteral("整数");
        auto regInt = [&](const QString &group, const char16_t *key, const QString &def = QStringLiteral("0")) {
            return GetAccReg(group, QString::fromUtf16(key), seisu, def).toInt();
        };
        a.KakoMeisai = regInt(kihon, u"過去明細取り込み");
        try {
            a.GassanKbn = regInt(kihon, u"合算データ区分");
        } catch (const FbError &) {
            a.GassanKbn = 0;
        }
        a.GassanCount = regInt(kihon, u"合算データ数");
        a.KamokuDigits = regInt(kihon, u"科目コード桁数");
        a.HojoDigits = regInt(kihon, u"補助コード桁数");
        a.BumonDigits = regInt(kihon, u"部門コード桁数");
        regInt(kihon, u"一括税抜処理");
        a.IkkatuZeinuki = 0;
        a.Reserved3 = 0;
        a.PrintKikanUse = regInt(kihon, u"印刷用期間使用区分");
        a.PrintKikanStart = GetAccReg(kihon, QStringLiteral("印刷用期間（期首）"), QStringLiteral("日付"), QStringLiteral("0")).toDate();
        a.PrintKikanEnd = GetAccReg(kihon, QStringLiteral("印刷用期間（期末）"), QStringLiteral("日付"), QStringLiteral("0")).toDate();
        a.KobetuGenkaUse = regInt(kihon, u"個別原価使用区分");
        a.KobetuGenkaName = GetAccReg(kihon, QStringLiteral("個別原価別名"), QStringLiteral("文字"), QStringLiteral("個別原価")).toString();
        a.KobetuGenkaDigits = regInt(kihon, u"個別原価コード桁数");
        a.MyNumberUse = regInt(kihon, u"＃USE");
        // Stored enciphered by another component of the family; kept as read.
        a.MyNumberKey = GetAccReg(kihon, QStringLiteral("＃KEY"), QStringLiteral("文字"), QString()).toString().trimmed();
        a.MyNumberValue = GetAccReg(kihon, QStringLiteral("＃VALUE"), QStringLiteral("文字"), QString()).toString().trimmed();
        a.CloudKbn = regInt(QStringLiteral("通信設定"), u"クラウド区分");
        regInt(QStringLiteral("減価償却設定"), u"250%定率法で償却する経過措置");
        regInt(QStringLiteral("減価償却設定"), u"200%定率法で償却する経過措置");

        a.BumonCount = 0;
        if (a.BUMON != 0) {
            FbQuery c(&IBDatabaseDAT, &IBTransactionDAT);
            c.setSql(QStringList{QStringLiteral("SELECT COUNT(BCODE) AS RECCNT FROM BUMONMST"), QStringLiteral("WHERE BCODE<>''")});
            c.open();
            a.BumonCount = c.field(0).asInteger();
            c.close();
        }
        {
            FbQuery v(&IBDatabaseDAT, &IBTransactionDAT);
            v.setSql(QStringList{QStringLiteral("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION"),
                                 QStringLiteral("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC")});
            v.open();
            a.MAJOR = v.eof() ? 0 : v.field(0).asInteger();
            a.MINOR1 = v.eof() ? 0 : v.field(1).asInteger();
            a.MINOR2 = v.eof() ? 0 : v.field(2).asInteger();
            v.close();
        }
        guard.commit();

        // The data password: plain before version 7, scrambled from then on.
        if (a.MAJOR < 7) {
            a.DataPassword = TrimZen(GetAccReg(kihon, QStringLiteral("データパスワード"), QStringLiteral("文字"), QString()).toString());
        } else {
            TEasyEncodeInfo info;
            info.Key = EasyEncodeCompanyKey;
            ClearEasyEncodeInfo(info);
            info.EncodeLength = 8;
            info.PlainLength = 8;
            info.EncodeText = TrimZen(GetAccReg(kihon, QStringLiteral("データパスワードV2"), QStringLiteral("文字"), QString()).toString());
            EasyDecode(info); // a cut text keeps what was read before the cut
            a.DataPassword = info.PlainText;
        }
        a.BranchFlag = a.SITEN == 0 ? 1 : SystemDef.Reserve4Bit[4];
        return true;
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.fnGetAccInfo"), failText);
    }
    return false;
}

// ---------------------------------------------------------------- operator rights

bool TDM::IsUnrestrictedOperator()
{
    return SystemDef.SysDef.AllSitenOperator == 1 || SystemDef.OpAllSiten || SystemDef.OpLevel == 9;
}

bool TDM::fnGetExistsOpeDefSisetu()
{
    if (IsUnrestrictedOperator()) return true;
    const QString text = QStringLiteral("通常使用するデータ（本・支店）の取得に失敗しました。");
    try {
        TransactionGuard g(IBTransactionDAT, TransactionGuard::Exit::Commit);
        FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
        q.setSql(QStringList{QStringLiteral("SELECT OD.OPCODE,OD.SCODE FROM OPDEFSISETU OD"),
                             QStringLiteral("INNER JOIN OPLICENSE OL ON (OD.OPCODE=OL.OPCODE)"),
                             QStringLiteral("WHERE OD.OPCODE=:OPCODE")});
        q.paramByName(QStringLiteral("OPCODE")).setInteger(SystemDef.OpCode);
        q.open();
        const bool any = !q.eof();
        q.close();
        return any;
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.fnGetExistsOpeDefSisetu"), text);
    }
    return false;
}

void TDM::GetTextValue(const QString &text, const QString &name, QString &value)
{
    const QString line = GetNameValueLine(text, name);
    value = line.isEmpty() ? QString() : line.mid(line.indexOf(u'=') + 1);
}

void TDM::GetSisetuColor(const QString &text, const QString &name, QVariant &value)
{
    value = 0;
    const QString key = name.toUpper();
    QString v;
    GetTextValue(text, key, v);
    if (key == u"COLOR") {
        int color = 0;
        if (!v.trimmed().isEmpty()) color = v.trimmed().toInt();
        value = color > 0 ? color : 0xFFAF80;
    } else {
        value = v;
    }
}

bool TDM::readOpeDefSisetu(QString &name)
{
    name.clear();
    TransactionGuard g(IBTransactionDAT, TransactionGuard::Exit::Commit);
    const bool medical = AccInf.Medical;
    QStringList sql;
    bool bound = false;
    if (IsUnrestrictedOperator()) {
        if (!medical && AccInf.SITEN != 0)
            sql = {QStringLiteral("SELECT SCODE,SNAME,1 AS JIGYOKBN,XSTR FROM SISETUMST"),
                   QStringLiteral("WHERE SCODE=(SELECT MIN(SCODE) FROM SISETUMST WHERE SCODE<>'')")};
        else if (!medical)
            sql = {QStringLiteral("SELECT ' ' AS SCODE,SHOUGOU AS SNAME,1 AS JIGYOKBN,0 AS XSTR FROM ACCDEF1")};
        else if (AccInf.SITEN == 0)
            throw platform::Error(QStringLiteral("このデータは医療法人データですが、施設管理がおこなわれていません。\r"
                                                 "データが損傷している可能性があります。"));
        else
            sql = {QStringLiteral("SELECT SCODE,SNAME,MB_JIGYOU AS JIGYOKBN,XSTR FROM SISETUMST"),
                   QStringLiteral("WHERE SCODE=(SELECT MIN(SCODE) FROM SISETUMST WHERE (SCODE<>'') AND (SCODE<>'00'))")};
    } else {
        bound = true;
        sql = {medical ? QStringLiteral("SELECT O.SCODE,S.SNAME,S.MB_JIGYOU AS JIGYOKBN,S.XSTR FROM OPDEFSISETU O")
                       : QStringLiteral("SELECT O.SCODE,S.SNAME,1 AS JIGYOKBN,S.XSTR FROM OPDEFSISETU O"),
               QStringLiteral("INNER JOIN SISETUMST S ON (O.SCODE=S.SCODE)"), QStringLiteral("WHERE OPCODE=:OPCODE")};
    }
    bool any = false;
    auto readRows = [&](FbQuery &q) {
        for (q.open(); !q.eof(); q.next()) {
            any = true;
            QString code = q.fieldByName(QStringLiteral("SCODE")).asString();
            if (code.isEmpty()) code = QStringLiteral(" ");
            SystemDef.SisetuCode = code;
            SystemDef.DefSisetuCode = code;
            SystemDef.SisetuKind = q.fieldByName(QStringLiteral("JIGYOKBN")).asInteger();
            QVariant color;
            GetSisetuColor(q.fieldByName(QStringLiteral("XSTR")).asString(), QStringLiteral("COLOR"), color);
            SystemDef.SysDef.SisetuColor = color.toInt();
            name = q.fieldByName(QStringLiteral("SNAME")).asString();
        }
        q.close();
    };
    FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
    q.setSql(sql);
    if (bound) q.paramByName(QStringLiteral("OPCODE")).setInteger(SystemDef.OpCode);
    readRows(q);
    if (medical && !any) {
        q.setSql(QStringList{QStringLiteral("SELECT SCODE,SNAME,MB_JIGYOU AS JIGYOKBN,XSTR FROM SISETUMST"),
                             QStringLiteral("WHERE SCODE='00'")});
        readRows(q);
    }
    return any;
}

void TDM::GetOpeDefSisetu(QString &name)
{
    try {
        readOpeDefSisetu(name);
    } catch (const std::exception &e) {
        name.clear();
        reportError(e, QStringLiteral("TDM.GetOpeDefSisetu"), QStringLiteral("通常使用するデータ（本・支店）の取得に失敗しました。"));
    }
}

bool TDM::GetOpeDefSisetuCode()
{
    try {
        QString name;
        return readOpeDefSisetu(name);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.GetOpeDefSisetuCode"), QStringLiteral("通常使用するデータ（本・支店）の取得に失敗しました。"));
    }
    return false;
}

// ---------------------------------------------------------------- data paths and eras

void TDM::SplitDataPath(const QString &path, QString &first, QString &second)
{
    first.clear();
    second.clear();
    TMojiBunkatu m;
    m.Delimiter = u'/';
    QString p = RemoveSpaces(path);
    p.replace(u'\\', u'/');
    m.Split(p);
    for (int i = 0; i < m.Count; ++i) {
        const QString part = m.Item(i);
        if (part.compare(QStringLiteral("DATA"), Qt::CaseInsensitive) == 0 ||
            part.compare(QStringLiteral("CB_DATA"), Qt::CaseInsensitive) == 0) {
            first = m.Item(i + 1);
            second = m.Item(i + 2);
            return;
        }
    }
}

void TDM::GetDataListRec(const QString &dataDir, int &listNo, int &childNo)
{
    listNo = 0;
    childNo = 0;
    if (dataDir.trimmed().isEmpty()) return;
    if (ConnectMode == 0) {
        QString a, b;
        SplitDataPath(dataDir, a, b);
        listNo = a.toInt();
        childNo = b.toInt();
        return;
    }
    try {
        TransactionGuard g(IBTransactionDEF, TransactionGuard::Exit::Commit);
        IBSQLDEF.setSql(QStringList{QStringLiteral("SELECT REC FROM DATALIST"),
                                    QStringLiteral("WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)")});
        IBSQLDEF.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        IBSQLDEF.paramByName(QStringLiteral("PASNAME")).setString(dataDir.toUpper());
        for (IBSQLDEF.open(); !IBSQLDEF.eof(); IBSQLDEF.next()) listNo = IBSQLDEF.field(0).asInteger();
        IBSQLDEF.close();
    } catch (const std::exception &) {
    }
}

void TDM::LoadGengo()
{
    GengoTable.clear();
    {
        try {
            TransactionGuard g(IBTransactionDEF, TransactionGuard::Exit::Commit);
            IBSQLDEF.setSql(QStringLiteral("SELECT COUNT(*) AS RECCNT FROM GENGO"));
            IBSQLDEF.open();
            GengoTable.reserve(IBSQLDEF.field(0).asInteger());
            IBSQLDEF.close();
            IBSQLDEF.setSql(QStringList{QStringLiteral("SELECT GNAME,GSIGN,STARTDATE,YEAROFFSET FROM GENGO"),
                                        QStringLiteral("ORDER BY YEAROFFSET DESC")});
            for (IBSQLDEF.open(); !IBSQLDEF.eof(); IBSQLDEF.next()) {
                TGengoRec e;
                e.Name = IBSQLDEF.field(0).asString();
                e.ShortName = IBSQLDEF.field(1).asString();
                e.StartDate = IBSQLDEF.field(2).asDate();
                e.StartYear = IBSQLDEF.field(3).asInteger();
                GengoTable.push_back(e);
            }
            IBSQLDEF.close();
        } catch (const std::exception &) {
            GengoTable.clear();
        }
    }
    if (GengoTable.empty()) InitGengoTable();
}

void TDM::TimerFormCloseTimer()
{
    TimerFormClose.stop();
    const QVariant tag = TimerFormClose.property("Tag");
    if (auto *form = tag.value<QObject *>()) {
        TimerFormClose.setProperty("Tag", QVariant());
        QMetaObject::invokeMethod(form, "close"); // a form's own close slot
    }
}

void TDM::TimerSyoriKidouTimer()
{
    TimerSyoriKidou.stop();
    if (RunProcessHook) RunProcessHook(SyoriKidouName, SyoriKidouNumber, SyoriKidouParams);
    SyoriKidouName.clear();
    SyoriKidouNumber = 0;
    SyoriKidouParams.clear();
}
