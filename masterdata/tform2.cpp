#include "tform2.h"

#include "checkedsave.h"
#include "errorboundary.h"
#include "persons.h"
#include "fieldwidth.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "radiogroup.h"
#include "screenfit.h"
#include "session.h"
#include "storageerror.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "textforms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString kLineEnd = QStringLiteral("\n\r");

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
    button->setAutoDefault(false); // Enter presses no button: the window has no default action
    button->setDefault(false);
    return button;
}

// The field is as wide as its widest text, the sample.
MaskEdit* makeMaskEdit(QWidget* parent, const QString& name, const QString& mask, const QString& sample,
                       bool rightAligned)
{
    auto* edit = new MaskEdit(mask, parent);
    edit->setObjectName(name);
    FieldWidth::fitTo(edit, sample);
    if (rightAligned)
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

} // namespace

TForm2::TForm2(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Benutzerverwaltung"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    ScreenFit::keepOnScreen(this);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);

    // Left: the person list and its three buttons.
    StringAlignGrid1 = new StringGrid(this);
    StringAlignGrid1->setObjectName(QStringLiteral("StringAlignGrid1"));
    StringAlignGrid1->setColumns({QStringLiteral(" ID"), QStringLiteral(" Name"), QStringLiteral(" Vorname"),
                                  QStringLiteral("Geburtstag")},
                                 {0, 97, 103, 85});
    StringAlignGrid1->setDefaultRowHeight(19);
    StringAlignGrid1->widenToFit({{}, {}, {}, {QStringLiteral("00.00.0000")}});
    // A larger window gives its room to the list; it never gets so narrow
    // that a column is cut.
    FieldWidth::keepColumns(StringAlignGrid1, 4);

    BitBtn4 = makeButton(this, QStringLiteral("BitBtn4"), QStringLiteral("&Neu"));
    BitBtn3 = makeButton(this, QStringLiteral("BitBtn3"), QStringLiteral("&Ändern"));
    BitBtn2 = makeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("&Löschen"));
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::VLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    // Right: the data fields and the save button.
    GroupBox1 = new QGroupBox(QStringLiteral(" Daten "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));

    Label1 = makeLabel(GroupBox1, QStringLiteral("Label1"), QStringLiteral("Name"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(160);
    StoredText::limit(Edit1, 40); // Name CHAR(40)
    Label2 = makeLabel(GroupBox1, QStringLiteral("Label2"), QStringLiteral("Vorname"));
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMinimumWidth(160);
    StoredText::limit(Edit2, 40); // Vorname CHAR(40)

    RadioGroup1 = new RadioGroup(QStringLiteral(" Geschlecht "),
                                 {QStringLiteral("&männl."), QStringLiteral("&weibl.")}, 2, GroupBox1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));

    Label3 = makeLabel(GroupBox1, QStringLiteral("Label3"), QStringLiteral("Geburtstag"));
    maskeditL1 = makeMaskEdit(GroupBox1, QStringLiteral("maskeditL1"), QStringLiteral("!00/00/0000;1;_"),
                              QStringLiteral("00.00.0000"), false);
    // A day or month typed with one digit ("1.2.1970") is read as the
    // editor's date field reads it.
    maskeditL1->setCompletion(&completedDateText);
    Label4 = makeLabel(GroupBox1, QStringLiteral("Label4"), QStringLiteral("Ruhepuls"));
    maskeditL2 = makeMaskEdit(GroupBox1, QStringLiteral("maskeditL2"), QStringLiteral("00"), QStringLiteral("00"),
                              true);
    Label5 = makeLabel(GroupBox1, QStringLiteral("Label5"), QStringLiteral("Max.-puls"));
    maskeditL3 = makeMaskEdit(GroupBox1, QStringLiteral("maskeditL3"), QStringLiteral("000"),
                              QStringLiteral("000"), true);
    Label6 = makeLabel(GroupBox1, QStringLiteral("Label6"), QStringLiteral("Gewicht"));
    maskeditL4 = makeMaskEdit(GroupBox1, QStringLiteral("maskeditL4"), QStringLiteral("!900,0;1;_"),
                              QStringLiteral("000,0"), true);
    Label7 = makeLabel(GroupBox1, QStringLiteral("Label7"), QStringLiteral("kg"));
    Label8 = makeLabel(GroupBox1, QStringLiteral("Label8"), QStringLiteral("ID"));
    Label8->setVisible(false);

    auto* data = new QGridLayout(GroupBox1);
    data->setHorizontalSpacing(12);
    data->addWidget(Label1, 0, 0);
    data->addWidget(Edit1, 0, 1, 1, 2);
    data->addWidget(Label2, 1, 0);
    data->addWidget(Edit2, 1, 1, 1, 2);
    data->addWidget(RadioGroup1, 2, 1, 1, 2);
    data->addWidget(Label3, 3, 0);
    data->addWidget(maskeditL1, 3, 1, Qt::AlignLeft);
    data->addWidget(Label4, 4, 0);
    data->addWidget(maskeditL2, 4, 1, Qt::AlignLeft);
    data->addWidget(Label5, 5, 0);
    data->addWidget(maskeditL3, 5, 1, Qt::AlignLeft);
    data->addWidget(Label6, 6, 0);
    auto* weight = new QHBoxLayout;
    weight->setSpacing(6);
    weight->addWidget(maskeditL4);
    weight->addWidget(Label7);
    weight->addStretch(1);
    data->addLayout(weight, 6, 1, 1, 2);
    data->setColumnStretch(2, 1);
    data->setRowStretch(7, 1);

    BitBtn1 = makeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("&Speichern"));
    setSaveMode(kInsert);

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(BitBtn4);
    listButtons->addWidget(BitBtn3);
    listButtons->addWidget(BitBtn2);
    listButtons->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(StringAlignGrid1, 1);
    left->addLayout(listButtons);

    auto* saveRow = new QHBoxLayout;
    saveRow->addStretch(1);
    saveRow->addWidget(BitBtn1);
    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox1, 1);
    right->addLayout(saveRow);

    // The data keep their width; a larger window gives its room to the list.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(8);
    layout->addLayout(left, 1);
    layout->addWidget(Bevel1);
    layout->addLayout(right);
    resize(QSize(645, 275).expandedTo(minimumSizeHint()));

    setTabOrder(StringAlignGrid1, BitBtn4);
    setTabOrder(BitBtn4, BitBtn3);
    setTabOrder(BitBtn3, BitBtn2);
    setTabOrder(BitBtn2, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, RadioGroup1->button(0));
    setTabOrder(RadioGroup1->button(0), RadioGroup1->button(1));
    setTabOrder(RadioGroup1->button(1), maskeditL1);
    setTabOrder(maskeditL1, maskeditL2);
    setTabOrder(maskeditL2, maskeditL3);
    setTabOrder(maskeditL3, maskeditL4);
    setTabOrder(maskeditL4, BitBtn1);

    connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm2::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm2::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm2::BitBtn4Click);
    connect(StringAlignGrid1, &StringGrid::selectCell, this, &TForm2::StringAlignGrid1SelectCell);
    connect(StringAlignGrid1, &StringGrid::dblClick, this, &TForm2::StringAlignGrid1DblClick);
    connect(RadioGroup1, &RadioGroup::entered, this, &TForm2::RadioGroup1Enter);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
}

