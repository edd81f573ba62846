#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QToolButton;

namespace qm {

class TMainForm;
class TPanel;
class TQuery;
class TDBGrid;
class TDBMemo;

// The five list tabs that share one family of actions.
enum class ListKind { Shot, Year, Month, Week, Contact };

// The controls, table and texts of one list tab, so that each action is written once.
struct ListTab {
    TQuery* query = nullptr;
    TPanel* countPanel = nullptr;
    TDBGrid* grid = nullptr;
    TDBMemo* memo = nullptr; // none on the Contacts tab
    QToolButton* add = nullptr;
    QToolButton* modify = nullptr;
    QToolButton* remove = nullptr;
    QToolButton* clone = nullptr;
    QToolButton* print = nullptr;
    QToolButton* tip = nullptr;
    QToolButton* order = nullptr;
    QToolButton* clear = nullptr;
    QLineEdit* find = nullptr;
    QComboBox* kind = nullptr;
    QString* orderField = nullptr; // "" or "DESC"
    void (TMainForm::*refresh)() = nullptr;
    QString table;
    QString keyField;
    QString titleField;
    QStringList insertLines; // the clone statement
    QString tipText;
    // Buttons that only make sense on a row: they follow the list's emptiness.
    QList<QToolButton*> rowButtons;
};

ListTab ListTabOf(TMainForm& form, ListKind kind);

void SetButtonsEnabled(const QList<QToolButton*>& buttons, bool enabled);

// Opens a view query and writes its row count into the count panel. When the open fails the
// panel is emptied and the row buttons disabled, so nothing stale is offered, and the error goes on
// to the caller (the application's guard shows it once).
void OpenListQuery(TQuery* query, TPanel* countPanel, const QList<QToolButton*>& rowButtons);

// While one lives, the refresh routines build their statements but OpenListQuery opens nothing
// (the start-up road checks a list's statement before it defers its opening).
class ListStatementsOnly {
public:
    ListStatementsOnly();
    ~ListStatementsOnly();
    ListStatementsOnly(const ListStatementsOnly&) = delete;
    ListStatementsOnly& operator=(const ListStatementsOnly&) = delete;
};

// The LIKE pattern of a find text: the text anywhere, its own % and _ still wildcards.
inline QString ContainsPattern(const QString& text) {
    return QStringLiteral("%") + text + QStringLiteral("%");
}

} // namespace qm
