#pragma once

// The user's hand on the notes list: clicks at an item's rectangle and keys into the focused list.

#include "app/MainForm.h"
#include "platform/widgets/FileListBox.h"

#include <QApplication>
#include <QTest>

namespace qm {

inline QListWidgetItem* NoteItem(TMainForm* form, const QString& name) {
    const QList<QListWidgetItem*> found = form->FileListBoxNote->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

inline QPoint NoteItemCentre(TMainForm* form, const QString& name) {
    QListWidgetItem* item = NoteItem(form, name);
    if (!item)
        return QPoint(-1, -1);
    form->FileListBoxNote->scrollToItem(item);
    return form->FileListBoxNote->visualItemRect(item).center();
}

// A left click on the note's name.
inline void ClickNote(TMainForm* form, const QString& name) {
    const QPoint at = NoteItemCentre(form, name);
    QVERIFY2(at.x() >= 0, qPrintable(name));
    QTest::mouseClick(form->FileListBoxNote->viewport(), Qt::LeftButton, {}, at);
}

// A double click as the hand makes it: a click, then the second press that the system reports as a
// double click.
inline void DoubleClickNote(TMainForm* form, const QString& name) {
    ClickNote(form, name);
    QTest::mouseDClick(form->FileListBoxNote->viewport(), Qt::LeftButton, {}, NoteItemCentre(form, name));
}

// Shows the window, makes it active and puts the focus in the notes list as the Tab key would.
inline void FocusNoteList(TMainForm* form) {
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->FileListBoxNote->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->FileListBoxNote));
}

inline void KeyIntoFocus(Qt::Key key) {
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClick(focused, key);
}

} // namespace qm
