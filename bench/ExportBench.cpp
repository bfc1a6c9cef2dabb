// Times the depreciation export.
//   export-bench N                     a fresh data set with N generated assets
//   export-bench --company DIR --out F  an existing data set (folder of vqacc.fdb)
// Prints, from one run: the whole export (database opened to file closed), the
// raw fetch (the same queries through the Firebird interface alone, each row
// read into its message and dropped, no field decoded: the floor of any
// client), the fetch alone (the same queries through our layer, every field
// of every row read), the write alone (the same elements written to a file
// without the database), and the peak memory of the process.
#include "app/hj19.h"
#include "platform/Cp932.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"
#include "core/DateFormat.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <firebird/Interface.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void fill(const QString &companyDir, int count)
{
    FbDatabase db;
    db.DatabaseName = companyDir + QStringLiteral("/vqacc.fdb");
    db.Params = DatabaseParams();
    db.open();
    FbTransaction tr(&db, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    tr.startTransaction();
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, GSHOUHOU, SYUTODATE, TAIYOUYY, SYUTOKIN, "
                            "KISOKIN, SYOURITU, FUTUSYOUKIN, WARISYOUKIN, SYOUKINKEI, MATUMISYOUKIN, SYOUKIKANSTR, SYOUKIKANEND, "
                            "SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) VALUES (:REC, ' ', :KANRI, :KCODE, :MEISYOU, "
                            ":GSHOUHOU, :SYUTODATE, :TAIYOUYY, :SYUTOKIN, :KISOKIN, :SYOURITU, :FUTU, 0, :KEI, :MATUMI, 1, 12, "
                            "NULL, NULL, NULL, NULL)"));
    const int methods[] = {1, 2, 6, 3, 5, 4};
    const char *const kcodes[] = {"1401", "1407", "1410", "1505", "1407", "1411"};
    for (int i = 1; i <= count; ++i) {
        const int m = (i - 1) % 6;
        q.paramByName(QStringLiteral("REC")).setInteger(i);
        q.paramByName(QStringLiteral("KANRI")).setString(QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')));
        q.paramByName(QStringLiteral("KCODE")).setString(QLatin1String(kcodes[m]));
        q.paramByName(QStringLiteral("MEISYOU")).setString(QStringLiteral("資産%1号").arg(i));
        q.paramByName(QStringLiteral("GSHOUHOU")).setInteger(methods[m]);
        q.paramByName(QStringLiteral("SYUTODATE")).setDate(QDate(2000 + i % 25, 1 + i % 12, 1 + i % 28));
        q.paramByName(QStringLiteral("TAIYOUYY")).setInteger(2 + i % 49);
        q.paramByName(QStringLiteral("SYUTOKIN")).setCurrency(Currency::fromUnits(100000 + i));
        q.paramByName(QStringLiteral("KISOKIN")).setCurrency(Currency::fromUnits(80000 + i));
        q.paramByName(QStringLiteral("SYOURITU")).setCurrency(Currency::fromRaw(2000));
        q.paramByName(QStringLiteral("FUTU")).setCurrency(Currency::fromUnits(16000));
        q.paramByName(QStringLiteral("KEI")).setCurrency(Currency::fromUnits(16000));
        q.paramByName(QStringLiteral("MATUMI")).setCurrency(Currency::fromUnits(64000));
        q.execSQL();
    }
    tr.commit();
    db.close();
}

const int kMethods[] = {1, 2, 6, 3, 5, 4}; // in the order of the sheets

// A sheet's query, as the export runs it.
QStringList sheetSql(int method)
{
    QStringList sql{QStringLiteral("SELECT KS.*,K.KNAME FROM KS_SISAN KS"), QStringLiteral("INNER JOIN KAMOKUMST K ON (KS.KCODE=K.KCODE)")};
    if (method == 5)
        sql << QStringLiteral("WHERE (KS.GSHOUHOU=5)") << QStringLiteral("AND (KS.SYUTODATE>=:KIKAN1 AND KS.SYUTODATE<=:KIKAN2)");
    else
        sql << QStringLiteral("WHERE KS.GSHOUHOU=%1").arg(method);
    sql << QStringLiteral("ORDER BY KS.KANRI,KS.REC");
    return sql;
}

