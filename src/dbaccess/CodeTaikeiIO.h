#pragma once
// Code systems: named sets of initial definitions (accounts and similar code
// tables) from which new company data sets are made, kept in the system
// database's USERCODE slots with eight definition texts each. A code-system
// definition file (comma lines, the first field naming the line kind) is
// imported into a slot; the kinds of stored code systems are repaired from
// their definitions.
#include "core/MojiBunkatu.h"
#include "dbaccess/FbClient.h"

#include <QString>
#include <QStringList>

#include <array>

struct TCodeTaikeiRec2 {
    int RecNo = 0;
    QString Name;
    int DataType = 0;
    int CodeType = 0;
    QString Text1;
    int Value1 = 0, Value2 = 0, Value3 = 0;
    QString ProductKind = QStringLiteral("-"); // "-" when the file names none
    quint8 Flag = 0;
    std::array<QStringList, 8> IniDat{};       // INIDAT1 to INIDAT8
    QString Text2;
    int Value4 = 0, Value5 = 0;
};

class TCodeTaikeiIO
{
public:
    // Works on the data module's system database and its transaction, and
    // repairs the kinds of the stored code systems at once.
    TCodeTaikeiIO();

    int VerMajor = 1;
    int VerMinor = 0;
    QString Version;

    // Stored code systems of kind 1/1 take the data kind and code system their
    // definition names.
    void KubunSyufuku();
    // Imports a definition file into the slot of that number; false when the
    // file cannot be read, belongs to another product or cannot be written.
    bool LoadFromFile(const QString &fileName, int recNo);
    // Writes a code system into its slot; false without name or kinds.
    bool UpDateRecored(const TCodeTaikeiRec2 &rec);
    // Whether a definition made for that product kind may be imported here;
    // message holds the reason of a refusal.
    static bool IsOwnProductKind(const QString &productKind, QString &message);

    // The line kinds of a definition file and the text (0 to 7) each goes into; -1 ignored.
    static int IniDatIndexOfKind(int lineKind);
    // The record of a definition file's text (lines as read).
    static TCodeTaikeiRec2 ParseDefinition(const QStringList &lines, int recNo);

private:
    FbQuery m_sql;
    FbQuery m_query;
    TMojiBunkatu m_split;
};
