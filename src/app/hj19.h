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
    // Each row goes into the document as it is read, sheet after sheet: a
    // streamed document writes it at once. On a failure the caller drops the
    // document: what it holds then is not a file to keep.
    virtual int MakeData(TXmlSaveDoc &doc);

    struct Sheet {
        QStringList Columns; // column suffixes
    };
    // Sheets by number 1..6 (index 0 unused).
    Sheet Sheets[7];
    QStringList TotalColumns; // closing row of the lump-sum sheet
    QStringList TotalValues;

    class SheetOut; // where a sheet's rows go

private:
    int m_result = 3;
    void buildTeigaku(SheetOut &out);  // 1 straight-line
    void buildTeiritu(SheetOut &out);  // 2 declining-balance
    void buildLease(SheetOut &out);    // 3 lease
    void buildKintou(SheetOut &out);   // 4 equal amortisation
    void buildShougaku(SheetOut &out); // 5 small-amount
    void buildIkkatu(SheetOut &out);   // 6 lump-sum
    // The closing elements of a sheet that has rows.
    void writeClosing(TXmlSaveDoc &doc, int sheet, int sheetNode);
};
