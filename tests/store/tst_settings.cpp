#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Contrast.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/Panel.h"
#include "store/SectionColors.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace qm;

namespace {

// Changes the stored settings row as another tool would, before the next start or load.
void SetColumns(const TestEnvironment& env, const QString& assignments) {
    TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                QStringLiteral("UPDATE QMset90 SET ") + assignments);
}

QColor BaseOf(const QWidget* widget) {
    return widget->palette().color(QPalette::Base);
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultRowIsApplied() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        // Samples and combos show the stored format texts, also where the stored item names another.
        QCOMPARE(form->ShotDateFormat, QStringLiteral("dddd d mmmm yyyy"));
        QCOMPARE(form->ComboBox_FormatoDataShot->currentIndex(), 3);
        QCOMPARE(form->Label_esempio_Full->text(), QStringLiteral("Monday 7 December 2026"));
        QCOMPARE(form->YearDateFormat, QStringLiteral("d mmmm"));
        QCOMPARE(form->ComboBox_FormatoDataYear->currentText(), QStringLiteral("d mmmm"));
        QCOMPARE(form->Label_esempio_short->text(), QStringLiteral("7 December"));

        QVERIFY(!form->CheckBox_Autostart->isChecked());
        QVERIFY(!form->CheckBox_Minimized->isChecked());
        QVERIFY(form->CheckBox_Soundon->isChecked());
        QVERIFY(!form->CheckBox_Visivo->isChecked());
        QVERIFY(form->SpeedButtonSound->isEnabled());
        QCOMPARE(form->AlarmSoundFile, QStringLiteral("mailbeep"));
        QCOMPARE(form->Label_SoundName->text(), QStringLiteral("mailbeep"));
        QCOMPARE(form->Label_SoundName->palette().color(QPalette::WindowText),
                 ToQColor(Colors::clWindowText));
        QVERIFY(form->CheckBox_TimeCheck->isChecked());
        QVERIFY(form->TimerContolloOrario->isActive());
        QCOMPARE(form->Editor->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!form->SpeedButton_Breakline->isChecked());
        QVERIFY(form->Panel_Format->isHidden());

        // Colours reach every control of their section.
        const SectionColorSet& classic = ClassicSectionColors();
        for (int section = 0; section < SectionCount; ++section)
            QCOMPARE(form->SectionColors[section], classic[section]);
        QCOMPARE(form->Panel_MonthColor->Color(), classic.MonthColor);
        QCOMPARE(form->Panel_Contorno_Contact->Color(), classic.ContactColor);
        QCOMPARE(form->DBGrid_ToDo->FixedColor(), ToQColor(classic.TodoColor));
        QCOMPARE(BaseOf(form->DBMemoWeek), ToQColor(classic.WeekColor));
        QCOMPARE(form->Panel_Note_Contact2->Color(), classic.ContactColor);
        QCOMPARE(form->Panel_nomeCompleto->Color(), classic.NotesColor);
        QCOMPARE(form->Panel_SegnoStagione->Color(), classic.TodayColor);
        QCOMPARE(BaseOf(form->DateTimePickerTODAY), ToQColor(classic.TodayColor));

        // The notes editor.
        QCOMPARE(form->SpinEdit_Size->value(), 8);
        QCOMPARE(form->Editor->font().pointSize(), 8);
        QCOMPARE(form->Panel_Font_Color->Color(), Colors::clBlack);
        QCOMPARE(BaseOf(form->Editor), QColor(Qt::white));
        QVERIFY(!form->SpeedButton_Aggiorna_Editor_Setup->isEnabled());
    }

    void unreadableColoursFallBackAndTheRestIsApplied() {
        TestEnvironment env;
        env.CreateMainForm();
        SetColumns(env, QStringLiteral("YearColor = 'blah', TodoColor = '', TodayColor = 'clRed', "
                                       "timecheck = 'N', WinWidth = 800, WinStato = 'wsNormal'"));
        MessageBoxSeam::Reset();
        TMainForm* form = env.CreateMainForm();

        // Told once, naming both texts.
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].flags, Mb::Ok | Mb::IconExclamation);
        QCOMPARE(boxes[0].caption, QStringLiteral("Quellmire Organizer"));
        QVERIFY(boxes[0].text.contains(QStringLiteral("'blah' is not a valid integer value")));
        QVERIFY(boxes[0].text.contains(QStringLiteral("'' is not a valid integer value")));

        const SectionColorSet& classic = ClassicSectionColors();
        QCOMPARE(form->SectionColors.YearColor, classic.YearColor);
        QCOMPARE(form->Panel_YearColor->Color(), classic.YearColor);
        QCOMPARE(form->SectionColors.TodoColor, classic.TodoColor);
        QCOMPARE(form->SectionColors.TodayColor, Colors::clRed);
        QCOMPARE(form->DBGrid_Today->FixedColor(), QColor(Qt::red));
        // What comes after the colours still happens, and so does the rest of the start.
        QCOMPARE(form->ImageList_ColoreSezioni.size(), int(SectionCount));
        QVERIFY(form->SpeedButtonSound->isEnabled());
        QVERIFY(!form->TimerContolloOrario->isActive());
        QVERIFY(!form->CheckBox_TimeCheck->isChecked());
        QCOMPARE(form->width(), 800);

        // The row itself is not rewritten by loading it.
        const auto rows = TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                                      QStringLiteral("SELECT YearColor FROM QMset90"));
        QCOMPARE(rows, QList<QStringList>{{QStringLiteral("blah")}});
    }

    void soundOnDrivesBothAlarmBoxes() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const auto load = [&](const char* value) {
            SetColumns(env, QStringLiteral("soundon = '%1'").arg(QLatin1String(value)));
            form->LoadSettings();
        };
        const auto boxes = [form] {
            return std::make_pair(form->CheckBox_Soundon->isChecked(), form->CheckBox_Visivo->isChecked());
        };
        load("2");
        QCOMPARE(boxes(), std::make_pair(true, true));
        QVERIFY(form->SpeedButtonCambiaSuono->isEnabled());
        load("other");
        QCOMPARE(boxes(), std::make_pair(true, true));
        load("V");
        QCOMPARE(boxes(), std::make_pair(false, true));
        QVERIFY(!form->SpeedButtonSound->isEnabled());
        QVERIFY(!form->SpeedButtonWinSound->isEnabled());
        QVERIFY(!form->Label_SoundName->isEnabled());
        load("");
        QCOMPARE(boxes(), std::make_pair(false, true));
        load("N");
        QCOMPARE(boxes(), std::make_pair(false, false));
        load("Y");
        QCOMPARE(boxes(), std::make_pair(true, false));
        QVERIFY(form->SpeedButtonSound->isEnabled());
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void editorFontFromTheRow() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        SetColumns(env, QStringLiteral("fontsize = 100, fontcolor = 'clRed', backcolor = '$00FFFF00', "
                                       "breakline = 'Y', formatbar = 'Y'"));
        form->LoadSettings();
        form->SpeedButton_Aggiorna_Editor_Setup->setEnabled(true);
        form->LoadEditorFont();
        QCOMPARE(form->SpinEdit_Size->value(), 72);
        QCOMPARE(form->Editor->font().pointSize(), 72);
        QCOMPARE(form->Editor->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(BaseOf(form->Editor), QColor(Qt::cyan));
        QVERIFY(!form->SpeedButton_Aggiorna_Editor_Setup->isEnabled());
        QCOMPARE(form->Editor->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(form->Editor->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(form->SpeedButton_Breakline->isChecked());
        QVERIFY(!form->Panel_Format->isHidden());
        QVERIFY(form->SpeedButton_Formatbar->isChecked());

        SetColumns(env, QStringLiteral("fontsize = 4"));
        form->LoadEditorFont();
        QCOMPARE(form->SpinEdit_Size->value(), 8);
        QCOMPARE(form->Editor->font().pointSize(), 8);
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        // An unreadable colour takes the default one and is reported; the size is still applied.
        SetColumns(env, QStringLiteral("fontcolor = 'ink', fontsize = 12"));
        form->LoadEditorFont();
        QCOMPARE(form->Panel_Font_Color->Color(), Colors::clBlack);
        QCOMPARE(form->Editor->font().pointSize(), 12);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(MessageBoxSeam::Shown()[0].text.contains(QStringLiteral("'ink'")));
    }

    void windowSizeAndStateAtStart() {
        TestEnvironment env;
        env.CreateMainForm();
        SetColumns(env, QStringLiteral("WinWidth = 800, WinHeight = 600, WinStato = 'wsNormal'"));
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->size(), QSize(800, 600));
        QCOMPARE(form->Label_FormSize->text(), QStringLiteral("800 x 600"));
        QVERIFY(!form->windowState().testFlag(Qt::WindowMaximized));

        // Wider than the screen (800 pixels offscreen): cut to it, and the stored size stays.
        SetColumns(env, QStringLiteral("WinWidth = 1000, WinHeight = 700"));
        form = env.CreateMainForm();
        QCOMPARE(form->size(), QSize(1000, 700).boundedTo(form->screen()->availableGeometry().size()));
        QVERIFY(form->width() < 1000);
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                             QStringLiteral("SELECT WinWidth, WinHeight FROM QMset90")),
                 (QList<QStringList>{{QStringLiteral("1000"), QStringLiteral("700")}}));

        SetColumns(env, QStringLiteral("WinStato = 'wsMaximized'"));
        form = env.CreateMainForm();
        QVERIFY(form->windowState().testFlag(Qt::WindowMaximized));
        SetColumns(env, QStringLiteral("WinStato = 'anything'"));
        form = env.CreateMainForm();
        QVERIFY(form->windowState().testFlag(Qt::WindowMaximized));
    }

    void soundLabelNamesTheSoundThatWillPlay() {
        TestEnvironment env;
        env.CreateMainForm();
        const QString wave = env.ProgramFolder() + QStringLiteral("bell.wav");
        QVERIFY(SaveTextLines(wave, {"RIFF"}));
        SetColumns(env, QStringLiteral("wavesound = '%1'").arg(wave));
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->AlarmSoundFile, wave);
        QCOMPARE(form->Label_SoundName->text(), QStringLiteral("bell.wav"));

        // A sound that is gone: the alarm falls back to "mailbeep", shown in red.
        SetColumns(env,
                   QStringLiteral("wavesound = '%1'").arg(env.ProgramFolder() + QStringLiteral("gone.wav")));
        form = env.CreateMainForm();
        QCOMPARE(form->Label_SoundName->text(), QStringLiteral("mailbeep"));
        const QColor red = form->Label_SoundName->palette().color(QPalette::WindowText);
        QVERIFY(red.red() > 2 * red.green() && red.red() > 2 * red.blue());
        QVERIFY(ContrastRatio(red, ToQColor(form->SectionColors.UserColor)) >= 3.0);
    }

    void missingSettingsRowComesBackOnceAndIsTold() {
        TestEnvironment env;
        env.CreateMainForm();
        TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                    QStringLiteral("DELETE FROM QMset90"));
        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        // One notice; the defaults are in the table and applied to the window.
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(MessageBoxSeam::Shown()[0].text.contains(env.ArchiveFile(QStringLiteral("QMset90.db"))));
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, Mb::Ok | Mb::IconInformation);
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                             QStringLiteral("SELECT soundon, WinWidth FROM QMset90")),
                 QList<QStringList>({{"Y", "640"}}));
        QVERIFY(form->CheckBox_Soundon->isChecked());

        // A change of option is kept, and the next start has nothing to say.
        QTest::mouseClick(form->CheckBox_Soundon, Qt::LeftButton);
        QCOMPARE(TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                             QStringLiteral("SELECT count(*), soundon FROM QMset90")),
                 QList<QStringList>({{"1", "N"}}));
        MessageBoxSeam::Reset();
        env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
