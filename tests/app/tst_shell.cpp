#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "engine/DataControls.h"
#include "platform/Contrast.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "store/SectionColors.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace qm;

namespace {

QColor BaseOf(const QWidget* widget) {
    return widget->palette().color(QPalette::Base);
}

// Lays the window out at its size, as showing it would, without waiting for the window system.
void LayOut(TMainForm* form, int width, int height) {
    form->resize(width, height);
    form->show();
    QCoreApplication::sendPostedEvents();
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void tabChangeColoursAndFocus() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const SectionColorSet& c = form->SectionColors;
        // The window starts on the Tasks tab with the top bar in its colour.
        QCOMPARE(form->panel_credit0->Color(), c.TodayColor);
        QCOMPARE(form->CurrentSectionColor, c.TodayColor);

        // Before the window is first shown a tab change focuses nothing.
        QCOMPARE(form->SkipFocus, -1);
        form->PageControlMenu->setCurrentWidget(form->TabSheetYEAR);
        QCOMPARE(form->panel_credit0->Color(), c.YearColor);
        QCOMPARE(form->CurrentSectionColor, c.YearColor);
        QVERIFY(form->focusWidget() != form->Edit_Find_Anno);
        // Every find field takes its own section's colour, whichever tab is shown.
        QCOMPARE(BaseOf(form->Edit_Find_Shot), ToQColor(c.ShotColor));
        QCOMPARE(BaseOf(form->Edit_Find_Anno), ToQColor(c.YearColor));
        QCOMPARE(BaseOf(form->Edit_Find_Mese), ToQColor(c.MonthColor));
        QCOMPARE(BaseOf(form->Edit_Find_Week), ToQColor(c.WeekColor));
        QCOMPARE(BaseOf(form->Edit_ragsoc), ToQColor(c.ContactColor));
        QCOMPARE(BaseOf(form->Edit_Find_ToDo), ToQColor(c.TodoColor));

        form->FormShow();
        QCOMPARE(form->SkipFocus, 0);
        form->PageControlMenu->setCurrentWidget(form->TabSheetCONTACTS);
        QCOMPARE(form->focusWidget(), form->Edit_ragsoc);
        QCOMPARE(form->CurrentSectionColor, c.ContactColor);
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        QCOMPARE(form->focusWidget(), form->CheckBox_Autostart);
        QCOMPARE(form->CurrentSectionColor, c.UserColor);

        // The Notes tab takes its colour and focuses no field of its own.
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        QCOMPARE(form->CurrentSectionColor, c.NotesColor);
        QCOMPARE(form->panel_credit0->Color(), c.NotesColor);
        QVERIFY(form->focusWidget() != form->Edit_Find_ToDo);

        // Looking at the Tasks tab stops the alarm animation.
        form->CoolTrayIcon->SetCycleIcons(true);
        form->PageControlMenu->setCurrentWidget(form->TabSheetTODAY);
        QVERIFY(!form->CoolTrayIcon->CycleIcons());
        QCOMPARE(form->CurrentSectionColor, c.TodayColor);
    }

