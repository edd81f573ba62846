#include "ViewTestRows.h"
#include "app/MainForm.h"
#include "dialogs/AppointmentDialogs.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace qm;
using namespace qm::testrows;

namespace {

const QDate kToday(2026, 12, 7); // a Monday

void PutOnTitle(TQuery* query, const QString& title) {
    query->First();
    while (!query->Eof() && query->FieldByName(QStringLiteral("id")).AsString() != title)
        query->Next();
    QCOMPARE(query->FieldByName(QStringLiteral("id")).AsString(), title);
}

} // namespace

class TestTasksView : public QObject {
    Q_OBJECT
private slots:
    void daysMoveAndTodayButtonFollows();
    void sidePanelMarkerFile();
    void deleteAnsweredYesAndNo();
    void modifyReachesTheEntryOnlyWhenItsListShowsIt();
    void originShowsTheEntryInItsList();
    void refreshAllRebuildsEveryList();
};

void TestTasksView::daysMoveAndTodayButtonFollows() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    OneShot(env, QStringLiteral("Dentist"), QStringLiteral("2026-12-08"), QStringLiteral("10:00"));
    Weekly(env, QStringLiteral("Gym"), QStringLiteral("Monday"), 1, QStringLiteral("18:00"));
    OneShot(env, QStringLiteral("Every day"), QStringLiteral("2020-01-01"), QStringLiteral("07:00"),
            QStringLiteral("T"));

    form->SpeedButton11->click();
    form->SpeedButtonToday->click();
    QCOMPARE(form->DateTimePickerTODAY->date(), kToday);
    QVERIFY(!form->SpeedButtonToday->isEnabled());
    QCOMPARE(FieldValues(form->QueryTODAY, QStringLiteral("id")),
             QStringList({QStringLiteral("Every day"), QStringLiteral("Gym")}));

    form->SpeedButton11->click(); // day after
    QCOMPARE(form->DateTimePickerTODAY->date(), kToday.addDays(1));
    QCOMPARE(form->Calendario_Lato->selectedDate(), kToday.addDays(1));
    QVERIFY(form->SpeedButtonToday->isEnabled());
    QCOMPARE(FieldValues(form->QueryTODAY, QStringLiteral("id")),
             QStringList({QStringLiteral("Every day"), QStringLiteral("Dentist")}));

    form->SpeedButton8->click(); // day before
    form->SpeedButton8->click();
    QCOMPARE(form->DateTimePickerTODAY->date(), kToday.addDays(-1));
    QCOMPARE(form->Calendario_Lato->selectedDate(), kToday.addDays(-1));

    // A day picked in the side calendar, and one picked in the picker's own calendar.
    form->Calendario_Lato->setSelectedDate(kToday.addDays(1));
    form->Calendario_LatoClick();
    QCOMPARE(form->DateTimePickerTODAY->date(), kToday.addDays(1));
    QCOMPARE(form->QueryTODAY->RecordCount(), 2);
    form->DateTimePickerTODAY->setDate(kToday);
    QCOMPARE(form->Calendario_Lato->selectedDate(), kToday);
    QVERIFY(!form->SpeedButtonToday->isEnabled());
    QCOMPARE(FieldValues(form->QueryTODAY, QStringLiteral("id")),
             QStringList({QStringLiteral("Every day"), QStringLiteral("Gym")}));

    // A day without entries leaves nothing to modify, delete or follow.
    form->DateTimePickerTODAY->setDate(QDate(2026, 12, 9));
    QCOMPARE(form->QueryTODAY->RecordCount(), 1);
    TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMarc80.db")),
                                QStringLiteral("DELETE FROM QMarc80 WHERE dayofweek = 'T'"));
    form->RefreshTodayQuery();
    for (QToolButton* b : {form->SpeedButtonModToday, form->SpeedButtonDelToday, form->SpeedButtonFollowToday,
                           form->SpeedButtonPrintToday, form->SpeedButtonEportToday})
        QVERIFY(!b->isEnabled());
    QCOMPARE(MessageBoxSeam::Shown().size(), 0);
}

