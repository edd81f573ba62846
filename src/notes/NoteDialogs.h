#pragma once

#include "dialogs/DialogFrame.h"

#include "notes/NoteFiles.h"
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace qm {

class TPanel;

// What the new-note and modify-note dialogs share: a title that becomes the file name in the folder
// the notes list shows, the text in the main editor's look, a copy saved elsewhere and a text opened.
class TNoteFormBase : public TDialogFrame {
    Q_OBJECT
public:
    QLineEdit* Edit_nomefile = nullptr;
    QPlainTextEdit* editor = nullptr;
    TPanel* Panel_Colored = nullptr;
    TPanel* Panel_Border = nullptr;
    QToolButton* SpeedButtonMax = nullptr; // tip
    QToolButton* SpeedButton3 = nullptr;   // "Close"
    QToolButton* SpeedButton4 = nullptr;   // "Save"
    QToolButton* SpeedButton5 = nullptr;   // "Open"

    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButtonMaxClick();

protected:
    TNoteFormBase(QWidget* owner, const QString& name, const QString& caption, const QString& tipHint);
    void AddButtons(const QList<QToolButton*>& buttons);
    // Copies the main editor's colours, font, charset and wrapping.
    void CopyEditorLook();
    // An empty title becomes the time stamp; returns the note's path (throws for a title that would
    // not name a file of the folder).
    QString TitlePath();
    // The question before a note of the title's name is replaced; true on Yes.
    bool AskOverwrite();
    void WriteText(const QString& path);
    QString m_openFilter;
    NoteEncoding m_encoding;
};

class TAggNoteForm : public TNoteFormBase {
    Q_OBJECT
public:
    explicit TAggNoteForm(QWidget* owner);
    QToolButton* SpeedButton1 = nullptr;        // "Insert"
    QToolButton* SpeedButtonAddClose = nullptr; // "Insert and close"

    void SaveNote();
    void SpeedButtonAddCloseClick();

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;
};

class TModNoteForm : public TNoteFormBase {
    Q_OBJECT
public:
    explicit TModNoteForm(QWidget* owner);
    QToolButton* SpeedButtonMod = nullptr; // "Modify"
    QToolButton* SpeedButton1 = nullptr;   // "Print"

    // False when the user would not replace another note of the new title.
    bool SaveChanges();
    void SpeedButtonModClick();

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;
};

} // namespace qm
