#include "desktop/WinAddressBook.h"

#include "desktop/VCardText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <stdexcept>

namespace qm {

namespace {

// PREF runs from 1, the most preferred, to 100; a value without PREF ranks after all of them.
constexpr int Unranked = 101;

struct VLine {
    QString group;                  // upper case, as in "ITEM1.TEL"; empty when none
    QString name;                   // upper case, group prefix removed
    QStringList types;              // lower case
    QHash<QString, QString> params; // upper-case names, except TYPE
    QString value;                  // decoded, still escaped
    int rank = Unranked;            // its PREF
};

// A PREF without a number (2.1 "PREF", 3.0 "TYPE=pref") only says "preferred": it ranks as 1,
// tied with the most preferred number. A number out of range still ranks before no PREF at all.
int Rank(const VLine& line) {
    int rank = line.types.contains(QLatin1String("pref")) ? 1 : Unranked;
    if (const auto pref = line.params.constFind(QStringLiteral("PREF")); pref != line.params.constEnd()) {
        bool ok = false;
        const int number = pref->trimmed().toInt(&ok);
        rank = std::min(rank, ok ? std::clamp(number, 1, Unranked - 1) : 1);
    }
    return rank;
}

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

// Splits the name and parameters on `sep` outside double quotes; returns the position of the
// colon that ends them through `colon` (-1 when the line has none).
QList<QByteArray> SplitHead(const QByteArray& line, qsizetype* colon) {
    QList<QByteArray> pieces;
    QByteArray current;
    bool quoted = false;
    *colon = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ':') {
            *colon = i;
            break;
        } else if (!quoted && c == ';') {
            pieces.append(current);
            current.clear();
            continue;
        }
        current.append(c);
    }
    pieces.append(current);
    return pieces;
}

// The name and group of a line, before its value is looked at.
void NameAndGroup(const QByteArray& head, VLine* line) {
    QString name = QString::fromLatin1(head).trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot >= 0) {
        line->group = name.left(dot);
        name = name.mid(dot + 1);
    }
    line->name = name;
}

QString LineName(const QByteArray& raw) {
    qsizetype colon = -1;
    const QList<QByteArray> head = SplitHead(raw, &colon);
    if (colon < 0)
        return QString();
    VLine line;
    NameAndGroup(head.first(), &line);
    return line.name;
}

QString LineValue(const QByteArray& raw) {
    qsizetype colon = -1;
    SplitHead(raw, &colon);
    return colon < 0 ? QString() : QString::fromLatin1(raw.mid(colon + 1)).trimmed().toUpper();
}

// What the organizer reads of a card; other lines (photos, keys, sounds) are not decoded.
bool IsRead(const QString& name) {
    static const QStringList read{"KIND",
                                  "X-ADDRESSBOOKSERVER-KIND",
                                  "FN",
                                  "N",
                                  "EMAIL",
                                  "TEL",
                                  "NOTE",
                                  "ORG",
                                  "TITLE",
                                  "URL",
                                  "ADR",
                                  "X-ABLABEL",
                                  "CATEGORIES",
                                  "PRODID",
                                  "X-QUELLMIRE-TEL",
                                  "X-QUELLMIRE-FAX"};
    return read.contains(name);
}

