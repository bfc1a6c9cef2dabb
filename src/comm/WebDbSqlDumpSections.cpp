// The table sections of the SQL dump, in their fixed order, with the source
// of each section's rows, the order of its values and their kinds.
//
// A value list is written as comma-separated items:
//   NAME        the column in the plain kind
//   NAME:q      quoted          NAME:s   string        NAME:t  date-time
//   NAME:n      number          NAME:color  a colour value
//   NAME:ctype  the chart kind mapped   NAME:int  a text column as an integer
//   #           a running number of the section
//   =TEXT       the text itself
#include "comm/WebDbSqlDump.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/FbClient.h"

#include <QHash>

struct TWebDbSqlDump::ValueSpec {
    enum Kind { Plain, Quoted, Str, DateTime, Number, Running, Literal, Color, ChartType, IntText };
    Kind kind = Plain;
    QString text; // column name or literal
    int index = -1;
};

struct TWebDbSqlDump::SectionSpec {
    QString table;
    QStringList header;               // empty: "INSERT INTO " + table + " VALUES"
    QString from;                     // FROM part with WHERE, without ORDER BY; empty: the table
    QString orderBy;
    QHash<QString, QString> columnSql; // a column read as an expression ("0 AS MB_JIGYOU")
    QString values;
    bool noRows = false;               // the section writes no rows
    bool batched = false;
    bool writeDelete = true;
    bool endLineAlways = true;         // false: CR LF only after rows
    bool endLine = true;               // false: nothing after the rows' line (the caller goes on)
    int maxRows = 0;                   // 0: every row
    QString paramName;
    QVariant paramValue;
    int *running = nullptr;            // a running number carried across statements
    bool rowsWritten = false;
};

