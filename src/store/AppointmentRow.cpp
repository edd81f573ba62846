#include "store/AppointmentRow.h"

#include "engine/Query.h"
#include "platform/DateFormat.h"

namespace qm {

namespace {

struct InsertText {
    const char* flag;
    const char* columns;
    const char* values;
};

constexpr InsertText kInserts[] = {
    {"M", "(id,note,dayofmonth,datefull,orario,orario2,flag)",
     "values (:id,:note,:dayofmonth,:datefull,:orario,:orario2,:flag)"},
    {"W", "(id,note,dayofweek,dayindex,datefull,orario,orario2,flag)",
     "values (:id,:note,:dayofweek,:dayindex,:datefull,:orario,:orario2,:flag)"},
    {"Y", "(id,note,datefull,data,orario,orario2,flag)",
     "values (:id,:note,:datefull,:data,:orario,:orario2,:flag)"},
    {"O", "(id,note,datefull,orario,orario2,flag,dayofweek)",
     "values (:id,:note,:datefull,:orario,:orario2,:flag,:dayofweek)"},
};

} // namespace

QString DefaultAppointmentTitle() {
    return QStringLiteral("Introduce the sister to Tarquindo!");
}

TAppointmentRow AppointmentOn(const QString& flag, const QDate& date) {
    TAppointmentRow row;
    row.flag = flag;
    row.datefull = date;
    row.orario = row.orario2 = StoredTime(QTime());
    if (flag == QLatin1String("W")) {
        row.dayofweek = FormatDateTime(QStringLiteral("dddd"), date);
        row.dayindex = DayOfWeekSundayFirst(date);
    } else if (flag == QLatin1String("M")) {
        row.dayofmonth = FormatDateTime(QStringLiteral("dd"), date);
    } else if (flag == QLatin1String("Y")) {
        row.data = FormatDateTime(QStringLiteral("mm/dd"), date).left(5);
    }
    return row;
}

QString StoredTime(const QTime& time) {
    if (!time.isValid())
        return QStringLiteral("  ") + TimeSeparator() + QStringLiteral("  ");
    return FormatDateTime(QStringLiteral("hh:nn"), QDateTime(QDate(2000, 1, 1), time));
}

void BindAppointment(TQuery& query, const TAppointmentRow& row) {
    query.ParamByName(QStringLiteral("id")).SetAsString(row.id);
    query.ParamByName(QStringLiteral("note")).SetAsString(row.note);
    query.ParamByName(QStringLiteral("datefull")).SetAsDate(row.datefull);
    query.ParamByName(QStringLiteral("orario")).SetAsString(row.orario);
    query.ParamByName(QStringLiteral("orario2")).SetAsString(row.orario2);
    query.ParamByName(QStringLiteral("flag")).SetAsString(row.flag);
    query.ParamByName(QStringLiteral("dayofmonth")).SetAsString(row.dayofmonth);
    query.ParamByName(QStringLiteral("dayofweek")).SetAsString(row.dayofweek);
    query.ParamByName(QStringLiteral("dayindex")).SetAsFloat(row.dayindex);
    query.ParamByName(QStringLiteral("data")).SetAsString(row.data);
}

void InsertAppointment(TQuery& query, const TAppointmentRow& row) {
    const InsertText* text = &kInserts[3];
    for (const InsertText& candidate : kInserts)
        if (row.flag == QLatin1String(candidate.flag))
            text = &candidate;
    TAppointmentRow stored = row;
    if (stored.id.isEmpty())
        stored.id = DefaultAppointmentTitle();
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("INSERT INTO QMarc80"));
    query.SQL.Add(QString::fromLatin1(text->columns));
    query.SQL.Add(QString::fromLatin1(text->values));
    BindAppointment(query, stored);
    query.ExecSQL();
}

} // namespace qm
