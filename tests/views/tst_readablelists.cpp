#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Clock.h"
#include "platform/Contrast.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

using namespace qm;
using namespace qm::testrows;

namespace {

// The window at its default size, shown, on `page`.
TMainForm* ShownAtDefaultSize(TestEnvironment& env, QWidget* TMainForm::*page = nullptr) {
    TMainForm* form = env.CreateMainForm();
    form->resize(640, 480);
    form->show();
    if (page)
        form->PageControlMenu->setCurrentWidget(form->*page);
    QCoreApplication::sendPostedEvents();
    return form;
}

// True when the grid paints every text of `column` whole: the text the cell draws after eliding it
// to the cell's room (the cell's width less its padding, by the grid's font or `font`) is the full text.
bool ColumnShowsInFull(const TDBGrid* grid, int column, QStringList* cut, const QFont* font = nullptr) {
    const QAbstractItemModel* model = grid->model();
    const QFontMetrics metrics(font ? *font : grid->font());
    const int room = grid->columnWidth(column) - 6;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString text = model->data(model->index(row, column)).toString();
        if (metrics.elidedText(text, Qt::ElideRight, room) != text)
            *cut << text;
    }
    return cut->isEmpty();
}

// The share of the image's pixels in `rect` that differ from its first pixel there: text leaves marks.
int MarkedPixels(const QImage& image, const QRect& rect) {
    const QRgb background = image.pixel(rect.topLeft());
    int marked = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            marked += image.pixel(x, y) != background;
    return marked;
}

} // namespace

class TestReadableLists : public QObject {
    Q_OBJECT
private slots:
    void tasksHeaderShowsTheTimesBesideTheAlarm();
    void dateColumnsShowTheDefaultFormatsInFull();
    void widthsFollowTheFont();
    void contactColumnsShowWholeNumbersAndAddresses();
    void everyTabFitsTheDefaultWindow();
    void coloredRowsReadWell_data();
    void coloredRowsReadWell();
    void theFocusedListShowsIt();
    void theSideCalendarsTitleReadsWell();
};

void TestReadableLists::tasksHeaderShowsTheTimesBesideTheAlarm() {
    TestEnvironment env(QStringLiteral("tester"), QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    TMainForm* form = ShownAtDefaultSize(env);
    OneShot(env, QStringLiteral("Dentist"), QStringLiteral("2026-12-07"), QStringLiteral("08:30"));
    form->SpeedButtonAggiornaTutto->click();
    form->PageControlMenu->setCurrentWidget(form->TabSheetTODAY);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(form->Panel_Data_Today->Caption(), QStringLiteral("08:30 - 08:30   "));

    // The alarm flashes its message in the header.
    env.SetNow(QDateTime(QDate(2026, 12, 7), QTime(8, 30, 0, 400)));
    form->TimerContolloOrarioTimer();
    form->TimerOrologioTimer();
    QCOMPARE(form->MemoOrario->toPlainText(), QStringLiteral(" Hurry Up!  It's time to... "));
    QCoreApplication::sendPostedEvents();

    const QFontMetrics metrics(form->Panel_Data_Today->font());
    const int captionEnd = form->Panel_Data_Today->contentsRect().left() + 4 +
                           metrics.horizontalAdvance(QStringLiteral("08:30 - 08:30"));
    const QRect message = form->Panel_MEssaggio->geometry();
    QVERIFY2(message.left() >= captionEnd, "the message covers the times");
    QVERIFY(message.width() > 100);

    // What is painted: the caption's own strip carries the text, and it is the same whether the
    // message is up or not.
    const QRect strip(form->Panel_Data_Today->contentsRect().left() + 4, 2, captionEnd - 4,
                      form->Panel_Data_Today->height() - 4);
    const QImage flashing = form->Panel_Data_Today->grab().toImage();
    QVERIFY(MarkedPixels(flashing, strip) > 20);
    QTest::mouseClick(form->MemoOrario->viewport(), Qt::LeftButton);
    QCOMPARE(form->AlarmFlashing, 0);
    const QImage quiet = form->Panel_Data_Today->grab().toImage();
    QCOMPARE(flashing.copy(strip), quiet.copy(strip));

    // A larger section font: the caption is measured again.
    QFont larger = form->PageControlMenu->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.6);
    form->PageControlMenu->setFont(larger);
    QCoreApplication::sendPostedEvents();
    QVERIFY(form->Panel_Data_Today->font().bold());
    const int largerEnd =
        form->Panel_Data_Today->contentsRect().left() + 4 +
        QFontMetrics(form->Panel_Data_Today->font()).horizontalAdvance(QStringLiteral("08:30 - 08:30"));
    QVERIFY(largerEnd > captionEnd);
    QVERIFY(form->Panel_MEssaggio->x() >= largerEnd);

    // An empty list clears the caption; the message then has the whole header.
    form->DateTimePickerTODAY->setDate(QDate(2026, 12, 8));
    form->RefreshTodayQuery();
    QCoreApplication::sendPostedEvents();
    QVERIFY(form->Panel_Data_Today->Caption().isEmpty());
    QVERIFY(form->Panel_MEssaggio->x() < 10);
}

