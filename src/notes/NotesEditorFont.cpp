#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/ColorText.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/Panel.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>

namespace qm {

namespace {

// Asks for a colour starting at the swatch's; on confirmation the swatch and the editor's palette
// role take it. False when the user cancelled.
bool PickEditorColor(TMainForm& form, TPanel* swatch, QPalette::ColorRole role) {
    form.ColorDialog.Color = swatch->Color();
    if (!form.ColorDialog.Execute(&form))
        return false;
    swatch->SetColor(form.ColorDialog.Color);
    QPalette palette = form.Editor->palette();
    palette.setColor(role, ToQColor(form.ColorDialog.Color));
    form.Editor->setPalette(palette);
    return true;
}

} // namespace

void TMainForm::ComboBox_FontsChange() {
    QFont font = Editor->font();
    font.setFamily(ComboBox_Fonts->currentText());
    Editor->setFont(font);
    SpeedButton_Aggiorna_Editor_Setup->setEnabled(true);
}

void TMainForm::SpinEdit_SizeChange() {
    QFont font = Editor->font();
    font.setPointSize(SpinEdit_Size->value());
    Editor->setFont(font);
    SpeedButton_Aggiorna_Editor_Setup->setEnabled(true);
}

void TMainForm::Panel_Font_ColorClick() {
    if (PickEditorColor(*this, Panel_Font_Color, QPalette::Text))
        SpeedButton_Aggiorna_Editor_Setup->setEnabled(true);
}

void TMainForm::Panel_Editor_ColorClick() {
    if (PickEditorColor(*this, Panel_Editor_Color, QPalette::Base))
        SpeedButton_Aggiorna_Editor_Setup->setEnabled(true);
}

void TMainForm::SpeedButton_Aggiorna_Editor_SetupClick() {
    TQuery& query = *Query_Jolly;
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("UPDATE QMset90"));
    query.SQL.Add(QStringLiteral("SET fontname  = :fontname,"));
    query.SQL.Add(QStringLiteral("    fontcolor = :fontcolor,"));
    query.SQL.Add(QStringLiteral("    fontsize  = :fontsize,"));
    query.SQL.Add(QStringLiteral("    backcolor = :backcolor"));
    query.ParamByName(QStringLiteral("fontname")).SetAsString(Editor->font().family());
    query.ParamByName(QStringLiteral("fontcolor")).SetAsString(ColorToString(Panel_Font_Color->Color()));
    query.ParamByName(QStringLiteral("fontsize")).SetAsFloat(Editor->font().pointSize());
    query.ParamByName(QStringLiteral("backcolor")).SetAsString(ColorToString(Panel_Editor_Color->Color()));
    // A rejected update throws here: the charset file is then left as it was and the button stays on.
    query.ExecSQL();

    const int charset = std::clamp(Editor->property("FontCharset").toInt(), 0, 255);
    QString error;
    if (!SaveTextLines(JoinPath(ArchiveFolder, QStringLiteral("CharSet.txt")), {QString::number(charset)},
                       &error)) {
        MessageBox(QStringLiteral("The editor's charset could not be saved: ") + error, MsgCaption,
                   MsgOk + MsgExclamation);
        return;
    }
    LoadEditorFont();
}

} // namespace qm
