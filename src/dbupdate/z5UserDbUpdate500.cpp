// Company steps 5.0.0 to 8.0.3: file steps with "SET NAMES", stamped last in
// 5.0.0 and 5.0.2 and first from 5.0.5 on. Step 7.0.0 moves the data password
// to its scrambled setting first, 7.0.4 looks for tax code 116 first, and 8.0.2
// and 8.0.3 fill seed tables and convert the job control after the script.
#include "core/EasyEncode.h"
#include "core/SjisText.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/FbClient.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateFiles.h"

#include <vector>

namespace {

const QString kKihon = QStringLiteral("基本設定");

// A statement without parameters, executed on its own.
void execPlain(FbQuery &q, const QString &sql)
{
    q.ParamCheck = false;
    q.setSql(sql);
    q.execSQL();
    q.setSql(QString());
    q.ParamCheck = true;
}

struct KoseiRow {
    const char16_t *group;
    const char16_t *code;
};

void insertKoseiGroups(FbQuery &q, const std::vector<KoseiRow> &rows)
{
    for (const KoseiRow &r : rows)
        execPlain(q, QStringLiteral("INSERT INTO KAMOKU_KOSEI_GROUP VALUES('%1','%2',' ')")
                         .arg(QString::fromUtf16(r.group), QString::fromUtf16(r.code)));
}

} // namespace

void InsertYojituRatingRows(FbQuery &q, std::initializer_list<TYojituRatingRow> rows)
{
    for (const TYojituRatingRow &r : rows)
        execPlain(q, QStringLiteral("INSERT INTO VELDA_YOJITU_HYOKARULE VALUES('%1','%2',%3)")
                         .arg(QString::fromUtf16(r.code), QString::fromUtf16(r.name),
                              r.rise ? QStringLiteral("0.95,0,1.05,1") : QStringLiteral("1.05,1,0.95,0")));
}

// The account rates of an account group: rise 0.95,0,1.05,1; fall 1.05,1,0.95,0.
void UpdateYojituAccountRates(FbQuery &q, const QString &group, bool rise)
{
    execPlain(q, rise ? QStringLiteral("UPDATE KAMOKUMST SET VELDA_YOJITU_RATE1=0.95,VELDA_YOJITU_KIND1=0,"
                                       "VELDA_YOJITU_RATE2=1.05,VELDA_YOJITU_KIND2=1 WHERE GROUPM1='%1'")
                                .arg(group)
                      : QStringLiteral("UPDATE KAMOKUMST SET VELDA_YOJITU_RATE1=1.05,VELDA_YOJITU_KIND1=1,"
                                       "VELDA_YOJITU_RATE2=0.95,VELDA_YOJITU_KIND2=0 WHERE GROUPM1='%1'")
                                .arg(group));
}

QString DataPasswordNotScramblableMessage()
{
    return QStringLiteral("データパスワードに英数字以外の文字が含まれているため、データを更新できません。\r"
                          "データパスワードを英数字だけに変更してから、もう一度データの更新を行ってください。");
}

bool UserDbUpdate700PreStep(FbQuery &)
{
    const QString password =
        TrimZen(DM->GetAccReg(kKihon, QStringLiteral("データパスワード"), QStringLiteral("文字"), QString()).toString());
    // The scramble takes letters and digits only and would cut the password
    // at any other character: the company would then be locked by a password
    // nobody knows. Nothing is changed, and the operator is told what to do.
    for (const QChar c : password)
        if (!EasyEncodeAlphabet.contains(c)) return false;

    DM->DeleteAccReg(kKihon, QStringLiteral("データパスワード"));
    if (password.isEmpty()) return true;
    TEasyEncodeInfo info;
    info.Key = EasyEncodeCompanyKey;
    ClearEasyEncodeInfo(info);
    info.EncodeLength = 8;
    info.PlainLength = 8;
    info.PlainText = password;
    if (EasyEncode(info) == 1)
        DM->PutAccReg(kKihon, QStringLiteral("データパスワードV2"), QStringLiteral("文字"), info.EncodeText);
    else
        DM->DeleteAccReg(kKihon, QStringLiteral("データパスワードV2"));
    return true;
}

bool UserDbUpdate704PreStep(FbQuery &q)
{
    q.setSql(QStringList{QStringLiteral("SELECT COUNT(TAX_CODE) AS RECCNT FROM TAXMST"), QStringLiteral("WHERE TAX_CODE=116")});
    q.open();
    const bool found = !q.eof() && q.field(0).asInteger() > 0;
    q.close();
    return found;
}

