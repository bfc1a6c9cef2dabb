#include "datasets/DataSentakuList.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "core/Messages.h"
#include "core/MojiBunkatu.h"
#include "core/SjisText.h"
#include "datasets/DataFolderCheck.h"
#include "platform/Error.h"

#include <QFileInfo>
#include <QThread>

#include <memory>
#include <stdexcept>

namespace {

const QString kClass = QStringLiteral("TDataSentakuListCtl.");
const QString kGetFailed = QStringLiteral("データリストの取得に失敗しました。");
const QString kInsertFailed = QStringLiteral("データリストの追加に失敗しました。");
const QString kUpdateFailed = QStringLiteral("データリストの更新に失敗しました。");
const QString kDeleteFailed = QStringLiteral("データリストの削除に失敗しました。");
const QString kChildGetFailed = QStringLiteral("(子)データリストの取得に失敗しました。");
const QString kChildUpdateFailed = QStringLiteral("(子)データリストの更新に失敗しました。");
const QString kChildDeleteFailed = QStringLiteral("(子)データリストの削除に失敗しました。");
const QString kMaxFailed = QStringLiteral("最大のレコー番号の取得に失敗しました。");
const QString kTorokuFailed = QStringLiteral("データリストの登録チェックに失敗しました。");

const QString kMainColumns = QStringLiteral(
    "SELECT REC,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,"
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
const QString kUnnamedColumns = QStringLiteral(
    "SELECT REC,SHOUGOU,ENTTEXT,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,"
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
const QString kOneMainColumns = QStringLiteral(
    "SELECT REC,0 AS ROWNO,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,"
    "TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
const QString kChildColumns = QStringLiteral(
    "SELECT REC,ROWNO,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,"
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
const QStringList kUpdateSetLines = {
    QStringLiteral("SET PASNAME=:PASNAME,ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU,NETDRIVE=:NETDRIVE,"),
    QStringLiteral("DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,"),
    QStringLiteral("DATALOCK=:DATALOCK,KYOYULOCK=:KYOYULOCK,TANTOU=:TANTOU,"),
    QStringLiteral("VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,"),
    QStringLiteral("UPDATE_LOCK=:UPDATE_LOCK,GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,"
                   "YOBI1=:YOBI1,YOBI2=:YOBI2,YOBI3=:YOBI3")};

// Date 0 is an empty date of the list.
QDate readDate(const FbField &f) { return f.isNull() ? QDate() : NullIfDateZero(f.asDate()); }

QDate storedDate(const QDate &d) { return DateZeroIfNull(d); }

bool isBlankPath(const QString &path) { return TrimZen(path).isEmpty(); }

// The list's texts are compared without case; never stored upper-cased.
QString upperKey(const QString &path) { return path.toUpper(); }

// Trailing path delimiter removed.
QString withoutTrailingDelim(const QString &path)
{
    QString p = path;
    while (p.endsWith(u'/') && p.size() > 1) p.chop(1);
    return p;
}

QString lastComponent(const QString &path)
{
    const QString p = withoutTrailingDelim(path);
    return p.mid(p.lastIndexOf(u'/') + 1);
}

QString periodText(const QDate &start, const QDate &end)
{
    QString text;
    FormatKikan(text, start, end);
    return text;
}

} // namespace

QString GetDataStatusText(int status)
{
    switch (status) {
    case 0:
    case 1: return QStringLiteral("－");
    case 2: return QStringLiteral("使用中");
    case 3: return QStringLiteral("データロック中");
    case 4: return QStringLiteral("保存中");
    case 5: return QStringLiteral("復元中");
    case 6: return QStringLiteral("コピー中");
    case 7: return QStringLiteral("貼り付け中");
    case 8: return QStringLiteral("削除中");
    case 9: return QStringLiteral("新規作成中");
    case 10: return QStringLiteral("破損");
    default: return QStringLiteral("状態不明");
    }
}

QString DataListSortClause(int sortKind, bool descending)
{
    switch (sortKind) {
    case 1: return descending ? QStringLiteral("ORDER BY REC DESC") : QStringLiteral("ORDER BY REC");
    case 2:
        return descending ? QStringLiteral("ORDER BY ENTTEXT DESC,NENDO DESC,REC DESC")
                          : QStringLiteral("ORDER BY ENTTEXT,NENDO DESC,REC");
    case 3: return descending ? QStringLiteral("ORDER BY NENDO DESC,REC DESC") : QStringLiteral("ORDER BY NENDO,REC");
    case 4: return descending ? QStringLiteral("ORDER BY KISHU DESC,REC DESC") : QStringLiteral("ORDER BY KISHU,REC");
    case 5:
        return descending ? QStringLiteral("ORDER BY UPPER(PASNAME) DESC,REC DESC")
                          : QStringLiteral("ORDER BY UPPER(PASNAME),REC");
    case 6:
        return descending ? QStringLiteral("ORDER BY VER_MAJOR DESC,VER_MINOR1 DESC,VER_MINOR2 DESC,REC DESC")
                          : QStringLiteral("ORDER BY VER_MAJOR,VER_MINOR1,VER_MINOR2,REC");
    case 7:
        return descending ? QStringLiteral("ORDER BY DATACODE DESC,NENDO DESC,REC DESC")
                          : QStringLiteral("ORDER BY DATACODE,NENDO DESC,REC");
    default: return QString();
    }
}

TDataSentakuListCtl::TDataSentakuListCtl()
{
    if (!DM) throw std::logic_error("TDataSentakuListCtl needs the data module");
    m_sql.Database = &DM->IBDatabaseDEF;
    m_sql.Transaction = &DM->IBTransactionDEF;
    m_sql2.Database = &DM->IBDatabaseDEF;
    m_sql2.Transaction = &DM->IBTransactionDEF;
    SetDataListTable(0);
}

TDataSentakuListCtl::~TDataSentakuListCtl() = default;

void TDataSentakuListCtl::SetDataListTable(int dataPlace)
{
    m_dataPlace = (ConnectMode == 1 || ConnectMode == 2) ? dataPlace : 0;
    m_table = m_dataPlace > 0 ? QStringLiteral("DATALIST_EX") : QStringLiteral("DATALIST");
}

void TDataSentakuListCtl::ClearList()
{
    RecCount = 0;
    Recs.clear();
    ChildRecCount = 0;
    ChildRecs.clear();
}

QString TDataSentakuListCtl::placeParamCondition() const
{
    return m_dataPlace > 0 ? QStringLiteral("AND (DATAPLACEREC=:DATAPLACEREC)") : QString();
}

QString TDataSentakuListCtl::placeLiteralCondition() const
{
    return m_dataPlace > 0 ? QStringLiteral("AND (DATAPLACEREC=") + QString::number(m_dataPlace) + u')' : QString();
}

void TDataSentakuListCtl::setPlaceParam(FbQuery &q) const
{
    if (m_dataPlace > 0) q.paramByName(QStringLiteral("DATAPLACEREC")).setInteger(m_dataPlace);
}

QString TDataSentakuListCtl::GetDataFolderPath(TDataListRec &row) const
{
    row.LocalPath = withoutTrailingDelim(row.PASNAME);
    if (row.NETDRIVE == 1 && !row.PASNAME.isEmpty()) {
        const QString base = withoutTrailingDelim(SystemDef.SysDir);
        const QString number = QStringLiteral("%1").arg(row.REC, 4, 10, QLatin1Char('0'));
        if (IsMainRowMergeKind(row.GASSAN))
            row.LocalPath = base + u'/' + number;
        else
            row.LocalPath = base + u'/' + number + u'/' + lastComponent(row.PASNAME);
    }
    return row.LocalPath;
}

void TDataSentakuListCtl::readRow(FbQuery &q, TDataListRec &row) const
{
    auto integer = [&q](const char *name) { return q.fieldByName(QLatin1String(name)).asInteger(); };
    auto text = [&q](const char *name) { return q.fieldByName(QLatin1String(name)).asString(); };
    row.REC = integer("REC");
    row.ROWNO = q.findField(QStringLiteral("ROWNO")) ? integer("ROWNO") : 0;
    row.GROUPID = SystemDef.GroupNo;
    row.DATACODE = text("DATACODE");
    row.ENTTEXT = text("ENTTEXT");
    row.SHOUGOU = text("SHOUGOU");
    row.NENDO = integer("NENDO");
    row.KISHU = readDate(q.fieldByName(QStringLiteral("KISHU")));
    row.KIMATU = readDate(q.fieldByName(QStringLiteral("KIMATU")));
    row.KikanText = periodText(row.KISHU, row.KIMATU);
    row.NETDRIVE = integer("NETDRIVE");
    row.PASNAME = text("PASNAME");
    row.PASNAME.replace(u'\\', u'/');
    row.DATATYPE = integer("DATATYPE");
    row.CODETYPE = integer("CODETYPE");
    row.DATALOCK = integer("DATALOCK");
    row.KYOYULOCK = integer("KYOYULOCK");
    row.TANTOU = integer("TANTOU");
    row.VER_MAJOR = integer("VER_MAJOR");
    row.VER_MINOR1 = integer("VER_MINOR1");
    row.VER_MINOR2 = integer("VER_MINOR2");
    row.VER_TEXT = text("VER_TEXT");
    row.UPDATE_LOCK = integer("UPDATE_LOCK");
    row.GASSAN = quint8(integer("GASSAN"));
    row.DATA_STATUS = quint8(integer("DATA_STATUS"));
    row.YOBI1 = text("YOBI1");
    row.YOBI2 = text("YOBI2");
    row.YOBI3 = text("YOBI3");
    row.DispName = row.ENTTEXT;
    GetDataFolderPath(row);
    if (row.PASNAME == row.LocalPath) row.NETDRIVE = 0;
    row.WorkNo = 0;
    row.WorkText.clear();
}

void TDataSentakuListCtl::Execute(quint8 sortKind, bool descending)
{
    ClearList();
    if (ServerListFlag) return;
    const bool namedFirst = sortKind >= 2 && sortKind <= 7;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        // The list is sized by the rows actually read: a row added by another
        // station between a count and the reads is kept, none is left empty.
        QStringList sql{kMainColumns, QStringLiteral("FROM ") + m_table, QStringLiteral("WHERE (GROUPID=:GROUPID)")};
        if (namedFirst) sql << QStringLiteral("AND (ENTTEXT<>'')");
        if (m_dataPlace > 0) sql << placeParamCondition();
        sql << DataListSortClause(sortKind, descending);
        auto readMain = [this](const QStringList &lines) {
            m_sql.setSql(lines);
            m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
            setPlaceParam(m_sql);
            for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
                TDataSentakuRec rec;
                readRow(m_sql, rec);
                rec.ROWNO = 0;
                Recs.append(rec);
            }
            m_sql.close();
        };
        readMain(sql);
        if (namedFirst) {
            QStringList unnamed{kUnnamedColumns, QStringLiteral("FROM ") + m_table,
                                QStringLiteral("WHERE (GROUPID=:GROUPID) AND (ENTTEXT='')")};
            if (m_dataPlace > 0) unnamed << placeParamCondition();
            if (sortKind == 5)
                unnamed << (descending ? QStringLiteral("ORDER BY PASNAME DESC,REC DESC")
                                       : QStringLiteral("ORDER BY PASNAME,REC"));
            else
                unnamed << (descending ? QStringLiteral("ORDER BY REC DESC") : QStringLiteral("ORDER BY REC"));
            readMain(unnamed);
        }
        RecCount = int(Recs.size());

        m_sql.setSql(QStringList{kChildColumns, QStringLiteral("FROM CHILD_DATALIST"),
                                 QStringLiteral("WHERE (GROUPID=:GROUPID)"), QStringLiteral("ORDER BY REC,PASNAME")});
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
            TDataListRec child;
            readRow(m_sql, child);
            ChildRecs.append(child);
            for (auto &parent : Recs) {
                if (parent.REC == child.REC) {
                    parent.ChildRows.append(child);
                    parent.ChildCount = int(parent.ChildRows.size());
                    break;
                }
            }
        }
        m_sql.close();
        ChildRecCount = int(ChildRecs.size());
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, kClass + QStringLiteral("Execute"), kGetFailed);
    }
}

