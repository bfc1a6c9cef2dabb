#pragma once
// Chart painting and the small field helpers of the print engine.
//
// "CHART" records draw a chart panel of a chart source into a page rectangle. The
// engine only holds a reference to such a source; until one is registered a chart
// record draws nothing and no chart metafile can be saved.
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;

// What the engine needs of a charting component.
class TChartSource
{
public:
    virtual ~TChartSource() = default;
    virtual int chartCount() const = 0;
    // Draws chart panel n into the rectangle (device units of the painter).
    virtual void paint(QPainter &painter, const QRect &rect, int n) = 0;
    // Saves the whole first chart as a metafile; false on failure.
    virtual bool saveMetafile(const QString &fileName) = 0;
};

// The chart source the engine reads (none by default).
void SetChartSource(std::shared_ptr<TChartSource> source);
std::shared_ptr<TChartSource> ChartSource();

// Draws chart panel n of the chart source; false (nothing drawn) without a source
// or for a panel it does not have.
bool PaintChart(QPainter &painter, const QRect &rect, int n);
// Saves the first chart as a metafile; false without a source.
bool SaveChartMetafile(const QString &fileName);
// Always true: chart records do not depend on the file they name.
bool ChartFileExists(const QString &fileName);

// The path of a shell folder by its system folder id (0 desktop, 5 documents,
// 26 application data, 35 common application data). An unknown id shows an error
// box and leaves the path as it was.
bool GetSpecialFolder(int folderId, QString &path);

// A number from a text, 0 when the text is not a number.
double StrToFloatTolerant(const QString &text);

// Cuts the line at the first "//", then splits the rest at every delimiter into
// fields 0, 1, 2, ... (at most 101; further pieces are dropped). Answers the index
// of the last field; an empty rest answers 0 and leaves the fields as they were.
int SplitFields(const QString &line, QChar delimiter, QStringList &fields);
// The trimmed field number index (from 0) of the line; empty when there is none.
void GetFieldText(const QString &line, QChar delimiter, int index, QString &text);
