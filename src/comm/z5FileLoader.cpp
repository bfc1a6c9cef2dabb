#include "comm/z5FileLoader.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Tax.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QFile>

namespace {

const QString kKindLabel = QStringLiteral("// ファイル種別: ");
const QString kVerLabel = QStringLiteral("// ファイルVer : ");

// The major number of a version text "major.minor"; 0 for any other form.
int majorOf(const QString &version)
{
    const QStringList parts = version.split(u'.');
    if (parts.size() != 2) return 0;
    bool ok = false;
    const int n = parts[0].trimmed().toInt(&ok);
    return ok ? n : 0;
}

int intOr(const QString &text, int def)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? n : def;
}

QString orBlank(const QString &code)
{
    return code.isEmpty() ? QStringLiteral(" ") : code;
}

void setCode(FbParam &p, const QString &code)
{
    if (code.isEmpty()) p.clear();
    else p.setString(code);
}

} // namespace

// ---------------------------------------------------------------- base

TBaseLoader::TBaseLoader()
{
    m_splitter.Delimiter = u'.';
    if (DM) {
        SetDatabase(&DM->IBDatabaseDAT);
        SetTransaction(&DM->IBTransactionDAT);
    }
}

FbTransaction &TBaseLoader::workTransaction() const
{
    FbTransaction *tr = m_sql1.Transaction ? m_sql1.Transaction
                                           : (m_sql1.Database ? m_sql1.Database->DefaultTransaction : nullptr);
    if (!tr) throw FbError(QStringLiteral("トランザクションが指定されていません。"), 0, 0);
    return *tr;
}

TBaseLoader::~TBaseLoader() = default;

void TBaseLoader::SetDatabase(FbDatabase *db)
{
    for (FbQuery *q : {&m_sql1, &m_sql2}) {
        q->unprepare();
        q->Database = db;
    }
}

void TBaseLoader::SetTransaction(FbTransaction *tr)
{
    for (FbQuery *q : {&m_sql1, &m_sql2}) {
        q->unprepare();
        q->Transaction = tr;
    }
}

QString TBaseLoader::EncodeField(const QString &text, int clean) const
{
    QString s = text;
    if (clean == 1) {
        s.remove(u'\t');
        s.remove(u'\r');
        s.remove(u'\n');
    }
    s.replace(u'"', QStringLiteral("''"));
    return s;
}

QString TBaseLoader::DecodeField(const QString &text, int clean) const
{
    QString s = text;
    if (clean == 1) {
        s.remove(u'\t');
        s.remove(u'\r');
        s.remove(u'\n');
    }
    s.replace(QStringLiteral("''"), QStringLiteral("\""));
    return s;
}

void TBaseLoader::WriteHeader()
{
    if (!FileKind.isEmpty()) Lines << kKindLabel + FileKind;
    if (!FileVer.isEmpty()) Lines << kVerLabel + FileVer;
    Lines << QStringLiteral("// データ名    : ") + AccInf.SHOUGOU;
    QString kind;
    switch (AccInf.DATATYPE) {
    case 1: kind = QStringLiteral("法人"); break;
    case 2: kind = QStringLiteral("個人"); break;
    case 3: kind = QStringLiteral("医療法人"); break;
    default: kind = QStringLiteral("不明"); break;
    }
    Lines << QStringLiteral("// データ種別  : ") + kind;
    Lines << QStringLiteral("// データVer   : ") +
                 QStringLiteral("%1.%2.%3").arg(AccInf.MAJOR).arg(AccInf.MINOR1).arg(AccInf.MINOR2);
    Lines << QStringLiteral("// 作成日      : ") + Today().toString(QStringLiteral("yyyy/MM/dd"));
}

bool TBaseLoader::CheckHeader()
{
    bool kindFound = false;
    QString fileVersion;
    for (const QString &line : Lines) {
        if (line == kKindLabel + FileKind) kindFound = true;
        if (line.contains(kVerLabel)) fileVersion = QString(line).remove(kVerLabel).trimmed();
    }
    if (!kindFound) return false;
    if (CheckVer == 1 && !fileVersion.isEmpty()) {
        m_splitter.Split(FileVer);
        const int own = m_splitter.Count == 2 ? majorOf(FileVer) : 0;
        m_splitter.Split(fileVersion);
        const int theirs = m_splitter.Count == 2 ? majorOf(fileVersion) : 0;
        if (own != theirs) return false;
    }
    return true;
}

