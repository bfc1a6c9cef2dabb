#include "dbaccess/OperatorSettings.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/SjisText.h"


namespace {

bool inEdition() { return Edition == 1 || Edition == 2; }

const char16_t *const kTekiyoOpenKeys[4] = {u"摘要＿辞書開く区分", u"摘要＿連想開く区分", u"摘要＿自動開く区分",
                                            u"摘要＿入力なし区分"};
const char16_t *const kTorihikiOpenKeys[4] = {u"取引先＿辞書開く区分", u"取引先＿連想開く区分",
                                              u"取引先＿自動開く区分", u"取引先＿入力なし区分"};

// The title keys that are loaded: (statement, layout, key, default).
struct TitleKey {
    int statement, layout;
    const char16_t *key, *def;
};
const TitleKey kTitleKeys[] = {
    {0, 0, u"全科目ＢＳタイトル", u"資産・負債・純資産"}, {1, 0, u"全科目資産タイトル", u"資産の部"},
    {2, 0, u"全科目負債タイトル", u"負債・純資産の部"},   {3, 0, u"全科目ＰＬタイトル", u"損益"},
    {1, 1, u"定形A4資産タイトル", u"資産の部"},          {2, 1, u"定形A4負債タイトル", u"負債・純資産の部"},
    {3, 1, u"定形A4ＰＬタイトル", u"損益"},              {4, 1, u"定形A4販売費タイトル", u"販売費・一般管理費"},
    {0, 2, u"定形A3ＢＳタイトル", u"資産・負債・純資産"}, {3, 2, u"定形A3ＰＬタイトル", u"損益"},
};

QString S(const char16_t *s) { return QString::fromUtf16(s); }

} // namespace

