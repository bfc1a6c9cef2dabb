#include "datasets/DataListKensaku.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/SjisText.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace {

struct KbnChoice {
    const char16_t *text;
    int dataType;
    int codeType;
};

const std::array<KbnChoice, DataKbnChoiceCount> kKbnChoices = {{
    {u"選択なし", 0, 0},
    {u"法人", 1, 1},
    {u"個人(一般)", 2, 1},
    {u"個人(不動産)", 2, 2},
    {u"医療法人", 3, 1},
    {u"個人(クリニック)", 2, 3},
    {u"個人(農業)", 2, 4},
}};

const QString kSelectFailed = QStringLiteral("検索条件レコードの参照に失敗しました。");
const QString kUpdateFailed = QStringLiteral("検索条件レコードの更新に失敗しました。");
const QString kWhere = QStringLiteral("WHERE (OPCODE=:OPCODE)AND(LISTTYPE=:LISTTYPE)");

// Major and minor of a version text "major.minor" (missing parts 0).
std::pair<int, int> splitVersion(const QString &text)
{
    const QStringList parts = text.split(u'.');
    const int major = parts.value(0).trimmed().toInt();
    const int minor = parts.size() > 1 ? parts.value(1).trimmed().toInt() : 0;
    return {major, minor};
}

QString foldName(const QString &text) { return MapString(LCMAP_FULLWIDTH, text).toUpper(); }

} // namespace

void SetDataKbn(int choice, TDataKensakuRec &rec)
{
    const KbnChoice &c = (choice >= 0 && choice < DataKbnChoiceCount) ? kKbnChoices[size_t(choice)] : kKbnChoices[0];
    rec.DataType = c.dataType;
    rec.CodeType = c.codeType;
}

int GetDataKbnIndex(const TDataKensakuRec &rec)
{
    for (int i = 1; i < DataKbnChoiceCount; ++i)
        if (kKbnChoices[size_t(i)].dataType == rec.DataType && kKbnChoices[size_t(i)].codeType == rec.CodeType) return i;
    return 0;
}

QString DataKbnChoiceText(int choice)
{
    if (choice < 0 || choice >= DataKbnChoiceCount) return QString();
    return QString::fromUtf16(kKbnChoices[size_t(choice)].text);
}

int DecodeSortCol(int stored)
{
    switch (stored) {
    case 1: return 2;
    case 2: return 3;
    case 3: return 4;
    case 4: return 5;
    case 5: return 6;
    case 6: return 1;
    default: return 0;
    }
}

int EncodeSortCol(int column)
{
    switch (column) {
    case 2: return 1;
    case 3: return 2;
    case 4: return 3;
    case 5: return 4;
    case 6: return 5;
    case 1: return 6;
    default: return 0;
    }
}

bool PassesSearchConditions(const TDataListRec &row, const TDataKensakuRec &cond)
{
    const auto [major, minor] = splitVersion(cond.DataVer);
    const int k = cond.DataType;
    const int c = cond.CodeType;
    if (k > 0 && c != 0) {
        if (QString::number(row.DATATYPE) + QString::number(row.CODETYPE) != QString::number(k) + QString::number(c))
            return false;
    } else if (k > 0) {
        if (row.DATATYPE != k) return false;
    } else if (k == -13) {
        if (row.DATATYPE != 1 && row.DATATYPE != 3) return false;
    }
    if (!cond.DataName.isEmpty() && !foldName(row.ENTTEXT).contains(foldName(cond.DataName))) return false;
    if (cond.Tanto != 0 && row.TANTOU != cond.Tanto) return false;
    if (!cond.DataVer.isEmpty()) {
        switch (cond.VerCompMode) {
        case 1:
            if (row.VER_MAJOR != major) return false;
            break;
        case 2:
            if (std::pair(row.VER_MAJOR, row.VER_MINOR1) < std::pair(major, minor)) return false;
            break;
        default:
            if (QStringLiteral("%1.%2").arg(row.VER_MAJOR).arg(row.VER_MINOR1) != cond.DataVer) return false;
            break;
        }
    }
    const QString code = cond.DataCode.trimmed();
    if (!code.isEmpty() && PadStr(row.DATACODE, SjisLength(code)).toUpper() != code.toUpper()) return false;
    return true;
}

