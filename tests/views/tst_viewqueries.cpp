#include "app/MainForm.h"
#include "engine/EngineError.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using namespace qm;
using namespace qm::testrows;

namespace {

QStringList Ids(const TQuery* query) {
    return FieldValues(query, QStringLiteral("id"));
}

QStringList Names(const TQuery* query) {
    return FieldValues(query, QStringLiteral("ragsoc"));
}

void ShowDay(TMainForm* form, const QDate& day) {
    form->DateTimePickerTODAY->setDate(day);
    form->RefreshTodayQuery();
}

} // namespace

class ViewQueriesTest : public QObject {
    Q_OBJECT

private slots:
    void oneShotListSelectionOrderAndCount() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "Dentist", "2026-12-10", "10:00");
        OneShot(env, "Bank", "2026-12-10", "08:30");
        OneShot(env, "Old", "2026-11-01");
        // Written by another tool: no title, note or marker at all.
        Exec(env, "QMarc80",
             "INSERT INTO QMarc80 (datefull,orario,orario2,flag) VALUES ('2026-12-20','07:00','07:00','O')");
        Monthly(env, "Rent", "05");

        form->RefreshShotQuery();
        QCOMPARE(Ids(form->QueryShot), QStringList({"", "Bank", "Dentist", "Old"}));
        QCOMPARE(GridColumn(form->DBGrid_Shot, 3), QStringList({"", "Bank", "Dentist", "Old"}));
        QCOMPARE(form->Panel_Shot->Caption(), QStringLiteral("4   "));
        QCOMPARE(form->QueryShot->RecNo(), 1);

        // The first click on "Invert" turns newest-first into oldest-first.
        form->SpeedButtonOrderShot->click();
        QCOMPARE(form->ShotOrder, QString());
        QCOMPARE(Ids(form->QueryShot), QStringList({"Old", "Bank", "Dentist", ""}));
        form->SpeedButtonOrderShot->click();
        QCOMPARE(form->ShotOrder, QStringLiteral("DESC"));
        QCOMPARE(Ids(form->QueryShot).first(), QString());
    }

    void findTextsAreTextButWildcardsStillWork() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        for (const char* id : {"Ann", "Anna", "O'Brien", "50% off", "a_b", "axb", "say \"hi\""})
            OneShot(env, QString::fromUtf8(id), "2026-12-10");
        form->ShotOrder.clear();

        const auto find = [&](const QString& text) {
            Guarded([&] { form->Edit_Find_Shot->setText(text); });
            QStringList ids = Ids(form->QueryShot);
            ids.sort();
            return ids;
        };
        QCOMPARE(find("ann"), QStringList({"Ann", "Anna"}));
        QCOMPARE(find("O'Brien"), QStringList({"O'Brien"}));
        QCOMPARE(find("\""), QStringList({"say \"hi\""}));
        QCOMPARE(find("\"hi"), QStringList({"say \"hi\""}));
        QCOMPARE(find("%").size(), 7);
        QCOMPARE(find("50%o"), QStringList({"50% off"}));
        QCOMPARE(find("a_b"), QStringList({"a_b", "axb"}));
        QCOMPARE(find("_"), find(""));
        QCOMPARE(find("nobody"), QStringList());
        QCOMPARE(form->Panel_Shot->Caption(), QStringLiteral("0   "));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void noteKindSearchesTheNote() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "Lunch", "2026-12-10", "12:00", "", "'with Carla'");
        OneShot(env, "Carla", "2026-12-11", "12:00", "", "NULL");
        form->ComboBox_KindFindShot->setCurrentText("Note");
        form->Edit_Find_Shot->setText("carla");
        QCOMPARE(Ids(form->QueryShot), QStringList({"Lunch"}));
        // A NULL note still counts as blank for the empty find text.
        form->Edit_Find_Shot->clear();
        QCOMPARE(Ids(form->QueryShot), QStringList({"Carla", "Lunch"}));
    }

    void yearlyMonthFilterAndOrder() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Yearly(env, "Birthday", "02/14", "1990-02-14");
        Yearly(env, "Anniversary", "03/01", "2001-03-01");
        Yearly(env, "Feast", "02/02", "2010-02-02");
        OneShot(env, "Not yearly", "2026-02-02");

        form->RefreshYearQuery();
        QCOMPARE(Ids(form->QueryYear), QStringList({"Feast", "Birthday", "Anniversary"}));
        QCOMPARE(form->Panel_year->Caption(), QStringLiteral("3   "));

        form->ComboBox_Month->setCurrentIndex(1); // February
        form->RefreshYearQuery();
        QCOMPARE(Ids(form->QueryYear), QStringList({"Feast", "Birthday"}));
        form->ComboBox_Month->setCurrentIndex(2);
        form->RefreshYearQuery();
        QCOMPARE(Ids(form->QueryYear), QStringList({"Anniversary"}));
        form->ComboBox_Month->setCurrentIndex(11);
        form->RefreshYearQuery();
        QCOMPARE(form->Panel_year->Caption(), QStringLiteral("0   "));

        form->ComboBox_Month->setCurrentIndex(12);
        form->YearOrder = "DESC";
        form->RefreshYearQuery();
        QCOMPARE(Ids(form->QueryYear), QStringList({"Anniversary", "Birthday", "Feast"}));
    }

    void monthlyAndWeeklyOrders() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Monthly(env, "Rent", "01");
        Monthly(env, "Gym", "15");
        Monthly(env, "Water", "15", "08:00");
        form->RefreshMonthQuery();
        QCOMPARE(Ids(form->QueryMonth), QStringList({"Rent", "Water", "Gym"}));
        // Only the first key turns round.
        form->MonthOrder = "DESC";
        form->RefreshMonthQuery();
        QCOMPARE(Ids(form->QueryMonth), QStringList({"Water", "Gym", "Rent"}));
        QCOMPARE(form->Panel_Month->Caption(), QStringLiteral("3   "));

        Weekly(env, "Swim", "Tuesday", 3);
        Weekly(env, "Choir", "Monday", 2);
        Weekly(env, "Yoga", "Monday", 2, "07:00");
        form->RefreshWeekQuery();
        QCOMPARE(Ids(form->QueryWeek), QStringList({"Yoga", "Choir", "Swim"}));
        form->ComboBox_dayofweek->setCurrentIndex(1); // Tuesday
        form->RefreshWeekQuery();
        QCOMPARE(Ids(form->QueryWeek), QStringList({"Swim"}));
        QCOMPARE(form->Panel_week->Caption(), QStringLiteral("1   "));
        form->ComboBox_dayofweek->setCurrentIndex(7); // the empty item
        form->WeekOrder = "DESC";
        form->RefreshWeekQuery();
        QCOMPARE(Ids(form->QueryWeek), QStringList({"Swim", "Yoga", "Choir"}));
    }

    void contactsKindsGroupAndOrder() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Contact(env, "Anna", "Friends", "02 1");
        Contact(env, "Bob", "FRIDAY club");
        Contact(env, "Carl", "Work", "555 0100");
        Exec(env, "QMcon26", "INSERT INTO QMcon26 (ragsoc,tel,gruppo) VALUES ('Zed',NULL,NULL)");

        form->RefreshContactQuery();
        QCOMPARE(Names(form->QueryContact), QStringList({"Anna", "Bob", "Carl", "Zed"}));
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("4   "));

        form->ComboBox_Contact_Group->setCurrentText("fri");
        form->RefreshContactQuery();
        QCOMPARE(Names(form->QueryContact), QStringList({"Anna", "Bob"}));
        form->ComboBox_Contact_Group->setCurrentText("O'Neil \"club\"");
        form->RefreshContactQuery();
        QCOMPARE(Names(form->QueryContact), QStringList());

        form->ComboBox_Contact_Group->setCurrentText(QString());
        form->ComboBox_KindFindContact->setCurrentText("Phone");
        form->Edit_ragsoc->setText("555");
        QCOMPARE(Names(form->QueryContact), QStringList({"Carl"}));
        form->Edit_ragsoc->clear();
        form->ContactOrder = "DESC";
        form->RefreshContactQuery();
        QCOMPARE(Names(form->QueryContact), QStringList({"Zed", "Carl", "Bob", "Anna"}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void exactContactLookup() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Contact(env, "Ann", "Work");
        Contact(env, "Anna");
        Contact(env, "ANN");
        Contact(env, "50%");
        Contact(env, "50 and more");
        Contact(env, "O'Brien");

        const auto lookUp = [&](const QString& name) {
            form->Edit_ragsoc->setText(name);
            form->FindContactExact();
            return Names(form->QueryContact);
        };
        QCOMPARE(lookUp("Ann"), QStringList({"ANN", "Ann"}));
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("2   "));
        QCOMPARE(lookUp("anna"), QStringList({"Anna"}));
        QCOMPARE(lookUp("50%"), QStringList({"50%"}));
        QCOMPARE(lookUp("A_n"), QStringList());
        QCOMPARE(lookUp("o'brien"), QStringList({"O'Brien"}));
        QCOMPARE(lookUp("Nobody"), QStringList());
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("0   "));

        form->ComboBox_Contact_Group->setCurrentText("wor");
        QCOMPARE(lookUp("ann"), QStringList({"Ann"}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void toDoStatusAndOrders() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Exec(env, "QMtod90",
             "INSERT INTO QMtod90 (id,note,priority,flag,percento) VALUES ('Paint','',5,'No',50),"
             "('Buy','',10,'Yes',100),('Call',NULL,5,'No',0)");
        const auto list = [&](const QString& status, const QString& order) {
            form->ComboBoxToDo->setCurrentText(status);
            form->ComboBoxOrdine->setCurrentText(order);
            form->RefreshToDoQuery();
            return Ids(form->QueryToDo);
        };
        QCOMPARE(list("All", "Priority"), QStringList({"Buy", "Call", "Paint"}));
        QCOMPARE(form->Panel_ToDo->Caption(), QStringLiteral("3   "));
        QCOMPARE(list("All", "Percentage"), QStringList({"Buy", "Paint", "Call"}));
        QCOMPARE(list("All", "Description"), QStringList({"Buy", "Call", "Paint"}));
        QCOMPARE(list("Done", "Priority"), QStringList({"Buy"}));
        QCOMPARE(list("Undone", "Percentage"), QStringList({"Paint", "Call"}));
        QCOMPARE(form->Panel_ToDo->Caption(), QStringLiteral("2   "));

        form->ComboBoxToDo->setCurrentText("All");
        form->Edit_Find_ToDo->setText("l");
        form->RefreshToDoQuery();
        QCOMPARE(Ids(form->QueryToDo), QStringList({"Call"}));
    }

    void tasksListOfADay() {
        TestEnvironment env; // Monday 7 December 2026
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "Today", "2026-12-07", "10:00");
        OneShot(env, "Yesterday", "2026-12-06", "08:00");
        OneShot(env, "Every day", "2020-01-01", "07:00", "T");
        Monthly(env, "Day 7", "07", "11:00");
        Monthly(env, "Day 31", "31", "12:00");
        Weekly(env, "Monday", "Monday", 2, "13:00");
        Weekly(env, "Tuesday", "Tuesday", 3, "14:00");
        Yearly(env, "Dec 7", "12/07", "1980-12-07", "15:00");
        Yearly(env, "Leap", "02/29", "2024-02-29", "16:00");
        form->SectionColors.TodayColor = 0x00CE9D9D;
        form->TodayDirty = -1;

        ShowDay(form, QDate(2026, 12, 7));
        QCOMPARE(Ids(form->QueryTODAY), QStringList({"Every day", "Today", "Day 7", "Monday", "Dec 7"}));
        QCOMPARE(form->panel_today->Caption(), QStringLiteral("5   "));
        QCOMPARE(form->TodayDirty, 0);
        QCOMPARE(form->DateTimePickerTODAY->palette().color(QPalette::Base), ToQColor(0x00CE9D9D));

        ShowDay(form, QDate(2027, 1, 31)); // a Sunday
        QCOMPARE(Ids(form->QueryTODAY), QStringList({"Every day", "Day 31"}));
        QCOMPARE(form->DateTimePickerTODAY->palette().color(QPalette::Base), QColor(Qt::white));
        ShowDay(form, QDate(2028, 2, 29)); // a Tuesday of a leap year
        QCOMPARE(Ids(form->QueryTODAY), QStringList({"Every day", "Tuesday", "Leap"}));
        ShowDay(form, QDate(2027, 2, 28));
        QCOMPARE(Ids(form->QueryTODAY), QStringList({"Every day"}));
        QCOMPARE(form->panel_today->Caption(), QStringLiteral("1   "));
    }

    void alarmListIsTodaysWhateverTheTasksDay() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "Today", "2026-12-07", "10:00");
        OneShot(env, "Tomorrow", "2026-12-08", "10:00");
        Weekly(env, "Monday", "Monday", 2, "08:00");
        form->DateTimePickerTODAY->setDate(QDate(2026, 12, 8));
        form->RefreshAlarmQuery();
        QCOMPARE(Ids(form->QueryParallelo), QStringList({"Monday", "Today"}));
    }

    void purgeRemovesOnlyPastDeleteMarkedOneShots() {
        TestEnvironment env;
        env.CreateMainForm();
        OneShot(env, "X yesterday", "2026-12-06", "09:00", "X");
        OneShot(env, "X today", "2026-12-07", "09:00", "X");
        OneShot(env, "T old", "2020-01-01", "09:00", "T");
        OneShot(env, "Plain old", "2026-01-01");
        Exec(env, "QMarc80",
             "INSERT INTO QMarc80 (id,dayofweek,datefull,flag) VALUES ('Weekly X','X','2020-01-01','W')");
        const QString file = env.ArchiveFile("QMarc80.db");
        const QString ids = "SELECT id FROM QMarc80 ORDER BY id";

        // Start-up purges before the first Tasks list.
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(TestEnvironment::RowsOfFile(file, ids),
                 QList<QStringList>({{"Plain old"}, {"T old"}, {"Weekly X"}, {"X today"}}));
        QCOMPARE(Ids(form->QueryTODAY), QStringList({"T old", "X today"}));

        env.SetNow(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)));
        form->PurgeExpiredOneShots();
        QCOMPARE(TestEnvironment::RowsOfFile(file, ids),
                 QList<QStringList>({{"Plain old"}, {"T old"}, {"Weekly X"}}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void zodiacAndSeason_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<QString>("season");
        QTest::newRow("21 June") << QDate(2026, 6, 21) << " Gemini"
                                 << " Summer";
        QTest::newRow("21 December") << QDate(2026, 12, 21) << " Sagittarius"
                                     << " Autumn";
        QTest::newRow("22 December") << QDate(2026, 12, 22) << " Capricorn"
                                     << " Winter";
        QTest::newRow("1 January") << QDate(2027, 1, 1) << " Capricorn"
                                   << " Winter";
        QTest::newRow("20 March") << QDate(2027, 3, 20) << " Pisces"
                                  << " Winter";
        QTest::newRow("21 March") << QDate(2027, 3, 21) << " Aries"
                                  << " Spring";
        QTest::newRow("22 September") << QDate(2027, 9, 22) << " Virgo"
                                      << " Summer";
        QTest::newRow("19 February") << QDate(2027, 2, 19) << " Aquarius"
                                     << " Winter";
    }

    void zodiacAndSeason() {
        QFETCH(QDate, day);
        QFETCH(QString, sign);
        QFETCH(QString, season);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->DateTimePickerTODAY->setDate(day);
        form->ShowZodiacAndSeason();
        QCOMPARE(form->Label_Segno->text(), sign);
        QCOMPARE(form->Label_Stagione->text(), season);
        QVERIFY(form->Label_Segno->toolTip().startsWith(sign.mid(1) + "\rfrom "));
    }

    void tasksListRefreshesTheSignsOnlyWhileTheCalendarShows() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->Label_Segno->clear();
        ShowDay(form, QDate(2027, 8, 1));
        QCOMPARE(form->Label_Segno->text(), QString());
        form->SpeedButtonClendarioLato->setChecked(true);
        ShowDay(form, QDate(2027, 8, 1));
        QCOMPARE(form->Label_Segno->text(), QStringLiteral(" Leo"));
        QCOMPARE(form->Label_Segno->toolTip(), QStringLiteral("Leo\rfrom 23 July to 23 August"));
        QCOMPARE(form->Label_Stagione->toolTip(), QStringLiteral("Summer\rfrom 21 June to 22 September"));
    }

    void failedOpenLeavesAnEmptyListAndOneErrorBox() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "A", "2026-12-10");
        OneShot(env, "B", "2026-12-11");
        form->RefreshShotQuery();
        QCOMPARE(form->Panel_Shot->Caption(), QStringLiteral("2   "));
        QVERIFY(form->SpeedButtonDelShot->isEnabled());

        Exec(env, "QMarc80", "DROP TABLE QMarc80");
        QVERIFY_THROWS_EXCEPTION(EngineError, form->RefreshShotQuery());
        // A typed find text: the handler's guard shows one box, with the engine's words.
        form->Edit_Find_Shot->setText("A");
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(MessageBoxSeam::Shown()[0].text.contains("no such table"));
        QVERIFY(!form->QueryShot->Active());
        QCOMPARE(form->DBGrid_Shot->model()->rowCount(), 0);
        QCOMPARE(form->Panel_Shot->Caption(), QString());
        for (QToolButton* button :
             {form->SpeedButtonDelShot, form->SpeedButtonModShot, form->SpeedButtonPrintshot,
              form->SpeedButtonDupliShot, form->SpeedButtonOrderShot})
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));

        Exec(env, "QMarc80",
             "CREATE TABLE QMarc80 (codimp INTEGER PRIMARY KEY AUTOINCREMENT, id, note, dayofweek, dayindex, "
             "dayofmonth, datefull, data, orario, orario2, flag)");
        OneShot(env, "C", "2026-12-12");
        form->Edit_Find_Shot->clear();
        QCOMPARE(form->Panel_Shot->Caption(), QStringLiteral("1   "));
        QVERIFY(form->SpeedButtonOrderShot->isEnabled());
    }

    void startUpGoesOnWhenAListCannotOpen() {
        TestEnvironment env;
        env.CreateMainForm();
        Contact(env, "Anna");
        Exec(env, "QMtod90", "DROP TABLE QMtod90");
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(Names(form->QueryContact), QStringList({"Anna"}));
        QVERIFY(form->QueryShot->Active());
        QCOMPARE(form->Panel_ToDo->Caption(), QString());
        QVERIFY(!form->SpeedButtonModToDo->isEnabled());
    }
};

QTEST_MAIN(ViewQueriesTest)
#include "tst_viewqueries.moc"
