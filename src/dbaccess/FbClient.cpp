#include "dbaccess/FbClient.h"

#include "platform/Cp932.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QRegularExpression>
#include <QStringConverter>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <langinfo.h>

using namespace Firebird;
using platform::fromCp932;
using platform::toCp932;

namespace {

bool utf8Codeset()
{
    const char *codeset = nl_langinfo(CODESET);
    return qstricmp(codeset, "UTF-8") == 0 || qstricmp(codeset, "utf8") == 0;
}

// The client library takes file names in UTF-8 and hands them to the file
// system in the character type of the C locale, which it reads once, on its
// first use; under the "C" locale it knows ASCII only and refuses every other
// name ("Cannot transliterate"). Our file names are UTF-8 (as Qt's are), so
// before that first use the character type is made UTF-8 where it is not.
bool useUtf8Codeset()
{
    if (utf8Codeset()) return true;
    for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
        if (std::setlocale(LC_CTYPE, name) && utf8Codeset()) return true;
    return false;
}

struct Client {
    bool utf8Names = useUtf8Codeset(); // before the library's first use
    IMaster *master = fb_get_master_interface();
};

const Client &client()
{
    static const Client c;
    return c;
}

IMaster *master()
{
    return client().master;
}

IUtil *util()
{
    return master()->getUtilInterface();
}

// One status object for one call; throws FbException on error.
struct Status {
    FbDisposable<IStatus> raw{master()->getStatus()};
    ThrowStatusWrapper w{raw.get()};
    ThrowStatusWrapper *operator&() { return &w; }
};

// A text of the engine's (a message, a report line): file names in it are
// UTF-8, names and values of the database CP932. Each line is read as UTF-8
// when it is valid UTF-8 (Japanese CP932 text never is), as CP932 otherwise.
QString fromEngineText(const QByteArray &bytes)
{
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(line);
        lines << (utf8.hasError() ? fromCp932(line) : text);
    }
    return lines.join(u'\n');
}

FbError toError(const FbException &e)
{
    const ISC_STATUS *v = e.getStatus()->getErrors();
    long code = (v && v[0] == isc_arg_gds) ? long(v[1]) : 0;
    const int sqlCode = int(isc_sqlcode(v));
    char buf[2048];
    util()->formatStatus(buf, sizeof buf, e.getStatus());
    return FbError(fromEngineText(QByteArray(buf)), code, sqlCode);
}

// Runs f, turning Firebird's exceptions into FbError.
template <typename F>
auto call(F &&f) -> decltype(f())
{
    try {
        return f();
    } catch (const FbException &e) {
        throw toError(e);
    }
}

// True when the CP932 bytes hold nothing from the user-defined rows or the
// IBM extensions (lead bytes F0 to FC), which SJIS_0208 does not have, nor,
// when asked, from the NEC special characters (lead byte 87), which it reads
// but cannot write back from Unicode.
bool inSjis0208Rows(const QByteArray &bytes, bool necRow = true)
{
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = uchar(bytes[i]);
        if (c < 0x81 || (c >= 0xA0 && c <= 0xDF) || c > 0xFC) continue; // one byte
        if (c >= 0xF0 || (c == 0x87 && !necRow)) return false;
        ++i; // the second byte of a double-byte character
    }
    return true;
}

