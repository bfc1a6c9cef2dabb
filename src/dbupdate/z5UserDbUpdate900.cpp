// Company steps 9.0.0 to 11.0.0: file steps with "SET NAMES", stamped first;
// every listed file must exist, also one the rules leave out, or the step
// ends with 18 before anything runs. Steps 9.0.2 to 9.0.5 change the
// database after a successful script.
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateFiles.h"

namespace {

void execPlain(FbQuery &q, const QString &sql)
{
    q.ParamCheck = false;
    q.setSql(sql);
    q.execSQL();
    q.setSql(QString());
    q.ParamCheck = true;
}

int postStepped(int major, int minor1, int minor2, const std::function<void(FbQuery &, const TUserFileStepFacts &)> &work)
{
    const TUserFileStepFacts facts = CurrentUserFileStepFacts();
    const int result = RunUserFileStep(major, minor1, minor2, facts);
    if (result != DbUpdateDone) return result;
    return RunPostStep(TDbUpdateTarget::Company, [&facts, &work](FbQuery &q) { work(q, facts); });
}

} // namespace

void UserDbUpdate902PostStep(FbQuery &q, const TUserFileStepFacts &f)
{
    if (f.DataType != 3) return;
    InsertYojituRatingRows(q, {{u"4800", u"事業収益", true}, {u"5100", u"変動費", false}, {u"5400", u"限界利益", true},
                               {u"5600", u"人件費", false}, {u"5700", u"固定費", false}, {u"6200", u"事業利益", true},
                               {u"7180", u"事業外収益", true}, {u"7280", u"事業外費用", false}, {u"7300", u"経常利益", true},
                               {u"8180", u"臨時利益", true}, {u"8280", u"臨時損失", false}, {u"8300", u"税引前当期純利益", true}});
    UpdateYojituAccountRates(q, QStringLiteral("7110"), true);
    UpdateYojituAccountRates(q, QStringLiteral("8110"), true);
    UpdateYojituAccountRates(q, QStringLiteral("7210"), false);
    UpdateYojituAccountRates(q, QStringLiteral("8210"), false);
}

void UserDbUpdate903PostStep(FbQuery &q)
{
    execPlain(q, QStringLiteral("UPDATE KAMOKU_MS SET BYOSAN=F_ROUND(BYOSAN),BYOSAN2=F_ROUND(BYOSAN2),BYOSAN3=F_ROUND(BYOSAN3)"));
}

void UserDbUpdate904PostStep(FbQuery &q, const TUserFileStepFacts &f)
{
    if (f.DataType == 3) return;
    int zeroKamoku = 0, zero = 0, sankaku = 0, sotowaku = 0, kaipage = 0, hanbai = 0, tegata = 0;
    if (f.DataType == 1) {
        const TSysDefSettings &op = SystemDef.SysDef;
        zeroKamoku = op.ZeroPrint == 1 || op.ZeroPrint == 2 ? 1 : 0;
        zero = op.ZeroPrint == 1 ? 1 : 0;
        sankaku = op.SankakuPlus;
        sotowaku = (op.Reserve2 & 2) ? 1 : 0;
        kaipage = (op.Reserve2 & 1) ? 1 : 0;
        hanbai = op.KessanHanbai;
        tegata = op.KessanTegata;
    }
    q.setSql(QStringList{QStringLiteral("UPDATE KESSAN SET ZEROKAMOKUPRINT=:ZEROKAMOKUPRINT,ZEROPRINT=:ZEROPRINT,SONSHITUSANKAKU=:SONSHITUSANKAKU,"),
                         QStringLiteral("SOTOWAKUKAHEN=:SOTOWAKUKAHEN,FUSAINOBUKAIPAGE=:FUSAINOBUKAIPAGE,HANBAIHIKUMIIRE=:HANBAIHIKUMIIRE,TEGATASOSAI=:TEGATASOSAI"),
                         QStringLiteral("WHERE REC=1")});
    q.paramByName(QStringLiteral("ZEROKAMOKUPRINT")).setInteger(zeroKamoku);
    q.paramByName(QStringLiteral("ZEROPRINT")).setInteger(zero);
    q.paramByName(QStringLiteral("SONSHITUSANKAKU")).setInteger(sankaku);
    q.paramByName(QStringLiteral("SOTOWAKUKAHEN")).setInteger(sotowaku);
    q.paramByName(QStringLiteral("FUSAINOBUKAIPAGE")).setInteger(kaipage);
    q.paramByName(QStringLiteral("HANBAIHIKUMIIRE")).setInteger(hanbai);
    q.paramByName(QStringLiteral("TEGATASOSAI")).setInteger(tegata);
    q.execSQL();
    q.setSql(QString());
}

void UserDbUpdate905PostStep(FbQuery &q, const TUserFileStepFacts &f)
{
    if (f.Edition != 1 && f.Edition != 2) return;
    execPlain(q, QStringLiteral("UPDATE SIWAKE SET DNUM=0"));
}

int UserDbUpdate900()
{
    return RunUserFileStep(9, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate901()
{
    return RunUserFileStep(9, 0, 1, CurrentUserFileStepFacts());
}

int UserDbUpdate902()
{
    return postStepped(9, 0, 2, UserDbUpdate902PostStep);
}

int UserDbUpdate903()
{
    return postStepped(9, 0, 3, [](FbQuery &q, const TUserFileStepFacts &) { UserDbUpdate903PostStep(q); });
}

int UserDbUpdate904()
{
    return postStepped(9, 0, 4, UserDbUpdate904PostStep);
}

int UserDbUpdate905()
{
    return postStepped(9, 0, 5, UserDbUpdate905PostStep);
}

int UserDbUpdate1000()
{
    return RunUserFileStep(10, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate1001()
{
    return RunUserFileStep(10, 0, 1, CurrentUserFileStepFacts());
}

int UserDbUpdate1003()
{
    return RunUserFileStep(10, 0, 3, CurrentUserFileStepFacts());
}

int UserDbUpdate1004()
{
    return RunUserFileStep(10, 0, 4, CurrentUserFileStepFacts());
}

int UserDbUpdate1005()
{
    return RunUserFileStep(10, 0, 5, CurrentUserFileStepFacts());
}

int UserDbUpdate1100()
{
    return RunUserFileStep(11, 0, 0, CurrentUserFileStepFacts());
}
