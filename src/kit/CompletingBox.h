#pragma once

#include <QComboBox>

// Makes combo an editable box that completes from its own list without ever replacing what the
// user typed: the items that begin with the typed text are proposed in a list under the box, and a
// proposal goes into the box only when the user takes it (arrow keys onto it and Enter or Tab, or a
// click). A typed name that begins a longer item therefore stays as typed.
// caseSensitivity is how proposals match the typed text; insertPolicy what Enter does with a text
// that is no item (NoInsert: the list stays as loaded).
void SetUpCompletingBox(QComboBox* combo, Qt::CaseSensitivity caseSensitivity = Qt::CaseInsensitive,
                        QComboBox::InsertPolicy insertPolicy = QComboBox::NoInsert);
