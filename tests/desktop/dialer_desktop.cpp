// The telephone dialog on a real X server under a real window manager, opened again and again as a
// user would: each time its two lists are clicked open and one of its boxes is brought up by a dial
// ("Unable to open", "Pick up phone", "Unable to dial number"), and the X server is asked where each
// landed: a list at its field, a box over the dialog. First the panels that move the windows (the
// main window's, the About box's and the telephone dialog's) are tapped and dragged. Run by
// dialer_desktop.sh; exits 0 when every window stayed or moved as it should and every pop-up opened
// at its control, 1 with a message otherwise.

#include "app/MainForm.h"
#include "desktop/Dialer.h"
#include "dialogs/AboutForm.h"
#include "dialogs/TeleForm.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/widgets/Panel.h"
#include "support/FakeModem.h"
#include "support/FileBytes.h"
#include "support/TestEnvironment.h"
#include "support/XDesktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <termios.h>
#include <xcb/xcb.h>

using namespace qm;
using namespace qm::desktop;

namespace {

constexpr int Rounds = 6;

template <typename T> T* Shown() {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    return window && window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed()
               ? window
               : nullptr;
}

// Where a panel that moves its window is pressed: the panel itself, not a control on it.
using Handle = std::function<QPair<QWidget*, QPoint>()>;

// A quick tap (press and release before the program sees either, as a touchpad tap or a fast
// click arrives) leaves the window where it is, even once the pointer moves on: five times, as a
// window manager's move that stuck to the pointer came four times in five. A drag moves the window
// by as much as the pointer went, and no further once the button is up. A drag let go before the
// program saw it start leaves the window where it was.
void TapAndDrag(Hand& hand, const QString& name, const Handle& handle) {
    struct Place {
        QWidget* window = nullptr;
        QPoint at;
        QPoint before;
    };
    auto place = std::make_shared<Place>();
    const auto press = [place, handle, name](const QStringList& gesture) {
        return [place, handle, name, gesture] {
            const auto [panel, local] = handle();
            if (!panel || panel->childAt(local))
                Fail(name + ": the spot to press is not on the panel");
            place->window = panel->window();
            place->at = OnScreen(panel, local);
            place->before = OnScreen(place->window).topLeft();
            Xdotool(QStringList{"mousemove", "--sync", QString::number(place->at.x()),
                                QString::number(place->at.y())} +
                    gesture);
            return true;
        };
    };
    const auto pointerAway = [place] {
        Xdotool(
            {"mousemove", "--sync", QString::number(place->at.x() + 150), QString::number(place->at.y())});
        return true;
    };
    const auto stays = [place, name](const QString& what) {
        return [place, name, what] {
            const QPoint now = OnScreen(place->window).topLeft();
            if (now != place->before)
                Fail(QStringLiteral("%1: the window moved from %2,%3 to %4,%5 after %6")
                         .arg(name)
                         .arg(place->before.x())
                         .arg(place->before.y())
                         .arg(now.x())
                         .arg(now.y())
                         .arg(what));
            return true;
        };
    };
    for (int tap = 1; tap <= 5; ++tap) {
        const QString what = QStringLiteral("tap %1").arg(tap);
        hand.Then(name + ": " + what, press({"click", "1"}));
        hand.Then(name + ": the tap is seen", Pause(150));
        hand.Then(name + ": the pointer goes away", pointerAway);
        hand.Then(name + ": the window stays", Pause(400));
        hand.Then(name + ": the window stayed", stays(what));
    }

    hand.Then(name + ": a press", press({"mousedown", "1"}));
    hand.Then(name + ": the press is seen", Pause(100));
    for (int step = 0; step < 4; ++step) {
        hand.Then(name + ": the pointer moves on", [] {
            Xdotool({"mousemove_relative", "--sync", "30", "0"});
            return true;
        });
        hand.Then(name + ": the move is seen", Pause(60));
    }
    hand.Then(name + ": the release", [] {
        Xdotool({"mouseup", "1"});
        return true;
    });
    hand.Then(name + ": the window moved with the pointer", [place, name, since = Pause(2000)] {
        const QPoint moved = OnScreen(place->window).topLeft() - place->before;
        if (qAbs(moved.x() - 120) > 3 || qAbs(moved.y()) > 3) {
            if (since())
                Fail(QStringLiteral("%1: a drag by 120,0 moved the window by %2,%3")
                         .arg(name)
                         .arg(moved.x())
                         .arg(moved.y()));
            return false;
        }
        place->before += moved;
        Say(QStringLiteral("%1: dragged by %2,%3").arg(name).arg(moved.x()).arg(moved.y()));
        return true;
    });
    hand.Then(name + ": the pointer goes away", pointerAway);
    hand.Then(name + ": the window stays", Pause(400));
    hand.Then(name + ": the window stayed", stays(QStringLiteral("the drag")));

    hand.Then(name + ": a drag let go at once",
              press({"mousedown", "1", "mousemove_relative", "--sync", "40", "0", "mouseup", "1"}));
    hand.Then(name + ": the drag is seen", Pause(150));
    // Which comes first to the window manager, the move the program asks for or the release, is a
    // race: the window has then gone the 40 pixels dragged, or is where it was. Never more, and it
    // does not stick to the pointer.
    hand.Then(name + ": the quick drag moved the window by what was dragged or not at all", [place, name] {
        const QPoint moved = OnScreen(place->window).topLeft() - place->before;
        if (moved != QPoint(0, 0) && (qAbs(moved.x() - 40) > 3 || qAbs(moved.y()) > 3))
            Fail(QStringLiteral("%1: a drag by 40,0 let go at once moved the window by %2,%3")
                     .arg(name)
                     .arg(moved.x())
                     .arg(moved.y()));
        place->before += moved;
        return true;
    });
    hand.Then(name + ": the pointer goes away", pointerAway);
    hand.Then(name + ": the window stays", Pause(400));
    hand.Then(name + ": the window stayed", stays(QStringLiteral("the drag let go at once")));
}

enum class Line { Held, Free, Stalled };

struct Round {
    Line line;
    QString box;
    QByteArray received;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetProgramName(QStringLiteral("dialer_desktop"));
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        Fail("needs an X server, not " + QGuiApplication::platformName());
    TestEnvironment env;
    // The real boxes and modal loops, as the user meets them.
    MessageBoxSeam::Disable();
    ModalSeam::Disable();
    TMainForm* form = env.CreateMainForm();
    TestEnvironment::ExecOnFile(
        env.ArchiveFile(QStringLiteral("QMcon26.db")),
        QStringLiteral(
            "INSERT INTO QMcon26 (ragsoc,indirizzo,tel,email,note,fax,gruppo,site,company,mobile,allegato) "
            "VALUES ('Rossi','','0612 345','','','','','','','333 12','')"));
    form->RefreshContactQuery();
    form->move(20, 20);
    form->show();

