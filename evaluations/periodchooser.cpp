#include "periodchooser.h"

#include "dateedit.h"
#include "diarysums.h"
#include "errorboundary.h"
#include "inifile.h"
#include "session.h"
#include "textforms.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace evaluation {

namespace {

const QString kStart = QStringLiteral("StartDate");
const QString kEnd = QStringLiteral("EndDate");
const QString kSavedOn = QStringLiteral("SavedOn");
const QString kQuick = QStringLiteral("QuickPeriod");

constexpr int kQuickPeriods = int(QuickPeriod::Everything) + 1;

} // namespace

QStringList quickPeriodCaptions()
{
    return {QStringLiteral("benutzerdefiniert"), QStringLiteral("letzte 4 Wochen"), QStringLiteral("dieser Monat"),
            QStringLiteral("dieses Jahr"),       QStringLiteral("letzte 12 Monate"), QStringLiteral("alles")};
}

Period quickPeriod(QuickPeriod kind, const QDate& today, const Period& diary)
{
    switch (kind) {
    case QuickPeriod::LastFourWeeks:
        return {today.addDays(-27), today};
    case QuickPeriod::ThisMonth:
        return {QDate(today.year(), today.month(), 1), today};
    case QuickPeriod::ThisYear:
        return {QDate(today.year(), 1, 1), today};
    case QuickPeriod::LastTwelveMonths:
        return {today.addYears(-1).addDays(1), today};
    case QuickPeriod::Everything:
        if (diary.from.isValid() && diary.to.isValid())
            return diary;
        return {today, today};
    case QuickPeriod::Own:
        break;
    }
    return {};
}

PeriodChooser::PeriodChooser(Session& session, DateEdit* from, DateEdit* to, QComboBox* quick, int userId,
                             QObject* parent)
    : QObject(parent), m_session(session), m_from(from), m_to(to), m_quick(quick), m_userId(userId)
{
    connect(m_quick, &QComboBox::currentIndexChanged, this, [this](int index) {
        choose(QuickPeriod(index));
    });
    // A date changed in its field is the user's own period.
    for (DateEdit* field : {m_from, m_to}) {
        connect(field, &DateEdit::changed, this, [this] {
            const QSignalBlocker block(m_quick);
            m_quick->setCurrentIndex(int(QuickPeriod::Own));
        });
    }
}

QuickPeriod PeriodChooser::current() const
{
    return QuickPeriod(qBound(0, m_quick->currentIndex(), kQuickPeriods - 1));
}

Period PeriodChooser::diarySpan() const
{
    const DiarySpan span = GetDiarySpan(m_session.ZDatabase1, m_userId);
    return {span.first, span.last};
}

void PeriodChooser::show(QuickPeriod kind, const QDate& today)
{
    const Period period = quickPeriod(kind, today, kind == QuickPeriod::Everything ? diarySpan() : Period{});
    const QSignalBlocker b1(m_from);
    const QSignalBlocker b2(m_to);
    const QSignalBlocker b3(m_quick);
    m_from->setDate(period.from);
    m_to->setDate(period.to);
    m_quick->setCurrentIndex(int(kind));
}

void PeriodChooser::choose(QuickPeriod kind, const QDate& today)
{
    if (kind == QuickPeriod::Own)
        return;
    if (guarded(m_from->window(), [&] { show(kind, today); }))
        Q_EMIT periodChosen();
}

void PeriodChooser::restore(const IniFile& ini, const QString& section, const QDate& today)
{
    const QString start = ini.readString(section, kStart, QString());
    const int quick = ini.readInteger(section, kQuick, 0);
    if (start.isEmpty() || (quick > 0 && quick < kQuickPeriods)) {
        const QuickPeriod kind = start.isEmpty() ? QuickPeriod::LastTwelveMonths : QuickPeriod(quick);
        if (guarded(m_from->window(), [&] { show(kind, today); }))
            return;
    }
    const QSignalBlocker b1(m_from);
    const QSignalBlocker b2(m_to);
    const QSignalBlocker b3(m_quick);
    m_from->setText(start);
    const QString end = ini.readString(section, kEnd, dateText(today));
    const QDate savedOn = parseDateText(ini.readString(section, kSavedOn, QString()));
    const QDate endDate = parseDateText(end);
    // An end that was the day of saving means "until today".
    if (savedOn.isValid() && endDate == savedOn && today > endDate)
        m_to->setDate(today);
    else
        m_to->setText(end);
    m_quick->setCurrentIndex(int(QuickPeriod::Own));
}

void PeriodChooser::save(IniFile& ini, const QString& section, const QDate& today) const
{
    ini.writeString(section, kStart, m_from->text());
    ini.writeString(section, kEnd, m_to->text());
    ini.writeString(section, kSavedOn, dateText(today));
    ini.writeInteger(section, kQuick, int(current()));
}

} // namespace evaluation
