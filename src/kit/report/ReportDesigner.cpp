#include "ReportDesigner.h"

#include "ReportDesignCanvas.h"
#include "ReportFieldNames.h"
#include "ReportPreview.h"
#include "kit/CompletingBox.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("报表设计");

// Fields dragged from the list carry "DataSet.Field".
class FieldTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override {
        if (items.isEmpty() || !items.first()->parent())
            return nullptr;
        auto* data = new QMimeData;
        const QString field = items.first()->parent()->data(0, Qt::UserRole).toString() + QLatin1Char('.') +
                              items.first()->data(0, Qt::UserRole).toString();
        data->setData(FieldMimeType, field.toUtf8());
        data->setText(QStringLiteral("[%1]").arg(field));
        return data;
    }
};

QDoubleSpinBox* MmBox(QWidget* parent, const char* name, const QString& accessible) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(accessible);
    box->setRange(-1000, 1000);
    box->setDecimals(1);
    box->setSingleStep(1);
    box->setSuffix(QStringLiteral(" mm"));
    box->setKeyboardTracking(false);
    return box;
}

// Sample values for the preview: texts name their field, amounts are made up.
QVariant SampleValue(const QString& field, int row) {
    static const QStringList amounts = {QStringLiteral("Sum"),      QStringLiteral("MoneyIn"),
                                        QStringLiteral("MoneyOut"), QStringLiteral("BillGet"),
                                        QStringLiteral("BillOwe"),  QStringLiteral("Owe"),
                                        QStringLiteral("Base"),     QStringLiteral("Index")};
    for (const QString& part : amounts) {
        if (field.contains(part, Qt::CaseInsensitive))
            return 1234.5 * (row + 1);
    }
    if (field.contains(QStringLiteral("Time"), Qt::CaseInsensitive))
        return QDate(2008, 3, row + 1).toString(Qt::ISODate);
    return QStringLiteral("%1 %2").arg(field).arg(row + 1);
}

} // namespace

ReportDesigner::ReportDesigner(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ReportDesigner"));
    setWindowTitle(Title);
    resize(1180, 800);
    Model = new ReportDesignModel(this);
    BuildActions();

    Canvas = new ReportDesignCanvas(Model, this);
    CanvasArea = new QScrollArea(this);
    CanvasArea->setObjectName(QStringLiteral("CanvasArea"));
    CanvasArea->setWidget(Canvas);
    CanvasArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    FieldList = new FieldTree(this);
    FieldList->setObjectName(QStringLiteral("FieldList"));
    FieldList->setHeaderLabel(QStringLiteral("数据集与字段（拖入区域）"));
    FieldList->setAccessibleName(QStringLiteral("数据集与字段"));
    FieldList->setDragEnabled(true);
    FieldList->setDragDropMode(QAbstractItemView::DragOnly);

    FileLabel = new QLabel(this);
    FileLabel->setObjectName(QStringLiteral("FileLabel"));

    auto* side = new QSplitter(Qt::Vertical, this);
    side->addWidget(BuildProperties());
    side->addWidget(FieldList);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(CanvasArea);
    split->addWidget(side);
    split->setStretchFactor(0, 1);
    split->setSizes({850, 330});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ToolBar);
    layout->addWidget(split, 1);
    layout->addWidget(FileLabel);

    connect(Model, &ReportDesignModel::SelectionChanged, this, [this] { ShowSelection(); });
    connect(Model, &ReportDesignModel::Changed, this, [this] { ShowSelection(); });
    Clear();
}

