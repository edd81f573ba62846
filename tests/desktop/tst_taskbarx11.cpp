// The taskbar button on a real X server: the program starts its own Xvfb and runs on the xcb
// platform, whatever platform the test run asks for. Without Xvfb the cases are skipped.
#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "desktop/IconHide.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <QToolButton>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

using namespace qm;

namespace {

pid_t g_server = 0;
QString g_skipReason;

// Starts Xvfb on a free display; the display number once the server accepts connections.
std::optional<int> StartServer() {
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    // Started, never forked: a fork of this threaded process could hang before it runs the server.
    std::string fd = std::to_string(fds[1]);
    std::string arguments[] = {"Xvfb", "-displayfd", fd, "-nolisten", "tcp", "-screen", "0", "800x600x24"};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return std::nullopt;
    }
    g_server = pid;
    // The server writes its display number once it is ready; a server that fails closes the pipe.
    std::string number;
    pollfd reader{fds[0], POLLIN, 0};
    while (poll(&reader, 1, 20000) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty())
        return std::nullopt;
    return std::atoi(number.c_str());
}

void StopServer() {
    if (g_server <= 0)
        return;
    kill(g_server, SIGTERM);
    int status = 0;
    while (waitpid(g_server, &status, 0) < 0 && errno == EINTR) {
    }
    g_server = 0;
}

struct Free {
    void operator()(void* p) const { free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

// A second client of the server that looks at what the window manager would see.
class Observer {
public:
    Observer() : m_connection(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_state = Atom("_NET_WM_STATE");
        m_skip = Atom("_NET_WM_STATE_SKIP_TASKBAR");
        // Messages to the root with the substructure masks reach this client, as they reach a
        // window manager.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        Sync();
    }
    ~Observer() { xcb_disconnect(m_connection); }

    xcb_atom_t SkipAtom() const { return m_skip; }

    // Announces a window manager that follows the desktop conventions, as one does at its start;
    // it goes with the observer.
    void AnnounceWindowManager() {
        const xcb_window_t check = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, check, m_root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const xcb_atom_t atom = Atom("_NET_SUPPORTING_WM_CHECK");
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_root, atom, XCB_ATOM_WINDOW, 32, 1,
                            &check);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, check, atom, XCB_ATOM_WINDOW, 32, 1, &check);
        Sync();
    }

    // The window's own _NET_WM_STATE property.
    QList<xcb_atom_t> StateProperty(xcb_window_t window) {
        SyncProgram();
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_state, XCB_ATOM_ATOM, 0, 1024),
            nullptr));
        if (!reply || reply->format != 32)
            return {};
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        return QList<xcb_atom_t>(atoms, atoms + xcb_get_property_value_length(reply.get()) / 4);
    }

    void DeleteStateProperty(xcb_window_t window) {
        xcb_delete_property(m_connection, window, m_state);
        Sync();
    }

    // Unmaps and maps the window again behind the program's back, as a window manager does.
    void Remap(xcb_window_t window) {
        xcb_unmap_window(m_connection, window);
        xcb_map_window(m_connection, window);
        Sync();
    }

    // The _NET_WM_STATE requests sent to the root since the last call: (window, action, atom).
    QList<std::tuple<xcb_window_t, uint32_t, xcb_atom_t>> StateRequests() {
        SyncProgram();
        Sync();
        QList<std::tuple<xcb_window_t, uint32_t, xcb_atom_t>> requests;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->type == m_state)
                    requests.append({message->window, message->data.data32[0], message->data.data32[1]});
            }
            free(event);
        }
        return requests;
    }

private:
    xcb_atom_t Atom(const char* name) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    // Whatever the program sent has reached the server once a round trip of its own is done.
    static void SyncProgram() {
        xcb_connection_t* program =
            qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        free(xcb_get_input_focus_reply(program, xcb_get_input_focus(program), nullptr));
    }
    void Sync() { free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)); }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_atom_t m_state = 0;
    xcb_atom_t m_skip = 0;
};

using Request = std::tuple<xcb_window_t, uint32_t, xcb_atom_t>;
constexpr uint32_t kRemove = 0;
constexpr uint32_t kAdd = 1;

} // namespace

class TaskbarX11Test : public QObject {
    Q_OBJECT

private slots:
    void init() {
        if (!g_skipReason.isEmpty())
            QSKIP(qPrintable(g_skipReason));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        TIconHide::ResetForTest();
        TraySeam::PretendAvailable(true);
    }
    void cleanup() { TraySeam::Reset(); }

    void windowNotYetShownCarriesTheStateAsItsProperty() {
        Observer observer;
        QWidget window;
        TIconHide hide(&window);
        const auto id = xcb_window_t(window.winId()); // created, not mapped
        QVERIFY(hide.Hidden());
        hide.SetHidden(false);
        hide.SetHidden(true);
        QVERIFY(observer.StateProperty(id).contains(observer.SkipAtom()));
        hide.SetHidden(false);
        QVERIFY(!observer.StateProperty(id).contains(observer.SkipAtom()));
        QVERIFY(observer.StateRequests().isEmpty()); // nothing asked of a window manager
    }

