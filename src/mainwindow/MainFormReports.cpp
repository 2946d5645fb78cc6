#include "MainForm.h"
#include "WindowPlace.h"
#include "finance/AccountForm.h"
#include "finance/AccountForm2.h"
#include "finance/AccountRules.h"
#include "foundation/JetSql.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/GridFilterBar.h"
#include "kit/Prompts.h"
#include "mainwindow/PreferenceRules.h"
#include "reports/BillReportForm.h"
#include "reports/MoneyReportForm.h"
#include "reports/ReportQueries.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

// The main window's result grids (pages 2 and 5) and the account windows.

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

std::vector<GridColumn> BillColumns() {
    return {
        {QStringLiteral("BillCreateTime"), QStringLiteral("创建时间"), 70, 0},
        {QStringLiteral("BillSerial"), QStringLiteral("单据编号"), 80, 0},
        {QStringLiteral("BillKind"), QStringLiteral("单据类型"), 80, 0},
        {QStringLiteral("BillUser"), QStringLiteral("客户名称"), 120, 0},
        {QStringLiteral("BillSum"), QStringLiteral("单据金额"), 70, 0, true},
        {QStringLiteral("BillGet"), QStringLiteral("已收金额"), 70, 0, true},
        {QStringLiteral("BillOwe"), QStringLiteral("未收金额"), 70, 0, true},
        {QStringLiteral("BillMan"), QStringLiteral("业务员"), 60, 0},
        {QStringLiteral("BillReason"), QStringLiteral("业务种类"), 70, 0},
        {QStringLiteral("BillState"), QStringLiteral("业务进度"), 70, 0},
        {QStringLiteral("BillRemark"), QStringLiteral("备注信息"), 120, 0},
    };
}

std::vector<GridColumn> MoneyColumns() {
    return {
        {QStringLiteral("MoneyCreateTime"), QStringLiteral("创建时间"), 70, 0},
        {QStringLiteral("MoneySerial"), QStringLiteral("单据编号"), 65, 0},
        {QStringLiteral("AccountName"), QStringLiteral("帐户名称"), 80, 0},
        {QStringLiteral("MoneyUser"), QStringLiteral("客户名称"), 100, 0},
        {QStringLiteral("MoneyIn"), QStringLiteral("收入"), 65, 0, true},
        {QStringLiteral("MoneyOut"), QStringLiteral("支出"), 65, 0, true},
        {QStringLiteral("MoneySum"), QStringLiteral("合计"), 65, 0, true},
        {QStringLiteral("MoneyMan"), QStringLiteral("业务员"), 50, 0},
        {QStringLiteral("MoneyReason"), QStringLiteral("收支种类"), 60, 0},
        {QStringLiteral("MoneyType"), QStringLiteral("类别"), 60, 0},
        {QStringLiteral("MoneyToken"), QStringLiteral("凭证"), 60, 0},
        {QStringLiteral("MoneyRemark"), QStringLiteral("备注信息"), 100, 0},
    };
}

QToolButton* ActionButton(QWidget* page, QAction* action, const QString& name) {
    auto* button = new QToolButton(page);
    button->setObjectName(name);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setIconSize(QSize(24, 24));
    button->setAutoRaise(true);
    return button;
}

// One result page: a row of buttons with the sort box at the right, the filter box, the grid.
DataGrid* BuildResultPage(QWidget* page, const std::vector<std::pair<QAction*, QString>>& actions,
                          QComboBox* sortBox, const char* gridName) {
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    for (const auto& [action, name] : actions)
        top->addWidget(ActionButton(page, action, name));
    top->addStretch();
    top->addWidget(NewFieldLabel(QStringLiteral("排序方式"), sortBox, page));
    top->addWidget(sortBox);
    auto* grid = new DataGrid(page);
    grid->setObjectName(QString::fromLatin1(gridName));
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setContextMenuPolicy(Qt::DefaultContextMenu);
    grid->SetSortable(true);
    auto* filter = new GridFilterBar(grid, page);
    auto* thousands = new QCheckBox(QStringLiteral("金额千位分隔"), page);
    thousands->setObjectName(QStringLiteral("ThousandsBox"));
    thousands->setToolTip(QStringLiteral("金额以千位分隔符显示，例如 1,234,567.00"));
    filter->AddAtRight(thousands);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(filter);
    layout->addWidget(grid, 1);
    return grid;
}

