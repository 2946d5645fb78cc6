#include "JetConversion.h"

#include "JetConvert.h"
#include "kit/Prompts.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>

namespace {

const QString Title = QStringLiteral("转换旧格式数据库");

// The plan for a Jet file, or "" and a message shown when it cannot be converted.
bool Convertible(const QString& jetPath, JetConvert::Plan* plan) {
    QString error;
    std::unique_ptr<Jet::Books> books = Jet::Open(jetPath, &error);
    if (!books) {
        Prompts::Get().Error(error, Title);
        return false;
    }
    *plan = JetConvert::MakePlan(*books);
    if (const QString refusal = JetConvert::RefusalOf(*plan); !refusal.isEmpty()) {
        Prompts::Get().Error(QStringLiteral("“%1”：").arg(QDir::toNativeSeparators(jetPath)) + refusal,
                             Title);
        return false;
    }
    return true;
}

// A progress window shown once the conversion takes a moment, with a button that cancels it.
class ConversionProgress {
public:
    explicit ConversionProgress(QWidget* parent)
        : dialog(QStringLiteral("正在转换旧格式数据库……"), QStringLiteral("取消"), 0, 1000, parent) {
        dialog.setWindowTitle(Title);
        dialog.setObjectName(QStringLiteral("JetConversionProgress"));
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setMinimumDuration(500);
        dialog.setAutoClose(false);
        dialog.setAutoReset(false);
    }
    JetConvert::Progress Callback() {
        return [this](qint64 done, qint64 total) {
            dialog.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
            dialog.setLabelText(
                QStringLiteral("正在转换旧格式数据库……已转换 %1 / %2 条记录").arg(done).arg(total));
            QApplication::processEvents();
            return !dialog.wasCanceled();
        };
    }

private:
    QProgressDialog dialog;
};

void Tell(const JetConvert::Outcome& outcome) {
    if (outcome.Cancelled)
        Prompts::Get().Information(outcome.Problem, Title);
    else if (!outcome.Ok)
        Prompts::Get().Error(outcome.Problem, Title);
}

} // namespace

bool ConvertJetBooksInPlace(const QString& databasePath, QWidget* parent) {
    JetConvert::Plan plan;
    if (!Convertible(databasePath, &plan))
        return false;
    const QString kept = JetConvert::KeptJetName(databasePath, QDateTime::currentDateTime());
    if (!Prompts::Get().Question(
            JetConvert::ConversionQuestion(databasePath, kept, JetConvert::LeftOutNote(plan)), Title))
        return false;
    JetConvert::Outcome outcome;
    {
        ConversionProgress progress(parent);
        outcome = JetConvert::ConvertInPlace(databasePath, kept, progress.Callback());
    }
    Tell(outcome);
    if (!outcome.Ok)
        return false;
    Prompts::Get().Information(
        QStringLiteral("旧格式数据库已转换为新格式，两者的数据相符：\n\n%1\n\n原文件保留为“%2”。")
            .arg(JetConvert::Summary(outcome.Figures), QDir::toNativeSeparators(kept)),
        Title);
    return true;
}

QString ConvertJetBooksForRestore(const QString& jetPath, const QString& folder, QWidget* parent) {
    JetConvert::Plan plan;
    if (!Convertible(jetPath, &plan))
        return QString();
    if (!Prompts::Get().Question(
            JetConvert::ConversionQuestion(jetPath, jetPath, JetConvert::LeftOutNote(plan)), Title))
        return QString();
    const QString converted = QDir(folder).filePath(QStringLiteral("Kestrel.mdb"));
    JetConvert::Outcome outcome;
    {
        ConversionProgress progress(parent);
        outcome = JetConvert::ConvertToFile(jetPath, converted, progress.Callback());
    }
    Tell(outcome);
    if (!outcome.Ok)
        return QString();
    Prompts::Get().Information(QStringLiteral("旧格式数据库已转换为新格式，两者的数据相符：\n\n%1")
                                   .arg(JetConvert::Summary(outcome.Figures)),
                               Title);
    return converted;
}
