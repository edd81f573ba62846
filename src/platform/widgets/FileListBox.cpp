#include "platform/widgets/FileListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace qm {

namespace {

bool IsMoveKey(int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int TFileListBox::PickedRow() const {
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? currentRow() : -1;
}

void TFileListBox::ShowPicked(int row) {
    if (row < 0 || row >= count()) {
        setCurrentRow(-1);
        clearSelection();
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

// Once picked, an item stays selected until another is picked: neither a Ctrl+click nor a press
// beside the items leaves the list without a choice.
QItemSelectionModel::SelectionFlags TFileListBox::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void TFileListBox::mousePressEvent(QMouseEvent* event) {
    // Only the left button picks.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressedOnItem = indexAt(event->position().toPoint()).isValid();
    QListWidget::mousePressEvent(event);
}

void TFileListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    // The pick is reported once the button is up, so that a question it raises does not hold the
    // list in the middle of a press; a press dragged to another item picks that one.
    if (event->button() != Qt::LeftButton || !m_pressedOnItem)
        return;
    m_pressedOnItem = false;
    if (!currentItem())
        return;
    SelectCurrent();
    emit Picked();
}

void TFileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    if (index.row() == PickedRow()) {
        emit DoublePicked();
        return;
    }
    // The first click of the pair did not pick this item (the list changed under it): the second
    // press counts as a first one.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->globalPosition(), event->button(),
                      event->buttons(), event->modifiers(), event->pointingDevice());
    mousePressEvent(&press);
}

void TFileListBox::keyPressEvent(QKeyEvent* event) {
    const int rowBefore = currentRow();
    const bool selectedBefore = PickedRow() >= 0;
    QListWidget::keyPressEvent(event);
    if (!currentItem())
        return;
    const bool moved = currentRow() != rowBefore;
    // Focus can make the first item current without selecting it, and with one item a move key
    // then moves nowhere: the key picks the item it stands on.
    const bool pickedInPlace = !selectedBefore && (IsMoveKey(event->key()) || currentItem()->isSelected());
    if (!moved && !pickedInPlace)
        return;
    SelectCurrent();
    emit Picked();
}

void TFileListBox::SelectCurrent() {
    if (QListWidgetItem* item = currentItem(); item && !item->isSelected())
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
}

} // namespace qm
