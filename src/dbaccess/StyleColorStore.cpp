#include "dbaccess/StyleColorStore.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/FbClient.h"

namespace stylecolorstore {

namespace {

const QString kWhere = QStringLiteral("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");

void bindKey(FbQuery &q, int opCode, const QString &styleName)
{
    q.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    q.paramByName(QStringLiteral("STYLENAME")).setString(styleName);
}

} // namespace

bool read(int opCode, const QString &styleName, TStyleColorRow &row)
{
    TransactionGuard g(DM->IBTransactionDEF, TransactionGuard::Exit::Commit);
    auto q = DM->CreateAccQuery(QStringLiteral("ACCDEF"), false);
    q->setSql(QStringList{QStringLiteral("SELECT LINECOLOR1,LINECOLOR2,NETCOLOR1,NETCOLOR2,SSTR FROM STYLECOLOR"), kWhere});
    bindKey(*q, opCode, styleName);
    q->open();
    const bool found = !q->eof();
    if (found) {
        // A colour left empty follows the environment like -1.
        const auto colour = [&](int i) { return q->field(i).isNull() ? TColor(-1) : TColor(q->field(i).asInteger()); };
        row.LineColor1 = colour(0);
        row.LineColor2 = colour(1);
        row.NetColor1 = colour(2);
        row.NetColor2 = colour(3);
        row.SSTR = q->field(4).asString();
    }
    q->close();
    g.commit();
    return found;
}

void write(int opCode, const QString &styleName, const TStyleColorRow &row)
{
    TransactionGuard g(DM->IBTransactionDEF);
    auto q = DM->CreateAccQuery(QStringLiteral("ACCDEF"), false);
    q->setSql(QStringList{QStringLiteral("SELECT COUNT(OPCODE) AS RECCNT FROM STYLECOLOR"), kWhere});
    bindKey(*q, opCode, styleName);
    q->open();
    const bool exists = q->field(0).asInteger() > 0;
    q->close();
    if (exists)
        q->setSql(QStringList{
            QStringLiteral("UPDATE STYLECOLOR SET OPCODE=:OPCODE,STYLENAME=:STYLENAME,LINECOLOR1=:LINECOLOR1,"
                           "LINECOLOR2=:LINECOLOR2,LINECOLOR3=:LINECOLOR3,LINECOLOR4=:LINECOLOR4,LINECOLOR5=:LINECOLOR5,"
                           "NETCOLOR1=:NETCOLOR1,NETCOLOR2=:NETCOLOR2,SSTR=:SSTR"),
            kWhere});
    else
        q->setSql(QStringList{
            QStringLiteral("INSERT INTO STYLECOLOR(OPCODE,STYLENAME,LINECOLOR1,LINECOLOR2,LINECOLOR3,LINECOLOR4,"
                           "LINECOLOR5,NETCOLOR1,NETCOLOR2,SSTR)"),
            QStringLiteral("VALUES(:OPCODE,:STYLENAME,:LINECOLOR1,:LINECOLOR2,:LINECOLOR3,:LINECOLOR4,:LINECOLOR5,"
                           ":NETCOLOR1,:NETCOLOR2,:SSTR)")});
    bindKey(*q, opCode, styleName);
    q->paramByName(QStringLiteral("LINECOLOR1")).setInteger(row.LineColor1);
    q->paramByName(QStringLiteral("LINECOLOR2")).setInteger(row.LineColor2);
    q->paramByName(QStringLiteral("LINECOLOR3")).setInteger(-1);
    q->paramByName(QStringLiteral("LINECOLOR4")).setInteger(-1);
    q->paramByName(QStringLiteral("LINECOLOR5")).setInteger(-1);
    q->paramByName(QStringLiteral("NETCOLOR1")).setInteger(row.NetColor1);
    q->paramByName(QStringLiteral("NETCOLOR2")).setInteger(row.NetColor2);
    q->paramByName(QStringLiteral("SSTR")).setString(row.SSTR);
    q->execSQL();
    g.commit();
}

} // namespace stylecolorstore
