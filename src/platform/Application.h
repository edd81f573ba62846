#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <type_traits>

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

// Connects a signal to a handler so that what the handler throws is shown to the user where it is
// thrown, instead of unwinding through Qt's signal machinery. A handler may take the signal's
// arguments or none of them.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, Receiver* receiver, Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&... args) {
        Guarded([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(args)...>)
                    std::invoke(handler, receiver, std::forward<decltype(args)>(args)...);
                else
                    std::invoke(handler, receiver);
            } else if constexpr (std::is_invocable_v<Handler, decltype(args)...>) {
                std::invoke(handler, std::forward<decltype(args)>(args)...);
            } else {
                std::invoke(handler);
            }
        });
    });
}

// Colour depth of the screen in bits per pixel; tests may pretend another depth.
int ScreenColorDepth();
void SetTestScreenColorDepth(int bits); // 0 = the real screen

} // namespace qm