void TestReadableLists::dateColumnsShowTheDefaultFormatsInFull() {
    TestEnvironment env;
    TMainForm* form = ShownAtDefaultSize(env, &TMainForm::TabSheetShot);
    QCOMPARE(form->ShotDateFormat, QStringLiteral("dddd d mmmm yyyy"));
    // The longest day and month names of the year, on two-digit days.
    OneShot(env, QStringLiteral("Long"), QStringLiteral("2028-09-27"));
    OneShot(env, QStringLiteral("Issue date"), QStringLiteral("2028-01-11"));
    OneShot(env, QStringLiteral("Thursday"), QStringLiteral("2027-09-30"));
    Yearly(env, QStringLiteral("September"), QStringLiteral("09/27"), QStringLiteral("2028-09-27"));
    Weekly(env, QStringLiteral("Midweek"), QStringLiteral("Wednesday"), 4);
    form->SpeedButtonAggiornaTutto->click();
    QCOMPARE(GridColumn(form->DBGrid_Shot, 0).size(), 3);
    QVERIFY(GridColumn(form->DBGrid_Shot, 0).contains(QStringLiteral("Wednesday 27 September 2028")));
    QVERIFY(GridColumn(form->DBGrid_Shot, 0).contains(QStringLiteral("Tuesday 11 January 2028")));

    QStringList cut;
    QVERIFY2(ColumnShowsInFull(form->DBGrid_Shot, 0, &cut), qPrintable(cut.join(", ")));
    QVERIFY2(ColumnShowsInFull(form->DBGrid_Shot, 1, &cut), qPrintable(cut.join(", ")));
    // Every yearly format offered, on the longest month.
    for (int i = 0; i < form->ComboBox_FormatoDataYear->count(); ++i) {
        form->YearDateFormat = form->ComboBox_FormatoDataYear->itemText(i);
        form->RefreshYearQuery();
        QVERIFY2(ColumnShowsInFull(form->DBGrid_Year, 0, &cut), qPrintable(cut.join(", ")));
    }
    QVERIFY2(ColumnShowsInFull(form->DBGrid_Week, 0, &cut), qPrintable(cut.join(", ")));

    // What is painted: the cell's ink reaches where the full date's last digit ends, inside the cell.
    form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
    QCoreApplication::sendPostedEvents();
    TDBGrid* grid = form->DBGrid_Shot;
    const QString longest = QStringLiteral("Wednesday 27 September 2028");
    const int row = int(GridColumn(grid, 0).indexOf(longest));
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    const int textEnd = cell.left() + 3 + QFontMetrics(grid->font()).horizontalAdvance(longest);
    QVERIFY(textEnd < cell.right());
    const QImage painted = grid->viewport()->grab().toImage();
    const QRect lastDigit(textEnd - 6, cell.top() + 2, 6, cell.height() - 4);
    QVERIFY(MarkedPixels(painted, lastDigit.adjusted(-1, 0, 0, 0)) > 3);
}

void TestReadableLists::widthsFollowTheFont() {
    TestEnvironment env;
    TMainForm* form = ShownAtDefaultSize(env, &TMainForm::TabSheetShot);
    OneShot(env, QStringLiteral("Long"), QStringLiteral("2028-09-27"));
    form->RefreshShotQuery();
    const int before = form->DBGrid_Shot->columnWidth(0);
    QVERIFY(before >= 148);
    QFont larger = form->PageControlMenu->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    form->PageControlMenu->setFont(larger);
    QCoreApplication::sendPostedEvents();
    QVERIFY(form->DBGrid_Shot->columnWidth(0) > before);
    QStringList cut;
    QVERIFY2(ColumnShowsInFull(form->DBGrid_Shot, 0, &cut), qPrintable(cut.join(", ")));
}