void TDataSentakuListCtl::ClearDataListRec(TDataListRec &row, const QString &path) const
{
    TDataListRec cleared;
    cleared.GROUPID = SystemDef.GroupNo;
    cleared.NENDO = 1;
    cleared.PASNAME = path;
    row = cleared;
    GetDataFolderPath(row);
}

void TDataSentakuListCtl::GetDispRecord(const TDataInfomationRec &info, TDataListRec &row) const
{
    auto toDate = [](const QString &text) {
        const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd"));
        return NullIfDateZero(d);
    };
    row.GROUPID = SystemDef.GroupNo;
    row.DATACODE = info.Code;
    row.ENTTEXT = info.ListName;
    row.SHOUGOU = info.Shougou;
    row.NENDO = info.Nendo;
    row.KISHU = toDate(info.Kishu);
    row.KIMATU = toDate(info.Kimatu);
    row.KikanText = periodText(row.KISHU, row.KIMATU);
    row.DATATYPE = info.DataKbn;
    row.CODETYPE = info.CodeKbn;
    row.TANTOU = info.Tanto;
    row.DATALOCK = 0;
    row.VER_MAJOR = info.VerMajor;
    row.VER_MINOR1 = info.VerMinor1;
    row.VER_MINOR2 = info.VerMinor2;
    row.VER_TEXT = info.VerLabel;
    row.UPDATE_LOCK = info.UpdateLock;
    if (row.ROWNO > 0) row.GASSAN = 10;
    const int groupBase = SystemDef.GroupNo * 10000;
    if (info.Status == 3 && info.OpCode != 0) row.DATALOCK = groupBase != 0 ? info.OpCode % groupBase : info.OpCode;
    if (info.ShareStatus == 2 && info.ShareOpCode == SystemDef.OpCode) row.KYOYULOCK = 1;
    if (row.NETDRIVE != 0) {
        if (row.ENTTEXT.isEmpty() || row.ENTTEXT == QStringLiteral("空き領域") ||
            row.ENTTEXT == QStringLiteral("新しい領域"))
            row.ENTTEXT = row.SHOUGOU;
    } else if (row.ENTTEXT.isEmpty()) {
        row.ENTTEXT = row.SHOUGOU;
    }
    row.DispName = row.ENTTEXT;
    GetDataFolderPath(row);
}

void TDataSentakuListCtl::SplitDataPath(const QString &path, QString &number, QString &rest)
{
    TDM::SplitDataPath(path, number, rest);
}

int TDataSentakuListCtl::GetCurrentRecord(const QString &path)
{
    if (isBlankPath(path)) return 0;
    if (ConnectMode == 0) {
        QString number, rest;
        SplitDataPath(path, number, rest);
        bool ok = false;
        const int n = number.toInt(&ok);
        return ok ? n : 0;
    }
    if (ConnectMode == 1 || ConnectMode == 2) {
        TDataListRec row;
        ClearDataListRec(row, path);
        GetDataListRecord(1, row, true);
        return row.REC;
    }
    return 0;
}

bool TDataSentakuListCtl::ConvLocalPathToSharePath(const QString &localPath, QString &listedPath, int &kyoyuLock,
                                                   int &netDrive)
{
    if (ServerListFlag) return true;
    listedPath = localPath;
    kyoyuLock = 0;
    netDrive = 0;
    if (isBlankPath(localPath)) return false;
    if (ConnectMode != 0) return true;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        const QString unc = GetUncName(localPath);
        m_sql.setSql(QStringList{QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM DATALIST"),
                                 QStringLiteral("WHERE (GROUPID=:GROUPID1) AND (UPPER(PASNAME)=:PASNAME1)"),
                                 QStringLiteral("UNION"),
                                 QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST"),
                                 QStringLiteral("WHERE (GROUPID=:GROUPID2) AND (UPPER(PASNAME)=:PASNAME2)")});
        m_sql.paramByName(QStringLiteral("GROUPID1")).setInteger(SystemDef.GroupNo);
        m_sql.paramByName(QStringLiteral("PASNAME1")).setString(upperKey(localPath));
        m_sql.paramByName(QStringLiteral("GROUPID2")).setInteger(SystemDef.GroupNo);
        m_sql.paramByName(QStringLiteral("PASNAME2")).setString(upperKey(localPath));
        int sum = 0;
        for (m_sql.open(); !m_sql.eof(); m_sql.next()) sum += m_sql.field(0).asInteger();
        m_sql.close();
        if (sum == 0 && unc == localPath) {
            QString number, rest;
            SplitDataPath(localPath, number, rest);
            m_sql.setSql(QStringList{QStringLiteral("SELECT REC,PASNAME,NETDRIVE,KYOYULOCK FROM DATALIST"),
                                     QStringLiteral("WHERE REC=:REC")});
            m_sql.paramByName(QStringLiteral("REC")).setInteger(number.toInt());
            for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
                listedPath = m_sql.fieldByName(QStringLiteral("PASNAME")).asString();
                if (!rest.isEmpty()) listedPath += u'/' + rest;
                netDrive = m_sql.fieldByName(QStringLiteral("NETDRIVE")).asInteger();
                kyoyuLock = m_sql.fieldByName(QStringLiteral("KYOYULOCK")).asInteger();
            }
            m_sql.close();
        }
        g.commit();
    } catch (const FbError &e) {
        ShowIBError(e, kClass + QStringLiteral("ConvLocalPathToSharePath"), QString(), true);
        return false;
    }
    return true;
}

