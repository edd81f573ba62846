#include "engine/EngineError.h"
#include "engine/Query.h"
#include "engine/Session.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace qm;

namespace {

const QStringList kCreateTod = {"CREATE TABLE QMtod90",
                                "(",
                                "codtod      AUTOINC,",
                                "id          CHARACTER(255),",
                                "note        CHARACTER(255),",
                                "priority    NUMERIC,",
                                "flag        CHARACTER(3),",
                                "percento    NUMERIC",
                                ")"};

const QStringList kCreateArc = {"CREATE TABLE QMarc80",        "(",
                                "codimp      AUTOINC,",        "id          CHARACTER(255),",
                                "note        CHARACTER(255),", "flag        CHARACTER(3),",
                                "datefull    DATE,",           "dayindex    NUMERIC,",
                                "orario      CHARACTER(5)",    ")"};

QStringList CreateSet() {
    QStringList lines = {"CREATE TABLE QMset90", "("};
    QStringList columns;
    for (int i = 1; i <= 22; ++i)
        columns << QStringLiteral("Opt%1          CHARACTER(40)").arg(i);
    columns << "autostart      CHARACTER(3)"
            << "minimized      CHARACTER(3)"
            << "ShotColor      CHARACTER(20)"
            << "WinHeight      NUMERIC"
            << "WinStato       CHARACTER(20)";
    for (int i = 0; i < columns.size(); ++i)
        lines << columns[i] + (i + 1 < columns.size() ? "," : "");
    lines << ")";
    return lines;
}

class Failure : public std::runtime_error {
public:
    Failure() : std::runtime_error("rename failed") {}
};

} // namespace

class TestQuery : public QObject {
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;

    QString File(const QString& name) const { return m_dir->filePath(name); }

    static void SetSql(TQuery& query, const QStringList& lines) {
        query.SQL.Clear();
        for (const QString& line : lines)
            query.SQL.Add(line);
    }

    void Exec(const QStringList& lines, const QVariantMap& params = {}, const QString& alias = "QMDB") {
        TQuery query;
        query.DatabaseName = alias;
        SetSql(query, lines);
        for (auto it = params.begin(); it != params.end(); ++it) {
            if (it.value().typeId() == QMetaType::QDate)
                query.ParamByName(it.key()).SetAsDate(it.value().toDate());
            else if (it.value().typeId() == QMetaType::Double)
                query.ParamByName(it.key()).SetAsFloat(it.value().toDouble());
            else
                query.ParamByName(it.key()).SetAsString(it.value().toString());
        }
        query.ExecSQL();
    }

    void AddTod(const QString& id, double priority = 0, const QString& alias = "QMDB") {
        Exec({"INSERT INTO QMtod90 (id,note,priority,flag,percento)",
              "values (:id,:note,:priority,:flag,:percento)"},
             {{"id", id}, {"note", "n-" + id}, {"priority", priority}, {"flag", "Yes"}, {"percento", 0.0}},
             alias);
    }

    // Values of `field` in every row of the open query.
    static QStringList Column(TQuery& query, const QString& field) {
        QStringList values;
        for (query.First(); !query.Eof(); query.Next())
            values << query.FieldByName(field).AsString();
        return values;
    }

    QStringList Find(const QString& pattern) {
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90 WHERE UPPER(id) LIKE UPPER(:pattern) ORDER BY codtod"});
        query.ParamByName("pattern").SetAsString(pattern);
        query.Open();
        return Column(query, "id");
    }

