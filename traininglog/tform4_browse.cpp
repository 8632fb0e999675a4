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

namespace {

// Keeps the list grid over the whole client area while the window is resized.
class CoverClientArea : public QObject
{
public:
    static constexpr const char* kName = "CoverClientArea";

    CoverClientArea(QWidget* area, QWidget* cover) : QObject(cover), m_cover(cover)
    {
        setObjectName(QLatin1String(kName));
        area->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            m_cover->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

private:
    QWidget* m_cover;
};

} // namespace

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
// the user told. The list view follows the entry list line by line, so it is
// built anew once the box is closed and the selection that led here is over.
void TForm4::entryGoneWhileBrowsing(const QString& shown)
{
    forgetDiarySums();
    m_model.entryGone(shown);
    showEntryCount();
    if (ToolButton8->isChecked() && m_model.position() >= 0)
        StringAlignGrid2->setCurrentGridRow(m_model.position() + 1, false);
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
// list view the list's selection follows.
void TForm4::showEntryAt(int position)
{
    m_model.setPosition(position);
    if (ToolButton8->isChecked() && m_model.position() >= 0)
        StringAlignGrid2->setCurrentGridRow(m_model.position() + 1, false);
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

void TForm4::ToolButton8Click()
{
    if (!askToSaveChanges()) {
        ToolButton8->setChecked(false); // the form view stays
        return;
    }
    m_listReady = false;
    QWidget* area = centralWidget();
    if (!StringAlignGrid2->findChild<QObject*>(QLatin1String(CoverClientArea::kName), Qt::FindDirectChildrenOnly))
        new CoverClientArea(area, StringAlignGrid2);
    StringAlignGrid2->setGeometry(area->rect());
    StringAlignGrid2->raise();
    ListBar->show();

    for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton10, ToolButton13})
        b->setEnabled(false);
    ToolButton12->setChecked(false);
    ToolButton8->setChecked(true);
    repaint();

    StringAlignGrid2->clearRows();
    guarded(this, [&] {
        const QList<QStringList> lines = m_model.listLines();
        setPanel(0, QStringLiteral("  ") + entryCountText(m_model.ids().size()));
        int row = 1;
        for (const QStringList& cells : lines) {
            for (int column = 0; column < cells.size(); ++column)
                StringAlignGrid2->setCells(column, row, cells[column]);
            // Shoe, weather, feeling and notes are often longer than their column.
            for (int column = 7; column <= 10; ++column)
                if (QTableWidgetItem* cell = StringAlignGrid2->item(row - StringAlignGrid2->firstDataRow(), column))
                    cell->setToolTip(cells[column]);
            StringAlignGrid2->addRow();
            ++row;
        }
        // Sports, shoes and weather words are shown whole; feeling and notes
        // end in an ellipsis, with the whole text as the hint.
        // The same few words stand in most lines: each is measured once.
        QList<QSet<QString>> words(11);
        for (const QStringList& cells : std::as_const(lines))
            for (const int column : {3, 7, 8})
                words[column].insert(cells[column]);
        QList<QStringList> samples;
        for (const QSet<QString>& column : std::as_const(words))
            samples << QStringList(column.cbegin(), column.cend());
        StringAlignGrid2->widenToFit(samples);
    });
    StringAlignGrid2->show();
    m_listReady = true;
    // The list marks the current entry; picking it shows it in the form
    // behind, except for the first entry, which is only marked.
    if (m_model.position() >= 0)
        StringAlignGrid2->setCurrentGridRow(m_model.position() + 1, m_model.position() > 0);
}

void TForm4::StringAlignGrid2SelectCell(int, int row, bool*)
{
    if (!m_listReady)
        return;
    guarded(this, [&] {
        m_model.setPosition(row - 1);
        Blaettern();
    });
}

void TForm4::StringAlignGrid2DblClick()
{
    // The row's entry is the one the click has shown behind the list: with
    // a course, its course opens; else the form view.
    if (m_model.hasCourse()) {
        VerlaufButtonClick();
        return;
    }
    ToolButton12Click();
}

void TForm4::ToolButton12Click()
{
    StringAlignGrid2->hide();
    ListBar->hide();
    ToolButton12->setChecked(true);
    ToolButton8->setChecked(false);
    ToolButton1->setEnabled(true);
    const bool any = !m_model.ids().isEmpty();
    ToolButton2->setEnabled(any);
    ToolButton13->setEnabled(any);
}
