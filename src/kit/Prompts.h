#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QWidget;

// Options of a file dialog. Filter uses the Qt form ("Mdb Files (*.mdb *.MDB)").
struct FileDialogOptions {
    QString Title;
    QString Folder;
    QString FileName;
    QString Filter;
    QString DefaultSuffix;
};

// The answer to "是否保存修改？".
enum class SaveAnswer { Save, Discard, Cancel };

// Every message box, file dialog, desktop hand-over and modal window goes through this one
// process-wide object, so that tests can answer them from a script.
class Prompts {
public:
    virtual ~Prompts() = default;

    virtual void Information(const QString& text, const QString& title = QString()) = 0;
    virtual void Error(const QString& text, const QString& title = QString()) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Question(const QString& text, const QString& title) = 0;
    // A 保存 / 不保存 / 取消 question before changes would be thrown away.
    virtual SaveAnswer AskToSave(const QString& text, const QString& title) = 0;
    // Shows the window modally and returns its result (QDialog::Accepted or Rejected).
    virtual int ShowModal(QDialog* dialog) = 0;
    // The chosen file, or "" when cancelled.
    virtual QString SaveFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual QString OpenFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    // The chosen folder (options' Title and Folder), or "" when cancelled.
    virtual QString FolderName(QWidget* parent, const FileDialogOptions& options) = 0;
    // Opens a folder or file with the desktop's program for it.
    virtual bool OpenWithDesktop(const QString& path) = 0;

    static Prompts& Get();
    // Installs another implementation (tests); returns the previous one.
    static std::unique_ptr<Prompts> Install(std::unique_ptr<Prompts> prompts);
};

// The real dialogs.
class QtPrompts : public Prompts {
public:
    void Information(const QString& text, const QString& title) override;
    void Error(const QString& text, const QString& title) override;
    bool Question(const QString& text, const QString& title) override;
    SaveAnswer AskToSave(const QString& text, const QString& title) override;
    int ShowModal(QDialog* dialog) override;
    QString SaveFileName(QWidget* parent, const FileDialogOptions& options) override;
    QString OpenFileName(QWidget* parent, const FileDialogOptions& options) override;
    QString FolderName(QWidget* parent, const FileDialogOptions& options) override;
    bool OpenWithDesktop(const QString& path) override;
};

// Scripted answers for tests: records every message and answers from queues. A modal window is
// shown (not blocking), handed to the next queued script, and closed with Rejected if the script
// left it open. A modal window without a script is recorded as unexpected and rejected.
class ScriptedPrompts : public Prompts {
public:
    struct Message {
        // "information", "error", "question", "savechanges", "save", "open", "folder", "desktop",
        // "modal"
        QString Kind;
        QString Text;
        QString Title;
    };
    using ModalScript = std::function<void(QDialog*)>;

    void Information(const QString& text, const QString& title) override;
    void Error(const QString& text, const QString& title) override;
    bool Question(const QString& text, const QString& title) override;
    SaveAnswer AskToSave(const QString& text, const QString& title) override;
    int ShowModal(QDialog* dialog) override;
    QString SaveFileName(QWidget* parent, const FileDialogOptions& options) override;
    QString OpenFileName(QWidget* parent, const FileDialogOptions& options) override;
    QString FolderName(QWidget* parent, const FileDialogOptions& options) override;
    bool OpenWithDesktop(const QString& path) override;

    void QueueAnswer(bool yes) { answers.push_back(yes); }
    // Answers to AskToSave; without one queued the answer is Discard (the close goes on).
    void QueueSaveAnswer(SaveAnswer answer) { saveAnswers.push_back(answer); }
    // How many times "是否保存修改？" was asked.
    int SaveQuestions() const;
    // Answers to SaveFileName, OpenFileName and FolderName.
    void QueueFileName(const QString& name) { fileNames.push_back(name); }
    void QueueModal(ModalScript script) { scripts.push_back(std::move(script)); }

    std::vector<Message> Messages;
    // The texts of the message boxes (information, error and question), in order.
    QStringList Texts() const;
    QString LastText() const;
    int PendingScripts() const { return static_cast<int>(scripts.size()); }
    int UnexpectedModals = 0;
    QStringList OpenedWithDesktop;
    // What OpenWithDesktop answers: false plays a desktop without a program for the file.
    bool DesktopOpens = true;
    FileDialogOptions LastFileDialog;
    void Clear();

private:
    // Records a file dialog and answers it from the queue.
    QString NextFileName(const QString& kind, const QString& text, const FileDialogOptions& options);
    std::deque<bool> answers;
    std::deque<SaveAnswer> saveAnswers;
    std::deque<QString> fileNames;
    std::deque<ModalScript> scripts;
};
