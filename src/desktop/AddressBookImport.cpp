#include "app/MainForm.h"
#include "desktop/WinAddressBook.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"

#include <QAction>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace qm {

namespace {

// The home address on one line: street, PO box, postal code, city, region, country, the parts
// that are there separated by ", ".
QString AddressText(const QStringList& properties) {
    QStringList parts;
    for (const char* name :
         {"HOME_ADDRESS_STREET", "HOME_ADDRESS_POST_OFFICE_BOX", "HOME_ADDRESS_POSTAL_CODE",
          "HOME_ADDRESS_CITY", "HOME_ADDRESS_STATE_OR_PROVINCE", "HOME_ADDRESS_COUNTRY"})
        if (const QString part = TWinAddressBook::PropertyValue(properties, QString::fromLatin1(name));
            !part.isEmpty())
            parts.append(part);
    return parts.join(QStringLiteral(", "));
}

QString SkippedText(int skipped) {
    if (skipped == 1)
        return QStringLiteral("\n\n1 card of the address book was skipped: it is cut short or has no name, "
                              "organisation or e-mail address.");
    return QStringLiteral("\n\n%1 cards of the address book were skipped: they are cut short or have no "
                          "name, organisation or e-mail address.")
        .arg(skipped);
}

} // namespace

void TMainForm::ConnectAddressBook() {
    wab = new TWinAddressBook(this);
    wab->setObjectName(QStringLiteral("wab"));
    ListBoxWab = new QListWidget(this);
    ListBoxWab->setObjectName(QStringLiteral("ListBoxWab"));
    ListBoxWab->hide();
    ConnectGuarded(ImportadaRubricaWindows, &QAction::triggered, this,
                   &TMainForm::ImportadallarubricadiOutlookExpress1Click);
}

// Copies every person of the address book whose name is not yet among the contacts. A failure
// to read the address book ends the import where it stands; what was inserted stays.
void TMainForm::ImportadallarubricadiOutlookExpress1Click() {
    if (MessageBox(QStringLiteral("Import contacts from Windows address book?"), MsgCaption,
                   Mb::YesNo | Mb::IconQuestion) != Id::Yes)
        return;
    ListBoxWab->clear();
    wab->setToDefaultAddressBook();
    wab->loadFile();
    ListBoxWab->addItems(wab->contacts);

    SpeedButtonClearName->click();
    SpeedButtonClearGroup->click();
    ComboBox_KindFindContact->setCurrentIndex(0);

    int count = 0;
    for (int row = 0; row < ListBoxWab->count(); ++row) {
        const QString name = ListBoxWab->item(row)->text();
        // The find field holds 50 characters; a longer name (an e-mail address often is) is looked
        // up whole, so that the next import finds it again and nothing of it is cut.
        Edit_ragsoc->setText(name);
        FindContactExact(name);
        if (QueryContact->RecordCount() > 0)
            continue;
        wab->getPropertiesOf(name);
        const auto value = [this](const char* property) {
            return TWinAddressBook::PropertyValue(wab->properties, QString::fromLatin1(property));
        };
        const auto homeAndBusiness = [&value](const char* home, const char* business) {
            QString text;
            if (!value(home).isEmpty())
                text = value(home) + QStringLiteral(" (home)");
            if (!value(business).isEmpty())
                text += u' ' + value(business) + QStringLiteral(" (business)");
            return text;
        };
        // The organizer's own vCards carry its free-text numbers as they were typed.
        const auto ownOr = [&value](const char* own, const QString& built) {
            const QString text = value(own);
            return text.isEmpty() ? built : text;
        };
        const QString tel = ownOr("ORGANIZER_TELEPHONE",
                                  homeAndBusiness("HOME_TELEPHONE_NUMBER", "BUSINESS_TELEPHONE_NUMBER"));
        const QString fax = ownOr("ORGANIZER_FAX", homeAndBusiness("HOME_FAX_NUMBER", "BUSINESS_FAX_NUMBER"));

        Query_Jolly->SQL.Clear();
        Query_Jolly->SQL.Add(QStringLiteral("INSERT INTO QMcon26"));
        Query_Jolly->SQL.Add(
            QStringLiteral("(ragsoc,indirizzo,tel,fax,email,note,gruppo,site,company,mobile,allegato)"));
        Query_Jolly->SQL.Add(QStringLiteral(
            "values (:ragsoc,:indirizzo,:tel,:fax,:email,:note,:gruppo,:site,:company,:mobile,:allegato)"));
        const auto param = [this](const char* name, const QString& text) {
            Query_Jolly->ParamByName(QString::fromLatin1(name)).SetAsString(text);
        };
        param("ragsoc", name);
        param("indirizzo", AddressText(wab->properties));
        param("tel", tel);
        param("fax", fax);
        param("email", value("EMAIL_ADDRESS"));
        param("note", value("COMMENT"));
        param("gruppo", value("CATEGORIES"));
        param("site", value("PERSONAL_HOME_PAGE"));
        param("company", value("COMPANY_NAME"));
        param("mobile", value("MOBILE_TELEPHONE_NUMBER"));
        param("allegato", QString());
        Query_Jolly->ExecSQL();
        RefreshContactQuery();
        ++count;
    }
    SpeedButtonClearName->click();
    QString notice =
        QStringLiteral("I have imported ") + QString::number(count) + QStringLiteral(" new contacts.");
    if (wab->skippedCards > 0)
        notice += SkippedText(wab->skippedCards);
    MessageBox(notice, MsgCaption, Mb::Ok | Mb::IconInformation);
}

} // namespace qm
