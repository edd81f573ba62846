#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/DayBox.h"
#include "platform/widgets/Panel.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

const QStringList kDescriptionNote = {QStringLiteral("Description"), QStringLiteral("Note")};

// The pieces every list tab shares: a frame in the section colour, a top bar with the buttons and
// the row count at its right end, a header panel, the grid and the note memo.
struct ListTabFrame {
    TPanel* frame = nullptr;
    TPanel* bar = nullptr;
    QHBoxLayout* barLayout = nullptr;
    TPanel* header = nullptr;
    QHBoxLayout* headerLayout = nullptr;
    TDBGrid* grid = nullptr;
    QVBoxLayout* body = nullptr;
};

ListTabFrame BuildListFrame(QWidget* sheet, const QString& suffix, const QString& barName, TQuery* query) {
    ListTabFrame f;
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    f.frame = new TPanel(sheet, QStringLiteral("Panel_Contorno_") + suffix);
    sheetLayout->addWidget(f.frame);
    f.body = new QVBoxLayout(f.frame);
    f.body->setContentsMargins(5, 5, 5, 5);
    f.body->setSpacing(3);

    f.bar = new TPanel(f.frame, barName);
    f.bar->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f.bar->setFrameShape(QFrame::StyledPanel);
    f.barLayout = new QHBoxLayout(f.bar);
    f.barLayout->setContentsMargins(3, 2, 70, 2);
    f.barLayout->setSpacing(2);
    f.body->addWidget(f.bar);

    f.header = new TPanel(f.frame, QStringLiteral("Panel_Data_") + suffix);
    f.header->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    f.header->setFixedHeight(26);
    QFont headerFont = f.header->font();
    headerFont.setBold(true);
    f.header->setFont(headerFont);
    f.headerLayout = new QHBoxLayout(f.header);
    f.headerLayout->setContentsMargins(3, 1, 3, 1);
    f.headerLayout->addStretch(1);
    f.body->addWidget(f.header);

    f.grid = new TDBGrid(f.frame, QStringLiteral("DBGrid_") + suffix);
    f.grid->SetQuery(query);
    f.body->addWidget(f.grid, 1);
    return f;
}

TDBMemo* AddNoteMemo(ListTabFrame& f, const QString& name, TQuery* query) {
    auto* memo = new TDBMemo(f.frame, name);
    memo->setFixedHeight(64);
    memo->SetDataField(query, QStringLiteral("note"));
    f.body->addWidget(memo);
    return memo;
}

struct RowButtons {
    QToolButton*& add;
    QToolButton*& modify;
    QToolButton*& remove;
    QToolButton*& clone;
    QToolButton*& print;
    QToolButton*& tip;
};

void AddRowButtons(ListTabFrame& f, const RowButtons& b, const QStringList& names) {
    QWidget* p = f.bar;
    b.add = MakeSpeedButton(p, names[0], QString(), QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
    b.modify =
        MakeSpeedButton(p, names[1], QString(), QStringLiteral("Modify"), QStyle::SP_FileDialogDetailedView);
    b.remove = MakeSpeedButton(p, names[2], QString(), QStringLiteral("Delete"), QStyle::SP_TrashIcon);
    b.clone = MakeSpeedButton(p, names[3], QString(), QStringLiteral("Clone"), QStyle::SP_FileLinkIcon);
    b.print = MakeSpeedButton(p, names[4], QString(), QStringLiteral("Print"), QStyle::SP_ComputerIcon);
    b.tip = MakeSpeedButton(p, names[5], QString(), QStringLiteral("Tip"), QStyle::SP_MessageBoxQuestion);
    for (QToolButton* button : {b.add, b.modify, b.remove, b.clone, b.print, b.tip})
        f.barLayout->addWidget(button);
    f.barLayout->addSpacing(8);
}

QToolButton* AddOrderButton(ListTabFrame& f, const QString& name) {
    auto* button = MakeSpeedButton(f.bar, name, QString(), QStringLiteral("Invert"), QStyle::SP_ArrowDown);
    f.barLayout->addWidget(button);
    return button;
}

void AddFind(ListTabFrame& f, QLineEdit*& edit, const QString& editName, QComboBox*& kind,
             const QString& kindName, const QStringList& kinds, QToolButton*& clear,
             const QString& clearName) {
    edit = MakeEdit(f.bar, editName, QStringLiteral("Text for filtering"));
    edit->setMinimumWidth(120);
    edit->setMaximumWidth(220);
    kind = MakeComboList(f.bar, kindName, QStringLiteral("Field for filtering"), kinds);
    clear =
        MakeSpeedButton(f.bar, clearName, QString(), QStringLiteral("Clear"), QStyle::SP_LineEditClearButton);
    clear->setEnabled(false);
    f.barLayout->addWidget(edit);
    f.barLayout->addWidget(clear);
    f.barLayout->addWidget(kind);
}

QList<TColumn> AppointmentColumns(const TColumn& first, int descriptionWidth) {
    const Qt::Alignment centred = Qt::AlignCenter;
    return {first,
            {QStringLiteral("orario"), QStringLiteral("From"), 42, centred},
            {QStringLiteral("orario2"), QStringLiteral("To"), 42, centred},
            {QStringLiteral("id"), QStringLiteral("Description"), descriptionWidth},
            {QStringLiteral("Presenza"), QStringLiteral("Note"), 42, centred}};
}

} // namespace

