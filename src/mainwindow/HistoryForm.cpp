#include "HistoryForm.h"

#include "foundation/HistoryUndo.h"
#include "foundation/JetSql.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "kit/Prompts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char* const tableTitles[][2] = {
    {"Customer", "客户"}, {"Bill", "单据"},  {"MoneyTable", "款项"},
    {"Account", "帐户"},  {"Power", "职员"}, {"Parameter", "选项"},
};

// The table column of the grid shows the table's title.
QString TableTitleSql() {
    QString sql = QStringLiteral("HistoryTable");
    for (const auto& t : tableTitles)
        sql = QStringLiteral("IIF(HistoryTable = '%1', '%2', %3)")
                  .arg(QLatin1String(t[0]), QString::fromUtf8(t[1]), sql);
    return sql;
}

// The fields as the user knows them.
QString FieldTitle(const QString& column) {
    static const QHash<QString, QString> titles = {
        {"CustomerIndex", "客户编号"},
        {"CustomerName", "客户名称"},
        {"CustomerOwe", "期初欠款"},
        {"CustomerPhone", "电话"},
        {"CustomerFax", "传真"},
        {"CustomerContact", "联系人"},
        {"CustomerHandPhone", "手机"},
        {"CustomerEMail", "电子邮件"},
        {"CustomerWebsite", "网址"},
        {"CustomerAddress", "地址"},
        {"CustomerRemark", "备注"},
        {"CustomerMan", "业务员"},
        {"BillIndex", "单据编号"},
        {"BillKind", "单据类型"},
        {"BillSerial", "单据号"},
        {"BillCreateTime", "开单日期"},
        {"BillRecordTime", "录入日期"},
        {"BillUser", "客户"},
        {"BillSum", "金额"},
        {"BillReason", "业务种类"},
        {"BillState", "业务进度"},
        {"BillRemark", "备注"},
        {"BillMan", "业务员"},
        {"MoneyIndex", "款项编号"},
        {"MoneyAccount", "帐户"},
        {"MoneyBill", "所属单据"},
        {"MoneySerial", "单据号"},
        {"MoneyCreateTime", "日期"},
        {"MoneyRecordTime", "录入日期"},
        {"MoneyUser", "客户"},
        {"MoneyReason", "业务种类"},
        {"MoneyType", "款项类别"},
        {"MoneyToken", "款项凭证"},
        {"MoneyRemark", "备注"},
        {"MoneyMan", "经手人"},
        {"MoneyIn", "收入"},
        {"MoneyOut", "支出"},
        {"MoneySum", "金额"},
        {"AccountIndex", "帐户编号"},
        {"AccountName", "帐户名称"},
        {"AccountBase", "期初余额"},
        {"AccountMan", "建立人"},
        {"PowerIndex", "职员编号"},
        {"PowerName", "姓名"},
        {"PowerKey", "密码"},
        {"PowerPicture", "照片"},
        {"PowerRange", "权限"},
        {"PowerRole", "角色"},
        {"ParameterIndex", "选项编号"},
        {"ParameterType", "选项类别"},
        {"ParameterValue", "选项内容"},
    };
    return titles.value(column, column);
}

QString ValueText(const QVariant& v) {
    if (!v.isValid())
        return QString();
    if (v.isNull())
        return QStringLiteral("（空）");
    return v.toString();
}

QLabel* Buddy(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QStringLiteral("：")));
    return label;
}

} // namespace