bool TDataSentakuListCtl::GetLocalPathToData(const QString &path, TDataListRec &row)
{
    if (ServerListFlag) return true;
    row.PASNAME = path;
    if (isBlankPath(path)) return false;
    if (ConnectMode != 0) return true;
    const bool child = !IsMainRowMergeKind(row.GASSAN);
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        m_sql.setSql(QStringList{QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM ") +
                                     (child ? QStringLiteral("CHILD_DATALIST") : QStringLiteral("DATALIST")),
                                 QStringLiteral("WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)")});
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        m_sql.paramByName(QStringLiteral("PASNAME")).setString(upperKey(path));
        int count = 0;
        for (m_sql.open(); !m_sql.eof(); m_sql.next()) count += m_sql.field(0).asInteger();
        m_sql.close();
        if (count == 0 && GetUncName(path) == path) {
            if (!child) {
                row.REC = lastComponent(path).toInt();
                m_sql.setSql(QStringList{QStringLiteral("SELECT PASNAME FROM DATALIST"), QStringLiteral("WHERE (REC=:REC)")});
                m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
                for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
                    row.PASNAME = m_sql.field(0).asString();
                    GetDataFolderPath(row);
                }
                m_sql.close();
            } else {
                TMojiBunkatu parts;
                parts.Delimiter = u'/';
                parts.Split(withoutTrailingDelim(path));
                row.REC = parts.Count >= 2 ? parts.Item(parts.Count - 2).toInt() : 0;
                const QString last = lastComponent(path);
                m_sql.setSql(
                    QStringList{QStringLiteral("SELECT PASNAME FROM CHILD_DATALIST"), QStringLiteral("WHERE (REC=:REC)")});
                m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
                for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
                    const QString listed = m_sql.field(0).asString();
                    if (lastComponent(listed) == last) {
                        row.PASNAME = listed;
                        GetDataFolderPath(row);
                    }
                }
                m_sql.close();
            }
        }
        g.commit();
    } catch (const FbError &e) {
        ShowIBError(e, kClass + QStringLiteral("GetLocalPathToData"), QString(), true);
        return false;
    }
    return true;
}

void TDataSentakuListCtl::GetDataListRecord(int kind, TDataListRec &row, bool show)
{
    if (ServerListFlag) return;
    const QString lookedUp = row.PASNAME;
    if (kind == 1 && !GetLocalPathToData(lookedUp, row)) {
        ClearDataListRec(row, QString());
        return;
    }
    const bool child = !IsMainRowMergeKind(row.GASSAN);
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        QStringList sql;
        sql << (child ? kChildColumns : kOneMainColumns)
            << (child ? QStringLiteral("FROM CHILD_DATALIST") : QStringLiteral("FROM ") + m_table);
        if (kind == 0) {
            if (child) {
                sql << QStringLiteral("WHERE (REC=:REC) AND (ROWNO=:ROWNO) AND (GROUPID=:GROUPID)");
            } else {
                sql << QStringLiteral("WHERE (REC=:REC) AND (GROUPID=:GROUPID)");
                if (m_dataPlace > 0) sql << placeParamCondition();
            }
        } else {
            sql << QStringLiteral("WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)");
            if (!child && m_dataPlace > 0) sql << placeParamCondition();
        }
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        if (kind == 0) {
            m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
            if (child) m_sql.paramByName(QStringLiteral("ROWNO")).setInteger(row.ROWNO);
        } else {
            m_sql.paramByName(QStringLiteral("PASNAME")).setString(upperKey(row.PASNAME));
        }
        if (!child) setPlaceParam(m_sql);
        for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
            readRow(m_sql, row);
            if (row.LocalPath == lookedUp) break;
        }
        m_sql.close();
        g.commit();
    } catch (const std::exception &e) {
        reportOrRethrow(show, e, kClass + QStringLiteral("GetDataListRecord"), kGetFailed);
    }
}

int TDataSentakuListCtl::GetDataListRecordByPath(const QString &path, TDataSentakuRec &rec)
{
    TDataSentakuRec fresh;
    ClearDataListRec(fresh, QString());
    rec = fresh;
    rec.LocalPath = path;
    ConvLocalPathToSharePath(path, rec.PASNAME, rec.KYOYULOCK, rec.NETDRIVE);
    if (ConnectMode == 0) {
        QString number, rest;
        SplitDataPath(path, number, rest);
        rec.REC = number.toInt();
    } else if (ConnectMode == 1 || ConnectMode == 2) {
        rec.REC = GetRecByPasName(rec.PASNAME);
    }
    if (rec.REC == 0) rec.REC = GetRecByPasName(rec.PASNAME);
    if (rec.REC <= 0) {
        rec = fresh;
        return 0;
    }
    GetDataListRecord(0, rec, false);
    GetDataListChildRecord(rec, false);
    return 1;
}

void TDataSentakuListCtl::setRowParams(FbQuery &q, const TDataListRec &row) const
{
    auto setInt = [&q](const char *name, int v) { q.paramByName(QLatin1String(name)).setInteger(v); };
    auto setText = [&q](const char *name, const QString &v) { q.paramByName(QLatin1String(name)).setString(v); };
    setText("PASNAME", row.PASNAME);
    setText("ENTTEXT", row.ENTTEXT);
    setText("SHOUGOU", row.SHOUGOU);
    setInt("NETDRIVE", row.NETDRIVE);
    setInt("DATATYPE", row.DATATYPE);
    setInt("CODETYPE", row.CODETYPE);
    setInt("NENDO", row.NENDO);
    q.paramByName(QStringLiteral("KISHU")).setDate(storedDate(row.KISHU));
    q.paramByName(QStringLiteral("KIMATU")).setDate(storedDate(row.KIMATU));
    setInt("DATALOCK", row.DATALOCK);
    setInt("KYOYULOCK", row.KYOYULOCK);
    setInt("TANTOU", row.TANTOU);
    setInt("VER_MAJOR", row.VER_MAJOR);
    setInt("VER_MINOR1", row.VER_MINOR1);
    setInt("VER_MINOR2", row.VER_MINOR2);
    setText("VER_TEXT", row.VER_TEXT);
    setInt("GASSAN", row.GASSAN);
    setText("DATACODE", row.DATACODE);
    setInt("DATA_STATUS", row.DATA_STATUS);
    setText("YOBI1", row.YOBI1);
    setText("YOBI2", row.YOBI2);
    setText("YOBI3", row.YOBI3);
}

bool TDataSentakuListCtl::InsertDataListRecord(TDataListRec &row, bool show)
{
    if (ServerListFlag) return true;
    if (isBlankPath(row.PASNAME)) return false;
    if (ConnectMode == 0) return true; // the local list consists of its fixed slots
    row.REC = GetDataFolderName(1);
    if (row.REC <= 0) return false; // the number could not be read
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        const QString columns = QStringLiteral(
            "REC,GROUPID,PASNAME,ENTTEXT,SHOUGOU,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,"
            "TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
        const QString values = QStringLiteral(
            ":REC,:GROUPID,:PASNAME,:ENTTEXT,:SHOUGOU,:NETDRIVE,:DATATYPE,:CODETYPE,:NENDO,:KISHU,:KIMATU,:DATALOCK,"
            ":KYOYULOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,:VER_MINOR2,:VER_TEXT,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,"
            ":YOBI2,:YOBI3");
        if (m_dataPlace > 0)
            m_sql.setSql(QStringList{QStringLiteral("INSERT INTO ") + m_table + QStringLiteral("(DATAPLACEREC,") +
                                         columns + u')',
                                     QStringLiteral("VALUES(:DATAPLACEREC,") + values + u')'});
        else
            m_sql.setSql(QStringList{QStringLiteral("INSERT INTO DATALIST(") + columns + u')',
                                     QStringLiteral("VALUES(") + values + u')'});
        m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        setRowParams(m_sql, row);
        setPlaceParam(m_sql);
        m_sql.execSQL();
        g.commitOrRetain();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("InsertDataListRecord"), kInsertFailed);
    }
    return true;
}

bool TDataSentakuListCtl::UpdateDataListRecord(const TDataListRec &row, bool names, bool show)
{
    if (ServerListFlag) return true;
    if (row.REC == 0) return false;
    if (isBlankPath(row.PASNAME)) return false;
    if (row.GASSAN == 10) return UpdateDataListChildRecord(row, show);
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        if (ConnectMode == 1 || ConnectMode == 2) {
            // Another station may have renumbered the rows meanwhile: write only
            // when the number still names the same folder.
            QStringList check{QStringLiteral("SELECT PASNAME FROM ") + m_table, QStringLiteral("WHERE (REC=:REC)")};
            if (m_dataPlace > 0) check << placeParamCondition();
            m_sql.setSql(check);
            m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
            setPlaceParam(m_sql);
            bool found = false;
            QString stored;
            for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
                found = true;
                stored = m_sql.field(0).asString();
            }
            m_sql.close();
            if (!found || upperKey(stored) != upperKey(row.PASNAME)) {
                g.commitOrRetain();
                return true;
            }
        }
        QStringList sql{QStringLiteral("UPDATE ") + m_table};
        sql << kUpdateSetLines << QStringLiteral("WHERE (REC=:REC)");
        if (m_dataPlace > 0) sql << placeParamCondition();
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
        setRowParams(m_sql, row);
        m_sql.paramByName(QStringLiteral("UPDATE_LOCK")).setInteger(row.UPDATE_LOCK);
        setPlaceParam(m_sql);
        m_sql.execSQL();
        if (row.SHOUGOU.isEmpty() && !row.KISHU.isValid() && !row.KIMATU.isValid()) {
            m_sql.setSql(QStringList{QStringLiteral("DELETE FROM CHILD_DATALIST"),
                                     QStringLiteral("WHERE REC=:REC AND GROUPID=:GROUPID")});
            m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
            m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
            m_sql.execSQL();
        }
        if (row.NETDRIVE == 1) UpdateServerDataListRecord(row, names, false);
        g.commitOrRetain();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("UpdateDataListRecord"), kUpdateFailed);
    }
    return true;
}

