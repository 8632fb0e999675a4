#pragma once

#include <QColor>

class QWidget;

// The field colours of the data windows: a locked field is disabled on a
// light grey background, an editable one enabled on white. Each window
// names its grey; most use $E9E9E9.
namespace FieldColours {

inline QColor grey()
{
    return QColor(0xE9, 0xE9, 0xE9); // $E9E9E9, decimal 15329769
}

inline QColor white()
{
    return QColor(0xFF, 0xFF, 0xFF);
}

// The background of the field's text area, in every state of the widget.
void setBackground(QWidget* field, const QColor& colour);
QColor background(const QWidget* field);

// Locked: grey and disabled; editable: white and enabled.
void setLocked(QWidget* field, bool locked, const QColor& lockedColour = grey());

} // namespace FieldColours
