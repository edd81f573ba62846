#include "dialogs/ContactDialogs.h"
#include "dialogs/DialogOpeners.h"

#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/MemoLimit.h"
#include "platform/widgets/Panel.h"
#include "views/ContactsDetail.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <memory>

namespace qm {

namespace {

const QString kNoName = QStringLiteral("Mr. X");

QLabel* Caption(QWidget* parent, const QString& text, bool bold = false) {
    auto* label = new QLabel(text, parent);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QString KeyOfCurrentRow() {
    return QString::number(MainForm->QueryContact->FieldByName(QStringLiteral("codcon")).AsInteger());
}

// The folder part of a path, separator included; empty when there is none.
QString FolderPart(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.left(slash + 1);
}

} // namespace

// ---- shared part ----

TContactFormBase::TContactFormBase(QWidget* owner, const QString& name, const QString& caption)
    : TDialogFrame(
          owner, {QStringLiteral("Panel_Bordo"), QStringLiteral("Panel_colored"), QStringLiteral("Panel1")}) {
    setObjectName(name);
    setWindowTitle(caption);
    Panel_colored = BottomPanel();
    resize(520, 360);

    QWidget* p = InnerPanel();
    auto* grid = new QGridLayout(p);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setVerticalSpacing(4);
    struct FieldLayout {
        QLineEdit** field;
        const char* name;
        const char* label;
        int maxLength;
    };
    const FieldLayout layouts[] = {
        {&Edit_ragsoc, "Edit_ragsoc", "Name", 50}, {&Edit_Company, "Edit_Company", "Company", 50},
        {&Edit_tel, "Edit_tel", "Phone", 100},     {&Edit_Mobile, "Edit_Mobile", "Mobile", 100},
        {&Edit_Fax, "Edit_Fax", "Fax", 100},       {&Edit_email, "Edit_email", "E-mail", 50},
        {&Edit_Site, "Edit_Site", "Web", 255},     {&EDIT_indirizzo, "EDIT_indirizzo", "Address", 255},
        {&EDIT_note, "EDIT_note", "Note", 255},
    };
    int row = 0;
    QWidget* previous = nullptr;
    for (const FieldLayout& layout : layouts) {
        QLineEdit* edit = MakeEdit(p, QString::fromLatin1(layout.name), QString());
        LimitLineLength(edit, layout.maxLength);
        *layout.field = edit;
        grid->addWidget(Caption(p, QString::fromLatin1(layout.label), row == 0), row, 0);
        grid->addWidget(edit, row, 1, 1, 5);
        ColourOnFocus(edit);
        if (previous)
            QWidget::setTabOrder(previous, edit);
        previous = edit;
        ++row;
    }

    ComboBox_Contact_Group = new QComboBox(p);
    ComboBox_Contact_Group->setObjectName(QStringLiteral("ComboBox_Contact_Group"));
    ComboBox_Contact_Group->setEditable(true);
    ComboBox_Contact_Group->setInsertPolicy(QComboBox::NoInsert);
    LimitLineLength(ComboBox_Contact_Group->lineEdit(), 30);
    grid->addWidget(Caption(p, QStringLiteral("Group")), row, 0);
    grid->addWidget(ComboBox_Contact_Group, row, 1, 1, 5);
    ColourOnFocus(ComboBox_Contact_Group);
    QWidget::setTabOrder(previous, ComboBox_Contact_Group);
    ++row;

    Edit_Allegato = MakeEdit(p, QStringLiteral("Edit_Allegato"), QString());
    LimitLineLength(Edit_Allegato, 255);
    ColourOnFocus(Edit_Allegato);
    QWidget::setTabOrder(ComboBox_Contact_Group, Edit_Allegato);
    SpeedButtonAllegaFile = MakeSpeedButton(p, QStringLiteral("SpeedButtonAllegaFile"), QString(),
                                            QStringLiteral("Attach file"), QStyle::SP_FileIcon);
    SpeedButtonAllegaCartella = MakeSpeedButton(p, QStringLiteral("SpeedButtonAllegaCartella"), QString(),
                                                QStringLiteral("Attach folder"), QStyle::SP_DirIcon);
    SpeedButtonClearAllegato = MakeSpeedButton(p, QStringLiteral("SpeedButtonClearAllegato"), QString(),
                                               QStringLiteral("No attach"), QStyle::SP_LineEditClearButton);
    SpeedButtonClearAllegato->setEnabled(false);
    SpeedButtonAiutoAllegato = MakeSpeedButton(p, QStringLiteral("SpeedButtonAiutoAllegato"), QString(),
                                               QStringLiteral("Tip"), QStyle::SP_MessageBoxQuestion);
    grid->addWidget(Caption(p, QStringLiteral("Attach")), row, 0);
    grid->addWidget(Edit_Allegato, row, 1);
    grid->addWidget(SpeedButtonAllegaFile, row, 2);
    grid->addWidget(SpeedButtonAllegaCartella, row, 3);
    grid->addWidget(SpeedButtonClearAllegato, row, 4);
    grid->addWidget(SpeedButtonAiutoAllegato, row, 5);
    grid->setColumnStretch(1, 1);

    OpenDialogFile.Filter = QStringLiteral("All files (*.*)|*.*");
    OpenDialogFile.Title = QStringLiteral("Attach file");

    connect(Edit_Allegato, &QLineEdit::textChanged, this, &TContactFormBase::Edit_AllegatoChange);
    ConnectGuarded(SpeedButtonAllegaFile, &QToolButton::clicked, this,
                   &TContactFormBase::SpeedButtonAllegaFileClick);
    ConnectGuarded(SpeedButtonAllegaCartella, &QToolButton::clicked, this,
                   &TContactFormBase::SpeedButtonAllegaCartellaClick);
    connect(SpeedButtonClearAllegato, &QToolButton::clicked, this,
            &TContactFormBase::SpeedButtonClearAllegatoClick);
    connect(SpeedButtonAiutoAllegato, &QToolButton::clicked, this,
            &TContactFormBase::SpeedButtonAiutoAllegatoClick);
}

void TContactFormBase::AddCloseButton() {
    SpeedButtonClose =
        MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonClose"), QStringLiteral("Close"),
                        QStringLiteral("Close"), QStyle::SP_DialogCloseButton);
    ButtonLayout()->addWidget(SpeedButtonClose);
    connect(SpeedButtonClose, &QToolButton::clicked, this, &QDialog::reject);
}

void TContactFormBase::PrepareShow() {
    SetSectionColor(MainForm->SectionColors.ContactColor);
    ComboBox_Contact_Group->clear();
    for (int i = 0; i < MainForm->ComboBox_Contact_Group->count(); ++i)
        ComboBox_Contact_Group->addItem(MainForm->ComboBox_Contact_Group->itemText(i));
    ComboBox_Contact_Group->setCurrentIndex(-1);
    ComboBox_Contact_Group->setEditText(QString());
}

void TContactFormBase::BindFields(TQuery* query) {
    if (Edit_ragsoc->text().isEmpty())
        Edit_ragsoc->setText(kNoName);
    const std::pair<const char*, QString> values[] = {
        {"ragsoc", Edit_ragsoc->text()},
        {"indirizzo", EDIT_indirizzo->text()},
        {"tel", Edit_tel->text()},
        {"fax", Edit_Fax->text()},
        {"email", Edit_email->text()},
        {"note", EDIT_note->text()},
        {"gruppo", ComboBox_Contact_Group->currentText()},
        {"site", Edit_Site->text()},
        {"company", Edit_Company->text()},
        {"mobile", Edit_Mobile->text()},
        {"allegato", Edit_Allegato->text()},
    };
    for (const auto& [name, value] : values)
        query->ParamByName(QString::fromLatin1(name)).SetAsString(value);
}

bool TContactFormBase::IsEnter(const QKeyEvent* event) const {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool TContactFormBase::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit_Allegato && event->type() == QEvent::MouseButtonDblClick) {
        Guarded([this] { Edit_AllegatoDblClick(); });
        return true;
    }
    return TDialogFrame::eventFilter(watched, event);
}