void TMainForm::BuildAppointmentTabs() {
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    {
        ListTabFrame f =
            BuildListFrame(TabSheetShot, QStringLiteral("Shot"), QStringLiteral("Panel_Shot"), QueryShot);
        Panel_Contorno_Shot = f.frame;
        Panel_Shot = f.bar;
        Panel_Data_Shot = f.header;
        DBGrid_Shot = f.grid;
        AddRowButtons(f,
                      {SpeedButtonadShot, SpeedButtonModShot, SpeedButtonDelShot, SpeedButtonPrintshot,
                       SpeedButtonDupliShot, SpeedButton15},
                      {"SpeedButtonadShot", "SpeedButtonModShot", "SpeedButtonDelShot",
                       "SpeedButtonPrintshot", "SpeedButtonDupliShot", "SpeedButton15"});
        SpeedButtonOrderShot = AddOrderButton(f, QStringLiteral("SpeedButtonOrderShot"));
        AddFind(f, Edit_Find_Shot, QStringLiteral("Edit_Find_Shot"), ComboBox_KindFindShot,
                QStringLiteral("ComboBox_KindFindShot"), kDescriptionNote, SpeedButtonClearShot,
                QStringLiteral("SpeedButtonClearShot"));
        f.barLayout->addStretch(1);
        QList<TColumn> columns =
            AppointmentColumns({QStringLiteral("Datashot"), QStringLiteral("Date"), 148, left}, 258);
        columns.append({QStringLiteral("dayofweek"), QStringLiteral("E"), 20, Qt::AlignCenter, false});
        DBGrid_Shot->SetColumns(columns);
        DBMemoShot = AddNoteMemo(f, QStringLiteral("DBMemoShot"), QueryShot);
    }
    {
        ListTabFrame f =
            BuildListFrame(TabSheetYEAR, QStringLiteral("Year"), QStringLiteral("Panel_year"), QueryYear);
        Panel_Contorno_Year = f.frame;
        Panel_year = f.bar;
        Panel_Data_Year = f.header;
        DBGrid_Year = f.grid;
        AddRowButtons(f,
                      {SpeedButtonAddYear, SpeedButtonModYear, SpeedButtonDelyear, SpeedButtonPrintyear,
                       SpeedButtonDupliYear, SpeedButton13},
                      {"SpeedButtonAddYear", "SpeedButtonModYear", "SpeedButtonDelyear",
                       "SpeedButtonPrintyear", "SpeedButtonDupliYear", "SpeedButton13"});
        SpeedButtonOrderYear = AddOrderButton(f, QStringLiteral("SpeedButtonOrderYear"));
        AddFind(f, Edit_Find_Anno, QStringLiteral("Edit_Find_Anno"), ComboBox_KindFindYear,
                QStringLiteral("ComboBox_KindFindYear"), kDescriptionNote, SpeedButtonClearYear,
                QStringLiteral("SpeedButtonClearYear"));
        ComboBox_Month =
            MakeComboList(f.bar, QStringLiteral("ComboBox_Month"), QStringLiteral("Filter by month"), {});
        f.barLayout->addWidget(ComboBox_Month);
        f.barLayout->addStretch(1);
        DBGrid_Year->SetColumns(
            AppointmentColumns({QStringLiteral("Datayear"), QStringLiteral("Date"), 106, left}, 319));
        DBMemoYear = AddNoteMemo(f, QStringLiteral("DBMemoYear"), QueryYear);
    }
    {
        ListTabFrame f =
            BuildListFrame(TabSheetMonth, QStringLiteral("Month"), QStringLiteral("Panel_Month"), QueryMonth);
        Panel_Contorno_Month = f.frame;
        Panel_Month = f.bar;
        Panel_Data_Month = f.header;
        DBGrid_Month = f.grid;
        AddRowButtons(f,
                      {SpeedButtonAggMese, SpeedButtonModMese, SpeedButtonDelMese, SpeedButtonPrintMese,
                       SpeedButtonDupliMonth, SpeedButtonHelpMonth},
                      {"SpeedButtonAggMese", "SpeedButtonModMese", "SpeedButtonDelMese",
                       "SpeedButtonPrintMese", "SpeedButtonDupliMonth", "SpeedButtonHelpMonth"});
        SpeedButtonOrderMonth = AddOrderButton(f, QStringLiteral("SpeedButtonOrderMonth"));
        AddFind(f, Edit_Find_Mese, QStringLiteral("Edit_Find_Mese"), ComboBox_KindFindMonth,
                QStringLiteral("ComboBox_KindFindMonth"), kDescriptionNote, SpeedButtonClearMonth,
                QStringLiteral("SpeedButtonClearMonth"));
        f.barLayout->addStretch(1);
        DBGrid_Month->SetColumns(AppointmentColumns(
            {QStringLiteral("dayofmonth"), QStringLiteral("Day"), 50, Qt::AlignCenter}, 367));
        DBMemoMonth = AddNoteMemo(f, QStringLiteral("DBMemoMonth"), QueryMonth);
    }
    {
        ListTabFrame f =
            BuildListFrame(TabSheetWEEK, QStringLiteral("Week"), QStringLiteral("Panel_week"), QueryWeek);
        Panel_Contorno_Week = f.frame;
        Panel_week = f.bar;
        Panel_Data_Week = f.header;
        DBGrid_Week = f.grid;
        AddRowButtons(f,
                      {SpeedButtonAggWeek, SpeedButtonModWeek, SpeedButtonDelWeek, SpeedButtonPrintWeek,
                       SpeedButtonDupliWeek, SpeedButtonHelpWeek},
                      {"SpeedButtonAggWeek", "SpeedButtonModWeek", "SpeedButtonDelWeek",
                       "SpeedButtonPrintWeek", "SpeedButtonDupliWeek", "SpeedButtonHelpWeek"});
        SpeedButtonorderWeek = AddOrderButton(f, QStringLiteral("SpeedButtonorderWeek"));
        AddFind(f, Edit_Find_Week, QStringLiteral("Edit_Find_Week"), ComboBox_KindFindWeek,
                QStringLiteral("ComboBox_KindFindWeek"), kDescriptionNote, SpeedButtonClearWeek,
                QStringLiteral("SpeedButtonClearWeek"));
        ComboBox_dayofweek =
            MakeComboList(f.bar, QStringLiteral("ComboBox_dayofweek"), QStringLiteral("Filter by day"), {});
        f.barLayout->addWidget(ComboBox_dayofweek);
        f.barLayout->addStretch(1);
        DBGrid_Week->SetColumns(
            AppointmentColumns({QStringLiteral("dayofweek"), QStringLiteral("Day"), 113, left}, 298));
        DBMemoWeek = AddNoteMemo(f, QStringLiteral("DBMemoWeek"), QueryWeek);
    }
}

