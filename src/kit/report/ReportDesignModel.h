#pragma once

#include "ReportEngine.h"
#include "ReportTemplate.h"
#include "ReportTemplateFile.h"

#include <QHash>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QUndoStack>
#include <optional>
#include <vector>

// The data sets and fields a template's print path offers, by data set name in the program's order.
struct DesignDataSet {
    QString Name;
    QStringList Fields;
};
using DesignCatalogue = std::vector<DesignDataSet>;

// What the report designer edits: one template, the selected band and item, and the undo stack.
// Every change is one undo step; saving refuses a template that would not load again.
class ReportDesignModel : public QObject {
    Q_OBJECT
public:
    explicit ReportDesignModel(QObject* parent = nullptr);

    struct ItemRef {
        int Band = -1;
        int Item = -1;
        bool Valid() const { return Band >= 0 && Item >= 0; }
        bool operator==(const ItemRef&) const = default;
    };

    // Reads a template file; on failure nothing changes and *error says why.
    bool Load(const QString& fileName, ReportError* error);
    void SetTemplate(const ReportTemplate& report, const QString& fileName);
    const ReportTemplate& Template() const { return report; }
    QString FileName() const { return fileName; }
    // The data sets and fields the template may name; empty when not known (nothing is checked).
    void SetCatalogue(const DesignCatalogue& catalogue) { this->catalogue = catalogue; }
    const DesignCatalogue& Catalogue() const { return catalogue; }
    // The Chinese names the designer shows for fields (field name → caption).
    void SetFieldCaptions(const QHash<QString, QString>& captions) { fieldCaptions = captions; }
    const QHash<QString, QString>& FieldCaptions() const { return fieldCaptions; }
    QUndoStack* UndoStack() { return &undo; }
    bool IsModified() const { return !undo.isClean(); }

    // ---- Selection
    ItemRef Selected() const { return selected; }
    int SelectedBand() const { return selectedBand; }
    void Select(ItemRef item);
    void SelectBand(int band);
    const ReportItem* Item(ItemRef item) const;

    // ---- Changes, each one undo step
    // Moves an item's top left corner (mm within its band); steps of one item in a row merge.
    void MoveItem(ItemRef item, const QPointF& topLeft, bool mergeSteps = false);
    void SetItemGeometry(ItemRef item, const QRectF& geometry);
    // Any property of an item: the item as it is to be (text, font, alignment, frame, format, ...).
    void SetItem(ItemRef item, const ReportItem& changed, const QString& what);
    ItemRef AddItem(int band, const ReportItem& item);
    // A text item showing a field, at a place of a band: what dragging a field from the list does.
    ItemRef AddFieldItem(int band, const QString& dataSet, const QString& field, const QPointF& topLeft);
    void DeleteItem(ItemRef item);
    int AddBand(const ReportBand& band);
    void DeleteBand(int band);
    void SetBand(int band, const ReportBand& changed, const QString& what);

    // Why the template would not load, or nothing when it would.
    std::optional<ReportError> Check() const;
    // Writes the template to a new file beside fileName and puts it in place only when writing
    // succeeded; the previous file stays beside it as BackupName. Refused (false, *error) when the
    // template would not load.
    bool Save(const QString& fileName, ReportError* error);
    static QString BackupName(const QString& fileName);

signals:
    void Changed();
    void SelectionChanged();

private:
    friend class TemplateChange;
    void Apply(const ReportTemplate& changed, const QString& what, int mergeKey = -1);
    void Restore(const ReportTemplate& state);
    void KeepSelectionValid();

    ReportTemplate report;
    QString fileName;
    DesignCatalogue catalogue;
    QHash<QString, QString> fieldCaptions;
    QUndoStack undo;
    ItemRef selected;
    int selectedBand = -1;
};

// Fills the text item's parsed parts and condition from its texts.
void NormaliseItem(ReportItem& item);
