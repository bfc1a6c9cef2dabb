#include "app/hj19.h"

#include "app/DepreciationRates.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Kikan.h"
#include "core/Messages.h"
#include "core/MojiBunkatu.h"
#include "core/SjisText.h"

#include <QHash>

#include <cstring>
#include <map>

namespace {

const QDate kNewMethodStart(2007, 4, 1);
const QDate kTeiritu200Start(2012, 4, 1);

// "#": whole yen (half away from zero), empty for zero.
QString amount(Currency c)
{
    const qint64 v = c.units(RoundingMode::HalfUp);
    return v == 0 ? QString() : QString::number(v);
}

// "0": whole yen (half away from zero), "0" for zero.
QString totalAmount(Currency c)
{
    return QString::number(c.units(RoundingMode::HalfUp));
}

// A typed rate with three decimals, rounded half away from zero on its exact value.
QString typedRate(Currency rate)
{
    return rate.toFixed(3, RoundingMode::HalfUp);
}

// percent % of an amount, taken to four decimals (half away from zero) and
// then truncated to whole yen.
Currency percentOf(Currency c, qint64 percent)
{
    return c.mulDiv(percent, 100, RoundingMode::HalfUp).rounded(0, RoundingMode::Truncate);
}

// Column positions of a sheet by suffix, looked up once per sheet.
class ColumnIndex
{
public:
    explicit ColumnIndex(const QStringList &columns)
    {
        for (qsizetype i = 0; i < columns.size(); ++i) m_index.insert(columns[i].toLatin1(), int(i));
        m_count = int(columns.size());
    }
    int of(const char *column) const { return m_index.value(QByteArray::fromRawData(column, qsizetype(strlen(column))), -1); }
    int count() const { return m_count; }

private:
    QHash<QByteArray, int> m_index;
    int m_count = 0;
};

// One row being filled: columns by suffix.
class RowBuilder
{
public:
    RowBuilder(const ColumnIndex &columns, std::vector<QString> &row) : m_columns(columns), m_row(row)
    {
        m_row.assign(size_t(columns.count()), QString());
    }
    void set(const char *column, const QString &value)
    {
        const int i = m_columns.of(column);
        if (i >= 0) m_row[size_t(i)] = value;
    }
    QString get(const char *column) const
    {
        const int i = m_columns.of(column);
        return i >= 0 ? m_row[size_t(i)] : QString();
    }

private:
    const ColumnIndex &m_columns;
    std::vector<QString> &m_row;
};

QStringList columns(const char *list)
{
    return QString::fromLatin1(list).split(u' ', Qt::SkipEmptyParts);
}

// The asset query of one sheet, with the fields looked up once.
class AssetReader
{
public:
    explicit AssetReader(int method)
        : q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT)
    {
        QStringList sql{QStringLiteral("SELECT KS.*,K.KNAME FROM KS_SISAN KS"),
                        QStringLiteral("INNER JOIN KAMOKUMST K ON (KS.KCODE=K.KCODE)")};
        if (method == 5) {
            sql << QStringLiteral("WHERE (KS.GSHOUHOU=5)")
                << QStringLiteral("AND (KS.SYUTODATE>=:KIKAN1 AND KS.SYUTODATE<=:KIKAN2)");
        } else {
            sql << QStringLiteral("WHERE KS.GSHOUHOU=%1").arg(method);
        }
        sql << QStringLiteral("ORDER BY KS.KANRI,KS.REC");
        q.setSql(sql);
        if (method == 5) {
            q.paramByName(QStringLiteral("KIKAN1")).setDate(AccInf.KISHU);
            q.paramByName(QStringLiteral("KIKAN2")).setDate(AccInf.KIMATU);
        }
        q.open();
    }
    ~AssetReader() { q.close(); }

    bool eof() const { return q.eof(); }
    void next() { q.next(); }
    FbField *field(const char *name)
    {
        // Fields stay in place while the query is open: look each name up once.
        auto it = m_fields.find(name);
        if (it != m_fields.end()) return it->second;
        FbField *f = q.findField(QLatin1String(name));
        m_fields.emplace(name, f);
        return f;
    }
    FbField &need(const char *name)
    {
        FbField *f = field(name);
        if (!f) throw platform::Error(QStringLiteral("項目 %1 がありません。").arg(QLatin1String(name)));
        return *f;
    }

