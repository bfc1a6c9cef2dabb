#include "platform/AtomicFile.h"
#include "platform/WriteFailure.h"
#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

using platform::AtomicFile;

namespace {

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The number of a process that has ended.
qint64 endedProcess()
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

} // namespace

TEST(WriteFailure, EachCauseHasItsReason)
{
    struct Case {
        int errnum;
        const char16_t *reason;
    };
    const Case cases[] = {
        {ENOENT, u"フォルダが見つかりません"},       {ENOTDIR, u"フォルダが見つかりません"},
        {EACCES, u"書き込みの権限がありません"},     {EPERM, u"書き込みの権限がありません"},
        {ENOSPC, u"ディスクの空き容量が足りません"}, {EDQUOT, u"ディスクの空き容量が足りません"},
        {EROFS, u"読み取り専用の場所です"},          {EISDIR, u"同じ名前のフォルダがあります"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.errnum);
        EXPECT_EQ(platform::writeFailureReason(c.errnum), QString::fromUtf16(c.reason));
        EXPECT_EQ(platform::writeFailureMessage(QStringLiteral("/d/a.ini"), c.errnum),
                  QStringLiteral("/d/a.ini に書き込めません。(%1)").arg(QString::fromUtf16(c.reason)));
        const platform::WriteError e(QStringLiteral("/d/a.ini"), c.errnum);
        EXPECT_EQ(e.errnum(), c.errnum);
        EXPECT_EQ(e.message(), platform::writeFailureMessage(QStringLiteral("/d/a.ini"), c.errnum));
    }
    // Another cause still says which.
    EXPECT_TRUE(platform::writeFailureReason(EMLINK).contains(QString::number(EMLINK)));
}

TEST(AtomicFile, PartialFilesNoWriteWorksOnAreRemovedByTheNextWrite)
{
    const QString dir = testenv::freshDir(QStringLiteral("partials"));
    // Our own naming, as this machine writes it.
    QString host;
    {
        AtomicFile probe(dir + QStringLiteral("/probe.txt"));
        probe.open();
        const QString name = QFileInfo(probe.partialFileName()).fileName();
        EXPECT_TRUE(AtomicFile::isPartialFileName(name)) << name.toStdString();
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^\\.probe\\.txt\\.([A-Za-z0-9_]+)-%1-[A-Za-z0-9]+\\.soltea-part$").arg(::getpid())).match(name);
        ASSERT_TRUE(m.hasMatch()) << name.toStdString();
        host = m.captured(1);
    }
    EXPECT_EQ(filesIn(dir), QStringList()); // the abandoned write removed its file

    const qint64 ended = endedProcess();
    auto partial = [&](const QString &who, qint64 pid) {
        return QStringLiteral(".RC25.xml.%1-%2-k1.soltea-part").arg(who).arg(pid);
    };
    struct Case {
        QString name;
        bool old;   // untouched for two days
        bool stays;
    };
    const Case cases[] = {
        {partial(host, ended), false, false},                  // a process of this machine that has ended
        {partial(host, ::getpid()), false, false},             // this process's number, but none of its writes
        {partial(host, 1), false, true},                       // a process still running
        {partial(QStringLiteral("otherpc"), ended), false, true}, // another machine's, recent
        {partial(QStringLiteral("otherpc"), 77), true, false},  // another machine's, left for days
        {QStringLiteral("RC25.xml.AbCdEf"), true, true},        // not ours
        {QStringLiteral(".RC25.xml.soltea-part"), true, true},  // not ours either
    };
    for (const Case &c : cases) {
        QFile f(dir + u'/' + c.name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("partial");
        f.flush();
        if (c.old) {
            ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        }
    }
    // A write working at the same time keeps its file.
    AtomicFile busy(dir + QStringLiteral("/other.xml"));
    busy.open();

    AtomicFile f(dir + QStringLiteral("/RC25.xml"));
    f.open();
    f.write(QByteArray("complete"));
    f.commit();
    EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/RC25.xml")), QByteArray("complete"));
    QStringList expected{QStringLiteral("RC25.xml"), QFileInfo(busy.partialFileName()).fileName()};
    for (const Case &c : cases)
        if (c.stays) expected << c.name;
    expected.sort();
    EXPECT_EQ(filesIn(dir), expected);
    busy.discard();
    EXPECT_FALSE(QFileInfo::exists(busy.partialFileName()));
}

TEST(AtomicFile, AFailedWriteLeavesTheTargetAndNoPartialFile)
{
    TmpfsMount volume(testenv::freshDir(QStringLiteral("atomic-full")) + QStringLiteral("/volume"), TmpfsMount::Writable);
    if (!volume.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root and mount rights)";
    const QString path = volume.dir() + QStringLiteral("/RC25.xml");
    testenv::writeFile(path, "previous");
    QFile filler(volume.dir() + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    AtomicFile f(path);
    f.open();
    try {
        for (int i = 0; i < 256; ++i) f.write(QByteArray(64 * 1024, 'x'));
        f.commit();
        FAIL() << "written on a full volume";
    } catch (const platform::WriteError &e) {
        EXPECT_EQ(e.errnum(), ENOSPC);
        EXPECT_EQ(e.message(), path + QStringLiteral(" に書き込めません。(ディスクの空き容量が足りません)"));
    }
    EXPECT_EQ(testenv::readFile(path), QByteArray("previous"));
    EXPECT_EQ(filesIn(volume.dir()), QStringList({QStringLiteral("RC25.xml"), QStringLiteral("filler")}));
}

TEST(AtomicFile, ALinkIsWrittenThroughAndStays)
{
    const QString dir = testenv::freshDir(QStringLiteral("atomic-link"));
    testenv::writeFile(dir + QStringLiteral("/real.xml"), "old");
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/real.xml"), dir + QStringLiteral("/link.xml")));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/later.xml"), dir + QStringLiteral("/dangling.xml")));
    for (const char *name : {"/link.xml", "/dangling.xml"}) {
        AtomicFile f(dir + QLatin1String(name));
        f.open();
        f.write(QByteArray("new"));
        f.commit();
        EXPECT_TRUE(QFileInfo(dir + QLatin1String(name)).isSymLink());
    }
    EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/real.xml")), QByteArray("new"));
    EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/later.xml")), QByteArray("new"));
    EXPECT_EQ(AtomicFile::resolveTarget(dir + QStringLiteral("/link.xml")), dir + QStringLiteral("/real.xml"));
}