QString HistoryTableTitle(const QString& table) {
    for (const auto& t : tableTitles) {
        if (table.compare(QLatin1String(t[0]), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(t[1]);
    }
    return table;
}

TFormHistory::TFormHistory(QWidget* parent)
    : QDialog(parent)
    , page(&ShareDataModule->ADOConnection1) {
    setObjectName(QStringLiteral("FormHistory"));
    setWindowTitle(QStringLiteral("修改记录"));
    resize(1000, 680);

    CheckDates = new QCheckBox(QStringLiteral("日期从"), this);
    CheckDates->setObjectName(QStringLiteral("CheckDates"));
    DateFrom = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    DateFrom->setObjectName(QStringLiteral("DateFrom"));
    DateFrom->setAccessibleName(QStringLiteral("开始日期"));
    DateTo = new QDateEdit(QDate::currentDate(), this);
    DateTo->setObjectName(QStringLiteral("DateTo"));
    for (QDateEdit* d : {DateFrom, DateTo}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    EditUser = new QLineEdit(this);
    EditUser->setObjectName(QStringLiteral("EditUser"));
    ComboTable = new QComboBox(this);
    ComboTable->setObjectName(QStringLiteral("ComboTable"));
    ComboTable->addItem(QStringLiteral("全部"), QString());
    for (const auto& t : tableTitles)
        ComboTable->addItem(QString::fromUtf8(t[1]), QString::fromLatin1(t[0]));
    ComboKind = new QComboBox(this);
    ComboKind->setObjectName(QStringLiteral("ComboKind"));
    ComboKind->addItems({QStringLiteral("全部"), QStringLiteral("新增"), QStringLiteral("修改"),
                         QStringLiteral("删除"), QStringLiteral("改名")});
    EditText = new QLineEdit(this);
    EditText->setObjectName(QStringLiteral("EditText"));
    ButtonFind = new QPushButton(QStringLiteral("查询(&F)"), this);
    ButtonFind->setObjectName(QStringLiteral("ButtonFind"));
    ButtonFind->setDefault(true);

    auto* filters = new QHBoxLayout;
    filters->addWidget(CheckDates);
    filters->addWidget(DateFrom);
    auto* toLabel = Buddy(QStringLiteral("到"), DateTo, this);
    filters->addWidget(toLabel);
    filters->addWidget(DateTo);
    filters->addWidget(Buddy(QStringLiteral("用户(&U)："), EditUser, this));
    filters->addWidget(EditUser);
    filters->addWidget(Buddy(QStringLiteral("资料(&T)："), ComboTable, this));
    filters->addWidget(ComboTable);
    filters->addWidget(Buddy(QStringLiteral("操作(&K)："), ComboKind, this));
    filters->addWidget(ComboKind);
    filters->addWidget(Buddy(QStringLiteral("内容含(&C)："), EditText, this));
    filters->addWidget(EditText, 1);
    filters->addWidget(ButtonFind);

    Grid = new DataGrid(this);
    Grid->setObjectName(QStringLiteral("GridHistory"));
    Grid->setAccessibleName(QStringLiteral("修改记录"));
    Details = new QTableWidget(0, 3, this);
    Details->setObjectName(QStringLiteral("Details"));
    Details->setAccessibleName(QStringLiteral("修改前后"));
    Details->setHorizontalHeaderLabels(
        {QStringLiteral("字段"), QStringLiteral("修改前"), QStringLiteral("修改后")});
    Details->horizontalHeader()->setStretchLastSection(true);
    Details->setColumnWidth(0, 160);
    Details->setColumnWidth(1, 360);
    Details->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Details->verticalHeader()->hide();
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(Grid);
    splitter->addWidget(Details);
    splitter->setSizes({380, 220});

    LabelPage = new QLabel(this);
    LabelPage->setObjectName(QStringLiteral("LabelPage"));
    ButtonNewer = new QPushButton(QStringLiteral("上一页(&P)"), this);
    ButtonNewer->setObjectName(QStringLiteral("ButtonNewer"));
    ButtonOlder = new QPushButton(QStringLiteral("下一页(&N)"), this);
    ButtonOlder->setObjectName(QStringLiteral("ButtonOlder"));
    ButtonUndo = new QPushButton(QStringLiteral("撤销(&Z)"), this);
    ButtonUndo->setObjectName(QStringLiteral("ButtonUndo"));
    ButtonExport = new QPushButton(QStringLiteral("导出(&E)"), this);
    ButtonExport->setObjectName(QStringLiteral("ButtonExport"));
    ButtonClose = new QPushButton(QStringLiteral("关闭"), this);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LabelPage, 1);
    for (QPushButton* b : {ButtonNewer, ButtonOlder, ButtonUndo, ButtonExport, ButtonClose})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    Grid->SetColumns({{QStringLiteral("HistoryTime"), QStringLiteral("时间"), 140},
                      {QStringLiteral("HistoryUser"), QStringLiteral("用户"), 80},
                      {QStringLiteral("HistoryHost"), QStringLiteral("电脑"), 100},
                      {QStringLiteral("TableTitle"), QStringLiteral("资料"), 60},
                      {QStringLiteral("HistoryKey"), QStringLiteral("编号"), 60},
                      {QStringLiteral("HistoryKind"), QStringLiteral("操作"), 60},
                      {QStringLiteral("UndoneIndex"), QStringLiteral("撤销的记录"), 80},
                      {QStringLiteral("HistoryIndex"), QStringLiteral("记录号"), 70}});

    connect(ButtonFind, &QPushButton::clicked, this, &TFormHistory::FindClick);
    connect(ButtonNewer, &QPushButton::clicked, this, &TFormHistory::NewerClick);
    connect(ButtonOlder, &QPushButton::clicked, this, &TFormHistory::OlderClick);
    connect(ButtonUndo, &QPushButton::clicked, this, &TFormHistory::UndoClick);
    connect(ButtonExport, &QPushButton::clicked, this, &TFormHistory::ExportClick);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::reject);
    Grid->SetQuery(&page);
    connect(Grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TFormHistory::ShowDetails);
}

History::Filter TFormHistory::CurrentFilter() const {
    History::Filter f;
    if (CheckDates->isChecked()) {
        f.From = DateFrom->date();
        f.To = DateTo->date();
    }
    f.User = EditUser->text().trimmed();
    f.Table = ComboTable->currentData().toString();
    f.Kind = ComboKind->currentIndex() > 0 ? ComboKind->currentText() : QString();
    f.Text = EditText->text();
    if (!RecordTable.isEmpty()) {
        f.Table = RecordTable;
        f.Key = RecordKey;
    }
    return f;
}

void TFormHistory::FormShow() {
    if (!RecordTable.isEmpty()) {
        ComboTable->setCurrentIndex(std::max(0, ComboTable->findData(RecordTable)));
        ComboTable->setEnabled(false);
        setWindowTitle(QStringLiteral("修改记录 - %1 %2").arg(HistoryTableTitle(RecordTable)).arg(RecordKey));
    }
    FindClick();
}

void TFormHistory::OpenPage(qint64 before) {
    // The table's title, and the undone row's number only where the row is an undo.
    const QString sql = History::PageSql(
        CurrentFilter(), before,
        QStringLiteral("%1 As TableTitle, NullIf(HistoryUndoes, 0) As UndoneIndex").arg(TableTitleSql()));
    Grid->Reload([&] { page.Open(sql + QStringLiteral(" LIMIT %1").arg(PageRows)); });
    const int rows = page.RecordCount();
    lastOfPage =
        rows > 0 ? page.ValueAt(rows - 1, page.FieldIndex(QStringLiteral("HistoryIndex"))).toLongLong() : 0;
    ButtonNewer->setEnabled(pageStarts.size() > 1);
    ButtonOlder->setEnabled(rows == PageRows);
    LabelPage->setText(rows == 0 ? QStringLiteral("没有符合条件的修改记录")
                                 : QStringLiteral("第 %1 页，本页 %2 条").arg(pageStarts.size()).arg(rows));
    if (rows > 0)
        Grid->selectRow(0);
    ShowDetails();
}

void TFormHistory::FindClick() {
    pageStarts = {0};
    OpenPage(0);
}

void TFormHistory::NewerClick() {
    if (pageStarts.size() < 2)
        return;
    pageStarts.pop_back();
    OpenPage(pageStarts.back());
}

void TFormHistory::OlderClick() {
    if (lastOfPage == 0)
        return;
    pageStarts.push_back(lastOfPage);
    OpenPage(lastOfPage);
}

History::Entry TFormHistory::CurrentEntry() {
    const int row = Grid->CurrentRow();
    if (row < 0 || !page.Active() || row >= page.RecordCount())
        return History::Entry();
    return History::ReadEntry(
        ShareDataModule->ADOConnection1,
        page.ValueAt(row, page.FieldIndex(QStringLiteral("HistoryIndex"))).toLongLong());
}

void TFormHistory::ShowDetails() {
    const History::Entry e = CurrentEntry();
    Details->setRowCount(0);
    if (e.Index == 0)
        return;
    const QStringList changed = History::ChangedColumns(e.Before, e.After);
    const QStringList columns = History::ColumnsInOrder(e.Table, e.Before, e.After);
    Details->setRowCount(static_cast<int>(columns.size()));
    for (int r = 0; r < columns.size(); ++r) {
        const QString& c = columns[r];
        const bool mark = changed.contains(c);
        const QString texts[3] = {(mark ? QStringLiteral("● ") : QString()) + FieldTitle(c),
                                  ValueText(e.Before.value(c)), ValueText(e.After.value(c))};
        for (int col = 0; col < 3; ++col) {
            auto* item = new QTableWidgetItem(texts[col]);
            if (mark) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
                item->setBackground(QColor(255, 236, 179));
            }
            Details->setItem(r, col, item);
        }
    }
}

