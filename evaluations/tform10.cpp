#include "tform10.h"

#include "besteffort.h"
#include "diaryforms.h"
#include "errorboundary.h"
#include "screenfit.h"
#include "session.h"
#include "stringgrid.h"
#include "textforms.h"
#include "workingwindow.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The exact length of a standard distance in metres.
double exactMetres(int metres)
{
    const course::StandardDistance* d = course::standardDistance(metres);
    return d ? d->exact : double(metres);
}

// "4:19 min/km" for a time over a standard distance, to the second.
QString pace(int metres, double seconds)
{
    const double exact = exactMetres(metres);
    if (!(exact > 0.0) || !(seconds > 0.0))
        return {};
    const qint64 perKm = std::llround(seconds / (exact / 1000.0));
    return paceText(perKm / 60, int(perKm % 60));
}

QString paceOnly(double secondsPerKm)
{
    if (!(secondsPerKm > 0.0))
        return {};
    const qint64 s = std::llround(secondsPerKm);
    return QString::number(s / 60) + QLatin1Char(':') + QString::number(s % 60).rightJustified(2, QLatin1Char('0'));
}

QString paceRange(double slow, double fast)
{
    if (!(slow > 0.0) || !(fast > 0.0))
        return {};
    return paceOnly(slow) + QStringLiteral("–") + paceOnly(fast) + QStringLiteral(" min/km");
}

QString paceOf(double secondsPerKm)
{
    if (!(secondsPerKm > 0.0))
        return {};
    const qint64 s = std::llround(secondsPerKm);
    return paceText(s / 60, int(s % 60));
}

// Where the effort lies: "Laufen, 12,3 km, ab 12:05", "Laufen, 7,0 km, Einheit 2".
QString trainingText(const records::Effort& e)
{
    QStringList parts;
    if (!e.sport.trimmed().isEmpty())
        parts << e.sport.trimmed();
    if (e.entryKm > 0.0)
        parts << distanceText(e.entryKm) + QStringLiteral(" km");
    if (e.unit > 0)
        parts << QStringLiteral("Einheit %1").arg(e.unit);
    else if (e.startSeconds >= 0.0)
        parts << (std::llround(e.startSeconds) == 0 ? QStringLiteral("ab Start")
                                                    : QStringLiteral("ab ") + raceTimeText(e.startSeconds));
    return parts.join(QStringLiteral(", "));
}

StringGrid* makeGrid(QWidget* parent, const QString& name, const QStringList& headings)
{
    auto* grid = new StringGrid(parent);
    grid->setObjectName(name);
    QList<int> widths;
    for (qsizetype i = 0; i < headings.size(); ++i)
        widths << 40;
    grid->setColumns(headings, widths);
    return grid;
}

// Columns as wide as their texts (and the longest texts they may get); the
// grid at least as wide as its columns, and as high as its rows where rows
// is given.
void fitGrid(StringGrid* grid, int rows = 0, const QList<QStringList>& longest = {})
{
    QList<QStringList> samples(grid->columnCount());
    for (int row = grid->firstDataRow(); row < grid->gridRowCount(); ++row)
        for (int c = 0; c < grid->columnCount(); ++c)
            samples[c] << grid->cells(c, row);
    for (int c = 0; c < longest.size() && c < samples.size(); ++c)
        samples[c] << longest[c];
    grid->widenToFit(samples);
    // The last column fills the grid: it counts with its longest text, not
    // with the width the grid gives it now.
    const int last = grid->columnCount() - 1;
    int lastNeeded = grid->horizontalHeader()->sectionSizeHint(last);
    for (const QString& text : std::as_const(samples[last]))
        lastNeeded = qMax(lastNeeded, grid->fontMetrics().horizontalAdvance(text) + 12);
    int width = 2 * grid->frameWidth() + lastNeeded;
    if (rows <= 0)
        width += grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < last; ++c)
        width += grid->columnWidth(c);
    grid->setMinimumWidth(width);
    if (rows > 0) {
        const int height = 2 * grid->frameWidth() + (rows + 1) * grid->defaultRowHeight() + 2;
        grid->setMinimumHeight(height);
        grid->setMaximumHeight(height);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

QGroupBox* box(QWidget* parent, const QString& title, const QList<QWidget*>& inside)
{
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    for (QWidget* w : inside)
        layout->addWidget(w);
    return group;
}

} // namespace

