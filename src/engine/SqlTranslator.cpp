#include "engine/SqlTranslator.h"

#include "engine/EngineError.h"

#include <vector>

namespace qm {

namespace {

enum class TokenType { Word, Number, Text, Parameter, Symbol };

struct Token {
    TokenType type;
    QString text; // a Text token holds the literal's content, unquoted
    int line;
};

bool IsWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}
bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::vector<Token> Tokenise(const QString& sql) {
    std::vector<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\n')) {
            ++line;
            ++i;
            continue;
        }
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QChar(0))
            throw EngineError(
                QStringLiteral("The SQL statement contains a NUL character (line %1)").arg(line));
        if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                throw EngineError(
                    QStringLiteral("Unterminated comment in SQL statement (line %1)").arg(line));
            line += int(QStringView(sql).mid(i, end - i).count(QLatin1Char('\n')));
            i = end + 2;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // A doubled quote inside stands for one quote character.
            const int startLine = line;
            QString content;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        content += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (sql[j] == QChar(0))
                    throw EngineError(
                        QStringLiteral("The SQL statement contains a NUL character (line %1)").arg(line));
                if (sql[j] == QLatin1Char('\n'))
                    ++line;
                content += sql[j];
                ++j;
            }
            if (!closed)
                throw EngineError(
                    QStringLiteral("Unterminated text literal in SQL statement (starting on line %1)")
                        .arg(startLine));
            tokens.push_back({TokenType::Text, content, startLine});
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char(':')) {
            qsizetype j = i + 1;
            while (j < n && IsWordChar(sql[j]))
                ++j;
            if (j == i + 1)
                throw EngineError(
                    QStringLiteral("Parameter name missing after ':' in SQL statement (line %1)").arg(line));
            tokens.push_back({TokenType::Parameter, sql.mid(i + 1, j - i - 1).toLower(), line});
            i = j;
            continue;
        }
        if (IsDigit(c) || (c == QLatin1Char('.') && i + 1 < n && IsDigit(sql[i + 1]))) {
            qsizetype j = i;
            while (j < n && IsDigit(sql[j]))
                ++j;
            if (j < n && sql[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && IsDigit(sql[j]))
                    ++j;
            }
            if (j < n && (sql[j] == QLatin1Char('e') || sql[j] == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (sql[k] == QLatin1Char('+') || sql[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && IsDigit(sql[k])) {
                    while (k < n && IsDigit(sql[k]))
                        ++k;
                    j = k;
                }
            }
            tokens.push_back({TokenType::Number, sql.mid(i, j - i), line});
            i = j;
            continue;
        }
        if (IsWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && IsWordChar(sql[j]))
                ++j;
            tokens.push_back({TokenType::Word, sql.mid(i, j - i), line});
            i = j;
            continue;
        }
        static const char* const twoCharSymbols[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>"};
        bool matched = false;
        if (i + 1 < n) {
            for (const char* symbol : twoCharSymbols) {
                if (c == QLatin1Char(symbol[0]) && sql[i + 1] == QLatin1Char(symbol[1])) {
                    tokens.push_back({TokenType::Symbol, QString::fromLatin1(symbol, 2), line});
                    i += 2;
                    matched = true;
                    break;
                }
            }
        }
        if (matched)
            continue;
        if (QStringLiteral("(),;.=<>+-*/%&|~").contains(c)) {
            tokens.push_back({TokenType::Symbol, QString(c), line});
            ++i;
            continue;
        }
        throw EngineError(
            QStringLiteral("Unexpected character '%1' in SQL statement (line %2)").arg(c).arg(line));
    }
    return tokens;
}

bool IsWord(const Token& t, const char* word) {
    return t.type == TokenType::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}
bool IsSymbol(const Token& t, const char* symbol) {
    return t.type == TokenType::Symbol && t.text == QLatin1String(symbol);
}

QString QuoteLiteral(const QString& content) {
    QString quoted = content;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Index of the ")" closing the "(" at `open`; throws when there is none.
size_t MatchingParen(const std::vector<Token>& tokens, size_t open) {
    int depth = 0;
    for (size_t i = open; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], "("))
            ++depth;
        else if (IsSymbol(tokens[i], ")") && --depth == 0)
            return i;
    }
    throw EngineError(QStringLiteral("Missing ')' in SQL statement (line %1)").arg(tokens[open].line));
}

class Emitter {
public:
    Emitter(const std::vector<Token>& tokens, bool foldedLike) : m_tokens(tokens), m_foldedLike(foldedLike) {}

    // Plain emission of tokens [begin, end), rewriting EXTRACT(part FROM expr).
    void EmitRange(size_t begin, size_t end) {
        for (size_t i = begin; i < end;) {
            const Token& t = m_tokens[i];
            if (m_foldedLike && IsFoldedLike(i, begin, end)) {
                Add(QStringLiteral("qm_upper_like ("));
                EmitToken(m_tokens[i + 7]);
                Add(QStringLiteral(","));
                EmitToken(m_tokens[i + 2]);
                Add(QStringLiteral(")"));
                i += 9;
                continue;
            }
            if (IsWord(t, "EXTRACT") && i + 1 < end && IsSymbol(m_tokens[i + 1], "(")) {
                i = EmitExtract(i, end);
                continue;
            }
            EmitToken(t);
            ++i;
        }
    }

