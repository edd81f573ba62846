#include "platform/widgets/Controls.h"

#include "platform/Contrast.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace qm {

QToolButton* MakeSpeedButton(QWidget* parent, const QString& name, const QString& caption,
                             const QString& hint, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setText(caption);
    button->setToolTip(hint);
    if (icon != QStyle::SP_CustomBase) {
        button->setIcon(button->style()->standardIcon(icon));
        button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    } else if (caption.isEmpty()) {
        button->setText(hint);
    }
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, const QString& hint) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setToolTip(hint);
    return edit;
}

QComboBox* MakeComboList(QWidget* parent, const QString& name, const QString& hint,
                         const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setToolTip(hint);
    combo->addItems(items);
    return combo;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setToolTip(hint);
    return label;
}

QColor ShownBackground(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->autoFillBackground() && w->backgroundRole() != QPalette::NoRole)
            return w->palette().color(w->backgroundRole());
        if (w->isWindow())
            return w->palette().color(QPalette::Window);
    }
    return widget->palette().color(QPalette::Window);
}

void SetReadableTextColor(QWidget* widget, const QColor& ink) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, InkAgainst(ink, ShownBackground(widget)));
    widget->setPalette(palette);
}

} // namespace qm