void TMainForm::BuildTodayTab() {
    auto* sheetLayout = new QHBoxLayout(TabSheetTODAY);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(0);

    Panel_LATO = new TPanel(TabSheetTODAY, QStringLiteral("Panel_LATO"));
    auto* side = new QVBoxLayout(Panel_LATO);
    side->setContentsMargins(4, 4, 4, 4);
    Calendario_Lato = new QCalendarWidget(Panel_LATO);
    Calendario_Lato->setObjectName(QStringLiteral("Calendario_Lato"));
    Calendario_Lato->setToolTip(QStringLiteral("Filter by day"));
    Calendario_Lato->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    side->addWidget(Calendario_Lato);
    Panel_SegnoStagione = new TPanel(Panel_LATO, QStringLiteral("Panel_SegnoStagione"));
    auto* signs = new QVBoxLayout(Panel_SegnoStagione);
    Label_Segno = MakeLabel(Panel_SegnoStagione, QStringLiteral("Label_Segno"), QString());
    Label_Stagione = MakeLabel(Panel_SegnoStagione, QStringLiteral("Label_Stagione"), QString());
    signs->addWidget(Label_Segno);
    signs->addWidget(Label_Stagione);
    side->addWidget(Panel_SegnoStagione);
    side->addStretch(1);
    sheetLayout->addWidget(Panel_LATO);
    Panel_LATO->hide();

    auto* main = new QWidget(TabSheetTODAY);
    sheetLayout->addWidget(main, 1);
    ListTabFrame f = BuildListFrame(main, QStringLiteral("Today"), QStringLiteral("panel_today"), QueryTODAY);
    Panel_Contorno_Today = f.frame;
    panel_today = f.bar;
    Panel_Data_Today = f.header;
    DBGrid_Today = f.grid;

    SpeedButtonClendarioLato =
        MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonClendarioLato"), QString(),
                        QStringLiteral("Show calendar and informations"), QStyle::SP_FileDialogInfoView);
    SpeedButtonClendarioLato->setCheckable(true);
    SpeedButton8 = MakeSpeedButton(f.bar, QStringLiteral("SpeedButton8"), QString(),
                                   QStringLiteral("Day before"), QStyle::SP_ArrowLeft);
    // A tab stop, so that the day can be changed from the keyboard; nothing is typed into it.
    DateTimePickerTODAY = new TDayBox(f.bar, QStringLiteral("DateTimePickerTODAY"));
    DateTimePickerTODAY->setToolTip(QStringLiteral("Filter by day"));
    DateTimePickerTODAY->setDisplayFormat(QStringLiteral("dddd d MMMM yyyy"));
    DateTimePickerTODAY->setDate(QDate(2000, 1, 24));
    SpeedButton11 = MakeSpeedButton(f.bar, QStringLiteral("SpeedButton11"), QString(),
                                    QStringLiteral("Day after"), QStyle::SP_ArrowRight);
    SpeedButtonToday = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonToday"), QString(),
                                       QStringLiteral("Today"), QStyle::SP_ArrowUp);
    SpeedButtonAddToday = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonAddToday"), QString(),
                                          QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
    SpeedButtonModToday = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonModToday"), QString(),
                                          QStringLiteral("Modify"), QStyle::SP_FileDialogDetailedView);
    SpeedButtonDelToday = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonDelToday"), QString(),
                                          QStringLiteral("Delete"), QStyle::SP_TrashIcon);
    SpeedButtonFollowToday = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonFollowToday"), QString(),
                                             QStringLiteral("Origin"), QStyle::SP_FileDialogToParent);
    SpeedButtonPrintToday = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonPrintToday"), QString(),
                                            QStringLiteral("Print"), QStyle::SP_ComputerIcon);
    SpeedButtonEportToday = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonEportToday"), QString(),
                                            QStringLiteral("Export (visibles)"), QStyle::SP_DialogSaveButton);
    SpeedButton16 = MakeSpeedButton(f.bar, QStringLiteral("SpeedButton16"), QString(), QStringLiteral("Tip"),
                                    QStyle::SP_MessageBoxQuestion);
    for (QWidget* w : std::initializer_list<QWidget*>{
             SpeedButtonClendarioLato, SpeedButton8, DateTimePickerTODAY, SpeedButton11, SpeedButtonToday,
             SpeedButtonAddToday, SpeedButtonModToday, SpeedButtonDelToday, SpeedButtonFollowToday,
             SpeedButtonPrintToday, SpeedButtonEportToday, SpeedButton16})
        f.barLayout->addWidget(w);
    f.barLayout->addStretch(1);

    Panel_MEssaggio = new TPanel(f.header, QStringLiteral("Panel_MEssaggio"));
    auto* messageLayout = new QHBoxLayout(Panel_MEssaggio);
    messageLayout->setContentsMargins(0, 0, 0, 0);
    MemoOrario = new QPlainTextEdit(Panel_MEssaggio);
    MemoOrario->setObjectName(QStringLiteral("MemoOrario"));
    MemoOrario->setReadOnly(true);
    MemoOrario->setFrameShape(QFrame::NoFrame);
    QPalette messagePalette = MemoOrario->palette();
    messagePalette.setColor(QPalette::Base, messagePalette.color(QPalette::Button));
    MemoOrario->setPalette(messagePalette);
    MemoOrario->setFocusPolicy(Qt::NoFocus);
    MemoOrario->setContextMenuPolicy(Qt::NoContextMenu);
    MemoOrario->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoOrario->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoOrario->viewport()->setCursor(Qt::ArrowCursor);
    messageLayout->addWidget(MemoOrario);
    f.headerLayout->insertWidget(0, Panel_MEssaggio, 1);
    Label_Stop = new QLabel(f.header);
    Label_Stop->setObjectName(QStringLiteral("Label_Stop"));
    Label_Stop->setFixedWidth(3);
    f.headerLayout->addWidget(Label_Stop);

    const Qt::Alignment centred = Qt::AlignCenter;
    DBGrid_Today->SetColumns({{QStringLiteral("orario"), QStringLiteral("From"), 42, centred},
                              {QStringLiteral("orario2"), QStringLiteral("To"), 42, centred},
                              {QStringLiteral("id"), QStringLiteral("Description"), 368},
                              {QStringLiteral("Presenza"), QStringLiteral("Note"), 42, centred},
                              {QStringLiteral("dayofweek"), QString(), 20, centred, false},
                              {QStringLiteral("flag"), QString(), 20, centred, false}});
    DBMemoToday = AddNoteMemo(f, QStringLiteral("DBMemoToday"), QueryTODAY);

    PopupMenuToday = new QMenu(this);
    PopupMenuToday->setObjectName(QStringLiteral("PopupMenuToday"));
    OneShot2 = PopupMenuToday->addAction(QStringLiteral("One Shot"));
    Yearly2 = PopupMenuToday->addAction(QStringLiteral("Yearly"));
    Monthly2 = PopupMenuToday->addAction(QStringLiteral("Monthly"));
    Weekly2 = PopupMenuToday->addAction(QStringLiteral("Weekly"));
    PopupMenuToday->addSeparator();
    PopupMenuToday->addAction(QStringLiteral("Cancel"));
    ImpegnoTutti->addAction(OneShot2);
    ImpegnoTutti->addAction(Yearly2);
    ImpegnoTutti->addAction(Monthly2);
    ImpegnoTutti->addAction(Weekly2);
}

