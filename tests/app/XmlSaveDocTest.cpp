#include "support/TestEnv.h"

#include "app/XMLSaveDoc.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

TEST(XmlSaveDoc, WritesDeclarationTreeAndEscapesOnce)
{
    TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
    const auto root = doc.CreateRoot(QStringLiteral("REPORT"));
    const auto basic = doc.AddNode(root, QStringLiteral("BASIC"));
    doc.AddTextNode(basic, QStringLiteral("KOMONSAKINAME"), QString(), QString(), QStringLiteral("A&B<C>D ㈱①～ｶﾅ"));
    doc.AddTextNode(basic, QStringLiteral("EMPTY"), QString(), QString(), QString());
    doc.AddNode(-1, QStringLiteral("DATA"), QStringLiteral("say \"hi\" & <go>"), QStringLiteral("line"));
    EXPECT_EQ(doc.ToText(), QStringLiteral("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
                                           "<REPORT><BASIC><KOMONSAKINAME>A&amp;B&lt;C&gt;D ㈱①～ｶﾅ</KOMONSAKINAME><EMPTY/></BASIC>"
                                           "<DATA line=\"say &quot;hi&quot; &amp; &lt;go&gt;\"/></REPORT>"));

    const QString path = testenv::freshDir(QStringLiteral("xml")) + QStringLiteral("/out.xml");
    doc.SaveToFile(path);
    const QByteArray bytes = testenv::readFile(path);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<REPORT>"));
    // Read back as a reader would, after decoding code page 932.
    QXmlStreamReader reader(platform::fromCp932(bytes));
    QString name, attr;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"KOMONSAKINAME") name = reader.readElementText();
        if (reader.isStartElement() && reader.name() == u"DATA") attr = reader.attributes().value(QStringLiteral("line")).toString();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(name, QStringLiteral("A&B<C>D ㈱①～ｶﾅ"));
    EXPECT_EQ(attr, QStringLiteral("say \"hi\" & <go>"));
}

TEST(XmlSaveDoc, FailuresLeaveAnExistingFileUntouched)
{
    const QString path = testenv::freshDir(QStringLiteral("xml2")) + QStringLiteral("/out.xml");
    testenv::writeFile(path, "previous");
    TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
    doc.CreateRoot(QStringLiteral("REPORT"));
    doc.AddTextNode(-1, QStringLiteral("NAME"), QString(), QString(), QStringLiteral("한국"));
    try {
        doc.SaveToFile(path);
        FAIL() << "saved";
    } catch (const platform::Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("「한」"))) << e.message().toStdString();
    }
    EXPECT_EQ(testenv::readFile(path), QByteArray("previous"));
    EXPECT_THROW(doc.AddNode(-1, QStringLiteral("1BAD")), platform::Error);
    TXmlSaveDoc noRoot(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
    EXPECT_THROW(noRoot.AddNode(-1, QStringLiteral("X")), platform::Error);
}
