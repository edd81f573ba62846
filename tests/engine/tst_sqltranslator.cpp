#include "engine/EngineError.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "engine/SqlTranslator.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace qm;

namespace {

const QStringList kCreateArc = {"CREATE TABLE QMarc80",        "(",
                                "codimp      AUTOINC,",        "id          CHARACTER(255),",
                                "note        CHARACTER(255),", "flag        CHARACTER(3),",
                                "data        CHARACTER(5),",   "datefull    DATE,",
                                "dayofweek   CHARACTER(20),",  "dayofmonth  CHARACTER(2),",
                                "dayindex    NUMERIC,",        "orario      CHARACTER(5),",
                                "orario2     CHARACTER(5)",    ")"};

const QStringList kCreateCon = {"CREATE TABLE QMcon26",
                                "(",
                                "ragsoc      CHARACTER(255),",
                                "company     CHARACTER(255),",
                                "gruppo      CHARACTER(50),",
                                "tel         CHARACTER(50)",
                                ")"};

const QStringList kCreateTod = {"CREATE TABLE QMtod90",
                                "(",
                                "codtod      AUTOINC,",
                                "id          CHARACTER(255),",
                                "note        CHARACTER(255),",
                                "priority    NUMERIC,",
                                "flag        CHARACTER(3),",
                                "percento    NUMERIC",
                                ")"};

} // namespace

class TestSqlTranslator : public QObject {
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;

    void Run(const QStringList& lines, const QVariantMap& params = {}) {
        TQuery query;
        query.DatabaseName = QStringLiteral("QMDB");
        for (const QString& line : lines)
            query.SQL.Add(line);
        for (auto it = params.begin(); it != params.end(); ++it)
            SetParam(query, it.key(), it.value());
        query.ExecSQL();
    }

    static void SetParam(TQuery& query, const QString& name, const QVariant& value) {
        if (value.typeId() == QMetaType::QDate)
            query.ParamByName(name).SetAsDate(value.toDate());
        else if (value.typeId() == QMetaType::Double)
            query.ParamByName(name).SetAsFloat(value.toDouble());
        else
            query.ParamByName(name).SetAsString(value.toString());
    }

    // The values of one field over every row of a SELECT.
    QStringList Select(const QStringList& lines, const QString& field, const QVariantMap& params = {}) {
        TQuery query;
        query.DatabaseName = QStringLiteral("QMDB");
        for (const QString& line : lines)
            query.SQL.Add(line);
        for (auto it = params.begin(); it != params.end(); ++it)
            SetParam(query, it.key(), it.value());
        query.Open();
        QStringList values;
        for (query.First(); !query.Eof(); query.Next())
            values << query.FieldByName(field).AsString();
        return values;
    }

    void AddArc(const QString& id, const QString& flag, const QString& datefull, const QString& dayofweek,
                const QString& dayofmonth, const QString& data, const QString& orario,
                const QString& note = QString()) {
        Run({"INSERT INTO QMarc80 (id,note,flag,data,datefull,dayofweek,dayofmonth,orario,orario2)",
             "values (:id,:note,:flag,:data,", ":datefull, :dayofweek,:dayofmonth,:orario,:orario2)"},
            {{"id", id},
             {"note", note},
             {"flag", flag},
             {"data", data},
             {"datefull", datefull},
             {"dayofweek", dayofweek},
             {"dayofmonth", dayofmonth},
             {"orario", orario},
             {"orario2", ""}});
    }

private slots:
    void init() {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        Session::Instance().Reset();
        QVERIFY(Session::Instance().Start());
        Session::Instance().AddAlias(QStringLiteral("QMDB"), m_dir->path());
    }
    void cleanup() {
        Session::Instance().Reset();
        delete m_dir;
        m_dir = nullptr;
    }

