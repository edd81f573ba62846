#include "engine/DataControls.h"

#include "platform/Contrast.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace qm {

QueryModel::QueryModel(TQuery* query, QObject* parent) : QAbstractTableModel(parent), m_query(query) {
    connect(m_query, &TQuery::ResultChanged, this, [this] {
        beginResetModel();
        ResolveFields();
        endResetModel();
    });
    ResolveFields();
}

void QueryModel::SetColumns(const QList<TColumn>& columns) {
    beginResetModel();
    m_columns = columns;
    ResolveFields();
    endResetModel();
}

void QueryModel::ResolveFields() {
    m_fieldIndexes.clear();
    for (const TColumn& column : m_columns)
        m_fieldIndexes.append(m_query->FieldIndex(column.FieldName));
}

int QueryModel::rowCount(const QModelIndex& parent) const {
    // A list that waits for its first showing paints empty until it opens.
    return parent.isValid() || !m_query->IsOpenNow() ? 0 : m_query->RecordCount();
}

int QueryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= m_fieldIndexes.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[index.column()].Alignment);
    if (role != Qt::DisplayRole)
        return {};
    const int field = m_fieldIndexes[index.column()];
    if (field < 0)
        return {};
    return TField(m_query, index.row(), field).AsString();
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns.size())
        return m_columns[section].Title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

namespace {

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(TDBGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        TCellCanvas canvas;
        const bool selected = opt.state & QStyle::State_Selected;
        canvas.Brush = selected ? opt.palette.color(QPalette::Highlight) : opt.palette.color(QPalette::Base);
        canvas.FontColor =
            selected ? opt.palette.color(QPalette::HighlightedText) : opt.palette.color(QPalette::Text);
        canvas.Font = opt.font;
        if (m_grid->OnDrawColumnCell() && m_grid->Query()) {
            TDrawState state;
            state.Selected = selected;
            state.Focused = selected && m_grid->hasFocus();
            m_grid->OnDrawColumnCell()(canvas, m_grid->Query()->Record(index.row()), index.column(), state);
        }
        painter->save();
        painter->fillRect(opt.rect, canvas.Brush);
        // Whatever colours the row was given, its text stays readable on them.
        painter->setPen(InkAgainst(canvas.FontColor, canvas.Brush));
        painter->setFont(canvas.Font);
        const QRect textRect = opt.rect.adjusted(3, 0, -3, 0);
        const QString text = QFontMetrics(canvas.Font).elidedText(opt.text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, int(opt.displayAlignment) | Qt::TextSingleLine, text);
        // The list with the keyboard frames its current row, so that a focused list can be told
        // from the others.
        if (selected && m_grid->hasFocus())
            FrameFocusedRow(painter, opt.rect, index, InkAgainst(canvas.FontColor, canvas.Brush));
        painter->restore();
    }

private:
    void FrameFocusedRow(QPainter* painter, const QRect& cell, const QModelIndex& index,
                         const QColor& ink) const {
        const QRect r = cell.adjusted(0, 0, -1, -1);
        painter->setPen(QPen(ink, 1, Qt::DotLine));
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        const QHeaderView* header = m_grid->horizontalHeader();
        if (header->visualIndex(index.column()) == FirstShown(header))
            painter->drawLine(r.topLeft(), r.bottomLeft());
        if (header->visualIndex(index.column()) == LastShown(header))
            painter->drawLine(r.topRight(), r.bottomRight());
    }
    static int FirstShown(const QHeaderView* header) {
        for (int v = 0; v < header->count(); ++v)
            if (!header->isSectionHidden(header->logicalIndex(v)))
                return v;
        return -1;
    }
    static int LastShown(const QHeaderView* header) {
        for (int v = header->count() - 1; v >= 0; --v)
            if (!header->isSectionHidden(header->logicalIndex(v)))
                return v;
        return -1;
    }

    TDBGrid* m_grid;
};

} // namespace

TDBGrid::TDBGrid(QWidget* parent, const QString& objectName) : QTableView(parent) {
    setObjectName(objectName);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setItemDelegate(new CellDelegate(this));
    verticalHeader()->setVisible(false);
    FitRowsToFont();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    QFont titleFont = horizontalHeader()->font();
    titleFont.setBold(true);
    horizontalHeader()->setFont(titleFont);
}

