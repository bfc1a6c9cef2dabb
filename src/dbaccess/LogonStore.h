#pragma once
// The login of an operator in the system database: the stored procedure that
// checks the password and records the login, and the operator's own row.
// Database errors reach the caller.
#include <QString>
#include <vector>

namespace logonstore {

struct LogonTestResult {
    int Num = -999;    // 0 or 1 logged in, -1 wrong code or password, -3 logged in elsewhere
    int LoginCode = 0; // the operator code as registered
    int JobLevel = 0;
};

// Runs LOGONUSERTEST in a transaction of its own (unless one is active).
LogonTestResult logonUserTest(const QString &pcName, int groupId, int opCode, const QString &password);

// The operator's name and office flag (readOperatorInfo) and the
// individual-number administrator and approval flags (readOperatorRights)
// into the system record; readOperator reads both in one transaction. A
// missing row leaves the name empty and the flags off.
void readOperatorInfo(int loginCode);
void readOperatorRights(int loginCode);
void readOperator(int loginCode);

// An operator logged on elsewhere: the login code, the group and the name
// (empty when the operator has no row).
struct LogonUser {
    int OpCode = 0;
    int GroupId = 0;
    QString OpName;
};

// The operators listed in LOGONUSERLIST other than the login whose operator id
// is ownOpCode, in the order the table gives them, with their names.
std::vector<LogonUser> readLogonUsers(int ownOpCode);

} // namespace logonstore
