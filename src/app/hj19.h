#pragma once
// The depreciation sheets of the intermediate file: one sheet per depreciation
// method, read from the fixed-asset table of the open company database.
#include "app/ComDataExp.h"

#include <QStringList>

#include <vector>

// The export object of this program: the header of its base, then the sheets.
class THojinZeiGenkaDataExport : public TComDataExport
{
public:
    using TComDataExport::TComDataExport;
    void Execute(TXmlSaveDoc &doc) override;
};

class THojinZeiGenka19DataMake
{
public:
    virtual ~THojinZeiGenka19DataMake() = default;

    virtual QString GetSheetName(int sheet) const;
    virtual QString GetRowName(int sheet, int rowKind) const;
    // 1 written, 3 no asset, 16 reading failed (the error has been shown).
    // The rows move into the document.
    virtual int MakeData(TXmlSaveDoc &doc);

    struct Sheet {
        QStringList Columns;                   // column suffixes
        std::vector<std::vector<QString>> Rows; // one text per column
    };
    // Sheets by number 1..6 (index 0 unused).
    Sheet Sheets[7];
    QStringList TotalColumns; // closing row of the lump-sum sheet
    QStringList TotalValues;

private:
    int m_result = 3;
    void buildTeigaku();     // 1 straight-line
    void buildTeiritu();     // 2 declining-balance
    void buildLease();       // 3 lease
    void buildKintou();      // 4 equal amortisation
    void buildShougaku();    // 5 small-amount
    void buildIkkatu();      // 6 lump-sum
    void write(TXmlSaveDoc &doc);
};
