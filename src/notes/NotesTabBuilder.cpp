#include "app/MainForm.h"
#include "platform/Application.h"
#include "platform/Charsets.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FileListBox.h"
#include "platform/widgets/Panel.h"

#include <QActionGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

void TMainForm::BuildNotesTab() {
    auto* sheetLayout = new QVBoxLayout(TabSheetNotes);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    Panel_Contorno_Notes2 = new TPanel(TabSheetNotes, QStringLiteral("Panel_Contorno_Notes2"));
    sheetLayout->addWidget(Panel_Contorno_Notes2);
    auto* body = new QVBoxLayout(Panel_Contorno_Notes2);
    body->setContentsMargins(5, 5, 5, 5);

    auto* bar = new TPanel(Panel_Contorno_Notes2, QStringLiteral("Panel_Note"));
    bar->setFrameShape(QFrame::StyledPanel);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(3, 2, 3, 2);
    barLayout->setSpacing(2);
    SpeedButtonAggNote = MakeSpeedButton(bar, QStringLiteral("SpeedButtonAggNote"), QString(),
                                         QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
    SpeedButtonmodNote = MakeSpeedButton(bar, QStringLiteral("SpeedButtonmodNote"), QString(),
                                         QStringLiteral("Modify"), QStyle::SP_FileDialogDetailedView);
    SpeedButtonDelnote = MakeSpeedButton(bar, QStringLiteral("SpeedButtonDelnote"), QString(),
                                         QStringLiteral("Delete"), QStyle::SP_TrashIcon);
    SpeedButtonUpdate = MakeSpeedButton(bar, QStringLiteral("SpeedButtonUpdate"), QString(),
                                        QStringLiteral("Update file"), QStyle::SP_DialogSaveButton);
    SpeedButtonUpdate->setEnabled(false);
    SpeedButtonPrintNote = MakeSpeedButton(bar, QStringLiteral("SpeedButtonPrintNote"), QString(),
                                           QStringLiteral("Print"), QStyle::SP_ComputerIcon);
    SpeedButtonRinfrescaNote = MakeSpeedButton(bar, QStringLiteral("SpeedButtonRinfrescaNote"), QString(),
                                               QStringLiteral("Refresh"), QStyle::SP_BrowserReload);
    SpeedButton_Breakline =
        MakeSpeedButton(bar, QStringLiteral("SpeedButton_Breakline"), QString(),
                        QStringLiteral("Break lines"), QStyle::SP_ToolBarVerticalExtensionButton);
    SpeedButton_Breakline->setCheckable(true);
    SpeedButton_Formatbar =
        MakeSpeedButton(bar, QStringLiteral("SpeedButton_Formatbar"), QString(),
                        QStringLiteral("Editor properties"), QStyle::SP_FileDialogListView);
    SpeedButton_Formatbar->setCheckable(true);
    SpeedButtonFind = MakeSpeedButton(bar, QStringLiteral("SpeedButtonFind"), QString(),
                                      QStringLiteral("Find"), QStyle::SP_FileDialogContentsView);
    SpeedButtonRestoreNote = MakeSpeedButton(bar, QStringLiteral("SpeedButtonRestoreNote"), QString(),
                                             QStringLiteral("Undo/redo"), QStyle::SP_ArrowBack);
    SpeedButtonSaveAs = MakeSpeedButton(bar, QStringLiteral("SpeedButtonSaveAs"), QString(),
                                        QStringLiteral("Export"), QStyle::SP_DriveFDIcon);
    SpeedButtonAggData =
        MakeSpeedButton(bar, QStringLiteral("SpeedButtonAggData"), QString(),
                        QStringLiteral("Insert date and time"), QStyle::SP_FileDialogInfoView);
    SpeedButtonStat = MakeSpeedButton(bar, QStringLiteral("SpeedButtonStat"), QString(),
                                      QStringLiteral("Stats"), QStyle::SP_MessageBoxInformation);
    SpeedButton_CharMap = MakeSpeedButton(bar, QStringLiteral("SpeedButton_CharMap"),
                                          QStringLiteral("\u03a9"), QStringLiteral("Char map"));
    SpeedButton_Calc = MakeSpeedButton(bar, QStringLiteral("SpeedButton_Calc"), QStringLiteral("\u00b1"),
                                       QStringLiteral("Calculator"));
    SpeedButtonLancia = MakeSpeedButton(bar, QStringLiteral("SpeedButtonLancia"), QString(),
                                        QStringLiteral("Launch!"), QStyle::SP_MediaPlay);
    SpeedButton_NoteHome = MakeSpeedButton(bar, QStringLiteral("SpeedButton_NoteHome"), QString(),
                                           QStringLiteral("Default folder"), QStyle::SP_DirHomeIcon);
    SpeedButton7 = MakeSpeedButton(bar, QStringLiteral("SpeedButton7"), QString(), QStringLiteral("Open"),
                                   QStyle::SP_DirOpenIcon);
    SpeedButton2 = MakeSpeedButton(bar, QStringLiteral("SpeedButton2"), QString(),
                                   QStringLiteral("Favourite folders"), QStyle::SP_DirLinkIcon);
    SpeedButtonImportText = MakeSpeedButton(bar, QStringLiteral("SpeedButtonImportText"), QString(),
                                            QStringLiteral("Import"), QStyle::SP_ArrowDown);
    SpeedButtonOpen = MakeSpeedButton(bar, QStringLiteral("SpeedButtonOpen"), QString(),
                                      QStringLiteral("Show/hide note's list"), QStyle::SP_ArrowLeft);
    SpeedButtonOpen->setCheckable(true);
    SpeedButton10 =
        MakeSpeedButton(bar, QStringLiteral("SpeedButton10"), QStringLiteral("?"), QStringLiteral("Tip"));
    // Two rows, so that the tab never makes the window wider than its smallest size.
    for (QToolButton* b :
         {SpeedButtonAggNote, SpeedButtonmodNote, SpeedButtonDelnote, SpeedButtonUpdate, SpeedButtonPrintNote,
          SpeedButtonRinfrescaNote, SpeedButtonLancia, SpeedButton_NoteHome, SpeedButton7, SpeedButton2,
          SpeedButtonImportText, SpeedButtonOpen, SpeedButton10})
        barLayout->addWidget(b);
    barLayout->addStretch(1);
    body->addWidget(bar);

    Panel_Format = new TPanel(Panel_Contorno_Notes2, QStringLiteral("Panel_Format"));
    auto* formatLayout = new QHBoxLayout(Panel_Format);
    formatLayout->setContentsMargins(3, 2, 3, 2);
    ComboBox_Fonts = new QComboBox(Panel_Format);
    ComboBox_Fonts->setObjectName(QStringLiteral("ComboBox_Fonts"));
    ComboBox_Fonts->setEditable(true);
    SpinEdit_Size = new QSpinBox(Panel_Format);
    SpinEdit_Size->setObjectName(QStringLiteral("SpinEdit_Size"));
    SpinEdit_Size->setRange(8, 72);
    // The editor takes a size once it is complete, not at every digit typed.
    SpinEdit_Size->setKeyboardTracking(false);
    Panel_Font_Color = new TPanel(Panel_Format, QStringLiteral("Panel_Font_Color"));
    Panel_Font_Color->setFixedSize(24, 20);
    Panel_Editor_Color = new TPanel(Panel_Format, QStringLiteral("Panel_Editor_Color"));
    Panel_Editor_Color->setFixedSize(24, 20);
    SpeedButton_Aggiorna_Editor_Setup =
        MakeSpeedButton(Panel_Format, QStringLiteral("SpeedButton_Aggiorna_Editor_Setup"),
                        QStringLiteral("Save default"), QStringLiteral("Save default"));
    SpeedButton_Aggiorna_Editor_Setup->setEnabled(false);
    formatLayout->addWidget(ComboBox_Fonts);
    formatLayout->addWidget(SpinEdit_Size);
    formatLayout->addWidget(Panel_Font_Color);
    formatLayout->addWidget(Panel_Editor_Color);
    Panel_CharSet = new TPanel(Panel_Format, QStringLiteral("Panel_CharSet"));
    Panel_CharSet->SetCaption(QStringLiteral("Charset"));
    Panel_CharSet->setToolTip(QStringLiteral("Charset"));
    Panel_CharSet->setFixedSize(60, 20);
    PopupMenu_CharSet = new QMenu(this);
    PopupMenu_CharSet->setObjectName(QStringLiteral("PopupMenu_CharSet"));
    auto* charsetGroup = new QActionGroup(PopupMenu_CharSet);
    for (const auto& [caption, code] : kWindowsCharsets) {
        QAction* item = PopupMenu_CharSet->addAction(QString::fromLatin1(caption));
        item->setData(code);
        charsetGroup->addAction(item);
    }
    formatLayout->addWidget(Panel_CharSet);
    formatLayout->addWidget(SpeedButton_Aggiorna_Editor_Setup);
    formatLayout->addStretch(1);
    Panel_Format->hide();
    body->addWidget(Panel_Format);

    auto* filterBar = new QHBoxLayout;
    filterBar->setContentsMargins(0, 0, 0, 0);
    SpeedButtonExeguiSelezione =
        MakeSpeedButton(Panel_Contorno_Notes2, QStringLiteral("SpeedButtonExeguiSelezione"), QString(),
                        QStringLiteral("Disable/Enable the active note function"), QStyle::SP_CommandLink);
    SpeedButtonExeguiSelezione->setCheckable(true);
    for (QToolButton* b : {SpeedButtonFind, SpeedButtonRestoreNote, SpeedButtonSaveAs, SpeedButtonAggData,
                           SpeedButtonStat, SpeedButton_CharMap, SpeedButton_Calc, SpeedButton_Breakline,
                           SpeedButton_Formatbar, SpeedButtonExeguiSelezione})
        filterBar->addWidget(b);
    ConnectGuarded(SpeedButton_CharMap, &QToolButton::clicked, this, [this] { SpeedButton_CharMapClick(); });
    ConnectGuarded(SpeedButton_Calc, &QToolButton::clicked, this, [this] { SpeedButton_CalcClick(); });
    Edit_Filtrafile =
        MakeEdit(Panel_Contorno_Notes2, QStringLiteral("Edit_Filtrafile"), QStringLiteral("Filtering mask"));
    Edit_Filtrafile->setText(QStringLiteral("*.*"));
    SpeedButtonSpiegazioneImpegno =
        MakeSpeedButton(Panel_Contorno_Notes2, QStringLiteral("SpeedButtonSpiegazioneImpegno"),
                        QStringLiteral("?"), QStringLiteral("Tip"));
    Panel_totnote = new TPanel(Panel_Contorno_Notes2, QStringLiteral("Panel_totnote"));
    Panel_totnote->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel_totnote->setFixedWidth(60);
    filterBar->addWidget(Edit_Filtrafile, 1);
    filterBar->addWidget(SpeedButtonSpiegazioneImpegno);
    filterBar->addWidget(Panel_totnote);
    body->addLayout(filterBar);

    Panel_nomeCompleto = new TPanel(Panel_Contorno_Notes2, QStringLiteral("Panel_nomeCompleto"));
    Panel_nomeCompleto->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel_nomeCompleto->setFixedHeight(22);
    body->addWidget(Panel_nomeCompleto);

    SplitterNote = new QSplitter(Qt::Horizontal, Panel_Contorno_Notes2);
    SplitterNote->setObjectName(QStringLiteral("SplitterNote"));
    Panel_ListaNote_Size = new TPanel(SplitterNote, QStringLiteral("Panel_ListaNote_Size"));
    auto* listLayout = new QVBoxLayout(Panel_ListaNote_Size);
    listLayout->setContentsMargins(0, 0, 0, 0);
    FileListBoxNote = new TFileListBox(Panel_ListaNote_Size);
    FileListBoxNote->setObjectName(QStringLiteral("FileListBoxNote"));
    FileListBoxNote->setSortingEnabled(false);
    listLayout->addWidget(FileListBoxNote);
    Editor = new QPlainTextEdit(SplitterNote);
    Editor->setObjectName(QStringLiteral("Editor"));
    SplitterNote->addWidget(Panel_ListaNote_Size);
    SplitterNote->addWidget(Editor);
    SplitterNote->setStretchFactor(1, 1);
    Panel_ListaNote_Size->resize(180, Panel_ListaNote_Size->height());
    SplitterNote->setSizes({180, 440});
    body->addWidget(SplitterNote, 1);
}

} // namespace qm
