#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include "app/XMLSaveDoc.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QXmlStreamReader>

#include <memory>

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

namespace {

// A document shaped like the intermediate file: a text in BASIC, a note with
// an attribute, and three rows of a sheet; `bad` goes where `where` says.
enum class Place { Text, Row, Attribute };

void fillSheet(TXmlSaveDoc &doc, const QString &bad, Place where)
{
    doc.CreateRoot(QStringLiteral("REPORT"));
    const auto basic = doc.AddNode(-1, QStringLiteral("BASIC"));
    doc.AddTextNode(basic, QStringLiteral("KOMONSAKINAME"), QString(), QString(), where == Place::Text ? bad : QStringLiteral("サンプル株式会社"));
    doc.AddNode(basic, QStringLiteral("NOTE"), where == Place::Attribute ? bad : QStringLiteral("-"), QStringLiteral("text"));
    const auto data = doc.AddNode(-1, QStringLiteral("DATA"));
    const auto sheet = doc.AddNode(data, QStringLiteral("HJK160119"));
    const auto names = std::make_shared<const QStringList>(QStringList{QStringLiteral("TEIGAKU_MEISAI_19_0300"), QStringLiteral("TEIGAKU_MEISAI_19_0400")});
    for (int line = 1; line <= 3; ++line)
        doc.AddTextRow(sheet, QStringLiteral("TEIGAKU_MEISAI_19"), QString::number(line), QStringLiteral("line"), names,
                       {line == 3 && where == Place::Row ? bad : QStringLiteral("資産%1").arg(line), QStringLiteral("100")});
}

TXmlSaveDoc sheetDocument(const QString &bad, Place where, const QString &encoding = QStringLiteral("Shift_JIS"))
{
    TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), encoding);
    fillSheet(doc, bad, where);
    return doc;
}

QString saveFailure(const TXmlSaveDoc &doc, const QString &path)
{
    try {
        doc.SaveToFile(path);
    } catch (const platform::Error &e) {
        return e.message();
    }
    return QStringLiteral("saved");
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

const QString kRowPlace = QStringLiteral("REPORT/DATA/HJK160119/TEIGAKU_MEISAI_19[line=3]/TEIGAKU_MEISAI_19_0300");

} // namespace

TEST(XmlSaveDoc, CharactersXmlCannotCarryFailTheSaveAndNameTheirPlace)
{
    const QString dir = testenv::freshDir(QStringLiteral("xml-control"));
    const QString path = dir + QStringLiteral("/RC25.xml");
    testenv::writeFile(path, "previous");
    struct Case {
        const char *what;
        QString text;
        const char *code;
    };
    const Case cases[] = {
        {"SOH", QStringLiteral("A\u0001B"), "U+0001"},
        {"vertical tab", QStringLiteral("A\u000BB"), "U+000B"},
        {"NUL", QStringLiteral("A") + QChar(0) + QStringLiteral("B"), "U+0000"},
        {"escape", QStringLiteral("\u001B[0m"), "U+001B"},
        {"U+FFFE", QStringLiteral("A\uFFFE"), "U+FFFE"},
        {"U+FFFF", QStringLiteral("\uFFFF"), "U+FFFF"},
        {"lone high surrogate", QStringLiteral("A") + QChar(0xD842) + QStringLiteral("B"), "U+D842"},
        {"high surrogate at the end", QStringLiteral("A") + QChar(0xDBFF), "U+DBFF"},
        {"lone low surrogate", QChar(0xDFB7) + QStringLiteral("B"), "U+DFB7"},
    };
    struct Where {
        Place place;
        QString path;
    };
    const Where places[] = {
        {Place::Text, QStringLiteral("REPORT/BASIC/KOMONSAKINAME")},
        {Place::Row, kRowPlace},
        {Place::Attribute, QStringLiteral("REPORT/BASIC/NOTE[text=")},
    };
    for (const Case &c : cases) {
        for (const Where &w : places) {
            SCOPED_TRACE(testing::Message() << c.what << " in " << w.path.toStdString());
            const TXmlSaveDoc doc = sheetDocument(c.text, w.place);
            const QString lead = QStringLiteral("中間ファイルに書き込めない文字(%1)が含まれています。\r場所: ").arg(QLatin1String(c.code));
            const QString message = saveFailure(doc, path);
            if (w.place == Place::Attribute)
                EXPECT_TRUE(message.startsWith(lead + w.path)) << message.toStdString();
            else
                EXPECT_EQ(message, lead + w.path);
            EXPECT_THROW(doc.ToText(), platform::Error);
            // Nothing written: the previous file stays, no partial file beside it.
            EXPECT_EQ(testenv::readFile(path), QByteArray("previous"));
            EXPECT_EQ(filesIn(dir), QStringList({QStringLiteral("RC25.xml")}));
        }
    }
}

