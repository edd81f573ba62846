// The notes list, the editor and the note dialogs driven by the hand: mouse clicks at the items,
// keys into the focused list, typing into the editor, drags dropped on the editor.

#include "app/MainForm.h"
#include "desktop/BrowseForFolder.h"
#include "notes/NoteDialogs.h"
#include "notes/NoteFavourites.h"
#include "notes/NoteListInput.h"
#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/SafeFile.h"
#include "platform/Sound.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/FileBytes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

QString NotesDir(const TestEnvironment& env) {
    return env.ArchiveFolder() + QStringLiteral("/notes");
}

void ClickButton(QToolButton* button) {
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types at the end of the editor, as a person who clicked there would.
void TypeAtEnd(TMainForm* form, const QString& text) {
    form->Editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(form->Editor, text);
}

QString PickedName(TMainForm* form) {
    const int row = form->FileListBoxNote->PickedRow();
    return row < 0 ? QString() : form->FileListBoxNote->item(row)->text();
}

int QuestionsAsked() {
    int count = 0;
    for (const ShownBox& box : MessageBoxSeam::Shown())
        if (box.text.startsWith(QStringLiteral("Save the changes to ")))
            ++count;
    return count;
}

// Sends a drag of `mime` over the widget and drops it there, as the window system does.
bool DragAndDrop(QWidget* target, QMimeData* mime) {
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Keeps files of the process below `bytes` for its lifetime.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// The roads that read the notes list again, and so take the editor's text, each as the hand
// takes it.
struct NoteRoad {
    const char* name;
    std::function<void(TMainForm*, const QString& notesDir)> take;
};

const QList<NoteRoad>& RoadsReplacingTheNote() {
    static const QList<NoteRoad> roads = {
        {"Insert, a new note saved",
         [](TMainForm* form, const QString&) {
             ModalSeam::Queue([](QDialog& d) {
                 auto& dialog = static_cast<TAggNoteForm&>(d);
                 QTest::keyClicks(dialog.Edit_nomefile, "c.txt");
                 QTest::mouseClick(dialog.SpeedButtonAddClose, Qt::LeftButton);
             });
             ClickButton(form->SpeedButtonAggNote);
         }},
        {"Modify, saved",
         [](TMainForm* form, const QString&) {
             ModalSeam::Queue([](QDialog& d) {
                 QTest::mouseClick(static_cast<TModNoteForm&>(d).SpeedButtonMod, Qt::LeftButton);
             });
             ClickButton(form->SpeedButtonmodNote);
         }},
        {"typing in the filter",
         [](TMainForm* form, const QString&) {
             form->Edit_Filtrafile->setFocus(Qt::TabFocusReason);
             QTest::keyClick(form->Edit_Filtrafile, Qt::Key_End);
             QTest::keyClicks(form->Edit_Filtrafile, "t");
         }},
        {"Use in the favourite folders",
         [](TMainForm* form, const QString& notesDir) {
             BrowseForFolderSeam::QueueFolder(notesDir);
             ModalSeam::Queue([](QDialog& d) {
                 auto& dialog = static_cast<TFoldersForm&>(d);
                 QTest::mouseClick(dialog.SpeedButtonAddFolder, Qt::LeftButton);
                 QTest::mouseClick(dialog.SpeedButtonUse, Qt::LeftButton);
             });
             ClickButton(form->SpeedButton2);
         }},
        {"Export into the notes folder",
         [](TMainForm* form, const QString& notesDir) {
             DialogSeam::QueueFile(notesDir + "/copy.txt");
             ClickButton(form->SpeedButtonSaveAs);
         }},
    };
    return roads;
}

} // namespace

class NotePickingTest : public QObject {
    Q_OBJECT

private slots:
    void aMouseClickOpensTheNote() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a.txt", "alpha");
        WriteFileBytes(NotesDir(env) + "/b.txt", "beta\r\nsecond");
        WriteFileBytes(NotesDir(env) + "/c.txt", "gamma");
        TMainForm* form = env.CreateMainForm();

        ClickNote(form, "b.txt");
        QCOMPARE(form->Editor->toPlainText(), QString("beta\nsecond"));
        QVERIFY(form->Editor->isEnabled());
        QCOMPARE(form->CurrentNoteFile, NotesDir(env) + "/b.txt");
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: Notes - FILE: b.txt"));
        for (QToolButton* b : {form->SpeedButtonmodNote, form->SpeedButtonDelnote, form->SpeedButtonFind})
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());

        ClickNote(form, "c.txt");
        QCOMPARE(form->Editor->toPlainText(), QString("gamma"));
        QCOMPARE(PickedName(form), QString("c.txt"));

        // Beside the items, with the right button, or with Ctrl: the open note stays chosen.
        QTest::mouseClick(form->FileListBoxNote->viewport(), Qt::LeftButton, {},
                          QPoint(5, form->FileListBoxNote->viewport()->height() - 3));
        QTest::mouseClick(form->FileListBoxNote->viewport(), Qt::RightButton, {},
                          NoteItemCentre(form, "a.txt"));
        QTest::mouseClick(form->FileListBoxNote->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          NoteItemCentre(form, "c.txt"));
        QCOMPARE(PickedName(form), QString("c.txt"));
        QCOMPARE(form->CurrentNoteFile, NotesDir(env) + "/c.txt");
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());

        // The open note clicked again is read again from disk.
        WriteFileBytes(NotesDir(env) + "/c.txt", "gamma changed outside");
        ClickNote(form, "c.txt");
        QCOMPARE(form->Editor->toPlainText(), QString("gamma changed outside"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void aDoubleClickModifies() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a.txt", "alpha");
        WriteFileBytes(NotesDir(env) + "/b.txt", "beta");
        TMainForm* form = env.CreateMainForm();
        QString shownText;
        ModalSeam::Queue([&](QDialog& d) {
            auto& dialog = static_cast<TModNoteForm&>(d);
            QCOMPARE(dialog.Edit_nomefile->text(), QString("b.txt"));
            shownText = dialog.editor->toPlainText();
            QTest::mouseClick(dialog.SpeedButton3, Qt::LeftButton);
        });
        DoubleClickNote(form, "b.txt");
        QCOMPARE(shownText, QString("beta"));
        QCOMPARE(ModalSeam::PendingCount(), 0);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    void keysOpenNotes() {
        TestEnvironment env;
        for (const char* name : {"n1", "n2", "n3", "n4"})
            WriteFileBytes(NotesDir(env) + "/" + name, QByteArray("text of ") + name);
        TMainForm* form = env.CreateMainForm();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        FocusNoteList(form);

        // The list came into focus on its first name without choosing it; Down moves on and opens.
        KeyIntoFocus(Qt::Key_Down);
        QCOMPARE(PickedName(form), QString("n2"));
        QCOMPARE(form->Editor->toPlainText(), QString("text of n2"));
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: Notes - FILE: n2"));
        const QList<std::pair<Qt::Key, QString>> moves = {{Qt::Key_End, "n4"},
                                                          {Qt::Key_Up, "n3"},
                                                          {Qt::Key_Home, "n1"},
                                                          {Qt::Key_PageDown, "n4"},
                                                          {Qt::Key_PageUp, "n1"}};
        for (const auto& [key, name] : moves) {
            form->FileListBoxNote->setFocus(Qt::OtherFocusReason);
            KeyIntoFocus(key);
            QCOMPARE(PickedName(form), name);
            QCOMPARE(form->Editor->toPlainText(), "text of " + name);
            QCOMPARE(form->CurrentNoteFile, NotesDir(env) + "/" + name);
        }
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void theOnlyNoteOpensByKeyOrClickAfterFocus() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/only.txt", "alone");
        TMainForm* form = env.CreateMainForm();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        FocusNoteList(form);
        KeyIntoFocus(Qt::Key_Down);
        QCOMPARE(form->Editor->toPlainText(), QString("alone"));
        QVERIFY(form->Editor->isEnabled());
        QVERIFY(form->SpeedButtonmodNote->isEnabled());

        form->SpeedButtonRinfrescaNote->click(); // nothing chosen again
        QVERIFY(form->Editor->toPlainText().isEmpty());
        FocusNoteList(form);
        ClickNote(form, "only.txt");
        QCOMPARE(form->Editor->toPlainText(), QString("alone"));
        QCOMPARE(form->CurrentNoteFile, NotesDir(env) + "/only.txt");
    }

    void theSaveQuestionComesOncePerSwitch() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a.txt", "alpha");
        WriteFileBytes(NotesDir(env) + "/b.txt", "beta");
        TMainForm* form = env.CreateMainForm();
        ClickNote(form, "a.txt");
        TypeAtEnd(form, " one");
        QVERIFY(form->SpeedButtonUpdate->isEnabled());

        // By mouse, answered No: one question, the other note opens unchanged.
        MessageBoxSeam::QueueAnswer(Id::No);
        ClickNote(form, "b.txt");
        QCOMPARE(QuestionsAsked(), 1);
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Save the changes to \"a.txt\"?"));
        QCOMPARE(form->Editor->toPlainText(), QString("beta"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/a.txt"), QByteArray("alpha"));

        // By key, answered Yes: one question, the typed text is in the file the question named.
        TypeAtEnd(form, " two");
        MessageBoxSeam::QueueAnswer(Id::Yes);
        QTest::keyClick(form->FileListBoxNote, Qt::Key_Up);
        QCOMPARE(QuestionsAsked(), 2);
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/b.txt"), QByteArray("beta two"));
        QCOMPARE(form->Editor->toPlainText(), QString("alpha"));

        // A double click on another note while changed: one question, then the dialog.
        TypeAtEnd(form, " three");
        MessageBoxSeam::QueueAnswer(Id::No);
        ModalSeam::Queue([](QDialog& d) {
            QTest::mouseClick(static_cast<TModNoteForm&>(d).SpeedButton3, Qt::LeftButton);
        });
        DoubleClickNote(form, "b.txt");
        QCOMPARE(QuestionsAsked(), 3);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    // Every road that replaces a changed note asks the list's save question first: No writes
    // nothing, Yes writes the typed text to the note the question names.
    void everyRoadAsksBeforeTheTextGoes_data() {
        QTest::addColumn<int>("road");
        QTest::addColumn<int>("answer");
        for (int i = 0; i < RoadsReplacingTheNote().size(); ++i) {
            const char* name = RoadsReplacingTheNote()[i].name;
            QTest::addRow("%s, No", name) << i << Id::No;
            QTest::addRow("%s, Yes", name) << i << Id::Yes;
        }
    }
    void everyRoadAsksBeforeTheTextGoes() {
        QFETCH(int, road);
        QFETCH(int, answer);
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a.txt", "alpha");
        WriteFileBytes(NotesDir(env) + "/b.txt", "beta");
        TMainForm* form = env.CreateMainForm();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        ClickNote(form, "a.txt");
        TypeAtEnd(form, " typed");
        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(answer);
        RoadsReplacingTheNote()[road].take(form, NotesDir(env));
        QCOMPARE(QuestionsAsked(), 1);
        QCOMPARE(MessageBoxSeam::Shown().first().text, QString("Save the changes to \"a.txt\"?"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/a.txt"),
                 answer == Id::Yes ? QByteArray("alpha typed") : QByteArray("alpha"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/b.txt"), QByteArray("beta"));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    // Ctrl+S anywhere on the Notes tab writes the changed note, as Update file does.
    void ctrlSUpdatesTheNote() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a.txt", "alpha");
        TMainForm* form = env.CreateMainForm();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        FocusNoteList(form);
        ClickNote(form, "a.txt");
        form->Editor->setFocus();
        TypeAtEnd(form, " saved");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/a.txt"), QByteArray("alpha saved"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void aNoteThatCannotBeSavedKeepsTheList() {
        TestEnvironment env;
        QByteArray alpha;
        for (int i = 0; alpha.size() < 40000; ++i)
            alpha += "line " + QByteArray::number(i) + " of a long note\r\n";
        alpha += "end";
        WriteFileBytes(NotesDir(env) + "/a.txt", alpha);
        WriteFileBytes(NotesDir(env) + "/b.txt", "beta");
        TMainForm* form = env.CreateMainForm();
        ClickNote(form, "a.txt");
        const QString text = form->Editor->toPlainText();
        const QString typed = QStringLiteral(" typed");
        TypeAtEnd(form, typed);

        // The disk takes only part of the bytes: the error is shown and everything stays with a.txt.
        {
            FileSizeLimit limit(4096);
            MessageBoxSeam::QueueAnswer(Id::Yes);
            MessageBoxSeam::QueueAnswer(Id::Ok);
            ClickNote(form, "b.txt");
        }
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
        QCOMPARE(MessageBoxSeam::Shown().last().flags & Mb::IconError, Mb::IconError);
        QCOMPARE(PickedName(form), QString("a.txt"));
        QCOMPARE(form->CurrentNoteFile, NotesDir(env) + "/a.txt");
        QCOMPARE(form->Editor->toPlainText(), text + typed);
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/a.txt"), alpha);

        // The note's file turned into a folder: not a text file, the notice, and again a.txt stays.
        QVERIFY(QFile::remove(NotesDir(env) + "/a.txt"));
        QVERIFY(QDir().mkdir(NotesDir(env) + "/a.txt"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        QTest::keyClick(form->FileListBoxNote, Qt::Key_Down);
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Sorry, I can update only ascii files!"));
        QCOMPARE(PickedName(form), QString("a.txt"));
        QCOMPARE(form->Editor->toPlainText(), text + typed);
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        // Refresh asks the same and stops there too: the list is not read again under the text.
        MessageBoxSeam::QueueAnswer(Id::Yes);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        ClickButton(form->SpeedButtonRinfrescaNote);
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Sorry, I can update only ascii files!"));
        QCOMPARE(PickedName(form), QString("a.txt"));
        QCOMPARE(form->Editor->toPlainText(), text + typed);

        // Once the file can be written, Update file writes a.txt, never b.txt.
        QVERIFY(QDir().rmdir(NotesDir(env) + "/a.txt"));
        WriteFileBytes(NotesDir(env) + "/a.txt", alpha);
        ClickButton(form->SpeedButtonUpdate);
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/a.txt"), alpha + typed.toUtf8());
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/b.txt"), QByteArray("beta"));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    void aNoteSavedWithoutAnEditKeepsEveryByte() {
        const QList<QByteArray> notes = {
            "no\xC2\xA0"
            "break\xC2\xA0space",
            "line\xE2\x80\xA8separator kept in its line",
            "tab\there\r\nand CR LF\r\nlines",
            "ends with a line break\r\n",
            "\xC2\xA0\tmixed\xE2\x80\xA8\r\n\xC2\xA0",
            "Latin-1 ending in an accented letter: caf\xE9",
            "Latin-1 no\xA0"
            "break space",
            "\xEF\xBB\xBF"
            "with a byte-order mark",
            "CR LF\r\n\rthen a lone CR\rand\n\rLF CR",
        };
        TestEnvironment env;
        for (int i = 0; i < notes.size(); ++i)
            WriteFileBytes(NotesDir(env) + QStringLiteral("/n%1.txt").arg(i), notes[i]);
        WriteFileBytes(NotesDir(env) + "/other.txt", "other");
        TMainForm* form = env.CreateMainForm();
        for (int i = 0; i < notes.size(); ++i) {
            const QString name = QStringLiteral("n%1.txt").arg(i);
            const QString path = NotesDir(env) + "/" + name;
            ClickNote(form, name);
            QVERIFY2(!form->SpeedButtonUpdate->isEnabled(), qPrintable(name));
            // Clicked again, it is the same text: nothing looks changed.
            ClickNote(form, name);
            QVERIFY2(!form->SpeedButtonUpdate->isEnabled(), qPrintable(name));
            // A letter typed and taken back, then Update file: the same bytes.
            QTest::keyClick(form->Editor, Qt::Key_X);
            QTest::keyClick(form->Editor, Qt::Key_Backspace);
            QVERIFY(form->SpeedButtonUpdate->isEnabled());
            ClickButton(form->SpeedButtonUpdate);
            QCOMPARE(ReadFileBytes(path), notes[i]);
            // The modify dialog opened and closed with Modify keeps them too.
            ModalSeam::Queue([](QDialog& d) {
                QTest::mouseClick(static_cast<TModNoteForm&>(d).SpeedButtonMod, Qt::LeftButton);
            });
            ClickButton(form->SpeedButtonmodNote);
            QCOMPARE(ReadFileBytes(path), notes[i]);
            // Switching away asks nothing: the note was never changed.
            ClickNote(form, "other.txt");
            QCOMPARE(ReadFileBytes(path), notes[i]);
        }
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    void renamingOntoAnotherNoteAsksFirst() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a", "alpha");
        WriteFileBytes(NotesDir(env) + "/b", "beta");
        TMainForm* form = env.CreateMainForm();
        ClickNote(form, "a");
        bool stayedOpen = false;
        ModalSeam::Queue([&](QDialog& d) {
            auto& dialog = static_cast<TModNoteForm&>(d);
            dialog.Edit_nomefile->selectAll();
            QTest::keyClicks(dialog.Edit_nomefile, "b");
            MessageBoxSeam::QueueAnswer(Id::No);
            QTest::mouseClick(dialog.SpeedButtonMod, Qt::LeftButton);
            stayedOpen = dialog.isVisible() && dialog.result() == 0;
            QCOMPARE(dialog.Edit_nomefile->text(), QString("b"));
            QCOMPARE(dialog.editor->toPlainText(), QString("alpha"));
            QTest::mouseClick(dialog.SpeedButton3, Qt::LeftButton);
        });
        ClickButton(form->SpeedButtonmodNote);
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("Overwrite the file: \"b\"?"));
        QVERIFY(stayedOpen);
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/a"), QByteArray("alpha"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/b"), QByteArray("beta"));

        // Yes replaces the other note and the old name goes.
        ClickNote(form, "a");
        ModalSeam::Queue([](QDialog& d) {
            auto& dialog = static_cast<TModNoteForm&>(d);
            dialog.Edit_nomefile->selectAll();
            QTest::keyClicks(dialog.Edit_nomefile, "b");
            MessageBoxSeam::QueueAnswer(Id::Yes);
            QTest::keyClick(dialog.Edit_nomefile, Qt::Key_Return);
        });
        ClickButton(form->SpeedButtonmodNote);
        QVERIFY(!QFile::exists(NotesDir(env) + "/a"));
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/b"), QByteArray("alpha"));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    void aFileDroppedOnTheEditorGoesToTheWindow() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/open.txt", "open note");
        const QString dropped = env.ProgramFolder() + "elsewhere/dropped.txt";
        WriteFileBytes(dropped, "dropped text");
        TMainForm* form = env.CreateMainForm();
        ClickNote(form, "open.txt");
        QWidget* editorArea = form->Editor->viewport();

        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(dropped)});
        files->setText(QUrl::fromLocalFile(dropped).toString());
        QVERIFY(DragAndDrop(editorArea, files));
        QCOMPARE(form->Editor->toPlainText(), QString("dropped text"));
        QCOMPARE(form->CurrentNoteFile, dropped);
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: elsewhere - FILE: dropped.txt"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/open.txt"), QByteArray("open note"));
        delete files;

        // A sound dropped on the editor is offered as the alarm sound, nothing is pasted.
        const QString wav = env.ProgramFolder() + "ring.wav";
        WriteFileBytes(wav, "RIFF");
        auto* sound = new QMimeData;
        sound->setUrls({QUrl::fromLocalFile(wav)});
        MessageBoxSeam::QueueAnswer(Id::No);
        SoundSeam::Reset();
        QVERIFY(DragAndDrop(editorArea, sound));
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 QString("Do you want set \"ring.wav\" as default alarm sound?"));
        QCOMPARE(form->Editor->toPlainText(), QString("dropped text"));
        delete sound;

        // A picture dropped on the filter field is opened by the desktop; the field keeps its mask.
        const QString picture = env.ProgramFolder() + "photo.png";
        WriteFileBytes(picture, QByteArray("\x89PNG\0", 5));
        auto* image = new QMimeData;
        image->setUrls({QUrl::fromLocalFile(picture)});
        image->setText(QUrl::fromLocalFile(picture).toString());
        LauncherSeam::Reset();
        QVERIFY(DragAndDrop(form->Edit_Filtrafile, image));
        QCOMPARE(LauncherSeam::Launches(), QStringList({picture}));
        QCOMPARE(form->Edit_Filtrafile->text(), QString("*.*"));
        QCOMPARE(form->Editor->toPlainText(), QString("dropped text"));
        QVERIFY(!form->SpeedButtonUpdate->isEnabled());
        delete image;

        // Text that is not a file is still the editor's to take.
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        auto* words = new QMimeData;
        words->setText("more words");
        QVERIFY(DragAndDrop(editorArea, words));
        QVERIFY(form->Editor->toPlainText().contains("more words"));
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        delete words;
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    // A FIFO in the notes folder is no note: not listed, and clicks on the list never wait on it.
    void aFifoInTheNotesFolderIsNotListed() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a.txt", "alpha");
        QCOMPARE(::mkfifo(QFile::encodeName(NotesDir(env) + "/pipe.txt").constData(), 0600), 0);
        ::alarm(30); // fails a wait on the FIFO instead of hanging
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->FileListBoxNote->count(), 1);
        ClickNote(form, "a.txt");
        QCOMPARE(form->Editor->toPlainText(), QString("alpha"));
        ClickButton(form->SpeedButtonRinfrescaNote);
        QCOMPARE(form->FileListBoxNote->count(), 1);
        QCOMPARE(form->FileListBoxNote->item(0)->text(), QString("a.txt"));
        ::alarm(0);
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        // A note past the most one may hold is named with the limit, and the list stays with the
        // note shown.
        const QString big = NotesDir(env) + "/big.txt";
        WriteFileBytes(big, QByteArray(int(kDocumentLimit) + 1, 'x'));
        ClickButton(form->SpeedButtonRinfrescaNote);
        ClickNote(form, "a.txt");
        ClickNote(form, "big.txt");
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text, TooLargeText(big, kDocumentLimit));
        QCOMPARE(PickedName(form), QString("a.txt"));
        QCOMPARE(form->Editor->toPlainText(), QString("alpha"));
    }

    // What is dropped is opened as every read is: a FIFO, whatever its name, is refused at once by
    // name; a colour set or a note far too large is refused naming the file and the limit.
    void droppedFilesThatCannotBeReadAreRefusedByName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO note") << "pipe.txt"
                                   << "fifo";
        QTest::newRow("FIFO colour set") << "pipe.clr"
                                         << "fifo";
        QTest::newRow("FIFO sound") << "pipe.wav"
                                    << "fifo";
        QTest::newRow("1 GB colour set") << "big.clr"
                                         << "sparse";
        QTest::newRow("note past 64 MB") << "big.txt"
                                         << "text";
    }
    void droppedFilesThatCannotBeReadAreRefusedByName() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/open.txt", "open note");
        const QString dropped = env.ProgramFolder() + "elsewhere/" + name;
        QVERIFY(QDir().mkpath(env.ProgramFolder() + "elsewhere"));
        QString expected;
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(dropped).constData(), 0600), 0);
            expected = "The file \"" + dropped + "\" could not be read: it is not a regular file.";
        } else if (kind == "sparse") {
            WriteSparseFile(dropped, qint64(1) << 30);
            expected = "I can't read the colors list \"" + dropped + "\"!\r" +
                       TooLargeText(dropped, kSmallFileLimit);
        } else {
            WriteFileBytes(dropped, QByteArray(int(kDocumentLimit) + 1, 'x'));
            expected = TooLargeText(dropped, kDocumentLimit);
        }
        TMainForm* form = env.CreateMainForm();
        ClickNote(form, "open.txt");
        LauncherSeam::Reset();
        SoundSeam::Reset();
        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(dropped)});
        ::alarm(30); // fails a wait on the FIFO instead of hanging
        QVERIFY(DragAndDrop(form->Editor->viewport(), files));
        ::alarm(0);
        delete files;
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text, expected);
        QCOMPARE(LauncherSeam::Launches(), QStringList());
        QCOMPARE(form->Editor->toPlainText(), QString("open note"));
    }

    void refreshAllReadsTheNotesAgain() {
        TestEnvironment env;
        WriteFileBytes(NotesDir(env) + "/a.txt", "alpha");
        TMainForm* form = env.CreateMainForm();
        ClickNote(form, "a.txt");
        TypeAtEnd(form, "!");
        WriteFileBytes(NotesDir(env) + "/new.txt", "made outside");
        form->PageControlMenu->setCurrentWidget(form->TabSheetTODAY);

        MessageBoxSeam::QueueAnswer(Id::Yes);
        ClickButton(form->SpeedButtonAggiornaTutto);
        QCOMPARE(QuestionsAsked(), 1);
        QCOMPARE(ReadFileBytes(NotesDir(env) + "/a.txt"), QByteArray("alpha!"));
        QCOMPARE(form->FileListBoxNote->count(), 2);
        QVERIFY(NoteItem(form, "new.txt"));
        QCOMPARE(form->Panel_totnote->Caption(), QString("2   "));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }
};

QTEST_MAIN(NotePickingTest)
#include "tst_notepicking.moc"
