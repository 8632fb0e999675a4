#include "tform3.h"

#include "checkedsave.h"
#include "database.h"
#include "diaryforms.h"
#include "diarysums.h"
#include "errorboundary.h"
#include "fieldcolours.h"
#include "messages.h"
#include "numericedit.h"
#include "persons.h"
#include "screenfit.h"
#include "session.h"
#include "shoes.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "textforms.h"
#include "workingwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kLineEnd = QStringLiteral("\n\r");
const QString kPreviousHint = QStringLiteral("Tragen Sie hier die Kilometer ein, die sie den Schuh vor Eintragen "
                                             "in die Datenbank bereits benutzt haben.");

// The data fields' grey when locked: RGB 230, 230, 230.
QColor lockedGrey()
{
    return QColor(230, 230, 230);
}

// One line of the shoe list, taken apart. The model may itself hold a
// semicolon: it is whatever stands between the ID and the last three fields.
struct ShoeLine
{
    QString id;
    QString model;
    QString max;
    QString prev;
    QString since;
};

ShoeLine splitShoeLine(const QString& line)
{
    const QStringList parts = line.split(QLatin1Char(';'));
    ShoeLine shoe;
    if (parts.size() < 5)
        return shoe;
    const qsizetype n = parts.size();
    shoe.id = parts[0];
    shoe.model = parts.mid(1, n - 4).join(QLatin1Char(';'));
    shoe.max = parts[n - 3];
    shoe.prev = parts[n - 2];
    shoe.since = parts[n - 1];
    return shoe;
}

// A decimal text as a number; 0 when it is empty or no number.
double decimalOrZero(const QString& text)
{
    bool ok = false;
    const double value = parseDecimal(text, &ok);
    return ok ? value : 0.0;
}

// A decimal text rounded to a whole number, halves to the even neighbour.
double roundedOrZero(const QString& text)
{
    return std::nearbyint(decimalOrZero(text));
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumSize(75, 25);
    button->setAutoDefault(false); // Enter presses no button
    button->setDefault(false);
    return button;
}

NumericEdit* makeNumberField(QWidget* parent, const QString& name)
{
    auto* edit = new NumericEdit(parent);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setMaxLength(4);
    edit->setKeyFilter(&NumericEdit::digitKey); // whole kilometres: digits only
    edit->setFixedWidth(qMax(50, edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12));
    return edit;
}

} // namespace