void ReportDesigner::BuildActions() {
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [this](QAction** action, const char* name, const QString& caption, const QKeySequence& keys,
                      void (ReportDesigner::*handler)()) {
        *action = ToolBar->addAction(caption);
        (*action)->setObjectName(QString::fromLatin1(name));
        (*action)->setShortcut(keys);
        if (handler)
            connect(*action, &QAction::triggered, this, Guarded(this, handler));
    };
    add(&ActionOpen, "ActionOpen", QStringLiteral("打开"), QKeySequence::Open,
        &ReportDesigner::ActionOpenExecute);
    ActionSave = ToolBar->addAction(QStringLiteral("保存"));
    ActionSave->setObjectName(QStringLiteral("ActionSave"));
    ActionSave->setShortcut(QKeySequence::Save);
    connect(ActionSave, &QAction::triggered, this, Guarded([this] { ActionSaveExecute(); }));
    ToolBar->addSeparator();
    // Fixed captions, so that the tool bar does not shift; the step to undo or redo is the tip.
    QUndoStack* stack = Model->UndoStack();
    add(&ActionUndo, "ActionUndo", QStringLiteral("撤销"), QKeySequence::Undo, nullptr);
    add(&ActionRedo, "ActionRedo", QStringLiteral("重做"), QKeySequence::Redo, nullptr);
    connect(ActionUndo, &QAction::triggered, this, Guarded([stack] { stack->undo(); }));
    connect(ActionRedo, &QAction::triggered, this, Guarded([stack] { stack->redo(); }));
    connect(stack, &QUndoStack::canUndoChanged, ActionUndo, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, ActionRedo, &QAction::setEnabled);
    for (QAction* action : {ActionUndo, ActionRedo}) {
        const bool isUndo = action == ActionUndo;
        connect(
            stack, isUndo ? &QUndoStack::undoTextChanged : &QUndoStack::redoTextChanged, action,
            [action](const QString& step) { action->setToolTip(action->text() + QLatin1Char(' ') + step); });
    }
    ActionUndo->setEnabled(false);
    ActionRedo->setEnabled(false);
    ToolBar->addSeparator();
    add(&ActionAddText, "ActionAddText", QStringLiteral("添加文本"), QKeySequence(),
        &ReportDesigner::ActionAddTextExecute);
    add(&ActionAddLine, "ActionAddLine", QStringLiteral("添加线条"), QKeySequence(),
        &ReportDesigner::ActionAddLineExecute);
    add(&ActionDeleteItem, "ActionDeleteItem", QStringLiteral("删除项目"), QKeySequence(),
        &ReportDesigner::ActionDeleteItemExecute);
    ToolBar->addSeparator();
    add(&ActionAddBand, "ActionAddBand", QStringLiteral("添加区域"), QKeySequence(), nullptr);
    auto* bands = new QMenu(this);
    for (ReportBand::Kind kind :
         {ReportBand::Kind::ReportTitle, ReportBand::Kind::PageHeader, ReportBand::Kind::Header,
          ReportBand::Kind::MasterData, ReportBand::Kind::Footer, ReportBand::Kind::Summary,
          ReportBand::Kind::PageFooter}) {
        QAction* band = bands->addAction(BandKindCaption(kind));
        connect(band, &QAction::triggered, this, Guarded([this, kind] { AddBandOfKind(kind); }));
    }
    ActionAddBand->setMenu(bands);
    if (auto* button = qobject_cast<QToolButton*>(ToolBar->widgetForAction(ActionAddBand)))
        button->setPopupMode(QToolButton::InstantPopup);
    add(&ActionDeleteBand, "ActionDeleteBand", QStringLiteral("删除区域"), QKeySequence(),
        &ReportDesigner::ActionDeleteBandExecute);
    ToolBar->addSeparator();
    add(&ActionPreview, "ActionPreview", QStringLiteral("预览"), QKeySequence(),
        &ReportDesigner::ActionPreviewExecute);
    // The button that shows the tools a narrow window has no room for.
    for (QToolButton* more : ToolBar->findChildren<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("更多工具"));
}