namespace {

const QStringList kTransferredSetLines = {
    QStringLiteral("SET ENTTEXT=:ENTTEXT,"),     QStringLiteral("NENDO=:NENDO,"),
    QStringLiteral("KISHU=:KISHU,"),             QStringLiteral("KIMATU=:KIMATU,"),
    QStringLiteral("VER_MAJOR=:VER_MAJOR,"),     QStringLiteral("VER_MINOR1=:VER_MINOR1,"),
    QStringLiteral("VER_MINOR2=:VER_MINOR2,"),   QStringLiteral("VER_TEXT=:VER_TEXT")};

const QString kBadFolder = QStringLiteral("データフォルダパスが不正です。\r処理を中止します。");

// The number written in four characters of a folder name; raises when they are no number.
int folderNumber(const QString &digits)
{
    bool ok = false;
    const int n = digits.toInt(&ok);
    if (!ok || digits.size() != 4) throw platform::Error(kBadFolder);
    return n;
}

void setTransferredParams(FbQuery &q, const TDataListRec &row)
{
    q.paramByName(QStringLiteral("ENTTEXT")).setString(row.ENTTEXT);
    q.paramByName(QStringLiteral("NENDO")).setInteger(row.NENDO);
    q.paramByName(QStringLiteral("KISHU")).setDate(storedDate(row.KISHU));
    q.paramByName(QStringLiteral("KIMATU")).setDate(storedDate(row.KIMATU));
    q.paramByName(QStringLiteral("VER_MAJOR")).setInteger(row.VER_MAJOR);
    q.paramByName(QStringLiteral("VER_MINOR1")).setInteger(row.VER_MINOR1);
    q.paramByName(QStringLiteral("VER_MINOR2")).setInteger(row.VER_MINOR2);
    q.paramByName(QStringLiteral("VER_TEXT")).setString(row.VER_TEXT);
}

} // namespace

void TDataSentakuListCtl::UpdateTransferredDataRecord(const TDataListRec &row, const QString &selectedFolder,
                                                      bool distributed)
{
    const QString folder = TrimZen(row.PASNAME);
    if (folder.isEmpty()) throw platform::Error(kBadFolder);
    const QString context = QStringLiteral("TDataSentakuBox.UpdateDataListRecord");
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
        if (ConnectMode == 1 || ConnectMode == 2) {
            QStringList sql{QStringLiteral("UPDATE ") + DataListTableOf(selectedFolder)};
            sql << kTransferredSetLines << QStringLiteral("WHERE PASNAME=:PASNAME");
            q.setSql(sql);
            q.paramByName(QStringLiteral("PASNAME")).setString(folder);
        } else if (!distributed) {
            QStringList sql{QStringLiteral("UPDATE DATALIST")};
            sql << kTransferredSetLines << QStringLiteral("WHERE REC=:REC");
            q.setSql(sql);
            q.paramByName(QStringLiteral("REC")).setInteger(folderNumber(folder.right(4)));
        } else {
            // A distributed data set lives in a child folder of its parent:
            // ".../NNNN/cc" or ".../NNNN/ccc".
            QString child;
            int rec = 0;
            if (folder.size() >= 7 && folder.at(folder.size() - 3) == u'/') {
                child = folder.right(2);
                rec = folderNumber(folder.right(7).left(4));
            } else if (folder.size() >= 8 && folder.at(folder.size() - 4) == u'/') {
                child = folder.right(3);
                rec = folderNumber(folder.right(8).left(4));
            } else {
                ShowErrorMessage(QStringLiteral("C_DATALISTが更新出来ません。(1)"), QString());
                g.commit();
                return;
            }
            q.setSql(QStringList{QStringLiteral("SELECT * FROM Child_DATALIST"),
                                 QStringLiteral("WHERE (REC=:REC) and (PASNAME LIKE :PASNAME)")});
            q.paramByName(QStringLiteral("REC")).setInteger(rec);
            q.paramByName(QStringLiteral("PASNAME")).setString(QStringLiteral("%") + child);
            q.open();
            const bool found = !q.eof();
            const int rowNo = found ? q.fieldByName(QStringLiteral("ROWNO")).asInteger() : 0;
            q.close();
            if (!found) {
                ShowErrorMessage(QStringLiteral("C_DATALISTが更新出来ません。(2)"), QString());
                g.commit();
                return;
            }
            QStringList sql{QStringLiteral("UPDATE Child_DATALIST")};
            sql << kTransferredSetLines << QStringLiteral("WHERE (REC=:REC) and (ROWNO=:ROWNO) and (GROUPID=:GROUPID)");
            q.setSql(sql);
            q.paramByName(QStringLiteral("REC")).setInteger(rec);
            q.paramByName(QStringLiteral("ROWNO")).setInteger(rowNo);
            q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        }
        setTransferredParams(q, row);
        q.execSQL();
        g.commit();
    } catch (const FbError &e) {
        ShowIBError(e, context, kUpdateFailed);
        throw;
    }
}

bool TDataSentakuListCtl::DeleteDataListRecord(const TDataListRec &row, bool show)
{
    if (ServerListFlag) return true;
    if (isBlankPath(row.PASNAME)) return false;
    if (ConnectMode == 0 && row.GASSAN == 10) return DeleteDataListChildRecord(row, show);
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        QStringList sql{QStringLiteral("DELETE FROM ") + m_table,
                        QStringLiteral("WHERE (PASNAME=:PASNAME) AND (REC>:REC)")};
        if (m_dataPlace > 0) sql << placeParamCondition();
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("PASNAME")).setString(row.PASNAME);
        m_sql.paramByName(QStringLiteral("REC")).setInteger(Product.DataListCnt);
        setPlaceParam(m_sql);
        m_sql.execSQL();
        DeleteDataListChildRecord(row, false);
        g.commitOrRetain();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("DeleteDataListRecord"), kDeleteFailed);
    }
    return true;
}

void TDataSentakuListCtl::RenumberDataListRecord()
{
    if (ConnectMode != 1 && ConnectMode != 2) return;
    TransactionGuard g(DM->IBTransactionDEF);
    QStringList select{QStringLiteral("SELECT REC FROM ") + m_table, QStringLiteral("WHERE (REC>:REC)")};
    if (m_dataPlace > 0) select << placeLiteralCondition();
    select << QStringLiteral("ORDER BY REC");
    // Read first, then move: the moves must not disturb the open cursor.
    QList<int> numbers;
    m_sql.setSql(select);
    m_sql.paramByName(QStringLiteral("REC")).setInteger(Product.DataListCnt);
    for (m_sql.open(); !m_sql.eof(); m_sql.next()) numbers << m_sql.field(0).asInteger();
    m_sql.close();
    int expected = Product.DataListCnt + 1;
    for (int rec : numbers) {
        if (rec != expected) {
            QStringList update{QStringLiteral("UPDATE ") + m_table + QStringLiteral(" SET REC=:NEWREC"),
                               QStringLiteral("WHERE (REC=:OLDREC)")};
            if (m_dataPlace > 0) update << placeLiteralCondition();
            m_sql2.setSql(update);
            m_sql2.paramByName(QStringLiteral("NEWREC")).setInteger(expected);
            m_sql2.paramByName(QStringLiteral("OLDREC")).setInteger(rec);
            m_sql2.execSQL();
        }
        ++expected;
    }
    g.commit();
}

void TDataSentakuListCtl::GetDataListChildRecord(TDataSentakuRec &rec, bool show)
{
    if (ConnectMode == 1 || ConnectMode == 2) return;
    rec.ChildCount = 0;
    rec.ChildRows.clear();
    if (!IsParentMergeKind(rec.GASSAN)) return;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        m_sql.setSql(QStringList{kChildColumns, QStringLiteral("FROM CHILD_DATALIST"),
                                 QStringLiteral("WHERE (REC=:REC) AND (GROUPID=:GROUPID)"),
                                 QStringLiteral("ORDER BY PASNAME")});
        m_sql.paramByName(QStringLiteral("REC")).setInteger(rec.REC);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
            TDataListRec child;
            readRow(m_sql, child);
            rec.ChildRows.append(child);
        }
        m_sql.close();
        rec.ChildCount = int(rec.ChildRows.size());
        g.commit();
    } catch (const std::exception &e) {
        reportOrRethrow(show, e, kClass + QStringLiteral("GetDataListChildRecord"), kChildGetFailed);
    }
}

bool TDataSentakuListCtl::UpdateDataListChildRecord(const TDataListRec &child, bool show)
{
    if (ConnectMode == 1 || ConnectMode == 2) return true;
    if (isBlankPath(child.PASNAME)) return false;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        m_sql.setSql(QStringList{QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST"),
                                 QStringLiteral("WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID")});
        m_sql.paramByName(QStringLiteral("REC")).setInteger(child.REC);
        m_sql.paramByName(QStringLiteral("ROWNO")).setInteger(child.ROWNO);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        m_sql.open();
        const bool exists = !m_sql.eof() && m_sql.field(0).asInteger() > 0;
        m_sql.close();
        if (exists) {
            QStringList sql{QStringLiteral("UPDATE CHILD_DATALIST")};
            sql << kUpdateSetLines << QStringLiteral("WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID");
            m_sql.setSql(sql);
        } else {
            m_sql.setSql(QStringList{
                QStringLiteral("INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,"
                               "CODETYPE,NENDO,"),
                QStringLiteral("KISHU,KIMATU,DATALOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,KYOYULOCK,"
                               "UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)"),
                QStringLiteral("VALUES(:REC,:ROWNO,:GROUPID,:ENTTEXT,:SHOUGOU,:PASNAME,:NETDRIVE,:DATATYPE,:CODETYPE,"
                               ":NENDO,"),
                QStringLiteral(":KISHU,:KIMATU,:DATALOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,:VER_MINOR2,:VER_TEXT,"
                               ":KYOYULOCK,:UPDATE_LOCK,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,:YOBI3)")});
        }
        m_sql.paramByName(QStringLiteral("REC")).setInteger(child.REC);
        m_sql.paramByName(QStringLiteral("ROWNO")).setInteger(child.ROWNO);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        setRowParams(m_sql, child);
        m_sql.paramByName(QStringLiteral("UPDATE_LOCK")).setInteger(child.UPDATE_LOCK);
        m_sql.execSQL();
        if (child.NETDRIVE == 1) UpdateServerDataListChildRecord(child, true, false);
        g.commit();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("UpdateDataListChildRecord"), kChildUpdateFailed);
    }
    return true;
}

