#pragma once

class QComboBox;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;
class QSplitter;
class QToolButton;

namespace qm {

class TPanel;

// The controls of the Notes tab: the list of note files and the editor.
struct NotesTab {
    TPanel* Panel_Contorno_Notes2 = nullptr;
    TPanel* Panel_ListaNote_Size = nullptr;
    TPanel* Panel_nomeCompleto = nullptr;
    QSplitter* SplitterNote = nullptr;
    QListWidget* FileListBoxNote = nullptr;
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
};

} // namespace qm
