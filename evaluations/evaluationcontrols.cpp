#include "evaluationcontrols.h"

#include "dateedit.h"
#include "messages.h"
#include "periodchooser.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QDate>
#include <QFrame>
#include <QGroupBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>

namespace evaluation {

SummaryBox::SummaryBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    setTristate(true);
}

void SummaryBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

PanelList::PanelList(QWidget* parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
}

bool PanelList::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && shownText() != currentText()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), currentText(), this);
        return true;
    }
    return QComboBox::event(event);
}

QRect PanelList::textRect() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).adjusted(1, 0, -1, 0);
}

QString PanelList::shownText() const
{
    return fontMetrics().elidedText(currentText(), Qt::ElideRight, textRect().width());
}

void PanelList::showPopup()
{
    // The open list shows every item whole, also where the panel is narrower.
    QAbstractItemView* list = view();
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = qMax(widest, list->sizeHintForIndex(model()->index(i, modelColumn(), rootModelIndex())).width());
    list->setMinimumWidth(widest + 2 * list->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
    QComboBox::showPopup();
}

void PanelList::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void setInUse(QCheckBox* box, bool inUse)
{
    const QSignalBlocker block(box);
    box->setEnabled(inUse);
    if (inUse && box->checkState() == Qt::PartiallyChecked)
        box->setCheckState(Qt::Checked);
    else if (!inUse && box->checkState() == Qt::Checked)
        box->setCheckState(Qt::PartiallyChecked);
}

QGroupBox* makePeriodGroup(QWidget* parent, const QString& quickName, QComboBox*& quick, DateEdit*& from,
                           DateEdit*& to, QVBoxLayout*& layout)
{
    auto* group = new QGroupBox(QStringLiteral(" Auswertungszeitraum "), parent);
    group->setObjectName(QStringLiteral("GroupBox1"));
    quick = new QComboBox(group);
    quick->setObjectName(quickName);
    quick->addItems(quickPeriodCaptions());
    quick->setToolTip(QStringLiteral("Zeitraum schnell wählen: setzt Start- und Enddatum"));
    from = new DateEdit(group);
    from->setObjectName(QStringLiteral("FromDate1"));
    to = new DateEdit(group);
    to->setObjectName(QStringLiteral("TilDate1"));
    layout = new QVBoxLayout(group);
    layout->addWidget(quick);
    layout->addWidget(from);
    layout->addWidget(to);
    return group;
}

QScrollArea* makeScrollingPanel(QWidget* parent, QWidget* panel)
{
    auto* area = new QScrollArea(parent);
    area->setObjectName(QStringLiteral("ScrollBox1"));
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setWidget(panel);
    // Room for the scroll bar beside the panel, so that it covers nothing.
    area->setFixedWidth(panel->minimumWidth() + area->verticalScrollBar()->sizeHint().width());
    area->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    return area;
}

QFrame* makeLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

bool acceptStartDate(QWidget* parent, const QDate& start, const QDate& end)
{
    if (end.isValid() && !(start < end)) {
        Messages::beep();
        Messages::error(parent, QStringLiteral("Das Startdatum muss vor dem gewählten Enddatum liegen."));
        return false;
    }
    return true;
}

bool acceptEndDate(QWidget* parent, const QDate& start, const QDate& end)
{
    if (start.isValid() && !(end > start)) {
        Messages::beep();
        Messages::error(parent, QStringLiteral("Das Enddatum muss nach dem gewählten Startdatum liegen."));
        return false;
    }
    return true;
}

} // namespace evaluation
