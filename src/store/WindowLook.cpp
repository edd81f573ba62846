#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "platform/Charsets.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>
#include <functional>

namespace qm {

namespace {

// Runs `action` on a double-click of the watched widget and swallows the click, so a double-click
// does not also count as a second press.
class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            Guarded(m_action);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

// Each look file is written whole; a file that cannot be written is said so at once.
static void SaveLookFile(const TMainForm& form, const QString& name, const QStringList& lines) {
    QString error;
    if (!SaveTextLines(JoinPath(form.ArchiveFolder, name), lines, &error))
        MessageBox(error, QStringLiteral("Quellmire Organizer"), Mb::Ok + Mb::IconExclamation);
}

// The zodiac and season labels keep their own small face whatever the tab font is.
static void ResetSignLabels(TMainForm& form) {
    for (QLabel* label : {form.Label_Segno, form.Label_Stagione}) {
        QFont font = label->font();
        font.setFamily(QStringLiteral("Arial"));
        font.setPixelSize(13);
        label->setFont(font);
    }
}

void TMainForm::ConnectWindowLook() {
    ConnectGuarded(EditLastLabel, &QLineEdit::textChanged, this, &TMainForm::EditLastLabelChange);
    // The start-up road sets the font controls by code: only the user's changes are written.
    ConnectGuarded(ComboBox_UnFont, &QComboBox::textActivated, this, &TMainForm::ComboBox_UnFontChange);
    ConnectGuarded(SpinEditTabSize, &QSpinBox::valueChanged, this, [this] {
        if (!m_inFormCreate)
            SpinEditTabSizeChange();
    });
    ConnectGuarded(ComboBox_Stile, &QComboBox::activated, this, &TMainForm::ComboBox_StileChange);
    ConnectGuarded(SpeedButtonIntCharset, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonIntCharsetClick);
    SpeedButtonIntCharset->installEventFilter(
        new DoubleClickFilter(SpeedButtonIntCharset, [this] { SpeedButtonIntCharsetDblClick(); }));
    int item = 1;
    for (const CharsetItem& charset : kWindowsCharsets) {
        QAction* action = PopupMenuIntCharset->addAction(QString::fromLatin1(charset.caption));
        action->setObjectName(QStringLiteral("MenuItem%1").arg(item++));
        const int code = charset.code;
        ConnectGuarded(action, &QAction::triggered, this, [this, code] { MenuItemIntCharsetClick(code); });
    }
    ConnectGuarded(CheckBoxAmPm, &QCheckBox::clicked, this, &TMainForm::CheckBoxAmPmClick);
    ConnectGuarded(CheckBoxSplash, &QCheckBox::clicked, this, &TMainForm::CheckBoxSplashClick);
}

// The last tab is named by the user; the name is kept for the next start.
void TMainForm::EditLastLabelChange() {
    PageControlMenu->setTabText(PageControlMenu->indexOf(TabSheetSetup), EditLastLabel->text());
    // A file that already holds the name is not written again: each start sets the name it read.
    const QStringList lines{EditLastLabel->text()};
    if (LoadTextLines(JoinPath(ArchiveFolder, QStringLiteral("TabName.txt"))) != lines)
        SaveLookFile(*this, QStringLiteral("TabName.txt"), lines);
}

void TMainForm::ComboBox_UnFontChange() {
    const QString name = ComboBox_UnFont->currentText();
    QFont tabFont = PageControlMenu->font();
    tabFont.setFamily(name);
    PageControlMenu->setFont(tabFont);
    QFont captionFont = panel_credit->font();
    captionFont.setFamily(name);
    captionFont.setBold(true);
    captionFont.setPointSize(11);
    panel_credit->setFont(captionFont);
    SaveLookFile(*this, QStringLiteral("TabFont.txt"), {name, QString::number(SpinEditTabSize->value())});
    ResetSignLabels(*this);
}

// Only the tabs change size: the caption bar stays at its own size.
void TMainForm::SpinEditTabSizeChange() {
    QFont tabFont = PageControlMenu->font();
    tabFont.setPointSize(SpinEditTabSize->value());
    PageControlMenu->setFont(tabFont);
    SaveLookFile(*this, QStringLiteral("TabFont.txt"),
                 {tabFont.family(), QString::number(tabFont.pointSize())});
    ResetSignLabels(*this);
}

// The grids read the style when they paint, so they are painted again now.
void TMainForm::ComboBox_StileChange() {
    SaveLookFile(*this, QStringLiteral("Style.txt"), {QString::number(ComboBox_Stile->currentIndex())});
    for (TDBGrid* grid :
         {DBGrid_Shot, DBGrid_Year, DBGrid_Month, DBGrid_Week, DBGrid_Today, DBGrid_Contact, DBGrid_ToDo})
        grid->viewport()->update();
}

void TMainForm::SpeedButtonIntCharsetClick() {
    PopupMenuIntCharset->popup(SpeedButtonIntCharset->mapToGlobal(QPoint(0, 0)));
}

// Qt text is Unicode, so the charset changes nothing on screen; it is kept for the file and for
// the dialogs that copy it from the caption bar.
void TMainForm::MenuItemIntCharsetClick(int charset) {
    panel_credit->setProperty("FontCharset", charset);
    MemoOrario->setProperty("FontCharset", charset);
    SpeedButtonIntCharsetDblClick();
}

void TMainForm::SpeedButtonIntCharsetDblClick() {
    const int charset = std::clamp(panel_credit->property("FontCharset").toInt(), 0, 255);
    SaveLookFile(*this, QStringLiteral("InterCrs.txt"), {QString::number(charset)});
    Panel_Data_Shot->SetFontCharset(charset);
    Panel_Data_Year->SetFontCharset(charset);
    Panel_Data_Week->SetFontCharset(charset);
}

void TMainForm::CheckBoxAmPmClick() {
    const QString marker = JoinPath(ArchiveFolder, QStringLiteral("AmPm.txt"));
    if (CheckBoxAmPm->isChecked()) {
        ClockFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm");
        SaveLookFile(*this, QStringLiteral("AmPm.txt"), {});
    } else {
        ClockFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss");
        if (QFile::exists(marker) && !QFile::remove(marker))
            MessageBox(QStringLiteral("Cannot delete the file %1.").arg(marker),
                       QStringLiteral("Quellmire Organizer"), Mb::Ok + Mb::IconExclamation);
    }
}

// The marker lives in the program folder, so it holds for every profile.
void TMainForm::CheckBoxSplashClick() {
    const QString marker = ProgramFolder + QStringLiteral("nosplash");
    if (CheckBoxSplash->isChecked()) {
        if (QFile::exists(marker) && !QFile::remove(marker))
            MessageBox(QStringLiteral("Cannot delete the file %1.").arg(marker),
                       QStringLiteral("Quellmire Organizer"), Mb::Ok + Mb::IconExclamation);
    } else {
        QString error;
        if (!SaveTextLines(marker, {}, &error))
            MessageBox(error, QStringLiteral("Quellmire Organizer"), Mb::Ok + Mb::IconExclamation);
    }
}

} // namespace qm
