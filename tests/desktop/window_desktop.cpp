// The main window on a real X server, worked as a person does, with xdotool: under openbox the About
// box, an add dialog, the print preview and a message box are opened and closed with real clicks and
// keys, and after each the main window is the active one again, the focus where it was, and a
// typed Ctrl+Tab changes its tab; each dialog stands over the main window and has no taskbar
// button. A press on the caption whose release goes where a modal box opened meanwhile leaves no
// drag behind. The edges and the corner resize the window, a tap there changes nothing, and
// Maximize then Restore gives back the size and place from before, also with no window manager; a
// panel that takes the bottom of the screen moves a window standing there up. With a stored
// 1000 x 700 at scale 2 on a 1920 x 1080 screen the whole window is on the screen. Run by
// window_desktop.sh with the mode "openbox", "bare" (no window manager) or "scaled"; exits 0 when
// all holds, 1 with a message.

#include "app/MainForm.h"
#include "desktop/WindowMaximize.h"
#include "dialogs/AboutForm.h"
#include "dialogs/DialogFrame.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"
#include "support/XDesktop.h"
#include "views/ViewTestRows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <memory>

using namespace qm;
using namespace qm::desktop;

namespace {

QPoint Centre(QWidget* control) {
    return OnScreen(control, control->rect().center());
}

// The modal window on the screen now, once the window manager has shown it.
template <typename T> T* Shown() {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    return window && window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed()
               ? window
               : nullptr;
}

bool IsActive(TMainForm* form) {
    return !QApplication::activeModalWidget() && ActiveWindow() == quint32(form->winId()) &&
           QApplication::activeWindow() == form;
}

// Ctrl+Shift+Tab takes the tab Ctrl+Tab chose back to One Shot.
void BackToOneShot(Hand& hand, TMainForm* form) {
    hand.Then("Ctrl+Shift+Tab", [] {
        Xdotool({"key", "ctrl+shift+Tab"});
        return true;
    });
    hand.Then("One Shot again", [form] { return form->PageControlMenu->currentIndex() == 0; });
}

// The dialog stands over the main window, has no taskbar button; `close` closes it as a person does;
// then the main window is active and a typed Ctrl+Tab reaches it.
void OpenAndClose(Hand& hand, TMainForm* form, const QString& name, std::function<void()> open,
                  std::function<QWidget*()> shown, std::function<void(QWidget*)> close) {
    hand.Then(name + " opens", [open] {
        open();
        return true;
    });
    auto focus = std::make_shared<QPointer<QWidget>>();
    hand.Then(name + " is shown", [form, shown, focus] {
        *focus = form->focusWidget();
        return shown() != nullptr;
    });
    hand.Then(name + " stands over the main window", [form, name, shown, close] {
        QWidget* dialog = shown();
        if (TransientFor(dialog) != quint32(form->winId()))
            Fail(QStringLiteral("%1 is transient for 0x%2, not the main window 0x%3")
                     .arg(name)
                     .arg(TransientFor(dialog), 0, 16)
                     .arg(quint32(form->winId()), 0, 16));
        if (!HasState(dialog, "_NET_WM_STATE_SKIP_TASKBAR"))
            Fail(name + " has a taskbar button of its own");
        if (!HasType(dialog, "_NET_WM_WINDOW_TYPE_DIALOG"))
            Fail(name + " is not typed as a dialog");
        close(dialog);
        return true;
    });
    auto tab = std::make_shared<int>(-1);
    hand.Then("after " + name + " the main window is active", [form, tab, focus, name] {
        if (!IsActive(form))
            return false;
        if (QApplication::focusWidget() != *focus || !*focus)
            Fail(QStringLiteral("after %1 the focus is on %2, not on %3")
                     .arg(name,
                          QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "nothing",
                          *focus ? (*focus)->objectName() : "nothing"));
        *tab = form->PageControlMenu->currentIndex();
        Xdotool({"key", "ctrl+Tab"});
        return true;
    });
    hand.Then("after " + name + " Ctrl+Tab changes the tab", [form, tab] {
        return form->PageControlMenu->currentIndex() == (*tab + 1) % form->PageControlMenu->count();
    });
}

// A drag of 100 px from `edges` grows the window by 100 px and keeps its top-left corner; a tap
// there changes nothing.
void DragEdge(Hand& hand, TMainForm* form, Qt::Edges edges) {
    const QString name = QStringLiteral("the %1%2 edge")
                             .arg(edges & Qt::BottomEdge ? QStringLiteral("bottom") : QString())
                             .arg(edges & Qt::RightEdge ? QStringLiteral("right") : QString());
    auto before = std::make_shared<QRect>();
    const auto spot = [form, edges, before] {
        *before = OnScreen(form);
        const QSize size = before->size();
        // Two pixels in from the edge, in the window's own pixels.
        const qreal ratio = form->devicePixelRatio();
        const int inset = int(2 * ratio);
        return before->topLeft() + QPoint(edges & Qt::RightEdge ? size.width() - inset : size.width() / 2,
                                          edges & Qt::BottomEdge ? size.height() - inset : size.height() / 2);
    };
    const QPoint step(edges & Qt::RightEdge ? 25 : 0, edges & Qt::BottomEdge ? 25 : 0);
    hand.Then(name + ": a tap", [spot] {
        const QPoint at = spot();
        Xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
        return true;
    });
    hand.Then(name + ": the tap is seen", Pause(300));
    hand.Then(name + ": the tap changed nothing", [form, before, name] {
        if (OnScreen(form) != *before)
            Fail(name + ": a tap made the window " + Text(OnScreen(form)) + " from " + Text(*before));
        return true;
    });
    // The pointer is still where it tapped (xdotool's --sync would wait for a move that never comes).
    hand.Then(name + ": a press", [] {
        Xdotool({"mousedown", "1"});
        return true;
    });
    hand.Then(name + ": the press is seen", Pause(100));
    for (int i = 0; i < 4; ++i) {
        hand.Then(name + ": the pointer moves", [step] {
            Xdotool({"mousemove_relative", "--sync", QString::number(step.x()), QString::number(step.y())});
            return true;
        });
        hand.Then(name + ": the move is seen", Pause(60));
    }
    hand.Then(name + ": the release", [] {
        Xdotool({"mouseup", "1"});
        return true;
    });
    hand.Then(name + ": the window grew by the drag", [form, before, step, name, since = Pause(3000)] {
        const QRect now = OnScreen(form);
        const QRect wanted(before->topLeft(), before->size() + QSize(4 * step.x(), 4 * step.y()));
        if (now != wanted) {
            if (since())
                Fail(name + ": a drag of 100 px made the window " + Text(now) + " from " + Text(*before));
            return false;
        }
        Say(name + ": " + Text(*before) + " became " + Text(now));
        return true;
    });
}

void MaximizeAndRestore(Hand& hand, TMainForm* form) {
    auto before = std::make_shared<QRect>();
    hand.Then("Maximize is clicked", [form, before] {
        *before = OnScreen(form);
        ClickAt(Centre(form->SpeedButtonWinSize));
        return true;
    });
    hand.Then("the window fills the screen", [form, since = Pause(5000)] {
        const QRect screen = form->screen()->geometry();
        const QRect now = OnScreen(form);
        if (now.size() != screen.size() || !form->WindowMaximize->IsMaximized()) {
            if (since())
                Fail(QStringLiteral("Maximize made the window %1 (asked: %2, maximised: %3)")
                         .arg(Text(now))
                         .arg(form->isMaximized())
                         .arg(form->WindowMaximize->IsMaximized()));
            return false;
        }
        return true;
    });
    hand.Then("Restore is clicked", [form] {
        ClickAt(Centre(form->SpeedButtonWinSize));
        return true;
    });
    hand.Then("the window is back where it was", [form, before, since = Pause(5000)] {
        const QRect now = OnScreen(form);
        // The program knows it too, before it is moved on.
        if (now != *before || form->WindowMaximize->IsMaximized() || form->geometry() != now) {
            if (since())
                Fail("Restore made the window " + Text(now) + ", it was " + Text(*before));
            return false;
        }
        Say("maximised and restored to " + Text(now));
        return true;
    });
}

// A press on the caption, a modal box opened meanwhile from a timer, the release while it is open,
// the box closed: a later press and drag on a grid does not move the window.
void LostRelease(Hand& hand, TMainForm* form) {
    auto before = std::make_shared<QPoint>();
    hand.Then("a press on the caption", [form, before] {
        *before = OnScreen(form).topLeft();
        const QPoint at = OnScreen(form->panel_credit0, form->panel_credit->geometry().center());
        Xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "mousedown", "1"});
        QTimer::singleShot(100, form, [] { ShowMessage(QStringLiteral("Time for a box")); });
        return true;
    });
    hand.Then("the box opens under the held button", [] { return Shown<QMessageBox>() != nullptr; });
    // The release goes where the box does not cover the grid; the box is closed with Enter, and
    // the next press comes with no move before it.
    hand.Then("the release, the box closed", [form] {
        QWidget* grid = form->DBGrid_Shot->viewport();
        const QPoint at = OnScreen(grid, QPoint(20, grid->height() - 20));
        if (FramedOnScreen(Shown<QMessageBox>()).contains(at))
            Fail("the box covers the grid");
        Xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "mouseup", "1"});
        Xdotool({"key", "Return"});
        return true;
    });
    hand.Then("the box is gone", [form] { return IsActive(form); });
    hand.Then("a press on the grid", [] {
        Xdotool({"mousedown", "1"});
        return true;
    });
    for (int i = 0; i < 3; ++i) {
        hand.Then("the pointer moves on the grid", [] {
            Xdotool({"mousemove_relative", "--sync", "20", "15"});
            return true;
        });
        hand.Then("the move is seen", Pause(60));
    }
    hand.Then("the release on the grid", [] {
        Xdotool({"mouseup", "1"});
        return true;
    });
    hand.Then("the window stays", Pause(400));
    hand.Then("the window stayed", [form, before] {
        if (OnScreen(form).topLeft() != *before)
            Fail(QStringLiteral("a drag on the grid moved the window from %1,%2 to %3,%4")
                     .arg(before->x())
                     .arg(before->y())
                     .arg(OnScreen(form).x())
                     .arg(OnScreen(form).y()));
        return true;
    });
}

