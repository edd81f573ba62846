#include "dialogs/DialogFrame.h"

#include "app/MainForm.h"
#include "platform/WindowDrag.h"
#include "platform/WindowPlace.h"
#include "platform/widgets/Panel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace qm {

TDialogFrame::TDialogFrame(QWidget* owner, const PanelNames& names, bool stayOnTop)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint |
                         (stayOnTop ? Qt::WindowStaysOnTopHint : Qt::WindowFlags())) {
    auto* formLayout = new QVBoxLayout(this);
    formLayout->setContentsMargins(0, 0, 0, 0);

    m_outer = new TPanel(this, names.outer);
    m_outer->setFrameShape(QFrame::Panel);
    m_outer->setFrameShadow(QFrame::Raised);
    formLayout->addWidget(m_outer);
    auto* outerLayout = new QVBoxLayout(m_outer);
    outerLayout->setContentsMargins(5, 5, 5, 5);
    outerLayout->setSpacing(0);

    m_inner = new TPanel(m_outer, names.inner);
    outerLayout->addWidget(m_inner, 1);

    m_bottom = new TPanel(m_outer, names.bottom);
    outerLayout->addWidget(m_bottom);
    m_buttons = new QHBoxLayout(m_bottom);
    m_buttons->setContentsMargins(4, 3, 4, 3);
    m_buttons->addStretch(1);

    m_drag = new TWindowDrag(this);
    for (TPanel* panel : {m_outer, m_bottom, m_inner})
        AddDragHandle(panel);
    m_watcher = new FieldWatcher(this);
}

// The fields die after this part of the dialog and still send focus events on the way out.
TDialogFrame::~TDialogFrame() {
    delete m_watcher;
    if (m_previewing)
        qApp->removeEventFilter(this);
}

void TDialogFrame::SetSectionColor(TColor color) {
    m_outer->SetColor(color);
    m_bottom->SetColor(color);
}

void TDialogFrame::AddDragHandle(TPanel* panel) {
    connect(panel, &TPanel::MouseDown, m_drag, &TWindowDrag::Press);
}

bool TDialogFrame::IsDragging() const {
    return m_drag->IsFollowing();
}

void TDialogFrame::ColourOnFocus(QWidget* field) {
    m_colouredFields.append(field);
    field->installEventFilter(m_watcher);
}

void TDialogFrame::MakeClickable(QWidget* widget, std::function<void()> action) {
    m_clickActions.insert(widget, std::move(action));
    widget->installEventFilter(m_watcher);
}

bool TDialogFrame::WatchedEvent(QObject* watched, QEvent* event) {
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (MainForm && m_colouredFields.contains(widget))
            MainForm->OnFieldEnter(widget);
        break;
    case QEvent::FocusOut:
        if (MainForm && m_colouredFields.contains(widget))
            MainForm->OnFieldExit(widget);
        break;
    case QEvent::MouseButtonPress:
        // Taken here, or the press would reach the panel below and start moving the window.
        if (m_clickActions.contains(widget)) {
            event->accept();
            return true;
        }
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto action = m_clickActions.constFind(widget);
        if (action != m_clickActions.constEnd() && mouse->button() == Qt::LeftButton &&
            widget->rect().contains(mouse->position().toPoint())) {
            (*action)();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

bool TDialogFrame::FormKeyPress(QKeyEvent* event, QObject*) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    return false;
}

void TDialogFrame::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_previewing) {
        qApp->installEventFilter(this);
        m_previewing = true;
    }
    CentreOnScreen();
    FormShow();
    // Texts set while showing are laid out at once, innermost panel first, so that the dialog
    // takes the room they need before it is seen; it is centred again when it grew.
    const QSize shownSize = size();
    const QList<QWidget*> parts = findChildren<QWidget*>();
    for (auto part = parts.crbegin(); part != parts.crend(); ++part)
        if ((*part)->layout())
            (*part)->layout()->activate();
    if (layout())
        layout()->activate();
    if (size() != shownSize)
        CentreOnScreen();
}

void TDialogFrame::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    if (m_previewing) {
        qApp->removeEventFilter(this);
        m_previewing = false;
    }
}

void TDialogFrame::CentreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

bool TDialogFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && (widget == this || isAncestorOf(widget)))
            return FormKeyPress(static_cast<QKeyEvent*>(event), watched);
        break;
    }
    // Mapped and framed by the window manager: from now on the window's place is known for sure.
    case QEvent::Expose:
        if (watched == windowHandle())
            SyncWindowPlace(this);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qm
