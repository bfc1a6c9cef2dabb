#include "dbaccess/LogonStore.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"

namespace logonstore {

LogonTestResult logonUserTest(const QString &pcName, int groupId, int opCode, const QString &password)
{
    TransactionGuard g(DM->IBTransactionDEF);
    FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
    q.setSql(QStringLiteral("SELECT NUM,LOGINCODE,JOBLEVEL FROM LOGONUSERTEST(:PCNAME,:GROUPID,:OPCODE,:APPVERSION,:PASWORD)"));
    q.paramByName(QStringLiteral("PCNAME")).setString(pcName);
    q.paramByName(QStringLiteral("GROUPID")).setInteger(groupId);
    q.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
    q.paramByName(QStringLiteral("APPVERSION")).setInteger(2);
    q.paramByName(QStringLiteral("PASWORD")).setString(password);
    q.open();
    LogonTestResult r;
    if (!q.eof()) {
        r.Num = q.fieldByName(QStringLiteral("NUM")).asInteger();
        r.LoginCode = q.fieldByName(QStringLiteral("LOGINCODE")).asInteger();
        r.JobLevel = q.fieldByName(QStringLiteral("JOBLEVEL")).asInteger();
    }
    q.close();
    g.commit();
    return r;
}

void readOperatorInfo(int loginCode)
{
    TransactionGuard g(DM->IBTransactionDEF);
    FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
    q.setSql(QStringList{QStringLiteral("SELECT OPNAME,JIMUSHO,OKINIIRI FROM OPERATOR"), QStringLiteral("WHERE GROUPID=:GROUPID"),
                         QStringLiteral("AND OPCODE=:OPCODE")});
    q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
    q.paramByName(QStringLiteral("OPCODE")).setInteger(loginCode);
    SystemDef.OpName.clear();
    SystemDef.Jimusho = false;
    for (q.open(); !q.eof(); q.next()) {
        SystemDef.OpName = q.field(0).asString();
        SystemDef.Jimusho = q.field(1).asInteger() == 1;
    }
    q.close();
    g.commit();
}

void readOperatorRights(int loginCode)
{
    TransactionGuard g(DM->IBTransactionDEF);
    FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
    q.setSql(QStringList{QStringLiteral("SELECT MYNUMBER_ADM,SHONIN FROM OPERATOR"),
                         QStringLiteral("WHERE (GROUPID=:GROUPID) AND (OPCODE=:OPCODE)")});
    q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
    q.paramByName(QStringLiteral("OPCODE")).setInteger(loginCode);
    SystemDef.MyNumberAdmin = false;
    SystemDef.Shonin = false;
    for (q.open(); !q.eof(); q.next()) {
        SystemDef.MyNumberAdmin = q.field(0).asInteger() == 1;
        SystemDef.Shonin = q.field(1).asInteger() == 1;
    }
    q.close();
    g.commit();
}

void readOperator(int loginCode)
{
    TransactionGuard g(DM->IBTransactionDEF);
    readOperatorInfo(loginCode);
    readOperatorRights(loginCode);
    g.commit();
}

std::vector<LogonUser> readLogonUsers(int ownOpCode)
{
    TransactionGuard g(DM->IBTransactionDEF, TransactionGuard::Exit::Commit);
    FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
    std::vector<LogonUser> users;
    q.setSql(QStringLiteral("SELECT * FROM LOGONUSERLIST "));
    for (q.open(); !q.eof(); q.next()) {
        if (q.fieldByName(QStringLiteral("OPCODE")).asInteger() == ownOpCode)
            continue;
        LogonUser u;
        u.OpCode = q.fieldByName(QStringLiteral("OPERATORCODE")).asInteger();
        u.GroupId = q.fieldByName(QStringLiteral("GROUPID")).asInteger();
        users.push_back(u);
    }
    q.close();
    q.setSql(QStringList{QStringLiteral("SELECT * FROM OPERATOR "),
                         QStringLiteral("WHERE GROUPID =:GROUPID and OPCODE =:OPCODE ")});
    for (LogonUser &u : users) {
        q.paramByName(QStringLiteral("GROUPID")).setInteger(u.GroupId);
        q.paramByName(QStringLiteral("OPCODE")).setInteger(u.OpCode);
        q.open();
        if (!q.eof())
            u.OpName = q.fieldByName(QStringLiteral("OPNAME")).asString();
        q.close();
    }
    return users;
}

} // namespace logonstore
