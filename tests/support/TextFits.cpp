#include "support/TextFits.h"

#include "platform/widgets/Panel.h"

#include <QAbstractButton>
#include <QLabel>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>

namespace qm {

namespace {

QString Cut(const QWidget* widget, const QString& text, int needed, int room) {
    return QStringLiteral("%1: %2 (%3 / %4)")
        .arg(widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                            : widget->objectName(),
             text)
        .arg(needed)
        .arg(room);
}

// Shown and inside its parent: a control put out of sight on purpose has no text to read.
bool Shown(const QWidget* widget, const QWidget* root) {
    return widget->isVisibleTo(root) && widget->width() > 0 &&
           (widget == root || widget->parentWidget()->rect().intersects(widget->geometry()));
}

} // namespace

QStringList CutTexts(const QWidget* root) {
    QStringList cut;
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        if (!Shown(label, root) || label->text().isEmpty() || label->wordWrap() ||
            label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored ||
            label->textFormat() == Qt::RichText)
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        const int room = label->contentsRect().width() - 2 * label->margin();
        if (needed > room)
            cut << Cut(label, label->text(), needed, room);
    }
    for (const QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!Shown(button, root) || button->text().isEmpty() || button->parent()->inherits("QTabBar"))
            continue;
        const auto* tool = qobject_cast<const QToolButton*>(button);
        if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            continue;
        // The button's own measure of its text, icon and margins, from its font.
        const int needed = button->sizeHint().width();
        if (needed > button->width())
            cut << Cut(button, button->text(), needed, button->width());
    }
    for (const QTabBar* bar : root->findChildren<QTabBar*>()) {
        if (!Shown(bar, root))
            continue;
        for (const QToolButton* arrow : bar->findChildren<QToolButton*>())
            if (arrow->isVisible())
                cut << Cut(bar, QStringLiteral("scroll arrows"), 0, bar->width());
        for (int i = 0; i < bar->count(); ++i) {
            const int needed = bar->fontMetrics().horizontalAdvance(bar->tabText(i));
            const int room = bar->tabRect(i).width();
            if (needed > room || bar->tabRect(i).right() >= bar->width())
                cut << Cut(bar, bar->tabText(i), needed, room);
        }
    }
    for (const TPanel* panel : root->findChildren<TPanel*>()) {
        if (!Shown(panel, root) || panel->Caption().trimmed().isEmpty())
            continue;
        // The panel paints its caption 4 pixels in from each side.
        const int needed = panel->fontMetrics().horizontalAdvance(panel->Caption().trimmed());
        const int room = panel->contentsRect().width() - 8;
        if (needed > room) {
            cut << Cut(panel, panel->Caption(), needed, room);
            continue;
        }
        // Nor may a control on the panel stand over the caption's letters.
        const QRect area = panel->contentsRect().adjusted(4, 0, -4, 0);
        const QRect text = QStyle::alignedRect(Qt::LeftToRight, panel->Alignment(),
                                               QSize(needed, panel->fontMetrics().height()), area);
        for (const QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisibleTo(root) && child->geometry().intersects(text))
                cut << Cut(panel, panel->Caption() + QStringLiteral(" under ") + child->objectName(), needed,
                           child->x() - text.x());
    }
    return cut;
}

} // namespace qm
