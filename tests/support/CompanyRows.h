#pragma once
// Rows of a company database for tests and benchmarks of whole-database work:
// fixed assets and journal rows with Japanese texts (NEC special characters
// among them), and a digest that tells whether two databases hold the same.
#include "dbaccess/FbClient.h"

#include <QCryptographicHash>
#include <QFile>
#include <QString>

namespace companyrows {

inline QStringList params(const QString &user, const QString &password)
{
    return {QStringLiteral("user_name=") + user, QStringLiteral("password=") + password, QStringLiteral("lc_ctype=SJIS_0208")};
}

// Adds `assets` fixed assets and `journal` journal rows, numbered from `first`.
inline void fill(const QString &database, const QString &user, const QString &password, int assets, int journal, int first = 1)
{
    FbDatabase db;
    db.DatabaseName = database;
    db.Params = params(user, password);
    db.open();
    FbTransaction tr(&db, {QStringLiteral("concurrency"), QStringLiteral("nowait")});
    tr.startTransaction();
    FbQuery a(&db, &tr);
    a.setSql(QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, SYUTOKIN, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
                             "VALUES (:REC, ' ', :KANRI, '1401', :MEISYOU, :KIN, NULL, NULL, NULL, NULL)"));
    for (int i = first; i < first + assets; ++i) {
        a.paramByName(QStringLiteral("REC")).setInteger(i);
        a.paramByName(QStringLiteral("KANRI")).setString(QString::number(i));
        a.paramByName(QStringLiteral("MEISYOU")).setString(QStringLiteral("①号機㈱%1").arg(i));
        a.paramByName(QStringLiteral("KIN")).setString(QStringLiteral("%1.5").arg(i * 1000));
        a.execSQL();
    }
    FbQuery s(&db, &tr);
    s.setSql(QStringLiteral("INSERT INTO SIWAKE (REC, SWKNO, HIZUKE, KINGAKU, TEKTEXT) VALUES (:REC, :NO, '2025-04-01', :KIN, :TEK)"));
    for (int i = first; i < first + journal; ++i) {
        s.paramByName(QStringLiteral("REC")).setInteger(i);
        s.paramByName(QStringLiteral("NO")).setInteger(i);
        s.paramByName(QStringLiteral("KIN")).setString(QString::number(i * 7));
        s.paramByName(QStringLiteral("TEK")).setString(QStringLiteral("摘要～㈱ソルテア①%1").arg(i));
        s.execSQL();
    }
    tr.commit();
    db.close();
}

// Counts and a hash of the rows that fill() writes.
inline QString digest(const QString &database, const QString &user, const QString &password)
{
    FbDatabase db;
    db.DatabaseName = database;
    db.Params = params(user, password);
    db.open();
    FbTransaction tr(&db, {QStringLiteral("concurrency"), QStringLiteral("nowait")});
    tr.startTransaction();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    int rows = 0;
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("SELECT REC, MEISYOU, SYUTOKIN FROM KS_SISAN ORDER BY REC"));
    for (q.open(); !q.eof(); q.next(), ++rows)
        hash.addData((q.field(0).asString() + q.field(1).asString() + q.field(2).asString()).toUtf8());
    q.close();
    q.setSql(QStringLiteral("SELECT REC, KINGAKU, TEKTEXT FROM SIWAKE ORDER BY REC"));
    for (q.open(); !q.eof(); q.next(), ++rows)
        hash.addData((q.field(0).asString() + q.field(1).asString() + q.field(2).asString()).toUtf8());
    q.close();
    tr.commit();
    db.close();
    return QStringLiteral("%1:").arg(rows) + QString::fromLatin1(hash.result().toHex());
}

// Damages a database file on purpose: the headers of every third page from
// the fourth on are overwritten (the page size stands at offset 16 of the
// header page). False when the file could not be changed.
inline bool damagePages(const QString &database)
{
    QFile f(database);
    if (!f.open(QIODevice::ReadWrite)) return false;
    f.seek(16);
    const QByteArray ps = f.read(2);
    const qint64 pageSize = quint8(ps[0]) | (quint8(ps[1]) << 8);
    if (pageSize < 1024) return false;
    for (qint64 page = 4; page * pageSize < f.size(); page += 3) {
        f.seek(page * pageSize);
        f.write(QByteArray(24, '\xa5'));
    }
    return true;
}

} // namespace companyrows
