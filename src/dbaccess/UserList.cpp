#include "dbaccess/UserList.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "core/Messages.h"
#include "platform/Error.h"

namespace {

const QString kFailed = QStringLiteral("ユーザーリストの取得に失敗しました。");

QStringList selectLines(bool newColumns, bool shoninOnly)
{
    QStringList sql{newColumns ? QStringLiteral("SELECT O.GROUPID,O.OPCODE,O.OPNAME,O.JOBLEVEL,L.NAME,O.PASWORD,O.DATAPAS,O.JIMUSHO,"
                                                "O.OKINIIRI,O.KANSA,O.MYNUMBER_ADM,O.SHONIN")
                               : QStringLiteral("SELECT O.GROUPID,O.OPCODE,O.OPNAME,O.JOBLEVEL,L.NAME,O.PASWORD,O.DATAPAS,O.JIMUSHO,"
                                                "O.OKINIIRI,O.KANSA,0 AS MYNUMBER_ADM,0 AS SHONIN"),
                    QStringLiteral("FROM OPERATOR O"), QStringLiteral("INNER JOIN LEVELNAME L ON (O.JOBLEVEL=L.LEVELNO)"),
                    QStringLiteral("WHERE (O.GROUPID=:GROUPID) AND (O.OPCODE>=10)")};
    if (newColumns && shoninOnly) sql << QStringLiteral("AND (SHONIN>0)");
    sql << QStringLiteral("ORDER BY O.OPCODE");
    return sql;
}

} // namespace

TUserList::TUserList()
    : m_own(DM ? &DM->IBDatabaseDEF : nullptr,
            {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")}),
      m_sqlDef(DM ? &DM->IBDatabaseDEF : nullptr, &m_own), m_sqlDat(DM ? &DM->IBDatabaseDAT : nullptr, &m_own)
{
}

TUserList::~TUserList() = default;

void TUserList::SetTransaction(FbTransaction *tr, int which)
{
    if (which == 0 && tr) m_sqlDef.Transaction = tr;
    if (which == 1 && tr) m_sqlDat.Transaction = tr;
    if (which == -1) m_sqlDef.Transaction = m_sqlDat.Transaction = &m_own;
}

void TUserList::Clear()
{
    Items.clear();
    Lines.clear();
    Count = 0;
}

void TUserList::Execute()
{
    Clear();
    if (!FirstEntryText.isEmpty()) {
        TUserListRec first;
        first.GroupId = GroupId;
        first.OpName = FirstEntryText;
        first.JobLevel = 9;
        Items.push_back(first);
        Lines << (DisplayFormat == 1 ? QStringLiteral("\"%1\"\t\"\"").arg(FirstEntryText) : FirstEntryText);
    }
    FbTransaction &tr = *m_sqlDef.Transaction;
    const bool started = !tr.inTransaction();
    try {
        // Committed on every path; a database error is reported by the list
        // only when the transaction is its own.
        TransactionGuard g(tr, TransactionGuard::Exit::Commit);
        QStringList count{QStringLiteral("SELECT COUNT(O.GROUPID) AS RECCNT FROM OPERATOR O"),
                          QStringLiteral("INNER JOIN LEVELNAME L ON (O.JOBLEVEL=L.LEVELNO)"),
                          QStringLiteral("WHERE (O.GROUPID=:GROUPID) AND (O.OPCODE>=10)")};
        if (ShoninOnly) count << QStringLiteral("AND (SHONIN>0)");
        m_sqlDef.setSql(count);
        m_sqlDef.paramByName(QStringLiteral("GROUPID")).setInteger(GroupId);
        m_sqlDef.open();
        const int rows = m_sqlDef.eof() ? 0 : m_sqlDef.field(0).asInteger();
        m_sqlDef.close();
        if (rows > 0) {
            // Older system databases lack the two newest columns.
            bool opened = false;
            for (int attempt = 0; attempt < 4 && !opened; ++attempt) {
                try {
                    m_sqlDef.setSql(selectLines(attempt == 0, ShoninOnly));
                    m_sqlDef.paramByName(QStringLiteral("GROUPID")).setInteger(GroupId);
                    m_sqlDef.open();
                    opened = true;
                } catch (const FbError &) {
                    if (attempt == 3) throw platform::Error(QStringLiteral("OPERATORテーブル参照クエリーの作成エラー"));
                }
            }
            for (; !m_sqlDef.eof(); m_sqlDef.next()) {
                TUserListRec r;
                r.GroupId = m_sqlDef.field(0).asInteger();
                r.OpCode = m_sqlDef.field(1).asInteger();
                r.OpName = m_sqlDef.field(2).asString();
                r.JobLevel = m_sqlDef.field(3).asInteger();
                r.LevelName = m_sqlDef.field(4).asString();
                r.Password = m_sqlDef.field(5).asString();
                r.Jimusho = m_sqlDef.field(7).asInteger() != 0;
                r.Okiniiri = m_sqlDef.field(8).asInteger() != 0;
                r.MyNumberAdm = m_sqlDef.field(10).asInteger() != 0;
                r.Shonin = m_sqlDef.field(11).asInteger() != 0;
                Items.push_back(r);
                Lines << (DisplayFormat == 1 ? QStringLiteral("\"%1\"\t\"%2\"").arg(r.OpCode).arg(r.OpName)
                                             : QStringLiteral("%1:%2").arg(r.OpCode).arg(r.OpName));
            }
            m_sqlDef.close();
        }
    } catch (const FbError &e) {
        if (m_sqlDef.active()) m_sqlDef.close();
        if (started) ShowIBError(e, QStringLiteral("TUserList.Execute"), kFailed);
    } catch (const platform::Error &e) {
        if (m_sqlDef.active()) m_sqlDef.close();
        ShowErrorMessage(kFailed, e.message());
    }
    Count = int(Lines.size());
}

int TUserList::GetOpCode(int i) const
{
    return i >= 0 && i < int(Items.size()) ? Items[size_t(i)].OpCode : 0;
}

int TUserList::IndexOf(int opCode) const
{
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].OpCode == opCode) return int(i);
    return -1;
}

