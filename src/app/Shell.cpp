#include "app/MainForm.h"

#include <QLabel>

namespace qm {

void TMainForm::FormResize() {
    if (!Label_FormSize)
        return;
    Label_FormSize->setText(QString::number(width()) + QStringLiteral(" x ") + QString::number(height()));
}

void TMainForm::FormShow() {
    SkipFocus = 0;
}

// Placeholder bodies until the window shell is built.
void TMainForm::ApplySectionColor() {}
void TMainForm::PageControlMenuChange() {}
void TMainForm::OnFieldEnter(QWidget*) {}
void TMainForm::OnFieldExit(QWidget*) {}

} // namespace qm