bool TDataSentakuListCtl::DeleteDataListChildRecord(const TDataListRec &row, bool show)
{
    if (ConnectMode == 1 || ConnectMode == 2) return true;
    if (isBlankPath(row.PASNAME)) return false;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        const bool child = row.GASSAN == 10;
        m_sql.setSql(QStringList{QStringLiteral("DELETE FROM CHILD_DATALIST"),
                                 child ? QStringLiteral("WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID")
                                       : QStringLiteral("WHERE REC=:REC AND GROUPID=:GROUPID")});
        m_sql.paramByName(QStringLiteral("REC")).setInteger(row.REC);
        if (child) m_sql.paramByName(QStringLiteral("ROWNO")).setInteger(row.ROWNO);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        m_sql.execSQL();
        if (row.NETDRIVE == 1) {
            // The folder is a parameter: no character of a path can change the statement
            // or widen the delete to folders that merely share its beginning.
            m_sql.setSql(QStringList{
                QStringLiteral("DELETE FROM CHILD_SERVERDATALIST"),
                QStringLiteral("WHERE GROUPID=:GROUPID AND DRIVELETTER=:DRIVELETTER"),
                child ? QStringLiteral("AND PASNAME=:PASNAME") : QStringLiteral("AND PASNAME STARTING WITH :PASNAME")});
            m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
            m_sql.paramByName(QStringLiteral("DRIVELETTER")).setString(row.PASNAME.left(1));
            m_sql.paramByName(QStringLiteral("PASNAME"))
                .setString(child ? row.PASNAME : withoutTrailingDelim(row.PASNAME) + u'/');
            m_sql.execSQL();
        }
        g.commit();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("DeleteDataListChildRecord"), kChildDeleteFailed);
    }
    return true;
}

void TDataSentakuListCtl::markDamaged(int rec, int childNo)
{
    TransactionGuard g(DM->IBTransactionDEF);
    FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
    if (childNo == 0) {
        q.setSql(QStringList{QStringLiteral("UPDATE DATALIST SET DATA_STATUS=1"), QStringLiteral("WHERE REC=:REC")});
    } else {
        q.setSql(QStringList{QStringLiteral("UPDATE CHILD_DATALIST SET DATA_STATUS=1"), QStringLiteral("WHERE REC=:REC AND ROWNO=:ROWNO")});
        q.paramByName(QStringLiteral("ROWNO")).setInteger(childNo);
    }
    q.paramByName(QStringLiteral("REC")).setInteger(rec);
    q.execSQL();
    g.commit();
}

bool TDataSentakuListCtl::UpdateDataLock(int rec, int lock, bool show)
{
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        QStringList sql{QStringLiteral("UPDATE ") + m_table + QStringLiteral(" SET DATALOCK=:DATALOCK"),
                        QStringLiteral("WHERE (REC=:REC)")};
        if (m_dataPlace > 0) sql << placeParamCondition();
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("DATALOCK")).setInteger(lock);
        m_sql.paramByName(QStringLiteral("REC")).setInteger(rec);
        setPlaceParam(m_sql);
        m_sql.execSQL();
        g.commitOrRetain();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("UpdateDataLock"), kUpdateFailed);
    }
    return true;
}

int TDataSentakuListCtl::GetDataFolderName(int step)
{
    if (ServerListFlag) return 0;
    int max = 0;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        QStringList sql{QStringLiteral("SELECT MAX(REC) AS RECMAX FROM ") + m_table,
                        QStringLiteral("WHERE (GROUPID=:GROUPID)")};
        if (m_dataPlace > 0) sql << placeLiteralCondition();
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        m_sql.open();
        if (!m_sql.eof()) max = m_sql.field(0).asInteger();
        m_sql.close();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, kClass + QStringLiteral("GetDataFolderName"), kMaxFailed);
        return 0;
    }
    return max + step;
}

bool TDataSentakuListCtl::IsDataPathToroku(const QString &path)
{
    if (ServerListFlag) return true;
    bool found = false;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        QStringList sql{QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM ") + m_table,
                        QStringLiteral("WHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)")};
        if (m_dataPlace > 0) sql << placeLiteralCondition();
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        m_sql.paramByName(QStringLiteral("PASNAME")).setString(upperKey(path));
        m_sql.open();
        found = !m_sql.eof() && m_sql.field(0).asInteger() > 0;
        m_sql.close();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, kClass + QStringLiteral("IsDataPathToroku"), kTorokuFailed);
        return false;
    }
    return found;
}

int TDataSentakuListCtl::GetRecByPasName(const QString &path)
{
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        QStringList sql{QStringLiteral("SELECT REC FROM ") + m_table, QStringLiteral("WHERE (PASNAME=:PASNAME)")};
        if (m_dataPlace > 0) sql << placeLiteralCondition();
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("PASNAME")).setString(path);
        m_sql.open();
        const int rec = m_sql.eof() ? 0 : m_sql.field(0).asInteger();
        m_sql.close();
        g.commit();
        return rec;
    } catch (const std::exception &) {
        return 0;
    }
}

void TDataSentakuListCtl::NumberChildNames(TDataSentakuRec &rec)
{
    for (int i = 0; i < rec.ChildRows.size(); ++i)
        rec.ChildRows[i].DispName =
            QStringLiteral("%1 ").arg(i + 1, 2, 10, QLatin1Char('0')) + rec.ChildRows[i].ENTTEXT;
}

void TDataSentakuListCtl::DeleteChildRec(TDataSentakuRec &rec, int index)
{
    if (index >= 0 && index < rec.ChildRows.size()) rec.ChildRows.removeAt(index);
    rec.ChildCount = std::max(0, rec.ChildCount - 1);
    if (rec.ChildRows.size() > rec.ChildCount) rec.ChildRows.resize(rec.ChildCount);
}

namespace {

// A controller on the operator's list, with the row of a data folder read
// into `row` (a merge kind of 10 reads the child rows).
std::unique_ptr<TDataSentakuListCtl> listRowOf(const QString &dataDir, quint8 gassan, TDataListRec &row)
{
    auto ctl = std::make_unique<TDataSentakuListCtl>();
    ctl->ConnectMode = ConnectMode;
    ctl->SetDataListTable(SystemDef.SysDef.DataPlace);
    ctl->ClearDataListRec(row, dataDir);
    row.GASSAN = gassan;
    ctl->GetDataListRecord(1, row, true);
    return ctl;
}

} // namespace

void UpdateDataListRowOfClosedData(const QString &dataDir, const TDataInfomationRec &info)
{
    if (!DM) return;
    TDataListRec row;
    const auto ctl = listRowOf(dataDir, info.GassanKbn, row);
    auto toDate = [](const QString &text) {
        const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd"));
        return d.isValid() ? d : QDate();
    };
    row.GROUPID = SystemDef.GroupNo;
    row.DATACODE = info.Code;
    row.SHOUGOU = info.Shougou;
    row.NENDO = info.Nendo;
    row.KISHU = toDate(info.Kishu);
    row.KIMATU = toDate(info.Kimatu);
    row.DATATYPE = info.DataKbn;
    row.CODETYPE = info.CodeKbn;
    row.TANTOU = info.Tanto;
    row.VER_MAJOR = info.VerMajor;
    row.VER_MINOR1 = info.VerMinor1;
    row.VER_MINOR2 = info.VerMinor2;
    row.VER_TEXT = info.VerLabel;
    row.GASSAN = info.GassanKbn;
    ctl->UpdateDataListRecord(row, false, true);
}

void InstallDataListRowUpdater() { DataListRowUpdater = UpdateDataListRowOfClosedData; }

bool registerDataSetRow(const QString &dataDir)
{
    if (!DM) return false;
    TDataListRec row;
    const auto ctl = listRowOf(dataDir, 0, row);
    if (row.REC == 0) return false;

    TDataInfomation info;
    info.ConnectMode = ConnectMode;
    TDataInfomationRec read;
    info.ReadIniInfo(dataDir, read); // makes a missing information file
    if (info.GetDataInfoRecByPath(dataDir, read) != 1) return false;
    info.WriteIniValue(dataDir, QStringLiteral("DATASTS"), false, QString::number(read.UpdateLock), QStringLiteral("UPDATE_LOCK"));
    info.WriteIniFile(dataDir, QStringLiteral("DATAINFO"), read);

    const QString listName = row.ENTTEXT;
    ctl->GetDispRecord(read, row);
    if (!listName.isEmpty()) row.ENTTEXT = listName;
    if (row.ENTTEXT.isEmpty()) row.ENTTEXT = row.SHOUGOU;
    row.DispName = row.ENTTEXT;
    row.GASSAN = read.GassanKbn;
    return ctl->UpdateDataListRecord(row, true, true);
}