void TestReadableLists::contactColumnsShowWholeNumbersAndAddresses() {
    TestEnvironment env;
    TMainForm* form = ShownAtDefaultSize(env, &TMainForm::TabSheetCONTACTS);
    // Numbers of 16 characters and addresses of 30, one of them in wide letters.
    const QString longest = QStringLiteral("wilhelm.mommsen@museum-web.com");
    Exec(env, QStringLiteral("QMcon26"),
         QStringLiteral("INSERT INTO QMcon26 (ragsoc,tel,mobile,fax,email,site) VALUES "
                        "('Giovanni Bianchi-Lombardi','+49 30 123456789','+39 347 98765432','+49 (30) "
                        "1234568','giovanni.bianchi@bianchisrl.it','www.bianchisrl.it'),"
                        "('Wilhelm Mommsen','0049 30 12345678','+49 171 2345678','','%1','')")
             .arg(longest));
    form->RefreshContactQuery();
    TDBGrid* grid = form->DBGrid_Contact;
    // The current row is drawn bold.
    QFont bold = grid->font();
    bold.setBold(true);
    QStringList cut;
    for (int column = 1; column <= 4; ++column)
        QVERIFY2(ColumnShowsInFull(grid, column, &cut, &bold), qPrintable(cut.join(", ")));
    QVERIFY(grid->horizontalScrollBar()->maximum() > 0);

    // Maximised by the window's own button: Name keeps at least its width, the others theirs.
    const int name = grid->columnWidth(0);
    QTest::mouseClick(form->SpeedButtonWinSize, Qt::LeftButton);
    QTRY_VERIFY(form->width() >= 800);
    QCoreApplication::sendPostedEvents();
    for (int column = 0; column <= 4; ++column)
        QVERIFY2(ColumnShowsInFull(grid, column, &cut, &bold), qPrintable(cut.join(", ")));
    QVERIFY(grid->columnWidth(0) >= name);

    // What is painted: the address's ink reaches where its last letter ends, inside the cell.
    const int row = int(GridColumn(grid, 4).indexOf(longest));
    const QModelIndex cell = grid->model()->index(row, 4);
    const QFont font = row == grid->currentIndex().row() ? bold : grid->font();
    grid->scrollTo(cell);
    const QRect rect = grid->visualRect(cell);
    const int textEnd = rect.left() + 3 + QFontMetrics(font).horizontalAdvance(longest);
    QVERIFY(textEnd < rect.right());
    const QImage painted = grid->viewport()->grab().toImage();
    QVERIFY(MarkedPixels(painted, QRect(textEnd - 6, rect.top() + 2, 6, rect.height() - 4)) > 3);
}

void TestReadableLists::everyTabFitsTheDefaultWindow() {
    TestEnvironment env;
    TMainForm* form = ShownAtDefaultSize(env);
    Contact(env, QStringLiteral("Anna Rossi"), QStringLiteral("Friend"), QStringLiteral("555 1234"));
    form->SpeedButtonAggiornaTutto->click();
    const QSize least = form->minimumSizeHint();
    QVERIFY2(least.width() <= 640 && least.height() <= 480,
             qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
    for (int i = 0; i < form->PageControlMenu->count(); ++i) {
        form->PageControlMenu->setCurrentIndex(i);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(form->size(), QSize(640, 480));
        const QWidget* sheet = form->PageControlMenu->currentWidget();
        QVERIFY2(sheet->minimumSizeHint().width() <= sheet->width(),
                 qPrintable(form->PageControlMenu->tabText(i)));
    }

    // The contacts bar, the fullest, keeps every button whole, the import button too, which opens
    // its menu when clicked.
    form->PageControlMenu->setCurrentWidget(form->TabSheetCONTACTS);
    QCoreApplication::sendPostedEvents();
    for (QToolButton* button : form->panel_contact->findChildren<QToolButton*>()) {
        if (!button->isVisible() || button->parentWidget() != form->panel_contact)
            continue;
        QVERIFY2(button->width() >= button->sizeHint().width(),
                 qPrintable(QStringLiteral("%1: %2 of %3")
                                .arg(button->objectName())
                                .arg(button->width())
                                .arg(button->sizeHint().width())));
        QVERIFY2(button->geometry().right() < form->panel_contact->width(), qPrintable(button->objectName()));
    }
    QTest::mouseClick(form->SpeedButtonQOC, Qt::LeftButton);
    QTRY_VERIFY(form->PopupMenuImportaContatti->isVisible());
    form->PopupMenuImportaContatti->hide();

    // The options page scrolls only up and down; the format fields and their samples show whole.
    form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
    QCoreApplication::sendPostedEvents();
    auto* scroll = form->TabSheetSetup->findChild<QScrollArea*>();
    QVERIFY(scroll);
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    form->ComboBox_FormatoDataShot->setCurrentText(QStringLiteral("dddd dd mmmm yyyy"));
    QCoreApplication::sendPostedEvents();
    const QRect view = scroll->viewport()->rect();
    for (QWidget* field :
         std::initializer_list<QWidget*>{form->ComboBox_FormatoDataShot, form->ComboBox_FormatoDataYear,
                                         form->Label_esempio_Full, form->Label_esempio_short}) {
        const QRect shown(field->mapTo(scroll->viewport(), QPoint(0, 0)), field->size());
        QVERIFY2(view.left() <= shown.left() && shown.right() <= view.right(),
                 qPrintable(field->objectName()));
    }
    QVERIFY(form->ComboBox_FormatoDataShot->width() >= form->ComboBox_FormatoDataShot->sizeHint().width());
    for (QLabel* sample : {form->Label_esempio_Full, form->Label_esempio_short})
        QVERIFY2(sample->width() >= sample->fontMetrics().horizontalAdvance(sample->text()),
                 qPrintable(sample->text()));
    QVERIFY(!form->Label_esempio_Full->text().isEmpty());
}

// The ink of a cell as painted: of its pixels, the one that stands out most from the cell's corner.
std::pair<QColor, QColor> PaintedInk(TDBGrid* grid, int row, int column) {
    const QImage painted = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->model()->index(row, column)).adjusted(2, 2, -2, -2);
    const QColor background = painted.pixelColor(cell.topLeft());
    QColor ink = background;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (ContrastRatio(painted.pixelColor(x, y), background) > ContrastRatio(ink, background))
                ink = painted.pixelColor(x, y);
    return {ink, background};
}

