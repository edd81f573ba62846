#pragma once

#include "engine/ResultCache.h"
#include "engine/ResultSet.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace qm {

class TQuery;

// SQL text kept as lines, built one line at a time.
class TStrings {
public:
    void Clear() { m_lines.clear(); }
    void Add(const QString& line) { m_lines.append(line); }
    int Count() const { return int(m_lines.size()); }
    const QString& operator[](int i) const { return m_lines[i]; }
    QString Text() const { return m_lines.join(QLatin1Char('\n')); }
    const QStringList& Lines() const { return m_lines; }

private:
    QStringList m_lines;
};

// A named parameter: text, number or date (a date is bound as 'YYYY-MM-DD').
class TParam {
public:
    void SetAsString(const QString& value) { m_value = value.isNull() ? QStringLiteral("") : value; }
    void SetAsFloat(double value) { m_value = value; }
    void SetAsInteger(qint64 value) { m_value = value; }
    void SetAsDate(const QDate& value) { m_value = value; }
    const QVariant& Value() const { return m_value; }
    bool IsSet() const { return m_value.isValid(); }
    void Clear() { m_value = QVariant(); }

private:
    QVariant m_value;
};

// One value of one row: a column of the result or a calculated field.
class TField {
public:
    TField(const TQuery* query, int row, int field) : m_query(query), m_row(row), m_field(field) {}
    QString FieldName() const;
    bool IsNull() const;
    // A number reads as its shortest decimal text ("5", "2.5"); null reads as "".
    QString AsString() const;
    qint64 AsInteger() const;
    double AsFloat() const;
    // A date text 'YYYY-MM-DD' (optionally with a time) reads as that moment; else invalid.
    QDateTime AsDateTime() const;
    QDate AsDate() const { return AsDateTime().date(); }
    QVariant Value() const;

private:
    const TQuery* m_query;
    int m_row;
    int m_field;
};

// One row of an open query, for calculated fields, grids and painting.
class TRecord {
public:
    TRecord(const TQuery* query, int row) : m_query(query), m_row(row) {}
    TField FieldByName(const QString& name) const;
    int Row() const { return m_row; }

private:
    const TQuery* m_query;
    int m_row;
};

// A query on the tables of one alias. SELECTs are read whole into a compact result when opened;
// calculated fields are computed only when a value is asked for.
class TQuery : public QObject {
    Q_OBJECT
public:
    explicit TQuery(QObject* parent = nullptr);
    ~TQuery() override;

    QString DatabaseName; // the alias
    TStrings SQL;

    // Case-insensitive; a parameter that the SQL does not name is ignored when run.
    TParam& ParamByName(const QString& name);

    // Throw EngineError; after a failed Open the query is closed.
    void Open();
    void Close();
    bool Active() const;
    // Open without running a pending open (for grids that paint only what is already there).
    bool IsOpenNow() const { return m_active; }

    // Leaves the query closed until its rows are first needed: `open` runs once, on the first read
    // of the query (rows, count, state, fields) or by RunPendingOpen. Open and Close drop it.
    // Faults already reported when the open is put off stay reported when it runs.
    void DeferOpen(std::function<void()> open);
    bool OpenPending() const { return bool(m_pendingOpen); }
    // Whether the SQL text would run: the statement is translated and prepared, not stepped.
    bool Prepares() const;
    void RunPendingOpen() const;
    // Runs a pending open before the list is first shown (an idle turn). That first showing then
    // calls RefreshAtFirstShowing, which runs the open again when the table file has changed since,
    // by another process or a damage, so that the list shows the rows as they are then.
    void RunPendingOpenAhead();
    void RefreshAtFirstShowing();
    void ExecSQL();
    int RowsAffected() const { return m_rowsAffected; }

    int RecordCount() const;
    int RecNo() const; // 1-based; 0 when there is no row
    void SetRecNo(int recNo);
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const;
    bool Bof() const;

    // The current row's field; throws EngineError when no such field exists.
    TField FieldByName(const QString& name) const;
    TRecord Record(int row) const { return TRecord(this, row); }
    TRecord CurrentRecord() const;
    int CurrentRow() const; // 0-based, -1 when none

    // Fields: the result's columns, then the calculated fields.
    int FieldCount() const;
    QString FieldName(int field) const;
    int FieldIndex(const QString& name) const; // -1 when missing
    bool IsCalculated(int field) const;
    QVariant Value(int row, int field) const;

    using CalcFunction = std::function<QVariant(const TRecord&)>;
    void AddCalcField(const QString& name, CalcFunction compute);

    // While disabled, moving through the rows sends no DataChange (as the grids expect).
    void DisableControls();
    void EnableControls();

signals:
    void AfterOpen();
    // The current row moved or the result changed.
    void DataChange();
    // The result was replaced (opened or closed): models reset.
    void ResultChanged();

private:
    void SetCurrent(int row);
    void BindAndRun(bool select);
    void NotifyDataChange();

    mutable std::function<void()> m_pendingOpen;
    std::function<void()> m_openAgainWhenChanged; // set by RunPendingOpenAhead until first shown
    QString m_openedFile;                         // the file and its version the rows were read at
    FileVersion m_openedVersion;
    quint64 m_openedConnections = 0;
    bool m_active = false;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    int m_rowsAffected = 0;
    int m_controlsDisabled = 0;
    bool m_changedWhileDisabled = false;
    ResultSet m_result;
    QHash<QString, TParam> m_params; // lower-case name
    struct CalcField {
        QString name;
        CalcFunction compute;
    };
    std::vector<CalcField> m_calcFields;
};

// A table of an alias, for whole-table copies.
class TTable {
public:
    QString DatabaseName;
    QString TableName;

    QString FileName() const;
    bool Exists() const;

    // Appends every row of `source` by column position (an AUTOINC column of this table numbers
    // the new rows itself). Runs in one transaction: when `beforeCommit` throws, nothing is
    // appended and the exception goes on to the caller.
    void BatchAppend(const TTable& source, const std::function<void()>& beforeCommit = {});
};

} // namespace qm
