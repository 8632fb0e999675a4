#include "tform4.h"

#include "courses.h"
#include "diarytraining.h"
#include "errorboundary.h"
#include "messages.h"
#include "session.h"
#include "tform9.h"

#include <QToolButton>

void TForm4::showCourseButton()
{
    VerlaufButton->setEnabled(m_model.hasCourse());
}

void TForm4::VerlaufButtonClick()
{
    const QString id = m_model.id();
    if (!m_model.hasCourse(id))
        return;
    guarded(this, [&] {
        Database& db = m_session.ZDatabase1;
        const std::optional<course::Course> course = Courses::read(db, id);
        const std::optional<Entries::Entry> entry = Entries::read(db, id);
        if (!course || !entry) {
            // Deleted at another workstation since the list was read.
            VerlaufButton->setEnabled(false);
            Messages::deletedElsewhere(this, QStringLiteral("Der Verlauf"));
            return;
        }
        auto* window = new TForm9(m_session, *course, entry->units, training::readZones(db), m_model.maxHeartRate(),
                                  entry->category, this);
        window->show();
        window->raise();
        window->activateWindow();
    });
}
