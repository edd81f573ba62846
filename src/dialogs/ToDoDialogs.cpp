#include "dialogs/ToDoDialogs.h"
#include "dialogs/DialogOpeners.h"

#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/MemoLimit.h"
#include "platform/widgets/Panel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <memory>

namespace qm {

namespace {

const QString kDefaultTitle = QStringLiteral("Introduce the sister to Tarquindo!");
constexpr int kDefaultTitlePriority = 69;
constexpr int kNewPriority = 5;

// A check box that tells when the mouse let go of it, after it toggled; keys toggle it silently.
class TMouseUpCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;
    std::function<void()> OnMouseUp;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QCheckBox::mouseReleaseEvent(event);
        if (OnMouseUp)
            OnMouseUp();
    }
};

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
    return QString::number(MainForm->QueryToDo->FieldByName(QStringLiteral("codtod")).AsInteger());
}

} // namespace

// ---- shared part ----

TToDoFormBase::TToDoFormBase(QWidget* owner, const QString& name, const QString& caption)
    : TDialogFrame(
          owner, {QStringLiteral("Panel_Bordo"), QStringLiteral("Panel_colored"), QStringLiteral("Panel1")}) {
    setObjectName(name);
    setWindowTitle(caption);
    Panel_colored = BottomPanel();
    resize(440, 300);
}

void TToDoFormBase::BuildFields(QWidget* percentageRow) {
    QWidget* p = InnerPanel();
    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);

    auto* priorityRow = new QHBoxLayout;
    priorityRow->addWidget(Caption(p, QStringLiteral("Priority"), true));
    SpinEdit_Priority = new QSpinBox(p);
    SpinEdit_Priority->setObjectName(QStringLiteral("SpinEdit_Priority"));
    SpinEdit_Priority->setRange(1, 99);
    SpinEdit_Priority->setValue(kNewPriority);
    SpinEdit_Priority->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    priorityRow->addWidget(SpinEdit_Priority);
    priorityRow->addStretch(1);
    layout->addLayout(priorityRow);
    connect(SpinEdit_Priority, &QSpinBox::editingFinished, this, [this] { Priority(); });
    if (percentageRow)
        layout->addWidget(percentageRow);

    layout->addWidget(Caption(p, QStringLiteral("Description"), true));
    Edit_id = MakeEdit(p, QStringLiteral("Edit_id"), QString());
    LimitLineLength(Edit_id, 255);
    layout->addWidget(Edit_id);

    layout->addWidget(Caption(p, QStringLiteral("Note")));
    Memo = new QPlainTextEdit(p);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setTabChangesFocus(true);
    layout->addWidget(Memo, 1);
    LimitMemoLength(Memo, MemoMaxLength);

    for (QWidget* field : {static_cast<QWidget*>(SpinEdit_Priority), static_cast<QWidget*>(Edit_id),
                           static_cast<QWidget*>(Memo)})
        ColourOnFocus(field);
}

void TToDoFormBase::AddCloseButton() {
    SpeedButton3 = MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButton3"), QStringLiteral("Close"),
                                   QStringLiteral("Close"), QStyle::SP_DialogCloseButton);
    ButtonLayout()->addWidget(SpeedButton3);
    connect(SpeedButton3, &QToolButton::clicked, this, &QDialog::reject);
}

int TToDoFormBase::Priority() {
    bool ok = false;
    const int typed = SpinEdit_Priority->cleanText().trimmed().toInt(&ok);
    const int value = ok ? std::clamp(typed, 1, 99) : 1;
    SpinEdit_Priority->setValue(value);
    return value;
}

void TToDoFormBase::ApplyDefaultTitle() {
    if (!Edit_id->text().isEmpty())
        return;
    Edit_id->setText(kDefaultTitle);
    SpinEdit_Priority->setValue(kDefaultTitlePriority);
}

// Enter in the description or the priority saves; in the note it starts a new line.
bool TToDoFormBase::IsEnterField(QObject* target) const {
    auto* widget = qobject_cast<QWidget*>(target);
    return widget &&
           (widget == Edit_id || widget == SpinEdit_Priority || SpinEdit_Priority->isAncestorOf(widget));
}

// ---- add ----

