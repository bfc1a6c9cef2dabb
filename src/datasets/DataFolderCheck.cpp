#include "datasets/DataFolderCheck.h"

#include "datasets/DataSentakuList.h"
#include "dbaccess/DataModule.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "framework/MessageDlg.h"
#include "platform/Error.h"

namespace {

const QString kNoData = QStringLiteral("このフォルダには財務データがありません。\r");

QString companyDatabaseOf(const QString &folder) { return ExcludePathDelim(folder) + u'/' + Product.DataFile; }

} // namespace

TDataLockReport MakeDataLockReport(const QString &folder, const TDataInfomationRec &info, int status)
{
    TDataLockReport r;
    r.Title = QStringLiteral("選択データの状態");
    const int groupBase = SystemDef.GroupNo * 10000;
    const int number = groupBase != 0 ? info.OpCode % groupBase : info.OpCode;
    const QString blank = QStringLiteral("　");
    r.Lines << QStringLiteral("【データフォルダ】") << blank + folder << QString() << QStringLiteral("【オペレータ】")
            << blank + QString::number(number) << QString() << QStringLiteral("【オペレータ名】")
            << blank + info.OpName;
    r.Text = QStringLiteral("このデータは%1のため処理が行えません。").arg(GetDataStatusText(status));
    if (status == 2)
        r.Text += QStringLiteral("\r") +
                  QStringLiteral("前回、異常終了した場合は情報ボタンを押してデータの状態をクリアして下さい。");
    return r;
}

void ShowDataLockReport(const TDataLockReport &report)
{
    TMessageInfoRec rec;
    InitMessageInfoRec(rec);
    rec.Mode = 1;
    rec.Position = TPosition::poScreenCenter;
    rec.Caption = report.Title;
    rec.Text = report.Text;
    rec.Color = 255;
    rec.Lines = report.Lines;
    ShowMessageBox(rec);
}

bool TDataFolderCheck::IsAllowedStatus(int status, int connectMode)
{
    if (connectMode == 0) return status == 1;
    if (connectMode == 1 || connectMode == 2) return status == 1 || status == 2;
    return false;
}

quint8 TDataFolderCheck::CheckDataStatus(const QString &folder, bool ask, const QString &caller, bool report)
{
    Q_UNUSED(caller);
    if (!DM->FExist(companyDatabaseOf(folder), ConnectMode)) {
        if (!ask) return 1;
        MessageDlg(kNoData, TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
    TDataInfomation info;
    info.ConnectMode = ConnectMode;
    info.ReadIniInfo(folder, CurrentInfo);
    const quint8 s = CurrentInfo.Status;
    if (s == 0 || s == 10 || !report || IsAllowedStatus(s, ConnectMode)) return s;
    const TDataLockReport r = MakeDataLockReport(folder, CurrentInfo, s);
    if (ShowLockReport) {
        ShowLockReport(r);
    } else {
        ShowDataLockReport(r);
    }
    return s;
}

int TDataFolderCheck::CheckDataFolder(const QString &folder)
{
    if (RemoveSpaces(folder).isEmpty()) {
        if (SyoriType == 3) return DataFolderEmptyPath;
        throw platform::Error(QStringLiteral("データフォルダパスが不正です。\r処理を中止します。"));
    }
    auto refused = [] { return SystemDef.DataDamaged ? DataFolderDamaged : DataFolderRefused; };
    const QString db = companyDatabaseOf(folder);
    if (ConnectMode == 0) {
        bool allowed = true;
        if (SyoriType == 0 || SyoriType == 1 || SyoriType == 3)
            allowed = IsAllowedStatus(CheckDataStatus(folder, true, QString(), true), 0);
        else if (SyoriType == 2 || SyoriType == 4)
            allowed = IsAllowedStatus(CheckDataStatus(folder, false, QString(), false), 0);
        if (!allowed) return refused();
        return DM->FExist(db, 0) ? DataFolderUsable : DataFolderNoDatabase;
    }
    if (ConnectMode == 1 || ConnectMode == 2) {
        if (SyoriType == 2 || SyoriType == 4) return DM->FExist(db, ConnectMode) ? DataFolderUsable : DataFolderNoDatabase;
        if (SyoriType == 5) return DataFolderRefused;
        if (!IsAllowedStatus(CheckDataStatus(folder, true, QString(), true), ConnectMode)) return refused();
        if (DM->FExist(db, ConnectMode)) return DataFolderUsable;
        MessageDlg(kNoData, TMsgDlgType::mtWarning, mbOK);
        return DataFolderRefused;
    }
    MessageDlg(QStringLiteral("製品タイプ不整合のためデータを起動できませんでした。\r"), TMsgDlgType::mtError, mbOK);
    return DataFolderRefused;
}
