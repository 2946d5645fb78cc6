#include "Prompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {
std::unique_ptr<Prompts>& Current() {
    static std::unique_ptr<Prompts> current = std::make_unique<QtPrompts>();
    return current;
}

QString Caption(const QString& title) {
    return title.isEmpty() ? QStringLiteral("岚峰商业管理软件") : title;
}
} // namespace

Prompts& Prompts::Get() {
    return *Current();
}

std::unique_ptr<Prompts> Prompts::Install(std::unique_ptr<Prompts> prompts) {
    std::unique_ptr<Prompts> previous = std::move(Current());
    Current() = std::move(prompts);
    return previous;
}

// ---- QtPrompts

void QtPrompts::Information(const QString& text, const QString& title) {
    QMessageBox::information(nullptr, Caption(title), text);
}

void QtPrompts::Error(const QString& text, const QString& title) {
    QMessageBox::critical(nullptr, Caption(title), text);
}

bool QtPrompts::Question(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, Caption(title), text, QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

SaveAnswer QtPrompts::AskToSave(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, Caption(title), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setObjectName(QStringLiteral("SaveChangesBox"));
    box.button(QMessageBox::Save)->setText(QStringLiteral("保存(&S)"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("不保存(&N)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveAnswer::Save;
    case QMessageBox::Discard:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;
    }
}

int QtPrompts::ShowModal(QDialog* dialog) {
    return dialog->exec();
}

QString QtPrompts::SaveFileName(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent, options.Title, options.Folder, options.Filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Qt's own dialog (in Chinese, as every other window), never the desktop's.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(options.DefaultSuffix);
    dialog.selectFile(options.FileName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

QString QtPrompts::OpenFileName(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent, options.Title, options.Folder, options.Filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog (in Chinese, as every other window), never the desktop's.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(options.DefaultSuffix);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

QString QtPrompts::FolderName(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent, options.Title, options.Folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

bool QtPrompts::OpenWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// ---- ScriptedPrompts

void ScriptedPrompts::Information(const QString& text, const QString& title) {
    Messages.push_back({QStringLiteral("information"), text, title});
}

void ScriptedPrompts::Error(const QString& text, const QString& title) {
    Messages.push_back({QStringLiteral("error"), text, title});
}

bool ScriptedPrompts::Question(const QString& text, const QString& title) {
    Messages.push_back({QStringLiteral("question"), text, title});
    if (answers.empty())
        return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

SaveAnswer ScriptedPrompts::AskToSave(const QString& text, const QString& title) {
    Messages.push_back({QStringLiteral("savechanges"), text, title});
    if (saveAnswers.empty())
        return SaveAnswer::Discard;
    const SaveAnswer answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

int ScriptedPrompts::SaveQuestions() const {
    int count = 0;
    for (const Message& m : Messages)
        count += m.Kind == QLatin1String("savechanges") ? 1 : 0;
    return count;
}

int ScriptedPrompts::ShowModal(QDialog* dialog) {
    Messages.push_back({QStringLiteral("modal"), dialog->objectName(), dialog->windowTitle()});
    dialog->setResult(QDialog::Rejected);
    if (scripts.empty()) {
        ++UnexpectedModals;
        return QDialog::Rejected;
    }
    ModalScript script = std::move(scripts.front());
    scripts.pop_front();
    dialog->show();
    script(dialog);
    if (dialog->isVisible())
        dialog->reject();
    return dialog->result();
}

QString ScriptedPrompts::NextFileName(const QString& kind, const QString& text,
                                      const FileDialogOptions& options) {
    LastFileDialog = options;
    Messages.push_back({kind, text, options.Title});
    if (fileNames.empty())
        return QString();
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}

QString ScriptedPrompts::SaveFileName(QWidget*, const FileDialogOptions& options) {
    return NextFileName(QStringLiteral("save"), options.FileName, options);
}

QString ScriptedPrompts::OpenFileName(QWidget*, const FileDialogOptions& options) {
    return NextFileName(QStringLiteral("open"), options.FileName, options);
}

QString ScriptedPrompts::FolderName(QWidget*, const FileDialogOptions& options) {
    return NextFileName(QStringLiteral("folder"), options.Folder, options);
}

bool ScriptedPrompts::OpenWithDesktop(const QString& path) {
    Messages.push_back({QStringLiteral("desktop"), path, QString()});
    OpenedWithDesktop << path;
    return DesktopOpens;
}

QStringList ScriptedPrompts::Texts() const {
    QStringList texts;
    for (const Message& m : Messages) {
        if (m.Kind == QLatin1String("information") || m.Kind == QLatin1String("error") ||
            m.Kind == QLatin1String("question"))
            texts << m.Text;
    }
    return texts;
}

QString ScriptedPrompts::LastText() const {
    const QStringList texts = Texts();
    return texts.isEmpty() ? QString() : texts.last();
}

void ScriptedPrompts::Clear() {
    Messages.clear();
    answers.clear();
    saveAnswers.clear();
    fileNames.clear();
    scripts.clear();
    UnexpectedModals = 0;
    OpenedWithDesktop.clear();
}