void TestTasksView::sidePanelMarkerFile() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    const QString marker = env.ArchiveFile(QStringLiteral("ShowCale.txt"));
    QVERIFY(!QFile::exists(marker));
    form->DateTimePickerTODAY->setDate(QDate(2026, 12, 22));

    form->SpeedButtonClendarioLato->click();
    QVERIFY(!form->Panel_LATO->isHidden());
    QVERIFY(form->SpeedButtonClendarioLato->isChecked());
    QVERIFY(QFile::exists(marker));
    QCOMPARE(QFileInfo(marker).size(), 0);
    QCOMPARE(form->Label_Segno->text(), QStringLiteral(" Capricorn"));

    form->SpeedButtonClendarioLato->click();
    QVERIFY(form->Panel_LATO->isHidden());
    QVERIFY(!form->SpeedButtonClendarioLato->isChecked());
    QVERIFY(!QFile::exists(marker));
}

void TestTasksView::deleteAnsweredYesAndNo() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    QVERIFY(form->CheckBox_TimeCheck->isChecked());
    for (const char* title : {"A first", "B second", "C third"})
        OneShot(env, QString::fromLatin1(title), QStringLiteral("2026-12-07"), QStringLiteral("09:00"));
    form->RefreshTodayQuery();
    form->RefreshAlarmQuery();
    form->RefreshShotQuery();
    QCOMPARE(form->QueryTODAY->RecordCount(), 3);

    // No: nothing is deleted, but the one-shot list and the alarm list are read again.
    OneShot(env, QStringLiteral("D added outside"), QStringLiteral("2026-12-07"), QStringLiteral("09:00"));
    const int shotsBefore = form->QueryShot->RecordCount();
    PutOnTitle(form->QueryTODAY, QStringLiteral("B second"));
    MessageBoxSeam::QueueAnswer(Id::No);
    form->SpeedButtonDelToday->click();
    QCOMPARE(MessageBoxSeam::Shown().size(), 1);
    QVERIFY(MessageBoxSeam::Shown().first().text.startsWith(
        QStringLiteral(" You are in order to eliminate \"B second\"")));
    QCOMPARE(TitlesInFile(env).size(), 4);
    QCOMPARE(form->QueryShot->RecordCount(), shotsBefore + 1);
    QCOMPARE(form->QueryParallelo->RecordCount(), 4);

    // Yes: the row goes by its key, and the list stays on the row above it.
    form->RefreshTodayQuery();
    PutOnTitle(form->QueryTODAY, QStringLiteral("C third"));
    MessageBoxSeam::QueueAnswer(Id::Yes);
    form->SpeedButtonDelToday->click();
    QCOMPARE(TitlesInFile(env), QStringList({QStringLiteral("A first"), QStringLiteral("B second"),
                                             QStringLiteral("D added outside")}));
    QCOMPARE(form->QueryTODAY->FieldByName(QStringLiteral("id")).AsString(), QStringLiteral("B second"));
    QCOMPARE(form->QueryParallelo->RecordCount(), 3);

    // Deleting the first row keeps the list on its first row.
    PutOnTitle(form->QueryTODAY, QStringLiteral("A first"));
    MessageBoxSeam::QueueAnswer(Id::Yes);
    form->SpeedButtonDelToday->click();
    QCOMPARE(form->QueryTODAY->RecNo(), 1);
    QCOMPARE(form->QueryTODAY->RecordCount(), 2);

    // With the alarm check off the alarm list is left as it was.
    form->CheckBox_TimeCheck->setChecked(false);
    OneShot(env, QStringLiteral("E late"), QStringLiteral("2026-12-07"), QStringLiteral("23:00"));
    const int alarmsBefore = form->QueryParallelo->RecordCount();
    MessageBoxSeam::QueueAnswer(Id::No);
    form->SpeedButtonDelToday->click();
    QCOMPARE(form->QueryParallelo->RecordCount(), alarmsBefore);
    QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
}