namespace {

// The process of a menu place of the company's job control; empty when the place has none.
void jobControlProcess(const TUserFileStepFacts &f, int page, int menu, QString &name, QString &option)
{
    name.clear();
    option.clear();
    const auto pick = [&](std::initializer_list<std::pair<int, const char16_t *>> table) {
        for (const auto &e : table)
            if (e.first == menu) name = QString::fromUtf16(e.second);
    };
    switch (page) {
    case 0:
        pick({{0, u"QmVelda1"}, {1, u"QmYojituHendoPL"}, {10, u"QmHikakuSuiihyo"}, {19, u"QmTusinSettei"}});
        break;
    case 1:
        pick({{0, u"QmSimulation"}, {1, u"QmGetujiHikakuGraph"}, {2, u"QmSankiHikakuGraph"}, {3, u"QmSankiKamokuGraph"},
              {4, u"QmKeieiBunseki2"}, {5, u"QmSogoHikakuPL"}, {6, u"QmYojitutaihi"}, {7, u"QmYosoku2"},
              {8, u"QmGetujiHikaku"}, {9, u"QmSankiHikaku"}, {10, u"QmBumonHikakuBL"}, {11, u"QmSikinguri"},
              {12, u"QmSitenHikakuBL"}, {19, u"QmZenkamoku2"}});
        break;
    case 2:
        pick({{0, u"QmSiwake"}, {1, u"QmMonitor"}, {2, u"QmMotocho"}, {3, u"QmSisanhyo"}});
        if (f.Edition == 1 || f.Edition == 2)
            pick({{17, u"QmKobetuIchiranhyo"}, {18, u"QmKobetuMeisaihyo"}, {19, u"QmKobetuMotocho"}});
        if (menu == 0 || menu == 2) option = QStringLiteral("SyoriType=0");
        break;
    case 3:
        if (f.DataType != 3)
            pick({{0, u"QmHojinKessansyo"}, {1, u"QmCashFlow"}, {2, u"QmIkkatuPrint"}, {3, u"QmGaikyosyo"},
                  {5, u"QmKojinKessansyo"}, {6, u"QmGenkaSyokyaku"}, {7, u"QmTouzaChoseihyo"}, {10, u"QmTaxSinkokusyo"},
                  {11, u"QmTaxUtiwakesyo"}, {12, u"QmTaxSyukeihyo"}, {13, u"QmTaxSisanhyo"},
                  {15, u"QmTaxSinkokusyoSyusei"}});
        else
            pick({{0, u"QmMBKessansyo"}, {1, u"QmMBKessansyoSisetsu"}, {2, u"QmMBHokukuJigyo"}, {3, u"QmMBHokukuZaisan"},
                  {4, u"QmMBHokukuKansa"}, {5, u"QmCashFlow"}, {6, u"QmIkkatuPrint"}, {7, u"QmGaikyosyo"},
                  {8, u"QmGenkaSyokyaku"}, {9, u"QmTouzaChoseihyo"}, {10, u"QmTaxSinkokusyo"}, {11, u"QmTaxUtiwakesyo"},
                  {12, u"QmTaxSyukeihyo"}, {13, u"QmTaxSisanhyo"}, {15, u"QmTaxSinkokusyoSyusei"}});
        break;
    case 4:
        if (menu >= 0 && menu <= 16) name = QStringLiteral("QmUtiwake%1").arg(menu + 1, 2, 10, QChar(u'0'));
        if (menu == 19) name = QStringLiteral("QmUtiwakeAll");
        break;
    default:
        break;
    }
    if (name.isEmpty()) option.clear();
}

// The job-control rows by menu place become rows by process name at level 200.
void convertJobControl(FbQuery &q, const TUserFileStepFacts &f)
{
    struct Place {
        int page, menu;
    };
    std::vector<Place> places;
    q.setSql(QStringList{QStringLiteral("SELECT LEVELNO,PAGENO,MENUNO FROM JOBCONTROL"), QStringLiteral("WHERE LEVELNO=:LEVELNO"),
                         QStringLiteral("ORDER BY PAGENO,MENUNO")});
    q.paramByName(QStringLiteral("LEVELNO")).setInteger(f.DataType == 3 ? 1200 : 200);
    for (q.open(); !q.eof(); q.next()) places.push_back({q.field(1).asInteger(), q.field(2).asInteger()});
    q.close();

    q.setSql(QStringList{QStringLiteral("INSERT INTO JOBCONTROL2(LEVELNO,PROC_ID,PROC_OPTION)"),
                         QStringLiteral("VALUES(:LEVELNO,:PROC_ID,:PROC_OPTION)")});
    for (const Place &p : places) {
        QString name, option;
        jobControlProcess(f, p.page, p.menu, name, option);
        if (name.isEmpty()) continue;
        q.paramByName(QStringLiteral("LEVELNO")).setInteger(200);
        q.paramByName(QStringLiteral("PROC_ID")).setString(name);
        q.paramByName(QStringLiteral("PROC_OPTION")).setString(option);
        q.execSQL();
    }
    q.setSql(QString());
}

} // namespace