TForm3::TForm3(Session& session, QWidget* parent, const QComboBox* mainNames, const QComboBox* mainIds)
    : QWidget(parent), m_session(session)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Schuhverwaltung"));
    // A window of the main window: kept above it, not above other programs.
    setWindowFlags(keepingWindowFlags());
    ScreenFit::keepOnScreen(this);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);

    // Left: the person, the shoe list and its three buttons.
    GroupBox1 = new QGroupBox(QStringLiteral(" Benutzer wählen "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2 = new QComboBox(GroupBox1);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setVisible(false);
    auto* personLayout = new QHBoxLayout(GroupBox1);
    personLayout->addWidget(ComboBox1);

    StringAlignGrid1 = new StringGrid(this);
    StringAlignGrid1->setObjectName(QStringLiteral("StringAlignGrid1"));
    StringAlignGrid1->setColumns({QStringLiteral(" Modell"), QStringLiteral("Summe km")}, {204, 83});
    StringAlignGrid1->setDefaultRowHeight(18);
    StringAlignGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringAlignGrid1->widenToFit({{}, {QStringLiteral("9999,9 km")}});
    m_columnWidths = {StringAlignGrid1->gridColumnWidth(0), StringAlignGrid1->gridColumnWidth(1)};
    StringAlignGrid1->setMinimumWidth(StringAlignGrid1->gridColumnWidth(0) + StringAlignGrid1->gridColumnWidth(1)
                                      + StringAlignGrid1->verticalScrollBar()->sizeHint().width()
                                      + 2 * StringAlignGrid1->frameWidth());
    // The model takes what the kilometres leave, also in a larger window: a
    // long one is shortened in the list, never the kilometres.
    StringAlignGrid1->setStretchColumn(0);

    BitBtn2 = makeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("&Löschen"));
    BitBtn3 = makeButton(this, QStringLiteral("BitBtn3"), QStringLiteral("&Ändern"));
    BitBtn4 = makeButton(this, QStringLiteral("BitBtn4"), QStringLiteral("&Neu"));
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(BitBtn2);
    listButtons->addWidget(BitBtn3);
    listButtons->addWidget(BitBtn4);
    listButtons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(GroupBox1);
    left->addWidget(StringAlignGrid1, 1);
    left->addLayout(listButtons);

    QLayout* right = buildShoeData();

    // A larger window gives its room to the shoe list.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(8);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    setTabOrder(ComboBox1, StringAlignGrid1);
    setTabOrder(StringAlignGrid1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
    setTabOrder(BitBtn4, Edit1);
    setTabOrder(Edit1, EnhancedEdit1);
    setTabOrder(EnhancedEdit1, EnhancedEdit2);
    setTabOrder(EnhancedEdit2, BitBtn1);

    resize(QSize(645, 275).expandedTo(minimumSizeHint()));

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm3::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm3::BitBtn4Click);
    connect(StringAlignGrid1, &StringGrid::selectCell, this, &TForm3::StringAlignGrid1SelectCell);
    connect(StringAlignGrid1, &StringGrid::dblClick, this, &TForm3::StringAlignGrid1DblClick);
    for (QWidget* field : {EnhancedEdit1, EnhancedEdit2})
        field->installEventFilter(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    WorkingWindow::activateWhenShown(this, ComboBox1);
    FormCreate(mainNames, mainIds);
}

// Right: the data of one shoe and the save button.
QLayout* TForm3::buildShoeData()
{
    GroupBox2 = new QGroupBox(QStringLiteral(" Schuhdaten "), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    Label1 = makeLabel(GroupBox2, QStringLiteral("Label1"), QStringLiteral("Modell:"));
    Edit1 = new QLineEdit(GroupBox2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    StoredText::limit(Edit1, 40); // modell CHAR(40)
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 28);
    Label2 = makeLabel(GroupBox2, QStringLiteral("Label2"), QStringLiteral("maximale Laufleistung:"));
    EnhancedEdit1 = makeNumberField(GroupBox2, QStringLiteral("EnhancedEdit1"));
    Label5 = makeLabel(GroupBox2, QStringLiteral("Label5"), QStringLiteral("km"));
    Label3 = makeLabel(GroupBox2, QStringLiteral("Label3"), QStringLiteral("vorher bereits gelaufen:"));
    Label3->setToolTip(kPreviousHint);
    EnhancedEdit2 = makeNumberField(GroupBox2, QStringLiteral("EnhancedEdit2"));
    Label9 = makeLabel(GroupBox2, QStringLiteral("Label9"), QStringLiteral("km"));
    Label4 = makeLabel(GroupBox2, QStringLiteral("Label4"), QStringLiteral("aktuell gelaufen:"));
    Label4->setToolTip(kPreviousHint);
    Label11 = makeLabel(GroupBox2, QStringLiteral("Label11"), QString());
    Label11->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label10 = makeLabel(GroupBox2, QStringLiteral("Label10"), QStringLiteral("km"));
    Bevel1 = new QFrame(GroupBox2);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    QFont bold = font();
    bold.setBold(true);
    Label7 = makeLabel(GroupBox2, QStringLiteral("Label7"), QStringLiteral("Gesamtkilometer Schuh:"));
    Label12 = makeLabel(GroupBox2, QStringLiteral("Label12"), QString());
    Label12->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label8 = makeLabel(GroupBox2, QStringLiteral("Label8"), QStringLiteral("km"));
    for (QLabel* label : {Label7, Label12, Label8})
        label->setFont(bold);
    // The totals have room for "9999,9" in bold.
    const int valueWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("99999,9"));
    Label11->setMinimumWidth(valueWidth);
    Label12->setMinimumWidth(valueWidth);
    Label6 = makeLabel(GroupBox2, QStringLiteral("Label6"), QString());
    Label6->setVisible(false);

    auto* data = new QGridLayout(GroupBox2);
    data->setHorizontalSpacing(8);
    data->addWidget(Label1, 0, 0);
    data->addWidget(Edit1, 0, 1, 1, 3);
    data->addWidget(Label2, 1, 0);
    data->addWidget(EnhancedEdit1, 1, 1, Qt::AlignRight);
    data->addWidget(Label5, 1, 2);
    data->addWidget(Label3, 2, 0);
    data->addWidget(EnhancedEdit2, 2, 1, Qt::AlignRight);
    data->addWidget(Label9, 2, 2);
    data->addWidget(Label4, 3, 0);
    data->addWidget(Label11, 3, 1);
    data->addWidget(Label10, 3, 2);
    data->addWidget(Bevel1, 4, 0, 1, 4);
    data->addWidget(Label7, 5, 0);
    data->addWidget(Label12, 5, 1);
    data->addWidget(Label8, 5, 2);
    data->setColumnStretch(3, 1);
    data->setRowStretch(6, 1);

    BitBtn1 = makeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("&Speichern"));
    auto* saveRow = new QHBoxLayout;
    saveRow->addStretch(1);
    saveRow->addWidget(BitBtn1);

    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox2, 1);
    right->addLayout(saveRow);
    return right;
}

