#include "app/MainForm.h"
#include "platform/MessageBox.h"
#include "platform/widgets/FileListBox.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace qm;

namespace {

QString NotesDir(const TestEnvironment& env) {
    return env.ArchiveFolder() + QStringLiteral("/notes");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Picks a charset the way a person does: a click on the Charset panel, a click on the menu item.
void ChooseCharset(TMainForm* form, const QString& caption) {
    QTimer::singleShot(0, form, [form, caption] {
        QMenu* menu = form->PopupMenu_CharSet;
        for (QAction* item : menu->actions())
            if (item->text() == caption)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    });
    QTest::mouseClick(form->Panel_CharSet, Qt::LeftButton);
    QTRY_VERIFY(!form->PopupMenu_CharSet->isVisible());
}

// Opens the second note of the list with the arrow key.
void OpenSecondNote(TMainForm* form) {
    form->FileListBoxNote->setFocus();
    QTest::keyClick(form->FileListBoxNote, Qt::Key_Down);
    QCOMPARE(form->FileListBoxNote->currentRow(), 1);
}

// Text typed through an input method, as letters outside Latin-1 are.
void Type(QWidget* target, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

} // namespace

// Notes shown and written in the code page of the charset chosen in the menu.
class NoteCodePagesTest : public QObject {
    Q_OBJECT

private slots:
    void cyrillicNoteShownAndWrittenInItsCodePage() {
        TestEnvironment env;
        const QString path = NotesDir(env) + "/privet.txt";
        const QByteArray bytes("\xcf\xf0\xe8\xe2\xe5\xf2\r\n\xec\xe8\xf0");
        WriteFile(path, bytes);
        WriteFile(NotesDir(env) + "/a.txt", "first");
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        ChooseCharset(form, "Cyrillic");
        QCOMPARE(form->Editor->property("FontCharset").toInt(), 204);
        OpenSecondNote(form);
        QCOMPARE(form->Editor->toPlainText(), QString("Привет\nмир"));

        // A letter Windows-1251 has no place for stops the save: the message names it and the file,
        // the file stays as it was and the typed text stays in the editor.
        form->Editor->setFocus();
        form->Editor->moveCursor(QTextCursor::End);
        Type(form->Editor, "ä");
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        MessageBoxSeam::Reset();
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        const QString message = MessageBoxSeam::Shown()[0].text;
        QVERIFY2(message.contains("ä") && message.contains("privet.txt"), qPrintable(message));
        QCOMPARE(ReadFile(path), bytes);
        QCOMPARE(form->Editor->toPlainText(), QString("Привет\nмирä"));

        // A letter it has is written in it, and the rest of the file keeps its bytes.
        QTest::keyClick(form->Editor, Qt::Key_Backspace);
        Type(form->Editor, "ж");
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ReadFile(path), bytes + "\xe6");
    }
};

QTEST_MAIN(NoteCodePagesTest)
#include "tst_notecodepages.moc"
