#include "app/MainForm.h"
#include "notes/NoteDialogs.h"
#include "notes/NoteListInput.h"
#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Sound.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/FileBytes.h"
#include "support/RealMessageBox.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <functional>

using namespace qm;

namespace {

QString NotesDir(const TestEnvironment& env) {
    return env.ArchiveFolder() + QStringLiteral("/notes");
}

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

void Select(TMainForm* form, const QString& name) {
    ClickNote(form, name);
}

} // namespace

class NotesTabTest : public QObject {
    Q_OBJECT

private slots:
    void startShowsTheFolderWithNothingSelected() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/b.txt", "bee");
        WriteFileBytes(NotesDir(env) + "/A.txt", "ay");
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(Items(form->FileListBoxNote), QStringList({"A.txt", "b.txt"}));
        QCOMPARE(form->Panel_totnote->Caption(), QString("2   "));
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: Notes - FILE: "));
        QVERIFY(!form->Editor->isEnabled());
        for (QToolButton* b : {form->SpeedButtonDelnote, form->SpeedButtonmodNote, form->SpeedButtonFind,
                               form->SpeedButtonUpdate, form->SpeedButtonSaveAs, form->SpeedButtonLancia,
                               form->SpeedButton_NoteHome})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(form->SpeedButtonAggNote->isEnabled());
    }

    void selectingEditingAndUpdating() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/one.txt", "first\nline");
        WriteFileBytes(NotesDir(env) + "/two.txt", "second");
        WriteFileBytes(NotesDir(env) + "/pic.bin", QByteArray("\x89PNG\0", 5));
        TMainForm* form = env.CreateMainForm();

        Select(form, "one.txt");
        QCOMPARE(form->Editor->toPlainText(), QString("first\nline"));
        QVERIFY(form->Editor->isEnabled());
        QVERIFY(form->SpeedButtonFind->isEnabled());
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(form->CurrentNoteFile, NotesDir(env) + "/one.txt");
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: Notes - FILE: one.txt"));

        // Typing marks the note changed; Update file writes it, the new line break in the note's own
        // form, and clears the mark.
        form->Editor->appendPlainText("more");
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        form->SpeedButtonUpdate->click();
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/one.txt"), QByteArray("first\nline\nmore"));

        // Another note while changed: the question names the old one; No drops the changes.
        form->Editor->appendPlainText("lost");
        MessageBoxSeam::QueueAnswer(Id::No);
        Select(form, "two.txt");
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Save the changes to \"one.txt\"?"));
        QCOMPARE(form->Editor->toPlainText(), QString("second"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/one.txt"), QByteArray("first\nline\nmore"));

        // Yes writes the changed note before the next one loads.
        form->Editor->setPlainText("changed");
        MessageBoxSeam::QueueAnswer(Id::Yes);
        Select(form, "one.txt");
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/two.txt"), QByteArray("changed"));

        // A file that is not text: the editor is off and empty, it can still be deleted or launched.
        Select(form, "pic.bin");
        QVERIFY(!form->Editor->isEnabled());
        QVERIFY(form->Editor->toPlainText().isEmpty());
        QVERIFY(!form->SpeedButtonFind->isEnabled());
        QVERIFY(form->SpeedButtonDelnote->isEnabled());
        QVERIFY(form->SpeedButtonLancia->isEnabled());
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    void filterMaskAndDelete() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/shopping.txt", "milk");
        WriteFileBytes(NotesDir(env) + "/ideas.txt", "fly");
        WriteFileBytes(NotesDir(env) + "/README", "plain");
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->FileListBoxNote->count(), 3); // "*.*" is every file, as ever
        form->Edit_Filtrafile->setText("shop");
        QCOMPARE(Items(form->FileListBoxNote), QStringList({"shopping.txt"}));
        form->Edit_Filtrafile->setText("");
        QCOMPARE(form->FileListBoxNote->count(), 3);
        form->Edit_Filtrafile->setText("*.*"); // the mask "**.**": names holding a dot
        QCOMPARE(form->FileListBoxNote->count(), 2);
        form->Edit_Filtrafile->setText("*");
        QCOMPARE(form->FileListBoxNote->count(), 3);

        form->SpeedButtonDelnote->setEnabled(true);
        form->SpeedButtonDelnote->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString(" First select a file!"));

        Select(form, "ideas.txt");
        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButtonDelnote->click();
        QVERIFY(
            MessageBoxSeam::Shown().last().text.startsWith(" You are in order to eliminate \"ideas.txt\""));
        QVERIFY(QFile::exists(NotesDir(env) + "/ideas.txt"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButtonDelnote->click();
        QVERIFY(!QFile::exists(NotesDir(env) + "/ideas.txt"));
        QCOMPARE(Items(form->FileListBoxNote), QStringList({"README", "shopping.txt"}));
        QVERIFY(form->Editor->toPlainText().isEmpty());
    }

    void findStatsAndDateLine() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/n.txt", "aaaa");
        TMainForm* form = env.CreateMainForm();
        Select(form, "n.txt");
        QTextCursor cursor = form->Editor->textCursor();
        cursor.setPosition(0);
        form->Editor->setTextCursor(cursor);
        // The character at the caret is skipped; repeated searches step over overlapping matches.
        form->FindDialog1Find("AA");
        QCOMPARE(form->Editor->textCursor().selectionStart(), 1);
        form->FindDialog1Find("aa");
        QCOMPARE(form->Editor->textCursor().selectionStart(), 2);
        form->FindDialog1Find("aa");
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("I have ended the search of \"aa\""));
        QCOMPARE(form->Editor->textCursor().selectionStart(), 2);

        // Typed into the find dialog and found with its button: every letter is folded.
        form->Editor->setPlainText("x Привет, école");
        form->Editor->moveCursor(QTextCursor::Start);
        QTest::mouseClick(form->SpeedButtonFind, Qt::LeftButton);
        auto* findText = form->FindDialog1->findChild<QLineEdit*>("FindText");
        auto* findNext = form->FindDialog1->findChild<QPushButton*>("FindNext");
        for (const auto& [typed, found] :
             {std::pair<QString, QString>{"привет", "Привет"}, {"ÉCOLE", "école"}}) {
            findText->clear();
            // Letters outside ASCII arrive as the text of key events, as a keyboard layout sends them.
            for (const QChar letter : typed) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(letter));
                QApplication::sendEvent(findText, &press);
            }
            QTest::mouseClick(findNext, Qt::LeftButton);
            QCOMPARE(form->Editor->textCursor().selectedText(), found);
        }
        form->FindDialog1->hide();

        form->Editor->setPlainText("ab\nc");
        form->SpeedButtonStatClick();
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Lines: 2\r\nChars (spaces included): 5"));

        form->SpeedButtonUpdate->setEnabled(false);
        form->SpeedButtonAggData->click();
        QVERIFY(form->Editor->toPlainText().startsWith("ab\nc\n"));
        QVERIFY(form->Editor->toPlainText().endsWith(" - 09.30.00"));
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        QVERIFY(!form->SpeedButtonRestoreNote->isEnabled());
    }

    void newAndModifiedNotes() {
        TestEnvironment env;
        QDir().mkpath(NotesDir(env));
        TMainForm* form = env.CreateMainForm();
        ModalSeam::Queue([](QDialog& d) {
            auto& dialog = static_cast<TAggNoteForm&>(d);
            QCOMPARE(dialog.windowTitle(), QString("-> New Note"));
            dialog.Edit_nomefile->setText("Groceries");
            dialog.editor->setPlainText("eggs\nbread");
            dialog.SpeedButton1->click(); // stays open, fields emptied
            QVERIFY(dialog.Edit_nomefile->text().isEmpty());
            dialog.editor->setPlainText("stamped");
            dialog.SpeedButton1->click(); // no title: the time stamp names it
            dialog.Edit_nomefile->setText("../outside");
            dialog.editor->setPlainText("x");
            MessageBoxSeam::QueueAnswer(Id::Ok);
            dialog.SpeedButtonAddClose->click(); // refused: stays open with its fields
            QVERIFY(MessageBoxSeam::Shown().last().text.contains("cannot be a note's file name"));
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.Edit_nomefile->text(), QString("../outside"));
            dialog.SpeedButton3->click();
        });
        form->SpeedButtonAggNote->click();
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/Groceries"), QByteArray("eggs\r\nbread"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/2026-12-07,09-30-00"), QByteArray("stamped"));
        QVERIFY(!QFile::exists(env.ArchiveFolder() + "/outside"));
        QCOMPARE(Items(form->FileListBoxNote), QStringList({"2026-12-07,09-30-00", "Groceries"}));

        // An existing title asks first; No with Insert and close writes nothing and closes.
        ModalSeam::Queue([](QDialog& d) {
            auto& dialog = static_cast<TAggNoteForm&>(d);
            dialog.Edit_nomefile->setText("Groceries");
            dialog.editor->setPlainText("other");
            MessageBoxSeam::QueueAnswer(Id::No);
            dialog.SpeedButtonAddClose->click();
            QVERIFY(!dialog.isVisible());
        });
        form->SpeedButtonAggNote->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Overwrite the file: \"Groceries\"?"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/Groceries"), QByteArray("eggs\r\nbread"));

        // Modify reads the file from disk and renames it when the title changes.
        Select(form, "Groceries");
        form->Editor->appendPlainText("unsaved");
        ModalSeam::Queue([](QDialog& d) {
            auto& dialog = static_cast<TModNoteForm&>(d);
            QCOMPARE(dialog.Edit_nomefile->text(), QString("Groceries"));
            QCOMPARE(dialog.editor->toPlainText(), QString("eggs\nbread"));
            dialog.Edit_nomefile->setText("groceries");
            dialog.editor->appendPlainText("milk");
            dialog.SpeedButtonMod->click();
        });
        // The changed note is offered for saving before the dialog opens; No writes nothing.
        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButtonmodNote->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Save the changes to \"Groceries\"?"));
        QVERIFY(!QFile::exists(NotesDir(env) + "/Groceries"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/groceries"), QByteArray("eggs\r\nbread\r\nmilk"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QVERIFY(form->Editor->toPlainText().isEmpty());
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    void droppedFiles() {
        TestEnvironment env;
        QDir().mkpath(NotesDir(env));
        const QString outside = env.ProgramFolder() + "elsewhere/todo list.txt";
        WriteFileBytes(outside, "call Bob");
        WriteFileBytes(env.ProgramFolder() + "elsewhere/shopping.txt", "milk");
        TMainForm* form = env.CreateMainForm();
        form->Edit_Filtrafile->setText("shop");

        // The dropped file does not match the mask: the mask becomes its name.
        form->HandleDroppedFile(outside);
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetNotes);
        QCOMPARE(form->NoteListMask, QString("todo list.txt"));
        QCOMPARE(Items(form->FileListBoxNote), QStringList({"todo list.txt"}));
        QCOMPARE(form->Editor->toPlainText(), QString("call Bob"));
        QCOMPARE(form->CurrentNoteFile, outside);
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: elsewhere - FILE: todo list.txt"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QVERIFY(form->SpeedButton_NoteHome->isEnabled());

        // A second drop while changed asks first.
        form->Editor->appendPlainText("and Ann");
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->HandleDroppedFile(outside);
        QCOMPARE(ReadFileBytes(outside), QByteArray("call Bob\r\nand Ann"));

        SoundSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::No);
        const QString wav = env.ProgramFolder() + "ring.wav";
        WriteFileBytes(wav, "RIFF");
        form->HandleDroppedFile(wav);
        QCOMPARE(SoundSeam::Plays(), QStringList({wav}));
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 QString("Do you want set \"ring.wav\" as default alarm sound?"));
        QVERIFY(form->AlarmSoundFile != wav);

        LauncherSeam::Reset();
        const QString picture = env.ProgramFolder() + "photo.png";
        WriteFileBytes(picture, QByteArray("\x89PNG\0", 5));
        form->HandleDroppedFile(picture);
        QCOMPARE(LauncherSeam::Launches(), QStringList({picture}));

        // Back home: the notes folder and the default caption.
        form->SpeedButton_NoteHome->click();
        QCOMPARE(form->NoteListDirectory, NotesDir(env));
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: Notes - FILE: "));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    void exportTakesTheExtensionOfThePickedType() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->Editor->setPlainText(QStringLiteral("<p>hello</p>"));
        const QString base = env.ProgramFolder() + QStringLiteral("page");
        DialogSeam::QueueFileOfType(base, 2);
        form->SpeedButtonSaveAsClick();
        QVERIFY(QFile::exists(base + QStringLiteral(".htm")));
        // The type stays for the next export; the third type adds nothing.
        DialogSeam::QueueFile(base + QStringLiteral("2"));
        form->SpeedButtonSaveAsClick();
        QVERIFY(QFile::exists(base + QStringLiteral("2.htm")));
        DialogSeam::QueueFileOfType(base + QStringLiteral("3"), 3);
        form->SpeedButtonSaveAsClick();
        QVERIFY(QFile::exists(base + QStringLiteral("3")));
    }

    void quitAsksAboutAChangedNote() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/n.txt", "old");
        TMainForm* form = env.CreateMainForm();
        form->CheckBox_TimeCheck->setChecked(false);
        Select(form, "n.txt");
        form->Editor->setPlainText("new");
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButtonEXIT->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 QString("Update the file: \"n.txt\" before saying hello?"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/n.txt"), QByteArray("new"));
        QVERIFY(form->QuitConfirmed());
    }

    // Esc in the real question boxes answers nothing, so a slip never drops typed text: the box stays
    // open until a button is clicked.
    void escNeverAnswersAQuestionAboutTypedText() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/one.txt", "first");
        WriteFileBytes(NotesDir(env) + "/two.txt", "second");
        TMainForm* form = env.CreateMainForm();
        FocusNoteList(form);
        Select(form, "one.txt");
        QTest::keyClick(form->Editor, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(form->Editor, " typed");
        MessageBoxSeam::Disable();
        QStringList seen; // each box's text, then its state after Esc, the editor's text and note
        // Esc, then a click on the answer, in each box in turn.
        std::function<void(QList<QMessageBox::StandardButton>)> escThenClick = [&](auto answers) {
            WhenBoxShows([&, answers](QMessageBox* box) {
                const bool keyInTheBox = KeyIntoBox(box, Qt::Key_Escape);
                seen << box->text() << (keyInTheBox && box->isVisible() ? "open" : "answered")
                     << form->Editor->toPlainText() << QFileInfo(form->NoteListFileName()).fileName();
                if (box->isVisible())
                    ClickBoxButton(box, answers.first());
                if (answers.size() > 1)
                    escThenClick(answers.mid(1));
            });
        };
        escThenClick({QMessageBox::Yes});
        Select(form, "two.txt");
        QCOMPARE(seen, QStringList({"Save the changes to \"one.txt\"?", "open", "first typed", "two.txt"}));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/one.txt"), QByteArray("first typed"));
        QCOMPARE(form->Editor->toPlainText(), QString("second"));

        // Esc in the window starts the quit road; Esc answers neither of its questions.
        seen.clear();
        form->activateWindow(); // the window manager's part once the box is gone
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClicks(form->Editor, "more ");
        escThenClick({QMessageBox::Yes, QMessageBox::No});
        KeyIntoFocus(Qt::Key_Escape);
        QCOMPARE(seen.size(), 8);
        QCOMPARE(seen.mid(0, 3),
                 QStringList({"Update the file: \"two.txt\" before saying hello?", "open", "more second"}));
        QVERIFY(seen[4].startsWith(" Hey! If you quit me"));
        QCOMPARE(seen[5], QString("open"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/two.txt"), QByteArray("more second"));
        QVERIFY(!form->QuitConfirmed());
        QVERIFY(form->isVisible());
    }
};

QTEST_MAIN(NotesTabTest)
#include "tst_notestab.moc"