QWidget* ReportDesigner::BuildProperties() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* itemBox = new QGroupBox(QStringLiteral("项目属性"), panel);
    itemBox->setObjectName(QStringLiteral("ItemProperties"));
    auto* form = new QFormLayout(itemBox);
    auto row = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, itemBox);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    TextEdit = new QLineEdit(itemBox);
    TextEdit->setObjectName(QStringLiteral("TextEdit"));
    row(QStringLiteral("文本(&T)："), TextEdit);
    FontBox = new QFontComboBox(itemBox);
    FontBox->setObjectName(QStringLiteral("FontBox"));
    row(QStringLiteral("字体(&F)："), FontBox);
    FontSizeBox = new QDoubleSpinBox(itemBox);
    FontSizeBox->setObjectName(QStringLiteral("FontSizeBox"));
    FontSizeBox->setRange(1, 200);
    FontSizeBox->setDecimals(1);
    FontSizeBox->setKeyboardTracking(false);
    row(QStringLiteral("字号："), FontSizeBox);
    auto* styles = new QWidget(itemBox);
    auto* styleRow = new QHBoxLayout(styles);
    styleRow->setContentsMargins(0, 0, 0, 0);
    BoldBox = new QCheckBox(QStringLiteral("粗体"), styles);
    BoldBox->setObjectName(QStringLiteral("BoldBox"));
    ItalicBox = new QCheckBox(QStringLiteral("斜体"), styles);
    ItalicBox->setObjectName(QStringLiteral("ItalicBox"));
    styleRow->addWidget(BoldBox);
    styleRow->addWidget(ItalicBox);
    form->addRow(QStringLiteral("字形："), styles);
    AlignBox = new QComboBox(itemBox);
    AlignBox->setObjectName(QStringLiteral("AlignBox"));
    AlignBox->addItem(QStringLiteral("左对齐"), int(Qt::AlignLeft));
    AlignBox->addItem(QStringLiteral("居中"), int(Qt::AlignHCenter));
    AlignBox->addItem(QStringLiteral("右对齐"), int(Qt::AlignRight));
    row(QStringLiteral("水平对齐："), AlignBox);
    VAlignBox = new QComboBox(itemBox);
    VAlignBox->setObjectName(QStringLiteral("VAlignBox"));
    VAlignBox->addItem(QStringLiteral("顶端"), int(Qt::AlignTop));
    VAlignBox->addItem(QStringLiteral("居中"), int(Qt::AlignVCenter));
    VAlignBox->addItem(QStringLiteral("底端"), int(Qt::AlignBottom));
    row(QStringLiteral("垂直对齐："), VAlignBox);
    auto* frames = new QWidget(itemBox);
    auto* frameRow = new QHBoxLayout(frames);
    frameRow->setContentsMargins(0, 0, 0, 0);
    const struct {
        QCheckBox** box;
        const char* name;
        const char* caption;
    } frameBoxes[] = {{&FrameLeftBox, "FrameLeftBox", "左"},
                      {&FrameTopBox, "FrameTopBox", "上"},
                      {&FrameRightBox, "FrameRightBox", "右"},
                      {&FrameBottomBox, "FrameBottomBox", "下"}};
    for (const auto& f : frameBoxes) {
        *f.box = new QCheckBox(QString::fromUtf8(f.caption), frames);
        (*f.box)->setObjectName(QString::fromLatin1(f.name));
        (*f.box)->setAccessibleName(QStringLiteral("边框") + QString::fromUtf8(f.caption));
        frameRow->addWidget(*f.box);
    }
    form->addRow(QStringLiteral("边框："), frames);
    FormatBox = new QComboBox(itemBox);
    FormatBox->setObjectName(QStringLiteral("FormatBox"));
    // Formats and data set names are typed exactly: "fixed:2" must not become a longer proposal.
    SetUpCompletingBox(FormatBox, Qt::CaseSensitive);
    FormatBox->addItems({QString(), QStringLiteral("amount"), QStringLiteral("amount:abs"),
                         QStringLiteral("fixed:2"), QStringLiteral("date:yyyy-MM-dd")});
    row(QStringLiteral("显示格式："), FormatBox);
    LeftBox = MmBox(itemBox, "LeftBox", QStringLiteral("左边距"));
    row(QStringLiteral("左(&X)："), LeftBox);
    TopBox = MmBox(itemBox, "TopBox", QStringLiteral("上边距"));
    row(QStringLiteral("上(&Y)："), TopBox);
    WidthBox = MmBox(itemBox, "WidthBox", QStringLiteral("宽度"));
    row(QStringLiteral("宽(&W)："), WidthBox);
    HeightBox = MmBox(itemBox, "HeightBox", QStringLiteral("高度"));
    row(QStringLiteral("高(&H)："), HeightBox);

    auto* bandBox = new QGroupBox(QStringLiteral("区域属性"), panel);
    bandBox->setObjectName(QStringLiteral("BandProperties"));
    auto* bandForm = new QFormLayout(bandBox);
    BandHeightBox = MmBox(bandBox, "BandHeightBox", QStringLiteral("区域高度"));
    BandHeightBox->setRange(1, 500);
    auto* heightLabel = new QLabel(QStringLiteral("区域高度："), bandBox);
    heightLabel->setBuddy(BandHeightBox);
    bandForm->addRow(heightLabel, BandHeightBox);
    BandDataSetBox = new QComboBox(bandBox);
    BandDataSetBox->setObjectName(QStringLiteral("BandDataSetBox"));
    SetUpCompletingBox(BandDataSetBox, Qt::CaseSensitive);
    auto* setLabel = new QLabel(QStringLiteral("数据集："), bandBox);
    setLabel->setBuddy(BandDataSetBox);
    bandForm->addRow(setLabel, BandDataSetBox);

    layout->addWidget(itemBox);
    layout->addWidget(bandBox);
    layout->addStretch();

    // Every change of the panel is one undo step on the selected item or band.
    connect(TextEdit, &QLineEdit::editingFinished, this, Guarded([this] {
                ChangeItem(QStringLiteral("修改文本"), [this](ReportItem& i) { i.Text = TextEdit->text(); });
            }));
    connect(FontBox, &QFontComboBox::currentFontChanged, this, Guarded([this] {
                ChangeItem(QStringLiteral("修改字体"),
                           [this](ReportItem& i) { i.FontFamily = FontBox->currentFont().family(); });
            }));
    connect(FontSizeBox, &QDoubleSpinBox::valueChanged, this, Guarded([this] {
                ChangeItem(QStringLiteral("修改字号"),
                           [this](ReportItem& i) { i.FontSize = FontSizeBox->value(); });
            }));
    connect(BoldBox, &QCheckBox::toggled, this, Guarded([this] {
                ChangeItem(QStringLiteral("粗体"), [this](ReportItem& i) { i.Bold = BoldBox->isChecked(); });
            }));
    connect(ItalicBox, &QCheckBox::toggled, this, Guarded([this] {
                ChangeItem(QStringLiteral("斜体"),
                           [this](ReportItem& i) { i.Italic = ItalicBox->isChecked(); });
            }));
    auto alignment = [this] {
        ChangeItem(QStringLiteral("对齐"), [this](ReportItem& i) {
            i.Align = Qt::Alignment(AlignBox->currentData().toInt() | VAlignBox->currentData().toInt());
        });
    };
    connect(AlignBox, &QComboBox::activated, this, Guarded(alignment));
    connect(VAlignBox, &QComboBox::activated, this, Guarded(alignment));
    for (QCheckBox* box : {FrameLeftBox, FrameTopBox, FrameRightBox, FrameBottomBox})
        connect(box, &QCheckBox::toggled, this, Guarded([this] {
                    ChangeItem(QStringLiteral("边框"), [this](ReportItem& i) {
                        i.Frame = (FrameLeftBox->isChecked() ? FrameLeft : 0) |
                                  (FrameTopBox->isChecked() ? FrameTop : 0) |
                                  (FrameRightBox->isChecked() ? FrameRight : 0) |
                                  (FrameBottomBox->isChecked() ? FrameBottom : 0);
                    });
                }));
    // Typed formats and data set names count when the typing is finished, not at every key.
    auto format = [this] {
        ChangeItem(QStringLiteral("显示格式"),
                   [this](ReportItem& i) { i.Format = FormatBox->currentText().trimmed(); });
    };
    connect(FormatBox, &QComboBox::activated, this, Guarded(format));
    connect(FormatBox->lineEdit(), &QLineEdit::editingFinished, this, Guarded(format));
    auto geometry = [this] {
        ChangeItem(QStringLiteral("位置和大小"), [this](ReportItem& i) {
            i.Geometry = QRectF(LeftBox->value(), TopBox->value(), WidthBox->value(), HeightBox->value());
        });
    };
    for (QDoubleSpinBox* box : {LeftBox, TopBox, WidthBox, HeightBox})
        connect(box, &QDoubleSpinBox::valueChanged, this, Guarded(geometry));
    connect(BandHeightBox, &QDoubleSpinBox::valueChanged, this, Guarded([this] {
                ChangeBand(QStringLiteral("区域高度"),
                           [this](ReportBand& b) { b.Height = BandHeightBox->value(); });
            }));
    auto dataSet = [this] {
        ChangeBand(QStringLiteral("区域数据集"),
                   [this](ReportBand& b) { b.DataSet = BandDataSetBox->currentText().trimmed(); });
    };
    connect(BandDataSetBox, &QComboBox::activated, this, Guarded(dataSet));
    connect(BandDataSetBox->lineEdit(), &QLineEdit::editingFinished, this, Guarded(dataSet));
    return panel;
}

