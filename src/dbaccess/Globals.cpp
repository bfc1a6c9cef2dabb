#include "dbaccess/Globals.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "platform/SystemInfo.h"

#include <algorithm>

TSystemDef SystemDef;
TACCINF AccInf;

quint8 ConnectMode = 0;
quint8 StartMode = 0;
quint8 Edition = 0;
TProductValues Product;
bool OptionalMenu = false;
int KikanMode = 0;

void SetFrameworkGlobals(const TAppInfoRec &info)
{
    Product.CompanyName = info.Company.Name;
    Product.CompanyURL = info.Company.URL;
    Product.Since = info.Application.Since;
    Product.AppName = info.Rirev.AppName;
    Product.HomeDir = info.Rirev.HomeDir;
    Product.ShareDir = info.Rirev.ShareDir;
    Product.ServerDir = info.Rirev.ServerDir;
    Product.ServerTempDir = info.Rirev.ServerTempDir;
    Product.DataDefFile = info.Rirev.DataDefFile;
    Product.DataFile = info.Rirev.DataFile;
    Product.DataBackupFile = info.Rirev.DataBackupFile;
    Product.DataIniFile = info.Rirev.DataIniFile;
    Product.DataListCnt = info.Rirev.DataListCnt;
    Product.EChoboDataDir = info.EChobo.DataDir;
    Product.VeldaHomeDir = info.Velda.HomeDir;
    Product.CashBookDataDir = info.Duvirido.DataDir;
    Product.CashBookBackupFile = info.Duvirido.DataBackupFile;
    const int numbers[5] = {11, 21, 22, 23, 31};
    for (int i = 0; i < 5; ++i) {
        QString name = info.Rirev.DataInitFile;
        Product.InitDataFiles[i] = name.replace(QStringLiteral("%d"), QString::number(numbers[i]));
    }
}

bool IsMainRowMergeKind(int gassan)
{
    return std::find(MainRowMergeKinds.begin(), MainRowMergeKinds.end(), gassan) != MainRowMergeKinds.end();
}

bool IsParentMergeKind(int gassan)
{
    return std::find(ParentMergeKinds.begin(), ParentMergeKinds.end(), gassan) != ParentMergeKinds.end();
}

QString GetPcName()
{
    if (ConnectMode == 2)
        return SystemDef.WinUserName.isEmpty() ? QStringLiteral("ANONYMOUS") : SystemDef.WinUserName;
    const QString name = platform::computerName();
    return name.isEmpty() ? QStringLiteral("PCNAME-ERROR") : name;
}