int TForm2::saveMode() const
{
    return BitBtn1->property("Tag").toInt();
}

void TForm2::setSaveMode(int mode)
{
    BitBtn1->setProperty("Tag", mode);
}

void TForm2::FormCreate()
{
    guarded(this, [&] { ReadUsers(); });
    DisableControls();
}

void TForm2::StringGridLeeren()
{
    StringAlignGrid1->clearRows();
}

void TForm2::ReadUsers()
{
    StringGridLeeren();
    int i = 1;
    for (const Persons::Listed& person : Persons::list(m_session.ZDatabase1)) {
        StringAlignGrid1->setCells(0, i, person.id);
        StringAlignGrid1->setCells(1, i, QStringLiteral(" ") + person.name);
        StringAlignGrid1->setCells(2, i, QStringLiteral(" ") + person.firstName);
        StringAlignGrid1->setCells(3, i, person.birthday);
        StringAlignGrid1->addRow();
        ++i;
    }
}

void TForm2::setFieldsLocked(bool locked)
{
    // Emptied first, so that no field with unfinished input objects to losing the focus.
    Edit1->clear();
    Edit2->clear();
    for (MaskEdit* edit : {maskeditL1, maskeditL2, maskeditL3, maskeditL4})
        edit->clear();
    RadioGroup1->setItemIndex(-1);
    for (QWidget* field : std::initializer_list<QWidget*>{Edit1, Edit2, maskeditL1, maskeditL2, maskeditL3,
                                                          maskeditL4})
        FieldColours::setLocked(field, locked);
    BitBtn1->setEnabled(!locked);
}

