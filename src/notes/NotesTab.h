#pragma once

#include "notes/NoteFiles.h"
#include <QString>

class QComboBox;
class QDialog;
class QLineEdit;
class QMenu;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;
class QSplitter;
class QToolButton;

namespace qm {

class TFileListBox;
class TPanel;

// The controls of the Notes tab: the list of note files and the editor.
struct NotesTab {
    TPanel* Panel_Contorno_Notes2 = nullptr;
    TPanel* Panel_ListaNote_Size = nullptr;
    TPanel* Panel_nomeCompleto = nullptr;
    QSplitter* SplitterNote = nullptr;
    TFileListBox* FileListBoxNote = nullptr;
    QPlainTextEdit* Editor = nullptr;
    TPanel* Panel_Format = nullptr;
    QComboBox* ComboBox_Fonts = nullptr;
    QSpinBox* SpinEdit_Size = nullptr;
    TPanel* Panel_Font_Color = nullptr;
    TPanel* Panel_Editor_Color = nullptr;
    QToolButton* SpeedButton_Breakline = nullptr;
    QToolButton* SpeedButton_Formatbar = nullptr;
    QToolButton* SpeedButton_Aggiorna_Editor_Setup = nullptr;
    QToolButton* SpeedButtonUpdate = nullptr;
    QToolButton* SpeedButtonAggNote = nullptr;
    QToolButton* SpeedButtonmodNote = nullptr;
    QToolButton* SpeedButtonDelnote = nullptr;
    QToolButton* SpeedButtonPrintNote = nullptr;
    QToolButton* SpeedButtonRinfrescaNote = nullptr;
    QToolButton* SpeedButtonFind = nullptr;
    QToolButton* SpeedButtonRestoreNote = nullptr;
    QToolButton* SpeedButtonSaveAs = nullptr;
    QToolButton* SpeedButtonAggData = nullptr;
    QToolButton* SpeedButtonStat = nullptr;
    QToolButton* SpeedButton_CharMap = nullptr;
    QToolButton* SpeedButton_Calc = nullptr;
    QToolButton* SpeedButtonLancia = nullptr;
    QToolButton* SpeedButton_NoteHome = nullptr;
    QToolButton* SpeedButtonSpiegazioneImpegno = nullptr;
    QLineEdit* Edit_Filtrafile = nullptr;
    TPanel* Panel_totnote = nullptr;
    TPanel* Panel_CharSet = nullptr;
    QMenu* PopupMenu_CharSet = nullptr;
    QToolButton* SpeedButton7 = nullptr; // opens the listed folder in the file manager
    QToolButton* SpeedButton2 = nullptr; // favourite folders
    QToolButton* SpeedButton10 = nullptr;
    QToolButton* SpeedButtonOpen = nullptr; // toggle: down while the list is hidden
    QToolButton* SpeedButtonImportText = nullptr;
    QToolButton* SpeedButtonExeguiSelezione = nullptr; // toggle: down while the active note is off

    // What the notes list shows: its folder (no trailing "/") and file mask.
    QString NoteListDirectory;
    QString NoteListMask = QStringLiteral("*.*");
    // Full path of the note a list click or a drop last loaded; the save questions name it.
    QString CurrentNoteFile;
    // The encoding the note in the editor was read with, so that it is written back byte for byte.
    NoteEncoding CurrentNoteEncoding;
    // The row of the note the list last opened, to tell a pick of another note from a reload.
    int NoteListRow = -1;
    // The user answered No to the filter's question: typing a mask then asks no more until the
    // editor's text changes again.
    bool NoteDropAgreed = false;
    QDialog* FindDialog1 = nullptr;
    QLineEdit* FindDialog1Text = nullptr;
};

// Opens a file or folder with the desktop's handler; when nothing opens it, the user is told so.
void OpenWithDesktop(const QString& target);

} // namespace qm
