#include "store/LocalSqlTranslator.h"

#include "base/GermanInput.h"
#include "store/Errors.h"
#include "store/Values.h"

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
    case Kind::Op:
        // The engine divides as arithmetic does: 45 / 60 is 0.75, not 0.
        if (n.text == QLatin1String("/"))
            return QStringLiteral("* 1.0 /");
        return n.text;
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

// --- date and time literals ------------------------------------------------

// What a text constant holds when it is compared with a date or time column;
// None for text that is no date or time at all, or no possible one ("31.02.2026").
struct Temporal {
    enum Kind { None, Date, DateTime, Time } kind = None;
    QDate date;
    QDateTime dateTime;
    QTime time;
};

Temporal readTemporal(const QString &text) {
    Temporal t;
    if (const auto d = ParseGermanDate(text)) {
        t.kind = Temporal::Date;
        t.date = *d;
    } else if (const auto dt = ParseGermanDateTime(text)) {
        t.kind = Temporal::DateTime;
        t.dateTime = *dt;
    } else if (const auto tm = ParseGermanTime(text)) {
        t.kind = Temporal::Time;
        t.time = *tm;
    }
    return t;
}

QString isoDate(const QDate &d) {
    return storedDate(d);
}

// --- the translation itself --------------------------------------------------

struct ColumnRef {
    QString qualifier;
    QString column;
    size_t length = 0; // 1 (Name) or 3 (Qualifier . Name)
};

class Translator {
public:
    explicit Translator(const SchemaLookup &schema, const QString &table = {}) : m_schema(schema) {
        if (!table.isEmpty())
            m_fromTables << tableName(table);
    }

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

