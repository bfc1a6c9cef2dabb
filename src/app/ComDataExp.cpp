#include "app/ComDataExp.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "core/DateFormat.h"
#include "core/FileUtils.h"
#include "core/MojiBunkatu.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"
#include "platform/StandardFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace comdataexp {

// The rules are those of the accounting helpers' splitter: quotes, and blanks
// outside quotes, separate items whatever the delimiter.
void TMojiBunkatu::Split(const QString &text)
{
    ::TMojiBunkatu m;
    m.Delimiter = Delimiter;
    m.Split(text);
    Items = m.Items();
    Count = m.Count;
}

} // namespace comdataexp

TComDataExport::TComDataExport(int callerNumber, const QString &exportFile)
{
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    ExeName = QFileInfo(program).fileName().toUpper();
    ProgramDir = platform::programDir();
    ProgramDrive = QStringLiteral("/");
    SettingsRoot = ExcludePathDelim(GetAppDataFolder(true)) + u'/' + NativePath(AppInfo.Rirev.HomeDir);
    SettingsIniDir = SettingsRoot + QStringLiteral("/ini");
    QDir().mkpath(SettingsIniDir);
    ProductName = GetTaxAppRegValue(11, 0, QStringLiteral("Product"));
    ProductVersion = GetTaxAppRegValue(11, 0, QStringLiteral("Version"));
    Caption = QStringLiteral("連結納税のソルテア（平成25年度版 以降） from ") + ProductName + QStringLiteral("（減価償却）");
    CallerNumber = callerNumber;
    FunctionId = callerNumber == 0 ? 1 : callerNumber;
    ExportFile = exportFile;
    if (BusinessKind.contains(QStringLiteral("ST"))) DataSelectStyle = 2;
    else if (BusinessKind.contains(QStringLiteral("SY"))) DataSelectStyle = 0;
    LoadSettings();
}

// Nothing is written here: a failure could not be shown from a destructor.
// The wizard saves the last-used values as it closes (SaveSettings).
TComDataExport::~TComDataExport() = default;

QString TComDataExport::GetTaxAppRegValue(int edition, int drive, const QString &valueName)
{
    using platform::RegRoot;
    using platform::RegistryStore;
    const QString makerKey = AppInfo.Application.RegKey;
    const QString word = AppInfo.Rirev.RegKey.toLower() + QStringLiteral("%1").arg(edition, 2, 10, QLatin1Char('0'));
    const QStringList keys = RegistryStore::subKeys(RegRoot::LocalMachine, makerKey);
    QString result;
    for (auto it = keys.crbegin(); it != keys.crend(); ++it) {
        if (!it->toLower().contains(word)) continue;
        result = RegistryStore::readString(RegRoot::LocalMachine, makerKey + u'\\' + *it, valueName);
        break;
    }
    if (valueName.compare(QStringLiteral("rootdir"), Qt::CaseInsensitive) == 0 && !result.isEmpty()) {
        result = ExcludePathDelim(result) + u'\\' + AppInfo.Rirev.RegKey.toLower() +
                 QStringLiteral("%1").arg(edition + 8, 2, 10, QLatin1Char('0'));
        if (drive > 0) result += QStringLiteral("a%1").arg(drive);
    }
    return result;
}

QString TComDataExport::sectionName() const
{
    static const QList<QPair<QString, QString>> sections = {
        {QStringLiteral("HJ"), QStringLiteral("HOJINZEI")},       {QStringLiteral("HJ_G"), QStringLiteral("HOJINZEI_G")},
        {QStringLiteral("SY"), QStringLiteral("SYOUHIZEI")},      {QStringLiteral("UT"), QStringLiteral("UTIWAKESYO")},
        {QStringLiteral("GA"), QStringLiteral("GAIKYOUSYO")},     {QStringLiteral("ST"), QStringLiteral("SYOTOKUZEI")},
        {QStringLiteral("ST_G"), QStringLiteral("SYOTOKUZEI_G")}, {QStringLiteral("RC"), QStringLiteral("RENKETUNOUZEI")},
        {QStringLiteral("RC_G"), QStringLiteral("RENKETUNOUZEI_G")}};
    for (const auto &s : sections)
        if (s.first == BusinessKind) return s.second;
    return BusinessKind;
}

QString TComDataExport::SettingsFile() const
{
    return SettingsIniDir + QStringLiteral("/Soltea.ini");
}

void TComDataExport::LoadSettings()
{
    const platform::IniFile ini(SettingsFile());
    const QString section = sectionName();
    LastData = ini.readString(section, QStringLiteral("DATA"));
    KomonsakiName = ini.readString(section, QStringLiteral("KOMONSAKI"));
    // A file named by the command line is the file to write; the remembered one
    // is used only when none was named.
    if (CallerNumber == 0 && ExportFile.isEmpty()) ExportFile = ini.readString(section, QStringLiteral("EXPORTFILE"));
}

void TComDataExport::SaveSettings()
{
    platform::IniFile ini(SettingsFile());
    const QString section = sectionName();
    ini.writeString(section, QStringLiteral("DATA"), LastData);
    ini.writeString(section, QStringLiteral("KOMONSAKI"), KomonsakiName);
    if (CallerNumber == 0 && CanRememberFile(ExportFile)) ini.writeString(section, QStringLiteral("EXPORTFILE"), ExportFile);
}