    FbQuery q;

private:
    std::map<const char *, FbField *> m_fields; // keyed by the literal's address

};

// What every sheet takes from one asset row.
struct Asset {
    QString kname, meisyou;
    QDate syutodate;
    TWarekiRec wareki;
    int months = 0;
    int taiyouyy = 0;
    Currency syutokin, matumi, syoukinkei, kisokin, syouritu, futu, wari, zanka;

    void read(AssetReader &r)
    {
        kname = r.need("KNAME").asString();
        meisyou = r.need("MEISYOU").asString();
        syutodate = NullIfDateZero(r.need("SYUTODATE").asDate()); // date 0 is no date either
        if (!syutodate.isValid())
            throw EDataExportError(QStringLiteral("取得年月が設定されていません。"), 4,
                                   QStringLiteral("資産名:%1").arg(meisyou));
        wareki = TWarekiRec();
        DateToWareki(wareki, syutodate);
        months = r.need("SYOUKIKANEND").asInteger() - r.need("SYOUKIKANSTR").asInteger() + 1;
        taiyouyy = r.need("TAIYOUYY").asInteger();
        syutokin = r.need("SYUTOKIN").asCurrency();
        matumi = r.need("MATUMISYOUKIN").asCurrency();
        syoukinkei = r.need("SYOUKINKEI").asCurrency();
        kisokin = r.need("KISOKIN").asCurrency();
        syouritu = r.need("SYOURITU").asCurrency();
        futu = r.need("FUTUSYOUKIN").asCurrency();
        wari = r.need("WARISYOUKIN").asCurrency();
        zanka = r.need("ZANKAHOSYOUGAKU").asCurrency();
    }

    void setEra(RowBuilder &b, const char *name, const char *year, const char *month, const char *day = nullptr) const
    {
        b.set(name, wareki.GengoName);
        b.set(year, QString::number(wareki.Year));
        b.set(month, QString::number(wareki.Month));
        if (day) b.set(day, QString::number(wareki.Day));
    }
};

QString name16(const QString &text)
{
    return PadStr(text, 16);
}

int monthsOfYear()
{
    return AccInf.MonthsToKimatu - AccInf.MonthsToKaisi + 1;
}

// The old method's limit: 5 % of the cost, truncated to whole yen.
Currency limitOf(Currency cost)
{
    return percentOf(cost, 5);
}

bool atLimit(Currency limit, Currency start)
{
    return AccInf.KISHU >= kNewMethodStart && AccInf.KIMATU >= kNewMethodStart && limit >= start;
}

// The columns both the straight-line and the declining-balance sheet fill the
// same way; returns the value at the start of the year.
Currency fillShared(RowBuilder &b, const Asset &a)
{
    b.set("ZOKUSEI", QStringLiteral("2"));
    b.set("0100", name16(a.kname));
    b.set("0300", name16(a.meisyou));
    a.setEra(b, "0410", "0420", "0430", "0440");
    a.setEra(b, "0510", "0520", "0530");
    b.set("0540", QString::number(a.months));
    b.set("0550", QString::number(monthsOfYear()));
    b.set("0600", QString::number(a.taiyouyy));
    b.set("0700", amount(a.syutokin));
    b.set("0900", amount(a.syutokin));
    b.set("1000", amount(a.matumi));
    b.set("1300", amount(a.matumi));
    b.set("1400", amount(a.syoukinkei));
    const Currency start = a.matumi + a.syoukinkei;
    b.set("1600", amount(start));
    return start;
}

// An asset of the old methods: below the 5 % limit its depreciation columns,
// at the limit only the limit total. Returns the column of the total.
const char *fillOld(RowBuilder &b, const Asset &a, Currency limit, Currency start)
{
    if (atLimit(limit, start)) {
        b.set("2400", totalAmount(a.syoukinkei));
        return "2400";
    }
    b.set("2000", typedRate(a.syouritu));
    b.set("2100", amount(a.futu));
    b.set("2220", amount(a.wari));
    b.set("2310", QStringLiteral("(21)+(22)"));
    b.set("2320", totalAmount(a.syoukinkei));
    return "2320";
}

} // namespace