// How many UTF-16 units the character at i takes.
qsizetype charWidth(QStringView text, qsizetype i)
{
    return (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
}

bool storable(QStringView character, bool strict)
{
    bool ok = true;
    const QByteArray b = toCp932(character, &ok);
    return ok && (!strict || inSjis0208Rows(b));
}

qsizetype firstUnstorableChar(QStringView text, bool strict)
{
    for (qsizetype i = 0; i < text.size(); i += charWidth(text, i))
        if (!storable(text.mid(i, charWidth(text, i)), strict)) return i;
    return -1;
}

// The connection's form of a text: its CP932 bytes. A character that cannot
// be stored is refused before anything is sent, naming where it was found
// (the parameter, or the statement, which is shown too) and the character.
// strict: the text goes to the database character set (every text but that
// of a NONE or OCTETS parameter), which holds less than CP932.
QByteArray encodeText(const QString &text, const QString &where, bool strict = true, bool showText = false)
{
    bool ok = true;
    QByteArray b = toCp932(text, &ok);
    if (ok && (!strict || inSjis0208Rows(b))) return b;
    const qsizetype at = std::max<qsizetype>(0, firstUnstorableChar(text, strict));
    const QString character = text.mid(at, charWidth(text, at));
    const QString code = QString::number(character.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0');
    QString message = QStringLiteral("データベースに保存できない文字が含まれています。: %1 の「%2」(U+%3)")
                          .arg(where, character, code);
    if (showText) message += u'\n' + text.left(200);
    throw FbError(message, 0, 0);
}

QString paramPlace(const QString &name, unsigned position)
{
    return name.isEmpty() ? QStringLiteral("パラメータ %1").arg(position + 1) : QStringLiteral("項目 %1").arg(name);
}

const QString kStatement = QStringLiteral("SQL文");

// Ends the object where it can. One that cannot be ended (its connection is
// lost) is released all the same: there is nothing left to end it on.
template <typename T, typename End>
void endOrDrop(FbRef<T> &h, End &&end)
{
    try {
        h.end(std::forward<End>(end));
    } catch (const FbException &) {
        h.reset();
    }
}

FbRef<IProvider> dispatcher()
{
    return FbRef<IProvider>(master()->getDispatcher());
}

bool isRemoteName(const QString &name, QString *host = nullptr, QString *path = nullptr)
{
    static const QRegularExpression re(QStringLiteral("^([^/\\\\:]{2,}):(.*)$"));
    const auto m = re.match(name);
    if (!m.hasMatch()) return false;
    if (host) *host = m.captured(1);
    if (path) *path = m.captured(2);
    return true;
}

// The form a file name (a path, "host:path" or "host:service_mgr") goes to
// the engine in: UTF-8, the file system's, and the parameter block says so
// (isc_dpb_utf8_filename, isc_spb_utf8_filename): every string in the block
// is then UTF-8. A name that UTF-8 cannot carry (a NUL, half a surrogate
// pair), or one beyond ASCII where the client library cannot take UTF-8, is
// refused with the name rather than sent changed.
QByteArray fileNameBytes(const QString &name)
{
    QStringEncoder utf8(QStringEncoder::Utf8);
    const QByteArray bytes = utf8(name);
    if (utf8.hasError() || bytes.contains('\0'))
        throw FbError(QStringLiteral("データベースのファイル名に使用できない文字が含まれています。: %1").arg(name), 0, 0);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    if (!ascii && !client().utf8Names)
        throw FbError(QStringLiteral("この環境ではデータベースのファイル名に英数字以外の文字を使用できません。: %1").arg(name),
                      0, 0);
    return bytes;
}

std::vector<unsigned char> bufferOf(IXpbBuilder *b, ThrowStatusWrapper *st)
{
    const unsigned char *p = b->getBuffer(st);
    return std::vector<unsigned char>(p, p + b->getBufferLength(st));
}

// The DPB of a connection from "name=value" parameters; its strings are UTF-8
// (see fileNameBytes).
std::vector<unsigned char> makeDpb(const QStringList &params, int dialect, bool remote)
{
    Status st;
    FbDisposable<IXpbBuilder> dpb(util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
    dpb->insertTag(&st, isc_dpb_utf8_filename);
    for (const QString &p : params) {
        const int eq = int(p.indexOf(u'='));
        const QString name = (eq < 0 ? p : p.left(eq)).trimmed().toLower();
        const QByteArray value = (eq < 0 ? QString() : p.mid(eq + 1)).toUtf8();
        if (name == u"user_name") dpb->insertString(&st, isc_dpb_user_name, value.constData());
        else if (name == u"password") dpb->insertString(&st, isc_dpb_password, value.constData());
        else if (name == u"lc_ctype") dpb->insertString(&st, isc_dpb_lc_ctype, value.constData());
        else if (name == u"role_name") dpb->insertString(&st, isc_dpb_sql_role_name, value.constData());
    }
    dpb->insertInt(&st, isc_dpb_sql_dialect, dialect);
    // A local path never silently goes over the network, and a host never opens a file here.
    dpb->insertString(&st, isc_dpb_config, remote ? "Providers=Remote" : "Providers=Engine12");
    return bufferOf(dpb.get(), &st);
}

QString paramOf(const QStringList &params, const QString &name)
{
    for (const QString &p : params) {
        const int eq = int(p.indexOf(u'='));
        if (eq > 0 && p.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0) return p.mid(eq + 1);
    }
    return QString();
}

} // namespace

bool fbtext::fitsDatabaseCharset(QStringView text)
{
    bool ok = true;
    return inSjis0208Rows(toCp932(text, &ok)) && ok;
}

bool fbtext::convertsThroughUnicode(QStringView text)
{
    bool ok = true;
    return inSjis0208Rows(toCp932(text, &ok), false) && ok;
}

void SplitDatabaseName(const QString &name, QString &host, QString &path)
{
    if (!isRemoteName(name, &host, &path)) {
        host.clear();
        path = name;
    }
}

// ---------------------------------------------------------------- database

FbDatabase::FbDatabase() = default;

FbDatabase::~FbDatabase()
{
    try {
        close();
    } catch (...) {
    }
    const auto transactions = m_transactions;
    for (FbTransaction *t : transactions) t->forget(this);
}

QString FbDatabase::paramValue(const QString &name) const
{
    return paramOf(Params, name);
}

void FbDatabase::open()
{
    if (m_attachment) return;
    const bool remote = isRemoteName(DatabaseName);
    const QByteArray name = fileNameBytes(DatabaseName);
    call([&] {
        const auto dpb = makeDpb(Params, SQLDialect, remote);
        Status st;
        m_attachment.reset(dispatcher()->attachDatabase(&st, name.constData(), unsigned(dpb.size()), dpb.data()));
    });
}

void FbDatabase::close()
{
    // Statements do not outlive their connection.
    const auto queries = m_queries;
    for (FbQuery *q : queries) q->unprepare();
    for (FbTransaction *t : m_transactions) {
        if (t->inTransaction()) {
            try {
                t->rollback();
            } catch (...) {
            }
        }
    }
    endOrDrop(m_attachment, [](IAttachment *a) {
        Status st;
        a->detach(&st);
    });
}

void FbDatabase::dropDatabase()
{
    if (!m_attachment) throw FbError(QStringLiteral("データベースに接続していません。"), 0, 0);
    const auto queries = m_queries;
    for (FbQuery *q : queries) q->unprepare();
    for (FbTransaction *t : m_transactions)
        if (t->inTransaction()) t->rollback();
    call([&] {
        m_attachment.end([](IAttachment *a) {
            Status st;
            a->dropDatabase(&st); // on failure the database stays connected
        });
    });
}

void FbDatabase::createDatabase(const QString &name, const QString &user, const QString &password,
                                const QString &charset, int pageSize)
{
    const bool remote = isRemoteName(name);
    const QByteArray file = fileNameBytes(name);
    call([&] {
        Status st;
        FbDisposable<IXpbBuilder> dpb(util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
        dpb->insertTag(&st, isc_dpb_utf8_filename);
        dpb->insertString(&st, isc_dpb_user_name, user.toUtf8().constData());
        dpb->insertString(&st, isc_dpb_password, password.toUtf8().constData());
        // A server lets its administrators create databases through the admin
        // role; for anyone else the role is nothing.
        if (remote) dpb->insertString(&st, isc_dpb_sql_role_name, "RDB$ADMIN");
        dpb->insertString(&st, isc_dpb_lc_ctype, charset.toUtf8().constData());
        dpb->insertString(&st, isc_dpb_set_db_charset, charset.toUtf8().constData());
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
        dpb->insertInt(&st, isc_dpb_page_size, pageSize);
        dpb->insertString(&st, isc_dpb_config, remote ? "Providers=Remote" : "Providers=Engine12");
        const auto buf = bufferOf(dpb.get(), &st);
        FbRef<IAttachment> a(dispatcher()->createDatabase(&st, file.constData(), unsigned(buf.size()), buf.data()));
        a.end([&](IAttachment *att) { att->detach(&st); });
    });
}

int FbDatabase::otherAttachments()
{
    FbTransaction tr(this, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait"),
                            QStringLiteral("read")});
    tr.startTransaction();
    FbQuery q(this, &tr);
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM MON$ATTACHMENTS "
                            "WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0"));
    q.open();
    const int n = q.field(0).asInteger();
    q.close();
    tr.commit();
    return n;
}

// ---------------------------------------------------------------- transaction

FbTransaction::FbTransaction(FbDatabase *db, const QStringList &params) : Params(params)
{
    setDatabase(db);
}

FbTransaction::~FbTransaction()
{
    if (m_handle) {
        try {
            rollback();
        } catch (...) {
        }
    }
    if (m_db) m_db->m_transactions.erase(this);
    for (FbDatabase *db : m_others) db->m_transactions.erase(this);
}

void FbTransaction::setDatabase(FbDatabase *db)
{
    if (m_db && std::find(m_others.begin(), m_others.end(), m_db) == m_others.end())
        m_db->m_transactions.erase(this);
    m_db = db;
    if (m_db) m_db->m_transactions.insert(this);
}

void FbTransaction::addDatabase(FbDatabase *db)
{
    if (!db || db == m_db || std::find(m_others.begin(), m_others.end(), db) != m_others.end()) return;
    if (m_handle) throw FbError(QStringLiteral("トランザクションは既に開始されています。"), 0, 0);
    m_others.push_back(db);
    db->m_transactions.insert(this);
}

