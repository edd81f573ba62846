#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// The byte level of vCard files as phones, mail programs and address books write them.
namespace vcard {

// The text of a whole file as UTF-8 bytes for the line reader: a UTF-8 byte-order mark is dropped,
// and a file that starts with a UTF-16 byte-order mark (little or big endian) is converted.
// `unicode` tells whether the file was UTF-16, whose values then are already text whatever
// their CHARSET says.
QByteArray FileBytes(const QByteArray& file, bool* unicode);

bool IsValidUtf8(const QByteArray& bytes);

QByteArray DecodeQuotedPrintable(const QByteArray& raw);
// Blanks and line breaks of folded lines are ignored.
QByteArray DecodeBase64(const QByteArray& raw);

// The bytes of one value as text. A CHARSET the converters know decides; otherwise the bytes are
// UTF-8 unless `legacy` (the card is no valid UTF-8 as a whole, as old Windows exports are) or
// the bytes themselves are no valid UTF-8: then they are Windows-1252.
QString DecodeValue(const QByteArray& bytes, const QString& charset, bool legacy);

} // namespace vcard

} // namespace qm