// A panel that takes the bottom of the screen (tint2, when installed) shrinks the screen's free
// area: a window standing there moves up into it.
void FreeAreaShrinks(Hand& hand, TMainForm* form, const QString& folder) {
    if (QStandardPaths::findExecutable(QStringLiteral("tint2")).isEmpty()) {
        Say("tint2 is not installed: the shrinking free area is not tried");
        return;
    }
    auto size = std::make_shared<QSize>();
    hand.Then("the window stands at the bottom of the screen", [form, size] {
        *size = form->size();
        form->move(100, form->screen()->geometry().bottom() + 1 - form->height());
        return true;
    });
    hand.Then("the window is at the bottom",
              [form] { return OnScreen(form).bottom() == form->screen()->geometry().bottom(); });
    auto panel = std::make_shared<QProcess>();
    hand.Then("a panel comes", [panel, folder] {
        const QString config = folder + QStringLiteral("/tint2rc");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write("panel_items = T\npanel_position = bottom center horizontal\npanel_size = 100% 40\n") <
                0)
            Fail("cannot write " + config);
        file.close();
        panel->start(QStringLiteral("tint2"), {QStringLiteral("-c"), config});
        return true;
    });
    hand.Then("the window moved into the free area", [form, panel, size] {
        const QRect free = form->screen()->availableGeometry();
        if (free == form->screen()->geometry() || !free.contains(OnScreen(form)))
            return false;
        if (OnScreen(form).size() != *size)
            Fail("the window became " + Text(OnScreen(form)) + " in the free area " + Text(free));
        Say("the free area became " + Text(free) + ", the window is at " + Text(OnScreen(form)));
        panel->kill();
        panel->waitForFinished();
        return true;
    });
}

