#pragma once

// Scripts that drive the sign-in window and its password prompt headless.

#include "foundation/JetSql.h"
#include "signin/AskForm.h"
#include "signin/LoginForm.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

// What the password prompt looked like while it was open.
struct SeenPrompt {
    QString Title;
    QString Prompt;
    QChar PasswordChar;
    bool Masked = false;
};

// Answers the password prompt with text (OK), recording how it looked.
inline ScriptedPrompts::ModalScript AnswerPrompt(const QString& text, SeenPrompt* seen = nullptr) {
    return [text, seen](QDialog* dialog) {
        auto* ask = static_cast<TFormAsk*>(dialog);
        if (seen != nullptr)
            *seen = {ask->windowTitle(), ask->Label1->text(), ask->PasswordChar(),
                     ask->Edit1->echoMode() == QLineEdit::Password};
        ask->Edit1->setText(text);
        ask->BitBtn1->click();
    };
}

inline ScriptedPrompts::ModalScript CancelPrompt() {
    return [](QDialog* dialog) { static_cast<TFormAsk*>(dialog)->BitBtn2->click(); };
}

// Runs `inside` against the shown sign-in window.
inline ScriptedPrompts::ModalScript OnLogin(std::function<void(TFormLogin*)> inside) {
    return [inside](QDialog* dialog) { inside(static_cast<TFormLogin*>(dialog)); };
}

// Fills a salesman slot of Power.
inline void SetSlot(TestProgram& program, int slot, const QString& name, const QString& key,
                    const QString& rights, const QString& picture = QString()) {
    const QString face = picture.isEmpty() ? QStringLiteral("Faces/%1.bmp").arg(slot) : picture;
    program.Exec(QStringLiteral("Update Power Set PowerName = %1, PowerKey = %2, PowerRange = %3, "
                                "PowerPicture = %4 Where PowerIndex = %5")
                     .arg(SqlText(name), SqlText(key), SqlText(rights), SqlText(face))
                     .arg(slot));
}

// Queues a sign-in through face button `slot` with the password `key`.
inline void QueueSalesmanSignIn(TestProgram& program, int slot, const QString& key) {
    program.Prompts().QueueModal(
        OnLogin([slot](TFormLogin* login) { login->Man[size_t(slot - 1)]->click(); }));
    program.Prompts().QueueModal(AnswerPrompt(key));
}

// Queues a sign-in through the role button of `role` with the password `key`.
inline void QueueRoleSignIn(TestProgram& program, const QString& role, const QString& key) {
    program.Prompts().QueueModal(OnLogin([role](TFormLogin* login) {
        for (QToolButton* button :
             {login->SpeedButton1, login->SpeedButton2, login->SpeedButton3, login->SpeedButton4}) {
            if (button->defaultAction()->text() == role)
                button->click();
        }
    }));
    program.Prompts().QueueModal(AnswerPrompt(key));
}