void FbTransaction::removeDatabase(FbDatabase *db)
{
    const auto it = std::find(m_others.begin(), m_others.end(), db);
    if (it == m_others.end()) return;
    if (m_handle) throw FbError(QStringLiteral("トランザクションは既に開始されています。"), 0, 0);
    m_others.erase(it);
    if (db != m_db) db->m_transactions.erase(this);
}

void FbTransaction::forget(FbDatabase *db)
{
    if (db == m_db) m_db = nullptr;
    m_others.erase(std::remove(m_others.begin(), m_others.end(), db), m_others.end());
    m_handle.reset();
}

void FbTransaction::startTransaction()
{
    if (m_handle) throw FbError(QStringLiteral("トランザクションは既に開始されています。"), 0, 0);
    if (!m_db || !m_db->connected()) throw FbError(QStringLiteral("データベースに接続していません。"), 0, 0);
    for (FbDatabase *db : m_others)
        if (!db->connected()) throw FbError(QStringLiteral("データベースに接続していません。"), 0, 0);
    const std::vector<unsigned char> params = tpb();
    if (m_others.empty()) {
        call([&] {
            Status st;
            m_handle.reset(m_db->attachment()->startTransaction(&st, unsigned(params.size()), params.data()));
        });
        return;
    }
    // One transaction over several attachments: the distributed transaction
    // coordinator of the client library starts a part on each and commits
    // them in two phases.
    call([&] {
        Status st;
        IDtcStart *start = master()->getDtc()->startBuilder(&st);
        try {
            start->addWithTpb(&st, m_db->attachment(), unsigned(params.size()), params.data());
            for (FbDatabase *db : m_others)
                if (db != m_db) start->addWithTpb(&st, db->attachment(), unsigned(params.size()), params.data());
            m_handle.reset(start->start(&st)); // the builder disposes itself when it succeeds
        } catch (...) {
            start->dispose();
            throw;
        }
    });
}

std::vector<unsigned char> FbTransaction::tpb() const
{
    std::vector<unsigned char> tpb{isc_tpb_version3};
    bool access = false, isolation = false, lock = false;
    for (const QString &p : Params) {
        const QString n = p.trimmed().toLower();
        if (n == u"read_committed") { tpb.push_back(isc_tpb_read_committed); isolation = true; }
        else if (n == u"rec_version") tpb.push_back(isc_tpb_rec_version);
        else if (n == u"no_rec_version") tpb.push_back(isc_tpb_no_rec_version);
        else if (n == u"concurrency") { tpb.push_back(isc_tpb_concurrency); isolation = true; }
        else if (n == u"consistency") { tpb.push_back(isc_tpb_consistency); isolation = true; }
        else if (n == u"nowait") { tpb.push_back(isc_tpb_nowait); lock = true; }
        else if (n == u"wait") { tpb.push_back(isc_tpb_wait); lock = true; }
        else if (n == u"write") { tpb.push_back(isc_tpb_write); access = true; }
        else if (n == u"read") { tpb.push_back(isc_tpb_read); access = true; }
        else if (n == u"protected") tpb.push_back(isc_tpb_protected);
        else if (n == u"shared") tpb.push_back(isc_tpb_shared);
        else if (n == u"exclusive") tpb.push_back(isc_tpb_exclusive);
        else if (n.startsWith(u"lock_write=") || n.startsWith(u"lock_read=")) {
            // table reservation: the tag, the name's length, the name
            const QByteArray table = toCp932(p.trimmed().section(u'=', 1).trimmed().toUpper());
            tpb.push_back(n.startsWith(u"lock_write=") ? isc_tpb_lock_write : isc_tpb_lock_read);
            tpb.push_back((unsigned char)table.size());
            tpb.insert(tpb.end(), table.begin(), table.end());
        }
    }
    if (!isolation) tpb.push_back(isc_tpb_concurrency);
    if (!lock) tpb.push_back(isc_tpb_wait);
    if (!access) tpb.push_back(isc_tpb_write);
    return tpb;
}

void FbTransaction::endQueries()
{
    const auto queries = m_openQueries;
    for (FbQuery *q : queries) q->releaseCursor();
    m_openQueries.clear();
}

void FbTransaction::commit()
{
    if (!m_handle) return;
    endQueries();
    call([&] {
        m_handle.end([](ITransaction *t) {
            Status st;
            t->commit(&st); // on failure the transaction stays open
        });
    });
}

void FbTransaction::commitRetaining()
{
    if (!m_handle) return;
    call([&] {
        Status st;
        m_handle->commitRetaining(&st);
    });
}

void FbTransaction::rollback()
{
    if (!m_handle) return;
    endQueries();
    try {
        m_handle.end([](ITransaction *t) {
            Status st;
            t->rollback(&st);
        });
    } catch (const FbException &e) {
        m_handle.reset(); // counts as ended all the same: the handle is let go
        throw toError(e);
    }
}

void FbTransaction::rollbackRetaining()
{
    if (!m_handle) return;
    call([&] {
        Status st;
        m_handle->rollbackRetaining(&st);
    });
}

TransactionGuard::TransactionGuard(FbTransaction &tr, Exit onExit) : m_tr(tr), m_exit(onExit)
{
    if (!m_tr.inTransaction()) {
        m_tr.startTransaction();
        m_started = true;
    }
}

TransactionGuard::~TransactionGuard()
{
    if (!m_started || !m_tr.inTransaction()) return;
    try {
        if (m_exit == Exit::Commit) m_tr.commit();
        else m_tr.rollback();
    } catch (...) {
        // Nothing can be reported from here; the operation has reported its own failure.
    }
}

void TransactionGuard::commit()
{
    if (m_started && m_tr.inTransaction()) m_tr.commit();
}

void TransactionGuard::rollback()
{
    if (m_started && m_tr.inTransaction()) m_tr.rollback();
}

void TransactionGuard::commitOrRetain()
{
    if (m_started) commit();
    else if (m_tr.inTransaction()) m_tr.commitRetaining();
}

// ---------------------------------------------------------------- query

FbQuery::FbQuery(FbDatabase *db, FbTransaction *tr) : Database(db), Transaction(tr) {}

FbQuery::~FbQuery()
{
    try {
        unprepare();
    } catch (...) {
    }
}

FbTransaction *FbQuery::transaction() const
{
    FbTransaction *t = Transaction ? Transaction : (Database ? Database->DefaultTransaction : nullptr);
    if (!t) throw FbError(QStringLiteral("トランザクションが指定されていません。"), 0, 0);
    return t;
}

void FbQuery::setSql(const QString &text)
{
    unprepare();
    m_sql = text;
    m_params.clear();
}

void FbQuery::setSql(const QStringList &lines)
{
    setSql(lines.join(u'\n'));
}

