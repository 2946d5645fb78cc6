#include "CompletingBox.h"

#include <QCompleter>

void SetUpCompletingBox(QComboBox* combo, Qt::CaseSensitivity caseSensitivity,
                        QComboBox::InsertPolicy insertPolicy) {
    combo->setEditable(true);
    combo->setInsertPolicy(insertPolicy);
    // The box's own completer writes the rest of the first matching item into the box as the user
    // types (inline completion), so a name that begins a longer one became the longer one. A popup
    // only proposes.
    QCompleter* completer = combo->completer();
    if (!completer) {
        completer = new QCompleter(combo->model(), combo);
        combo->setCompleter(completer);
    }
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(caseSensitivity);
    completer->setFilterMode(Qt::MatchStartsWith);
}
