#pragma once
// A thin layer over Firebird's C++ interface: databases, transactions,
// statements with named parameters (":NAME"), typed fields, stored procedures
// and the services manager. Texts cross the boundary as CP932, so callers only
// see QString; file names go as UTF-8, the file system's, whatever the text of
// the database is. A local path opens the file with the embedded engine; a name
// of the form "host:path" goes to the Firebird server on that host.
#include "dbaccess/DbValue.h"
#include "platform/Error.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
} // namespace Firebird

namespace fbown {
// How a holder lets go of its object: reference-counted objects are
// released, disposable ones (status objects, parameter-block builders) disposed.
struct Release {
    template <typename T>
    static void drop(T *p) { p->release(); }
};
struct Dispose {
    template <typename T>
    static void drop(T *p) { p->dispose(); }
};
} // namespace fbown

// Owns one Firebird interface object and lets go of it on reset() and when it
// goes out of scope, by a return or by an exception alike.
//
// Ending an object (closing a cursor or a blob, freeing a statement,
// committing or rolling back a transaction, detaching or dropping a database
// or a service) releases it too when the call succeeds. end() runs such a call
// and gives up the pointer only after it returned; when it throws, the object
// is still held and is released with the holder.
template <typename T, typename Drop = fbown::Release>
class FbOwned
{
public:
    FbOwned() noexcept = default;
    explicit FbOwned(T *p) noexcept : m_p(p) {}
    ~FbOwned() { reset(); }
    FbOwned(const FbOwned &) = delete;
    FbOwned &operator=(const FbOwned &) = delete;
    FbOwned(FbOwned &&other) noexcept : m_p(other.take()) {}
    FbOwned &operator=(FbOwned &&other) noexcept
    {
        if (this != &other) reset(other.take());
        return *this;
    }

    T *get() const noexcept { return m_p; }
    T *operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Lets go of the object held (if any) and holds p instead.
    void reset(T *p = nullptr)
    {
        T *old = std::exchange(m_p, p);
        if (old) Drop::drop(old);
    }
    // Hands the object over to the caller, who owns it from now on.
    [[nodiscard]] T *take() noexcept { return std::exchange(m_p, nullptr); }

    // Runs endCall(object), a call that releases the object when it succeeds.
    template <typename End>
    void end(End &&endCall)
    {
        if (!m_p) return;
        std::forward<End>(endCall)(m_p);
        m_p = nullptr;
    }

private:
    T *m_p = nullptr;
};

template <typename T>
using FbRef = FbOwned<T, fbown::Release>;
template <typename T>
using FbDisposable = FbOwned<T, fbown::Dispose>;

// A database error with Firebird's status code (e.g. 335544345) and SQL code.
class FbError : public platform::Error
{
public:
    FbError(const QString &message, long errorCode, int sqlCode)
        : platform::Error(message), m_errorCode(errorCode), m_sqlCode(sqlCode) {}
    long errorCode() const { return m_errorCode; }
    int sqlCode() const { return m_sqlCode; }

private:
    long m_errorCode;
    int m_sqlCode;
};

class FbTransaction;
class FbQuery;

namespace fbtext {
// Whether the character set of the databases (SJIS_0208) holds every character
// of the text. It holds what CP932 has but the user-defined rows and the IBM
// extensions (髙, 﨑, ⅰ, ￤: CP932 F040 to FC4B), which the engine cannot
// transliterate; the NEC special characters (①, Ⅰ, ㈱, ㍻) it holds. A text
// it does not hold is refused before it is sent, naming the parameter.
bool fitsDatabaseCharset(QStringView text);
// Whether the engine can also take the text to Unicode and back, as UPPER,
// TRIM, SUBSTRING and an index on UPPER(...) do: it fits the character set and
// has no NEC special character, which SJIS_0208 reads but cannot write back.
bool convertsThroughUnicode(QStringView text);
} // namespace fbtext

// Splits "host:path" into host and path; empty host for a local path.
void SplitDatabaseName(const QString &name, QString &host, QString &path);

class FbDatabase
{
public:
    FbDatabase();
    ~FbDatabase();
    FbDatabase(const FbDatabase &) = delete;
    FbDatabase &operator=(const FbDatabase &) = delete;

    QString DatabaseName;      // "/path/file.fdb" or "host:/path/file.fdb"
    QStringList Params;        // "user_name=...", "password=...", "lc_ctype=..."
    int SQLDialect = 3;
    FbTransaction *DefaultTransaction = nullptr;

    void open();
    // Ends every transaction of this database (rolling back open work) and detaches.
    void close();
    bool connected() const { return bool(m_attachment); }
    // Drops the connected database (the connection ends with it).
    void dropDatabase();

