#pragma once

#include "dialogs/DialogFrame.h"

#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QSpinBox;
class QToolButton;
class QVBoxLayout;

namespace qm {

class TPanel;

// What the add and modify dialogs of the to-do list share: priority, description and note on the
// borderless frame in the To-Do! colour.
class TToDoFormBase : public TDialogFrame {
    Q_OBJECT
public:
    static constexpr int MemoMaxLength = 255;

    TPanel* Panel_colored = nullptr;
    QSpinBox* SpinEdit_Priority = nullptr;
    QLineEdit* Edit_id = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QToolButton* SpeedButton3 = nullptr; // "Close"

    // The priority as stored: a text that is no number reads as 1, others are brought into 1 to 99
    // (and the field shows what is taken).
    int Priority();

protected:
    explicit TToDoFormBase(QWidget* owner, const QString& name, const QString& caption);

    // Puts the priority, the track-bar row (modify only) and the text fields in tab order.
    void BuildFields(QWidget* percentageRow);
    void AddCloseButton();
    // An empty description is replaced, and the priority with it.
    void ApplyDefaultTitle();
    bool IsEnterField(QObject* target) const;
};

class TAggToDoForm : public TToDoFormBase {
    Q_OBJECT
public:
    explicit TAggToDoForm(QWidget* owner);

    QToolButton* SpeedButton1 = nullptr;        // "Insert"
    QToolButton* SpeedButtonAddClose = nullptr; // "Insert and close"

    void SaveToDo();
    void ClearFields();
    void SpeedButton1Click();
    void SpeedButtonAddCloseClick();

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;
};

class TModToDoForm : public TToDoFormBase {
    Q_OBJECT
public:
    explicit TModToDoForm(QWidget* owner);

    QSlider* TrackBarPercento = nullptr;
    QCheckBox* CheckBoxSolved = nullptr;
    QLabel* Label_Percentage = nullptr;
    QToolButton* SpeedButtonMod = nullptr;   // "Modify"
    QToolButton* SpeedButtonPrint = nullptr; // "Print"

    void LoadFromQuery();
    void SaveChanges();
    void SpeedButtonModClick();
    void SpeedButtonPrintClick();
    void TrackBarPercentoChange();
    void CheckBoxSolvedMouseUp();

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;

private:
    QString m_key; // the edited row's codtod, read when the dialog loads
};

} // namespace qm