void TForm2::DisableControls()
{
    setFieldsLocked(true);
}

void TForm2::EnableControls()
{
    setFieldsLocked(false);
}

void TForm2::StringAlignGrid1SelectCell(int column, int row, bool* canSelect)
{
    Q_UNUSED(column);
    const bool hasPerson = !StringAlignGrid1->cells(0, row).isEmpty();
    BitBtn2->setEnabled(hasPerson);
    BitBtn3->setEnabled(hasPerson);
    DisableControls();
    if (canSelect)
        *canSelect = true;
}

void TForm2::StringAlignGrid1DblClick()
{
    const int row = StringAlignGrid1->currentGridRow();
    if (row >= 1 && !StringAlignGrid1->cells(0, row).isEmpty())
        BitBtn3Click();
}

void TForm2::RadioGroup1Enter()
{
    if (RadioGroup1->itemIndex() < 0)
        RadioGroup1->setItemIndex(0);
}

QString TForm2::selectedId() const
{
    const int row = StringAlignGrid1->currentGridRow();
    const QString cell = row >= 1 ? StringAlignGrid1->cells(0, row) : QString();
    bool ok = false;
    const qint64 id = cell.trimmed().toLongLong(&ok);
    if (!ok)
        throw StorageError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(cell));
    return QString::number(id);
}

bool TForm2::CheckData()
{
    QString faults;
    auto fault = [&](const char* line) { faults += QString::fromUtf8(line) + kLineEnd; };

    if (Edit1->text().isEmpty())
        fault("- Nachname nicht angegeben");
    if (Edit2->text().isEmpty())
        fault("- Vorname nicht angegeben");
    // The fields refuse what cannot be stored; a text set otherwise is named here.
    for (const auto& [field, edit] : {std::pair{"Name", Edit1}, std::pair{"Vorname", Edit2}}) {
        const QString line = StoredText::fault(QString::fromUtf8(field), edit->text(), 40, StoredText::Kind::Line);
        if (!line.isEmpty())
            faults += line + kLineEnd;
    }
    const QDate birthday = parseDateText(maskeditL1->text());
    if (!birthday.isValid())
        fault("- Geburtsdatum nicht oder nicht korrekt angegeben");
    else if (birthday > QDate::currentDate())
        fault("- Geburtsdatum liegt in der Zukunft");
    if (RadioGroup1->itemIndex() < 0)
        fault("- kein Geschlecht angegeben");
    bool restOk = false;
    const int rest = maskeditL2->text().trimmed().toInt(&restOk);
    if (!restOk)
        fault("- Ruhepuls nicht oder nicht korrekt angegeben");
    bool maxOk = false;
    const int max = maskeditL3->text().trimmed().toInt(&maxOk);
    if (!maxOk)
        fault("- Maximalpuls nicht oder nicht korrekt angegeben");
    if (restOk && maxOk) {
        if (rest >= max)
            fault("- der Maximalpuls muss größer als der Minimalpuls sein");
        else if (max < 2 * rest || rest <= 30 || max >= 220)
            fault("- Ihre angegebenen Pulswerte erscheinen unrealistisch");
    }
    bool weightOk = false;
    const double weight = parseDecimal(maskeditL4->text(), &weightOk);
    if (!weightOk || weight < 20)
        fault("- Gewicht nicht oder nicht korrekt angegeben");

    if (faults.isEmpty())
        return false;
    Messages::inputFaults(this, faults);
    return true;
}

Persons::Person TForm2::fieldsPerson() const
{
    Persons::Person person;
    person.name = Edit1->text();
    person.firstName = Edit2->text();
    person.birthday = maskeditL1->text();
    person.sex = RadioGroup1->itemIndex();
    bool ok = false;
    person.weight = parseDecimal(maskeditL4->text(), &ok);
    if (!ok)
        person.weight = 0.0;
    person.restingPulse = maskeditL2->text();
    person.maxPulse = maskeditL3->text();
    return person;
}