    // The column definitions of CREATE TABLE between the parentheses [open, close].
    void EmitColumnDefinitions(size_t open, size_t close) {
        Add(QStringLiteral("("));
        size_t i = open + 1;
        while (i < close) {
            // One definition runs to the next "," at this depth.
            size_t end = i;
            int depth = 0;
            while (end < close) {
                if (IsSymbol(m_tokens[end], "("))
                    ++depth;
                else if (IsSymbol(m_tokens[end], ")"))
                    --depth;
                else if (depth == 0 && IsSymbol(m_tokens[end], ","))
                    break;
                ++end;
            }
            EmitColumnDefinition(i, end);
            if (end < close) {
                Add(QStringLiteral(","));
                ++end;
            }
            i = end;
        }
        Add(QStringLiteral(")"));
    }

    QString Result() const { return m_parts.join(QLatin1Char(' ')); }
    const QStringList& Parameters() const { return m_parameters; }

private:
    void Add(const QString& part) { m_parts.append(part); }

    // UPPER ( column ) LIKE UPPER ( :param | "text" ) at i, as a whole condition: what stands
    // before and after binds no tighter than LIKE.
    bool IsFoldedLike(size_t i, size_t begin, size_t end) const {
        if (i + 9 > end)
            return false;
        const auto& t = m_tokens;
        if (!IsWord(t[i], "UPPER") || !IsSymbol(t[i + 1], "(") || t[i + 2].type != TokenType::Word ||
            !IsSymbol(t[i + 3], ")") || !IsWord(t[i + 4], "LIKE") || !IsWord(t[i + 5], "UPPER") ||
            !IsSymbol(t[i + 6], "(") ||
            (t[i + 7].type != TokenType::Parameter && t[i + 7].type != TokenType::Text) ||
            !IsSymbol(t[i + 8], ")"))
            return false;
        if (i > begin) {
            const Token& before = t[i - 1];
            if (!IsWord(before, "WHERE") && !IsWord(before, "AND") && !IsWord(before, "OR") &&
                !IsWord(before, "NOT") && !IsSymbol(before, "("))
                return false;
        }
        if (i + 9 < end) {
            const Token& after = t[i + 9];
            if (!IsWord(after, "AND") && !IsWord(after, "OR") && !IsWord(after, "ORDER") &&
                !IsWord(after, "GROUP") && !IsWord(after, "LIMIT") && !IsSymbol(after, ")"))
                return false;
        }
        return true;
    }

    void EmitToken(const Token& t) {
        switch (t.type) {
        case TokenType::Text:
            Add(QuoteLiteral(t.text));
            break;
        case TokenType::Parameter:
            Add(QLatin1Char(':') + t.text);
            if (!m_parameters.contains(t.text))
                m_parameters.append(t.text);
            break;
        default:
            Add(t.text);
        }
    }

    size_t EmitExtract(size_t at, size_t end) {
        const size_t close = MatchingParen(m_tokens, at + 1);
        if (close >= end || at + 4 > close || m_tokens[at + 2].type != TokenType::Word ||
            !IsWord(m_tokens[at + 3], "FROM"))
            throw EngineError(QStringLiteral("EXTRACT needs the form EXTRACT(MONTH FROM column) (line %1)")
                                  .arg(m_tokens[at].line));
        const QString part = m_tokens[at + 2].text.toUpper();
        static const struct {
            const char* part;
            const char* format;
        } parts[] = {{"YEAR", "%Y"}, {"MONTH", "%m"},  {"DAY", "%d"},
                     {"HOUR", "%H"}, {"MINUTE", "%M"}, {"SECOND", "%S"}};
        const char* format = nullptr;
        for (const auto& p : parts)
            if (part == QLatin1String(p.part))
                format = p.format;
        if (!format)
            throw EngineError(QStringLiteral("EXTRACT cannot take the part '%1' (line %2)")
                                  .arg(m_tokens[at + 2].text)
                                  .arg(m_tokens[at].line));
        Add(QStringLiteral("CAST ( strftime ( '%1' ,").arg(QLatin1String(format)));
        EmitRange(at + 4, close);
        Add(QStringLiteral(") AS INTEGER )"));
        return close + 1;
    }

