#include "ReportDesignModel.h"

#include "ReportDataSet.h"

#include <QFile>
#include <QSaveFile>
#include <QUndoCommand>
#include <algorithm>

// One change of the template: the whole template before and after (templates are small).
class TemplateChange : public QUndoCommand {
public:
    TemplateChange(ReportDesignModel* model, ReportTemplate before, ReportTemplate after, const QString& what,
                   int mergeKey)
        : QUndoCommand(what)
        , model(model)
        , before(std::move(before))
        , after(std::move(after))
        , mergeKey(mergeKey) {}
    void redo() override { model->Restore(after); }
    void undo() override { model->Restore(before); }
    int id() const override { return mergeKey; }
    bool mergeWith(const QUndoCommand* other) override {
        after = static_cast<const TemplateChange*>(other)->after;
        return true;
    }

private:
    ReportDesignModel* model;
    ReportTemplate before;
    ReportTemplate after;
    int mergeKey;
};

void NormaliseItem(ReportItem& item) {
    item.Parts = ParseTextParts(item.Text);
    item.Condition = ItemCondition();
    if (!item.ShowIf.trimmed().isEmpty())
        ParseCondition(item.ShowIf, &item.Condition);
}

ReportDesignModel::ReportDesignModel(QObject* parent)
    : QObject(parent) {}

bool ReportDesignModel::Load(const QString& fileName, ReportError* error) {
    std::optional<ReportTemplate> loaded = LoadTemplate(fileName, error);
    if (!loaded)
        return false;
    SetTemplate(*loaded, fileName);
    return true;
}

void ReportDesignModel::SetTemplate(const ReportTemplate& report, const QString& fileName) {
    this->report = report;
    this->fileName = fileName;
    undo.clear();
    selected = ItemRef();
    selectedBand = report.Bands.empty() ? -1 : 0;
    emit Changed();
    emit SelectionChanged();
}

const ReportItem* ReportDesignModel::Item(ItemRef item) const {
    if (item.Band < 0 || item.Band >= static_cast<int>(report.Bands.size()))
        return nullptr;
    const auto& items = report.Bands[static_cast<size_t>(item.Band)].Items;
    if (item.Item < 0 || item.Item >= static_cast<int>(items.size()))
        return nullptr;
    return &items[static_cast<size_t>(item.Item)];
}

void ReportDesignModel::Select(ItemRef item) {
    if (item.Valid() && !Item(item))
        item = ItemRef();
    if (item == selected && (!item.Valid() || item.Band == selectedBand))
        return;
    selected = item;
    if (item.Valid())
        selectedBand = item.Band;
    emit SelectionChanged();
}

void ReportDesignModel::SelectBand(int band) {
    if (band >= static_cast<int>(report.Bands.size()))
        band = -1;
    selected = ItemRef();
    selectedBand = band;
    emit SelectionChanged();
}

void ReportDesignModel::Apply(const ReportTemplate& changed, const QString& what, int mergeKey) {
    // A change that changes nothing is no undo step.
    if (WriteTemplate(changed) == WriteTemplate(report))
        return;
    undo.push(new TemplateChange(this, report, changed, what, mergeKey));
}

void ReportDesignModel::Restore(const ReportTemplate& state) {
    report = state;
    KeepSelectionValid();
    emit Changed();
}

void ReportDesignModel::KeepSelectionValid() {
    const bool itemGone = selected.Valid() && !Item(selected);
    const bool bandGone = selectedBand >= static_cast<int>(report.Bands.size());
    if (itemGone)
        selected = ItemRef();
    if (bandGone)
        selectedBand = report.Bands.empty() ? -1 : 0;
    if (itemGone || bandGone)
        emit SelectionChanged();
}

void ReportDesignModel::MoveItem(ItemRef item, const QPointF& topLeft, bool mergeSteps) {
    const ReportItem* current = Item(item);
    if (!current || current->Geometry.topLeft() == topLeft)
        return;
    ReportTemplate changed = report;
    changed.Bands[static_cast<size_t>(item.Band)].Items[static_cast<size_t>(item.Item)].Geometry.moveTopLeft(
        topLeft);
    // Steps of the same item in a row (arrow keys) are one undo step.
    Apply(changed, tr("移动"), mergeSteps ? 1 + item.Band * 4096 + item.Item : -1);
}

void ReportDesignModel::SetItemGeometry(ItemRef item, const QRectF& geometry) {
    const ReportItem* current = Item(item);
    if (!current || current->Geometry == geometry)
        return;
    ReportItem copy = *current;
    copy.Geometry = geometry.normalized();
    SetItem(item, copy, tr("改变大小"));
}

