#include "fieldcolours.h"

#include <QPalette>
#include <QWidget>

namespace FieldColours {

void setBackground(QWidget* field, const QColor& colour)
{
    QPalette palette = field->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, colour);
    field->setPalette(palette);
}

QColor background(const QWidget* field)
{
    return field->palette().color(QPalette::Base);
}

void setLocked(QWidget* field, bool locked, const QColor& lockedColour)
{
    setBackground(field, locked ? lockedColour : white());
    field->setEnabled(!locked);
}

} // namespace FieldColours