    // Creates a new database file with the given character set (dialect 3).
    static void createDatabase(const QString &name, const QString &user, const QString &password,
                               const QString &charset = QStringLiteral("SJIS_0208"), int pageSize = 8192);

    // How many user attachments other than this one the database has now.
    int otherAttachments();

    QString paramValue(const QString &name) const;
    Firebird::IAttachment *attachment() const { return m_attachment.get(); }

private:
    friend class FbTransaction;
    friend class FbQuery;
    FbRef<Firebird::IAttachment> m_attachment;
    std::set<FbTransaction *> m_transactions;
    std::set<FbQuery *> m_queries;
};

class FbTransaction
{
public:
    explicit FbTransaction(FbDatabase *db = nullptr, const QStringList &params = {});
    ~FbTransaction();
    FbTransaction(const FbTransaction &) = delete;
    FbTransaction &operator=(const FbTransaction &) = delete;

    void setDatabase(FbDatabase *db);
    FbDatabase *database() const { return m_db; }
    // Further databases the transaction spans: started with them, it is one
    // distributed transaction that commits on all (two-phase) or on none.
    // Closing any of its databases rolls it back.
    void addDatabase(FbDatabase *db);
    void removeDatabase(FbDatabase *db);
    const std::vector<FbDatabase *> &otherDatabases() const { return m_others; }
    // "read_committed", "rec_version", "nowait", "concurrency", "consistency", "write", "read", "wait".
    QStringList Params;

    void startTransaction();
    void commit();
    void commitRetaining();
    void rollback();
    void rollbackRetaining();
    bool inTransaction() const { return bool(m_handle); }
    Firebird::ITransaction *handle() const { return m_handle.get(); }

private:
    friend class FbQuery;
    friend class FbDatabase;
    void endQueries();
    void forget(FbDatabase *db); // the database went away
    std::vector<unsigned char> tpb() const;

    FbDatabase *m_db = nullptr;
    std::vector<FbDatabase *> m_others;
    FbRef<Firebird::ITransaction> m_handle;
    std::set<FbQuery *> m_openQueries;
};

// The one transaction guard, for the rule "start a transaction only when none
// is active, end only what you started". On leaving its scope it rolls back
// what it started (the default) or, where the work is kept on the failure
// path too, commits it ("commit always"); commit() ends it early.
class TransactionGuard
{
public:
    enum class Exit { Rollback, Commit };
    explicit TransactionGuard(FbTransaction &tr, Exit onExit = Exit::Rollback);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard &) = delete;
    TransactionGuard &operator=(const TransactionGuard &) = delete;

    bool startedHere() const { return m_started; }
    void commit();   // commits only when started here
    void rollback(); // rolls back only when started here
    // Commits what it started; a caller's transaction is committed but kept
    // open (the writes are kept at once, the caller goes on in it).
    void commitOrRetain();

private:
    FbTransaction &m_tr;
    Exit m_exit;
    bool m_started = false;
};

class FbParam : public DbValue
{
public:
    QString name;
    std::vector<int> positions;
    using DbValue::operator=;
};

// A column of the current row. Its value is read from the row's message when
// it is asked for, not when the row is fetched: a row of sixty columns of
// which a caller reads ten decodes ten. A value read stays until the next row.
class FbField
{
public:
    QString name;
    int sqlType = 0;
    int subType = 0;
    int scale = 0;

    DbValue::Kind kind() const { return value().kind(); }
    bool isNull() const;

    QString asString() const;
    qint64 asInt64() const;
    int asInteger() const { return int(asInt64()); }
    Currency asCurrency() const;
    double asFloat() const { return value().asFloat(); }
    QDate asDate() const;
    QDateTime asDateTime() const { return value().asDateTime(); }
    QTime asTime() const { return value().asTime(); }
    bool asBoolean() const { return asInt64() != 0; }
    QByteArray asBytes() const { return value().asBytes(); }
    QVariant asVariant() const { return value().asVariant(); }

private:
    friend class FbQuery;
    // The value as a DbValue, decoded on first use in this row.
    const DbValue &value() const;
    void decode() const;
    const unsigned char *data() const;
    QString rowText() const; // a CHAR (without its padding) or VARCHAR of the row
    // The text of a CHAR, VARCHAR or text blob column, decoded from the
    // connection's CP932; OCTETS columns are bytes, not text.
    bool octets() const { return m_charset == 1; }

    const FbQuery *m_query = nullptr; // whose row buffer it reads
    unsigned m_offset = 0, m_nullOffset = 0, m_length = 0;
    unsigned m_charset = 0;
    mutable bool m_decoded = false;
    mutable DbValue m_value;
};

// A statement with named parameters; a select is read row by row.
class FbQuery
{
public:
    FbQuery(FbDatabase *db = nullptr, FbTransaction *tr = nullptr);
    ~FbQuery();
    FbQuery(const FbQuery &) = delete;
    FbQuery &operator=(const FbQuery &) = delete;