// The sort box items as the grid's columns and directions: 按时间排, 按客户排 / 按帐户排, 按金额排.
const std::vector<SortChoice> BillSortChoices = {{0, false}, {3, false}, {4, true}};
const std::vector<SortChoice> MoneySortChoices = {{0, false}, {2, false}, {6, true}};

// After a title click: the box shows the item that sorts so, or else what the grid is sorted by
// (without running its query again).
void ShowSortInBox(QComboBox* box, const DataGrid* grid, const std::vector<SortChoice>& choices) {
    const QSignalBlocker quiet(box);
    const int item = SortChoiceIndex(choices, grid->SortColumn(), grid->SortDescending());
    if (item < 0)
        box->setPlaceholderText(SortedByText(
            grid->Model()->Columns()[static_cast<size_t>(grid->SortColumn())].Title, grid->SortDescending()));
    box->setCurrentIndex(item);
}

// The box's item is the query's order: the arrow shows it on its column.
void ShowBoxOrderInGrid(DataGrid* grid, const QComboBox* box, const std::vector<SortChoice>& choices) {
    const int item = std::max(box->currentIndex(), 0);
    grid->ShowQueryOrder(choices[static_cast<size_t>(item)].Column,
                         choices[static_cast<size_t>(item)].Descending);
}

// The actions of a result row's context menu after 复制: open (as a double click), print and
// export the rows shown.
QList<QAction*> RowActions(QObject* owner, const std::function<void()>& open, QAction* print,
                           QAction* exportAction) {
    auto* openRow = new QAction(QStringLiteral("打开"), owner);
    openRow->setObjectName(QStringLiteral("OpenRow"));
    QObject::connect(openRow, &QAction::triggered, owner, Guarded(open));
    auto* printRows = new QAction(QStringLiteral("打印"), owner);
    printRows->setObjectName(QStringLiteral("PrintRows"));
    printRows->setToolTip(QStringLiteral("打印列表：所显示的行"));
    QObject::connect(printRows, &QAction::triggered, print, &QAction::trigger);
    auto* exportRows = new QAction(QStringLiteral("导出Excel"), owner);
    exportRows->setObjectName(QStringLiteral("ExportRows"));
    QObject::connect(exportRows, &QAction::triggered, exportAction, &QAction::trigger);
    return {openRow, printRows, exportRows};
}

QComboBox* SortBox(QWidget* page, const char* name, const QString& second) {
    auto* box = new QComboBox(page);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems({QStringLiteral("按时间排"), second, QStringLiteral("按金额排")});
    box->setCurrentIndex(0);
    return box;
}

// Runs a result query into its grid. The grid keeps its title sort and its filter, and sets its
// footer (the count under the first column, the sums under theirs) over the rows it shows; an
// empty or failed result leaves the footer blank. The columns widen to show their texts whole
// (dates with a time of day, serials, the largest amounts, the sums).
void RunIntoGrid(DataGrid* grid, Query& query, const QString& sql) {
    query.SetConnection(&ShareDataModule->ADOConnection1);
    grid->Reload([&] { OpenSql(query, sql, QStringLiteral("数据库打开失败")); });
    grid->FitColumnsToContent();
}

// Red for an amount below 0 once rounded to a whole number; every drawn text is measured.
void AmountCellParams(DataGrid* grid, int amountColumn, int row, int column, const QString& text,
                      QColor* colour) {
    if (column == amountColumn) {
        const QVariant value = grid->Model()->Value(row, column);
        *colour = JetRound(value.toDouble(), 0) < 0 ? Red : QColor(Qt::black);
    }
    grid->RememberWidth(column, text);
}

