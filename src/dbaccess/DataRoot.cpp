#include "dbaccess/DataRoot.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"

#include <QDir>
#include <QFile>

namespace {

QString g_templateFolder;

QStringList params(const QString &user, const QString &password)
{
    return {QStringLiteral("user_name=") + user, QStringLiteral("password=") + password,
            QStringLiteral("lc_ctype=SJIS_0208")};
}

void createFromScript(const QString &path, const QString &schema, const QString &user, const QString &password)
{
    FbDatabase::createDatabase(path, user, password);
    FbDatabase db;
    db.DatabaseName = path;
    db.Params = params(user, password);
    db.open();
    try {
        ExecuteSqlScript(db, SchemaScript(schema));
    } catch (...) {
        db.dropDatabase();
        throw;
    }
    db.close();
}

} // namespace

QString SchemaScript(const QString &name)
{
    Q_INIT_RESOURCE(sql);
    QFile f(QStringLiteral(":/sql/%1.sql").arg(name));
    if (!f.open(QIODevice::ReadOnly)) throw platform::Error(QStringLiteral("スキーマ %1 がありません。").arg(name));
    return QString::fromUtf8(f.readAll());
}

void SetSchemaTemplateFolder(const QString &folder)
{
    g_templateFolder = folder;
}

QString SchemaTemplateFolder()
{
    return g_templateFolder;
}

QString SchemaTemplateFile(const QString &schema)
{
    return schema + QStringLiteral(".fdb");
}

void CreateSchemaDatabase(const QString &path, const QString &schema, const QString &user, const QString &password)
{
    if (QFile::exists(path)) throw platform::Error(QStringLiteral("%1 は既に存在します。").arg(path));
    const QString source = g_templateFolder.isEmpty() ? QString() : g_templateFolder + u'/' + SchemaTemplateFile(schema);
    if (source.isEmpty() || !QFile::exists(source)) {
        createFromScript(path, schema, user, password);
        return;
    }
    // The copy keeps the template's permissions, which the engine gave it.
    if (!QFile::copy(source, path))
        throw platform::Error(QStringLiteral("\"%1\"を\"%2\"にコピーできませんでした。").arg(source, path));
}

void CreateCompanyDatabase(const QString &folder, const QString &user, const QString &password)
{
    if (!QDir().mkpath(folder)) throw platform::Error(QStringLiteral("\"%1\"の作成に失敗しました。").arg(folder));
    CreateSchemaDatabase(folder + u'/' + Product.DataFile, QStringLiteral("company"), user, password);
}

DataRootInfo CreateDataRoot(const QString &root, const QString &user, const QString &password)
{
    DataRootInfo info;
    info.root = QDir::cleanPath(root);
    // The folders of the data sets are kept in the list of the system
    // database, indexed by their upper case: a root whose path the engine
    // cannot hold or bring to upper case (an IBM extension such as 髙, an NEC
    // special character such as ①) is refused before anything is made.
    if (!fbtext::convertsThroughUnicode(info.root))
        throw platform::Error(QStringLiteral("\"%1\"にはデータ一覧に登録できない文字が含まれています。"
                                             "別のフォルダーを指定して下さい。").arg(info.root));
    info.sysDir = info.root + QStringLiteral("/data");
    if (!QDir().mkpath(info.sysDir)) throw platform::Error(QStringLiteral("\"%1\"の作成に失敗しました。").arg(info.sysDir));
    CreateSchemaDatabase(info.sysDir + u'/' + Product.DataDefFile, QStringLiteral("system"), user, password);
    CreateSchemaDatabase(info.sysDir + u'/' + FileManFile, QStringLiteral("fileman"), user, password);

    {
        // The transfer functions of the file-manager database, likewise only
        // where the engine has their module.
        FbDatabase fileman;
        fileman.DatabaseName = info.sysDir + u'/' + FileManFile;
        fileman.Params = params(user, password);
        fileman.open();
        try {
            ExecuteSqlScript(fileman, SchemaScript(QStringLiteral("fileman_filetrans")));
        } catch (const FbError &) {
        }
        fileman.close();
    }

    FbDatabase sys;
    sys.DatabaseName = info.sysDir + u'/' + Product.DataDefFile;
    sys.Params = params(user, password);
    sys.open();
    // The file procedures exist only where the engine has their module; a
    // stand-alone installation never calls them.
    try {
        ExecuteSqlScript(sys, SchemaScript(QStringLiteral("system_fileops")));
        info.fileProcedures = true;
    } catch (const FbError &) {
        info.fileProcedures = false;
    }
    FbTransaction tr(&sys, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    tr.startTransaction();
    FbQuery q(&sys, &tr);
    // The local list has a fixed number of slots, one data folder each.
    q.setSql(QStringLiteral("SELECT REC, PATHNAME FROM SP_DATALIST_INSERT(0, :PATHTEXT, :MAXCNT)"));
    q.paramByName(QStringLiteral("PATHTEXT")).setString(info.sysDir);
    q.paramByName(QStringLiteral("MAXCNT")).setInteger(Product.DataListCnt);
    for (q.open(); !q.eof(); q.next())
        if (q.field(0).asInteger() == 1) info.companyDir = q.field(1).asString();
    q.close();
    tr.commit();
    sys.close();

    CreateCompanyDatabase(info.companyDir, user, password);
    return info;
}
