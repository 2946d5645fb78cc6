#pragma once

#include "PreviewPages.h"

#include <QDialog>
#include <memory>
#include <vector>

class PreparedReport;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class Report;

// The preview window of a prepared report: zoom, paging, find, print, save as PDF and close; for
// single vouchers also open and save of a prepared report (.frp) and help.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(QWidget* parent = nullptr);

    void SetReport(std::shared_ptr<PreparedReport> report);
    std::shared_ptr<PreparedReport> Prepared() const { return report; }
    // Shows the open, save and help buttons.
    void SetFileTools(bool shown);

    PreviewPages* Pages;
    QComboBox* ZoomBox; // 缩放: 整页, 页宽, percentages
    QPushButton* FirstButton;
    QPushButton* PriorButton;
    QSpinBox* PageBox; // 页码
    QLabel* PageCountLabel;
    QPushButton* NextButton;
    QPushButton* LastButton;
    QLineEdit* FindEdit; // 查找
    QPushButton* FindPriorButton;
    QPushButton* FindNextButton;
    QLabel* FindLabel; // what the last find found
    QPushButton* PrintButton;
    QPushButton* PdfButton;
    QPushButton* LoadButton;
    QPushButton* SaveButton;
    QPushButton* HelpButton;
    QPushButton* CloseButton;

public slots:
    void ZoomBoxChange();
    void GoToPage(int page); // from 1
    void FindNext();
    void FindPrior();
    void PrintClick();
    void PdfClick();
    void LoadClick();
    void SaveClick();
    void HelpClick();

private:
    void Find(bool forward);
    void ShowPageNumber(int page);
    void UpdatePageTools();

    std::shared_ptr<PreparedReport> report;
    // The hits of the last find text, in page order, and the current one.
    QString findText;
    std::vector<PreviewPages::Hit> hits;
    int currentHit = -1;
    bool searchedAll = false;
};

// The print step of the program: loads the template file into the report object, prepares it and
// shows it in the preview. A template that cannot be loaded or does not fit the data is reported
// in a message naming the file and nothing is shown. fileTools: the voucher's open, save and help.
// Returns whether the preview was shown.
bool PreviewReport(Report& report, const QString& templateFile, bool fileTools, QWidget* parent);