TForm10::TForm10(Session& session, int userId, QWidget* parent)
    : QWidget(parent, workingWindowFlags()), m_session(session), m_userId(userId)
{
    ScreenFit::keepOnScreen(this);
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Bestleistungen"));
    setAttribute(Qt::WA_DeleteOnClose);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Die Bestzeiten aller Jahre oder eines Jahres zeigen"));
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    RecordsGrid = makeGrid(this, QStringLiteral("RecordsGrid"),
                           {QStringLiteral("Strecke"), QStringLiteral("Zeit"), QStringLiteral("Tempo"),
                            QStringLiteral("Datum"), QStringLiteral("Training")});
    RecordsGrid->setToolTip(QStringLiteral("Doppelklick: die Trainingseinheit im Tagebuch zeigen"));
    RecordsGrid->installEventFilter(this);
    BasisLabel = new QLabel(this);
    BasisLabel->setObjectName(QStringLiteral("BasisLabel"));
    BasisLabel->setWordWrap(true);
    BasisLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PredictionGrid = makeGrid(this, QStringLiteral("PredictionGrid"),
                              {QStringLiteral("Strecke"), QStringLiteral("Riegel"), QStringLiteral("Tempo"),
                               QStringLiteral("VDOT-Modell"), QStringLiteral("Tempo")});
    PacesGrid = makeGrid(this, QStringLiteral("PacesGrid"), {QStringLiteral("Training"), QStringLiteral("Tempo")});
    CloseButton = new QPushButton(QStringLiteral("Schließen"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    auto* top = new QHBoxLayout;
    auto* periodLabel = new QLabel(QStringLiteral("&Zeitraum"), this);
    periodLabel->setBuddy(ComboBox1);
    top->addWidget(periodLabel);
    top->addWidget(ComboBox1);
    top->addStretch(1);

    auto* lower = new QHBoxLayout;
    lower->addWidget(box(this, QStringLiteral(" Prognose (letzte %1 Tage) ").arg(records::kPredictionDays),
                         {BasisLabel, PredictionGrid}),
                     3);
    lower->addWidget(box(this, QStringLiteral(" Trainingstempo "), {PacesGrid}), 2);
    lower->setAlignment(Qt::AlignTop);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(box(this, QStringLiteral(" Bestzeiten "), {RecordsGrid}), 1);
    layout->addLayout(lower);
    layout->addLayout(bottom);

    records::Forecast forecast;
    guarded(this, [&] {
        m_table = records::read(m_session.ZDatabase1, m_userId);
        forecast = records::forecast(records::since(
            m_session.ZDatabase1, m_userId, QDate::currentDate().addDays(-records::kPredictionDays)));
    });
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->addItem(QStringLiteral("alle Jahre"), 0);
        for (const int year : m_table.years)
            ComboBox1->addItem(QString::number(year), year);
    }
    fillRecords();
    fillForecast(forecast);
    resize(860, 620);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm10::ComboBox1Change);
    connect(RecordsGrid, &StringGrid::dblClick, this, &TForm10::RecordsGridDblClick);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
}

void TForm10::ComboBox1Change()
{
    guarded(this, [&] { fillRecords(); });
}

