#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "store/SectionColors.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QToolButton>

using namespace qm;

namespace {

const QStringList kClassicTexts = {"$00A6A6D2", "$00A7E3F5", "$0058A554", "$00BC8F07", "$00CE9D9D",
                                   "$009A9A4E", "$00AEAEAE", "$00BADCF8", "$0053A9FF"};

// The nine colour columns of the settings row, as the sqlite3 tool reads them.
QStringList StoredColors(const TestEnvironment& env) {
    const auto rows = TestEnvironment::RowsOfFile(
        env.ArchiveFile(QStringLiteral("QMset90.db")),
        QStringLiteral("SELECT ShotColor, YearColor, MonthColor, WeekColor, TodayColor, ContactColor, "
                       "NotesColor, TodoColor, UserColor FROM QMset90"));
    return rows.size() == 1 ? rows[0] : QStringList();
}

QStringList SwatchTexts(const TMainForm* form) {
    QStringList texts;
    for (const TPanel* swatch : {form->Panel_ShotColor, form->Panel_YearColor, form->Panel_MonthColor,
                                 form->Panel_WeekColor, form->Panel_TodayColor, form->Panel_ContactColor,
                                 form->Panel_NotesColor, form->Panel_TodoColor, form->Panel_UserColor})
        texts << ColorToString(swatch->Color());
    return texts;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class ColorsTest : public QObject {
    Q_OBJECT

private slots:
    void swatchChangeIsStoredAndSurvivesRestart() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();

        DialogSeam::QueueColor(Colors::clRed);
        form->Panel_ShotColorClick();
        QCOMPARE(StoredColors(env)[secShot], QStringLiteral("clRed"));
        QCOMPARE(form->SectionColors.ShotColor, Colors::clRed);
        QCOMPARE(form->Panel_Contorno_Shot->Color(), Colors::clRed);
        QCOMPARE(form->DBGrid_Shot->FixedColor(), QColor(Qt::red));

        // A click on the swatch itself opens the dialog too; a colour without a name is stored as hex.
        DialogSeam::QueueColor(0x0058A554);
        QTest::mouseClick(form->Panel_WeekColor, Qt::LeftButton);
        QCOMPARE(StoredColors(env)[secWeek], QStringLiteral("$0058A554"));
        DialogSeam::QueueColor(Colors::clWhite);
        form->Panel_NotesColorClick();
        QCOMPARE(StoredColors(env)[secNotes], QStringLiteral("clWhite"));
        QCOMPARE(DialogSeam::UnhandledCount(), 0);

        form = env.CreateMainForm();
        QCOMPARE(form->Panel_ShotColor->Color(), Colors::clRed);
        QCOMPARE(form->Panel_Contorno_Week->Color(), TColor(0x0058A554));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void cancelledColourChangesNothing() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // Anything a reload would repaint shows whether the row was loaded again.
        form->Panel_Contorno_Year->SetColor(Colors::clBlue);
        DialogSeam::QueueColor(std::nullopt);
        form->Panel_YearColorClick();
        QCOMPARE(form->ColorDialog.Color, ClassicSectionColors().YearColor);
        QCOMPARE(StoredColors(env), kClassicTexts);
        QCOMPARE(form->Panel_Contorno_Year->Color(), Colors::clBlue);
        QCOMPARE(form->Panel_YearColor->Color(), ClassicSectionColors().YearColor);
    }

    void userColourAlsoRecoloursTheTopBar() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        DialogSeam::QueueColor(Colors::clNavy);
        form->Panel_UserColorClick();
        QCOMPARE(form->panel_credit0->Color(), Colors::clNavy);
        QCOMPARE(form->CurrentSectionColor, Colors::clNavy);
        QCOMPARE(StoredColors(env)[secOptions], QStringLiteral("clNavy"));
    }

