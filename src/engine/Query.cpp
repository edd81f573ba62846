#include "engine/Query.h"

#include "engine/EngineError.h"
#include "engine/ResultCache.h"
#include "engine/Session.h"
#include "engine/SqlTranslator.h"
#include "engine/Statement.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace qm {

namespace {

void BindText(sqlite3_stmt* statement, int index, const QString& text, sqlite3* db) {
    const QByteArray utf8 = text.toUtf8();
    CheckSqlite(sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT),
                db);
}

void BindValue(sqlite3_stmt* statement, int index, const QVariant& value, sqlite3* db) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        CheckSqlite(sqlite3_bind_double(statement, index, value.toDouble()), db);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        CheckSqlite(sqlite3_bind_int64(statement, index, value.toLongLong()), db);
        break;
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        if (date.isValid())
            BindText(statement, index, date.toString(Qt::ISODate), db);
        else
            CheckSqlite(sqlite3_bind_null(statement, index), db);
        break;
    }
    case QMetaType::QDateTime:
        BindText(statement, index, value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), db);
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        CheckSqlite(
            sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT), db);
        break;
    }
    default:
        BindText(statement, index, value.toString(), db);
    }
}

QString KindName(StatementKind kind) {
    switch (kind) {
    case StatementKind::Select:
        return QStringLiteral("SELECT");
    case StatementKind::Insert:
        return QStringLiteral("INSERT");
    case StatementKind::Update:
        return QStringLiteral("UPDATE");
    case StatementKind::Delete:
        return QStringLiteral("DELETE");
    case StatementKind::CreateTable:
        return QStringLiteral("CREATE TABLE");
    default:
        return QStringLiteral("this");
    }
}

} // namespace

// ---- TField ----

QString TField::FieldName() const {
    return m_query->FieldName(m_field);
}

QVariant TField::Value() const {
    return m_query->Value(m_row, m_field);
}

bool TField::IsNull() const {
    const QVariant v = Value();
    return !v.isValid() || v.isNull();
}

QString TField::AsString() const {
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("");
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    default:
        return v.isNull() ? QStringLiteral("") : v.toString();
    }
}

qint64 TField::AsInteger() const {
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::UnknownType:
        return 0;
    default:
        break;
    }
    double d = 0;
    if (v.typeId() == QMetaType::Double) {
        d = v.toDouble();
    } else {
        const QString text = v.toString().trimmed();
        bool ok = false;
        const qint64 i = text.toLongLong(&ok);
        if (ok)
            return i;
        d = text.toDouble(&ok);
        if (!ok)
            return 0;
    }
    if (std::isnan(d))
        return 0;
    if (d >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (d <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return qint64(d);
}

double TField::AsFloat() const {
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::LongLong:
        return v.toDouble();
    case QMetaType::UnknownType:
        return 0;
    default: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        return ok ? d : 0;
    }
    }
}

QDateTime TField::AsDateTime() const {
    const QVariant v = Value();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    if (v.typeId() != QMetaType::QString)
        return QDateTime();
    QString text = v.toString().trimmed();
    if (text.size() == 10) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        return date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime();
    }
    if (text.size() > 10 && text[10] == QLatin1Char(' '))
        text[10] = QLatin1Char('T');
    if (text.size() < 16 || text[10] != QLatin1Char('T'))
        return QDateTime();
    return QDateTime::fromString(text, Qt::ISODate);
}

// ---- TRecord ----

TField TRecord::FieldByName(const QString& name) const {
    const int field = m_query->FieldIndex(name);
    if (field < 0)
        throw EngineError(QStringLiteral("Field '%1' not found").arg(name));
    return TField(m_query, m_row, field);
}

// ---- TQuery ----

TQuery::TQuery(QObject* parent) : QObject(parent) {}

TQuery::~TQuery() = default;

TParam& TQuery::ParamByName(const QString& name) {
    return m_params[name.toLower()];
}

