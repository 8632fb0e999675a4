#include "fieldwidth.h"

#include "stringgrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextDocument>

#include <cmath>

namespace FieldWidth {

int forText(const QLineEdit* edit, const QString& sample)
{
    // A line edit asks for room for 17 x; what it asks beyond them is its
    // frame, margins and side buttons.
    const QFontMetrics metrics = edit->fontMetrics();
    const int chrome = edit->sizeHint().width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
    // A masked field shows its unfilled digits as the blank character.
    QString blanks = sample;
    for (QChar& c : blanks)
        if (c.isDigit())
            c = QLatin1Char('_');
    const int text = qMax(metrics.horizontalAdvance(sample), metrics.horizontalAdvance(blanks));
    // Half a character more, so that the cursor behind the last one and
    // the text do not touch the frame.
    return chrome + text + (metrics.averageCharWidth() + 1) / 2;
}

int forText(const QComboBox* combo, const QString& sample)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    option.subControls = QStyle::SC_All;
    const QFontMetrics metrics = combo->fontMetrics();
    const QSize text(metrics.horizontalAdvance(sample) + 1, metrics.height());
    return combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, combo).width();
}

void fitTo(QLineEdit* edit, const QString& sample)
{
    edit->setFixedWidth(forText(edit, sample));
}

void atLeast(QComboBox* combo, const QString& sample)
{
    combo->setMinimumWidth(forText(combo, sample));
}

void keepLines(QPlainTextEdit* memo, int lines)
{
    const int margin = int(std::ceil(memo->document()->documentMargin()));
    memo->setMinimumHeight(lines * memo->fontMetrics().lineSpacing() + 2 * margin + 2 * memo->frameWidth());
}

void keepColumns(StringGrid* grid, int rows)
{
    int columns = 0;
    for (int c = 0; c < grid->columnCount(); ++c)
        columns += grid->gridColumnWidth(c);
    const int frame = 2 * grid->frameWidth();
    const int scrollBar = grid->verticalScrollBar()->sizeHint().width();
    grid->setMinimumWidth(columns + scrollBar + frame);
    const int heading = grid->hasHeading() ? grid->defaultRowHeight() : 0;
    grid->setMinimumHeight(heading + rows * grid->defaultRowHeight() + frame);
}

} // namespace FieldWidth
