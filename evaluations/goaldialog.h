#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class NumericEdit;
class QPushButton;
class QSpinBox;
class Session;

// The distance goals of a person's year: the kilometres of all sports and,
// optionally, of each sport of the sports list (config.ini, Sportarten).
// An empty field or 0 sets no goal. OK stores them (storage/goals.h).
class GoalDialog : public QDialog
{
    Q_OBJECT

public:
    GoalDialog(Session& session, int userId, int year, QWidget* parent = nullptr);

    // The field of a sport's kilometres; null for a sport not listed.
    NumericEdit* sportKmEdit(const QString& sport) const;

    QSpinBox* YearEdit = nullptr;
    NumericEdit* AllKmEdit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

public Q_SLOTS:
    void YearEditChange();
    void OkButtonClick();

private:
    Session& m_session;
    int m_userId = -1;
    QStringList m_sports;
    QList<NumericEdit*> m_sportEdits; // SportKmEdit1 … in the order of m_sports
};
