// The lists that are not on screen at start open when their tab is first shown, or on idle turns
// once the window shows, and then do exactly what their opening at start did.

#include "app/MainForm.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <cstdio>

using namespace qm;
using namespace qm::testrows;

namespace {

struct ListOnTab {
    QWidget* sheet;
    TQuery* query;
    TPanel* countPanel;
    QToolButton* rowButton; // enabled exactly when the list has a row
    int rows;
};

QList<ListOnTab> Lists(TMainForm* f) {
    return {{f->TabSheetShot, f->QueryShot, f->Panel_Shot, f->SpeedButtonDelShot, 2},
            {f->TabSheetYEAR, f->QueryYear, f->Panel_year, f->SpeedButtonDelyear, 1},
            {f->TabSheetMonth, f->QueryMonth, f->Panel_Month, f->SpeedButtonDelMese, 1},
            {f->TabSheetWEEK, f->QueryWeek, f->Panel_week, f->SpeedButtonDelWeek, 2},
            {f->TabSheetCONTACTS, f->QueryContact, f->panel_contact, f->SpeedButtonDelContact, 0},
            {f->TabSheetToDo, f->QueryToDo, f->Panel_ToDo, f->SpeedButtonDelToDo, 1}};
}

void ClickTab(TMainForm* form, QWidget* sheet) {
    QTabBar* bar = form->PageControlMenu->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(form->PageControlMenu->indexOf(sheet)).center());
}

} // namespace

class ListOpeningTest : public QObject {
    Q_OBJECT

private:
    // An archive with rows in every list but Contacts, and today's alarm list read once, as the
    // alarm check reads it. An entry of today then written by another tool is in the alarm list
    // only once the list is reloaded.
    TMainForm* StartWithRows(TestEnvironment& env) {
        env.CreateMainForm();
        OneShot(env, "Dentist", "2026-12-10");
        OneShot(env, "Today", "2026-12-07", "08:00");
        Yearly(env, "Birthday", "03/04", "1990-03-04");
        Monthly(env, "Rent", "05");
        Weekly(env, "Gym", "Tuesday", 2);
        Weekly(env, "Piano", "Monday", 1);
        Exec(env, "QMtod90",
             "INSERT INTO QMtod90 (id,note,priority,flag,percento) VALUES ('Paint','',1,'No',0)");
        TMainForm* form = env.CreateMainForm();
        if (!form->CheckBox_TimeCheck->isChecked())
            form->CheckBox_TimeCheck->click();
        form->resize(900, 600);
        return form;
    }

private slots:
    void init() { MessageBoxSeam::Enable(); }

