#include "goaldialog.h"

#include "database.h"
#include "errorboundary.h"
#include "goals.h"
#include "numericedit.h"
#include "session.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kKmDigits = 6;

NumericEdit* kmEdit(QWidget* parent, const QString& name)
{
    auto* edit = new NumericEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(kKmDigits);
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0")) * (kKmDigits + 3));
    return edit;
}

} // namespace

GoalDialog::GoalDialog(Session& session, int userId, int year, QWidget* parent)
    : QDialog(parent), m_session(session), m_userId(userId)
{
    setObjectName(QStringLiteral("GoalDialog"));
    setWindowTitle(QStringLiteral("Jahresziel"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Geplante Kilometer des Jahres; ein leeres Feld setzt kein Ziel."), this);
    hint->setObjectName(QStringLiteral("HintLabel"));
    layout->addWidget(hint);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    YearEdit = new QSpinBox(this);
    YearEdit->setObjectName(QStringLiteral("YearEdit"));
    YearEdit->setRange(1900, 2999);
    YearEdit->setValue(year);
    form->addRow(QStringLiteral("&Jahr:"), YearEdit);
    AllKmEdit = kmEdit(this, QStringLiteral("AllKmEdit"));
    form->addRow(QStringLiteral("&Alle Sportarten (km):"), AllKmEdit);

    guarded(this, [&] {
        m_sports = splitItemList(m_session.settings().readString(
            QStringLiteral("Sportarten"), QStringLiteral("Items"), QStringLiteral("Laufen%Radfahren%Schwimmen%")));
        // A sport with a goal keeps its field also when the list no longer names it.
        for (const Goals::Goal& g : Goals::ofYear(m_session.ZDatabase1, m_userId, year))
            if (!g.sport.isEmpty() && !m_sports.contains(g.sport))
                m_sports << g.sport;
    });
    m_sports.removeAll(QString());
    m_sports.removeDuplicates();
    for (const QString& sport : std::as_const(m_sports)) {
        NumericEdit* edit = kmEdit(this, QStringLiteral("SportKmEdit%1").arg(m_sportEdits.size() + 1));
        m_sportEdits << edit;
        form->addRow(sport + QStringLiteral(" (km):"), edit);
    }

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    connect(OkButton, &QPushButton::clicked, this, &GoalDialog::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(YearEdit, &QSpinBox::valueChanged, this, &GoalDialog::YearEditChange);
    YearEditChange();
}

NumericEdit* GoalDialog::sportKmEdit(const QString& sport) const
{
    const qsizetype i = m_sports.indexOf(sport);
    return i >= 0 ? m_sportEdits[i] : nullptr;
}

void GoalDialog::YearEditChange()
{
    guarded(this, [&] {
        const QList<Goals::Goal> goals = Goals::ofYear(m_session.ZDatabase1, m_userId, YearEdit->value());
        const auto text = [&](const QString& sport) {
            for (const Goals::Goal& g : goals)
                if (g.sport == sport)
                    return QString::number(qRound64(g.km));
            return QString();
        };
        const QSignalBlocker block(AllKmEdit);
        AllKmEdit->setText(text(QString()));
        for (qsizetype i = 0; i < m_sports.size(); ++i) {
            const QSignalBlocker blockSport(m_sportEdits[i]);
            m_sportEdits[i]->setText(text(m_sports[i]));
        }
    });
}

void GoalDialog::OkButtonClick()
{
    const int year = YearEdit->value();
    const bool stored = guarded(this, [&] {
        // All goals of the year or none.
        Database& db = m_session.ZDatabase1;
        Transaction transaction(db);
        Goals::set(db, m_userId, {year, QString(), double(AllKmEdit->intValue())});
        for (qsizetype i = 0; i < m_sports.size(); ++i)
            Goals::set(db, m_userId, {year, m_sports[i], double(m_sportEdits[i]->intValue())});
        transaction.commit();
    });
    if (stored)
        accept();
}