void TestTasksView::modifyReachesTheEntryOnlyWhenItsListShowsIt() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    Yearly(env, QStringLiteral("Birthday"), QStringLiteral("12/07"), QStringLiteral("1990-12-07"));
    Yearly(env, QStringLiteral("Other"), QStringLiteral("03/01"), QStringLiteral("1990-03-01"));
    form->RefreshYearQuery();
    form->RefreshTodayQuery();
    QCOMPARE(form->QueryTODAY->RecordCount(), 1);

    // A find text that hides the entry is cleared first; the dialog then edits that entry.
    form->Edit_Find_Anno->setText(QStringLiteral("Other"));
    QString edited;
    ModalSeam::Queue([&](QDialog& dialog) {
        auto* d = dynamic_cast<TAppointmentForm*>(&dialog);
        QVERIFY(d);
        edited = d->Edit_id->text();
    });
    form->DBGrid_TodayKeyPress(QChar(13));
    QCOMPARE(edited, QStringLiteral("Birthday"));
    QVERIFY(form->Edit_Find_Anno->text().isEmpty());
    QCOMPARE(ModalSeam::PendingCount(), 0);

    // The Yearly tab filtered to March does not hold the entry: no dialog opens.
    form->ComboBox_Month->setCurrentIndex(2);
    form->RefreshYearQuery();
    form->SpeedButtonModToday->click();
    QCOMPARE(ModalSeam::UnhandledCount(), 0);
    form->DBGrid_TodayDblClick();
    QCOMPARE(ModalSeam::UnhandledCount(), 0);
}

void TestTasksView::originShowsTheEntryInItsList() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    Monthly(env, QStringLiteral("Rent"), QStringLiteral("07"));
    Monthly(env, QStringLiteral("Water"), QStringLiteral("15"));
    Monthly(env, QStringLiteral("Bills"), QStringLiteral("28"));
    form->RefreshMonthQuery();
    form->RefreshTodayQuery();
    form->Edit_Find_Mese->setText(QStringLiteral("Water"));
    QCOMPARE(form->QueryMonth->RecordCount(), 1);

    form->SpeedButtonFollowToday->click();
    QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetMonth);
    QVERIFY(form->Edit_Find_Mese->text().isEmpty());
    QCOMPARE(form->QueryMonth->RecordCount(), 3);
    QCOMPARE(form->QueryMonth->FieldByName(QStringLiteral("id")).AsString(), QStringLiteral("Rent"));
}

void TestTasksView::refreshAllRebuildsEveryList() {
    TestEnvironment env;
    TMainForm* form = env.CreateMainForm();
    form->CheckBox_TimeCheck->setChecked(false);
    OneShot(env, QStringLiteral("Old"), QStringLiteral("2026-12-06"), QStringLiteral("09:00"),
            QStringLiteral("X"));
    OneShot(env, QStringLiteral("Kept"), QStringLiteral("2026-12-06"), QStringLiteral("09:00"));
    OneShot(env, QStringLiteral("Now"), QStringLiteral("2026-12-07"), QStringLiteral("11:00"));
    Contact(env, QStringLiteral("Anna"));

    form->SpeedButtonAggiornaTutto->click();
    QCOMPARE(TitlesInFile(env), QStringList({QStringLiteral("Kept"), QStringLiteral("Now")}));
    QCOMPARE(form->QueryParallelo->RecordCount(), 1);
    QCOMPARE(form->QueryTODAY->RecordCount(), 1);
    QCOMPARE(form->QueryShot->RecordCount(), 2);
    QCOMPARE(form->QueryContact->RecordCount(), 1);
}

QTEST_MAIN(TestTasksView)
#include "tst_tasksview.moc"
