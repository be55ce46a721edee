// CDataStorage's statements: batch writes, reads with bound parameters, the statement
// cache, transactions on a full disk, calls without a connection, and fault points.
#include <sqlite3.h>

#include "libs/storage/DataStorage.h"
#include "tests/unit/storage_test_support.h"

namespace {

using storage_test::FaultSafeTest;
using storage_test::TempDir;

struct Row {
    int number;
    std::string text;
    bool operator==(const Row& other) const { return number == other.number && text == other.text; }
};

class StorageTest : public FaultSafeTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_storage.OpenFile(m_dir.File("db")));
        ASSERT_EQ(m_storage.ExecuteSql("CREATE TABLE T(N INTEGER PRIMARY KEY, S TEXT, X INTEGER)"),
                  SQLITE_OK);
    }

    void Insert(const std::vector<Row>& rows) {
        ASSERT_TRUE(m_storage.TransBegin());
        ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
        for (const Row& row : rows) {
            EXPECT_TRUE(m_storage.BindInteger(0, row.number));
            EXPECT_TRUE(m_storage.BindString(1, row.text));
            EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
        }
        m_storage.EndBind();
        ASSERT_TRUE(m_storage.TransCommit());
    }

    // Every row of a two-column read, after binding `params`.
    std::vector<Row> Read(const std::string& sql, std::initializer_list<SqlParam> params = {}) {
        std::vector<Row> rows;
        if (m_storage.BeginRead(sql, params)) {
            while (m_storage.ReadNext()) {
                Row row{-1, "unread"};
                EXPECT_TRUE(m_storage.ReadIntegerByIndex(0, row.number));
                EXPECT_TRUE(m_storage.ReadStringByIndex(1, row.text));
                rows.push_back(row);
            }
        }
        m_storage.EndRead();
        return rows;
    }

    TempDir m_dir;
    CDataStorage m_storage;
};

using StorageBindAndRead = StorageTest;

TEST_F(StorageBindAndRead, RoundTripsRowsWithZeroBasedIndexes) {
    const std::vector<Row> rows = {{1, "one"}, {2, ""}, {3, std::string("nul\0inside", 10)}};
    Insert(rows);
    EXPECT_EQ(Read("SELECT N, S FROM T ORDER BY N"), rows);
}

TEST_F(StorageBindAndRead, BindStringCopiesTheText) {
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
    {
        std::string text = "copied";
        ASSERT_TRUE(m_storage.BindString(1, text));
        text.assign(text.size(), 'X');
    }
    ASSERT_TRUE(m_storage.BindInteger(0, 1));
    EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
    m_storage.EndBind();
    EXPECT_EQ(Read("SELECT N, S FROM T"), (std::vector<Row>{{1, "copied"}}));
}

TEST_F(StorageBindAndRead, AFailedRowDoesNotStopTheBatch) {
    Insert({{1, "first"}});
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
    ASSERT_TRUE(m_storage.BindInteger(0, 1));  // a duplicate key
    ASSERT_TRUE(m_storage.BindString(1, "again"));
    EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_CONSTRAINT);
    ASSERT_TRUE(m_storage.BindInteger(0, 2));
    ASSERT_TRUE(m_storage.BindString(1, "second"));
    EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
    m_storage.EndBind();
    EXPECT_EQ(Read("SELECT N, S FROM T ORDER BY N"),
              (std::vector<Row>{{1, "first"}, {2, "second"}}));
}

TEST_F(StorageBindAndRead, APlaceholderLeftUnboundIsNullNotThePreviousRowsValue) {
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
    ASSERT_TRUE(m_storage.BindInteger(0, 1));
    ASSERT_TRUE(m_storage.BindString(1, "bound"));
    ASSERT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
    ASSERT_TRUE(m_storage.BindInteger(0, 2));
    ASSERT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
    m_storage.EndBind();
    EXPECT_EQ(Read("SELECT N, S FROM T WHERE S IS NULL"), (std::vector<Row>{{2, ""}}));
}

TEST_F(StorageBindAndRead, NullColumnsReadAsZeroAndEmptyText) {
    ASSERT_EQ(m_storage.ExecuteSql("INSERT INTO T(N) VALUES(5)"), SQLITE_OK);
    ASSERT_TRUE(m_storage.BeginRead("SELECT X, S FROM T"));
    ASSERT_TRUE(m_storage.ReadNext());
    int number = -1;
    std::string text = "previous";
    EXPECT_TRUE(m_storage.ReadIntegerByIndex(0, number));
    EXPECT_TRUE(m_storage.ReadStringByIndex(1, text));
    m_storage.EndRead();
    EXPECT_EQ(number, 0);
    EXPECT_EQ(text, "");
}