TDataSentakuRecDispArray ApplySearchFilter(const TDataSentakuRecArray &rows, const TDataKensakuRec &cond)
{
    TDataSentakuRecDispArray order;
    for (int i = 0; i < rows.size(); ++i)
        if (PassesSearchConditions(rows[i], cond)) order << i;
    return order;
}

TDataListKensakuCtl::TDataListKensakuCtl()
    : IBTransactionDEF(DM ? &DM->IBDatabaseDEF : nullptr,
                       {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")}),
      IBSQL1(DM ? &DM->IBDatabaseDEF : nullptr, &IBTransactionDEF)
{
    if (!DM) throw std::logic_error("TDataListKensakuCtl needs the data module");
}

TDataListKensakuCtl::~TDataListKensakuCtl()
{
    if (IBTransactionDEF.inTransaction()) IBTransactionDEF.rollback();
}

void TDataListKensakuCtl::InitSearchRec(TDataKensakuRec &rec) const
{
    rec = TDataKensakuRec();
    rec.OpCode = SystemDef.OpCode;
    rec.ListType = ListType;
}

void TDataListKensakuCtl::fail(const std::exception &e, bool startedHere, const QString &operation,
                                const QString &text)
{
    if (!startedHere) return; // inside the caller's transaction the failure is the caller's
    reportError(e, QStringLiteral("TDataListKensakuBox.") + operation, text, false);
}

bool TDataListKensakuCtl::SelectRecord(TDataKensakuRec &rec)
{
    InitSearchRec(rec);
    const bool started = !IBTransactionDEF.inTransaction();
    try {
        TransactionGuard g(IBTransactionDEF);
        IBSQL1.setSql(QStringList{
            QStringLiteral("SELECT JYOKENUSE,DATATYPE,CODETYPE,DATACODE,DATANAME,TANTO,DATAVER,SEIHINNAME,SORTCOL,"
                           "SORTTYPE FROM KENSAKUJYOKEN"),
            kWhere});
        IBSQL1.paramByName(QStringLiteral("OPCODE")).setInteger(rec.OpCode);
        IBSQL1.paramByName(QStringLiteral("LISTTYPE")).setInteger(rec.ListType);
        bool found = false;
        for (IBSQL1.open(); !IBSQL1.eof(); IBSQL1.next()) {
            found = true;
            auto integer = [this](const char *n) { return IBSQL1.fieldByName(QLatin1String(n)).asInteger(); };
            auto text = [this](const char *n) { return IBSQL1.fieldByName(QLatin1String(n)).asString(); };
            rec.JyokenUse = integer("JYOKENUSE");
            rec.DataType = integer("DATATYPE");
            rec.CodeType = integer("CODETYPE");
            rec.DataCode = text("DATACODE");
            rec.DataName = text("DATANAME");
            rec.Tanto = integer("TANTO");
            rec.DataVer = text("DATAVER");
            rec.SeihinName = text("SEIHINNAME");
            rec.SortCol = DecodeSortCol(integer("SORTCOL"));
            rec.SortType = integer("SORTTYPE");
        }
        IBSQL1.close();
        if (!found) {
            IBSQL1.setSql(QStringList{
                QStringLiteral("INSERT INTO KENSAKUJYOKEN(OPCODE,LISTTYPE,JYOKENUSE,DATATYPE,CODETYPE,DATACODE,DATANAME,"
                               "TANTO,DATAVER,SEIHINNAME,SORTCOL,SORTTYPE)"),
                QStringLiteral("VALUES(:OPCODE,:LISTTYPE,:JYOKENUSE,:DATATYPE,:CODETYPE,:DATACODE,:DATANAME,:TANTO,"
                               ":DATAVER,:SEIHINNAME,:SORTCOL,:SORTTYPE)")});
            IBSQL1.paramByName(QStringLiteral("OPCODE")).setInteger(rec.OpCode);
            IBSQL1.paramByName(QStringLiteral("LISTTYPE")).setInteger(rec.ListType);
            IBSQL1.paramByName(QStringLiteral("JYOKENUSE")).setInteger(rec.JyokenUse);
            IBSQL1.paramByName(QStringLiteral("DATATYPE")).setInteger(rec.DataType);
            IBSQL1.paramByName(QStringLiteral("CODETYPE")).setInteger(rec.CodeType);
            IBSQL1.paramByName(QStringLiteral("DATACODE")).setString(rec.DataCode);
            IBSQL1.paramByName(QStringLiteral("DATANAME")).setString(rec.DataName);
            IBSQL1.paramByName(QStringLiteral("TANTO")).setInteger(rec.Tanto);
            IBSQL1.paramByName(QStringLiteral("DATAVER")).setString(rec.DataVer);
            IBSQL1.paramByName(QStringLiteral("SEIHINNAME")).setString(rec.SeihinName);
            IBSQL1.paramByName(QStringLiteral("SORTCOL")).setInteger(EncodeSortCol(rec.SortCol));
            IBSQL1.paramByName(QStringLiteral("SORTTYPE")).setInteger(rec.SortType);
            IBSQL1.execSQL();
        }
        g.commit();
        return true;
    } catch (const std::exception &e) {
        fail(e, started, QStringLiteral("SelectRecord"), kSelectFailed);
        return false;
    }
}

bool TDataListKensakuCtl::UpdateRecord(const TDataKensakuRec &rec)
{
    const bool started = !IBTransactionDEF.inTransaction();
    try {
        TransactionGuard g(IBTransactionDEF);
        IBSQL1.setSql(QStringList{
            QStringLiteral("UPDATE KENSAKUJYOKEN"),
            QStringLiteral("SET JYOKENUSE=:JYOKENUSE,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,DATACODE=:DATACODE,"
                           "DATANAME=:DATANAME,TANTO=:TANTO,"),
            QStringLiteral("DATAVER=:DATAVER,SEIHINNAME=:SEIHINNAME,SORTCOL=:SORTCOL,SORTTYPE=:SORTTYPE"), kWhere});
        IBSQL1.paramByName(QStringLiteral("JYOKENUSE")).setInteger(rec.JyokenUse);
        IBSQL1.paramByName(QStringLiteral("DATATYPE")).setInteger(rec.DataType);
        IBSQL1.paramByName(QStringLiteral("CODETYPE")).setInteger(rec.CodeType);
        IBSQL1.paramByName(QStringLiteral("DATACODE")).setString(rec.DataCode);
        IBSQL1.paramByName(QStringLiteral("DATANAME")).setString(rec.DataName);
        IBSQL1.paramByName(QStringLiteral("TANTO")).setInteger(rec.Tanto);
        IBSQL1.paramByName(QStringLiteral("DATAVER")).setString(rec.DataVer);
        IBSQL1.paramByName(QStringLiteral("SEIHINNAME")).setString(rec.SeihinName);
        IBSQL1.paramByName(QStringLiteral("SORTCOL")).setInteger(EncodeSortCol(rec.SortCol));
        IBSQL1.paramByName(QStringLiteral("SORTTYPE")).setInteger(rec.SortType);
        IBSQL1.paramByName(QStringLiteral("OPCODE")).setInteger(rec.OpCode);
        IBSQL1.paramByName(QStringLiteral("LISTTYPE")).setInteger(rec.ListType);
        IBSQL1.execSQL();
        g.commit();
        return true;
    } catch (const std::exception &e) {
        fail(e, started, QStringLiteral("UpdateRecord"), kUpdateFailed);
        return false;
    }
}

bool TDataListKensakuCtl::UpdateRecordSortField(const TDataKensakuRec &rec)
{
    const bool started = !IBTransactionDEF.inTransaction();
    try {
        TransactionGuard g(IBTransactionDEF);
        IBSQL1.setSql(QStringList{QStringLiteral("UPDATE KENSAKUJYOKEN"),
                                  QStringLiteral("SET SORTCOL=:SORTCOL,SORTTYPE=:SORTTYPE"), kWhere});
        IBSQL1.paramByName(QStringLiteral("SORTCOL")).setInteger(EncodeSortCol(rec.SortCol));
        IBSQL1.paramByName(QStringLiteral("SORTTYPE")).setInteger(rec.SortType);
        IBSQL1.paramByName(QStringLiteral("OPCODE")).setInteger(rec.OpCode);
        IBSQL1.paramByName(QStringLiteral("LISTTYPE")).setInteger(rec.ListType);
        IBSQL1.execSQL();
        g.commit();
        return true;
    } catch (const std::exception &e) {
        fail(e, started, QStringLiteral("UpdateRecordSortField"), kUpdateFailed);
        return false;
    }
}