// The rows of one sheet, each added to the document as it is made; the
// sheet's element is made with its first row.
class THojinZeiGenka19DataMake::SheetOut
{
public:
    SheetOut(THojinZeiGenka19DataMake &maker, TXmlSaveDoc &doc, TXmlSaveDoc::Node data, int sheet)
        : m_doc(doc), m_data(data), m_sheetName(maker.GetSheetName(sheet)), m_rowName(maker.GetRowName(sheet, 0)),
          m_maker(maker), m_number(sheet)
    {
    }
    // The columns are known: the names of the row's text children follow.
    void setColumns(const QStringList &columns)
    {
        auto names = std::make_shared<QStringList>();
        for (const QString &c : columns) *names << m_rowName + u'_' + c;
        m_names = std::move(names);
    }
    std::vector<QString> &row() { return m_row; }
    // Adds the row made in row().
    void add()
    {
        if (m_sheet < 0) m_sheet = m_doc.AddNode(m_data, m_sheetName);
        m_doc.AddTextRow(m_sheet, m_rowName, QString::number(++m_lines), m_line, m_names, std::move(m_row));
        m_row = std::vector<QString>();
    }
    // Closes the sheet: its closing elements when it has rows.
    void close()
    {
        if (m_sheet >= 0) m_maker.writeClosing(m_doc, m_number, m_sheet);
    }

private:
    TXmlSaveDoc &m_doc;
    TXmlSaveDoc::Node m_data;
    TXmlSaveDoc::Node m_sheet = -1;
    QString m_sheetName, m_rowName;
    const QString m_line = QStringLiteral("line");
    std::shared_ptr<const QStringList> m_names;
    std::vector<QString> m_row;
    THojinZeiGenka19DataMake &m_maker;
    int m_number;
    int m_lines = 0;
};

QString THojinZeiGenka19DataMake::GetSheetName(int sheet) const
{
    static const char *const names[] = {"", "HJK160119", "HJK160219", "HJK160419", "HJK160619", "HJK160719", "HJK160819"};
    return sheet >= 1 && sheet <= 6 ? QLatin1String(names[sheet]) : QString();
}

QString THojinZeiGenka19DataMake::GetRowName(int sheet, int rowKind) const
{
    static const char *const details[] = {"", "TEIGAKU_MEISAI_19", "TEIRITU_MEISAI_19", "LEASE_MEISAI",
                                          "KINTOUSHOUKYAKU_MEISAI", "SHOUGAKU_MEISAI", "IKKATU_MEISAI"};
    static const char *const closings[] = {"", "TEIGAKU_OTHER_19", "TEIRITU_OTHER_19", "LEASE_OTHER",
                                           "ICHIJISHOUKYAKU_MEISAI", "", "IKKATU_TOUKI"};
    if (sheet < 1 || sheet > 6) return QString();
    return QLatin1String(rowKind == 0 ? details[sheet] : closings[sheet]);
}

void THojinZeiGenka19DataMake::buildTeigaku(SheetOut &out)
{
    Sheet &s = Sheets[1];
    s.Columns = columns("ZOKUSEI 0100 0200 0300 0410 0420 0430 0440 0510 0520 0530 0540 0550 0600 0700 0800 0900 1000 "
                        "1100 1200 1300 1400 1500 1600 1700 1800 1900 2000 2100 2210 2220 2310 2320 2400 2500 2600 2700 "
                        "2810 2820 2900 3000 3110 3120 3130 3210 3220 3300 3400 3500 3600 3700 3800 3900 4000 4100 4200 "
                        "4300 4400 4500 4600 4700");
    out.setColumns(s.Columns);
    const ColumnIndex index(s.Columns);
    AssetReader r(1);
    for (; !r.eof(); r.next()) {
        Asset a;
        a.read(r);
        RowBuilder b(index, out.row());
        const Currency start = fillShared(b, a);
        const char *total = nullptr;
        if (a.syutodate < kNewMethodStart) {
            const Currency residual = percentOf(a.syutokin, 10);
            const Currency limit = limitOf(a.syutokin);
            b.set("1700", amount(residual));
            b.set("1800", amount(limit));
            if (!atLimit(limit, start)) b.set("1900", amount(a.syutokin - residual));
            total = fillOld(b, a, limit, start);
        } else {
            b.set("2500", amount(a.kisokin));
            b.set("2600", typedRate(a.syouritu));
            b.set("2700", amount(a.futu));
            b.set("2820", amount(a.wari));
            b.set("2900", totalAmount(a.syoukinkei));
            total = "2900";
        }
        const QString t = b.get(total);
        for (const char *c : {"3000", "3400", "3500"}) b.set(c, t);
        out.add();
        m_result = 1;
    }
}

