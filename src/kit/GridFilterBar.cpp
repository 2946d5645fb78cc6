#include "GridFilterBar.h"

#include "DataGrid.h"
#include "FieldLabel.h"
#include "foundation/Query.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

QString FilterStateText(int shown, int total) {
    return QStringLiteral("已筛选：显示 %1 条，共 %2 条").arg(shown).arg(total);
}

GridFilterBar::GridFilterBar(DataGrid* grid, QWidget* parent)
    : QWidget(parent)
    , grid(grid) {
    setObjectName(QStringLiteral("FilterBar"));
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("FilterEdit"));
    Edit->setClearButtonEnabled(true);
    // The box's own clear button, named for a screen reader.
    for (QToolButton* clear : Edit->findChildren<QToolButton*>())
        clear->setAccessibleName(QStringLiteral("清除筛选"));
    Edit->setPlaceholderText(QStringLiteral("输入文字，筛选查出的单据 (Ctrl+F)"));
    Edit->setToolTip(QStringLiteral("只显示在任一列中含有所输入文字的行；多个词用空格隔开 (Ctrl+F)"));
    Edit->setMinimumWidth(220);
    Label = NewFieldLabel(QStringLiteral("筛选(&F)"), Edit, this);
    Label->setObjectName(QStringLiteral("FilterLabel"));
    Edit->setAccessibleName(QStringLiteral("筛选"));
    State = new QLabel(this);
    State->setObjectName(QStringLiteral("FilterState"));
    State->setStyleSheet(QStringLiteral("QLabel { background: #fff3b0; color: #000000; padding: 1px 6px; }"));
    ShowAll = new QPushButton(QStringLiteral("显示全部"), this);
    ShowAll->setObjectName(QStringLiteral("ShowAllButton"));
    ShowAll->setToolTip(QStringLiteral("清除筛选，显示查出的全部单据"));
    ShowAll->setAutoDefault(false);

    row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(Label);
    row->addWidget(Edit, 1);
    row->addWidget(State);
    row->addWidget(ShowAll);
    row->addStretch(1);

    auto* find = new QAction(QStringLiteral("筛选"), parent);
    find->setObjectName(QStringLiteral("FilterAction"));
    find->setShortcut(QKeySequence::Find);
    // Wherever the focus is in the window, while the grid's page is shown.
    find->setShortcutContext(Qt::WindowShortcut);
    find->setEnabled(false);
    parent->addAction(find);
    parent->installEventFilter(this);
    Edit->installEventFilter(this);
    findAction = find;
    connect(find, &QAction::triggered, this, &GridFilterBar::FocusFilter);
    connect(Edit, &QLineEdit::textChanged, grid, &DataGrid::SetFilterText);
    connect(ShowAll, &QPushButton::clicked, this, &GridFilterBar::Clear);
    connect(grid, &DataGrid::RowsShownChanged, this, &GridFilterBar::ShowState);
    ShowState();
}

bool GridFilterBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit && event->type() == QEvent::FocusIn)
        grid->PrepareFilter();
    if (watched == parentWidget() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        findAction->setEnabled(event->type() == QEvent::Show);
    return QWidget::eventFilter(watched, event);
}

void GridFilterBar::AddAtRight(QWidget* widget) {
    row->addWidget(widget);
}

void GridFilterBar::FocusFilter() {
    Edit->setFocus(Qt::ShortcutFocusReason);
    Edit->selectAll();
}

void GridFilterBar::Clear() {
    Edit->clear();
    grid->setFocus(Qt::OtherFocusReason);
}

void GridFilterBar::ShowState() {
    const bool active = grid->Filtered();
    const Query* query = grid->BoundQuery();
    const int total = query && query->Active() ? query->RecordCount() : 0;
    State->setText(FilterStateText(grid->ShownRowCount(), total));
    State->setVisible(active);
    ShowAll->setVisible(active);
    Edit->setStyleSheet(active ? QStringLiteral("QLineEdit { background: #fff3b0; }") : QString());
}
