#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A radio group (`RadioGroup…`): a framed group of choices laid
// out in columns, with an item index that is -1 while nothing is chosen.
// entered() is emitted when the focus moves into the group from outside it
// (the windows' `…Enter` handlers), not when the window is merely activated again.
class RadioGroup : public QGroupBox
{
    Q_OBJECT

public:
    explicit RadioGroup(QWidget* parent = nullptr);
    RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent = nullptr);

    void setItems(const QStringList& items, int columns = 1);
    int count() const { return int(m_buttons.size()); }
    QRadioButton* button(int index) const;

    int itemIndex() const;
    // -1 clears the choice.
    void setItemIndex(int index);

Q_SIGNALS:
    void entered();
    void itemIndexChanged(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QButtonGroup* m_group;
    QList<QRadioButton*> m_buttons;
    bool m_focusInside = false;
};
