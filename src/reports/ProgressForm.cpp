#include "ProgressForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

TFormProgress* FormProgress = nullptr;

TFormProgress::TFormProgress(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral("报表统计"));
    setModal(false);
    setFixedSize(380, 120);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("正在统计报表数据，请稍候……"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAccessibleName(QStringLiteral("统计进度"));
    Label1->setBuddy(ProgressBar1);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        cancelled = true;
        Label1->setText(QStringLiteral("正在取消……"));
    });
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(CancelButton, 0, Qt::AlignRight);
}

void TFormProgress::reject() {
    // Esc asks the work to stop; the work closes the window when it has undone its part.
    cancelled = true;
}

void TFormProgress::SetText(const QString& value) {
    text = value;
    Label1->setText(value);
    PaintNow();
}

bool TFormProgress::Advance(qint64 done, qint64 total, int from, int to) {
    const int percent =
        total <= 0 ? to : from + static_cast<int>((to - from) * std::min(done, total) / total);
    if (percent != ProgressBar1->value())
        ProgressBar1->setValue(percent);
    return Poll();
}

bool TFormProgress::Poll() {
    if (!isVisible())
        return cancelled;
    // Often enough to answer a click at once, seldom enough to cost nothing.
    if (sincePoll.isValid() && sincePoll.elapsed() < 50)
        return cancelled;
    sincePoll.restart();
    qApp->installEventFilter(this);
    // No timers run meanwhile: the work may be inside a statement of the one connection.
    QApplication::processEvents(QEventLoop::X11ExcludeTimers | QEventLoop::ExcludeSocketNotifiers);
    qApp->removeEventFilter(this);
    return cancelled;
}

bool TFormProgress::eventFilter(QObject* watched, QEvent* event) {
    // While the work polls, only this window takes input; the others wait until the work ends.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close: {
        if (auto* window = qobject_cast<QWindow*>(watched))
            return window != windowHandle();
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget != nullptr && widget->window() != this;
    }
    default:
        return false;
    }
}

void TFormProgress::ShowOver(QWidget* owner) {
    ProgressBar1->setValue(0);
    cancelled = false;
    sincePoll.invalidate();
    text = QStringLiteral("正在统计报表数据，请稍候……");
    Label1->setText(text);
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

bool TFormProgress::Creep(int ceiling) {
    if (ProgressBar1->value() + 1 < ceiling)
        ProgressBar1->setValue(ProgressBar1->value() + 1);
    if (!cancelled)
        Label1->setText(text + QStringLiteral("（%1 秒）").arg(running.elapsed() / 1000));
    PaintNow();
    return Poll();
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

bool ProgressRun::Cancelled() const {
    return form->Cancelled();
}
