#include "store/LocalSqlTranslator.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <optional>
#include <vector>

namespace velmora {

namespace {

// The translator works on a tree: every parenthesis becomes a Group node, so
// that each rewrite only ever looks at the tokens of one nesting level.
enum class Kind {
    Word,     // identifier or keyword, as written
    Number,
    String,   // text constant; value holds the content
    Ident,    // double-quoted identifier; value holds the name
    DQuoted,  // double-quoted token not yet classified
    Param,    // :Name
    Op,       // operators, comma, dot, and anything unrecognised (kept verbatim)
    Group,    // ( children )
    Raw,      // already translated SQLite text
};

struct Node {
    Kind kind = Kind::Op;
    QString ws;    // whitespace in front; kept so the output keeps the statement's lines
    QString text;  // spelling for Word, Number, Param, Op, Raw
    QString value; // content of String, Ident, DQuoted
    std::vector<Node> children;
    QString closeWs;
    bool closed = true;
    bool yieldsText = false; // Raw and Group: the expression's value is text
};

using Nodes = std::vector<Node>;

const QSet<QString> &keywords() {
    static const QSet<QString> set{
        QStringLiteral("SELECT"),  QStringLiteral("DISTINCT"), QStringLiteral("ALL"),
        QStringLiteral("FROM"),    QStringLiteral("WHERE"),    QStringLiteral("GROUP"),
        QStringLiteral("ORDER"),   QStringLiteral("BY"),       QStringLiteral("HAVING"),
        QStringLiteral("UNION"),   QStringLiteral("AS"),       QStringLiteral("ON"),
        QStringLiteral("JOIN"),    QStringLiteral("INNER"),    QStringLiteral("LEFT"),
        QStringLiteral("RIGHT"),   QStringLiteral("OUTER"),    QStringLiteral("FULL"),
        QStringLiteral("CROSS"),   QStringLiteral("AND"),      QStringLiteral("OR"),
        QStringLiteral("NOT"),     QStringLiteral("IN"),       QStringLiteral("IS"),
        QStringLiteral("LIKE"),    QStringLiteral("BETWEEN"),  QStringLiteral("CASE"),
        QStringLiteral("WHEN"),    QStringLiteral("THEN"),     QStringLiteral("ELSE"),
        QStringLiteral("END"),     QStringLiteral("ESCAPE"),   QStringLiteral("ASC"),
        QStringLiteral("DESC"),    QStringLiteral("INSERT"),   QStringLiteral("INTO"),
        QStringLiteral("VALUES"),  QStringLiteral("UPDATE"),   QStringLiteral("SET"),
        QStringLiteral("DELETE"),  QStringLiteral("EXISTS"),   QStringLiteral("NULL"),
        QStringLiteral("TRUE"),    QStringLiteral("FALSE"),    QStringLiteral("FOR"),
    };
    return set;
}

bool isKeyword(const QString &word) { return keywords().contains(word.toUpper()); }

bool isOp(const Node &n, const char *op) { return n.kind == Kind::Op && n.text == QLatin1String(op); }
bool isWord(const Node &n, const char *w) {
    return n.kind == Kind::Word && n.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}

bool isComparisonOp(const Node &n) {
    if (n.kind == Kind::Op)
        return n.text == QLatin1String("=") || n.text == QLatin1String("<>") || n.text == QLatin1String("!=") ||
               n.text == QLatin1String("<") || n.text == QLatin1String(">") || n.text == QLatin1String("<=") ||
               n.text == QLatin1String(">=");
    return isWord(n, "LIKE");
}

// Operators binding tighter than a comparison; an operand next to one of
// these is only part of a larger expression.
bool isArithmeticOp(const Node &n) {
    return n.kind == Kind::Op &&
           (n.text == QLatin1String("+") || n.text == QLatin1String("-") || n.text == QLatin1String("*") ||
            n.text == QLatin1String("/") || n.text == QLatin1String("||") || n.text == QLatin1String("."));
}

QString quoteText(const QString &value) {
    QString v = value;
    v.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

QString quoteIdent(const QString &name) {
    QString v = name;
    v.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

// --- tokeniser --------------------------------------------------------------

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
}

// Reads a quoted token starting at s[i]; returns false when it is not closed.
bool readQuoted(const QString &s, qsizetype &i, QChar quote, QString &value) {
    ++i;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                value += quote;
                i += 2;
                continue;
            }
            ++i;
            return true;
        }
        value += s[i++];
    }
    return false;
}

