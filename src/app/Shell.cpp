#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "desktop/WindowMaximize.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "platform/Contrast.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/ResizeBand.h"
#include "platform/TextLines.h"
#include "platform/WindowDrag.h"
#include "platform/WindowPlace.h"
#include "platform/widgets/CaptionGlyphs.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>

namespace qm {

namespace {

const QString kHelpPage = QStringLiteral("https://quellmire.org/quellmire/helpframe.htm");
const QString kDonationPage = QStringLiteral("https://quellmire.org/donate");

// The fields that take the section colour while they have the focus (descendants included).
bool IsColouredField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QComboBox*>(widget);
}

void SetFieldColor(QWidget* field, TColor color) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, ToQColor(color));
    field->setPalette(palette);
}

// What each tab's right-click "Delete" and "Modify" click, and the field a tab change focuses.
struct PageRole {
    QWidget* page;
    QToolButton* remove;
    QToolButton* modify;
    QWidget* focusField;
};

QList<PageRole> PageRoles(const TMainForm& f) {
    return {{f.TabSheetShot, f.SpeedButtonDelShot, f.SpeedButtonModShot, f.Edit_Find_Shot},
            {f.TabSheetYEAR, f.SpeedButtonDelyear, f.SpeedButtonModYear, f.Edit_Find_Anno},
            {f.TabSheetMonth, f.SpeedButtonDelMese, f.SpeedButtonModMese, f.Edit_Find_Mese},
            {f.TabSheetWEEK, f.SpeedButtonDelWeek, f.SpeedButtonModWeek, f.Edit_Find_Week},
            {f.TabSheetTODAY, f.SpeedButtonDelToday, f.SpeedButtonModToday, nullptr},
            {f.TabSheetCONTACTS, f.SpeedButtonDelContact, f.SpeedButtonModContact, f.Edit_ragsoc},
            {f.TabSheetNotes, f.SpeedButtonDelnote, f.SpeedButtonmodNote, nullptr},
            {f.TabSheetToDo, f.SpeedButtonDelToDo, f.SpeedButtonModToDo, f.Edit_Find_ToDo},
            {f.TabSheetSetup, nullptr, nullptr, f.CheckBox_Autostart}};
}

PageRole CurrentRole(const TMainForm& form) {
    const int index = form.PageControlMenu->currentIndex();
    const QList<PageRole> roles = PageRoles(form);
    return index >= 0 && index < roles.size() ? roles[index] : PageRole{nullptr, nullptr, nullptr, nullptr};
}

// Gives `column` the grid's client width less the listed columns and a margin, and at least `least`.
void FillColumn(TDBGrid* grid, int column, std::initializer_list<int> others, int margin, int least = 0) {
    if (!grid || column >= grid->ColumnCount())
        return;
    int width = grid->ClientWidth() - margin;
    for (const int other : others) {
        if (other < grid->ColumnCount())
            width -= grid->ColumnWidth(other);
    }
    grid->SetColumnWidth(column, std::max(width, least));
}

} // namespace

// What the window must see before its controls do: Esc anywhere in it, the focus of the coloured
// fields, presses that may move the window, and clicks on the colour swatches.
class TShellEvents : public QObject {
public:
    explicit TShellEvents(TMainForm* form) : QObject(form), m_form(form), m_drag(new TWindowDrag(form)) {}

    void AddFocusField(QWidget* field) { m_focusFields.insert(field); }
    void AddSwatch(TPanel* swatch, void (TMainForm::*handler)()) { m_swatches.insert(swatch, handler); }
    void AddNoDrag(QWidget* widget) { m_noDrag.insert(widget); }
    void AddGrid(TDBGrid* grid) { m_gridViewports.insert(grid->viewport()); }

    TWindowDrag* Drag() const { return m_drag; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            return KeyPress(watched, static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            if (m_focusFields.contains(watched))
                m_form->OnFieldEnter(static_cast<QWidget*>(watched));
            break;
        case QEvent::FocusOut:
            if (m_focusFields.contains(watched))
                m_form->OnFieldExit(static_cast<QWidget*>(watched));
            break;
        case QEvent::MouseButtonPress:
            MousePress(watched, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonRelease:
            return MouseRelease(watched, static_cast<QMouseEvent*>(event));
        case QEvent::Resize:
            if (m_gridViewports.contains(watched))
                m_form->FormResize();
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool KeyPress(QObject* watched, QKeyEvent* key) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_Escape || !widget || widget->window() != m_form)
            return false;
        m_form->FormKeyPress(QChar(27));
        return true;
    }

    void MousePress(QObject* watched, QMouseEvent* mouse) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return;
        // An ignored press travels up the parents; only the widget that was pressed counts.
        if (m_seenPress && mouse->timestamp() == m_lastPressTime)
            return;
        m_seenPress = true;
        m_lastPressTime = mouse->timestamp();
        if (IsDragSource(widget))
            m_form->FormMouseDown(mouse);
    }