bool TDM::fnGetSysDef()
{
    TSystemDef &r = SystemDef;
    TSysDefSettings &o = r.SysDef;
    try {
        // The load commits what it started on every path, a failure's too.
        TransactionGuard g(IBTransactionDEF, TransactionGuard::Exit::Commit);
        IBQSysDefGet.setSql(QStringLiteral("SELECT * FROM SYSDEF WHERE OPCODE=:OPCODE"));
        IBQSysDefGet.paramByName(QStringLiteral("OPCODE")).setInteger(r.OpCode);
        IBQSysDefGet.open();
        if (IBQSysDefGet.eof()) {
            IBQSysDefGet.close();
            const bool ed = inEdition();
            IBQSysDefPut.setSql(QStringList{
                QStringLiteral("INSERT INTO SYSDEF(OPCODE,SankakuPlus,ColHeaderColor,ColHeaderGradColor1,ColHeaderGradColor2,"),
                QStringLiteral("ClientColor,ClientColor1,ClientColor2,TotalColor,ActiveColor,NetColor1,NetColor2,PLineColor1,"
                               "PLineColor2,DICSWITCH,DicTekAuto,DicTorAuto)"),
                QStringLiteral("VALUES(:OPCODE,1,:ColHeaderColor,:ColHeaderGradColor1,:ColHeaderGradColor2,"),
                QStringLiteral(":ClientColor,:ClientColor1,:ClientColor2,:TotalColor,:ActiveColor,:NetColor1,:NetColor2,"
                               ":PLineColor1,:PLineColor2,:DICSWITCH,:DicTekAuto,:DicTorAuto)")});
            const std::pair<const char *, int> values[] = {
                {"OPCODE", r.OpCode},
                {"ColHeaderColor", 0xDBDBDB},
                {"ColHeaderGradColor1", 0xFFFFFF},
                {"ColHeaderGradColor2", 0xDBDBDB},
                {"ClientColor", 0xFFFFFF},
                {"ClientColor1", 0xFFFFFF},
                {"ClientColor2", ed ? 0xF2FFEE : 0xE1F0FF},
                {"TotalColor", ed ? 0xD6FFC8 : 0x8EC7FF},
                {"ActiveColor", ed ? 0x8000 : 0x246BFF},
                {"NetColor1", 0xD7FFD7},
                {"NetColor2", 0xD7FFD7},
                {"PLineColor1", 0x7900},
                {"PLineColor2", 0x7900},
                {"DICSWITCH", ed ? 2 : 0},
                {"DicTekAuto", ed ? 2 : 1},
                {"DicTorAuto", ed ? 0 : 1},
            };
            for (const auto &[name, value] : values) IBQSysDefPut.paramByName(QLatin1String(name)).setInteger(value);
            IBQSysDefPut.execSQL();
            IBQSysDefGet.open();
            const QString k = QStringLiteral("整数");
            const int first[4] = {1, 0, 1, 0};
            for (int i = 0; i < 4; ++i) {
                PutSysReg(S(kTekiyoOpenKeys[i]), k, first[i]);
                PutSysReg(S(kTorihikiOpenKeys[i]), k, first[i]);
            }
            if (ed) {
                const std::pair<const char16_t *, int> edition[] = {
                    {u"次項目移動区分", 1}, {u"科目コード桁数", 0},   {u"補助コード桁数", 0},
                    {u"部門コード桁数", 1}, {u"仕訳日付フォーカス", 1}, {u"元帳最終行残高出力区", 1},
                    {u"試算表集計出力区分", 1}, {u"元帳１行出力区分", 0}, {u"元帳付箋マーク出力区", 0},
                    {u"連想辞書抽出条件区分", 1}};
                for (const auto &[key, value] : edition) PutSysReg(S(key), k, value);
                const int again[8] = {0, 1, 1, 0, 1, 0, 0, 0};
                for (int i = 0; i < 4; ++i) PutSysReg(S(kTekiyoOpenKeys[i]), k, again[i]);
                for (int i = 0; i < 4; ++i) PutSysReg(S(kTorihikiOpenKeys[i]), k, again[4 + i]);
            }
        }

        r.SettingsReadFlag = false;
        if (!IBQSysDefGet.eof()) {
            auto intOf = [this](const char *name) {
                FbField *f = IBQSysDefGet.findField(QLatin1String(name));
                return f ? f->asInteger() : 0;
            };
            auto textOf = [this](const char *name) {
                FbField *f = IBQSysDefGet.findField(QLatin1String(name));
                return f ? f->asString() : QString();
            };
#define SYSDEF_LOAD(name) o.name = intOf(#name);
            SYSDEF_INT_COLUMNS(SYSDEF_LOAD)
#undef SYSDEF_LOAD
            r.DataDir = textOf("DataDir");
            o.PrinterName = textOf("PrinterName");
            o.FontName = textOf("FontName");
            o.ZenkaiDrive = textOf("ZenkaiDrive");
            o.SSTR = textOf("SSTR");
            if (o.ColHeaderGradColor1 == 0) o.ColHeaderGradColor1 = 0xFFFFFF;
            if (o.ColHeaderGradColor2 == 0) o.ColHeaderGradColor2 = 0xBBBBBB;
        }
        IBQSysDefGet.close();

        o.Reserve2Flag1 = GetFlagBit(quint32(o.Reserve2), 1);
        o.Reserve2Flag2 = GetFlagBit(quint32(o.Reserve2), 2);
        r.Reserve4Bit.fill(0);
        for (int bit : {1, 2, 3, 4, 7, 8, 9, 10, 11}) r.Reserve4Bit[size_t(bit)] = GetFlagBit(quint32(o.Reserve4), bit);
        r.Reserve4Value56 = GetFlagBit(quint32(o.Reserve4), 5) ? 1 : (GetFlagBit(quint32(o.Reserve4), 6) ? 2 : 0);

        o.OfficeName.clear();
        o.OfficeAddress.clear();
        o.OfficeTel.clear();
        o.Office1 = o.Office2 = o.Office3 = 0;
        TSystemIniRec row10;
        row10.REC = 10;
        if (GetSysIni(row10)) {
            o.OfficeName = GetNameValueLine(row10.SSTR, QStringLiteral("NAME")).section(u'=', 1);
            o.OfficeAddress = GetNameValueLine(row10.SSTR, QStringLiteral("JYUSHO")).section(u'=', 1);
            o.OfficeTel = GetNameValueLine(row10.SSTR, QStringLiteral("TEL")).section(u'=', 1);
            o.Office1 = row10.RESERVE1;
            o.Office2 = row10.RESERVE2;
            o.Office3 = row10.RESERVE3;
        }
        o.AllSitenOperator = 0;
        TSystemIniRec row20;
        row20.REC = 20;
        if (GetSysIni(row20)) o.AllSitenOperator = row20.RESERVE1;

        const QString k = QStringLiteral("整数");
        auto readInt = [&](const char16_t *key, int &field, const QString &def) {
            QVariant v = field;
            GetSysReg(S(key), k, v, def);
            field = v.toInt();
        };
        auto readText = [&](const char16_t *key, QString &field, const QString &def) {
            QVariant v = field;
            GetSysReg(S(key), QStringLiteral("文字"), v, def);
            field = v.toString();
        };
        o.JikoumokuIdou = o.KamokuCodeKeta = o.HojoCodeKeta = o.BumonCodeKeta = 0;
        o.SwkDateFocus = 2;
        o.MotoLine1 = o.MotoFusen = o.RensoJoken = 0;
        const bool ed = inEdition();
        if (ed) {
            readInt(u"次項目移動区分", o.JikoumokuIdou, QStringLiteral("1"));
            readInt(u"科目コード桁数", o.KamokuCodeKeta, QStringLiteral("0"));
            readInt(u"補助コード桁数", o.HojoCodeKeta, QStringLiteral("0"));
            readInt(u"部門コード桁数", o.BumonCodeKeta, QStringLiteral("1"));
            readInt(u"仕訳日付フォーカス", o.SwkDateFocus, QStringLiteral("1"));
            readInt(u"元帳１行出力区分", o.MotoLine1, QStringLiteral("0"));
            readInt(u"元帳付箋マーク出力区", o.MotoFusen, QStringLiteral("0"));
            readInt(u"連想辞書抽出条件区分", o.RensoJoken, QStringLiteral("1"));
            r.Reserve4Bit[7] = 1;
            o.SisanSyukei = 1;
            if (Edition == 2) o.AllSitenOperator = 1;
        }
        readInt(u"元帳最終行残高出力区", r.Reserve4Bit[7], QString::number(r.Reserve4Bit[7]));
        readInt(u"試算表集計出力区分", o.SisanSyukei, QString::number(o.SisanSyukei));
        readInt(u"元帳タイトル出力区分", o.MotoTitle, ed ? QStringLiteral("1") : QStringLiteral("0"));
        readInt(u"試算表ＢＳ改ページ区", o.SisanBSKaipage, ed ? QStringLiteral("0") : QStringLiteral("1"));
        readInt(u"試算表タイトル出力区", o.SisanTitleOut, ed ? QStringLiteral("1") : QStringLiteral("0"));
        readInt(u"試算表期間出力区分", o.SisanKikan, ed ? QStringLiteral("1") : QStringLiteral("0"));
        readText(u"試算表タイトル", o.SisanTitle, QStringLiteral("試　算　表"));
        readText(u"２期試算表タイトル", o.Sisan2Title, QStringLiteral("２期比較試算表"));
        for (auto &row : o.Titles) row.fill(QString());
        for (const TitleKey &t : kTitleKeys) readText(t.key, o.Titles[size_t(t.statement)][size_t(t.layout)], S(t.def));

        // The damage check is one setting for the whole group.
        QVariant check = r.DataCheckKbn;
        funcGetSysReg(QStringLiteral("データ破損チェック区"), k, check, r.GroupNo * 10000 + 9999, QStringLiteral("1"));
        r.DataCheckKbn = check.toInt();
        readInt(u"サーバのデータの場所", o.DataPlace, QStringLiteral("0"));
        readInt(u"摘要項目の編集モード", o.TekiyoEditMode, QStringLiteral("0"));
        readInt(u"摘要項目の入力区分", o.TekiyoInput, QStringLiteral("0"));
        readInt(u"取引先項目の入力区分", o.TorihikiInput, QStringLiteral("0"));
        readInt(u"裏面の罫線印刷区分", o.UraKeisen, QStringLiteral("0"));
        readInt(u"消費税コード印刷区分", o.TaxCodePrint, QStringLiteral("1"));
        if (!ed) o.TaxCodePrint = 1;
        readInt(u"決算書手形相殺区分", o.KessanTegata, QStringLiteral("0"));
        readInt(u"決算書販売費組入区分", o.KessanHanbai, QStringLiteral("0"));
        readInt(u"試算表行数調整区分", o.SisanRowAdjust, QStringLiteral("0"));
        readInt(u"連想辞書コード入力区", o.RensoCodeInput, QStringLiteral("0"));
        readInt(u"連想辞書リスト並び順", o.RensoSort, QStringLiteral("0"));
        readInt(u"元帳付箋マーク出力区", o.MotoFusen, QString::number(o.MotoFusen));
        const char16_t *const openDefaults[4] = {u"1", u"0", u"0", u"0"};
        for (int i = 0; i < 4; ++i) {
            readInt(kTekiyoOpenKeys[i], o.TekiyoOpen[size_t(i)], S(openDefaults[i]));
            readInt(kTorihikiOpenKeys[i], o.TorihikiOpen[size_t(i)], S(openDefaults[i]));
        }
        o.LoadedFlag = 1;
        return true;
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.fnGetSysDef"), QStringLiteral("システム情報の取得に失敗しました。\rアプリケーションを終了します。"));
    }
    return false;
}