// The sheets' queries through the Firebird interface alone: each row fetched
// into the message buffer and dropped.
qint64 rawFetch(int &rows)
{
    using namespace Firebird;
    QElapsedTimer t;
    t.start();
    rows = 0;
    TransactionGuard g(DM->IBTransactionDAT);
    IMaster *master = fb_get_master_interface();
    IStatus *status = master->getStatus();
    ThrowStatusWrapper st(status);
    try {
        for (int method : kMethods) {
            const QByteArray sql = sheetSql(method).join(u'\n').replace(QStringLiteral(":KIKAN1"), QStringLiteral("?"))
                                       .replace(QStringLiteral(":KIKAN2"), QStringLiteral("?")).toLatin1();
            IStatement *stmt = DM->IBDatabaseDAT.attachment()->prepare(&st, DM->IBTransactionDAT.handle(), 0, sql.constData(), 3,
                                                                       IStatement::PREPARE_PREFETCH_METADATA);
            IMessageMetadata *in = stmt->getInputMetadata(&st);
            IMessageMetadata *out = stmt->getOutputMetadata(&st);
            std::vector<unsigned char> inBuf(in->getMessageLength(&st)), outBuf(out->getMessageLength(&st));
            if (method == 5) {
                IUtil *util = master->getUtilInterface();
                const QDate dates[] = {AccInf.KISHU, AccInf.KIMATU};
                for (unsigned i = 0; i < 2; ++i) {
                    const ISC_DATE d = util->encodeDate(unsigned(dates[i].year()), unsigned(dates[i].month()), unsigned(dates[i].day()));
                    std::memcpy(inBuf.data() + in->getOffset(&st, i), &d, sizeof d);
                    std::memset(inBuf.data() + in->getNullOffset(&st, i), 0, sizeof(short));
                }
            }
            IResultSet *rs = stmt->openCursor(&st, DM->IBTransactionDAT.handle(), in, inBuf.data(), out, 0);
            while (rs->fetchNext(&st, outBuf.data()) == IStatus::RESULT_OK) ++rows;
            rs->close(&st);
            in->release();
            out->release();
            stmt->free(&st);
        }
    } catch (const FbException &e) {
        char buf[1024];
        master->getUtilInterface()->formatStatus(buf, sizeof buf, e.getStatus());
        std::fprintf(stderr, "raw fetch: %s\n", buf);
        std::exit(1);
    }
    status->dispose();
    g.commit();
    return t.elapsed();
}

// The sheets' queries through our layer, every field of every row read.
qint64 fetchAlone(int &rows)
{
    QElapsedTimer t;
    t.start();
    rows = 0;
    TransactionGuard g(DM->IBTransactionDAT);
    for (int method : kMethods) {
        FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        q.setSql(sheetSql(method));
        if (method == 5) {
            q.paramByName(QStringLiteral("KIKAN1")).setDate(AccInf.KISHU);
            q.paramByName(QStringLiteral("KIKAN2")).setDate(AccInf.KIMATU);
        }
        for (q.open(); !q.eof(); q.next()) {
            ++rows;
            for (int i = 0; i < q.fieldCount(); ++i) {
                const FbField &f = q.field(i);
                switch (f.kind()) {
                case DbValue::Kind::Text: (void)f.asString(); break;
                default: (void)f.isNull();
                }
            }
        }
        q.close();
    }
    g.commit();
    return t.elapsed();
}

// The write alone: the elements of a written intermediate file are read back
// a piece at a time (not timed) and added again to a streamed document (timed),
// so that the file is written from memory, without the database, and without
// holding the whole document either.
class WriteAlone
{
public:
    explicit WriteAlone(const QString &source) : m_in(source) {}

    // Writes the elements again into path; returns the milliseconds of the adds and the save.
    qint64 run(const QString &path)
    {
        if (!m_in.open(QIODevice::ReadOnly)) return -1;
        TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
        QElapsedTimer t;
        qint64 ns = 0;
        t.start();
        doc.StreamTo(path);
        ns += t.nsecsElapsed();
        skipDeclaration();
        while (readPiece()) {
            t.restart();
            for (Op &op : m_ops) replay(doc, op);
            ns += t.nsecsElapsed();
            m_ops.clear();
        }
        t.restart();
        doc.SaveToFile(path);
        ns += t.nsecsElapsed();
        return ns / 1000000;
    }

private:
    // One call of the writer, as the export made it.
    struct Op {
        enum Kind { Root, Node, Text, Row } kind;
        int parent; // the element's number (its start tag's order), -1 for the root
        int number;
        QString name, attrName, attrValue, text;
        std::shared_ptr<const QStringList> names;
        std::vector<QString> texts;
    };
    // An element read but not yet ended.
    struct Open {
        int number;
        QString name, attrName, attrValue, text;
        bool added = false; // made as a node (it has element children)
        bool row = false;
        QStringList names;
        std::vector<QString> texts;
        bool isRow() const { return attrName == u"line"; }
    };