void TMainForm::BuildContactsTab() {
    ListTabFrame f = BuildListFrame(TabSheetCONTACTS, QStringLiteral("Contact"),
                                    QStringLiteral("panel_contact"), QueryContact);
    Panel_Contorno_Contact = f.frame;
    panel_contact = f.bar;
    DBGrid_Contact = f.grid;
    f.header->hide();
    AddRowButtons(f,
                  {SpeedButtonAggContact, SpeedButtonModContact, SpeedButtonDelContact,
                   SpeedButtonDupliContact, SpeedButtonPrintcontact, SpeedButton23},
                  {"SpeedButtonAggContact", "SpeedButtonModContact", "SpeedButtonDelContact",
                   "SpeedButtonDupliContact", "SpeedButtonPrintcontact", "SpeedButton23"});
    SpeedButtonOrderContact = AddOrderButton(f, QStringLiteral("SpeedButtonOrderContact"));
    SpeedButtonCSV = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonCSV"), QString(),
                                     QStringLiteral("Export (visibles)"), QStyle::SP_DialogSaveButton);
    f.barLayout->addWidget(SpeedButtonCSV);
    AddFind(f, Edit_ragsoc, QStringLiteral("Edit_ragsoc"), ComboBox_KindFindContact,
            QStringLiteral("ComboBox_KindFindContact"),
            {QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Phone"),
             QStringLiteral("Mobile"), QStringLiteral("Fax"), QStringLiteral("E-mail"), QStringLiteral("Web"),
             QStringLiteral("Address"), QStringLiteral("Note")},
            SpeedButtonClearName, QStringLiteral("SpeedButtonClearName"));
    Edit_ragsoc->setMaxLength(50);
    // The contacts bar holds the most controls: its fields start narrow so the window keeps its
    // default width, and grow when there is room.
    Edit_ragsoc->setMinimumWidth(56);
    ComboBox_Contact_Group = new QComboBox(f.bar);
    ComboBox_Contact_Group->setObjectName(QStringLiteral("ComboBox_Contact_Group"));
    ComboBox_Contact_Group->setToolTip(QStringLiteral("Filter by group"));
    ComboBox_Contact_Group->setEditable(true);
    ComboBox_Contact_Group->lineEdit()->setMaxLength(30);
    ComboBox_Contact_Group->setInsertPolicy(QComboBox::NoInsert);
    // A long group name must not widen the bar (and with it the window's least width).
    ComboBox_Contact_Group->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox_Contact_Group->setMinimumContentsLength(6);
    ComboBox_Contact_Group->addItems({QString(),
                                      QStringLiteral("Association"),
                                      QStringLiteral("Bank"),
                                      QStringLiteral("Business"),
                                      QStringLiteral("Client"),
                                      QStringLiteral("Colleague"),
                                      QStringLiteral("Doctor"),
                                      QStringLiteral("Emergency"),
                                      QStringLiteral("Family"),
                                      QStringLiteral("Friend"),
                                      QStringLiteral("Insurance"),
                                      QStringLiteral("Neighbour"),
                                      QStringLiteral("Parent"),
                                      QStringLiteral("Private"),
                                      QStringLiteral("School"),
                                      QStringLiteral("Schoolmate"),
                                      QStringLiteral("Service"),
                                      QStringLiteral("Society"),
                                      QStringLiteral("Sport"),
                                      QStringLiteral("Supplying"),
                                      QStringLiteral("Teacher")});
    SpeedButtonClearGroup = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonClearGroup"), QString(),
                                            QStringLiteral("Clear"), QStyle::SP_LineEditClearButton);
    SpeedButtonClearGroup->setEnabled(false);
    f.barLayout->addWidget(ComboBox_Contact_Group);
    f.barLayout->addWidget(SpeedButtonClearGroup);
    f.barLayout->addStretch(1);
    const Qt::Alignment centred = Qt::AlignCenter;
    DBGrid_Contact->SetColumns({{QStringLiteral("ragsoc"), QStringLiteral("Name"), 189},
                                {QStringLiteral("tel"), QStringLiteral("Phone"), 104},
                                {QStringLiteral("mobile"), QStringLiteral("Mobile"), 104},
                                {QStringLiteral("fax"), QStringLiteral("Fax"), 104},
                                // Room for an address of 30 characters, in bold on the current row.
                                {QStringLiteral("email"), QStringLiteral("E-mail"), 184},
                                {QStringLiteral("site"), QStringLiteral("Web"), 104},
                                {QStringLiteral("Presenza"), QStringLiteral("Note"), 42, centred}});

    Panel_Note_Contact = new TPanel(f.frame, QStringLiteral("Panel_Note_Contact"));
    Panel_Note_Contact->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel_Note_Contact->setFixedHeight(40);
    Panel_Note_Contact2 = new TPanel(f.frame, QStringLiteral("Panel_Note_Contact2"));
    Panel_Note_Contact2->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel_Note_Contact2->setFixedHeight(40);
    auto* detail = new QHBoxLayout(Panel_Note_Contact2);
    detail->setContentsMargins(2, 2, 2, 2);
    // The group buttons sit below the bar, which has no room left for them.
    SpeedButton12 = MakeSpeedButton(Panel_Note_Contact2, QStringLiteral("SpeedButton12"), QString(),
                                    QStringLiteral("Insert group"), QStyle::SP_FileDialogNewFolder);
    SpeedButton17 = MakeSpeedButton(Panel_Note_Contact2, QStringLiteral("SpeedButton17"), QString(),
                                    QStringLiteral("Remove group"), QStyle::SP_DialogDiscardButton);
    detail->addWidget(SpeedButton12);
    detail->addWidget(SpeedButton17);
    Panel_FullName = new TPanel(Panel_Note_Contact2, QStringLiteral("Panel_FullName"));
    Panel_FullName->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    detail->addWidget(Panel_FullName, 1);
    SpeedButtonMailContact = MakeSpeedButton(Panel_Note_Contact2, QStringLiteral("SpeedButtonMailContact"),
                                             QString(), QStringLiteral("Send e-mail"), QStyle::SP_ArrowRight);
    SpeedButtonTele = MakeSpeedButton(Panel_Note_Contact2, QStringLiteral("SpeedButtonTele"), QString(),
                                      QStringLiteral("Dial"), QStyle::SP_DriveNetIcon);
    SpeedButtonWeb = MakeSpeedButton(Panel_Note_Contact2, QStringLiteral("SpeedButtonWeb"), QString(),
                                     QStringLiteral("Open web link"), QStyle::SP_DirLinkIcon);
    detail->addWidget(SpeedButtonMailContact);
    detail->addWidget(SpeedButtonTele);
    detail->addWidget(SpeedButtonWeb);
    SpeedButton_ApriAllegato =
        MakeSpeedButton(Panel_Note_Contact2, QStringLiteral("SpeedButton_ApriAllegato"), QString(),
                        QStringLiteral("No attach"), QStyle::SP_DirOpenIcon);
    // A long file name must not widen the window.
    SpeedButton_ApriAllegato->setMaximumWidth(240);
    detail->addWidget(SpeedButton_ApriAllegato);
    f.body->addWidget(Panel_Note_Contact);
    f.body->addWidget(Panel_Note_Contact2);

    MemoGroup = new QPlainTextEdit(f.frame);
    MemoGroup->setObjectName(QStringLiteral("MemoGroup"));
    MemoGroup->hide();
}

