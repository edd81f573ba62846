#include "store/SectionColors.h"

#include "app/MainForm.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/TextLines.h"
#include "platform/widgets/Panel.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace qm {

namespace {

const QString kColorSetFilter = QStringLiteral("List of colors (*.clr)|*.clr");

// The statement heads, in section order; each value is bound, never spliced.
const char* const kColorAssignments[SectionCount] = {
    "SET ShotColor     = :ShotColor,",  "    YearColor     = :YearColor,",
    "    MonthColor    = :MonthColor,", "    WeekColor     = :WeekColor,",
    "    TodayColor    = :TodayColor,", "    ContactColor  = :ContactColor,",
    "    NotesColor    = :NotesColor,", "    TodoColor     = :TodoColor,",
    "    UserColor     = :UserColor"};
const char* const kColorParams[SectionCount] = {"ShotColor",  "YearColor",  "MonthColor",
                                                "WeekColor",  "TodayColor", "ContactColor",
                                                "NotesColor", "TodoColor",  "UserColor"};

QList<TPanel*> Swatches(const TMainForm& form) {
    return {form.Panel_ShotColor,  form.Panel_YearColor,  form.Panel_MonthColor,
            form.Panel_WeekColor,  form.Panel_TodayColor, form.Panel_ContactColor,
            form.Panel_NotesColor, form.Panel_TodoColor,  form.Panel_UserColor};
}

// Where the colour-set dialogs start: the program's "colors" folder when there is one.
QString ColorSetFolder(const TMainForm& form) {
    const QString colors = ShippedFile(QStringLiteral("colors"));
    return QFileInfo(colors).isDir() ? colors : form.ArchiveFolder;
}

// Reads the nine colours of a set, or says what is wrong with the file.
std::optional<SectionColorSet> ParseColorSet(const QStringList& lines, QString& problem) {
    SectionColorSet set;
    for (int section = 0; section < SectionCount; ++section) {
        if (section >= lines.size()) {
            problem = QStringLiteral("line %1 is missing (a colors list has nine lines)").arg(section + 1);
            return std::nullopt;
        }
        const std::optional<TColor> color = StringToColor(lines[section]);
        if (!color) {
            problem = QStringLiteral("line %1 is not a color: ").arg(section + 1) +
                      InvalidColorMessage(lines[section]);
            return std::nullopt;
        }
        set[section] = *color;
    }
    return set;
}

// The swatch colour change: stored and applied only when the user confirms a colour.
void PickSwatchColor(TMainForm& form, TPanel* swatch) {
    form.ColorDialog.Color = swatch->Color();
    if (!form.ColorDialog.Execute(&form))
        return;
    swatch->SetColor(form.ColorDialog.Color);
    form.SaveColorSettings();
    form.LoadSettings();
}

} // namespace

const SectionColorSet& ClassicSectionColors() {
    static const SectionColorSet classic(
        std::array<TColor, SectionCount>{0x00A6A6D2, 0x00A7E3F5, 0x0058A554, 0x00BC8F07, 0x00CE9D9D,
                                         0x009A9A4E, 0x00AEAEAE, 0x00BADCF8, 0x0053A9FF});
    return classic;
}

void TMainForm::SaveColorSettings() {
    const QList<TPanel*> swatches = Swatches(*this);
    for (int section = 0; section < SectionCount; ++section)
        SectionColors[section] = swatches[section]->Color();

    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(QStringLiteral("UPDATE QMset90"));
    for (int section = 0; section < SectionCount; ++section) {
        Query_Jolly->SQL.Add(QString::fromLatin1(kColorAssignments[section]));
        Query_Jolly->ParamByName(QString::fromLatin1(kColorParams[section]))
            .SetAsString(ColorToString(SectionColors[section]));
    }
    Query_Jolly->ExecSQL();
}

void TMainForm::LoadColorSetFile(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    QStringList lines;
    QString error;
    if (!LoadTextLines(fileName, lines, &error)) {
        MessageBox(QStringLiteral("I can't read the colors list \"") + fileName + QStringLiteral("\"!\r") +
                       error,
                   MsgCaption, MsgOk + MsgExclamation);
        return;
    }
    // The whole file is checked before anything changes.
    QString problem;
    const std::optional<SectionColorSet> set = ParseColorSet(lines, problem);
    if (!set) {
        MessageBox(QStringLiteral("The colors list \"") + name + QStringLiteral("\" can't be used: ") +
                       problem + QStringLiteral(". Nothing has been changed."),
                   QStringLiteral("Quellmire Organizer"), MsgOk + MsgExclamation);
        return;
    }
    const QList<TPanel*> swatches = Swatches(*this);
    for (int section = 0; section < SectionCount; ++section)
        swatches[section]->SetColor((*set)[section]);
    SaveColorSettings();
    LoadSettings();
    ApplySectionColor();
}

