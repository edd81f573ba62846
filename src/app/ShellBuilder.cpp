#include "app/MainForm.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSizeGrip>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

QTimer* MakeTimer(QObject* parent, const char* name, int interval, bool enabled) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    timer->setSingleShot(false);
    if (enabled)
        timer->start();
    return timer;
}

} // namespace

void TMainForm::BuildShell() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    panel_credit0 = new TPanel(this, QStringLiteral("panel_credit0"));
    panel_credit0->setFixedHeight(30);
    auto* bar = new QHBoxLayout(panel_credit0);
    bar->setContentsMargins(6, 2, 2, 2);
    bar->setSpacing(1);
    panel_credit =
        MakeLabel(panel_credit0, QStringLiteral("panel_credit"), QStringLiteral("Quellmire Organizer"));
    QFont captionFont = panel_credit->font();
    captionFont.setBold(true);
    captionFont.setPointSize(11);
    panel_credit->setFont(captionFont);
    panel_credit->setAttribute(Qt::WA_TransparentForMouseEvents);
    bar->addWidget(panel_credit, 1);

    SpeedButtonAggiornaTutto =
        MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButtonAggiornaTutto"), QString(),
                        QStringLiteral("Refresh all"), QStyle::SP_BrowserReload);
    SpeedButtonHelpOnLine =
        MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButtonHelpOnLine"), QString(),
                        QStringLiteral("Link to the On-Line HelpDesk"), QStyle::SP_DriveNetIcon);
    SpeedButton_Manual = MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButton_Manual"), QString(),
                                         QStringLiteral("Help Manual"), QStyle::SP_DialogHelpButton);
    SpeedButton1 =
        MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButton1"), QString(),
                        QStringLiteral("If you don't have a pretty sister, you can send me a donation!"),
                        QStyle::SP_DialogYesButton);
    SpeedButtonAbout =
        MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButtonAbout"), QString(),
                        QStringLiteral("The brilliant author"), QStyle::SP_MessageBoxInformation);
    SpeedButtonTOP = MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButtonTOP"), QString(),
                                     QStringLiteral("Stay on top"), QStyle::SP_TitleBarShadeButton);
    SpeedButtonTOP->setCheckable(true);
    SpeedButtonWinSize = MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButtonWinSize"), QString(),
                                         QStringLiteral("Maximize/Restore"), QStyle::SP_TitleBarMaxButton);
    SpeedButtonEXIT = MakeSpeedButton(panel_credit0, QStringLiteral("SpeedButtonEXIT"), QString(),
                                      QStringLiteral("Be quiet!"), QStyle::SP_TitleBarCloseButton);
    for (QToolButton* button :
         {SpeedButtonAggiornaTutto, SpeedButtonHelpOnLine, SpeedButton_Manual, SpeedButton1, SpeedButtonAbout,
          SpeedButtonTOP, SpeedButtonWinSize, SpeedButtonEXIT})
        bar->addWidget(button);
    root->addWidget(panel_credit0);

    PageControlMenu = new TPageControl(this);
    PageControlMenu->setObjectName(QStringLiteral("PageControlMenu"));
    PageControlMenu->setFocusPolicy(Qt::NoFocus);
    PageControlMenu->tabBar()->setCursor(Qt::PointingHandCursor);
    PageControlMenu->setDocumentMode(true);
    const auto addSheet = [this](const char* name, const QString& caption) {
        auto* sheet = new QWidget(PageControlMenu);
        sheet->setObjectName(QString::fromLatin1(name));
        PageControlMenu->addTab(sheet, caption);
        return sheet;
    };
    TabSheetShot = addSheet("TabSheetShot", QStringLiteral("One Shot"));
    TabSheetYEAR = addSheet("TabSheetYEAR", QStringLiteral("Yearly"));
    TabSheetMonth = addSheet("TabSheetMonth", QStringLiteral("Monthly"));
    TabSheetWEEK = addSheet("TabSheetWEEK", QStringLiteral("Weekly"));
    TabSheetTODAY = addSheet("TabSheetTODAY", QStringLiteral("Tasks"));
    TabSheetCONTACTS = addSheet("TabSheetCONTACTS", QStringLiteral("Contacts"));
    TabSheetNotes = addSheet("TabSheetNotes", QStringLiteral("Notes"));
    TabSheetToDo = addSheet("TabSheetToDo", QStringLiteral("To-Do!"));
    TabSheetSetup = addSheet("TabSheetSetup", QStringLiteral("User"));
    root->addWidget(PageControlMenu, 1);

    // Without a title bar the window still needs a handle to be resized by.
    auto* grip = new QSizeGrip(this);
    grip->setObjectName(QStringLiteral("SizeGrip"));
    root->addWidget(grip, 0, Qt::AlignBottom | Qt::AlignRight);

    PopupMenuTabelle = new QMenu(this);
    PopupMenuTabelle->setObjectName(QStringLiteral("PopupMenuTabelle"));
    Inserisci1 = PopupMenuTabelle->addMenu(QStringLiteral("New"));
    ImpegnoTutti = Inserisci1->addMenu(QStringLiteral("Task"));
    Contatto1 = Inserisci1->addAction(QStringLiteral("Contact"));
    Nota1 = Inserisci1->addAction(QStringLiteral("Note"));
    Todo1 = Inserisci1->addAction(QStringLiteral("ToDo"));
    Elimina1 = PopupMenuTabelle->addAction(QStringLiteral("Delete"));
    Modifica1 = PopupMenuTabelle->addAction(QStringLiteral("Modify"));
    Stampa2 = PopupMenuTabelle->addMenu(QStringLiteral("Print"));
    Anteprima2 = Stampa2->addAction(QStringLiteral("Preview"));
    Stampa3 = Stampa2->addAction(QStringLiteral("Print"));
    PopupMenuTabelle->addSeparator();
    Annulla3 = PopupMenuTabelle->addAction(QStringLiteral("Cancel"));

    TimerOrologio = MakeTimer(this, "TimerOrologio", 1000, true);
    TimerContolloOrario = MakeTimer(this, "TimerContolloOrario", 1000, true);
    TimerRitorna = MakeTimer(this, "TimerRitorna", 1, true);
    TimerRitorna->setSingleShot(true);
    TimerAppari = MakeTimer(this, "TimerAppari", 1, false);
    TimerAppari->setSingleShot(true);
    TimerFlashTempo = MakeTimer(this, "TimerFlashTempo", 1000, false);

    Label_mistero = new QLabel(this);
    Label_mistero->setObjectName(QStringLiteral("Label_mistero"));
    Label_mistero->hide();
    Label_Ripetuta = new QLabel(this);
    Label_Ripetuta->setObjectName(QStringLiteral("Label_Ripetuta"));
    Label_Ripetuta->hide();
}

} // namespace qm
