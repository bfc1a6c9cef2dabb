#include "support/SchemaTemplates.h"

#include "dbaccess/DataRoot.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace testenv {

namespace {

// Held for as long as it lives: an exclusive lock of a file, which the system
// frees when the process ends, however it ends.
class FileLock
{
public:
    explicit FileLock(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) throw std::runtime_error("cannot open the lock file " + path.toStdString());
        int rc;
        while ((rc = ::flock(m_fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (rc != 0) {
            ::close(m_fd);
            throw std::runtime_error("cannot lock " + path.toStdString());
        }
    }
    ~FileLock() { ::close(m_fd); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    int m_fd = -1;
};

// Makes the templates in `folder` from the scripts themselves.
void makeTemplates(const QString &folder)
{
    if (!QDir().mkpath(folder)) throw std::runtime_error("cannot make " + folder.toStdString());
    const QString previous = SchemaTemplateFolder();
    SetSchemaTemplateFolder(QString());
    try {
        for (const QString &schema : templateSchemas())
            CreateSchemaDatabase(folder + u'/' + SchemaTemplateFile(schema), schema, kDbUser, kDbPassword);
    } catch (...) {
        SetSchemaTemplateFolder(previous);
        QDir(folder).removeRecursively();
        throw;
    }
    SetSchemaTemplateFolder(previous);
}

// Removes everything below `base` but the templates of `key` and their lock: a
// build tree tests one set of scripts at a time.
void removeOthers(const QString &base, const QString &key)
{
    for (const QFileInfo &entry : QDir(base).entryInfoList(QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.fileName() == key || entry.fileName() == key + QStringLiteral(".lock")) continue;
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

} // namespace

QStringList templateSchemas()
{
    return {QStringLiteral("system"), QStringLiteral("fileman"), QStringLiteral("company")};
}

QString schemaTemplateKey(const QString &user, const QStringList &scripts)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayLiteral("schema templates 1\n"));
    hash.addData(user.toUtf8() + '\n');
    for (const QString &script : scripts) {
        const QByteArray text = script.toUtf8();
        hash.addData(QByteArray::number(text.size()) + '\n'); // no two lists run together alike
        hash.addData(text);
    }
    return QString::fromLatin1(hash.result().toHex().left(32));
}

SchemaTemplates findOrMakeSchemaTemplates(const QString &base)
{
    QStringList scripts;
    for (const QString &schema : templateSchemas()) scripts << SchemaScript(schema);
    const QString key = schemaTemplateKey(kDbUser, scripts);
    const QString folder = base + u'/' + key;
    if (QFileInfo(folder).isDir()) return {folder, false};
    if (!QDir().mkpath(base)) throw std::runtime_error("cannot make " + base.toStdString());
    FileLock lock(folder + QStringLiteral(".lock"));
    if (QFileInfo(folder).isDir()) return {folder, false}; // made while this process waited
    removeOthers(base, key);
    const QString making = folder + QStringLiteral(".making");
    makeTemplates(making);
    if (!QDir(base).rename(QFileInfo(making).fileName(), key))
        throw std::runtime_error("cannot rename " + making.toStdString() + " to " + folder.toStdString());
    return {folder, true};
}

QString schemaTemplateFolder()
{
    static const QString folder = findOrMakeSchemaTemplates(QStringLiteral(SOLTEA_TEST_DATABASE_DIR)).folder;
    return folder;
}

} // namespace testenv
