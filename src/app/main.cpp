#include "app/CommandLineTools.h"
#include "app/MainForm.h"
#include "app/SplashForm.h"
#include "desktop/MainInstance.h"
#include "dialogs/SelectForm.h"
#include "platform/Application.h"
#include "platform/ProgramFolder.h"
#include "platform/UserAccount.h"

#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/stat.h>

namespace {

// Start-up timing for the benchmark, printed only when QUELLMIRE_START_TIMING is set: monotonic
// nanoseconds when the main window is built and when it is first exposed, and the resident memory
// once the lists have opened on the idle turns after the window shows.
qint64 MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

long ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

class ShownReporter : public QObject {
public:
    explicit ShownReporter(QWidget* window) : QObject(window), m_window(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_done && event->type() == QEvent::Expose && watched == m_window->windowHandle() &&
            m_window->windowHandle()->isExposed()) {
            m_done = true;
            std::fprintf(stderr, "quellmire-timing shown %lld rss %ld\n", MonotonicNs(), ResidentKb());
            QTimer::singleShot(
                1500, [] { std::fprintf(stderr, "quellmire-timing settled rss %ld\n", ResidentKb()); });
        }
        return false;
    }

private:
    QWidget* m_window;
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv) {
    // Everything the program creates (archive, notes, tables and their journals, small files) is
    // the user's alone.
    ::umask(077);
    // The calendar and contact options need no display: they run before any window exists.
    if (qm::IsCommandLineTool(argc, argv))
        return qm::RunCommandLineTool(argc, argv);
    qm::QmApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellmire Organizer"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quellmire Organizer"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quellmire.png")));
    // Ties the window to its menu entry, for the desktop's icon and name of it on Wayland.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quellmire.Organizer"));
    // The window lives on in the notification area; only the quit road ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy per user: a later one hands its command line to this one and ends at once.
    qm::TMainInstance mainInstance1(qm::LoginName());
    if (!mainInstance1.Start(QApplication::arguments()))
        return 0;

    std::unique_ptr<qm::TSplashForm> splash = std::make_unique<qm::TSplashForm>();
    if (!QFileInfo::exists(qm::ProgramFolder() + QStringLiteral("nosplash"))) {
        splash->show();
        splash->repaint();
        QApplication::processEvents();
    }

    std::unique_ptr<qm::TMainForm> mainForm;
    const bool built = qm::Guarded([&] { mainForm = std::make_unique<qm::TMainForm>(); });
    // The date picker lives as long as the main window, which owns it.
    if (built && qEnvironmentVariableIsSet("QUELLMIRE_START_TIMING")) {
        std::fprintf(stderr, "quellmire-timing built %lld\n", MonotonicNs());
        QCoreApplication::instance()->installEventFilter(new ShownReporter(mainForm.get()));
    }
    if (built) {
        qm::SelectForm = new qm::TSelectForm(mainForm.get());
        qm::TMainForm* form = mainForm.get();
        QObject::connect(&mainInstance1, &qm::TMainInstance::Called, form, [form](const QString& text) {
            qm::Guarded([form, &text] { form->CalledByLaterStart(text); });
        });
        mainInstance1.OnRequest = [form](const QStringList& words) { return form->CalledToDo(words); };
        // A copy started while this one was starting is answered now.
        mainInstance1.SetReady();
    }
    splash.reset();
    if (!built || mainForm->TerminateRequested())
        return built ? 0 : 1;
    return QApplication::exec();
}