int TBaseLoader::RecordCount()
{
    return 0;
}

void TBaseLoader::LoadLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("ファイル「%1」を読み込めません。%2").arg(path, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFile::NoError)
        throw platform::Error(QStringLiteral("ファイル「%1」を読み込めません。%2").arg(path, f.errorString()));
    QString text = platform::fromCp932(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    Lines = text.split(u'\n');
    if (!Lines.isEmpty() && Lines.last().isEmpty()) Lines.removeLast();
}

void TBaseLoader::SaveLines(const QString &path) const
{
    QByteArray bytes;
    for (const QString &line : Lines) {
        bool ok = true;
        bytes += platform::toCp932(line, &ok);
        if (!ok)
            throw platform::Error(
                QStringLiteral("ファイルに書き込めない文字があります。\r\n%1").arg(line));
        bytes += "\r\n";
    }
    platform::AtomicFile out(path);
    out.open();
    out.write(bytes);
    out.commit();
}

// ---------------------------------------------------------------- dictionaries

struct TJisyoLoader::Dictionary {
    bool partner;
    QString titleTable, entryTable;
    QString titleType;
    QString entryType; // as written on export
};

TJisyoLoader::TJisyoLoader()
{
    FileKind = QStringLiteral("摘要・取引先辞書設定");
    FileVer = QStringLiteral("1.1");
    CheckVer = 1;
    Clear();
}

void TJisyoLoader::Clear()
{
    Lines.clear();
    CrecMap.clear();
    CachedSCode = QStringLiteral("**");
    KamokuCodes.clear();
}

void TJisyoLoader::SetFileVersion(const QString &version)
{
    FileVer = version;
    const bool byUserCode = version == u"1.1";
    TekEntryType = byUserCode ? QStringLiteral("202") : QStringLiteral("201");
    TorEntryType = byUserCode ? QStringLiteral("302") : QStringLiteral("301");
}

int TJisyoLoader::RecordCount()
{
    try {
        QStringList types;
        if (Target == 0 || Target == 1) types << TekTitleType << QStringLiteral("201") << QStringLiteral("202");
        if (Target == 0 || Target == 2) types << TorTitleType << QStringLiteral("301") << QStringLiteral("302");
        TMojiBunkatu split;
        int n = 0;
        for (const QString &line : Lines) {
            if (line.startsWith(QStringLiteral("//"))) continue;
            split.Split(line);
            const QString type = split.Item(0).trimmed();
            if (!type.isEmpty() && types.contains(type)) ++n;
        }
        return n;
    } catch (...) {
        return 0;
    }
}

