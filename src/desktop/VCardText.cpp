#include "desktop/VCardText.h"

#include <QStringDecoder>
#include <memory>
#include <unicode/ucnv.h>

namespace qm::vcard {

namespace {

// Decodes through the ICU converter of `name`; false when ICU does not know the name.
bool DecodeWithConverter(const QByteArray& bytes, const QByteArray& name, QString* text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, void (*)(UConverter*)> converter(ucnv_open(name.constData(), &status),
                                                                 ucnv_close);
    if (U_FAILURE(status) || !converter)
        return false;
    // One byte never gives more than two UTF-16 units.
    QString out(bytes.size() * 2 + 1, Qt::Uninitialized);
    const int32_t length =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                      bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return false;
    out.truncate(length);
    *text = out;
    return true;
}

QString Windows1252(const QByteArray& bytes) {
    QString text;
    if (DecodeWithConverter(bytes, QByteArrayLiteral("windows-1252"), &text))
        return text;
    return QString::fromLatin1(bytes);
}

bool IsUtf8Label(const QByteArray& name) {
    return name == "UTF-8" || name == "UTF8";
}

// Windows programs label their Windows-1252 text as Latin-1 or ASCII; 1252 is a superset of both
// for every printable character, and gives the euro sign and the curly quotes their meaning.
bool IsLatin1Label(const QByteArray& name) {
    return name == "ISO-8859-1" || name == "ISO8859-1" || name == "LATIN1" || name == "US-ASCII" ||
           name == "ASCII";
}

} // namespace

QByteArray FileBytes(const QByteArray& file, bool* unicode) {
    *unicode = false;
    if (file.startsWith("\xEF\xBB\xBF"))
        return file.mid(3);
    const bool little = file.startsWith("\xFF\xFE");
    if (little || file.startsWith("\xFE\xFF")) {
        *unicode = true;
        QStringDecoder decoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        return QString(decoder.decode(file.mid(2))).toUtf8();
    }
    return file;
}

bool IsValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(decoder.decode(bytes));
    return !decoder.hasError();
}

QByteArray DecodeQuotedPrintable(const QByteArray& raw) {
    QByteArray out;
    out.reserve(raw.size());
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

QByteArray DecodeBase64(const QByteArray& raw) {
    QByteArray compact;
    compact.reserve(raw.size());
    for (const char c : raw)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            compact.append(c);
    return QByteArray::fromBase64(compact);
}

QString DecodeValue(const QByteArray& bytes, const QString& charset, bool legacy) {
    const QByteArray name = charset.trimmed().toLatin1().toUpper();
    if (IsUtf8Label(name))
        return QString::fromUtf8(bytes);
    if (IsLatin1Label(name))
        return Windows1252(bytes);
    QString text;
    if (!name.isEmpty() && DecodeWithConverter(bytes, name, &text))
        return text;
    if (!legacy && IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return Windows1252(bytes);
}

} // namespace qm::vcard