    void backToTheClassicLook() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        DialogSeam::QueueColor(Colors::clRed);
        form->Panel_TodoColorClick();

        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButton5->click();
        QCOMPARE(StoredColors(env)[secToDo], QStringLiteral("clRed"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text, QStringLiteral("Back to my classic look?"));
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, Mb::YesNo | Mb::IconQuestion);

        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton5->click();
        QCOMPARE(StoredColors(env), kClassicTexts);
        QCOMPARE(SwatchTexts(form), kClassicTexts);
        QCOMPARE(form->DBGrid_ToDo->FixedColor(), ToQColor(ClassicSectionColors().TodoColor));
        QCOMPARE(form->panel_credit0->Color(), ClassicSectionColors().TodayColor);
    }

    void savingAColourSet() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        DialogSeam::QueueColor(Colors::clRed);
        form->Panel_MonthColorClick();

        // The typed name gets the ".clr" extension; the dialog starts in the archive folder.
        const QString file = env.ProgramFolder() + QStringLiteral("mine.clr");
        DialogSeam::QueueFile(env.ProgramFolder() + QStringLiteral("mine"));
        form->SpeedButton21->click();
        QCOMPARE(FileBytes(file), QByteArray("$00A6A6D2\r\n$00A7E3F5\r\nclRed\r\n$00BC8F07\r\n$00CE9D9D\r\n"
                                             "$009A9A4E\r\n$00AEAEAE\r\n$00BADCF8\r\n$0053A9FF\r\n"));
        ShownDialog shown = DialogSeam::Shown().last();
        QCOMPARE(shown.kind, QStringLiteral("save"));
        QCOMPARE(shown.initialDir, form->ArchiveFolder);
        QCOMPARE(shown.filter, QStringLiteral("List of colors (*.clr)|*.clr"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        // Over an existing file it asks first: No leaves it as it was.
        QVERIFY(QDir().mkpath(env.ProgramFolder() + QStringLiteral("colors")));
        WriteBytes(file, "old\r\n");
        MessageBoxSeam::QueueAnswer(Id::No);
        DialogSeam::QueueFile(file);
        form->SpeedButton21->click();
        QCOMPARE(FileBytes(file), QByteArray("old\r\n"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text, QStringLiteral("Overwrite \"mine.clr\"?"));
        QCOMPARE(DialogSeam::Shown().last().initialDir, env.ProgramFolder() + QStringLiteral("colors"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        DialogSeam::QueueFile(file);
        form->SpeedButton21->click();
        QCOMPARE(LoadTextLines(file).size(), 9);

        // A file that cannot be written is reported.
        MessageBoxSeam::Reset();
        DialogSeam::QueueFile(env.ProgramFolder() + QStringLiteral("no/such/folder/set.clr"));
        form->SpeedButton21->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, Mb::Ok | Mb::IconExclamation);
        QVERIFY(MessageBoxSeam::Shown()[0].text.startsWith(QStringLiteral("I can't save the colors list!")));
    }

    void openingAColourSet() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // Names in any case, decimal and "$" values, lines ending in CR alone, lines past the ninth ignored.
        const QString file = env.ProgramFolder() + QStringLiteral("mixed.clr");
        WriteBytes(file,
                   "clred\r255\r$FF\rclWhite\r$00112233\r16711680\rclNavy\rclBlack\rclSilver\rjunk\rmore\r");
        DialogSeam::QueueFile(file);
        form->SpeedButton22->click();
        const QStringList expected = {"clRed",  "clRed",  "clRed",   "clWhite", "$00112233",
                                      "clBlue", "clNavy", "clBlack", "clSilver"};
        QCOMPARE(StoredColors(env), expected);
        QCOMPARE(SwatchTexts(form), expected);
        QCOMPARE(DialogSeam::Shown().last().kind, QStringLiteral("open"));
        QCOMPARE(form->OpenDialogSound.Filter, QStringLiteral("List of colors (*.clr)|*.clr"));
        // The set reaches the top bar of the tab shown (Tasks) and survives a restart.
        QCOMPARE(form->panel_credit0->Color(), TColor(0x00112233));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        form = env.CreateMainForm();
        QCOMPARE(SwatchTexts(form), expected);

        // Nothing chosen, nothing changed; a dialog nobody answered is counted.
        form->SpeedButton22->click();
        QCOMPARE(DialogSeam::UnhandledCount(), 1);
        QCOMPARE(StoredColors(env), expected);
    }

    void badColourSetChangesNothing_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::newRow("eight lines") << QByteArray("clRed\r\nclRed\r\nclRed\r\nclRed\r\nclRed\r\nclRed\r\n"
                                                   "clRed\r\nclRed\r\n")
                                     << "line 9 is missing";
        QTest::newRow("bad fourth line")
            << QByteArray("clRed\nclRed\nclRed\nred\nclRed\nclRed\nclRed\nclRed\nclRed\n")
            << "line 4 is not a color: 'red' is not a valid integer value";
        QTest::newRow("empty line") << QByteArray(
                                           "clRed\n\nclRed\nclRed\nclRed\nclRed\nclRed\nclRed\nclRed\n")
                                    << "line 2 is not a color: '' is not a valid integer value";
        QTest::newRow("empty file") << QByteArray() << "line 1 is missing";
    }

    void badColourSetChangesNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString file = env.ProgramFolder() + QStringLiteral("bad.clr");
        WriteBytes(file, content);
        form->LoadColorSetFile(file);

        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(boxes[0].flags, Mb::Ok | Mb::IconExclamation);
        QVERIFY2(boxes[0].text.contains(problem), qPrintable(boxes[0].text));
        QVERIFY(boxes[0].text.contains(QStringLiteral("\"bad.clr\"")));
        QCOMPARE(SwatchTexts(form), kClassicTexts);
        QCOMPARE(StoredColors(env), kClassicTexts);
    }

    void unreadableColourSetIsReported() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->LoadColorSetFile(env.ProgramFolder() + QStringLiteral("missing.clr"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(MessageBoxSeam::Shown()[0].text.startsWith(QStringLiteral("I can't read the colors list")));
        QCOMPARE(StoredColors(env), kClassicTexts);
    }

    void sectionImagesFollowTheColours() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        DialogSeam::QueueColor(Colors::clRed);
        form->Panel_ContactColorClick();
        QCOMPARE(form->ImageList_ColoreSezioni.size(), int(SectionCount));
        const QImage image = form->ImageList_ColoreSezioni[secContacts].pixmap(16, 16).toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        QCOMPARE(QColor(image.pixel(8, 8)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::black));
        QCOMPARE(QColor(image.pixel(15, 15)), QColor(Qt::black));
        QCOMPARE(QColor(image.pixel(15, 8)), QColor(Qt::black));
        const QImage menuIcon = form->Contatto1->icon().pixmap(16, 16).toImage();
        QCOMPARE(QColor(menuIcon.pixel(8, 8)), QColor(Qt::red));
        QVERIFY(!form->OneShot2->icon().isNull());
    }

    void namesAndNumbersReachTheSameColours() {
        SectionColorSet set = ClassicSectionColors();
        set.WeekColor = Colors::clRed;
        set[secOptions] = Colors::clWhite;
        QCOMPARE(set[secWeek], Colors::clRed);
        QCOMPARE(set.UserColor, Colors::clWhite);
        // Copies and assignments carry the colours; each set's names stay on its own colours.
        SectionColorSet copy = set;
        copy.ShotColor = Colors::clBlack;
        QCOMPARE(set.ShotColor, ClassicSectionColors().ShotColor);
        set = copy;
        copy.TodoColor = Colors::clBlack;
        QCOMPARE(set[secShot], Colors::clBlack);
        QCOMPARE(set.TodoColor, ClassicSectionColors().TodoColor);
        QCOMPARE(set.WeekColor, Colors::clRed);
    }

    void fileFiltersInQtForm() {
        QCOMPARE(QtFileFilter(QStringLiteral("List of colors (*.clr)|*.clr")),
                 QStringLiteral("List of colors (*.clr)"));
        QCOMPARE(QtFileFilter(QStringLiteral("Sounds|*.wav;*.mp3|All files|*.*")),
                 QStringLiteral("Sounds (*.wav *.mp3);;All files (*.*)"));
    }
};

QTEST_MAIN(ColorsTest)
#include "tst_colors.moc"
