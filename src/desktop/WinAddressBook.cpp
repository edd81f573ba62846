#include "desktop/WinAddressBook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <stdexcept>

namespace qm {

namespace {

struct VLine {
    QString name;                   // upper case, group prefix removed
    QStringList types;              // lower case
    QHash<QString, QString> params; // upper-case names, except TYPE
    QString value;                  // decoded, still escaped
};

// Splits on unescaped `sep` and removes the escapes of vCard 3.0 and 4.0 (2.1 escapes only ";").
QStringList SplitValue(const QString& value, QChar sep) {
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            if (next == u'n' || next == u'N')
                current += u'\n';
            else
                current += next;
        } else if (c == sep) {
            parts.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.append(current);
    return parts;
}

QString Unescape(const QString& value) {
    return SplitValue(value, QChar(0)).join(QString());
}

QByteArray DecodeQuotedPrintable(const QByteArray& raw) {
    QByteArray out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw.at(i);
        if (c == '=' && i + 2 < raw.size()) {
            bool ok = false;
            const int byte = raw.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(byte));
                i += 2;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

QString DecodeText(const QByteArray& bytes, const QString& charset) {
    if (!charset.isEmpty() && charset.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0) {
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return QString::fromUtf8(bytes);
}

// Finds the colon that ends the name and parameters; a colon inside a quoted parameter value
// does not count.
qsizetype ValueColon(const QByteArray& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted)
            return i;
    }
    return -1;
}

VLine ParseLine(const QByteArray& line) {
    VLine result;
    const qsizetype colon = ValueColon(line);
    if (colon < 0)
        return result;
    const QList<QByteArray> head = line.left(colon).split(';');
    QString name = QString::fromLatin1(head.first()).trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot >= 0)
        name = name.mid(dot + 1);
    result.name = name;
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString param = QString::fromLatin1(head.at(i)).trimmed();
        const qsizetype eq = param.indexOf(u'=');
        if (eq < 0) {
            // vCard 2.1 writes types and the encoding bare.
            const QString bare = param.toUpper();
            if (bare == QLatin1String("QUOTED-PRINTABLE") || bare == QLatin1String("BASE64") ||
                bare == QLatin1String("8BIT") || bare == QLatin1String("7BIT"))
                result.params.insert(QStringLiteral("ENCODING"), bare);
            else
                result.types.append(param.toLower());
            continue;
        }
        const QString key = param.left(eq).trimmed().toUpper();
        QString value = param.mid(eq + 1).trimmed();
        value.remove(u'"');
        if (key == QLatin1String("TYPE")) {
            for (const QString& type : value.split(u',', Qt::SkipEmptyParts))
                result.types.append(type.trimmed().toLower());
        } else {
            result.params.insert(key, value);
        }
    }
    if (result.params.contains(QStringLiteral("PREF")))
        result.types.append(QStringLiteral("pref"));
    QByteArray raw = line.mid(colon + 1);
    if (result.params.value(QStringLiteral("ENCODING"))
            .compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0)
        raw = DecodeQuotedPrintable(raw);
    result.value = DecodeText(raw, result.params.value(QStringLiteral("CHARSET")));
    return result;
}