    bool MouseRelease(QObject* watched, QMouseEvent* mouse) {
        if (mouse->button() != Qt::LeftButton)
            return false;
        const auto swatch = m_swatches.constFind(watched);
        if (swatch == m_swatches.constEnd())
            return false;
        if (static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
            (m_form->*swatch.value())();
        return true;
    }

    bool IsDragSource(QWidget* widget) const {
        if (widget == m_form)
            return true;
        return qobject_cast<TPanel*>(widget) && widget->window() == m_form && !m_noDrag.contains(widget) &&
               !m_swatches.contains(widget);
    }

    TMainForm* m_form;
    QSet<QObject*> m_focusFields;
    QHash<QObject*, void (TMainForm::*)()> m_swatches;
    QSet<QObject*> m_noDrag;
    QSet<QObject*> m_gridViewports;
    bool m_seenPress = false;
    quint64 m_lastPressTime = 0;
    TWindowDrag* m_drag;
};

void TMainForm::ApplySectionColor() {
    const int index = PageControlMenu->currentIndex();
    if (index >= 0 && index < SectionCount)
        panel_credit0->SetColor(SectionColors[index]);
    CurrentSectionColor = panel_credit0->Color();

    // The window glyphs on the bar stay readable whatever colour the user gave the section.
    const QColor ink = ReadableInk(ToQColor(CurrentSectionColor));
    const std::pair<QToolButton*, QStyle::StandardPixmap> glyphs[] = {
        {SpeedButton_MINIMIZE, QStyle::SP_TitleBarMinButton},
        {SpeedButtonTOP, QStyle::SP_TitleBarShadeButton},
        {SpeedButtonWinSize, QStyle::SP_TitleBarMaxButton},
        {SpeedButtonEXIT, QStyle::SP_TitleBarCloseButton}};
    for (const auto& [button, kind] : glyphs) {
        if (button)
            button->setIcon(CaptionGlyph(kind, ink));
    }
}

void TMainForm::PageControlMenuChange() {
    const SectionColorSet& c = SectionColors;
    SetFieldColor(Edit_Find_Shot, c.ShotColor);
    SetFieldColor(Edit_Find_Anno, c.YearColor);
    SetFieldColor(Edit_Find_Mese, c.MonthColor);
    SetFieldColor(Edit_Find_Week, c.WeekColor);
    SetFieldColor(Edit_ragsoc, c.ContactColor);
    SetFieldColor(Edit_Find_ToDo, c.TodoColor);

    SaveDialogColor.FileName.clear();
    SaveDialog1.FileName.clear();
    OpenDialogSound.FileName.clear();

    ApplySectionColor();
    FormResize();

    QWidget* page = PageControlMenu->currentWidget();
    if (page == TabSheetTODAY) {
        CurrentSectionColor = c.TodayColor;
        // Looking at the Tasks tab ends an alarm's icon animation.
        CoolTrayIcon->SetCycleIcons(false);
        if (TodayDirty)
            RefreshTodayQuery();
        FormResize();
    } else if (page == TabSheetNotes) {
        CurrentSectionColor = c.NotesColor;
    } else {
        const int index = PageControlMenu->currentIndex();
        if (index >= 0 && index < SectionCount)
            CurrentSectionColor = c[index];
        const PageRole role = CurrentRole(*this);
        if (!SkipFocus && role.focusField)
            role.focusField->setFocus();
    }

    if (EditLastLabel->text().isEmpty())
        EditLastLabel->setText(QStringLiteral("Options"));
}

void TMainForm::PageControlMenuDrawTab(QPainter& painter, int tabIndex, const QRect& rect, bool) {
    if (tabIndex < 0 || tabIndex >= SectionCount)
        return;
    painter.fillRect(rect, ToQColor(SectionColors[tabIndex]));
    painter.setPen(Qt::black);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, PageControlMenu->tabText(tabIndex));
}