void THojinZeiGenka19DataMake::buildTeiritu(SheetOut &out)
{
    Sheet &s = Sheets[2];
    s.Columns = columns("ZOKUSEI 0100 0200 0300 0410 0420 0430 0440 0450 0510 0520 0530 0540 0550 0600 0700 0800 0900 "
                        "0910 1000 1100 1200 1300 1400 1500 1600 1700 1800 1900 2000 2100 2210 2220 2310 2320 2400 2510 "
                        "2500 2610 2600 2700 2800 2900 3000 3100 3210 3220 3300 3400 3510 3520 3530 3610 3620 3700 3800 "
                        "3900 4000 4100 4200 4300 4400 4500 4600 4700 4800 4900 5000 5100");
    out.setColumns(s.Columns);
    const ColumnIndex index(s.Columns);
    AssetReader r(2);
    FbField *f250 = r.field("TEIRITU250");
    FbField *f200 = r.field("TEIRITU200");
    for (; !r.eof(); r.next()) {
        Asset a;
        a.read(r);
        const int teiritu250 = f250 ? f250->asInteger() : 0;
        const int teiritu200 = f200 ? f200->asInteger() : 0;
        const bool old = a.syutodate < kNewMethodStart;

        int kind;
        if (AccInf.KIMATU < kNewMethodStart || a.syutodate < kTeiritu200Start) {
            if (AccInf.KIMATU < kNewMethodStart || old) kind = 0;
            else kind = teiritu200 == 1 ? 2 : 1;
        } else {
            kind = 2;
            if (teiritu250 == 1) kind = teiritu200 == 1 ? 2 : 1;
        }
        const TDepreciationRates rates = RateRow(kind == 2, a.taiyouyy);

        RowBuilder b(index, out.row());
        const Currency start = fillShared(b, a);
        b.set("0450", QString::number(teiritu250));
        b.set("1800", amount(a.kisokin));
        const char *total = nullptr;
        if (old) {
            const Currency limit = limitOf(a.syutokin);
            b.set("1900", amount(limit));
            total = fillOld(b, a, limit, start);
        } else {
            const Currency adjusted = a.kisokin.mulDiv(a.syouritu.raw, Currency::Scale, RoundingMode::HalfUp);
            Currency guarantee;
            if (teiritu200 == 1) {
                const Currency adjustedCost = r.need("SYUTOKUKAGAKUCHOSEI").asCurrency();
                guarantee = adjustedCost.mulDiv(rates.Hosyo, RateScale, RoundingMode::HalfUp).rounded(0, RoundingMode::Truncate);
                b.set("0910", amount(a.syutokin - adjustedCost));
            } else {
                guarantee = a.syutokin.mulDiv(rates.Hosyo, RateScale, RoundingMode::HalfUp);
            }
            b.set("2500", typedRate(a.syouritu));
            b.set("2600", amount(adjusted.rounded(0, RoundingMode::Truncate)));
            b.set("2700", RateText(rates.Hosyo, 5));
            b.set("2800", amount(guarantee.rounded(0, RoundingMode::Truncate)));
            if (guarantee > adjusted) {
                const bool input = r.need("ISINPKAITEISYUTOKUKAGAKU").asInteger() == 1;
                b.set("2900", amount(r.need(input ? "KAITEISYUTOKUKAGAKU_INPUT" : "KAITEISYUTOKUKAGAKU").asCurrency()));
                b.set("3000", RateText(rates.Kaitei, 3));
                b.set("3100", amount(a.futu));
            }
            b.set("3220", amount(a.wari));
            b.set("3300", totalAmount(a.syoukinkei));
            total = "3300";
        }
        const QString t = b.get(total);
        for (const char *c : {"3400", "3800", "3900"}) b.set(c, t);
        out.add();
        m_result = 1;
    }
}

