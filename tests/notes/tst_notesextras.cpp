#include "app/MainForm.h"
#include "desktop/BrowseForFolder.h"
#include "notes/NoteFavourites.h"
#include "notes/NoteListInput.h"
#include "notes/NotePrint.h"
#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/SafeFile.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/FileBytes.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace qm;

namespace {

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

QString NotesDir(TMainForm* form) {
    return form->NotesFolder;
}

void SelectNote(TMainForm* form, const QString& name) {
    ClickNote(form, name);
}

// Runs the favourite-folders dialog with `act` playing the user.
void WithFolders(TMainForm* form, std::function<void(TFoldersForm&)> act) {
    ModalSeam::Queue([act](QDialog& d) { act(static_cast<TFoldersForm&>(d)); });
    form->SpeedButton2->click();
    QCOMPARE(ModalSeam::UnhandledCount(), 0);
}

} // namespace

class NotesExtrasTest : public QObject {
    Q_OBJECT

private slots:
    void fontChangesAndSaveDefault() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QVERIFY(!form->SpeedButton_Aggiorna_Editor_Setup->isEnabled());

        form->SpinEdit_Size->setValue(17);
        QCOMPARE(form->Editor->font().pointSize(), 17);
        QVERIFY(form->SpeedButton_Aggiorna_Editor_Setup->isEnabled());

        // A cancelled colour dialog changes nothing.
        DialogSeam::QueueColor(std::nullopt);
        form->Panel_Font_ColorClick();
        DialogSeam::QueueColor(Colors::clBlack);
        form->Panel_Font_ColorClick();
        DialogSeam::QueueColor(Colors::clWhite);
        form->Panel_Editor_ColorClick();
        QCOMPARE(form->Editor->palette().color(QPalette::Text), ToQColor(Colors::clBlack));
        QCOMPARE(form->Editor->palette().color(QPalette::Base), ToQColor(Colors::clWhite));
        QCOMPARE(form->Panel_Editor_Color->Color(), Colors::clWhite);

        // A name with a quote is stored as typed, never spliced into the statement.
        form->ComboBox_Fonts->setCurrentText(QStringLiteral("O\"Brien Mono"));
        form->ComboBox_FontsChange();
        form->CharSetItemClick(204);

