#pragma once
// A connection of its own to a company database for the communication tests.
#include "dbaccess/FbClient.h"
#include "support/SchemaTemplates.h"

#include <QDateTime>
#include <QStringList>

namespace commtest {

inline const QStringList kWork = {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")};

// A connection of its own to a company database, with statements run one by one.
struct CompanyDb {
    explicit CompanyDb(const QString &folder)
    {
        db.DatabaseName = folder + QStringLiteral("/vqacc.fdb");
        db.Params = {QStringLiteral("user_name=") + testenv::kDbUser, QStringLiteral("password=") + testenv::kDbPassword,
                     QStringLiteral("lc_ctype=SJIS_0208")};
        db.open();
        tr.setDatabase(&db);
        tr.Params = kWork;
        db.DefaultTransaction = &tr;
    }
    void exec(const QString &sql)
    {
        TransactionGuard g(tr);
        FbQuery q(&db, &tr);
        q.setSql(sql);
        q.execSQL();
        g.commit();
    }
    // The rows of a select, columns joined by "|", NULL as "<null>".
    QStringList rows(const QString &sql)
    {
        TransactionGuard g(tr);
        FbQuery q(&db, &tr);
        q.setSql(sql);
        QStringList out;
        for (q.open(); !q.eof(); q.next()) {
            QStringList cols;
            for (int i = 0; i < q.fieldCount(); ++i) {
                FbField &f = q.field(i);
                if (f.isNull()) cols << QStringLiteral("<null>");
                else if (f.kind() == DbValue::Kind::Timestamp)
                    cols << f.asDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                else cols << f.asString();
            }
            out << cols.join(u'|');
        }
        q.close();
        g.commit();
        return out;
    }
    FbDatabase db;
    FbTransaction tr;
};

} // namespace commtest