void TDBGrid::SetQuery(TQuery* query) {
    m_query = query;
    m_model = new QueryModel(query, this);
    setModel(m_model);
    if (!m_pendingColumns.isEmpty())
        SetColumns(m_pendingColumns);
    connect(query, &TQuery::DataChange, this, &TDBGrid::FollowQuery);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !m_query || !current.isValid())
                    return;
                m_syncing = true;
                m_query->SetRecNo(current.row() + 1);
                m_syncing = false;
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        ApplyColumnLayout();
        FollowQuery();
    });
}

void TDBGrid::SetColumns(const QList<TColumn>& columns) {
    m_pendingColumns = columns;
    if (!m_model)
        return;
    m_model->SetColumns(columns);
    ApplyColumnLayout();
}

void TDBGrid::ApplyColumnLayout() {
    if (!m_model)
        return;
    const QList<TColumn>& columns = m_model->Columns();
    for (int i = 0; i < columns.size(); ++i) {
        setColumnHidden(i, !columns[i].Visible);
        setColumnWidth(i, columns[i].Width);
    }
}

int TDBGrid::ColumnCount() const {
    return m_model ? int(m_model->Columns().size()) : int(m_pendingColumns.size());
}

int TDBGrid::ColumnWidth(int column) const {
    return columnWidth(column);
}

// A column given the rest of the grid's width never shrinks below its title: a narrow window or a
// large font leaves it readable, and the grid scrolls instead.
void TDBGrid::SetColumnWidth(int column, int width) {
    int least = 0;
    if (column >= 0 && column < ColumnCount() && !Column(column).Title.isEmpty())
        least = QFontMetrics(horizontalHeader()->font()).horizontalAdvance(Column(column).Title) + 12;
    setColumnWidth(column, qMax(width, least));
}

const TColumn& TDBGrid::Column(int column) const {
    return m_model ? m_model->Columns()[column] : m_pendingColumns[column];
}

int TDBGrid::ClientWidth() const {
    return viewport()->width();
}

void TDBGrid::SetFixedColor(const QColor& color) {
    m_fixedColor = color;
    horizontalHeader()->setStyleSheet(
        QStringLiteral(
            "QHeaderView::section { background-color: %1; font-weight: bold; padding: 2px; "
            "border: 0px; border-right: 1px solid palette(mid); border-bottom: 1px solid palette(mid); }")
            .arg(color.name()));
}

void TDBGrid::FollowQuery() {
    if (m_syncing || !m_query || !selectionModel())
        return;
    m_syncing = true;
    const int row = m_query->CurrentRow();
    if (row < 0) {
        selectionModel()->clearSelection();
    } else {
        const QModelIndex index = m_model->index(row, 0);
        selectionModel()->setCurrentIndex(index,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_syncing = false;
}

void TDBGrid::showEvent(QShowEvent* event) {
    // A list that waits for its first showing opens before it is painted; one read ahead of it is
    // read again when its table has changed since.
    if (m_query) {
        m_query->RunPendingOpen();
        m_query->RefreshAtFirstShowing();
    }
    QTableView::showEvent(event);
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit KeyPress(QChar(13));
    else if (!text.isEmpty())
        emit KeyPress(text.at(0));
    QTableView::keyPressEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}

TDBMemo::TDBMemo(QWidget* parent, const QString& objectName) : QPlainTextEdit(parent) {
    setObjectName(objectName);
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::ArrowCursor);
}

void TDBMemo::SetDataField(TQuery* query, const QString& fieldName) {
    m_query = query;
    m_fieldName = fieldName;
    connect(query, &TQuery::DataChange, this, &TDBMemo::ShowCurrent);
    ShowCurrent();
}

void TDBMemo::ShowCurrent() {
    QString text;
    if (m_query && m_query->IsOpenNow() && m_query->RecordCount() > 0)
        text = m_query->FieldByName(m_fieldName).AsString();
    if (text != toPlainText())
        setPlainText(text);
}

void TDBMemo::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    emit MouseDown();
}

void TDBMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit DblClick();
}

// Rows are as tall as the grid's font needs, whatever size the user gives it.
void TDBGrid::FitRowsToFont() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void TDBGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitRowsToFont();
}

void TDBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

} // namespace qm
