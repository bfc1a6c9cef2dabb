// Deleting into the recycle bin on a desktop without one asks before
// deleting for good.
#include "core/FileUtils.h"
#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

const QString kQuestion = QStringLiteral("ごみ箱に移せません。\r完全に削除しますか？");

// The entries to delete live on a volume of their own whose own recycle bin
// cannot be made (a plain file holds its name); the desktop's data folder
// (XDG_DATA_HOME) is on a read-only mount or on that volume.
class RecycleBinTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedData = qgetenv("XDG_DATA_HOME");
        m_savedWorking = QDir::currentPath();
        m_volume = std::make_unique<TmpfsMount>(testenv::freshDir(QStringLiteral("bin-volume")), TmpfsMount::Writable);
        m_readOnly = std::make_unique<TmpfsMount>(testenv::freshDir(QStringLiteral("bin-readonly")));
        if (!m_volume->mounted() || !m_readOnly->mounted())
            GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root and mount rights)";
        testenv::writeFile(volume() + QStringLiteral("/.Trash-%1").arg(::getuid()), "no recycle bin here");
    }
    void TearDown() override
    {
        QDir::setCurrent(m_savedWorking);
        qputenv("XDG_DATA_HOME", m_savedData);
        m_readOnly.reset();
        m_volume.reset();
    }

    QString volume() const { return m_volume->dir(); }
    QString readOnly() const { return m_readOnly->dir(); }

    // A folder with a file, or a file alone.
    QString makeEntry(const QString &name, bool folder)
    {
        const QString path = volume() + QStringLiteral("/data/") + name;
        testenv::writeFile(folder ? path + QStringLiteral("/inside.txt") : path, "kept");
        return path;
    }
    static QByteArray contentOf(const QString &entry, bool folder)
    {
        return testenv::readFile(folder ? entry + QStringLiteral("/inside.txt") : entry);
    }

private:
    QByteArray m_savedData;
    QString m_savedWorking;
    std::unique_ptr<TmpfsMount> m_volume, m_readOnly;
};

} // namespace

TEST_F(RecycleBinTest, WithoutARecycleBinDeletesForGoodOnlyOnYes)
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(readOnly() + QStringLiteral("/share")));
    const QString sameVolume = volume() + QStringLiteral("/work");
    QDir().mkpath(sameVolume);
    struct Case {
        const char *name;
        bool folder;
        bool onReadOnly; // the working folder: read-only, or writable on the entry's volume
        int answer;
    };
    const Case cases[] = {
        {"folder-yes", true, true, mrYes},    {"folder-no", true, true, mrNo},
        {"file-yes", false, true, mrYes},     {"file-no", false, true, mrNo},
        {"folder-yes-w", true, false, mrYes}, {"folder-no-w", true, false, mrNo},
        {"file-yes-w", false, false, mrYes},  {"file-no-w", false, false, mrNo},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir::setCurrent(c.onReadOnly ? readOnly() : sameVolume));
        const QString entry = makeEntry(QLatin1String(c.name), c.folder);
        ScriptedMessages boxes;
        boxes.answer(c.answer);
        EXPECT_EQ(DeleteFolder(entry, 3, true, true), c.answer == mrYes);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, kQuestion);
        EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtConfirmation);
        EXPECT_EQ(boxes.shown[0].buttons, mbYes | mbNo);
        EXPECT_EQ(boxes.shown[0].defaultResult, mrNo);
        if (c.answer == mrYes) {
            EXPECT_FALSE(QFileInfo::exists(entry));
        } else {
            EXPECT_EQ(contentOf(entry, c.folder), QByteArray("kept"));
        }
        // Nothing was left behind in the working folder as if it were a recycle bin.
        for (const char *sub : {"files", "info"})
            EXPECT_TRUE(QDir(sameVolume + u'/' + QLatin1String(sub)).isEmpty()) << sub;
    }
}

TEST_F(RecycleBinTest, WithARecycleBinMovesIntoItWithoutAsking)
{
    const QString share = volume() + QStringLiteral("/share");
    QDir().mkpath(share);
    qputenv("XDG_DATA_HOME", QFile::encodeName(share));
    ASSERT_TRUE(QDir::setCurrent(readOnly()));
    for (bool folder : {true, false}) {
        const QString entry = makeEntry(folder ? QStringLiteral("in-bin") : QStringLiteral("in-bin.txt"), folder);
        ScriptedMessages boxes; // any box fails
        EXPECT_TRUE(DeleteFolder(entry, 3, true, true));
        EXPECT_TRUE(boxes.shown.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(entry));
        EXPECT_EQ(contentOf(share + QStringLiteral("/Trash/files/") + QFileInfo(entry).fileName(), folder), QByteArray("kept"));
    }
}