Nodes tokenize(const QString &s, QString &trailingWs) {
    Nodes out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    QString ws;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ws += c;
            ++i;
            continue;
        }
        Node t;
        t.ws = ws;
        ws.clear();
        const qsizetype start = i;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            if (readQuoted(s, i, c, value)) {
                t.kind = c == QLatin1Char('\'') ? Kind::String : Kind::DQuoted;
                t.value = value;
            } else {
                // Left for SQLite to report; guessing a closing quote could change the meaning.
                t.kind = Kind::Op;
                t.text = s.mid(start);
            }
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && s[i].isDigit())
                ++i;
            if (i < n && s[i] == QLatin1Char('.')) {
                ++i;
                while (i < n && s[i].isDigit())
                    ++i;
            }
            if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
                qsizetype j = i + 1;
                if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
                    ++j;
                if (j < n && s[j].isDigit()) {
                    i = j;
                    while (i < n && s[i].isDigit())
                        ++i;
                }
            }
            t.kind = Kind::Number;
            t.text = s.mid(start, i - start);
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            t.kind = Kind::Word;
            t.text = s.mid(start, i - start);
        } else if (c == QLatin1Char(':') && i + 1 < n && isWordStart(s[i + 1])) {
            ++i;
            while (i < n && isWordChar(s[i]))
                ++i;
            t.kind = Kind::Param;
            t.text = s.mid(start, i - start);
        } else {
            static const char *const twoChar[] = {"<>", "<=", ">=", "!=", "||"};
            t.kind = Kind::Op;
            t.text = c;
            ++i;
            if (i < n) {
                const QString pair = s.mid(start, 2);
                for (const char *op : twoChar)
                    if (pair == QLatin1String(op)) {
                        t.text = pair;
                        ++i;
                        break;
                    }
            }
        }
        out.push_back(std::move(t));
    }
    trailingWs = ws;
    return out;
}

Nodes buildLevel(Nodes &toks, size_t &i, Node *group) {
    Nodes out;
    while (i < toks.size()) {
        Node &t = toks[i];
        if (isOp(t, "(")) {
            Node g;
            g.kind = Kind::Group;
            g.ws = t.ws;
            ++i;
            g.children = buildLevel(toks, i, &g);
            out.push_back(std::move(g));
            continue;
        }
        if (isOp(t, ")") && group) {
            group->closeWs = t.ws;
            group->closed = true;
            ++i;
            return out;
        }
        out.push_back(std::move(t));
        ++i;
    }
    if (group)
        group->closed = false;
    return out;
}

// --- rendering --------------------------------------------------------------

bool fusesWith(QChar a, QChar b) {
    auto wordish = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('\'') || c == QLatin1Char('"');
    };
    return wordish(a) && wordish(b);
}

QString body(const Node &n);

void append(QString &out, const QString &ws, const QString &text) {
    // A rewrite may put two tokens together that the original kept apart
    // by a quote character ("P"as -> 'P'as is fine, 'a''b' is not).
    if (ws.isEmpty() && !out.isEmpty() && !text.isEmpty() && fusesWith(out.back(), text.front()))
        out += QLatin1Char(' ');
    out += ws;
    out += text;
}

QString render(const Nodes &nodes, size_t b, size_t e, bool dropLeadingWs) {
    QString out;
    for (size_t k = b; k < e; ++k)
        append(out, (k == b && dropLeadingWs) ? QString() : nodes[k].ws, body(nodes[k]));
    return out;
}

QString render(const Nodes &nodes) { return render(nodes, 0, nodes.size(), false); }

QString body(const Node &n) {
    switch (n.kind) {
    case Kind::String:
        return quoteText(n.value);
    case Kind::Ident:
    case Kind::DQuoted:
        return quoteIdent(n.value);
    case Kind::Group: {
        QString s = QStringLiteral("(") + render(n.children) + n.closeWs;
        if (n.closed)
            s += QLatin1Char(')');
        return s;
    }
    default:
        return n.text;
    }
}

