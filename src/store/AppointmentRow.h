#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace qm {

class TQuery;

// One QMarc80 row as the add dialogs write it. Every writer of appointments builds its columns
// here, so that what is stored matches what the lists and the Tasks query search for.
struct TAppointmentRow {
    QString flag; // "O" one-shot, "W" weekly, "M" monthly, "Y" yearly
    QString id;
    QString note;
    QDate datefull;
    QString dayofweek;  // weekly: the long day name; one-shot: "", "X" or "T"
    int dayindex = 0;   // weekly: 1 Sunday to 7 Saturday
    QString dayofmonth; // monthly: "dd"
    QString data;       // yearly: "mm/dd" with the locale's date separator
    QString orario;     // start time as the time field gives it, "  :  " when none
    QString orario2;    // end time, the same
};

// The title an entry saved without one gets.
QString DefaultAppointmentTitle();

// The date columns of an entry of kind `flag` on `date`: weekly day name and number, monthly day
// of month, yearly "mm/dd"; nothing else set.
TAppointmentRow AppointmentOn(const QString& flag, const QDate& date);

// A start or end time as the time field stores it ("08:30" with the locale's time separator);
// an invalid time gives the empty field's text.
QString StoredTime(const QTime& time);

// The add dialogs' INSERT of `row` on `query`; an empty title becomes the default one.
void InsertAppointment(TQuery& query, const TAppointmentRow& row);
// Binds the parameters the add and modify statements name.
void BindAppointment(TQuery& query, const TAppointmentRow& row);

} // namespace qm
