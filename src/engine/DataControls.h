#pragma once

#include "engine/Query.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QPlainTextEdit>
#include <QTableView>
#include <functional>

namespace qm {

// One column of a data grid: the field it shows, its title, width and alignment.
struct TColumn {
    QString FieldName;
    QString Title;
    int Width = 64;
    Qt::Alignment Alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool Visible = true;
};

// The rows of an open query as a table model. Values are read from the query only for the cells
// that are painted, so a list of any length costs nothing beyond its visible rows.
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    QueryModel(TQuery* query, QObject* parent = nullptr);

    void SetColumns(const QList<TColumn>& columns);
    const QList<TColumn>& Columns() const { return m_columns; }
    TQuery* Query() const { return m_query; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void ResolveFields();

    TQuery* m_query;
    QList<TColumn> m_columns;
    QList<int> m_fieldIndexes;
};

// What a cell-drawing handler may change before the grid draws the cell.
struct TCellCanvas {
    QColor Brush;
    QColor FontColor;
    QFont Font;
};

struct TDrawState {
    bool Selected = false;
    bool Focused = false;
};

// A data-aware grid on a query: whole-row selection that follows the query's current row both
// ways, columns of fixed fields, and an owner hook for each painted cell.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr, const QString& objectName = QString());

    void SetQuery(TQuery* query);
    TQuery* Query() const { return m_query; }

    void SetColumns(const QList<TColumn>& columns);
    int ColumnCount() const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    const TColumn& Column(int column) const;
    int ClientWidth() const;

    // The colour of the title row (the section colour).
    void SetFixedColor(const QColor& color);
    QColor FixedColor() const { return m_fixedColor; }

    // Called for every painted data cell; the record is the row being painted.
    using DrawColumnCellHandler =
        std::function<void(TCellCanvas& canvas, const TRecord& record, int column, const TDrawState& state)>;
    void SetOnDrawColumnCell(DrawColumnCellHandler handler) { m_drawCell = std::move(handler); }
    const DrawColumnCellHandler& OnDrawColumnCell() const { return m_drawCell; }

signals:
    void DblClick();
    void KeyPress(QChar key);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void FollowQuery();
    void ApplyColumnLayout();
    void FitRowsToFont();

    TQuery* m_query = nullptr;
    QueryModel* m_model = nullptr;
    QList<TColumn> m_pendingColumns;
    QColor m_fixedColor;
    DrawColumnCellHandler m_drawCell;
    bool m_syncing = false;
};

// A read-only memo that shows one field of its query's current row.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr, const QString& objectName = QString());
    void SetDataField(TQuery* query, const QString& fieldName);

signals:
    void MouseDown();
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void ShowCurrent();
    TQuery* m_query = nullptr;
    QString m_fieldName;
};

} // namespace qm