Node makeRaw(const QString &ws, const QString &text, bool yieldsText) {
    Node r;
    r.kind = Kind::Raw;
    r.ws = ws;
    r.text = text;
    r.yieldsText = yieldsText;
    return r;
}

// --- date literals -----------------------------------------------------------

// A date-only literal in stored (yyyy-MM-dd) or German (dd.MM.yyyy) form.
std::optional<QDate> dateOnlyLiteral(const QString &text) {
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})$)"));
    static const QRegularExpression german(QStringLiteral(R"(^(\d{1,2})\.(\d{1,2})\.(\d{4})$)"));
    QDate d;
    if (auto m = iso.match(text); m.hasMatch())
        d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    else if (auto g = german.match(text); g.hasMatch())
        d = QDate(g.captured(3).toInt(), g.captured(2).toInt(), g.captured(1).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

// A German date with a time part ("11.01.2026 18:30") in stored form.
std::optional<QString> germanDateTimeLiteral(const QString &text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d{1,2})\.(\d{1,2})\.(\d{4})\s+(\d{1,2}:\d{2}(?::\d{2}(?:\.\d{1,3})?)?)$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate d(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid())
        return std::nullopt;
    QString time = m.captured(4);
    if (time.indexOf(QLatin1Char(':')) == 1)
        time.prepend(QLatin1Char('0'));
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time;
}