bool IsQuotedPrintable(const QByteArray& line) {
    const qsizetype colon = ValueColon(line);
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

// Physical lines to logical ones: a line starting with a blank or a tab continues the one before
// (3.0 and 4.0), and a quoted-printable value ending in "=" goes on in the next line (2.1).
QList<QByteArray> LogicalLines(const QByteArray& text) {
    QByteArray normal = text;
    normal.replace("\r\n", "\n");
    normal.replace('\r', '\n');
    QList<QByteArray> lines;
    bool continueSoftBreak = false;
    for (const QByteArray& physical : normal.split('\n')) {
        if (continueSoftBreak && !lines.isEmpty()) {
            lines.last().chop(1);
            lines.last().append(physical);
        } else if (!lines.isEmpty() && !physical.isEmpty() &&
                   (physical.at(0) == ' ' || physical.at(0) == '\t')) {
            lines.last().append(physical.mid(1));
        } else {
            lines.append(physical);
        }
        continueSoftBreak = !lines.isEmpty() && lines.last().endsWith('=') && IsQuotedPrintable(lines.last());
    }
    return lines;
}

class Person {
public:
    void Set(const QString& name, const QString& value) {
        if (value.isEmpty() || m_values.contains(name))
            return;
        m_values.insert(name, value);
        m_order.append(name);
    }
    // A value marked as preferred replaces the first one given, once.
    void SetPreferred(const QString& name, const QString& value, bool preferred) {
        if (value.isEmpty())
            return;
        if (preferred && !m_preferred.contains(name)) {
            m_preferred.append(name);
            if (m_values.contains(name)) {
                m_values.insert(name, value);
                return;
            }
        }
        Set(name, value);
    }
    QStringList Lines() const {
        QStringList lines;
        for (const QString& name : m_order)
            lines.append(name + u'=' + m_values.value(name));
        return lines;
    }

private:
    QHash<QString, QString> m_values;
    QStringList m_order;
    QStringList m_preferred;
};

void AddAddress(Person& person, const QString& value, const QString& prefix, bool business) {
    // PO box; extended; street; locality; region; postal code; country
    QStringList parts = SplitValue(value, u';');
    while (parts.size() < 7)
        parts.append(QString());
    QString street = parts.at(2);
    if (!parts.at(1).isEmpty())
        street = street.isEmpty() ? parts.at(1) : street + u' ' + parts.at(1);
    if (business) {
        person.Set(QStringLiteral("POST_OFFICE_BOX"), parts.at(0));
        person.Set(QStringLiteral("STREET_ADDRESS"), street);
        person.Set(QStringLiteral("LOCALITY"), parts.at(3));
        person.Set(QStringLiteral("STATE_OR_PROVINCE"), parts.at(4));
        person.Set(QStringLiteral("POSTAL_CODE"), parts.at(5));
        person.Set(QStringLiteral("COUNTRY"), parts.at(6));
        return;
    }
    person.Set(prefix + QStringLiteral("POST_OFFICE_BOX"), parts.at(0));
    person.Set(prefix + QStringLiteral("STREET"), street);
    person.Set(prefix + QStringLiteral("CITY"), parts.at(3));
    person.Set(prefix + QStringLiteral("STATE_OR_PROVINCE"), parts.at(4));
    person.Set(prefix + QStringLiteral("POSTAL_CODE"), parts.at(5));
    person.Set(prefix + QStringLiteral("COUNTRY"), parts.at(6));
}

void AddTelephone(Person& person, const VLine& line) {
    QString number = Unescape(line.value).trimmed();
    if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        number = number.mid(4);
    const auto has = [&line](const char* type) { return line.types.contains(QLatin1String(type)); };
    QString name;
    if (has("fax"))
        name = has("work") ? QStringLiteral("BUSINESS_FAX_NUMBER") : QStringLiteral("HOME_FAX_NUMBER");
    else if (has("cell"))
        name = QStringLiteral("MOBILE_TELEPHONE_NUMBER");
    else if (has("pager"))
        name = QStringLiteral("PAGER_TELEPHONE_NUMBER");
    else if (has("work"))
        name = QStringLiteral("BUSINESS_TELEPHONE_NUMBER");
    else
        name = QStringLiteral("HOME_TELEPHONE_NUMBER");
    person.SetPreferred(name, number, has("pref"));
}

QString NameFromN(const QString& value) {
    // family; given; additional; prefix; suffix
    QStringList parts = SplitValue(value, u';');
    while (parts.size() < 5)
        parts.append(QString());
    QStringList words;
    for (int i : {3, 1, 2, 0, 4})
        if (!parts.at(i).trimmed().isEmpty())
            words.append(parts.at(i).trimmed());
    return words.join(u' ');
}

} // namespace

TWinAddressBook::TWinAddressBook(QObject* owner) : QObject(owner) {}

void TWinAddressBook::setToDefaultAddressBook() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    fileName = dataHome + QStringLiteral("/contacts");
}