void Openbox(Hand& hand, TestEnvironment& env, TMainForm* form) {
    testrows::OneShot(env, QStringLiteral("Dentist"), QStringLiteral("2099-03-01"));
    form->RefreshShotQuery();
    // Esc asks before quitting: the message box of the road.
    form->CheckBox_TimeCheck->setChecked(true);
    form->move(40, 40);
    form->resize(820, 560);
    form->show();
    hand.Then("the main window is shown", [form] { return form->windowHandle()->isExposed(); });
    hand.Then("a click on the caption", [form] {
        ClickAt(OnScreen(form->panel_credit0, form->panel_credit->geometry().center()));
        return true;
    });
    hand.Then("the main window is active", [form] { return IsActive(form); });
    hand.Then("a click on the One Shot tab", [form] {
        QTabBar* tabs = form->PageControlMenu->tabBar();
        ClickAt(OnScreen(tabs, tabs->tabRect(0).center()));
        return true;
    });
    hand.Then("the find field has the focus",
              [form] { return QApplication::focusWidget() == form->Edit_Find_Shot; });

    OpenAndClose(
        hand, form, QStringLiteral("the About box"), [form] { ClickAt(Centre(form->SpeedButtonAbout)); },
        [] { return Shown<TAboutForm>(); },
        [](QWidget*) {
            Xdotool({"key", "Escape"});
        });
    BackToOneShot(hand, form);
    OpenAndClose(
        hand, form, QStringLiteral("the add dialog"), [form] { ClickAt(Centre(form->SpeedButtonadShot)); },
        [] { return Shown<TDialogFrame>(); },
        [](QWidget*) {
            Xdotool({"key", "Escape"});
        });
    BackToOneShot(hand, form);
    hand.Then("the print button is clicked", [form] {
        ClickAt(Centre(form->SpeedButtonDupliShot));
        return true;
    });
    hand.Then("the print menu is shown", [] {
        QWidget* menu = QApplication::activePopupWidget();
        return menu && menu->windowHandle() && menu->windowHandle()->isExposed();
    });
    OpenAndClose(
        hand, form, QStringLiteral("the print preview"),
        [form] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                Fail("the print button shows no menu");
            ClickAt(OnScreen(menu, menu->actionGeometry(form->PrintPreview1).center()));
        },
        [] { return Shown<QPrintPreviewDialog>(); },
        [](QWidget*) {
            Xdotool({"key", "Escape"});
        });
    OpenAndClose(
        hand, form, QStringLiteral("the quit question"),
        [] {
            Xdotool({"key", "Escape"});
        },
        [] { return Shown<QMessageBox>(); },
        [](QWidget* box) { ClickAt(Centre(static_cast<QMessageBox*>(box)->button(QMessageBox::No))); });

    hand.Then("back to One Shot", [form] {
        QTabBar* tabs = form->PageControlMenu->tabBar();
        ClickAt(OnScreen(tabs, tabs->tabRect(0).center()));
        return true;
    });
    hand.Then("One Shot is shown", [form] { return form->PageControlMenu->currentIndex() == 0; });
    LostRelease(hand, form);
    DragEdge(hand, form, Qt::RightEdge);
    DragEdge(hand, form, Qt::BottomEdge);
    DragEdge(hand, form, Qt::RightEdge | Qt::BottomEdge);
    MaximizeAndRestore(hand, form);
    FreeAreaShrinks(hand, form, env.ProgramFolder());
}

