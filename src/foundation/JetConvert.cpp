#include "JetConvert.h"

#include "Connection.h"
#include "FileStamp.h"
#include "FileTargets.h"
#include "JetSql.h"
#include "KestrelError.h"
#include "Leftovers.h"
#include "PublicFunction.h"
#include "Query.h"
#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace JetConvert {

namespace {

namespace fs = std::filesystem;

// Keys the Jet books need not have: the program never reads them, the schema numbers the rows.
bool KeyOfOurOwn(const QString& table, const QString& column) {
    static const QStringList tables = {QStringLiteral("Parameter"), QStringLiteral("PrintReport"),
                                       QStringLiteral("PrintBigFont")};
    return tables.contains(table, Qt::CaseInsensitive) &&
           Schema::KeyColumn(table).compare(column, Qt::CaseInsensitive) == 0;
}

bool IsWholeNumber(Jet::ColumnType type) {
    return type == Jet::ColumnType::Byte || type == Jet::ColumnType::Integer ||
           type == Jet::ColumnType::LongInteger;
}

bool IsNumber(Jet::ColumnType type) {
    return IsWholeNumber(type) || type == Jet::ColumnType::Currency || type == Jet::ColumnType::Single ||
           type == Jet::ColumnType::Double || type == Jet::ColumnType::Numeric;
}

bool IsText(Jet::ColumnType type) {
    return type == Jet::ColumnType::Text || type == Jet::ColumnType::Memo;
}

// Whether a Jet column of that type can hold the values of a schema column (each value is still
// checked when it is converted).
bool Fits(Jet::ColumnType from, Target to) {
    switch (to) {
    case Target::Integer:
        return from == Jet::ColumnType::Boolean || IsNumber(from) || IsText(from);
    case Target::Real:
        return IsNumber(from) || IsText(from);
    case Target::Text:
        return IsNumber(from) || IsText(from) || from == Jet::ColumnType::DateTime;
    case Target::Date:
        return from == Jet::ColumnType::DateTime || IsText(from);
    case Target::YesNo:
        return from == Jet::ColumnType::Boolean || IsWholeNumber(from);
    }
    return false;
}

int FindColumn(const QVector<Jet::Column>& columns, const QString& name) {
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void RemoveWithCompanions(const QString& file) {
    for (const QString& suffix : QStringList{QString()} + FileTargets::CompanionSuffixes())
        QFile::remove(file + suffix);
}

Outcome Failed(const QString& problem) {
    Outcome outcome;
    outcome.Problem = problem;
    return outcome;
}

// The business tables whose rows beyond the reserved one make a database "not empty".
const char* const recordTables[] = {"Customer", "Bill", "MoneyTable", "Account"};

QString FirstTableWithRecords(DbConnection& to) {
    for (const char* table : recordTables) {
        Query q(&to);
        q.Open(QStringLiteral("Select Count(*) From %1 Where %2 > 1")
                   .arg(QLatin1String(table), Schema::KeyColumn(QLatin1String(table))));
        if (q.Fields(0).AsInteger() > 0)
            return QLatin1String(table);
    }
    return QString();
}

// Reads one table of the Jet books, converting each row for the schema and adding up its figures.
class TableReader {
public:
    TableReader(Jet::Books& books, const TablePlan& plan, BookCopy::TableFigures* figures)
        : plan(plan)
        , figures(figures)
        , rows(books.ReadRows(plan.Source)) {
        for (const QString& column : plan.Columns) {
            targets << TargetOf(plan.Table, column);
            sumAt << figures->AmountColumns.indexOf(column);
        }
    }

    // The next converted row; false at the end or when a value does not fit (Problem then says).
    bool Next(QVariantList* out) {
        QVariantList row;
        if (!rows->Next(&row)) {
            problem = rows->Error();
            return false;
        }
        ++number;
        out->clear();
        for (int c = 0; c < plan.Columns.size(); ++c) {
            const int at = plan.SourceAt[c];
            if (at < 0) {
                out->append(number); // a key the Jet books did not have
                continue;
            }
            QVariant value;
            QString why;
            if (at >= row.size() || !ConvertValue(row[at], plan.SourceTypes[c], targets[c], &value, &why)) {
                problem = QStringLiteral("数据表“%1”第 %2 行的字段“%3”：%4")
                              .arg(plan.Source)
                              .arg(number)
                              .arg(plan.Columns[c], why.isEmpty() ? QStringLiteral("无法读取") : why);
                return false;
            }
            if (sumAt[c] >= 0 && value.isValid())
                figures->Sums[static_cast<size_t>(sumAt[c])] += value.toDouble();
            out->append(value);
        }
        ++figures->Rows;
        return true;
    }

    QString Problem() const { return problem; }

private:
    const TablePlan& plan;
    BookCopy::TableFigures* figures;
    std::unique_ptr<Jet::Rows> rows;
    QVector<Target> targets;
    QVector<int> sumAt;
    qint64 number = 0;
    QString problem;
};

// Converts into the new database file part, which must not exist yet. On any failure part is gone.
Outcome WritePart(Jet::Books& books, const QString& part, const Progress& progress) {
    const Plan plan = MakePlan(books);
    if (const QString refusal = RefusalOf(plan); !refusal.isEmpty())
        return Failed(refusal);
    if (const QString error = Schema::CreateDatabase(part); !error.isEmpty())
        return Failed(error);
    Outcome outcome;
    {
        DbConnection to;
        to.ConnectionString = BuildConnectionString(part, QString());
        if (!to.Open()) {
            outcome = Failed(to.LastError());
        } else {
            // The whole conversion is one transaction: its pages stay in memory rather than being
            // written out and read again while the indexes grow.
            QSqlQuery(to.Database()).exec(QStringLiteral("PRAGMA cache_size = -262144"));
            outcome = Convert(books, plan, to, progress);
        }
        to.Close();
    }
    // The record of a clean close belongs to the hidden name: the books are checked whole when they
    // are first opened under their own.
    FileStamp::Forget(part);
    if (!outcome.Ok)
        RemoveWithCompanions(part);
    return outcome;
}

} // namespace

Target TargetOf(const QString& table, const QString& column) {
    const QString type = Schema::DeclaredType(table, column);
    if (type == QLatin1String("INTEGER"))
        return Target::Integer;
    if (type == QLatin1String("REAL"))
        return Target::Real;
    if (type == QLatin1String("BOOLEAN"))
        return Target::YesNo;
    // Dates are kept as text; their columns are named after the time they hold.
    if (column.endsWith(QLatin1String("Time"), Qt::CaseInsensitive))
        return Target::Date;
    return Target::Text;
}

Plan MakePlan(const Jet::Books& books) {
    Plan plan;
    const QStringList jetTables = books.TableNames();
    QStringList matched;
    for (const QString& table : Schema::TableNames()) {
        // The change history is this program's own: books kept in the Jet format never had it, and
        // the converted books start with an empty one.
        if (table == QLatin1String("History"))
            continue;
        QString source;
        for (const QString& name : jetTables) {
            if (name.compare(table, Qt::CaseInsensitive) == 0)
                source = name;
        }
        if (source.isEmpty()) {
            plan.Missing << table;
            continue;
        }
        matched << source;
        const QVector<Jet::Column> columns = books.Columns(source);
        TablePlan t;
        t.Table = table;
        t.Source = source;
        QVector<bool> used(columns.size(), false);
        for (const QString& column : Schema::Columns(table)) {
            const int at = FindColumn(columns, column);
            if (at < 0) {
                if (KeyOfOurOwn(table, column)) {
                    t.Columns << column;
                    t.SourceAt << -1;
                    t.SourceTypes << Jet::ColumnType::LongInteger;
                } else {
                    plan.Missing << table + QLatin1Char('.') + column;
                }
                continue;
            }
            used[at] = true;
            if (!Fits(columns[at].Type, TargetOf(table, column))) {
                plan.Unfit
                    << QStringLiteral("%1.%2（%3）").arg(table, column, Jet::TypeName(columns[at].Type));
                continue;
            }
            t.Columns << column;
            t.SourceAt << at;
            t.SourceTypes << columns[at].Type;
        }
        for (int c = 0; c < columns.size(); ++c) {
            if (!used[c])
                plan.Unknown << source + QLatin1Char('.') + columns[c].Name;
        }
        plan.Tables.push_back(t);
    }
    for (const QString& name : jetTables) {
        if (!matched.contains(name))
            plan.Unknown << name;
    }
    return plan;
}

QString RefusalOf(const Plan& plan) {
    if (plan.Missing.isEmpty() && plan.Unfit.isEmpty())
        return QString();
    QString text = QStringLiteral("这个旧格式（Jet）的数据库不是本软件的帐套，无法转换，什么也没有改动。");
    if (!plan.Missing.isEmpty())
        text += QStringLiteral("\n\n缺少的数据表或字段：") + plan.Missing.join(QStringLiteral("、"));
    if (!plan.Unfit.isEmpty())
        text += QStringLiteral("\n\n类型不符的字段：") + plan.Unfit.join(QStringLiteral("、"));
    if (!plan.Unknown.isEmpty())
        text += QStringLiteral("\n\n本软件不认识的数据表或字段：") + plan.Unknown.join(QStringLiteral("、"));
    return text;
}

QString LeftOutNote(const Plan& plan) {
    if (plan.Unknown.isEmpty())
        return QString();
    return QStringLiteral("以下数据表或字段本软件不使用，不转换：") + plan.Unknown.join(QStringLiteral("、"));
}

bool ConvertValue(const QVariant& value, Jet::ColumnType from, Target to, QVariant* out, QString* problem) {
    *out = QVariant();
    if (!value.isValid() || value.isNull())
        return true;
    const auto fail = [&](const QString& why) {
        *problem = why;
        return false;
    };
    switch (to) {
    case Target::YesNo:
        if (from == Jet::ColumnType::Boolean)
            *out = value.toBool() ? 1 : 0;
        else
            *out = value.toLongLong() != 0 ? 1 : 0; // Jet keeps "yes" as -1
        return true;
    case Target::Integer: {
        if (from == Jet::ColumnType::Boolean) {
            *out = value.toBool() ? 1 : 0;
            return true;
        }
        if (IsWholeNumber(from)) {
            *out = value.toLongLong();
            return true;
        }
        bool ok = false;
        const double number = IsText(from) ? value.toString().trimmed().toDouble(&ok) : value.toDouble(&ok);
        if (IsText(from) && value.toString().trimmed().isEmpty())
            return true;
        if (!ok || std::trunc(number) != number || std::abs(number) > 9.0e15)
            return fail(QStringLiteral("“%1”不是整数").arg(value.toString()));
        *out = static_cast<qint64>(number);
        return true;
    }
    case Target::Real: {
        if (IsText(from) && value.toString().trimmed().isEmpty())
            return true;
        bool ok = false;
        const double number = IsText(from) ? value.toString().trimmed().toDouble(&ok) : value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return fail(QStringLiteral("“%1”不是数值").arg(value.toString()));
        *out = number;
        return true;
    }
    case Target::Date:
    case Target::Text:
        if (from == Jet::ColumnType::DateTime) {
            const QDateTime when = value.toDateTime();
            if (!when.isValid())
                return fail(QStringLiteral("日期超出范围"));
            *out = StoredDateText(when);
            return true;
        }
        if (IsWholeNumber(from)) {
            *out = QString::number(value.toLongLong());
            return true;
        }
        if (IsNumber(from)) {
            *out = QString::number(value.toDouble(), 'g', 15);
            return true;
        }
        *out = value.toString();
        return true;
    }
    return false;
}

Outcome Convert(Jet::Books& books, const Plan& plan, DbConnection& to, const Progress& progress) {
    if (const QString refusal = RefusalOf(plan); !refusal.isEmpty())
        return Failed(refusal);
    const QString unchanged = QStringLiteral("转换失败，没有改动任何数据：");
    qint64 total = 0;
    for (const TablePlan& t : plan.Tables)
        total += books.RowCount(t.Source);
    qint64 done = 0;
    bool cancelled = false;
    try {
        if (const QString table = FirstTableWithRecords(to); !table.isEmpty())
            return Failed(QStringLiteral("目标数据库中已有业务记录（%1），没有转换任何数据。").arg(table));
        Transaction tx(to);
        if (to.CurrentEngine() == Engine::PostgreSql) {
            QSqlQuery lock(to.Database());
            if (!lock.exec(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE")
                               .arg(Schema::TableNames().join(QStringLiteral(", ")))))
                return Failed(unchanged + lock.lastError().text());
        }
        std::vector<BookCopy::TableFigures> source;
        for (const TablePlan& t : plan.Tables) {
            BookCopy::TableFigures figures;
            figures.Table = t.Table;
            figures.AmountColumns = Schema::AmountColumns(t.Table);
            figures.Sums.assign(static_cast<size_t>(figures.AmountColumns.size()), 0.0);
            QSqlQuery clear(to.Database());
            if (!clear.exec(QStringLiteral("DELETE FROM %1").arg(t.Table)))
                return Failed(unchanged + clear.lastError().text());
            TableReader reader(books, t, &figures);
            const QString error =
                BookCopy::WriteRows(to.Database(), t.Table, t.Columns, [&](QVariantList* row) {
                    if (cancelled || !reader.Next(row))
                        return false;
                    if (++done % 2000 == 0 && progress && !progress(done, total))
                        cancelled = true;
                    return true;
                });
            if (cancelled) {
                Outcome outcome;
                outcome.Cancelled = true;
                outcome.Problem = QStringLiteral("转换已取消，没有改动任何数据。");
                return outcome;
            }
            if (!reader.Problem().isEmpty())
                return Failed(unchanged + reader.Problem());
            if (!error.isEmpty())
                return Failed(unchanged + error);
            source.push_back(figures);
        }
        if (const QString error = Schema::AdvanceKeys(to.Database()); !error.isEmpty())
            return Failed(unchanged + error);
        // The converted books start with an empty change history, in its place among the tables.
        const QStringList tables = Schema::TableNames();
        if (const qsizetype at = tables.indexOf(QLatin1String("History")); at >= 0) {
            BookCopy::TableFigures none;
            none.Table = tables[at];
            none.AmountColumns = Schema::AmountColumns(none.Table);
            none.Sums.assign(static_cast<size_t>(none.AmountColumns.size()), 0.0);
            source.insert(source.begin() + std::min<qsizetype>(at, qsizetype(source.size())), none);
        }
        Outcome outcome;
        outcome.Figures = BookCopy::Figures(to);
        const QStringList differences = BookCopy::Differences(source, outcome.Figures);
        if (!differences.isEmpty())
            return Failed(QStringLiteral("转换后的数据与旧格式数据库中的不符，没有改动任何数据：\n") +
                          differences.join(QLatin1Char('\n')));
        tx.Commit();
        if (progress)
            progress(total, total);
        outcome.Ok = true;
        return outcome;
    } catch (const KestrelError& error) {
        return Failed(unchanged + error.Message());
    }
}

Outcome ConvertToFile(const QString& jetPath, const QString& target, const Progress& progress) {
    QString error;
    std::unique_ptr<Jet::Books> books = Jet::Open(jetPath, &error);
    if (!books)
        return Failed(error);
    return ConvertToFile(*books, target, progress);
}

Outcome ConvertToFile(Jet::Books& books, const QString& target, const Progress& progress) {
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return Failed(QStringLiteral("目标文件已存在：") + Native(target));
    const QString part = FileTargets::PartBeside(target, QStringLiteral("convert"));
    const Leftovers::Unfinished noted(part);
    Outcome outcome = WritePart(books, part, progress);
    if (!outcome.Ok)
        return outcome;
    if (QFileInfo::exists(target)) {
        RemoveWithCompanions(part);
        return Failed(QStringLiteral("目标文件已存在：") + Native(target));
    }
    if (const QString cause = FileTargets::MoveIntoPlace(part, target); !cause.isEmpty()) {
        RemoveWithCompanions(part);
        return Failed(Native(target) + QStringLiteral("：") + cause);
    }
    return outcome;
}

Outcome ConvertInPlace(const QString& databasePath, const QString& keptName, const Progress& progress) {
    QString error;
    std::unique_ptr<Jet::Books> books = Jet::Open(databasePath, &error);
    if (!books)
        return Failed(error);
    return ConvertInPlace(*books, databasePath, keptName, progress);
}

Outcome ConvertInPlace(Jet::Books& books, const QString& databasePath, const QString& keptName,
                       const Progress& progress) {
    if (QFileInfo::exists(keptName) || QFileInfo(keptName).isSymLink())
        return Failed(QStringLiteral("文件已存在：") + Native(keptName));
    const QString part = FileTargets::PartBeside(databasePath, QStringLiteral("convert"));
    const Leftovers::Unfinished noted(part);
    Outcome outcome = WritePart(books, part, progress);
    if (!outcome.Ok)
        return outcome;
    // The Jet file gets its second name first; the new books then take the first in one rename.
    std::error_code failure;
    const fs::path database(QFile::encodeName(databasePath).toStdString());
    const fs::path kept(QFile::encodeName(keptName).toStdString());
    fs::create_hard_link(database, kept, failure);
    if (failure) {
        failure.clear();
        fs::copy_file(database, kept, failure);
    }
    if (!failure) {
        if (const QString cause = FileTargets::MoveIntoPlace(part, databasePath); !cause.isEmpty()) {
            std::error_code ignored;
            fs::remove(kept, ignored);
            RemoveWithCompanions(part);
            return Failed(Native(databasePath) + QStringLiteral("：") + cause);
        }
        return outcome;
    }
    RemoveWithCompanions(part);
    return Failed(Native(keptName) + QStringLiteral("：") + FileTargets::SystemCause(failure.value()));
}

QString KeptJetName(const QString& databasePath, const QDateTime& when) {
    const QFileInfo info(databasePath);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("-旧格式-") +
           when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + QLatin1Char('.') + info.suffix();
}

namespace {

// What the user calls the total of an amount column.
QString AmountWords(const QString& column) {
    static const QHash<QString, QString> words = {
        {QStringLiteral("CustomerOwe"), QStringLiteral("起初欠款合计")},
        {QStringLiteral("BillSum"), QStringLiteral("金额合计")},
        {QStringLiteral("MoneyIn"), QStringLiteral("收入合计")},
        {QStringLiteral("MoneyOut"), QStringLiteral("支出合计")},
        {QStringLiteral("MoneySum"), QStringLiteral("金额合计")},
        {QStringLiteral("AccountBase"), QStringLiteral("起初金额合计")},
    };
    return words.value(column, column + QStringLiteral(" 合计"));
}

} // namespace

QString Summary(const std::vector<BookCopy::TableFigures>& figures) {
    struct Shown {
        const char* table;
        const char* words;
    };
    static const Shown shown[] = {{"Customer", "客户"}, {"Bill", "业务单据"}, {"MoneyTable", "财务单据"},
                                  {"Account", "帐户"},  {"Power", "人员"},    {"Parameter", "选项"},
                                  {"Setting", "设置"}};
    const QLocale numbers(QLocale::English);
    QStringList parts;
    for (const Shown& s : shown) {
        for (const BookCopy::TableFigures& f : figures) {
            if (f.Table != QLatin1String(s.table))
                continue;
            QString part =
                QStringLiteral("%1 %2 条").arg(QString::fromUtf8(s.words), numbers.toString(f.Rows));
            for (size_t i = 0; i < f.Sums.size(); ++i) {
                part += QStringLiteral("，%1 %2").arg(AmountWords(f.AmountColumns[static_cast<int>(i)]),
                                                      numbers.toString(f.Sums[i], 'f', 2));
            }
            parts << part;
        }
    }
    return parts.join(QStringLiteral("；"));
}

QString ConversionQuestion(const QString& jetPath, const QString& keptAs, const QString& leftOut) {
    QString text =
        QStringLiteral("这是旧格式（Jet）的数据库，将转换为新格式，原文件保留为“%1”。\n\n数据库文件：%2")
            .arg(Native(keptAs), Native(jetPath));
    if (!leftOut.isEmpty())
        text += QStringLiteral("\n\n") + leftOut;
    return text + QStringLiteral("\n\n是否现在转换？");
}

} // namespace JetConvert
