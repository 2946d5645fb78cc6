#include "HelpWindow.h"

#include "foundation/ShareDM.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString ContentsPage = QStringLiteral("README.md");

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QPointer<THelpWindow>& TheWindow() {
    static QPointer<THelpWindow> window;
    return window;
}

// Watches every key press of the application for F1.
class HelpKeyFilter : public QObject {
public:
    HelpKeyFilter(QWidget* helpParent, std::function<QString(QWidget*)> pageFor)
        : QObject(QCoreApplication::instance())
        , parent(helpParent)
        , pageFor(std::move(pageFor)) {}

    QPointer<QWidget> parent;
    std::function<QString(QWidget*)> pageFor;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || widget == nullptr)
            return false;
        QWidget* window = widget->window();
        THelpWindow* help = HelpWindow(parent);
        if (window == help)
            return false;
        help->ShowPage(pageFor ? pageFor(window) : QString());
        // A modal window in front would block the guide: then the guide is modal itself.
        const bool modal = QApplication::activeModalWidget() != nullptr || window->isModal();
        if (help->isVisible() && help->isModal() != modal)
            help->hide();
        help->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
        help->show();
        help->raise();
        help->activateWindow();
        return true;
    }
};

} // namespace

THelpWindow::THelpWindow(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormHelp"));
    setWindowTitle(QStringLiteral("使用说明"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(820, 640);
    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setOpenExternalLinks(true);
    Browser->setAccessibleName(QStringLiteral("使用说明"));
    BackButton = NewButton(this, "BackButton", QStringLiteral("后退"));
    ForwardButton = NewButton(this, "ForwardButton", QStringLiteral("前进"));
    ContentsButton = NewButton(this, "ContentsButton", QStringLiteral("目录"));
    CloseButton = NewButton(this, "CloseButton", QStringLiteral("关闭"));
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addWidget(ContentsButton);
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser);
    connect(BackButton, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QPushButton::setEnabled);
    connect(ContentsButton, &QPushButton::clicked, this, [this] { ShowPage(ContentsPage); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
}

QString THelpWindow::GuideFolder() {
    return ProgramFolder + QStringLiteral("docs/");
}

void THelpWindow::ShowPage(const QString& page) {
    const QString file = page.section(QLatin1Char('#'), 0, 0);
    const QString anchor = page.section(QLatin1Char('#'), 1);
    QString path = GuideFolder() + (file.isEmpty() ? ContentsPage : file);
    if (!QFileInfo(path).isFile())
        path = GuideFolder() + ContentsPage;
    if (!QFileInfo(path).isFile()) {
        Browser->setHtml(QStringLiteral("<p>找不到使用说明。它应在程序旁的文件夹中：</p><p>") +
                         QDir::toNativeSeparators(GuideFolder()).toHtmlEscaped() + QStringLiteral("</p>"));
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty() && path.endsWith(file))
        url.setFragment(anchor);
    Browser->setSource(url, QTextDocument::MarkdownResource);
}

QString THelpWindow::ShownPage() const {
    const QUrl source = Browser->source();
    return source.isEmpty() ? QString() : QFileInfo(source.toLocalFile()).fileName();
}

THelpWindow* HelpWindow(QWidget* parent) {
    QPointer<THelpWindow>& window = TheWindow();
    if (window.isNull())
        window = new THelpWindow(parent);
    return window;
}

void InstallHelpKey(QWidget* helpParent, std::function<QString(QWidget*)> pageFor) {
    static QPointer<HelpKeyFilter> installed;
    if (!installed.isNull()) {
        installed->parent = helpParent;
        installed->pageFor = std::move(pageFor);
        return;
    }
    installed = new HelpKeyFilter(helpParent, std::move(pageFor));
    QCoreApplication::instance()->installEventFilter(installed);
}