    void findConditionsBecomeOneStep() {
        QCOMPARE(
            TranslateLocalSql("SELECT * FROM QMarc80 WHERE flag =\"O\" AND UPPER(id) LIKE UPPER(:pattern) "
                              "ORDER BY datefull",
                              true)
                .sql,
            QStringLiteral("SELECT * FROM QMarc80 WHERE flag = 'O' AND qm_upper_like ( :pattern , id ) ORDER "
                           "BY datefull"));
        QCOMPARE(
            TranslateLocalSql("SELECT * FROM QMcon26 WHERE UPPER(ragsoc) LIKE UPPER(\"%%\")AND x<>1", true)
                .sql,
            QStringLiteral("SELECT * FROM QMcon26 WHERE qm_upper_like ( '%%' , ragsoc ) AND x <> 1"));
        // Only where the rewritten call means the same: nothing binds to either side.
        for (const char* sql : {"SELECT * FROM t WHERE \"x\" || UPPER(a) LIKE UPPER(:p)",
                                "SELECT * FROM t WHERE UPPER(a) LIKE UPPER(:p) || \"x\"",
                                "SELECT * FROM t WHERE UPPER(a) LIKE UPPER(:p) ESCAPE \"!\"",
                                "SELECT * FROM t WHERE UPPER(a) = UPPER(:p)",
                                "SELECT * FROM t WHERE UPPER(a.b) LIKE UPPER(:p)"})
            QVERIFY2(!TranslateLocalSql(sql, true).sql.contains("qm_upper_like"), sql);
        QVERIFY(!TranslateLocalSql("SELECT * FROM t WHERE UPPER(a) LIKE UPPER(:p)")
                     .sql.contains("qm_upper_like"));
        QVERIFY(!TranslateLocalSql("DELETE FROM t WHERE UPPER(a) LIKE UPPER(:p)", true)
                     .sql.contains("qm_upper_like"));
    }

    void literalsBecomeSingleQuotedText() {
        QCOMPARE(TranslateLocalSql("SELECT * FROM T WHERE a = \"O'Brien\"").sql,
                 QStringLiteral("SELECT * FROM T WHERE a = 'O''Brien'"));
        QCOMPARE(TranslateLocalSql("SELECT * FROM T WHERE a = \"a\"\"b\"").sql,
                 QStringLiteral("SELECT * FROM T WHERE a = 'a\"b'"));
        QCOMPARE(TranslateLocalSql("SELECT * FROM T WHERE a = 'it''s'").sql,
                 QStringLiteral("SELECT * FROM T WHERE a = 'it''s'"));
        // A semicolon or comment marker inside a literal is only text.
        QCOMPARE(TranslateLocalSql("DELETE FROM T WHERE a = \"x'; DROP TABLE T; --\"").sql,
                 QStringLiteral("DELETE FROM T WHERE a = 'x''; DROP TABLE T; --'"));
        // A literal directly followed by AND, and a blank before a comma.
        QCOMPARE(
            TranslateLocalSql("SELECT * FROM QMarc80 WHERE flag =\"Y\"AND id = \"a\" ORDER BY data ,id").sql,
            QStringLiteral("SELECT * FROM QMarc80 WHERE flag = 'Y' AND id = 'a' ORDER BY data , id"));
        QCOMPARE(
            TranslateLocalSql("SELECT * FROM QMcon26 WHERE UPPER(ragsoc) LIKE UPPER(\"%%\")AND x<>1").sql,
            QStringLiteral("SELECT * FROM QMcon26 WHERE UPPER ( ragsoc ) LIKE UPPER ( '%%' ) AND x <> 1"));
    }

    void extractBecomesDatePart() {
        QCOMPARE(TranslateLocalSql("SELECT * FROM QMarc80 WHERE EXTRACT(MONTH FROM datefull) = 2").sql,
                 QStringLiteral(
                     "SELECT * FROM QMarc80 WHERE CAST ( strftime ( '%m' , datefull ) AS INTEGER ) = 2"));
        QVERIFY(TranslateLocalSql("SELECT * FROM T WHERE extract(day from d) = 1").sql.contains("'%d'"));
        QVERIFY(TranslateLocalSql("SELECT * FROM T WHERE EXTRACT(YEAR FROM d) = 1").sql.contains("'%Y'"));
        QVERIFY_THROWS_EXCEPTION(EngineError,
                                 TranslateLocalSql("SELECT * FROM T WHERE EXTRACT(WEEK FROM d) = 1"));
    }