    void EmitColumnDefinition(size_t begin, size_t end) {
        if (begin >= end)
            return;
        const Token& first = m_tokens[begin];
        const bool isConstraint = IsWord(first, "PRIMARY") || IsWord(first, "UNIQUE") ||
                                  IsWord(first, "CHECK") || IsWord(first, "FOREIGN") ||
                                  IsWord(first, "CONSTRAINT");
        if (isConstraint || begin + 1 >= end || m_tokens[begin + 1].type != TokenType::Word) {
            EmitRange(begin, end);
            return;
        }
        EmitToken(first);
        const Token& type = m_tokens[begin + 1];
        size_t rest = begin + 2;
        if (IsWord(type, "AUTOINC")) {
            Add(QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        } else {
            // The type keeps its declared text, written compactly ("CHARACTER(255)") so that
            // the type the file reports is the one the program declared.
            QString typeText = type.text;
            if (rest < end && IsSymbol(m_tokens[rest], "(")) {
                const size_t close = MatchingParen(m_tokens, rest);
                if (close >= end)
                    throw EngineError(QStringLiteral("Missing ')' in column type (line %1)").arg(type.line));
                for (size_t k = rest; k <= close; ++k) {
                    if (m_tokens[k].type != TokenType::Number && m_tokens[k].type != TokenType::Symbol)
                        throw EngineError(
                            QStringLiteral("Invalid column type size (line %1)").arg(type.line));
                    typeText += m_tokens[k].text;
                }
                rest = close + 1;
            }
            Add(typeText);
            const QString upper = type.text.toUpper();
            const bool isText = upper == QLatin1String("CHARACTER") || upper == QLatin1String("CHAR") ||
                                upper == QLatin1String("VARCHAR") || upper == QLatin1String("TEXT");
            bool hasDefault = false;
            for (size_t k = rest; k < end; ++k)
                hasDefault = hasDefault || IsWord(m_tokens[k], "DEFAULT");
            // Empty text is stored as '' so that a "%%" pattern matches a row never filled in.
            if (isText && !hasDefault)
                Add(QStringLiteral("DEFAULT ''"));
        }
        EmitRange(rest, end);
    }

    const std::vector<Token>& m_tokens;
    bool m_foldedLike = false;
    QStringList m_parts;
    QStringList m_parameters;
};

// The word after the first `keyword` outside parentheses, from `from` on.
QString TableAfter(const std::vector<Token>& tokens, const char* keyword, size_t from = 0) {
    int depth = 0;
    for (size_t i = from; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], "("))
            ++depth;
        else if (IsSymbol(tokens[i], ")"))
            --depth;
        else if (depth == 0 && IsWord(tokens[i], keyword)) {
            if (i + 1 < tokens.size() && tokens[i + 1].type == TokenType::Word)
                return tokens[i + 1].text;
            return QString();
        }
    }
    return QString();
}

} // namespace

TranslatedStatement TranslateLocalSql(const QString& localSql, bool foldedLike) {
    std::vector<Token> tokens = Tokenise(localSql);
    while (!tokens.empty() && IsSymbol(tokens.back(), ";"))
        tokens.pop_back();
    if (tokens.empty())
        throw EngineError(QStringLiteral("Empty SQL statement"));
    for (const Token& t : tokens)
        if (IsSymbol(t, ";"))
            throw EngineError(
                QStringLiteral("Only one SQL statement can be run at a time (';' on line %1)").arg(t.line));

    TranslatedStatement result;
    const Token& first = tokens.front();
    if (IsWord(first, "SELECT")) {
        result.kind = StatementKind::Select;
        result.table = TableAfter(tokens, "FROM");
    } else if (IsWord(first, "INSERT")) {
        result.kind = StatementKind::Insert;
        result.table = TableAfter(tokens, "INTO");
    } else if (IsWord(first, "UPDATE")) {
        result.kind = StatementKind::Update;
        if (tokens.size() > 1 && tokens[1].type == TokenType::Word)
            result.table = tokens[1].text;
    } else if (IsWord(first, "DELETE")) {
        result.kind = StatementKind::Delete;
        result.table = TableAfter(tokens, "FROM");
    } else if (IsWord(first, "CREATE") && tokens.size() > 1 && IsWord(tokens[1], "TABLE")) {
        result.kind = StatementKind::CreateTable;
        size_t at = 2;
        if (at + 2 < tokens.size() && IsWord(tokens[at], "IF") && IsWord(tokens[at + 1], "NOT") &&
            IsWord(tokens[at + 2], "EXISTS"))
            at += 3;
        if (at < tokens.size() && tokens[at].type == TokenType::Word)
            result.table = tokens[at].text;
    } else {
        result.kind = StatementKind::Other;
        result.table = TableAfter(tokens, "TABLE");
        if (result.table.isEmpty())
            result.table = TableAfter(tokens, "FROM");
    }
    if (result.table.isEmpty())
        throw EngineError(QStringLiteral("The SQL statement names no table: %1").arg(localSql.simplified()));

    Emitter emitter(tokens, foldedLike && result.kind == StatementKind::Select);
    if (result.kind == StatementKind::CreateTable) {
        size_t open = 0;
        while (open < tokens.size() && !IsSymbol(tokens[open], "("))
            ++open;
        if (open == tokens.size())
            throw EngineError(QStringLiteral("CREATE TABLE %1 lists no columns").arg(result.table));
        const size_t close = MatchingParen(tokens, open);
        emitter.EmitRange(0, open);
        emitter.EmitColumnDefinitions(open, close);
        emitter.EmitRange(close + 1, tokens.size());
    } else {
        emitter.EmitRange(0, tokens.size());
    }
    result.sql = emitter.Result();
    result.parameters = emitter.Parameters();
    return result;
}

} // namespace qm