void THojinZeiGenka19DataMake::buildLease(SheetOut &out)
{
    Sheet &s = Sheets[3];
    s.Columns = columns("ZOKUSEI 0100 0200 0300 0410 0420 0430 0440 0510 0520 0530 0600 0700 0800 0900 1000 1110 1120 "
                        "1130 1140 1150 1160 1170 1180 1200 1300 1400 1500 1600 1700 1800 1900 2000 2100 2200 2300 2410 "
                        "2420 2500 2600 2710 2720 2730 2810 2820 2900 3000 3100 3200 3300 3400 3500 3600 3700 3800 3900 "
                        "4000 4100 4200 4300");
    out.setColumns(s.Columns);
    const ColumnIndex index(s.Columns);
    AssetReader r(6);
    for (; !r.eof(); r.next()) {
        Asset a;
        a.read(r);
        RowBuilder b(index, out.row());
        b.set("ZOKUSEI", QStringLiteral("1"));
        b.set("0100", name16(a.kname));
        b.set("0300", name16(a.meisyou));
        a.setEra(b, "0410", "0420", "0430", "0440");
        a.setEra(b, "0510", "0520", "0530");
        b.set("1700", amount(a.syutokin));
        b.set("1800", amount(a.zanka));
        b.set("1900", amount(a.syutokin - a.zanka));
        b.set("2420", QString::number(a.taiyouyy));
        b.set("2500", QString::number(a.months));
        b.set("2600", amount(a.futu));
        out.add();
        m_result = 1;
    }
}

void THojinZeiGenka19DataMake::buildKintou(SheetOut &out)
{
    Sheet &s = Sheets[4];
    s.Columns = columns("ZOKUSEI 0110 0120 0130 0210 0220 0230 0300 0400 0500 0600 0700 0800 0900 1000 1100 1200");
    out.setColumns(s.Columns);
    const ColumnIndex index(s.Columns);
    AssetReader r(3);
    for (; !r.eof(); r.next()) {
        Asset a;
        a.read(r);
        RowBuilder b(index, out.row());
        b.set("ZOKUSEI", QStringLiteral("1"));
        b.set("0110", name16(a.kname));
        b.set("0130", name16(a.meisyou));
        a.setEra(b, "0210", "0220", "0230");
        b.set("0300", amount(a.kisokin));
        b.set("0400", QString::number(a.taiyouyy * 12));
        b.set("0500", QString::number(a.months));
        b.set("0600", amount(a.syoukinkei));
        b.set("0700", amount(a.syoukinkei));
        out.add();
        m_result = 1;
    }
}

void THojinZeiGenka19DataMake::buildShougaku(SheetOut &out)
{
    Sheet &s = Sheets[5];
    s.Columns = columns("0110 0120 0130 0210 0220 0230 0310 0320 0330 0410 0420 0430 0500 0600 0700");
    out.setColumns(s.Columns);
    const ColumnIndex index(s.Columns);
    AssetReader r(5);
    TMojiBunkatu split;
    for (; !r.eof(); r.next()) {
        Asset a;
        a.read(r);
        RowBuilder b(index, out.row());
        // Names in pieces of 16 bytes; a name longer than two pieces keeps its first two.
        split.SplitFixed(a.kname, 16);
        b.set("0110", split.Item(0));
        b.set("0120", split.Item(1));
        split.SplitFixed(a.meisyou, 16);
        b.set("0310", split.Item(0));
        b.set("0320", split.Item(1));
        a.setEra(b, "0410", "0420", "0430");
        b.set("0500", amount(a.syutokin));
        b.set("0700", amount(a.syutokin));
        out.add();
        m_result = 1;
    }
}

