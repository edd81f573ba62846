#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace qm {

class TQuery;

// What a vCard of the organizer carries of one contact, the texts of its columns.
struct VCardContact {
    QString name;    // ragsoc
    QString company; // company
    QString address; // indirizzo
    QString tel;     // tel
    QString mobile;  // mobile
    QString fax;     // fax
    QString email;   // email
    QString site;    // site
    QString group;   // gruppo
    QString note;    // note
};

// vCard 3.0 cards of `contacts`, in their order: UTF-8, CR LF, values escaped and lines folded at
// 75 octets without splitting a character. Since the organizer's telephone and fax fields are
// free text, their exact texts also travel in X-QUELLMIRE-TEL and X-QUELLMIRE-FAX, so that the
// organizer's own import gives back what was exported while other programs read the TEL lines.
QByteArray ContactsToVCards(const QList<VCardContact>& contacts);

// The contacts of an open query on QMcon26 (the Contacts list, its find and group applied), in its
// order.
QList<VCardContact> ContactsOfQuery(const TQuery& query);

// Writes `contacts` to `fileName` through the program's safe writer; false with `error` naming the
// file on failure.
bool WriteVCardFile(const QList<VCardContact>& contacts, const QString& fileName, QString* error);

// Every contact of QMcon26, read through the session alias "QMDB" (registered by the start-up
// road, or by whoever calls this without the window), written to `fileName` as vCards. False with
// `error`, a message for the user naming the file, when the contacts cannot be read or the file
// cannot be written; an existing file is then untouched. `count` receives the number of cards.
bool ExportContactsToVCardFile(const QString& fileName, QString* error, int* count = nullptr);

// The rows `query` holds (the Contacts list as it shows them), written the same way.
bool ExportQueryToVCardFile(const TQuery& query, const QString& fileName, QString* error,
                            int* count = nullptr);

} // namespace qm
