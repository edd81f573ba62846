#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Date and time formatting with the class library's format letters, so that what is stored,
// displayed and searched is made by one function:
//   d dd ddd dddd  day, two-digit day, short and long day name
//   m mm mmm mmmm  month, two-digit month, short and long month name ("m" right after an hour is minutes)
//   yy yyyy        year;  h hh  hour;  n nn  minute;  s ss  second
//   am/pm a/p      12-hour clock with the marker;  c  short date and long time
//   /  :           the locale's date and time separators;  "text" 'text'  literal text
// Day and month names and separators come from QLocale() (the default locale).
namespace qm {

QString FormatDateTime(const QString& format, const QDateTime& moment);
QString FormatDateTime(const QString& format, const QDate& date);

QChar DateSeparator();
QChar TimeSeparator();

// Long day names Monday first, long month names January first, in the default locale.
QStringList LongDayNamesMondayFirst();
QStringList LongMonthNames();

// Weekday number of the class library: 1 Sunday to 7 Saturday.
int DayOfWeekSundayFirst(const QDate& date);

// Reads "hh:nn" (with the locale's time separator, or ":") into a time; invalid when it is not a time.
QTime ParseShortTime(const QString& text);

} // namespace qm
