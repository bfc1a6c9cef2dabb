// One transaction over two databases: it commits on both or on neither.
#include "dbaccess/FbClient.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

const QStringList kParams = {QStringLiteral("user_name=DORVEL"), QStringLiteral("password=zoltup"),
                             QStringLiteral("lc_ctype=SJIS_0208")};
const QStringList kReadCommitted = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                                    QStringLiteral("nowait")};

class FbDistributedTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString dir = testenv::freshDir(QStringLiteral("dtc"));
        for (int i = 0; i < 2; ++i) {
            paths[i] = dir + QStringLiteral("/db%1.fdb").arg(i);
            FbDatabase::createDatabase(paths[i], QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
            db[i].DatabaseName = paths[i];
            db[i].Params = kParams;
            db[i].open();
            ExecuteSqlScript(db[i], QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), "
                                                   "MEMO BLOB SUB_TYPE 1);\n"
                                                   "INSERT INTO T (ID, NAME) VALUES (1, '一');\n"));
        }
        tr.setDatabase(&db[1]);
        tr.addDatabase(&db[0]);
        tr.Params = kReadCommitted;
    }

    void insert(int i, int id)
    {
        FbQuery q(&db[i], &tr);
        q.setSql(QStringLiteral("INSERT INTO T (ID, NAME, MEMO) VALUES (:ID, :NAME, :MEMO)"));
        q.paramByName(QStringLiteral("ID")).setInteger(id);
        q.paramByName(QStringLiteral("NAME")).setString(QStringLiteral("受信%1").arg(id));
        q.paramByName(QStringLiteral("MEMO")).setString(QStringLiteral("メモ%1").arg(id));
        q.execSQL();
    }

    // The names of table T of database i, read through a connection of its own.
    static QStringList names(const QString &path)
    {
        FbDatabase r;
        r.DatabaseName = path;
        r.Params = kParams;
        r.open();
        FbTransaction rt(&r, kReadCommitted);
        rt.startTransaction();
        FbQuery q(&r, &rt);
        q.setSql(QStringLiteral("SELECT NAME, MEMO FROM T ORDER BY ID"));
        QStringList out;
        for (q.open(); !q.eof(); q.next()) out << q.field(0).asString() + u'/' + q.field(1).asString();
        rt.commit();
        r.close();
        return out;
    }

    QString paths[2];
    FbDatabase db[2];
    FbTransaction tr;
};

} // namespace

TEST_F(FbDistributedTest, CommitsOnBothDatabases)
{
    ASSERT_EQ(tr.otherDatabases().size(), 1u);
    tr.startTransaction();
    insert(0, 2);
    insert(1, 3);
    {
        // What one side wrote is seen inside the transaction, not outside it.
        FbQuery q(&db[0], &tr);
        q.setSql(QStringLiteral("SELECT COUNT(*) FROM T"));
        q.open();
        EXPECT_EQ(q.field(0).asInteger(), 2);
    }
    EXPECT_EQ(names(paths[0]).size(), 1);
    tr.commit();
    EXPECT_EQ(names(paths[0]), (QStringList{QStringLiteral("一/"), QStringLiteral("受信2/メモ2")}));
    EXPECT_EQ(names(paths[1]), (QStringList{QStringLiteral("一/"), QStringLiteral("受信3/メモ3")}));
}

TEST_F(FbDistributedTest, AFailingLateStatementRollsBothBack)
{
    {
        TransactionGuard guard(tr);
        insert(0, 2);
        insert(1, 2);
        EXPECT_THROW(insert(1, 2), FbError); // the key exists now
    } // the guard rolls back
    EXPECT_FALSE(tr.inTransaction());
    EXPECT_EQ(names(paths[0]), QStringList{QStringLiteral("一/")});
    EXPECT_EQ(names(paths[1]), QStringList{QStringLiteral("一/")});
}

TEST_F(FbDistributedTest, ClosingEitherDatabaseRollsTheWholeTransactionBack)
{
    tr.startTransaction();
    insert(0, 5);
    insert(1, 5);
    db[0].close(); // the added database, not the transaction's own
    EXPECT_FALSE(tr.inTransaction());
    EXPECT_EQ(names(paths[1]), QStringList{QStringLiteral("一/")});
    // Started again, it needs both databases connected.
    EXPECT_THROW(tr.startTransaction(), FbError);
    db[0].open();
    tr.startTransaction();
    insert(0, 6);
    tr.commit();
    EXPECT_EQ(names(paths[0]).size(), 2);
}

TEST_F(FbDistributedTest, DatabasesAreAddedOnlyWhileNoTransactionRuns)
{
    FbDatabase extra;
    tr.startTransaction();
    EXPECT_THROW(tr.addDatabase(&extra), FbError);
    EXPECT_THROW(tr.removeDatabase(&db[0]), FbError);
    tr.rollback();
    tr.removeDatabase(&db[0]);
    EXPECT_TRUE(tr.otherDatabases().empty());
    tr.startTransaction(); // a plain transaction on its own database again
    insert(1, 9);
    tr.commit();
    EXPECT_EQ(names(paths[1]).size(), 2);
}

TEST_F(FbDistributedTest, ADatabaseGoingAwayIsForgotten)
{
    auto extra = std::make_unique<FbDatabase>();
    tr.addDatabase(extra.get());
    extra.reset();
    EXPECT_EQ(tr.otherDatabases().size(), 1u);
    tr.startTransaction();
    insert(0, 4);
    tr.commit();
    EXPECT_EQ(names(paths[0]).size(), 2);
}
