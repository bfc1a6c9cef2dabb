#include "support/SchemaTemplates.h"
#include "support/TestEnv.h"

#include "dbaccess/DataRoot.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <memory>
#include <vector>

namespace {

QStringList currentScripts()
{
    QStringList scripts;
    for (const QString &schema : testenv::templateSchemas()) scripts << SchemaScript(schema);
    return scripts;
}

// Every row of every table of the database (sorted within the table, with the
// data root written as "<root>" and the time stamps of the making as "<time>"),
// the values of its generators and the names of its procedures, triggers and
// indices.
QStringList contentOf(const QString &path, const QString &root)
{
    FbDatabase db;
    db.DatabaseName = path;
    db.Params = {QStringLiteral("user_name=") + testenv::kDbUser, QStringLiteral("password=") + testenv::kDbPassword,
                 QStringLiteral("lc_ctype=SJIS_0208")};
    db.open();
    FbTransaction tr(&db, {QStringLiteral("concurrency"), QStringLiteral("nowait"), QStringLiteral("read")});
    TransactionGuard g(tr);
    const auto column = [&](const QString &sql) {
        QStringList out;
        FbQuery q(&db, &tr);
        q.setSql(sql);
        for (q.open(); !q.eof(); q.next()) out << q.field(0).asString().trimmed();
        q.close();
        return out;
    };
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    QStringList out;
    for (const QString &table : column(QStringLiteral("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS "
                                                      "WHERE RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NULL ORDER BY 1"))) {
        QStringList rows;
        FbQuery q(&db, &tr);
        q.setSql(QStringLiteral("SELECT * FROM ") + table);
        for (q.open(); !q.eof(); q.next()) {
            QStringList values;
            for (int i = 0; i < q.fieldCount(); ++i) {
                const FbField &f = q.field(i);
                QString value = f.isNull() ? QStringLiteral("<null>")
                                : f.kind() == DbValue::Kind::Bytes ? QString::fromLatin1(f.asBytes().toHex())
                                                                   : f.asString().replace(root, QStringLiteral("<root>"));
                if (stamp.match(value).hasMatch()) value = QStringLiteral("<time>");
                values << value;
            }
            rows << table + u':' + values.join(u'|');
        }
        q.close();
        rows.sort();
        out << table + QStringLiteral(" rows ") + QString::number(rows.size()) << rows;
    }
    for (const QString &generator : column(QStringLiteral("SELECT RDB$GENERATOR_NAME FROM RDB$GENERATORS "
                                                          "WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1")))
        out << generator + u'=' + column(QStringLiteral("SELECT GEN_ID(%1, 0) FROM RDB$DATABASE").arg(generator)).value(0);
    out << column(QStringLiteral("SELECT 'procedure ' || RDB$PROCEDURE_NAME FROM RDB$PROCEDURES ORDER BY 1"))
        << column(QStringLiteral("SELECT 'trigger ' || RDB$TRIGGER_NAME FROM RDB$TRIGGERS "
                                 "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"))
        << column(QStringLiteral("SELECT 'index ' || RDB$INDEX_NAME FROM RDB$INDICES "
                                 "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"));
    g.commit();
    db.close();
    return out;
}

// The files and folders below the root with their permissions.
QStringList filesOf(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        out << QDir(root).relativeFilePath(f.filePath()) + QStringLiteral(" %1").arg(int(f.permissions()), 0, 16);
    }
    out.sort();
    return out;
}

