#pragma once
// The export object of the linkage tool: which tax-return product and business
// kind the intermediate file is for, the exporting package's identity, the
// last-used values in "Soltea.ini", and the header elements "SYSTEM" and
// "BASIC". Subclasses write the body.
#include "app/XMLSaveDoc.h"
#include "platform/Error.h"

struct TACCINF;

#include <QDateTime>
#include <QString>
#include <QStringList>

// The export's exception: a message, a code and where it was raised.
class EDataExportError : public platform::Error
{
public:
    EDataExportError(const QString &message, int code, const QString &place)
        : platform::Error(message), Code(code), Place(place) {}
    int Code;
    QString Place;
};

namespace comdataexp {
// The export unit's own comma splitter (an empty text gives one empty item).
class TMojiBunkatu
{
public:
    QChar Delimiter = u',';
    QStringList Items;
    int Count = 0;
    void Split(const QString &text);
    QString Item(int i) const { return i >= 0 && i < Count ? Items[i] : QString(); }
};
} // namespace comdataexp

class TComDataExport
{
public:
    TComDataExport(int callerNumber, const QString &exportFile);
    virtual ~TComDataExport();
    TComDataExport(const TComDataExport &) = delete;
    TComDataExport &operator=(const TComDataExport &) = delete;

    void SetSystemNode(TXmlSaveDoc &doc);
    void SetBasicNode(TXmlSaveDoc &doc);
    virtual void Execute(TXmlSaveDoc &doc) = 0;

    // The value of the tax-return product's key of the maker (edition number, drive number, value name).
    static QString GetTaxAppRegValue(int edition, int drive, const QString &valueName);

    void LoadSettings();
    // Writes the last-used values; a file path that "Soltea.ini" cannot hold
    // (a character outside code page 932) is not written and the stored one stays.
    // Throws platform::Error when the file cannot be written (the caller shows it);
    // the destructor writes nothing.
    void SaveSettings();
    static bool CanRememberFile(const QString &path);
    QString SettingsFile() const;

    // Fields, in declaration order.
    QString ExeName;
    QString ProgramDir;
    QString ProgramDrive;
    QString SettingsRoot;
    QString SettingsIniDir;
    QString Caption;
    QString TargetName = QStringLiteral("連結納税のソルテア（減価償却）");
    QString BusinessKind = QStringLiteral("RC_G");
    int CallerNumber = 0;
    QString GyoumuPrefix = QStringLiteral("RC25");
    int FormatVersion = 1;
    int FunctionId = 1;
    QString ConnectedProgramVer = QStringLiteral("11.0.0");
    QString ProductName;
    QString ProductVersion;
    QString MinimumVersion = QStringLiteral("11.0.0");
    QString KomonsakiName;
    int Nendo = 0;
    QDateTime JigyouNendoFrom, JigyouNendoTo;
    int SimeDay = 99;
    int IncomeKind = 0;
    bool EquityStatement = false;
    int RoundingMode = 0;
    QString SelectedDataDir;
    QString LastData;
    int FirstPeriod = 0, LastPeriod = 0, PeriodEnd = 0;
    int TaxMethod = 0, SimplifiedTax = 0, TaxBusinessKind = 0;
    int DataKind = 0, CodeKind = 0;
    QString ExportFile;
    int DataSelectStyle = 1;
    QString DataVersion = QStringLiteral("11.0");
    QString DataMajorVersion = QStringLiteral("11");

private:
    QString sectionName() const;
};

// Copies what the export needs of the opened company (its master record, as
// loaded after the data set was chosen) into the export object: the data
// folder, the company name, the fiscal year and its calculation periods, the
// tax settings and the data and code kinds.
void prepareExportFromCompany(TComDataExport &exporter, const QString &dataDir, const TACCINF &company);

// Writes the whole intermediate file: the declaration, "REPORT" with "SYSTEM",
// "BASIC" and the exporter's body, streamed to the file as it is made and
// saved over the path only when complete.
void WriteIntermediateFile(TComDataExport &exporter, const QString &path);
