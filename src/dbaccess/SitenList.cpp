#include "dbaccess/SitenList.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"

#include <map>
#include <optional>

namespace {

const char16_t *const kWholeLabels[] = {u"法人全体", u"総体", u"法人全体", u"法人全体"};

QString wholeLabel()
{
    if (AccInf.SITEN == 0) return AccInf.SHOUGOU;
    const int t = AccInf.DATATYPE;
    return t >= 1 && t <= 4 ? QString::fromUtf16(kWholeLabels[t - 1]) : AccInf.SHOUGOU;
}

const std::pair<int, const char16_t *> kBusinessKinds[] = {
    {8, u"病院・診療所"}, {4, u"老人保健施設"}, {2, u"指定訪問看護"}, {1, u"その他の事業"}};

QString permitCase()
{
    return QStringLiteral("CASE WHEN MIN(CASE WHEN S.SCODE IN (SELECT SCODE FROM OPLICENSE WHERE OPCODE=:OPCODE) THEN 1 "
                          "ELSE 0 END)=1 THEN 1 ELSE 0 END AS PERMIT");
}

} // namespace

TSitenList::TSitenList() : m_tr(DM ? &DM->IBTransactionDAT : nullptr) {}

void TSitenList::Clear()
{
    Items.clear();
    Lines.clear();
    Count = 0;
    OpCode = 0;
}

QString TSitenList::GetCode(int i) const
{
    return i >= 0 && i < int(Items.size()) ? Items[size_t(i)].Code : QString();
}

void TSitenList::add(const TSitenListRec &rec)
{
    Items.push_back(rec);
    QString line;
    const QString name = QString(rec.Name).replace(u'"', u'\'');
    const bool group = (rec.Kind == 1 && rec.Code.trimmed().size() > 0) || rec.Kind == 5;
    if (rec.Kind == 0 || (rec.Kind == 1 && !group)) {
        line = Quoted ? QStringLiteral("\"%1\"\t\"\"\t\"\"").arg(name) : rec.Name;
    } else if (group) {
        line = Quoted ? QStringLiteral("\"(%1)\"\t\"%1\"\t\"%2\"").arg(rec.Code, name)
                      : QStringLiteral("(%1):%2").arg(rec.Code, rec.Name);
    } else {
        line = Quoted ? QStringLiteral("\"%1\"\t\"\"\t\"%2\"").arg(rec.Code, name)
                      : QStringLiteral("%1:%2").arg(rec.Code, rec.Name);
    }
    Lines << line;
}

void TSitenList::Execute(int opCode)
{
    Clear();
    OpCode = DM && DM->IsUnrestrictedOperator() ? -1 : opCode;
    try {
        // Read in a transaction that is committed on every path.
        std::optional<TransactionGuard> g;
        if (m_tr) g.emplace(*m_tr, TransactionGuard::Exit::Commit);
        if (AccInf.Medical) loadMedical();
        else loadGeneral();
        Count = int(Lines.size());
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TSitenList.Execute"), QStringLiteral("支店リストの取得に失敗しました。"));
        throw;
    }
}

// The whole-company line needs permission for every branch.
bool TSitenList::wholeCompanyPermitted(FbQuery &q)
{
    if (OpCode == -1 || AccInf.SITEN == 0) return true;
    q.setSql(QStringList{QStringLiteral("SELECT"), permitCase(), QStringLiteral("FROM SISETUMST S"), QStringLiteral("WHERE S.SCODE <> ''")});
    q.paramByName(QStringLiteral("OPCODE")).setInteger(OpCode);
    q.open();
    const bool permit = !q.eof() && q.field(0).asInteger() == 1;
    q.close();
    return permit;
}

void TSitenList::loadGeneral()
{
    FbQuery q(&DM->IBDatabaseDAT, m_tr);
    const bool all = OpCode == -1;
    const bool branches = AccInf.SITEN != 0;
    if ((Selection & 1) && wholeCompanyPermitted(q)) add({QStringLiteral(" "), wholeLabel(), 0, 1, 0, 0, {}, {}});
    if ((Selection & 2) && branches) {
        q.setSql(QStringList{QStringLiteral("SELECT G.GCODE,G.GNAME,") + (all ? QStringLiteral("1 AS PERMIT") : permitCase()),
                             QStringLiteral("FROM SISETUGROUPLIST S"), QStringLiteral("INNER JOIN SISETUGROUP G ON (S.GCODE=G.GCODE)"),
                             QStringLiteral("WHERE S.SCODE <> ''"), QStringLiteral("GROUP BY G.GCODE,G.GNAME"), QStringLiteral("ORDER BY G.GCODE")});
        if (!all) q.paramByName(QStringLiteral("OPCODE")).setInteger(OpCode);
        for (q.open(); !q.eof(); q.next())
            if (q.field(2).asInteger() == 1) add({q.field(0).asString(), q.field(1).asString(), 1, 1, 0, 0, {}, {}});
        q.close();
    }
    for (const int flag : {4, 8}) {
        if (!(Selection & flag)) continue;
        if (!branches) {
            if (flag == 4 && !(Selection & 1)) add({QStringLiteral(" "), wholeLabel(), 0, 1, 0, 0, {}, {}});
            continue;
        }
        QStringList sql{flag == 4 ? QStringLiteral("SELECT S.SCODE,S.SNAME,S.BUMEX,S.XSTR FROM SISETUMST S")
                                  : QStringLiteral("SELECT S.SCODE,S.SNAME,S.BUMEX,S.XSTR FROM SISETUMST S")};
        if (!all) sql << QStringLiteral("INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)");
        QString where = QStringLiteral("WHERE (S.SCODE<>'')");
        if (flag == 8) where += QStringLiteral(" AND (S.BUMEX=1)");
        if (!all) where += QStringLiteral(" AND (O.OPCODE=:OPCODE)");
        sql << where << QStringLiteral("ORDER BY S.SCODE");
        q.setSql(sql);
        if (!all) q.paramByName(QStringLiteral("OPCODE")).setInteger(OpCode);
        for (q.open(); !q.eof(); q.next()) {
            const QString code = q.field(0).asString();
            if (code.trimmed().isEmpty()) continue;
            QVariant color;
            TDM::GetSisetuColor(q.field(3).asString(), QStringLiteral("COLOR"), color);
            add({code, q.field(1).asString(), flag == 4 ? 2 : 3, 1, flag == 4 ? q.field(2).asInteger() : 1, color.toInt(), {}, {}});
        }
        q.close();
    }
}

