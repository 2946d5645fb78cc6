#include "AskForm.h"

#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

TFormAsk* FormAsk = nullptr;

namespace {
// Masks with "#" instead of the platform's bullet.
class HashPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '#';
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

TFormAsk::TFormAsk(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormAsk"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint);
    setFixedSize(300, 130);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    auto* style = new HashPasswordStyle;
    style->setParent(Edit1);
    Edit1->setStyle(style);
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormAsk::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(this, &TFormAsk::BitBtn2Click));
}

void TFormAsk::SetPasswordChar(QChar c) {
    passwordChar = c;
    Edit1->setEchoMode(c.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TFormAsk::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormAsk::FormShow() {
    setWindowTitle(AskTitle);
    Label1->setText(AskPrompt);
    LinkLabel(Label1, Edit1);
    Edit1->setText(AskText);
    Edit1->setFocus();
}

void TFormAsk::BitBtn1Click() {
    AskText = Edit1->text();
    accept();
}

void TFormAsk::BitBtn2Click() {
    reject();
}

bool AskMaskedText(const QString& title, const QString& prompt, QString& text) {
    FormAsk->AskTitle = title;
    FormAsk->AskPrompt = prompt;
    FormAsk->AskText = text;
    FormAsk->SetPasswordChar(QLatin1Char('#'));
    const bool accepted = Prompts::Get().ShowModal(FormAsk) == QDialog::Accepted;
    FormAsk->SetPasswordChar(QChar());
    if (accepted)
        text = FormAsk->AskText;
    return accepted;
}
