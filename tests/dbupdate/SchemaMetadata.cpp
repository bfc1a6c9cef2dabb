#include "SchemaMetadata.h"

#include "dbaccess/FbClient.h"
#include "support/SchemaTemplates.h"

#include <QRegularExpression>

namespace schemameta {

namespace {

class Reader
{
public:
    explicit Reader(const QString &path)
    {
        m_db.DatabaseName = path;
        m_db.Params = {QStringLiteral("user_name=") + testenv::kDbUser, QStringLiteral("password=") + testenv::kDbPassword,
                       QStringLiteral("lc_ctype=SJIS_0208")};
        m_db.open();
        m_tr.setDatabase(&m_db);
    }
    ~Reader() { m_db.close(); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    QList<QStringList> rows(const QString &sql, const QList<QPair<QString, QString>> &params = {})
    {
        TransactionGuard g(m_tr);
        FbQuery q(&m_db, &m_tr);
        q.setSql(sql);
        for (const auto &p : params) q.paramByName(p.first).setString(p.second);
        QList<QStringList> out;
        for (q.open(); !q.eof(); q.next()) {
            QStringList row;
            for (int i = 0; i < q.fieldCount(); ++i)
                row << (q.field(i).isNull() ? QStringLiteral("<null>") : q.field(i).asString());
            out << row;
        }
        q.close();
        g.commit();
        return out;
    }

    void exec(const QString &sql)
    {
        TransactionGuard g(m_tr);
        FbQuery q(&m_db, &m_tr);
        q.setSql(sql);
        q.execSQL();
        g.commit();
    }

private:
    FbDatabase m_db;
    FbTransaction m_tr{nullptr, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")}};
};

// Source text without comments, blanks and line breaks collapsed.
QString normalised(QString text)
{
    static const QRegularExpression block(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression line(QStringLiteral("--[^\\n]*"));
    if (text == u"<null>") return text;
    text.remove(block);
    text.remove(line);
    return text.simplified();
}

// The segments of an index, "A,B".
QString segments(Reader &r, const QString &index)
{
    QStringList out;
    for (const QStringList &s : r.rows(QStringLiteral("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$INDEX_SEGMENTS "
                                                      "WHERE RDB$INDEX_NAME = :I ORDER BY RDB$FIELD_POSITION"),
                                       {{QStringLiteral("I"), index}}))
        out << s[0];
    return out.join(u',');
}

// Type of a field of RDB$FIELDS: type, sub type, length, scale, precision,
// character length, character set.
const char kFieldType[] =
    "F.RDB$FIELD_TYPE || '/' || COALESCE(F.RDB$FIELD_SUB_TYPE, 0) || '/' || F.RDB$FIELD_LENGTH || '/' || "
    "COALESCE(F.RDB$FIELD_SCALE, 0) || '/' || COALESCE(F.RDB$FIELD_PRECISION, 0) || '/' || "
    "COALESCE(F.RDB$CHARACTER_LENGTH, 0) || '/' || COALESCE(F.RDB$CHARACTER_SET_ID, -1)";

} // namespace

Snapshot read(const QString &databasePath)
{
    Reader r(databasePath);
    Snapshot s;

    QStringList tables;
    for (const QStringList &t : r.rows(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME), COALESCE(RDB$RELATION_TYPE, 0) "
                                                      "FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
                                                      "AND RDB$VIEW_BLR IS NULL ORDER BY 1"))) {
        tables << t[0];
        s[QStringLiteral("tables")] << t.join(u'|');
    }
    for (const QStringList &v : r.rows(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME), RDB$VIEW_SOURCE FROM RDB$RELATIONS "
                                                      "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NOT NULL "
                                                      "ORDER BY 1")))
        s[QStringLiteral("views")] << v[0] + u'|' + normalised(v[1]);