void TSitenList::loadMedical()
{
    FbQuery q(&DM->IBDatabaseDAT, m_tr);
    const bool all = OpCode == -1;
    const bool branches = AccInf.SITEN != 0;
    const QString filter = KindFilter ? QStringLiteral(" AND (S.MB_JIGYOU=%1)").arg(KindFilter) : QString();
    if ((Selection & 1) && wholeCompanyPermitted(q)) add({QStringLiteral(" "), wholeLabel(), 0, 0, 0, 0, {}, {}});
    if ((Selection & 2) && branches) {
        auto counts = [&](bool forOperator) {
            std::map<int, int> out;
            QStringList sql{QStringLiteral("SELECT S.MB_JIGYOU,COUNT(S.SCODE) AS RECCNT FROM SISETUMST S")};
            if (forOperator) sql << QStringLiteral("INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)");
            sql << QStringLiteral("WHERE (S.SCODE NOT IN ('','00'))") + (forOperator ? QStringLiteral(" AND (O.OPCODE=:OPCODE)") : QString()) + filter
                << QStringLiteral("GROUP BY S.MB_JIGYOU") << QStringLiteral("ORDER BY S.MB_JIGYOU DESC");
            q.setSql(sql);
            if (forOperator) q.paramByName(QStringLiteral("OPCODE")).setInteger(OpCode);
            for (q.open(); !q.eof(); q.next()) out[q.field(0).asInteger()] = q.field(1).asInteger();
            q.close();
            return out;
        };
        const auto total = counts(false);
        const auto mine = all ? total : counts(true);
        for (const auto &[kind, name] : kBusinessKinds) {
            const auto t = total.find(kind);
            if (t == total.end() || t->second == 0) continue;
            const auto m = mine.find(kind);
            if (m != mine.end() && m->second == t->second) add({QStringLiteral(" "), QString::fromUtf16(name), 1, kind, 0, 0, {}, {}});
        }
        q.setSql(QStringList{QStringLiteral("SELECT G.GCODE,G.GNAME,") + (all ? QStringLiteral("1 AS PERMIT") : permitCase()),
                             QStringLiteral("FROM SISETUGROUPLIST S"), QStringLiteral("INNER JOIN SISETUGROUP G ON (S.GCODE=G.GCODE)"),
                             QStringLiteral("WHERE S.SCODE <> ''"), QStringLiteral("GROUP BY G.GCODE,G.GNAME"), QStringLiteral("ORDER BY G.GCODE")});
        if (!all) q.paramByName(QStringLiteral("OPCODE")).setInteger(OpCode);
        for (q.open(); !q.eof(); q.next())
            if (q.field(2).asInteger() == 1) add({q.field(0).asString(), q.field(1).asString(), 5, 0, 0, 0, {}, {}});
        q.close();
    }
    for (const int flag : {4, 8}) {
        if (!(Selection & flag)) continue;
        if (!branches) {
            if (flag == 4 && !(Selection & 1)) add({QStringLiteral(" "), wholeLabel(), 0, 0, 0, 0, {}, {}});
            continue;
        }
        QStringList sql{QStringLiteral("SELECT S.SCODE,S.SNAME,S.BUMEX,S.XSTR,S.MB_JIGYOU FROM SISETUMST S")};
        if (!all) sql << QStringLiteral("INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)");
        QString where = QStringLiteral("WHERE (S.SCODE<>'')");
        if (flag == 8) where += QStringLiteral(" AND (S.BUMEX=1)");
        if (!all) where += QStringLiteral(" AND (O.OPCODE=:OPCODE)");
        sql << where + filter << QStringLiteral("ORDER BY S.SCODE");
        q.setSql(sql);
        if (!all) q.paramByName(QStringLiteral("OPCODE")).setInteger(OpCode);
        for (q.open(); !q.eof(); q.next()) {
            const QString code = q.field(0).asString();
            if (code.trimmed().isEmpty() || (code == u"00" && !Keep00)) continue;
            QVariant color;
            TDM::GetSisetuColor(q.field(3).asString(), QStringLiteral("COLOR"), color);
            add({code, q.field(1).asString(), flag == 4 ? 2 : 3, q.field(4).asInteger(), flag == 4 ? q.field(2).asInteger() : 1,
                 color.toInt(), {}, {}});
        }
        q.close();
    }
}