namespace {

QString expandRange(const QString &prefix, int from, int to, const QString &suffix, int width = 0)
{
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << prefix + (width ? QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0')) : QString::number(i)) + suffix;
    return items.join(u',');
}

std::vector<TWebDbSqlDump::ValueSpec> parseValues(const QString &list);

QString siwakeValues()
{
    return QStringLiteral(
               "REC,SWKREC,SWKNO,DELFLG,TAISHAKU,HIZUKE:q,MNUM,KESSAN,SDAYNUM,MDAYNUM,DNUM,SNUM,SCODE:q,SITREC,"
               "KGROUP:q,KCODE:q,HCODE:q,BCODE:q,KNAME:s,HNAME:s,BNAME:s,TAXCODE,TAXUH,TAXDC,NUK,ZEI,RIT,SIKIN,"
               "R_KGROUP:q,R_KCODE:q,R_HCODE:q,R_BCODE:q,R_KNAME:s,R_HNAME:s,R_BNAME:s,R_TAXCODE,R_TAXUH,R_TAXDC,"
               "R_NUK,R_ZEI,R_RIT,R_SIKIN,KINGAKU,ZEIGAKU,ZEIRITUNO,AUTCALCU,TAXCALCU,OLDRATE,TEKCODE,TEKTEXT:s,"
               "TORCODE,TORTEXT:s,") +
           expandRange(QStringLiteral("FUSEN"), 1, 5, QString()) +
           QStringLiteral(",CTIME:t,COMMENT:s,AO_COMMENT:s,LINKKEY:s,LINKKUB:n,LINKREC:n,LOCALFLG,RESERVE1,RESERVE2,"
                          "RTIME:t,OPCODE");
}

} // namespace

namespace {

std::vector<TWebDbSqlDump::ValueSpec> parseValues(const QString &list)
{
    using V = TWebDbSqlDump::ValueSpec;
    std::vector<V> out;
    for (const QString &item : list.split(u',')) {
        V v;
        if (item == QStringLiteral("#")) {
            v.kind = V::Running;
        } else if (item.startsWith(u'=')) {
            v.kind = V::Literal;
            v.text = item.mid(1);
        } else {
            const qsizetype colon = item.indexOf(u':');
            v.text = colon < 0 ? item : item.left(colon);
            const QString k = colon < 0 ? QString() : item.mid(colon + 1);
            if (k == QStringLiteral("q")) v.kind = V::Quoted;
            else if (k == QStringLiteral("s")) v.kind = V::Str;
            else if (k == QStringLiteral("t")) v.kind = V::DateTime;
            else if (k == QStringLiteral("n")) v.kind = V::Number;
            else if (k == QStringLiteral("color")) v.kind = V::Color;
            else if (k == QStringLiteral("ctype")) v.kind = V::ChartType;
            else if (k == QStringLiteral("int")) v.kind = V::IntText;
            else v.kind = V::Plain;
        }
        out.push_back(v);
    }
    return out;
}

int chartType(qint64 v)
{
    switch (v) {
    case 2:
    case 5: return 2;
    case 3:
    case 4: return 3;
    default: return 0;
    }
}

QString dateLiteral(const QDate &d)
{
    return u'\'' + (d.isValid() ? d : QDate(1899, 12, 30)).toString(QStringLiteral("yyyy/MM/dd")) + u'\'';
}

} // namespace

void TWebDbSqlDump::writeSection(const SectionSpec &specIn)
{
    SectionSpec &spec = const_cast<SectionSpec &>(specIn);
    spec.rowsWritten = false;
    if (spec.writeDelete) line("DELETE FROM " + spec.table.toLatin1() + ';');
    std::vector<ValueSpec> values = parseValues(spec.values);
    QList<QByteArray> header;
    if (spec.header.isEmpty()) header << "INSERT INTO " + spec.table.toLatin1() + " VALUES";
    for (const QString &h : spec.header) header << EncodeOutputText(h);

    if (!spec.noRows) {
        QStringList columns;
        for (const ValueSpec &v : values) {
            if (v.kind == ValueSpec::Running || v.kind == ValueSpec::Literal) continue;
            const QString sql = spec.columnSql.value(v.text, v.text);
            if (!columns.contains(sql)) columns << sql;
        }
        QStringList sql;
        sql << QStringLiteral("SELECT ") + columns.join(u',');
        sql << (spec.from.isEmpty() ? QStringLiteral("FROM ") + spec.table : spec.from);
        if (!spec.orderBy.isEmpty()) sql << QStringLiteral("ORDER BY ") + spec.orderBy;
        Query->close();
        Query->setSql(sql);
        if (!spec.paramName.isEmpty()) Query->paramByName(spec.paramName).setVariant(spec.paramValue);
        Query->open();
        for (ValueSpec &v : values)
            if (v.kind != ValueSpec::Running && v.kind != ValueSpec::Literal) v.index = Query->fieldIndex(v.text);

        int localRunning = 0;
        int &running = spec.running ? *spec.running : localRunning;
        int count = 0;
        QString row;
        while (!Query->eof()) {
            if (count == 0)
                for (const QByteArray &h : header) line(h);
            ++count;
            row.clear();
            row += u'(';
            bool first = true;
            for (const ValueSpec &v : values) {
                if (!first) row += u',';
                first = false;
                switch (v.kind) {
                case ValueSpec::Running: row += QString::number(++running); break;
                case ValueSpec::Literal: row += v.text; break;
                case ValueSpec::Plain: AppendValue(row, Query->field(v.index), ValueKind::Plain); break;
                case ValueSpec::Number: AppendValue(row, Query->field(v.index), ValueKind::Number); break;
                case ValueSpec::Quoted: AppendValue(row, Query->field(v.index), ValueKind::Quoted); break;
                case ValueSpec::Str: AppendValue(row, Query->field(v.index), ValueKind::Str); break;
                case ValueSpec::DateTime: AppendValue(row, Query->field(v.index), ValueKind::DateTime); break;
                case ValueSpec::Color: row += ColorToSqlInt(Query->field(v.index).asInt64()); break;
                case ValueSpec::ChartType: row += QString::number(chartType(Query->field(v.index).asInt64())); break;
                case ValueSpec::IntText: {
                    bool ok = false;
                    const int n = Query->field(v.index).asString().trimmed().toInt(&ok);
                    row += QString::number(ok ? n : 0);
                    break;
                }
                }
            }
            row += u')';
            Query->next();
            const bool last = Query->eof() || (spec.maxRows > 0 && count >= spec.maxRows);
            QByteArray bytes = EncodeOutputText(row);
            if (last) {
                bytes += ';';
                out(bytes);
                break;
            }
            if (spec.batched && count % RowBatch == 0) {
                bytes += ";\r\n";
                out(bytes);
                for (const QByteArray &h : header) line(h);
            } else {
                bytes += ',';
                out(bytes);
            }
        }
        Query->close();
        spec.rowsWritten = count > 0;
    }
    if (spec.endLine && (spec.endLineAlways || spec.rowsWritten)) out("\r\n");
}

void TWebDbSqlDump::writeAccReg()
{
    SectionSpec s;
    s.table = QStringLiteral("ACCREG");
    s.from = QStringLiteral("FROM ACCREG WHERE AGROUP<>:AGROUP");
    s.orderBy = QStringLiteral("AGROUP,ACODE");
    s.values = QStringLiteral("AGROUP:q,ACODE:q,ATYPE:q,ATEXT:q,AMEMO:q");
    s.paramName = QStringLiteral("AGROUP");
    s.paramValue = QStringLiteral("経営ベルダ");
    writeSection(s);
    for (const TVeldaPrintSetting &p : PrintSettings) {
        QString stmt = QStringLiteral("INSERT INTO ACCREG VALUES('") + EscapeSqlText(p.Group) + QStringLiteral("','") +
                       EscapeSqlText(p.Code) + QStringLiteral("','") + p.Type + QStringLiteral("',");
        if (p.Type == QStringLiteral("整数")) {
            bool ok = false;
            const int n = p.Value.trimmed().toInt(&ok);
            stmt += QString::number(ok ? n : 0);
        } else {
            stmt += u'\'' + EscapeSqlText(p.Value) + u'\'';
        }
        stmt += QStringLiteral(",'');");
        lineUtf8(stmt);
    }
}

void TWebDbSqlDump::writeChartInf()
{
    SectionSpec s;
    s.table = QStringLiteral("CHARTINF");
    s.from = QStringLiteral("FROM CHARTINF WHERE OPCODE=100009999");
    s.orderBy = QStringLiteral("OPCODE");
    s.values = QStringLiteral("OPCODE,CTYPE1:ctype,CTYPE2,CTYPE3,CTYPE4,BAKCOL:color,FORCOL:color,GRID,FONTSIZE,"
                              "ECOL1:color,ECOL2:color,ECOL3:color,ECOL4:color,THREE_D,HANREI,TANI,HASUU,"
                              "RESERVE1,RESERVE2,RESERVE3");
    s.endLine = false;
    writeSection(s);
    if (!s.rowsWritten)
        out("INSERT INTO CHARTINF VALUES(100009999,0,0,0,0,16777215,0,3,2,255,16776960,16711680,65535,20,0,0,0,0,0,0);");
    out("\r\n");
}

void TWebDbSqlDump::writeBudgetRules()
{
    line("DELETE FROM TRIVO_YOSAN_KIHONRULE;");
    if (IsVersion802OrLater()) {
        Query->close();
        Query->setSql(QStringList{QStringLiteral("SELECT COUNT(FKOMOKU) AS RECCNT"), QStringLiteral("FROM TRIVO_YOSAN_KIHONRULE")});
        Query->open();
        const qint64 count = Query->eof() ? 0 : Query->field(0).asInt64();
        Query->close();
        if (count == 0) {
            static const char *const rows[] = {
                "('売上債権',1,'現金',100.0,0,'','1899/12/31',0)", "('売上債権',2,'掛',0.0,2,'','1899/12/31',0)",
                "('売上債権',3,'手形',0.0,2,'','1899/12/31',0)", "('仕入債務',1,'現金',100,0.0,'','1899/12/31',0)",
                "('仕入債務',2,'掛',0.0,2,'','1899/12/31',0)", "('仕入債務',3,'手形',0.0,2,'','1899/12/31',0)",
            };
            for (const char *r : rows) {
                Query->setSql(QStringLiteral("INSERT INTO TRIVO_YOSAN_KIHONRULE(FKOMOKU,FROW,FKBN,FWARIAI,FSITE,FMEMO,"
                                             "FHIZUKE,FKINGAKU) VALUES") +
                              QString::fromUtf8(r));
                Query->execSQL();
            }
            Query->Transaction ? Query->Transaction->commitRetaining() : DM->IBTransactionDAT.commitRetaining();
        }
        int fid = 0;
        const QString header = QStringLiteral("INSERT INTO TRIVO_YOSAN_KIHONRULE(FID,FKOMOKU,FROW,FKBN,FWARIAI,FSITE,FMEMO,"
                                              "FHIZUKE,FKINGAKU) VALUES");
        const QString values = QStringLiteral("#,FKOMOKU:s,FROW:n,FKBN:s,FWARIAI:n,FSITE:n,FMEMO:s,FHIZUKE:t,FKINGAKU:n");
        auto group = [&](const QString &where, const QString &order, int maxRows) {
            SectionSpec s;
            s.table = QStringLiteral("TRIVO_YOSAN_KIHONRULE");
            s.header = QStringList{header};
            s.from = QStringLiteral("FROM TRIVO_YOSAN_KIHONRULE ") + where;
            s.orderBy = order;
            s.values = values;
            s.writeDelete = false;
            s.endLineAlways = false;
            s.maxRows = maxRows;
            s.running = &fid;
            writeSection(s);
        };
        group(QStringLiteral("WHERE (FKOMOKU<>'納税')AND(FKOMOKU<>'その他')"), QStringLiteral("FKOMOKU,FROW"), 0);
        lineUtf8(QStringLiteral("DELETE FROM TRIVO_YOSAN_KIHONRULE WHERE (FKOMOKU='売上債権') AND (FKBN='設定単位');"));
        lineUtf8(QStringLiteral("DELETE FROM TRIVO_YOSAN_KIHONRULE WHERE (FKOMOKU='仕入債務') AND (FKBN='設定単位');"));
        lineUtf8(QStringLiteral("DELETE FROM TRIVO_YOSAN_KIHONRULE WHERE (FKOMOKU='未払金／未払費用');"));
        group(QStringLiteral("WHERE FKOMOKU='納税'"), QStringLiteral("FKOMOKU,FHIZUKE,FROW"), 10);
        group(QStringLiteral("WHERE FKOMOKU='その他'"), QStringLiteral("FKOMOKU,FHIZUKE,FROW"), 10);
    }
    out("\r\n");
}

void TWebDbSqlDump::writeAccountGroups()
{
    lineUtf8(QStringLiteral("DELETE FROM KAMOKU_KOSEI_GROUP;"));
    line(QByteArray());
    if (IsVersion802OrLater()) {
        SectionSpec s;
        s.table = QStringLiteral("KAMOKU_KOSEI_GROUP");
        s.header = QStringList{QStringLiteral("INSERT INTO KAMOKU_KOSEI_GROUP(FGNAME,FKCODE,FHCODE) VALUES")};
        s.columnSql.insert(QStringLiteral("FHCODE"), QStringLiteral("'' AS FHCODE"));
        s.orderBy = QStringLiteral("FGNAME,FKCODE");
        s.values = QStringLiteral("FGNAME:s,FKCODE:s,FHCODE:s");
        s.writeDelete = false;
        s.endLine = false;
        writeSection(s);
    }
    lineUtf8(QStringLiteral("DELETE FROM KAMOKU_KOSEI_GROUP WHERE (FGNAME='未払金／未払費用');"));
}

void TWebDbSqlDump::WriteSections()
{
    const bool kind3 = IsDataKind3();
    const bool v802 = IsVersion802OrLater();
    auto plain = [this](const QString &table, const QString &order, const QString &values, bool batched = false) {
        SectionSpec s;
        s.table = table;
        s.orderBy = order;
        s.values = values;
        s.batched = batched;
        writeSection(s);
    };

    // 1 ACCDEF1: two dates of the company record stand between the texts and NENDO.
    {
        SectionSpec s;
        s.table = QStringLiteral("ACCDEF1");
        s.orderBy = QStringLiteral("REC");
        s.values = QStringLiteral("REC,GROUPID,ENTTEXT:s,SERIAL:s,TANTOU,GYOUSHU,DATATYPE,CODETYPE,SCODE1:s,SCODE2:s,"
                                  "SKANA:s,SHOUGOU:s,POST:s,ADD1:s,ADD2:s,TEL:s,AO_ADD1:s,AO_ADD2:s,AO_KANA:s,AO_SIMEI:s,"
                                  "AO_GYOUSHU:s,AO_YAGO:s,AO_KANYU:s,AO_TEL:s,AO_SHOKUGYO1:s,AO_SHOKUGYO2:s,") +
                   u'=' + dateLiteral(AccInf.zzKISHU) + QStringLiteral(",=") + dateLiteral(AccInf.zKISHU) +
                   QStringLiteral(",NENDO,KISHU:q,KIMATU:q,KAISI:q,SIME,KAISINO,GENGOU_FLG,GENGOU_HOSEI,GENGOU_NAME:q,"
                                  "YAKUMEI1:q,YAKUMEI2:q,YAKUMEI3:q,") +
                   expandRange(QStringLiteral("OLD_TAX_RATE"), 1, 5, QString()) + u',' +
                   expandRange(QStringLiteral("NEW_TAX_RATE"), 1, 5, QString()) + u',' +
                   expandRange(QStringLiteral("CHG_DAYS"), 1, 5, QStringLiteral(":t")) +
                   QStringLiteral(",KANSA_FIXDATE:t,KANSA_DATE:t,CALCU,TAXU_HASUU,TAXH_HASUU,TAXDEFUH,TAXKANNI,TAXJIGYOU,"
                                  "GENKAPRINT,KANSA_LOCK,TEGATADICSW,KESSAN_KIKAN,CASHFLOW_KIKAN1,CASHFLOW_KIKAN2,CASHFLOWSW,"
                                  "SDAI_HASUU1,SDAI_HASUU2,SDAI_HASUU3,CONVERT,SHOUHYOU,SITEN,BUMON,DATALOCK,FUMEI_KCODE:s,"
                                  "GENKA_USE,") +
                   expandRange(QStringLiteral("GENKA_HWORD"), 1, 6, QStringLiteral(":q")) +
                   QStringLiteral(",PASWORD:s,WEB_HOLDER:s");
        writeSection(s);
    }
    // 2, 3
    plain(QStringLiteral("ACCDEF2"), QStringLiteral("KCODE"), QStringLiteral("KCODE:q,KNAME:q,KGROUP:q,HYOUJYUN"));
    plain(QStringLiteral("ACCDEF5"), QStringLiteral("SCODE,BCODE,MNUM"),
          QStringLiteral("SCODE:q,BCODE:q,MNUM,") + expandRange(QStringLiteral("NUM"), 1, 8, QString()));
    // 4 ACCREG and the fixed settings rows
    writeAccReg();
    // 5 ACCTOTALNAME
    {
        SectionSpec s;
        s.table = QStringLiteral("ACCTOTALNAME");
        s.orderBy = QStringLiteral("REC");
        s.values = QStringLiteral("REC,MB_JIGYOU,VERSION,KGROUP:q,KESKUBUN,ARRAYNUM,KOUMOKU:q,PLUSNAME:q,MINUSNAME:q,MODIFY");
        if (!kind3) s.columnSql.insert(QStringLiteral("MB_JIGYOU"), QStringLiteral("0 AS MB_JIGYOU"));
        writeSection(s);
    }
    // 6 ACCVERSION: no query
    line("DELETE FROM ACCVERSION;");
    line("INSERT INTO ACCVERSION(MAJOR,MINOR,REV,MEMO) VALUES");
    out("(0,0,0," + DateToSqlValue(QStringLiteral("DATETIME"), QDateTime::currentDateTime()).toLatin1() + ");");
    out("\r\n");
    // 7 - 8
    plain(QStringLiteral("BUMONMST"), QStringLiteral("BCODE"), QStringLiteral("BCODE:q,BNAME:s,XSTR:q,KENSAKU_KEY:s"));
    plain(QStringLiteral("BUNSEKI_SYUKEIHYO"), QStringLiteral("TITLE"),
          QStringLiteral("#,CODE:q,TITLE:q,CHOHYO_BS,CHOHYO_PL,SYUKEIKBN,ROW_JYODAN,ROW_CHUDAN,ROW_GEDAN"));
    // 9 CHARTINF
    writeChartInf();
    // 10 - 20
    plain(QStringLiteral("EXTERKS"), QStringLiteral("REC"),
          QStringLiteral("REC,KUBUN,KGROUP:q,SUBREC,KNAME1:q,KNAMELOCK,AO_KISHUZAN,AO_KIMATUZAN"));
    plain(QStringLiteral("FINMST"), QStringLiteral("F_CODE"), QStringLiteral("F_CODE,F_REC,F_KUBU:q,F_CAD,F_TEXT:q"));
    plain(QStringLiteral("GROUPLIST"), QStringLiteral("GCODE,BCODE"), QStringLiteral("GCODE:q,BCODE:q"));
    plain(QStringLiteral("GROUPMST"), QStringLiteral("GCODE"), QStringLiteral("GCODE:q,GNAME:q"));
    plain(QStringLiteral("HIKAKU_BUMON"), QStringLiteral("PCODE,BCODE"), QStringLiteral("PCODE:q,BCODE:q,NUMBER"));
    plain(QStringLiteral("HIKAKU_GROUP"), QStringLiteral("PCODE,GCODE"), QStringLiteral("PCODE:q,GCODE:q,NUMBER"));
    plain(QStringLiteral("HIKAKU_PATTERN"), QStringLiteral("PCODE"), QStringLiteral("PCODE:q,PNAME:q,JIGYOKBN"));
    plain(QStringLiteral("HIKAKU_SISETU"), QStringLiteral("PCODE,SCODE"), QStringLiteral("PCODE:q,SCODE:q,NUMBER"));
    plain(QStringLiteral("HIKAKU_SISETU_GROUP"), QStringLiteral("PCODE,GCODE"),
          QStringLiteral("PCODE:q,GCODE:q,JIGYOKBN,NUMBER"));
    plain(QStringLiteral("HIKAKU_SISETU_PATTERN"), QStringLiteral("PCODE"), QStringLiteral("PCODE:q,PNAME:q,JIGYOKBN"));
    plain(QStringLiteral("HOJOMST"), QStringLiteral("KCODE,HCODE"),
          QStringLiteral("KCODE:q,HCODE:q,HKANA:s,HNAME:s,REC,TAX_LCODE,TAX_RCODE,TAX_NUM,BPFLG:q,KENSAKU_KEY:q,OPCODE,"
                         "XSTR:q,RTIME:t"));
    // 21 JOBCONTROL (from JOBCONTROL2 of the operator level)
    if (v802) {
        SectionSpec s;
        s.table = QStringLiteral("JOBCONTROL");
        s.from = QStringLiteral("FROM JOBCONTROL2 WHERE LEVELNO=:LEVELNO");
        s.orderBy = QStringLiteral("PROC_ID");
        s.values = QStringLiteral("#,=200,=0,=0,='',PROC_ID:q");
        s.paramName = QStringLiteral("LEVELNO");
        s.paramValue = int(JobLevel);
        writeSection(s);
    } else {
        line("DELETE FROM JOBCONTROL;");
    }
    // 22 - 23
    plain(QStringLiteral("KAKOSIWAKE1"), QStringLiteral("REC"), siwakeValues(), true);
    plain(QStringLiteral("KAKOSIWAKE2"), QStringLiteral("REC"), siwakeValues(), true);
    // 24 KAKOZAN
    {
        QStringList v{QStringLiteral("NENDO,SCODE:q,BCODE:q,KCODE:q,HCODE:q,KISHU")};
        for (int n = 1; n <= 16; ++n)
            v << QStringLiteral("KOMIZAN_%1,NUKIZAN_%1,IKKATSU_%1,HAIBUN_%1").arg(n);
        plain(QStringLiteral("KAKOZAN"), QStringLiteral("NENDO,SCODE,BCODE,KCODE,HCODE"), v.join(u','));
    }
    // 25 KAMOKUMST
    {
        SectionSpec s;
        s.table = QStringLiteral("KAMOKUMST");
        s.orderBy = QStringLiteral("KCODE");
        s.values = QStringLiteral(
            "KCODE:q,USERCODE:q,REC,GROUPM0:q,GROUPM1:q,GROUPM2:q,GROUPR1:q,GROUPR2:q,KKANA:s,KNAME:s,USE,USEDEF,BLDAC,DAC,"
            "DELFLG,TAX_LCODE,TAX_RCODE,TAX_NUM,FUN_LCODE,FUN_RCODE,HOJOSW:q,BPFLG:q,KEIHKUBU:q,EXT1_A4:n,EXT1_A3:n,"
            "EXT1_KS:n,VELDA_BADRATE:n,VELDA_BADKIND:n,VELDA_GOODRATE:n,VELDA_GOODKIND:n,VELDA_YOJITU_RATE1:n,"
            "VELDA_YOJITU_KIND1:n,VELDA_YOJITU_RATE2:n,VELDA_YOJITU_KIND2:n,SIKINGURIKUBUN:int,KENSAKU_KEY:q,XSTR:q,OPCODE,"
            "RTIME:t,GROUPM3:s,EXT2_A4:s,EXT2_A3:s,EXT3_A4:s,EXT3_A3:s,EXT4_A4:s,EXT4_A3:s");
        if (!kind3) {
            s.columnSql.insert(QStringLiteral("GROUPR1"), QStringLiteral("GROUPM1 AS GROUPR1"));
            s.columnSql.insert(QStringLiteral("GROUPR2"), QStringLiteral("GROUPM2 AS GROUPR2"));
            for (const char *c : {"GROUPM3", "EXT2_A4", "EXT2_A3", "EXT3_A4", "EXT3_A3", "EXT4_A4", "EXT4_A3"})
                s.columnSql.insert(QString::fromLatin1(c),
                                   QStringLiteral("CAST(NULL AS VARCHAR(1)) AS ") + QString::fromLatin1(c));
        }
        writeSection(s);
    }
    // 26 KAMOKU_MS
    {
        SectionSpec s;
        s.table = QStringLiteral("KAMOKU_MS");
        s.header = QStringList{QStringLiteral("INSERT INTO KAMOKU_MS"),
                               QStringLiteral("(SCODE,KCODE,HCODE,BCODE,MNUM,KAR_NUK,KAR_TAX,KAR_IKKATSU,KAS_NUK,KAS_TAX,"
                                              "KAS_IKKATSU,BYOSAN,BYOSOKU,RYOSAN,BYOSAN2,BYOSAN3)"),
                               QStringLiteral("VALUES")};
        s.orderBy = QStringLiteral("SCODE,KCODE,HCODE,BCODE,MNUM");
        s.values = QStringLiteral("SCODE:q,KCODE:q,HCODE:q,BCODE:q,MNUM,KAR_NUK,KAR_TAX,KAR_IKKATSU,KAS_NUK,KAS_TAX,"
                                  "KAS_IKKATSU,BYOSAN,BYOSOKU,RYOSAN,BYOSAN2,BYOSAN3");
        s.batched = true;
        if (!v802) {
            s.columnSql.insert(QStringLiteral("BYOSAN2"), QStringLiteral("0 AS BYOSAN2"));
            s.columnSql.insert(QStringLiteral("BYOSAN3"), QStringLiteral("0 AS BYOSAN3"));
        }
        writeSection(s);
    }
    // 27 KAMOKU_SZ
    {
        SectionSpec s;
        s.table = QStringLiteral("KAMOKU_SZ");
        s.header = QStringList{QStringLiteral("INSERT INTO KAMOKU_SZ"),
                               QStringLiteral("(SCODE,KCODE,HCODE,BCODE,KISHU_KOMI,KISHU_NUKI,"),
                               QStringLiteral("HAIBUN01,HAIBUN02,HAIBUN03,HAIBUN04,HAIBUN05,HAIBUN06,HAIBUN07,HAIBUN08,"
                                              "HAIBUN09,HAIBUN10,HAIBUN11,HAIBUN12,HAIBUN13,HAIBUN14,HAIBUN15,HAIBUN16,"
                                              "KAKOZAN)"),
                               QStringLiteral("VALUES")};
        s.orderBy = QStringLiteral("SCODE,KCODE,HCODE,BCODE");
        s.values = QStringLiteral("SCODE:q,KCODE:q,HCODE:q,BCODE:q,KISHU_KOMI,KISHU_NUKI,") +
                   expandRange(QStringLiteral("HAIBUN"), 1, 16, QString(), 2) + QStringLiteral(",KAKOZAN");
        s.batched = true;
        writeSection(s);
    }
    // 28 - 36
    plain(QStringLiteral("KAMOKU_TAX"), QStringLiteral("SCODE,BCODE,KKUBUN,MNUM"),
          QStringLiteral("SCODE:q,BCODE:q,KKUBUN,MNUM,KAR,KAS"));
    plain(QStringLiteral("MB_KMKGROUP"), QStringLiteral("GCODE,KCODE"), QStringLiteral("GCODE:q,KCODE:q"));
    plain(QStringLiteral("VELDA_HIKAKU"), QStringLiteral("REC"),
          QStringLiteral("REC,BUNRUI,MEISHOU:q,TANIMEI:q,BADRATE,BADKIND,GOODRATE,GOODKIND,GROUPA1:q,GROUPA2:q,GROUPB1:q,"
                         "GROUPB2:q"));
    plain(QStringLiteral("VELDA_HIKAKU_COL"), QStringLiteral("REC"), QStringLiteral("REC,NUM,MEISHOU:s"));
    plain(QStringLiteral("VELDA_YOJITUHENDOU"), QStringLiteral("REC"), QStringLiteral("REC,MEISHOU:s,RATE1,KIND1,RATE2,KIND2"));
    plain(QStringLiteral("SISETUBUM"), QStringLiteral("SCODE,BCODE"), QStringLiteral("SCODE:q,BCODE:q,HAIBUN"));
    plain(QStringLiteral("SISETUGROUP"), QStringLiteral("GCODE"), QStringLiteral("GCODE:q,GNAME:s"));
    plain(QStringLiteral("SISETUGROUPLIST"), QStringLiteral("GCODE,SCODE"), QStringLiteral("GCODE:q,SCODE:q"));
    {
        SectionSpec s;
        s.table = QStringLiteral("SISETUMST");
        s.orderBy = QStringLiteral("SCODE");
        s.values = QStringLiteral("SCODE:q,SNAME:s,ADDUP,BUMEX,") + expandRange(QStringLiteral("XSTR"), 1, 6, QStringLiteral(":q")) +
                   QStringLiteral(",='',='',SIWAKECOUNT,KENSAKU_KEY:q,XSTR:q,MB_JIGYOU,MB_SINRYOZYO,MB_SISETU_NUM:q,"
                                  "MB_SYOZAITI:q");
        if (!kind3) {
            s.columnSql.insert(QStringLiteral("MB_JIGYOU"), QStringLiteral("0 AS MB_JIGYOU"));
            s.columnSql.insert(QStringLiteral("MB_SINRYOZYO"), QStringLiteral("0 AS MB_SINRYOZYO"));
            s.columnSql.insert(QStringLiteral("MB_SISETU_NUM"), QStringLiteral("'' AS MB_SISETU_NUM"));
            s.columnSql.insert(QStringLiteral("MB_SYOZAITI"), QStringLiteral("'' AS MB_SYOZAITI"));
        }
        writeSection(s);
    }
    // 37 - 40
    plain(QStringLiteral("SIWAKE"), QStringLiteral("REC"), siwakeValues(), true);
    plain(QStringLiteral("SIWAKE2"), QStringLiteral("REC"), QStringLiteral("REC,SWKREC,LINKKEY:q,LINKKUB:n,LINKREC:n"), true);
    {
        SectionSpec s;
        s.table = QStringLiteral("SWK_SEARCH");
        s.header = QStringList{QStringLiteral("INSERT INTO SWK_SEARCH(REC,NAME,KIND,STYPE,SSTR) VALUES")};
        s.orderBy = QStringLiteral("REC");
        s.values = QStringLiteral("REC,NAME:s,KIND,STYPE,SSTR:q");
        writeSection(s);
    }
    plain(QStringLiteral("TAXMST"), QStringLiteral("TAX_CODE"),
          QStringLiteral("TAX_CODE,TAX_REC,TAX_GNAM:q,TAX_NAME:q,TAX_HOUSIKI,TAX_UH,TAX_DAC,TAX_NAME2:q"));
    // 41 MSD_HOUKOKU: rows only with data kind 3
    {
        SectionSpec s;
        s.table = QStringLiteral("MSD_HOUKOKU");
        s.header = QStringList{QStringLiteral("INSERT INTO MSD_HOUKOKU(MDGROUP,MDCODE,MDTYPE,MDTEXT1,MDTEXT2,MDTEXT3) VALUES")};
        s.orderBy = QStringLiteral("MDGROUP,MDCODE");
        s.values = QStringLiteral("MDGROUP:s,MDCODE:s,MDTYPE:s,MDTEXT1:s,MDTEXT2:s,MDTEXT3:s");
        s.noRows = !kind3;
        writeSection(s);
    }
    // 42 - 43: rows only with version 8.0.2 or later
    {
        SectionSpec s;
        s.table = QStringLiteral("TRIVO_YOSAN_KANRI");
        s.header = QStringList{QStringLiteral("INSERT INTO TRIVO_YOSAN_KANRI(FYOSAN_ID,FYOSAN_NAME,FYOSAN_HOUHOU,FJISSEKI_TUKI16,"
                                              "FYOSOKU_HOUHOU,FZOUGENRITU,FIS_DIRECT_ZANDAKA,FANBUN_HOUHOU,FTOUKI_BUILD) VALUES")};
        s.orderBy = QStringLiteral("FYOSAN_ID");
        s.values = QStringLiteral("FYOSAN_ID:n,FYOSAN_NAME:s,FYOSAN_HOUHOU:n,FJISSEKI_TUKI16:n,FYOSOKU_HOUHOU:n,"
                                  "FZOUGENRITU:n,FIS_DIRECT_ZANDAKA:n,FANBUN_HOUHOU:n,FTOUKI_BUILD:n");
        s.noRows = !v802;
        writeSection(s);
    }
    {
        SectionSpec s;
        s.table = QStringLiteral("TRIVO_KAMOKU_YOSAN");
        s.header = QStringList{QStringLiteral("INSERT INTO TRIVO_KAMOKU_YOSAN(FYOSAN_ID,FNENDO,FSCODE,FKCODE,FHCODE,FBCODE,"
                                              "FMNUM,FYOSAN) VALUES")};
        s.orderBy = QStringLiteral("FYOSAN_ID,FNENDO,FSCODE,FKCODE,FHCODE,FBCODE,FMNUM");
        s.values = QStringLiteral("FYOSAN_ID:n,FNENDO:n,FSCODE:s,FKCODE:s,FHCODE:s,FBCODE:s,FMNUM:n,FYOSAN:n");
        s.noRows = !v802;
        writeSection(s);
    }
    // 44 - 45
    writeBudgetRules();
    writeAccountGroups();
    // 46
    {
        SectionSpec s;
        s.table = QStringLiteral("VELDA_YOJITU_HYOKARULE");
        s.header = QStringList{QStringLiteral("INSERT INTO VELDA_YOJITU_HYOKARULE(FGCODE,FMEISHOU,FBAD_RATE,FBAD_HANI,"
                                              "FGOOD_RATE,FGOOD_HANI) VALUES")};
        s.orderBy = QStringLiteral("FGCODE");
        s.values = QStringLiteral("FGCODE:s,FMEISHOU:s,FBAD_RATE:n,FBAD_HANI:n,FGOOD_RATE:n,FGOOD_HANI:n");
        s.noRows = !v802;
        writeSection(s);
    }
}