        form->SpeedButton_Aggiorna_Editor_Setup->click();
        const QList<QStringList> rows = TestEnvironment::RowsOfFile(
            env.ArchiveFile("QMset90.db"), "SELECT fontname, fontcolor, fontsize, backcolor FROM QMset90");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0], QString("O\"Brien Mono"));
        QCOMPARE(rows[0][1], QString("clBlack"));
        QCOMPARE(rows[0][2].toDouble(), 17.0);
        QCOMPARE(rows[0][3], QString("clWhite"));
        QCOMPARE(ReadFileBytes(env.ArchiveFile("CharSet.txt")), QByteArray("204\r\n"));
        QVERIFY(!form->SpeedButton_Aggiorna_Editor_Setup->isEnabled());
        QCOMPARE(form->SpinEdit_Size->value(), 17);
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);

        // The saved look comes back at the next start, charset included.
        env.DestroyMainForm();
        form = env.CreateMainForm();
        QCOMPARE(form->Editor->font().pointSize(), 17);
        QCOMPARE(form->Panel_Font_Color->Color(), Colors::clBlack);
        QCOMPARE(form->Editor->property("FontCharset").toInt(), 204);
    }

    void saveDefaultFailureKeepsTheButtonOn() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->CharSetItemClick(161);
        TestEnvironment::ExecOnFile(env.ArchiveFile("QMset90.db"), "DROP TABLE QMset90");
        form->SpeedButton_Aggiorna_Editor_Setup->click();
        QVERIFY(form->SpeedButton_Aggiorna_Editor_Setup->isEnabled());
        QVERIFY(!QFile::exists(env.ArchiveFile("CharSet.txt")));
    }

    // A list of favourite folders far too large is named in one box and shows as empty.
    void oversizedFolderListIsNamedOnce() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString list = form->DefaultArchiveFolder + "/PreDir.txt";
        WriteSparseFile(list, qint64(1) << 30);
        WithFolders(form, [](TFoldersForm& d) {
            QCOMPARE(d.ListBoxFolders->count(), 0);
            d.reject();
        });
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text, TooLargeText(list, kSmallFileLimit));
    }

    void favouriteFoldersAddUseRemove() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString list = form->DefaultArchiveFolder + "/PreDir.txt";
        QTemporaryDir temp;
        const QString beta = temp.path() + "/beta";
        const QString alpha = temp.path() + "/Alpha";
        QDir().mkpath(beta);
        QDir().mkpath(alpha);
        WriteFileBytes(beta + "/b1.txt", "in beta");

        // No file yet: an empty list and only Insert and Close.
        WithFolders(form, [](TFoldersForm& d) {
            QCOMPARE(d.ListBoxFolders->count(), 0);
            QCOMPARE(d.Panel_TotFolders->Caption(), QString("0   "));
            QVERIFY(d.SpeedButtonAddFolder->isEnabled());
            QVERIFY(!d.SpeedButtonUse->isEnabled());
            QVERIFY(!d.SpeedButtonDelFolder->isEnabled());
            QVERIFY(!d.SpeedButtonOpen->isEnabled());
            d.reject();
        });

        // Added twice, sorted without regard to case, the first entry selected.
        BrowseForFolderSeam::QueueFolder(beta);
        BrowseForFolderSeam::QueueFolder(alpha);
        BrowseForFolderSeam::QueueFolder(beta);
        BrowseForFolderSeam::QueueFolder(std::nullopt);
        WithFolders(form, [&](TFoldersForm& d) {
            for (int i = 0; i < 4; ++i)
                d.SpeedButtonAddFolder->click();
            QCOMPARE(Items(d.ListBoxFolders), QStringList({alpha, beta, beta}));
            QCOMPARE(d.Panel_TotFolders->Caption(), QString("3   "));
            QCOMPARE(d.Panel_FolderName->Caption(), QString("Alpha"));
            d.ListBoxFolders->setCurrentRow(1);
            d.ListBoxFoldersClick();
            QCOMPARE(d.Panel_FolderName->Caption(), QString("beta"));
            d.SpeedButtonUse->click();
        });
        QCOMPARE(ReadFileBytes(list), (alpha + "\r\n" + beta + "\r\n" + beta + "\r\n").toUtf8());
        QCOMPARE(BrowseForFolderSeam::Shown().first().startFolder, env.ProgramFolder());
        QCOMPARE(form->NotesFolderCaption, QString(" FOLDER: beta - FILE: "));
        QCOMPARE(form->NoteListDirectory, beta);
        QCOMPARE(Items(form->FileListBoxNote), QStringList({"b1.txt"}));
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: beta - FILE: "));
        QVERIFY(form->SpeedButton_NoteHome->isEnabled());

        // A folder gone from disk stays listed but cannot be used or opened.
        QDir(alpha).removeRecursively();
        WithFolders(form, [](TFoldersForm& d) {
            QCOMPARE(d.Panel_FolderName->Caption(), QString("Folder not found!"));
            QCOMPARE(d.Panel_FolderName->palette().color(QPalette::WindowText), QColor(255, 0, 0));
            QVERIFY(!d.SpeedButtonUse->isEnabled());
            QVERIFY(!d.SpeedButtonOpen->isEnabled());
            QVERIFY(d.SpeedButtonDelFolder->isEnabled());
            // No keeps the list, read back from the file; Yes removes the entry.
            MessageBoxSeam::QueueAnswer(Id::No);
            d.SpeedButtonDelFolder->click();
            QCOMPARE(d.ListBoxFolders->count(), 3);
            QCOMPARE(d.ListBoxFolders->currentRow(), 0);
            MessageBoxSeam::QueueAnswer(Id::Yes);
            d.SpeedButtonDelFolder->click();
            QCOMPARE(d.ListBoxFolders->count(), 2);
            QCOMPARE(d.Panel_TotFolders->Caption(), QString("2   "));
            d.SpeedButtonOpen->click();
            d.reject();
        });
        QCOMPARE(MessageBoxSeam::Shown().first().text, QString(" Remove the folder: \"Alpha\"?"));
        QCOMPARE(LauncherSeam::Launches(), QStringList({beta}));
        QCOMPARE(ReadFileBytes(list), (beta + "\r\n" + beta + "\r\n").toUtf8());
    }

    void favouriteFoldersCloseAndKeys() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QTemporaryDir temp;
        WriteFileBytes(form->DefaultArchiveFolder + "/PreDir.txt", (temp.path() + "\r\n").toUtf8());

        // Enter uses the selected folder.
        WithFolders(form, [](TFoldersForm& d) { QTest::keyClick(d.ListBoxFolders, Qt::Key_Return); });
        QCOMPARE(form->NoteListDirectory, temp.path());

        // Removing every entry and closing with Esc leaves the list where it is; Close goes home.
        WithFolders(form, [](TFoldersForm& d) {
            MessageBoxSeam::QueueAnswer(Id::Yes);
            d.SpeedButtonDelFolder->click();
            QCOMPARE(d.ListBoxFolders->count(), 0);
            QVERIFY(!d.SpeedButtonUse->isEnabled());
            QTest::keyClick(d.ListBoxFolders, Qt::Key_Escape);
        });
        QCOMPARE(form->NoteListDirectory, temp.path());
        WithFolders(form, [](TFoldersForm& d) { d.SpeedButton3->click(); });
        QCOMPARE(form->NoteListDirectory, NotesDir(form));
        QCOMPARE(form->Panel_nomeCompleto->Caption(), QString(" FOLDER: Notes - FILE: "));
        QCOMPARE(TFoldersForm::LastFolderName("/"), QString("/"));
    }

    void printImportAndOpen() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFileBytes(NotesDir(form) + "/n.txt", "first line\nsecond");
        form->NoteListUpdate();
        SelectNote(form, "n.txt");

        QTemporaryDir temp;
        NotePrintSeam::PrintToPdf(temp.path() + "/note.pdf");
        form->SpeedButtonPrintNote->click();
        QCOMPARE(NotePrintSeam::PrintedCount(), 1);
        NotePrintSeam::Disable();
        QVERIFY(QFileInfo(temp.path() + "/note.pdf").size() > 0);

        // Import replaces a note of that name and asks first about the changed note.
        WriteFileBytes(temp.path() + "/n.txt", "imported");
        form->Editor->appendPlainText("typed");
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        DialogSeam::QueueFile(temp.path() + "/n.txt");
        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButtonImportText->click();
        QCOMPARE(ReadFileBytes(NotesDir(form) + "/n.txt"), QByteArray("imported"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(DialogSeam::Shown().last().filter,
                 QString("Ascii Files (*.txt,*.htm,*.html)|*.txt;*.htm;*.html|All files (*.*)|*.*"));
        // Importing a note onto itself keeps it; a file that cannot be read is an importing error.
        DialogSeam::QueueFile(NotesDir(form) + "/n.txt");
        form->SpeedButtonImportText->click();
        QCOMPARE(ReadFileBytes(NotesDir(form) + "/n.txt"), QByteArray("imported"));
        DialogSeam::QueueFile(temp.path() + "/missing.txt");
        form->SpeedButtonImportText->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text, "Importing error!\rThe file \"" + temp.path() +
                                                          "/missing.txt\" could not be read: No such file or "
                                                          "directory.");

        form->SpeedButton7->click();
        QCOMPARE(LauncherSeam::Launches().last(), NotesDir(form));
        form->SpeedButton10->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text, QString("In this section you can save same notes."));
    }

    // Without a program to open a folder or a file, each opening button says so instead of doing
    // nothing; the favourites' Open button and dropped files likewise.
    void openingWithNothingToOpenItIsSaid() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFileBytes(NotesDir(form) + "/n.txt", "x");
        form->NoteListUpdate();
        SelectNote(form, "n.txt");
        MessageBoxSeam::Reset();
        LauncherSeam::Reset();

        LauncherSeam::QueueResult(false);
        QTest::mouseClick(form->SpeedButton7, Qt::LeftButton);
        QCOMPARE(LauncherSeam::Launches(), QStringList({NotesDir(form)}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 "I can't open \"" + NotesDir(form) + "\": no program of this desktop opens it.");

        LauncherSeam::QueueResult(false);
        QTest::mouseClick(form->SpeedButtonLancia, Qt::LeftButton);
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
        QVERIFY(MessageBoxSeam::Shown().last().text.contains(NotesDir(form) + "/n.txt"));

        // A launch the desktop takes says nothing.
        QTest::mouseClick(form->SpeedButtonLancia, Qt::LeftButton);
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);

        QTemporaryDir temp;
        WriteFileBytes(form->DefaultArchiveFolder + "/PreDir.txt", (temp.path() + "\r\n").toUtf8());
        WithFolders(form, [&temp](TFoldersForm& d) {
            LauncherSeam::QueueResult(false);
            QTest::mouseClick(d.SpeedButtonOpen, Qt::LeftButton);
            QCOMPARE(MessageBoxSeam::Shown().size(), 3);
            QVERIFY(MessageBoxSeam::Shown().last().text.contains(temp.path()));
            QTest::keyClick(d.ListBoxFolders, Qt::Key_Escape);
        });
    }

    void printedLinesFollowTheEditor() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFileBytes(NotesDir(form) + "/n.txt", "alpha\n\nomega");
        form->NoteListUpdate();
        SelectNote(form, "n.txt");
        QTemporaryDir temp;
        NotePrintSeam::PrintToPdf(temp.path() + "/note.pdf");
        form->SpeedButtonPrintNote->click();
        const QStringList printed = NotePrintSeam::PrintedLines();
        NotePrintSeam::Disable();
        QCOMPARE(printed, QStringList({"alpha", "", "omega"}));
    }

    void activeNoteAndListPanel() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFileBytes(NotesDir(form) + "/n.txt", "x");
        form->NoteListUpdate();
        SelectNote(form, "n.txt");
        const auto selectAndRun = [form](const QString& text) {
            form->Editor->setPlainText(text);
            form->Editor->selectAll();
            form->SpeedButtonExeguiSelezioneClick();
        };
        LauncherSeam::Reset();
        selectAndRun("DIR");
        selectAndRun("www.example.org");
        selectAndRun("me@example.org");
        // An at-sign past the fiftieth character is no mail address.
        const QString late = "www.example.org/" + QString(34, 'a') + "@b";
        selectAndRun(late);
        form->SpeedButtonExeguiSelezione->setChecked(true);
        selectAndRun("www.off.org");
        QCOMPARE(LauncherSeam::Launches(), QStringList({"www.example.org", "mailto:me@example.org", late}));

        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        form->show();
        const QList<int> sizes = form->SplitterNote->sizes();
        const int width = (sizes[0] + sizes[1]) / 2;
        form->NoteListWidth = width;
        form->SpeedButtonOpen->click();
        QCOMPARE(form->SplitterNote->sizes().first(), 0);
        QVERIFY(form->SpeedButtonOpen->isChecked());
        form->SpeedButtonOpen->click();
        QCOMPARE(form->SplitterNote->sizes().first(), width);
        QVERIFY(!form->SpeedButtonOpen->isChecked());
    }
};

QTEST_MAIN(NotesExtrasTest)
#include "tst_notesextras.moc"