void UserDbUpdate802PostStep(FbQuery &q, const TUserFileStepFacts &f)
{
    if (f.DataType == 1) {
        if (f.Edition == 0)
            insertKoseiGroups(q, {{u"法人税等", u"8301"}, {u"法人税等", u"8302"}, {u"減価償却費", u"5606"}, {u"減価償却費", u"6204"},
                                  {u"短期借入金返済", u"2103"}, {u"長期借入金返済", u"2202"}, {u"期首期末棚卸", u"5101"},
                                  {u"期首期末棚卸", u"5301"}, {u"期首期末棚卸", u"5401"}, {u"期首期末棚卸", u"5411"},
                                  {u"期首期末棚卸", u"5701"}, {u"期首期末棚卸", u"5801"}});
        else if (f.Edition == 1 || f.Edition == 2)
            insertKoseiGroups(q, {{u"法人税等", u"98100"}, {u"法人税等", u"98300"}, {u"法人税等", u"98400"}, {u"法人税等", u"98500"},
                                  {u"減価償却費", u"55400"}, {u"減価償却費", u"68400"}, {u"短期借入金返済", u"31100"},
                                  {u"長期借入金返済", u"37100"}, {u"期首期末棚卸", u"49700"}, {u"期首期末棚卸", u"49800"},
                                  {u"期首期末棚卸", u"50800"}, {u"期首期末棚卸", u"50900"}, {u"期首期末棚卸", u"59400"},
                                  {u"期首期末棚卸", u"59500"}, {u"期首期末棚卸", u"59600"}, {u"期首期末棚卸", u"59300"},
                                  {u"期首期末棚卸", u"59700"}, {u"期首期末棚卸", u"59800"}, {u"期首期末棚卸", u"59900"}});
        InsertYojituRatingRows(q, {{u"4800", u"売上", true}, {u"5100", u"変動費", false}, {u"5400", u"限界利益", true},
                                   {u"5600", u"人件費", false}, {u"5700", u"固定費", false}, {u"6200", u"営業利益", true},
                                   {u"7180", u"営業外収益", true}, {u"7280", u"営業外費用", false}, {u"7300", u"経常利益", true},
                                   {u"8180", u"特別利益", true}, {u"8280", u"特別損失", false},
                                   {u"8290", u"税引前当期純利益", true}});
        UpdateYojituAccountRates(q, QStringLiteral("7100"), true);
        UpdateYojituAccountRates(q, QStringLiteral("8100"), true);
        UpdateYojituAccountRates(q, QStringLiteral("7200"), false);
        UpdateYojituAccountRates(q, QStringLiteral("8200"), false);
    }
    convertJobControl(q, f);
}

