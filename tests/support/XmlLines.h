#pragma once
// An XML document as comparable lines, whatever its bytes.
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

// The document as lines "path[attribute=value]=text" in document order;
// `error` receives the reader's complaint (empty when the document is sound).
inline QStringList XmlLines(const QString &xml, QString *error = nullptr)
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
    if (error) *error = r.hasError() ? r.errorString() : QString();
    return out;
}