void FbQuery::parseParams()
{
    // ":NAME" outside quotes and comments becomes "?", remembering its position.
    m_positionalSql.clear();
    m_positionCount = 0;
    std::vector<FbParam> previous;
    previous.swap(m_params);
    const QString &s = m_sql;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = s.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            m_positionalSql += s.mid(i, stop - i);
            i = stop;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            const qsizetype end = s.indexOf(u'\n', i);
            const qsizetype stop = end < 0 ? n : end;
            m_positionalSql += s.mid(i, stop - i);
            i = stop;
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype end = s.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            m_positionalSql += s.mid(i, stop - i);
            i = stop;
        } else if (ParamCheck && c == u':' && i + 1 < n && (s[i + 1].isLetter() || s[i + 1] == u'_')) {
            qsizetype j = i + 1;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == u'_' || s[j] == u'$')) ++j;
            const QString name = s.mid(i + 1, j - i - 1);
            FbParam *p = nullptr;
            for (FbParam &q : m_params)
                if (q.name.compare(name, Qt::CaseInsensitive) == 0) p = &q;
            if (!p) {
                m_params.emplace_back();
                p = &m_params.back();
                p->name = name;
                for (const FbParam &old : previous)
                    if (old.name.compare(name, Qt::CaseInsensitive) == 0) static_cast<DbValue &>(*p) = old;
            }
            p->positions.push_back(m_positionCount++);
            m_positionalSql += u'?';
            i = j;
        } else {
            m_positionalSql += c;
            ++i;
        }
    }
}

FbParam &FbQuery::paramByName(const QString &name)
{
    if (m_params.empty() || !m_positionalSql.size()) parseParams();
    for (FbParam &p : m_params)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return p;
    throw FbError(QStringLiteral("パラメータ %1 がありません。").arg(name), 0, 0);
}

void FbQuery::prepare()
{
    if (m_stmt) return;
    if (!Database || !Database->connected()) throw FbError(QStringLiteral("データベースに接続していません。"), 0, 0);
    FbTransaction *tr = transaction();
    if (!tr->inTransaction()) throw FbError(QStringLiteral("トランザクションが開始されていません。"), 0, 0);
    parseParams();
    const QByteArray text = encodeText(m_positionalSql, kStatement, true, true);
    call([&] {
        Status st;
        m_stmt.reset(Database->attachment()->prepare(&st, tr->handle(), unsigned(text.size()), text.constData(),
                                                     unsigned(Database->SQLDialect),
                                                     IStatement::PREPARE_PREFETCH_METADATA));
    });
    m_preparedOn = Database;
    Database->m_queries.insert(this);
}

void FbQuery::unprepare()
{
    releaseCursor();
    m_outMeta.reset();
    if (m_preparedOn) {
        m_preparedOn->m_queries.erase(this);
        m_preparedOn = nullptr;
    }
    endOrDrop(m_stmt, [](IStatement *s) {
        Status st;
        s->free(&st);
    });
    m_positionalSql.clear();
}

void FbQuery::releaseCursor()
{
    endOrDrop(m_cursor, [](IResultSet *c) {
        Status st;
        c->close(&st);
    });
    if (m_cursorTr) {
        m_cursorTr->m_openQueries.erase(this);
        m_cursorTr = nullptr;
    }
    m_singleRow = false;
    m_eof = true;
}