bool TDM::fnPutSysDef()
{
    TSystemDef &r = SystemDef;
    TSysDefSettings &o = r.SysDef;
    auto setBit = [](int &word, int bit, bool on) {
        if (on) word |= (1 << (bit - 1));
        else word &= ~(1 << (bit - 1));
    };
    setBit(o.Reserve2, 1, o.Reserve2Flag1 == 1);
    setBit(o.Reserve2, 2, o.Reserve2Flag2 == 1);
    for (int bit : {1, 2, 3, 4, 7, 8, 9, 10, 11}) setBit(o.Reserve4, bit, r.Reserve4Bit[size_t(bit)] == 1);
    setBit(o.Reserve4, 5, r.Reserve4Value56 == 1);
    setBit(o.Reserve4, 6, r.Reserve4Value56 == 2);

    try {
        TransactionGuard g(IBTransactionDEF);
        // SHOUHYOU belongs to other programs of the family and is left as stored.
        QStringList sql{QStringLiteral("UPDATE SYSDEF SET"), QStringLiteral("DataDir=:DataDir,"),
                        QStringLiteral("PrinterName=:PrinterName,"), QStringLiteral("FontName=:FontName,"),
                        QStringLiteral("ZenkaiDrive=:ZenkaiDrive,")};
#define SYSDEF_SET(name) sql << QStringLiteral(#name "=:" #name ",");
        SYSDEF_INT_COLUMNS(SYSDEF_SET)
#undef SYSDEF_SET
        sql << QStringLiteral("SSTR=:SSTR") << QStringLiteral("WHERE OPCODE=:OPCODE");
        IBQSysDefPut.setSql(sql);
        IBQSysDefPut.paramByName(QStringLiteral("DataDir")).setString(r.DataDir);
        IBQSysDefPut.paramByName(QStringLiteral("PrinterName")).setString(o.PrinterName);
        IBQSysDefPut.paramByName(QStringLiteral("FontName")).setString(o.FontName);
        IBQSysDefPut.paramByName(QStringLiteral("ZenkaiDrive")).setString(o.ZenkaiDrive);
#define SYSDEF_BIND(name) IBQSysDefPut.paramByName(QStringLiteral(#name)).setInteger(o.name);
        SYSDEF_INT_COLUMNS(SYSDEF_BIND)
#undef SYSDEF_BIND
        IBQSysDefPut.paramByName(QStringLiteral("SSTR")).setString(o.SSTR);
        IBQSysDefPut.paramByName(QStringLiteral("OPCODE")).setInteger(r.OpCode);
        IBQSysDefPut.execSQL();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.fnPutSysDef"), QStringLiteral("システム情報の書き込みに失敗しました。\r現在のシステム設定は保存されません。"));
        return false;
    }

    const QString k = QStringLiteral("整数");
    const QString t = QStringLiteral("文字");
    if (inEdition()) {
        const std::pair<const char16_t *, int> edition[] = {
            {u"次項目移動区分", o.JikoumokuIdou}, {u"科目コード桁数", o.KamokuCodeKeta},
            {u"補助コード桁数", o.HojoCodeKeta},  {u"部門コード桁数", o.BumonCodeKeta},
            {u"仕訳日付フォーカス", o.SwkDateFocus}, {u"元帳１行出力区分", o.MotoLine1},
            {u"元帳付箋マーク出力区", o.MotoFusen}, {u"連想辞書抽出条件区分", o.RensoJoken}};
        for (const auto &[key, value] : edition) PutSysReg(S(key), k, value);
    }
    PutSysReg(S(u"試算表集計出力区分"), k, o.SisanSyukei);
    PutSysReg(S(u"元帳タイトル出力区分"), k, o.MotoTitle);
    PutSysReg(S(u"試算表ＢＳ改ページ区"), k, o.SisanBSKaipage);
    PutSysReg(S(u"試算表タイトル出力区"), k, o.SisanTitleOut);
    PutSysReg(S(u"試算表タイトル"), t, o.SisanTitle);
    PutSysReg(S(u"２期試算表タイトル"), t, o.Sisan2Title);
    for (const TitleKey &tk : kTitleKeys) PutSysReg(S(tk.key), t, o.Titles[size_t(tk.statement)][size_t(tk.layout)]);
    PutSysReg(S(u"元帳最終行残高出力区"), k, r.Reserve4Bit[7]);
    PutSysReg(S(u"サーバのデータの場所"), k, o.DataPlace);
    PutSysReg(S(u"摘要項目の編集モード"), k, o.TekiyoEditMode);
    PutSysReg(S(u"摘要項目の入力区分"), k, o.TekiyoInput);
    PutSysReg(S(u"取引先項目の入力区分"), k, o.TorihikiInput);
    PutSysReg(S(u"裏面の罫線印刷区分"), k, o.UraKeisen);
    PutSysReg(S(u"消費税コード印刷区分"), k, o.TaxCodePrint);
    PutSysReg(S(u"決算書手形相殺区分"), k, o.KessanTegata);
    PutSysReg(S(u"決算書販売費組入区分"), k, o.KessanHanbai);
    PutSysReg(S(u"連想辞書コード入力区"), k, o.RensoCodeInput);
    PutSysReg(S(u"連想辞書リスト並び順"), k, o.RensoSort);
    PutSysReg(S(u"元帳付箋マーク出力区"), k, o.MotoFusen);
    PutSysReg(S(u"試算表期間出力区分"), k, o.SisanKikan);
    for (int i = 0; i < 4; ++i) {
        PutSysReg(S(kTekiyoOpenKeys[i]), k, o.TekiyoOpen[size_t(i)]);
        PutSysReg(S(kTorihikiOpenKeys[i]), k, o.TorihikiOpen[size_t(i)]);
    }
    return true;
}