void TJisyoLoader::exportDictionary(const Dictionary &d, bool entriesByUserCode)
{
    const QString D = QString(Delimiter);
    // Titles, numbered 1, 2, 3, ... within each branch.
    QStringList sql{QStringLiteral("SELECT CREC,SCODE,SORTCODE,TEXT,MOVEMENT FROM ") + d.titleTable};
    if (AllSCode == 0) sql << QStringLiteral("WHERE SCODE=:SCODE");
    sql << QStringLiteral("ORDER BY SCODE,SORTCODE");
    m_sql1.setSql(sql);
    if (AllSCode == 0) m_sql1.paramByName(QStringLiteral("SCODE")).setString(SCode);
    QString lastBranch;
    int position = 0;
    bool first = true;
    for (m_sql1.open(); !m_sql1.eof(); m_sql1.next()) {
        const QString branch = m_sql1.fieldByName(QStringLiteral("SCODE")).asString();
        position = (first || branch != lastBranch) ? 1 : position + 1;
        first = false;
        lastBranch = branch;
        Lines << quoted(d.titleType) + D + QString::number(m_sql1.fieldByName(QStringLiteral("CREC")).asInteger()) + D +
                     quoted(orBlank(branch)) + D + QString::number(position) + D +
                     quoted(EncodeField(m_sql1.fieldByName(QStringLiteral("TEXT")).asString(), 1)) + D +
                     QString::number(m_sql1.fieldByName(QStringLiteral("MOVEMENT")).asInteger()) + D;
    }
    m_sql1.close();

    // Entries, their accounts by user code or by account code.
    sql.clear();
    if (d.partner) sql << QStringLiteral("SELECT T.CREC,T.KANA,T.TEXT,T.TEKTEXT,T.SCODE,");
    else sql << QStringLiteral("SELECT T.CREC,T.KANA,T.TEXT,T.SCODE,");
    sql << QStringLiteral("T.KAR_KCODE,T.KAR_HCODE,T.KAR_BCODE,T.KAR_TAXCODE,K1.USERCODE AS KAR_UC_KCODE,")
        << QStringLiteral("T.KAS_KCODE,T.KAS_HCODE,T.KAS_BCODE,T.KAS_TAXCODE,K2.USERCODE AS KAS_UC_KCODE,");
    if (d.partner) {
        sql << QStringLiteral("T.WAITFLG,T.TAXOLD,T.TAXNUM,T.MOVEMENT,0 AS HAIBUN,T.RTIME FROM TORDIC T")
            // Partner titles are numbered per branch: the title is its number within the entry's branch.
            << QStringLiteral("INNER JOIN TORDICTI H ON (H.CREC=T.CREC AND H.SCODE=T.SCODE)");
    } else {
        sql << QStringLiteral("T.WAITFLG,T.TAXOLD,T.TAXNUM,T.MOVEMENT,T.HAIBUN,T.RTIME FROM TEKDIC T")
            << QStringLiteral("INNER JOIN TEKDICTI H ON (H.CREC=T.CREC)");
    }
    sql << QStringLiteral("LEFT  JOIN KAMOKUMST K1 ON (T.KAR_KCODE=K1.KCODE)")
        << QStringLiteral("LEFT  JOIN KAMOKUMST K2 ON (T.KAS_KCODE=K2.KCODE)");
    if (AllSCode == 0) sql << QStringLiteral("WHERE H.SCODE=:SCODE");
    sql << QStringLiteral("ORDER BY H.SCODE,H.SORTCODE,T.KANA");
    m_sql1.setSql(sql);
    if (AllSCode == 0) m_sql1.paramByName(QStringLiteral("SCODE")).setString(SCode);
    auto text = [&](const char *name) { return m_sql1.fieldByName(QString::fromLatin1(name)).asString(); };
    auto number = [&](const char *name) {
        return QString::number(m_sql1.fieldByName(QString::fromLatin1(name)).asInteger());
    };
    auto taxCode = [&](const char *name) {
        FbField &f = m_sql1.fieldByName(QString::fromLatin1(name));
        return f.isNull() ? QString() : QString::number(f.asInteger());
    };
    for (m_sql1.open(); !m_sql1.eof(); m_sql1.next()) {
        QString rtime;
        FbField &rt = m_sql1.fieldByName(QStringLiteral("RTIME"));
        if (Target == 0 && !rt.isNull()) rtime = rt.asDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        QStringList f;
        f << quoted(d.entryType) << number("CREC") << quoted(orBlank(text("SCODE"))) << quoted(text("KANA"))
          << quoted(EncodeField(text("TEXT"), 1))
          << quoted(d.partner ? EncodeField(text("TEKTEXT"), 1) : QString())
          << quoted(entriesByUserCode ? text("KAR_UC_KCODE") : text("KAR_KCODE")) << quoted(text("KAR_HCODE"))
          << quoted(text("KAR_BCODE")) << quoted(taxCode("KAR_TAXCODE"))
          << quoted(entriesByUserCode ? text("KAS_UC_KCODE") : text("KAS_KCODE")) << quoted(text("KAS_HCODE"))
          << quoted(text("KAS_BCODE")) << quoted(taxCode("KAS_TAXCODE")) << number("WAITFLG") << number("TAXOLD")
          << number("TAXNUM") << number("MOVEMENT") << number("HAIBUN") << quoted(rtime);
        Lines << f.join(D) + D;
    }
    m_sql1.close();
}

bool TJisyoLoader::ExportToFile(const QString &fileName)
{
    Clear();
    if (fileName.trimmed().isEmpty()) return false;
    {
        // Nothing is written: a transaction started here is committed, on failure too.
        TransactionGuard guard(workTransaction(), TransactionGuard::Exit::Commit);
        WriteHeader();
        if (Target == 0 || Target == 1)
            exportDictionary({false, QStringLiteral("TEKDICTI"), QStringLiteral("TEKDIC"), TekTitleType, TekEntryType},
                             TekEntryType == u"202");
        if (Target == 0 || Target == 2)
            exportDictionary({true, QStringLiteral("TORDICTI"), QStringLiteral("TORDIC"), TorTitleType, TorEntryType},
                             TorEntryType == u"302");
        guard.commit();
    }
    SaveLines(fileName);
    return true;
}