namespace {

struct InputMessage {
    FbRef<IMessageMetadata> meta;
    std::vector<unsigned char> buf;
};

ISC_QUAD writeBlob(IAttachment *att, ITransaction *tra, const QByteArray &data, bool text)
{
    Status st;
    ISC_QUAD id{};
    std::vector<unsigned char> bpb;
    if (text)
        bpb = {isc_bpb_version1, isc_bpb_source_type, 1, isc_blob_text, isc_bpb_target_type, 1, isc_blob_text};
    FbRef<IBlob> blob(att->createBlob(&st, tra, &id, unsigned(bpb.size()), bpb.empty() ? nullptr : bpb.data()));
    try {
        qsizetype pos = 0;
        while (pos < data.size()) {
            const unsigned chunk = unsigned(std::min<qsizetype>(32768, data.size() - pos));
            blob->putSegment(&st, chunk, data.constData() + pos);
            pos += chunk;
        }
        blob.end([&](IBlob *b) { b->close(&st); });
    } catch (...) {
        // A blob written in part is thrown away.
        endOrDrop(blob, [](IBlob *b) {
            Status cancelSt;
            b->cancel(&cancelSt);
        });
        throw;
    }
    return id;
}

QByteArray readBlob(IAttachment *att, ITransaction *tra, ISC_QUAD id)
{
    Status st;
    FbRef<IBlob> blob(att->openBlob(&st, tra, &id, 0, nullptr));
    QByteArray out;
    char buf[32768];
    for (;;) {
        unsigned got = 0;
        const int rc = blob->getSegment(&st, sizeof buf, buf, &got);
        if (rc == IStatus::RESULT_OK || rc == IStatus::RESULT_SEGMENT)
            out.append(buf, qsizetype(got));
        else
            break;
    }
    blob.end([&](IBlob *b) { b->close(&st); });
    return out;
}

// Builds the input message: every parameter with the type its value has, so the
// server converts to the column's type and reports what does not fit.
void buildInput(InputMessage &msg, IStatement *stmt, const std::vector<FbParam> &params, int positions,
                IAttachment *att, ITransaction *tra)
{
    Status st;
    const FbRef<IMessageMetadata> orig(stmt->getInputMetadata(&st));
    const unsigned count = orig->getCount(&st);
    if (int(count) != positions) {
        throw FbError(QStringLiteral("パラメータの数が一致しません。"), 0, 0);
    }
    std::vector<const FbParam *> byPos(count, nullptr);
    for (const FbParam &p : params)
        for (int pos : p.positions) byPos[size_t(pos)] = &p;

    std::vector<QByteArray> texts(count);
    FbRef<IMetadataBuilder> b(orig->getBuilder(&st));
    for (unsigned i = 0; i < count; ++i) {
        const FbParam *p = byPos[i];
        const unsigned origType = orig->getType(&st, i);
        if (!p || p->isNull()) continue; // keeps the described type; sent as NULL
        switch (p->kind()) {
        case DbValue::Kind::Integer:
        case DbValue::Kind::Boolean:
            if (origType == SQL_BOOLEAN && p->kind() == DbValue::Kind::Boolean) break;
            b->setType(&st, i, SQL_INT64);
            b->setLength(&st, i, 8);
            b->setScale(&st, i, 0);
            break;
        case DbValue::Kind::Scaled:
            b->setType(&st, i, SQL_INT64);
            b->setLength(&st, i, 8);
            b->setScale(&st, i, p->scale());
            break;
        case DbValue::Kind::Float:
            b->setType(&st, i, SQL_DOUBLE);
            b->setLength(&st, i, 8);
            b->setScale(&st, i, 0);
            break;
        case DbValue::Kind::Text:
        case DbValue::Kind::Bytes:
            // NONE and OCTETS take the bytes as they are; any other character
            // set is that of the database (the connection's).
            texts[i] = p->kind() == DbValue::Kind::Text
                           ? encodeText(p->asString(), paramPlace(p->name, i), orig->getCharSet(&st, i) > 1)
                           : p->asBytes();
            if (origType == SQL_BLOB) break;
            b->setType(&st, i, SQL_VARYING);
            b->setLength(&st, i, unsigned(std::max<qsizetype>(1, texts[i].size())));
            break;
        case DbValue::Kind::Date:
            b->setType(&st, i, SQL_TYPE_DATE);
            b->setLength(&st, i, sizeof(ISC_DATE));
            break;
        case DbValue::Kind::Time:
            b->setType(&st, i, SQL_TYPE_TIME);
            b->setLength(&st, i, sizeof(ISC_TIME));
            break;
        case DbValue::Kind::Timestamp:
            b->setType(&st, i, SQL_TIMESTAMP);
            b->setLength(&st, i, sizeof(ISC_TIMESTAMP));
            break;
        case DbValue::Kind::Null:
            break;
        }
    }
    msg.meta.reset(b->getMetadata(&st));
    b.reset();
    msg.buf.assign(msg.meta->getMessageLength(&st), 0);
    unsigned char *base = msg.buf.data();
    for (unsigned i = 0; i < count; ++i) {
        const FbParam *p = byPos[i];
        short *nullInd = reinterpret_cast<short *>(base + msg.meta->getNullOffset(&st, i));
        unsigned char *data = base + msg.meta->getOffset(&st, i);
        if (!p || p->isNull()) {
            *nullInd = -1;
            continue;
        }
        *nullInd = 0;
        const unsigned type = msg.meta->getType(&st, i);
        switch (type) {
        case SQL_INT64: {
            const qint64 v = p->kind() == DbValue::Kind::Scaled ? p->rawInt() : p->asInt64();
            std::memcpy(data, &v, 8);
            break;
        }
        case SQL_BOOLEAN:
            *data = p->asBoolean() ? 1 : 0;
            break;
        case SQL_DOUBLE: {
            const double v = p->asFloat();
            std::memcpy(data, &v, 8);
            break;
        }
        case SQL_VARYING: {
            const QByteArray &t = texts[i];
            const unsigned short len = (unsigned short)t.size();
            std::memcpy(data, &len, 2);
            std::memcpy(data + 2, t.constData(), size_t(t.size()));
            break;
        }
        case SQL_BLOB: {
            QByteArray bytes = texts[i];
            if (p->kind() != DbValue::Kind::Text && p->kind() != DbValue::Kind::Bytes)
                bytes = encodeText(p->asString(), paramPlace(p->name, i));
            const bool text = orig->getSubType(&st, i) == 1;
            const ISC_QUAD id = writeBlob(att, tra, bytes, text);
            std::memcpy(data, &id, sizeof id);
            break;
        }
        case SQL_TYPE_DATE: {
            const QDate d = p->asDate();
            const ISC_DATE v = util()->encodeDate(unsigned(d.year()), unsigned(d.month()), unsigned(d.day()));
            std::memcpy(data, &v, sizeof v);
            break;
        }
        case SQL_TYPE_TIME: {
            const QTime t = p->asTime();
            const ISC_TIME v = util()->encodeTime(unsigned(t.hour()), unsigned(t.minute()), unsigned(t.second()),
                                                  unsigned(t.msec() * 10));
            std::memcpy(data, &v, sizeof v);
            break;
        }
        case SQL_TIMESTAMP: {
            const QDateTime dt = p->asDateTime();
            ISC_TIMESTAMP v;
            v.timestamp_date = util()->encodeDate(unsigned(dt.date().year()), unsigned(dt.date().month()),
                                                  unsigned(dt.date().day()));
            v.timestamp_time = util()->encodeTime(unsigned(dt.time().hour()), unsigned(dt.time().minute()),
                                                  unsigned(dt.time().second()), unsigned(dt.time().msec() * 10));
            std::memcpy(data, &v, sizeof v);
            break;
        }
        default:
            *nullInd = -1;
        }
    }
}

} // namespace

void FbQuery::open()
{
    close();
    prepare();
    FbTransaction *tr = transaction();
    if (!tr->inTransaction()) throw FbError(QStringLiteral("トランザクションが開始されていません。"), 0, 0);
    call([&] {
        Status st;
        InputMessage in;
        buildInput(in, m_stmt.get(), m_params, m_positionCount, Database->attachment(), tr->handle());
        if (!m_outMeta) m_outMeta.reset(m_stmt->getOutputMetadata(&st));
        const unsigned outCount = m_outMeta->getCount(&st);
        m_outBuf.assign(m_outMeta->getMessageLength(&st), 0);
        // Where each column lies in the row is asked once, here, not per row.
        m_fields.clear();
        m_fields.reserve(outCount);
        m_fieldIndex.clear();
        QHash<QString, int> firstOfSpelling; // upper-case name: its first column
        for (unsigned i = 0; i < outCount; ++i) {
            FbField &f = m_fields.emplace_back();
            const char *alias = m_outMeta->getAlias(&st, i);
            f.name = fromCp932(alias, qsizetype(std::strlen(alias)));
            f.sqlType = int(m_outMeta->getType(&st, i));
            f.subType = m_outMeta->getSubType(&st, i);
            f.scale = m_outMeta->getScale(&st, i);
            f.m_query = this;
            f.m_offset = m_outMeta->getOffset(&st, i);
            f.m_nullOffset = m_outMeta->getNullOffset(&st, i);
            f.m_length = m_outMeta->getLength(&st, i);
            f.m_charset = m_outMeta->getCharSet(&st, i);
            // A name any case of which is repeated finds the first of them, as a search would.
            const QString spelling = f.name.toUpper();
            if (!firstOfSpelling.contains(spelling)) firstOfSpelling.insert(spelling, int(i));
            if (!m_fieldIndex.contains(f.name)) m_fieldIndex.insert(f.name, firstOfSpelling.value(spelling));
        }
        if (m_stmt->getFlags(&st) & IStatement::FLAG_HAS_CURSOR) {
            m_cursor.reset(m_stmt->openCursor(&st, tr->handle(), in.meta.get(), in.buf.data(), m_outMeta.get(), 0));
            m_cursorTr = tr;
            tr->m_openQueries.insert(this);
            m_eof = false;
            fetch();
        } else {
            m_stmt->execute(&st, tr->handle(), in.meta.get(), in.buf.data(), m_outMeta.get(),
                            outCount ? m_outBuf.data() : nullptr);
            m_rowsAffected = int(m_stmt->getAffectedRecords(&st));
            if (outCount) {
                // The output of EXECUTE PROCEDURE or a singleton statement: one row.
                m_singleRow = true;
                m_cursorTr = tr;
                tr->m_openQueries.insert(this);
            }
        }
    });
    if (m_singleRow) {
        m_eof = false;
        fetch();
    }
}

