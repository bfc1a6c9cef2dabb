#include "dbaccess/DataInfo.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "core/DateFormat.h"
#include "dbaccess/ErrorHandler.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "dbaccess/SitenList.h"
#include "core/SjisText.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

const char16_t *const kStatusTexts[] = {u"－", u"－", u"使用中", u"データロック中", u"保存中", u"復元中",
                                        u"コピー中", u"貼り付け中", u"削除中", u"新規作成中", u"破損"};

QString dateText(const QDate &d)
{
    return d.isValid() ? FormatDateTime(QStringLiteral("yyyy/mm/dd"), d) : QString();
}

// Copies every file named like the company database (any extension) between two folders.
bool copyDatabaseFiles(const QString &from, const QString &to)
{
    const QString base = QFileInfo(Product.DataFile).completeBaseName();
    const QDir dir(from);
    const auto files = dir.entryInfoList({base + QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    if (files.isEmpty()) return false;
    for (const QFileInfo &f : files)
        if (!CopyFileTo(f.filePath(), ExcludePathDelim(to) + u'/' + f.fileName())) return false;
    return true;
}

} // namespace

QString DataStatusText(int status)
{
    return status >= 0 && status <= 10 ? QString::fromUtf16(kStatusTexts[status]) : QString();
}

TDataInfomation::TDataInfomation()
{
    m_versions.Execute(0);
    ClearDataInfoRec(Rec);
}

void TDataInfomation::ClearDataInfoRec(TDataInfomationRec &rec)
{
    rec = TDataInfomationRec();
}

QString TDataInfomation::IniFileOf(const QString &dataDir)
{
    return ExcludePathDelim(dataDir) + u'/' + QFileInfo(Product.DataFile).completeBaseName() + QStringLiteral(".ini");
}

int TDataInfomation::GetDataInfoRec(TDataInfomationRec &rec)
{
    ClearDataInfoRec(rec);
    const bool wasConnected = DM->IBDatabaseDAT.connected();
    try {
        if (!wasConnected && !DM->fnAccDatConnected(QString(), QString(), false)) return 0;
        TransactionGuard g(DM->IBTransactionDAT);
        FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        q.setSql(QStringList{QStringLiteral("SELECT ENTTEXT,DATATYPE,CODETYPE,SCODE1,SKANA,SHOUGOU,TANTOU,NENDO,KISHU,KIMATU,SITEN,BUMON,DATALOCK FROM ACCDEF1"),
                             QStringLiteral("WHERE REC=1")});
        q.open();
        if (!q.eof()) {
            rec.ListName = q.field(0).asString();
            rec.DataKbn = q.field(1).asInteger();
            rec.CodeKbn = q.field(2).asInteger();
            rec.Code = q.field(3).asString();
            rec.Kana = q.field(4).asString();
            rec.Shougou = q.field(5).asString();
            rec.Tanto = q.field(6).asInteger();
            rec.Nendo = q.field(7).asInteger();
            rec.Kishu = dateText(q.field(8).asDate());
            rec.Kimatu = dateText(q.field(9).asDate());
            rec.Siten = q.field(10).asInteger();
            rec.Bumon = q.field(11).asInteger();
            rec.UpdateLock = q.field(12).asInteger();
        }
        q.close();
        const QString kihon = QStringLiteral("基本設定");
        rec.GassanKbn = quint8(DM->GetAccReg(kihon, QStringLiteral("合算データ区分"), QStringLiteral("整数"), QStringLiteral("0")).toInt());
        q.setSql(QStringList{QStringLiteral("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION"), QStringLiteral("WHERE REC=1"),
                             QStringLiteral("ORDER BY MAJOR,MINOR1,MINOR2")});
        q.open();
        if (!q.eof()) {
            rec.VerMajor = q.field(0).asInteger();
            rec.VerMinor1 = q.field(1).asInteger();
            rec.VerMinor2 = q.field(2).asInteger();
            rec.VerLabel = VersionLabel(rec.VerMajor, rec.VerMinor1);
        }
        q.close();
        if (rec.Siten > 0) {
            q.setSql(QStringList{QStringLiteral("SELECT COUNT(SCODE) AS RECCNT FROM SISETUMST"), QStringLiteral("WHERE SCODE <> ''")});
            q.open();
            rec.SitenCnt = q.field(0).asInteger();
            q.close();
        }
        if (rec.Bumon > 0) {
            q.setSql(QStringList{QStringLiteral("SELECT COUNT(BCODE) AS RECCNT FROM BUMONMST"), QStringLiteral("WHERE BCODE <> ''")});
            q.open();
            rec.BumonCnt = q.field(0).asInteger();
            q.close();
        }
        rec.Siwake = DM->GetYukouSiwakeCount(QString());
        rec.TotalSiwake = DM->GetSiwakeCountAll(QString());
        try {
            rec.GassanKbn = quint8(DM->GetAccReg(kihon, QStringLiteral("合算データ区分"), QStringLiteral("整数"), QStringLiteral("0")).toInt());
        } catch (const FbError &) {
            rec.GassanKbn = 0;
        }
        rec.UseMyNumber = DM->GetAccReg(kihon, QStringLiteral("＃USE"), QStringLiteral("整数"), QStringLiteral("0")).toInt();
        g.commit();
        return 1;
    } catch (const FbError &e) {
        if (e.errorCode() == 335544569) throw; // a statement the database does not know: the caller's
        reportError(e, QStringLiteral("TDataInfomation.GetDataInfoRec"), QStringLiteral("基本情報の取得に失敗しました。\r(iniファイル)"));
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataInfomation.GetDataInfoRec"), QStringLiteral("基本情報の取得に失敗しました。\r(iniファイル)"));
    }
    if (!wasConnected) DM->fnAccDatDisConnected(QString(), false, false);
    return 0;
}

int TDataInfomation::GetDataInfoRecByPath(const QString &dataDir, TDataInfomationRec &rec)
{
    ClearDataInfoRec(rec);
    if (!DM->FExist(ExcludePathDelim(dataDir) + u'/' + Product.DataFile, ConnectMode)) return 0;
    if (!DM->fnAccDatConnected(QString(), dataDir, false)) return 0;
    const int r = GetDataInfoRec(rec);
    DM->fnAccDatDisConnected(dataDir, false, false);
    return r;
}

int TDataInfomation::ReadIniInfo(const QString &dataDir, TDataInfomationRec &rec)
{
    return ReadIniFile(SystemDef.HostName, dataDir, rec);
}

int TDataInfomation::ReadIniFile(const QString &host, const QString &dataDir, TDataInfomationRec &rec)
{
    ClearDataInfoRec(rec);
    if (dataDir.isEmpty()) return 1;
    if (ConnectMode == 0) {
        const QString db = ExcludePathDelim(dataDir) + u'/' + Product.DataFile;
        const QString ini = IniFileOf(dataDir);
        const bool dbExists = QFileInfo(db).isFile();
        if (!dbExists && !QFileInfo(ini).isFile()) return 0;
        if (dbExists && !QFileInfo(ini).isFile() && GetUncName(dataDir) == dataDir) {
            if (!DM->fnAccDatConnected(host, dataDir, true)) {
                rec.Status = 0;
                return 1;
            }
            DM->fnAccDatDisConnected(dataDir, true, false);
        }
        const platform::IniFile f(ini);
        const QString sts = QStringLiteral("DATASTS"), inf = QStringLiteral("DATAINFO");
        rec.Status = quint8(f.readInteger(sts, QStringLiteral("STATUS"), 1));
        rec.OpCode = f.readInteger(sts, QStringLiteral("OPCODE"), 0);
        rec.OpName = f.readString(sts, QStringLiteral("OPERATOR"));
        rec.ShareStatus = quint8(f.readInteger(sts, QStringLiteral("SHARE_STATUS"), 1));
        rec.ShareOpCode = f.readInteger(sts, QStringLiteral("SHARE_OPCODE"), 0);
        rec.ShareOpName = f.readString(sts, QStringLiteral("SHARE_OPERATOR"));
        rec.UpdateLock = f.readInteger(sts, QStringLiteral("UPDATE_LOCK"), 0);
        rec.ListName = f.readString(inf, QStringLiteral("DATALISTNAME"));
        rec.Code = f.readString(inf, QStringLiteral("CODE"));
        rec.DataKbn = f.readInteger(inf, QStringLiteral("DATAKBN"), 0);
        rec.CodeKbn = f.readInteger(inf, QStringLiteral("CODEKBN"), 0);
        rec.Shougou = f.readString(inf, QStringLiteral("SHOUGOU"));
        rec.Kana = f.readString(inf, QStringLiteral("KANA"));
        rec.Nendo = f.readInteger(inf, QStringLiteral("NENDO"), 0);
        rec.Kishu = f.readString(inf, QStringLiteral("KISHU"));
        rec.Kimatu = f.readString(inf, QStringLiteral("KIMATU"));
        rec.Tanto = f.readInteger(inf, QStringLiteral("TANTO"), 0);
        rec.Siten = f.readInteger(inf, QStringLiteral("SITEN"), 0);
        rec.SitenCnt = f.readInteger(inf, QStringLiteral("SITENCNT"), 0);
        rec.Bumon = f.readInteger(inf, QStringLiteral("BUMON"), 0);
        rec.BumonCnt = f.readInteger(inf, QStringLiteral("BUMONCNT"), 0);
        rec.Siwake = f.readInteger(inf, QStringLiteral("SIWAKE"), 0);
        rec.TotalSiwake = f.readInteger(inf, QStringLiteral("TOTALSIWAKE"), 0);
        const QStringList v = f.readString(inf, QStringLiteral("VERSION1")).split(u'.');
        rec.VerMajor = v.value(0).toInt();
        rec.VerMinor1 = v.value(1).toInt();
        rec.VerMinor2 = v.value(2).toInt();
        rec.VerLabel = f.readString(inf, QStringLiteral("VERSION2"));
        rec.GassanKbn = quint8(f.readInteger(inf, QStringLiteral("GASSANKBN"), 0));
        rec.UseMyNumber = f.readInteger(inf, QStringLiteral("USEMYNUMBER"), 0);
        if (rec.ListName.isEmpty()) rec.ListName = rec.Shougou;
        return 1;
    }
    if (ConnectMode == 1 || ConnectMode == 2) {
        const QString table = DataListTableOf(dataDir);
        const bool opened = !DM->IBDatabaseDEF.connected();
        // A system database that cannot be opened was reported there; the
        // company database is still asked below.
        const bool listed = !opened || DM->fnAccDefConnected(host, true);
        if (listed) try {
            TransactionGuard g(DM->IBTransactionDEF);
            FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
            q.setSql(QStringList{QStringLiteral("SELECT D.DATALOCK,O.OPCODE,O.OPNAME,"),
                                 QStringLiteral("D.ENTTEXT,D.DATACODE,D.DATATYPE,D.CODETYPE,D.SHOUGOU,D.NENDO,D.KISHU,D.KIMATU,D.TANTOU,D.UPDATE_LOCK,D.VER_TEXT"),
                                 QStringLiteral("FROM ") + table + QStringLiteral(" D"),
                                 QStringLiteral("LEFT JOIN OPERATOR O ON(D.GROUPID=O.GROUPID AND D.DATALOCK=O.OPCODE)"),
                                 QStringLiteral("WHERE (D.DATALOCK<>0)AND(UPPER(D.PASNAME)=:PASNAME)AND(D.GROUPID=:GROUPID)")});
            q.paramByName(QStringLiteral("PASNAME")).setString(dataDir.toUpper());
            q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
            for (q.open(); !q.eof(); q.next()) {
                rec.Status = 3;
                rec.OpCode = SystemDef.GroupNo * 10000 + q.fieldByName(QStringLiteral("OPCODE")).asInteger();
                rec.OpName = q.fieldByName(QStringLiteral("OPNAME")).asString();
                rec.ListName = q.fieldByName(QStringLiteral("ENTTEXT")).asString();
                rec.Code = q.fieldByName(QStringLiteral("DATACODE")).asString();
                rec.DataKbn = q.fieldByName(QStringLiteral("DATATYPE")).asInteger();
                rec.CodeKbn = q.fieldByName(QStringLiteral("CODETYPE")).asInteger();
                rec.Shougou = q.fieldByName(QStringLiteral("SHOUGOU")).asString();
                rec.Nendo = q.fieldByName(QStringLiteral("NENDO")).asInteger();
                rec.Kishu = dateText(q.fieldByName(QStringLiteral("KISHU")).asDate());
                rec.Kimatu = dateText(q.fieldByName(QStringLiteral("KIMATU")).asDate());
                rec.Tanto = q.fieldByName(QStringLiteral("TANTOU")).asInteger();
                rec.UpdateLock = q.fieldByName(QStringLiteral("UPDATE_LOCK")).asInteger();
                rec.VerLabel = q.fieldByName(QStringLiteral("VER_TEXT")).asString();
            }
            q.close();
            g.commit();
        } catch (const FbError &e) {
            ShowIBError(e, QStringLiteral("TDataInfomation.ReadIniFile"), QStringLiteral("ロック情報の取得に失敗しました。"), true);
        }
        if (listed && opened) DM->IBDatabaseDEF.close();
        if (rec.Status == 3) return 0;
        if (!DM->fnAccDatConnected(host, dataDir, false)) {
            rec.Status = 0;
            return 1;
        }
        GetDataInfoRec(rec);
        DM->fnAccDatDisConnected(dataDir, false, false);
        rec.Status = DM->AccDatInConnection(1, host, false, dataDir) ? 2 : 1;
        return 1;
    }
    return 1;
}

void TDataInfomation::WriteIniFile(const QString &dataDir, const QString &section, const TDataInfomationRec &rec)
{
    Rec = rec;
    if (dataDir.isEmpty() || ConnectMode != 0) return;
    const QString file = IniFileOf(dataDir);
    if (section.isEmpty() || section.compare(QStringLiteral("DATASTS"), Qt::CaseInsensitive) == 0) {
        QStringList lines{QStringLiteral("STATUS=%1").arg(rec.Status)};
        if (rec.OpCode != 0) lines << QStringLiteral("OPCODE=%1").arg(rec.OpCode) << QStringLiteral("OPERATOR=") + rec.OpName;
        lines << QStringLiteral("SHARE_STATUS=%1").arg(rec.ShareStatus);
        if (rec.ShareOpCode != 0)
            lines << QStringLiteral("SHARE_OPCODE=%1").arg(rec.ShareOpCode) << QStringLiteral("SHARE_OPERATOR=") + rec.ShareOpName;
        lines << QStringLiteral("UPDATE_LOCK=%1").arg(rec.UpdateLock);
        WriteIniSection(file, QStringLiteral("DATASTS"), lines);
    }
    if (section.isEmpty() || section.compare(QStringLiteral("DATAINFO"), Qt::CaseInsensitive) == 0) {
        const QStringList lines{
            QStringLiteral("DATALISTNAME=") + rec.ListName,  QStringLiteral("CODE=") + rec.Code,
            QStringLiteral("DATAKBN=%1").arg(rec.DataKbn),   QStringLiteral("CODEKBN=%1").arg(rec.CodeKbn),
            QStringLiteral("SHOUGOU=") + rec.Shougou,       QStringLiteral("KANA=") + rec.Kana,
            QStringLiteral("NENDO=%1").arg(rec.Nendo),       QStringLiteral("KISHU=") + rec.Kishu,
            QStringLiteral("KIMATU=") + rec.Kimatu,         QStringLiteral("TANTO=%1").arg(rec.Tanto),
            QStringLiteral("SITEN=%1").arg(rec.Siten),       QStringLiteral("SITENCNT=%1").arg(rec.SitenCnt),
            QStringLiteral("BUMON=%1").arg(rec.Bumon),       QStringLiteral("BUMONCNT=%1").arg(rec.BumonCnt),
            QStringLiteral("SIWAKE=%1").arg(rec.Siwake),     QStringLiteral("TOTALSIWAKE=%1").arg(rec.TotalSiwake),
            QStringLiteral("VERSION1=%1.%2.%3").arg(rec.VerMajor).arg(rec.VerMinor1).arg(rec.VerMinor2),
            QStringLiteral("VERSION2=") + rec.VerLabel,     QStringLiteral("GASSANKBN=%1").arg(rec.GassanKbn),
            QStringLiteral("USEMYNUMBER=%1").arg(rec.UseMyNumber)};
        WriteIniSection(file, QStringLiteral("DATAINFO"), lines);
    }
}

void TDataInfomation::WriteIniValue(const QString &dataDir, const QString &section, bool remove, const QString &value,
                                    const QString &key)
{
    if (dataDir.isEmpty() || ConnectMode != 0) return;
    ::WriteIniValue(IniFileOf(dataDir), section, key, remove, value);
}

void TDataInfomation::SetDataStatus(const QString &dataDir, int status)
{
    const QString s = QStringLiteral("DATASTS");
    WriteIniValue(dataDir, s, false, QString::number(status), QStringLiteral("STATUS"));
    const bool free = status == 1;
    WriteIniValue(dataDir, s, free, QString::number(SystemDef.OpCode), QStringLiteral("OPCODE"));
    WriteIniValue(dataDir, s, free, SystemDef.OpName, QStringLiteral("OPERATOR"));
}

void TDataInfomation::SetShareStatus(const QString &dataDir, int status)
{
    const QString s = QStringLiteral("DATASTS");
    WriteIniValue(dataDir, s, false, QString::number(status), QStringLiteral("SHARE_STATUS"));
    const bool free = status == 1;
    WriteIniValue(dataDir, s, free, QString::number(SystemDef.OpCode), QStringLiteral("SHARE_OPCODE"));
    WriteIniValue(dataDir, s, free, SystemDef.OpName, QStringLiteral("SHARE_OPERATOR"));
}

bool TDataInfomation::ChangeShareStatus(const QString &dataDir, int status)
{
    TDataInfomationRec r;
    ReadIniInfo(dataDir, r);
    if ((status == 2 && r.ShareStatus != 2) || (status == 1 && r.ShareStatus != 1)) {
        SetShareStatus(dataDir, status);
        return true;
    }
    return false;
}

void TDataInfomation::UpdateIniFile(const QString &dataDir, const QString &section)
{
    if (ConnectMode != 0 || dataDir.isEmpty()) return;
    if (!section.isEmpty()) {
        ClearDataInfoRec(Rec);
        if (section.compare(QStringLiteral("DATAINFO"), Qt::CaseInsensitive) == 0 && DM->fnAccDatConnected(QString(), dataDir, false)) {
            GetDataInfoRec(Rec);
            DM->fnAccDatDisConnected(dataDir, false, false);
        }
        WriteIniFile(dataDir, section, Rec);
        return;
    }
    if (GetUncName(dataDir) == dataDir && DM->fnAccDatConnected(QString(), dataDir, true))
        DM->fnAccDatDisConnected(dataDir, true, false);
}

void TDataInfomation::UpdateDataInfomation(const QString &host, const QString &dataDir, TDataInfomationRec &rec)
{
    const QString text = QStringLiteral("データ情報の更新に失敗しました。");
    if (!DM->fnAccDatConnected(host, dataDir, false)) return;
    try {
        TransactionGuard g(DM->IBTransactionDAT);
        FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        if (TrimZen(rec.ListName).isEmpty()) {
            q.setSql(QStringList{QStringLiteral("SELECT ENTTEXT FROM ACCDEF1"), QStringLiteral("WHERE REC=1")});
            q.open();
            if (!q.eof()) rec.ListName = q.field(0).asString();
            q.close();
        }
        rec.ListName = TrimZen(PadStr(rec.ListName, 40));
        q.setSql(QStringList{QStringLiteral("UPDATE ACCDEF1 SET ENTTEXT=:ENTTEXT,DATALOCK=:DATALOCK"), QStringLiteral("WHERE REC=1")});
        q.paramByName(QStringLiteral("ENTTEXT")).setString(rec.ListName);
        q.paramByName(QStringLiteral("DATALOCK")).setInteger(rec.UpdateLock);
        q.execSQL();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDM.UpdateDataInfomation"), text);
    }
    DM->fnAccDatDisConnected(dataDir, false, false);
}

bool TDataInfomation::IsUseData(const QString &dataDir)
{
    if (!DM->FExist(ExcludePathDelim(dataDir) + u'/' + Product.DataFile, ConnectMode)) return true;
    if (DM->IsUnrestrictedOperator()) return true;
    if (!DM->fnAccDatConnected(QString(), dataDir, false)) return false;
    bool allowed = false;
    const QString text = QStringLiteral("データ使用権限の問い合わせに失敗しました。");
    try {
        TransactionGuard g(DM->IBTransactionDAT);
        if (DM->fnGetExistsOpeDefSisetu() && DM->fnGetAccInfo()) {
            TSitenList all, mine;
            all.Selection = mine.Selection = 4;
            all.Execute(-1);
            mine.Execute(SystemDef.OpCode);
            allowed = all.Count == mine.Count;
        }
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataInfomation.IsUseData"), text);
        DM->fnAccDatDisConnected(dataDir, false, false);
        return false;
    }
    DM->fnAccDatDisConnected(dataDir, false, false);
    if (!allowed)
        MessageDlg(QStringLiteral("このデータを扱う権限がありません。\r\r権限を付与するには、管理者でログインし「オペレータ登録」より"
                                  "[選択中のデータを処理します]にチェックを入れて下さい。"),
                   TMsgDlgType::mtWarning, mbOK);
    return allowed;
}

QString TDataInfomation::VersionLabel(int major, int minor1) const
{
    const QString text = QStringLiteral("%1.%2").arg(major).arg(minor1);
    if (major == 0 && minor1 > 0) return QStringLiteral("評価版");
    for (int i = 0; i < m_versions.Count; ++i)
        if (m_versions.VersionText(i) == text) return m_versions.GetTypeName(i);
    return text;
}

int TDataInfomation::PutServerData(const QString &serverDir, const QString &localDir, bool quiet)
{
    if (serverDir.isEmpty() || localDir.isEmpty()) return 0;
    ChangeShareStatus(serverDir, 1);
    SetShareStatus(localDir, 1);
    try {
        SetDataStatus(serverDir, 7);
    } catch (const std::exception &) {
        if (!quiet)
            MessageDlg(QStringLiteral("共有サーバー上のデータ領域が削除された可能性があります。\r現在の領域設定情報でデータ領域を作成します。"),
                       TMsgDlgType::mtInformation, mbOK);
    }
    QDir().mkpath(serverDir);
    const bool ok = copyDatabaseFiles(localDir, serverDir);
    SetDataStatus(serverDir, 1);
    SetDataStatus(localDir, 1);
    if (ok) return 1;
    SetShareStatus(localDir, 2);
    ChangeShareStatus(serverDir, 2);
    return 0;
}

int TDataInfomation::GetServerData(const QString &serverDir, const QString &localDir, bool quiet)
{
    if (serverDir.isEmpty() || localDir.isEmpty()) return 0;
    if (!ForceDir(localDir)) {
        if (!quiet) MessageDlg(QStringLiteral("\"%1\"の作成に失敗しました。").arg(localDir), TMsgDlgType::mtWarning, mbYes);
        return 0;
    }
    TDataInfomationRec r;
    ReadIniInfo(serverDir, r);
    if (r.Status == 10) {
        if (quiet) return 255;
        throw platform::Error(QStringLiteral("共有サーバー上のデータが破損しているため、共有データの取得を中止します。\r"
                                             "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。"));
    }
    const QString gone = QStringLiteral("共有サーバーが起動していない、接続が切断されている \rまたは 共有サーバー上のデータ領域が削除された可能性があります。\r処理を中止します。");
    const bool exists = QFileInfo(serverDir).isDir();
    if (r.ShareStatus == 2) {
        if (exists) copyDatabaseFiles(serverDir, localDir);
        else if (!quiet) throw platform::Error(gone);
        return 255;
    }
    if (!exists) {
        if (quiet) return 0;
        throw platform::Error(gone);
    }
    SetDataStatus(serverDir, 7);
    const bool ok = copyDatabaseFiles(serverDir, localDir);
    QThread::msleep(300);
    SetDataStatus(localDir, 1);
    SetDataStatus(serverDir, 1);
    SetShareStatus(localDir, 2);
    ChangeShareStatus(serverDir, 2);
    return ok ? 1 : 0;
}

void InstallDataInfoHooks()
{
    if (!DM) return;
    DM->OnDataSetOpened = [](const QString &dataDir) {
        TDataInfomation info;
        info.ConnectMode = ConnectMode;
        TDataInfomationRec rec;
        info.GetDataInfoRec(rec);
        rec.Status = 2;
        rec.OpCode = SystemDef.OpCode;
        rec.OpName = SystemDef.OpName;
        if (ConnectMode == 0) info.WriteIniFile(dataDir, QString(), rec);
    };
    DM->OnDataSetClosing = [](const QString &dataDir, bool writeInfo, bool updateList) {
        TDataInfomation info;
        info.ConnectMode = ConnectMode;
        TDataInfomationRec rec;
        info.GetDataInfoRec(rec);
        rec.Status = 1;
        if (writeInfo && ConnectMode == 0) info.WriteIniFile(dataDir, QString(), rec);
        if (updateList && DataListRowUpdater) DataListRowUpdater(dataDir, rec);
    };
}

std::function<void(const QString &dataDir, const TDataInfomationRec &rec)> DataListRowUpdater;

QString DataListTableOf(const QString &dataDir)
{
    return dataDir.toUpper().contains(QStringLiteral("/DATA/")) ? QStringLiteral("DATALIST") : QStringLiteral("DATALIST_EX");
}
