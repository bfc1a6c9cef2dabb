#pragma once
// The assets that the expected file fixtures/six-methods.xml was made from,
// and an XML reader that turns a document into comparable lines.
#include "app/SampleAssets.h"
#include "support/XmlLines.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

// The document as lines (see XmlLines); a document that does not read is a failure.
inline QStringList flatten(const QString &xml)
{
    QString error;
    const QStringList lines = XmlLines(xml, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return lines;
}