    QString Pragma(const QString& file, const char* sql) {
        sqlite3* db = Session::Instance().Connection(file);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return QString();
        QString value;
        if (sqlite3_step(statement) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return value;
    }

private slots:
    void init() {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        Session::Instance().Reset();
        QVERIFY(Session::Instance().Start());
        Session::Instance().AddAlias("QMDB", m_dir->path());
        Exec(kCreateTod);
    }
    void cleanup() {
        Session::Instance().Reset();
        delete m_dir;
        m_dir = nullptr;
    }

    void tablesAreFilesOfTheAlias() {
        Exec(kCreateArc);
        Exec(CreateSet());
        for (const char* name : {"QMtod90.db", "QMarc80.db", "QMset90.db"})
            QVERIFY2(QFile::exists(File(name)), name);
        QCOMPARE(Session::Instance().TableFile("qmdb", "QMarc80"), m_dir->path() + "/QMarc80.db");
        QCOMPARE(Session::Instance().TableFile("", "/x/friends.QOC"), QStringLiteral("/x/friends.QOC"));
        QVERIFY(Session::Instance().TableExists("QMDB", "QMset90"));
        QVERIFY(!Session::Instance().TableExists("QMDB", "QMcon26"));
        QVERIFY_THROWS_EXCEPTION(EngineError, Session::Instance().AliasFolder("NOWHERE"));
        // Journal files beside the tables, never WAL.
        QCOMPARE(Pragma(File("QMarc80.db"), "PRAGMA journal_mode"), QStringLiteral("delete"));
        QCOMPARE(Pragma(File("QMarc80.db"), "PRAGMA synchronous"), QStringLiteral("2"));
        // The same table cannot be created twice.
        QVERIFY_THROWS_EXCEPTION(EngineError, Exec(kCreateArc));
    }

    void parametersBindByNameInAnyCase() {
        Exec(CreateSet());
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"INSERT INTO QMset90 (autostart,minimized,ShotColor,", "WinHeight, WinStato)",
                       "values (:autostart,:minimized, :ShotColor,", "  :WinHeight, :WinStato)"});
        query.ParamByName("AUTOSTART").SetAsString("Yes");
        query.ParamByName("minimized").SetAsString("No");
        query.ParamByName("shotcolor").SetAsString("clSkyBlue");
        query.ParamByName("WinHeight").SetAsFloat(640.0);
        query.ParamByName("unused").SetAsString("ignored");
        // Every parameter the statement names must have a value.
        QVERIFY_THROWS_EXCEPTION(EngineError, query.ExecSQL());
        query.ParamByName("WinStato").SetAsString("wsNormal");
        query.ExecSQL();
        QCOMPARE(query.RowsAffected(), 1);

        SetSql(query, {"SELECT * FROM QMset90"});
        query.Open(); // parameters set before survive the change of text
        QCOMPARE(query.RecordCount(), 1);
        QCOMPARE(query.FieldByName("shotcolor").AsString(), QStringLiteral("clSkyBlue"));
        QCOMPARE(query.FieldByName("WINHEIGHT").AsString(), QStringLiteral("640"));
        QCOMPARE(query.FieldByName("WinHeight").Value().typeId(), int(QMetaType::LongLong));
        QCOMPARE(query.FieldByName("Opt7").AsString(), QString()); // default ''
        QVERIFY(!query.FieldByName("Opt7").IsNull());