TEST(XmlSaveDoc, TabsLineBreaksAndSurrogatePairsAreWritten)
{
    const QString dir = testenv::freshDir(QStringLiteral("xml-allowed"));
    struct Case {
        const char *what;
        QString text;
        QString encoding;
    };
    const Case cases[] = {
        {"tab and line feed", QStringLiteral("A\tB\nC"), QStringLiteral("Shift_JIS")},
        {"a pair of surrogates", QStringLiteral("𠮷野家"), QStringLiteral("UTF-8")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir + QStringLiteral("/out.xml");
        sheetDocument(c.text, Place::Row, c.encoding).SaveToFile(path);
        const QByteArray bytes = testenv::readFile(path);
        QXmlStreamReader reader(c.encoding == u"UTF-8" ? QString::fromUtf8(bytes) : platform::fromCp932(bytes));
        QString read;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.name() == u"TEIGAKU_MEISAI_19_0300" && read.isEmpty()) {
                const QString t = reader.readElementText();
                if (t != u"資産1" && t != u"資産2") read = t;
            }
        }
        EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
        EXPECT_EQ(read, c.text);
    }
}

TEST(XmlSaveDoc, ACharacterTheCodePageCannotHoldNamesItsPlace)
{
    const QString path = testenv::freshDir(QStringLiteral("xml-cp932")) + QStringLiteral("/RC25.xml");
    struct Case {
        const char *what;
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {"Hangul", QStringLiteral("한국"), QStringLiteral("한")},
        {"a character outside the basic plane", QStringLiteral("😀"), QStringLiteral("😀")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(saveFailure(sheetDocument(c.text, Place::Row), path),
                  QStringLiteral("中間ファイルに書き込めない文字「%1」が含まれています。\r場所: ").arg(c.shown) + kRowPlace);
        EXPECT_FALSE(QFileInfo::exists(path));
    }
}

TEST(XmlSaveDoc, WriteFailuresSayWhy)
{
    const QString dir = testenv::freshDir(QStringLiteral("xml-why"));
    const TXmlSaveDoc doc = sheetDocument(QStringLiteral("資産"), Place::Row);
    EXPECT_EQ(saveFailure(doc, dir + QStringLiteral("/missing/RC25.xml")),
              dir + QStringLiteral("/missing/RC25.xml に書き込めません。(フォルダが見つかりません)"));

    TmpfsMount ro(dir + QStringLiteral("/readonly"));
    if (!ro.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root and mount rights)";
    EXPECT_EQ(saveFailure(doc, ro.dir() + QStringLiteral("/RC25.xml")), ro.dir() + QStringLiteral("/RC25.xml に書き込めません。(読み取り専用の場所です)"));

    // A volume that fills up while the file is written.
    TmpfsMount volume(dir + QStringLiteral("/full"), TmpfsMount::Writable);
    ASSERT_TRUE(volume.mounted());
    const QString path = volume.dir() + QStringLiteral("/RC25.xml");
    testenv::writeFile(path, "previous");
    TXmlSaveDoc big(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
    big.CreateRoot(QStringLiteral("REPORT"));
    const auto names = std::make_shared<const QStringList>(QStringList{QStringLiteral("NAME"), QStringLiteral("AMOUNT")});
    for (int line = 1; line <= 100000; ++line)
        big.AddTextRow(-1, QStringLiteral("ROW"), QString::number(line), QStringLiteral("line"), names,
                       {QStringLiteral("減価償却資産の名称"), QString::number(line * 1000)});
    EXPECT_EQ(saveFailure(big, path), path + QStringLiteral(" に書き込めません。(ディスクの空き容量が足りません)"));
    EXPECT_EQ(testenv::readFile(path), QByteArray("previous"));
    EXPECT_EQ(filesIn(volume.dir()), QStringList({QStringLiteral("RC25.xml")}));
}

TEST(XmlSaveDoc, AKilledWriteLeavesNoPartialFileOnceTheNextWriteIsDone)
{
    // A file system without anonymous temporary files (vfat, SMB, NFS), as the
    // preloaded shim makes every one look; the writer is killed when the file
    // reaches the size limit it sets itself.
    const QString dir = testenv::freshDir(QStringLiteral("xml-killed"));
    const QString path = dir + QStringLiteral("/RC25.xml");
    testenv::writeFile(path, "previous");
    QProcess writer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(NO_TMPFILE_SHIM));
    // The sanitizer build's runtime accepts a library preloaded before it.
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":verify_asan_link_order=0"));
    writer.setProcessEnvironment(env);
    writer.start(QStringLiteral(KILLED_XML_WRITER), {path, QStringLiteral("262144")});
    ASSERT_TRUE(writer.waitForFinished(60000));
    ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << writer.readAllStandardError().toStdString();
    EXPECT_EQ(testenv::readFile(path), QByteArray("previous"));
    const QStringList left = filesIn(dir);
    ASSERT_EQ(left.size(), 2) << left.join(u' ').toStdString(); // the target and the killed write's partial file

    sheetDocument(QStringLiteral("資産"), Place::Row).SaveToFile(path);
    EXPECT_EQ(filesIn(dir), QStringList({QStringLiteral("RC25.xml")}));
    EXPECT_TRUE(testenv::readFile(path).startsWith("<?xml"));
}

