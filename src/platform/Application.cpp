#include "platform/Application.h"

#include "engine/EngineError.h"
#include "platform/MessageBox.h"

#include <QScreen>

namespace qm {

namespace {
int g_testColorDepth = 0;
const QString kTitle = QStringLiteral("Quellmire Organizer");
} // namespace

QmApplication::QmApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QmApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    Guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void ReportException(const std::exception& error) {
    const auto* engineError = dynamic_cast<const EngineError*>(&error);
    if (engineError && engineError->AlreadyReported())
        return;
    const QString text = engineError ? engineError->message() : QString::fromLocal8Bit(error.what());
    MessageBox(text, kTitle, Mb::Ok | Mb::IconError);
}

void ReportUnknownException() {
    MessageBox(QStringLiteral("An unexpected error occurred."), kTitle, Mb::Ok | Mb::IconError);
}

int ScreenColorDepth() {
    if (g_testColorDepth > 0)
        return g_testColorDepth;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
}

void SetTestScreenColorDepth(int bits) {
    g_testColorDepth = bits;
}

} // namespace qm