void Bare(Hand& hand, TestEnvironment& env, TMainForm* form) {
    form->move(40, 40);
    form->resize(700, 500);
    form->show();
    hand.Then("the main window is shown", [form] { return form->windowHandle()->isExposed(); });
    hand.Then("its place is known", Pause(200));
    MaximizeAndRestore(hand, form);
    DragEdge(hand, form, Qt::RightEdge | Qt::BottomEdge);

    // Stored maximised: the window starts filling the screen, and Restore gives the stored size.
    auto started = std::make_shared<QPointer<TMainForm>>();
    hand.Then("a start stored maximised", [&env, started] {
        TestEnvironment::ExecOnFile(
            env.ArchiveFile(QStringLiteral("QMset90.db")),
            QStringLiteral("UPDATE QMset90 SET WinWidth = 700, WinHeight = 500, WinStato = 'wsMaximized'"));
        *started = env.CreateMainForm();
        (*started)->show();
        return true;
    });
    hand.Then("it fills the screen", [started, since = Pause(5000)] {
        TMainForm* form = *started;
        if (form->windowHandle()->isExposed() && OnScreen(form) == form->screen()->geometry() &&
            form->WindowMaximize->IsMaximized())
            return true;
        if (since())
            Fail(QStringLiteral("started maximised, the window is at %1 (asked: %2, maximised: %3)")
                     .arg(Text(OnScreen(form)))
                     .arg(form->isMaximized())
                     .arg(form->WindowMaximize->IsMaximized()));
        return false;
    });
    hand.Then("Restore is clicked", [started] {
        ClickAt(Centre((*started)->SpeedButtonWinSize));
        return true;
    });
    hand.Then("the stored size comes back", [started] {
        TMainForm* form = *started;
        if (OnScreen(form).size() != QSize(700, 500) || form->WindowMaximize->IsMaximized())
            return false;
        Say("started maximised, restored to " + Text(OnScreen(form)));
        return true;
    });
}