void THojinZeiGenka19DataMake::buildIkkatu(SheetOut &out)
{
    Sheet &s = Sheets[6];
    s.Columns = columns("0110 0120 0130 0140 0150 0160 0200 0300 0400 0500 0600 0700 0800 0900 1000");
    out.setColumns(s.Columns);
    const ColumnIndex index(s.Columns);
    TotalColumns = columns("0200 0300 0400 0500 0600 0700 0800 0900 1000");
    TotalValues = QStringList(TotalColumns.size(), QString());
    Currency sum;
    AssetReader r(4);
    for (; !r.eof(); r.next()) {
        Asset a;
        a.read(r);
        RowBuilder b(index, out.row());
        b.set("0200", amount(a.kisokin));
        b.set("0300", QString::number(a.months));
        b.set("0400", amount(a.syoukinkei));
        b.set("0500", amount(a.syoukinkei));
        sum += a.kisokin;
        out.add();
        m_result = 1;
    }
    // A third to four decimals, then whole yen by the company's rounding.
    const Currency third = sum.mulDiv(1, 3, RoundingMode::HalfUp).rounded(0, RoundingModeOf(AccInf.SDAI_HASUU1));
    TotalValues[0] = amount(sum);
    TotalValues[1] = QStringLiteral("12");
    TotalValues[2] = amount(third);
    TotalValues[3] = amount(third);
}

void THojinZeiGenka19DataMake::writeClosing(TXmlSaveDoc &doc, int sheet, int sheetNode)
{
    if (sheet == 3) {
        const TXmlSaveDoc::Node other = doc.AddNode(sheetNode, QStringLiteral("LEASE_OTHER"));
        doc.AddTextNode(other, QStringLiteral("LEASE_BIKOU_UP"), QString(), QString(), QString());
        doc.AddTextNode(other, QStringLiteral("LEASE_BIKOU_DW"), QString(), QString(), QString());
    } else if (sheet == 6) {
        const TXmlSaveDoc::Node total = doc.AddNode(sheetNode, QStringLiteral("IKKATU_TOUKI"));
        for (qsizetype c = 0; c < TotalColumns.size(); ++c)
            doc.AddTextNode(total, QStringLiteral("IKKATU_TOUKI_") + TotalColumns[c], QString(), QString(), TotalValues[c]);
    }
}

int THojinZeiGenka19DataMake::MakeData(TXmlSaveDoc &doc)
{
    m_result = 3;
    const TXmlSaveDoc::Node data = doc.AddNode(-1, QStringLiteral("DATA"));
    try {
        // The read is committed on every path, a failure's too.
        TransactionGuard g(DM->IBTransactionDAT, TransactionGuard::Exit::Commit);
        // The sheets in the order of the file, so that each row is written as it is read.
        void (THojinZeiGenka19DataMake::*const builds[])(SheetOut &) = {
            nullptr,
            &THojinZeiGenka19DataMake::buildTeigaku,
            &THojinZeiGenka19DataMake::buildTeiritu,
            &THojinZeiGenka19DataMake::buildLease,
            &THojinZeiGenka19DataMake::buildKintou,
            &THojinZeiGenka19DataMake::buildShougaku,
            &THojinZeiGenka19DataMake::buildIkkatu,
        };
        for (int sheet = 1; sheet <= 6; ++sheet) {
            SheetOut out(*this, doc, data, sheet);
            (this->*builds[sheet])(out);
            out.close();
        }
    } catch (const FbError &e) {
        MessageDlg(QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ\r") + e.message() + QStringLiteral("\r\r"), TMsgDlgType::mtError, mbOK);
        return 16;
    } catch (const std::exception &e) {
        MessageDlg(QStringLiteral("例外エラー\r") + exceptionText(e) + QStringLiteral("\r\r"), TMsgDlgType::mtError, mbOK);
        return 16;
    }
    return m_result;
}

void THojinZeiGenkaDataExport::Execute(TXmlSaveDoc &doc)
{
    THojinZeiGenka19DataMake maker;
    const int result = maker.MakeData(doc);
    if (result == 3) throw EDataExportError(QStringLiteral("対象の減価償却資産が登録されていません。"), 16, QString());
    if (result == 16) throw EDataExportError(QStringLiteral("減価償却資産の取得に失敗しました。"), 7, QString());
}
