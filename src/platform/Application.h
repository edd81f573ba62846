#pragma once

#include <QApplication>
#include <exception>

namespace qm {

// The one guard around event dispatch: an exception that escapes a handler is shown in an error
// box captioned with the program title instead of ending the program.
class QmApplication : public QApplication {
    Q_OBJECT
public:
    QmApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an escaped exception to the user (the engine's message for engine errors).
void ReportException(const std::exception& error);
void ReportUnknownException();

// Runs one step, reporting what it throws; returns false when it threw.
template <typename Step> bool Guarded(Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportUnknownException();
    }
    return false;
}

// Colour depth of the screen in bits per pixel; tests may pretend another depth.
int ScreenColorDepth();
void SetTestScreenColorDepth(int bits); // 0 = the real screen

} // namespace qm