QList<QStringList> TWinAddressBook::ParseVCards(const QByteArray& text) {
    QList<QStringList> people;
    int depth = 0;
    bool group = false;
    Person person;
    QString fullName;
    QString structuredName;
    for (const QByteArray& raw : LogicalLines(text)) {
        if (raw.trimmed().isEmpty())
            continue;
        const VLine line = ParseLine(raw);
        const QString upperValue = line.value.trimmed().toUpper();
        if (line.name == QLatin1String("BEGIN") && upperValue == QLatin1String("VCARD")) {
            if (++depth == 1) {
                person = Person();
                group = false;
                fullName.clear();
                structuredName.clear();
            }
            continue;
        }
        if (line.name == QLatin1String("END") && upperValue == QLatin1String("VCARD")) {
            if (depth > 0 && --depth == 0 && !group) {
                const QString name = !fullName.isEmpty() ? fullName : NameFromN(structuredName);
                // A card without a name cannot be told apart from the contacts already there.
                if (!name.isEmpty()) {
                    QStringList lines{QStringLiteral("DISPLAY_NAME=") + name};
                    lines.append(person.Lines());
                    people.append(lines);
                }
            }
            continue;
        }
        if (depth != 1)
            continue;
        const QString& n = line.name;
        if (n == QLatin1String("KIND") || n == QLatin1String("X-ADDRESSBOOKSERVER-KIND")) {
            group = upperValue == QLatin1String("GROUP");
        } else if (n == QLatin1String("FN")) {
            if (fullName.isEmpty())
                fullName = Unescape(line.value).trimmed();
        } else if (n == QLatin1String("N")) {
            if (structuredName.isEmpty())
                structuredName = line.value;
            const QStringList parts = SplitValue(line.value, u';');
            person.Set(QStringLiteral("SURNAME"), parts.value(0).trimmed());
            person.Set(QStringLiteral("GIVEN_NAME"), parts.value(1).trimmed());
        } else if (n == QLatin1String("EMAIL")) {
            person.SetPreferred(QStringLiteral("EMAIL_ADDRESS"), Unescape(line.value).trimmed(),
                                line.types.contains(QLatin1String("pref")));
        } else if (n == QLatin1String("TEL")) {
            AddTelephone(person, line);
        } else if (n == QLatin1String("NOTE")) {
            person.Set(QStringLiteral("COMMENT"), Unescape(line.value));
        } else if (n == QLatin1String("ORG")) {
            person.Set(QStringLiteral("COMPANY_NAME"), SplitValue(line.value, u';').value(0).trimmed());
        } else if (n == QLatin1String("TITLE")) {
            person.Set(QStringLiteral("TITLE"), Unescape(line.value).trimmed());
        } else if (n == QLatin1String("URL")) {
            const bool work = line.types.contains(QLatin1String("work"));
            person.Set(work ? QStringLiteral("BUSINESS_HOME_PAGE") : QStringLiteral("PERSONAL_HOME_PAGE"),
                       Unescape(line.value).trimmed());
        } else if (n == QLatin1String("ADR")) {
            const bool work = line.types.contains(QLatin1String("work"));
            AddAddress(person, line.value, QStringLiteral("HOME_ADDRESS_"), work);
        }
    }
    return people;
}

void TWinAddressBook::loadFile() {
    contacts.clear();
    m_people.clear();
    const QFileInfo info(fileName);
    QStringList files;
    if (info.isDir()) {
        const QDir folder(fileName);
        for (const QString& name : folder.entryList({QStringLiteral("*.vcf"), QStringLiteral("*.VCF")},
                                                    QDir::Files | QDir::Readable, QDir::Name))
            files.append(folder.filePath(name));
        files.removeDuplicates();
    } else if (info.isFile()) {
        files.append(fileName);
    } else {
        throw std::runtime_error(QStringLiteral("The address book %1 was not found.")
                                     .arg(QDir::toNativeSeparators(fileName))
                                     .toStdString());
    }
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error(QStringLiteral("Cannot read %1: %2")
                                         .arg(QDir::toNativeSeparators(path), file.errorString())
                                         .toStdString());
        for (const QStringList& lines : ParseVCards(file.readAll())) {
            contacts.append(PropertyValue(lines, QStringLiteral("DISPLAY_NAME")));
            m_people.append(lines);
        }
    }
}

void TWinAddressBook::getPropertiesOf(const QString& name) {
    properties.clear();
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        if (contacts.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            properties = m_people.value(i);
            return;
        }
    }
}

QString TWinAddressBook::PropertyValue(const QStringList& lines, const QString& name) {
    const QString prefix = name + u'=';
    for (const QString& line : lines)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

} // namespace qm