void TContactFormBase::Edit_AllegatoChange() {
    const QString text = Edit_Allegato->text();
    Edit_Allegato->setToolTip(text);
    SpeedButtonClearAllegato->setEnabled(!text.isEmpty());
}

void TContactFormBase::SpeedButtonAllegaFileClick() {
    const QString folder = FolderPart(Edit_Allegato->text());
    OpenDialogFile.InitialDir =
        !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : MainForm->UserComp1.Desktop;
    if (OpenDialogFile.Execute(this))
        Edit_Allegato->setText(OpenDialogFile.FileName);
}

void TContactFormBase::SpeedButtonAllegaCartellaClick() {
    const QString text = Edit_Allegato->text();
    BrowseForFolder.FolderName =
        !text.isEmpty() && QFileInfo(text).isDir() ? text : TBrowseForFolder::DefaultFolder();
    if (BrowseForFolder.Execute(this))
        Edit_Allegato->setText(BrowseForFolder.FolderName);
}

void TContactFormBase::SpeedButtonClearAllegatoClick() {
    Edit_Allegato->clear();
}

void TContactFormBase::SpeedButtonAiutoAllegatoClick() {
    ShowMessage(QStringLiteral("If you use Quellmire Organizer in a LAN,\rto share the attach enter the "
                               "\"absolute path\"\rin this field."));
}