QString TUserList::GetText() const
{
    QString text;
    for (const QString &l : Lines) text += l + QStringLiteral("\r\n");
    return text;
}

int TLoginUserList::GetOpCode(int i) const
{
    return i >= 0 && i < int(Items.size()) ? Items[size_t(i)].OperatorCode : 0;
}

QString TLoginUserList::GetOpName(int i) const
{
    return i >= 0 && i < int(Items.size()) ? Items[size_t(i)].OpName : QString();
}

void TLoginUserList::Clear()
{
    Items.clear();
    Lines.clear();
    Count = 0;
}

TLoginUserListOnDef::TLoginUserListOnDef()
    : m_sql(DM ? &DM->IBDatabaseDEF : nullptr, DM ? &DM->IBTransactionDEF : nullptr)
{
}

void TLoginUserListOnDef::Clear()
{
    TLoginUserList::Clear();
    OpCode = 0;
}

void TLoginUserListOnDef::Execute(int groupId, int opCode, bool includeSelf)
{
    Clear();
    GroupId = groupId;
    OpCode = opCode;
    IncludeSelf = includeSelf ? 1 : 0;
    if (!m_sql.Transaction) throw platform::Error(QStringLiteral("ログインユーザーリストの取得に失敗しました。"));
    FbTransaction &tr = *m_sql.Transaction;
    const bool started = !tr.inTransaction();
    try {
        // A transaction started here is committed on every path.
        TransactionGuard g(tr, TransactionGuard::Exit::Commit);
        QStringList sql{QStringLiteral("SELECT L.OPERATORCODE,L.PCNAME,O.OPNAME FROM LOGONUSERLIST L"),
                        QStringLiteral("INNER JOIN OPERATOR O ON(L.GROUPID=O.GROUPID AND L.OPERATORCODE=O.OPCODE)"),
                        QStringLiteral("WHERE L.GROUPID=:GROUPID")};
        if (!includeSelf) sql << QStringLiteral("AND L.OPCODE<>:OPCODE");
        sql << QStringLiteral("GROUP BY L.OPERATORCODE,L.PCNAME,O.OPNAME") << QStringLiteral("ORDER BY L.OPERATORCODE");
        m_sql.setSql(sql);
        m_sql.paramByName(QStringLiteral("GROUPID")).setInteger(groupId);
        if (!includeSelf) m_sql.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
        for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
            TLoginUserListRec r;
            r.OperatorCode = m_sql.field(0).asInteger();
            r.PcName = m_sql.field(1).asString();
            r.OpName = m_sql.field(2).asString();
            Items.push_back(r);
            Lines << QStringLiteral("%1:%2").arg(r.OperatorCode).arg(r.OpName);
        }
        m_sql.close();
        Count = int(Lines.size());
    } catch (const std::exception &e) {
        if (m_sql.active()) m_sql.close();
        Count = int(Lines.size());
        if (started) reportError(e, QStringLiteral("TLoginUserListOnDef.Execute"), QStringLiteral("ログインユーザーリストの取得に失敗しました。"));
        throw;
    }
}