// The key of the grid's current row, or null when there is no result or no row.
QVariant CurrentKey(DataGrid* grid, Query& query, const QString& keyField) {
    if (!query.Active())
        return QVariant();
    const int row = grid->CurrentRow();
    const int column = query.FieldIndex(keyField);
    if (row < 0 || column < 0)
        return QVariant();
    return query.ValueAt(row, column);
}

// Stores a grid's widths when a mouse button is let go on its title row (after a drag of a
// column border or a double click on one).
class GridWidthWatcher : public QObject {
public:
    GridWidthWatcher(TFormMain* form, DataGrid* watchedGrid)
        : QObject(watchedGrid)
        , main(form)
        , grid(watchedGrid) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick)
            QTimer::singleShot(0, main, Guarded([form = main, target = grid] {
                                   if (target)
                                       form->StoreGridWidths(target);
                               }));
        return QObject::eventFilter(watched, event);
    }

private:
    TFormMain* main;
    QPointer<DataGrid> grid;
};

} // namespace

void TFormMain::BuildReportPages() {
    ComboBox2 = SortBox(TabSheet2, "ComboBox2", QStringLiteral("按客户排"));
    DBGridEh2 = BuildResultPage(TabSheet2,
                                {{ActionBillReport, QStringLiteral("BillReportButton")},
                                 {ActionPrintBillReport, QStringLiteral("PrintBillReportButton")},
                                 {ActionAnalysis, QStringLiteral("AnalysisButton")},
                                 {ActionBExecel, QStringLiteral("BExcelButton")}},
                                ComboBox2, "DBGridEh2");
    DBGridEh2->setAccessibleName(QStringLiteral("业务单据"));
    DBGridEh2->SetColumns(BillColumns());
    DBGridEh2->SetQuery(&BReportADOQuery);
    DBGridEh2->SetCellParamsHook([this](int row, int column, const QString& text, QColor* colour) {
        DBGridEh2GetCellParams(row, column, text, colour);
    });
    DBGridEh2->SetFooterTotals(0, {{4, Qt::black}, {5, Blue}, {6, Red}});
    DBGridEh2->SetTieBreakers({QStringLiteral("BillCreateTime"), QStringLiteral("BillIndex")});
    DBGridEh2->SetRowActions(RowActions(
        this, [this] { DBGridEh2DblClick(); }, ActionPrintBillReport, ActionBExecel));

    ComboBox9 = SortBox(TabSheet4, "ComboBox9", QStringLiteral("按帐户排"));
    DBGridEh1 = BuildResultPage(TabSheet4,
                                {{ActionMoneyReport, QStringLiteral("MoneyReportButton")},
                                 {ActionPrintMoneyReport, QStringLiteral("PrintMoneyReportButton")},
                                 {ActionMExcel, QStringLiteral("MExcelButton")}},
                                ComboBox9, "DBGridEh1");
    DBGridEh1->setAccessibleName(QStringLiteral("财务单据"));
    DBGridEh1->SetColumns(MoneyColumns());
    DBGridEh1->SetQuery(&MReportADOQuery);
    DBGridEh1->SetCellParamsHook([this](int row, int column, const QString& text, QColor* colour) {
        DBGridEh1GetCellParams(row, column, text, colour);
    });
    DBGridEh1->SetFooterTotals(0, {{4, Blue}, {5, Red}, {6, Qt::black}});
    DBGridEh1->SetTieBreakers({QStringLiteral("MoneyCreateTime"), QStringLiteral("MoneyIndex")});
    DBGridEh1->SetRowActions(RowActions(
        this, [this] { DBGridEh1DblClick(); }, ActionPrintMoneyReport, ActionMExcel));
    frDBDataSet3.Follow(DBGridEh2);
    frDBDataSet2.Follow(DBGridEh1);

    // The sort box and the arrow on the titles say the same: a title click shows its order in the
    // box, a box item puts the arrow on its column.
    ShowBoxOrderInGrid(DBGridEh2, ComboBox2, BillSortChoices);
    ShowBoxOrderInGrid(DBGridEh1, ComboBox9, MoneySortChoices);
    connect(DBGridEh2, &DataGrid::SortChanged, this,
            [this] { ShowSortInBox(ComboBox2, DBGridEh2, BillSortChoices); });
    connect(DBGridEh1, &DataGrid::SortChanged, this,
            [this] { ShowSortInBox(ComboBox9, DBGridEh1, MoneySortChoices); });
    for (QWidget* page : {TabSheet2, TabSheet4}) {
        auto* box = page->findChild<QCheckBox*>(QStringLiteral("ThousandsBox"));
        connect(box, &QCheckBox::clicked, this, Guarded([this](bool on) {
                    WriteThousandsPreference(IniFileName, on);
                    ShowThousands(on);
                }));
    }

    connect(ActionBillReport, &QAction::triggered, this, Guarded(this, &TFormMain::ActionBillReportExecute));
    connect(ActionMoneyReport, &QAction::triggered, this,
            Guarded(this, &TFormMain::ActionMoneyReportExecute));
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, Guarded(this, &TFormMain::ComboBox2Change));
    connect(ComboBox9, &QComboBox::currentIndexChanged, this, Guarded(this, &TFormMain::ComboBox9Change));
    connect(DBGridEh2, &DataGrid::DblClick, this, Guarded(this, &TFormMain::DBGridEh2DblClick));
    connect(DBGridEh1, &DataGrid::DblClick, this, Guarded(this, &TFormMain::DBGridEh1DblClick));
    connect(DBGridEh2, &DataGrid::TitleClick, this, Guarded(this, &TFormMain::DBGridEh2TitleClick));
    connect(DBGridEh1, &DataGrid::TitleClick, this, Guarded(this, &TFormMain::DBGridEh1TitleClick));
    ConnectAnalysisAndExport();

    // The widths the user gave the columns come back at the next start; a width is stored when
    // the user lets go of a column border (the program's own widening of a column is not).
    for (DataGrid* grid : {DBGridEh2, DBGridEh1}) {
        RestoreGridWidths(grid);
        grid->horizontalHeader()->viewport()->installEventFilter(new GridWidthWatcher(this, grid));
    }
}

