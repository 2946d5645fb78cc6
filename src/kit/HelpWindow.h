#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QTextBrowser;
class QPushButton;

// The user guide in a window of its own: the Markdown pages of docs/ beside the program, with
// their pictures, links between the pages, and back / forward / contents buttons.
class THelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // The folder of the guide: docs/ beside the program.
    static QString GuideFolder();
    // Shows a page of the guide ("03-first-sale.md", optionally with "#anchor"); a page that is
    // not there shows the contents page, and without a guide the window says where it looked.
    void ShowPage(const QString& page);
    // The file name of the page shown ("03-first-sale.md"), "" when none.
    QString ShownPage() const;

    QTextBrowser* Browser;
    QPushButton* BackButton;
    QPushButton* ForwardButton;
    QPushButton* ContentsButton;
    QPushButton* CloseButton;
};

// The program's one help window (made on first use, parented to parent).
THelpWindow* HelpWindow(QWidget* parent);

// F1 anywhere in the program opens the guide at the page that pageFor gives for the window the key
// was pressed in (the contents page for ""). Installed once on the application; a later call
// replaces pageFor.
void InstallHelpKey(QWidget* helpParent, std::function<QString(QWidget* window)> pageFor);
