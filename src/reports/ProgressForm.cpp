#include "ProgressForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

TFormProgress* FormProgress = nullptr;

TFormProgress::TFormProgress(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral("报表统计"));
    setModal(false);
    setFixedSize(360, 96);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("正在统计报表数据，请稍候……"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAccessibleName(QStringLiteral("统计进度"));
    Label1->setBuddy(ProgressBar1);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
}

void TFormProgress::ShowOver(QWidget* owner) {
    ProgressBar1->setValue(0);
    Label1->setText(QStringLiteral("正在统计报表数据，请稍候……"));
    const QPoint centre = owner != nullptr && owner->isVisible()
                              ? owner->mapToGlobal(owner->rect().center())
                              : QGuiApplication::primaryScreen()->availableGeometry().center();
    move(centre - QPoint(width() / 2, height() / 2));
    running.start();
    show();
    // Once, before any work starts: lets the window system map the window. Clicks are left
    // waiting, so nothing of the program runs meanwhile.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    PaintNow();
}

void TFormProgress::SetPosition(int percent) {
    ProgressBar1->setValue(percent);
    PaintNow();
}

void TFormProgress::Creep(int ceiling) {
    if (ProgressBar1->value() + 1 < ceiling)
        ProgressBar1->setValue(ProgressBar1->value() + 1);
    Label1->setText(QStringLiteral("正在统计报表数据，请稍候……（%1 秒）").arg(running.elapsed() / 1000));
    PaintNow();
}

void TFormProgress::PaintNow() {
    // Painted at once, without running the event loop: the work goes on in this very call stack.
    if (isVisible())
        repaint();
}

ProgressRun::ProgressRun(TFormProgress* form, QWidget* owner)
    : form(form) {
    form->ShowOver(owner);
}

ProgressRun::~ProgressRun() {
    Hide();
}

void ProgressRun::Step(int percent) {
    form->SetPosition(percent);
}

void ProgressRun::Hide() {
    form->hide();
}