// ---- shared-server areas ----

namespace {

const QString kServerUpdateFailed = QStringLiteral("共有データリストの更新に失敗しました。");
const QString kServerChildUpdateFailed = QStringLiteral("共有(子)データリストの更新に失敗しました。");
const QString kFreeArea = QStringLiteral("空き領域");
const QString kNewArea = QStringLiteral("新しい領域");
const QString kAreaGone = QStringLiteral(
    "共有サーバーが起動していない、接続が切断されている または 共有サーバー上のデータ領域が削除された可能性があります。");
const QString kAreaDamaged = QStringLiteral("共有サーバー上のデータが破損しているため、共有データの取得を中止します。\r"
                                            "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。");
const QString kAreaInUse = QStringLiteral("共有データは現在使用されています。");
const QString kChildStoreFailed = QStringLiteral("合算・分散データの保管に失敗しました。\r"
                                                 "共有データは取得したままです。もう一度共有保管を行って下さい。");

const QStringList kServerSetLines = {
    QStringLiteral("SET PASNAME=:PASNAME,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,"),
    QStringLiteral("NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,DATALOCK=:DATALOCK,TANTOU=:TANTOU,"),
    QStringLiteral("VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,"),
    QStringLiteral("UPDATE_LOCK=:UPDATE_LOCK,GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,YOBI1=:YOBI1,YOBI2=:YOBI2,YOBI3=:YOBI3")};
const QString kServerNamesLine = QStringLiteral(",ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU");
const QString kServerColumns = QStringLiteral(
    "ENTTEXT,SHOUGOU,PASNAME,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,"
    "VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
const QString kServerValues = QStringLiteral(
    ":ENTTEXT,:SHOUGOU,:PASNAME,:DATATYPE,:CODETYPE,:NENDO,:KISHU,:KIMATU,:DATALOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,"
    ":VER_MINOR2,:VER_TEXT,:UPDATE_LOCK,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,:YOBI3");

bool hasCompanyDatabase(const QString &folder)
{
    return QFileInfo::exists(withoutTrailingDelim(folder) + u'/' + Product.DataFile);
}

// The folder that holds a path ("/a/b" -> "/a").
QString parentFolder(const QString &path)
{
    const QString p = withoutTrailingDelim(path);
    const qsizetype at = p.lastIndexOf(u'/');
    return at > 0 ? p.left(at) : p;
}

const QString kAreaCondition = QStringLiteral("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (PASNAME=:PASNAME)");

// The area key: group, drive letter and path.
void bindArea(FbQuery &q, const QString &path)
{
    q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
    q.paramByName(QStringLiteral("DRIVELETTER")).setString(path.left(1));
    q.paramByName(QStringLiteral("PASNAME")).setString(path);
}

// The key of an area row: group, drive letter and number.
void bindAreaRow(FbQuery &q, const QString &drive, int rec)
{
    q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
    q.paramByName(QStringLiteral("DRIVELETTER")).setString(drive);
    q.paramByName(QStringLiteral("REC")).setInteger(rec);
}

// The data lock of an area follows to every local row that names it.
void copyDataLock(FbQuery &q, const QString &table, const TDataListRec &row)
{
    q.setSql(QStringList{QStringLiteral("UPDATE ") + table, QStringLiteral("SET DATALOCK=:DATALOCK"),
                         QStringLiteral("WHERE PASNAME=:PASNAME")});
    q.paramByName(QStringLiteral("DATALOCK")).setInteger(row.DATALOCK);
    q.paramByName(QStringLiteral("PASNAME")).setString(row.PASNAME);
    q.execSQL();
}

} // namespace

void TDataSentakuListCtl::setServerRowParams(FbQuery &q, const TDataListRec &row, bool names) const
{
    auto setInt = [&q](const char *name, int v) { q.paramByName(QLatin1String(name)).setInteger(v); };
    auto setText = [&q](const char *name, const QString &v) { q.paramByName(QLatin1String(name)).setString(v); };
    setText("PASNAME", row.PASNAME);
    setInt("DATATYPE", row.DATATYPE);
    setInt("CODETYPE", row.CODETYPE);
    setInt("NENDO", row.NENDO);
    q.paramByName(QStringLiteral("KISHU")).setDate(storedDate(row.KISHU));
    q.paramByName(QStringLiteral("KIMATU")).setDate(storedDate(row.KIMATU));
    setInt("DATALOCK", row.DATALOCK);
    setInt("TANTOU", row.TANTOU);
    setInt("VER_MAJOR", row.VER_MAJOR);
    setInt("VER_MINOR1", row.VER_MINOR1);
    setInt("VER_MINOR2", row.VER_MINOR2);
    setText("VER_TEXT", row.VER_TEXT);
    setInt("UPDATE_LOCK", row.UPDATE_LOCK);
    setInt("GASSAN", row.GASSAN);
    setText("DATACODE", row.DATACODE);
    setInt("DATA_STATUS", row.DATA_STATUS);
    setText("YOBI1", row.YOBI1);
    setText("YOBI2", row.YOBI2);
    setText("YOBI3", row.YOBI3);
    if (names) {
        setText("ENTTEXT", row.ENTTEXT);
        setText("SHOUGOU", row.SHOUGOU);
    }
}

int TDataSentakuListCtl::uniqueServerRec(const QString &table, const QString &path)
{
    // Exactly one row of the path gives its number; several are all removed.
    m_sql.setSql(QStringList{QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM ") + table, kAreaCondition});
    bindArea(m_sql, path);
    m_sql.open();
    const int count = m_sql.eof() ? 0 : m_sql.field(0).asInteger();
    m_sql.close();
    int rec = 0;
    if (count == 1) {
        m_sql.setSql(QStringList{QStringLiteral("SELECT REC FROM ") + table, kAreaCondition});
        bindArea(m_sql, path);
        m_sql.open();
        if (!m_sql.eof()) rec = m_sql.field(0).asInteger();
        m_sql.close();
    } else if (count > 1) {
        m_sql.setSql(QStringList{QStringLiteral("DELETE FROM ") + table, kAreaCondition});
        bindArea(m_sql, path);
        m_sql.execSQL();
    }
    return rec;
}

bool TDataSentakuListCtl::UpdateServerDataListRecord(const TDataListRec &rowIn, bool names, bool show)
{
    if (rowIn.NETDRIVE == 0) return true;
    if (rowIn.GASSAN == 10) return UpdateServerDataListChildRecord(rowIn, names, show);
    TDataListRec row = rowIn;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        row.REC = uniqueServerRec(QStringLiteral("SERVERDATALIST"), row.PASNAME);
        const QString drive = row.PASNAME.left(1);
        if (QFileInfo(row.PASNAME).isDir()) {
            if (row.REC != 0) {
                QStringList sql{QStringLiteral("UPDATE SERVERDATALIST")};
                sql << kServerSetLines;
                if (names) sql.last() += kServerNamesLine;
                sql << QStringLiteral("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC)");
                m_sql.setSql(sql);
                setServerRowParams(m_sql, row, names);
            } else {
                m_sql.setSql(QStringList{QStringLiteral("SELECT MAX(REC) AS RECMAX FROM SERVERDATALIST"),
                                         QStringLiteral("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER)")});
                m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
                m_sql.paramByName(QStringLiteral("DRIVELETTER")).setString(drive);
                m_sql.open();
                row.REC = (m_sql.eof() ? 0 : m_sql.field(0).asInteger()) + 1;
                m_sql.close();
                m_sql.setSql(QStringList{QStringLiteral("INSERT INTO SERVERDATALIST(GROUPID,DRIVELETTER,REC,") + kServerColumns + u')',
                                         QStringLiteral("VALUES(:GROUPID,:DRIVELETTER,:REC,") + kServerValues + u')'});
                setServerRowParams(m_sql, row, true);
            }
            bindAreaRow(m_sql, drive, row.REC);
            m_sql.execSQL();
        }
        // A data set that was emptied leaves no area row behind.
        if (row.ENTTEXT != kFreeArea && row.ENTTEXT != kNewArea && !row.KISHU.isValid() && !row.KIMATU.isValid()) {
            m_sql.setSql(QStringList{QStringLiteral("DELETE FROM SERVERDATALIST"),
                                     QStringLiteral("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC)")});
            bindAreaRow(m_sql, drive, row.REC);
            m_sql.execSQL();
        }
        copyDataLock(m_sql, QStringLiteral("DATALIST"), row);
        g.commit();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("UpdateServerDataListRecord"), kServerUpdateFailed);
    }
    return true;
}

bool TDataSentakuListCtl::UpdateServerDataListChildRecord(const TDataListRec &childIn, bool names, bool show)
{
    if (childIn.NETDRIVE == 0) return true;
    TDataListRec child = childIn;
    const QString drive = child.PASNAME.left(1);
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        child.REC = uniqueServerRec(QStringLiteral("CHILD_SERVERDATALIST"), child.PASNAME);
        bool insert = false;
        if (child.REC == 0) {
            // The number of the area that holds the child folder.
            m_sql.setSql(QStringList{QStringLiteral("SELECT REC FROM SERVERDATALIST"), kAreaCondition});
            bindArea(m_sql, parentFolder(child.PASNAME));
            m_sql.open();
            if (!m_sql.eof()) child.REC = m_sql.field(0).asInteger();
            m_sql.close();
            insert = true;
        }
        if (child.REC > 0) {
            if (!insert) {
                QStringList sql{QStringLiteral("UPDATE CHILD_SERVERDATALIST")};
                sql << kServerSetLines;
                if (names) sql.last() += kServerNamesLine;
                sql << QStringLiteral("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC) AND (ROWNO=:ROWNO)");
                m_sql.setSql(sql);
                setServerRowParams(m_sql, child, names);
            } else {
                m_sql.setSql(QStringList{QStringLiteral("INSERT INTO CHILD_SERVERDATALIST(GROUPID,DRIVELETTER,REC,ROWNO,") + kServerColumns + u')',
                                         QStringLiteral("VALUES(:GROUPID,:DRIVELETTER,:REC,:ROWNO,") + kServerValues + u')'});
                setServerRowParams(m_sql, child, true);
            }
            bindAreaRow(m_sql, drive, child.REC);
            m_sql.paramByName(QStringLiteral("ROWNO")).setInteger(child.ROWNO);
            m_sql.execSQL();
        }
        copyDataLock(m_sql, QStringLiteral("CHILD_DATALIST"), child);
        g.commit();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("UpdateServerDataListChildRecord"), kServerChildUpdateFailed);
    }
    return true;
}

