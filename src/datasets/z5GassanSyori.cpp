#include "datasets/z5GassanSyori.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kGroup = QStringLiteral("基本設定");
const QString kKind = QStringLiteral("合算データ区分");
const QString kCount = QStringLiteral("合算データ数");
const QString kInteger = QStringLiteral("整数");

bool isMergedKind(int k) { return k == 1 || k == 2; }

QString databaseFileOf(const QString &folder) { return ExcludePathDelim(folder) + u'/' + Product.DataFile; }

// Whether the company connection is open on the database of this folder.
bool openOn(const QString &folder)
{
    if (!DM || !DM->IBDatabaseDAT.connected()) return false;
    const QString name = DM->IBDatabaseDAT.DatabaseName;
    return name.endsWith(databaseFileOf(folder), Qt::CaseInsensitive);
}

// The integer value of a folder name; non-numbers give 0.
int nameNumber(const QString &name)
{
    bool ok = false;
    const int n = name.toInt(&ok);
    return ok ? n : 0;
}

QStringList subFolderNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

int GassanChildNumber(const QString &name, bool medical)
{
    const int n = nameNumber(name);
    if (n > 0) return n;
    if (medical && name == u"00") return 0;
    return -1;
}

QString NextGassanFolderName(const QStringList &subFolders, int step)
{
    int m = 0;
    for (const QString &name : subFolders) m = qMax(m, nameNumber(name));
    if (m + step > 999) throw platform::Error(QStringLiteral("作成できるフォルダ名は[999]までです。"));
    return QStringLiteral("%1").arg(m + step, 3, 10, QLatin1Char('0'));
}

TGassanSettings GassanSettingsFor(int sourceKind, int rowKind, int rowChildCount, bool serverMode)
{
    TGassanSettings s;
    if (serverMode) {
        s.Write = true;
        return s;
    }
    const int k = sourceKind, d = rowKind;
    if (isMergedKind(k) && isMergedKind(d)) {
        s = {true, d, rowChildCount};
    } else if (isMergedKind(k) && d == 10) {
        s = {true, 10, 0};
    } else if (k == 10 && (d == 0 || isMergedKind(d))) {
        s = {true, 0, 0};
    } else if (k == 0 && d == 10) {
        s = {true, 10, 0};
    }
    return s;
}

TGassanDataCtl::TGassanDataCtl()
{
    m_list.ConnectMode = ConnectMode;
    CopyDatabase = [](const QString &source, const QString &target) { return CopyFileTo(source, target); };
}

TGassanDataCtl::~TGassanDataCtl() = default;

void TGassanDataCtl::info(const QString &text) const
{
    if (OnInfo) OnInfo(text);
}

void TGassanDataCtl::SetDataPath(const QString &folder)
{
    const QString f = ExcludePathDelim(folder);
    if (f != m_dataPath) m_active = false;
    m_dataPath = f;
}

void TGassanDataCtl::SetDataListRec(int rec)
{
    if (rec != m_rec) m_active = false;
    m_rec = rec;
}

void TGassanDataCtl::SetActive(bool on)
{
    m_active = false;
    if (!on) return;
    ListFacilities();
    m_active = true;
}