void TContactFormBase::Edit_AllegatoDblClick() {
    const QString path = Edit_Allegato->text();
    LaunchAttachment(path, AttachFileName(path));
}

// ---- add ----

TAggConForm::TAggConForm(QWidget* owner)
    : TContactFormBase(owner, QStringLiteral("AggConForm"), QStringLiteral("-> New Contact")) {
    SpeedButtonInsert =
        MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonInsert"), QStringLiteral("Insert"),
                        QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
    SpeedButtonInsertClose = MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonInsertClose"),
                                             QStringLiteral("Insert and close"),
                                             QStringLiteral("Insert and close"), QStyle::SP_DialogSaveButton);
    ButtonLayout()->addWidget(SpeedButtonInsert);
    ButtonLayout()->addWidget(SpeedButtonInsertClose);
    AddCloseButton();
    connect(SpeedButtonInsert, &QToolButton::clicked, this, &TAggConForm::SpeedButtonInsertClick);
    connect(SpeedButtonInsertClose, &QToolButton::clicked, this, &TAggConForm::SpeedButtonInsertCloseClick);
}

void TAggConForm::FormShow() {
    PrepareShow();
    ClearFields();
}

void TAggConForm::ClearFields() {
    for (QLineEdit* edit : {Edit_ragsoc, Edit_Company, Edit_tel, Edit_Mobile, Edit_Fax, Edit_email, Edit_Site,
                            EDIT_indirizzo, EDIT_note, Edit_Allegato})
        edit->clear();
    ComboBox_Contact_Group->setCurrentIndex(-1);
    ComboBox_Contact_Group->setEditText(QString());
    Edit_ragsoc->setFocus();
}

void TAggConForm::SaveContact() {
    TQuery* query = MainForm->Query_Jolly;
    query->SQL.Clear();
    query->SQL.Add(QStringLiteral("INSERT INTO QMcon26"));
    query->SQL.Add(
        QStringLiteral("(ragsoc,indirizzo,tel,fax,email,note,gruppo,site,company,mobile,allegato)"));
    query->SQL.Add(QStringLiteral(
        "values (:ragsoc,:indirizzo,:tel,:fax,:email,:note,:gruppo,:site,:company,:mobile,:allegato)"));
    BindFields(query);
    query->ExecSQL();
    MainForm->RefreshContactQuery();
}