void UserDbUpdate803PostStep(FbQuery &q, const TUserFileStepFacts &f)
{
    if (f.DataType != 2) return;
    const bool fed = f.Edition == 1 || f.Edition == 2;
    if (f.Edition == 0 && (f.CodeType == 1 || f.CodeType == 3))
        insertKoseiGroups(q, {{u"減価償却費", u"5606"}, {u"減価償却費", u"6202"}, {u"短期借入金返済", u"2103"}, {u"長期借入金返済", u"2202"},
                              {u"期首期末棚卸", u"5101"}, {u"期首期末棚卸", u"5301"}, {u"期首期末棚卸", u"5401"},
                              {u"期首期末棚卸", u"5411"}, {u"期首期末棚卸", u"5701"}, {u"期首期末棚卸", u"5801"}});
    else if (f.Edition == 0 && f.CodeType == 2)
        insertKoseiGroups(q, {{u"減価償却費", u"6202"}, {u"短期借入金返済", u"2103"}, {u"長期借入金返済", u"2202"}});
    else if (f.Edition == 0 && f.CodeType == 4)
        insertKoseiGroups(q, {{u"減価償却費", u"6204"}, {u"短期借入金返済", u"2103"}, {u"長期借入金返済", u"2202"},
                              {u"期首期末棚卸", u"5101"}, {u"期首期末棚卸", u"5301"}, {u"期首期末棚卸", u"6301"},
                              {u"期首期末棚卸", u"6302"}});
    else if (fed && f.CodeType == 1)
        insertKoseiGroups(q, {{u"減価償却費", u"55400"}, {u"減価償却費", u"68400"}, {u"短期借入金返済", u"31100"},
                              {u"長期借入金返済", u"37100"}, {u"期首期末棚卸", u"49700"}, {u"期首期末棚卸", u"49800"},
                              {u"期首期末棚卸", u"50800"}, {u"期首期末棚卸", u"50900"}, {u"期首期末棚卸", u"59400"},
                              {u"期首期末棚卸", u"59500"}, {u"期首期末棚卸", u"59600"}, {u"期首期末棚卸", u"59300"},
                              {u"期首期末棚卸", u"59700"}, {u"期首期末棚卸", u"59800"}, {u"期首期末棚卸", u"59900"}});
    else if (fed && f.CodeType == 2)
        insertKoseiGroups(q, {{u"減価償却費", u"68400"}, {u"短期借入金返済", u"31100"}, {u"長期借入金返済", u"37100"}});
    else if (fed && f.CodeType == 4)
        insertKoseiGroups(q, {{u"減価償却費", u"68400"}, {u"短期借入金返済", u"31100"}, {u"長期借入金返済", u"37100"},
                              {u"期首期末棚卸", u"49700"}, {u"期首期末棚卸", u"49800"}, {u"期首期末棚卸", u"69300"},
                              {u"期首期末棚卸", u"69400"}});
    InsertYojituRatingRows(q, {{u"4800", u"売上", true}, {u"5100", u"変動費", false}, {u"5400", u"限界利益", true},
                               {u"5600", u"人件費", false}, {u"5700", u"固定費", false}, {u"6200", u"営業利益", true},
                               {u"7180", u"営業外収益", true}, {u"7280", u"営業外費用", false}, {u"7300", u"経常利益", true},
                               {u"8400", u"青申特別控除前所得", true}});
    UpdateYojituAccountRates(q, QStringLiteral("7100"), true);
    UpdateYojituAccountRates(q, QStringLiteral("7200"), false);
}

int UserDbUpdate500()
{
    return RunUserFileStep(5, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate502()
{
    return RunUserFileStep(5, 0, 2, CurrentUserFileStepFacts());
}

int UserDbUpdate505()
{
    return RunUserFileStep(5, 0, 5, CurrentUserFileStepFacts());
}

int UserDbUpdate600()
{
    return RunUserFileStep(6, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate610()
{
    return RunUserFileStep(6, 1, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate613()
{
    return RunUserFileStep(6, 1, 3, CurrentUserFileStepFacts());
}

int UserDbUpdate700()
{
    bool scramblable = true;
    RunPreStep(TDbUpdateTarget::Company, [&scramblable](FbQuery &q) { scramblable = UserDbUpdate700PreStep(q); });
    if (!scramblable) {
        SetDbUpdateStepMessage(DataPasswordNotScramblableMessage());
        return DbUpdatePostStepError;
    }
    return RunUserFileStep(7, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate702()
{
    return RunUserFileStep(7, 0, 2, CurrentUserFileStepFacts());
}

int UserDbUpdate703()
{
    return RunUserFileStep(7, 0, 3, CurrentUserFileStepFacts());
}

int UserDbUpdate704()
{
    TUserFileStepFacts facts = CurrentUserFileStepFacts();
    RunPreStep(TDbUpdateTarget::Company, [&facts](FbQuery &q) { facts.HasTaxCode116 = UserDbUpdate704PreStep(q); });
    return RunUserFileStep(7, 0, 4, facts);
}

int UserDbUpdate800()
{
    return RunUserFileStep(8, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate802()
{
    const TUserFileStepFacts facts = CurrentUserFileStepFacts();
    const int result = RunUserFileStep(8, 0, 2, facts);
    if (result != DbUpdateDone) return result;
    return RunPostStep(TDbUpdateTarget::Company, [&facts](FbQuery &q) { UserDbUpdate802PostStep(q, facts); });
}

int UserDbUpdate803()
{
    const TUserFileStepFacts facts = CurrentUserFileStepFacts();
    const int result = RunUserFileStep(8, 0, 3, facts);
    if (result != DbUpdateDone) return result;
    return RunPostStep(TDbUpdateTarget::Company, [&facts](FbQuery &q) { UserDbUpdate803PostStep(q, facts); });
}
