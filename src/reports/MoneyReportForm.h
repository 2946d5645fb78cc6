#pragma once

#include "reports/ReportQueries.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

// The voucher query's criteria window: builds the query text and hands it to the main window's
// result grid on page 5.
class TFormMoneyReport : public QDialog {
    Q_OBJECT
public:
    explicit TFormMoneyReport(QWidget* parent = nullptr);

    MoneyCriteria Criteria() const;

    QLabel* Image1;       // banner
    QComboBox* ComboBox5; // 单据类型
    QCheckBox* CheckBox1; // 时间范围
    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QCheckBox* CheckBox2; // 金额范围
    QLineEdit* Edit2;
    QLineEdit* Edit4;
    QLineEdit* Edit5;     // 单据编号
    QComboBox* ComboBox1; // 帐户名称
    QComboBox* ComboBox6; // 客户名称
    QComboBox* ComboBox2; // 项目
    QComboBox* ComboBox3; // 款项类别
    QComboBox* ComboBox4; // 款项凭证
    QLineEdit* Edit3;     // 备注
    QLineEdit* Edit6;     // 业务员
    QPushButton* Button1; // 当月财务单据
    QPushButton* BitBtn1; // run
    QPushButton* BitBtn2; // close

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void Button1Click();
    void CheckBox1Click();
    void CheckBox2Click();
    void ComboBox5Change();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TFormMoneyReport* FormMoneyReport;
