#include "radiogroup.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            Q_EMIT itemIndexChanged(id);
    });
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setVerticalSpacing(2);
}

RadioGroup::RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : RadioGroup(parent)
{
    setTitle(title);
    setItems(items, columns);
}

void RadioGroup::setItems(const QStringList& items, int columns)
{
    for (QRadioButton* b : std::as_const(m_buttons)) {
        m_group->removeButton(b);
        delete b;
    }
    m_buttons.clear();
    auto* grid = static_cast<QGridLayout*>(layout());
    columns = qMax(1, columns);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->installEventFilter(this);
        m_group->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
        m_buttons.append(b);
    }
}

QRadioButton* RadioGroup::button(int index) const
{
    return index >= 0 && index < m_buttons.size() ? m_buttons[index] : nullptr;
}

int RadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index == itemIndex())
        return;
    if (index < 0 || index >= m_buttons.size()) {
        // An exclusive group cannot be unchecked by a click; lift the rule for a moment.
        m_group->setExclusive(false);
        for (QRadioButton* b : std::as_const(m_buttons))
            b->setChecked(false);
        m_group->setExclusive(true);
        Q_EMIT itemIndexChanged(-1);
        return;
    }
    m_buttons[index]->setChecked(true);
}

bool RadioGroup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const bool activation = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
                                || reason == Qt::MenuBarFocusReason;
        if (!activation) {
            if (event->type() == QEvent::FocusIn) {
                if (!m_focusInside) {
                    m_focusInside = true;
                    Q_EMIT entered();
                }
            } else {
                QWidget* now = QApplication::focusWidget();
                if (!now || !isAncestorOf(now))
                    m_focusInside = false;
            }
        }
    }
    return QGroupBox::eventFilter(watched, event);
}