void TMainForm::FormResize() {
    // The alarm message stretches up to its marker.
    if (Panel_MEssaggio && Label_Stop) {
        const int width = Label_Stop->x() - Panel_MEssaggio->x();
        if (width > 0)
            Panel_MEssaggio->resize(width, Panel_MEssaggio->height());
    }
    // The description columns take what the other visible columns leave.
    for (TDBGrid* grid : {DBGrid_Shot, DBGrid_Year, DBGrid_Month, DBGrid_Week})
        FillColumn(grid, 3, {0, 1, 2, 4}, 6);
    FillColumn(DBGrid_Today, 2, {1, 3, 0}, 6);
    FillColumn(DBGrid_ToDo, 0, {1, 2, 3}, 6);
    // A narrow window keeps the contact columns as they are and lets the grid scroll; a wide one
    // gives Name the rest, but never less than the width it was laid out with (the other columns
    // are wide enough for whole numbers and addresses, so the rest may be little).
    if (width() >= 800 && DBGrid_Contact && DBGrid_Contact->ColumnCount() > 0)
        FillColumn(DBGrid_Contact, 0, {1, 2, 3, 4, 5, 6}, 8, DBGrid_Contact->Column(0).Width);
    if (Label_FormSize)
        Label_FormSize->setText(QString::number(width()) + QStringLiteral(" x ") + QString::number(height()));
}

void TMainForm::FormShow() {
    const QString setupCaption = PageControlMenu->tabText(PageControlMenu->indexOf(TabSheetSetup));
    const QString tabNameFile = JoinPath(ArchiveFolder, QStringLiteral("TabName.txt"));
    if (QFileInfo::exists(tabNameFile)) {
        const QStringList lines = LoadSettingLines(tabNameFile);
        EditLastLabel->setText(lines.isEmpty() ? QString() : lines.first());
        if (EditLastLabel->text().isEmpty())
            EditLastLabel->setText(setupCaption);
    } else {
        EditLastLabel->setText(setupCaption);
    }

    SkipFocus = 0;

    if (QFileInfo::exists(JoinPath(ArchiveFolder, QStringLiteral("ShowCale.txt")))) {
        ShowZodiacAndSeason();
        Panel_LATO->show();
        SpeedButtonClendarioLato->setChecked(true);
    } else {
        Panel_LATO->hide();
        SpeedButtonClendarioLato->setChecked(false);
    }
}

void TMainForm::FormKeyPress(QChar key) {
    if (key == QChar(27))
        SpeedButtonEXIT->click();
}

void TMainForm::FormMouseDown(QMouseEvent* event) {
    if (!WindowMaximize->IsMaximized())
        ShellEvents->Drag()->Press(event);
}

void TMainForm::OnFieldEnter(QWidget* sender) {
    if (sender && IsColouredField(sender))
        SetFieldColor(sender, CurrentSectionColor);
}

void TMainForm::OnFieldExit(QWidget* sender) {
    if (sender && IsColouredField(sender))
        SetFieldColor(sender, Colors::clWhite);
}

void TMainForm::SpeedButtonTOPClick() {
    // Changing the flags hides the window; it comes back at once.
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, SpeedButtonTOP->isChecked());
    if (visible)
        show();
}

void TMainForm::SpeedButtonWinSizeClick() {
    raise();
    activateWindow();
    if (WindowMaximize->IsMaximized())
        WindowMaximize->Restore();
    else
        WindowMaximize->Maximize();
    raise();
    activateWindow();
}

void TMainForm::SpeedButtonHelpOnLineClick() {
    if (!ShellOpen(kHelpPage))
        ShowMessage(QStringLiteral("Sorry, I can't find your internet browser!"));
}

// A help file put into the program folder comes first; otherwise the manual shipped with the
// program opens in the desktop's browser. When they are there but nothing opens them, the message
// says so instead of calling them missing.
void TMainForm::SpeedButton_ManualClick() {
    QStringList unopened;
    for (const QString& name : {QStringLiteral("QO_Help.chm"), QStringLiteral("manual.html")}) {
        const QString file = ShippedFile(name);
        if (!QFileInfo::exists(file))
            continue;
        if (ShellOpen(file))
            return;
        unopened << QDir::toNativeSeparators(file);
    }
    if (unopened.isEmpty())
        ShowMessage(
            QStringLiteral("Help Manual not found. Please download the help file from my website, and "
                           "put it into my installation folder."));
    else
        ShowMessage(QStringLiteral("The Help Manual is there, but no program on this computer could open "
                                   "it: \"") +
                    unopened.join(QStringLiteral("\", \"")) +
                    QStringLiteral("\". Install a web browser, then try again."));
}

