#pragma once
// A printer for the tests: it lists the papers it is given, keeps every page of a
// document as an image at its resolution (254 dpi: one pixel per 0.1 mm) and
// records what was asked of it. Pages holds the document in hand (or the last
// one); Documents every document that ended.
#include "print/Pager512_Printer.h"
#include "print/Pager512_Tables.h"

#include <QImage>
#include <QPainter>

#include <memory>

class RecordingPrinter : public TPrinterDevice
{
public:
    explicit RecordingPrinter(QString name = QStringLiteral("Recorder"), int dpi = 254)
        : m_name(std::move(name)), m_dpi(dpi) {}
    ~RecordingPrinter() override { abortDoc(); }

    QString name() const override { return m_name; }
    QList<TPaperInfo> papers() const override { return Papers; }
    int resolution() const override { return m_dpi; }
    bool rasterCanvas() const override { return true; }
    void setDevMode(const TDevMode &mode) override
    {
        ++DevModeChanges;
        TPrinterDevice::setDevMode(mode);
    }

    bool beginDoc(const QString &title) override
    {
        Events << QStringLiteral("begin:") + title;
        m_title = title;
        Pages.clear();
        Orientations.clear();
        startPage();
        return true;
    }
    bool newPage() override
    {
        Events << QStringLiteral("page");
        m_painter.end();
        startPage();
        return true;
    }
    bool endDoc() override
    {
        Events << QStringLiteral("end");
        m_painter.end();
        m_active = false;
        Documents << Document{m_title, Pages, Orientations, devMode().Copies};
        return true;
    }
    void abortDoc() override
    {
        if (!m_active)
            return;
        Events << QStringLiteral("abort");
        m_painter.end();
        m_active = false;
    }
    QPainter *canvas() override { return m_active ? &m_painter : nullptr; }
    bool printing() const override { return m_active; }

    struct Document {
        QString Title;
        QList<QImage> Pages;
        QList<int> Orientations; // per sheet: 1 portrait, 2 landscape
        int Copies = 1;          // the copies the printer was to make
    };

    QList<TPaperInfo> Papers;
    QStringList Events;
    QList<Document> Documents;
    QList<QImage> Pages;
    QList<int> Orientations;
    int DevModeChanges = 0;

private:
    void startPage()
    {
        const QSizeF mm = printableSizeMM();
        Pages << QImage(qRound(mm.width() * m_dpi / 25.4), qRound(mm.height() * m_dpi / 25.4),
                        QImage::Format_RGB32);
        Pages.last().fill(Qt::white);
        Orientations << devMode().Orientation;
        m_painter.begin(&Pages.last());
        m_active = true;
    }

    QString m_name;
    QString m_title;
    int m_dpi;
    QPainter m_painter;
    bool m_active = false;
};
