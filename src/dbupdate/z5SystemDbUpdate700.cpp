// System step 7.0.0: the office row of an office installation is written
// again before the script (name, address and telephone only, office flag
// set); the script file of the step follows, when the installation has one.
#include "core/SjisText.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"
#include "platform/Error.h"

namespace {

// The value of a "name=value" line of the office text; empty when it has none.
QString officeValue(const QString &text, const QString &name)
{
    const QString line = GetNameValueLine(text, name);
    return line.isEmpty() ? QString() : line.mid(line.indexOf(u'=') + 1);
}

} // namespace

void RewriteOfficeRecord()
{
    TSysDefSettings &office = SystemDef.SysDef;
    office.OfficeName.clear();
    office.OfficeAddress.clear();
    office.OfficeTel.clear();
    office.Office1 = office.Office2 = office.Office3 = 0;

    TSystemIniRec row;
    row.REC = 10;
    if (!DM->GetSysIni(row)) throw platform::Error(QStringLiteral("事務所の情報を読み込めません。"));
    office.OfficeName = officeValue(row.SSTR, QStringLiteral("NAME"));
    office.OfficeAddress = officeValue(row.SSTR, QStringLiteral("JYUSHO"));
    office.OfficeTel = officeValue(row.SSTR, QStringLiteral("TEL"));
    office.Office1 = row.RESERVE1;
    office.Office2 = row.RESERVE2;
    if (row.RESERVE1 != 1) return;

    office.Office3 = 1;
    row.RESERVE3 = 1;
    row.RESERVE4 = 0;
    row.RESERVE5 = 0;
    row.SSTR = QStringLiteral("NAME=%1\rJYUSHO=%2\rTEL=%3\r").arg(office.OfficeName, office.OfficeAddress, office.OfficeTel);
    if (!DM->SetSysIni(row)) throw platform::Error(QStringLiteral("事務所の情報を書き込めません。"));
}

int SystemDbUpdate700()
{
    RunPreStep(TDbUpdateTarget::System, [](FbQuery &) { RewriteOfficeRecord(); });
    return sysupdate::runFileStep(7, 0, 0, false);
}