TEST_F(StorageBindAndRead, ColumnsOutsideTheRowFailAndLeaveTheValue) {
    Insert({{1, "one"}});
    int number = 42;
    std::string text = "kept";
    ASSERT_TRUE(m_storage.BeginRead("SELECT N, S FROM T"));
    EXPECT_FALSE(m_storage.ReadIntegerByIndex(0, number));  // no current row yet
    ASSERT_TRUE(m_storage.ReadNext());
    EXPECT_FALSE(m_storage.ReadIntegerByIndex(2, number));
    EXPECT_FALSE(m_storage.ReadIntegerByIndex(-1, number));
    EXPECT_FALSE(m_storage.ReadStringByIndex(2, text));
    EXPECT_FALSE(m_storage.ReadStringByIndex(-1, text));
    m_storage.EndRead();
    EXPECT_EQ(number, 42);
    EXPECT_EQ(text, "kept");
}

TEST_F(StorageBindAndRead, ReadNextStaysFalseAfterTheLastRow) {
    Insert({{1, "one"}});
    ASSERT_TRUE(m_storage.BeginRead("SELECT N, S FROM T"));
    EXPECT_TRUE(m_storage.ReadNext());
    EXPECT_FALSE(m_storage.ReadNext());
    EXPECT_FALSE(m_storage.ReadNext());  // does not start the query over
    int number = 42;
    EXPECT_FALSE(m_storage.ReadIntegerByIndex(0, number));
    m_storage.EndRead();
}

TEST_F(StorageBindAndRead, BoundTextWithQuotesMatchesExactlyAndAltersNothing) {
    Insert({{1, "O'Brien"}, {2, "x' OR '1'='1"}, {3, "plain"}});
    EXPECT_EQ(Read("SELECT N, S FROM T WHERE S = ?", {std::string("O'Brien")}),
              (std::vector<Row>{{1, "O'Brien"}}));
    EXPECT_EQ(Read("SELECT N, S FROM T WHERE S = ?", {std::string("x' OR '1'='1")}),
              (std::vector<Row>{{2, "x' OR '1'='1"}}));
    EXPECT_TRUE(
        Read("SELECT N, S FROM T WHERE S = ?", {std::string("'; DROP TABLE T; --")}).empty());
    EXPECT_EQ(Read("SELECT N, S FROM T ORDER BY N").size(), 3u);
}

TEST_F(StorageBindAndRead, IntegerAndTextParametersBindInOrder) {
    Insert({{1, "a"}, {2, "b"}, {3, "a"}});
    const std::string text = "a";
    EXPECT_EQ(Read("SELECT N, S FROM T WHERE S = ? AND N > ?", {text, 1}),
              (std::vector<Row>{{3, "a"}}));
}

TEST_F(StorageBindAndRead, AReadWithMoreParametersThanPlaceholdersFails) {
    EXPECT_FALSE(m_storage.BeginRead("SELECT N, S FROM T WHERE N = ?", {1, 2}));
    m_storage.EndRead();
    EXPECT_FALSE(m_storage.ReadNext());
}

TEST_F(StorageBindAndRead, APlaceholderBeforeTheFirstCannotBeBound) {
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES (?, ?)"));
    EXPECT_FALSE(m_storage.BindInteger(-1, 1));
    EXPECT_FALSE(m_storage.BindString(-1, "a"));
    EXPECT_FALSE(m_storage.BindTextInPlace(-1, "a"));
    m_storage.EndBind();
}

TEST_F(StorageBindAndRead, BadStatementsFailWithoutHarm) {
    EXPECT_NE(m_storage.ExecuteSql("NOT SQL"), SQLITE_OK);
    EXPECT_FALSE(m_storage.BeginBind("INSERT INTO MISSING VALUES(?)"));
    EXPECT_FALSE(m_storage.BindInteger(0, 1));
    EXPECT_NE(m_storage.ExecuteBind(), SQLITE_OK);
    m_storage.EndBind();
    EXPECT_FALSE(m_storage.BeginRead("SELECT * FROM MISSING"));
    EXPECT_FALSE(m_storage.ReadNext());
    m_storage.EndRead();
    EXPECT_FALSE(m_storage.BeginRead(""));
    m_storage.EndRead();
    Insert({{1, "still works"}});
    EXPECT_EQ(Read("SELECT N, S FROM T").size(), 1u);
}