QString TFormMain::GridWidthsKey(const DataGrid* grid) {
    return grid->objectName() == QLatin1String("DBGridEh2") ? QStringLiteral("BillGridWidths")
                                                            : QStringLiteral("MoneyGridWidths");
}

void TFormMain::RestoreGridWidths(DataGrid* grid) {
    const QList<int> widths = ReadColumnWidths(IniFileName, GridWidthsKey(grid));
    if (widths.size() != grid->ColumnCount())
        return; // none stored, or stored for other columns
    for (int column = 0; column < grid->ColumnCount(); ++column) {
        if (widths[column] <= 0)
            continue;
        grid->Column(column).Width = widths[column];
        grid->setColumnWidth(column, widths[column]);
    }
}

void TFormMain::StoreGridWidths(DataGrid* grid) {
    QList<int> widths;
    for (int column = 0; column < grid->ColumnCount(); ++column)
        widths << grid->columnWidth(column);
    WriteColumnWidths(IniFileName, GridWidthsKey(grid), widths);
}

void TFormMain::ActionBillReportExecute() {
    Prompts::Get().ShowModal(FormBillReport);
}

void TFormMain::ActionMoneyReportExecute() {
    Prompts::Get().ShowModal(FormMoneyReport);
}

void TFormMain::FillBillReport(const QString& sql) {
    if (!sql.isEmpty())
        BillReportSql = sql;
    if (BillReportSql.isEmpty())
        return;
    RunIntoGrid(DBGridEh2, BReportADOQuery,
                BillReportRunText(BillReportSql, BillFilter, ComboBox2->currentIndex()));
}

void TFormMain::FillMoneyReport(const QString& sql) {
    if (!sql.isEmpty())
        MoneyReportSql = sql;
    if (MoneyReportSql.isEmpty())
        return;
    RunIntoGrid(DBGridEh1, MReportADOQuery,
                MoneyReportRunText(MoneyReportSql, MoneyFilter, ComboBox9->currentIndex()));
}

