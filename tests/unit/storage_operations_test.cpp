// CDataStorage's statements; the full disk is seen through the deposits (DiskFull).
#include <sqlite3.h>

#include <functional>

#include "libs/storage/DataStorage.h"
#include "tests/unit/store_test_support.h"

namespace {

struct Row {
    int number;
    std::string text;
    bool operator==(const Row& other) const { return number == other.number && text == other.text; }
};
using Rows = std::vector<Row>;

class StorageTest : public store_test::FaultSafeTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_storage.OpenFile(m_dir.File("db")));
        ASSERT_EQ(m_storage.ExecuteSql("CREATE TABLE T(N INTEGER PRIMARY KEY, S TEXT, X INTEGER)"),
                  SQLITE_OK);
    }

    void Insert(const Rows& rows) {
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
    Rows Read(const std::string& sql, std::initializer_list<SqlParam> params = {}) {
        Rows rows;
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

    Rows All() { return Read("SELECT N, S FROM T ORDER BY N"); }

    store_test::TempDir m_dir;
    CDataStorage m_storage;
};

using StorageBindAndRead = StorageTest;

// BindString copies its text; a failed row does not stop the batch; a placeholder
// left unbound is NULL, not the previous row's value, and NULL reads as 0 and "".
TEST_F(StorageBindAndRead, EachRowOfABatchIsWhatWasBoundForIt) {
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES(?, ?)"));
    ASSERT_TRUE(m_storage.BindInteger(0, 1));
    {
        std::string text = "copied";
        ASSERT_TRUE(m_storage.BindString(1, text));
        text.assign(text.size(), 'X');
    }
    EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
    ASSERT_TRUE(m_storage.BindInteger(0, 1));  // a duplicate key
    ASSERT_TRUE(m_storage.BindString(1, "again"));
    EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_CONSTRAINT);
    ASSERT_TRUE(m_storage.BindInteger(0, 2));
    ASSERT_TRUE(m_storage.BindString(1, "again"));
    EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
    ASSERT_TRUE(m_storage.BindInteger(0, 3));
    EXPECT_EQ(m_storage.ExecuteBind(), SQLITE_OK);
    m_storage.EndBind();
    EXPECT_EQ(All(), (Rows{{1, "copied"}, {2, "again"}, {3, ""}}));
    EXPECT_EQ(Read("SELECT X, S FROM T WHERE S IS NULL"), (Rows{{0, ""}}));
}

// The one test of hostile text: quotes are matched exactly and alter nothing, and
// every byte, a NUL too, comes back.
TEST_F(StorageBindAndRead, BoundTextWithQuotesMatchesExactlyAndAltersNothing) {
    const Rows rows = {{1, "O'Brien"}, {2, "x' OR '1'='1"}, {3, std::string("nul\0in", 6)},
                       {4, "O'Brien"}};
    Insert(rows);
    for (const std::string& text : {std::string("O'Brien"), std::string("x' OR '1'='1")})
        EXPECT_EQ(Read("SELECT N, S FROM T WHERE S = ? AND N < ?", {text, 3}).size(), 1u);
    EXPECT_TRUE(
        Read("SELECT N, S FROM T WHERE S = ?", {std::string("'; DROP TABLE T; --")}).empty());
    EXPECT_EQ(All(), rows);
}

// A bad statement, a placeholder before the first, and a column before the first row,
// after the last or outside the row fail, leave the value and harm nothing; ReadNext
// does not start the query over.
TEST_F(StorageBindAndRead, BadStatementsIndexesAndColumnsFailWithoutHarm) {
    EXPECT_NE(m_storage.ExecuteSql("NOT SQL"), SQLITE_OK);
    EXPECT_FALSE(m_storage.BeginRead("SELECT N, S FROM T WHERE N = ?", {1, 2}));
    ASSERT_TRUE(m_storage.BeginBind("INSERT INTO T(N, S) VALUES (?, ?)"));
    EXPECT_FALSE(m_storage.BindInteger(-1, 1));
    EXPECT_FALSE(m_storage.BindString(-1, "a"));
    EXPECT_FALSE(m_storage.BindTextInPlace(-1, "a"));
    EXPECT_FALSE(m_storage.BeginBind("INSERT INTO MISSING VALUES(?)"));
    EXPECT_FALSE(m_storage.BindInteger(0, 1));
    EXPECT_NE(m_storage.ExecuteBind(), SQLITE_OK);
    m_storage.EndBind();
    for (const char* sql : {"SELECT * FROM MISSING", ""}) {
        EXPECT_FALSE(m_storage.BeginRead(sql));
        EXPECT_FALSE(m_storage.ReadNext());
        m_storage.EndRead();
    }
    Insert({{1, "still works"}});
    int number = 42;
    std::string text = "kept";
    ASSERT_TRUE(m_storage.BeginRead("SELECT N, S FROM T"));
    EXPECT_FALSE(m_storage.ReadIntegerByIndex(0, number));
    ASSERT_TRUE(m_storage.ReadNext());
    for (int column : {2, -1}) {
        EXPECT_FALSE(m_storage.ReadIntegerByIndex(column, number));
        EXPECT_FALSE(m_storage.ReadStringByIndex(column, text));
    }
    EXPECT_FALSE(m_storage.ReadNext());
    EXPECT_FALSE(m_storage.ReadNext());
    EXPECT_FALSE(m_storage.ReadIntegerByIndex(0, number));
    m_storage.EndRead();
    EXPECT_EQ(number, 42);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(All().size(), 1u);
}