using StorageStatementCache = StorageTest;

TEST_F(StorageStatementCache, ARepeatedReadAnswersTheSameEveryTime) {
    std::vector<Row> rows;
    for (int n = 0; n < 100; ++n) rows.push_back({n, "row " + std::to_string(n)});
    Insert(rows);
    for (int round = 0; round < 3; ++round) {
        for (int n = 0; n < 100; ++n) {
            ASSERT_EQ(Read("SELECT N, S FROM T WHERE N = ?", {n}),
                      (std::vector<Row>{rows[static_cast<std::size_t>(n)]}));
        }
    }
}

TEST_F(StorageStatementCache, AReadLeftUnfinishedStartsOverWhenBegunAgain) {
    Insert({{1, "one"}, {2, "two"}});
    ASSERT_TRUE(m_storage.BeginRead("SELECT N, S FROM T ORDER BY N"));
    ASSERT_TRUE(m_storage.ReadNext());
    EXPECT_EQ(Read("SELECT N, S FROM T ORDER BY N"), (std::vector<Row>{{1, "one"}, {2, "two"}}));
}

TEST_F(StorageStatementCache, ManyDistinctTextsStayCorrect) {
    Insert({{1, "one"}});
    // More distinct texts than are kept prepared, then the first ones again.
    for (int round = 0; round < 2; ++round) {
        for (int n = 0; n < 200; ++n) {
            const std::vector<Row> rows =
                Read("SELECT N, S FROM T WHERE N = 1 AND " + std::to_string(n) + " >= 0");
            ASSERT_EQ(rows, (std::vector<Row>{{1, "one"}})) << n;
        }
    }
}

using StorageTransactions = StorageTest;

TEST_F(StorageTransactions, ADiskFullFailsInsertsAndTheConnectionRecovers) {
    m_storage.SetMaxPageCount(4);
    ASSERT_TRUE(m_storage.TransBegin());
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
    const std::string bulk(2000, 'x');
    int full = 0;
    for (int n = 0; n < 100; ++n) {
        m_storage.BindInteger(0, n);
        m_storage.BindString(1, bulk);
        if (m_storage.ExecuteBind() == SQLITE_FULL) ++full;
    }
    m_storage.EndBind();
    (void)m_storage.TransCommit();  // it may fail too; what matters is what follows
    EXPECT_GT(full, 0);

    m_storage.SetMaxPageCount(0);
    ASSERT_TRUE(m_storage.TransBegin());  // no transaction was left open
    ASSERT_EQ(m_storage.ExecuteSql("DELETE FROM T"), SQLITE_OK);
    ASSERT_TRUE(m_storage.TransCommit());
    Insert({{1, bulk}, {2, bulk}, {3, bulk}, {4, bulk}});
    EXPECT_EQ(Read("SELECT N, S FROM T").size(), 4u);
}

TEST_F(StorageTransactions, AFailedCommitRollsBackAndLeavesNoTransactionOpen) {
    ASSERT_EQ(m_storage.ExecuteSql("PRAGMA foreign_keys=ON"), SQLITE_OK);
    ASSERT_EQ(m_storage.ExecuteSql("CREATE TABLE P(ID INTEGER PRIMARY KEY)"), SQLITE_OK);
    ASSERT_EQ(m_storage.ExecuteSql(
                  "CREATE TABLE C(PID INTEGER REFERENCES P(ID) DEFERRABLE INITIALLY DEFERRED)"),
              SQLITE_OK);
    ASSERT_TRUE(m_storage.TransBegin());
    ASSERT_EQ(m_storage.ExecuteSql("INSERT INTO C VALUES(5)"), SQLITE_OK);
    EXPECT_FALSE(m_storage.TransCommit());  // the deferred check fails at COMMIT

    EXPECT_TRUE(m_storage.TransBegin());
    EXPECT_TRUE(m_storage.TransCommit());
    EXPECT_TRUE(Read("SELECT PID, PID FROM C").empty());
}

TEST_F(StorageTransactions, CommittedRowsSurviveAReconnect) {
    Insert({{1, "kept"}});
    ASSERT_TRUE(m_storage.OpenFile(m_dir.File("db")));
    EXPECT_EQ(Read("SELECT N, S FROM T"), (std::vector<Row>{{1, "kept"}}));
}

