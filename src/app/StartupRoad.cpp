#include "app/MainForm.h"
#include "app/StartupSeams.h"
#include "desktop/CoolTrayIcon.h"
#include "engine/Session.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "platform/WindowPlace.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "store/ArchiveLocation.h"
#include "store/ArchiveRestore.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <cerrno>

namespace qm {

namespace {

bool g_engineFails = false;

bool StartEngine() {
    return !g_engineFails && Session::Instance().Start();
}

// A whole number as the class library reads it; nullopt for anything else.
std::optional<int> WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

void SetTestEngineStartFails(bool fails) {
    g_engineFails = fails;
}

bool EngineStartFailsForTest() {
    return g_engineFails;
}

int TMainForm::ScreenColorBits() {
    return ScreenColorDepth();
}

void TMainForm::FormCreate() {
    m_inFormCreate = true;
    // Colour depth: the alarm check and the start-up show wait while the question is open.
    if (ScreenColorBits() <= 4) {
        CoolTrayIcon->SetIconVisible(false);
        TimerContolloOrario->stop();
        TimerRitorna->stop();
        MsgText = QStringLiteral(
            "Quellmire Organizer runs well if the system has more than 256 colors. Continue anyway?");
        if (MessageBox(MsgText, QStringLiteral("Quellmire Organizer"), Mb::YesNo | Mb::IconExclamation) ==
            Id::No) {
            RequestTerminate();
        } else {
            TimerContolloOrario->start();
            TimerRitorna->start();
            CoolTrayIcon->SetIconVisible(true);
        }
    }

    // Files dropped on the window.
    setAcceptDrops(true);

    // Engine.
    if (!StartEngine()) {
        TimerContolloOrario->stop();
        TimerRitorna->stop();
        TimerOrologio->stop();
        TimerAppari->stop();
        MessageBox(
            QStringLiteral("Borland Database Engine (BDE) not found!\rPlease reinstall Quellmire Organizer!"),
            QStringLiteral("Quellmire Organizer"), Mb::Ok);
        RequestTerminate();
        m_inFormCreate = false;
        return;
    }

    RemoveTitleBar();
    FillDayOfWeekCombo();
    FillMonthCombo();
    InitPathsAndDefaults();
    ApplyWorkingFolder();
    FinishRestore();
    // Temporary files of writes that a crash cut short.
    for (const QString& folder : {ProgramFolder, DefaultArchiveFolder, ArchiveFolder, NotesFolder,
                                  QFileInfo(LumidorAutostart.EntryFile()).path()})
        SweepTemporaryFiles(folder);
    ReadLookFiles();
    Guarded([this] { RegisterDatabaseAlias(); });
    Guarded([this] { CreateArchive(); });
    // The settings row, applied to the window and left open in QueryParam.
    Guarded([this] { LoadSettings(); });
    Guarded([this] { MigrateOldContacts(); });

    // The notes list shows the notes folder.
    NoteListShowPath(NotesFolder);

    // Expired one-shot entries go before the first Tasks list. A list that cannot open is
    // reported and the road goes on.
    Guarded([this] { PurgeExpiredOneShots(); });
    Guarded([this] { RefreshTodayQuery(); });

    // Window size from the open settings row, then maximised unless it was stored normal.
    Guarded([this] {
        if (!QueryParam->Active() || QueryParam->RecordCount() == 0)
            return;
        const int storedWidth = int(QueryParam->FieldByName(QStringLiteral("WinWidth")).AsInteger());
        const int storedHeight = int(QueryParam->FieldByName(QStringLiteral("WinHeight")).AsInteger());
        // Cut to the screen at its scale (a size stored at another scale or on a larger screen
        // would put the caption out of reach); the stored size stays as it is.
        if (storedWidth > 0 && storedHeight > 0) {
            const QScreen* at = screen();
            resize(at ? FitOnScreen(QRect(pos(), QSize(storedWidth, storedHeight)), at->availableGeometry(),
                                    minimumSizeHint())
                            .size()
                      : QSize(storedWidth, storedHeight));
        }
        FormResize();
        if (QueryParam->FieldByName(QStringLiteral("WinStato")).AsString() == QLatin1String("wsNormal"))
            setWindowState(windowState() & ~Qt::WindowMaximized);
        else
            setWindowState(windowState() | Qt::WindowMaximized);
    });

    Guarded([this] { ProcessCommandLine(); });

    // The notes editor's font and page colour (a missing row was reported when the settings were loaded).
    Guarded([this] {
        if (QueryParam->Active() && QueryParam->RecordCount() > 0)
            LoadEditorFont();
    });

    // The other views open when first shown or read, or on idle turns once the window shows.
    DeferStartupLists();

    ShowUserInfo();

    // From now on the appointment lists reload the alarm list when they re-open.
    TodayDirty = 0;
    AlarmReloadArmed = -1;

    // The tab font controls show the current tab font.
    ComboBox_UnFont->setCurrentText(PageControlMenu->font().family());
    SpinEditTabSize->setValue(PageControlMenu->font().pointSize() > 0 ? PageControlMenu->font().pointSize()
                                                                      : 10);

    // The sound label names what the alarm will play: the stored sound, or the fallback in red.
    const bool soundFound = AlarmSoundFile == QLatin1String("mailbeep") || QFileInfo(AlarmSoundFile).isFile();
    SetReadableTextColor(Label_SoundName, ToQColor(soundFound ? Colors::clWindowText : Colors::clRed));
    Label_SoundName->setText(soundFound ? QFileInfo(AlarmSoundFile).fileName() : QStringLiteral("mailbeep"));

    NoteListWidth = Panel_ListaNote_Size->width();
    QFont calendarFont = Calendario_Lato->font();
    calendarFont.setFamily(DateTimePickerTODAY->font().family());
    calendarFont.setPointSize(10);
    Calendario_Lato->setFont(calendarFont);
    Panel_LATO->hide();

    // The top bar starts in the colour of the page shown at start.
    ApplySectionColor();
    // From now on a user's action on a table found unusable says so again.
    Session::Instance().SetFaultsReported(false);
    m_inFormCreate = false;
}

void TMainForm::RemoveTitleBar() {
    // A frameless window keeps its size grip and is moved by its panels.
    setWindowFlag(Qt::FramelessWindowHint, true);
}

void TMainForm::FillDayOfWeekCombo() {
    ComboBox_dayofweek->clear();
    ComboBox_dayofweek->addItems(LongDayNamesMondayFirst());
    ComboBox_dayofweek->addItem(QString());
    ComboBox_dayofweek->setCurrentIndex(7);
}

void TMainForm::FillMonthCombo() {
    ComboBox_Month->clear();
    ComboBox_Month->addItems(LongMonthNames());
    ComboBox_Month->addItem(QString());
    ComboBox_Month->setCurrentIndex(12);
}

void TMainForm::InitPathsAndDefaults() {
    SkipFocus = -1;
    ClockFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss");
    MsgYes = Id::Yes;
    MsgNo = Id::No;
    MsgYesNo = Mb::YesNo;
    MsgOk = Mb::Ok;
    MsgExclamation = Mb::IconExclamation;
    MsgQuestion = Mb::IconQuestion;
    MsgInformation = Mb::IconInformation;
    AboutClicks = 0;
    MsgText.clear();
    MsgCaption = QStringLiteral("Quellmire Organizer");

    ProgramFolder = qm::ProgramFolder();
    ShotOrder = QStringLiteral("DESC");
    YearOrder.clear();
    MonthOrder.clear();
    WeekOrder.clear();
    ContactOrder.clear();
    CoolTrayIcon->SetIconIndex(4);
    AliasName = QStringLiteral("QMDB");
    DriverName = QStringLiteral("PARADOX");

    // The login name is used exactly as the system gives it, up to a NUL.
    QString userName = UserComp1.LoginName;
    const int nul = int(userName.indexOf(QChar(0)));
    if (nul >= 0)
        userName.truncate(nul);
    Label_mistero->setText(userName);
    SpeedButtonEXIT->setToolTip(QStringLiteral("Be quiet ") + userName + QStringLiteral("!"));
    Label_mistero->setText(Label_mistero->text() + QStringLiteral("Arc"));
    ProfileName = Label_mistero->text();
    ArchiveFolder = DefaultArchiveFolderFor(ProgramFolder, userName);
    if (userName.isEmpty())
        ProfileName = QStringLiteral("generic");
    DefaultArchiveFolder = ArchiveFolder;
    NotesFolder = ArchiveFolder + QStringLiteral("/notes");
    Label_Ripetuta->setText(userName);

    SelectedDate = Today();
    SelectedMonthDay = QStringLiteral("__/__");
    PageControlMenu->setCurrentWidget(TabSheetTODAY);
    DateTimePickerTODAY->setDate(Today());
    Calendario_Lato->setSelectedDate(DateTimePickerTODAY->date());

    for (QComboBox* combo :
         {ComboBoxToDo, ComboBoxOrdine, ComboBox_KindFindShot, ComboBox_KindFindYear, ComboBox_KindFindMonth,
          ComboBox_KindFindWeek, ComboBox_KindFindContact, ComboBox_KindFindToDo})
        combo->setCurrentIndex(0);

    PageControlMenu->setTabText(PageControlMenu->indexOf(TabSheetSetup),
                                userName.isEmpty() ? QStringLiteral("Options") : userName);

    const QStringList fonts = QFontDatabase::families();
    ComboBox_Fonts->clear();
    ComboBox_Fonts->addItems(fonts);
    ComboBox_UnFont->clear();
    ComboBox_UnFont->addItems(fonts);

    TodayDirty = 0;
    ComboBox_Contact_Group->setCurrentIndex(0);
    AlarmReloadArmed = 0;
    WindowMinimized = 0;
    AlarmFlashing = 0;
    NotesFolderCaption = QStringLiteral(" FOLDER: Notes - FILE: ");

    CheckBoxSplash->setChecked(!QFileInfo::exists(ProgramFolder + QStringLiteral("nosplash")));
    // The delete questions pick their ending from the global generator, which seeds itself.
}

void TMainForm::ApplyWorkingFolder() {
    SpeedButton_Multi->setEnabled(false);
    const QString netFile = JoinPath(DefaultArchiveFolder, QStringLiteral("Net.txt"));
    const WorkingFolderChoice choice = ReadWorkingFolder(DefaultArchiveFolder, ProfileName);
    if (!choice.netFileFound)
        return;

    TimerContolloOrario->stop();
    TimerRitorna->stop();
    SpeedButton_Multi->setEnabled(true);
    if (!choice.readError.isEmpty()) {
        // Named in one box; the default folder is kept, as without the file.
        MessageBox(choice.readError, MsgCaption, MsgOk + MsgExclamation);
    } else if (choice.namedFound) {
        if (!choice.folder.isEmpty())
            ArchiveFolder = choice.folder;
        if (!choice.placeMessage.isEmpty())
            MessageBox(choice.placeMessage, MsgCaption,
                       MsgOk + (choice.placeRefused ? MsgExclamation : MsgInformation));
    } else {
        MsgText = QStringLiteral("I haven't found the new working folder (") + choice.named +
                  QStringLiteral("), so I came back to the default (") + ArchiveFolder +
                  QStringLiteral("). I must searching for it at the next restart?");
        if (MessageBox(MsgText, MsgCaption, MsgYesNo + MsgQuestion) != MsgYes) {
            if (!QFile::remove(netFile))
                MessageBox(QStringLiteral("I can't delete ") + netFile + QStringLiteral("!"), MsgCaption,
                           MsgOk + MsgExclamation);
            MessageBox(QStringLiteral("Ok, I back to work in the default folder!"), MsgCaption,
                       MsgOk + MsgInformation);
        }
    }
    TimerContolloOrario->start();
    TimerRitorna->start();
    NotesFolder = ArchiveFolder + QStringLiteral("/notes");
}

// A restore that a crash cut short is finished, or thrown away, before any table or look file of
// the archive is read.
void TMainForm::FinishRestore() {
    const RestoreReport report = FinishPendingRestore(ArchiveFolder);
    QStringList names;
    QStringList errors;
    for (const RestoreFailure& failure : report.failures) {
        names << failure.name;
        errors << failure.error;
    }
    if (report.kept)
        MessageBox(PendingRestoreText(ShownNames(names), errors), MsgCaption, MsgOk + MsgExclamation);
    else if (!names.isEmpty())
        MessageBox(QStringLiteral("Importing procedure failed! These files were not restored and keep "
                                  "their old content: ") +
                       ShownNames(names).join(QStringLiteral(", ")) + QStringLiteral(".\r") +
                       errors.join(QStringLiteral("\r")),
                   MsgCaption, MsgOk + MsgExclamation);
    if (!report.leftAlone.isEmpty())
        MessageBox(LeftAloneText(report.leftAlone), MsgCaption, MsgOk + MsgExclamation);
}

void TMainForm::ReadLookFiles() {
    const auto lookFile = [this](const char* name) {
        return JoinPath(ArchiveFolder, QString::fromLatin1(name));
    };

    if (QFileInfo::exists(lookFile("TabFont.txt"))) {
        const QStringList lines = LoadSettingLines(lookFile("TabFont.txt"));
        if (!lines.isEmpty()) {
            QFont tabFont = PageControlMenu->font();
            tabFont.setFamily(lines[0]);
            const std::optional<int> size = lines.size() > 1 ? WholeNumber(lines[1]) : std::nullopt;
            if (size && *size > 0)
                tabFont.setPointSize(*size);
            else
                SpinEditTabSize->setValue(10);
            PageControlMenu->setFont(tabFont);
            QFont captionFont = panel_credit->font();
            captionFont.setFamily(lines[0]);
            captionFont.setBold(true);
            captionFont.setPointSize(11);
            panel_credit->setFont(captionFont);
        }
    }

    const QString styleFile = lookFile("Style.txt");
    if (!QFileInfo::exists(styleFile)) {
        ComboBox_Stile->setCurrentIndex(0);
    } else {
        const QStringList lines = LoadSettingLines(styleFile);
        if (!lines.isEmpty() && (lines[0] == QLatin1String("0") || lines[0] == QLatin1String("1")))
            ComboBox_Stile->setCurrentIndex(lines[0].toInt());
    }

    if (QFileInfo::exists(lookFile("CharSet.txt"))) {
        const QStringList lines = LoadSettingLines(lookFile("CharSet.txt"));
        if (const auto charset = lines.isEmpty() ? std::nullopt : WholeNumber(lines[0]))
            Editor->setProperty("FontCharset", *charset);
    }

    if (QFileInfo::exists(lookFile("InterCrs.txt"))) {
        const QStringList lines = LoadSettingLines(lookFile("InterCrs.txt"));
        if (const auto charset = lines.isEmpty() ? std::nullopt : WholeNumber(lines[0])) {
            panel_credit->setProperty("FontCharset", *charset);
            MemoOrario->setProperty("FontCharset", *charset);
            Panel_Data_Shot->SetFontCharset(*charset);
            Panel_Data_Year->SetFontCharset(*charset);
            Panel_Data_Week->SetFontCharset(*charset);
        }
    }
}

void TMainForm::RegisterDatabaseAlias() {
    Session& session = Session::Instance();
    session.AddAlias(AliasName, ArchiveFolder);
    session.SetPrivateDir(ProgramFolder + QStringLiteral("qmarcs/"));
    for (TQuery* query : {QueryParam, Query_Jolly, QueryTODAY, QueryMonth, QueryWeek, QueryYear, QueryShot,
                          QueryContact, QueryToDo, QueryParallelo})
        query->DatabaseName = AliasName;
}

void TMainForm::ShowUserInfo() {
    switch (UserComp1.PlatformId) {
    case 0:
        Label_OSVersion->setText(QStringLiteral("Windows 3.1"));
        break;
    case 1:
        Label_OSVersion->setText(QStringLiteral("Windows 9x"));
        break;
    case 2:
        Label_OSVersion->setText(QStringLiteral("Windows NT/2000/XP"));
        break;
    case TUserComp::PlatformLinux:
        Label_OSVersion->setText(UserComp1.SystemName);
        break;
    default:
        break;
    }
    Label_UserName->setText(UserComp1.DefName);
    Label_Company->setText(UserComp1.DefCompany);
    Label_Login->setText(UserComp1.LoginName);
    Label_Archives_Folder->setText(ArchiveFolder);
    Label_Notes_Folder->setText(NotesFolder);
}

} // namespace qm
