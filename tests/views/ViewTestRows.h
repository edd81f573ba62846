#pragma once

// Rows put into the table files as another tool would, and what the lists show of them.

#include "engine/DataControls.h"
#include "engine/Query.h"
#include "support/TestEnvironment.h"

#include <QStringList>

namespace qm::testrows {

// The appointment titles in the table file, in name order.
inline QStringList TitlesInFile(const TestEnvironment& env) {
    QStringList titles;
    for (const QStringList& row :
         TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMarc80.db")),
                                     QStringLiteral("SELECT id FROM QMarc80 ORDER BY id")))
        titles << row.first();
    return titles;
}

inline void Exec(const TestEnvironment& env, const QString& table, const QString& sql) {
    TestEnvironment::ExecOnFile(env.ArchiveFile(table + QStringLiteral(".db")), sql);
}

// A one-shot entry; `marker` is "", "X" or "T" and `note` may be NULL.
inline void OneShot(const TestEnvironment& env, const QString& id, const QString& date,
                    const QString& from = QStringLiteral("09:00"), const QString& marker = QString(),
                    const QString& noteSql = QStringLiteral("''")) {
    Exec(env, QStringLiteral("QMarc80"),
         QStringLiteral("INSERT INTO QMarc80 (id,note,datefull,orario,orario2,flag,dayofweek) "
                        "VALUES ('%1',%2,'%3','%4','%4','O','%5')")
             .arg(QString(id).replace(QLatin1Char('\''), QStringLiteral("''")), noteSql, date, from, marker));
}

inline void Monthly(const TestEnvironment& env, const QString& id, const QString& day,
                    const QString& from = QStringLiteral("09:00")) {
    // Monthly rows of other tools leave the columns of other kinds NULL.
    Exec(
        env, QStringLiteral("QMarc80"),
        QStringLiteral("INSERT INTO QMarc80 (id,note,dayofmonth,datefull,orario,orario2,flag,dayofweek,data) "
                       "VALUES ('%1','','%2','2026-01-%2','%3','%3','M',NULL,NULL)")
            .arg(id, day, from));
}

inline void Weekly(const TestEnvironment& env, const QString& id, const QString& dayName, int dayIndex,
                   const QString& from = QStringLiteral("09:00")) {
    Exec(env, QStringLiteral("QMarc80"),
         QStringLiteral("INSERT INTO QMarc80 (id,note,dayofweek,dayindex,datefull,orario,orario2,flag) "
                        "VALUES ('%1','','%2',%3,'2026-01-05','%4','%4','W')")
             .arg(id, dayName)
             .arg(dayIndex)
             .arg(from));
}

// A yearly entry: `monthDay` is "mm/dd" and `date` the picked date.
inline void Yearly(const TestEnvironment& env, const QString& id, const QString& monthDay,
                   const QString& date, const QString& from = QStringLiteral("09:00")) {
    Exec(env, QStringLiteral("QMarc80"),
         QStringLiteral("INSERT INTO QMarc80 (id,note,datefull,data,orario,orario2,flag) "
                        "VALUES ('%1','','%2','%3','%4','%4','Y')")
             .arg(id, date, monthDay, from));
}

inline void Contact(const TestEnvironment& env, const QString& name, const QString& group = QString(),
                    const QString& tel = QString()) {
    Exec(env, QStringLiteral("QMcon26"),
         QStringLiteral("INSERT INTO QMcon26 (ragsoc,gruppo,tel,company) VALUES ('%1','%2','%3','')")
             .arg(QString(name).replace(QLatin1Char('\''), QStringLiteral("''")), group, tel));
}

// The values of one field over the whole open result, in order.
inline QStringList FieldValues(const TQuery* query, const QString& field) {
    QStringList values;
    for (int row = 0; row < query->RecordCount(); ++row)
        values << query->Record(row).FieldByName(field).AsString();
    return values;
}

// The texts the grid shows in one column, top to bottom.
inline QStringList GridColumn(const TDBGrid* grid, int column) {
    QStringList values;
    const QAbstractItemModel* model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->data(model->index(row, column)).toString();
    return values;
}

} // namespace qm::testrows