// The lines only one of the two has ("-" the first, "+" the second), counted as many times as they are there.
QStringList differences(QStringList a, QStringList b)
{
    QStringList out;
    for (const QString &line : std::as_const(a))
        if (!b.removeOne(line)) out << QStringLiteral("- ") + line;
    for (const QString &line : std::as_const(b)) out << QStringLiteral("+ ") + line;
    return out;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(SchemaTemplates, KeyChangesWithEveryScriptAndTheUser)
{
    const QStringList scripts = currentScripts();
    ASSERT_EQ(scripts.size(), 3);
    const QString key = testenv::schemaTemplateKey(testenv::kDbUser, scripts);
    EXPECT_EQ(testenv::schemaTemplateKey(testenv::kDbUser, currentScripts()), key);

    struct Case { const char *what; QString user; QStringList scripts; };
    std::vector<Case> cases;
    for (int i = 0; i < scripts.size(); ++i) {
        QStringList changed = scripts;
        changed[i] += u' ';
        cases.push_back({"one script changed", testenv::kDbUser, changed});
    }
    cases.push_back({"another user", QStringLiteral("SYSDBA"), scripts});
    cases.push_back({"text moved between scripts", testenv::kDbUser,
                     {scripts[0] + scripts[1].left(1), scripts[1].mid(1), scripts[2]}});
    cases.push_back({"a script fewer", testenv::kDbUser, scripts.mid(0, 2)});
    QStringList keys{key};
    for (const Case &c : cases) {
        const QString k = testenv::schemaTemplateKey(c.user, c.scripts);
        EXPECT_FALSE(keys.contains(k)) << c.what;
        keys << k;
    }
}

// Test processes that start together wait for the first, which makes the
// templates once and clears what older scripts or a process that died left.
TEST(SchemaTemplates, ProcessesStartedTogetherMakeThemOnce)
{
    const QString base = testenv::freshDir(QStringLiteral("templates"));
    const QString key = testenv::schemaTemplateKey(testenv::kDbUser, currentScripts());
    const QString old = QStringLiteral("0123456789abcdef0123456789abcdef");
    testenv::writeFile(base + u'/' + old + QStringLiteral("/system.fdb"), "older scripts");
    testenv::writeFile(base + u'/' + old + QStringLiteral(".lock"), QByteArray());
    testenv::writeFile(base + u'/' + key + QStringLiteral(".making/system.fdb"), "a process that died");

    const auto runMakers = [&](int count) {
        std::vector<std::unique_ptr<QProcess>> makers;
        for (int i = 0; i < count; ++i) {
            makers.push_back(std::make_unique<QProcess>());
            makers.back()->start(QStringLiteral(SCHEMA_TEMPLATE_MAKER), {base});
        }
        QStringList said;
        for (auto &m : makers) {
            EXPECT_TRUE(m->waitForFinished(300000));
            EXPECT_EQ(m->exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(m->exitCode(), 0) << m->readAllStandardError().toStdString();
            said << QString::fromLocal8Bit(m->readAllStandardOutput()).trimmed();
        }
        said.sort();
        return said;
    };

    const QString folder = base + u'/' + key;
    QStringList expected(4, QStringLiteral("found ") + folder);
    expected.last() = QStringLiteral("made ") + folder;
    EXPECT_EQ(runMakers(4), expected);
    EXPECT_EQ(entriesOf(base), QStringList({key, key + QStringLiteral(".lock")}));
    EXPECT_EQ(entriesOf(folder),
              QStringList({QStringLiteral("company.fdb"), QStringLiteral("fileman.fdb"), QStringLiteral("system.fdb")}));
    QStringList sizes;
    for (const QString &f : entriesOf(folder)) sizes << QString::number(QFileInfo(folder + u'/' + f).size());

    // Later processes find them as they are.
    EXPECT_EQ(runMakers(2), QStringList(2, QStringLiteral("found ") + folder));
    QStringList sizesAfter;
    for (const QString &f : entriesOf(folder)) sizesAfter << QString::number(QFileInfo(folder + u'/' + f).size());
    EXPECT_EQ(sizesAfter, sizes);
}

// Copying the templates and running the steps that depend on the place gives
// the data root the scripts give.
TEST(SchemaTemplates, ADataRootFromTheTemplatesEqualsOneFromTheScripts)
{
    const QString templates = testenv::schemaTemplateFolder();
    SetSchemaTemplateFolder(QString());
    const QString scriptedBase = testenv::freshDir(QStringLiteral("scripted"));
    const DataRootInfo scripted = CreateDataRoot(scriptedBase, testenv::kDbUser, testenv::kDbPassword);
    SetSchemaTemplateFolder(templates);
    const QString copiedBase = testenv::freshDir(QStringLiteral("copied"));
    const DataRootInfo copied = CreateDataRoot(copiedBase, testenv::kDbUser, testenv::kDbPassword);
    SetSchemaTemplateFolder(QString());

    EXPECT_EQ(copied.root, copiedBase);
    EXPECT_EQ(copied.sysDir, copiedBase + QStringLiteral("/data"));
    EXPECT_EQ(copied.companyDir, copiedBase + QStringLiteral("/data/0001"));
    EXPECT_EQ(QDir(scriptedBase).relativeFilePath(scripted.companyDir), QDir(copiedBase).relativeFilePath(copied.companyDir));
    EXPECT_EQ(copied.fileProcedures, scripted.fileProcedures);
    EXPECT_EQ(filesOf(copiedBase), filesOf(scriptedBase));

    const std::pair<QString, const char *> databases[] = {
        {QStringLiteral("/data/") + Product.DataDefFile, "DATALIST rows 120"},
        {QStringLiteral("/data/") + FileManFile, nullptr},
        {QStringLiteral("/data/0001/") + Product.DataFile, "ACCVERSION rows 1"},
    };
    for (const auto &[file, mark] : databases) {
        const QStringList fromScripts = contentOf(scriptedBase + file, scriptedBase);
        EXPECT_EQ(differences(fromScripts, contentOf(copiedBase + file, copiedBase)), QStringList()) << file.toStdString();
        if (mark) {
            EXPECT_TRUE(fromScripts.contains(QLatin1String(mark))) << file.toStdString();
        }
    }
}
