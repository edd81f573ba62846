#include "app/MainForm.h"
#include "dialogs/SelectForm.h"
#include "platform/Modal.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QCalendarWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <functional>

using namespace qm;

namespace {

// Runs the picker on `date` as a caller does and lets `act` play the user's part.
void Pick(const QDate& date, const std::function<void(TSelectForm&)>& act) {
    SelectForm->MonthCalendar1->setSelectedDate(date);
    ModalSeam::Queue([act](QDialog& dialog) { act(static_cast<TSelectForm&>(dialog)); });
    RunModal(*SelectForm);
}

QTableView* CalendarView(TSelectForm& form) {
    return form.MonthCalendar1->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
}

} // namespace

class TestSelectForm : public QObject {
    Q_OBJECT

private slots:
    void frameAndControls() {
        TestEnvironment env;
        env.CreateMainForm();
        QVERIFY(SelectForm);
        QCOMPARE(SelectForm->windowTitle(), QStringLiteral("-> Calendar"));
        QVERIFY(SelectForm->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(SelectForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(SelectForm->SpeedButtonKeep->text(), QStringLiteral("Use"));
        QCOMPARE(SelectForm->SpeedButton2->text(), QStringLiteral("Close"));
        QCOMPARE(SelectForm->Panel2->Color(), Colors::clWhite);
        env.DestroyMainForm();
        QVERIFY(!SelectForm);
    }

    void useWritesTheDateAndItsMonthDay() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Pick(QDate(2027, 3, 9), [](TSelectForm& picker) { picker.SpeedButtonKeep->click(); });
        QCOMPARE(form->SelectedDate, QDate(2027, 3, 9));
        QCOMPARE(form->SelectedMonthDay, QStringLiteral("03/09"));
        QVERIFY(!SelectForm->isVisible());

        // The date the user clicked on, not the one the picker opened on.
        Pick(QDate(2027, 3, 9), [](TSelectForm& picker) {
            picker.MonthCalendar1->setSelectedDate(QDate(2027, 3, 21));
            picker.SpeedButtonKeep->click();
        });
        QCOMPARE(form->SelectedDate, QDate(2027, 3, 21));
        QCOMPARE(form->SelectedMonthDay, QStringLiteral("03/21"));
    }

    void enterUsesEscAndCloseChangeNothing() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Pick(QDate(2027, 5, 1),
             [](TSelectForm& picker) { QTest::keyClick(CalendarView(picker), Qt::Key_Return); });
        QCOMPARE(form->SelectedDate, QDate(2027, 5, 1));
        QCOMPARE(form->SelectedMonthDay, QStringLiteral("05/01"));

        Pick(QDate(2027, 8, 15), [](TSelectForm& picker) {
            QTest::keyClick(CalendarView(picker), Qt::Key_Escape);
            QVERIFY(!picker.isVisible());
        });
        Pick(QDate(2027, 8, 15), [](TSelectForm& picker) { picker.SpeedButton2->click(); });
        QCOMPARE(form->SelectedDate, QDate(2027, 5, 1));
        QCOMPARE(form->SelectedMonthDay, QStringLiteral("05/01"));
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    void doubleClickActsOnlyOnceArmedInTheSameMonth() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QVERIFY(!SelectForm->DblClickArmed());

        // Another month than the one shown: the first double-click only arms, the second picks.
        Pick(QDate(2027, 2, 10), [](TSelectForm& picker) {
            QVERIFY(!picker.DblClickArmed());
            picker.MonthCalendar1->setSelectedDate(QDate(2027, 2, 12));
            emit picker.MonthCalendar1->activated(QDate(2027, 2, 12));
            QVERIFY(picker.isVisible());
            QVERIFY(picker.DblClickArmed());
            emit picker.MonthCalendar1->activated(QDate(2027, 2, 12));
            QVERIFY(!picker.isVisible());
        });
        QCOMPARE(form->SelectedDate, QDate(2027, 2, 12));

        // Same month again: the rule is still armed from the last showing.
        Pick(QDate(2027, 2, 20), [](TSelectForm& picker) {
            emit picker.MonthCalendar1->activated(QDate(2027, 2, 20));
            QVERIFY(!picker.isVisible());
        });
        QCOMPARE(form->SelectedDate, QDate(2027, 2, 20));

        // The caller opening it on another month disarms it.
        Pick(QDate(2027, 3, 5), [](TSelectForm& picker) {
            QVERIFY(!picker.DblClickArmed());
            emit picker.MonthCalendar1->activated(QDate(2027, 3, 5));
            QVERIFY(picker.isVisible());
        });
        QCOMPARE(form->SelectedDate, QDate(2027, 2, 20));

        // Scrolling to another month disarms it.
        Pick(QDate(2027, 2, 20), [](TSelectForm& picker) {
            picker.MonthCalendar1->showNextMonth();
            QVERIFY(!picker.DblClickArmed());
            emit picker.MonthCalendar1->activated(QDate(2027, 2, 20));
            QVERIFY(picker.isVisible());
        });
        QCOMPARE(form->SelectedDate, QDate(2027, 2, 20));
    }

    void aRealDoubleClickOnADayIsSeen() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Pick(QDate(2027, 6, 16), [](TSelectForm& picker) {
            QTableView* view = CalendarView(picker);
            QVERIFY(view);
            const QModelIndex index = view->currentIndex();
            QVERIFY(index.isValid());
            const QPoint centre = view->visualRect(index).center();
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
            QVERIFY(picker.DblClickArmed());
            QVERIFY(picker.isVisible());
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
            QVERIFY(!picker.isVisible());
        });
        QCOMPARE(form->SelectedDate, QDate(2027, 6, 16));
    }

    void monthDayIsAlwaysFiveCharacters() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Pick(QDate(2027, 1, 4), [](TSelectForm& picker) { picker.SpeedButtonKeep->click(); });
        QCOMPARE(form->SelectedMonthDay, QStringLiteral("01/04"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Pick(QDate(2027, 12, 31), [](TSelectForm& picker) { picker.SpeedButtonKeep->click(); });
        QCOMPARE(form->SelectedMonthDay, QStringLiteral("12.31"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void draggingTheBorderMovesTheWindow_data() {
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<bool>("moves");
        const int near = QApplication::startDragDistance() - 1;
        QTest::newRow("a tap") << QPoint() << false;
        QTest::newRow("short of the drag distance") << QPoint(near, 0) << false;
        QTest::newRow("a drag") << QPoint(30, 20) << true;
    }

    void draggingTheBorderMovesTheWindow() {
        QFETCH(QPoint, travel);
        QFETCH(bool, moves);
        TestEnvironment env;
        env.CreateMainForm();
        Pick(QDate(2027, 1, 4), [travel, moves](TSelectForm& picker) {
            const QPoint start = picker.pos();
            TPanel* border = picker.Panel_Border;
            const QPoint at(2, 2);
            QTest::mousePress(border, Qt::LeftButton, {}, at);
            QVERIFY(!picker.IsDragging());
            QTest::mouseMove(border, at + travel);
            QCOMPARE(picker.IsDragging(), moves);
            const QPoint end = start + (moves ? travel : QPoint());
            QCOMPARE(picker.pos(), end);
            QTest::mouseRelease(border, Qt::LeftButton, {}, at + travel);
            QVERIFY(!picker.IsDragging());
            // Once released, moving the mouse moves nothing.
            QTest::mouseMove(border, at + QPoint(40, 30));
            QCOMPARE(picker.pos(), end);
            QVERIFY(picker.isVisible());
        });
    }
};

QTEST_MAIN(TestSelectForm)
#include "tst_selectform.moc"