void TQuery::BindAndRun(bool select) {
    const TranslatedStatement statement = TranslateLocalSql(SQL.Text(), true);
    const StatementKind kind = statement.kind;
    if (select && kind != StatementKind::Select)
        throw EngineError(QStringLiteral("Open runs only SELECT statements; use ExecSQL for %1 statements")
                              .arg(KindName(kind)));
    if (!select && kind != StatementKind::Insert && kind != StatementKind::Update &&
        kind != StatementKind::Delete && kind != StatementKind::CreateTable)
        throw EngineError(QStringLiteral("ExecSQL cannot run %1 statements").arg(KindName(kind)) +
                          (kind == StatementKind::Select ? QStringLiteral("; use Open") : QString()));

    Session& session = Session::Instance();
    const QString file = session.TableFile(DatabaseName, statement.table);
    const bool create = kind == StatementKind::CreateTable;
    const bool existed = QFileInfo::exists(file);
    if (!select)
        session.CheckWritable(file);
    try {
        sqlite3* db = session.Connection(file, create);
        Statement prepared(db, statement.sql);
        sqlite3_stmt* stmt = prepared.get();
        const int count = sqlite3_bind_parameter_count(stmt);
        // The file, the statement and every bound value name the result.
        QString key = file + QLatin1Char('\n') + statement.sql;
        for (int i = 1; i <= count; ++i) {
            const char* rawName = sqlite3_bind_parameter_name(stmt, i);
            const QString name = rawName ? QString::fromUtf8(rawName + 1) : QString();
            const auto it = m_params.constFind(name);
            if (it == m_params.constEnd() || !it->IsSet())
                throw EngineError(QStringLiteral("No value for parameter '%1'").arg(name));
            BindValue(stmt, i, it->Value(), db);
            if (select)
                key += QLatin1Char('\n') + QString::number(it->Value().typeId()) + QLatin1Char(':') +
                       it->Value().toString();
        }
        if (select) {
            const FileVersion version = CurrentFileVersion(db);
            m_openedFile = file;
            m_openedVersion = version;
            m_openedConnections = session.ConnectionsOpened();
            if (!ResultCache::Instance().Find(key, version, &m_result)) {
                m_result.ReadAll(stmt, db);
                ResultCache::Instance().Store(key, version, m_result);
            }
        } else {
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            CheckSqlite(rc, db);
            m_rowsAffected = create ? 0 : sqlite3_changes(db);
        }
    } catch (...) {
        // A failed CREATE TABLE must not leave an empty file that would pass for the table.
        if (create && !existed) {
            session.CloseConnection(file);
            QFile::remove(file);
            QFile::remove(file + QStringLiteral("-journal"));
        }
        throw;
    }
}

bool TQuery::Active() const {
    RunPendingOpen();
    return m_active;
}

void TQuery::DeferOpen(std::function<void()> open) {
    // An open put off runs as it would have run now: a fault already told (the start's message on
    // a table that cannot be used) is not told again, whenever the open comes.
    const bool reported = Session::Instance().FaultsReported();
    m_pendingOpen = [open = std::move(open), reported] {
        Session& session = Session::Instance();
        const bool before = session.FaultsReported();
        session.SetFaultsReported(reported);
        const auto restore = qScopeGuard([&session, before] { session.SetFaultsReported(before); });
        open();
    };
}

void TQuery::RunPendingOpen() const {
    if (!m_pendingOpen)
        return;
    // Taken first: the open itself reads the query.
    const std::function<void()> open = std::move(m_pendingOpen);
    m_pendingOpen = nullptr;
    open();
}

void TQuery::RunPendingOpenAhead() {
    if (!m_pendingOpen)
        return;
    std::function<void()> open = m_pendingOpen;
    RunPendingOpen();
    if (m_active)
        m_openAgainWhenChanged = std::move(open);
}

void TQuery::RefreshAtFirstShowing() {
    if (!m_openAgainWhenChanged)
        return;
    const std::function<void()> open = std::move(m_openAgainWhenChanged);
    m_openAgainWhenChanged = nullptr;
    bool changed = true;
    try {
        Session& session = Session::Instance();
        const FileVersion now = CurrentFileVersion(session.Connection(m_openedFile));
        changed = !(now == m_openedVersion) || session.ConnectionsOpened() != m_openedConnections;
    } catch (const EngineError&) {
        // The file cannot be reached now: the open says why.
    }
    if (changed)
        open();
}

bool TQuery::Prepares() const {
    try {
        const TranslatedStatement statement = TranslateLocalSql(SQL.Text(), true);
        Session& session = Session::Instance();
        Statement prepared(session.Connection(session.TableFile(DatabaseName, statement.table)),
                           statement.sql);
        return statement.kind == StatementKind::Select;
    } catch (const EngineError&) {
        return false;
    }
}

TRecord TQuery::CurrentRecord() const {
    RunPendingOpen();
    return TRecord(this, m_current);
}

int TQuery::CurrentRow() const {
    RunPendingOpen();
    return m_current;
}

void TQuery::Open() {
    m_pendingOpen = nullptr;
    m_openAgainWhenChanged = nullptr;
    if (m_active)
        Close();
    try {
        BindAndRun(true);
    } catch (...) {
        m_active = false;
        m_result.Clear();
        m_current = -1;
        m_eof = m_bof = true;
        emit ResultChanged();
        throw;
    }
    m_active = true;
    m_current = m_result.RowCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = m_result.RowCount() == 0;
    emit ResultChanged();
    emit AfterOpen();
    NotifyDataChange();
}