TEST(StorageWithoutConnection, EveryCallFailsQuietly) {
    CDataStorage storage;
    int number = 42;
    std::string text = "kept";
    EXPECT_FALSE(storage.IsConnected());
    EXPECT_NE(storage.ExecuteSql("CREATE TABLE T(N)"), SQLITE_OK);
    EXPECT_FALSE(storage.TransBegin());
    EXPECT_FALSE(storage.TransCommit());
    EXPECT_FALSE(storage.BeginBind("INSERT INTO T VALUES(?)"));
    EXPECT_FALSE(storage.BindInteger(0, 1));
    EXPECT_FALSE(storage.BindString(0, text));
    EXPECT_NE(storage.ExecuteBind(), SQLITE_OK);
    storage.EndBind();
    EXPECT_FALSE(storage.BeginRead("SELECT 1"));
    EXPECT_FALSE(storage.BeginRead("SELECT ?", {1}));
    EXPECT_FALSE(storage.ReadNext());
    EXPECT_FALSE(storage.ReadIntegerByIndex(0, number));
    EXPECT_FALSE(storage.ReadStringByIndex(0, text));
    storage.EndRead();
    storage.SetMaxPageCount(1);
    storage.CloseStorage();
    EXPECT_EQ(number, 42);
    EXPECT_EQ(text, "kept");
}

class StorageFaultPoints : public StorageTest {
protected:
    void ArmOnce(const char* operation) { vellum::fault::Storage().Arm(0, 1, operation); }
};

TEST_F(StorageFaultPoints, ExecuteSqlFailsWithoutRunning) {
    ArmOnce("ExecuteSql");
    EXPECT_NE(m_storage.ExecuteSql("INSERT INTO T(N) VALUES(1)"), SQLITE_OK);
    EXPECT_TRUE(Read("SELECT N, S FROM T").empty());
}

TEST_F(StorageFaultPoints, BatchWriteOperationsFailWithoutWriting) {
    ArmOnce("BeginBind");
    EXPECT_FALSE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
    ArmOnce("BindInteger");
    EXPECT_FALSE(m_storage.BindInteger(0, 1));
    ArmOnce("BindString");
    EXPECT_FALSE(m_storage.BindString(1, "text"));
    ASSERT_TRUE(m_storage.BindInteger(0, 1));
    ArmOnce("ExecuteBind");
    EXPECT_NE(m_storage.ExecuteBind(), SQLITE_OK);
    m_storage.EndBind();
    EXPECT_TRUE(Read("SELECT N, S FROM T").empty());
}

TEST_F(StorageFaultPoints, ReadOperationsFail) {
    Insert({{1, "one"}});
    ArmOnce("BeginRead");
    EXPECT_FALSE(m_storage.BeginRead("SELECT N, S FROM T"));
    m_storage.EndRead();
    ArmOnce("BeginRead");
    EXPECT_FALSE(m_storage.BeginRead("SELECT N, S FROM T WHERE N = ?", {1}));
    m_storage.EndRead();

    ASSERT_TRUE(m_storage.BeginRead("SELECT N, S FROM T"));
    ArmOnce("ReadNext");
    EXPECT_FALSE(m_storage.ReadNext());
    ASSERT_TRUE(m_storage.ReadNext());
    int number = 42;
    std::string text = "kept";
    ArmOnce("ReadIntegerByIndex");
    EXPECT_FALSE(m_storage.ReadIntegerByIndex(0, number));
    ArmOnce("ReadStringByIndex");
    EXPECT_FALSE(m_storage.ReadStringByIndex(1, text));
    m_storage.EndRead();
    EXPECT_EQ(number, 42);
    EXPECT_EQ(text, "kept");
}

TEST_F(StorageFaultPoints, EveryOperationConsultsItsOwnPoint) {
    vellum::fault::Storage().Arm(1L << 30, 0);  // count only
    Insert({{1, "one"}});
    EXPECT_EQ(Read("SELECT N, S FROM T WHERE N = ?", {1}).size(), 1u);
    // TransBegin, BeginBind, BindInteger, BindString, ExecuteBind, EndBind, TransCommit;
    // BeginRead, ReadNext, ReadIntegerByIndex, ReadStringByIndex, ReadNext, EndRead.
    EXPECT_EQ(vellum::fault::Storage().Calls(), 13);

    for (const char* voidOperation : {"EndBind", "EndRead", "CloseStorage"}) {
        vellum::fault::Storage().Arm(0, -1, voidOperation);
        m_storage.EndBind();
        m_storage.EndRead();
        m_storage.CloseStorage();
        EXPECT_EQ(vellum::fault::Storage().Calls(), 1) << voidOperation;
    }
    EXPECT_FALSE(m_storage.IsConnected());  // closing went ahead while its point failed
}

}  // namespace
