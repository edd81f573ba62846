#include "notes/NoteFiles.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace qm {

bool IsTextFile(const QString& path) {
    // Opened as every read is, so that a FIFO or device never holds the window; a note is written
    // back, so one the user may not write is no note.
    const UniqueFd fd = OpenRegularFileAt(QString(), path, LinkRule::FollowOwn);
    if (!fd || ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return false;
    // Past the most a note may hold the rest is not looked at: reading it refuses it by name.
    char block[2048];
    for (qint64 seen = 0; seen <= kDocumentLimit;) {
        const ssize_t count = ::read(fd.get(), block, sizeof block);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        for (ssize_t i = 0; i < count; ++i) {
            const auto byte = static_cast<unsigned char>(block[i]);
            if (byte < 32 && byte != 9 && byte != 10 && byte != 13 && byte != 26)
                return false;
        }
        seen += count;
    }
    return true;
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
    // Regular files only: a FIFO, device or socket is no note.
    for (const QFileInfo& file : files)
        if (file.isFile() && MatchesFileMask(file.fileName(), mask))
            names << file.fileName();
    return names;
}

struct NoteSource {
    QString path; // absolute
    QByteArray bytes;
    QString text;
    QList<qsizetype> starts; // where the bytes of each unit of `text` begin; last: the size
    QString lineBreak;       // the form new line breaks take
};

namespace {

// Decodes and folds line breaks; the byte-order mark stays out of the text (its bytes lie before the
// first character's start).
NoteSource DecodeNote(const QByteArray& bytes, CodePage page) {
    const DecodedBytes decoded = DecodeBytes(bytes, page);
    NoteSource note;
    note.bytes = bytes;
    const QString& in = decoded.text;
    const qsizetype n = in.size();
    note.text.reserve(n);
    note.starts.reserve(n + 1);
    qsizetype i = page == CodePage::Utf8 && n > 0 && in[0] == QChar(0xFEFF) ? 1 : 0;
    while (i < n) {
        const QChar c = in[i];
        if (c == u'\r' || c == u'\n') {
            const QChar other = c == u'\r' ? u'\n' : u'\r';
            const qsizetype length = i + 1 < n && in[i + 1] == other ? 2 : 1;
            if (note.lineBreak.isEmpty())
                note.lineBreak = in.mid(i, length);
            note.text.append(u'\n');
            note.starts.append(decoded.starts[i]);
            i += length;
        } else {
            note.text.append(c);
            note.starts.append(decoded.starts[i]);
            ++i;
        }
    }
    note.starts.append(bytes.size());
    if (note.lineBreak.isEmpty())
        note.lineBreak = QStringLiteral("\r\n");
    return note;
}

// A stretch of the old text replaced by a stretch of the new one (units, end exclusive).
struct Edit {
    qsizetype oldBegin, oldEnd, newBegin, newEnd;
};

// The text cut into lines, each with its line break.
struct Lines {
    QList<QStringView> lines;
    QList<qsizetype> starts; // one more than lines: the text's size
};

Lines SplitLines(const QString& text) {
    Lines out;
    qsizetype begin = 0;
    while (begin < text.size()) {
        const qsizetype end = text.indexOf(u'\n', begin);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        out.lines.append(QStringView(text).mid(begin, next - begin));
        out.starts.append(begin);
        begin = next;
    }
    out.starts.append(text.size());
    return out;
}

// The pairs of equal lines (index in a, index in b) of a shortest line diff, in order; nothing when
// more than `limit` lines differ.
std::optional<QList<std::pair<qsizetype, qsizetype>>> MatchLines(const QList<QStringView>& a,
                                                                 const QList<QStringView>& b, int limit) {
    const qsizetype n = a.size(), m = b.size();
    const qsizetype offset = limit + 1;
    std::vector<qsizetype> v(size_t(2 * limit + 3), 0);
    std::vector<std::vector<qsizetype>> trace;
    for (qsizetype d = 0; d <= limit; ++d) {
        trace.push_back(v);
        for (qsizetype k = -d; k <= d; k += 2) {
            qsizetype x = k == -d || (k != d && v[size_t(offset + k - 1)] < v[size_t(offset + k + 1)])
                              ? v[size_t(offset + k + 1)]
                              : v[size_t(offset + k - 1)] + 1;
            qsizetype y = x - k;
            while (x < n && y < m && a[x] == b[y]) {
                ++x;
                ++y;
            }
            v[size_t(offset + k)] = x;
            if (x < n || y < m)
                continue;
            QList<std::pair<qsizetype, qsizetype>> matches;
            for (qsizetype step = d; step >= 0; --step) {
                const std::vector<qsizetype>& before = trace[size_t(step)];
                const qsizetype kk = x - y;
                qsizetype previousX = 0, previousY = 0;
                if (step > 0) {
                    const bool down = kk == -step || (kk != step && before[size_t(offset + kk - 1)] <
                                                                        before[size_t(offset + kk + 1)]);
                    const qsizetype previousK = down ? kk + 1 : kk - 1;
                    previousX = before[size_t(offset + previousK)];
                    previousY = previousX - previousK;
                }
                while (x > previousX && y > previousY) {
                    --x;
                    --y;
                    matches.prepend({x, y});
                }
                x = previousX;
                y = previousY;
            }
            return matches;
        }
    }
    return std::nullopt;
}

// Grows an edit of `a` so that it never begins or ends inside a surrogate pair.
void KeepPairsWhole(Edit& e, const QString& a) {
    if (e.oldBegin > 0 && e.oldBegin < a.size() && a[e.oldBegin].isLowSurrogate()) {
        --e.oldBegin;
        --e.newBegin;
    }
    if (e.oldEnd < a.size() && a[e.oldEnd].isLowSurrogate()) {
        ++e.oldEnd;
        ++e.newEnd;
    }
}

// Narrows an edit to the units that differ, never splitting a surrogate pair.
Edit Narrow(const QString& a, const QString& b, Edit e) {
    while (e.oldBegin < e.oldEnd && e.newBegin < e.newEnd && a[e.oldBegin] == b[e.newBegin]) {
        ++e.oldBegin;
        ++e.newBegin;
    }
    while (e.oldEnd > e.oldBegin && e.newEnd > e.newBegin && a[e.oldEnd - 1] == b[e.newEnd - 1]) {
        --e.oldEnd;
        --e.newEnd;
    }
    KeepPairsWhole(e, a);
    return e;
}

constexpr int kLineDiffLimit = 400;

// The edits that turn `a` into `b`: whole lines first, then the units within them.
QList<Edit> Diff(const QString& a, const QString& b) {
    if (a == b)
        return {};
    const Lines la = SplitLines(a), lb = SplitLines(b);
    qsizetype head = 0;
    while (head < la.lines.size() && head < lb.lines.size() && la.lines[head] == lb.lines[head])
        ++head;
    qsizetype tail = 0;
    while (tail < la.lines.size() - head && tail < lb.lines.size() - head &&
           la.lines[la.lines.size() - 1 - tail] == lb.lines[lb.lines.size() - 1 - tail])
        ++tail;
    const auto middleA = la.lines.mid(head, la.lines.size() - head - tail);
    const auto middleB = lb.lines.mid(head, lb.lines.size() - head - tail);
    auto matches = MatchLines(middleA, middleB, kLineDiffLimit);
    if (!matches)
        matches.emplace();
    matches->append({middleA.size(), middleB.size()}); // the end closes the last gap
    QList<Edit> edits;
    qsizetype ia = 0, ib = 0;
    for (const auto& [ma, mb] : *matches) {
        if (ma > ia || mb > ib) {
            const Edit e{la.starts[head + ia], la.starts[head + ma], lb.starts[head + ib],
                         lb.starts[head + mb]};
            const Edit narrow = Narrow(a, b, e);
            if (narrow.oldBegin < narrow.oldEnd || narrow.newBegin < narrow.newEnd)
                edits.append(narrow);
        }
        ia = ma + 1;
        ib = mb + 1;
    }
    return edits;
}

// Each edit grown by `by` units on either side (the text between edits is the same in both), merged
// where they meet; a surrogate pair is never split.
QList<Edit> Widen(const QList<Edit>& edits, qsizetype by, const QString& a, const QString& b) {
    QList<Edit> out;
    for (Edit e : edits) {
        const qsizetype previousOld = out.isEmpty() ? 0 : out.last().oldEnd;
        const qsizetype left = std::min(by, e.oldBegin - previousOld);
        e.oldBegin -= left;
        e.newBegin -= left;
        const qsizetype right = std::min({by, a.size() - e.oldEnd, b.size() - e.newEnd});
        e.oldEnd += right;
        e.newEnd += right;
        KeepPairsWhole(e, a);
        if (!out.isEmpty() && e.oldBegin <= out.last().oldEnd) {
            out.last().oldEnd = e.oldEnd;
            out.last().newEnd = e.newEnd;
        } else {
            out.append(e);
        }
    }
    return out;
}

// What a note that cannot be encoded leaves undone, for the messages.
struct EncodeFor {
    QString path;
    bool charsetChange = false;

    QString NotDone() const {
        return charsetChange
                   ? QStringLiteral("the charset was not changed")
                   : QStringLiteral("the file \"%1\" was not written").arg(QDir::toNativeSeparators(path));
    }
};

[[noreturn]] void ThrowUnencodable(char32_t c, const NoteEncoding& encoding, const EncodeFor& purpose) {
    const QString character =
        c == 0xFFFD ? QStringLiteral("\uFFFD (a byte that could not be read)") : QString::fromUcs4(&c, 1);
    throw std::runtime_error(
        QStringLiteral("The note holds the character \"%1\" (U+%2), which its code page, %3, cannot hold; "
                       "%4. Remove the character%5.")
            .arg(character, QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'),
                 CodePageName(encoding.page), purpose.NotDone(),
                 purpose.charsetChange ? QString() : QStringLiteral(" or choose another charset"))
            .toStdString());
}

QByteArray Encode(const QString& text, const NoteEncoding& encoding, const QString& lineBreak,
                  const EncodeFor& purpose) {
    QString out = text;
    if (lineBreak != QLatin1String("\n"))
        out.replace(u'\n', lineBreak);
    char32_t bad = 0;
    const auto bytes = EncodeText(out, encoding.page, &bad);
    if (!bytes)
        ThrowUnencodable(bad, encoding, purpose);
    return *bytes;
}

QByteArray Splice(const NoteSource& source, const QString& text, const QList<Edit>& edits,
                  const NoteEncoding& encoding, const EncodeFor& purpose) {
    QByteArray out;
    qsizetype position = 0;
    for (const Edit& e : edits) {
        out += source.bytes.mid(position, source.starts[e.oldBegin] - position);
        out += Encode(text.mid(e.newBegin, e.newEnd - e.newBegin), encoding, source.lineBreak, purpose);
        position = source.starts[e.oldEnd];
    }
    out += source.bytes.mid(position);
    return out;
}

QByteArray EncodeNoteFor(const QString& text, const NoteEncoding& encoding, const EncodeFor& purpose) {
    NoteSource empty;
    empty.starts = {0};
    empty.lineBreak = QStringLiteral("\r\n");
    const NoteSource& source = encoding.source ? *encoding.source : empty;
    const QList<Edit> edits = Diff(source.text, text);
    if (edits.isEmpty() && encoding.source)
        return source.bytes;
    // Bytes joined at an edit can read back otherwise (a lone CR followed by a new LF is one break):
    // such edits take in their neighbours until the bytes read back as the text.
    for (qsizetype by : {0, 1, 2, 8, -1}) {
        const QList<Edit> tried = by < 0 ? QList<Edit>{{0, source.text.size(), 0, text.size()}}
                                         : Widen(edits, by, source.text, text);
        const QByteArray bytes = Splice(source, text, tried, encoding, purpose);
        if (DecodeNote(bytes, encoding.page).text == text)
            return bytes;
    }
    throw std::runtime_error(
        (QStringLiteral("The note cannot be written so that it reads back as it is shown; ") +
         purpose.NotDone() + QLatin1Char('.'))
            .toStdString());
}

} // namespace

NoteEncoding NoteEncodingForCharset(int charset) {
    NoteEncoding encoding;
    encoding.charset = charset;
    encoding.page = CodePageForCharset(charset, QByteArray());
    return encoding;
}

NoteText ReadNoteFile(const QString& path, const NoteEncoding& encoding) {
    QByteArray bytes;
    QString error;
    if (!ReadFileWhole(path, &bytes, &error, LinkRule::FollowOwn, kDocumentLimit))
        throw std::runtime_error(error.toStdString());
    NoteText note;
    note.used.charset = encoding.charset;
    note.used.page = CodePageForCharset(encoding.charset, bytes);
    auto source = std::make_shared<NoteSource>(DecodeNote(bytes, note.used.page));
    source->path = QFileInfo(path).absoluteFilePath();
    note.text = source->text;
    note.used.source = std::move(source);
    return note;
}

NoteText RereadNote(const QString& text, const NoteEncoding& encoding, int charset) {
    const QByteArray bytes = EncodeNoteFor(text, encoding, {encoding.source->path, true});
    NoteText note;
    note.used.charset = charset;
    note.used.page = CodePageForCharset(charset, bytes);
    auto source = std::make_shared<NoteSource>(DecodeNote(bytes, note.used.page));
    source->path = encoding.source->path;
    source->lineBreak = encoding.source->lineBreak;
    note.text = source->text;
    note.used.source = std::move(source);
    return note;
}

QByteArray EncodeNote(const QString& text, const NoteEncoding& encoding, const QString& path) {
    return EncodeNoteFor(text, encoding, {path});
}

void WriteNoteFile(const QString& path, const QString& text, NoteEncoding& encoding) {
    const QByteArray bytes = EncodeNote(text, encoding, path);
    QString error;
    if (!WriteFileAtomically(path, bytes, &error))
        throw std::runtime_error(error.toStdString());
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!encoding.source || encoding.source->path == absolute) {
        auto source = std::make_shared<NoteSource>(DecodeNote(bytes, encoding.page));
        source->path = absolute;
        if (encoding.source)
            source->lineBreak = encoding.source->lineBreak;
        encoding.source = std::move(source);
    }
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