    void replay(TXmlSaveDoc &doc, Op &op)
    {
        const int parent = op.parent < 0 ? -1 : m_handles.value(op.parent, -1);
        switch (op.kind) {
        case Op::Root: m_handles.insert(op.number, doc.CreateRoot(op.name)); break;
        case Op::Node: m_handles.insert(op.number, doc.AddNode(parent, op.name, op.attrValue, op.attrName)); break;
        case Op::Text: doc.AddTextNode(parent, op.name, op.attrValue, op.attrName, op.text); break;
        case Op::Row: doc.AddTextRow(parent, op.name, op.attrValue, op.attrName, std::move(op.names), std::move(op.texts)); break;
        }
    }

    bool fill()
    {
        if (m_pos > 0) {
            m_buf.remove(0, m_pos);
            m_pos = 0;
        }
        const QByteArray more = m_in.read(1 << 22);
        m_buf += more;
        return !more.isEmpty();
    }
    // The bytes up to the next c, without it; false at the end of the file.
    bool until(char c, QByteArray &out)
    {
        for (;;) {
            const qsizetype at = m_buf.indexOf(c, m_pos);
            if (at >= 0) {
                out = m_buf.mid(m_pos, at - m_pos);
                m_pos = at + 1;
                return true;
            }
            if (!fill()) return false;
        }
    }
    void skipDeclaration()
    {
        QByteArray skipped;
        until('\n', skipped);
    }
    static QString text(const QByteArray &escaped)
    {
        QByteArray b = escaped;
        if (b.contains('&'))
            b.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
        return platform::fromCp932(b.constData(), b.size());
    }

    // Reads elements until some two thousand calls are waiting; false at the end.
    bool readPiece()
    {
        QByteArray chunk;
        while (m_ops.size() < 2000) {
            if (!until('<', chunk)) return !m_ops.empty();
            if (!chunk.isEmpty() && !m_open.empty()) m_open.back().text = text(chunk);
            if (!until('>', chunk)) return !m_ops.empty();
            if (chunk.startsWith('/')) {
                end();
                continue;
            }
            const bool empty = chunk.endsWith('/');
            if (empty) chunk.chop(1);
            start(chunk);
            if (empty) end();
        }
        return true;
    }
    void start(const QByteArray &tag)
    {
        Open o;
        o.number = m_next++;
        const qsizetype space = tag.indexOf(' ');
        o.name = QString::fromLatin1(tag.left(space < 0 ? tag.size() : space));
        if (space >= 0) {
            const QByteArray attr = tag.mid(space + 1);
            const qsizetype eq = attr.indexOf('=');
            o.attrName = QString::fromLatin1(attr.left(eq));
            o.attrValue = text(attr.mid(eq + 2, attr.size() - eq - 3));
        }
        if (m_open.empty()) {
            m_ops.push_back({Op::Root, -1, o.number, o.name, {}, {}, {}, {}, {}});
            o.added = true;
        } else {
            Open &parent = m_open.back();
            if (parent.isRow()) {
                parent.row = true;
            } else if (!parent.added) {
                const int grand = m_open.size() > 1 ? m_open[m_open.size() - 2].number : -1;
                m_ops.push_back({Op::Node, grand, parent.number, parent.name, parent.attrName, parent.attrValue, {}, {}, {}});
                parent.added = true;
            }
        }
        m_open.push_back(std::move(o));
    }
    void end()
    {
        Open o = std::move(m_open.back());
        m_open.pop_back();
        const int parent = m_open.empty() ? -1 : m_open.back().number;
        if (!m_open.empty() && m_open.back().isRow()) {
            m_open.back().names << o.name;
            m_open.back().texts.push_back(o.text);
        } else if (o.isRow()) {
            if (!m_names || *m_names != o.names) m_names = std::make_shared<const QStringList>(o.names);
            m_ops.push_back({Op::Row, parent, o.number, o.name, o.attrName, o.attrValue, {}, m_names, std::move(o.texts)});
        } else if (!o.added) {
            m_ops.push_back({Op::Text, parent, o.number, o.name, o.attrName, o.attrValue, o.text, {}, {}});
        }
    }