    FbDatabase *Database = nullptr;
    FbTransaction *Transaction = nullptr; // null: the database's default transaction
    bool ParamCheck = true;               // false: ":NAME" is passed through unparsed

    void setSql(const QString &text);
    void setSql(const QStringList &lines);
    QString sql() const { return m_sql; }

    void prepare();
    bool prepared() const { return bool(m_stmt); }
    void unprepare();

    FbParam &paramByName(const QString &name);
    int paramCount() const { return int(m_params.size()); }
    FbParam &param(int i) { return m_params[size_t(i)]; }

    // Runs the statement; a select opens its cursor on the first row.
    void open();
    void execSQL();
    void execQuery() { open(); }
    bool eof() const { return m_eof; }
    bool active() const { return bool(m_cursor) || m_singleRow; }
    void next();
    void close();

    int fieldCount() const { return int(m_fields.size()); }
    FbField &field(int i) { return m_fields[size_t(i)]; }
    FbField &fieldByName(const QString &name);
    FbField *findField(const QString &name);
    // The position of a field by name (any case), -1 when there is none: for
    // loops that look their columns up once and read them by position.
    int fieldIndex(const QString &name) const;
    int rowsAffected() const { return m_rowsAffected; }

private:
    friend class FbTransaction;
    friend class FbDatabase;
    friend class FbField;
    FbTransaction *transaction() const;
    void parseParams();
    void fetch();
    void releaseCursor();

    QString m_sql;
    QString m_positionalSql;
    std::vector<FbParam> m_params;
    std::vector<FbField> m_fields;
    int m_positionCount = 0;
    FbRef<Firebird::IStatement> m_stmt;
    FbDatabase *m_preparedOn = nullptr;
    FbRef<Firebird::IResultSet> m_cursor;
    FbRef<Firebird::IMessageMetadata> m_outMeta;
    std::vector<unsigned char> m_outBuf;
    // Exact names to positions, built with the fields; other spellings are
    // looked for without regard to case.
    QHash<QString, int> m_fieldIndex;
    FbTransaction *m_cursorTr = nullptr;
    bool m_eof = true;
    bool m_singleRow = false;
    int m_rowsAffected = 0;
};

// Executes a stored procedure by name: its input parameters by name, its
// outputs as fields.
class FbStoredProc
{
public:
    FbStoredProc(FbDatabase *db = nullptr, FbTransaction *tr = nullptr);
    QString StoredProcName;
    void prepare();
    FbParam &paramByName(const QString &name);
    void execProc();
    FbField &fieldByName(const QString &name) { return m_query.fieldByName(name); }
    FbQuery &query() { return m_query; }

private:
    FbQuery m_query;
    QString m_preparedFor;
};

// Runs a script of statements separated by ";" (or the terminator of SET TERM),
// each in its own committed transaction. "--" and "/* */" comments are skipped;
// SET NAMES, SET SQL DIALECT and SET AUTODDL are ignored; COMMIT is implied.
void ExecuteSqlScript(FbDatabase &db, const QString &script);
QStringList SplitSqlScript(const QString &script);

// The services manager of a server ("host") or of the embedded engine (empty host).
class FbServices
{
public:
    FbServices(const QString &host, const QString &user, const QString &password);
    ~FbServices();

    using LineHandler = std::function<void(const QString &line)>;
    struct BackupOptions {
        bool ignoreLimbo = false;
        bool noGarbageCollect = false;
        bool nonTransportable = false;
    };
    struct RestoreOptions {
        bool replace = false;           // false: the database must not exist yet
        bool deactivateIndexes = false;
        int pageBuffers = 0;            // 0: the engine's default
        int pageSize = 0;               // 0: the page size of the backup
    };
    void backup(const QString &database, const QString &backupFile, const LineHandler &onLine = {});
    void backup(const QString &database, const QString &backupFile, const BackupOptions &options, const LineHandler &onLine);
    void restore(const QString &backupFile, const QString &database, bool replace, const LineHandler &onLine = {});
    void restore(const QString &backupFile, const QString &database, const RestoreOptions &options, const LineHandler &onLine);
    // Validation; returns the engine's report lines.
    QStringList validate(const QString &database);
    // Full validation that does not stop at checksums and repairs nothing.
    QStringList validateFull(const QString &database);

    struct DbInfo {
        int attachments = 0;
        QStringList databases;
    };
    DbInfo databaseInfo();

private:
    // admin: the embedded engine's server-wide information needs the administrator.
    void attach(bool admin = false);
    void detach();
    void runAction(const std::vector<unsigned char> &spb, const LineHandler &onLine);

    QString m_host, m_user, m_password;
    struct Impl;
    std::unique_ptr<Impl> d;
};
