#include "app/MainForm.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"

#include <QLineEdit>

namespace qm {

void TMainForm::ConnectWindowLook() {
    ConnectGuarded(EditLastLabel, &QLineEdit::textChanged, this, &TMainForm::EditLastLabelChange);
}

// The last tab is named by the user; the name is kept for the next start.
void TMainForm::EditLastLabelChange() {
    PageControlMenu->setTabText(PageControlMenu->indexOf(TabSheetSetup), EditLastLabel->text());
    QString error;
    if (!SaveTextLines(JoinPath(ArchiveFolder, QStringLiteral("TabName.txt")), {EditLastLabel->text()},
                       &error))
        MessageBox(error, MsgCaption, MsgOk + MsgExclamation);
}

} // namespace qm