void TMainForm::FillSectionImages() {
    ImageList_ColoreSezioni.clear();
    for (int section = 0; section < SectionCount; ++section) {
        QPixmap square(16, 16);
        square.fill(ToQColor(SectionColors[section]));
        QPainter painter(&square);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(0, 0, 15, 15);
        painter.end();
        ImageList_ColoreSezioni.append(QIcon(square));
    }
    // The section icons of the menus (the Task items are shared by the Tasks menu and "New").
    const std::pair<QAction*, int> icons[] = {
        {OneShot2, secShot},      {Yearly2, secYear}, {Monthly2, secMonth}, {Weekly2, secWeek},
        {Contatto1, secContacts}, {Nota1, secNotes},  {Todo1, secToDo}};
    for (const auto& [action, section] : icons) {
        if (action)
            action->setIcon(ImageList_ColoreSezioni[section]);
    }
}

void TMainForm::Panel_ShotColorClick() {
    PickSwatchColor(*this, Panel_ShotColor);
}

void TMainForm::Panel_YearColorClick() {
    PickSwatchColor(*this, Panel_YearColor);
}

void TMainForm::Panel_MonthColorClick() {
    PickSwatchColor(*this, Panel_MonthColor);
}

void TMainForm::Panel_WeekColorClick() {
    PickSwatchColor(*this, Panel_WeekColor);
}

void TMainForm::Panel_TodayColorClick() {
    PickSwatchColor(*this, Panel_TodayColor);
}

void TMainForm::Panel_ContactColorClick() {
    PickSwatchColor(*this, Panel_ContactColor);
}

void TMainForm::Panel_NotesColorClick() {
    PickSwatchColor(*this, Panel_NotesColor);
}

void TMainForm::Panel_TodoColorClick() {
    PickSwatchColor(*this, Panel_TodoColor);
}

void TMainForm::Panel_UserColorClick() {
    PickSwatchColor(*this, Panel_UserColor);
    ApplySectionColor();
    CheckBox_Autostart->setFocus();
}

void TMainForm::SpeedButton5Click() {
    if (MessageBox(QStringLiteral("Back to my classic look?"), MsgCaption, MsgYesNo + MsgQuestion) != MsgYes)
        return;
    const QList<TPanel*> swatches = Swatches(*this);
    for (int section = 0; section < SectionCount; ++section)
        swatches[section]->SetColor(ClassicSectionColors()[section]);
    SaveColorSettings();
    LoadSettings();
    ApplySectionColor();
    CheckBox_Autostart->setFocus();
}

void TMainForm::SpeedButton21Click() {
    SaveDialogColor.FileName.clear();
    SaveDialogColor.InitialDir = ColorSetFolder(*this);
    SaveDialogColor.DefaultExt = QStringLiteral("clr");
    SaveDialogColor.Filter = kColorSetFilter;
    if (!SaveDialogColor.Execute(this))
        return;
    const QString fileName = SaveDialogColor.FileName;
    if (QFileInfo::exists(fileName) &&
        MessageBox(QStringLiteral("Overwrite \"") + QFileInfo(fileName).fileName() + QStringLiteral("\"?"),
                   MsgCaption, MsgYesNo + MsgQuestion) != MsgYes)
        return;

    QStringList lines;
    for (const TPanel* swatch : Swatches(*this))
        lines << ColorToString(swatch->Color());
    QString error;
    if (!SaveTextLines(fileName, lines, &error))
        MessageBox(QStringLiteral("I can't save the colors list!\r") + error, MsgCaption,
                   MsgOk + MsgExclamation);
}

void TMainForm::SpeedButton22Click() {
    OpenDialogSound.FileName.clear();
    OpenDialogSound.InitialDir = ColorSetFolder(*this);
    OpenDialogSound.Filter = kColorSetFilter;
    if (!OpenDialogSound.Execute(this))
        return;
    LoadColorSetFile(OpenDialogSound.FileName);
    CheckBox_Autostart->setFocus();
}

} // namespace qm