TAggToDoForm::TAggToDoForm(QWidget* owner)
    : TToDoFormBase(owner, QStringLiteral("AggToDoForm"), QStringLiteral("-> Add in To-Do List")) {
    BuildFields(nullptr);
    SpeedButton1 = MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButton1"), QStringLiteral("Insert"),
                                   QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
    SpeedButtonAddClose = MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonAddClose"),
                                          QStringLiteral("Insert and close"),
                                          QStringLiteral("Insert and close"), QStyle::SP_DialogSaveButton);
    ButtonLayout()->addWidget(SpeedButton1);
    ButtonLayout()->addWidget(SpeedButtonAddClose);
    AddCloseButton();
    connect(SpeedButton1, &QToolButton::clicked, this, &TAggToDoForm::SpeedButton1Click);
    connect(SpeedButtonAddClose, &QToolButton::clicked, this, &TAggToDoForm::SpeedButtonAddCloseClick);
    QWidget::setTabOrder(SpinEdit_Priority, Edit_id);
    QWidget::setTabOrder(Edit_id, Memo);
}

void TAggToDoForm::FormShow() {
    SetSectionColor(MainForm->SectionColors.TodoColor);
    ClearFields();
}

void TAggToDoForm::ClearFields() {
    SpinEdit_Priority->setValue(kNewPriority);
    Edit_id->clear();
    Memo->clear();
    Edit_id->setFocus();
}

void TAggToDoForm::SaveToDo() {
    ApplyDefaultTitle();
    TQuery* query = MainForm->Query_Jolly;
    query->SQL.Clear();
    query->SQL.Add(QStringLiteral("INSERT INTO QMtod90"));
    query->SQL.Add(QStringLiteral("(id,note,priority,flag,percento)"));
    query->SQL.Add(QStringLiteral("values (:id,:note,:priority,:flag,:percento)"));
    query->ParamByName(QStringLiteral("id")).SetAsString(Edit_id->text());
    query->ParamByName(QStringLiteral("note")).SetAsString(MemoText(Memo));
    query->ParamByName(QStringLiteral("priority")).SetAsFloat(Priority());
    query->ParamByName(QStringLiteral("flag")).SetAsString(QStringLiteral("No"));
    query->ParamByName(QStringLiteral("percento")).SetAsFloat(0);
    query->ExecSQL();
    MainForm->RefreshToDoQuery();
}

void TAggToDoForm::SpeedButton1Click() {
    if (Guarded([this] { SaveToDo(); }))
        ClearFields();
}

void TAggToDoForm::SpeedButtonAddCloseClick() {
    if (Guarded([this] { SaveToDo(); }))
        accept();
}

bool TAggToDoForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && IsEnterField(target)) {
        SpeedButtonAddClose->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

// ---- modify ----

TModToDoForm::TModToDoForm(QWidget* owner)
    : TToDoFormBase(owner, QStringLiteral("ModToDoForm"), QStringLiteral("-> Modify in To-Do List")) {
    auto* row = new QWidget(InnerPanel());
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(Caption(row, QStringLiteral("Percentage"), true));
    Label_Percentage = MakeLabel(row, QStringLiteral("Label_Percentage"), QStringLiteral("0%"));
    Label_Percentage->setMinimumWidth(
        Label_Percentage->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    rowLayout->addWidget(Label_Percentage);
    TrackBarPercento = new QSlider(Qt::Horizontal, row);
    TrackBarPercento->setObjectName(QStringLiteral("TrackBarPercento"));
    TrackBarPercento->setRange(0, 100);
    TrackBarPercento->setSingleStep(1);
    TrackBarPercento->setTickPosition(QSlider::NoTicks);
    rowLayout->addWidget(TrackBarPercento, 1);
    auto* solved = new TMouseUpCheckBox(row);
    solved->setObjectName(QStringLiteral("CheckBoxSolved"));
    solved->OnMouseUp = [this] { CheckBoxSolvedMouseUp(); };
    CheckBoxSolved = solved;
    rowLayout->addWidget(CheckBoxSolved);
    BuildFields(row);
    ColourOnFocus(TrackBarPercento);
    ColourOnFocus(CheckBoxSolved);
    connect(TrackBarPercento, &QSlider::valueChanged, this, &TModToDoForm::TrackBarPercentoChange);

    SpeedButtonPrint =
        MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonPrint"), QStringLiteral("Print"),
                        QStringLiteral("Print"), QStyle::SP_ComputerIcon);
    SpeedButtonMod =
        MakeSpeedButton(Panel_colored, QStringLiteral("SpeedButtonMod"), QStringLiteral("Modify"),
                        QStringLiteral("Modify"), QStyle::SP_DialogSaveButton);
    ButtonLayout()->insertWidget(0, SpeedButtonPrint);
    ButtonLayout()->addWidget(SpeedButtonMod);
    AddCloseButton();
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TModToDoForm::SpeedButtonPrintClick);
    connect(SpeedButtonMod, &QToolButton::clicked, this, &TModToDoForm::SpeedButtonModClick);

    QWidget::setTabOrder(SpinEdit_Priority, TrackBarPercento);
    QWidget::setTabOrder(TrackBarPercento, CheckBoxSolved);
    QWidget::setTabOrder(CheckBoxSolved, Edit_id);
    QWidget::setTabOrder(Edit_id, Memo);
}