void ReportDesignModel::SetItem(ItemRef item, const ReportItem& changedItem, const QString& what) {
    if (!Item(item))
        return;
    ReportTemplate changed = report;
    ReportItem& target = changed.Bands[static_cast<size_t>(item.Band)].Items[static_cast<size_t>(item.Item)];
    target = changedItem;
    NormaliseItem(target);
    Apply(changed, what);
}

ReportDesignModel::ItemRef ReportDesignModel::AddItem(int band, const ReportItem& item) {
    if (band < 0 || band >= static_cast<int>(report.Bands.size()))
        return ItemRef();
    ReportTemplate changed = report;
    auto& items = changed.Bands[static_cast<size_t>(band)].Items;
    items.push_back(item);
    NormaliseItem(items.back());
    Apply(changed, tr("添加项目"));
    const ItemRef added{band, static_cast<int>(items.size()) - 1};
    Select(added);
    return added;
}

ReportDesignModel::ItemRef ReportDesignModel::AddFieldItem(int band, const QString& dataSet,
                                                           const QString& field, const QPointF& topLeft) {
    ReportItem item;
    item.Type = ReportItem::Kind::Text;
    item.Text = QStringLiteral("[%1.%2]").arg(dataSet, field);
    item.Geometry = QRectF(topLeft, QSizeF(30, 6));
    return AddItem(band, item);
}

void ReportDesignModel::DeleteItem(ItemRef item) {
    if (!Item(item))
        return;
    ReportTemplate changed = report;
    auto& items = changed.Bands[static_cast<size_t>(item.Band)].Items;
    items.erase(items.begin() + item.Item);
    selected = ItemRef();
    Apply(changed, tr("删除项目"));
    emit SelectionChanged();
}

int ReportDesignModel::AddBand(const ReportBand& band) {
    ReportTemplate changed = report;
    // Bands stand in the order they are laid out: after the last one of the same or an earlier kind.
    auto at = std::find_if(changed.Bands.begin(), changed.Bands.end(), [&](const ReportBand& b) {
        return static_cast<int>(b.Type) > static_cast<int>(band.Type);
    });
    const int index = static_cast<int>(at - changed.Bands.begin());
    changed.Bands.insert(at, band);
    Apply(changed, tr("添加区域"));
    SelectBand(index);
    return index;
}

void ReportDesignModel::DeleteBand(int band) {
    if (band < 0 || band >= static_cast<int>(report.Bands.size()))
        return;
    ReportTemplate changed = report;
    changed.Bands.erase(changed.Bands.begin() + band);
    selected = ItemRef();
    selectedBand = -1;
    Apply(changed, tr("删除区域"));
    emit SelectionChanged();
}

void ReportDesignModel::SetBand(int band, const ReportBand& changedBand, const QString& what) {
    if (band < 0 || band >= static_cast<int>(report.Bands.size()))
        return;
    ReportTemplate changed = report;
    changed.Bands[static_cast<size_t>(band)] = changedBand;
    Apply(changed, what);
}

std::optional<ReportError> ReportDesignModel::Check() const {
    ReportError error;
    const std::optional<ReportTemplate> again = ReadTemplate(WriteTemplate(report), fileName, &error);
    if (!again)
        return error;
    if (catalogue.empty())
        return std::nullopt;
    std::vector<TableDataSet> sets;
    sets.reserve(catalogue.size());
    ReportData data;
    for (const DesignDataSet& set : catalogue) {
        sets.emplace_back(set.Fields);
        data.Add(set.Name, &sets.back());
    }
    return CheckTemplate(*again, data);
}

QString ReportDesignModel::BackupName(const QString& fileName) {
    return fileName + QStringLiteral(".bak");
}

bool ReportDesignModel::Save(const QString& target, ReportError* error) {
    *error = ReportError{target, 0, QString()};
    if (const std::optional<ReportError> problem = Check()) {
        *error = *problem;
        error->File = target;
        return false;
    }
    QSaveFile file(target);
    const QByteArray xml = WriteTemplate(report);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size()) {
        error->Message = tr("无法写入文件：") + file.errorString();
        return false;
    }
    // The previous version stays beside the new one.
    if (QFile::exists(target)) {
        const QString backup = BackupName(target);
        QFile::remove(backup);
        if (!QFile::copy(target, backup)) {
            file.cancelWriting();
            error->Message = tr("无法保留原模板的备份：") + backup;
            return false;
        }
    }
    if (!file.commit()) {
        error->Message = tr("无法写入文件：") + file.errorString();
        return false;
    }
    fileName = target;
    report.FileName = target;
    undo.setClean();
    return true;
}