// Every text the lists colour, expired red and every-day blue rows, current or not, in both grid
// styles: 3:1 or more against the colours of the default set.
void TestReadableLists::coloredRowsReadWell_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("current");
    for (const char* style : {"colored", "colorful"})
        for (const char* marker : {"X", "T"})
            for (const bool current : {true, false})
                QTest::addRow("%s, %s, %s", style, marker, current ? "current" : "other")
                    << QString::fromLatin1(style) << QString::fromLatin1(marker) << current;
}

void TestReadableLists::coloredRowsReadWell() {
    QFETCH(QString, style);
    QFETCH(QString, marker);
    QFETCH(bool, current);
    TestEnvironment env;
    TMainForm* form = ShownAtDefaultSize(env, &TMainForm::TabSheetShot);
    OneShot(env, QStringLiteral("WWWWWWWW first"), QStringLiteral("2026-12-09"), QStringLiteral("09:00"),
            marker);
    OneShot(env, QStringLiteral("WWWWWWWW second"), QStringLiteral("2026-12-10"), QStringLiteral("09:00"),
            marker);
    form->ComboBox_Stile->setCurrentText(style);
    form->RefreshShotQuery();
    QCoreApplication::sendPostedEvents();
    TDBGrid* grid = form->DBGrid_Shot;
    const int row = current ? grid->currentIndex().row() : 1 - grid->currentIndex().row();
    const int description = 3;
    QVERIFY(GridColumn(grid, description).join(' ').contains(QStringLiteral("WWWWWWWW")));
    const auto [ink, background] = PaintedInk(grid, row, description);
    QVERIFY2(ContrastRatio(ink, background) >= 3.0, qPrintable(ink.name() + " on " + background.name()));
}

// The list with the keyboard frames its current row; the same list without it does not.
void TestReadableLists::theFocusedListShowsIt() {
    TestEnvironment env;
    TMainForm* form = ShownAtDefaultSize(env, &TMainForm::TabSheetShot);
    OneShot(env, QStringLiteral("Dentist"), QStringLiteral("2026-12-09"));
    form->RefreshShotQuery();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    TDBGrid* grid = form->DBGrid_Shot;
    form->Edit_Find_Shot->setFocus(Qt::TabFocusReason);
    const QRect row = grid->visualRect(grid->model()->index(0, 0));
    const QImage unfocused = grid->viewport()->grab().toImage().copy(row);
    grid->setFocus(Qt::TabFocusReason);
    QVERIFY(grid->hasFocus());
    const QImage focused = grid->viewport()->grab().toImage().copy(row);
    QVERIFY(focused != unfocused);
    // The frame runs along the row's top edge.
    int framed = 0;
    for (int x = 0; x < row.width(); ++x)
        framed += focused.pixel(x, 0) != unfocused.pixel(x, 0);
    QVERIFY(framed > row.width() / 4);
}

// The month and year on the side calendar's band, in the Tasks colour of the default set.
void TestReadableLists::theSideCalendarsTitleReadsWell() {
    TestEnvironment env;
    TMainForm* form = ShownAtDefaultSize(env, &TMainForm::TabSheetTODAY);
    QTest::mouseClick(form->SpeedButtonClendarioLato, Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    auto* band = form->Calendario_Lato->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
    QVERIFY(band && band->isVisible());
    auto* month = band->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    QVERIFY(month);
    const QImage painted = band->grab().toImage();
    const QRect text = month->geometry().adjusted(2, 2, -2, -2);
    const QColor background = painted.pixelColor(1, 1);
    QColor ink = background;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            if (ContrastRatio(painted.pixelColor(x, y), background) > ContrastRatio(ink, background))
                ink = painted.pixelColor(x, y);
    QVERIFY2(ContrastRatio(ink, background) >= 3.0, qPrintable(ink.name() + " on " + background.name()));
}

QTEST_MAIN(TestReadableLists)
#include "tst_readablelists.moc"