    void emptyLastTabCaptionComesBackAsOptions() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->EditLastLabel->clear();
        form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
        QCOMPARE(form->EditLastLabel->text(), QStringLiteral("Options"));
        form->EditLastLabel->setText(QStringLiteral("Mine"));
        form->PageControlMenu->setCurrentWidget(form->TabSheetYEAR);
        QCOMPARE(form->EditLastLabel->text(), QStringLiteral("Mine"));
    }

    void fieldsTakeTheSectionColourWhileFocused() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->PageControlMenu->setCurrentWidget(form->TabSheetMonth);
        const QColor month = ToQColor(form->SectionColors.MonthColor);
        const QColor white(Qt::white);

        // The window's own fields are bound through focus events.
        QFocusEvent in(QEvent::FocusIn);
        QFocusEvent out(QEvent::FocusOut);
        for (QWidget* field :
             std::initializer_list<QWidget*>{form->Edit_Find_Shot, form->ComboBox_KindFindToDo,
                                             form->ComboBox_FormatoDataYear, form->EditLastLabel}) {
            QApplication::sendEvent(field, &in);
            QCOMPARE(BaseOf(field), month);
            QApplication::sendEvent(field, &out);
            QCOMPARE(BaseOf(field), white);
        }

        // Dialogs call the handlers themselves; only edits, memos and combos are coloured.
        QPlainTextEdit memo;
        form->OnFieldEnter(&memo);
        QCOMPARE(BaseOf(&memo), month);
        form->OnFieldExit(&memo);
        QCOMPARE(BaseOf(&memo), white);
        QCheckBox box;
        const QColor before = BaseOf(&box);
        form->OnFieldEnter(&box);
        QCOMPARE(BaseOf(&box), before);
    }

    void tabsArePaintedInTheirSectionColours() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QImage image(200, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int tab : {secShot, secContacts, secOptions}) {
            QPainter painter(&image);
            form->PageControlMenuDrawTab(painter, tab, QRect(0, 0, 200, 40), false);
            painter.end();
            QCOMPARE(QColor(image.pixel(2, 2)), ToQColor(form->SectionColors[tab]));
        }
    }

    void captionGlyphsStandOutOnEverySectionColour() {
        QCOMPARE(ContrastRatio(Qt::black, Qt::white), 21.0);
        QCOMPARE(qRound(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white) * 100), 448);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        LayOut(form, 700, 500);
        QTabBar* tabs = form->PageControlMenu->tabBar();
        // Each glyph is drawn in black or white, whichever stands out more, and at least 3:1.
        const auto checkGlyphs = [form](const QString& where) {
            const QImage bar = form->panel_credit0->grab().toImage();
            const QColor colour = ToQColor(form->panel_credit0->Color());
            const QColor black(Qt::black), white(Qt::white);
            const QColor ink = ContrastRatio(black, colour) >= ContrastRatio(white, colour) ? black : white;
            QVERIFY2(ContrastRatio(ink, colour) >= 3, qPrintable(where));
            for (const QToolButton* button : {form->SpeedButton_MINIMIZE, form->SpeedButtonTOP,
                                              form->SpeedButtonWinSize, form->SpeedButtonEXIT}) {
                const QRect rect = button->geometry();
                int inked = 0;
                for (int y = rect.top(); y <= rect.bottom(); ++y)
                    for (int x = rect.left(); x <= rect.right(); ++x)
                        inked += QColor(bar.pixel(x, y)) == ink;
                QVERIFY2(inked >= 8, qPrintable(where + u' ' + button->objectName()));
            }
        };
        // The classic colours, each by a click on its tab; then dark ones, where the ink turns white.
        for (int tab = 0; tab < SectionCount; ++tab) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
            QCOMPARE(form->panel_credit0->Color(), ClassicSectionColors()[tab]);
            checkGlyphs(tabs->tabText(tab));
        }
        for (const TColor dark : {Colors::clNavy, TColor(0x00505050), Colors::clBlack}) {
            form->SectionColors[secOptions] = dark;
            form->ApplySectionColor();
            checkGlyphs(ColorToString(dark));
        }
        QCOMPARE(form->panel_credit0->grab().toImage().pixelColor(form->SpeedButtonEXIT->geometry().center()),
                 QColor(Qt::white));
    }

    void contactNameTakesTheRestFrom800() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->PageControlMenu->setCurrentWidget(form->TabSheetCONTACTS);
        TDBGrid* contacts = form->DBGrid_Contact;

        // Below 800 pixels the contact columns keep the widths they were laid out with (the grid scrolls).
        LayOut(form, 700, 500);
        const int laidOut = contacts->Column(0).Width;
        QVERIFY(laidOut >= 189);
        QCOMPARE(contacts->ColumnWidth(0), laidOut);
        QCOMPARE(form->Label_FormSize->text(), QStringLiteral("700 x 500"));

        // From 800 on the name takes what the six other columns leave, but never less than that.
        LayOut(form, 800, 500);
        QCOMPARE(contacts->ColumnWidth(0), laidOut);
        QCOMPARE(form->Label_FormSize->text(), QStringLiteral("800 x 500"));
        LayOut(form, 1600, 500);
        int others = 0;
        for (int column = 1; column <= 6; ++column)
            others += contacts->ColumnWidth(column);
        QCOMPARE(contacts->ColumnWidth(0), contacts->ClientWidth() - others - 8);
        QVERIFY(contacts->ColumnWidth(0) > laidOut);
    }

    void tasksDescriptionTakesTheRestFromTheFirstShow() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        TDBGrid* today = form->DBGrid_Today;
        // The rest of the client width, never counting the hidden columns.
        const auto rest = [today] {
            return today->ClientWidth() - today->ColumnWidth(0) - today->ColumnWidth(1) -
                   today->ColumnWidth(3) - 6;
        };
        // The grids are sized only after the window first shows; the rule follows them there, and
        // again when the list opens anew.
        LayOut(form, 1000, 600);
        QVERIFY(today->ClientWidth() > 800);
        QCOMPARE(today->ColumnWidth(2), rest());
        form->RefreshTodayQuery();
        QCOMPARE(today->ColumnWidth(2), rest());
    }

    void popupMenuFollowsTheTabsButtons() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QAction* print = form->Stampa2->menuAction();

        form->PageControlMenu->setCurrentWidget(form->TabSheetWEEK);
        form->SpeedButtonDelWeek->setEnabled(true);
        form->PopupMenuTabellePopup();
        QVERIFY(form->Inserisci1->menuAction()->isEnabled());
        QVERIFY(form->Elimina1->isEnabled());
        QVERIFY(form->Modifica1->isEnabled());
        QVERIFY(print->isEnabled());
        QVERIFY(form->Anteprima2->isEnabled());

        form->SpeedButtonDelWeek->setEnabled(false);
        form->PopupMenuTabellePopup();
        QVERIFY(!form->Elimina1->isEnabled());
        QVERIFY(!form->Modifica1->isEnabled());
        QVERIFY(!print->isEnabled());
        QVERIFY(form->Anteprima2->isEnabled());

        // Notes: no preview, printing follows the note print button.
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        form->SpeedButtonDelnote->setEnabled(true);
        form->SpeedButtonPrintNote->setEnabled(false);
        form->PopupMenuTabellePopup();
        QVERIFY(form->Elimina1->isEnabled());
        QVERIFY(form->Modifica1->isEnabled());
        QVERIFY(!form->Anteprima2->isEnabled());
        QVERIFY(!print->isEnabled());

        // The last tab offers only "New".
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        form->PopupMenuTabellePopup();
        QVERIFY(form->Inserisci1->menuAction()->isEnabled());
        QVERIFY(!form->Elimina1->isEnabled());
        QVERIFY(!form->Modifica1->isEnabled());
        QVERIFY(!print->isEnabled());
    }

    void deleteAndModifyClickTheTabsButtons() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QSignalSpy deleteToDo(form->SpeedButtonDelToDo, &QToolButton::clicked);
        QSignalSpy modifyYear(form->SpeedButtonModYear, &QToolButton::clicked);
        form->SpeedButtonDelToDo->setEnabled(true);
        form->SpeedButtonModYear->setEnabled(true);

        form->PageControlMenu->setCurrentWidget(form->TabSheetToDo);
        form->Elimina1->trigger();
        QCOMPARE(deleteToDo.count(), 1);
        QCOMPARE(modifyYear.count(), 0);

        form->PageControlMenu->setCurrentWidget(form->TabSheetYEAR);
        form->Modifica1->trigger();
        QCOMPARE(modifyYear.count(), 1);
        QCOMPARE(deleteToDo.count(), 1);

        // On the last tab nothing is clicked.
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        form->Elimina1Click();
        form->Modifica1Click();
        QCOMPARE(deleteToDo.count() + modifyYear.count(), 2);
    }

    void lastTabCaptionFromTabNameFile_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first line") << true << QStringList{"Personal", "ignored"} << "Personal";
        QTest::newRow("empty first line") << true << QStringList{"", "ignored"} << "tester";
        QTest::newRow("no line") << true << QStringList{} << "tester";
        QTest::newRow("no file") << false << QStringList{} << "tester";
    }

    void lastTabCaptionFromTabNameFile() {
        QFETCH(bool, exists);
        QFETCH(QStringList, lines);
        QFETCH(QString, expected);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        if (exists)
            QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("TabName.txt")), lines));
        form->FormShow();
        QCOMPARE(form->EditLastLabel->text(), expected);
        QCOMPARE(form->PageControlMenu->tabText(8), expected);
        // The caption shown is the one kept for the next start.
        QCOMPARE(LoadTextLines(env.ArchiveFile(QStringLiteral("TabName.txt"))), QStringList{expected});
    }

    void clearedLastTabCaptionBecomesOptionsOnTabChange() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->FormShow();
        form->EditLastLabel->clear();
        QCOMPARE(form->PageControlMenu->tabText(8), QString());
        QCOMPARE(LoadTextLines(env.ArchiveFile(QStringLiteral("TabName.txt"))), QStringList{QString()});
        form->PageControlMenu->setCurrentIndex(0);
        QCOMPARE(form->PageControlMenu->tabText(8), QStringLiteral("Options"));
        QCOMPARE(LoadTextLines(env.ArchiveFile(QStringLiteral("TabName.txt"))), QStringList{"Options"});
    }

    void sideCalendarFollowsShowCaleFile() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->FormShow();
        QVERIFY(form->Panel_LATO->isHidden());
        QVERIFY(!form->SpeedButtonClendarioLato->isChecked());

        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("ShowCale.txt")), {}));
        form->FormShow();
        QVERIFY(!form->Panel_LATO->isHidden());
        QVERIFY(form->SpeedButtonClendarioLato->isChecked());
    }

    void escapeClicksTheQuitButton() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QSignalSpy quit(form->SpeedButtonEXIT, &QToolButton::clicked);
        form->PageControlMenu->setCurrentWidget(form->TabSheetShot);

        // Also while a find field has the focus, which would otherwise take the key.
        QTest::keyClick(form->Edit_Find_Shot, Qt::Key_Escape);
        QCOMPARE(quit.count(), 1);
        QTest::keyClick(form->Edit_Find_Shot, Qt::Key_A);
        QCOMPARE(form->Edit_Find_Shot->text(), QStringLiteral("a"));
        QCOMPARE(quit.count(), 1);
        QTest::keyClick(form, Qt::Key_Escape);
        QCOMPARE(quit.count(), 2);

        // Esc in another window is that window's own.
        QDialog other;
        QLineEdit field(&other);
        QTest::keyClick(&field, Qt::Key_Escape);
        QCOMPARE(quit.count(), 2);
    }

    void panelsDragTheWindow_data() {
        QTest::addColumn<bool>("captionBar");
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<bool>("moves");
        const int near = QApplication::startDragDistance() - 1;
        QTest::newRow("caption: a tap") << true << QPoint() << false;
        QTest::newRow("caption: short of the drag distance")
            << true << QPoint(near / 2, near - near / 2) << false;
        QTest::newRow("caption: a drag") << true << QPoint(40, 20) << true;
        QTest::newRow("tab frame: a tap") << false << QPoint() << false;
        QTest::newRow("tab frame: a drag") << false << QPoint(-30, 40) << true;
    }

    void panelsDragTheWindow() {
        QFETCH(bool, captionBar);
        QFETCH(QPoint, travel);
        QFETCH(bool, moves);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // Room to move on the screen (800 pixels wide offscreen), which the window is kept on.
        LayOut(form, 600, 400);
        form->move(100, 100);
        const QPoint start = form->pos();
        // The caption's date lets presses through to its bar.
        QWidget* handle =
            captionBar ? static_cast<QWidget*>(form->panel_credit0)
                       : form->TabSheetTODAY->findChild<TPanel*>(QStringLiteral("Panel_Contorno_Today"));
        QVERIFY(handle);
        const QPoint at = captionBar ? form->panel_credit->geometry().center() : QPoint(2, 100);
        QCOMPARE(handle->childAt(at), nullptr);
        QTest::mousePress(handle, Qt::LeftButton, {}, at);
        QTest::mouseMove(handle, at + travel);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at + travel);
        const QPoint end = start + (moves ? travel : QPoint());
        QCOMPARE(form->pos(), end);

        // Once released, moving the mouse moves nothing.
        QTest::mouseMove(handle, at + QPoint(60, 30));
        QCOMPARE(form->pos(), end);

        // A maximised window stays put.
        form->showMaximized();
        const QPoint maximised = form->pos();
        QTest::mousePress(handle, Qt::LeftButton, {}, at);
        QTest::mouseMove(handle, at + QPoint(40, 20));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at + QPoint(40, 20));
        QCOMPARE(form->pos(), maximised);
    }

    // Where no window manager takes the resize, the window follows the pointer itself; the edges
    // not dragged stay.
    void borderResizesTheWindow_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<QRect>("change"); // the geometry's left, top, right and bottom move by x, y, w, h
        const int near = QApplication::startDragDistance() - 1;
        QTest::newRow("right edge") << QPoint(-2, 250) << QPoint(100, 7) << QRect(0, 0, 100, 0);
        QTest::newRow("bottom edge") << QPoint(350, -1) << QPoint(5, 100) << QRect(0, 0, 0, 100);
        QTest::newRow("bottom-right corner") << QPoint(-8, -2) << QPoint(100, 100) << QRect(0, 0, 100, 100);
        QTest::newRow("left edge") << QPoint(1, 250) << QPoint(-60, 0) << QRect(-60, 0, 0, 0);
        QTest::newRow("top-left corner") << QPoint(3, 3) << QPoint(-20, -30) << QRect(-20, -30, 0, 0);
        QTest::newRow("a tap") << QPoint(-2, 250) << QPoint() << QRect();
        QTest::newRow("short of the drag distance") << QPoint(-2, 250) << QPoint(near, 0) << QRect();
    }

    void borderResizesTheWindow() {
        QFETCH(QPoint, at);
        QFETCH(QPoint, travel);
        QFETCH(QRect, change);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        LayOut(form, 700, 500);
        form->move(60, 50);
        const QRect before = form->geometry();
        // Counted from the right or bottom when negative.
        const QPoint spot(at.x() < 0 ? before.width() + at.x() : at.x(),
                          at.y() < 0 ? before.height() + at.y() : at.y());
        QWidget* under = form->childAt(spot);
        QWidget* target = under ? under : form;
        const QPoint local = target->mapFrom(form, spot);
        QTest::mousePress(target, Qt::LeftButton, {}, local);
        QTest::mouseMove(target, local + travel);
        QTest::mouseRelease(target, Qt::LeftButton, {}, local + travel);
        const QRect after = before.adjusted(change.x(), change.y(), change.width(), change.height());
        QCOMPARE(form->geometry(), after);

        // Maximised, the border is gone.
        QTest::mouseClick(form->SpeedButtonWinSize, Qt::LeftButton);
        const QRect maximised = form->geometry();
        QTest::mousePress(form, Qt::LeftButton, {}, QPoint(maximised.width() - 2, 200));
        QTest::mouseMove(form, QPoint(maximised.width() - 60, 200));
        QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(maximised.width() - 60, 200));
        QCOMPARE(form->geometry(), maximised);
    }

    void windowButtons() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        LayOut(form, 700, 500);

        form->SpeedButtonTOP->click();
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form->isVisible());
        form->SpeedButtonTOP->click();
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        QTest::mouseClick(form->SpeedButtonWinSize, Qt::LeftButton);
        QVERIFY(form->windowState().testFlag(Qt::WindowMaximized));
        QTest::mouseClick(form->SpeedButtonWinSize, Qt::LeftButton);
        QVERIFY(!form->windowState().testFlag(Qt::WindowMaximized));
    }

    void helpAndDonationLinks() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();

        form->SpeedButtonHelpOnLine->click();
        form->SpeedButton1->click();
        QCOMPARE(LauncherSeam::Launches(), QStringList({"https://quellmire.org/quellmire/helpframe.htm",
                                                        "https://quellmire.org/donate"}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        // A browser that cannot be started is reported; a failed donation link is not.
        LauncherSeam::QueueResult(false);
        LauncherSeam::QueueResult(false);
        form->SpeedButtonHelpOnLine->click();
        form->SpeedButton1->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text,
                 QStringLiteral("Sorry, I can't find your internet browser!"));

        // The help file in the program folder comes first, then the manual shipped with the program;
        // the message says that neither is there.
        MessageBoxSeam::Reset();
        LauncherSeam::Reset();
        LayOut(form, 700, 500);
        const auto clickManual = [form] { QTest::mouseClick(form->SpeedButton_Manual, Qt::LeftButton); };
        clickManual();
        QCOMPARE(LauncherSeam::Launches().size(), 0);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(
            MessageBoxSeam::Shown()[0].text,
            QStringLiteral("Help Manual not found. Please download the help file from my website, and put "
                           "it into my installation folder."));
        QCOMPARE(MessageBoxSeam::Shown()[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, Mb::Ok);
        const QString manual = env.ProgramFolder() + QStringLiteral("manual.html");
        const QString help = env.ProgramFolder() + QStringLiteral("QO_Help.chm");
        QVERIFY(SaveTextLines(manual, {"<html></html>"}));
        clickManual();
        QCOMPARE(LauncherSeam::Launches(), QStringList{manual});
        QVERIFY(SaveTextLines(help, {"help"}));
        clickManual();
        QCOMPARE(LauncherSeam::Launches(), (QStringList{manual, help}));
        // A help file the desktop cannot open gives way to the manual.
        LauncherSeam::QueueResult(false);
        clickManual();
        QCOMPARE(LauncherSeam::Launches(), (QStringList{manual, help, help, manual}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        // No program opens them: the box names what is there instead of calling it missing.
        LauncherSeam::QueueResult(false);
        LauncherSeam::QueueResult(false);
        clickManual();
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 "The Help Manual is there, but no program on this computer could open it: \"" + help +
                     "\", \"" + manual + "\". Install a web browser, then try again.");
        QVERIFY(QFile::remove(help));
        LauncherSeam::QueueResult(false);
        clickManual();
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 "The Help Manual is there, but no program on this computer could open it: \"" + manual +
                     "\". Install a web browser, then try again.");
        QCOMPARE(MessageBoxSeam::Shown().size(), 3);

        form->SpeedButton16->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 QStringLiteral(
                     "This section builds an automatic daily plan based on the One Shot (Daily), Yearly, "
                     "Monthly and Weekly entries!"));
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