namespace {

// Documents of every shape the writer knows, made by the same calls as a
// tree and as a stream.
using Fill = void (*)(TXmlSaveDoc &);
struct Shape {
    const char *what;
    Fill fill;
    const char *encoding;
};

void nested(TXmlSaveDoc &doc)
{
    const auto root = doc.CreateRoot(QStringLiteral("REPORT"), QStringLiteral("urn:x"));
    const auto a = doc.AddNode(root, QStringLiteral("A"), QStringLiteral("1 & \"2\""), QStringLiteral("n"));
    const auto b = doc.AddNode(a, QStringLiteral("B"));
    doc.AddTextNode(b, QStringLiteral("T"), QString(), QString(), QStringLiteral("<x> & ㈱①～ｶﾅ\t\r\n\"q\""));
    doc.AddNode(b, QStringLiteral("EMPTY"));
    doc.AddTextNode(a, QStringLiteral("E"), QStringLiteral("v"), QStringLiteral("k"), QString());
    doc.AddNode(-1, QStringLiteral("LAST"));
    const auto names = std::make_shared<const QStringList>(QStringList{QStringLiteral("R_1"), QStringLiteral("R_2"), QStringLiteral("R_3")});
    const auto table = doc.AddNode(-1, QStringLiteral("TABLE"));
    for (int line = 1; line <= 3; ++line)
        doc.AddTextRow(table, QStringLiteral("R"), QString::number(line), QStringLiteral("line"), names,
                       {line == 2 ? QString() : QStringLiteral("漢字%1").arg(line), QString(), QStringLiteral("a<b")});
    const auto other = std::make_shared<const QStringList>(QStringList{QStringLiteral("S_1")});
    doc.AddTextRow(table, QStringLiteral("S"), QString(), QString(), other, {QStringLiteral("x")});
    doc.AddTextRow(table, QStringLiteral("Z"), QString(), QString(), std::make_shared<const QStringList>(), {});
}

void rootOnly(TXmlSaveDoc &doc)
{
    doc.CreateRoot(QStringLiteral("REPORT"));
}

void sheet(TXmlSaveDoc &doc)
{
    fillSheet(doc, QStringLiteral("資産"), Place::Row);
}

void surrogates(TXmlSaveDoc &doc)
{
    fillSheet(doc, QStringLiteral("𠮷野家"), Place::Text);
}

const Shape kShapes[] = {
    {"nested elements, attributes, escapes and rows", nested, "Shift_JIS"},
    {"the same in UTF-8", nested, "UTF-8"},
    {"a root alone", rootOnly, "Shift_JIS"},
    {"a sheet", sheet, "Shift_JIS"},
    {"a pair of surrogates in UTF-8", surrogates, "UTF-8"},
};

} // namespace

