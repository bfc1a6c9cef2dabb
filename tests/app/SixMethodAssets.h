#pragma once
// The assets that the expected file fixtures/six-methods.xml was made from,
// and an XML reader that turns a document into comparable lines.
#include "app/SampleAssets.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QXmlStreamReader>


// The document as lines "path[attribute]=text" in document order, so that two
// files compare element by element whatever their bytes.
inline QStringList flatten(const QString &xml)
{
    QStringList out, path;
    QXmlStreamReader r(xml);
    QString text;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            QString step = r.name().toString();
            for (const auto &a : r.attributes()) step += u'[' + a.name().toString() + u'=' + a.value().toString() + u']';
            path << step;
            text.clear();
        } else if (r.isCharacters() && !r.isWhitespace()) {
            text += r.text();
        } else if (r.isEndElement()) {
            out << path.join(u'/') + u'=' + text;
            text.clear();
            path.removeLast();
        }
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    return out;
}