    void parametersAreFoldedAndListed() {
        const TranslatedStatement s = TranslateLocalSql("INSERT INTO QMset90 (autostart,ShotColor,WinStato)\n"
                                                        "values (:autostart,:ShotColor,\n  :WinStato)");
        QCOMPARE(s.sql, QStringLiteral("INSERT INTO QMset90 ( autostart , ShotColor , WinStato ) values "
                                       "( :autostart , :shotcolor , :winstato )"));
        QCOMPARE(s.parameters, QStringList({"autostart", "shotcolor", "winstato"}));
        // A name used twice is one parameter.
        QCOMPARE(TranslateLocalSql("SELECT * FROM T WHERE a = :X OR b = :x").parameters, QStringList{"x"});
    }

    void kindAndTable_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("table");
        QTest::newRow("select") << "SELECT * FROM QMarc80 WHERE EXTRACT(MONTH FROM datefull) = 2"
                                << int(StatementKind::Select) << "QMarc80";
        QTest::newRow("aliases") << "SELECT ragsoc as NAME, tel as PHONE FROM QMcon26 WHERE 1 = 1"
                                 << int(StatementKind::Select) << "QMcon26";
        QTest::newRow("insert") << "insert into QMtod90 (id) values (:id)" << int(StatementKind::Insert)
                                << "QMtod90";
        QTest::newRow("update") << "UPDATE QMset90 SET a = \"x\"" << int(StatementKind::Update) << "QMset90";
        QTest::newRow("delete") << "DELETE\nFROM QMarc80\nWHERE (flag = \"O\")" << int(StatementKind::Delete)
                                << "QMarc80";
        QTest::newRow("create") << kCreateTod.join('\n') << int(StatementKind::CreateTable) << "QMtod90";
    }
    void kindAndTable() {
        QFETCH(QString, sql);
        QFETCH(int, kind);
        QFETCH(QString, table);
        const TranslatedStatement s = TranslateLocalSql(sql);
        QCOMPARE(int(s.kind), kind);
        QCOMPARE(s.table, table);
    }

    void unreadableTextThrows_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("unterminated double") << "SELECT * FROM T WHERE a = \"abc";
        QTest::newRow("unterminated single") << "SELECT * FROM T WHERE a = 'abc";
        QTest::newRow("doubled quote at end") << "SELECT * FROM T WHERE a = \"abc\"\"";
        QTest::newRow("no table") << "SELECT 1 + 1";
        QTest::newRow("empty") << " \n ";
        QTest::newRow("second statement") << "SELECT * FROM T; DELETE FROM T";
        QTest::newRow("bare colon") << "SELECT * FROM T WHERE a = : b";
        QTest::newRow("bracket") << "SELECT * FROM [T]";
        QTest::newRow("unclosed extract") << "SELECT * FROM T WHERE EXTRACT(MONTH FROM d = 1";
    }
    void unreadableTextThrows() {
        QFETCH(QString, sql);
        try {
            TranslateLocalSql(sql);
            QFAIL("no EngineError");
        } catch (const EngineError& e) {
            QVERIFY(!e.message().isEmpty());
        }
    }

    void createTableKeepsDeclaredTypes() {
        const QString sql = TranslateLocalSql(kCreateTod.join('\n')).sql;
        QVERIFY(sql.contains("codtod INTEGER PRIMARY KEY AUTOINCREMENT ,"));
        QVERIFY(sql.contains("id CHARACTER(255) DEFAULT '' ,"));
        QVERIFY(sql.contains("priority NUMERIC ,"));
        Run(kCreateArc);
        sqlite3* db = Session::Instance().Connection(m_dir->filePath("QMarc80.db"));
        sqlite3_stmt* info = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "PRAGMA table_info(QMarc80)", -1, &info, nullptr), SQLITE_OK);
        QHash<QString, QString> types;
        QHash<QString, QString> defaults;
        while (sqlite3_step(info) == SQLITE_ROW) {
            const QString name =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
            types[name] = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 2)));
            defaults[name] = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 4)));
        }
        sqlite3_finalize(info);
        QCOMPARE(types.value("codimp"), QStringLiteral("INTEGER"));
        QCOMPARE(types.value("id"), QStringLiteral("CHARACTER(255)"));
        QCOMPARE(defaults.value("id"), QStringLiteral("''"));
        QCOMPARE(types.value("datefull"), QStringLiteral("DATE"));
        QCOMPARE(types.value("dayindex"), QStringLiteral("NUMERIC"));
        QCOMPARE(defaults.value("dayindex"), QString());
    }

    // Every literal, however odd, finds exactly the row holding that text.
    void anyLiteralContentIsSound() {
        Run(kCreateArc);
        const QStringList texts = {
            "O'Brien",     "a\"b",        "\"\"",  "''",         "x'); DROP TABLE QMarc80; --",
            "50% off_now", "line\nbreak", "zoë ß", ":notaparam", "/* c */ -- d"};
        for (const QString& text : texts)
            AddArc(text, "O", "2024-01-01", "", "", "", "");
        for (const QString& text : texts) {
            QString literal = text;
            literal.replace('"', "\"\"");
            const QStringList found =
                Select({"SELECT * FROM QMarc80 WHERE id = \"" + literal + "\""}, QStringLiteral("id"));
            QCOMPARE(found, QStringList{text});
        }
        Run({"UPDATE QMarc80 SET note = \"it's \"\"quoted\"\"\" WHERE id = \"O'Brien\""});
        QCOMPARE(Select({"SELECT * FROM QMarc80 WHERE id = 'O''Brien'"}, "note"),
                 QStringList{"it's \"quoted\""});
    }

    void tasksSelectPicksTheDaysRows() {
        Run(kCreateArc);
        AddArc("one shot today", "O", "2024-07-12", "Friday", "12", "12/07", "10:00");
        AddArc("one shot tomorrow", "O", "2024-07-13", "Saturday", "13", "13/07", "10:00");
        AddArc("monthly 7th", "M", "", "", "07", "", "09:00");
        AddArc("monthly 8th", "M", "", "", "08", "", "09:00");
        AddArc("weekly monday", "W", "", "Monday", "", "", "08:00");
        AddArc("yearly today", "Y", "", "", "", "12/07", "11:00");
        AddArc("yearly other", "Y", "", "", "", "13/07", "11:00");
        AddArc("task", "", "", "T", "", "", "07:00");
        const QStringList tasks = {"SELECT * FROM QMarc80 ",
                                   "WHERE (flag = \"O\" and datefull   = :datefull)",
                                   "OR    (flag = \"M\" and dayofmonth = \"07\")",
                                   "OR    (flag = \"W\" and dayofweek  = \"Monday\")",
                                   "OR    (flag = \"Y\" and data       = \"12/07\")",
                                   "OR    (dayofweek = \"T\")",
                                   "ORDER BY orario,orario2,id,note"};
        QCOMPARE(Select(tasks, "id", {{"datefull", QDate(2024, 7, 12)}}),
                 QStringList({"task", "weekly monday", "monthly 7th", "one shot today", "yearly today"}));
    }

    void listSelectsOfTheProgram() {
        Run(kCreateArc);
        AddArc("b-feb", "Y", "2023-02-10", "", "", "10/02", "10:00", "has ABC inside");
        AddArc("a-feb", "Y", "2023-02-01", "", "", "01/02", "10:00", "abcdef");
        AddArc("mar", "Y", "2023-03-01", "", "", "01/03", "10:00", "abc");
        AddArc("feb-no-abc", "Y", "2023-02-05", "", "", "05/02", "10:00", "xyz");
        QCOMPARE(Select({"SELECT * FROM QMarc80 WHERE flag =\"Y\"AND EXTRACT(MONTH FROM datefull) = 2 AND "
                         "UPPER(note) LIKE UPPER(\"%abc%\") ORDER BY data ,orario,orario2,id,note"},
                        "id"),
                 QStringList({"a-feb", "b-feb"}));

        AddArc("Old", "O", "2020-01-01", "", "", "", "");
        AddArc("Older", "O", "2019-01-01", "", "", "", "");
        QCOMPARE(Select({"SELECT * FROM QMarc80 WHERE flag =\"O\" AND UPPER(id) LIKE UPPER(:pattern) "
                         "ORDER BY datefull DESC,orario,orario2,id,note"},
                        "id", {{"pattern", "%old%"}}),
                 QStringList({"Old", "Older"}));

        Run(kCreateCon);
        for (const auto& [ragsoc, gruppo] :
             {std::pair{"Anna", "Friends"}, {"Bruno", "boyfriend"}, {"Carla", "Family"}, {"", "Friends"}})
            Run({"INSERT INTO QMcon26 (ragsoc,gruppo,tel) values (:ragsoc,:gruppo,:tel)"},
                {{"ragsoc", ragsoc}, {"gruppo", gruppo}, {"tel", "555"}});
        QCOMPARE(Select({"SELECT * FROM QMcon26 WHERE UPPER(ragsoc) LIKE UPPER(\"%%\")AND "
                         "UPPER(gruppo) LIKE UPPER(\"%fri%\") ORDER BY ragsoc DESC,company,gruppo"},
                        "ragsoc"),
                 QStringList({"Bruno", "Anna", ""}));
        QCOMPARE(Select({"SELECT ragsoc as NAME, tel as PHONE FROM QMcon26 WHERE UPPER(gruppo) = \"FAMILY\""},
                        "phone"),
                 QStringList{"555"});

        Run(kCreateTod);
        for (const auto& [id, priority, flag] : {std::tuple{"low", 1.0, "Yes"},
                                                 {"high", 5.0, "Yes"},
                                                 {"also high", 5.0, "Yes"},
                                                 {"done", 9.0, "No"}})
            Run({"INSERT INTO QMtod90 (id,priority,flag) values (:id,:priority,:flag)"},
                {{"id", id}, {"priority", priority}, {"flag", flag}});
        QCOMPARE(Select({"SELECT * FROM QMtod90 WHERE UPPER(id) LIKE UPPER(\"%%\") and flag =\"Yes\"  "
                         "ORDER BY Priority DESC, id"},
                        "ID"),
                 QStringList({"also high", "high", "low"}));
    }

    void changingStatementsOfTheProgram() {
        Run(kCreateArc);
        AddArc("old one shot", "O", "2024-01-01", "X", "", "", "");
        AddArc("old but kept", "O", "2024-01-01", "", "", "", "");
        AddArc("recent", "O", "2024-03-01", "X", "", "", "");
        Run({"DELETE", "FROM QMarc80", "WHERE (flag = \"O\" and dayofweek = \"X\" and datefull < :datefull)"},
            {{"datefull", QDate(2024, 2, 1)}});
        QCOMPARE(Select({"SELECT * FROM QMarc80 ORDER BY id"}, "id"),
                 QStringList({"old but kept", "recent"}));

        Run({"UPDATE QMarc80 SET note = :note, orario = \"12:00\""}, {{"note", "all"}});
        QCOMPARE(Select({"SELECT * FROM QMarc80"}, "note"), QStringList({"all", "all"}));
        Run({"UPDATE QMarc80 SET note = \"one\" WHERE codimp = 3"});
        QCOMPARE(Select({"SELECT * FROM QMarc80 ORDER BY codimp"}, "note"), QStringList({"all", "one"}));
        QCOMPARE(Select({"SELECT * FROM QMarc80 WHERE ORARIO = \"12:00\""}, "Orario").size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSqlTranslator)
#include "tst_sqltranslator.moc"