        SetSql(query, {"UPDATE QMset90 SET WinStato = :WinStato, Opt1 = \"x\""});
        query.ExecSQL(); // no WHERE: every row
        QCOMPARE(query.RowsAffected(), 1);
    }

    void likePatternsAreBoundNotSpliced() {
        const QStringList ids = {"Mr O'Brien",  "say \"hi\"", "100% sure", "a_b",     "axb",
                                 "back\\slash", "zoë",        "Straße",    "Émile 📅", "plain"};
        for (const QString& id : ids)
            AddTod(id);
        QCOMPARE(Find("%" + QStringLiteral("O'Brien") + "%"), QStringList{"Mr O'Brien"});
        QCOMPARE(Find("%\"%"), QStringList{"say \"hi\""});
        QCOMPARE(Find("100%"), QStringList{"100% sure"});
        // The wildcards a user types still work: "_" is any one character.
        QCOMPARE(Find("a_b"), QStringList({"a_b", "axb"}));
        QCOMPARE(Find("%\\_%"), QStringList{"back\\slash"});
        QCOMPARE(Find("%'); DELETE FROM QMtod90; --%"), QStringList());
        QCOMPARE(Find("%%").size(), ids.size());
        // Upper-casing folds every letter, not only ASCII.
        QCOMPARE(Find("%ZOË%"), QStringList{"zoë"});
        QCOMPARE(Find("%strasse%"), QStringList{"Straße"});
        QCOMPARE(Find("émile 📅"), QStringList{"Émile 📅"});
    }

    void emptyPatternMatchesNullAndBlank() {
        AddTod("filled");
        Exec({"INSERT INTO QMtod90 (note) values (:note)"}, {{"note", "no id given"}});
        Exec({"INSERT INTO QMtod90 (id, note) values (NULL, \"null id\")"});
        QCOMPARE(Find("%%").size(), 3);
        QCOMPARE(Find("%").size(), 3);
        QCOMPARE(Find("%fill%"), QStringList{"filled"});
    }

    void numbersAndDatesReadBack() {
        AddTod("five", 5.0);
        AddTod("half", 2.5);
        AddTod("text number");
        Exec({"UPDATE QMtod90 SET note = \"12\" WHERE id = \"text number\""});
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90 ORDER BY codtod"});
        query.Open();
        QCOMPARE(query.FieldByName("priority").AsString(), QStringLiteral("5"));
        QCOMPARE(query.FieldByName("priority").AsInteger(), 5);
        QCOMPARE(query.FieldByName("percento").AsString(), QStringLiteral("0"));
        query.Next();
        QCOMPARE(query.FieldByName("priority").AsString(), QStringLiteral("2.5"));
        QCOMPARE(query.FieldByName("priority").AsInteger(), 2);
        QCOMPARE(query.FieldByName("priority").AsFloat(), 2.5);
        QCOMPARE(query.FieldByName("id").AsInteger(), 0);
        query.Next();
        QCOMPARE(query.FieldByName("note").AsInteger(), 12);
        QCOMPARE(query.FieldByName("note").AsFloat(), 12.0);
        QVERIFY(!query.FieldByName("note").AsDateTime().isValid());

        Exec(kCreateArc);
        for (const QDate& date : {QDate(2024, 2, 29), QDate(2023, 12, 31), QDate(2024, 3, 1)})
            Exec({"INSERT INTO QMarc80 (id, datefull) values (:id, :datefull)"},
                 {{"id", date.toString(Qt::ISODate)}, {"datefull", date}});
        Exec({"INSERT INTO QMarc80 (id, datefull) values (\"with time\", \"2024-05-06 07:08:09\")"});
        SetSql(query, {"SELECT * FROM QMarc80 WHERE datefull < :datefull ORDER BY datefull"});
        query.ParamByName("datefull").SetAsDate(QDate(2024, 3, 1));
        query.Open();
        QCOMPARE(Column(query, "datefull"), QStringList({"2023-12-31", "2024-02-29"}));
        QCOMPARE(query.FieldByName("datefull").AsDate(), QDate(2024, 2, 29));
        SetSql(query, {"SELECT * FROM QMarc80 WHERE id = \"with time\""});
        query.Open();
        QCOMPARE(query.FieldByName("datefull").AsDateTime(), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    }

    void autoincNeverReusesAKey() {
        AddTod("one");
        AddTod("two");
        AddTod("three");
        Exec({"DELETE FROM QMtod90 WHERE codtod = 3"});
        AddTod("four");
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90 ORDER BY codtod"});
        query.Open();
        QCOMPARE(Column(query, "codtod"), QStringList({"1", "2", "4"}));
    }

    void navigation() {
        for (const char* id : {"a", "b", "c"})
            AddTod(id);
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90 ORDER BY id"});
        QCOMPARE(query.RecNo(), 0);
        QVERIFY(query.Eof());
        query.Open();
        QCOMPARE(query.RecordCount(), 3);
        QCOMPARE(query.RecNo(), 1);
        QVERIFY(query.Bof());
        QVERIFY(!query.Eof());
        query.Next();
        query.Next();
        QCOMPARE(query.RecNo(), 3);
        QVERIFY(!query.Eof());
        query.Next(); // past the last row: Eof, still on the last row
        QVERIFY(query.Eof());
        QCOMPARE(query.FieldByName("id").AsString(), QStringLiteral("c"));
        query.SetRecNo(2);
        QCOMPARE(query.FieldByName("id").AsString(), QStringLiteral("b"));
        QVERIFY(!query.Eof());
        query.SetRecNo(99);
        QCOMPARE(query.RecNo(), 3);
        query.SetRecNo(-5);
        QCOMPARE(query.RecNo(), 1);
        query.Prior();
        QVERIFY(query.Bof());
        QCOMPARE(query.RecNo(), 1);
        query.Last();
        QCOMPARE(query.RecNo(), 3);
        query.First();
        QCOMPARE(query.RecNo(), 1);

        // An empty result: no current row, its columns read as null, unknown names still throw.
        SetSql(query, {"SELECT * FROM QMtod90 WHERE id = \"none\""});
        query.Open();
        QVERIFY(query.Active());
        QVERIFY(query.Eof() && query.Bof());
        QCOMPARE(query.RecNo(), 0);
        QVERIFY(query.FieldByName("id").IsNull());
        QCOMPARE(query.FieldByName("id").AsString(), QString());
        QVERIFY_THROWS_EXCEPTION(EngineError, query.FieldByName("nosuchfield"));
        query.Close();
        QCOMPARE(query.FieldByName("note").AsString(), QString());
        QCOMPARE(query.RecordCount(), 0);
    }

    void signalsForGridsAndMemos() {
        for (const char* id : {"a", "b", "c"})
            AddTod(id);
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90"});
        QSignalSpy afterOpen(&query, &TQuery::AfterOpen);
        QSignalSpy dataChange(&query, &TQuery::DataChange);
        QSignalSpy resultChanged(&query, &TQuery::ResultChanged);
        query.Open();
        QCOMPARE(afterOpen.count(), 1);
        QCOMPARE(dataChange.count(), 1);
        QCOMPARE(resultChanged.count(), 1);
        query.Next();
        QCOMPARE(dataChange.count(), 2);
        query.Last();
        query.Next(); // nothing moves
        QCOMPARE(dataChange.count(), 3);

        query.DisableControls();
        query.First();
        query.Next();
        QCOMPARE(dataChange.count(), 3);
        query.EnableControls();
        QCOMPARE(dataChange.count(), 4);
        query.DisableControls();
        query.EnableControls(); // nothing moved, nothing to tell
        QCOMPARE(dataChange.count(), 4);

        query.Open(); // reopening closes first
        QCOMPARE(resultChanged.count(), 3);
        QCOMPARE(afterOpen.count(), 2);
        query.Close();
        QVERIFY(!query.Active());
        QCOMPARE(resultChanged.count(), 4);
    }

    void calculatedFieldsAreComputedOnlyWhenAsked() {
        AddTod("row", 3);
        for (int i = 0; i < 10; ++i) // 1024 rows
            Exec({"INSERT INTO QMtod90 (id, priority) SELECT id, priority FROM QMtod90"});
        int calls = 0;
        TQuery query;
        query.DatabaseName = "QMDB";
        query.AddCalcField("Label", [&calls](const TRecord& record) {
            ++calls;
            return QVariant(record.FieldByName("id").AsString() + "/" +
                            record.FieldByName("PRIORITY").AsString());
        });
        SetSql(query, {"SELECT * FROM QMtod90"});
        query.Open();
        QCOMPARE(query.RecordCount(), 1024);
        QCOMPARE(calls, 0);
        QCOMPARE(query.FieldByName("label").AsString(), QStringLiteral("row/3"));
        QCOMPARE(calls, 1);
        const int field = query.FieldIndex("LABEL");
        QCOMPARE(field, query.FieldCount() - 1);
        QVERIFY(query.IsCalculated(field));
        QVERIFY(!query.IsCalculated(0));
        QCOMPARE(query.FieldName(field), QStringLiteral("Label"));
        QCOMPARE(query.Value(700, field).toString(), QStringLiteral("row/3"));
        QCOMPARE(calls, 2);
    }

    void failedOpenLeavesTheQueryClosed() {
        AddTod("a");
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90"});
        query.Open();
        QSignalSpy resultChanged(&query, &TQuery::ResultChanged);
        SetSql(query, {"SELECT * FROM QMtod90 WHERE nosuchcolumn = 1"});
        try {
            query.Open();
            QFAIL("no EngineError");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains("nosuchcolumn"), qPrintable(e.message()));
        }
        QVERIFY(!query.Active());
        QCOMPARE(query.RecordCount(), 0);
        QCOMPARE(query.RecNo(), 0);
        QVERIFY(resultChanged.count() >= 1);

        SetSql(query, {"SELECT * FROM QMtod90 WHERE id = :id"});
        QVERIFY_THROWS_EXCEPTION(EngineError, query.Open()); // :id has no value
        SetSql(query, {"DELETE FROM QMtod90"});
        QVERIFY_THROWS_EXCEPTION(EngineError, query.Open()); // not a SELECT
        SetSql(query, {"SELECT * FROM QMtod90"});
        QVERIFY_THROWS_EXCEPTION(EngineError, query.ExecSQL());
        QCOMPARE(Find("%%"), QStringList{"a"});
    }

    void missingTablesAreNeverCreated() {
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMcon26"});
        try {
            query.Open();
            QFAIL("no EngineError");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().startsWith("Table does not exist"), qPrintable(e.message()));
        }
        SetSql(query, {"INSERT INTO QMcon26 (ragsoc) values (\"x\")"});
        QVERIFY_THROWS_EXCEPTION(EngineError, query.ExecSQL());
        QVERIFY(!QFile::exists(File("QMcon26.db")));
        // A CREATE TABLE that fails leaves no file that would pass for the table.
        QVERIFY_THROWS_EXCEPTION(EngineError,
                                 Exec({"CREATE TABLE QMbad", "(", "a NUMERIC,", "a NUMERIC", ")"}));
        QVERIFY(!QFile::exists(File("QMbad.db")));
        QVERIFY_THROWS_EXCEPTION(
            EngineError, Exec({"INSERT INTO QMtod90 (id) values (:id)"}, {{"id", "x"}}, "UNKNOWNALIAS"));
    }

    void replacedOrDeletedFilesAreNoticed() {
        AddTod("old");
        QVERIFY(QFile::remove(File("QMtod90.db")));
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90"});
        QVERIFY_THROWS_EXCEPTION(EngineError, query.Open());

        // A file put in the table's place (a restored backup) is read, not the old one.
        QVERIFY(QDir().mkpath(File("other")));
        Session::Instance().AddAlias("OTHER", File("other"));
        Exec(kCreateTod, {}, "OTHER");
        AddTod("restored", 0, "OTHER");
        Exec(kCreateTod);
        AddTod("replaced");
        query.Open();
        QCOMPARE(Column(query, "id"), QStringList{"replaced"});
        QVERIFY(QFile::remove(File("QMtod90.db")));
        QVERIFY(QFile::rename(File("other/QMtod90.db"), File("QMtod90.db")));
        query.Open();
        QCOMPARE(Column(query, "id"), QStringList{"restored"});
    }

    // The one-step find test gives what UPPER(value) LIKE UPPER(pattern) gives, for every kind of
    // text: ASCII and not, wildcards, NULL and empty values, empty patterns.
    void foldedLikeMatchesUpperLike() {
        const QStringList ids = {"Anna",  "anna b", "ANNA_B",  "a_b", "axb",  "Straße", "STRASSE",
                                 "zoë",   "ZOË",    "Émile 📅", "📅",   "100%", "Łucja",  "łUCJA",
                                 "Søren", "ǆemal",  "ǅ",       "ﬁne", "FINE", "x",      ""};
        for (const QString& id : ids)
            AddTod(id);
        Exec({"INSERT INTO QMtod90 (id, note) values (NULL, \"null id\")"});
        // Bytes that are not UTF-8, as another tool may leave them.
        sqlite3* outside = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(File("QMtod90.db")).constData(), &outside), SQLITE_OK);
        QCOMPARE(
            sqlite3_exec(outside,
                         "INSERT INTO QMtod90 (id) VALUES (CAST(X'61FF62' AS TEXT)), (CAST(X'C3' AS TEXT)), "
                         "(CAST(X'E282' AS TEXT)), (CAST(X'EDA080' AS TEXT))",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(outside);
        const QStringList patterns = {"",      "%",    "%%",   "_",       "__",   "%a%",  "a_b",
                                      "A%B",   "%ss%", "%ß%",  "strasse", "%ë",   "Z_Ë",  "_📅",
                                      "%📅",    "é%",   "%\\%", "%_%",     "%%%a", "_%_",  "%łu%",
                                      "ŁUCJA", "ǆ%",   "%ǅ",   "fine",    "ﬁ%",   "%0%%", "%no such thing%",
                                      "%a%b%", "x%",   "%x"};
        const auto ids_of = [this](const QString& condition, const QString& pattern) {
            TQuery query;
            query.DatabaseName = "QMDB";
            SetSql(query, {"SELECT * FROM QMtod90 WHERE " + condition + " ORDER BY codtod"});
            query.ParamByName("pattern").SetAsString(pattern);
            query.Open();
            QStringList found;
            for (query.First(); !query.Eof(); query.Next())
                found << query.FieldByName("codtod").AsString();
            return found;
        };
        for (const QString& pattern : patterns) {
            // "|| ''" keeps the reference out of the one-step form.
            const QStringList expected = ids_of("UPPER(id) || \"\" LIKE UPPER(:pattern)", pattern);
            QCOMPARE(ids_of("UPPER(id) LIKE UPPER(:pattern)", pattern), expected);
            QCOMPARE(ids_of("(UPPER(id) LIKE UPPER(:pattern))", pattern), expected);
        }
        QCOMPARE(Find("%ss%").size(), 2);
        QCOMPARE(Find("_📅").size(), 0);
        QCOMPARE(Find("📅"), QStringList{"📅"});
        QCOMPARE(Find("").size(), 2); // the empty and the NULL id
    }

    // A re-open of an unchanged table gives the rows it gave; any change, through this program or
    // by another process, is read.
    void reopenedListsFollowEveryChange() {
        AddTod("one");
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90 ORDER BY codtod"});
        query.Open();
        query.Open();
        QCOMPARE(Column(query, "id"), QStringList{"one"});
        AddTod("two");
        query.Open();
        QCOMPARE(Column(query, "id"), QStringList({"one", "two"}));

        sqlite3* outside = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(File("QMtod90.db")).constData(), &outside), SQLITE_OK);
        QCOMPARE(sqlite3_exec(outside, "UPDATE QMtod90 SET id = 'uno' WHERE id = 'one'", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        sqlite3_close(outside);
        query.Open();
        QCOMPARE(Column(query, "id"), QStringList({"uno", "two"}));

        // Another query of the same text on the same rows reads the same.
        TQuery other;
        other.DatabaseName = "QMDB";
        SetSql(other, {"SELECT * FROM QMtod90 ORDER BY codtod"});
        other.Open();
        QCOMPARE(Column(other, "id"), QStringList({"uno", "two"}));
        Exec({"DELETE FROM QMtod90 WHERE id = \"two\""});
        other.Open();
        QCOMPARE(Column(other, "id"), QStringList{"uno"});
    }

    // A deferred open runs once, when the query is first read; Open and Close drop it.
    void deferredOpenRunsOnFirstRead() {
        AddTod("one");
        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90"});
        QVERIFY(query.Prepares());
        int runs = 0;
        query.DeferOpen([&] {
            ++runs;
            query.Open();
        });
        QVERIFY(!query.IsOpenNow());
        QCOMPARE(query.RecordCount(), 1);
        QCOMPARE(query.RecordCount(), 1);
        QCOMPARE(runs, 1);

        query.Close();
        query.DeferOpen([&] { ++runs; });
        query.Close();
        QVERIFY(!query.Active());
        QCOMPARE(runs, 1);

        SetSql(query, {"SELECT * FROM QMnothing"});
        QVERIFY(!query.Prepares());
    }

    void batchAppendByPosition() {
        AddTod("kept 1");
        AddTod("kept 2");
        // An exchange file: any name, one table inside, its own keys and fewer columns.
        const QString exchange = File("friends.QOC");
        Exec({"CREATE TABLE friends", "(", "codtod AUTOINC,", "id CHARACTER(255),", "note CHARACTER(255)",
              ")"});
        Session::Instance().CloseConnection(File("friends.db"));
        QVERIFY(QFile::rename(File("friends.db"), exchange));
        sqlite3* db = Session::Instance().Connection(exchange);
        QCOMPARE(sqlite3_exec(db,
                              "INSERT INTO friends VALUES (1, 'one', 'n1');"
                              "INSERT INTO friends VALUES (7, 'seven', 'n7');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);

        TTable destination;
        destination.DatabaseName = "QMDB";
        destination.TableName = "QMtod90";
        TTable source;
        source.TableName = exchange;
        QVERIFY(source.Exists());
        int calls = 0;
        destination.BatchAppend(source, [&calls] { ++calls; });
        QCOMPARE(calls, 1);

        TQuery query;
        query.DatabaseName = "QMDB";
        SetSql(query, {"SELECT * FROM QMtod90 ORDER BY codtod"});
        query.Open();
        QCOMPARE(Column(query, "codtod"), QStringList({"1", "2", "3", "4"}));
        QCOMPARE(Column(query, "id"), QStringList({"kept 1", "kept 2", "one", "seven"}));
        query.Last();
        QCOMPARE(query.FieldByName("note").AsString(), QStringLiteral("n7"));
        QCOMPARE(query.FieldByName("flag").AsString(), QString()); // the default
        QVERIFY(query.FieldByName("priority").IsNull());

        // Extra source columns are ignored.
        TTable wide;
        wide.DatabaseName = "QMDB";
        wide.TableName = "QMarc80";
        Exec(kCreateArc);
        Exec({"INSERT INTO QMarc80 (id, note, flag) values (\"arc\", \"arc note\", \"O\")"});
        destination.BatchAppend(wide);
        query.Open();
        query.Last();
        QCOMPARE(query.FieldByName("codtod").AsInteger(), 5);
        QCOMPARE(query.FieldByName("id").AsString(), QStringLiteral("arc"));
        QCOMPARE(query.FieldByName("note").AsString(), QStringLiteral("arc note"));
        QCOMPARE(query.FieldByName("priority").AsString(), QStringLiteral("O"));
    }

    void batchAppendIsAllOrNothing() {
        AddTod("kept");
        QVERIFY(QDir().mkpath(File("old")));
        Session::Instance().AddAlias("OLD", File("old"));
        Exec(kCreateTod, {}, "OLD");
        AddTod("old 1", 0, "OLD");
        AddTod("old 2", 0, "OLD");
        TTable destination;
        destination.DatabaseName = "QMDB";
        destination.TableName = "QMtod90";
        TTable source;
        source.DatabaseName = "OLD";
        source.TableName = "QMtod90";
        QVERIFY_THROWS_EXCEPTION(Failure, destination.BatchAppend(source, [] { throw Failure(); }));
        QCOMPARE(Find("%%"), QStringList{"kept"});
        // The connection is usable afterwards: no transaction was left open.
        destination.BatchAppend(source);
        QCOMPARE(Find("%%"), QStringList({"kept", "old 1", "old 2"}));
        QVERIFY_THROWS_EXCEPTION(EngineError, destination.BatchAppend(destination));
    }
};

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