    QFile m_in;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    std::vector<Open> m_open;
    std::vector<Op> m_ops;
    std::shared_ptr<const QStringList> m_names;
    QHash<int, int> m_handles;
    int m_next = 0;
};

// Whether two files hold the same bytes (read a piece at a time).
bool sameFiles(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size()) return false;
    while (!fa.atEnd())
        if (fa.read(1 << 22) != fb.read(1 << 22)) return false;
    return true;
}

// The peak resident memory of the process so far, in KiB.
long peakKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    InitStartupFormats();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString companyDir, outPath;
    int count = 0;
    QTemporaryDir temp;
    SetAppInfoDefaults(AppInfo);
    SystemDef.DbUser = QStringLiteral("DORVEL");
    SystemDef.DbPassword = QStringLiteral("zoltup");
    if (args.size() == 1) {
        count = args[0].toInt();
        qputenv("SOLTEA_COMMON_APPDATA", QFile::encodeName(temp.path()));
        const DataRootInfo root = CreateDataRoot(temp.path() + QStringLiteral("/root"), SystemDef.DbUser, SystemDef.DbPassword);
        companyDir = root.companyDir;
        outPath = temp.path() + QStringLiteral("/RC25.xml");
        QElapsedTimer t;
        t.start();
        fill(companyDir, count);
        std::printf("filled %d assets in %lld ms\n", count, t.elapsed());
    } else if (args.size() == 4 && args[0] == u"--company" && args[2] == u"--out") {
        companyDir = args[1];
        outPath = args[3];
    } else {
        std::fprintf(stderr, "usage: export-bench N | export-bench --company DIR --out FILE\n");
        return 2;
    }
    InitGengoTable();
    TDM dm;
    DM = &dm;

    // The fetches first, so that the whole export does not pay for a cold
    // cache that the fetches would not.
    if (!dm.fnAccDatConnected(QString(), companyDir, false) || !dm.fnGetAccInfo()) return 1;
    int rawRows = 0, rows = 0;
    rawFetch(rawRows); // warms the engine's cache for all that follows
    const qint64 raw = rawFetch(rawRows);
    const qint64 fetch = fetchAlone(rows);
    if (rawRows != rows) {
        std::fprintf(stderr, "the raw fetch read %d rows, the layer %d\n", rawRows, rows);
        return 1;
    }
    dm.fnAccDatDisConnected(QString(), false, false);

    // The whole export: opened database to closed file, the file written
    // while the sheets are read.
    QElapsedTimer t;
    t.start();
    if (!dm.fnAccDatConnected(QString(), companyDir, false) || !dm.fnGetAccInfo()) return 1;
    size_t elements = 0;
    {
        THojinZeiGenkaDataExport exporter(0, outPath);
        prepareExportFromCompany(exporter, companyDir, AccInf);
        TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
        doc.StreamTo(outPath);
        exporter.SetSystemNode(doc);
        exporter.SetBasicNode(doc);
        exporter.Execute(doc);
        doc.SaveToFile(outPath);
        elements = doc.NodeCount();
    }
    const qint64 whole = t.elapsed();
    const long exportPeak = peakKib();

    dm.fnAccDatDisConnected(QString(), false, false);

    // The write alone: the same elements again, from memory.
    const QString again = outPath + QStringLiteral(".again");
    const qint64 write = WriteAlone(outPath).run(again);
    const bool same = sameFiles(again, outPath);
    QFile::remove(again);
    if (!same) {
        std::fprintf(stderr, "the write alone gave another file\n");
        return 1;
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("rows %d, elements %zu, file %lld bytes\n", rows, elements, (long long)QFileInfo(outPath).size());
    std::printf("raw fetch %lld ms, fetch alone %lld ms, ratio %.2f\n", raw, fetch, double(fetch) / double(std::max<qint64>(1, raw)));
    std::printf("whole export %lld ms, fetch alone %lld ms, write alone %lld ms, ratio %.2f\n", whole, fetch, write,
                double(whole) / double(std::max<qint64>(1, fetch + write)));
    std::printf("peak memory %ld MiB (%ld MiB up to the end of the whole export)\n", usage.ru_maxrss / 1024, exportPeak / 1024);
    DM = nullptr;
    return 0;
}