QStringList TDataSentakuListCtl::holderLines(const QString &area, const TDataInfomationRec &info) const
{
    const QString blank = QStringLiteral("　");
    QStringList lines{QStringLiteral("【データフォルダ】"), blank + area, QString(), QStringLiteral("【オペレータ】")};
    const int groupBase = SystemDef.GroupNo * 10000;
    if (info.ShareOpCode != 0)
        lines << blank + QString::number(groupBase != 0 ? info.ShareOpCode % groupBase : info.ShareOpCode);
    lines << QString() << QStringLiteral("【オペレータ名】") << blank + info.ShareOpName;
    return lines;
}

void TDataSentakuListCtl::sharedMessage(const QString &text, const QStringList &lines) const
{
    const QString title = QStringLiteral("選択データの状態");
    if (ShowSharedMessage) {
        ShowSharedMessage(title, text, lines);
        return;
    }
    ShowDataLockReport({title, lines, text});
}

int TDataSentakuListCtl::KyoyuDataDown(TDataSentakuRec &rec, bool quiet)
{
    if (rec.PASNAME.isEmpty() || rec.LocalPath.isEmpty()) return 0;
    const QString area = rec.PASNAME;
    TDataInfomation info;
    info.ConnectMode = ConnectMode;
    TDataInfomationRec ir;
    const bool readable = info.ReadIniInfo(area, ir) != 0 || rec.ENTTEXT == kFreeArea || rec.ENTTEXT == kNewArea;
    if (!readable) {
        if (!quiet) sharedMessage(kAreaGone, {QStringLiteral("【共有データパス】"), area});
        return 0;
    }
    if (ir.Shougou.isEmpty()) ir.Shougou = rec.ENTTEXT.isEmpty() ? kFreeArea : rec.ENTTEXT;
    if (ir.ListName.isEmpty()) ir.ListName = rec.ENTTEXT.isEmpty() ? kFreeArea : rec.ENTTEXT;
    rec.ENTTEXT = rec.DispName = ir.ListName;
    rec.UPDATE_LOCK = ir.UpdateLock;
    rec.GASSAN = ir.GassanKbn;
    GetDispRecord(ir, rec);
    rec.KYOYULOCK = 0;
    UpdateDataListRecord(rec, false, true);
    DeleteDataListChildRecord(rec, true);

    // The children are rebuilt from the area's sub-folders.
    bool damaged = ir.Status == 10;
    if (!damaged && (rec.GASSAN == 1 || rec.GASSAN == 2)) {
        rec.ChildCount = 0;
        rec.ChildRows.clear();
        QStringList folders;
        ListSubFolders(area, 0, folders);
        for (int i = 0; i < folders.size(); ++i) {
            if (!hasCompanyDatabase(folders[i])) continue;
            TDataInfomationRec ci;
            info.ReadIniInfo(folders[i], ci);
            TDataListRec child;
            ClearDataListRec(child, folders[i]);
            child.REC = rec.REC;
            child.ROWNO = i + 1;
            child.NETDRIVE = rec.NETDRIVE;
            child.UPDATE_LOCK = rec.UPDATE_LOCK;
            child.GASSAN = 10;
            GetDispRecord(ci, child);
            child.KYOYULOCK = 0;
            UpdateDataListRecord(child, false, true);
            rec.ChildRows << child;
            ++rec.ChildCount;
            if (ci.Status == 10) damaged = true;
        }
    }
    if (damaged) {
        sharedMessage(kAreaDamaged, holderLines(area, ir));
        return -1;
    }
    int result = info.GetServerData(area, rec.LocalPath, quiet);
    if (result == 255) result = -1;
    if (result == -1) {
        TDataInfomationRec now;
        info.ReadIniInfo(area, now);
        sharedMessage(now.Status == 10 ? kAreaDamaged : kAreaInUse, holderLines(area, now));
    }
    if (result != 0) {
        rec.KYOYULOCK = result == 1 ? 1 : 0;
        UpdateDataListRecord(rec, false, true);
        if (rec.GASSAN == 1 || rec.GASSAN == 2) {
            QStringList old;
            ListSubFolders(rec.LocalPath, 0, old);
            for (const QString &f : old)
                if (hasCompanyDatabase(f)) DeleteFolder(f, 3, false, true);
            for (TDataListRec &child : rec.ChildRows) {
                const QString local = QString(child.PASNAME).replace(area, rec.LocalPath);
                if (hasCompanyDatabase(child.PASNAME) && info.GetServerData(child.PASNAME, local, true) == 0) break;
                child.KYOYULOCK = rec.KYOYULOCK;
                UpdateDataListRecord(child, false, true);
            }
        }
        return result;
    }
    info.SetShareStatus(area, 1);
    return 0;
}

int TDataSentakuListCtl::KyoyuDataUp(TDataSentakuRec &rec, bool quiet)
{
    if (rec.PASNAME.isEmpty() || rec.LocalPath.isEmpty()) return 0;
    const QString area = withoutTrailingDelim(rec.PASNAME);
    TDataInfomation info;
    info.ConnectMode = ConnectMode;
    int result = info.PutServerData(area, rec.LocalPath, quiet);
    if (result == 255) result = -1;
    if (result == -1) {
        TDataInfomationRec now;
        info.ReadIniInfo(area, now);
        sharedMessage(now.Status == 10 ? kAreaDamaged : kAreaInUse, holderLines(area, now));
    }
    if (result != 1) return result;

    // The children go back before anything is removed from the area: a child
    // that cannot be stored leaves every server folder in place and the data
    // set held here, so that nothing is lost and the store can be repeated.
    QStringList stored;
    if (rec.GASSAN == 1 || rec.GASSAN == 2) {
        for (TDataListRec &child : rec.ChildRows) {
            const QString local = QString(child.PASNAME).replace(area, withoutTrailingDelim(rec.LocalPath));
            if (!hasCompanyDatabase(local)) continue;
            int put = 0;
            try {
                put = info.PutServerData(child.PASNAME, local, true);
            } catch (const std::exception &) {
                put = 0;
            }
            if (put != 1) {
                keepShareLock(info, area, rec);
                if (!quiet)
                    sharedMessage(kChildStoreFailed, {QStringLiteral("【データフォルダ】"), QStringLiteral("　") + child.PASNAME});
                return 0;
            }
            stored << withoutTrailingDelim(child.PASNAME);
        }
    }
    rec.KYOYULOCK = 0;
    UpdateDataListRecord(rec, false, true);
    // Server folders of children that no longer exist here are removed last.
    QStringList old;
    ListSubFolders(area, 0, old);
    for (const QString &f : old) {
        if (!hasCompanyDatabase(f) || stored.contains(withoutTrailingDelim(f))) continue;
        DeleteFolder(f, 3, false, false);
        QThread::msleep(ServerFolderPauseMs);
    }
    for (TDataListRec &child : rec.ChildRows) {
        if (!stored.contains(withoutTrailingDelim(child.PASNAME))) continue;
        child.KYOYULOCK = 0;
        UpdateDataListRecord(child, false, true);
    }
    return 1;
}

void TDataSentakuListCtl::keepShareLock(TDataInfomation &info, const QString &area, TDataSentakuRec &rec)
{
    // The main database went back already; the set stays taken out by this
    // installation until every child is stored.
    try {
        info.SetShareStatus(rec.LocalPath, 2);
        info.ChangeShareStatus(area, 2);
    } catch (const std::exception &) {
    }
    rec.KYOYULOCK = 1;
    UpdateDataListRecord(rec, false, true);
}

// ---- the lists of a shared drive ----

