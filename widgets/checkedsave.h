#pragma once

#include "storedrecord.h"

#include <QString>

#include <functional>

class QWidget;

// Saves a record that a window read (see storedrecord.h). When another
// workstation has changed it since, the user is asked whether to load that
// version or to save the input over it. A save whose answer was lost but
// that is stored is reported in a notice. Failures throw StorageError for
// the window's error boundary; the input stays.
// record names it in the question ("Der Eintrag", "Der Benutzer").
CheckedSave saveChecked(QWidget* parent, Database& db, StoredRecord& stored, const QString& record,
                        const std::function<void()>& write);