void TAggConForm::SpeedButtonInsertClick() {
    if (Guarded([this] { SaveContact(); }))
        ClearFields();
}

void TAggConForm::SpeedButtonInsertCloseClick() {
    if (Guarded([this] { SaveContact(); }))
        accept();
}

bool TAggConForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    if (IsEnter(event)) {
        SpeedButtonInsertClose->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

// ---- modify ----

TModConForm::TModConForm(QWidget* owner)
    : TContactFormBase(owner, QStringLiteral("ModConForm"), QStringLiteral("-> Modify Contact")) {
    Edit_Site->setObjectName(QStringLiteral("EDIT_Site"));
    SpeedButtonMod =
        MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonMod"), QStringLiteral("Modify"),
                        QStringLiteral("Modify"), QStyle::SP_DialogSaveButton);
    SpeedButtonPrint =
        MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonPrint"), QStringLiteral("Print"),
                        QStringLiteral("Print"), QStyle::SP_ComputerIcon);
    ButtonLayout()->addWidget(SpeedButtonMod);
    ButtonLayout()->addWidget(SpeedButtonPrint);
    AddCloseButton();
    connect(SpeedButtonMod, &QToolButton::clicked, this, &TModConForm::SpeedButtonModClick);
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TModConForm::SpeedButtonPrintClick);
}

void TModConForm::FormShow() {
    PrepareShow();
    Guarded([this] { LoadFromQuery(); });
}

void TModConForm::LoadFromQuery() {
    const TQuery* query = MainForm->QueryContact;
    m_key = KeyOfCurrentRow();
    const std::pair<QLineEdit*, const char*> fields[] = {
        {Edit_ragsoc, "ragsoc"}, {Edit_Company, "company"},
        {Edit_tel, "tel"},       {Edit_Mobile, "mobile"},
        {Edit_Fax, "fax"},       {Edit_email, "email"},
        {Edit_Site, "site"},     {EDIT_indirizzo, "indirizzo"},
        {EDIT_note, "note"},     {Edit_Allegato, "allegato"},
    };
    for (const auto& [edit, column] : fields)
        edit->setText(query->FieldByName(QString::fromLatin1(column)).AsString());
    ComboBox_Contact_Group->setEditText(query->FieldByName(QStringLiteral("gruppo")).AsString());
    Edit_ragsoc->setFocus();
}

void TModConForm::SaveChanges() {
    TQuery* query = MainForm->Query_Jolly;
    query->SQL.Clear();
    for (const char* line :
         {"UPDATE QMcon26", "SET ragsoc    = :ragsoc,", "    indirizzo = :indirizzo,",
          "    tel       = :tel,", "    fax       = :fax,", "    email     = :email,",
          "    note      = :note,", "    gruppo    = :gruppo,", "    site      = :site,",
          "    company   = :company,", "    mobile    = :mobile,", "    allegato  = :allegato"})
        query->SQL.Add(QString::fromLatin1(line));
    query->SQL.Add(QStringLiteral("WHERE codcon = ") + (m_key.isEmpty() ? KeyOfCurrentRow() : m_key));
    BindFields(query);
    query->ExecSQL();
    MainForm->RefreshContactQuery();
}

void TModConForm::SpeedButtonModClick() {
    if (Guarded([this] { SaveChanges(); }))
        accept();
}

void TModConForm::SpeedButtonPrintClick() {
    PrintWidget(this);
}

bool TModConForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    if (IsEnter(event)) {
        SpeedButtonMod->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

// ---- openers on the Contacts tab ----

void TMainForm::SpeedButtonAggContactClick() {
    RunDialog<TAggConForm>(this);
    FormResize();
}

void TMainForm::SpeedButtonModContactClick() {
    ModifyCurrentRow<TModConForm>(this, QueryContact, QStringLiteral("codcon"));
}

} // namespace qm
