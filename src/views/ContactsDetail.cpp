#include "views/ContactsDetail.h"

#include "app/MainForm.h"
#include "dialogs/TeleForm.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/Panel.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace qm {

namespace {

const QString kGroupsFile = QStringLiteral("Groups.txt");

QString LaunchFailure(const QString& name) {
    return QStringLiteral("Impossible to launch \"") + name +
           QStringLiteral(
               "\". The cause may be:\r\r- Attach deleted from disk;\r- Attach was moved;\r"
               "- Attah is not linked with an application;\r- Tha path of the attach isn't correct.");
}

QString Field(const TQuery* query, const QString& name) {
    return query->FieldByName(name).AsString();
}

QStringList ComboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

QString AttachFileName(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

void LaunchAttachment(const QString& path, const QString& shownName) {
    if (path.isEmpty())
        return;
    // A folder opens as a folder whatever its name; a file opens with the program the desktop
    // gives its type, with or without an extension.
    const QFileInfo info(path);
    if (!info.exists() || !ShellOpen(path))
        ShowMessage(LaunchFailure(shownName));
}

void LaunchLink(const QString& target, const QString& failure) {
    if (!ShellOpen(target))
        ShowMessage(failure);
}

void InsertGroupSorted(QComboBox* combo, const QString& name) {
    int at = 0;
    while (at < combo->count() &&
           QString::localeAwareCompare(combo->itemText(at).toLower(), name.toLower()) <= 0)
        ++at;
    combo->insertItem(at, name);
}

// ---- the main window's Contacts tab ----

void TMainForm::DataSourcecontattiDataChange() {
    const bool hasRows = QueryContact->Active() && QueryContact->RecordCount() > 0;
    const QString name = hasRows ? Field(QueryContact, QStringLiteral("ragsoc")) : QString();
    const QString attach = hasRows ? Field(QueryContact, QStringLiteral("allegato")) : QString();
    Panel_FullName->SetCaption(hasRows ? name + QStringLiteral("   ") : QString());

    SpeedButton_ApriAllegato->setEnabled(!attach.isEmpty());
    if (attach.isEmpty()) {
        SpeedButton_ApriAllegato->setText(QString());
        // An empty list says what its after-open step says.
        SpeedButton_ApriAllegato->setToolTip(hasRows ? QStringLiteral("No attach for this contact")
                                                     : QStringLiteral("No attach"));
    } else {
        const QString fileName = AttachFileName(attach);
        SpeedButton_ApriAllegato->setText(fileName.isEmpty() ? attach : fileName);
        SpeedButton_ApriAllegato->setToolTip(QStringLiteral("Launch attach:\r") + attach);
    }

    if (!hasRows) {
        SpeedButtonMailContact->setEnabled(false);
        SpeedButtonTele->setEnabled(false);
        SpeedButtonWeb->setEnabled(false);
        return;
    }
    const QString site = Field(QueryContact, QStringLiteral("site"));
    SpeedButtonMailContact->setEnabled(!Field(QueryContact, QStringLiteral("email")).isEmpty());
    SpeedButtonTele->setEnabled(!Field(QueryContact, QStringLiteral("tel")).isEmpty() ||
                                !Field(QueryContact, QStringLiteral("mobile")).isEmpty());
    SpeedButtonWeb->setEnabled(!site.isEmpty() && site != QLatin1String("http://"));
}

void TMainForm::SpeedButtonMailContactClick() {
    if (QueryContact->RecordCount() < 1)
        return;
    LaunchLink(QStringLiteral("mailto:") + Field(QueryContact, QStringLiteral("email")),
               QStringLiteral("Sorry, web browser not found!"));
}

void TMainForm::SpeedButtonWebClick() {
    if (QueryContact->RecordCount() < 1)
        return;
    LaunchLink(Field(QueryContact, QStringLiteral("site")),
               QStringLiteral("Sorry, I can't find your web browser"));
}

void TMainForm::SpeedButton_ApriAllegatoClick() {
    if (QueryContact->RecordCount() < 1)
        return;
    const QString attach = Field(QueryContact, QStringLiteral("allegato"));
    LaunchAttachment(attach, attach);
}

// The list is kept whole in Groups.txt, the empty entry as an empty line.
void TMainForm::SaveGroupList() {
    const QStringList items = ComboItems(ComboBox_Contact_Group);
    MemoGroup->setPlainText(items.join(u'\n'));
    QString error;
    if (!SaveTextLines(JoinPath(ArchiveFolder, kGroupsFile), items, &error))
        MessageBox(QStringLiteral("I can't write the group list.\r") + error, MsgCaption,
                   MsgOk + MsgExclamation);
}

void TMainForm::SpeedButton12Click() {
    const QString group = ComboBox_Contact_Group->currentText();
    if (MessageBox(QStringLiteral("Add the \"") + group + QStringLiteral("\" group?"), MsgCaption,
                   MsgYesNo + MsgQuestion) != MsgYes)
        return;
    InsertGroupSorted(ComboBox_Contact_Group, group);
    ComboBox_Contact_Group->setCurrentIndex(ComboBox_Contact_Group->findText(group));
    SaveGroupList();
    SpeedButton17->setEnabled(true);
    ComboBox_Contact_GroupChange();
}

void TMainForm::SpeedButton17Click() {
    const QString group = ComboBox_Contact_Group->currentText();
    if (MessageBox(QStringLiteral("Remove the \"") + group + QStringLiteral("\" group?"), MsgCaption,
                   MsgYesNo + MsgQuestion) != MsgYes)
        return;
    if (ComboBox_Contact_Group->count() > 0) {
        // Only an entry the user picked goes; typed text that names no entry removes nothing.
        const int index = ComboBox_Contact_Group->currentIndex();
        if (index >= 0 && ComboBox_Contact_Group->itemText(index) == group)
            ComboBox_Contact_Group->removeItem(index);
        SaveGroupList();
        ComboBox_Contact_Group->setCurrentIndex(-1);
        ComboBox_Contact_Group->setEditText(QString());
        if (ComboBox_Contact_Group->count() == 0)
            SpeedButton17->setEnabled(false);
    }
    ComboBox_Contact_GroupChange();
}

// The telephone dialog reads the current contact itself.
void TMainForm::SpeedButtonTeleClick() {
    ShowTeleForm(this);
}

void TMainForm::ConnectContactsTab() {
    SpeedButton_ApriAllegato->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ConnectGuarded(QueryContact, &TQuery::DataChange, this, &TMainForm::DataSourcecontattiDataChange);
    ConnectGuarded(SpeedButtonMailContact, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonMailContactClick);
    ConnectGuarded(SpeedButtonWeb, &QToolButton::clicked, this, &TMainForm::SpeedButtonWebClick);
    // A tab stop, so that the telephone dialog opens from the keyboard (Space) too.
    SpeedButtonTele->setFocusPolicy(Qt::TabFocus);
    ConnectGuarded(SpeedButtonTele, &QToolButton::clicked, this, &TMainForm::SpeedButtonTeleClick);
    ConnectGuarded(SpeedButton_ApriAllegato, &QToolButton::clicked, this,
                   &TMainForm::SpeedButton_ApriAllegatoClick);
    ConnectGuarded(SpeedButton12, &QToolButton::clicked, this, &TMainForm::SpeedButton12Click);
    ConnectGuarded(SpeedButton17, &QToolButton::clicked, this, &TMainForm::SpeedButton17Click);
    DataSourcecontattiDataChange();
}

} // namespace qm