void TModToDoForm::FormShow() {
    SetSectionColor(MainForm->SectionColors.TodoColor);
    Guarded([this] { LoadFromQuery(); });
}

void TModToDoForm::LoadFromQuery() {
    const TQuery* query = MainForm->QueryToDo;
    m_key = KeyOfCurrentRow();
    TrackBarPercento->setValue(int(query->FieldByName(QStringLiteral("percento")).AsInteger()));
    // setValue does not signal when the position stays at 0; the label and box follow anyway.
    TrackBarPercentoChange();
    SpinEdit_Priority->setValue(int(query->FieldByName(QStringLiteral("priority")).AsInteger()));
    Edit_id->setText(query->FieldByName(QStringLiteral("id")).AsString());
    QString note = query->FieldByName(QStringLiteral("note")).AsString();
    SetMemoText(Memo, note);
    CheckBoxSolved->setChecked(query->FieldByName(QStringLiteral("flag")).AsString() == QLatin1String("Yes"));
    Edit_id->setFocus();
}

void TModToDoForm::SaveChanges() {
    ApplyDefaultTitle();
    TQuery* query = MainForm->Query_Jolly;
    query->SQL.Clear();
    query->SQL.Add(QStringLiteral("UPDATE QMtod90"));
    query->SQL.Add(QStringLiteral("SET id         = :id,"));
    query->SQL.Add(QStringLiteral("    note       = :note,"));
    query->SQL.Add(QStringLiteral("    priority   = :priority,"));
    query->SQL.Add(QStringLiteral("    flag       = :flag,"));
    query->SQL.Add(QStringLiteral("    percento   = :percento"));
    query->SQL.Add(QStringLiteral("WHERE codtod = ") + (m_key.isEmpty() ? KeyOfCurrentRow() : m_key));
    query->ParamByName(QStringLiteral("id")).SetAsString(Edit_id->text());
    query->ParamByName(QStringLiteral("note")).SetAsString(MemoText(Memo));
    query->ParamByName(QStringLiteral("priority")).SetAsFloat(Priority());
    query->ParamByName(QStringLiteral("flag"))
        .SetAsString(CheckBoxSolved->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No"));
    query->ParamByName(QStringLiteral("percento")).SetAsFloat(TrackBarPercento->value());
    query->ExecSQL();
    MainForm->RefreshToDoQuery();
}

void TModToDoForm::SpeedButtonModClick() {
    if (Guarded([this] { SaveChanges(); }))
        accept();
}

void TModToDoForm::SpeedButtonPrintClick() {
    PrintWidget(this);
}

void TModToDoForm::TrackBarPercentoChange() {
    const int position = TrackBarPercento->value();
    Label_Percentage->setText(QString::number(position) + QStringLiteral("%"));
    CheckBoxSolved->setChecked(position >= 100);
}

void TModToDoForm::CheckBoxSolvedMouseUp() {
    TrackBarPercento->setValue(CheckBoxSolved->isChecked() ? 100 : 0);
}

bool TModToDoForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && IsEnterField(target)) {
        SpeedButtonMod->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

// ---- openers on the To-Do! tab ----

void TMainForm::SpeedButtonAggToDoClick() {
    RunDialog<TAggToDoForm>(this);
    FormResize();
}

void TMainForm::SpeedButtonModToDoClick() {
    ModifyCurrentRow<TModToDoForm>(this, QueryToDo, QStringLiteral("codtod"));
}

} // namespace qm