    for (const QString &table : tables) {
        // Name, type, collation, nullability, default and computed source, in column order.
        const auto columns = r.rows(
            QStringLiteral("SELECT TRIM(RF.RDB$FIELD_NAME), %1, COALESCE(RF.RDB$COLLATION_ID, F.RDB$COLLATION_ID, 0), "
                           "COALESCE(RF.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0), "
                           "COALESCE(RF.RDB$DEFAULT_SOURCE, F.RDB$DEFAULT_SOURCE, ''), COALESCE(F.RDB$COMPUTED_SOURCE, ''), "
                           "CASE WHEN RF.RDB$FIELD_SOURCE STARTING WITH 'RDB$' THEN '' ELSE TRIM(RF.RDB$FIELD_SOURCE) END "
                           "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                           "WHERE RF.RDB$RELATION_NAME = :T ORDER BY RF.RDB$FIELD_POSITION")
                .arg(QLatin1String(kFieldType)),
            {{QStringLiteral("T"), table}});
        for (QStringList c : columns) {
            c[4] = normalised(c[4]).toUpper();
            c[5] = normalised(c[5]).toUpper();
            s[QStringLiteral("columns")] << table + u'.' + c.join(u'|');
        }

        // Primary, unique, foreign and check keys: name, kind, columns, the
        // table referred to and the update and delete rules.
        const auto keys = r.rows(QStringLiteral(
            "SELECT TRIM(RC.RDB$CONSTRAINT_NAME), TRIM(RC.RDB$CONSTRAINT_TYPE), COALESCE(TRIM(RC.RDB$INDEX_NAME), ''), "
            "COALESCE(TRIM(REF.RDB$RELATION_NAME), ''), COALESCE(TRIM(FK.RDB$UPDATE_RULE), ''), "
            "COALESCE(TRIM(FK.RDB$DELETE_RULE), '') "
            "FROM RDB$RELATION_CONSTRAINTS RC "
            "LEFT JOIN RDB$REF_CONSTRAINTS FK ON FK.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME "
            "LEFT JOIN RDB$RELATION_CONSTRAINTS REF ON REF.RDB$CONSTRAINT_NAME = FK.RDB$CONST_NAME_UQ "
            "WHERE RC.RDB$RELATION_NAME = :T AND RC.RDB$CONSTRAINT_TYPE <> 'NOT NULL' ORDER BY 1"),
            {{QStringLiteral("T"), table}});
        for (const QStringList &k : keys) {
            QString name = k[0];
            if (name.startsWith(QStringLiteral("INTEG_"))) name = QStringLiteral("<unnamed>");
            s[QStringLiteral("keys")] << QStringList({table, name, k[1], k[2].isEmpty() ? QString() : segments(r, k[2]), k[3], k[4], k[5]})
                                             .join(u'|');
        }
    }

    // Indexes: name (made-up names of unnamed keys hidden), table, unique,
    // descending, inactive, columns or expression.
    for (const QStringList &i : r.rows(QStringLiteral(
             "SELECT TRIM(I.RDB$INDEX_NAME), TRIM(I.RDB$RELATION_NAME), COALESCE(I.RDB$UNIQUE_FLAG, 0), "
             "COALESCE(I.RDB$INDEX_TYPE, 0), COALESCE(I.RDB$INDEX_INACTIVE, 0), COALESCE(I.RDB$EXPRESSION_SOURCE, '') "
             "FROM RDB$INDICES I WHERE COALESCE(I.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2, 1"))) {
        QString name = i[0];
        if (name.startsWith(QStringLiteral("RDB$"))) name = QStringLiteral("<unnamed>");
        s[QStringLiteral("indexes")] << QStringList({name, i[1], i[2], i[3], i[4], segments(r, i[0]), normalised(i[5]).toUpper()})
                                            .join(u'|');
    }
    s[QStringLiteral("indexes")].sort();

    // Triggers of the user: name, table, kind, position, inactive, source.
    for (const QStringList &t : r.rows(QStringLiteral(
             "SELECT TRIM(RDB$TRIGGER_NAME), COALESCE(TRIM(RDB$RELATION_NAME), ''), RDB$TRIGGER_TYPE, "
             "COALESCE(RDB$TRIGGER_SEQUENCE, 0), COALESCE(RDB$TRIGGER_INACTIVE, 0), RDB$TRIGGER_SOURCE "
             "FROM RDB$TRIGGERS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"))) {
        QStringList row = t;
        row[5] = normalised(row[5]);
        s[QStringLiteral("triggers")] << row.join(u'|');
    }

    // Procedures: name, kind (selectable or executable), body; their parameters.
    for (const QStringList &p : r.rows(QStringLiteral(
             "SELECT TRIM(RDB$PROCEDURE_NAME), COALESCE(RDB$PROCEDURE_TYPE, 0), RDB$PROCEDURE_SOURCE "
             "FROM RDB$PROCEDURES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1")))
        s[QStringLiteral("procedures")] << p[0] + u'|' + p[1] + u'|' + normalised(p[2]);
    for (const QStringList &p : r.rows(QStringLiteral(
             "SELECT TRIM(PP.RDB$PROCEDURE_NAME), PP.RDB$PARAMETER_TYPE, PP.RDB$PARAMETER_NUMBER, "
             "TRIM(PP.RDB$PARAMETER_NAME), %1, COALESCE(PP.RDB$NULL_FLAG, 0), COALESCE(PP.RDB$DEFAULT_SOURCE, '') "
             "FROM RDB$PROCEDURE_PARAMETERS PP JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = PP.RDB$FIELD_SOURCE "
             "WHERE COALESCE(PP.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1, 2, 3")
                                           .arg(QLatin1String(kFieldType))))
        s[QStringLiteral("parameters")] << p.join(u'|');

    // Functions (stored or declared external): name, body or entry point; their arguments.
    for (const QStringList &f : r.rows(QStringLiteral(
             "SELECT TRIM(RDB$FUNCTION_NAME), COALESCE(TRIM(RDB$MODULE_NAME), ''), COALESCE(TRIM(RDB$ENTRYPOINT), ''), "
             "RDB$FUNCTION_SOURCE FROM RDB$FUNCTIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"))) {
        QStringList row = f;
        row[3] = normalised(row[3]);
        s[QStringLiteral("functions")] << row.join(u'|');
        for (const QStringList &a : r.rows(QStringLiteral(
                 "SELECT A.RDB$ARGUMENT_POSITION, COALESCE(TRIM(A.RDB$ARGUMENT_NAME), ''), "
                 "COALESCE(A.RDB$FIELD_TYPE, F.RDB$FIELD_TYPE), COALESCE(A.RDB$FIELD_LENGTH, F.RDB$FIELD_LENGTH), "
                 "COALESCE(A.RDB$CHARACTER_SET_ID, F.RDB$CHARACTER_SET_ID, -1) "
                 "FROM RDB$FUNCTION_ARGUMENTS A LEFT JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = A.RDB$FIELD_SOURCE "
                 "WHERE A.RDB$FUNCTION_NAME = :F ORDER BY 1"),
                 {{QStringLiteral("F"), f[0]}}))
            s[QStringLiteral("functions")] << f[0] + QStringLiteral(" arg ") + a.join(u'|');
    }

    for (const QStringList &g : r.rows(QStringLiteral("SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS "
                                                      "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1")))
        s[QStringLiteral("generators")] << g[0];
    for (const QStringList &d : r.rows(QStringLiteral("SELECT TRIM(F.RDB$FIELD_NAME), %1, COALESCE(F.RDB$NULL_FLAG, 0), "
                                                      "COALESCE(F.RDB$DEFAULT_SOURCE, '') FROM RDB$FIELDS F "
                                                      "WHERE COALESCE(F.RDB$SYSTEM_FLAG, 0) = 0 AND "
                                                      "F.RDB$FIELD_NAME NOT STARTING WITH 'RDB$' ORDER BY 1")
                                           .arg(QLatin1String(kFieldType))))
        s[QStringLiteral("domains")] << d.join(u'|');
    for (const QStringList &e : r.rows(QStringLiteral("SELECT TRIM(RDB$EXCEPTION_NAME), RDB$MESSAGE FROM RDB$EXCEPTIONS "
                                                      "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1")))
        s[QStringLiteral("exceptions")] << e.join(u'|');
    return s;
}

QList<QStringList> rows(const QString &databasePath, const QString &sql, const QList<QPair<QString, QString>> &params)
{
    Reader r(databasePath);
    return r.rows(sql, params);
}

void exec(const QString &databasePath, const QString &sql)
{
    Reader r(databasePath);
    r.exec(sql);
}

} // namespace schemameta