int TForm3::saveMode() const
{
    return BitBtn1->property("Tag").toInt();
}

void TForm3::setSaveMode(int mode)
{
    BitBtn1->setProperty("Tag", mode);
}

QString TForm3::person() const
{
    const int index = ComboBox2->currentIndex();
    return index > 0 ? ComboBox2->itemText(index) : QString();
}

void TForm3::FormCreate(const QComboBox* mainNames, const QComboBox* mainIds)
{
    m_shoes.clear();
    const QSignalBlocker block1(ComboBox1);
    const QSignalBlocker block2(ComboBox2);
    ComboBox1->addItem(QStringLiteral("-- bitte wählen --"));
    ComboBox2->addItem(QStringLiteral("ID"));
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3, BitBtn4})
        button->setEnabled(false);
    setSaveMode(kInsert);
    DisableControls();

    guarded(this, [&] {
        const QList<Persons::Listed> persons = Persons::list(m_session.ZDatabase1);
        if (persons.isEmpty())
            ComboBox1->setItemText(0, QStringLiteral("noch keine Benutzer angelegt"));
        for (const Persons::Listed& person : persons) {
            ComboBox1->addItem(person.name + QStringLiteral(", ") + person.firstName);
            ComboBox2->addItem(person.id);
        }
    });

    // The main window lists the same persons in the same order, with one
    // placeholder first: its positions name the same person here.
    auto position = [](const QComboBox* list, const QComboBox* own) {
        const int index = list ? list->currentIndex() : 0;
        return index >= 0 && index < own->count() ? index : 0;
    };
    ComboBox1->setCurrentIndex(position(mainNames, ComboBox1));
    ComboBox2->setCurrentIndex(position(mainIds, ComboBox2));
    ComboBox1Change();
    DisableControls();
}

void TForm3::ComboBox1Change()
{
    {
        const QSignalBlocker block(ComboBox2);
        ComboBox2->setCurrentIndex(ComboBox1->currentIndex());
    }
    if (person().isEmpty()) {
        for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3, BitBtn4})
            button->setEnabled(false);
    } else {
        BitBtn1->setEnabled(true);
        BitBtn4->setEnabled(true);
    }
    StringGridLeeren();
    clearFields();
    guarded(this, [&] { ShowShoes(); });
    DisableControls();
}

void TForm3::StringGridLeeren()
{
    StringAlignGrid1->clearRows();
}

