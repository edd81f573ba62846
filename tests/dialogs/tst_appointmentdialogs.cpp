#include "app/MainForm.h"
#include "dialogs/AppointmentDialogs.h"
#include "dialogs/SelectForm.h"
#include "engine/Query.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "platform/widgets/MaskEdit.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QtTest>
#include <functional>

using namespace qm;

namespace {

const QString kColumns =
    QStringLiteral("codimp,id,note,dayofmonth,dayofweek,dayindex,datefull,data,orario,orario2,flag");
enum Column { Key, Title, Note, DayOfMonth, DayOfWeek, DayIndex, DateFull, Data, From, To, Flag };

QList<QStringList> AllRows(const TestEnvironment& env) {
    return TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMarc80.db")),
                                       QStringLiteral("SELECT ") + kColumns +
                                           QStringLiteral(" FROM QMarc80 ORDER BY codimp"));
}

void Insert(const TestEnvironment& env, const QString& columns, const QString& values) {
    TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMarc80.db")),
                                QStringLiteral("INSERT INTO QMarc80 (") + columns +
                                    QStringLiteral(") VALUES (") + values + QStringLiteral(")"));
}

void Fill(TAppointmentForm& d, const QString& title, const QString& note, const QString& from,
          const QString& to) {
    d.Edit_id->setText(title);
    d.Memo->setPlainText(note);
    d.MaskEdit_Hour->SetText(from);
    d.MaskEdit_hour2->SetText(to);
}

// Text committed by an input method, as when a character outside Latin-1 is typed or pasted.
void Commit(QWidget* target, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

// Opens the date picker from the dialog and picks `date` with "Use" (or leaves with "Close");
// returns the date the picker opened on.
QDate PickDate(TAppointmentForm& d, const QDate& date, bool use = true) {
    QDate openedOn;
    ModalSeam::Queue([&](QDialog& dialog) {
        auto& picker = static_cast<TSelectForm&>(dialog);
        openedOn = picker.MonthCalendar1->selectedDate();
        picker.MonthCalendar1->setSelectedDate(date);
        (use ? picker.SpeedButtonKeep : picker.SpeedButton2)->click();
    });
    d.SpeedButtonShowCalendar->click();
    return openedOn;
}

// Clicks a main-window button's handler with the dialog's part played by `act`.
void RunOpener(const std::function<void()>& opener, const std::function<void(TAppointmentForm&)>& act) {
    ModalSeam::Queue([act](QDialog& dialog) {
        auto* form = dynamic_cast<TAppointmentForm*>(&dialog);
        QVERIFY(form);
        act(*form);
    });
    opener();
    QCOMPARE(ModalSeam::PendingCount(), 0);
    QCOMPARE(ModalSeam::UnhandledCount(), 0);
}

qint64 CurrentKey(TQuery* query) {
    return query->FieldByName(QStringLiteral("codimp")).AsInteger();
}

void PutOnKey(TQuery* query, qint64 key) {
    for (int row = 1; row <= query->RecordCount(); ++row) {
        query->SetRecNo(row);
        if (CurrentKey(query) == key)
            return;
    }
    QFAIL("key not listed");
}

// Every row but `key` is as it was; returns the row of `key` now.
QStringList OnlyRowChanged(const QList<QStringList>& before, const QList<QStringList>& after, qint64 key) {
    QStringList changed;
    if (before.size() != after.size())
        return {QStringLiteral("row count changed")};
    for (int i = 0; i < before.size(); ++i) {
        if (after[i][Key].toLongLong() == key)
            changed = after[i];
        else if (after[i] != before[i])
            return {QStringLiteral("another row changed")};
    }
    return changed;
}

} // namespace

