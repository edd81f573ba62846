#pragma once

#include "platform/ColorText.h"

#include <QDialog>
#include <QHash>
#include <functional>

class QHBoxLayout;
class QKeyEvent;
class QMouseEvent;

namespace qm {

class TPanel;
class TWindowDrag;

// The frame every small dialog of the program shares: no border or title bar, centred on the
// screen, normally always on top; an outer panel with a 5-pixel border, an inner panel for the
// fields and a button panel along the bottom, the outer and bottom ones in the section colour.
// Dragging a frame panel moves the window. The dialog sees every key before the focused field:
// Esc closes without saving, and a subclass may take other keys (Enter) in FormKeyPress.
class TDialogFrame : public QDialog {
    Q_OBJECT
public:
    struct PanelNames {
        QString outer;
        QString bottom;
        QString inner;
    };
    TDialogFrame(QWidget* owner, const PanelNames& names, bool stayOnTop = true);
    ~TDialogFrame() override;

    TPanel* OuterPanel() const { return m_outer; }
    TPanel* BottomPanel() const { return m_bottom; }
    TPanel* InnerPanel() const { return m_inner; }
    // Buttons go here; they are kept to the right.
    QHBoxLayout* ButtonLayout() const { return m_buttons; }

    // Paints the outer and bottom panels.
    void SetSectionColor(TColor color);

    // Dragging the panel moves the window.
    void AddDragHandle(TPanel* panel);
    // The window follows the pointer by the program's own moves (no window manager moves it).
    bool IsDragging() const;

    // The field takes the active section's colour while it has the focus (the main window's
    // OnFieldEnter and OnFieldExit).
    void ColourOnFocus(QWidget* field);
    // A left click on the widget (a label, say) runs the action.
    void MakeClickable(QWidget* widget, std::function<void()> action);

protected:
    // Called for every key press meant for this dialog or one of its fields, before the field
    // sees it. Returns true when the key was used up. The frame closes on Esc.
    virtual bool FormKeyPress(QKeyEvent* event, QObject* target);
    // Called each time the dialog is shown, after it was centred.
    virtual void FormShow() {}

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CentreOnScreen();
    bool WatchedEvent(QObject* watched, QEvent* event);

    // Sees the events of single fields; kept apart from the form's own key preview.
    class FieldWatcher : public QObject {
    public:
        explicit FieldWatcher(TDialogFrame* frame) : QObject(frame), m_frame(frame) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            return m_frame->WatchedEvent(watched, event);
        }

    private:
        TDialogFrame* m_frame;
    };

    TPanel* m_outer = nullptr;
    TPanel* m_bottom = nullptr;
    TPanel* m_inner = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    FieldWatcher* m_watcher = nullptr;
    QList<QWidget*> m_colouredFields;
    QHash<QWidget*, std::function<void()>> m_clickActions;
    bool m_previewing = false;
    TWindowDrag* m_drag = nullptr;
};

} // namespace qm
