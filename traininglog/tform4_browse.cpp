#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "session.h"
#include "stringgrid.h"

#include <QComboBox>
#include <QHash>
#include <QSet>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>

void TForm4::Blaettern()
{
    const QString shownBefore = Label16->text();
    const bool any = !m_model.ids().isEmpty();
    const bool formView = ToolButton12->isChecked();
    // Paging makes sense only over a non-empty list; changing only in the
    // form view, where the entry can be seen.
    for (QToolButton* b : {ToolButton3, ToolButton4, ToolButton5, ToolButton6})
        b->setEnabled(any);
    ToolButton13->setEnabled(any && formView);
    if (m_model.position() == 0) {
        ToolButton3->setEnabled(false);
        ToolButton4->setEnabled(false);
    }
    if (m_model.ids().size() == m_model.position() + 1) {
        ToolButton5->setEnabled(false);
        ToolButton6->setEnabled(false);
    }

    Memo1->clear();
    Memo2->clear();
    StringGridLeeren();
    DisableControls();
    FieldColours::setLocked(StringAlignGrid1, true);
    DisableMainControls();

    const EditorModel::Shown shown = m_model.load();
    showId();
    if (shown == EditorModel::Shown::Gone) {
        entryGoneWhileBrowsing(shownBefore);
        return;
    }
    if (shown == EditorModel::Shown::Entry)
        showValues();
    showUnits();
    Label18->setText(entryDistanceText(SumStrecke()) + QStringLiteral(" km"));
    showPlace();
    ToolButton2->setEnabled(m_model.id() != QLatin1String("-1") && formView);
    showCourseButton();
    GetDistShoe();
    markClean();
}

// The entry to be shown was deleted at another workstation after the entry
// list was read: the list is read anew, the nearest entry left is shown and
// the user told. The list view holds the entries read before, so it is
// built anew once the box is closed and the selection that led here is over.
void TForm4::entryGoneWhileBrowsing(const QString& shown)
{
    forgetDiarySums();
    m_model.entryGone(shown);
    showEntryCount();
    markListRow();
    Blaettern();
    showTotalDistance();
    Messages::deletedElsewhere(this, QStringLiteral("Der Eintrag"));
    if (ToolButton8->isChecked())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (ToolButton8->isChecked())
                    ToolButton8Click();
            },
            Qt::QueuedConnection);
}

// Shows the entry at the given position, kept inside the entry list; in the
// list view the row of the entry is marked.
void TForm4::showEntryAt(int position)
{
    m_model.setPosition(position);
    markListRow();
    Blaettern();
}

void TForm4::showEntry(const QString& id)
{
    if (id.isEmpty() || id == m_model.id())
        return; // shown already, with the input as it is
    if (!askToSaveChanges())
        return;
    guarded(this, [&] {
        int place = int(m_model.ids().indexOf(id));
        if (place < 0) {
            const QString shown = m_model.id();
            m_model.readIds(false);
            showEntryCount();
            place = int(m_model.ids().indexOf(id));
            // The list view follows the entry list line by line.
            if (ToolButton8->isChecked())
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (ToolButton8->isChecked())
                            ToolButton8Click();
                    },
                    Qt::QueuedConnection);
            if (place < 0) {
                const int before = int(m_model.ids().indexOf(shown));
                showEntryAt(before >= 0 ? before : m_model.position());
                Messages::deletedElsewhere(this, QStringLiteral("Der Eintrag"));
                return;
            }
        }
        showEntryAt(place);
    });
}

void TForm4::ToolButton3Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(0); });
}

void TForm4::ToolButton4Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(m_model.position() - 1); });
}

void TForm4::ToolButton5Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(m_model.position() + 1); });
}

void TForm4::ToolButton6Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(int(m_model.ids().size()) - 1); });
}

void TForm4::ToolButton2Click()
{
    if (m_model.id() == QLatin1String("-1"))
        return;
    if (!Messages::confirm(this, QStringLiteral("Bestätigen"),
                           QStringLiteral("Möchten Sie den ausgewählten Eintrag aus Ihrem Rezidedazurazedad löschen?")))
        return;
    guarded(this, [&] {
        // The entry before the deleted one is shown; the first stays first.
        const bool deletedElsewhere = !m_model.remove();
        forgetDiarySums();
        showEntryCount();
        Blaettern();
        showTotalDistance();
        Q_EMIT diaryChanged();
        if (deletedElsewhere)
            Messages::deletedElsewhere(this, QStringLiteral("Der Eintrag"));
    });
}
