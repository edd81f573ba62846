#include "notes/NoteFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <stdexcept>

namespace qm {

bool IsTextFile(const QString& path) {
    QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    // Opened for writing too, as a note is written back: a read-only file is not a note.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;
    char block[2048];
    for (;;) {
        const qint64 count = file.read(block, sizeof block);
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        for (qint64 i = 0; i < count; ++i) {
            const auto byte = static_cast<unsigned char>(block[i]);
            if (byte < 32 && byte != 9 && byte != 10 && byte != 13 && byte != 26)
                return false;
        }
    }
}

bool MatchesFileMask(const QString& name, const QString& mask) {
    for (const QString& pattern : mask.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        // The conventional "all files" mask also lists names without a dot, such as new notes.
        if (pattern.trimmed() == QLatin1String("*.*"))
            return true;
        QString expression;
        for (const QChar c : pattern.trimmed()) {
            if (c == QLatin1Char('*'))
                expression += QStringLiteral(".*");
            else if (c == QLatin1Char('?'))
                expression += QLatin1Char('.');
            else
                expression += QRegularExpression::escape(QString(c));
        }
        const QRegularExpression re(QRegularExpression::anchoredPattern(expression),
                                    QRegularExpression::CaseInsensitiveOption |
                                        QRegularExpression::DotMatchesEverythingOption);
        if (re.match(name).hasMatch())
            return true;
    }
    return false;
}

QStringList ListMatchingFiles(const QString& folder, const QString& mask) {
    QStringList names;
    const QFileInfoList files =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : files)
        if (MatchesFileMask(file.fileName(), mask))
            names << file.fileName();
    return names;
}

QStringConverter::Encoding NoteEncodingForCharset(int charset) {
    // SYMBOL fonts take the bytes as they are. Qt without ICU converts no Windows code page, so
    // the national charsets read as UTF-8 (falling back to Latin-1 byte for byte, see ReadNoteFile).
    if (charset == 2)
        return QStringConverter::Latin1;
    return QStringConverter::Utf8;
}

NoteText ReadNoteFile(const QString& path, QStringConverter::Encoding encoding) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot read the file \"%1\": %2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())
                                     .toStdString());
    const QByteArray bytes = file.readAll();
    NoteText note;
    note.used = encoding;
    QStringDecoder decoder(encoding);
    note.text = decoder.decode(bytes);
    if (decoder.hasError()) {
        note.used = QStringConverter::Latin1;
        note.text = QString::fromLatin1(bytes);
    }
    QString& t = note.text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return note;
}

void WriteNoteFile(const QString& path, const QString& text, QStringConverter::Encoding encoding) {
    if (encoding == QStringConverter::Latin1) {
        for (const QChar c : text)
            if (c.unicode() > 0xFF)
                throw std::runtime_error(
                    QStringLiteral("The note holds the character \"%1\", which its 8-bit encoding cannot "
                                   "keep; the file \"%2\" was not written.")
                        .arg(c, QDir::toNativeSeparators(path))
                        .toStdString());
    }
    QString out = text;
    out.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QStringEncoder encoder(encoding);
    const QByteArray bytes = encoder.encode(out);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(QStringLiteral("Cannot write the file \"%1\": %2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())
                                     .toStdString());
}

QString NotePathForTitle(const QString& folder, const QString& title) {
    bool control = false;
    for (const QChar c : title)
        control = control || c.category() == QChar::Other_Control;
    if (title.trimmed().isEmpty() || title == QLatin1String(".") || title == QLatin1String("..") ||
        title.contains(QLatin1Char('/')) || control)
        throw std::runtime_error(QStringLiteral("The title \"%1\" cannot be a note's file name: it must not "
                                                "be empty, \".\" or \"..\", nor hold \"/\" or control "
                                                "characters.")
                                     .arg(title)
                                     .toStdString());
    return QDir(folder).filePath(title);
}

} // namespace qm