void TMainForm::SpeedButton1Click() {
    ShellOpen(kDonationPage);
}

void TMainForm::SpeedButton16Click() {
    ShowMessage(QStringLiteral("This section builds an automatic daily plan based on the One Shot (Daily), "
                               "Yearly, Monthly and Weekly entries!"));
}

void TMainForm::PopupMenuTabellePopup() {
    Inserisci1->menuAction()->setEnabled(true);
    Anteprima2->setEnabled(true);
    QAction* print = Stampa2->menuAction();
    const PageRole role = CurrentRole(*this);
    if (role.remove && role.page != TabSheetNotes)
        Elimina1->setEnabled(role.remove->isEnabled());
    print->setEnabled(Elimina1->isEnabled());
    if (role.page == TabSheetNotes) {
        Elimina1->setEnabled(SpeedButtonDelnote->isEnabled());
        Anteprima2->setEnabled(false);
        print->setEnabled(SpeedButtonPrintNote->isEnabled());
    }
    Modifica1->setEnabled(Elimina1->isEnabled());
    if (role.page == TabSheetSetup) {
        Elimina1->setEnabled(false);
        Modifica1->setEnabled(false);
        print->setEnabled(false);
    }
}

void TMainForm::Elimina1Click() {
    if (QToolButton* button = CurrentRole(*this).remove)
        button->click();
}

void TMainForm::Modifica1Click() {
    if (QToolButton* button = CurrentRole(*this).modify)
        button->click();
}

void TMainForm::DisconnectShell() {
    if (ShellEvents)
        qApp->removeEventFilter(ShellEvents);
}

