#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

using namespace qm;
using namespace qm::testrows;

namespace {

const QColor kUntouched(1, 2, 3);
constexpr TColor kShot = 0x00A6A6D2, kYear = 0x00A7E3F5, kMonth = 0x0058A554, kWeek = 0x00BC8F07,
                 kToday = 0x00CE9D9D, kContact = 0x009A9A4E;

void SetColours(TMainForm* form) {
    form->SectionColors.ShotColor = kShot;
    form->SectionColors.YearColor = kYear;
    form->SectionColors.MonthColor = kMonth;
    form->SectionColors.WeekColor = kWeek;
    form->SectionColors.TodayColor = kToday;
    form->SectionColors.ContactColor = kContact;
}

// What the grid's hook makes of one cell of `row` (0-based).
TCellCanvas Paint(const TDBGrid* grid, int row, bool selected, bool focused = false) {
    TCellCanvas canvas;
    canvas.Brush = kUntouched;
    canvas.FontColor = kUntouched;
    canvas.Font = grid->font();
    TDrawState state;
    state.Selected = selected;
    state.Focused = focused;
    grid->OnDrawColumnCell()(canvas, grid->Query()->Record(row), 3, state);
    return canvas;
}

} // namespace

class GridPresentationTest : public QObject {
    Q_OBJECT

private slots:
    void calculatedColumns() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->ShotDateFormat = "dddd d mmmm yyyy";
        form->YearDateFormat = "d mmmm";
        OneShot(env, "With note", "2026-12-10", "09:00", "", "'bring papers'");
        OneShot(env, "Null note", "2026-12-09", "09:00", "", "NULL");
        Yearly(env, "Birthday", "02/14", "1990-02-14");
        Contact(env, "Anna");
        Exec(env, "QMtod90",
             "INSERT INTO QMtod90 (id,note,priority,flag,percento) VALUES ('Buy','milk',9,'Yes',100),"
             "('Call',NULL,5,'No',0)");
        form->RefreshShotQuery();
        form->RefreshYearQuery();
        form->RefreshContactQuery();
        form->RefreshToDoQuery();
        form->DateTimePickerTODAY->setDate(QDate(2026, 12, 10));
        form->RefreshTodayQuery();

        QCOMPARE(GridColumn(form->DBGrid_Shot, 0),
                 QStringList({"Thursday 10 December 2026", "Wednesday 9 December 2026"}));
        QCOMPARE(GridColumn(form->DBGrid_Shot, 4), QStringList({"X", ""}));
        QCOMPARE(GridColumn(form->DBGrid_Year, 0), QStringList({"14 February"}));
        QCOMPARE(GridColumn(form->DBGrid_Year, 4), QStringList({""}));
        QCOMPARE(GridColumn(form->DBGrid_Contact, 6), QStringList({""}));
        QCOMPARE(GridColumn(form->DBGrid_Today, 3), QStringList({"X"}));
        QCOMPARE(GridColumn(form->DBGrid_ToDo, 3), QStringList({"X", ""}));
        QCOMPARE(GridColumn(form->DBGrid_ToDo, 4), QStringList({"X", ""}));