void FbQuery::execSQL()
{
    open();
    if (!m_cursor && !m_singleRow) m_eof = true;
}

void FbQuery::fetch()
{
    if (!m_cursor && !m_singleRow) {
        m_eof = true;
        return;
    }
    call([&] {
        if (m_cursor) {
            Status st;
            if (m_cursor->fetchNext(&st, m_outBuf.data()) != IStatus::RESULT_OK) {
                m_eof = true;
                return;
            }
        }
        // The fields decode their values when read; a blob is read now, while
        // its transaction is certainly open.
        for (FbField &f : m_fields) {
            f.m_decoded = false;
            if (f.sqlType == SQL_BLOB) f.decode();
        }
    });
}

// ---------------------------------------------------------------- field

namespace {

QDate decodedDate(ISC_DATE v)
{
    unsigned y, m, d;
    util()->decodeDate(v, &y, &m, &d);
    return QDate(int(y), int(m), int(d));
}

QTime decodedTime(ISC_TIME v)
{
    unsigned h, mi, s, fr;
    util()->decodeTime(v, &h, &mi, &s, &fr);
    return QTime(int(h), int(mi), int(s), int(fr / 10));
}

template <typename T>
T load(const unsigned char *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

} // namespace

const unsigned char *FbField::data() const
{
    return m_query->m_outBuf.data() + m_offset;
}

bool FbField::isNull() const
{
    if (!m_query) return true;
    if (m_decoded) return m_value.isNull();
    if (load<short>(m_query->m_outBuf.data() + m_nullOffset)) return true;
    return value().isNull(); // a type this layer does not read is NULL too
}

const DbValue &FbField::value() const
{
    if (!m_decoded) decode();
    return m_value;
}

void FbField::decode() const
{
    m_decoded = true;
    if (!m_query || load<short>(m_query->m_outBuf.data() + m_nullOffset)) {
        m_value.clear();
        return;
    }
    const unsigned char *p = data();
    switch (sqlType) {
    case SQL_TEXT:
    case SQL_VARYING: {
        if (octets()) {
            QByteArray b;
            if (sqlType == SQL_TEXT) {
                b = QByteArray(reinterpret_cast<const char *>(p), qsizetype(m_length));
                while (b.endsWith(' ')) b.chop(1);
            } else {
                b = QByteArray(reinterpret_cast<const char *>(p + 2), qsizetype(load<unsigned short>(p)));
            }
            m_value.setBytes(b);
        } else {
            m_value.setString(rowText());
        }
        break;
    }
    case SQL_SHORT: {
        const qint16 v = load<qint16>(p);
        scale ? m_value.setScaled(v, scale) : m_value.setInteger(v);
        break;
    }
    case SQL_LONG: {
        const qint32 v = load<qint32>(p);
        scale ? m_value.setScaled(v, scale) : m_value.setInteger(v);
        break;
    }
    case SQL_INT64: {
        const qint64 v = load<qint64>(p);
        scale ? m_value.setScaled(v, scale) : m_value.setInteger(v);
        break;
    }
    case SQL_FLOAT:
        m_value.setFloat(load<float>(p));
        break;
    case SQL_DOUBLE:
        m_value.setFloat(load<double>(p));
        break;
    case SQL_BOOLEAN:
        m_value.setBoolean(*p != 0);
        break;
    case SQL_TYPE_DATE:
        m_value.setDate(decodedDate(load<ISC_DATE>(p)));
        break;
    case SQL_TYPE_TIME:
        m_value.setTime(decodedTime(load<ISC_TIME>(p)));
        break;
    case SQL_TIMESTAMP: {
        const auto v = load<ISC_TIMESTAMP>(p);
        m_value.setDateTime(QDateTime(decodedDate(v.timestamp_date), decodedTime(v.timestamp_time)));
        break;
    }
    case SQL_BLOB: {
        const QByteArray b =
            call([&] { return readBlob(m_query->Database->attachment(), m_query->m_cursorTr->handle(), load<ISC_QUAD>(p)); });
        if (subType == 1) m_value.setString(fromCp932(b));
        else m_value.setBytes(b);
        break;
    }
    default:
        m_value.clear();
    }
}

QString FbField::rowText() const
{
    const char *p = reinterpret_cast<const char *>(data());
    qsizetype n;
    if (sqlType == SQL_TEXT) {
        n = qsizetype(m_length);
        while (n > 0 && p[n - 1] == ' ') --n;
    } else {
        n = qsizetype(load<unsigned short>(data()));
        p += 2;
    }
    return fromCp932(p, n);
}

QString FbField::asString() const
{
    // Text straight from the row: the common case, without a DbValue between.
    if (!m_decoded && m_query && (sqlType == SQL_TEXT || sqlType == SQL_VARYING) && !octets())
        return load<short>(m_query->m_outBuf.data() + m_nullOffset) ? QString() : rowText();
    return value().asString();
}

qint64 FbField::asInt64() const
{
    if (!m_decoded && m_query && scale == 0) {
        const bool null = load<short>(m_query->m_outBuf.data() + m_nullOffset) != 0;
        switch (sqlType) {
        case SQL_SHORT: return null ? 0 : load<qint16>(data());
        case SQL_LONG: return null ? 0 : load<qint32>(data());
        case SQL_INT64: return null ? 0 : load<qint64>(data());
        default: break;
        }
    }
    return value().asInt64();
}

Currency FbField::asCurrency() const
{
    if (!m_decoded && m_query) {
        const bool null = load<short>(m_query->m_outBuf.data() + m_nullOffset) != 0;
        qint64 raw = 0;
        switch (sqlType) {
        case SQL_SHORT: raw = null ? 0 : load<qint16>(data()); break;
        case SQL_LONG: raw = null ? 0 : load<qint32>(data()); break;
        case SQL_INT64: raw = null ? 0 : load<qint64>(data()); break;
        default: return value().asCurrency();
        }
        if (null) return Currency();
        return scale ? Currency::fromScaled(raw, scale) : Currency::fromUnits(raw);
    }
    return value().asCurrency();
}

QDate FbField::asDate() const
{
    if (!m_decoded && m_query && sqlType == SQL_TYPE_DATE)
        return load<short>(m_query->m_outBuf.data() + m_nullOffset) ? QDate() : decodedDate(load<ISC_DATE>(data()));
    return value().asDate();
}

void FbQuery::next()
{
    if (m_eof) return;
    if (m_singleRow) {
        m_eof = true;
        return;
    }
    fetch();
}

void FbQuery::close()
{
    releaseCursor();
}

int FbQuery::fieldIndex(const QString &name) const
{
    const auto it = m_fieldIndex.constFind(name);
    if (it != m_fieldIndex.cend()) return *it;
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

FbField *FbQuery::findField(const QString &name)
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &m_fields[size_t(i)];
}

FbField &FbQuery::fieldByName(const QString &name)
{
    if (FbField *f = findField(name)) return *f;
    throw FbError(QStringLiteral("項目 %1 がありません。").arg(name), 0, 0);
}

// ---------------------------------------------------------------- stored procedure

FbStoredProc::FbStoredProc(FbDatabase *db, FbTransaction *tr) : m_query(db, tr) {}

void FbStoredProc::prepare()
{
    if (m_preparedFor == StoredProcName && m_query.prepared()) return;
    FbQuery names(m_query.Database, m_query.Transaction);
    names.setSql(QStringLiteral("SELECT RDB$PARAMETER_NAME FROM RDB$PROCEDURE_PARAMETERS "
                                "WHERE RDB$PROCEDURE_NAME=:NAME AND RDB$PARAMETER_TYPE=0 ORDER BY RDB$PARAMETER_NUMBER"));
    names.paramByName(QStringLiteral("NAME")).setString(StoredProcName.toUpper());
    QStringList inputs;
    for (names.open(); !names.eof(); names.next()) inputs << u':' + names.field(0).asString().trimmed();
    names.close();
    QString sql = QStringLiteral("EXECUTE PROCEDURE ") + StoredProcName;
    if (!inputs.isEmpty()) sql += u'(' + inputs.join(u',') + u')';
    m_query.setSql(sql);
    m_query.prepare();
    m_preparedFor = StoredProcName;
}

FbParam &FbStoredProc::paramByName(const QString &name)
{
    prepare();
    return m_query.paramByName(name);
}

void FbStoredProc::execProc()
{
    prepare();
    m_query.open();
}

// ---------------------------------------------------------------- scripts

QStringList SplitSqlScript(const QString &script)
{
    QStringList out;
    QString term = QStringLiteral(";");
    QString cur;
    const qsizetype n = script.size();
    qsizetype i = 0;
    auto flush = [&] {
        const QString t = cur.trimmed();
        cur.clear();
        if (t.isEmpty()) return;
        static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression ignored(QStringLiteral("^SET\\s+(NAMES|SQL\\s+DIALECT|AUTODDL)\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
        const auto m = setTerm.match(t);
        if (m.hasMatch()) {
            term = m.captured(1);
            return;
        }
        if (ignored.match(t).hasMatch()) return;
        if (t.compare(QStringLiteral("COMMIT"), Qt::CaseInsensitive) == 0 ||
            t.compare(QStringLiteral("COMMIT WORK"), Qt::CaseInsensitive) == 0)
            return;
        out << t;
    };
    while (i < n) {
        const QChar c = script[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = script.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            cur += script.mid(i, stop - i);
            i = stop;
        } else if (c == u'-' && i + 1 < n && script[i + 1] == u'-') {
            const qsizetype end = script.indexOf(u'\n', i);
            i = end < 0 ? n : end;
        } else if (c == u'/' && i + 1 < n && script[i + 1] == u'*') {
            const qsizetype end = script.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (script.mid(i, term.size()) == term) {
            const qsizetype len = term.size(); // flush may change the terminator
            flush();
            i += len;
        } else {
            cur += c;
            ++i;
        }
    }
    flush();
    return out;
}

void ExecuteSqlScript(FbDatabase &db, const QString &script)
{
    if (!db.connected()) throw FbError(QStringLiteral("データベースに接続していません。"), 0, 0);
    for (const QString &statement : SplitSqlScript(script)) {
        const QByteArray text = encodeText(statement, kStatement, true, true);
        try {
            call([&] {
                Status st;
                static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency, isc_tpb_wait};
                FbRef<ITransaction> tra(db.attachment()->startTransaction(&st, sizeof tpb, tpb));
                try {
                    db.attachment()->execute(&st, tra.get(), unsigned(text.size()), text.constData(), 3, nullptr,
                                             nullptr, nullptr, nullptr);
                    tra.end([&](ITransaction *t) { t->commit(&st); });
                } catch (...) {
                    // Rolled back where it can be; the holder releases it otherwise.
                    try {
                        tra.end([](ITransaction *t) {
                            Status st2;
                            t->rollback(&st2);
                        });
                    } catch (...) {
                    }
                    throw;
                }
            });
        } catch (const FbError &e) {
            throw FbError(e.message() + QStringLiteral("\n") + statement.left(200), e.errorCode(), e.sqlCode());
        }
    }
}

// ---------------------------------------------------------------- services

struct FbServices::Impl {
    FbRef<IService> svc;
};

FbServices::FbServices(const QString &host, const QString &user, const QString &password)
    : m_host(host), m_user(user), m_password(password), d(std::make_unique<Impl>())
{
}

FbServices::~FbServices()
{
    detach();
}

void FbServices::attach(bool admin)
{
    if (d->svc) return;
    call([&] {
        Status st;
        FbDisposable<IXpbBuilder> spb(util()->getXpbBuilder(&st, IXpbBuilder::SPB_ATTACH, nullptr, 0));
        // The embedded engine trusts the name it is given and its server-wide
        // services answer only the administrator; a server checks the user's
        // password and grants administration through the admin role.
        const QByteArray user = (admin && m_host.isEmpty()) ? QByteArray("SYSDBA") : m_user.toUtf8();
        // The strings of this attachment and of its actions are UTF-8 (see fileNameBytes).
        spb->insertTag(&st, isc_spb_utf8_filename);
        spb->insertString(&st, isc_spb_user_name, user.constData());
        spb->insertString(&st, isc_spb_password, m_password.toUtf8().constData());
        if (!m_host.isEmpty()) spb->insertString(&st, isc_spb_sql_role_name, "RDB$ADMIN");
        spb->insertString(&st, isc_spb_config, m_host.isEmpty() ? "Providers=Engine12" : "Providers=Remote");
        const auto buf = bufferOf(spb.get(), &st);
        const QByteArray name = fileNameBytes(m_host.isEmpty() ? QStringLiteral("service_mgr") : m_host + QStringLiteral(":service_mgr"));
        d->svc.reset(dispatcher()->attachServiceManager(&st, name.constData(), unsigned(buf.size()), buf.data()));
    });
}

void FbServices::detach()
{
    endOrDrop(d->svc, [](IService *s) {
        Status st;
        s->detach(&st);
    });
}

void FbServices::runAction(const std::vector<unsigned char> &spb, const LineHandler &onLine)
{
    attach();
    // A backup or restore that fails says so in its output ("gbak: ERROR:..."),
    // not always in the status of the service: those lines make it fail here.
    QStringList errors;
    // The attachment ends with its action, a failed one too: the next action
    // starts on a fresh one.
    try {
        call([&] {
            Status st;
            d->svc->start(&st, unsigned(spb.size()), spb.data());
            // The output is fetched in large pieces (one round trip per line
            // slows a restore of many small objects) and cut into lines here.
            const unsigned char request[] = {isc_info_svc_to_eof};
            std::vector<unsigned char> response(16384);
            QByteArray pending;
            const auto deliver = [&](const QByteArray &bytes) {
                const QString line = fromEngineText(bytes);
                if (line.contains(QStringLiteral("ERROR:"))) errors << line.trimmed();
                if (onLine) onLine(line);
            };
            for (;;) {
                d->svc->query(&st, 0, nullptr, sizeof request, request, unsigned(response.size()), response.data());
                const unsigned char *p = response.data();
                if (*p != isc_info_svc_to_eof) break;
                const int len = int(isc_portable_integer(p + 1, 2));
                const bool more = p[3 + len] == isc_info_truncated;
                pending.append(reinterpret_cast<const char *>(p + 3), len);
                qsizetype nl;
                while ((nl = pending.indexOf('\n')) >= 0) {
                    deliver(pending.left(nl));
                    pending.remove(0, nl + 1);
                }
                if (len == 0 && !more) break;
            }
            if (!pending.isEmpty()) deliver(pending);
        });
    } catch (...) {
        detach();
        throw;
    }
    detach();
    if (!errors.isEmpty()) throw platform::Error(errors.join(u'\r'));
}

namespace {

std::vector<unsigned char> startSpb(unsigned char action, const std::function<void(IXpbBuilder *, ThrowStatusWrapper *)> &fill)
{
    std::vector<unsigned char> out;
    call([&] {
        Status st;
        FbDisposable<IXpbBuilder> spb(util()->getXpbBuilder(&st, IXpbBuilder::SPB_START, nullptr, 0));
        spb->insertTag(&st, action);
        fill(spb.get(), &st);
        out = bufferOf(spb.get(), &st);
    });
    return out;
}

} // namespace

void FbServices::backup(const QString &database, const QString &backupFile, const LineHandler &onLine)
{
    backup(database, backupFile, BackupOptions(), onLine);
}

void FbServices::backup(const QString &database, const QString &backupFile, const BackupOptions &options,
                        const LineHandler &onLine)
{
    const auto spb = startSpb(isc_action_svc_backup, [&](IXpbBuilder *b, ThrowStatusWrapper *st) {
        b->insertString(st, isc_spb_dbname, fileNameBytes(database).constData());
        b->insertString(st, isc_spb_bkp_file, fileNameBytes(backupFile).constData());
        b->insertTag(st, isc_spb_verbose);
        int flags = 0;
        if (options.ignoreLimbo) flags |= isc_spb_bkp_ignore_limbo;
        if (options.noGarbageCollect) flags |= isc_spb_bkp_no_garbage_collect;
        if (options.nonTransportable) flags |= isc_spb_bkp_non_transportable;
        if (flags) b->insertInt(st, isc_spb_options, flags);
    });
    runAction(spb, onLine);
}

void FbServices::restore(const QString &backupFile, const QString &database, bool replace, const LineHandler &onLine)
{
    RestoreOptions options;
    options.replace = replace;
    restore(backupFile, database, options, onLine);
}

void FbServices::restore(const QString &backupFile, const QString &database, const RestoreOptions &options,
                         const LineHandler &onLine)
{
    // A backup file cut short ends the restore early without an error of the
    // service: only a restore that says it has finished counts as done.
    bool finished = false;
    QStringList tail;
    const LineHandler watch = [&](const QString &line) {
        if (line.contains(QStringLiteral("finishing, closing, and going home"))) finished = true;
        tail << line.trimmed();
        if (tail.size() > 3) tail.removeFirst();
        if (onLine) onLine(line);
    };
    const auto spb = startSpb(isc_action_svc_restore, [&](IXpbBuilder *b, ThrowStatusWrapper *st) {
        b->insertString(st, isc_spb_bkp_file, fileNameBytes(backupFile).constData());
        b->insertString(st, isc_spb_dbname, fileNameBytes(database).constData());
        int flags = options.replace ? isc_spb_res_replace : isc_spb_res_create;
        if (options.deactivateIndexes) flags |= isc_spb_res_deactivate_idx;
        b->insertInt(st, isc_spb_options, flags);
        if (options.pageBuffers > 0) b->insertInt(st, isc_spb_res_buffers, options.pageBuffers);
        if (options.pageSize > 0) b->insertInt(st, isc_spb_res_page_size, options.pageSize);
        b->insertTag(st, isc_spb_verbose);
    });
    runAction(spb, watch);
    if (!finished)
        throw platform::Error(QStringLiteral("リストアが最後まで終わりませんでした。\r") + tail.join(u'\r'));
}

QStringList FbServices::validate(const QString &database)
{
    QStringList lines;
    const auto spb = startSpb(isc_action_svc_repair, [&](IXpbBuilder *b, ThrowStatusWrapper *st) {
        b->insertString(st, isc_spb_dbname, fileNameBytes(database).constData());
        b->insertInt(st, isc_spb_options, isc_spb_rpr_validate_db | isc_spb_rpr_full);
    });
    runAction(spb, [&](const QString &l) { lines << l; });
    return lines;
}

QStringList FbServices::validateFull(const QString &database)
{
    QStringList lines;
    const auto spb = startSpb(isc_action_svc_repair, [&](IXpbBuilder *b, ThrowStatusWrapper *st) {
        b->insertString(st, isc_spb_dbname, fileNameBytes(database).constData());
        b->insertInt(st, isc_spb_options, isc_spb_rpr_validate_db | isc_spb_rpr_full | isc_spb_rpr_ignore_checksum);
    });
    runAction(spb, [&](const QString &l) { lines << l; });
    return lines;
}

FbServices::DbInfo FbServices::databaseInfo()
{
    DbInfo info;
    attach(true);
    try {
        call([&] {
            Status st;
            const unsigned char request[] = {isc_info_svc_svr_db_info};
            std::vector<unsigned char> response(65536);
            d->svc->query(&st, 0, nullptr, sizeof request, request, unsigned(response.size()), response.data());
            const unsigned char *p = response.data();
            const unsigned char *end = p + response.size();

            if (*p++ != isc_info_svc_svr_db_info) return;
            while (p < end && *p != isc_info_flag_end && *p != isc_info_end) {
                const unsigned char tag = *p++;
                if (tag == isc_spb_num_att || tag == isc_spb_num_db) {
                    const int v = int(isc_portable_integer(p, 4));
                    if (tag == isc_spb_num_att) info.attachments = v;
                    p += 4;
                } else if (tag == isc_spb_dbname) {
                    const int len = int(isc_portable_integer(p, 2));
                    p += 2;
                    info.databases << fromEngineText(QByteArray(reinterpret_cast<const char *>(p), len));
                    p += len;
                } else {
                    break;
                }
            }
        });
    } catch (...) {
        detach();
        throw;
    }
    detach();
    return info;
}
