#include "PgDialect.h"

#include "JetSql.h"
#include "Schema.h"

#include <QSet>
#include <QStringList>
#include <vector>

namespace {

bool IsWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool IsWordPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// The end (one past the closing quote) of the literal that starts at from; doubled quotes stay
// inside it. An unclosed literal runs to the end.
int LiteralEnd(const QString& s, int from) {
    const QChar quote = s[from];
    int j = from + 1;
    while (j < s.size()) {
        if (s[j] == quote) {
            if (j + 1 < s.size() && s[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return j;
}

// A literal in either quote as a single-quoted text value.
QString SingleQuoted(const QString& literal) {
    if (literal.startsWith(QLatin1Char('\'')))
        return literal;
    QString inner = literal.mid(1, literal.size() - 2);
    inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return SqlText(inner);
}

int SkipSpaces(const QString& s, int i) {
    while (i < s.size() && s[i].isSpace())
        ++i;
    return i;
}

// The arguments of a call whose "(" stands at open, split at the commas outside parentheses and
// literals; end receives the position after the closing ")". False when the call is not closed.
bool SplitArguments(const QString& s, int open, QStringList* arguments, int* end) {
    int depth = 0;
    int start = open + 1;
    int i = open;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            i = LiteralEnd(s, i);
            continue;
        }
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (--depth == 0) {
                *arguments << s.mid(start, i - start).trimmed();
                *end = i + 1;
                return true;
            }
        } else if (c == QLatin1Char(',') && depth == 1) {
            *arguments << s.mid(start, i - start).trimmed();
            start = i + 1;
        }
        ++i;
    }
    return false;
}

// Words after which a "+" starts a value instead of adding to one.
const QSet<QString>& Keywords() {
    static const QSet<QString> words{
        QStringLiteral("select"), QStringLiteral("where"),   QStringLiteral("and"),
        QStringLiteral("or"),     QStringLiteral("not"),     QStringLiteral("by"),
        QStringLiteral("on"),     QStringLiteral("when"),    QStringLiteral("then"),
        QStringLiteral("else"),   QStringLiteral("having"),  QStringLiteral("distinct"),
        QStringLiteral("in"),     QStringLiteral("between"), QStringLiteral("is"),
        QStringLiteral("set"),    QStringLiteral("values"),  QStringLiteral("case"),
        QStringLiteral("like"),   QStringLiteral("return"),
    };
    return words;
}

QString Scale(const QString& decimals) {
    return QStringLiteral("(CAST(10 AS double precision) ^ (%1))").arg(decimals);
}

// Letter case is ignored through ICU's root collation, the same case rules in every database: the
// database's own locale (lc_ctype 'C' folds only ASCII letters) does not matter.
const char* const FoldCollation = "COLLATE \"und-x-icu\"";

QString LowerText(const QString& value) {
    return QStringLiteral("lower(CAST((%1) AS text) %2)").arg(value, QLatin1String(FoldCollation));
}

// The PostgreSQL form of a Jet function call, or "" when it is not one to rewrite.
QString RewriteCall(const QString& name, const QStringList& args) {
    const QString n = name.toLower();
    if (n == QLatin1String("iif") && args.size() == 3)
        return QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %3 END)").arg(args[0], args[1], args[2]);
    if (n == QLatin1String("round") && args.size() == 1)
        return QStringLiteral("round(CAST((%1) AS double precision))").arg(args[0]);
    if (n == QLatin1String("round") && args.size() == 2) {
        // The double is scaled, rounded halves to even (rint) and scaled back, as Jet computes it.
        const QString scale = Scale(args[1]);
        return QStringLiteral("(round(CAST((%1) AS double precision) * %2) / %2)").arg(args[0], scale);
    }
    if (n == QLatin1String("instr") && args.size() == 2)
        return QStringLiteral("strpos(%1, %2)").arg(LowerText(args[0]), LowerText(args[1]));
    if (n == QLatin1String("instr") && args.size() == 3) {
        const QString from = QStringLiteral("GREATEST(CAST((%1) AS integer), 1)").arg(args[0]);
        const QString found =
            QStringLiteral("strpos(substr(%1, %2), %3)").arg(LowerText(args[1]), from, LowerText(args[2]));
        return QStringLiteral("(CASE WHEN %1 = 0 THEN 0 ELSE %1 + %2 - 1 END)").arg(found, from);
    }
    return QString();
}

// The position after the ")" that closes the "(" at open, or -1 when it is not closed.
int ClosingEnd(const QString& s, int open) {
    QStringList ignored;
    int end = -1;
    return SplitArguments(s, open, &ignored, &end) ? end : -1;
}

// The word that starts at i (after spaces), in lower case; "" when none does.
QString WordAt(const QString& s, int i) {
    i = SkipSpaces(s, i);
    int end = i;
    while (end < s.size() && IsWordPart(s[end]))
        ++end;
    return end > i && IsWordStart(s[i]) ? s.mid(i, end - i).toLower() : QString();
}

// Words that may follow a subquery in a From clause where no alias is given.
bool EndsFromItem(const QString& word) {
    static const QSet<QString> words{
        QStringLiteral("where"), QStringLiteral("order"),  QStringLiteral("group"), QStringLiteral("having"),
        QStringLiteral("left"),  QStringLiteral("right"),  QStringLiteral("inner"), QStringLiteral("full"),
        QStringLiteral("cross"), QStringLiteral("join"),   QStringLiteral("on"),    QStringLiteral("union"),
        QStringLiteral("limit"), QStringLiteral("offset"),
    };
    return word.isEmpty() || words.contains(word);
}

// Whether the value that ends at i is compared or computed with (an operator follows it, past
// closing parentheses), rather than standing alone as a condition.
bool UsedAsValue(const QString& s, int i) {
    while (i < s.size() && (s[i].isSpace() || s[i] == QLatin1Char(')')))
        ++i;
    if (i < s.size() && QStringLiteral("=<>!+-*/%|^").contains(s[i]))
        return true;
    static const QSet<QString> words{QStringLiteral("is"), QStringLiteral("like"), QStringLiteral("between"),
                                     QStringLiteral("in"), QStringLiteral("not")};
    return words.contains(WordAt(s, i));
}

// Keywords after which a condition starts.
bool StartsCondition(const QString& word) {
    static const QSet<QString> words{QStringLiteral("where"), QStringLiteral("and"), QStringLiteral("or"),
                                     QStringLiteral("not"),   QStringLiteral("on"),  QStringLiteral("having"),
                                     QStringLiteral("when")};
    return words.contains(word);
}

enum class Previous { Start, Value, Keyword, Operator };

// atCondition: s starts where a condition stands (the first argument of IIF).
QString Rewrite(const QString& s, bool atCondition = false) {
    QString out;
    out.reserve(s.size() + s.size() / 4);
    Previous previous = Previous::Start;
    int lastWordAt = -1; // where the last word was written in out
    QString lastWord;
    // Jet takes a number standing alone as a condition as true unless it is 0; PostgreSQL wants a
    // boolean there. condition: only "(" since a keyword that starts a condition.
    bool condition = atCondition;
    bool inBetween = false; // the And of "Between a And b" starts no condition
    int subqueries = 0;
    int i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c.isSpace()) {
            out += c;
            ++i;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const int end = LiteralEnd(s, i);
            out += SingleQuoted(s.mid(i, end - i));
            i = end;
            previous = Previous::Value;
            lastWord.clear();
            condition = false;
            continue;
        }
        if (IsWordStart(c)) {
            int end = i + 1;
            while (end < s.size() && IsWordPart(s[end]))
                ++end;
            const QString word = s.mid(i, end - i);
            const QString lower = word.toLower();
            const bool qualified = i > 0 && s[i - 1] == QLatin1Char('.');
            const int open = SkipSpaces(s, end);
            if (!qualified && open < s.size() && s[open] == QLatin1Char('(')) {
                QStringList args;
                int after = 0;
                if (SplitArguments(s, open, &args, &after)) {
                    const bool iif = lower == QLatin1String("iif");
                    for (int a = 0; a < args.size(); ++a)
                        args[a] = Rewrite(args[a], iif && a == 0);
                    const QString call = RewriteCall(word, args);
                    if (!call.isEmpty()) {
                        if (condition && lower == QLatin1String("instr") && !UsedAsValue(s, after))
                            out += QStringLiteral("(%1 <> 0)").arg(call);
                        else
                            out += call;
                        i = after;
                        previous = Previous::Value;
                        condition = false;
                        continue;
                    }
                }
            }
            if (lower == QLatin1String("like") && !qualified) {
                // The case-insensitive collation of the text columns cannot match patterns: the
                // pattern is matched under ICU's root collation, ignoring case.
                const QString collate = QLatin1String(FoldCollation) + QLatin1Char(' ');
                if (lastWord == QLatin1String("not"))
                    out.insert(lastWordAt, collate);
                else
                    out += collate;
                out += QStringLiteral("ILIKE");
                i = end;
                const int at = SkipSpaces(s, i);
                if (at < s.size() && (s[at] == QLatin1Char('\'') || s[at] == QLatin1Char('"'))) {
                    const int literalEnd = LiteralEnd(s, at);
                    out += s.mid(i, at - i) + SingleQuoted(s.mid(at, literalEnd - at));
                    i = literalEnd;
                    const int next = SkipSpaces(s, i);
                    if (next >= s.size() || !QStringLiteral("|+-*/").contains(s[next]))
                        out += QStringLiteral(" ESCAPE ''");
                    previous = Previous::Value;
                } else {
                    previous = Previous::Keyword;
                }
                lastWord.clear();
                condition = false;
                continue;
            }
            if (!qualified && (lower == QLatin1String("true") || lower == QLatin1String("false"))) {
                out += lower == QLatin1String("true") ? QLatin1Char('1') : QLatin1Char('0');
                i = end;
                previous = Previous::Value;
                condition = false;
                continue;
            }
            lastWordAt = out.size();
            lastWord = lower;
            out += word;
            i = end;
            previous = Keywords().contains(lower) ? Previous::Keyword : Previous::Value;
            if (lower == QLatin1String("between")) {
                inBetween = true;
                condition = false;
            } else if (lower == QLatin1String("and") && inBetween) {
                inBetween = false;
                condition = false;
            } else {
                condition = StartsCondition(lower);
            }
            continue;
        }
        if (c.isDigit()) {
            int end = i + 1;
            while (end < s.size() && (IsWordPart(s[end]) || s[end] == QLatin1Char('.')))
                ++end;
            out += s.mid(i, end - i);
            i = end;
            previous = Previous::Value;
            lastWord.clear();
            condition = false;
            continue;
        }
        if (c == QLatin1Char('(') &&
            (lastWord == QLatin1String("from") || lastWord == QLatin1String("join")) &&
            WordAt(s, i + 1) == QLatin1String("select")) {
            // PostgreSQL wants a name for every subquery in From; Jet and SQLite do not.
            const int end = ClosingEnd(s, i);
            if (end > 0) {
                out += QLatin1Char('(') + Rewrite(s.mid(i + 1, end - i - 2)) + QLatin1Char(')');
                i = end;
                if (EndsFromItem(WordAt(s, i)))
                    out += QStringLiteral(" AS kestrel_subquery%1").arg(++subqueries);
                lastWord.clear();
                previous = Previous::Value;
                condition = false;
                continue;
            }
        }
        lastWord.clear();
        if (c != QLatin1Char('('))
            condition = false;
        if (c == QLatin1Char('+') && previous != Previous::Value) {
            ++i; // unary plus
            continue;
        }
        out += c;
        ++i;
        previous = c == QLatin1Char(')') ? Previous::Value : Previous::Operator;
    }
    return out;
}