    FakeModem modem;
    if (modem.Device().isEmpty())
        Fail("no pseudo-terminal");
    DialerSeam::SetPortDevice(dpCOM2, modem.Device());
    DialerSeam::SetWriteTimeout(300);
    const QString lockFile =
        env.LockFolder() + QStringLiteral("/LCK..") + QFileInfo(modem.Device()).fileName();

    const QList<Round> kinds{{Line::Held, QStringLiteral("Unable to open COM2"), QByteArray()},
                             {Line::Free, QStringLiteral("Pick up phone"), "ATDT0612 345\r\nATH\r\n"},
                             {Line::Stalled, QStringLiteral("Unable to dial number"), QByteArray()}};
    Hand hand;
    hand.Then("the main window is shown",
              [form] { return form->windowHandle() && form->windowHandle()->isExposed(); });
    // The caption's date lets presses through to its bar.
    TapAndDrag(hand, "the caption's date", [form] {
        return qMakePair<QWidget*, QPoint>(form->panel_credit0, form->panel_credit->geometry().center());
    });
    TapAndDrag(hand, "the Tasks frame", [form] {
        auto* frame = form->findChild<TPanel*>(QStringLiteral("Panel_Contorno_Today"));
        return qMakePair<QWidget*, QPoint>(frame, QPoint(2, frame ? frame->height() / 2 : 0));
    });
    hand.Then("the About button is clicked", [form] {
        ClickAt(OnScreen(form->SpeedButtonAbout, form->SpeedButtonAbout->rect().center()));
        return true;
    });
    hand.Then("the About box is shown", [] { return Shown<TAboutForm>() != nullptr; });
    TapAndDrag(hand, "the About box's name", [] {
        TPanel* name = Shown<TAboutForm>()->Panel_Progname;
        return qMakePair<QWidget*, QPoint>(name, QPoint(4, name->height() / 2));
    });
    hand.Then("the About box closes", [] {
        Shown<TAboutForm>()->reject();
        return true;
    });
    hand.Then("the telephone dialog opens", [form] {
        QTimer::singleShot(0, form, [form] { ShowTeleForm(form); });
        return true;
    });
    hand.Then("the telephone dialog is shown", [] { return Shown<TTeleForm>() != nullptr; });
    TapAndDrag(hand, "the telephone dialog's border",
               [] { return qMakePair<QWidget*, QPoint>(Shown<TTeleForm>()->OuterPanel(), QPoint(2, 40)); });
    TapAndDrag(hand, "the telephone dialog's fields panel", [] {
        TPanel* inner = Shown<TTeleForm>()->InnerPanel();
        return qMakePair<QWidget*, QPoint>(inner, QPoint(3, inner->height() - 3));
    });
    TapAndDrag(hand, "the telephone dialog's button bar", [] {
        TPanel* bottom = Shown<TTeleForm>()->BottomPanel();
        return qMakePair<QWidget*, QPoint>(bottom, QPoint(3, bottom->height() / 2));
    });
    hand.Then("the telephone dialog closes", [] {
        Shown<TTeleForm>()->reject();
        return true;
    });
    hand.Then("the telephone dialog is gone", [] { return QApplication::activeModalWidget() == nullptr; });
    for (int round = 0; round < Rounds; ++round) {
        const Round kind = kinds[round % kinds.size()];
        const QString name = QStringLiteral("open %1: ").arg(round + 1);
        hand.Then(name + "the dialog opens", [form, kind, lockFile, &modem] {
            if (kind.line == Line::Held)
                WriteFileBytes(lockFile,
                               QByteArray::number(qint64(getppid())).rightJustified(10, ' ') + '\n');
            else
                QFile::remove(lockFile);
            ::tcflow(modem.Line(), kind.line == Line::Stalled ? TCOOFF : TCOON);
            QTimer::singleShot(0, form, [form] { ShowTeleForm(form); });
            return true;
        });
        hand.Then(name + "the dialog is shown", [] { return Shown<TTeleForm>() != nullptr; });
        for (const bool numbers : {true, false}) {
            const QString what =
                numbers ? QStringLiteral("the number list") : QStringLiteral("the port list");
            const auto combo = [numbers] {
                TTeleForm* tele = Shown<TTeleForm>();
                return numbers ? tele->ComboBox_telefoni : tele->ComboBoxCOM;
            };
            hand.Then(name + "a click opens " + what, [combo] {
                QComboBox* field = combo();
                ClickAt(OnScreen(field, QPoint(field->width() - 6, field->height() / 2)));
                return true;
            });
            hand.Then(name + what + " drops down at its field", [combo, name, what] {
                QWidget* list = QApplication::activePopupWidget();
                if (!list || !list->windowHandle() || !list->windowHandle()->isExposed())
                    return false;
                QComboBox* field = combo();
                const QRect at(OnScreen(field, QPoint()), field->size());
                const QRect shown = OnScreen(list);
                Say(name + what + " at " + Text(shown) + ", its field at " + Text(at));
                if (qAbs(shown.left() - at.left()) > 2 || shown.top() > at.bottom() + 2 ||
                    shown.bottom() < at.bottom())
                    Fail(name + what + " opened at " + Text(shown) + ", its field is at " + Text(at));
                Xdotool({"key", "Escape"});
                return true;
            });
            hand.Then(name + what + " closes", [] { return QApplication::activePopupWidget() == nullptr; });
        }
        hand.Then(name + "Enter dials", [] {
            Xdotool({"key", "Return"});
            return true;
        });
        hand.Then(name + "the box \"" + kind.box + "\" is over the dialog", [kind, name] {
            auto* box = Shown<QMessageBox>();
            if (!box)
                return false;
            auto* tele = qobject_cast<TTeleForm*>(box->parentWidget());
            if (box->text() != kind.box || !tele)
                Fail(name + "the box \"" + box->text() + "\" came, not \"" + kind.box + "\" over the dialog");
            const QRect dialog = FramedOnScreen(tele);
            const QRect shown = FramedOnScreen(box);
            Say(name + "\"" + kind.box + "\" at " + Text(shown) + ", the dialog at " + Text(dialog));
            // Centred across, and a little high as boxes stand (Qt's rule): its middle within the dialog.
            if (qAbs(shown.center().x() - dialog.center().x()) > 12 || !dialog.contains(shown.center()))
                Fail(name + "\"" + kind.box + "\" opened at " + Text(shown) + ", the dialog is at " +
                     Text(dialog));
            QWidget* ok = box->button(QMessageBox::Ok);
            ClickAt(OnScreen(ok, ok->rect().center()));
            return true;
        });
        hand.Then(name + "the box closes", [] { return Shown<TTeleForm>() != nullptr; });
        hand.Then(name + "the modem got what it should", [kind, name, &modem] {
            ::tcflow(modem.Line(), TCOON);
            const QByteArray received = modem.Received(kind.received.size() + 1, 200);
            if (received != kind.received)
                Fail(name + "the modem got \"" + QString::fromLatin1(received.toPercentEncoding()) + "\"");
            Xdotool({"key", "Escape"});
            return true;
        });
        hand.Then(name + "the dialog closes", [] { return QApplication::activeModalWidget() == nullptr; });
    }
    hand.Then("done", [] {
        Say("passed");
        // Whatever the closing main window might ask is answered by the seams again.
        MessageBoxSeam::Enable();
        ModalSeam::Enable();
        QCoreApplication::exit(0);
        return true;
    });
    hand.Start();
    return app.exec();
}
