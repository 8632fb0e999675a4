#pragma once

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QString;
class StringGrid;

// Sizes of fields measured by the font in use, so that the texts they are
// made for are shown whole whatever the font and the scale of the screen.
namespace FieldWidth {

// The width a line edit needs to show the sample whole, with its frame,
// margins and side buttons; also when its digits show as a mask's blanks.
int forText(const QLineEdit* edit, const QString& sample);
// The width a drop-down list needs to show the sample whole, with its
// frame and arrow button.
int forText(const QComboBox* combo, const QString& sample);

// The line edit takes exactly the width for the sample.
void fitTo(QLineEdit* edit, const QString& sample);
// The drop-down list may grow, but never gets narrower than the sample.
void atLeast(QComboBox* combo, const QString& sample);
// The memo may grow, but keeps room for the given number of lines.
void keepLines(QPlainTextEdit* memo, int lines);
// The grid may grow, but never gets so narrow that one of its visible
// columns is cut or it scrolls sideways; rows: the record rows it keeps in
// view below the heading.
void keepColumns(StringGrid* grid, int rows);

} // namespace FieldWidth
