#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

namespace qm {

// The user's address book: the vCard files (2.1, 3.0 or 4.0) of the contacts folder. Lists the
// display names of its people and hands out what is known of one person as "NAME=value" lines,
// named as the organizer's import expects them (DISPLAY_NAME, EMAIL_ADDRESS,
// HOME_TELEPHONE_NUMBER, ...). Group cards are not people and are left out.
class TWinAddressBook : public QObject {
    Q_OBJECT
public:
    explicit TWinAddressBook(QObject* owner = nullptr);

    // A folder (every *.vcf file in it, then those of each of its sub-folders, in name order) or
    // one .vcf file.
    QString fileName;
    // Display names, in the order the files give them.
    QStringList contacts;
    // The lines of the last person asked for.
    QStringList properties;
    // Cards of the last loadFile that could not be read: cut short before their END:VCARD, or
    // with nothing to name them (no name, organisation or e-mail address).
    int skippedCards = 0;

    // fileName := the contacts folder of the user's data folder ($XDG_DATA_HOME/contacts).
    void setToDefaultAddressBook();
    // The reader is part of the program, so the address book can always be reached.
    bool connect() const { return true; }
    // Reads fileName again. Throws std::runtime_error, with the reason, when the folder or a
    // file cannot be read.
    void loadFile();
    // properties := the lines of the first person named `name` (letter case ignored); empty
    // when there is none.
    void getPropertiesOf(const QString& name);

    // The value of the first line named `name` of `lines`, empty when there is none.
    static QString PropertyValue(const QStringList& lines, const QString& name);
    // The people of one vCard file, as name and property lines. A person without a name is named
    // by the organisation, else the e-mail address; cards with none of them, and cards cut short
    // before their END:VCARD, are added to `skipped`. Among values of one slot a value typed for
    // it wins, then the lowest PREF, then the first one given.
    static QList<QStringList> ParseVCards(const QByteArray& file, int* skipped = nullptr);

private:
    QList<QStringList> m_people; // in step with contacts
};

} // namespace qm
