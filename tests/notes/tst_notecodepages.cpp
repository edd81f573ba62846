#include "app/MainForm.h"
#include "notes/NoteListInput.h"
#include "platform/MessageBox.h"
#include "platform/widgets/FileListBox.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/FileBytes.h"
#include "support/ShownTexts.h"
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

// The main window on its Notes tab, with the charset chosen in the menu.
TMainForm* NotesTabIn(TestEnvironment& env, const QString& charset) {
    TMainForm* form = env.CreateMainForm();
    form->show();
    form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
    ChooseCharset(form, charset);
    return form;
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
        WriteFileBytes(path, bytes);
        WriteFileBytes(NotesDir(env) + "/a.txt", "first");
        TMainForm* form = NotesTabIn(env, "Cyrillic");
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
        QCOMPARE(ReadFileBytes(path), bytes);
        QCOMPARE(form->Editor->toPlainText(), QString("Привет\nмирä"));

        // A letter it has is written in it, and the rest of the file keeps its bytes.
        QTest::keyClick(form->Editor, Qt::Key_Backspace);
        Type(form->Editor, "ж");
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(path), bytes + "\xe6");
    }
    // Choosing a charset shows the open note's bytes in its code page at once; the bytes stay.
    void charsetChosenWhileANoteIsOpenShowsItsBytesAgain() {
        TestEnvironment env;
        const QString path = NotesDir(env) + "/privet.txt";
        const QByteArray bytes("\xcf\xf0\xe8\xe2\xe5\xf2\r\n\xec\xe8\xf0");
        WriteFileBytes(path, bytes);
        WriteFileBytes(NotesDir(env) + "/a.txt", "first");
        TMainForm* form = NotesTabIn(env, "ANSI");
        OpenSecondNote(form);
        QCOMPARE(form->Editor->toPlainText(), QString("Ïðèâåò\nìèð"));

        form->Editor->setFocus();
        QTest::keyClick(form->Editor, Qt::Key_Down);
        QTest::keyClick(form->Editor, Qt::Key_Right);
        ChooseCharset(form, "Cyrillic");
        QCOMPARE(form->Editor->toPlainText(), QString("Привет\nмир"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(form->Editor->textCursor().position(), 8); // the caret stays after the "м"
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(path), bytes);

        // Unchanged, it is read again without a question when clicked, and an edit saved in the new
        // code page leaves the other bytes as they were.
        MessageBoxSeam::Reset();
        QTest::mouseClick(form->FileListBoxNote->viewport(), Qt::LeftButton, {},
                          form->FileListBoxNote->visualItemRect(form->FileListBoxNote->item(1)).center());
        QVERIFY(MessageBoxSeam::Shown().isEmpty());
        QCOMPARE(form->Editor->toPlainText(), QString("Привет\nмир"));
        form->Editor->setFocus();
        form->Editor->moveCursor(QTextCursor::End);
        Type(form->Editor, "ж");
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(path), bytes + "\xe6");
    }

    void charsetChosenAfterTypingShowsTheBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("openedUnder");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("keys");     // typed at the end
        QTest::addColumn<QString>("composed"); // then typed through an input method
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QByteArray>("written");

        const QByteArray utf8 = QString("Привет, мир").toUtf8();
        const QByteArray cp1251("\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0");
        const QByteArray shiftJis("\x93\xfa\x96\x7b\x8c\xea\r\nline");
        QTest::newRow("UTF-8 under Cyrillic, then DEFAULT") << utf8 << "Cyrillic"
                                                            << "РџСЂРёРІРµС‚, РјРёСЂ"
                                                            << " ok"
                                                            << ""
                                                            << "DEFAULT"
                                                            << "Привет, мир ok" << utf8 + " ok";
        QTest::newRow("typed under UTF-8, shown under Cyrillic")
            << QByteArray("hello") << "ANSI"
            << "hello"
            << ""
            << "ж"
            << "Cyrillic"
            << "helloР¶" << QByteArray("hello") + QString("ж").toUtf8();
        QTest::newRow("Windows-1251 under DEFAULT, then Cyrillic")
            << cp1251 << "DEFAULT"
            << "Ïðèâåò, ìèð"
            << " ok"
            << "é"
            << "Cyrillic"
            << "Привет, мир okй" << cp1251 + " ok\xe9"; // the é typed under Windows-1252
        QTest::newRow("a byte Shift-JIS cannot read keeps its place")
            << QByteArray("\x93\xfa\x93") << "Japanese shift-jis"
            << "日\uFFFD"
            << " ok"
            << ""
            << "DEFAULT"
            << "“ú“ ok" << QByteArray("\x93\xfa\x93 ok");
        QTest::newRow("Shift-JIS under DEFAULT, then Japanese") << shiftJis << "DEFAULT"
                                                                << "“ú–{Œê\nline"
                                                                << "\nok"
                                                                << ""
                                                                << "Japanese shift-jis"
                                                                << "日本語\nline\nok" << shiftJis + "\r\nok";
    }

    // The charset decides only how the bytes look: text typed before a charset is chosen becomes
    // bytes in the code page it was typed under, the note shows in the new one, stays changed, and
    // Update file writes exactly those bytes.
    void charsetChosenAfterTypingShowsTheBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, openedUnder);
        QFETCH(QString, shown);
        QFETCH(QString, keys);
        QFETCH(QString, composed);
        QFETCH(QString, chosen);
        QFETCH(QString, shownAfter);
        QFETCH(QByteArray, written);
        TestEnvironment env;
        const QString path = NotesDir(env) + "/note.txt";
        WriteFileBytes(path, bytes);
        TMainForm* form = NotesTabIn(env, openedUnder);
        ClickNote(form, "note.txt");
        QCOMPARE(form->Editor->toPlainText(), shown);
        QTest::keyClick(form->Editor, Qt::Key_End, Qt::ControlModifier);
        const QStringList lines = keys.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(form->Editor, Qt::Key_Return);
            QTest::keyClicks(form->Editor, lines[i]);
        }
        if (!composed.isEmpty())
            Type(form->Editor, composed);
        ChooseCharset(form, chosen);
        QCOMPARE(form->Editor->toPlainText(), shownAfter);
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(ReadFileBytes(path), bytes);
        MessageBoxSeam::Reset();
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ShownTexts(), QStringList());
        QCOMPARE(ReadFileBytes(path), written);
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
    }

    // Typed text the old code page cannot hold stops the change with one message; the text, the
    // charset and the changed mark stay as they were.
    void charsetChoiceStopsAtALetterTheOldCodePageCannotHold() {
        TestEnvironment env;
        const QString path = NotesDir(env) + "/privet.txt";
        const QByteArray bytes("\xcf\xf0\xe8\xe2\xe5\xf2");
        WriteFileBytes(path, bytes);
        TMainForm* form = NotesTabIn(env, "Cyrillic");
        ClickNote(form, "privet.txt");
        QTest::keyClick(form->Editor, Qt::Key_End);
        Type(form->Editor, "ä");
        MessageBoxSeam::Reset();
        ChooseCharset(form, "ANSI");
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        const QString message = MessageBoxSeam::Shown()[0].text;
        QVERIFY2(message.contains("\"ä\"") && message.contains("charset was not changed"),
                 qPrintable(message));
        QCOMPARE(form->Editor->toPlainText(), QString("Приветä"));
        QCOMPARE(form->Editor->property("FontCharset").toInt(), 204);
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(ReadFileBytes(path), bytes);

        // Without it the change goes through, and the note stays changed.
        QTest::keyClick(form->Editor, Qt::Key_Backspace);
        ChooseCharset(form, "ANSI");
        QCOMPARE(form->Editor->toPlainText(), QString("Ïðèâåò"));
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(path), bytes);
    }
    // A letter the code page cannot hold stops the save a switch asks for: the list, the text and
    // Update file stay with the note that was being edited.
    void aSwitchWhoseSaveFailsStaysOnTheNote() {
        TestEnvironment env;
        const QString first = NotesDir(env) + "/a.txt", second = NotesDir(env) + "/b.txt";
        WriteFileBytes(first, "\xcf\xf0\xe8\xe2\xe5\xf2");
        WriteFileBytes(second, "other");
        TMainForm* form = NotesTabIn(env, "Cyrillic");
        ClickNote(form, "a.txt");
        form->Editor->moveCursor(QTextCursor::End);
        Type(form->Editor, "ä");
        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::Yes);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        ClickNote(form, "b.txt");
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
        QVERIFY(MessageBoxSeam::Shown()[1].text.contains("ä"));
        QCOMPARE(form->FileListBoxNote->PickedRow(), 0);
        QCOMPARE(form->Editor->toPlainText(), QString("Приветä"));
        QVERIFY(form->SpeedButtonUpdate->isEnabled());

        QTest::keyClick(form->Editor, Qt::Key_Backspace);
        Type(form->Editor, "ж");
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(first), QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2\xe6"));
        QCOMPARE(ReadFileBytes(second), QByteArray("other"));
    }

    void everyCodePageOfTheMenu_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("Korean (Wansung)") << "Korean (Wansung)" << QByteArray("\xc7\xd1\xb1\xb9") << "한국";
        QTest::newRow("Japanese") << "Japanese shift-jis" << QByteArray("\x93\xfa\x96\x7b\x8c\xea")
                                  << "日本語";
        QTest::newRow("Simplified") << "Chinese (Simplified)" << QByteArray("\xd6\xd0\xce\xc4") << "中文";
        QTest::newRow("Traditional") << "Chinese (Traditional) " << QByteArray("\xa4\xa4\xa4\xe5") << "中文";
        QTest::newRow("Johab") << "Korean (Johab)" << QByteArray("\xd0\x65\x8b\x69") << "한글";
        QTest::newRow("Turkish") << "Turkish" << QByteArray("\xd0\xdd\xfe") << "Ğİş";
        QTest::newRow("Greek") << "Greek" << QByteArray("\xc1\xe8\xde\xed\xe1") << "Αθήνα";
        QTest::newRow("Vietnamese") << "Vietnamese" << QByteArray("\xf0\xf5\xfd") << "đơư";
        QTest::newRow("Arabic") << "Arabic" << QByteArray("\xd3\xe1\xc7\xe3") << "سلام";
        QTest::newRow("Hebrew") << "Hebrew" << QByteArray("\xf9\xec\xe5\xed") << "שלום";
        QTest::newRow("Baltic") << "Baltic" << QByteArray("\xe0\xe8\xeb") << "ąčė";
        QTest::newRow("Cyrillic") << "Cyrillic" << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2") << "Привет";
        QTest::newRow("EASTEUROPE") << "EASTEUROPE" << QByteArray("\xa3\xf3\x64\x9f") << "Łódź";
        QTest::newRow("Thai") << "Thai" << QByteArray("\xe4\xb7\xc2") << "ไทย";
        QTest::newRow("MAC") << "MAC" << QByteArray("caf\x8e") << "café";
        QTest::newRow("OEM") << "OEM" << QByteArray("Gr\x94\xe1") << "Größ";
    }

    // A note in each code page of the menu: chosen with the mouse, opened with a click, shown in its
    // letters; a letter typed and taken back, then Update file, gives the same bytes.
    void everyCodePageOfTheMenu() {
        QFETCH(QString, caption);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        TestEnvironment env;
        const QString path = NotesDir(env) + "/note.txt";
        WriteFileBytes(path, bytes + "\r\nline");
        TMainForm* form = NotesTabIn(env, caption);
        ClickNote(form, "note.txt");
        QCOMPARE(form->Editor->toPlainText(), text + "\nline");
        QTest::keyClick(form->Editor, Qt::Key_X);
        QTest::keyClick(form->Editor, Qt::Key_Backspace);
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        QTest::mouseClick(form->SpeedButtonUpdate, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(path), bytes + "\r\nline");
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
    }
};

QTEST_MAIN(NoteCodePagesTest)
#include "tst_notecodepages.moc"