void ReportDesigner::ChangeItem(const QString& what, const std::function<void(ReportItem&)>& change) {
    if (showing)
        return;
    const ReportItem* current = Model->Item(Model->Selected());
    if (!current)
        return;
    ReportItem changed = *current;
    change(changed);
    Model->SetItem(Model->Selected(), changed, what);
}

void ReportDesigner::ChangeBand(const QString& what, const std::function<void(ReportBand&)>& change) {
    const int band = Model->SelectedBand();
    if (showing || band < 0 || band >= static_cast<int>(Model->Template().Bands.size()))
        return;
    ReportBand changed = Model->Template().Bands[static_cast<size_t>(band)];
    change(changed);
    Model->SetBand(band, changed, what);
}

void ReportDesigner::ShowSelection() {
    showing = true;
    const ReportItem* item = Model->Item(Model->Selected());
    const bool text = item && item->Type == ReportItem::Kind::Text;
    for (QWidget* w : std::initializer_list<QWidget*>{TextEdit, FontBox, FontSizeBox, BoldBox, ItalicBox,
                                                      AlignBox, VAlignBox, FrameLeftBox, FrameTopBox,
                                                      FrameRightBox, FrameBottomBox, FormatBox})
        w->setEnabled(text);
    for (QWidget* w : std::initializer_list<QWidget*>{LeftBox, TopBox, WidthBox, HeightBox})
        w->setEnabled(item != nullptr);
    ReportItem shown = item ? *item : ReportItem();
    TextEdit->setText(shown.Text);
    FontBox->setCurrentFont(QFont(shown.FontFamily));
    FontSizeBox->setValue(shown.FontSize);
    BoldBox->setChecked(shown.Bold);
    ItalicBox->setChecked(shown.Italic);
    AlignBox->setCurrentIndex(AlignBox->findData(int(shown.Align & Qt::AlignHorizontal_Mask)));
    VAlignBox->setCurrentIndex(VAlignBox->findData(int(shown.Align & Qt::AlignVertical_Mask)));
    FrameLeftBox->setChecked(shown.Frame & FrameLeft);
    FrameTopBox->setChecked(shown.Frame & FrameTop);
    FrameRightBox->setChecked(shown.Frame & FrameRight);
    FrameBottomBox->setChecked(shown.Frame & FrameBottom);
    FormatBox->setCurrentText(shown.Format);
    LeftBox->setValue(shown.Geometry.left());
    TopBox->setValue(shown.Geometry.top());
    WidthBox->setValue(shown.Geometry.width());
    HeightBox->setValue(shown.Geometry.height());

    const int band = Model->SelectedBand();
    const bool hasBand = band >= 0 && band < static_cast<int>(Model->Template().Bands.size());
    BandHeightBox->setEnabled(hasBand);
    BandDataSetBox->setEnabled(hasBand);
    if (hasBand) {
        const ReportBand& b = Model->Template().Bands[static_cast<size_t>(band)];
        BandHeightBox->setValue(b.Height);
        BandDataSetBox->setCurrentText(b.DataSet);
    }
    const bool open = !Model->FileName().isEmpty();
    for (QAction* a : {ActionSave, ActionAddText, ActionAddLine, ActionAddBand, ActionPreview})
        a->setEnabled(open);
    ActionDeleteItem->setEnabled(item != nullptr);
    ActionDeleteBand->setEnabled(hasBand);
    FileLabel->setText(open ? QDir::toNativeSeparators(Model->FileName()) +
                                  (Model->IsModified() ? QStringLiteral(" *") : QString())
                            : QStringLiteral("未打开模板"));
    showing = false;
}

