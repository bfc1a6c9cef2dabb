#pragma once
// The page renderer: draws one page of a print-data file or of a form file on a
// canvas (the preview's paint surface or the printer's page). Positions are in
// 0.1 mm from the paper's top-left corner; the caller gives the device units per
// 0.1 mm and the resolution that font heights are computed with.
#include <QString>
#include <QTransform>

class QPainter;
class TPrintFile;

struct TCanvas {
    QPainter *Painter = nullptr;
    bool Printer = false;   // drawing on the printer (else on the screen)
    bool Raster = true;     // a raster target: AND transfers as raster operations
    QTransform Base;        // the painter's transform before the engine's zoom

    TCanvas() = default;
    TCanvas(QPainter *painter, bool printer, bool raster);
};

// Draws the page at the file's position; kind "FOM", "DAT" or "SUBFORM". Answers
// true when the file ended before an "E" record, false when the page ended with one.
bool PaintPage(const QString &kind, TPrintFile &file, TCanvas &canvas, int pixelsPerInch,
               double xFactor, double yFactor, int zoom, bool evenPage, int formPage,
               int originX, int originY);
