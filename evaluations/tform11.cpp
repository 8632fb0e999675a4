#include "tform11.h"

#include "dateedit.h"
#include "diaryforms.h"
#include "errorboundary.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "screenfit.h"
#include "session.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "textforms.h"
#include "workingwindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kLineEnd = QStringLiteral("\n\r");
const QString kGoalMask = QStringLiteral("!90:00:00;1;_");

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// The goal time of the field in seconds: 0 for an empty field, -1 for a
// text that is no time (minutes and seconds below 60, more than nothing).
int goalSecondsOf(const MaskEdit* edit)
{
    if (edit->isEmpty())
        return 0;
    const QStringList parts = edit->completedText().split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    int values[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const QString part = parts[i].trimmed();
        bool ok = part.isEmpty() && i == 0;
        if (!part.isEmpty())
            values[i] = part.toInt(&ok);
        if (!ok || values[i] < 0)
            return -1;
    }
    if (values[1] > 59 || values[2] > 59)
        return -1;
    const int seconds = values[0] * 3600 + values[1] * 60 + values[2];
    return seconds > 0 ? seconds : -1;
}

QString goalText(int seconds)
{
    if (seconds <= 0)
        return {};
    return QString::asprintf("%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// Kilometres as the field takes them: "10", "21,098".
QString kmText(double km)
{
    QString text = QString::number(std::round(km * 1000.0) / 1000.0, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

TForm11::TForm11(Session& session, int userId, QWidget* parent)
    : QWidget(parent, workingWindowFlags()), m_session(session), m_userId(userId)
{
    ScreenFit::keepOnScreen(this);
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(QStringLiteral("Wettkämpfe"));
    setAttribute(Qt::WA_DeleteOnClose);

    RacesGrid = new StringGrid(this);
    RacesGrid->setObjectName(QStringLiteral("RacesGrid"));
    RacesGrid->setColumns({QStringLiteral("Datum"), QStringLiteral("Wettkampf"), QStringLiteral("Strecke"),
                           QStringLiteral("Zielzeit"), QStringLiteral("Ergebnis"), QStringLiteral("Notizen")},
                          {80, 200, 80, 70, 130, 120});
    RacesGrid->widenToFit({{QStringLiteral("00.00.0000")}, {}, {QStringLiteral("42,195 km")}, {QStringLiteral("10:00:00")},
                           {QStringLiteral("10:00:00 (42,2 km)"), QStringLiteral("kein Ergebnis")}});
    RacesGrid->setToolTip(QStringLiteral("Doppelklick: die Trainingseinheit des Ergebnisses im Tagebuch zeigen"));
    RacesGrid->installEventFilter(this);

    auto* fields = new QGroupBox(QStringLiteral(" Wettkampf "), this);
    DateEdit1 = new DateEdit(fields);
    DateEdit1->setObjectName(QStringLiteral("DateEdit1"));
    Edit1 = new QLineEdit(fields);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    StoredText::limit(Edit1, Races::kNameLength);
    NumericEdit1 = new NumericEdit(fields);
    NumericEdit1->setObjectName(QStringLiteral("NumericEdit1"));
    NumericEdit1->setKeyFilter(&NumericEdit::decimalKey);
    NumericEdit1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    NumericEdit1->setFixedWidth(NumericEdit1->fontMetrics().horizontalAdvance(QStringLiteral("000,000")) + 16);
    MaskEdit1 = new MaskEdit(kGoalMask, fields);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setFixedWidth(MaskEdit1->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 16);
    MaskEdit1->setToolTip(QStringLiteral("Zielzeit h:mm:ss, darf leer bleiben"));
    Memo1 = new MemoEdit(fields);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setMaxLength(Races::kNotesLength);
    Memo1->setTabChangesFocus(true);
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 3 + 12);

    auto* grid = new QGridLayout(fields);
    const auto label = [&](const QString& text, QWidget* buddy, int row, int column) {
        auto* l = new QLabel(text, fields);
        l->setBuddy(buddy);
        grid->addWidget(l, row, column);
    };
    label(QStringLiteral("&Datum"), DateEdit1, 0, 0);
    grid->addWidget(DateEdit1, 0, 1);
    label(QStringLiteral("&Name"), Edit1, 0, 2);
    grid->addWidget(Edit1, 0, 3, 1, 3);
    label(QStringLiteral("&Strecke (km)"), NumericEdit1, 1, 0);
    grid->addWidget(NumericEdit1, 1, 1);
    label(QStringLiteral("&Zielzeit"), MaskEdit1, 1, 2);
    grid->addWidget(MaskEdit1, 1, 3);
    label(QStringLiteral("N&otizen"), Memo1, 2, 0);
    grid->addWidget(Memo1, 2, 1, 1, 5);
    grid->setColumnStretch(5, 1);

    NewButton = makeButton(this, QStringLiteral("NewButton"), QStringLiteral("&Neu"));
    SaveButton = makeButton(this, QStringLiteral("SaveButton"), QStringLiteral("S&peichern"));
    DeleteButton = makeButton(this, QStringLiteral("DeleteButton"), QStringLiteral("&Löschen"));
    CloseButton = makeButton(this, QStringLiteral("CloseButton"), QStringLiteral("Schließen"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(NewButton);
    buttons->addWidget(SaveButton);
    buttons->addWidget(DeleteButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RacesGrid, 1);
    layout->addWidget(fields);
    layout->addLayout(buttons);

    readRaces();
    resize(QSize(860, 560).expandedTo(minimumSizeHint()));

    connect(NewButton, &QPushButton::clicked, this, &TForm11::NewButtonClick);
    connect(SaveButton, &QPushButton::clicked, this, &TForm11::SaveButtonClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TForm11::DeleteButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(RacesGrid, &StringGrid::selectCell, this, &TForm11::RacesGridSelectCell);
    connect(RacesGrid, &StringGrid::dblClick, this, &TForm11::RacesGridDblClick);
}

void TForm11::readRaces(const QString& chooseId)
{
    QList<raceresults::RaceResult> races;
    if (!guarded(this, [&] { races = raceresults::ofPerson(m_session.ZDatabase1, m_userId); }))
        return;
    m_races = races;
    const QDate today = QDate::currentDate();
    const QSignalBlocker block(RacesGrid);
    RacesGrid->clearRows();
    RacesGrid->setGridRowCount(int(m_races.size()) + 1);
    int chosen = -1;
    for (int i = 0; i < m_races.size(); ++i) {
        const raceresults::RaceResult& r = m_races[i];
        const int row = i + 1;
        RacesGrid->setCells(0, row, dateText(r.race.date));
        RacesGrid->setCells(1, row, r.race.name);
        RacesGrid->setCells(2, row, kmText(r.race.km) + QStringLiteral(" km"));
        RacesGrid->setCells(3, row, goalText(r.race.goalSeconds));
        RacesGrid->setCells(4, row, raceresults::resultText(r, today));
        RacesGrid->setCells(5, row, QString(r.race.notes).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        if (!chooseId.isEmpty() && r.race.id == chooseId)
            chosen = row;
    }
    if (chosen > 0) {
        RacesGrid->setCurrentGridRow(chosen, false);
        showRace(m_races[chosen - 1].race);
    } else {
        RacesGrid->setCurrentItem(nullptr);
        showRace({});
        m_editing = false;
    }
}

void TForm11::showRace(const Races::Race& race)
{
    m_editedId = race.id;
    m_editing = true;
    const QSignalBlocker b1(DateEdit1), b2(Edit1), b3(NumericEdit1), b4(MaskEdit1), b5(Memo1);
    DateEdit1->setDate(race.date);
    Edit1->setText(race.name);
    NumericEdit1->setText(race.km > 0.0 ? kmText(race.km) : QString());
    MaskEdit1->setText(goalText(race.goalSeconds));
    Memo1->setPlainText(race.notes);
    m_loaded = fieldTexts();
    DeleteButton->setEnabled(!race.id.isEmpty());
}

QStringList TForm11::fieldTexts() const
{
    return {DateEdit1->text(), Edit1->text(), NumericEdit1->text(), MaskEdit1->text(), Memo1->toPlainText()};
}

bool TForm11::hasUnsavedChanges() const
{
    return m_editing && fieldTexts() != m_loaded;
}

bool TForm11::askToSaveChanges()
{
    if (!hasUnsavedChanges())
        return true;
    const QMessageBox::StandardButton answer =
        Messages::show(this, QMessageBox::Question, QStringLiteral("Bestätigen"),
                       QStringLiteral("Sie haben Ihre Eintragungen noch nicht abgespeichert. "
                                      "Möchten Sie die Änderungen jetzt speichern?"),
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    SaveButtonClick();
    return !hasUnsavedChanges();
}

void TForm11::NewButtonClick()
{
    if (!askToSaveChanges())
        return;
    {
        const QSignalBlocker block(RacesGrid);
        RacesGrid->setCurrentItem(nullptr);
    }
    showRace({});
    DateEdit1->setFocus();
}

QString TForm11::inputFaults(Races::Race* race) const
{
    QString faults;
    race->id = m_editedId;
    race->userId = m_userId;
    race->date = DateEdit1->date();
    race->name = Edit1->text().trimmed();
    race->notes = Memo1->toPlainText().trimmed();
    bool ok = false;
    race->km = NumericEdit1->decimalValue(&ok);
    race->goalSeconds = goalSecondsOf(MaskEdit1);
    if (!race->date.isValid())
        faults += QStringLiteral("- das Datum ist kein gültiges Datum") + kLineEnd;
    if (race->name.isEmpty())
        faults += QStringLiteral("- der Name des Wettkampfs darf nicht leer sein") + kLineEnd;
    else if (const QString f = StoredText::fault(QStringLiteral("Name"), race->name, Races::kNameLength,
                                                 StoredText::Kind::Line);
             !f.isEmpty())
        faults += f + kLineEnd;
    if (!ok || !(race->km > 0.0) || !std::isfinite(race->km))
        faults += QStringLiteral("- die Strecke muss größer als 0 km sein") + kLineEnd;
    if (race->goalSeconds < 0)
        faults += QStringLiteral("- die Zielzeit ist keine Zeit (h:mm:ss)") + kLineEnd;
    if (const QString f = StoredText::fault(QStringLiteral("Notizen"), race->notes, Races::kNotesLength,
                                            StoredText::Kind::Memo);
        !f.isEmpty())
        faults += f + kLineEnd;
    return faults;
}

void TForm11::SaveButtonClick()
{
    if (!m_editing)
        return;
    Races::Race race;
    const QString faults = inputFaults(&race);
    if (!faults.isEmpty()) {
        Messages::beep();
        Messages::inputFaults(this, faults);
        return;
    }
    bool written = true;
    QString id = race.id;
    if (!guarded(this, [&] {
            if (id.isEmpty())
                id = Races::insert(m_session.ZDatabase1, race);
            else
                written = Races::update(m_session.ZDatabase1, race);
        }))
        return; // the input stays and can be saved again
    if (!written) {
        // Deleted at another workstation meanwhile: the input stays and is
        // saved as a new race the next time.
        m_editedId.clear();
        Messages::deletedElsewhere(this, QStringLiteral("Der Wettkampf"), QStringLiteral("neuen Wettkampf"));
        const QStringList typed = fieldTexts();
        readRaces();
        showRace({});
        const QSignalBlocker b1(DateEdit1), b2(Edit1), b3(NumericEdit1), b4(MaskEdit1), b5(Memo1);
        DateEdit1->setText(typed[0]);
        Edit1->setText(typed[1]);
        NumericEdit1->setText(typed[2]);
        MaskEdit1->setText(typed[3]);
        Memo1->setPlainText(typed[4]);
        return;
    }
    readRaces(id);
}

void TForm11::DeleteButtonClick()
{
    if (m_editedId.isEmpty())
        return;
    const QString name = m_loaded.value(1);
    if (!Messages::confirm(this, QStringLiteral("Bestätigen"),
                           QStringLiteral("Möchten Sie den Wettkampf „%1“ löschen?").arg(name)))
        return;
    bool deletedElsewhere = false;
    if (!guarded(this, [&] { deletedElsewhere = !Races::remove(m_session.ZDatabase1, m_editedId); }))
        return;
    readRaces();
    if (deletedElsewhere)
        Messages::deletedElsewhere(this, QStringLiteral("Der Wettkampf"));
}

void TForm11::RacesGridSelectCell(int column, int row, bool* canSelect)
{
    Q_UNUSED(column);
    const int index = row - RacesGrid->firstDataRow();
    if (index < 0 || index >= m_races.size() || m_races[index].race.id == m_editedId) {
        if (index >= m_races.size() && canSelect)
            *canSelect = false; // the empty row holds no race
        return;
    }
    const QString wanted = m_races[index].race.id;
    if (!askToSaveChanges()) {
        if (canSelect)
            *canSelect = false;
        return;
    }
    // A save may have read the list anew: the race is found by its ID.
    for (const raceresults::RaceResult& r : std::as_const(m_races))
        if (r.race.id == wanted)
            showRace(r.race);
}

void TForm11::RacesGridDblClick()
{
    const int index = RacesGrid->currentGridRow() - RacesGrid->firstDataRow();
    if (index < 0 || index >= m_races.size() || !m_races[index].hasResult())
        return;
    Q_EMIT entryChosen(m_races[index].entryId);
}

void TForm11::closeEvent(QCloseEvent* event)
{
    if (!askToSaveChanges()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TForm11::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RacesGrid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RacesGridDblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