    // Collects the tables (and their aliases) the statement names after FROM,
    // JOIN, UPDATE, INTO and TABLE: they alone decide what its names mean, so that
    // unqualified and alias-qualified columns find their real type.
    void scanTableLists(const Nodes &t) {
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i].kind == Kind::Word && isWord(t[i], "AS") && i + 1 < t.size() &&
                (t[i + 1].kind == Kind::Word || t[i + 1].kind == Kind::DQuoted))
                m_resultNames.insert(nameOf(t[i + 1]).toLower());
            const bool into = isWord(t[i], "INTO") || isWord(t[i], "TABLE");
            if (!isWord(t[i], "FROM") && !isWord(t[i], "JOIN") && !isWord(t[i], "UPDATE") && !into)
                continue;
            size_t j = i + 1;
            while (j < t.size()) {
                const Node &name = t[j];
                const bool nameLike = (name.kind == Kind::Word && !isKeyword(name.text)) || name.kind == Kind::DQuoted;
                if (!nameLike || !m_schema.isTable(nameOf(name)))
                    break;
                size_t k = j + 1;
                if (k < t.size() && (isOp(t[k], ".") || (!into && isOp(t[k], "("))))
                    break; // EXTRACT(YEAR FROM tr.Datum) and the like
                m_tableTokens.insert(j);
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
        return FieldType::Unknown;
    }

    // The engine reads a double-quoted token as a name or as text depending
    // on where it stands and on the statement's own tables; SQLite would read
    // every one of them as a name (its fallback to text is switched off).
    void classifyDoubleQuoted(Nodes &t) const {
        auto textOp = [](const Node &n) { return isOp(n, "+") || isOp(n, "||"); };
        for (size_t i = 0; i < t.size(); ++i) {
            Node &n = t[i];
            if (n.kind != Kind::DQuoted)
                continue;
            const Node *prev = i > 0 ? &t[i - 1] : nullptr;
            const Node *next = i + 1 < t.size() ? &t[i + 1] : nullptr;
            bool ident;
            if ((prev && isOp(*prev, ".")) || (next && isOp(*next, ".")) || m_tableTokens.contains(i))
                ident = true;
            // A bare table name is no valid operand, so text wins here even
            // when the text happens to equal a table's name.
            else if ((prev && (isComparisonOp(*prev) || textOp(*prev))) || (next && textOp(*next)))
                ident = false;
            else if (prev && isWord(*prev, "AS"))
                ident = true; // a column alias
            else if (typeOf(QString(), n.value) != FieldType::Unknown)
                ident = true; // a column of the statement's own tables
            else
                // "order by "Woche"" names a result column; "T" as Type is text.
                ident = !(next && isWord(*next, "AS")) && m_resultNames.contains(n.value.toLower());
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
                if (auto d = ParseGermanDate(c[0].value))
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
                if (auto d = ParseGermanDate(c[0].value))
                    return makeRaw({}, quoteText(isoDate(*d)), false);
                if (auto dt = ParseGermanDateTime(c[0].value))
                    return makeRaw({}, quoteText(storedDateTime(*dt)), false);
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

    // --- comparisons with dates and times ---

    // One side of a comparison: a column, a text constant or a parameter,
    // also in parentheses ("(Datum) >= '11.01.2026'").
    struct Operand {
        enum Kind { None, Column, Literal, Param } kind = None;
        size_t length = 0; // nodes taken at this level
        QString text;      // the column or parameter as written
        QString value;     // the constant's content
        QString column;    // the column's name, for messages
        FieldType type = FieldType::Unknown;
    };

    Operand operandAt(const Nodes &n, size_t i) const {
        Operand o;
        if (i >= n.size())
            return o;
        const Node &x = n[i];
        if (x.kind == Kind::String) {
            o.kind = Operand::Literal;
            o.length = 1;
            o.value = x.value;
        } else if (x.kind == Kind::Param) {
            o.kind = Operand::Param;
            o.length = 1;
            o.text = x.text;
        } else if (x.kind == Kind::Group) {
            if (x.closed && !x.children.empty()) {
                Operand inner = operandAt(x.children, 0);
                if (inner.kind != Operand::None && inner.length == x.children.size()) {
                    inner.length = 1;
                    return inner;
                }
            }
        } else if (auto ref = columnRefAt(n, i, n.size())) {
            o.kind = Operand::Column;
            o.length = ref->length;
            o.text = render(n, i, i + ref->length, true);
            o.column = ref->column;
            o.type = typeOf(ref->qualifier, ref->column);
        }
        return o;
    }

    static bool isTemporal(FieldType t) {
        return t == FieldType::Date || t == FieldType::Timestamp || t == FieldType::Time;
    }

    [[noreturn]] static void refuse(const Operand &col, const QString &literal) {
        QString what;
        if (col.type == FieldType::Time)
            what = QStringLiteral("keine gültige Uhrzeit");
        else if (col.type == FieldType::Date)
            what = QStringLiteral("kein gültiges Datum");
        else
            what = QStringLiteral("kein gültiges Datum (mit oder ohne Uhrzeit)");
        throw EngineError(QStringLiteral("\"%1\" ist %2 für das Feld %3.").arg(literal, what, col.column));
    }

    // Rewrites "column op value" for date, date-time and time columns. Returns
    // the replacement text, or nothing when the comparison stays as written.
    std::optional<QString> temporalComparison(const Operand &col, QString op, const Operand &val) const {
        if (op == QLatin1String("!="))
            op = QStringLiteral("<>");
        const QString &c = col.text;
        auto plain = [&](const QString &stored) {
            return c + QLatin1Char(' ') + op + QLatin1Char(' ') + quoteText(stored);
        };
        if (val.kind == Operand::Param)
            return col.type == FieldType::Timestamp ? dayParameterComparison(c, op, val.text) : std::nullopt;
        if (val.value.trimmed().isEmpty())
            return std::nullopt;
        const Temporal t = readTemporal(val.value);
        switch (col.type) {
        case FieldType::Date:
            if (t.kind == Temporal::Date)
                return plain(isoDate(t.date));
            if (t.kind == Temporal::DateTime)
                return t.dateTime.time() == QTime(0, 0) ? plain(isoDate(t.dateTime.date()))
                                                        : plain(storedDateTime(t.dateTime));
            break;
        case FieldType::Timestamp:
            if (t.kind == Temporal::Date)
                return dayComparison(c, op, t.date);
            if (t.kind == Temporal::DateTime)
                return plain(storedDateTime(t.dateTime));
            break;
        case FieldType::Time:
            if (t.kind == Temporal::Time)
                return plain(storedTime(t.time));
            break;
        default:
            return std::nullopt;
        }
        refuse(col, val.value);
    }

    // A typed date or time in the stored form of the column it is written to.
    static std::optional<QString> storedLiteral(const Operand &col, const QString &literal) {
        if (literal.trimmed().isEmpty())
            return std::nullopt;
        const Temporal t = readTemporal(literal);
        if (col.type == FieldType::Time && t.kind == Temporal::Time)
            return storedTime(t.time);
        if (col.type == FieldType::Date && t.kind == Temporal::Date)
            return isoDate(t.date);
        if (col.type == FieldType::Date && t.kind == Temporal::DateTime && t.dateTime.time() == QTime(0, 0))
            return isoDate(t.dateTime.date());
        if (col.type == FieldType::Timestamp && t.kind == Temporal::Date)
            return storedDateTime(QDateTime(t.date, QTime(0, 0)));
        if (col.type == FieldType::Timestamp && t.kind == Temporal::DateTime)
            return storedDateTime(t.dateTime);
        refuse(col, literal);
    }

    // A date-only bound means the whole day: "<= 11.01." includes 11.01. 18:30.
    static std::optional<QString> dayComparison(const QString &col, const QString &op, const QDate &day) {
        const QString d = quoteText(isoDate(day));
        const QString next = quoteText(isoDate(day.addDays(1)));
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

    // The same for a parameter, whose value is known only when it is bound:
    // a date (stored as yyyy-MM-dd) means its whole day, a date-time itself.
    static std::optional<QString> dayParameterComparison(const QString &col, const QString &op, const QString &p) {
        const QString isDay = QStringLiteral("date(%1) = %1").arg(p);
        const QString next = QStringLiteral("date(%1, '+1 day')").arg(p);
        QString day;
        if (op == QLatin1String("<="))
            day = col + QStringLiteral(" < ") + next;
        else if (op == QLatin1String(">"))
            day = col + QStringLiteral(" >= ") + next;
        else if (op == QLatin1String("="))
            day = QStringLiteral("%1 >= %2 AND %1 < %3").arg(col, p, next);
        else if (op == QLatin1String("<>"))
            day = QStringLiteral("(%1 < %2 OR %1 >= %3)").arg(col, p, next);
        else
            return std::nullopt; // >= and < already hold for a day's start
        return QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %3 %4 %5 END)").arg(isDay, day, col, op, p);
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
        auto isValue = [](const Operand &o) { return o.kind == Operand::Literal || o.kind == Operand::Param; };
        auto replace = [&](size_t b, size_t e, const QString &text) {
            Node r = makeRaw(n[b].ws, text, false);
            n.erase(n.begin() + qsizetype(b) + 1, n.begin() + qsizetype(e));
            n[b] = std::move(r);
        };
        bool assigning = false; // between UPDATE's SET and WHERE, "=" assigns
        for (size_t i = 0; i < n.size(); ++i) {
            if (isWord(n[i], "SET") || isWord(n[i], "WHERE")) {
                assigning = isWord(n[i], "SET");
                continue;
            }
            const Operand left = operandAt(n, i);
            if (left.kind == Operand::None)
                continue;
            const size_t op = i + left.length;
            if (assigning) {
                if (left.kind == Operand::Column && isTemporal(left.type) && op + 1 < n.size() && isOp(n[op], "=")) {
                    const Operand value = operandAt(n, op + 1);
                    if (value.kind == Operand::Literal && value.length == 1 && n[op + 1].kind == Kind::String)
                        if (auto stored = storedLiteral(left, value.value))
                            n[op + 1] = makeRaw(n[op + 1].ws, quoteText(*stored), false);
                }
                continue;
            }
            // column [NOT] BETWEEN value AND value
            if (left.kind == Operand::Column && isTemporal(left.type)) {
                size_t k = op;
                const bool negated = k < n.size() && isWord(n[k], "NOT");
                if (negated)
                    ++k;
                if (k < n.size() && isWord(n[k], "BETWEEN")) {
                    const Operand lo = operandAt(n, k + 1);
                    const size_t andPos = k + 1 + lo.length;
                    const Operand hi = isValue(lo) && andPos < n.size() && isWord(n[andPos], "AND")
                                           ? operandAt(n, andPos + 1)
                                           : Operand();
                    const size_t end = andPos + 1 + hi.length;
                    if (isValue(hi) && standsAlone(i, end)) {
                        const auto from = temporalComparison(left, QStringLiteral(">="), lo);
                        const auto to = temporalComparison(left, QStringLiteral("<="), hi);
                        const QString a =
                            from ? *from : left.text + QStringLiteral(" >= ") + render(n, k + 1, andPos, true);
                        const QString b =
                            to ? *to : left.text + QStringLiteral(" <= ") + render(n, andPos + 1, end, true);
                        if (from || to)
                            replace(i, end,
                                    (negated ? QStringLiteral("NOT ") : QString()) + QLatin1Char('(') + a +
                                        QStringLiteral(" AND ") + b + QLatin1Char(')'));
                    }
                    continue;
                }
            }
            if (op + 1 >= n.size() || n[op].kind != Kind::Op || !isComparisonOp(n[op]))
                continue;
            const Operand right = operandAt(n, op + 1);
            const size_t end = op + 1 + right.length;
            if (right.kind == Operand::None || !standsAlone(i, end))
                continue;
            std::optional<QString> s;
            if (left.kind == Operand::Column && isTemporal(left.type) && isValue(right))
                s = temporalComparison(left, n[op].text, right);
            else if (right.kind == Operand::Column && isTemporal(right.type) && isValue(left))
                s = temporalComparison(right, mirrored(n[op].text), left);
            if (s)
                replace(i, end, *s);
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
    QSet<size_t> m_tableTokens;  // tokens naming a table of a FROM list
    QSet<QString> m_resultNames; // names given with AS, in lower case
};

} // namespace

QString LocalSqlTranslator::translate(const QString &localSql) const { return Translator(m_schema).run(localSql); }

QString LocalSqlTranslator::translateCondition(const QString &expression, const QString &table) const {
    return Translator(m_schema, table).run(expression);
}

} // namespace velmora