QString isoDate(const QDate &d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

// --- the translation itself --------------------------------------------------

struct ColumnRef {
    QString qualifier;
    QString column;
    size_t length = 0; // 1 (Name) or 3 (Qualifier . Name)
};

class Translator {
public:
    explicit Translator(const SchemaLookup &schema) : m_schema(schema) {}

    QString run(const QString &sql) {
        QString trailingWs;
        Nodes toks = tokenize(sql, trailingWs);
        scanTableLists(toks);
        classifyDoubleQuoted(toks);
        size_t i = 0;
        Nodes tree = buildLevel(toks, i, nullptr);
        transformLevel(tree);
        return render(tree) + trailingWs;
    }

private:
    static bool isName(const Nodes &n, size_t i) {
        if (n[i].kind == Kind::Ident)
            return true;
        if (n[i].kind != Kind::Word)
            return false;
        // After a dot even a reserved word (trfield.Left) names a column.
        return (i > 0 && isOp(n[i - 1], ".")) || !isKeyword(n[i].text);
    }
    static QString nameOf(const Node &n) { return n.kind == Kind::Word ? n.text : n.value; }

    QString tableName(const QString &name) const {
        // Tables may be written with their old file extension.
        if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive) && m_schema.isTable(name))
            return name.left(name.size() - 3);
        return name;
    }

    // Collects the tables (and their aliases) named after FROM and JOIN, so
    // that unqualified and alias-qualified columns find their real type.
    void scanTableLists(const Nodes &t) {
        for (size_t i = 0; i < t.size(); ++i) {
            if (!isWord(t[i], "FROM") && !isWord(t[i], "JOIN"))
                continue;
            size_t j = i + 1;
            while (j < t.size()) {
                const Node &name = t[j];
                const bool nameLike = (name.kind == Kind::Word && !isKeyword(name.text)) || name.kind == Kind::DQuoted;
                if (!nameLike || !m_schema.isTable(nameOf(name)))
                    break;
                size_t k = j + 1;
                if (k < t.size() && (isOp(t[k], ".") || isOp(t[k], "(")))
                    break; // EXTRACT(YEAR FROM tr.Datum) and the like
                const QString table = tableName(nameOf(name));
                if (!m_fromTables.contains(table, Qt::CaseInsensitive))
                    m_fromTables << table;
                if (k < t.size() && isWord(t[k], "AS"))
                    ++k;
                if (k < t.size() && t[k].kind == Kind::Word && !isKeyword(t[k].text)) {
                    m_aliases.insert(t[k].text.toLower(), table);
                    ++k;
                }
                if (k < t.size() && isOp(t[k], ",")) {
                    j = k + 1;
                    continue;
                }
                break;
            }
        }
    }

    FieldType typeOf(const QString &qualifier, const QString &column) const {
        if (!qualifier.isEmpty()) {
            const QString table = m_aliases.value(qualifier.toLower(), tableName(qualifier));
            FieldType t = m_schema.columnType(table, column);
            if (t == FieldType::Unknown && table != qualifier)
                t = m_schema.columnType(qualifier, column);
            return t;
        }
        for (const QString &table : m_fromTables) {
            const FieldType t = m_schema.columnType(table, column);
            if (t != FieldType::Unknown)
                return t;
        }
        return m_schema.columnType(QString(), column);
    }

    // The engine reads a double-quoted token as a name or as text depending
    // on where it stands; SQLite would read every one of them as a name.
    void classifyDoubleQuoted(Nodes &t) const {
        auto textOp = [](const Node &n) { return isOp(n, "+") || isOp(n, "||"); };
        for (size_t i = 0; i < t.size(); ++i) {
            Node &n = t[i];
            if (n.kind != Kind::DQuoted)
                continue;
            const Node *prev = i > 0 ? &t[i - 1] : nullptr;
            const Node *next = i + 1 < t.size() ? &t[i + 1] : nullptr;
            bool ident;
            if ((prev && isOp(*prev, ".")) || (next && isOp(*next, ".")))
                ident = true;
            // A bare table name is no valid operand, so text wins here even
            // when the text happens to equal a table's name.
            else if ((prev && (isComparisonOp(*prev) || textOp(*prev))) || (next && textOp(*next)))
                ident = false;
            else if (m_schema.isTable(n.value))
                ident = true;
            else if (prev && isWord(*prev, "AS"))
                ident = true; // a column alias
            else
                ident = typeOf(QString(), n.value) != FieldType::Unknown;
            if (ident) {
                n.kind = Kind::Ident;
                n.value = tableName(n.value);
            } else {
                n.kind = Kind::String;
            }
        }
    }

    // A column reference starting at i: Name or Qualifier.Name, not part of a
    // longer dotted name and not a function call.
    static std::optional<ColumnRef> columnRefAt(const Nodes &n, size_t i, size_t end) {
        if (i >= end || !isName(n, i) || (i > 0 && isOp(n[i - 1], ".")))
            return std::nullopt;
        ColumnRef r;
        if (i + 2 < end && isOp(n[i + 1], ".") && isName(n, i + 2)) {
            r.qualifier = nameOf(n[i]);
            r.column = nameOf(n[i + 2]);
            r.length = 3;
        } else {
            r.column = nameOf(n[i]);
            r.length = 1;
        }
        const size_t after = i + r.length;
        if (after < end && (isOp(n[after], ".") || n[after].kind == Kind::Group))
            return std::nullopt;
        return r;
    }

    // The range [b, e) is exactly one column reference.
    static std::optional<ColumnRef> exactColumnRef(const Nodes &n, size_t b, size_t e) {
        auto r = columnRefAt(n, b, e);
        if (r && b + r->length == e)
            return r;
        return std::nullopt;
    }

    bool isTextOperand(const Nodes &n, size_t b, size_t e) const {
        if (e - b == 1) {
            const Node &x = n[b];
            if (x.kind == Kind::String)
                return true;
            if (x.kind == Kind::Raw || x.kind == Kind::Group)
                return x.yieldsText;
        }
        if (e - b == 2 && n[b].kind == Kind::Word && n[b + 1].kind == Kind::Group) {
            static const QSet<QString> textFunctions{
                QStringLiteral("UPPER"), QStringLiteral("LOWER"), QStringLiteral("TRIM"),
                QStringLiteral("LTRIM"), QStringLiteral("RTRIM"), QStringLiteral("SUBSTRING"),
                QStringLiteral("SUBSTR"), QStringLiteral("REPLACE"),
            };
            return textFunctions.contains(n[b].text.toUpper());
        }
        if (auto ref = exactColumnRef(n, b, e))
            return isTextType(typeOf(ref->qualifier, ref->column));
        return false;
    }

    void transformLevel(Nodes &nodes) {
        for (Node &n : nodes)
            if (n.kind == Kind::Group) {
                transformLevel(n.children);
                n.yieldsText = !n.children.empty() && isTextOperand(n.children, 0, n.children.size());
            }
        rewriteFunctions(nodes);
        rewriteDateComparisons(nodes);
        rewriteConcatenations(nodes);
    }

    // --- functions ---

    static int findWord(const Nodes &c, const char *word, size_t from = 0) {
        for (size_t k = from; k < c.size(); ++k)
            if (isWord(c[k], word))
                return int(k);
        return -1;
    }

    void rewriteFunctions(Nodes &nodes) {
        for (size_t i = 0; i + 1 < nodes.size(); ++i) {
            if (nodes[i].kind != Kind::Word || nodes[i + 1].kind != Kind::Group || !nodes[i + 1].closed)
                continue;
            if (i > 0 && isOp(nodes[i - 1], "."))
                continue;
            const QString name = nodes[i].text.toUpper();
            const Nodes &args = nodes[i + 1].children;
            std::optional<Node> r;
            if (name == QLatin1String("EXTRACT"))
                r = rewriteExtract(args);
            else if (name == QLatin1String("CAST"))
                r = rewriteCast(args);
            else if (name == QLatin1String("SUBSTRING"))
                r = rewriteSubstring(args);
            else if (name == QLatin1String("TRIM"))
                r = rewriteTrim(args);
            if (!r)
                continue;
            r->ws = nodes[i].ws;
            nodes[i] = std::move(*r);
            nodes.erase(nodes.begin() + qsizetype(i) + 1);
        }
    }

    std::optional<Node> rewriteExtract(const Nodes &c) const {
        const int from = findWord(c, "FROM");
        if (from != 1 || c[0].kind != Kind::Word || size_t(from) + 1 >= c.size())
            return std::nullopt;
        static const QHash<QString, QString> formats{
            {QStringLiteral("YEAR"), QStringLiteral("%Y")},   {QStringLiteral("MONTH"), QStringLiteral("%m")},
            {QStringLiteral("DAY"), QStringLiteral("%d")},    {QStringLiteral("HOUR"), QStringLiteral("%H")},
            {QStringLiteral("MINUTE"), QStringLiteral("%M")}, {QStringLiteral("SECOND"), QStringLiteral("%S")},
        };
        const QString fmt = formats.value(c[0].text.toUpper());
        if (fmt.isEmpty())
            return std::nullopt;
        const QString x = render(c, size_t(from) + 1, c.size(), true);
        return makeRaw({}, QStringLiteral("CAST(strftime('%1', %2) AS INTEGER)").arg(fmt, x), false);
    }

    std::optional<Node> rewriteCast(const Nodes &c) const {
        int as = -1;
        for (size_t k = 0; k < c.size(); ++k)
            if (isWord(c[k], "AS"))
                as = int(k);
        if (as <= 0 || size_t(as) + 1 >= c.size() || c[size_t(as) + 1].kind != Kind::Word)
            return std::nullopt;
        const size_t xEnd = size_t(as);
        const QString x = render(c, 0, xEnd, true);
        const QString type = c[xEnd + 1].text.toUpper();
        const auto ref = exactColumnRef(c, 0, xEnd);
        const FieldType ft = ref ? typeOf(ref->qualifier, ref->column) : FieldType::Unknown;
        const bool literal = xEnd == 1 && c[0].kind == Kind::String;

        static const QSet<QString> textTypes{QStringLiteral("CHARACTER"), QStringLiteral("CHAR"),
                                             QStringLiteral("VARCHAR"), QStringLiteral("TEXT")};
        static const QSet<QString> intTypes{QStringLiteral("INTEGER"), QStringLiteral("INT"),
                                            QStringLiteral("SMALLINT"), QStringLiteral("BIGINT"),
                                            QStringLiteral("SHORT"), QStringLiteral("LONG"),
                                            QStringLiteral("BOOLEAN"), QStringLiteral("LOGICAL")};
        static const QSet<QString> realTypes{QStringLiteral("FLOAT"), QStringLiteral("NUMERIC"),
                                             QStringLiteral("DECIMAL"), QStringLiteral("DOUBLE"),
                                             QStringLiteral("REAL"), QStringLiteral("MONEY"),
                                             QStringLiteral("NUMBER")};
        if (textTypes.contains(type)) {
            // The engine shows dates the German way when it turns them into text.
            QString s;
            if (ft == FieldType::Date)
                s = QStringLiteral("strftime('%d.%m.%Y', %1)").arg(x);
            else if (ft == FieldType::Timestamp)
                s = QStringLiteral("strftime('%d.%m.%Y %H:%M:%S', %1)").arg(x);
            else if (ft == FieldType::Time)
                s = QStringLiteral("substr(%1, 1, 8)").arg(x);
            else
                s = QStringLiteral("CAST(%1 AS TEXT)").arg(x);
            return makeRaw({}, s, true);
        }
        if (intTypes.contains(type))
            return makeRaw({}, QStringLiteral("CAST(%1 AS INTEGER)").arg(x), false);
        if (realTypes.contains(type))
            return makeRaw({}, QStringLiteral("CAST(%1 AS REAL)").arg(x), false);
        if (type == QLatin1String("DATE")) {
            if (literal)
                if (auto d = dateOnlyLiteral(c[0].value))
                    return makeRaw({}, quoteText(isoDate(*d)), false);
            if (ft == FieldType::Date)
                return makeRaw({}, x, false);
            return makeRaw({}, QStringLiteral("substr(%1, 1, 10)").arg(x), false);
        }
        if (type == QLatin1String("TIME")) {
            if (ft == FieldType::Timestamp)
                return makeRaw({}, QStringLiteral("substr(%1, 12)").arg(x), false);
            return makeRaw({}, QLatin1Char('(') + x + QLatin1Char(')'), false);
        }
        if (type == QLatin1String("TIMESTAMP")) {
            if (literal) {
                if (auto dt = germanDateTimeLiteral(c[0].value))
                    return makeRaw({}, quoteText(*dt), false);
                if (auto d = dateOnlyLiteral(c[0].value))
                    return makeRaw({}, quoteText(isoDate(*d)), false);
            }
            return makeRaw({}, QLatin1Char('(') + x + QLatin1Char(')'), false);
        }
        return std::nullopt;
    }

    // SUBSTRING(x FROM a [FOR b]); the comma form is known to SQLite already.
    std::optional<Node> rewriteSubstring(const Nodes &c) const {
        const int from = findWord(c, "FROM");
        if (from <= 0 || size_t(from) + 1 >= c.size())
            return std::nullopt;
        const int forPos = findWord(c, "FOR", size_t(from) + 1);
        const size_t startEnd = forPos < 0 ? c.size() : size_t(forPos);
        QString s = QStringLiteral("substr(") + render(c, 0, size_t(from), true) + QStringLiteral(", ") +
                    render(c, size_t(from) + 1, startEnd, true);
        if (forPos >= 0) {
            if (size_t(forPos) + 1 >= c.size())
                return std::nullopt;
            s += QStringLiteral(", ") + render(c, size_t(forPos) + 1, c.size(), true);
        }
        return makeRaw({}, s + QLatin1Char(')'), true);
    }

    // TRIM([BOTH|LEADING|TRAILING] [chars] FROM x); plain TRIM(x) is left alone.
    std::optional<Node> rewriteTrim(const Nodes &c) const {
        const int from = findWord(c, "FROM");
        if (from < 0 || size_t(from) + 1 >= c.size())
            return std::nullopt;
        size_t k = 0;
        QString fn = QStringLiteral("trim");
        if (k < size_t(from) && (isWord(c[k], "BOTH") || isWord(c[k], "LEADING") || isWord(c[k], "TRAILING"))) {
            if (isWord(c[k], "LEADING"))
                fn = QStringLiteral("ltrim");
            else if (isWord(c[k], "TRAILING"))
                fn = QStringLiteral("rtrim");
            ++k;
        }
        QString s = fn + QLatin1Char('(') + render(c, size_t(from) + 1, c.size(), true);
        if (k < size_t(from))
            s += QStringLiteral(", ") + render(c, k, size_t(from), true);
        return makeRaw({}, s + QLatin1Char(')'), true);
    }

    // --- comparisons with dates ---

    // Rewrites "column op literal" for date-time and date columns. Returns the
    // replacement text, or nothing when the comparison stays as written.
    std::optional<QString> dateComparison(const QString &col, FieldType type, QString op,
                                          const QString &literal) const {
        if (op == QLatin1String("!="))
            op = QStringLiteral("<>");
        const auto day = dateOnlyLiteral(literal);
        if (type == FieldType::Date) {
            if (!day)
                return std::nullopt;
            return col + QLatin1Char(' ') + op + QLatin1Char(' ') + quoteText(isoDate(*day));
        }
        if (type != FieldType::Timestamp)
            return std::nullopt;
        if (!day) {
            if (auto dt = germanDateTimeLiteral(literal))
                return col + QLatin1Char(' ') + op + QLatin1Char(' ') + quoteText(*dt);
            return std::nullopt;
        }
        // A date-only bound means the whole day: "<= 11.01." includes 11.01. 18:30.
        const QString d = quoteText(isoDate(*day));
        const QString next = quoteText(isoDate(day->addDays(1)));
        if (op == QLatin1String("<="))
            return col + QStringLiteral(" < ") + next;
        if (op == QLatin1String(">"))
            return col + QStringLiteral(" >= ") + next;
        if (op == QLatin1String("="))
            return QStringLiteral("(%1 >= %2 AND %1 < %3)").arg(col, d, next);
        if (op == QLatin1String("<>"))
            return QStringLiteral("(%1 < %2 OR %1 >= %3)").arg(col, d, next);
        if (op == QLatin1String(">=") || op == QLatin1String("<"))
            return col + QLatin1Char(' ') + op + QLatin1Char(' ') + d;
        return std::nullopt;
    }

    static QString mirrored(const QString &op) {
        if (op == QLatin1String("<"))
            return QStringLiteral(">");
        if (op == QLatin1String(">"))
            return QStringLiteral("<");
        if (op == QLatin1String("<="))
            return QStringLiteral(">=");
        if (op == QLatin1String(">="))
            return QStringLiteral("<=");
        return op;
    }

    void rewriteDateComparisons(Nodes &n) {
        auto standsAlone = [&](size_t b, size_t e) {
            return (b == 0 || !isArithmeticOp(n[b - 1])) && (e >= n.size() || !isArithmeticOp(n[e]));
        };
        auto dateType = [](FieldType t) { return t == FieldType::Date || t == FieldType::Timestamp; };
        for (size_t i = 0; i < n.size(); ++i) {
            // column op literal
            if (auto ref = columnRefAt(n, i, n.size())) {
                const size_t op = i + ref->length;
                const FieldType type = typeOf(ref->qualifier, ref->column);
                if (!dateType(type))
                    continue;
                const QString col = render(n, i, op, true);
                if (op + 1 < n.size() && n[op].kind == Kind::Op && isComparisonOp(n[op]) &&
                    n[op + 1].kind == Kind::String && standsAlone(i, op + 2)) {
                    if (auto s = dateComparison(col, type, n[op].text, n[op + 1].value)) {
                        Node r = makeRaw(n[i].ws, *s, false);
                        n.erase(n.begin() + qsizetype(i) + 1, n.begin() + qsizetype(op) + 2);
                        n[i] = std::move(r);
                    }
                    continue;
                }
                // column [NOT] BETWEEN literal AND literal
                size_t k = op;
                const bool negated = k < n.size() && isWord(n[k], "NOT");
                if (negated)
                    ++k;
                if (k + 3 < n.size() && isWord(n[k], "BETWEEN") && n[k + 1].kind == Kind::String &&
                    isWord(n[k + 2], "AND") && n[k + 3].kind == Kind::String && standsAlone(i, k + 4)) {
                    const auto lo = dateComparison(col, type, QStringLiteral(">="), n[k + 1].value);
                    const auto hi = dateComparison(col, type, QStringLiteral("<="), n[k + 3].value);
                    if (lo && hi) {
                        const QString s = (negated ? QStringLiteral("NOT ") : QString()) + QLatin1Char('(') + *lo +
                                          QStringLiteral(" AND ") + *hi + QLatin1Char(')');
                        Node r = makeRaw(n[i].ws, s, false);
                        n.erase(n.begin() + qsizetype(i) + 1, n.begin() + qsizetype(k) + 4);
                        n[i] = std::move(r);
                    }
                }
                continue;
            }
            // literal op column
            if (n[i].kind == Kind::String && i + 2 < n.size() && n[i + 1].kind == Kind::Op &&
                isComparisonOp(n[i + 1])) {
                const auto ref = columnRefAt(n, i + 2, n.size());
                if (!ref)
                    continue;
                const size_t end = i + 2 + ref->length;
                const FieldType type = typeOf(ref->qualifier, ref->column);
                if (!dateType(type) || !standsAlone(i, end))
                    continue;
                const QString col = render(n, i + 2, end, true);
                if (auto s = dateComparison(col, type, mirrored(n[i + 1].text), n[i].value)) {
                    Node r = makeRaw(n[i].ws, *s, false);
                    n.erase(n.begin() + qsizetype(i) + 1, n.begin() + qsizetype(end));
                    n[i] = std::move(r);
                }
            }
        }
    }

    // --- text concatenation with + ---

    static bool isSeparator(const Nodes &n, size_t i) {
        const Node &x = n[i];
        if (x.kind == Kind::Op)
            return isComparisonOp(x) || x.text == QLatin1String(",") || x.text == QLatin1String(";") ||
                   x.text == QLatin1String("||");
        if (x.kind == Kind::Word && !isName(n, i)) {
            const QString w = x.text.toUpper();
            return w != QLatin1String("NULL") && w != QLatin1String("TRUE") && w != QLatin1String("FALSE");
        }
        return false;
    }

    void rewriteConcatenations(Nodes &n) {
        size_t runStart = 0;
        for (size_t i = 0; i <= n.size(); ++i) {
            if (i < n.size() && !isSeparator(n, i))
                continue;
            const size_t removed = concatenateRun(n, runStart, i);
            i -= removed;
            runStart = i + 1;
        }
    }

    // Rewrites the run [b, e) when it is a + chain with a text operand;
    // returns how many nodes the run shrank by.
    size_t concatenateRun(Nodes &n, size_t b, size_t e) {
        std::vector<std::pair<size_t, size_t>> operands;
        size_t start = b;
        bool hasPlus = false;
        for (size_t k = b; k < e; ++k) {
            if (isOp(n[k], "-"))
                return 0; // mixed + and - is arithmetic
            if (isOp(n[k], "+")) {
                hasPlus = true;
                operands.emplace_back(start, k);
                start = k + 1;
            }
        }
        operands.emplace_back(start, e);
        if (!hasPlus)
            return 0;
        bool anyText = false;
        for (const auto &[ob, oe] : operands) {
            if (ob == oe)
                return 0; // a unary + somewhere: not a chain to touch
            anyText = anyText || isTextOperand(n, ob, oe);
        }
        if (!anyText)
            return 0;
        // NULL counts as empty text: a person without a birth date still has a name.
        QStringList parts;
        for (const auto &[ob, oe] : operands) {
            QString x = render(n, ob, oe, true);
            if (oe - ob == 1 && n[ob].kind == Kind::String) {
                parts << x;
                continue;
            }
            const bool simple = oe - ob == 1 || exactColumnRef(n, ob, oe) ||
                                (oe - ob == 2 && n[ob].kind == Kind::Word && n[ob + 1].kind == Kind::Group);
            if (!simple)
                x = QLatin1Char('(') + x + QLatin1Char(')');
            parts << QStringLiteral("COALESCE(%1, '')").arg(x);
        }
        Node r = makeRaw(n[b].ws, QLatin1Char('(') + parts.join(QStringLiteral(" || ")) + QLatin1Char(')'), true);
        n.erase(n.begin() + qsizetype(b) + 1, n.begin() + qsizetype(e));
        n[b] = std::move(r);
        return e - b - 1;
    }

    const SchemaLookup &m_schema;
    QHash<QString, QString> m_aliases; // alias in lower case -> table
    QStringList m_fromTables;
};

} // namespace

QString LocalSqlTranslator::translate(const QString &localSql) const { return Translator(m_schema).run(localSql); }

QString LocalSqlTranslator::translateCondition(const QString &expression) const {
    return Translator(m_schema).run(expression);
}

} // namespace velmora
