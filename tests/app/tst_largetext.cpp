// A large font: every window lays its texts out whole, taking more room where it needs it.

#include "app/MainForm.h"
#include "dialogs/SelectForm.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"
#include "support/TestEnvironment.h"
#include "support/TextFits.h"

#include <QApplication>
#include <QDialog>
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
        TMainForm* form = env.CreateMainForm();
        form->show();
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
};

QTEST_MAIN(LargeTextTest)
#include "tst_largetext.moc"
