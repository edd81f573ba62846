#include "TextLines.h"

#include "MessageBox.h"
#include "SafeFile.h"

#include <QStringDecoder>

#include <cerrno>

namespace qm {

namespace {

QString Decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

} // namespace

bool LoadTextLines(const QString& path, QStringList& lines, QString* error) {
    lines.clear();
    QByteArray bytes;
    if (!ReadFileWhole(path, &bytes, error, LinkRule::FollowOwn, kSmallFileLimit))
        return false;
    lines = SplitLines(Decode(bytes));
    return true;
}

QStringList LoadTextLines(const QString& path) {
    QStringList lines;
    LoadTextLines(path, lines);
    return lines;
}

QStringList LoadSettingLines(const QString& path) {
    QStringList lines;
    QString error;
    // A file gone since the caller looked for it is no fault: it reads as empty.
    if (!LoadTextLines(path, lines, &error) && errno != ENOENT)
        MessageBox(error, QStringLiteral("Quellmire Organizer"), Mb::Ok | Mb::IconExclamation);
    return lines;
}

bool SaveTextLines(const QString& path, const QStringList& lines, QString* error) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return WriteFileAtomically(path, bytes, error);
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

} // namespace qm
