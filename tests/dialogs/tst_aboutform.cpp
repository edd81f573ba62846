#include "app/MainForm.h"
#include "dialogs/AboutForm.h"
#include "platform/Launcher.h"
#include "platform/Modal.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <functional>

using namespace qm;

namespace {

// Clicks the main window's button and lets `act` play the user's part in the box.
void OpenAbout(TMainForm* form, const std::function<void(TAboutForm&)>& act) {
    ModalSeam::Queue([act](QDialog& dialog) { act(static_cast<TAboutForm&>(dialog)); });
    form->SpeedButtonAbout->click();
    QCOMPARE(ModalSeam::UnhandledCount(), 0);
}

void MoveOver(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QColor TextColor(QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestAboutForm : public QObject {
    Q_OBJECT

private slots:
    void hintChangesOnTheFirstTwentyClicksBeforeTheBoxOpens() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->SpeedButtonAbout->toolTip(), QStringLiteral("The brilliant author"));
        const QStringList expected{QStringLiteral("The famous author"), QStringLiteral("The great author")};
        for (int click = 1; click <= 22; ++click) {
            QString seen;
            OpenAbout(form, [&](TAboutForm&) { seen = form->SpeedButtonAbout->toolTip(); });
            if (click <= 2)
                QCOMPARE(seen, expected.at(click - 1));
            if (click == 19)
                QCOMPARE(seen, QStringLiteral("The perfect author"));
            if (click >= 20)
                QCOMPARE(seen, QStringLiteral("The modest author"));
        }
        QCOMPARE(form->AboutClicks, 22);
    }

    void boxLookColoursAndPictureHint() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->CurrentSectionColor = Colors::clRed;
        form->Label_Ripetuta->setText(QStringLiteral("Anna"));
        OpenAbout(form, [](TAboutForm& box) {
            QVERIFY(box.windowFlags().testFlag(Qt::FramelessWindowHint));
            QVERIFY(!box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QCOMPARE(box.windowTitle(), QStringLiteral("AboutBox"));
            QCOMPARE(box.Label8->text(), QStringLiteral("Version 28"));
            QCOMPARE(box.Panel_Progname->Caption(), QStringLiteral("Quellmire Organizer"));
            QCOMPARE(box.Panel_Progname->Color(), Colors::clRed);
            QCOMPARE(box.Panel_Bordo->Color(), Colors::clRed);
            QCOMPARE(box.Shape_Hallo->BrushColor(), Colors::clRed);
            QCOMPARE(box.Shape_Ombra->PenColor(), Colors::clRed);
            QCOMPARE(box.ImageScudo->toolTip(), QStringLiteral("Kiss me Anna!"));
            QCOMPARE(box.ImageScudo->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(box.SpeedButton2->text(), QStringLiteral("Hi!"));
            QCOMPARE(box.SpeedButton2->toolTip(), QStringLiteral("See you later!"));
            QVERIFY(!box.BitBtn1->geometry().intersects(box.rect()));
        });

        form->Label_Ripetuta->clear();
        OpenAbout(form,
                  [](TAboutForm& box) { QCOMPARE(box.ImageScudo->toolTip(), QStringLiteral("Kiss me !")); });
    }

    void pictureKissAndLinkColours() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->Label_Ripetuta->setText(QStringLiteral("Anna"));
        OpenAbout(form, [](TAboutForm& box) {
            QVERIFY(box.SpeedButtonKiss->isHidden());
            QTest::mousePress(box.ImageScudo, Qt::LeftButton);
            QVERIFY(!box.SpeedButtonKiss->isHidden());
            QCOMPARE(box.ImageScudo->toolTip(), QStringLiteral("Thanks!"));
            QTest::mouseRelease(box.ImageScudo, Qt::LeftButton);
            QVERIFY(box.SpeedButtonKiss->isHidden());
            QCOMPARE(box.ImageScudo->toolTip(), QStringLiteral("Thanks!"));

            MoveOver(box.Labelpage);
            QCOMPARE(TextColor(box.Labelpage), QColor(Qt::red));
            MoveOver(box.Labelemail);
            QCOMPARE(TextColor(box.Labelemail), QColor(Qt::red));
            // The picture turns the links blue but keeps its thanks.
            MoveOver(box.ImageScudo);
            QCOMPARE(TextColor(box.Labelpage), QColor(Qt::blue));
            QCOMPARE(TextColor(box.Labelemail), QColor(Qt::blue));
            QCOMPARE(box.ImageScudo->toolTip(), QStringLiteral("Thanks!"));

            MoveOver(box.Labelpage);
            MoveOver(box.Panel2);
            QCOMPARE(TextColor(box.Labelpage), QColor(Qt::blue));
            QCOMPARE(box.ImageScudo->toolTip(), QStringLiteral("Kiss me Anna!"));
        });
    }

    void linksOpenThePageAndAMail() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        LauncherSeam::Reset();
        OpenAbout(form, [](TAboutForm& box) {
            QTest::mouseClick(box.Labelpage, Qt::LeftButton);
            LauncherSeam::QueueResult(false); // nobody answers: nothing is said
            QTest::mouseClick(box.Labelemail, Qt::LeftButton);
            QVERIFY(box.isVisible());
        });
        QCOMPARE(LauncherSeam::Launches(), QStringList({QStringLiteral("https://quellmire.org"),
                                                        QStringLiteral("mailto:author@quellmire.org")}));

        // From the keyboard: the box opens with Space on its button, Tab reaches the links and
        // "Hi!", and Enter or Space on a link opens it.
        LauncherSeam::Reset();
        QVERIFY(form->SpeedButtonAbout->focusPolicy() & Qt::TabFocus);
        ModalSeam::Queue([](QDialog& dialog) {
            auto& box = static_cast<TAboutForm&>(dialog);
            for (QWidget* stop : {static_cast<QWidget*>(box.Labelpage), static_cast<QWidget*>(box.Labelemail),
                                  static_cast<QWidget*>(box.SpeedButton2)})
                QVERIFY2(stop->focusPolicy() & Qt::TabFocus, qPrintable(stop->objectName()));
            QTest::keyClick(box.Labelpage, Qt::Key_Return);
            QTest::keyClick(box.Labelemail, Qt::Key_Space);
            QVERIFY(box.isVisible());
            QTest::keyClick(box.SpeedButton2, Qt::Key_Space);
            QVERIFY(!box.isVisible());
        });
        QTest::keyClick(form->SpeedButtonAbout, Qt::Key_Space);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
        QCOMPARE(LauncherSeam::Launches(), QStringList({QStringLiteral("https://quellmire.org"),
                                                        QStringLiteral("mailto:author@quellmire.org")}));
    }

    void escEnterHiAndOkClose() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const std::function<void(TAboutForm&)> closers[] = {
            [](TAboutForm& box) { QTest::keyClick(&box, Qt::Key_Escape); },
            [](TAboutForm& box) { QTest::keyClick(box.BitBtn1, Qt::Key_Return); },
            [](TAboutForm& box) { box.SpeedButton2->click(); },
            [](TAboutForm& box) { box.BitBtn1->click(); },
        };
        for (const auto& close : closers) {
            bool closed = false;
            OpenAbout(form, [&](TAboutForm& box) {
                close(box);
                closed = !box.isVisible();
            });
            QVERIFY(closed);
        }
    }
};

QTEST_MAIN(TestAboutForm)
#include "tst_aboutform.moc"