    void shownWindowIsChangedThroughTheWindowManager() {
        Observer observer;
        QWidget window;
        TIconHide hide(&window); // hidden
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto id = xcb_window_t(window.winId());
        // Mapped with the state already on it.
        QVERIFY(observer.StateProperty(id).contains(observer.SkipAtom()));
        observer.StateRequests();

        hide.SetHidden(false);
        QCOMPARE(observer.StateRequests(), (QList<Request>{{id, kRemove, observer.SkipAtom()}}));
        hide.SetHidden(false); // the same value: no request at all
        QVERIFY(observer.StateRequests().isEmpty());
        hide.SetHidden(true);
        QCOMPARE(observer.StateRequests(), (QList<Request>{{id, kAdd, observer.SkipAtom()}}));

        // Hidden, a window manager drops the state; shown again, the window carries it again.
        window.hide();
        observer.DeleteStateProperty(id);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(observer.StateProperty(id).contains(observer.SkipAtom()));

        // Without a notification area a window on the screen still has no button; minimised, it
        // gets it back, as the only way back to the window.
        TraySeam::PretendAvailable(false);
        observer.StateRequests();
        TIconHide::Refresh();
        QCOMPARE(observer.StateRequests(), (QList<Request>{{id, kAdd, observer.SkipAtom()}}));
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        QVERIFY(observer.StateRequests().contains(Request{id, kRemove, observer.SkipAtom()}));
        window.showNormal();
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(observer.StateRequests().contains(Request{id, kAdd, observer.SkipAtom()}));
    }

    // With no window manager, as on a bare X server, nobody would act on the requests: the shown
    // window's own property changes, so that what is asked is what the window carries.
    void withoutWindowManagerTheShownWindowCarriesTheStateItself() {
        Observer observer;
        QWidget window;
        TIconHide hide(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto id = xcb_window_t(window.winId());
        QVERIFY(observer.StateProperty(id).contains(observer.SkipAtom()));
        hide.SetHidden(false);
        QVERIFY(!observer.StateProperty(id).contains(observer.SkipAtom()));
        hide.SetHidden(true);
        QVERIFY(observer.StateProperty(id).contains(observer.SkipAtom()));

        // A window manager owns the property of a mapped window: only asked, never overwritten.
        observer.AnnounceWindowManager();
        observer.StateRequests();
        hide.SetHidden(false);
        QCOMPARE(observer.StateRequests(), (QList<Request>{{id, kRemove, observer.SkipAtom()}}));
        QVERIFY(observer.StateProperty(id).contains(observer.SkipAtom()));
    }

    // A window manager that withdraws a window after the next show set its state (a hide and a
    // show in quick succession) drops the state: it is asked for again once the window is mapped,
    // and after a change of its state.
    void aStateTheWindowManagerDroppedIsAskedForAgain() {
        Observer observer;
        observer.AnnounceWindowManager();
        QWidget window;
        TIconHide hide(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto id = xcb_window_t(window.winId());
        QList<Request> requests;
        const auto askedAgain = [&] {
            requests += observer.StateRequests();
            return requests.contains(Request{id, kAdd, observer.SkipAtom()});
        };
        observer.StateRequests();

        observer.DeleteStateProperty(id);
        observer.Remap(id);
        QTRY_VERIFY(askedAgain());

        requests.clear();
        observer.DeleteStateProperty(id);
        window.showMaximized();
        QTRY_VERIFY(askedAgain());
    }

    void mainWindowButtonsMoveItBetweenTaskbarAndTray() {
        TestEnvironment env;
        TraySeam::PretendAvailable(true);
        TMainForm* form = env.CreateMainForm();
        Observer observer;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const auto id = xcb_window_t(form->winId());
        QVERIFY(observer.StateProperty(id).contains(observer.SkipAtom()));
        observer.StateRequests();

        // "Minimize": the button comes back and the window goes to the taskbar.
        QTest::mouseClick(form->SpeedButton_MINIMIZE, Qt::LeftButton);
        QCOMPARE(observer.StateRequests(), (QList<Request>{{id, kRemove, observer.SkipAtom()}}));
        QVERIFY(!form->IconHide1.Hidden());

        // Shown again and "Place in tray": the button goes.
        form->TimerAppariTimer();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::mouseClick(form->SpeedButton20, Qt::LeftButton);
        QCOMPARE(observer.StateRequests(), (QList<Request>{{id, kAdd, observer.SkipAtom()}}));
        QVERIFY(form->IconHide1.Hidden());
    }
};

// The desktop's message bus library, loaded by the X11 platform, keeps a buffer to the end of the
// process; the leak checker of sanitizer builds is told so (an unused function otherwise).
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
    const std::optional<int> display = StartServer();
    if (display) {
        qputenv("DISPLAY", QByteArray(":") + QByteArray::number(*display));
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        g_skipReason = QStringLiteral("no X server could be started (is Xvfb installed?)");
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        TaskbarX11Test test;
        result = QTest::qExec(&test, argc, argv);
    }
    StopServer();
    return result;
}

#include "tst_taskbarx11.moc"