void TMainForm::BuildToDoTab() {
    ListTabFrame f =
        BuildListFrame(TabSheetToDo, QStringLiteral("ToDo"), QStringLiteral("Panel_ToDo"), QueryToDo);
    Panel_Contorno_ToDo = f.frame;
    Panel_ToDo = f.bar;
    Panel_Data_ToDo = f.header;
    DBGrid_ToDo = f.grid;
    AddRowButtons(f,
                  {SpeedButtonAggToDo, SpeedButtonModToDo, SpeedButtonDelToDo, SpeedButtonDupliToDo,
                   SpeedButtonPrintToDo, SpeedButton14},
                  {"SpeedButtonAggToDo", "SpeedButtonModToDo", "SpeedButtonDelToDo", "SpeedButtonDupliToDo",
                   "SpeedButtonPrintToDo", "SpeedButton14"});
    SpeedButtonCheckToDo = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonCheckToDo"), QString(),
                                           QStringLiteral("Done/Undone"), QStyle::SP_DialogApplyButton);
    SpeedButtonExportTodo = MakeSpeedButton(f.bar, QStringLiteral("SpeedButtonExportTodo"), QString(),
                                            QStringLiteral("Export (visibles)"), QStyle::SP_DialogSaveButton);
    f.barLayout->addWidget(SpeedButtonCheckToDo);
    f.barLayout->addWidget(SpeedButtonExportTodo);
    AddFind(f, Edit_Find_ToDo, QStringLiteral("Edit_Find_ToDo"), ComboBox_KindFindToDo,
            QStringLiteral("ComboBox_KindFindToDo"), kDescriptionNote, SpeedButtonClearTodo,
            QStringLiteral("SpeedButtonClearTodo"));
    f.barLayout->addStretch(1);
    ComboBoxToDo = MakeComboList(f.header, QStringLiteral("ComboBoxToDo"), QStringLiteral("Filter by status"),
                                 {QStringLiteral("All"), QStringLiteral("Done"), QStringLiteral("Undone")});
    ComboBoxOrdine = MakeComboList(
        f.header, QStringLiteral("ComboBoxOrdine"), QStringLiteral("Field for ordering"),
        {QStringLiteral("Priority"), QStringLiteral("Percentage"), QStringLiteral("Description")});
    GaugePercento = new QProgressBar(f.header);
    GaugePercento->setObjectName(QStringLiteral("GaugePercento"));
    GaugePercento->setRange(0, 100);
    GaugePercento->setValue(0);
    GaugePercento->setFixedWidth(130);
    f.headerLayout->insertWidget(0, ComboBoxToDo);
    f.headerLayout->insertWidget(1, ComboBoxOrdine);
    f.headerLayout->addWidget(GaugePercento);
    const Qt::Alignment centred = Qt::AlignCenter;
    DBGrid_ToDo->SetColumns({{QStringLiteral("id"), QStringLiteral("Description"), 403},
                             {QStringLiteral("priority"), QStringLiteral("P"), 42, centred},
                             {QStringLiteral("percento"), QStringLiteral("%"), 42, centred},
                             {QStringLiteral("presenza"), QStringLiteral("Note"), 42, centred},
                             {QStringLiteral("fatto"), QStringLiteral("Fatto"), 20, centred, false}});
    DBMemoToDo = AddNoteMemo(f, QStringLiteral("DBMemoToDo"), QueryToDo);
}

} // namespace qm