QString TJisyoLoader::crecMapValue(const QString &key) const
{
    const QString prefix = key + u'=';
    for (const QString &line : CrecMap)
        if (line.startsWith(prefix)) return line.mid(prefix.size());
    return QString();
}

void TJisyoLoader::importDictionary(const Dictionary &d)
{
    const bool oneBranch = AllSCode == 0;
    // 1. The entries go; with every branch the titles are emptied too.
    m_sql2.setSql(QStringLiteral("DELETE FROM ") + d.entryTable + (oneBranch ? QStringLiteral(" WHERE SCODE=:SCODE") : QString()));
    if (oneBranch) m_sql2.paramByName(QStringLiteral("SCODE")).setString(SCode);
    m_sql2.execSQL();
    if (!oneBranch) {
        m_sql2.setSql(QStringLiteral("UPDATE ") + d.titleTable + QStringLiteral(" SET TEXT=''"));
        m_sql2.execSQL();
    }

    // 2. The title slots numbered densely, 1, 2, 3, ... within each branch.
    {
        QStringList sql{QStringLiteral("SELECT CREC,SCODE FROM ") + d.titleTable};
        if (oneBranch) sql << QStringLiteral("WHERE SCODE=:SCODE");
        sql << QStringLiteral("ORDER BY SCODE,SORTCODE");
        m_sql1.setSql(sql);
        if (oneBranch) m_sql1.paramByName(QStringLiteral("SCODE")).setString(SCode);
        std::vector<std::pair<int, QString>> slotRows;
        for (m_sql1.open(); !m_sql1.eof(); m_sql1.next())
            slotRows.emplace_back(m_sql1.field(0).asInteger(), m_sql1.field(1).asString());
        m_sql1.close();
        // The partner titles are numbered per branch, so the branch names the row too.
        m_sql2.setSql(QStringList{QStringLiteral("UPDATE ") + d.titleTable + QStringLiteral(" SET SORTCODE=:SORTCODE"),
                                  QStringLiteral("WHERE CREC=:CREC AND SCODE=:SCODE")});
        QString last;
        int n = 0;
        bool first = true;
        for (const auto &[crec, branch] : slotRows) {
            n = (first || branch != last) ? 1 : n + 1;
            first = false;
            last = branch;
            m_sql2.paramByName(QStringLiteral("SORTCODE")).setInteger(n);
            m_sql2.paramByName(QStringLiteral("CREC")).setInteger(crec);
            m_sql2.paramByName(QStringLiteral("SCODE")).setString(branch);
            m_sql2.execSQL();
        }
    }

    // 3. The data lines in file order.
    CrecMap.clear();
    FbQuery titleUpdate(m_sql1.Database, m_sql1.Transaction);
    titleUpdate.setSql(QStringList{QStringLiteral("UPDATE ") + d.titleTable + QStringLiteral(" SET TEXT=:TEXT"),
                                   QStringLiteral("WHERE SCODE=:SCODE AND SORTCODE=:SORTCODE")});
    FbQuery titleRec(m_sql1.Database, m_sql1.Transaction);
    titleRec.setSql(QStringList{QStringLiteral("SELECT CREC FROM ") + d.titleTable,
                                QStringLiteral("WHERE SCODE=:SCODE AND SORTCODE=:SORTCODE")});
    FbQuery insert(m_sql1.Database, m_sql1.Transaction);
    if (d.partner) {
        insert.setSql(QStringList{
            QStringLiteral("INSERT INTO TORDIC(TEKCODE,CREC,KANA,MCODE,TEXT,TEKTEXT,SCODE,\"ROW\",COL,KAR_KCODE,KAR_HCODE,"
                           "KAR_BCODE,KAR_TAXCODE,KAS_KCODE,KAS_HCODE,KAS_BCODE,KAS_TAXCODE,WAITFLG,TAXOLD,TAXNUM,MOVEMENT,RTIME)"),
            QStringLiteral("VALUES(:TEKCODE,:CREC,:KANA,:MCODE,:TEXT,:TEKTEXT,:SCODE,:ROW,:COL,:KAR_KCODE,:KAR_HCODE,"
                           ":KAR_BCODE,:KAR_TAXCODE,:KAS_KCODE,:KAS_HCODE,:KAS_BCODE,:KAS_TAXCODE,:WAITFLG,:TAXOLD,:TAXNUM,"
                           ":MOVEMENT,:RTIME)")});
    } else {
        insert.setSql(QStringList{
            QStringLiteral("INSERT INTO TEKDIC(TEKCODE,CREC,KANA,FNUM,TEXT,SCODE,\"ROW\",COL,KAR_KCODE,KAR_HCODE,KAR_BCODE,"
                           "KAR_TAXCODE,KAS_KCODE,KAS_HCODE,KAS_BCODE,KAS_TAXCODE,WAITFLG,TAXOLD,TAXNUM,MOVEMENT,HAIBUN,RTIME)"),
            QStringLiteral("VALUES(:TEKCODE,:CREC,:KANA,:FNUM,:TEXT,:SCODE,:ROW,:COL,:KAR_KCODE,:KAR_HCODE,:KAR_BCODE,"
                           ":KAR_TAXCODE,:KAS_KCODE,:KAS_HCODE,:KAS_BCODE,:KAS_TAXCODE,:WAITFLG,:TAXOLD,:TAXNUM,:MOVEMENT,"
                           ":HAIBUN,:RTIME)")});
    }
    const QString entryOld = d.partner ? QStringLiteral("301") : QStringLiteral("201");
    const QString entryNew = d.partner ? QStringLiteral("302") : QStringLiteral("202");
    TMojiBunkatu split;
    QString lastBranch;
    int position = 0;
    bool firstTitle = true;
    for (const QString &line : Lines) {
        if (line.startsWith(QStringLiteral("//"))) continue;
        split.Split(line);
        const QString type = split.Item(0);
        auto branchOf = [&] {
            const QString b = oneBranch ? SCode : split.Item(2);
            return b.isEmpty() ? QStringLiteral(" ") : b;
        };
        if (type == d.titleType) {
            const QString branch = branchOf();
            position = (firstTitle || branch != lastBranch) ? 1 : position + 1;
            firstTitle = false;
            lastBranch = branch;
            titleUpdate.paramByName(QStringLiteral("TEXT")).setString(DecodeField(split.Item(4), 1));
            titleUpdate.paramByName(QStringLiteral("SCODE")).setString(branch);
            titleUpdate.paramByName(QStringLiteral("SORTCODE")).setInteger(position);
            titleUpdate.execSQL();
            titleRec.paramByName(QStringLiteral("SCODE")).setString(branch);
            titleRec.paramByName(QStringLiteral("SORTCODE")).setInteger(position);
            titleRec.open();
            const int crec = titleRec.eof() ? 0 : titleRec.field(0).asInteger();
            titleRec.close();
            CrecMap << QStringLiteral("%1-%2=%3").arg(split.Item(1), branch).arg(crec);
        } else if (type == entryOld || type == entryNew) {
            const QString branch = branchOf();
            const int crec = intOr(crecMapValue(QStringLiteral("%1-%2").arg(split.Item(1), branch)), 0);
            if (crec < 1) continue;
            LoadKamokuCodes(branch);
            auto p = [&](const char *name) -> FbParam & { return insert.paramByName(QString::fromLatin1(name)); };
            p("TEKCODE").setInteger(0);
            p("CREC").setInteger(crec);
            p("KANA").setString(split.Item(3));
            if (d.partner) {
                p("MCODE").setInteger(0);
                p("TEKTEXT").setString(DecodeField(split.Item(5), 1));
            } else {
                p("FNUM").setInteger(0);
                p("HAIBUN").setInteger(intOr(split.Item(18), 0));
            }
            p("TEXT").setString(DecodeField(split.Item(4), 1));
            p("SCODE").setString(branch);
            p("ROW").setInteger(0);
            p("COL").setInteger(0);
            for (int side = 0; side < 2; ++side) {
                const int base = side == 0 ? 6 : 10;
                const QString prefix = side == 0 ? QStringLiteral("KAR_") : QStringLiteral("KAS_");
                KCode = split.Item(base);
                HCode = split.Item(base + 1);
                BCode = split.Item(base + 2);
                MapKamokuCode(type);
                setCode(insert.paramByName(prefix + QStringLiteral("KCODE")), KCode);
                setCode(insert.paramByName(prefix + QStringLiteral("HCODE")), HCode);
                setCode(insert.paramByName(prefix + QStringLiteral("BCODE")), BCode);
                insert.paramByName(prefix + QStringLiteral("TAXCODE")).setInteger(intOr(split.Item(base + 3), 910));
            }
            p("WAITFLG").setInteger(intOr(split.Item(14), 0));
            p("TAXOLD").setInteger(GetZeirituNoByDate(intOr(split.Item(15), 0), AccInf.KIMATU));
            p("TAXNUM").setInteger(intOr(split.Item(16), 0));
            p("MOVEMENT").setInteger(intOr(split.Item(17), 0));
            const QString rtime = split.Item(19);
            if (rtime.isEmpty()) {
                p("RTIME").clear();
            } else {
                QDateTime t = QDateTime::fromString(rtime, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
                if (!t.isValid()) t = QDateTime::currentDateTime();
                p("RTIME").setDateTime(t);
            }
            insert.execSQL();
        }
    }
}

bool TJisyoLoader::ImportFromFile(const QString &fileName)
{
    Clear();
    if (fileName.trimmed().isEmpty()) return false;
    LoadLines(fileName);
    if (Lines.isEmpty() || !CheckHeader() || RecordCount() == 0) return false;
    TransactionGuard guard(workTransaction());
    if (Target == 0 || Target == 1)
        importDictionary({false, QStringLiteral("TEKDICTI"), QStringLiteral("TEKDIC"), TekTitleType, TekEntryType});
    if (Target == 0 || Target == 2)
        importDictionary({true, QStringLiteral("TORDICTI"), QStringLiteral("TORDIC"), TorTitleType, TorEntryType});
    guard.commit();
    return true;
}

void TJisyoLoader::LoadKamokuCodes(const QString &scode)
{
    if (scode == CachedSCode) return;
    KamokuCodes.clear();
    CachedSCode = scode;
    m_sql1.setSql(QStringList{QStringLiteral("SELECT COUNT(KCODE) AS RECCNT FROM KAMOKU_VIEW"),
                              QStringLiteral("WHERE SCODE=:SCODE")});
    m_sql1.paramByName(QStringLiteral("SCODE")).setString(scode);
    m_sql1.open();
    const int count = m_sql1.field(0).asInteger();
    m_sql1.close();
    if (count <= 0) return;
    m_sql1.setSql(QStringList{QStringLiteral("SELECT KCODE,USERCODE,HCODE,BCODE FROM KAMOKU_VIEW"),
                              QStringLiteral("WHERE SCODE=:SCODE"),
                              FileVer == u"1.1" ? QStringLiteral("ORDER BY USERCODE,HCODE,BCODE")
                                                : QStringLiteral("ORDER BY KCODE,HCODE,BCODE")});
    m_sql1.paramByName(QStringLiteral("SCODE")).setString(scode);
    KamokuCodes.reserve(size_t(count));
    for (m_sql1.open(); !m_sql1.eof(); m_sql1.next()) {
        TKamokuCodeRec r;
        r.KCODE = m_sql1.field(0).asString();
        r.USERCODE = m_sql1.field(1).asString();
        r.HCODE = m_sql1.field(2).asString();
        r.BCODE = m_sql1.field(3).asString();
        KamokuCodes.push_back(r);
    }
    m_sql1.close();
}

void TJisyoLoader::MapKamokuCode(const QString &recordType)
{
    if (KCode.isEmpty()) {
        HCode.clear();
        BCode.clear();
        return;
    }
    const bool byKCode = recordType == u"201" || recordType == u"301";
    const QString code = KCode;
    bool found = false;
    QString mapped;
    int hcodes = 0, bcodes = 0;
    for (const TKamokuCodeRec &r : KamokuCodes) {
        const QString &key = byKCode ? r.KCODE : r.USERCODE;
        const int cmp = QString::compare(key, code, Qt::CaseSensitive);
        if (cmp > 0) break;
        if (cmp != 0) continue;
        found = true;
        mapped = r.KCODE;
        if (r.HCODE == HCode) ++hcodes;
        if (r.BCODE == BCode) ++bcodes;
    }
    if (!found) {
        KCode.clear();
        HCode.clear();
        BCode.clear();
        return;
    }
    KCode = mapped;
    if (hcodes == 0) HCode.clear();
    if (bcodes == 0) BCode.clear();
}
