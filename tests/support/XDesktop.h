#pragma once

// What the desktop tests share: the X server asked where windows are and which is active, real
// input through xdotool, and a hand that takes one step after the other from a timer, so that the
// steps go on inside the dialogs' and boxes' own event loops.

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

namespace qm::desktop {

// The name the messages start with.
void SetProgramName(const QString& name);
[[noreturn]] void Fail(const QString& message);
void Say(const QString& message);
QString Text(const QRect& rect);

// Where the X server has the window, whatever the program believes.
QRect OnScreen(QWidget* window);
// The same with the frame the window manager drew around it (its caption bar and borders).
QRect FramedOnScreen(QWidget* window);
// A point of a control, on the screen as the X server has its window.
QPoint OnScreen(QWidget* control, const QPoint& local);

// The root window's _NET_ACTIVE_WINDOW; 0 when none is named.
quint32 ActiveWindow();
// The window's WM_TRANSIENT_FOR; 0 when it has none.
quint32 TransientFor(QWidget* window);
// Whether the window's _NET_WM_STATE lists `state`.
bool HasState(QWidget* window, const char* state);
// Whether the window's _NET_WM_WINDOW_TYPE lists `type`.
bool HasType(QWidget* window, const char* type);

void Xdotool(const QStringList& arguments);
void ClickAt(const QPoint& at);

// Steps taken one after the other. A step returns false while what it waits for has not happened;
// one that waits longer than 10 s fails the test.
class Hand : public QObject {
public:
    void Then(const QString& what, std::function<bool()> step);
    void Start();

private:
    void Tick();

    QList<QPair<QString, std::function<bool()>>> m_steps;
    QTimer m_ticker;
    QElapsedTimer m_since;
    bool m_busy = false;
};

// A step that waits `ms` from the moment it is first reached.
std::function<bool()> Pause(int ms);

} // namespace qm::desktop