void TForm3::forgetChosenShoe()
{
    Label6->clear();
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);
    StringAlignGrid1->setCurrentItem(nullptr);
    StringAlignGrid1->clearSelection();
}

void TForm3::ShowShoes()
{
    m_shoes.clear();
    // A new list: nothing in it is chosen yet.
    forgetChosenShoe();
    StringAlignGrid1->setColumnWidths(m_columnWidths);
    const QString p = person();
    if (p.isEmpty())
        return;

    QStringList models;
    for (const Shoes::Listed& shoe : Shoes::list(m_session.ZDatabase1, p)) {
        models << shoe.model;
        m_shoes << shoe.id + QLatin1Char(';') + shoe.model + QLatin1Char(';') + shoe.max + QLatin1Char(';') + shoe.prev
                       + QLatin1Char(';');
    }
    if (m_shoes.isEmpty())
        return;

    // The kilometres since, of all the person's shoes at once.
    const QHash<QString, double> since = ShoeDistances(m_session.ZDatabase1, p.toInt());
    for (qsizetype i = 0; i < m_shoes.size(); ++i)
        m_shoes[i] += distanceText(since.value(models[i], 0.0));

    QStringList totals;
    for (qsizetype i = 0; i < m_shoes.size(); ++i) {
        const ShoeLine shoe = splitShoeLine(m_shoes[i]);
        const double total = decimalOrZero(shoe.prev) + decimalOrZero(shoe.since);
        totals << distanceText(total) + QStringLiteral(" km");
        StringAlignGrid1->setCells(0, int(i) + 1, shoe.model);
        StringAlignGrid1->setCellToolTip(0, int(i) + 1, shoe.model);
        StringAlignGrid1->setCells(1, int(i) + 1, totals.last());
        StringAlignGrid1->addRow();
    }
    // A large total widens the kilometres; the model gives up the room.
    StringAlignGrid1->widenToFit({{}, totals});
}

void TForm3::StringAlignGrid1SelectCell(int column, int row, bool* canSelect)
{
    Q_UNUSED(column);
    if (canSelect)
        *canSelect = true;
    DisableControls();
    const qsizetype index = row - 1;
    if (StringAlignGrid1->cells(0, row).isEmpty() || index < 0 || index >= m_shoes.size()) {
        // The empty row below the last shoe chooses none.
        Label6->clear();
        BitBtn2->setEnabled(false);
        BitBtn3->setEnabled(false);
        return;
    }
    const ShoeLine shoe = splitShoeLine(m_shoes[index]);
    m_stored = Shoes::storedRecord(shoe.id);
    m_stored.take(QStringList{shoe.id, shoe.model, shoe.max, shoe.prev});
    Label6->setText(shoe.id);
    Edit1->setText(shoe.model);
    Edit1->setCursorPosition(0); // the start of a long model in view
    EnhancedEdit1->setText(shoe.max);
    EnhancedEdit2->setText(shoe.prev);
    Label11->setText(shoe.since);

    const double max = roundedOrZero(shoe.max);
    const double total = decimalOrZero(shoe.prev) + decimalOrZero(shoe.since);
    setTotalRed(total > max && max > 0);
    Label12->setText(distanceText(total));
    BitBtn2->setEnabled(true);
    BitBtn3->setEnabled(true);
}

void TForm3::StringAlignGrid1DblClick()
{
    if (!Edit1->text().isEmpty() && !Label6->text().isEmpty())
        BitBtn3Click();
}

void TForm3::clearFields()
{
    Edit1->clear();
    EnhancedEdit1->clear();
    EnhancedEdit2->clear();
    Label11->clear();
    Label12->clear();
    setTotalRed(false); // no total, no warning
}

void TForm3::setTotalRed(bool red)
{
    for (QLabel* label : {Label7, Label8, Label12}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, red ? Qt::red : Qt::black);
        label->setPalette(palette);
    }
}

void TForm3::BitBtn4Click()
{
    clearFields();
    forgetChosenShoe();
    EnableControls();
    Edit1->setFocus();
    setSaveMode(kInsert);
}

