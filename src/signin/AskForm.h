#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The small text prompt used for passwords, sign-in and pick-list entries.
class TFormAsk : public QDialog {
    Q_OBJECT
public:
    explicit TFormAsk(QWidget* parent = nullptr);

    QString AskTitle;
    QString AskPrompt;
    QString AskText;

    // "#" masks the entry; a null character shows it plainly. Kept until the next caller sets it.
    void SetPasswordChar(QChar c);
    QChar PasswordChar() const { return passwordChar; }

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QChar passwordChar;
};

extern TFormAsk* FormAsk;

// Shows FormAsk masked with "#" (title, prompt, initial text) and clears the mask again; true on
// OK, with the typed text in text. The data module asks for the data-modification password so.
bool AskMaskedText(const QString& title, const QString& prompt, QString& text);