// A word outside parentheses and literals: where it starts, in lower case.
struct TopWord {
    int at;
    QString word;
};

std::vector<TopWord> TopLevelWords(const QString& s) {
    std::vector<TopWord> words;
    int depth = 0;
    int i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            i = LiteralEnd(s, i);
            continue;
        }
        if (IsWordStart(c) || c.isDigit()) {
            int end = i + 1;
            while (end < s.size() && IsWordPart(s[end]))
                ++end;
            if (depth == 0 && IsWordStart(c))
                words.push_back({i, s.mid(i, end - i).toLower()});
            i = end;
            continue;
        }
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        ++i;
    }
    return words;
}

// A subquery in a select list: from its "(" to one past its ")".
struct Subquery {
    int at;
    int end;
    QString text;
};

// The subqueries in s between from and to, outermost only; rest receives the text around them.
std::vector<Subquery> SubqueriesIn(const QString& s, int from, int to, QString* rest) {
    std::vector<Subquery> found;
    int i = from;
    while (i < to) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            i = LiteralEnd(s, i); // a literal is no "*" nor an aggregate
            *rest += QLatin1Char(' ');
            continue;
        }
        if (c == QLatin1Char('(') && WordAt(s, i + 1) == QLatin1String("select")) {
            const int end = ClosingEnd(s, i);
            if (end < 0 || end > to)
                return {};
            found.push_back({i, end, s.mid(i, end - i)});
            *rest += QLatin1Char(' ');
            i = end;
            continue;
        }
        *rest += c;
        ++i;
    }
    return found;
}

