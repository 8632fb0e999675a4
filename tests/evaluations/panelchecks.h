#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>

// The controls of an evaluation window's left panel that the font in use
// cuts off (narrower or lower than their texts need) or that the panel's
// scroll area cannot bring into view; empty when all are whole.
inline QStringList cutOrUnreachable(QScrollArea* area)
{
    QStringList faults;
    QWidget* panel = area->widget();
    for (QWidget* w : panel->findChildren<QWidget*>()) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (!qobject_cast<QLabel*>(w) && !(button && !button->text().isEmpty()) && !qobject_cast<QComboBox*>(w))
            continue; // picture buttons have their own size
        const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        const QSize need = w->minimumSizeHint().expandedTo(qobject_cast<QComboBox*>(w) ? QSize() : w->sizeHint());
        if (w->width() < need.width() || w->height() < need.height())
            faults << name + QStringLiteral(" cut");
        area->ensureWidgetVisible(w, 0, 0);
        const QRect inView(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
        if (!area->viewport()->rect().contains(inView))
            faults << name + QStringLiteral(" out of reach");
        if (w->mapTo(panel, QPoint(w->width(), 0)).x() > panel->width())
            faults << name + QStringLiteral(" beyond the panel");
    }
    area->verticalScrollBar()->setValue(0);
    return faults;
}