void TForm3::BitBtn3Click()
{
    if (Label6->text().isEmpty())
        return; // no shoe of this list chosen
    EnableControls();
    CheckShoeMax();
    setSaveMode(kUpdate);
}

bool TForm3::CheckData()
{
    QString faults;
    auto fault = [&](const char* line) { faults += QString::fromUtf8(line) + kLineEnd; };

    // Blanks alone would be stored as an empty model, which no list can show.
    if (Edit1->text().trimmed().isEmpty())
        fault("- keine Bezeichnung für Schuhmodell angegeben");
    // The field refuses what cannot be stored; a text set otherwise is named here.
    const QString stored = StoredText::fault(QStringLiteral("Modell"), Edit1->text(), 40, StoredText::Kind::Line);
    if (!stored.isEmpty())
        faults += stored + kLineEnd;
    const QString sameModel = stored.isEmpty() ? Shoes::idOfModel(m_session.ZDatabase1, person(), Edit1->text())
                                               : QString();
    if (!sameModel.isEmpty()) {
        if (saveMode() == kUpdate) {
            if (sameModel != Label6->text())
                fault("- es existiert bereits ein anderer Schuh mit dieser Modellbezeichnung");
        } else {
            fault("- ein Schuh mit dieser Modellbezeichnung existiert bereits");
        }
    }
    const int max = EnhancedEdit1->intValue();
    const int prev = EnhancedEdit2->intValue();
    if (prev != 0 && max != 0 && prev >= max)
        fault("- die maximale Laufleistung Ihres Schuhs muss größer sein, als die bisher schon gelaufene Strecke");

    if (faults.isEmpty())
        return false;
    Messages::inputFaults(this, faults);
    return true;
}

void TForm3::BitBtn1Click()
{
    const QString p = person();
    const bool update = saveMode() == kUpdate;
    if (p.isEmpty() || (update && Label6->text().isEmpty())) {
        Messages::beep(); // no person, or no shoe of this list to change
        return;
    }
    bool refused = true;
    if (!guarded(this, [&] { refused = CheckData(); }) || refused)
        return; // the input stays for correcting

    const int max = EnhancedEdit1->intValue();
    const int prev = EnhancedEdit2->intValue();
    if (max == 0
        && !Messages::confirm(this, QStringLiteral("Bestätigen"),
                              QStringLiteral("Sie haben keine maximale Laufleistung für Ihr Schuhmodell angegeben. "
                                             "Möchten Sie dies so beibehalten?"))) {
        EnhancedEdit1->setFocus();
        return;
    }

    bool written = true;
    Shoes::Renamed renamed;
    CheckedSave saved = CheckedSave::Saved;
    const Shoes::Shoe shoe{Edit1->text(), max, prev};
    if (!guarded(this, [&] {
            Database& db = m_session.ZDatabase1;
            if (update)
                saved = saveChecked(this, db, m_stored, QStringLiteral("Der Laufschuh"),
                                    [&] { written = Shoes::update(db, Label6->text(), shoe, &renamed); });
            else
                Shoes::insert(db, p, shoe);
        }))
        return; // a rejected statement leaves the input in the fields
    if (saved == CheckedSave::Cancelled)
        return;
    if (saved == CheckedSave::LoadStored) {
        guarded(this, [&] { showStoredShoe(Label6->text()); });
        return;
    }
    if (!written) {
        // Deleted at another workstation meanwhile: nothing was written, the
        // input stays and can be saved as a new shoe.
        StringGridLeeren();
        guarded(this, [&] { ShowShoes(); });
        setSaveMode(kInsert);
        EnableControls();
        Messages::deletedElsewhere(this, QStringLiteral("Der Laufschuh"), QStringLiteral("neuen Laufschuh"));
        return;
    }

    const QString model = Edit1->text();
    StringGridLeeren();
    guarded(this, [&] { ShowShoes(); });
    clearFields();
    // The changed shoe is no longer chosen: the fields wait for a new choice.
    // After a new shoe they stay open for the next one.
    if (update)
        DisableControls();
    if (renamed.entries > 0) {
        const QString where = renamed.entries == 1 ? QStringLiteral("In einem Eintrag")
                                                   : QStringLiteral("In %1 Einträgen").arg(renamed.entries);
        Messages::show(this, QMessageBox::Information, QStringLiteral("Information"),
                       QStringLiteral("Der Laufschuh „%1“ heißt jetzt „%2“. %3 wurde er mit umbenannt; seine "
                                      "Kilometer bleiben erhalten.")
                           .arg(renamed.from, model, where),
                       QMessageBox::Ok);
    }
}

