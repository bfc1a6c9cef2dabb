#pragma once
// The books of the open company database as one file of MySQL statements for
// the analysis service: it drops and recreates one database, creates its
// tables from the create script, empties and refills every table with the
// company's rows and creates the indexes from the index script.
//
// The header, the database statements and the two scripts are written as
// they are (code page 932); the rows and the statements of the catalogue that
// carry Japanese text are written in UTF-8. Text values are escaped on the
// Unicode characters before the conversion: backslash, apostrophe, CR, LF and
// NUL, so every value loads unchanged. Every line ends with CR LF.
//
// The text form of a value is the one the database gives: integers in
// decimal; scaled numbers in the shortest decimal form without trailing zeros
// ("1500", "0.95", "-12.5"); floating-point values with up to 15 significant
// digits; dates "yyyy/MM/dd"; timestamps "yyyy/MM/dd hh:mm:ss", the time left
// out at midnight.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class FbQuery;
class FbField;
class QFile;

// One value of the fixed settings rows written after the company's ACCREG
// rows: the operator's print settings of the report layouts.
struct TVeldaPrintSetting {
    QString Group; // 環境設定 or 決算書
    QString Code;
    QString Type;  // 整数 or 文字
    QString Value; // the integer in decimal, or the text
};

class TWebDbSqlDump
{
public:
    TWebDbSqlDump();
    ~TWebDbSqlDump();
    TWebDbSqlDump(const TWebDbSqlDump &) = delete;
    TWebDbSqlDump &operator=(const TWebDbSqlDump &) = delete;

    bool WasInTransaction = false;
    QString DataVersionText;
    QString DumpFileName = QStringLiteral("vqacc.sql");
    QString CreateScriptPath;
    QString IndexScriptPath;
    QString DumpFilePath;
    QString DatabaseName; // set by the caller
    quint16 JobLevel = 200;
    int RowBatch = 100;
    // The fixed settings rows, in their order. This program keeps none of
    // the operator's report-layout settings: the values are 0 and the empty
    // text unless the caller sets them.
    std::vector<TVeldaPrintSetting> PrintSettings;

    // Writes the dump file. False when DatabaseName is empty or not a plain
    // name (letters, digits and "_"; the refusal is shown) and nothing is
    // touched, or when writing failed after the file was created: the failure
    // has been shown, the transaction started here rolled back and the partial
    // file deleted. A file that cannot be created raises platform::Error.
    bool WriteDumpFile();

    // Value formatters of the table sections.
    // The literal of one column of the current row of `field` by the kind name
    // ("" plain, "Q" quoted, "STR", "DATETIME", "INT", "FLOAT", "DOUBLE", "CURR").
    static QString FieldToSqlValue(const FbField &field, const QString &kindName);
    enum class ValueKind { Plain, Quoted, Str, DateTime, Number };
    // The same appended to a row, by the kind itself.
    static void AppendValue(QString &row, const FbField &field, ValueKind kind);
    // Backslash, apostrophe, CR, LF and NUL written as MySQL escapes.
    static QString EscapeSqlText(const QString &text);
    static QString DateToSqlValue(const QString &kindName, const QDateTime &value);
    // A colour value (0x00BBGGRR, or a system colour) as red*65536+green*256+blue.
    static QString ColorToSqlInt(qint64 color);
    static QByteArray EncodeOutputText(const QString &text) { return text.toUtf8(); }
    // The text form of a column (the empty text for NULL).
    static QString FieldText(const FbField &field);

    // Whether a name may stand as the MySQL database name.
    static bool IsValidDatabaseName(const QString &name);

    // The conditions of the catalogue, from the open company's record.
    static bool IsDataKind3();
    static bool IsVersion802OrLater();

    // The sections between "--  RirevData Area" and "--  Index Create"; the
    // catalogue lives in its own source file.
    void WriteSections();

    // A value of a section and a section (see the catalogue source).
    struct ValueSpec;
    struct SectionSpec;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    std::unique_ptr<FbQuery> Query;

    // Output: bytes buffered and written in large blocks.
    void out(const QByteArray &bytes);
    void line(const QByteArray &bytes); // bytes + CR LF
    void lineSjis(const QString &text);
    void lineUtf8(const QString &text);
    void flushOut();
    void writeScript(const QString &path);
    void separator(const char *title);

    void writeSection(const SectionSpec &spec);
    void writeBudgetRules();
    void writeAccountGroups();
    void writeAccReg();
    void writeChartInf();
};