void ReportDesigner::FillFieldList() {
    FieldList->clear();
    BandDataSetBox->clear();
    BandDataSetBox->addItem(QString());
    for (const DesignDataSet& set : Model->Catalogue()) {
        auto* top = new QTreeWidgetItem(FieldList, {set.Name});
        top->setData(0, Qt::UserRole, set.Name);
        top->setFlags(Qt::ItemIsEnabled);
        // Fields by their Chinese names; the data set's own name in the tooltip.
        for (const QString& field : set.Fields) {
            auto* item = new QTreeWidgetItem(top, {ReportFieldNames::Caption(field, Model->FieldCaptions())});
            item->setData(0, Qt::UserRole, field);
            item->setToolTip(0, set.Name + QLatin1Char('.') + field);
        }
        BandDataSetBox->addItem(set.Name);
    }
    FieldList->expandAll();
}

bool ReportDesigner::OpenTemplate(const QString& fileName) {
    ReportError error;
    if (!Model->Load(fileName, &error)) {
        Prompts::Get().Error(error.Text(), Title);
        return false;
    }
    Model->SetCatalogue(CatalogueOf ? CatalogueOf(fileName) : DesignCatalogue());
    Model->SetFieldCaptions(CaptionsOf ? CaptionsOf(fileName) : QHash<QString, QString>());
    FillFieldList();
    ShowSelection();
    return true;
}