class TestAppointmentDialogs : public QObject {
    Q_OBJECT

private slots:
    void monthlyInsertThroughTheTab() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->SelectedDate = QDate(2026, 1, 1);
        QDate openedOn;
        RunOpener([form] { form->SpeedButtonAggMeseClick(); },
                  [&](TAppointmentForm& d) {
                      QVERIFY(dynamic_cast<TAggMeseForm*>(&d));
                      QCOMPARE(d.windowTitle(), QStringLiteral("-> New Montly Task"));
                      QCOMPARE(form->SelectedDate, QDate(2026, 12, 7));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("07"));
                      QCOMPARE(d.Panel_colored->Color(), form->SectionColors.MonthColor);
                      QCOMPARE(d.focusWidget(), d.Edit_id);
                      Fill(d, QStringLiteral("Rent"), QStringLiteral("Flat\nand garage"),
                           QStringLiteral("09:15"), QStringLiteral(" 8:05"));
                      openedOn = PickDate(d, QDate(2027, 1, 23));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("23"));
                      QCOMPARE(SelectForm->Panel_colored->Color(), d.Panel_colored->Color());
                      QCOMPARE(SelectForm->Panel_Border->Color(), d.Panel_colored->Color());
                      QTest::keyClick(d.Edit_id, Qt::Key_Return);
                      QVERIFY(!d.isVisible());
                  });
        QCOMPARE(openedOn, QDate(2026, 12, 7));
        const QList<QStringList> rows = AllRows(env);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].mid(Title), QStringList({"Rent", "Flat\nand garage", "23", "", "<null>",
                                                  "2027-01-23", "", "09:15", " 8:05", "M"}));
        QCOMPARE(form->QueryMonth->RecordCount(), 1);
    }

    void weeklyInsertNumbersTheDayFromSunday() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        RunOpener([form] { form->SpeedButtonAggWeekClick(); },
                  [&](TAppointmentForm& d) {
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("Monday"));
                      Fill(d, QStringLiteral("Mass"), QString(), QStringLiteral("  :  "),
                           QStringLiteral("  :  "));
                      PickDate(d, QDate(2026, 12, 13));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("Sunday"));
                      // The weekly add dialog always opens the picker on today.
                      QCOMPARE(PickDate(d, QDate(2026, 12, 19), false), QDate(2026, 12, 7));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("Sunday"));
                      d.SpeedButton1->click();
                      PickDate(d, QDate(2026, 12, 19));
                      d.Edit_id->setText(QStringLiteral("Market"));
                      d.SpeedButtonAddClose->click();
                  });
        const QList<QStringList> rows = AllRows(env);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].mid(Title),
                 QStringList({"Mass", "", "", "Sunday", "1", "2026-12-13", "", "  :  ", "  :  ", "W"}));
        QCOMPARE(rows[1][DayOfWeek], QStringLiteral("Saturday"));
        QCOMPARE(rows[1][DayIndex], QStringLiteral("7"));
    }

    void yearlyInsertKeepsMonthAndDay() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->YearDateFormat = QStringLiteral("dd mmmm");
        RunOpener([form] { form->SpeedButtonAddYearClick(); },
                  [&](TAppointmentForm& d) {
                      QCOMPARE(form->SelectedMonthDay, QStringLiteral("12/07"));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("07 December"));
                      d.Edit_id->setText(QStringLiteral("Today's"));
                      d.SpeedButton1->click();
                      // The yearly dialog opens the picker on the date in use.
                      QCOMPARE(PickDate(d, QDate(2027, 3, 9)), QDate(2026, 12, 7));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("09 March"));
                      d.Edit_id->setText(QStringLiteral("Ada"));
                      d.SpeedButtonAddClose->click();
                  });
        const QList<QStringList> rows = AllRows(env);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][Data], QStringLiteral("12/07"));
        QCOMPARE(rows[1].mid(Title),
                 QStringList({"Ada", "", "", "", "<null>", "2027-03-09", "03/09", "  :  ", "  :  ", "Y"}));
    }

    void oneShotMarkersAndGreying() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        RunOpener([form] { form->SpeedButtonadShotClick(); },
                  [&](TAppointmentForm& d) {
                      QCOMPARE(d.Marker(), QString());
                      d.Edit_id->setText(QStringLiteral("Plain"));
                      d.SpeedButton1->click();

                      d.CheckBox_DeleteAfter->click();
                      QVERIFY(!d.CheckBox_Torment->isEnabled());
                      d.Edit_id->setText(QStringLiteral("Gone after"));
                      d.SpeedButton1->click();
                      // "Insert" keeps the boxes as they are.
                      QVERIFY(d.CheckBox_DeleteAfter->isChecked());

                      d.CheckBox_DeleteAfter->click();
                      QVERIFY(d.CheckBox_Torment->isEnabled());
                      d.CheckBox_Torment->click();
                      QVERIFY(!d.CheckBox_DeleteAfter->isEnabled());
                      // A greyed box keeps its check, and "T" wins over "X".
                      d.CheckBox_DeleteAfter->setChecked(true);
                      QVERIFY(!d.CheckBox_DeleteAfter->isEnabled());
                      QCOMPARE(d.Marker(), QStringLiteral("T"));
                      d.Edit_id->setText(QStringLiteral("Every day"));
                      d.SpeedButtonAddClose->click();
                  });
        const QList<QStringList> rows = AllRows(env);
        QCOMPARE(rows.size(), 3);
        QStringList markers;
        for (const QStringList& row : rows) {
            QCOMPARE(row[Flag], QStringLiteral("O"));
            QCOMPARE(row[DateFull], QStringLiteral("2026-12-07"));
            markers << row[DayOfWeek];
        }
        QCOMPARE(markers, QStringList({"", "X", "T"}));
    }

    void insertClearsTextButKeepsDate() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        RunOpener([form] { form->SpeedButtonAggMeseClick(); },
                  [&](TAppointmentForm& d) {
                      PickDate(d, QDate(2026, 12, 24));
                      for (int i = 0; i < 2; ++i) {
                          Fill(d, QStringLiteral("Same"), QStringLiteral("twice"), QStringLiteral("10:00"),
                               QStringLiteral("11:00"));
                          d.Memo->setFocus();
                          d.SpeedButton1->click();
                          QVERIFY(d.isVisible());
                          QCOMPARE(d.Edit_id->text(), QString());
                          QCOMPARE(d.Memo->toPlainText(), QString());
                          QCOMPARE(d.MaskEdit_Hour->Text(), QStringLiteral("  :  "));
                          QCOMPARE(d.MaskEdit_hour2->Text(), QStringLiteral("  :  "));
                          QCOMPARE(d.focusWidget(), d.Edit_id);
                          QCOMPARE(d.DateLabel->text(), QStringLiteral("24"));
                      }
                      d.SpeedButton3->click();
                  });
        const QList<QStringList> rows = AllRows(env);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].mid(Title), rows[1].mid(Title));
        QCOMPARE(rows[1][DayOfMonth], QStringLiteral("24"));
    }

    void insertOnTheTasksTabRebuildsTheTasksList() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
        const int listed = form->QueryTODAY->RecordCount();
        RunOpener([form] { form->SpeedButtonadShotClick(); },
                  [&](TAppointmentForm& d) {
                      d.Edit_id->setText(QStringLiteral("Now"));
                      d.SpeedButton1->click();
                      QCOMPARE(form->QueryTODAY->RecordCount(), listed + 1);
                      d.Edit_id->setText(QStringLiteral("Later"));
                      d.SpeedButtonAddClose->click();
                      QCOMPARE(form->QueryTODAY->RecordCount(), listed + 1);
                  });
    }

    void emptyTitleIsFilledIn() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        RunOpener([form] { form->SpeedButtonadShotClick(); },
                  [&](TAppointmentForm& d) {
                      d.SpeedButtonAddClose->click();
                      QCOMPARE(d.Edit_id->text(), QStringLiteral("Introduce the sister to Tarquindo!"));
                  });
        QCOMPARE(AllRows(env).value(0).value(Title), QStringLiteral("Introduce the sister to Tarquindo!"));
    }

    void keysEscEnterAndNewLine() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        RunOpener([form] { form->SpeedButtonAggWeekClick(); },
                  [&](TAppointmentForm& d) {
                      d.Edit_id->setText(QStringLiteral("Never"));
                      QTest::keyClick(d.Memo, Qt::Key_Escape);
                      QVERIFY(!d.isVisible());
                  });
        QCOMPARE(AllRows(env).size(), 0);

        RunOpener([form] { form->SpeedButtonAggWeekClick(); },
                  [&](TAppointmentForm& d) {
                      d.Edit_id->setText(QStringLiteral("Lines"));
                      d.Memo->setFocus();
                      QTest::keyClicks(d.Memo, QStringLiteral("one"));
                      QTest::keyClick(d.Memo, Qt::Key_Return);
                      QTest::keyClicks(d.Memo, QStringLiteral("two"));
                      QVERIFY(d.isVisible());
                      QTest::keyClick(d.MaskEdit_hour2, Qt::Key_Enter);
                      QVERIFY(!d.isVisible());
                  });
        QCOMPARE(AllRows(env).value(0).value(Note), QStringLiteral("one\ntwo"));
    }

    void fieldsHoldAtMost255Characters() {
        // The limits count characters and cut what is typed or pasted at a character's edge.
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString smile = QStringLiteral("\U0001F600");
        RunOpener([form] { form->SpeedButtonadShotClick(); },
                  [&](TAppointmentForm& d) {
                      d.Edit_id->setFocus();
                      QTest::keyClicks(d.Edit_id, QString(250, u'x'));
                      Commit(d.Edit_id, smile.repeated(10));
                      QCOMPARE(d.Edit_id->text(), QString(250, u'x') + smile.repeated(5));
                      d.Memo->setFocus();
                      Commit(d.Memo, smile.repeated(300));
                      QTest::keyClicks(d.Memo, QStringLiteral("more"));
                      QCOMPARE(d.Memo->toPlainText(), smile.repeated(255));
                      QTest::keyClick(d.MaskEdit_hour2, Qt::Key_Enter);
                  });
        QCOMPARE(AllRows(env).value(0).value(Title), QString(250, u'x') + smile.repeated(5));
        QCOMPARE(AllRows(env).value(0).value(Note), smile.repeated(255));

        // Typing in the middle of a full memo cuts what was typed, not the text after it.
        TAggShotForm d(form);
        d.Memo->setFocus();
        Commit(d.Memo, QString(250, u'b'));
        d.Memo->moveCursor(QTextCursor::Start);
        QTest::keyClicks(d.Memo, QStringLiteral("1234567"));
        QCOMPARE(d.Memo->toPlainText(), QStringLiteral("12345") + QString(250, u'b'));
    }

    void modifyKeepsWhatWasNotTouched() {
        // A stored title longer than the limit, and a note with CR LF, a no-break space and a line
        // separator, go back as they were when only the time is changed.
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString title = QString(300, u't');
        const QString note = QStringLiteral("a\r\nb\u00a0c\u2028d");
        Insert(env, QStringLiteral("id,note,dayofmonth,datefull,orario,orario2,flag"),
               QStringLiteral("'%1','%2','05','2026-11-05','08:00','09:00','M'").arg(title, note));
        form->RefreshMonthQuery();
        RunOpener([form] { form->SpeedButtonModMeseClick(); },
                  [&](TAppointmentForm& d) {
                      QCOMPARE(d.Edit_id->text(), title);
                      // Typing at the end of the over-long title is refused; the stored title stays
                      // whole.
                      QTest::keyClick(d.Edit_id, Qt::Key_End);
                      QTest::keyClicks(d.Edit_id, QStringLiteral("zz"));
                      QCOMPARE(d.Edit_id->text(), title);
                      d.SpeedButtonMod->click();
                  });
        QCOMPARE(AllRows(env).value(0).value(Title), title);
        QCOMPARE(AllRows(env).value(0).value(Note), note);

        // An edit of the note keeps its no-break space and line separator.
        RunOpener([form] { form->SpeedButtonModMeseClick(); },
                  [&](TAppointmentForm& d) {
                      d.Memo->setFocus();
                      d.Memo->moveCursor(QTextCursor::End);
                      QTest::keyClicks(d.Memo, QStringLiteral("e"));
                      d.SpeedButtonMod->click();
                  });
        QCOMPARE(AllRows(env).value(0).value(Note), QStringLiteral("a\nb\u00a0c\u2028de"));
    }

    void focusColourAndDateLabelClick() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->CurrentSectionColor = Colors::clRed;
        TAggYearForm d(form);
        QFocusEvent focusIn(QEvent::FocusIn);
        QApplication::sendEvent(d.MaskEdit_Hour, &focusIn);
        QCOMPARE(d.MaskEdit_Hour->palette().color(QPalette::Base), ToQColor(Colors::clRed));
        QFocusEvent focusOut(QEvent::FocusOut);
        QApplication::sendEvent(d.MaskEdit_Hour, &focusOut);
        QCOMPARE(d.MaskEdit_Hour->palette().color(QPalette::Base), ToQColor(Colors::clWhite));

        // A click on the date opens the picker; the mouse moving on while it is held does not move
        // the window.
        bool opened = false;
        ModalSeam::Queue([&](QDialog&) { opened = true; });
        const QPoint start = d.pos();
        const QPoint at = d.DateLabel->rect().center();
        const QPoint on = at + QPoint(QApplication::startDragDistance() + 1, 0);
        QTest::mousePress(d.DateLabel, Qt::LeftButton, {}, at);
        QTest::mouseMove(d.DateLabel, on);
        QVERIFY(!d.IsDragging());
        QCOMPARE(d.pos(), start);
        QTest::mouseRelease(d.DateLabel, Qt::LeftButton, {}, on);
        QVERIFY(opened);
    }

    void invalidTimesAreRefused_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("startField");
        QTest::newRow("hour 25") << "25:00"
                                 << "  :  "
                                 << "The start time \"25:00\" is not a valid time (hh:mm, 00:00 to 23:59)."
                                 << true;
        QTest::newRow("nines") << "99:99"
                               << "10:00"
                               << "The start time \"99:99\" is not a valid time (hh:mm, 00:00 to 23:59)."
                               << true;
        QTest::newRow("half typed end")
            << "10:00"
            << "1 :  "
            << "The end time \"1_:__\" is not a valid time (hh:mm, 00:00 to 23:59)." << false;
        QTest::newRow("half typed minute")
            << "  :  "
            << "12:7 "
            << "The end time \"12:7_\" is not a valid time (hh:mm, 00:00 to 23:59)." << false;
    }
    void invalidTimesAreRefused() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        QFETCH(bool, startField);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        MessageBoxSeam::QueueAnswer(Id::Ok);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        RunOpener([form] { form->SpeedButtonAggMeseClick(); },
                  [&](TAppointmentForm& d) {
                      Fill(d, QString(), QStringLiteral("n"), from, to);
                      d.SpeedButtonAddClose->click();
                      QVERIFY(d.isVisible());
                      QCOMPARE(d.focusWidget(), startField ? d.MaskEdit_Hour : d.MaskEdit_hour2);
                      d.SpeedButton1->click();
                      QVERIFY(d.isVisible());
                      QCOMPARE(d.Edit_id->text(), QString());
                      QCOMPARE(d.MaskEdit_Hour->Text(), from);
                      QCOMPARE(d.MaskEdit_hour2->Text(), to);
                  });
        QCOMPARE(AllRows(env).size(), 0);
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text, message);
        QCOMPARE(boxes[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(boxes[0].flags, Mb::Ok + Mb::IconExclamation);
    }

    void engineFailureKeepsTheDialogOpen() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMarc80.db")),
                                    QStringLiteral("DROP TABLE QMarc80"));
        MessageBoxSeam::QueueAnswer(Id::Ok);
        RunOpener([form] { form->SpeedButtonAggMeseClick(); },
                  [&](TAppointmentForm& d) {
                      d.Edit_id->setText(QStringLiteral("Lost?"));
                      d.SpeedButtonAddClose->click();
                      QVERIFY(d.isVisible());
                      QCOMPARE(d.Edit_id->text(), QStringLiteral("Lost?"));
                  });
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(MessageBoxSeam::Shown()[0].text.contains(QStringLiteral("QMarc80")));
    }

    void monthlyModifyFollowsTheMovedRow() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString columns = QStringLiteral("id,note,dayofmonth,datefull,orario,orario2,flag");
        Insert(env, columns, QStringLiteral("'Rent','pay','05','2026-11-05','08:00','09:00','M'"));
        Insert(env, columns, QStringLiteral("'Gym','','10','2026-11-10','18:00','19:00','M'"));
        Insert(env, columns, QStringLiteral("'Bills','','20','2026-11-20','  :  ','  :  ','M'"));
        Insert(env, QStringLiteral("id,dayofweek,dayindex,datefull,flag"),
               QStringLiteral("'Swim','Friday',6,'2026-12-11','W'"));
        form->RefreshMonthQuery();
        PutOnKey(form->QueryMonth, 1);
        QCOMPARE(form->QueryMonth->RecNo(), 1);
        const QList<QStringList> before = AllRows(env);

        RunOpener([form] { form->SpeedButtonModMeseClick(); },
                  [&](TAppointmentForm& d) {
                      QVERIFY(dynamic_cast<TModMeseForm*>(&d));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("05"));
                      QCOMPARE(d.MaskEdit_Hour->Text(), QStringLiteral("08:00"));
                      QCOMPARE(d.Edit_id->text(), QStringLiteral("Rent"));
                      QCOMPARE(d.Memo->toPlainText(), QStringLiteral("pay"));
                      QCOMPARE(d.focusWidget(), d.Edit_id);
                      // The modify dialog opens the picker on the entry's own date.
                      QCOMPARE(PickDate(d, QDate(2026, 11, 25)), QDate(2026, 11, 5));
                      d.Edit_id->setText(QStringLiteral("Rent due"));
                      d.SpeedButtonMod->click();
                      QVERIFY(!d.isVisible());
                  });
        QCOMPARE(
            OnlyRowChanged(before, AllRows(env), 1).mid(Title),
            QStringList({"Rent due", "pay", "25", "", "<null>", "2026-11-25", "", "08:00", "09:00", "M"}));
        QCOMPARE(CurrentKey(form->QueryMonth), 1);
        QCOMPARE(form->QueryMonth->RecNo(), 3);
        QCOMPARE(form->SavedRecNo, 1);
    }

    void modifiedEntryNoLongerListedLeavesTheRowNumber() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString columns = QStringLiteral("id,dayofmonth,datefull,orario,orario2,flag");
        Insert(env, columns, QStringLiteral("'Alpha','03','2026-11-03','  :  ','  :  ','M'"));
        Insert(env, columns, QStringLiteral("'Beta','04','2026-11-04','  :  ','  :  ','M'"));
        Insert(env, columns, QStringLiteral("'Gamma','05','2026-11-05','  :  ','  :  ','M'"));
        form->Edit_Find_Mese->setText(QStringLiteral("a"));
        form->RefreshMonthQuery();
        PutOnKey(form->QueryMonth, 2);
        RunOpener([form] { form->SpeedButtonModMeseClick(); },
                  [&](TAppointmentForm& d) {
                      d.Edit_id->setText(QStringLiteral("Bet"));
                      d.SpeedButtonMod->click();
                  });
        QCOMPARE(form->QueryMonth->RecordCount(), 2);
        QCOMPARE(form->QueryMonth->RecNo(), 2);
        QCOMPARE(CurrentKey(form->QueryMonth), 3);
    }

    void monthlyModifyKeepsTheStoredDay() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Insert(env, QStringLiteral("id,dayofmonth,datefull,orario,orario2,flag"),
               QStringLiteral("'Odd','31','2026-11-05',' 7:30','  :  ','M'"));
        form->RefreshMonthQuery();
        RunOpener([form] { form->SpeedButtonModMeseClick(); },
                  [&](TAppointmentForm& d) {
                      QCOMPARE(d.MaskEdit_Hour->Text(), QStringLiteral(" 7:30"));
                      QTest::keyClick(d.MaskEdit_Hour, Qt::Key_Return);
                  });
        const QStringList row = AllRows(env).value(0);
        QCOMPARE(row[DayOfMonth], QStringLiteral("31"));
        QCOMPARE(row[From], QStringLiteral(" 7:30"));
        QCOMPARE(row[To], QStringLiteral("  :  "));
    }

    void weeklyModifyRenamesTheDayFromItsDate() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString columns = QStringLiteral("id,note,dayofweek,dayindex,datefull,orario,orario2,flag");
        Insert(env, columns, QStringLiteral("'Swim','','Funday',9,'2026-12-09','07:00','08:00','W'"));
        Insert(env, columns, QStringLiteral("'Choir','','Monday',2,'2026-12-07','20:00','22:00','W'"));
        Insert(env, columns, QStringLiteral("'Cards','','Friday',6,'2026-12-11','21:00','23:00','W'"));
        form->RefreshWeekQuery();
        PutOnKey(form->QueryWeek, 1);
        QCOMPARE(form->QueryWeek->RecNo(), 3);
        const QList<QStringList> before = AllRows(env);
        RunOpener([form] { form->SpeedButtonModWeekClick(); },
                  [&](TAppointmentForm& d) {
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("Wednesday"));
                      QCOMPARE(d.Panel_colored->objectName(), QStringLiteral("Panel_Colored"));
                      QCOMPARE(PickDate(d, QDate(2026, 12, 30), false), QDate(2026, 12, 9));
                      QCOMPARE(d.DateLabel->text(), QStringLiteral("Wednesday"));
                      d.SpeedButtonMod->click();
                  });
        const QStringList row = OnlyRowChanged(before, AllRows(env), 1);
        QCOMPARE(row[DayOfWeek], QStringLiteral("Wednesday"));
        QCOMPARE(row[DayIndex], QStringLiteral("4"));
        QCOMPARE(row[Flag], QStringLiteral("W"));
        QCOMPARE(CurrentKey(form->QueryWeek), 1);
        QCOMPARE(form->QueryWeek->RecNo(), 2);
    }

    void yearlyModifyTakesMonthDayFromTheDate() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString columns = QStringLiteral("id,note,datefull,data,orario,orario2,flag");
        Insert(env, columns, QStringLiteral("'Birthday','cake','2027-06-15','01/01','  :  ','  :  ','Y'"));
        Insert(env, columns, QStringLiteral("'Spring','','2027-03-01','03/01','  :  ','  :  ','Y'"));
        Insert(env, columns, QStringLiteral("'Autumn','','2027-09-01','09/01','  :  ','  :  ','Y'"));
        form->RefreshYearQuery();
        PutOnKey(form->QueryYear, 1);
        QCOMPARE(form->QueryYear->RecNo(), 1);
        const QList<QStringList> before = AllRows(env);
        RunOpener([form] { form->SpeedButtonModYearClick(); },
                  [&](TAppointmentForm& d) {
                      QCOMPARE(form->SelectedMonthDay, QStringLiteral("06/15"));
                      QCOMPARE(d.Memo->toPlainText(), QStringLiteral("cake"));
                      d.SpeedButtonMod->click();
                  });
        const QStringList row = OnlyRowChanged(before, AllRows(env), 1);
        QCOMPARE(row[Data], QStringLiteral("06/15"));
        QCOMPARE(row[DateFull], QStringLiteral("2027-06-15"));
        QCOMPARE(CurrentKey(form->QueryYear), 1);
        QCOMPARE(form->QueryYear->RecNo(), 2);
    }

    void oneShotModifyLoadsAndChangesTheMarker() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString columns = QStringLiteral("id,note,datefull,orario,orario2,flag,dayofweek");
        Insert(env, columns, QStringLiteral("'Party','','2026-12-20','21:00','  :  ','O','X'"));
        Insert(env, columns, QStringLiteral("'Dentist','','2026-12-10','09:00','  :  ','O',''"));
        Insert(env, columns, QStringLiteral("'Odd','','2026-12-01','09:00','  :  ','O','Q'"));
        form->RefreshShotQuery();
        PutOnKey(form->QueryShot, 1);
        QCOMPARE(form->QueryShot->RecNo(), 1);
        const QList<QStringList> before = AllRows(env);
        RunOpener([form] { form->SpeedButtonModShotClick(); },
                  [&](TAppointmentForm& d) {
                      QVERIFY(d.CheckBox_DeleteAfter->isChecked());
                      QVERIFY(!d.CheckBox_Torment->isChecked());
                      QVERIFY(!d.CheckBox_Torment->isEnabled());
                      d.CheckBox_DeleteAfter->click();
                      QVERIFY(d.CheckBox_Torment->isEnabled());
                      d.CheckBox_Torment->click();
                      PickDate(d, QDate(2026, 11, 1));
                      d.PrintButton->click();
                      d.SpeedButtonMod->click();
                  });
        const QStringList row = OnlyRowChanged(before, AllRows(env), 1);
        QCOMPARE(row[DayOfWeek], QStringLiteral("T"));
        QCOMPARE(row[DateFull], QStringLiteral("2026-11-01"));
        QCOMPARE(CurrentKey(form->QueryShot), 1);
        QCOMPARE(form->QueryShot->RecNo(), 3);
        QCOMPARE(PrintSeam::Printed().size(), 1);
        QCOMPARE(PrintSeam::Printed()[0].objectName, QStringLiteral("ModShotForm"));

        // A marker the program never writes opens with both boxes clear and is saved empty.
        PutOnKey(form->QueryShot, 3);
        RunOpener([form] { form->SpeedButtonModShotClick(); },
                  [&](TAppointmentForm& d) {
                      QVERIFY(!d.CheckBox_DeleteAfter->isChecked());
                      QVERIFY(!d.CheckBox_Torment->isChecked());
                      QVERIFY(d.CheckBox_DeleteAfter->isEnabled() && d.CheckBox_Torment->isEnabled());
                      d.SpeedButtonMod->click();
                  });
        QCOMPARE(AllRows(env).value(2).value(DayOfWeek), QString());
    }

    void modifyLeftWithoutSavingChangesNothing() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString columns = QStringLiteral("id,dayofmonth,datefull,orario,orario2,flag");
        Insert(env, columns, QStringLiteral("'A','03','2026-11-03','  :  ','  :  ','M'"));
        Insert(env, columns, QStringLiteral("'B','04','2026-11-04','  :  ','  :  ','M'"));
        form->RefreshMonthQuery();
        PutOnKey(form->QueryMonth, 2);
        const QList<QStringList> before = AllRows(env);
        RunOpener([form] { form->SpeedButtonModMeseClick(); },
                  [&](TAppointmentForm& d) {
                      d.Edit_id->setText(QStringLiteral("changed"));
                      d.SpeedButton3->click();
                  });
        QCOMPARE(AllRows(env), before);
        QCOMPARE(CurrentKey(form->QueryMonth), 2);
    }
};

QTEST_MAIN(TestAppointmentDialogs)
#include "tst_appointmentdialogs.moc"
