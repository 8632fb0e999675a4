#pragma once

#include <QWidget>

// The bar of a distance goal: the kilometres done against those planned,
// with a mark where the runner should be today. Over the plan the bar is
// full.
class GoalBar : public QWidget
{
    Q_OBJECT

public:
    explicit GoalBar(QWidget* parent = nullptr);

    void setValues(double done, double planned, double due);
    double done() const { return m_done; }
    double planned() const { return m_planned; }
    double due() const { return m_due; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_done = 0.0;
    double m_planned = 0.0;
    double m_due = 0.0;
};