void TForm2::BitBtn1Click()
{
    if (CheckData())
        return;
    const bool update = saveMode() == kUpdate;
    bool written = true;
    CheckedSave saved = CheckedSave::Saved;
    // A rejected statement is shown and the input stays in the fields.
    if (!guarded(this, [&] {
            Database& db = m_session.ZDatabase1;
            const Persons::Person person = fieldsPerson();
            if (update)
                saved = saveChecked(this, db, m_stored, QStringLiteral("Der Benutzer"),
                                    [&] { written = Persons::update(db, Label8->text(), person); });
            else
                Persons::insert(db, person);
        }))
        return;
    if (saved == CheckedSave::Cancelled)
        return;
    if (saved == CheckedSave::LoadStored) {
        guarded(this, [&] { loadUser(Label8->text()); });
        return;
    }
    if (!written) {
        // Deleted at another workstation meanwhile: nothing was written, the
        // input stays and can be saved as a new person.
        setSaveMode(kInsert);
        Label8->clear();
        guarded(this, [&] { ReadUsers(); });
        forgetChoice();
        Messages::deletedElsewhere(this, QStringLiteral("Der Benutzer"), QStringLiteral("neuen Benutzer"));
        return;
    }
    DisableControls();
    rebuildList();
}

void TForm2::BitBtn2Click()
{
    // The diary-entry editor of a person holds that person's entries and
    // saves them on closing: the person stays while it is open.
    bool idOk = false;
    const int openId = StringAlignGrid1->cells(0, StringAlignGrid1->currentGridRow()).trimmed().toInt(&idOk);
    if (idOk && m_personInUse && m_personInUse(openId)) {
        Messages::show(this, QMessageBox::NoIcon, QStringLiteral("Hinweis"),
                       QStringLiteral("Der Benutzer kann nicht gelöscht werden, solange seine Trainingsdaten zur "
                                      "Bearbeitung geöffnet sind."),
                       QMessageBox::Ok);
        return;
    }
    const QString question = QStringLiteral("Möchten Sie den ausgewählten Benutzer tatsächlich löschen?") + kLineEnd
                             + QStringLiteral("Es werden auch alle zugehörigen Rezidedazurazedadeinträge gelöscht.");
    if (!Messages::askOkCancel(this, question))
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool deletedElsewhere = false;
    guarded(this, [&] {
        // Deleted at another workstation meanwhile, with the entries: nothing left to do.
        deletedElsewhere = !Persons::remove(m_session.ZDatabase1, selectedId());
    });
    QApplication::restoreOverrideCursor();
    rebuildList();
    if (deletedElsewhere)
        Messages::deletedElsewhere(this, QStringLiteral("Der Benutzer"));
}

void TForm2::BitBtn3Click()
{
    guarded(this, [&] { loadUser(selectedId()); });
}

void TForm2::loadUser(const QString& id)
{
    if (const std::optional<Persons::Person> person = Persons::read(m_session.ZDatabase1, id, &m_stored)) {
        EnableControls();
        QString weightText = decimalComma(QString::asprintf("%3.1f", person->weight));
        // Below 100 kg a leading zero fills the weight mask (075,5).
        if (parseDecimal(weightText) < 100)
            weightText.prepend(QLatin1Char('0'));
        Label8->setText(id);
        Edit1->setText(person->name);
        Edit2->setText(person->firstName);
        maskeditL1->setText(person->birthday);
        RadioGroup1->setItemIndex(person->sex);
        maskeditL4->setText(weightText);
        maskeditL2->setText(person->restingPulse);
        maskeditL3->setText(person->maxPulse);
        setSaveMode(kUpdate);
        return;
    }
    rebuildList();
    Messages::deletedElsewhere(this, QStringLiteral("Der Benutzer"));
}

void TForm2::BitBtn4Click()
{
    EnableControls();
    Edit1->setFocus();
    setSaveMode(kInsert);
}

void TForm2::forgetChoice()
{
    StringAlignGrid1->setCurrentItem(nullptr);
    StringAlignGrid1->clearSelection();
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);
}

void TForm2::rebuildList()
{
    const int row = StringAlignGrid1->currentGridRow();
    guarded(this, [&] { ReadUsers(); });
    if (row >= 1) {
        const int selected = qMin(row, StringAlignGrid1->gridRowCount() - 1);
        StringAlignGrid1->setCurrentGridRow(selected, false);
        StringAlignGrid1SelectCell(StringAlignGrid1->currentColumn(), selected, nullptr);
    } else {
        forgetChoice();
    }
}

void TForm2::FormClose()
{
    done(1);
}

void TForm2::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TForm2::reject()
{
    // Every way out of the window ends with the result 1.
    FormClose();
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    // Esc does not close the window: it has no cancel button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