TEST(XmlSaveDoc, AStreamedDocumentIsTheTreesFileByteForByte)
{
    const QString dir = testenv::freshDir(QStringLiteral("xml-stream"));
    for (const Shape &shape : kShapes) {
        SCOPED_TRACE(shape.what);
        QFile::remove(dir + QStringLiteral("/tree.xml"));
        QFile::remove(dir + QStringLiteral("/stream.xml"));
        TXmlSaveDoc tree(QStringLiteral("1.0"), QStringLiteral("yes"), QLatin1String(shape.encoding));
        shape.fill(tree);
        tree.SaveToFile(dir + QStringLiteral("/tree.xml"));

        TXmlSaveDoc streamed(QStringLiteral("1.0"), QStringLiteral("yes"), QLatin1String(shape.encoding));
        streamed.StreamTo(dir + QStringLiteral("/stream.xml"));
        shape.fill(streamed);
        EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/stream.xml"))); // not before the save
        streamed.SaveToFile(dir + QStringLiteral("/stream.xml"));

        const QByteArray bytes = testenv::readFile(dir + QStringLiteral("/tree.xml"));
        EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/stream.xml")), bytes);
        EXPECT_EQ(streamed.NodeCount(), tree.NodeCount());
        // The tree's text is the file's, decoded.
        const QString text = QLatin1String(shape.encoding) == u"UTF-8" ? QString::fromUtf8(bytes) : platform::fromCp932(bytes);
        EXPECT_EQ(tree.ToText(), text);
        EXPECT_EQ(filesIn(dir), QStringList({QStringLiteral("stream.xml"), QStringLiteral("tree.xml")}));
        if (shape.fill == nested) {
            EXPECT_TRUE(text.contains(QStringLiteral("<REPORT xmlns=\"urn:x\"><A n=\"1 &amp; &quot;2&quot;\"><B><T>&lt;x&gt; &amp; ㈱")));
        }
    }
}

TEST(XmlSaveDoc, AStreamedDocumentFailsItsSaveAsTheTreeDoes)
{
    const QString dir = testenv::freshDir(QStringLiteral("xml-stream-fail"));
    const QString path = dir + QStringLiteral("/RC25.xml");
    testenv::writeFile(path, "previous");
    struct Case {
        const char *what;
        QString bad;
        Place place;
    };
    const Case cases[] = {
        {"a control character in a text", QStringLiteral("A\u0001B"), Place::Text},
        {"a control character in a row", QStringLiteral("A\u000BB"), Place::Row},
        {"a lone surrogate in an attribute", QStringLiteral("A") + QChar(0xD842), Place::Attribute},
        {"Hangul in a row", QStringLiteral("한국"), Place::Row},
        {"a character outside the basic plane in a text", QStringLiteral("😀"), Place::Text},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString expected = saveFailure(sheetDocument(c.bad, c.place), path);
        ASSERT_NE(expected, QStringLiteral("saved"));
        TXmlSaveDoc streamed(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
        streamed.StreamTo(path);
        EXPECT_NO_THROW(fillSheet(streamed, c.bad, c.place)); // nothing is thrown before the save
        EXPECT_EQ(saveFailure(streamed, path), expected);
        EXPECT_EQ(saveFailure(streamed, path), expected); // and again: it stays failed
        EXPECT_EQ(testenv::readFile(path), QByteArray("previous"));
        EXPECT_EQ(filesIn(dir), QStringList({QStringLiteral("RC25.xml")}));
    }

    // A folder that is not there fails the save, not the start.
    TXmlSaveDoc missing(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
    const QString nowhere = dir + QStringLiteral("/missing/RC25.xml");
    EXPECT_NO_THROW(missing.StreamTo(nowhere));
    fillSheet(missing, QStringLiteral("資産"), Place::Row);
    EXPECT_EQ(saveFailure(missing, nowhere), nowhere + QStringLiteral(" に書き込めません。(フォルダが見つかりません)"));
}

TEST(XmlSaveDoc, AStreamedDocumentTakesElementsInDocumentOrderOnly)
{
    const QString dir = testenv::freshDir(QStringLiteral("xml-stream-order"));
    const QString path = dir + QStringLiteral("/RC25.xml");
    testenv::writeFile(path, "previous");
    {
        TXmlSaveDoc doc(QStringLiteral("1.0"), QString(), QStringLiteral("Shift_JIS"));
        doc.StreamTo(path);
        EXPECT_THROW(doc.AddNode(-1, QStringLiteral("NOROOT")), platform::Error);
        doc.CreateRoot(QStringLiteral("REPORT"));
        EXPECT_THROW(doc.CreateRoot(QStringLiteral("AGAIN")), platform::Error);
        const auto first = doc.AddNode(-1, QStringLiteral("FIRST"));
        doc.AddNode(-1, QStringLiteral("SECOND")); // ends FIRST
        EXPECT_THROW(doc.AddTextNode(first, QStringLiteral("LATE"), QString(), QString(), QStringLiteral("x")), platform::Error);
        EXPECT_THROW(doc.AddNode(12345, QStringLiteral("NOWHERE")), platform::Error);
        EXPECT_THROW(doc.ToText(), platform::Error);
        EXPECT_THROW(doc.SaveToFile(dir + QStringLiteral("/other.xml")), platform::Error);
        // Dropped unsaved: nothing is written.
    }
    EXPECT_EQ(testenv::readFile(path), QByteArray("previous"));
    EXPECT_EQ(filesIn(dir), QStringList({QStringLiteral("RC25.xml")}));
}
