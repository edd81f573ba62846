#include "app/MainForm.h"
#include "platform/MessageBox.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"
#include "views/DeleteConfirm.h"
#include "views/ViewTestRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace qm;
using namespace qm::testrows;

namespace {

QStringList Ids(const TQuery* query) {
    return FieldValues(query, QStringLiteral("id"));
}

QStringList Endings() {
    QStringList endings;
    for (int draw = 0; draw < 6; ++draw)
        endings << DeleteConfirmEnding(draw);
    return endings;
}

// Ten monthly entries "Day 01" to "Day 10", listed in that order.
TMainForm* FormWithMonthlyRows(TestEnvironment& env, int count) {
    TMainForm* form = env.CreateMainForm();
    for (int day = 1; day <= count; ++day) {
        const QString dd = QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
        Monthly(env, "Day " + dd, dd);
    }
    form->RefreshMonthQuery();
    return form;
}

int MonthlyRowsInFile(const TestEnvironment& env) {
    return int(
        TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"), "SELECT codimp FROM QMarc80").size());
}

void DeleteRowAnsweringYes(TMainForm* form, int row) {
    form->QueryMonth->SetRecNo(row);
    MessageBoxSeam::QueueAnswer(Id::Yes);
    form->SpeedButtonDelMese->click();
}

} // namespace

class ListActionsTest : public QObject {
    Q_OBJECT

private slots:
    void deleteAsksThenKeepsTheRowAbove() {
        TestEnvironment env;
        TMainForm* form = FormWithMonthlyRows(env, 10);
        DeleteRowAnsweringYes(form, 5);
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 1);
        const QString prefix = QStringLiteral(" You are in order to eliminate \"Day 05");
        QVERIFY(boxes[0].text.startsWith(prefix));
        QVERIFY(Endings().contains(boxes[0].text.mid(prefix.size())));
        QCOMPARE(boxes[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(boxes[0].flags, Mb::YesNo | Mb::IconQuestion);
        QVERIFY(!Ids(form->QueryMonth).contains("Day 05"));
        QCOMPARE(form->QueryMonth->RecNo(), 4);
        QCOMPARE(form->Panel_Month->Caption(), QStringLiteral("9   "));
        QCOMPARE(MonthlyRowsInFile(env), 9);

        DeleteRowAnsweringYes(form, 1);
        QCOMPARE(form->QueryMonth->RecNo(), 1);
        QCOMPARE(Ids(form->QueryMonth).first(), QStringLiteral("Day 02"));
    }

    void deleteSecondOfTwoAndTheLastRow() {
        TestEnvironment env;
        TMainForm* form = FormWithMonthlyRows(env, 2);
        DeleteRowAnsweringYes(form, 2);
        QCOMPARE(Ids(form->QueryMonth), QStringList({"Day 01"}));
        QCOMPARE(form->QueryMonth->RecNo(), 1);
        QVERIFY(form->SpeedButtonDelMese->isEnabled());

        DeleteRowAnsweringYes(form, 1);
        QCOMPARE(form->QueryMonth->RecordCount(), 0);
        QCOMPARE(form->Panel_Month->Caption(), QStringLiteral("0   "));
        for (QToolButton* button :
             {form->SpeedButtonDelMese, form->SpeedButtonModMese, form->SpeedButtonPrintMese,
              form->SpeedButtonDupliMonth, form->SpeedButtonOrderMonth})
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        QVERIFY(form->SpeedButtonAggMese->isEnabled());

        // Nothing to delete: no question, nothing run.
        MessageBoxSeam::Reset();
        form->SpeedButtonDelMeseClick();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void deleteAnsweredNoChangesNothing() {
        TestEnvironment env;
        TMainForm* form = FormWithMonthlyRows(env, 3);
        form->QueryMonth->SetRecNo(3);
        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButtonDelMese->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MonthlyRowsInFile(env), 3);
        QCOMPARE(form->QueryMonth->RecNo(), 3);
    }

    void deleteOnEveryTabNamesItsRow() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "Dentist", "2026-12-10");
        Yearly(env, "Birthday", "02/14", "1990-02-14");
        Weekly(env, "Swim", "Tuesday", 3);
        Contact(env, "Anna Rossi", "Friends");
        Contact(env, "Bob");
        form->RefreshShotQuery();
        form->RefreshYearQuery();
        form->RefreshWeekQuery();
        form->RefreshContactQuery();
        const struct {
            QToolButton* button;
            const char* title;
        } cases[] = {{form->SpeedButtonDelShot, "Dentist"},
                     {form->SpeedButtonDelyear, "Birthday"},
                     {form->SpeedButtonDelWeek, "Swim"},
                     {form->SpeedButtonDelContact, "Anna Rossi"}};
        for (const auto& c : cases) {
            MessageBoxSeam::Reset();
            MessageBoxSeam::QueueAnswer(Id::Yes);
            c.button->click();
            QCOMPARE(MessageBoxSeam::Shown().size(), 1);
            QVERIFY(MessageBoxSeam::Shown()[0].text.startsWith(
                QStringLiteral(" You are in order to eliminate \"") + QString::fromUtf8(c.title) + "\""));
        }
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"), "SELECT id FROM QMarc80").size(),
                 0);
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile("QMcon26.db"), "SELECT ragsoc FROM QMcon26"),
                 QList<QStringList>({{"Bob"}}));
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("1   "));
    }

    void cloneCopiesTheRowWithItsMarker() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "Every day", "2020-01-01", "07:00", "T", "'a note'");
        OneShot(env, "Dentist", "2026-12-10");
        form->RefreshShotQuery();
        form->QueryShot->SetRecNo(2);
        QCOMPARE(form->QueryShot->FieldByName("id").AsString(), QStringLiteral("Every day"));
        form->SpeedButtonPrintshot->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        QCOMPARE(Ids(form->QueryShot), QStringList({"Dentist", "Every day", "Every day"}));
        QCOMPARE(form->QueryShot->RecNo(), 2);
        QCOMPARE(
            TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"),
                                        "SELECT id,note,datefull,orario,orario2,flag,dayofweek FROM QMarc80 "
                                        "WHERE id='Every day' ORDER BY codimp"),
            QList<QStringList>({{"Every day", "a note", "2020-01-01", "07:00", "07:00", "O", "T"},
                                {"Every day", "a note", "2020-01-01", "07:00", "07:00", "O", "T"}}));
        form->RefreshTodayQuery();
        QCOMPARE(Ids(form->QueryTODAY), QStringList({"Every day", "Every day"}));
    }

    void cloneOfEachKindKeepsItsColumns() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Weekly(env, "Swim", "Tuesday", 3, "18:00");
        Yearly(env, "Birthday", "02/14", "1990-02-14");
        Monthly(env, "Rent", "05");
        Exec(env, "QMcon26",
             "INSERT INTO QMcon26 (ragsoc,indirizzo,tel,fax,email,note,gruppo,site,company,mobile,allegato) "
             "VALUES ('Anna','Via Roma 1','02 1','02 "
             "2','a@b.c','n','Friends','w','Acme','333','/tmp/cv.pdf')");
        form->RefreshWeekQuery();
        form->RefreshYearQuery();
        form->RefreshMonthQuery();
        form->RefreshContactQuery();
        form->SpeedButtonPrintWeek->click();
        form->SpeedButtonPrintyear->click();
        form->SpeedButtonPrintMese->click();
        form->SpeedButtonDupliContact->click();

        const QString appointments = env.ArchiveFile("QMarc80.db");
        QCOMPARE(TestEnvironment::RowsOfFile(appointments,
                                             "SELECT DISTINCT id,dayofweek,dayindex,datefull,orario,flag "
                                             "FROM QMarc80 WHERE flag='W'"),
                 QList<QStringList>({{"Swim", "Tuesday", "3", "2026-01-05", "18:00", "W"}}));
        QCOMPARE(TestEnvironment::RowsOfFile(appointments,
                                             "SELECT DISTINCT id,data,datefull FROM QMarc80 WHERE flag='Y'"),
                 QList<QStringList>({{"Birthday", "02/14", "1990-02-14"}}));
        QCOMPARE(Ids(form->QueryWeek), QStringList({"Swim", "Swim"}));
        QCOMPARE(Ids(form->QueryYear), QStringList({"Birthday", "Birthday"}));
        QCOMPARE(Ids(form->QueryMonth), QStringList({"Rent", "Rent"}));
        const QList<QStringList> contacts = TestEnvironment::RowsOfFile(
            env.ArchiveFile("QMcon26.db"),
            "SELECT ragsoc,indirizzo,tel,fax,email,note,gruppo,site,company,mobile,allegato FROM QMcon26");
        QCOMPARE(contacts.size(), 2);
        QCOMPARE(contacts[0], contacts[1]);
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("2   "));
    }

    void afterOpenFollowsTheListAndMarksTasksStale() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->RefreshContactQuery();
        for (QToolButton* button :
             {form->SpeedButtonDelContact, form->SpeedButtonModContact, form->SpeedButtonDupliContact,
              form->SpeedButtonPrintcontact, form->SpeedButtonOrderContact, form->SpeedButtonCSV})
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        QCOMPARE(form->SpeedButton_ApriAllegato->toolTip(), QStringLiteral("No attach"));
        Contact(env, "Anna");
        form->TodayDirty = 0;
        form->RefreshContactQuery();
        QVERIFY(form->SpeedButtonCSV->isEnabled());
        QVERIFY(form->SpeedButtonModContact->isEnabled());
        QCOMPARE(form->TodayDirty, 0);

        form->RefreshWeekQuery();
        QCOMPARE(form->TodayDirty, -1);
        QVERIFY(!form->SpeedButtonDelWeek->isEnabled());
    }

    void reopeningAnAppointmentListReloadsTheAlarmList() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->CheckBox_TimeCheck->setChecked(true);
        form->RefreshAlarmQuery();
        OneShot(env, "Today", "2026-12-07", "10:00");
        form->AlarmReloadArmed = 0;
        form->RefreshShotQuery();
        QCOMPARE(form->QueryParallelo->RecordCount(), 0);
        form->AlarmReloadArmed = -1;
        form->CheckBox_TimeCheck->setChecked(false);
        form->RefreshShotQuery();
        QCOMPARE(form->QueryParallelo->RecordCount(), 0);
        form->CheckBox_TimeCheck->setChecked(true);
        form->RefreshShotQuery();
        QCOMPARE(Ids(form->QueryParallelo), QStringList({"Today"}));
        // The contacts list has nothing to do with alarms.
        Weekly(env, "Monday", "Monday", 2);
        form->RefreshContactQuery();
        QCOMPARE(form->QueryParallelo->RecordCount(), 1);
    }

    void tips() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        for (QToolButton* tip : {form->SpeedButton15, form->SpeedButton13, form->SpeedButtonHelpMonth,
                                 form->SpeedButtonHelpWeek, form->SpeedButton23})
            tip->click();
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 5);
        QCOMPARE(boxes[0].text,
                 QStringLiteral("In this section you can keep track of your occasional tasks.\r\n"
                                "Examples: appointments, parties."));
        QCOMPARE(boxes[2].text, QStringLiteral("In this section you can keep track of your monthly tasks.\r\n"
                                               " Examples: bills and rents to pay."));
        QCOMPARE(boxes[4].text, QStringLiteral("In this section you can keep track of your contacs."));
        QCOMPARE(boxes[4].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(boxes[4].flags & 0xF0, 0);
    }

    void findClearAndFindKind() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Monthly(env, "Rent", "01");
        Monthly(env, "Gym", "15");
        form->RefreshMonthQuery();
        QVERIFY(!form->SpeedButtonClearMonth->isEnabled());

        QTest::keyClicks(form->Edit_Find_Mese, "ren");
        QCOMPARE(Ids(form->QueryMonth), QStringList({"Rent"}));
        QCOMPARE(form->Panel_Month->Caption(), QStringLiteral("1   "));
        QVERIFY(form->SpeedButtonClearMonth->isEnabled());

        form->SpeedButtonClearMonth->click();
        QCOMPARE(form->Edit_Find_Mese->text(), QString());
        QCOMPARE(Ids(form->QueryMonth), QStringList({"Rent", "Gym"}));
        QVERIFY(!form->SpeedButtonClearMonth->isEnabled());

        // Choosing another column starts from an empty find text.
        form->Edit_Find_Mese->setText("gym");
        QCOMPARE(form->Panel_Month->Caption(), QStringLiteral("1   "));
        form->ComboBox_KindFindMonth->setCurrentIndex(1);
        emit form->ComboBox_KindFindMonth->activated(1);
        QCOMPARE(form->Edit_Find_Mese->text(), QString());
        QCOMPARE(Ids(form->QueryMonth), QStringList({"Rent", "Gym"}));
        QVERIFY(!form->SpeedButtonClearMonth->isEnabled());
        form->Edit_Find_Mese->setText("gym");
        QCOMPARE(form->Panel_Month->Caption(), QStringLiteral("0   "));
    }

    void extraFilters() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Yearly(env, "Birthday", "02/14", "1990-02-14");
        Yearly(env, "Anniversary", "03/01", "2001-03-01");
        Weekly(env, "Swim", "Tuesday", 3);
        Weekly(env, "Choir", "Monday", 2);
        Contact(env, "Anna", "Friends");
        Contact(env, "Carl", "Work");

        form->ComboBox_Month->setCurrentIndex(2);
        emit form->ComboBox_Month->activated(2);
        QCOMPARE(Ids(form->QueryYear), QStringList({"Anniversary"}));
        form->ComboBox_dayofweek->setCurrentIndex(0);
        emit form->ComboBox_dayofweek->activated(0);
        QCOMPARE(Ids(form->QueryWeek), QStringList({"Choir"}));

        form->ComboBox_Contact_Group->lineEdit()->clear();
        QTest::keyClicks(form->ComboBox_Contact_Group->lineEdit(), "wo");
        QCOMPARE(FieldValues(form->QueryContact, "ragsoc"), QStringList({"Carl"}));
        QVERIFY(form->SpeedButtonClearGroup->isEnabled());
        form->SpeedButtonClearGroup->click();
        QCOMPARE(form->ComboBox_Contact_Group->currentText(), QString());
        QCOMPARE(FieldValues(form->QueryContact, "ragsoc"), QStringList({"Anna", "Carl"}));
        QVERIFY(!form->SpeedButtonClearGroup->isEnabled());
    }

    void doubleClickAndEnterModifyOnlyAListWithRows() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QSignalSpy modify(form->SpeedButtonModContact, &QToolButton::clicked);
        form->RefreshContactQuery();
        emit form->DBGrid_Contact->DblClick();
        emit form->DBGrid_Contact->KeyPress(QChar(13));
        QCOMPARE(modify.count(), 0);

        Contact(env, "Anna");
        form->RefreshContactQuery();
        emit form->DBGrid_Contact->KeyPress(QChar('a'));
        QCOMPARE(modify.count(), 0);
        emit form->DBGrid_Contact->KeyPress(QChar(13));
        QCOMPARE(modify.count(), 1);
        emit form->DBGrid_Contact->DblClick();
        QCOMPARE(modify.count(), 2);

        // The note memo under an appointment grid answers a double-click like the grid.
        Monthly(env, "Rent", "01");
        form->RefreshMonthQuery();
        QSignalSpy modifyMonth(form->SpeedButtonModMese, &QToolButton::clicked);
        emit form->DBMemoMonth->DblClick();
        QCOMPARE(modifyMonth.count(), 1);
    }

    void restoreRowByKey() {
        TestEnvironment env;
        TMainForm* form = FormWithMonthlyRows(env, 6);
        const qint64 key = TestEnvironment::RowsOfFile(env.ArchiveFile("QMarc80.db"),
                                                       "SELECT codimp FROM QMarc80 WHERE id='Day 04'")
                               .value(0)
                               .value(0)
                               .toLongLong();
        // A re-sort moves the entry; the list follows the key, not the row number.
        form->MonthOrder = "DESC";
        form->RefreshMonthQuery();
        form->RestoreRowByKey(form->QueryMonth, "codimp", key);
        QCOMPARE(form->QueryMonth->RecNo(), 3);
        QCOMPARE(form->QueryMonth->FieldByName("id").AsString(), QStringLiteral("Day 04"));
        QCOMPARE(form->DBGrid_Month->currentIndex().row(), 2);

        form->QueryMonth->SetRecNo(5);
        form->RestoreRowByKey(form->QueryMonth, "codimp", key + 1000);
        QCOMPARE(form->QueryMonth->RecNo(), 5);
    }

    void deleteEndingsAreTheSixTexts() {
        QCOMPARE(Endings(), QStringList({"\", can you assures to me that after you will not cry?",
                                         "\", sure that's a good idea?", "\", are you sure?",
                                         "\", can you live after this?", "\", you know the consequences?",
                                         "\". If I do it, you introduce your sister to me?"}));
        QSet<QString> drawn;
        for (int i = 0; i < 600; ++i)
            drawn.insert(DeleteConfirmSuffix());
        QCOMPARE(drawn.size(), 6);
    }
};

QTEST_MAIN(ListActionsTest)
#include "tst_listactions.moc"