    void aListFirstShownByItsTabOpensAsAtStart() {
        TestEnvironment env;
        TMainForm* form = StartWithRows(env);
        QCOMPARE(FieldValues(form->QueryParallelo, "id"), QStringList({"Today", "Piano"}));
        OneShot(env, "Late", "2026-12-07", "10:00");
        form->show();

        for (const ListOnTab& list : Lists(form)) {
            QVERIFY(list.query->OpenPending());
            ClickTab(form, list.sheet);
            QCOMPARE(form->PageControlMenu->currentWidget(), list.sheet);
            const int rows = list.rows + (list.query == form->QueryShot ? 1 : 0);
            QCOMPARE(list.query->RecordCount(), rows);
            QCOMPARE(list.countPanel->Caption(), QString::number(rows) + QStringLiteral("   "));
            QCOMPARE(list.rowButton->isEnabled(), rows > 0);
            // The opening at start neither reloaded the alarm list nor left the Tasks list to
            // be rebuilt.
            QCOMPARE(form->TodayDirty, 0);
            QCOMPARE(FieldValues(form->QueryParallelo, "id"), QStringList({"Today", "Piano"}));
        }
        QCOMPARE(form->SpeedButton_ApriAllegato->toolTip(), QStringLiteral("No attach"));

        // From then on a list that re-opens does both.
        ClickTab(form, form->TabSheetShot);
        form->Edit_Find_Shot->setFocus();
        QTest::keyClick(form->Edit_Find_Shot, 'l');
        QCOMPARE(FieldValues(form->QueryShot, "id"), QStringList({"Late"}));
        QCOMPARE(form->TodayDirty, -1);
        QCOMPARE(FieldValues(form->QueryParallelo, "id"), QStringList({"Today", "Piano", "Late"}));
        ClickTab(form, form->TabSheetTODAY);
        QCOMPARE(form->TodayDirty, 0);
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void theOtherListsOpenOnIdleTurnsOnceTheWindowShows() {
        TestEnvironment env;
        TMainForm* form = StartWithRows(env);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        for (int turn = 0; turn < 50 && form->QueryContact->OpenPending(); ++turn)
            QCoreApplication::processEvents();
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
        for (const ListOnTab& list : Lists(form)) {
            QVERIFY(!list.query->OpenPending());
            QCOMPARE(list.countPanel->Caption(), QString::number(list.rows) + QStringLiteral("   "));
            QCOMPARE(list.rowButton->isEnabled(), list.rows > 0);
        }
        QCOMPARE(form->TodayDirty, 0);
        QCOMPARE(FieldValues(form->QueryParallelo, "id"), QStringList({"Today", "Piano"}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    // Read on idle turns, then written by another program before its tab is first shown: the tab
    // shows the rows as they are then, and a table damaged meanwhile says so once.
    void aListReadAheadShowsItsTableAsItIsWhenFirstShown() {
        TestEnvironment env;
        TMainForm* form = StartWithRows(env);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        for (int turn = 0; turn < 50 && form->QueryContact->OpenPending(); ++turn)
            QCoreApplication::processEvents();
        QVERIFY(!form->QueryContact->OpenPending());
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("0   "));

        Contact(env, "Ann");
        OneShot(env, "Outside", "2026-12-11");
        ClickTab(form, form->TabSheetCONTACTS);
        QCOMPARE(FieldValues(form->QueryContact, "ragsoc"), QStringList({"Ann"}));
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("1   "));
        QVERIFY(form->SpeedButtonDelContact->isEnabled());
        ClickTab(form, form->TabSheetShot);
        QCOMPARE(form->QueryShot->RecordCount(), 3);
        QVERIFY(FieldValues(form->QueryShot, "id").contains(QStringLiteral("Outside")));
        QCOMPARE(form->Panel_Shot->Caption(), QStringLiteral("3   "));
        // Read as at start: no alarm reload, the Tasks list left clean.
        QCOMPARE(form->TodayDirty, 0);
        QCOMPARE(FieldValues(form->QueryParallelo, "id"), QStringList({"Today", "Piano"}));

        // Shown once, a list is not read again by showing it.
        Contact(env, "Bea");
        ClickTab(form, form->TabSheetTODAY);
        ClickTab(form, form->TabSheetCONTACTS);
        QCOMPARE(form->panel_contact->Caption(), QStringLiteral("1   "));

        // The table file replaced by another program, as a restore or a sync tool does.
        const QString week = env.ArchiveFile(QStringLiteral("QMarc80.db"));
        const QString copy = week + QStringLiteral(".new");
        QVERIFY(QFile::copy(week, copy));
        TestEnvironment::ExecOnFile(copy, QStringLiteral("INSERT INTO QMarc80 (id,dayofweek,dayindex,flag) "
                                                         "VALUES ('Swim','Friday',6,'W')"));
        QVERIFY(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(week).constData()) == 0);
        ClickTab(form, form->TabSheetWEEK);
        QCOMPARE(FieldValues(form->QueryWeek, "id"), QStringList({"Piano", "Gym", "Swim"}));
        QCOMPARE(form->Panel_week->Caption(), QStringLiteral("3   "));

        {
            QFile file(env.ArchiveFile(QStringLiteral("QMtod90.db")));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.write(QByteArray(100, 'x')) == 100);
        }
        ClickTab(form, form->TabSheetToDo);
        ClickTab(form, form->TabSheetTODAY);
        ClickTab(form, form->TabSheetToDo);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(!MessageBoxSeam::Shown().first().text.isEmpty());
        QCOMPARE(form->QueryToDo->RecordCount(), 0);
        QVERIFY(form->Panel_ToDo->Caption().isEmpty());
        QVERIFY(!form->SpeedButtonDelToDo->isEnabled());
    }

    // A handler that reads a list before it was ever shown finds it open, with its count.
    void aListReadBeforeItIsShownOpensThen() {
        TestEnvironment env;
        TMainForm* form = StartWithRows(env);
        QVERIFY(form->QueryWeek->OpenPending());
        QCOMPARE(FieldValues(form->QueryWeek, "id"), QStringList({"Piano", "Gym"}));
        QCOMPARE(form->Panel_week->Caption(), QStringLiteral("2   "));
        QCOMPARE(form->TodayDirty, 0);
    }
};

QTEST_MAIN(ListOpeningTest)
#include "tst_listopening.moc"