        // The date columns follow the chosen format at once.
        form->ShotDateFormat = "dd/mm/yyyy";
        QCOMPARE(GridColumn(form->DBGrid_Shot, 0), QStringList({"10/12/2026", "09/12/2026"}));
    }

    void headerPanelsNameTheCurrentRow() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->ShotDateFormat = "dddd d mmmm yyyy";
        form->YearDateFormat = "d mmmm";
        OneShot(env, "Dentist", "2026-12-10");
        OneShot(env, "Bank", "2026-12-09");
        Yearly(env, "Birthday", "02/14", "1990-02-14");
        Monthly(env, "Rent", "05");
        Weekly(env, "Swim", "Tuesday", 3);
        Exec(env, "QMarc80",
             "INSERT INTO QMarc80 (id,datefull,orario,orario2,flag) VALUES "
             "('Meeting','2026-12-07','09:00','10:30','O')");
        form->RefreshShotQuery();
        form->RefreshYearQuery();
        form->RefreshMonthQuery();
        form->RefreshWeekQuery();
        form->RefreshTodayQuery();

        QCOMPARE(form->Panel_Data_Shot->Caption(), QStringLiteral("Thursday 10 December 2026   "));
        form->QueryShot->SetRecNo(2);
        QCOMPARE(form->Panel_Data_Shot->Caption(), QStringLiteral("Wednesday 9 December 2026   "));
        QCOMPARE(form->Panel_Data_Year->Caption(), QStringLiteral("14 February   "));
        QCOMPARE(form->Panel_Data_Month->Caption(), QStringLiteral("05   "));
        QCOMPARE(form->Panel_Data_Week->Caption(), QStringLiteral("Tuesday   "));
        QCOMPARE(form->Panel_Data_Today->Caption(), QStringLiteral("09:00 - 10:30   "));

        // An empty list leaves the panel empty; the next rows fill it again.
        form->Edit_Find_Shot->setText("nobody");
        QCOMPARE(form->Panel_Data_Shot->Caption(), QString());
        form->Edit_Find_Shot->clear();
        QCOMPARE(form->Panel_Data_Shot->Caption(), QStringLiteral("Thursday 10 December 2026   "));
    }

    void oneShotPaintingPerStyleAndMarker() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        SetColours(form);
        OneShot(env, "Plain", "2026-12-12");
        OneShot(env, "Goes", "2026-12-11", "09:00", "X");
        OneShot(env, "Daily", "2026-12-10", "09:00", "T");
        form->RefreshShotQuery();
        const TDBGrid* grid = form->DBGrid_Shot;

        form->ComboBox_Stile->setCurrentText("colored");
        TCellCanvas c = Paint(grid, 0, false);
        QCOMPARE(c.Brush, kUntouched);
        QCOMPARE(c.FontColor, ToQColor(Colors::clWindowText));
        QVERIFY(!c.Font.bold());
        c = Paint(grid, 0, true);
        QCOMPARE(c.Brush, ToQColor(kShot));
        QVERIFY(!c.Font.bold());
        QCOMPARE(Paint(grid, 1, false).FontColor, QColor(255, 0, 0));
        QCOMPARE(Paint(grid, 2, true).FontColor, QColor(0, 0, 255));

        form->ComboBox_Stile->setCurrentText("colorful");
        c = Paint(grid, 0, false);
        QCOMPARE(c.Brush, ToQColor(kShot));
        QCOMPARE(c.FontColor, QColor(0, 0, 0));
        QVERIFY(!c.Font.bold());
        QVERIFY(Paint(grid, 0, true).Font.bold());
        QCOMPARE(Paint(grid, 1, false).FontColor, QColor(255, 0, 0));
        QCOMPARE(Paint(grid, 2, false).FontColor, QColor(0, 0, 255));

        // No style chosen paints as "colorful".
        form->ComboBox_Stile->setCurrentIndex(-1);
        QCOMPARE(Paint(grid, 0, false).Brush, ToQColor(kShot));
    }

    void otherListsPaintInTheirSectionColour() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        SetColours(form);
        Yearly(env, "Birthday", "02/14", "1990-02-14");
        Monthly(env, "Rent", "05");
        // A weekly row never takes the one-shot marker colours.
        Weekly(env, "Swim", "Tuesday", 3);
        Contact(env, "Anna");
        form->RefreshYearQuery();
        form->RefreshMonthQuery();
        form->RefreshWeekQuery();
        form->RefreshContactQuery();
        const std::pair<const TDBGrid*, TColor> grids[] = {{form->DBGrid_Year, kYear},
                                                           {form->DBGrid_Month, kMonth},
                                                           {form->DBGrid_Week, kWeek},
                                                           {form->DBGrid_Contact, kContact}};
        for (const auto& [grid, colour] : grids) {
            form->ComboBox_Stile->setCurrentText("colorful");
            QCOMPARE(Paint(grid, 0, false).Brush, ToQColor(colour));
            QCOMPARE(Paint(grid, 0, false).FontColor, QColor(0, 0, 0));
            QVERIFY(Paint(grid, 0, true).Font.bold());
            form->ComboBox_Stile->setCurrentText("colored");
            QCOMPARE(Paint(grid, 0, false).Brush, kUntouched);
            QCOMPARE(Paint(grid, 0, true).Brush, ToQColor(colour));
            QCOMPARE(Paint(grid, 0, true).FontColor, ToQColor(Colors::clWindowText));
        }
    }

    void tasksRowsTakeTheColourOfTheirKind() {
        TestEnvironment env; // Monday 7 December 2026
        TMainForm* form = env.CreateMainForm();
        SetColours(form);
        OneShot(env, "A one-shot", "2026-12-07", "08:00");
        Yearly(env, "B yearly", "12/07", "1980-12-07", "09:00");
        Monthly(env, "C monthly", "07", "10:00");
        Weekly(env, "D weekly", "Monday", 2, "11:00");
        OneShot(env, "E daily", "2020-01-01", "12:00", "T");
        OneShot(env, "F goes", "2026-12-07", "13:00", "X");
        form->RefreshTodayQuery();
        QCOMPARE(FieldValues(form->QueryTODAY, "id"),
                 QStringList({"A one-shot", "B yearly", "C monthly", "D weekly", "E daily", "F goes"}));
        const TDBGrid* grid = form->DBGrid_Today;

        form->ComboBox_Stile->setCurrentText("colorful");
        const TColor kinds[] = {kShot, kYear, kMonth, kWeek, kShot, kShot};
        for (int row = 0; row < 6; ++row)
            QCOMPARE(Paint(grid, row, false).Brush, ToQColor(kinds[row]));
        QCOMPARE(Paint(grid, 0, false).FontColor, QColor(0, 0, 0));
        QCOMPARE(Paint(grid, 4, false).FontColor, QColor(0, 0, 255));
        QCOMPARE(Paint(grid, 5, false).FontColor, QColor(255, 0, 0));
        QVERIFY(!Paint(grid, 0, false).Font.bold());
        QVERIFY(Paint(grid, 0, true).Font.bold());
        QVERIFY(Paint(grid, 0, false, true).Font.bold());

        form->ComboBox_Stile->setCurrentText("colored");
        QCOMPARE(Paint(grid, 1, false).Brush, kUntouched);
        QCOMPARE(Paint(grid, 1, true).Brush, ToQColor(kYear));
        QCOMPARE(Paint(grid, 3, true).Brush, ToQColor(kWeek));
        QCOMPARE(Paint(grid, 1, true).FontColor, ToQColor(Colors::clWindowText));
        QCOMPARE(Paint(grid, 4, true).FontColor, QColor(0, 0, 255));
        QVERIFY(!Paint(grid, 1, true).Font.bold());
    }

    void paintedGridShowsTheColours() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        SetColours(form);
        OneShot(env, "Dentist", "2026-12-12");
        OneShot(env, "Bank", "2026-12-11");
        form->RefreshShotQuery();
        TDBGrid* grid = form->DBGrid_Shot;
        form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
        form->resize(900, 600);
        form->show();
        const auto pixelOf = [grid](int row) {
            const QImage image = grid->grab().toImage();
            const QRect cell = grid->visualRect(grid->model()->index(row, 3));
            return image.pixelColor(grid->viewport()->mapTo(grid, cell.bottomRight() - QPoint(2, 2)));
        };
        form->ComboBox_Stile->setCurrentText("colored");
        QCOMPARE(pixelOf(0), ToQColor(kShot));
        QCOMPARE(pixelOf(1), ToQColor(Colors::clBtnFace));
        form->ComboBox_Stile->setCurrentText("colorful");
        QCOMPARE(pixelOf(1), ToQColor(kShot));
    }

    void noteMemosGiveTheFocusAway() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OneShot(env, "Dentist", "2026-12-12", "09:00", "", "'bring papers'");
        form->RefreshShotQuery();
        QCOMPARE(form->DBMemoShot->toPlainText(), QStringLiteral("bring papers"));
        for (TDBMemo* memo : {form->DBMemoShot, form->DBMemoYear, form->DBMemoMonth, form->DBMemoWeek,
                              form->DBMemoToday, form->DBMemoToDo}) {
            form->Edit_Find_Shot->setFocus();
            QTest::mouseClick(memo->viewport(), Qt::LeftButton);
            QCOMPARE(form->focusWidget(), form->panel_credit0);
        }
        QTest::keyClicks(form, "typed");
        QCOMPARE(form->DBMemoShot->toPlainText(), QStringLiteral("bring papers"));
    }
};

QTEST_MAIN(GridPresentationTest)
#include "tst_gridpresentation.moc"