namespace {

const QString kServerGetFailed = QStringLiteral("共有データリストの取得に失敗しました。");
const QString kServerChildDeleteFailed = QStringLiteral("共有(子)データリストの削除に失敗しました。");
const QString kServerColumnsRead = QStringLiteral(
    "SELECT REC,1 AS NETDRIVE,0 AS KYOYULOCK,ENTTEXT,SHOUGOU,PASNAME,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,TANTOU,"
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
const QString kServerChildColumnsRead = QStringLiteral(
    "SELECT REC,ROWNO,1 AS NETDRIVE,0 AS KYOYULOCK,ENTTEXT,SHOUGOU,PASNAME,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,"
    "TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3");
// Every drive of this platform is a folder whose first character is "/", so
// the rows of one drive are told apart by the drive's folder as well.
const QString kDriveCondition = QStringLiteral(
    "WHERE (DRIVELETTER=:DRIVELETTER) AND (GROUPID=:GROUPID) AND (PASNAME STARTING WITH :DRIVEPATH)");

void bindDrive(FbQuery &q, const QString &drivePath)
{
    q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
    q.paramByName(QStringLiteral("DRIVELETTER")).setString(drivePath.left(1));
    q.paramByName(QStringLiteral("DRIVEPATH")).setString(withoutTrailingDelim(drivePath) + u'/');
}

QString serverOrder(int sortKind, bool descending, bool &named)
{
    named = true;
    switch (sortKind) {
    case 2: return descending ? QStringLiteral("ORDER BY ENTTEXT DESC,PASNAME DESC") : QStringLiteral("ORDER BY ENTTEXT,PASNAME");
    case 3: return descending ? QStringLiteral("ORDER BY NENDO DESC,PASNAME DESC") : QStringLiteral("ORDER BY NENDO,PASNAME");
    case 4: return descending ? QStringLiteral("ORDER BY KISHU DESC,PASNAME DESC") : QStringLiteral("ORDER BY KISHU,PASNAME");
    case 6:
        return descending ? QStringLiteral("ORDER BY VER_MAJOR DESC,VER_MINOR1 DESC,VER_MINOR2 DESC,REC DESC")
                          : QStringLiteral("ORDER BY VER_MAJOR,VER_MINOR1,VER_MINOR2,REC");
    case 7: return descending ? QStringLiteral("ORDER BY DATACODE DESC,REC DESC") : QStringLiteral("ORDER BY DATACODE,REC");
    case 5:
        named = false;
        return descending ? QStringLiteral("ORDER BY PASNAME DESC") : QStringLiteral("ORDER BY PASNAME");
    default: named = false; return QStringLiteral("ORDER BY PASNAME");
    }
}

} // namespace

void TDataSentakuListCtl::ListDataFolders(const QString &path, QStringList &list)
{
    ListSubFolders(path, 1, list);
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        const QString upper = list[i].toUpper();
        if (upper == QStringLiteral("DORVELZAIMU_BACKUP") || upper == QStringLiteral("NOVARISZAIMU_BACKUP")) list.removeAt(i);
    }
}

void TDataSentakuListCtl::ListChildFolders(const TDataListRec &row, QStringList &list)
{
    ListSubFolders(row.PASNAME, 0, list);
}

void TDataSentakuListCtl::ListLocalChildFolders(const TDataListRec &row, QStringList &list)
{
    ListSubFolders(row.LocalPath, 0, list);
}

void TDataSentakuListCtl::ServerExecute(int mode, const QString &drivePathIn, quint8 sortKind, bool descending)
{
    ClearList();
    if (!ServerListFlag) return;
    const QString drivePath = withoutTrailingDelim(drivePathIn);
    if (drivePath.isEmpty()) return;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        if (mode == 0) {
            bool named = false;
            const QString order = serverOrder(sortKind, descending, named);
            const QString placeholders = QStringLiteral("(ENTTEXT<>'' AND ENTTEXT<>:FREEAREA AND ENTTEXT<>:NEWAREA)");
            auto readRows = [&](const QStringList &sql, bool placeholderParams) {
                m_sql.setSql(sql);
                bindDrive(m_sql, drivePath);
                if (placeholderParams) {
                    m_sql.paramByName(QStringLiteral("FREEAREA")).setString(kFreeArea);
                    m_sql.paramByName(QStringLiteral("NEWAREA")).setString(kNewArea);
                }
                for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
                    TDataSentakuRec rec;
                    readRow(m_sql, rec);
                    rec.NETDRIVE = 1;
                    rec.KYOYULOCK = 0;
                    rec.ROWNO = 0;
                    Recs.append(rec);
                }
                m_sql.close();
            };
            QStringList sql{kServerColumnsRead, QStringLiteral("FROM SERVERDATALIST"), kDriveCondition};
            if (named) sql << QStringLiteral("AND ") + placeholders;
            sql << order;
            readRows(sql, named);
            if (named)
                readRows({kServerColumnsRead, QStringLiteral("FROM SERVERDATALIST"), kDriveCondition,
                          QStringLiteral("AND (ENTTEXT='' OR ENTTEXT=:FREEAREA OR ENTTEXT=:NEWAREA)"),
                          QStringLiteral("ORDER BY PASNAME")},
                         true);
            RecCount = int(Recs.size());
            m_sql.setSql(QStringList{kServerChildColumnsRead, QStringLiteral("FROM CHILD_SERVERDATALIST"), kDriveCondition,
                                     QStringLiteral("ORDER BY REC,PASNAME")});
            bindDrive(m_sql, drivePath);
            for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
                TDataListRec child;
                readRow(m_sql, child);
                child.NETDRIVE = 1;
                child.KYOYULOCK = 0;
                ChildRecs.append(child);
                for (auto &parent : Recs) {
                    if (parent.REC == child.REC) {
                        parent.ChildRows.append(child);
                        parent.ChildCount = int(parent.ChildRows.size());
                        break;
                    }
                }
            }
            m_sql.close();
            ChildRecCount = int(ChildRecs.size());
        } else {
            for (const QString &table : {QStringLiteral("CHILD_SERVERDATALIST"), QStringLiteral("SERVERDATALIST")}) {
                m_sql.setSql(QStringList{QStringLiteral("DELETE FROM ") + table, kDriveCondition});
                bindDrive(m_sql, drivePath);
                m_sql.execSQL();
            }
            QStringList names;
            ListDataFolders(drivePath, names);
            auto freeRow = [this](TDataListRec &r, const QString &path) {
                ClearDataListRec(r, path);
                r.ENTTEXT = r.DispName = kFreeArea;
                r.NENDO = 0;
                r.KikanText = QStringLiteral("～");
                r.NETDRIVE = 1;
                r.PASNAME = path;
                GetDataFolderPath(r);
            };
            for (const QString &name : names) {
                TDataSentakuRec rec;
                freeRow(rec, drivePath + u'/' + name);
                QStringList childNames;
                ListDataFolders(rec.PASNAME, childNames);
                for (int i = 0; i < childNames.size(); ++i) {
                    TDataListRec child;
                    freeRow(child, rec.PASNAME + u'/' + childNames[i]);
                    child.ROWNO = i + 1;
                    child.GASSAN = 10;
                    ChildRecs.append(child);
                    rec.ChildRows.append(child);
                }
                rec.ChildCount = int(rec.ChildRows.size());
                Recs.append(rec);
            }
            RecCount = int(Recs.size());
            ChildRecCount = int(ChildRecs.size());
        }
        g.commit();
    } catch (const std::exception &e) {
        ClearList();
        reportError(e, kClass + QStringLiteral("ServerExecute"), kServerGetFailed);
    }
}

bool TDataSentakuListCtl::DeleteServerDataListChildRecord(const TDataListRec &row, bool show)
{
    if (row.NETDRIVE == 0) return true;
    if (isBlankPath(row.PASNAME)) return false;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        QString sql = QStringLiteral("WHERE GROUPID=:GROUPID AND DRIVELETTER=:DRIVELETTER AND REC=:REC");
        if (row.GASSAN == 10) sql += QStringLiteral(" AND ROWNO=:ROWNO");
        m_sql.setSql(QStringList{QStringLiteral("DELETE FROM CHILD_SERVERDATALIST"), sql});
        bindAreaRow(m_sql, row.PASNAME.left(1), row.REC);
        if (row.GASSAN == 10) m_sql.paramByName(QStringLiteral("ROWNO")).setInteger(row.ROWNO);
        m_sql.execSQL();
        g.commit();
    } catch (const std::exception &e) {
        return reportOrRethrow(show, e, kClass + QStringLiteral("DeleteServerDataListChildRecord"), kServerChildDeleteFailed);
    }
    return true;
}

QString TDataSentakuListCtl::GetNewServerFolderName(const QString &drivePathIn, int step)
{
    const QString drivePath = withoutTrailingDelim(drivePathIn);
    int number = 0;
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        m_sql.setSql(QStringList{QStringLiteral("SELECT MAX(PASNAME) AS MAXPATH FROM SERVERDATALIST"),
                                 QStringLiteral("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (PASNAME LIKE :PASNAME)")});
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        m_sql.paramByName(QStringLiteral("DRIVELETTER")).setString(drivePath.left(1));
        m_sql.paramByName(QStringLiteral("PASNAME")).setString(drivePath + QStringLiteral("/sv%"));
        m_sql.open();
        const QString maxPath = m_sql.eof() || m_sql.field(0).isNull() ? QString() : m_sql.field(0).asString();
        m_sql.close();
        g.commit();
        bool ok = false;
        const int last = maxPath.right(4).toInt(&ok);
        number = ok ? last : 0;
    } catch (const std::exception &) {
        return QStringLiteral("sv0001");
    }
    return QStringLiteral("sv%1").arg(number + step, 4, 10, QLatin1Char('0'));
}