void TForm10::fillRecords()
{
    const int year = ComboBox1->currentData().toInt();
    // A year's best times are read when it is first chosen.
    if (year != 0 && !m_years.contains(year))
        m_years.insert(year, records::ofYear(m_session.ZDatabase1, m_userId, year));
    const QList<records::Effort>& list = year == 0 ? m_table.allTime : m_years[year];
    m_shown.clear();
    for (const course::StandardDistance& d : course::standardDistances()) {
        const QList<records::Effort> best = records::Table::ofDistance(list, d.metres);
        m_shown.append(best.mid(0, 3));
    }
    RecordsGrid->clearRows();
    RecordsGrid->setGridRowCount(int(m_shown.size()) + 1);
    for (int i = 0; i < m_shown.size(); ++i) {
        const records::Effort& e = m_shown[i];
        const int row = i + 1;
        RecordsGrid->setCells(0, row, course::distanceName(e.metres));
        RecordsGrid->setCells(1, row, raceTimeText(double(e.wholeSeconds())));
        RecordsGrid->setCells(2, row, pace(e.metres, double(e.wholeSeconds())));
        RecordsGrid->setCells(3, row, dateText(e.date));
        RecordsGrid->setCells(4, row, trainingText(e));
    }
    fitGrid(RecordsGrid);
}

void TForm10::fillForecast(const records::Forecast& forecast)
{
    const QLocale german(QLocale::German);
    if (!forecast.base) {
        BasisLabel->setText(QStringLiteral("Keine Bestleistung über 1 Meile oder mehr in den letzten %1 Tagen: "
                                           "keine Prognose.")
                                .arg(records::kPredictionDays));
    } else {
        const records::Effort& b = *forecast.base;
        BasisLabel->setText(QStringLiteral("Grundlage: %1 in %2 am %3 (VDOT %4)")
                                .arg(course::distanceName(b.metres), raceTimeText(double(b.wholeSeconds())),
                                     dateText(b.date), german.toString(forecast.vdot, 'f', 1)));
    }
    const QList<records::PredictionRow> rows = forecast.base ? forecast.rows : QList<records::PredictionRow>{};
    PredictionGrid->setGridRowCount(4 + 1);
    for (int i = 0; i < rows.size() && i < 4; ++i) {
        const records::PredictionRow& r = rows[i];
        const int row = i + 1;
        PredictionGrid->setCells(0, row, course::distanceName(r.metres));
        PredictionGrid->setCells(1, row, raceTimeText(r.riegel));
        PredictionGrid->setCells(2, row, pace(r.metres, std::round(r.riegel)));
        PredictionGrid->setCells(3, row, raceTimeText(r.vdot));
        PredictionGrid->setCells(4, row, pace(r.metres, std::round(r.vdot)));
    }
    // Room for the longest texts also while the grid is empty.
    fitGrid(PredictionGrid, 4,
            {{QStringLiteral("Halbmarathon")}, {QStringLiteral("10:00:00")}, {QStringLiteral("10:00 min/km")},
             {QStringLiteral("10:00:00")}, {QStringLiteral("10:00 min/km")}});

    const QStringList names{QStringLiteral("Dauerlauf locker (E)"), QStringLiteral("Marathontempo (M)"),
                            QStringLiteral("Schwelle (T)"), QStringLiteral("Intervall (I)"),
                            QStringLiteral("Wiederholung (R)")};
    const predictions::Paces& p = forecast.paces;
    const QStringList paces{paceRange(p.easySlow, p.easyFast), paceOf(p.marathon), paceOf(p.threshold),
                            paceOf(p.interval), paceOf(p.repetition)};
    PacesGrid->setGridRowCount(int(names.size()) + 1);
    for (int i = 0; forecast.base && i < names.size(); ++i) {
        PacesGrid->setCells(0, i + 1, names[i]);
        PacesGrid->setCells(1, i + 1, paces[i]);
    }
    fitGrid(PacesGrid, int(names.size()), {names, {QStringLiteral("10:00–10:00 min/km")}});
}

void TForm10::RecordsGridDblClick()
{
    const int row = RecordsGrid->currentGridRow() - RecordsGrid->firstDataRow();
    if (row < 0 || row >= m_shown.size())
        return;
    Q_EMIT entryChosen(m_shown[row].entryId);
}

bool TForm10::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RecordsGrid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RecordsGridDblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
