#pragma once

// The user's hand on the program's real message boxes (shown while the message-box seam is off).

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace qm {

// Runs `hand` on the next message box once it shows and holds the focus. It runs inside the box's
// own event loop, so the hand must end with an answer (no QVERIFY that returns early), or the test
// waits on the box.
template <typename Hand> void WhenBoxShows(Hand hand) {
    QTimer::singleShot(0, qApp, [hand] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || !box->isActiveWindow()) {
            WhenBoxShows(hand);
            return;
        }
        hand(box);
    });
}

// A key pressed where the focus is, as the keyboard sends it; the box must hold the focus.
inline bool KeyIntoBox(QMessageBox* box, Qt::Key key) {
    QWidget* focused = QApplication::focusWidget();
    if (!focused || (focused != box && !box->isAncestorOf(focused)))
        return false;
    QTest::keyClick(focused, key);
    return true;
}

inline void ClickBoxButton(QMessageBox* box, QMessageBox::StandardButton which) {
    QAbstractButton* button = box->button(which);
    if (!button) {
        QTest::qFail("The box has no such button", __FILE__, __LINE__);
        box->done(0); // so that the test goes on
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

} // namespace qm
