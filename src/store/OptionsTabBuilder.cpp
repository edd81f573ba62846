#include "app/MainForm.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qm {

namespace {

QToolButton* MakeTextButton(QWidget* parent, const QString& name, const QString& caption,
                            const QString& hint) {
    QToolButton* button = MakeSpeedButton(parent, name, caption, hint);
    button->setAutoRaise(false);
    button->setMinimumWidth(90);
    return button;
}

} // namespace

void TMainForm::BuildOptionsTab() {
    auto* sheetLayout = new QVBoxLayout(TabSheetSetup);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    Panel_Contorno_User = new TPanel(TabSheetSetup, QStringLiteral("Panel_Contorno_User"));
    sheetLayout->addWidget(Panel_Contorno_User);
    auto* frameLayout = new QVBoxLayout(Panel_Contorno_User);
    frameLayout->setContentsMargins(5, 5, 5, 5);
    auto* scroll = new QScrollArea(Panel_Contorno_User);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    frameLayout->addWidget(scroll);
    auto* page = new QWidget(scroll);
    scroll->setWidget(page);
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);

    // Options and alarm.
    auto* options = new QGroupBox(QStringLiteral("Options"), page);
    auto* optionsLayout = new QGridLayout(options);
    CheckBox_Autostart =
        MakeCheckBox(options, QStringLiteral("CheckBox_Autostart"), QStringLiteral("Autostart"),
                     QStringLiteral("I'll start every time with Windows"));
    CheckBox_Minimized =
        MakeCheckBox(options, QStringLiteral("CheckBox_Minimized"), QStringLiteral("Start minimized "),
                     QStringLiteral("I'll start minimized in the tray bar"));
    CheckBox_TimeCheck = MakeCheckBox(options, QStringLiteral("CheckBox_TimeCheck"), QString(),
                                      QStringLiteral("You get an alarm at right time"));
    Label_TimeAlarm = MakeLabel(options, QStringLiteral("Label_TimeAlarm"), QStringLiteral("Time alarm"),
                                QStringLiteral("You get an alarm at right time"));
    CheckBox_Soundon = MakeCheckBox(options, QStringLiteral("CheckBox_Soundon"),
                                    QStringLiteral("Sound alarm"), QStringLiteral("You get a sound alarm"));
    CheckBox_Visivo = MakeCheckBox(options, QStringLiteral("CheckBox_Visivo"), QStringLiteral("Pop-up!"),
                                   QStringLiteral("I'll notify you the task presence bringing to front"));
    SpeedButtonSound =
        MakeTextButton(options, QStringLiteral("SpeedButtonSound"), QStringLiteral("Choose alarm"),
                       QStringLiteral("You can choose the alarm to play"));
    SpeedButtonWinSound = MakeTextButton(
        options, QStringLiteral("SpeedButtonWinSound"), QStringLiteral("Windows"),
        QStringLiteral("The sound alarm will be the same of the system sound for the new mail notification"));
    SpeedButtonCambiaSuono =
        MakeTextButton(options, QStringLiteral("SpeedButtonCambiaSuono"), QStringLiteral("Play alarm"),
                       QStringLiteral("I'll test the alarm"));
    Label_SoundName = MakeLabel(options, QStringLiteral("Label_SoundName"), QStringLiteral("mailbeep"));
    // A long sound file name must not widen the page; the label's hint names the whole file.
    Label_SoundName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(CheckBox_TimeCheck);
    timeRow->addWidget(Label_TimeAlarm);
    timeRow->addStretch(1);
    optionsLayout->addWidget(CheckBox_Autostart, 0, 0);
    optionsLayout->addWidget(CheckBox_Minimized, 1, 0);
    optionsLayout->addLayout(timeRow, 2, 0);
    optionsLayout->addWidget(CheckBox_Soundon, 0, 1);
    optionsLayout->addWidget(CheckBox_Visivo, 1, 1);
    optionsLayout->addWidget(SpeedButtonSound, 0, 2);
    optionsLayout->addWidget(SpeedButtonWinSound, 1, 2);
    optionsLayout->addWidget(SpeedButtonCambiaSuono, 2, 2);
    optionsLayout->addWidget(Label_SoundName, 2, 1);
    grid->addWidget(options, 0, 0);

    // Date formats and window size.
    auto* formats = new QGroupBox(QStringLiteral("Dates and size"), page);
    auto* formatsLayout = new QFormLayout(formats);
    // Captions above their fields: the page keeps to the default window width, and the fields and
    // samples have the group's whole width.
    formatsLayout->setRowWrapPolicy(QFormLayout::WrapAllRows);
    ComboBox_FormatoDataShot = MakeComboList(
        formats, QStringLiteral("ComboBox_FormatoDataShot"), QStringLiteral("Date format for daily tasks"),
        {QStringLiteral("d mmmm yyyy"), QStringLiteral("dd mmmm yyyy"), QStringLiteral("dd/mm/yyyy"),
         QStringLiteral("dddd d mmmm yyyy"), QStringLiteral("dddd dd mmmm yyyy"),
         QStringLiteral("mm/dd/yyyy"), QStringLiteral("mmmm dd, yyyy")});
    ComboBox_FormatoDataYear = MakeComboList(
        formats, QStringLiteral("ComboBox_FormatoDataYear"), QStringLiteral("Date format for yearly tasks"),
        {QStringLiteral("d mmmm"), QStringLiteral("dd mmmm"), QStringLiteral("dd/mm"),
         QStringLiteral("mm/dd"), QStringLiteral("mmmm d"), QStringLiteral("mmmm dd")});
    Label_esempio_Full = MakeLabel(formats, QStringLiteral("Label_esempio_Full"), QString(),
                                   QStringLiteral("Example of daily tasks date format"));
    Label_esempio_short = MakeLabel(formats, QStringLiteral("Label_esempio_short"), QString(),
                                    QStringLiteral("Example of yearly tasks date format"));
    SpeedButton6 = MakeTextButton(formats, QStringLiteral("SpeedButton6"), QStringLiteral("Fix form size"),
                                  QStringLiteral("This fix my actual size as defoult size"));
    Label_FormSize = MakeLabel(formats, QStringLiteral("Label_FormSize"), QString(),
                               QStringLiteral("My actual size (in pixel)"));
    SpeedButton9 = MakeSpeedButton(formats, QStringLiteral("SpeedButton9"), QString(), QStringLiteral("Tip"),
                                   QStyle::SP_MessageBoxQuestion);
    formatsLayout->addRow(QStringLiteral("One Shot tasks date format"), ComboBox_FormatoDataShot);
    formatsLayout->addRow(QString(), Label_esempio_Full);
    formatsLayout->addRow(QStringLiteral("Yearly tasks date format"), ComboBox_FormatoDataYear);
    formatsLayout->addRow(QString(), Label_esempio_short);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(SpeedButton6);
    sizeRow->addWidget(Label_FormSize);
    sizeRow->addStretch(1);
    sizeRow->addWidget(SpeedButton9);
    formatsLayout->addRow(sizeRow);
    grid->addWidget(formats, 0, 1);

    // Colours.
    auto* colors = new QGroupBox(QStringLiteral("Colors"), page);
    auto* colorsLayout = new QGridLayout(colors);
    struct Swatch {
        TPanel*& panel;
        const char* name;
        const char* caption;
        const char* hint;
    };
    const Swatch swatches[] = {
        {Panel_ShotColor, "Panel_ShotColor", "One Shot", "The color of daily tasks section"},
        {Panel_YearColor, "Panel_YearColor", "Yearly", "The color of yearly tasks section"},
        {Panel_MonthColor, "Panel_MonthColor", "Monthly", "The color of monthly tasks section"},
        {Panel_WeekColor, "Panel_WeekColor", "Weekly", "The color of weekly tasks section"},
        {Panel_TodayColor, "Panel_TodayColor", "Tasks", "The color of daily planner section"},
        {Panel_ContactColor, "Panel_ContactColor", "Contacts", "The color of contacts section"},
        {Panel_NotesColor, "Panel_NotesColor", "Notes", "The color of block-notes section"},
        {Panel_TodoColor, "Panel_TodoColor", "To-Do!", "The color of the to-do list section"},
        {Panel_UserColor, "Panel_UserColor", "Options", "The color of this section"},
    };
    int index = 0;
    for (const Swatch& s : swatches) {
        s.panel = new TPanel(colors, QString::fromLatin1(s.name));
        s.panel->SetCaption(QString::fromLatin1(s.caption));
        s.panel->setToolTip(QString::fromLatin1(s.hint));
        s.panel->setFrameShape(QFrame::StyledPanel);
        // The swatch's name shows whole at any font: 4 pixels each side, the frame around.
        const QFontMetrics metrics(s.panel->font());
        s.panel->setMinimumSize(std::max(90, metrics.horizontalAdvance(s.panel->Caption()) + 14),
                                std::max(26, metrics.height() + 8));
        s.panel->setCursor(Qt::PointingHandCursor);
        colorsLayout->addWidget(s.panel, index / 3, index % 3);
        ++index;
    }
    SpeedButton5 = MakeTextButton(colors, QStringLiteral("SpeedButton5"), QStringLiteral("Back"),
                                  QStringLiteral("Back to my classic look"));
    SpeedButton21 = MakeTextButton(colors, QStringLiteral("SpeedButton21"), QStringLiteral("Save"),
                                   QStringLiteral("Save my current colors set in a file"));
    SpeedButton22 = MakeTextButton(colors, QStringLiteral("SpeedButton22"), QStringLiteral("Open"),
                                   QStringLiteral("Open a colors list to change my look"));
    colorsLayout->addWidget(SpeedButton5, 3, 0);
    colorsLayout->addWidget(SpeedButton21, 3, 1);
    colorsLayout->addWidget(SpeedButton22, 3, 2);
    grid->addWidget(colors, 1, 0);

    // Look.
    auto* look = new QGroupBox(QStringLiteral("Look"), page);
    auto* lookLayout = new QFormLayout(look);
    ComboBox_UnFont = new QComboBox(look);
    ComboBox_UnFont->setObjectName(QStringLiteral("ComboBox_UnFont"));
    ComboBox_UnFont->setEditable(true);
    // A long family name must not widen the page.
    ComboBox_UnFont->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox_UnFont->setMinimumContentsLength(10);
    ComboBox_UnFont->setToolTip(
        QStringLiteral("The font used for the captions of the sections and title bar"));
    SpinEditTabSize = new QSpinBox(look);
    SpinEditTabSize->setObjectName(QStringLiteral("SpinEditTabSize"));
    SpinEditTabSize->setRange(8, 72);
    SpinEditTabSize->setValue(10);
    SpinEditTabSize->setToolTip(QStringLiteral("The font size of the sections captions"));
    ComboBox_Stile = MakeComboList(look, QStringLiteral("ComboBox_Stile"),
                                   QStringLiteral("This set the look of the grids "),
                                   {QStringLiteral("colored"), QStringLiteral("colorful")});
    SpeedButtonIntCharset =
        MakeTextButton(look, QStringLiteral("SpeedButtonIntCharset"), QStringLiteral("Interface"),
                       QStringLiteral("You can change the interface charset"));
    PopupMenuIntCharset = new QMenu(this);
    PopupMenuIntCharset->setObjectName(QStringLiteral("PopupMenuIntCharset"));
    EditLastLabel = MakeEdit(look, QStringLiteral("EditLastLabel"),
                             QStringLiteral("You can edit the label of this section"));
    CheckBoxAmPm = MakeCheckBox(look, QStringLiteral("CheckBoxAmPm"), QStringLiteral("Am/Pm"),
                                QStringLiteral("Use the format Am/Pm time in titlebar"));
    CheckBoxSplash = MakeCheckBox(look, QStringLiteral("CheckBoxSplash"), QStringLiteral("Splashscreen"),
                                  QStringLiteral("This show my mascotte screen on start-up (all profiles)"));
    lookLayout->addRow(QStringLiteral("Sections font"), ComboBox_UnFont);
    lookLayout->addRow(QStringLiteral("Size"), SpinEditTabSize);
    lookLayout->addRow(QStringLiteral("Grids"), ComboBox_Stile);
    lookLayout->addRow(QStringLiteral("Charset"), SpeedButtonIntCharset);
    lookLayout->addRow(QStringLiteral("This section"), EditLastLabel);
    auto* checks = new QHBoxLayout;
    checks->addWidget(CheckBoxAmPm);
    checks->addWidget(CheckBoxSplash);
    lookLayout->addRow(checks);
    grid->addWidget(look, 1, 1);

    // Archives.
    auto* archives = new QGroupBox(QStringLiteral("Archives"), page);
    auto* archivesLayout = new QGridLayout(archives);
    SpeedButton_unico = MakeTextButton(archives, QStringLiteral("SpeedButton_unico"), QStringLiteral("Use"),
                                       QStringLiteral("I'll use another archives folder"));
    SpeedButton_Multi =
        MakeTextButton(archives, QStringLiteral("SpeedButton_Multi"), QStringLiteral("Auto"),
                       QStringLiteral("I'll back to use the defoult archives folder for this profile"));
    SpeedButtonExport =
        MakeTextButton(archives, QStringLiteral("SpeedButtonExport"), QStringLiteral("Backup to..."),
                       QStringLiteral("I'll make a folder that contains the backup of your entries"));
    SpeedButtonImport =
        MakeTextButton(archives, QStringLiteral("SpeedButtonImport"), QStringLiteral("Restore from..."),
                       QStringLiteral("I'll restore your entries from a backup folder"));
    SpeedButtonAgente =
        MakeTextButton(archives, QStringLiteral("SpeedButtonAgente"), QStringLiteral("Enable agent"),
                       QStringLiteral("Agent starts me if finds tasks on Windows starts-up"));
    SpeedButton18 =
        MakeTextButton(archives, QStringLiteral("SpeedButton18"), QStringLiteral("Windows"),
                       QStringLiteral("I'll launch the Windows application for international settings"));
    CheckBox_includeNotes = MakeCheckBox(archives, QStringLiteral("CheckBox_includeNotes"),
                                         QStringLiteral("Include basic notes"), QString());
    CheckBox_includeNotes->setChecked(true);
    archivesLayout->addWidget(SpeedButton_unico, 0, 0);
    archivesLayout->addWidget(SpeedButton_Multi, 0, 1);
    archivesLayout->addWidget(SpeedButtonExport, 1, 0);
    archivesLayout->addWidget(SpeedButtonImport, 1, 1);
    archivesLayout->addWidget(CheckBox_includeNotes, 2, 0, 1, 2);
    archivesLayout->addWidget(SpeedButtonAgente, 3, 0);
    archivesLayout->addWidget(SpeedButton18, 3, 1);
    grid->addWidget(archives, 2, 0);

    // Information.
    auto* info = new QGroupBox(QStringLiteral("Information"), page);
    auto* infoLayout = new QFormLayout(info);
    Label_OSVersion = MakeLabel(info, QStringLiteral("Label_OSVersion"), QString());
    Label_UserName = MakeLabel(info, QStringLiteral("Label_UserName"), QString());
    Label_Company = MakeLabel(info, QStringLiteral("Label_Company"), QString());
    Label_Login = MakeLabel(info, QStringLiteral("Label_Login"), QString());
    Label_Archives_Folder = MakeLabel(info, QStringLiteral("Label_Archives_Folder"), QString());
    Label_Notes_Folder = MakeLabel(info, QStringLiteral("Label_Notes_Folder"), QString());
    for (QLabel* label : {Label_Archives_Folder, Label_Notes_Folder}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
    }
    infoLayout->addRow(QStringLiteral("System"), Label_OSVersion);
    infoLayout->addRow(QStringLiteral("User"), Label_UserName);
    infoLayout->addRow(QStringLiteral("Company"), Label_Company);
    infoLayout->addRow(QStringLiteral("Login"), Label_Login);
    infoLayout->addRow(QStringLiteral("Archives"), Label_Archives_Folder);
    infoLayout->addRow(QStringLiteral("Notes"), Label_Notes_Folder);
    grid->addWidget(info, 2, 1);
    grid->setRowStretch(3, 1);
}

} // namespace qm