void TMainForm::ConnectShell() {
    ShellEvents = new TShellEvents(this);
    qApp->installEventFilter(ShellEvents);
    WindowMaximize = new TWindowMaximize(this);
    const auto sizeable = [this] { return !WindowMaximize->IsMaximized() && !isFullScreen(); };
    // The border's presses come before the panels' (a filter installed later sees events first).
    new TResizeBand(this, ShellEvents->Drag(), sizeable);
    // The border is the window's own, around the panels, so that these keep all of their width.
    layout()->setContentsMargins(TResizeBand::Band, TResizeBand::Band, TResizeBand::Band, TResizeBand::Band);
    KeepOnScreen(this, sizeable);

    PageControlMenu->SetOnDrawTab([this](QPainter& painter, int tabIndex, const QRect& rect, bool active) {
        PageControlMenuDrawTab(painter, tabIndex, rect, active);
    });
    // The page chosen while the window is built is not a change the user made.
    ConnectGuarded(PageControlMenu, &QTabWidget::currentChanged, this, [this] {
        if (!m_inFormCreate)
            PageControlMenuChange();
    });

    // Qt sizes a grid only after the window's resize has been handled, and a list that re-opens
    // puts its columns back: the column rules run again then, as they would on a resize.
    for (TDBGrid* grid :
         {DBGrid_Shot, DBGrid_Year, DBGrid_Month, DBGrid_Week, DBGrid_Today, DBGrid_Contact, DBGrid_ToDo}) {
        ShellEvents->AddGrid(grid);
        ConnectGuarded(grid->model(), &QAbstractItemModel::modelReset, this, &TMainForm::FormResize);
    }

    ConnectGuarded(SpeedButtonTOP, &QToolButton::clicked, this, &TMainForm::SpeedButtonTOPClick);
    ConnectGuarded(SpeedButtonWinSize, &QToolButton::clicked, this, &TMainForm::SpeedButtonWinSizeClick);
    ConnectGuarded(SpeedButtonHelpOnLine, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonHelpOnLineClick);
    ConnectGuarded(SpeedButton_Manual, &QToolButton::clicked, this, &TMainForm::SpeedButton_ManualClick);
    ConnectGuarded(SpeedButton1, &QToolButton::clicked, this, &TMainForm::SpeedButton1Click);
    ConnectGuarded(SpeedButton16, &QToolButton::clicked, this, &TMainForm::SpeedButton16Click);

    // Colours and colour sets.
    ShellEvents->AddSwatch(Panel_ShotColor, &TMainForm::Panel_ShotColorClick);
    ShellEvents->AddSwatch(Panel_YearColor, &TMainForm::Panel_YearColorClick);
    ShellEvents->AddSwatch(Panel_MonthColor, &TMainForm::Panel_MonthColorClick);
    ShellEvents->AddSwatch(Panel_WeekColor, &TMainForm::Panel_WeekColorClick);
    ShellEvents->AddSwatch(Panel_TodayColor, &TMainForm::Panel_TodayColorClick);
    ShellEvents->AddSwatch(Panel_ContactColor, &TMainForm::Panel_ContactColorClick);
    ShellEvents->AddSwatch(Panel_NotesColor, &TMainForm::Panel_NotesColorClick);
    ShellEvents->AddSwatch(Panel_TodoColor, &TMainForm::Panel_TodoColorClick);
    ShellEvents->AddSwatch(Panel_UserColor, &TMainForm::Panel_UserColorClick);
    // The editor's colour panels are clicked, not dragged.
    ShellEvents->AddNoDrag(Panel_Font_Color);
    ShellEvents->AddNoDrag(Panel_Editor_Color);
    ConnectGuarded(SpeedButton5, &QToolButton::clicked, this, &TMainForm::SpeedButton5Click);
    ConnectGuarded(SpeedButton21, &QToolButton::clicked, this, &TMainForm::SpeedButton21Click);
    ConnectGuarded(SpeedButton22, &QToolButton::clicked, this, &TMainForm::SpeedButton22Click);

    // The right-click menu of the list tabs: its items click the tab's own buttons.
    ConnectGuarded(PopupMenuTabelle, &QMenu::aboutToShow, this, &TMainForm::PopupMenuTabellePopup);
    ConnectGuarded(Elimina1, &QAction::triggered, this, &TMainForm::Elimina1Click);
    ConnectGuarded(Modifica1, &QAction::triggered, this, &TMainForm::Modifica1Click);
    connect(Contatto1, &QAction::triggered, SpeedButtonAggContact, &QToolButton::click);
    connect(Nota1, &QAction::triggered, SpeedButtonAggNote, &QToolButton::click);
    connect(Todo1, &QAction::triggered, SpeedButtonAggToDo, &QToolButton::click);
    for (QWidget* page : {TabSheetShot, TabSheetYEAR, TabSheetMonth, TabSheetWEEK, TabSheetTODAY,
                          TabSheetCONTACTS, TabSheetNotes, TabSheetToDo}) {
        QList<QWidget*> targets;
        for (TPanel* panel : page->findChildren<TPanel*>())
            targets << panel;
        for (TDBGrid* grid : page->findChildren<TDBGrid*>())
            targets << grid;
        for (QWidget* target : targets) {
            target->setContextMenuPolicy(Qt::CustomContextMenu);
            ConnectGuarded(target, &QWidget::customContextMenuRequested, this,
                           [this, target](const QPoint& pos) {
                               const auto* area = qobject_cast<QAbstractScrollArea*>(target);
                               const QWidget* origin = area ? area->viewport() : target;
                               PopupMenuTabelle->popup(origin->mapToGlobal(pos));
                           });
        }
    }

    // Focus colouring of the window's own fields.
    for (QWidget* field : std::initializer_list<QWidget*>{Edit_Find_Shot,
                                                          Edit_Find_Anno,
                                                          Edit_Find_Mese,
                                                          Edit_Find_Week,
                                                          Edit_ragsoc,
                                                          Edit_Find_ToDo,
                                                          ComboBox_KindFindShot,
                                                          ComboBox_KindFindYear,
                                                          ComboBox_KindFindMonth,
                                                          ComboBox_KindFindWeek,
                                                          ComboBox_KindFindContact,
                                                          ComboBox_KindFindToDo,
                                                          ComboBox_Month,
                                                          ComboBox_dayofweek,
                                                          ComboBox_Contact_Group,
                                                          ComboBoxToDo,
                                                          ComboBoxOrdine,
                                                          ComboBox_FormatoDataShot,
                                                          ComboBox_FormatoDataYear,
                                                          ComboBox_UnFont,
                                                          ComboBox_Stile,
                                                          EditLastLabel})
        ShellEvents->AddFocusField(field);
}

} // namespace qm