void TQuery::Close() {
    m_pendingOpen = nullptr;
    m_openAgainWhenChanged = nullptr;
    if (!m_active)
        return;
    m_active = false;
    m_result.ClearRows();
    m_current = -1;
    m_eof = m_bof = true;
    emit ResultChanged();
    NotifyDataChange();
}

void TQuery::ExecSQL() {
    m_pendingOpen = nullptr;
    m_openAgainWhenChanged = nullptr;
    m_rowsAffected = 0;
    BindAndRun(false);
}

int TQuery::RecordCount() const {
    RunPendingOpen();
    return m_active ? m_result.RowCount() : 0;
}

int TQuery::RecNo() const {
    RunPendingOpen();
    return m_current + 1;
}

void TQuery::SetRecNo(int recNo) {
    RunPendingOpen();
    const int count = RecordCount();
    if (count == 0)
        return;
    m_eof = m_bof = false;
    SetCurrent(qBound(1, recNo, count) - 1);
}

void TQuery::First() {
    RunPendingOpen();
    const int count = RecordCount();
    m_bof = true;
    m_eof = count == 0;
    if (count > 0)
        SetCurrent(0);
}

void TQuery::Next() {
    RunPendingOpen();
    const int count = RecordCount();
    if (m_current + 1 < count) {
        m_bof = m_eof = false;
        SetCurrent(m_current + 1);
    } else {
        // Past the last row: Eof is set and the last row stays current.
        m_eof = true;
    }
}

void TQuery::Prior() {
    RunPendingOpen();
    if (m_current > 0) {
        m_bof = m_eof = false;
        SetCurrent(m_current - 1);
    } else {
        m_bof = true;
    }
}

void TQuery::Last() {
    RunPendingOpen();
    const int count = RecordCount();
    m_eof = true;
    m_bof = count == 0;
    if (count > 0)
        SetCurrent(count - 1);
}

bool TQuery::Eof() const {
    RunPendingOpen();
    return !m_active || m_eof;
}

bool TQuery::Bof() const {
    RunPendingOpen();
    return !m_active || m_bof;
}

void TQuery::SetCurrent(int row) {
    if (row == m_current)
        return;
    m_current = row;
    NotifyDataChange();
}

void TQuery::NotifyDataChange() {
    if (m_controlsDisabled > 0)
        m_changedWhileDisabled = true;
    else
        emit DataChange();
}

void TQuery::DisableControls() {
    ++m_controlsDisabled;
}

void TQuery::EnableControls() {
    if (m_controlsDisabled == 0 || --m_controlsDisabled > 0)
        return;
    if (m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        emit DataChange();
    }
}

TField TQuery::FieldByName(const QString& name) const {
    return CurrentRecord().FieldByName(name);
}

int TQuery::FieldCount() const {
    RunPendingOpen();
    return m_result.ColumnCount() + int(m_calcFields.size());
}

QString TQuery::FieldName(int field) const {
    if (field < 0 || field >= FieldCount())
        return QString();
    if (field < m_result.ColumnCount())
        return m_result.Columns()[field];
    return m_calcFields[size_t(field - m_result.ColumnCount())].name;
}

int TQuery::FieldIndex(const QString& name) const {
    RunPendingOpen();
    const int column = m_result.ColumnIndex(name);
    if (column >= 0)
        return column;
    for (size_t i = 0; i < m_calcFields.size(); ++i)
        if (m_calcFields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return m_result.ColumnCount() + int(i);
    return -1;
}

bool TQuery::IsCalculated(int field) const {
    return field >= m_result.ColumnCount() && field < FieldCount();
}

QVariant TQuery::Value(int row, int field) const {
    RunPendingOpen();
    if (row < 0 || row >= RecordCount() || field < 0 || field >= FieldCount())
        return QVariant();
    if (field < m_result.ColumnCount())
        return m_result.Value(row, field);
    const CalcField& calc = m_calcFields[size_t(field - m_result.ColumnCount())];
    return calc.compute ? calc.compute(TRecord(this, row)) : QVariant();
}

void TQuery::AddCalcField(const QString& name, CalcFunction compute) {
    for (CalcField& calc : m_calcFields) {
        if (calc.name.compare(name, Qt::CaseInsensitive) == 0) {
            calc.compute = std::move(compute);
            return;
        }
    }
    m_calcFields.push_back({name, std::move(compute)});
}

} // namespace qm
