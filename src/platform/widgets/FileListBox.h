#pragma once

#include <QListWidget>

namespace qm {

// A list of names from which the user picks one, by mouse or keyboard. Qt makes an item current and
// selects it in either order (a press moves the current item first, a key selects first), and focus
// alone can make an item current without selecting it; this list reports a pick only once the
// picked item is both current and selected, so a handler always sees the item the user chose.
// Changes made by code report nothing.
class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    // The picked item, or -1: current and selected.
    int PickedRow() const;
    // Selects `row` (-1: nothing) as a pick would show it, without reporting it.
    void ShowPicked(int row);

signals:
    void Picked();
    void DoublePicked();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SelectCurrent();
    bool m_pressedOnItem = false;
};

} // namespace qm
