#pragma once

#include <QString>

// The program writes its SQL in the Jet dialect; this adapter makes it run on PostgreSQL with the
// results SQLite gives:
// - #date# literals become the stored ISO text (dates are kept as text on both engines);
// - text between double quotes is a text value, as in Jet;
// - IIF(c, a, b) becomes a CASE expression;
// - Round(x, d) rounds halves to the even neighbour on the double value, as Jet does;
// - InStr(a, b) finds b in a without regard to letter case;
// - Like compares without regard to letter case (the text columns' collation ignores case, which
//   PostgreSQL refuses for patterns) and knows no escape character;
// - both fold the letter case of every alphabet through ICU, whatever the database's locale;
// - True and False are 1 and 0, as the yes/no columns hold them;
// - a unary plus (written to keep an index out of a plan) is dropped: PostgreSQL has none for text;
// - a subquery written more than once in the select list of a plain statement is computed once per
//   row instead of at each place.
// Everything inside string literals is left as it is.
QString ToPostgresSql(const QString& jetSql);

// The name of a result column as the statement spells it: PostgreSQL gives unquoted names in
// lower case, the program reads them as it wrote them.
QString ColumnSpelling(const QString& sql, const QString& engineName);