void ReportDesigner::Clear() {
    Model->SetTemplate(ReportTemplate(), QString());
    Model->SetCatalogue({});
    Model->SetFieldCaptions({});
    FillFieldList();
    ShowSelection();
}

void ReportDesigner::ActionOpenExecute() {
    if (Model->IsModified() && Prompts::Get().Question(QStringLiteral("模板已修改，是否先保存？"), Title) &&
        !ActionSaveExecute())
        return;
    const QString fileName =
        Prompts::Get().OpenFileName(this, {QStringLiteral("打开报表模板"), TemplateFolder, QString(),
                                           QStringLiteral("报表模板 (*.frf)"), QString()});
    if (!fileName.isEmpty())
        OpenTemplate(fileName);
}

bool ReportDesigner::ActionSaveExecute() {
    if (Model->FileName().isEmpty())
        return false;
    const QString target = SavePathOf ? SavePathOf(Model->FileName()) : Model->FileName();
    ReportError error;
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        Prompts::Get().Error(QStringLiteral("模板没有保存。\n无法创建文件夹：") +
                                 QDir::toNativeSeparators(QFileInfo(target).absolutePath()),
                             Title);
        return false;
    }
    if (!Model->Save(target, &error)) {
        Prompts::Get().Error(QStringLiteral("模板没有保存。\n") + error.Text(), Title);
        return false;
    }
    ShowSelection();
    return true;
}

void ReportDesigner::ActionAddTextExecute() {
    const int band = std::max(0, Model->SelectedBand());
    ReportItem item;
    item.Type = ReportItem::Kind::Text;
    item.Text = QStringLiteral("文本");
    item.Geometry = QRectF(0, 0, 30, 6);
    Model->AddItem(band, item);
}

void ReportDesigner::ActionAddLineExecute() {
    const int band = std::max(0, Model->SelectedBand());
    ReportItem item;
    item.Type = ReportItem::Kind::Line;
    item.Geometry = QRectF(0, 1, 50, 0);
    Model->AddItem(band, item);
}

void ReportDesigner::ActionDeleteItemExecute() {
    Model->DeleteItem(Model->Selected());
}

void ReportDesigner::AddBandOfKind(ReportBand::Kind kind) {
    ReportBand band;
    band.Type = kind;
    band.Height = 10;
    if (kind == ReportBand::Kind::MasterData && !Model->Catalogue().empty())
        band.DataSet = Model->Catalogue().front().Name;
    Model->AddBand(band);
}

void ReportDesigner::ActionDeleteBandExecute() {
    Model->DeleteBand(Model->SelectedBand());
}

void ReportDesigner::ActionPreviewExecute() {
    // Three rows of made-up values for every data set of the print path.
    std::vector<std::shared_ptr<TableDataSet>> sets;
    ReportData data;
    for (const DesignDataSet& set : Model->Catalogue()) {
        auto rows = std::make_shared<TableDataSet>(set.Fields);
        for (int row = 0; row < 3; ++row) {
            std::vector<QVariant> values;
            for (const QString& field : set.Fields)
                values.push_back(SampleValue(field, row));
            rows->AddRow(std::move(values));
        }
        data.Add(set.Name, rows.get());
        sets.push_back(rows);
    }
    ReportError error;
    std::shared_ptr<PreparedReport> prepared = PrepareReport(
        Model->Template(), data, [](const QString& name) { return QVariant(name); }, &error);
    if (!prepared) {
        Prompts::Get().Error(error.Text(), Title);
        return;
    }
    for (const auto& set : sets)
        prepared->Keep(set);
    ReportPreview preview(this);
    preview.SetReport(prepared);
    Prompts::Get().ShowModal(&preview);
}

void ReportDesigner::reject() {
    if (Model->IsModified() && Prompts::Get().Question(QStringLiteral("模板已修改，是否保存？"), Title) &&
        !ActionSaveExecute())
        return;
    QDialog::reject();
}