bool TComDataExport::CanRememberFile(const QString &path)
{
    bool ok = true;
    platform::toCp932(path, &ok);
    return ok;
}

void prepareExportFromCompany(TComDataExport &x, const QString &dataDir, const TACCINF &company)
{
    x.SelectedDataDir = dataDir;
    x.KomonsakiName = company.SHOUGOU;
    x.Nendo = company.NENDO;
    x.JigyouNendoFrom = QDateTime(company.KISHU, QTime(0, 0));
    x.JigyouNendoTo = QDateTime(company.KIMATU, QTime(0, 0));
    x.SimeDay = company.SIME;
    x.FirstPeriod = company.MonthsToKaisi + 1;
    x.LastPeriod = x.PeriodEnd = company.PeriodCount;
    x.TaxMethod = company.TAXDEFUH;
    x.SimplifiedTax = company.TAXKANNI;
    x.TaxBusinessKind = company.TAXJIGYOU;
    x.DataKind = company.DATATYPE;
    x.CodeKind = company.CODETYPE;
    x.EquityStatement = false;
    x.IncomeKind = 0;
}

void TComDataExport::SetSystemNode(TXmlSaveDoc &doc)
{
    doc.CreateRoot(QStringLiteral("REPORT"));
    const TXmlSaveDoc::Node system = doc.AddNode(-1, QStringLiteral("SYSTEM"));
    doc.AddTextNode(system, QStringLiteral("GYOUMUPREFIX"), QString(), QString(), GyoumuPrefix);
    doc.AddTextNode(system, QStringLiteral("VERSION"), QString(), QString(), QString::number(FormatVersion));
    doc.AddTextNode(system, QStringLiteral("FUNCTIONID"), QString(), QString(), QString::number(FunctionId));
    doc.AddTextNode(system, QStringLiteral("CONNECTEDPROGRAMVER"), QString(), QString(), ConnectedProgramVer);
    doc.AddTextNode(system, QStringLiteral("PROGRAMNAME"), QString(), QString(), ProductName);
    doc.AddTextNode(system, QStringLiteral("PROGRAMVER"), QString(), QString(), ProductVersion);
}

void TComDataExport::SetBasicNode(TXmlSaveDoc &doc)
{
    const TXmlSaveDoc::Node basic = doc.AddNode(-1, QStringLiteral("BASIC"));
    doc.AddTextNode(basic, QStringLiteral("KOMONSAKINAME"), QString(), QString(), KomonsakiName);
    static const QStringList dated = {QStringLiteral("HJ16"), QStringLiteral("HJ13"), QStringLiteral("UG16"),
                                      QStringLiteral("UG13"), QStringLiteral("HJ18"), QStringLiteral("HJ19"),
                                      QStringLiteral("HJ21"), QStringLiteral("RC25")};
    if (!dated.contains(GyoumuPrefix))
        throw EDataExportError(QStringLiteral("業務Prefixが条件に加えられていません。"), 256,
                               QStringLiteral("SetBasicNode(BASICﾉｰﾄﾞを作成)"));
    doc.AddTextNode(basic, QStringLiteral("JIGYOUNENDOFROM"), QString(), QString(),
                    FormatDateTime(QStringLiteral("yyyymmdd"), JigyouNendoFrom));
    doc.AddTextNode(basic, QStringLiteral("JIGYOUNENDOTO"), QString(), QString(),
                    FormatDateTime(QStringLiteral("yyyymmdd"), JigyouNendoTo));
    if (GyoumuPrefix == u"HJ21" || GyoumuPrefix == u"RC25") {
        const auto pattern = doc.AddNode(basic, QStringLiteral("PATTERN"));
        const auto bs = doc.AddNode(pattern, QStringLiteral("BS"));
        const auto ca = doc.AddNode(bs, QStringLiteral("CA"));
        doc.AddTextNode(ca, QStringLiteral("Doubtful"), QString(), QString(), QStringLiteral("A2"));
        const auto ppe = doc.AddNode(bs, QStringLiteral("PPE"));
        doc.AddTextNode(ppe, QStringLiteral("DepImp"), QString(), QString(), QStringLiteral("B6"));
        const auto ioa = doc.AddNode(bs, QStringLiteral("IOA"));
        doc.AddTextNode(ioa, QStringLiteral("Doubtful"), QString(), QString(), QStringLiteral("C2"));
        doc.AddTextNode(ioa, QStringLiteral("DepImp"), QString(), QString(), QStringLiteral("D6"));
        const auto pl = doc.AddNode(pattern, QStringLiteral("PL"));
        doc.AddTextNode(pl, QStringLiteral("Sales"), QString(), QString(), QStringLiteral("E3"));
        doc.AddTextNode(pl, QStringLiteral("Cos"), QString(), QString(), QStringLiteral("F1"));
        doc.AddTextNode(pl, QStringLiteral("Sga"), QString(), QString(), QStringLiteral("G1"));
    }
}

void WriteIntermediateFile(TComDataExport &exporter, const QString &path)
{
    TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
    // Written while the sheets are read; a failure leaves no file.
    doc.StreamTo(path);
    exporter.SetSystemNode(doc);
    exporter.SetBasicNode(doc);
    exporter.Execute(doc);
    doc.SaveToFile(path);
}