void TFormMain::ComboBox2Change() {
    ShowBoxOrderInGrid(DBGridEh2, ComboBox2, BillSortChoices);
    FillBillReport(QString());
}

void TFormMain::ComboBox9Change() {
    ShowBoxOrderInGrid(DBGridEh1, ComboBox9, MoneySortChoices);
    FillMoneyReport(QString());
}

void TFormMain::ShowThousands(bool on) {
    for (QWidget* page : {TabSheet2, TabSheet4}) {
        if (auto* box = page->findChild<QCheckBox*>(QStringLiteral("ThousandsBox")))
            box->setChecked(on);
    }
    DBGridEh2->SetThousands(on);
    DBGridEh1->SetThousands(on);
}

void TFormMain::DBGridEh2GetCellParams(int row, int column, const QString& text, QColor* colour) {
    AmountCellParams(DBGridEh2, 4, row, column, text, colour);
}

void TFormMain::DBGridEh1GetCellParams(int row, int column, const QString& text, QColor* colour) {
    AmountCellParams(DBGridEh1, 6, row, column, text, colour);
}

void TFormMain::DBGridEh2TitleClick(int column) {
    DBGridEh2->WidenToWidest(column);
}

void TFormMain::DBGridEh1TitleClick(int column) {
    DBGridEh1->WidenToWidest(column);
}

void TFormMain::DBGridEh2DblClick() {
    const QVariant key = CurrentKey(DBGridEh2, BReportADOQuery, QStringLiteral("BillIndex"));
    if (key.isNull()) {
        Prompts::Get().Information(QStringLiteral("请先选中需要查看的记录"));
        return;
    }
    // The editor's opener runs RefreshAll after a change, which re-runs this grid's query.
    OpenBillEditor(key.toInt());
}

void TFormMain::DBGridEh1DblClick() {
    const QVariant key = CurrentKey(DBGridEh1, MReportADOQuery, QStringLiteral("MoneyIndex"));
    if (key.isNull()) {
        Prompts::Get().Information(QStringLiteral("请先选中需要查看的记录"));
        return;
    }
    OpenMoneyEditor(key.toInt());
}

bool TFormMain::NewAccount() {
    FormAccount2->EditAccountName.clear();
    if (Prompts::Get().ShowModal(FormAccount2) != QDialog::Accepted)
        return false;
    const QString name = FormAccount2->EditAccountName;
    if (name.isEmpty()) {
        Prompts::Get().Information(QStringLiteral("帐户名不得为空"));
        return false;
    }
    if (!AccountNameFree(name))
        return false;
    Query& temp = ShareDataModule->ADOQueryTemp;
    temp.SetConnection(&ShareDataModule->ADOConnection1);
    temp.Open(AccountByNameSql(name));
    temp.Insert();
    temp.FieldByName(QStringLiteral("AccountName")).SetAsString(name);
    temp.FieldByName(QStringLiteral("AccountBase")).SetAsFloat(FormAccount2->EditAccountBase);
    temp.FieldByName(QStringLiteral("AccountMan")).SetAsString(CurrentUser);
    temp.Post();
    Prompts::Get().Information(QStringLiteral("帐户　") + name + QStringLiteral("　新增成功"));
    RefreshAll();
    return true;
}

bool TFormMain::OpenAccountWindow(int accountIndex) {
    Query& temp = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(temp,
                 QStringLiteral("Select * From Account Where AccountIndex = ") + SqlNumber(accountIndex),
                 QStringLiteral("数据库打开失败")) ||
        temp.RecordCount() == 0)
        return false;
    FormAccount->CardAccountName = temp.FieldByName(QStringLiteral("AccountName")).AsString();
    FormAccount->CardBalanceText = AccountBalanceText(accountIndex, WorkingDate());
    Prompts::Get().ShowModal(FormAccount);
    return FormAccount->AccountChanged;
}