void TGassanDataCtl::ListFacilities()
{
    Children.clear();
    BranchCodes.clear();
    m_siten = false;
    m_medical = false;
    if (ConnectMode != 0 || m_dataPath.isEmpty()) return;
    m_list.ConnectMode = ConnectMode;

    // The parent's row of the list.
    const int rec = m_list.GetCurrentRecord(m_dataPath);
    if (rec > 0) m_rec = rec;
    TDataSentakuRec parent;
    parent.REC = m_rec;
    m_list.GetDataListRecord(0, parent, true);
    m_netDrive = parent.NETDRIVE;
    m_sharedPath = parent.NETDRIVE == 1 ? ExcludePathDelim(parent.PASNAME) : QString();
    if (parent.REC == 0) parent.REC = m_rec;

    const bool wasOpen = openOn(m_dataPath);
    if (!wasOpen && !DM->fnAccDatConnected(SystemDef.HostName, m_dataPath, false)) return;
    struct CloseAgain {
        bool close;
        QString folder;
        ~CloseAgain()
        {
            if (close) DM->fnAccDatDisConnected(folder, false, false);
        }
    } closer{!wasOpen, m_dataPath};
    DM->fnGetAccInfo();
    m_medical = AccInf.Medical;
    const int kind = DM->GetAccReg(kGroup, kKind, kInteger, QStringLiteral("0")).toInt();

    if (isMergedKind(kind)) {
        m_siten = AccInf.SITEN != 0;
        if (m_siten) readBranches();
        const QStringList subs = subFolderNames(m_dataPath);
        for (const QString &sub : subs) {
            const int n = GassanChildNumber(sub, m_medical);
            if (n < 0) continue;
            TGassanChildDataRec child;
            child.REC = m_rec;
            child.ChildNo = int(Children.size()) + 1;
            const QString name = m_siten ? QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'))
                                         : QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
            // A folder whose name is not in the numbering's own form keeps its own name.
            child.Folder = m_dataPath + u'/' + (QFileInfo(m_dataPath + u'/' + name).isDir() ? name : sub);
            if (m_siten) child.Name = name;
            Children.append(child);
        }
        m_list.GetDataListChildRecord(parent, true);
        for (TGassanChildDataRec &child : Children)
            for (const TDataListRec &row : parent.ChildRows)
                if (ExcludePathDelim(row.PASNAME).compare(child.Folder, Qt::CaseInsensitive) == 0 ||
                    ExcludePathDelim(row.LocalPath).compare(child.Folder, Qt::CaseInsensitive) == 0) {
                    child.ChildNo = row.ROWNO;
                    break;
                }
    } else {
        m_list.GetDataListChildRecord(parent, true);
        for (const TDataListRec &row : parent.ChildRows) {
            TGassanChildDataRec child;
            child.REC = m_rec;
            child.ChildNo = row.ROWNO;
            child.Folder = ExcludePathDelim(row.LocalPath.isEmpty() ? row.PASNAME : row.LocalPath);
            Children.append(child);
        }
    }
}

void TGassanDataCtl::readBranches()
{
    try {
        TransactionGuard g(DM->IBTransactionDAT, TransactionGuard::Exit::Commit);
        FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        q.setSql(QStringList{QStringLiteral("SELECT SCODE FROM SISETUMST"), QStringLiteral("WHERE SCODE<>''"),
                             QStringLiteral("ORDER BY SCODE")});
        for (q.open(); !q.eof(); q.next()) BranchCodes << q.field(0).asString().trimmed();
        q.close();
        g.commit();
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TGassanDataCtl.ListFacilities"), QStringLiteral("施設情報の取得に失敗しました。"));
    }
}

