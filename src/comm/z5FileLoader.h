#pragma once
// Comma-separated text files of a company database, and the dictionary
// transfer file built on them: the description dictionary (TEKDICTI/TEKDIC)
// and the partner dictionary (TORDICTI/TORDIC) of one company database, with
// their accounts named by user code, so that they can be written into another
// company database whose internal account codes differ.
//
// The file is CP932 text with CR LF line ends: comment lines beginning with
// "//" (kind, version, the open company's name, kind and data version, the
// date), then one data line per title and entry, every field followed by ",".
#include "core/MojiBunkatu.h"
#include "dbaccess/FbClient.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TBaseLoader
{
public:
    TBaseLoader();
    virtual ~TBaseLoader();
    TBaseLoader(const TBaseLoader &) = delete;
    TBaseLoader &operator=(const TBaseLoader &) = delete;

    // All statements on another database or transaction.
    void SetDatabase(FbDatabase *db);
    void SetTransaction(FbTransaction *tr);
    FbDatabase *Database() const { return m_sql1.Database; }
    FbTransaction *Transaction() const { return m_sql1.Transaction; }

    // Free texts lose tab, CR and LF (when clean is 1) and carry each
    // double quote as two apostrophes; decoding turns them back.
    QString EncodeField(const QString &text, int clean) const;
    QString DecodeField(const QString &text, int clean) const;

    void WriteHeader();
    // The kind line is there and, when CheckVer is 1 and the file names a
    // version, the major versions agree.
    bool CheckHeader();
    virtual int RecordCount();

    // The lines from and to a CP932 file. Saving writes a new file beside the
    // target and puts it in place when complete; a text CP932 cannot hold is
    // refused (platform::Error), never written changed.
    void LoadLines(const QString &path);
    void SaveLines(const QString &path) const;

    int OpCode = 0;
    QString FileKind;
    QString FileVer;
    quint8 CheckVer = 1;
    QStringList Lines;
    QChar QuoteChar = u'"';
    QChar Delimiter = u',';
    // Today's date of the header (a seam for tests).
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

protected:
    QString quoted(const QString &text) const { return QuoteChar + text + QuoteChar; }
    // The statements' transaction (their database's default when none is set).
    FbTransaction &workTransaction() const;

    FbQuery m_sql1, m_sql2;
    TMojiBunkatu m_splitter;
};

struct TKamokuCodeRec {
    QString KCODE;
    QString USERCODE;
    QString HCODE;
    QString BCODE;
    int Value1 = 0;
    int Value2 = 0;
};

class TJisyoLoader : public TBaseLoader
{
public:
    TJisyoLoader();

    void Clear();
    void SetFileVersion(const QString &version);
    int RecordCount() override;
    // False when nothing was done (no file name; on import also an empty
    // file, a refused header or no records of the chosen dictionaries).
    // Database and file errors are raised.
    bool ExportToFile(const QString &fileName);
    bool ImportFromFile(const QString &fileName);

    void LoadKamokuCodes(const QString &scode);
    void MapKamokuCode(const QString &recordType);

    QString TekTitleType = QStringLiteral("200");
    QString TekEntryType = QStringLiteral("202");
    QString TorTitleType = QStringLiteral("300");
    QString TorEntryType = QStringLiteral("302");
    QString SCode;
    // The account mapping's work fields: account, sub-account and department.
    QString KCode, HCode, BCode;
    quint8 Target = 0;   // 0 both dictionaries, 1 descriptions, 2 partners
    quint8 AllSCode = 1; // every branch (from the file), or only SCode
    QStringList CrecMap;
    QString CachedSCode = QStringLiteral("**");
    std::vector<TKamokuCodeRec> KamokuCodes;

private:
    struct Dictionary;
    void exportDictionary(const Dictionary &d, bool entriesByUserCode);
    void importDictionary(const Dictionary &d);
    QString crecMapValue(const QString &key) const;
};
