#include "tform4.h"

#include "errorboundary.h"
#include "messages.h"
#include "stringgrid.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

// The item of the shoe list that takes the shoe off the entries.
QString noShoeItem()
{
    return QStringLiteral("(kein Schuh)");
}

// "die 12 gewählten Einträge", "den gewählten Eintrag".
QString chosenText(qsizetype count)
{
    return count == 1 ? QStringLiteral("den gewählten Eintrag")
                      : QStringLiteral("die %1 gewählten Einträge").arg(count);
}

} // namespace

void TForm4::connectBulkHandlers()
{
    StringAlignGrid2->setMultiRowSelection(true);
    connect(AssignShoeButton, &QPushButton::clicked, this, &TForm4::AssignShoeButtonClick);
    connect(ChangeSportButton, &QPushButton::clicked, this, &TForm4::ChangeSportButtonClick);
    connect(DeleteEntriesButton, &QPushButton::clicked, this, &TForm4::DeleteEntriesButtonClick);

    // The buttons follow the selection, the rows of the list and the view.
    connect(StringAlignGrid2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm4::enableBulkButtons);
    connect(StringAlignGrid2->model(), &QAbstractItemModel::rowsRemoved, this, &TForm4::enableBulkButtons);
    connect(StringAlignGrid2->model(), &QAbstractItemModel::dataChanged, this, &TForm4::enableBulkButtons);
    for (QToolButton* view : {ToolButton8, ToolButton12})
        connect(view, &QToolButton::toggled, this, &TForm4::enableBulkButtons);

    // The same three actions on the rows chosen, by the right mouse button.
    StringAlignGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringAlignGrid2, &QWidget::customContextMenuRequested, this, [this](const QPoint& place) {
        if (chosenEntries().isEmpty())
            return;
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("ListMenu"));
        for (QPushButton* b : {AssignShoeButton, ChangeSportButton, DeleteEntriesButton}) {
            if (b == DeleteEntriesButton)
                menu.addSeparator();
            connect(menu.addAction(b->text()), &QAction::triggered, b, &QPushButton::click);
        }
        menu.exec(StringAlignGrid2->viewport()->mapToGlobal(place));
    });
    enableBulkButtons();
}

QStringList TForm4::chosenEntries() const
{
    QStringList ids;
    // The empty row below the last entry holds none; a row the filter hides
    // is not chosen, even where a range or "all" covers it.
    for (const int row : StringAlignGrid2->selectedGridRows())
        if (const QString id = StringAlignGrid2->cells(0, row);
            !id.isEmpty() && !StringAlignGrid2->isRowHidden(row - StringAlignGrid2->firstDataRow()))
            ids << id;
    return ids;
}

void TForm4::enableBulkButtons()
{
    const bool any = ToolButton8->isChecked() && !chosenEntries().isEmpty();
    for (QPushButton* b : {AssignShoeButton, ChangeSportButton, DeleteEntriesButton})
        b->setEnabled(any);
}

void TForm4::AssignShoeButtonClick()
{
    const QStringList ids = chosenEntries();
    if (ids.isEmpty() || !ToolButton8->isChecked())
        return;
    // The shoes the editor offers, and none: a shoe given by mistake (to a
    // ride, say) is taken off again.
    QStringList shoes{noShoeItem()};
    for (int i = 0; i < ComboBox2->count(); ++i)
        if (!ComboBox2->itemText(i).isEmpty())
            shoes << ComboBox2->itemText(i);
    const QString shown = m_model.values().shoe;
    const std::optional<QString> chosen =
        Messages::choose(this, QStringLiteral("Schuh zuweisen"), QStringLiteral("Schuh für %1:").arg(chosenText(ids.size())),
                         shoes, shown.isEmpty() ? shoes.value(1, noShoeItem()) : shown);
    if (!chosen)
        return;
    const QString shoe = *chosen == noShoeItem() ? QString() : *chosen;
    guarded(this, [&] {
        m_model.assignShoe(ids, shoe);
        showBulkChange();
    });
}

void TForm4::ChangeSportButtonClick()
{
    const QStringList ids = chosenEntries();
    if (ids.isEmpty() || !ToolButton8->isChecked())
        return;
    QStringList sports;
    for (int i = 1; i < ComboBox3->count(); ++i)
        sports << ComboBox3->itemText(i);
    // Kategorie CHAR(40), a word of the sport list as the editor's field takes it.
    const std::optional<QString> chosen = Messages::choose(
        this, QStringLiteral("Sportart ändern"), QStringLiteral("Sportart für %1:").arg(chosenText(ids.size())),
        sports, m_model.values().sport, true, 40, StoredText::Kind::ListItem);
    if (!chosen)
        return;
    const QString sport = *chosen;
    if (const QString fault = EditorModel::sportFault(sport); !fault.isEmpty()) {
        Messages::inputFaults(this, fault + QStringLiteral("\n\r"));
        return;
    }
    guarded(this, [&] {
        m_model.changeSport(ids, sport);
        // A sport typed anew joins the editor's list, as one saved in the form.
        offerItem(ComboBox3, sport);
        showBulkChange();
    });
}

void TForm4::DeleteEntriesButtonClick()
{
    const QStringList ids = chosenEntries();
    if (ids.isEmpty() || !ToolButton8->isChecked())
        return;
    if (!Messages::confirm(this, QStringLiteral("Bestätigen"),
                           QStringLiteral("Möchten Sie %1 löschen?").arg(chosenText(ids.size()))))
        return;
    guarded(this, [&] {
        m_model.removeEntries(ids);
        showBulkChange();
    });
}

void TForm4::showBulkChange()
{
    // Shoe kilometres and the total are read anew; the entry behind the
    // list is shown as it is stored now, and the list rebuilt.
    forgetDiarySums();
    showEntryCount();
    Blaettern();
    showTotalDistance();
    ToolButton8Click();
    Q_EMIT diaryChanged();
}