int TGassanDataCtl::IndexOfChild(const QString &folder) const
{
    const QString f = ExcludePathDelim(folder);
    for (int i = 0; i < Children.size(); ++i)
        if (Children[i].Folder.compare(f, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int TGassanDataCtl::NextRowNo(int step) const
{
    if (Children.isEmpty()) return step - 1;
    int m = 0;
    for (const TGassanChildDataRec &c : Children) m = qMax(m, c.ChildNo);
    return m + step;
}

QString TGassanDataCtl::NextFolderNo(const QString &folder, int step) const
{
    if (!QFileInfo(folder).isDir()) return QString();
    return NextGassanFolderName(subFolderNames(folder), step);
}

void TGassanDataCtl::AccDataSyokika()
{
    const QString folder = m_newFolder;
    const QString n = m_newName;
    auto step = [this, &n](const char *what) {
        if (!n.isEmpty()) info(QStringLiteral("分散データ[%1]の作成中です(%2)…").arg(n, QString::fromUtf8(what)));
    };
    if (!DM->fnAccDatConnected(SystemDef.HostName, folder, true))
        throw platform::Error(QStringLiteral("分散入力用データの初期化に失敗しました。"));
    try {
        TransactionGuard g(DM->IBTransactionDAT);
        FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        auto run = [&q](const QString &sql) {
            q.setSql(sql);
            q.execSQL();
        };

        step("監査情報クリア");
        q.setSql(QStringList{QStringLiteral("UPDATE ACCDEF1"),
                             QStringLiteral("SET KANSA_FIXDATE=:KANSA_FIXDATE,KANSA_DATE=:KANSA_DATE,KANSA_LOCK=:KANSA_LOCK"),
                             QStringLiteral("WHERE REC=1")});
        const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0));
        q.paramByName(QStringLiteral("KANSA_FIXDATE")).setDateTime(zero);
        q.paramByName(QStringLiteral("KANSA_DATE")).setDateTime(zero);
        q.paramByName(QStringLiteral("KANSA_LOCK")).setInteger(0);
        q.execSQL();

        step("残高クリア");
        run(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN=0,"
                           "HAIBUN01=0,HAIBUN02=0,HAIBUN03=0,HAIBUN04=0,HAIBUN05=0,HAIBUN06=0,"
                           "HAIBUN07=0,HAIBUN08=0,HAIBUN09=0,HAIBUN10=0,HAIBUN11=0,HAIBUN12=0,"
                           "HAIBUN13=0,HAIBUN14=0,HAIBUN15=0,HAIBUN16=0,KAKOZAN=0,KISHU_KOMI=0,KISHU_NUKI=0"));
        run(QStringLiteral("UPDATE KAMOKU_MS SET KAR_NUK=0,KAR_TAX=0,KAS_NUK=0,KAS_TAX=0,"
                           "BYOSAN=0,BYOSOKU=0,RYOSAN=0,KAR_IKKATSU=0,KAS_IKKATSU=0"));
        QString kako = QStringLiteral("UPDATE KAKOZAN SET KISHU=0,");
        for (int i = 1; i <= 16; ++i)
            kako += QStringLiteral("KOMIZAN_%1=0,NUKIZAN_%1=0,IKKATSU_%1=0,HAIBUN_%1=0,").arg(i);
        kako += QStringLiteral("TRIGGER_SWITCH=1");
        run(kako);
        run(QStringLiteral("UPDATE KAMOKU_TAX SET KAR=0,KAS=0"));
        run(QStringLiteral("UPDATE SISETUMST SET SIWAKECOUNT=0"));

        step("仕訳クリア");
        run(QStringLiteral("DELETE FROM SIWAKE"));
        run(QStringLiteral("DELETE FROM KAKOSIWAKE1"));
        run(QStringLiteral("DELETE FROM KAKOSIWAKE2"));
        run(QStringLiteral("DELETE FROM KS_SISAN"));
        run(QStringLiteral("SET GENERATOR SIWAKE_REC_GEN TO 0"));
        for (int i = 0; i <= 99; ++i) run(QStringLiteral("SET GENERATOR SIWAKE%1_GEN TO 0").arg(i, 2, 10, QLatin1Char('0')));
        run(QStringLiteral("SET GENERATOR KSSISAN_GEN TO 0"));

        DM->PutAccReg(kGroup, kKind, kInteger, QStringLiteral("10"));
        DM->PutAccReg(kGroup, kCount, kInteger, QStringLiteral("0"));

        if (m_medical) {
            step("施設調整");
            // The blank (common) branch and the copy's own branch stay.
            q.setSql(QStringList{QStringLiteral("DELETE FROM SISETUMST"),
                                 QStringLiteral("WHERE (SCODE NOT IN (:BLANK, :OWN))")});
            q.paramByName(QStringLiteral("BLANK")).setString(QStringLiteral(" "));
            q.paramByName(QStringLiteral("OWN")).setString(n);
            q.execSQL();
            if (n == u"00") {
                FbQuery sel(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
                sel.setSql(QStringList{QStringLiteral("SELECT ' ' AS SCODE,KCODE,HCODE,BCODE FROM KAMOKU_SZ"),
                                       QStringLiteral("GROUP BY KCODE,HCODE,BCODE"), QStringLiteral("HAVING COUNT(SCODE)=1")});
                struct Key { QString s, k, h, b; };
                QList<Key> keys;
                for (sel.open(); !sel.eof(); sel.next())
                    keys.append({sel.field(0).asString(), sel.field(1).asString(), sel.field(2).asString(), sel.field(3).asString()});
                sel.close();
                q.setSql(QStringList{QStringLiteral("DELETE FROM KAMOKU_SZ"),
                                     QStringLiteral("WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND BCODE=:BCODE")});
                for (const Key &key : keys) {
                    q.paramByName(QStringLiteral("SCODE")).setString(key.s);
                    q.paramByName(QStringLiteral("KCODE")).setString(key.k);
                    q.paramByName(QStringLiteral("HCODE")).setString(key.h);
                    q.paramByName(QStringLiteral("BCODE")).setString(key.b);
                    q.execSQL();
                }
            }
        }
        g.commit();
    } catch (const std::exception &e) {
        // Reported once here; the caller removes the half-made copy.
        reportError(e, QStringLiteral("TGassanDataCtl.AccDataSyokika"), QStringLiteral("分散入力用データの初期化に失敗しました。"));
        DM->fnAccDatDisConnected(folder, true, false);
        throw;
    }
    DM->fnAccDatDisConnected(folder, true, false);
}

void TGassanDataCtl::WriteGassanSettings(int kind, int count)
{
    if (!DM->fnAccDatConnected(SystemDef.HostName, m_dataPath, false)) return;
    if (kind == 0 || kind == 10) count = 0;
    try {
        DM->PutAccReg(kGroup, kKind, kInteger, QString::number(kind));
        DM->PutAccReg(kGroup, kCount, kInteger, QString::number(count));
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TGassanDataCtl.WriteGassanSettings"), QStringLiteral("合算データ設定の書き込みに失敗しました。"));
    }
    DM->fnAccDatDisConnected(m_dataPath, true, true);
}

bool TGassanDataCtl::CreateChildData(const QString &name)
{
    QString folderName;
    m_newName.clear();
    m_newFolder.clear();
    if (m_siten) {
        folderName = name;
        m_newName = name;
    } else {
        folderName = name.isEmpty() ? NextFolderNo(m_dataPath, 1) : name;
    }
    if (folderName.isEmpty()) return false;

    const QString folder = m_dataPath + u'/' + folderName;
    if (QFileInfo::exists(folder) || !ForceDir(folder)) return false;
    m_newFolder = folder;
    auto removeFolder = [&folder] { QDir(folder).removeRecursively(); };
    if (!CopyDatabase(databaseFileOf(m_dataPath), databaseFileOf(folder))) {
        removeFolder();
        return false;
    }
    try {
        AccDataSyokika();
    } catch (const std::exception &) {
        if (openOn(folder)) DM->fnAccDatDisConnected(folder, false, false);
        removeFolder();
        return false;
    }

    int at = IndexOfChild(folder);
    if (at < 0) {
        Children.append(TGassanChildDataRec());
        at = int(Children.size()) - 1;
    }
    TGassanChildDataRec &child = Children[at];
    child.REC = m_rec;
    child.ChildNo = NextRowNo(1);
    child.Name = m_siten ? m_newName : QString();
    child.Folder = folder;

    TDataListRec row;
    if (m_netDrive == 1) {
        m_list.ClearDataListRec(row, m_sharedPath + u'/' + folderName);
        row.NETDRIVE = 1;
        row.KYOYULOCK = 1;
    } else {
        m_list.ClearDataListRec(row, folder);
    }
    row.REC = child.REC;
    row.ROWNO = child.ChildNo;
    row.GASSAN = 10;
    TDataInfomation infoObj;
    infoObj.ConnectMode = ConnectMode;
    TDataInfomationRec rec;
    infoObj.GetDataInfoRecByPath(folder, rec);
    m_list.GetDispRecord(rec, row);
    row.GASSAN = 10;
    if (!m_list.UpdateDataListChildRecord(row, true)) {
        removeFolder();
        Children.removeAt(at);
        return false;
    }
    return true;
}