// `unicode`: the file was UTF-16, so a value that is not encoded is text already.
VLine ParseLine(const QByteArray& raw, bool legacy, bool unicode) {
    VLine result;
    qsizetype colon = -1;
    const QList<QByteArray> head = SplitHead(raw, &colon);
    if (colon < 0)
        return result;
    NameAndGroup(head.first(), &result);
    if (!IsRead(result.name))
        return result;
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString param = QString::fromLatin1(head.at(i)).trimmed();
        const qsizetype eq = param.indexOf(u'=');
        if (eq < 0) {
            // vCard 2.1 writes types and the encoding bare.
            const QString bare = param.toUpper();
            if (bare == QLatin1String("QUOTED-PRINTABLE") || bare == QLatin1String("BASE64") ||
                bare == QLatin1String("8BIT") || bare == QLatin1String("7BIT"))
                result.params.insert(QStringLiteral("ENCODING"), bare);
            else if (!bare.isEmpty())
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
    result.rank = Rank(result);
    const QString encoding = result.params.value(QStringLiteral("ENCODING")).toUpper();
    const QString charset = result.params.value(QStringLiteral("CHARSET"));
    const QByteArray value = raw.mid(colon + 1);
    if (encoding == QLatin1String("QUOTED-PRINTABLE"))
        result.value = vcard::DecodeValue(vcard::DecodeQuotedPrintable(value), charset, legacy);
    else if (encoding == QLatin1String("B") || encoding == QLatin1String("BASE64"))
        result.value = vcard::DecodeValue(vcard::DecodeBase64(value), charset, legacy);
    else if (unicode)
        result.value = QString::fromUtf8(value);
    else
        result.value = vcard::DecodeValue(value, charset, legacy);
    return result;
}

bool IsQuotedPrintable(const QByteArray& line) {
    qsizetype colon = -1;
    SplitHead(line, &colon);
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

// The types that an Apple label ("_$!<HomeFAX>!$_") or a plain one ("Work") stands for.
QStringList LabelTypes(const QString& label) {
    QString word = label.trimmed().toLower();
    if (word.startsWith(QLatin1String("_$!<")) && word.endsWith(QLatin1String(">!$_")))
        word = word.mid(4, word.size() - 8);
    if (word == QLatin1String("home") || word == QLatin1String("work") || word == QLatin1String("fax") ||
        word == QLatin1String("pager"))
        return {word};
    if (word == QLatin1String("mobile") || word == QLatin1String("cell") || word == QLatin1String("iphone"))
        return {QStringLiteral("cell")};
    if (word == QLatin1String("homefax"))
        return {QStringLiteral("home"), QStringLiteral("fax")};
    if (word == QLatin1String("workfax"))
        return {QStringLiteral("work"), QStringLiteral("fax")};
    return {};
}

// A value's claim on its slot. A value typed for the slot beats an untyped one whatever their
// PREF, so that a preferred untyped number does not push the home number out; between values
// typed alike the lower rank wins, and on equal ranks the first one given stays.
struct Claim {
    bool typed = false;
    int rank = Unranked;

    bool Beats(const Claim& other) const { return typed != other.typed ? typed : rank < other.rank; }
};

// ADR parts: PO box; extended; street; locality; region; postal code; country.
using Address = QStringList;

// One line of text from a part that may hold several.
QString OneLine(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    return lines.join(QStringLiteral(", "));
}

class Person {
public:
    void Offer(const QString& name, const QString& value, const Claim& claim = {}) {
        if (value.isEmpty())
            return;
        auto slot = m_values.find(name);
        if (slot == m_values.end()) {
            m_values.insert(name, {value, claim});
            m_order.append(name);
        } else if (claim.Beats(slot->second)) {
            *slot = {value, claim};
        }
    }
    void OfferAddress(bool business, const Address& address, const Claim& claim) {
        Address& slot = business ? m_business : m_home;
        Claim& held = business ? m_businessClaim : m_homeClaim;
        if (slot.isEmpty() || claim.Beats(held)) {
            slot = address;
            held = claim;
        }
    }
    QString Value(const QString& name) const { return m_values.value(name).first; }
    QStringList Lines() const {
        QStringList lines;
        for (const QString& name : m_order)
            lines.append(name + u'=' + m_values.value(name).first);
        AddressLines(m_home, "HOME_ADDRESS_", false, lines);
        AddressLines(m_business, "", true, lines);
        return lines;
    }

private:
    // The street keeps its extended part (flat, floor) after it.
    static void AddressLines(const Address& a, const char* prefix, bool business, QStringList& lines) {
        if (a.isEmpty())
            return;
        QStringList street;
        for (int part : {2, 1})
            if (const QString text = OneLine(a.at(part)); !text.isEmpty())
                street.append(text);
        const auto add = [&](const char* home, const char* work, const QString& text) {
            if (!text.isEmpty())
                lines.append(QString::fromLatin1(prefix) + QLatin1String(business ? work : home) + u'=' +
                             text);
        };
        add("STREET", "STREET_ADDRESS", street.join(QStringLiteral(", ")));
        add("CITY", "LOCALITY", OneLine(a.at(3)));
        add("STATE_OR_PROVINCE", "STATE_OR_PROVINCE", OneLine(a.at(4)));
        add("POSTAL_CODE", "POSTAL_CODE", OneLine(a.at(5)));
        add("COUNTRY", "COUNTRY", OneLine(a.at(6)));
        add("POST_OFFICE_BOX", "POST_OFFICE_BOX", OneLine(a.at(0)));
    }

    QHash<QString, std::pair<QString, Claim>> m_values;
    QStringList m_order;
    Address m_home;
    Address m_business;
    Claim m_homeClaim;
    Claim m_businessClaim;
};

void AddAddress(Person& person, const VLine& line) {
    Address parts = SplitValue(line.value, u';');
    while (parts.size() < 7)
        parts.append(QString());
    bool empty = true;
    for (QString& part : parts) {
        part = part.trimmed();
        empty = empty && part.isEmpty();
    }
    if (empty)
        return;
    const bool work = line.types.contains(QLatin1String("work"));
    const bool typed = work || line.types.contains(QLatin1String("home"));
    person.OfferAddress(work, parts, {typed, line.rank});
}

void AddTelephone(Person& person, const VLine& line) {
    QString number = Unescape(line.value).trimmed();
    if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        number = number.mid(4);
    const auto has = [&line](const char* type) { return line.types.contains(QLatin1String(type)); };
    QString name;
    bool typed = true;
    if (has("fax")) {
        name = has("work") ? QStringLiteral("BUSINESS_FAX_NUMBER") : QStringLiteral("HOME_FAX_NUMBER");
        typed = has("work") || has("home");
    } else if (has("cell") || has("iphone")) {
        name = QStringLiteral("MOBILE_TELEPHONE_NUMBER");
    } else if (has("pager")) {
        name = QStringLiteral("PAGER_TELEPHONE_NUMBER");
    } else if (has("work")) {
        name = QStringLiteral("BUSINESS_TELEPHONE_NUMBER");
    } else {
        name = QStringLiteral("HOME_TELEPHONE_NUMBER");
        typed = has("home");
    }
    person.Offer(name, number, {typed, line.rank});
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

// The lines of one card, BEGIN and END left out.
struct RawCard {
    QList<QByteArray> lines;
};

// The whole cards of a file. A card that has no END:VCARD, because the file or the card was cut
// short, is counted in `cut` and left out: its last value may be cut too, and importing it would
// keep the next import of the whole card from adding it. A card nested in a card after its 2.1
// AGENT line belongs to that card and is not one of the people; any other BEGIN:VCARD inside a
// card begins the next card.
QList<RawCard> SplitCards(const QByteArray& text, int* cut) {
    QList<RawCard> cards;
    RawCard card;
    bool open = false;
    int nested = 0;
    bool afterAgent = false;
    for (const QByteArray& raw : LogicalLines(text)) {
        if (raw.trimmed().isEmpty())
            continue;
        const QString name = LineName(raw);
        const bool marker = LineValue(raw) == QLatin1String("VCARD");
        if (name == QLatin1String("BEGIN") && marker) {
            if (nested > 0 || afterAgent) {
                ++nested;
            } else {
                if (open)
                    ++*cut;
                card = RawCard();
                open = true;
            }
        } else if (name == QLatin1String("END") && marker) {
            if (nested > 0) {
                --nested;
            } else if (open) {
                cards.append(card);
                open = false;
            }
        } else if (open && nested == 0) {
            card.lines.append(raw);
        }
        afterAgent = open && name == QLatin1String("AGENT") && LineValue(raw).isEmpty();
    }
    if (open)
        ++*cut;
    return cards;
}

// The property lines of one card; empty for a group card. `named` tells whether anything named
// the person.
QStringList ReadCard(const RawCard& card, bool unicode, bool* named) {
    *named = true;
    const bool legacy = !vcard::IsValidUtf8(card.lines.join('\n'));
    QList<VLine> lines;
    QHash<QString, QStringList> labels; // group -> types of its X-ABLabel
    for (const QByteArray& raw : card.lines) {
        VLine line = ParseLine(raw, legacy, unicode);
        if (line.name == QLatin1String("X-ABLABEL") && !line.group.isEmpty())
            labels[line.group] += LabelTypes(Unescape(line.value));
        else if (!line.name.isEmpty())
            lines.append(line);
    }

    // Only the organizer's own cards give a group: other address books' categories ("myContacts",
    // "Starred") are no group of the user's, and the import has always left it empty for them.
    const bool ownCard = std::any_of(lines.cbegin(), lines.cend(), [](const VLine& line) {
        return line.name == QLatin1String("PRODID") &&
               line.value.contains(QLatin1String("Quellmire Organizer"));
    });
    Person person;
    QString fullName;
    QString structuredName;
    QString organisation;
    for (VLine& line : lines) {
        if (!line.group.isEmpty())
            line.types += labels.value(line.group);
        const QString& n = line.name;
        const QString upperValue = line.value.trimmed().toUpper();
        if (n == QLatin1String("KIND") || n == QLatin1String("X-ADDRESSBOOKSERVER-KIND")) {
            if (upperValue == QLatin1String("GROUP"))
                return {};
        } else if (n == QLatin1String("FN")) {
            if (fullName.isEmpty())
                fullName = Unescape(line.value).trimmed();
        } else if (n == QLatin1String("N")) {
            if (structuredName.isEmpty())
                structuredName = line.value;
            const QStringList parts = SplitValue(line.value, u';');
            person.Offer(QStringLiteral("SURNAME"), parts.value(0).trimmed());
            person.Offer(QStringLiteral("GIVEN_NAME"), parts.value(1).trimmed());
        } else if (n == QLatin1String("EMAIL")) {
            person.Offer(QStringLiteral("EMAIL_ADDRESS"), Unescape(line.value).trimmed(), {false, line.rank});
        } else if (n == QLatin1String("TEL")) {
            AddTelephone(person, line);
        } else if (n == QLatin1String("NOTE")) {
            person.Offer(QStringLiteral("COMMENT"), Unescape(line.value));
        } else if (n == QLatin1String("ORG")) {
            if (organisation.isEmpty())
                organisation = SplitValue(line.value, u';').value(0).trimmed();
            person.Offer(QStringLiteral("COMPANY_NAME"), organisation);
        } else if (n == QLatin1String("TITLE")) {
            person.Offer(QStringLiteral("TITLE"), Unescape(line.value).trimmed());
        } else if (n == QLatin1String("URL")) {
            const bool work = line.types.contains(QLatin1String("work"));
            const bool typed = work || line.types.contains(QLatin1String("home"));
            person.Offer(work ? QStringLiteral("BUSINESS_HOME_PAGE") : QStringLiteral("PERSONAL_HOME_PAGE"),
                         Unescape(line.value).trimmed(), {typed, line.rank});
        } else if (n == QLatin1String("ADR")) {
            AddAddress(person, line);
        } else if (n == QLatin1String("CATEGORIES") && ownCard) {
            // The organizer keeps one group per contact: the first one given.
            person.Offer(QStringLiteral("CATEGORIES"), SplitValue(line.value, u',').value(0).trimmed());
        } else if (n == QLatin1String("X-QUELLMIRE-TEL")) {
            person.Offer(QStringLiteral("ORGANIZER_TELEPHONE"), Unescape(line.value));
        } else if (n == QLatin1String("X-QUELLMIRE-FAX")) {
            person.Offer(QStringLiteral("ORGANIZER_FAX"), Unescape(line.value));
        }
    }
    // Phones write cards of a company or of a bare e-mail address without a name.
    QString name = !fullName.isEmpty() ? fullName : NameFromN(structuredName);
    if (name.isEmpty())
        name = organisation;
    if (name.isEmpty())
        name = person.Value(QStringLiteral("EMAIL_ADDRESS"));
    if (name.isEmpty()) {
        *named = false;
        return {};
    }
    QStringList result{QStringLiteral("DISPLAY_NAME=") + name};
    result.append(person.Lines());
    return result;
}

// The .vcf files of a folder, in name order.
QStringList CardFiles(const QDir& folder) {
    const QFileInfo info(folder.path());
    if (!info.isReadable() || !info.isExecutable())
        throw std::runtime_error(QStringLiteral("Cannot read the folder %1.")
                                     .arg(QDir::toNativeSeparators(folder.path()))
                                     .toStdString());
    QStringList files;
    // Unreadable files are listed too, so that reading them says why it failed.
    for (const QString& name :
         folder.entryList({QStringLiteral("*.vcf")}, QDir::Files, QDir::Name | QDir::IgnoreCase))
        files.append(folder.filePath(name));
    return files;
}

} // namespace

TWinAddressBook::TWinAddressBook(QObject* owner) : QObject(owner) {}

void TWinAddressBook::setToDefaultAddressBook() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    fileName = dataHome + QStringLiteral("/contacts");
}

QList<QStringList> TWinAddressBook::ParseVCards(const QByteArray& file, int* skipped) {
    bool unicode = false;
    const QByteArray text = vcard::FileBytes(file, &unicode);
    int unread = 0;
    QList<QStringList> people;
    for (const RawCard& card : SplitCards(text, &unread)) {
        bool named = true;
        const QStringList lines = ReadCard(card, unicode, &named);
        if (!lines.isEmpty())
            people.append(lines);
        else if (!named)
            ++unread;
    }
    if (skipped)
        *skipped += unread;
    return people;
}

void TWinAddressBook::loadFile() {
    contacts.clear();
    m_people.clear();
    skippedCards = 0;
    const QFileInfo info(fileName);
    QStringList files;
    if (info.isDir()) {
        // Address books kept one per sub-folder (one card per file, as synchronising programs
        // keep them) are read after the files of the folder itself.
        const QDir folder(fileName);
        files = CardFiles(folder);
        for (const QString& book :
             folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
            files.append(CardFiles(QDir(folder.filePath(book))));
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
        for (const QStringList& lines : ParseVCards(file.readAll(), &skippedCards)) {
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