void TFormHistory::UndoClick() {
    const History::Entry e = CurrentEntry();
    if (e.Index == 0) {
        Prompts::Get().Information(QStringLiteral("请先选定要撤销的修改记录"));
        return;
    }
    if (!Prompts::Get().Question(QStringLiteral("撤销这次%1（%2 %3 %4），把记录恢复为修改以前的样子吗？")
                                     .arg(e.Kind, e.Time, HistoryTableTitle(e.Table))
                                     .arg(e.Key),
                                 QStringLiteral("撤销修改")))
        return;
    const QString refusal = History::Undo(ShareDataModule->ADOConnection1, e.Index);
    if (!refusal.isEmpty()) {
        Prompts::Get().Information(refusal);
        return;
    }
    Prompts::Get().Information(QStringLiteral("已撤销，记录已恢复为修改以前的样子"));
    FindClick();
}

void TFormHistory::ExportClick() {
    ShareDataModule->ExportGridToExcel(Grid);
}

void ShowHistory(QWidget* parent, const QString& table, qint64 key) {
    if (CurrentRole != QStringLiteral("管理员") && CurrentRole != QStringLiteral("总经理")) {
        Prompts::Get().Information(QStringLiteral("只有管理员和总经理可以查看修改记录"));
        return;
    }
    TFormHistory form(parent);
    form.RecordTable = table;
    form.RecordKey = key;
    form.FormShow();
    Prompts::Get().ShowModal(&form);
}

void AddRecordHistoryAction(QWidget* editor, std::function<RowImage()> image) {
    auto* action = new QAction(QStringLiteral("本记录的修改记录"), editor);
    action->setObjectName(QStringLiteral("ActionRecordHistory"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    action->setShortcutContext(Qt::WindowShortcut);
    editor->addAction(action);
    editor->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(action, &QAction::triggered, editor, [editor, image] {
        const RowImage loaded = image();
        if (!loaded.Exists()) {
            Prompts::Get().Information(QStringLiteral("新记录还没有修改记录"));
            return;
        }
        ShowHistory(editor, loaded.Table, loaded.Key);
    });
}
