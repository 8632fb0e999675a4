#include "checkedsave.h"

#include "messages.h"

CheckedSave saveChecked(QWidget* parent, Database& db, StoredRecord& stored, const QString& record,
                        const std::function<void()>& write)
{
    SaveResult result = saveRecord(db, stored, write);
    if (result.outcome == SaveResult::Outcome::ChangedElsewhere) {
        switch (Messages::changedElsewhere(parent, record)) {
        case Messages::ChangedElsewhere::LoadStored:
            return CheckedSave::LoadStored;
        case Messages::ChangedElsewhere::Cancel:
            return CheckedSave::Cancelled;
        case Messages::ChangedElsewhere::SaveOver:
            result = saveRecord(db, stored, write, false);
            break;
        }
    }
    if (!result.notice.isEmpty())
        Messages::show(parent, QMessageBox::Information, Messages::applicationTitle(), result.notice,
                       QMessageBox::Ok);
    return CheckedSave::Saved;
}