// Whether a select list (its subqueries left out) computes over groups of rows or names all columns.
bool GroupsOrTakesAll(const QString& list) {
    static const QSet<QString> aggregates{
        QStringLiteral("sum"),        QStringLiteral("count"),    QStringLiteral("avg"),
        QStringLiteral("min"),        QStringLiteral("max"),      QStringLiteral("first"),
        QStringLiteral("last"),       QStringLiteral("stdev"),    QStringLiteral("var"),
        QStringLiteral("stdevp"),     QStringLiteral("varp"),     QStringLiteral("over"),
        QStringLiteral("every"),      QStringLiteral("bool_and"), QStringLiteral("bool_or"),
        QStringLiteral("string_agg"), QStringLiteral("array_agg")};
    if (list.contains(QLatin1Char('*')))
        return true;
    int i = 0;
    while (i < list.size()) {
        if (!IsWordStart(list[i]) || (i > 0 && IsWordPart(list[i - 1]))) {
            ++i;
            continue;
        }
        int end = i + 1;
        while (end < list.size() && IsWordPart(list[end]))
            ++end;
        if (aggregates.contains(list.mid(i, end - i).toLower()))
            return true;
        i = end;
    }
    return false;
}

// PostgreSQL computes a scalar subquery at each place it is written: the received amount of a
// document, written for its received and its open amount, would be totalled twice for every
// document. A subquery written more than once in the select list of a plain statement is therefore
// computed once per row in a lateral item at the end of From and read from there. The item has
// exactly one row, the subquery's value or null, as the subquery itself; OFFSET 0 keeps the
// planner from copying the subquery back into each place.
QString ShareRepeatedSubqueries(const QString& s) {
    const std::vector<TopWord> words = TopLevelWords(s);
    if (words.empty() || words.front().word != QLatin1String("select"))
        return s;
    int from = -1;
    int fromEnd = s.size();
    for (const TopWord& w : words) {
        static const QSet<QString> refused{QStringLiteral("group"),  QStringLiteral("having"),
                                           QStringLiteral("union"),  QStringLiteral("intersect"),
                                           QStringLiteral("except"), QStringLiteral("into")};
        static const QSet<QString> endsFrom{QStringLiteral("where"), QStringLiteral("order"),
                                            QStringLiteral("limit"), QStringLiteral("offset"),
                                            QStringLiteral("for")};
        if (refused.contains(w.word))
            return s;
        if (from < 0 && w.word == QLatin1String("from"))
            from = w.at;
        else if (from >= 0 && fromEnd == s.size() && endsFrom.contains(w.word))
            fromEnd = w.at;
    }
    if (from < 0)
        return s;
    QString rest;
    const int listAt = words.front().at + 6; // past "Select"
    const std::vector<Subquery> subqueries = SubqueriesIn(s, listAt, from, &rest);
    if (subqueries.size() < 2 || GroupsOrTakesAll(rest))
        return s;
    QStringList shared; // the repeated texts, in the order of their first place
    for (const Subquery& a : subqueries) {
        int times = 0;
        for (const Subquery& b : subqueries)
            times += a.text == b.text ? 1 : 0;
        if (times > 1 && !shared.contains(a.text))
            shared << a.text;
    }
    if (shared.isEmpty())
        return s;
    int itemAt = fromEnd;
    while (itemAt > from && s[itemAt - 1].isSpace())
        --itemAt;
    QString items;
    for (int n = 0; n < shared.size(); ++n)
        items += QStringLiteral(", LATERAL (SELECT %1 AS kestrel_value OFFSET 0) AS kestrel_shared%2")
                     .arg(shared[n], QString::number(n + 1)); // one pass: "%2" in a literal stays
    QString out = s.left(itemAt) + items + s.mid(itemAt);
    for (auto it = subqueries.rbegin(); it != subqueries.rend(); ++it) {
        const int n = static_cast<int>(shared.indexOf(it->text));
        if (n >= 0)
            out.replace(it->at, it->end - it->at,
                        QStringLiteral("kestrel_shared%1.kestrel_value").arg(n + 1));
    }
    return out;
}

} // namespace

QString ToPostgresSql(const QString& jetSql) {
    // #date# literals first: the same ISO texts SQLite compares with.
    return ShareRepeatedSubqueries(Rewrite(ToEngineSql(jetSql)));
}

QString ColumnSpelling(const QString& sql, const QString& engineName) {
    const QString declared = Schema::ColumnName(engineName);
    if (!declared.isEmpty())
        return declared;
    // An alias or expression: the first spelling of the name as a whole word in the statement.
    int at = 0;
    while ((at = sql.indexOf(engineName, at, Qt::CaseInsensitive)) >= 0) {
        const int end = at + static_cast<int>(engineName.size());
        const bool alone =
            (at == 0 || !IsWordPart(sql[at - 1])) && (end >= sql.size() || !IsWordPart(sql[end]));
        if (alone)
            return sql.mid(at, engineName.size());
        at = end;
    }
    return engineName;
}
