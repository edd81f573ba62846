// A large font: every window lays its texts out whole, taking more room where it needs it.

#include "app/MainForm.h"
#include "dialogs/AppointmentDialogs.h"
#include "dialogs/SelectForm.h"
#include "engine/DataControls.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"
#include "support/TestEnvironment.h"
#include "support/TextFits.h"
#include "views/ViewTestRows.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <functional>

using namespace qm;

namespace {

// The window each row opens, as the hand opens it: the tab to show and the button to click.
struct Opener {
    const char* name;
    QWidget* TMainForm::*tab;
    QToolButton* TMainForm::*button;
};

const Opener kDialogs[] = {
    {"One Shot add", &TMainForm::TabSheetShot, &TMainForm::SpeedButtonadShot},
    {"Yearly add", &TMainForm::TabSheetYEAR, &TMainForm::SpeedButtonAddYear},
    {"Monthly add", &TMainForm::TabSheetMonth, &TMainForm::SpeedButtonAggMese},
    {"Weekly add", &TMainForm::TabSheetWEEK, &TMainForm::SpeedButtonAggWeek},
    {"Contact add", &TMainForm::TabSheetCONTACTS, &TMainForm::SpeedButtonAggContact},
    {"To-do add", &TMainForm::TabSheetToDo, &TMainForm::SpeedButtonAggToDo},
    {"Note add", &TMainForm::TabSheetNotes, &TMainForm::SpeedButtonAggNote},
    {"Favourite folders", &TMainForm::TabSheetNotes, &TMainForm::SpeedButton2},
    {"About box", &TMainForm::TabSheetShot, &TMainForm::SpeedButtonAbout},
    {"Telephone", &TMainForm::TabSheetCONTACTS, &TMainForm::SpeedButtonTele},
};

QString Listed(const QStringList& cut) {
    return cut.join(QStringLiteral("\n"));
}

} // namespace

class LargeTextTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QFont large = QApplication::font();
        large.setPointSizeF(large.pointSizeF() * 1.5);
        QApplication::setFont(large);
    }

    // Every tab of the main window, at the size it opens with and at its least size.
    void theMainWindowShowsItsTextsWhole() {
        TestEnvironment env;
        // The longest caption the clock writes: a long day and month, two-digit day and hour.
        env.SetNow(QDateTime(QDate(2026, 9, 30), QTime(23, 59, 58)));
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->TimerOrologioTimer();
        for (const bool least : {false, true}) {
            if (least)
                form->resize(form->minimumSize().expandedTo(form->minimumSizeHint()));
            for (int i = 0; i < form->PageControlMenu->count(); ++i) {
                form->PageControlMenu->setCurrentIndex(i);
                QCoreApplication::sendPostedEvents();
                QCoreApplication::processEvents();
                const QStringList cut = CutTexts(form);
                QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("%1 at %2 x %3, %4:\n")
                                                       .arg(least ? "least" : "default")
                                                       .arg(form->width())
                                                       .arg(form->height())
                                                       .arg(form->PageControlMenu->tabText(i)) +
                                                   Listed(cut)));
            }
            // The One Shot description, which takes what the other columns leave, keeps its title's
            // room.
            const TDBGrid* shot = form->DBGrid_Shot;
            QVERIFY(shot->columnWidth(3) >= QFontMetrics(shot->horizontalHeader()->font())
                                                .horizontalAdvance(QStringLiteral("Description")));
        }
    }

    void everyDialogShowsItsTextsWhole_data() {
        QTest::addColumn<int>("dialog");
        for (int i = 0; i < int(std::size(kDialogs)); ++i)
            QTest::newRow(kDialogs[i].name) << i;
    }
    void everyDialogShowsItsTextsWhole() {
        QFETCH(int, dialog);
        const Opener& opener = kDialogs[dialog];
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        testrows::Contact(env, QStringLiteral("Anna Rossi"), QStringLiteral("Friend"),
                          QStringLiteral("555 1234"));
        form->RefreshContactQuery();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->*opener.tab);
        QCoreApplication::sendPostedEvents();
        QStringList cut;
        bool shown = false;
        ModalSeam::Queue([&](QDialog& d) {
            shown = true;
            cut = CutTexts(&d);
            d.reject();
        });
        QTest::mouseClick(form->*opener.button, Qt::LeftButton);
        QVERIFY(shown);
        QVERIFY2(cut.isEmpty(), qPrintable(Listed(cut)));
    }

    // The date label of an appointment dialog is a tab stop: Space opens the picker, which shows
    // its texts whole and all six weeks of the month.
    void theDatePickerOpensFromTheKeyboardAndShowsSixWeeks() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        if (!SelectForm)
            SelectForm = new TSelectForm(form);
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
        QStringList cut;
        int weeksShown = 0;
        ModalSeam::Queue([&](QDialog& d) {
            auto& dialog = static_cast<TAppointmentForm&>(d);
            // Tab from the description reaches the date.
            QWidget* next = dialog.Edit_id->nextInFocusChain();
            while (next != dialog.Edit_id &&
                   !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(&dialog)))
                next = next->nextInFocusChain();
            QCOMPARE(next, static_cast<QWidget*>(dialog.DateLabel));
            ModalSeam::Queue([&](QDialog& p) {
                auto& picker = static_cast<TSelectForm&>(p);
                picker.MonthCalendar1->setSelectedDate(QDate(2026, 8, 15)); // six weeks from Saturday 1st
                QCoreApplication::sendPostedEvents();
                cut = CutTexts(&picker);
                auto* days =
                    picker.MonthCalendar1->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
                QVERIFY(days);
                for (int row = 1; row < days->model()->rowCount(); ++row)
                    weeksShown +=
                        days->rowViewportPosition(row) >= 0 &&
                        days->rowViewportPosition(row) + days->rowHeight(row) <= days->viewport()->height();
                p.reject();
            });
            QTest::keyClick(dialog.DateLabel, Qt::Key_Space);
            d.reject();
        });
        QTest::mouseClick(form->SpeedButtonadShot, Qt::LeftButton);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
        QVERIFY2(cut.isEmpty(), qPrintable(Listed(cut)));
        QCOMPARE(weeksShown, 6);
    }

    // The list rows grow with the sections' font, typed into the options' size field.
    void gridRowsGrowWithTheirFont() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        testrows::OneShot(env, QStringLiteral("Dentist"), QStringLiteral("2026-12-09"));
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        form->SpinEditTabSize->setFocus(Qt::TabFocusReason);
        form->SpinEditTabSize->selectAll();
        QTest::keyClicks(form->SpinEditTabSize, QStringLiteral("16"));
        QCOMPARE(form->SpinEditTabSize->value(), 16);
        form->RefreshShotQuery();
        TDBGrid* grid = form->DBGrid_Shot;
        QCOMPARE(grid->font().pointSize(), 16);
        QVERIFY(grid->model()->rowCount() > 0);
        QVERIFY2(
            grid->rowHeight(0) >= QFontMetrics(grid->font()).height(),
            qPrintable(QStringLiteral("%1 < %2").arg(grid->rowHeight(0)).arg(grid->fontMetrics().height())));
    }

    // The Tasks day shows the longest date whole in a window 1028 pixels wide, in the user's
    // language, and Up and Down change it from the keyboard.
    void theTasksDayShowsTheLongestDateAndTakesKeys_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("Portuguese") << QLocale(QLocale::Portuguese, QLocale::Brazil);
    }
    void theTasksDayShowsTheLongestDateAndTakesKeys() {
        QFETCH(QLocale, locale);
        TestEnvironment env;
        QLocale::setDefault(locale);
        TMainForm* form = env.CreateMainForm();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        form->show();
        form->resize(1028, form->height());
        form->PageControlMenu->setCurrentWidget(form->TabSheetTODAY);
        QDateEdit* day = form->DateTimePickerTODAY;
        auto* field = day->findChild<QLineEdit*>();
        QVERIFY(field);
        for (const QDate date : {QDate(2026, 9, 30), QDate(2026, 2, 25), QDate(2026, 12, 23)}) {
            day->setDate(date);
            QCoreApplication::sendPostedEvents();
            const QString shown = field->text();
            QVERIFY(shown.contains(QLatin1String("2026")));
            const int needed = field->fontMetrics().horizontalAdvance(shown);
            QVERIFY2(needed <= field->width() - 2,
                     qPrintable(QStringLiteral("%1: %2 of %3").arg(shown).arg(needed).arg(field->width())));
        }
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        day->setFocus(Qt::TabFocusReason);
        QVERIFY(day->hasFocus());
        QTest::keyClick(day, Qt::Key_Up);
        QCOMPARE(day->date(), QDate(2026, 12, 24));
        QCOMPARE(form->Calendario_Lato->selectedDate(), QDate(2026, 12, 24));
        QTest::keyClick(day, Qt::Key_Down);
        QTest::keyClick(day, Qt::Key_Down);
        QCOMPARE(day->date(), QDate(2026, 12, 22));
        QTest::keyClicks(day, QStringLiteral("7"));
        QCOMPARE(day->date(), QDate(2026, 12, 22));
        // Space opens the calendar; a day chosen there with the keys becomes the day shown.
        QTest::keyClick(day, Qt::Key_Space);
        QCalendarWidget* calendar = day->calendarWidget();
        QTRY_VERIFY(calendar->isVisible());
        QTest::keyClick(calendar->focusWidget() ? calendar->focusWidget() : calendar, Qt::Key_Right);
        QTest::keyClick(calendar->focusWidget() ? calendar->focusWidget() : calendar, Qt::Key_Return);
        QTRY_VERIFY(!calendar->isVisible());
        QCOMPARE(day->date(), QDate(2026, 12, 23));
        QCOMPARE(form->Calendario_Lato->selectedDate(), QDate(2026, 12, 23));
    }
};

QTEST_MAIN(LargeTextTest)
#include "tst_largetext.moc"
