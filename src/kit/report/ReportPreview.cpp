#include "ReportPreview.h"

#include "PageRenderer.h"
#include "ReportEngine.h"
#include "ReportOutput.h"
#include "ReportSnapshot.h"
#include "foundation/BooksFiles.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/ScreenFit.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QPushButton* ToolButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* BuddyLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return label;
}

const QStringList ZoomItems{QStringLiteral("整页"), QStringLiteral("页宽"), QStringLiteral("50%"),
                            QStringLiteral("75%"),  QStringLiteral("100%"), QStringLiteral("150%"),
                            QStringLiteral("200%")};

FileDialogOptions FileOptions(const QString& title, const QString& filter, const QString& suffix) {
    FileDialogOptions options;
    options.Title = title;
    options.Filter = filter;
    options.DefaultSuffix = suffix;
    return options;
}

} // namespace

ReportPreview::ReportPreview(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    Pages = new PreviewPages(this);
    ZoomBox = new QComboBox(this);
    ZoomBox->setObjectName(QStringLiteral("ZoomBox"));
    ZoomBox->addItems(ZoomItems);
    ZoomBox->setCurrentIndex(1);
    FirstButton = ToolButton(this, "FirstButton", QStringLiteral("首页"));
    PriorButton = ToolButton(this, "PriorButton", QStringLiteral("上页"));
    PageBox = new QSpinBox(this);
    PageBox->setObjectName(QStringLiteral("PageBox"));
    PageBox->setRange(1, 1);
    PageBox->setKeyboardTracking(false);
    PageCountLabel = new QLabel(this);
    PageCountLabel->setObjectName(QStringLiteral("PageCountLabel"));
    NextButton = ToolButton(this, "NextButton", QStringLiteral("下页"));
    LastButton = ToolButton(this, "LastButton", QStringLiteral("末页"));
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    // Wide enough to read a customer's name or a serial while typing it.
    FindEdit->setMinimumWidth(240);
    FindEdit->setPlaceholderText(QStringLiteral("输入要查找的文字，按回车"));
    FindPriorButton = ToolButton(this, "FindPriorButton", QStringLiteral("上一个"));
    FindNextButton = ToolButton(this, "FindNextButton", QStringLiteral("下一个"));
    FindLabel = new QLabel(this);
    FindLabel->setObjectName(QStringLiteral("FindLabel"));
    PrintButton = ToolButton(this, "PrintButton", QStringLiteral("打印"));
    PdfButton = ToolButton(this, "PdfButton", QStringLiteral("存为PDF"));
    LoadButton = ToolButton(this, "LoadButton", QStringLiteral("打开"));
    SaveButton = ToolButton(this, "SaveButton", QStringLiteral("保存"));
    HelpButton = ToolButton(this, "HelpButton", QStringLiteral("帮助"));
    CloseButton = ToolButton(this, "CloseButton", QStringLiteral("关闭"));

    // Two rows of tools, so the window (with the voucher's open, save and help) fits a small
    // screen: paging and the commands above, finding below.
    auto* tools = new QHBoxLayout;
    tools->setSpacing(4);
    tools->addWidget(BuddyLabel(this, QStringLiteral("缩放"), ZoomBox));
    tools->addWidget(ZoomBox);
    tools->addSpacing(8);
    tools->addWidget(FirstButton);
    tools->addWidget(PriorButton);
    tools->addWidget(BuddyLabel(this, QStringLiteral("页码"), PageBox));
    tools->addWidget(PageBox);
    tools->addWidget(PageCountLabel);
    tools->addWidget(NextButton);
    tools->addWidget(LastButton);
    tools->addStretch(1);
    for (QPushButton* button : {PrintButton, PdfButton, LoadButton, SaveButton, HelpButton, CloseButton})
        tools->addWidget(button);
    auto* finding = new QHBoxLayout;
    finding->setSpacing(4);
    finding->addWidget(BuddyLabel(this, QStringLiteral("查找"), FindEdit));
    finding->addWidget(FindEdit, 1);
    finding->addWidget(FindPriorButton);
    finding->addWidget(FindNextButton);
    finding->addWidget(FindLabel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(tools);
    layout->addLayout(finding);
    layout->addWidget(Pages, 1);
    resize(FitToScreen(QSize(1000, 760), this));
    SetFileTools(false);

    connect(ZoomBox, &QComboBox::currentIndexChanged, this, Guarded(this, &ReportPreview::ZoomBoxChange));
    connect(FirstButton, &QPushButton::clicked, this, Guarded([this] { GoToPage(1); }));
    connect(PriorButton, &QPushButton::clicked, this, Guarded([this] { GoToPage(Pages->CurrentPage()); }));
    connect(NextButton, &QPushButton::clicked, this, Guarded([this] { GoToPage(Pages->CurrentPage() + 2); }));
    connect(LastButton, &QPushButton::clicked, this,
            Guarded([this] { GoToPage(report ? report->PageCount() : 1); }));
    connect(PageBox, &QSpinBox::valueChanged, this, Guarded([this](int page) {
                if (page != Pages->CurrentPage() + 1)
                    GoToPage(page);
            }));
    connect(Pages, &PreviewPages::CurrentPageChanged, this, [this](int page) { ShowPageNumber(page); });
    connect(FindEdit, &QLineEdit::returnPressed, this, Guarded(this, &ReportPreview::FindNext));
    connect(FindNextButton, &QPushButton::clicked, this, Guarded(this, &ReportPreview::FindNext));
    connect(FindPriorButton, &QPushButton::clicked, this, Guarded(this, &ReportPreview::FindPrior));
    connect(PrintButton, &QPushButton::clicked, this, Guarded(this, &ReportPreview::PrintClick));
    connect(PdfButton, &QPushButton::clicked, this, Guarded(this, &ReportPreview::PdfClick));
    connect(LoadButton, &QPushButton::clicked, this, Guarded(this, &ReportPreview::LoadClick));
    connect(SaveButton, &QPushButton::clicked, this, Guarded(this, &ReportPreview::SaveClick));
    connect(HelpButton, &QPushButton::clicked, this, Guarded(this, &ReportPreview::HelpClick));
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ReportPreview::SetReport(std::shared_ptr<PreparedReport> value) {
    report = std::move(value);
    findText.clear();
    hits.clear();
    currentHit = -1;
    FindLabel->clear();
    Pages->SetReport(report);
    if (report && !report->Template().Title.isEmpty())
        setWindowTitle(QStringLiteral("打印预览 - ") + report->Template().Title);
    UpdatePageTools();
}

void ReportPreview::SetFileTools(bool shown) {
    LoadButton->setVisible(shown);
    SaveButton->setVisible(shown);
    HelpButton->setVisible(shown);
}

void ReportPreview::UpdatePageTools() {
    const int count = report ? report->PageCount() : 0;
    PageBox->setRange(1, std::max(1, count));
    PageCountLabel->setText(QStringLiteral("共 %1 页").arg(count));
    PageCountLabel->setAccessibleName(PageCountLabel->text());
    for (QWidget* tool : std::initializer_list<QWidget*>{PrintButton, PdfButton, SaveButton})
        tool->setEnabled(count > 0);
    ShowPageNumber(Pages->CurrentPage());
}

void ReportPreview::ShowPageNumber(int page) {
    const QSignalBlocker block(PageBox);
    PageBox->setValue(page + 1);
    const int count = report ? report->PageCount() : 0;
    Pages->setAccessibleDescription(QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(count));
    FirstButton->setEnabled(page > 0);
    PriorButton->setEnabled(page > 0);
    NextButton->setEnabled(page + 1 < count);
    LastButton->setEnabled(page + 1 < count);
}

void ReportPreview::ZoomBoxChange() {
    const int index = ZoomBox->currentIndex();
    if (index == 0)
        Pages->SetZoom(PreviewPages::ZoomMode::FitPage);
    else if (index == 1)
        Pages->SetZoom(PreviewPages::ZoomMode::FitWidth);
    else
        Pages->SetZoom(PreviewPages::ZoomMode::Percent,
                       QString(ZoomBox->currentText()).remove(QLatin1Char('%')).toDouble());
}

void ReportPreview::GoToPage(int page) {
    if (!report)
        return;
    Pages->ShowPage(page - 1);
    ShowPageNumber(Pages->CurrentPage());
}

void ReportPreview::FindNext() {
    Find(true);
}

void ReportPreview::FindPrior() {
    Find(false);
}

// Finds every text of the report that holds the find text (letter case ignored) once per new find
// text, then steps through the hits from the page in view.
void ReportPreview::Find(bool forward) {
    const QString text = FindEdit->text();
    if (!report || text.isEmpty())
        return;
    if (text != findText) {
        findText = text;
        hits.clear();
        currentHit = -1;
        for (int page = 0; page < report->PageCount(); ++page) {
            for (const auto& item : PageRenderer::Texts(*report, page)) {
                if (item.Text.contains(text, Qt::CaseInsensitive))
                    hits.push_back(PreviewPages::Hit{page, item.PaperMm});
            }
        }
    }
    if (hits.empty()) {
        FindLabel->setText(QStringLiteral("找不到“%1”").arg(text));
        FindLabel->setAccessibleName(FindLabel->text());
        Pages->SetHits(hits, -1);
        return;
    }
    const int count = static_cast<int>(hits.size());
    if (currentHit < 0) {
        // The first hit on or after the page in view (or the last before it, going back).
        const int page = Pages->CurrentPage();
        currentHit = forward ? 0 : count - 1;
        for (int i = 0; i < count; ++i) {
            const int at = forward ? i : count - 1 - i;
            if (forward ? hits[static_cast<size_t>(at)].Page >= page
                        : hits[static_cast<size_t>(at)].Page <= page) {
                currentHit = at;
                break;
            }
        }
    } else {
        currentHit = (currentHit + (forward ? 1 : count - 1)) % count;
    }
    const PreviewPages::Hit& hit = hits[static_cast<size_t>(currentHit)];
    Pages->SetHits(hits, currentHit);
    Pages->ShowPlace(hit.Page, hit.PaperMm);
    ShowPageNumber(Pages->CurrentPage());
    FindLabel->setText(QStringLiteral("第 %1 处，共 %2 处").arg(currentHit + 1).arg(count));
    FindLabel->setAccessibleName(FindLabel->text());
}

void ReportPreview::PrintClick() {
    if (!report)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    UseReportPaper(*report, printer);
    printer.setDocName(report->Template().Title);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, report->PageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (Prompts::Get().ShowModal(&dialog) != QDialog::Accepted)
        return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    if (!PrintReport(*report, printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0))
        Prompts::Get().Error(QStringLiteral("打印失败"));
}

void ReportPreview::PdfClick() {
    if (!report)
        return;
    const QString fileName = Prompts::Get().SaveFileName(this, FileOptions(QStringLiteral("存为PDF文件"),
                                                                           QStringLiteral("PDF 文件 (*.pdf)"),
                                                                           QStringLiteral("pdf")));
    if (fileName.isEmpty() || !ConfirmWriteTarget(fileName, QStringLiteral("存为PDF文件")))
        return;
    QString error;
    if (!WriteReportPdf(*report, fileName, &error))
        Prompts::Get().Error(error);
}

void ReportPreview::SaveClick() {
    if (!report)
        return;
    const QString fileName = Prompts::Get().SaveFileName(
        this,
        FileOptions(QStringLiteral("保存报表"), QStringLiteral("报表文件 (*.frp)"), QStringLiteral("frp")));
    if (fileName.isEmpty() || !ConfirmWriteTarget(fileName, QStringLiteral("保存报表")))
        return;
    QString error;
    if (!SavePreparedReport(*report, fileName, &error))
        Prompts::Get().Error(error);
}

void ReportPreview::LoadClick() {
    const QString fileName = Prompts::Get().OpenFileName(
        this,
        FileOptions(QStringLiteral("打开报表"), QStringLiteral("报表文件 (*.frp)"), QStringLiteral("frp")));
    if (fileName.isEmpty())
        return;
    QString error;
    std::shared_ptr<PreparedReport> loaded = LoadPreparedReport(fileName, &error);
    if (!loaded) {
        Prompts::Get().Error(error);
        return;
    }
    SetReport(std::move(loaded));
}

void ReportPreview::HelpClick() {
    Prompts::Get().Information(
        QStringLiteral("缩放：整页、页宽或按百分比显示。\n"
                       "翻页：首页、上页、下页、末页，或在页码框中输入页码。\n"
                       "查找：输入文字后按回车或“下一个”，找到的文字以黄色标出。\n"
                       "打印：选择打印机和页码范围后打印。\n"
                       "存为PDF：把全部页面写成 PDF 文件，文字可以检索和复制。\n"
                       "保存/打开：把这张报表连同它的数据存为 .frp 文件，以后可以原样打开、打印。"),
        QStringLiteral("打印预览"));
}

bool PreviewReport(Report& report, const QString& templateFile, bool fileTools, QWidget* parent) {
    if (!report.LoadFromFile(templateFile)) {
        Prompts::Get().Error(report.LastError().Text());
        return false;
    }
    std::shared_ptr<PreparedReport> prepared = report.Prepare();
    if (!prepared) {
        // Stopped by the user: nothing to show and nothing to say.
        if (!report.Cancelled())
            Prompts::Get().Error(report.LastError().Text());
        return false;
    }
    ReportPreview preview(parent);
    preview.SetFileTools(fileTools);
    preview.SetReport(std::move(prepared));
    Prompts::Get().ShowModal(&preview);
    return true;
}
