#pragma once

#include "engine/Query.h"
#include "platform/ColorText.h"

#include <QDate>
#include <QString>
#include <array>

namespace qm {

// The nine sections of the main window, in tab, colour, menu and report order.
enum TSection {
    secShot = 0,
    secYear = 1,
    secMonth = 2,
    secWeek = 3,
    secToday = 4,
    secContacts = 5,
    secNotes = 6,
    secToDo = 7,
    secOptions = 8,
    SectionCount = 9
};

// The kind letter of an appointment in QMarc80.flag.
namespace TEntryKind {
inline const QString OneShot = QStringLiteral("O");
inline const QString Weekly = QStringLiteral("W");
inline const QString Monthly = QStringLiteral("M");
inline const QString Yearly = QStringLiteral("Y");
} // namespace TEntryKind

struct SectionColorSet {
    std::array<TColor, SectionCount> Colors{};
    // The named colours are views on Colors, so a section is reached by its name or its number.
    TColor& ShotColor = Colors[secShot];
    TColor& YearColor = Colors[secYear];
    TColor& MonthColor = Colors[secMonth];
    TColor& WeekColor = Colors[secWeek];
    TColor& TodayColor = Colors[secToday];
    TColor& ContactColor = Colors[secContacts];
    TColor& NotesColor = Colors[secNotes];
    TColor& TodoColor = Colors[secToDo];
    TColor& UserColor = Colors[secOptions];

    SectionColorSet() = default;
    explicit SectionColorSet(const std::array<TColor, SectionCount>& colors) : Colors(colors) {}
    // A copy takes the colours only: its names must keep viewing its own array.
    SectionColorSet(const SectionColorSet& other) : Colors(other.Colors) {}
    SectionColorSet& operator=(const SectionColorSet& other) {
        Colors = other.Colors;
        return *this;
    }

    TColor& operator[](int section) { return Colors[section]; }
    TColor operator[](int section) const { return Colors[section]; }
};

// The main window's own state: folders, message-box constants, orders, selected date, flags,
// the settings applied from the settings row, and the queries every part shares.
// Flags hold 0 or -1, as the program has always kept them.
struct MainFormState {
    int SkipFocus = 0;
    QString ClockFormat;
    int MsgYes = 6, MsgNo = 7, MsgYesNo = 4, MsgOk = 0;
    int MsgExclamation = 48, MsgQuestion = 32, MsgInformation = 64;
    QString MsgText;
    QString MsgCaption;
    int AboutClicks = 0;

    QString ProgramFolder; // ends in "/"
    QString ShotOrder, YearOrder, MonthOrder, WeekOrder, ContactOrder;
    QString AliasName, DriverName;
    QString ProfileName;
    QString ArchiveFolder;        // no trailing "/"
    QString DefaultArchiveFolder; // no trailing "/"
    QString NotesFolder;          // no trailing "/"

    QDate SelectedDate;
    QString SelectedMonthDay;
    int TodayDirty = 0;
    int AlarmReloadArmed = 0;
    int WindowMinimized = 0;
    int AlarmFlashing = 0;
    QString NotesFolderCaption;
    int NoteListWidth = 0;
    int SavedRecNo = 0;

    SectionColorSet SectionColors;
    TColor CurrentSectionColor = 0;
    QString ShotDateFormat, YearDateFormat;
    QString AlarmSoundFile;
    QString AlarmHurryText, AlarmEntryText;

    // Settings row, alarm list, scratch query for every change, and the whole-table copies.
    TQuery* QueryParam = nullptr;
    TQuery* Query_Jolly = nullptr;
    TQuery* QueryParallelo = nullptr;
    TTable TableVecchia;
    TTable TableNuova;
};

} // namespace qm
