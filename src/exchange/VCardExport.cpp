#include "exchange/VCardExport.h"

#include "engine/EngineError.h"
#include "engine/Query.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <stdexcept>

namespace qm {

namespace {

constexpr qsizetype kLineOctets = 75;

// Text values escape the backslash, the separators and line breaks (a CR LF is one break).
QString Escaped(const QString& text, bool separators = true) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (separators && (c == u',' || c == u';'))
            out += u'\\' + c;
        else if (c == u'\r' || c == u'\n') {
            out += QLatin1String("\\n");
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else
            out += c;
    }
    return out;
}

// One content line, folded: no physical line passes 75 octets, and a fold never falls inside the
// bytes of one UTF-8 character.
void AppendLine(QByteArray& out, const QString& name, const QString& value) {
    const QByteArray line = (name + u':' + value).toUtf8();
    qsizetype start = 0;
    qsizetype room = kLineOctets;
    while (line.size() - start > room) {
        qsizetype cut = start + room;
        while (cut > start && (uchar(line.at(cut)) & 0xC0) == 0x80)
            --cut;
        out += line.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = kLineOctets - 1; // the blank that continues the line counts
    }
    out += line.mid(start);
    out += "\r\n";
}

void AppendIfAny(QByteArray& out, const QString& name, const QString& text, bool separators = true) {
    if (!text.isEmpty())
        AppendLine(out, name, Escaped(text, separators));
}

QString ExportError(const QString& fileName, const QString& reason) {
    return QStringLiteral("The contacts could not be exported to \"%1\": %2")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

} // namespace

QByteArray ContactsToVCards(const QList<VCardContact>& contacts) {
    QByteArray out;
    for (const VCardContact& c : contacts) {
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        AppendLine(out, QStringLiteral("PRODID"), QStringLiteral("-//Quellmire//Quellmire Organizer//EN"));
        AppendLine(out, QStringLiteral("FN"), Escaped(c.name));
        // The organizer keeps one name: as family name it sorts where the list sorts it.
        AppendLine(out, QStringLiteral("N"), Escaped(c.name) + QStringLiteral(";;;;"));
        AppendIfAny(out, QStringLiteral("ORG"), c.company);
        if (!c.address.isEmpty())
            AppendLine(out, QStringLiteral("ADR"),
                       QStringLiteral(";;") + Escaped(c.address) + QStringLiteral(";;;;"));
        AppendIfAny(out, QStringLiteral("TEL;TYPE=voice"), c.tel);
        AppendIfAny(out, QStringLiteral("TEL;TYPE=cell"), c.mobile);
        AppendIfAny(out, QStringLiteral("TEL;TYPE=fax"), c.fax);
        AppendIfAny(out, QStringLiteral("EMAIL;TYPE=internet"), c.email);
        // A web address is a URI, written as it is.
        AppendIfAny(out, QStringLiteral("URL"), c.site, false);
        AppendIfAny(out, QStringLiteral("CATEGORIES"), c.group);
        AppendIfAny(out, QStringLiteral("NOTE"), c.note);
        AppendIfAny(out, QStringLiteral("X-QUELLMIRE-TEL"), c.tel);
        AppendIfAny(out, QStringLiteral("X-QUELLMIRE-FAX"), c.fax);
        out += "END:VCARD\r\n";
    }
    return out;
}

QList<VCardContact> ContactsOfQuery(const TQuery& query) {
    QList<VCardContact> contacts;
    const int rows = query.RecordCount();
    contacts.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        const TRecord r = query.Record(row);
        const auto text = [&r](const char* column) {
            return r.FieldByName(QString::fromLatin1(column)).AsString();
        };
        contacts.append({text("ragsoc"), text("company"), text("indirizzo"), text("tel"), text("mobile"),
                         text("fax"), text("email"), text("site"), text("gruppo"), text("note")});
    }
    return contacts;
}

bool WriteVCardFile(const QList<VCardContact>& contacts, const QString& fileName, QString* error) {
    QString reason;
    if (WriteFileAtomically(fileName, ContactsToVCards(contacts), &reason))
        return true;
    if (error)
        *error = reason;
    return false;
}

bool ExportQueryToVCardFile(const TQuery& query, const QString& fileName, QString* error, int* count) {
    QList<VCardContact> contacts;
    try {
        contacts = ContactsOfQuery(query);
    } catch (const EngineError& e) {
        if (error)
            *error = ExportError(fileName, e.message());
        return false;
    }
    if (count)
        *count = int(contacts.size());
    return WriteVCardFile(contacts, fileName, error);
}

bool ExportContactsToVCardFile(const QString& fileName, QString* error, int* count) {
    TQuery query;
    query.DatabaseName = QStringLiteral("QMDB");
    query.SQL.Add(QStringLiteral("SELECT * FROM QMcon26 ORDER BY ragsoc,company,gruppo"));
    try {
        query.Open();
    } catch (const EngineError& e) {
        if (error)
            *error = ExportError(fileName, e.message());
        return false;
    }
    return ExportQueryToVCardFile(query, fileName, error, count);
}

} // namespace qm