void Scaled(Hand& hand, TestEnvironment& env, TMainForm*& form) {
    TestEnvironment::ExecOnFile(
        env.ArchiveFile(QStringLiteral("QMset90.db")),
        QStringLiteral("UPDATE QMset90 SET WinWidth = 1000, WinHeight = 700, WinStato = 'wsNormal'"));
    form = env.CreateMainForm();
    form->show();
    hand.Then("the main window is shown", [form] { return form->windowHandle()->isExposed(); });
    hand.Then("the whole window is on the screen", [form, since = Pause(3000)] {
        const QRect screen(0, 0, 1920, 1080);
        const QRect shown = FramedOnScreen(form);
        if (!screen.contains(shown)) {
            if (since())
                Fail("the window is at " + Text(shown) + " on a screen of " + Text(screen));
            return false;
        }
        Say("at scale 2 the window is at " + Text(shown));
        return true;
    });
    hand.Then("the stored size is kept", [&env] {
        const QList<QStringList> rows =
            TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                        QStringLiteral("SELECT WinWidth, WinHeight FROM QMset90"));
        if (rows.size() != 1 || rows[0] != QStringList{QStringLiteral("1000"), QStringLiteral("700")})
            Fail(QStringLiteral("the stored size became %1").arg(rows.value(0).join(u'x')));
        return true;
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetProgramName(QStringLiteral("window_desktop"));
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        Fail("needs an X server, not " + QGuiApplication::platformName());
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("openbox");
    TestEnvironment env;
    // The real boxes and modal loops, as the user meets them.
    MessageBoxSeam::Disable();
    ModalSeam::Disable();
    TMainForm* form = env.CreateMainForm();
    Hand hand;
    if (mode == QLatin1String("openbox"))
        Openbox(hand, env, form);
    else if (mode == QLatin1String("bare"))
        Bare(hand, env, form);
    else if (mode == QLatin1String("scaled"))
        Scaled(hand, env, form);
    else
        Fail("no such mode: " + mode);
    hand.Then("done", [mode] {
        Say(mode + " passed");
        // Whatever the closing main window might ask is answered by the seams again.
        MessageBoxSeam::Enable();
        ModalSeam::Enable();
        QCoreApplication::exit(0);
        return true;
    });
    hand.Start();
    return app.exec();
}
