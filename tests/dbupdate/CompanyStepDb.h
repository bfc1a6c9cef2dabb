#pragma once
// Company databases for the tests of the company upgrade steps: the base
// schema of version 0.1.0 from the resources, a connection of its own for
// reading and writing, and the registered steps run on it through the
// Firebird SQL tool.
#include "support/TestEnv.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <stdexcept>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace stepdb {

inline QStringList connectionParams()
{
    return {QStringLiteral("user_name=DORVEL"), QStringLiteral("password=zoltup"), QStringLiteral("lc_ctype=SJIS_0208")};
}

using Rows = QList<QStringList>;

// A database of its own for reading and writing, closed again when it goes out
// of scope, so that the SQL tool can open the file afterwards. Null reads as
// "<null>".
class Db
{
public:
    explicit Db(const QString &folder)
    {
        db.DatabaseName = folder + QStringLiteral("/vqacc.fdb");
        db.Params = connectionParams();
        db.open();
        tr.setDatabase(&db);
    }
    ~Db() { db.close(); }
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    Rows rows(const QString &sql, const QList<QPair<QString, QString>> &params = {})
    {
        TransactionGuard g(tr);
        FbQuery q(&db, &tr);
        q.setSql(sql);
        for (const auto &p : params) q.paramByName(p.first).setString(p.second);
        Rows out;
        for (q.open(); !q.eof(); q.next()) {
            QStringList row;
            for (int i = 0; i < q.fieldCount(); ++i) row << (q.field(i).isNull() ? QStringLiteral("<null>") : q.field(i).asString());
            out << row;
        }
        q.close();
        g.commit();
        return out;
    }
    QString scalar(const QString &sql) { return rows(sql).value(0).value(0); }
    int count(const QString &table, const QString &where = QStringLiteral("1 = 1"))
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where)).toInt();
    }
    void exec(const QString &sql)
    {
        TransactionGuard g(tr);
        FbQuery q(&db, &tr);
        q.setSql(sql);
        q.execSQL();
        g.commit();
    }
    void exec(const QStringList &statements)
    {
        for (const QString &s : statements) exec(s);
    }
    // The user objects of a kind ("RDB$PROCEDURES", "RDB$RELATIONS" ...) whose names start with a prefix.
    QStringList names(const QString &sql)
    {
        QStringList out;
        for (const QStringList &r : rows(sql)) out << r.value(0);
        return out;
    }

    FbDatabase db;
    FbTransaction tr{nullptr, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")}};
};

inline QString baseScript()
{
    QFile f(QStringLiteral(PROJECT_RESOURCES_DIR "/sql/company_0_1_0.sql"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Held while it lives: an exclusive lock of a file, freed by the system when
// the process ends, however it ends.
class FileLock
{
public:
    explicit FileLock(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) throw std::runtime_error("cannot open the lock file " + path.toStdString());
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                throw std::runtime_error("cannot lock " + path.toStdString());
            }
        }
    }
    ~FileLock() { ::close(m_fd); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    int m_fd = -1;
};

// The base made once from the current script in the build tree and shared by
// the test processes (the first one makes it while the others wait).
inline QString baseTemplate()
{
    const QString script = baseScript();
    const QString key = QString::fromLatin1(QCryptographicHash::hash(script.toUtf8(), QCryptographicHash::Sha256).toHex().left(24));
    const QString folder = QStringLiteral(STEPDB_CACHE_DIR);
    const QString path = folder + QStringLiteral("/company010-") + key + QStringLiteral(".fdb");
    if (QFileInfo::exists(path)) return path;
    QDir().mkpath(folder);
    FileLock lock(folder + QStringLiteral("/company010.lock"));
    if (QFileInfo::exists(path)) return path;
    for (const QFileInfo &old : QDir(folder).entryInfoList({QStringLiteral("company010-*")}, QDir::Files))
        QFile::remove(old.filePath());
    const QString making = path + QStringLiteral(".making");
    FbDatabase::createDatabase(making, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
    {
        FbDatabase db;
        db.DatabaseName = making;
        db.Params = connectionParams();
        db.open();
        ExecuteSqlScript(db, script);
        db.close();
    }
    if (!QFile::rename(making, path)) throw std::runtime_error("cannot rename " + making.toStdString());
    return path;
}

// A company database of version 0.1.0 in the folder, with extra statements run on it.
inline void makeBase(const QString &folder, const QStringList &extra = {})
{
    const QString path = folder + QStringLiteral("/vqacc.fdb");
    QFile::remove(path);
    if (!QFile::copy(baseTemplate(), path)) throw std::runtime_error("cannot copy the base to " + path.toStdString());
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                    QFileDevice::WriteGroup);
    if (extra.isEmpty()) return;
    FbDatabase db;
    db.DatabaseName = path;
    db.Params = connectionParams();
    db.open();
    for (const QString &sql : extra) ExecuteSqlScript(db, sql);
    db.close();
}

inline QString versionText(const TDbUpdateListRec &r)
{
    return QStringLiteral("%1.%2.%3").arg(r.Major).arg(r.Minor1).arg(r.Minor2);
}

// Runs one step through the SQL tool; a failure carries the tool's output.
inline ::testing::AssertionResult runStep(TDbUpdateProc step)
{
    const int rc = step();
    const QString out = LastIsqlOutput().join(u'\n');
    if (rc != DbUpdateDone) return ::testing::AssertionFailure() << "result " << rc << "\n" << out.toStdString();
    if (out.isEmpty() || out.contains(QStringLiteral("Error")) || out.contains(QStringLiteral("failed")))
        return ::testing::AssertionFailure() << out.toStdString();
    return ::testing::AssertionSuccess();
}

inline TDbVersionRec version(const QString &text)
{
    const QStringList f = text.split(u'.');
    return {f.value(0).toInt(), f.value(1).toInt(), f.value(2).toInt()};
}

// Runs the registered company steps newer than `from` up to and including `to`, in order.
inline ::testing::AssertionResult runSteps(const QString &from, const QString &to)
{
    int ran = 0;
    for (const TDbUpdateListRec &r : UserDbUpdateSteps()) {
        const TDbVersionRec v{r.Major, r.Minor1, r.Minor2};
        if (v <= version(from) || v > version(to)) continue;
        const auto result = runStep(r.UpdateProc);
        if (!result) return ::testing::AssertionFailure() << "step " << versionText(r).toStdString() << ": " << result.message();
        ++ran;
    }
    if (ran == 0) return ::testing::AssertionFailure() << "no step after " << from.toStdString();
    return ::testing::AssertionSuccess();
}

// A company database of version 0.1.0 in a folder of the sandbox, with the
// frame values of the steps pointing at it.
class CompanyStepTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
        dir = testenv::freshDir(QStringLiteral("company010"));
        makeBase(dir, baseExtra());
        SystemDef.DataDir = dir;
        SystemDef.HostName.clear();
        SystemDef.SqlDir = QStringLiteral(PROJECT_RESOURCES_DIR "/sqlsteps");
        SystemDef.OpCode = 10001;
    }
    // Statements run on the base before any step.
    virtual QStringList baseExtra() const { return {}; }

    QString dir;
};

} // namespace stepdb