// The same text with other parameters, more distinct texts than are kept prepared
// followed by the first ones again, and a read begun again before it was finished.
TEST_F(StorageBindAndRead, CachedStatementsAnswerTheSameEveryTime) {
    Rows rows;
    for (int n = 0; n < 100; ++n) rows.push_back({n, "row " + std::to_string(n)});
    Insert(rows);
    for (int round = 0; round < 2; ++round) {
        for (int n = 0; n < 100; ++n)
            ASSERT_EQ(Read("SELECT N, S FROM T WHERE N = ?", {n}), Rows{rows[n]});
        for (int n = 0; n < 200; ++n) {
            ASSERT_EQ(Read("SELECT N, S FROM T WHERE N = 1 AND " + std::to_string(n) + " >= 0"),
                      Rows{rows[1]})
                << n;
        }
    }
    ASSERT_TRUE(m_storage.BeginRead("SELECT N, S FROM T ORDER BY N"));
    ASSERT_TRUE(m_storage.ReadNext());
    EXPECT_EQ(All(), rows);
}

TEST_F(StorageTest, AFailedCommitRollsBackAndLeavesNoTransactionOpen) {
    ASSERT_EQ(
        m_storage.ExecuteSql("PRAGMA foreign_keys=ON; CREATE TABLE P(ID INTEGER PRIMARY KEY);"
                             "CREATE TABLE C(PID REFERENCES P(ID) DEFERRABLE INITIALLY DEFERRED)"),
        SQLITE_OK);
    ASSERT_TRUE(m_storage.TransBegin());
    ASSERT_EQ(m_storage.ExecuteSql("INSERT INTO C VALUES(5)"), SQLITE_OK);
    EXPECT_FALSE(m_storage.TransCommit());  // the deferred check fails at COMMIT

    EXPECT_TRUE(m_storage.TransBegin());
    EXPECT_TRUE(m_storage.TransCommit());
    EXPECT_TRUE(Read("SELECT PID, PID FROM C").empty());
}

// Without a connection (also after a CloseStorage whose fault point fails: closing goes
// ahead) every call fails; while its own fault point is armed each fails once. Neither
// writes anything or changes an output, and with the point spent the call works.
TEST_F(StorageTest, EachCallFailsWithoutAConnectionAndWhileItsFaultPointIsArmed) {
    Insert({{1, "one"}});
    int number = 42;
    std::string text = "kept";
    const std::vector<std::pair<const char*, std::function<bool()>>> cases = {
        {"ExecuteSql", [&] { return m_storage.ExecuteSql("INSERT INTO T(N) VALUES(2)") == 0; }},
        {"TransBegin", [&] { return m_storage.TransBegin() && m_storage.TransCommit(); }},
        {"BeginBind", [&] { return m_storage.BeginBind("INSERT INTO T(N) VALUES(?)"); }},
        {"BindInteger", [&] { return m_storage.BindInteger(0, 3); }},
        {"BindString", [&] { return m_storage.BindString(0, "4"); }},
        {"ExecuteBind", [&] { return m_storage.ExecuteBind() == 0; }},
        {"BeginRead", [&] { return m_storage.BeginRead("SELECT N, S FROM T WHERE N = ?", {1}); }},
        {"ReadNext", [&] { return m_storage.ReadNext(); }},
        {"ReadIntegerByIndex", [&] { return m_storage.ReadIntegerByIndex(0, number); }},
        {"ReadStringByIndex", [&] { return m_storage.ReadStringByIndex(1, text); }},
    };
    for (const auto& [operation, call] : cases) {
        vellum::fault::Storage().Arm(0, 1, operation);
        EXPECT_FALSE(call()) << operation;
        EXPECT_EQ(number, 42);
        EXPECT_EQ(text, "kept");
        EXPECT_TRUE(call()) << operation;
        if (std::string(operation) == "ExecuteBind") m_storage.EndBind();
        number = 42;
        text = "kept";
    }
    m_storage.EndRead();
    EXPECT_EQ(All(), (Rows{{1, "one"}, {2, ""}, {4, ""}}));

    vellum::fault::Storage().Arm(0, -1, "CloseStorage");
    m_storage.CloseStorage();
    vellum::fault::Storage().Disarm();
    EXPECT_FALSE(m_storage.IsConnected());
    for (const auto& [operation, call] : cases) EXPECT_FALSE(call()) << operation;
    EXPECT_FALSE(m_storage.TransCommit());
    m_storage.EndBind();
    m_storage.EndRead();
    m_storage.SetMaxPageCount(1);
    m_storage.CloseStorage();
    EXPECT_EQ(number, 42);
    EXPECT_EQ(text, "kept");
}

}  // namespace