void TForm3::showStoredShoe(const QString& id)
{
    StringGridLeeren();
    ShowShoes();
    DisableControls();
    clearFields();
    for (qsizetype i = 0; i < m_shoes.size(); ++i) {
        if (splitShoeLine(m_shoes[i]).id == id) {
            StringAlignGrid1->setCurrentGridRow(int(i) + 1);
            BitBtn3Click();
            return;
        }
    }
}

void TForm3::BitBtn2Click()
{
    const QString id = Label6->text();
    if (id.isEmpty())
        return; // no shoe of this list chosen
    const QString question =
        QStringLiteral("Möchten Sie den ausgewählten Laufschuh tatsächlich löschen?") + kLineEnd
        + QStringLiteral("Bei statistische Auswertungen wird dieser Schuh auch zukünftig berücksichtigt.") + kLineEnd
        + QStringLiteral("Es können jedoch keine neuen Trainingseinheiten für diesen Schuh mehr erfasst werden.");
    if (!Messages::askOkCancel(this, question))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool deletedElsewhere = false;
    guarded(this, [&] {
        deletedElsewhere = !Shoes::remove(m_session.ZDatabase1, id);
    });
    QApplication::restoreOverrideCursor();
    ComboBox1Change();
    if (deletedElsewhere)
        Messages::deletedElsewhere(this, QStringLiteral("Der Laufschuh"));
}

void TForm3::CheckShoeMax()
{
    const double since = roundedOrZero(Label11->text());
    const double max = roundedOrZero(EnhancedEdit1->text());
    const double prev = roundedOrZero(EnhancedEdit2->text());
    if (prev + since > max) {
        if (max > 0) {
            Messages::beep();
            Messages::show(this, QMessageBox::Information, QStringLiteral("Information"),
                           QStringLiteral("Die maximale Laufleistung des Schuhs ist erreicht."), QMessageBox::Ok);
            setTotalRed(true);
        }
    } else {
        setTotalRed(false);
    }
}

void TForm3::EnhancedEdit1Exit()
{
    CheckShoeMax();
}

void TForm3::EnhancedEdit2Exit()
{
    const double since = roundedOrZero(Label11->text());
    const int prev = EnhancedEdit2->intValue();
    CheckShoeMax();
    Label12->setText(QString::number(qint64(since) + prev));
}

void TForm3::DisableControls()
{
    for (QWidget* field : std::initializer_list<QWidget*>{Edit1, EnhancedEdit1, EnhancedEdit2})
        FieldColours::setLocked(field, true, lockedGrey());
}

void TForm3::EnableControls()
{
    for (QWidget* field : std::initializer_list<QWidget*>{Edit1, EnhancedEdit1, EnhancedEdit2})
        FieldColours::setLocked(field, false);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving a number field by the user's doing: not when the field is
    // locked under the focus, nor when a box or a menu takes the activation.
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* field = qobject_cast<QWidget*>(watched);
        if (field && field->isEnabled() && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (watched == EnhancedEdit1)
                EnhancedEdit1Exit();
            else if (watched == EnhancedEdit2)
                EnhancedEdit2Exit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm3::FormClose()
{
    m_shoes.clear();
    Q_EMIT closed();
}

void TForm3::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}
