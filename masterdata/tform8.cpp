#include "tform8.h"

#include "checkedsave.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "zones.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "screenfit.h"
#include "session.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "workingwindow.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

const QString kLineEnd = QStringLiteral("\n\r");
const QString kSettingsSection = QStringLiteral("DontShowDialogs");
const QString kSettingsKey = QStringLiteral("TRBereiche");

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setMinimumSize(75, 25);
    button->setAutoDefault(false); // Enter presses no button: the window has no default action
    button->setDefault(false);
    return button;
}

MaskEdit* makeLimitEdit(QWidget* parent, const QString& name, const QString& mask)
{
    auto* edit = new MaskEdit(mask, parent);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for the digits and the field's frame in the font in use.
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    return edit;
}

// A limit field read as a whole number: 0 when it is empty or no number.
int limitOf(const MaskEdit* edit)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

// Whether a limit field holds a whole number or nothing; a gap between
// digits ("1_5") is neither.
bool limitReadable(const MaskEdit* edit)
{
    const QString text = edit->text().trimmed();
    bool ok = text.isEmpty();
    if (!ok)
        text.toInt(&ok);
    return ok;
}

// A limit cell as the limit fields show it: at least two digits, "00" when
// the cell holds no number.
QString limitText(const QString& cell)
{
    bool ok = false;
    const int value = cell.trimmed().toInt(&ok);
    return ok ? QString::asprintf("%1.2d", value) : QStringLiteral("00");
}

bool isZoneId(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return digits.match(text).hasMatch();
}

// The name as the database keeps it: its CHAR column drops trailing blanks.
QString storedName(const QString& typed)
{
    QString name = typed;
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

} // namespace

TForm8::TForm8(Session& session, QWidget* parent) : QWidget(parent), m_session(session)
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("Verwaltung Trainingsbereiche"));
    setWindowFlags(keepingWindowFlags());
    setAttribute(Qt::WA_DeleteOnClose);
    ScreenFit::keepOnScreen(this);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);

    StringAlignGrid1 = new StringGrid(this);
    StringAlignGrid1->setObjectName(QStringLiteral("StringAlignGrid1"));
    StringAlignGrid1->setColumns({QStringLiteral(" ID"), QStringLiteral(" Bezeichnung"), QStringLiteral("min. HF"),
                                  QStringLiteral("max. HF")},
                                 {0, 180, 50, 72});
    StringAlignGrid1->setDefaultRowHeight(19);
    StringAlignGrid1->widenToFit({{}, {}, {QStringLiteral("100")}, {QStringLiteral("100")}});
    // The eleven default zones, the heading and the empty row in view.
    StringAlignGrid1->setMinimumHeight(13 * 19 + 2 * StringAlignGrid1->frameWidth());

    BitBtn2 = makeButton(this, QStringLiteral("BitBtn2"), QStringLiteral("&Löschen"),
                         QStringLiteral("Trainingsbereich löschen"));
    BitBtn3 = makeButton(this, QStringLiteral("BitBtn3"), QStringLiteral("&Ändern"),
                         QStringLiteral("Trainingsbereich korrigieren"));
    BitBtn4 = makeButton(this, QStringLiteral("BitBtn4"), QStringLiteral("&Neu"),
                         QStringLiteral("Neuen Trainingsbereich anlegen"));
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);

    GroupBox1 = new QGroupBox(QStringLiteral(" Daten "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label1 = makeLabel(GroupBox1, QStringLiteral("Label1"), QStringLiteral("Bezeichnung"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    StoredText::limit(Edit1, 30); // TrBereich CHAR(30)
    Bevel1 = new QFrame(GroupBox1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Label2 = makeLabel(GroupBox1, QStringLiteral("Label2"), QStringLiteral(" Pulsbereiche in % der max. HF (optional) "));
    Label3 = makeLabel(GroupBox1, QStringLiteral("Label3"), QStringLiteral(" min. HF"));
    maskeditL2 = makeLimitEdit(GroupBox1, QStringLiteral("maskeditL2"), QStringLiteral("99;1;_"));
    Label4 = makeLabel(GroupBox1, QStringLiteral("Label4"), QStringLiteral("%"));
    Label5 = makeLabel(GroupBox1, QStringLiteral("Label5"), QStringLiteral("max. HF"));
    maskeditL1 = makeLimitEdit(GroupBox1, QStringLiteral("maskeditL1"), QStringLiteral("999;1;_"));
    Label6 = makeLabel(GroupBox1, QStringLiteral("Label6"), QStringLiteral("%"));
    Label8 = makeLabel(GroupBox1, QStringLiteral("Label8"), QString());
    Label8->setVisible(false);

    auto* data = new QGridLayout(GroupBox1);
    data->setContentsMargins(12, 8, 12, 10);
    data->setHorizontalSpacing(8);
    data->setVerticalSpacing(6);
    data->addWidget(Label1, 0, 0);
    data->addWidget(Edit1, 0, 1, 1, 3);
    data->addWidget(Bevel1, 1, 0, 1, 4);
    data->addWidget(Label2, 2, 0, 1, 4);
    data->addWidget(Label3, 3, 0);
    data->addWidget(maskeditL2, 3, 1);
    data->addWidget(Label4, 3, 2);
    data->addWidget(Label5, 4, 0);
    data->addWidget(maskeditL1, 4, 1);
    data->addWidget(Label6, 4, 2);
    data->setColumnStretch(3, 1);

    BitBtn1 = makeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("&Speichern"), QString());
    BitBtn1->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn4);
    buttons->addStretch(1);
    auto* save = new QHBoxLayout;
    save->addStretch(1);
    save->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(StringAlignGrid1, 1);
    layout->addLayout(buttons);
    layout->addWidget(GroupBox1);
    layout->addLayout(save);
    resize(QSize(348, 463).expandedTo(minimumSizeHint()));
    WorkingWindow::centreOverOwner(this);

    setTabOrder(StringAlignGrid1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
    setTabOrder(BitBtn4, Edit1);
    setTabOrder(Edit1, maskeditL2);
    setTabOrder(maskeditL2, maskeditL1);
    setTabOrder(maskeditL1, BitBtn1);

    connect(BitBtn1, &QPushButton::clicked, this, &TForm8::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm8::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm8::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm8::BitBtn4Click);
    connect(StringAlignGrid1, &StringGrid::selectCell, this, &TForm8::StringAlignGrid1SelectCell);
    connect(StringAlignGrid1, &StringGrid::dblClick, this, &TForm8::StringAlignGrid1DblClick);
    maskeditL1->installEventFilter(this);
    WorkingWindow::activateWhenShown(this, StringAlignGrid1);

    FormCreate();
}

void TForm8::FormCreate()
{
    guarded(this, [&] {
        m_dontShowDialog = m_session.settings().readBool(kSettingsSection, kSettingsKey, false);
    });
    guarded(this, [&] { StringGridLesen(); });
    DisableControls();
}

void TForm8::StringGridLeeren()
{
    StringAlignGrid1->clearRows();
}

void TForm8::StringGridLesen()
{
    StringGridLeeren();
    forgetChoice();
    QStringList zones;
    GetZoneList(m_session.ZDatabase1, zones);
    for (int i = 0; i < zones.size(); ++i) {
        const QStringList fields = splitZoneLine(zones[i]);
        for (int c = 0; c < 4; ++c)
            StringAlignGrid1->setCells(c, i + 1, fields[c]);
        StringAlignGrid1->addRow();
    }
}

void TForm8::forgetChoice()
{
    StringAlignGrid1->setCurrentItem(nullptr);
    StringAlignGrid1->clearSelection();
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);
    Label8->clear();
}

QString TForm8::zoneIdOf(int row) const
{
    if (row < StringAlignGrid1->firstDataRow() || row >= StringAlignGrid1->gridRowCount())
        return QString();
    const QString id = StringAlignGrid1->cells(0, row).trimmed();
    return isZoneId(id) ? id : QString();
}

void TForm8::StringAlignGrid1SelectCell(int column, int row, bool* canSelect)
{
    Q_UNUSED(column);
    DisableControls();
    const QString id = zoneIdOf(row);
    BitBtn2->setEnabled(!id.isEmpty());
    BitBtn3->setEnabled(!id.isEmpty());
    Label8->setText(id);
    if (canSelect)
        *canSelect = true;
}

void TForm8::StringAlignGrid1DblClick()
{
    if (!zoneIdOf(StringAlignGrid1->currentGridRow()).isEmpty())
        BitBtn3Click();
}

void TForm8::BitBtn4Click()
{
    BitBtn1->setEnabled(true);
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);
    Label8->setText(QStringLiteral("-1"));
    EnableControls();
    Edit1->clear();
    maskeditL1->clear();
    maskeditL2->clear();
    Edit1->setFocus();
}

void TForm8::BitBtn3Click()
{
    const int row = StringAlignGrid1->currentGridRow();
    const QString id = zoneIdOf(row);
    if (id.isEmpty())
        return; // only a zone of the list that was chosen
    EnableControls();
    BitBtn1->setEnabled(true);
    Label8->setText(id);
    m_stored = Zones::storedRecord(id);
    m_stored.take(QStringList{id, StringAlignGrid1->cells(1, row), StringAlignGrid1->cells(2, row),
                              StringAlignGrid1->cells(3, row)});
    Edit1->setText(StringAlignGrid1->cells(1, row));
    maskeditL2->setText(limitText(StringAlignGrid1->cells(2, row)));
    maskeditL1->setText(limitText(StringAlignGrid1->cells(3, row)));
}

void TForm8::BitBtn1Click()
{
    // Saving reached by a shortcut leaves no field: the cap holds all the same.
    maskeditL1Exit();
    const int min = limitOf(maskeditL2);
    const int max = limitOf(maskeditL1);

    QString question;
    if (min == 0 && max > 0)
        question = QStringLiteral("Sie haben keine Untergrenze für die Herzfrequenz in diesem Trainingsbereich angegeben.");
    else if (min > 0 && max == 0)
        question = QStringLiteral("Sie haben keine Obergrenze für die Herzfrequenz in diesem Trainingsbereich angegeben.");
    else if (min == 0 && max == 0)
        question = QStringLiteral(
            "Sie haben keine Ober- und Untergrenze für die Herzfrequenz in diesem Trainingsbereich angegeben.");
    if (!question.isEmpty())
        question += kLineEnd;
    question += QStringLiteral("Das Rezidedazurazedad kann Sie somit bei der Erfassung Ihrer Trainingsdaten nicht bei der")
                + kLineEnd
                + QStringLiteral("Auswahl des richtigen Trainingsbereiches unterstützen. Möchten Sie dennoch fortfahren?");

    // A limit that is no number is refused by the input check, not taken
    // for a missing one.
    const bool readable = limitReadable(maskeditL2) && limitReadable(maskeditL1);
    if (readable && (min == 0 || max == 0) && !m_dontShowDialog && DontShowDialogAgain(question))
        return;
    if (CheckData())
        return;

    const QString id = Label8->text();
    const Zones::Zone zone{Edit1->text(), min, max};
    bool written = true;
    CheckedSave saved = CheckedSave::Saved;
    // A rejected statement is shown; the input stays and can be saved again.
    if (!guarded(this, [&] {
            Database& db = m_session.ZDatabase1;
            if (isZoneId(id))
                saved = saveChecked(this, db, m_stored, QStringLiteral("Der Trainingsbereich"),
                                    [&] { written = Zones::update(db, id, zone); });
            else if (id == QLatin1String("-1"))
                Zones::insert(db, zone);
            if (saved == CheckedSave::Saved)
                StringGridLesen();
        }))
        return;
    if (saved == CheckedSave::Cancelled)
        return;
    if (saved == CheckedSave::LoadStored) {
        guarded(this, [&] { showStoredZone(id); });
        return;
    }
    if (!written) {
        // Deleted at another workstation meanwhile: nothing was written, the
        // input stays and can be saved as a new zone.
        Label8->setText(QStringLiteral("-1"));
        Messages::deletedElsewhere(this, QStringLiteral("Der Trainingsbereich"), QStringLiteral("neuen Trainingsbereich"));
        return;
    }
    BitBtn1->setEnabled(false);
}

void TForm8::showStoredZone(const QString& id)
{
    StringGridLesen();
    DisableControls();
    for (int row = StringAlignGrid1->firstDataRow(); row < StringAlignGrid1->gridRowCount(); ++row) {
        if (zoneIdOf(row) == id) {
            StringAlignGrid1->setCurrentGridRow(row);
            BitBtn3Click();
            return;
        }
    }
}

bool TForm8::DontShowDialogAgain(const QString& question)
{
    bool dontShow = false;
    Messages::CheckBoxLayout layout;
    layout.height = 169;
    layout.tickBoxGeometry = QRect(20, 110, 300, 17);
    const QMessageBox::StandardButton answer =
        Messages::showWithCheckBox(this, QMessageBox::Warning, QStringLiteral("Hinweis"), question,
                                   QMessageBox::Yes | QMessageBox::No, {},
                                   QStringLiteral("Diese Meldung nicht mehr anzeigen"), &dontShow, layout);
    guarded(this, [&] {
        IniFile settings = m_session.settings();
        settings.writeBool(kSettingsSection, kSettingsKey, dontShow);
        settings.commit();
    });
    m_dontShowDialog = dontShow;
    // Closing the box is no consent: like No it saves nothing.
    return answer != QMessageBox::Yes;
}

bool TForm8::CheckData()
{
    QString errors;
    const QString name = storedName(Edit1->text());
    if (name.isEmpty())
        errors += QStringLiteral("- die Bezeichnung für den Trainingsbereich darf nicht leer sein") + kLineEnd;
    if (Label8->text() == QLatin1String("-1")) {
        for (int row = 1; row <= StringAlignGrid1->gridRowCount() - 2; ++row) {
            if (StringAlignGrid1->cells(1, row) == name) {
                errors += QStringLiteral("- ein Trainingsbereich mit dieser Bezeichnung existiert bereits") + kLineEnd;
                break;
            }
        }
    }
    if (!limitReadable(maskeditL2))
        errors += QStringLiteral("- die Untergrenze der Herzfrequenz ist keine Zahl") + kLineEnd;
    if (!limitReadable(maskeditL1))
        errors += QStringLiteral("- die Obergrenze der Herzfrequenz ist keine Zahl") + kLineEnd;
    const int min = limitOf(maskeditL2);
    const int max = limitOf(maskeditL1);
    if (min != 0 && max != 0 && min >= max)
        errors += QStringLiteral("- die Untergrenze der Herzfrequenz muss kleiner sein, als die Obergrenze") + kLineEnd;

    if (errors.isEmpty())
        return false;
    Messages::beep();
    Messages::show(this, QMessageBox::Critical, QStringLiteral("Fehler"),
                   QStringLiteral("Es sind folgende Eingabefehler aufgetreten:") + kLineEnd + errors, QMessageBox::Ok);
    return true;
}

void TForm8::BitBtn2Click()
{
    const QString id = Label8->text();
    if (!isZoneId(id))
        return; // only a zone of the list that was chosen
    if (!Messages::confirm(this, QStringLiteral("Bestätigen"),
                           QStringLiteral("Möchten Sie diesen Trainingsbereich wirklich löschen?") + kLineEnd
                               + QStringLiteral("Er wird danach bei statistischen Auswertungen nicht mehr "
                                                "berücksichtigt.")))
        return;
    bool deletedElsewhere = false;
    guarded(this, [&] {
        deletedElsewhere = !Zones::remove(m_session.ZDatabase1, id);
        // The deleted zone is no longer open for a save.
        DisableControls();
        BitBtn1->setEnabled(false);
    });
    guarded(this, [&] { StringGridLesen(); });
    if (deletedElsewhere)
        Messages::deletedElsewhere(this, QStringLiteral("Der Trainingsbereich"));
}

void TForm8::maskeditL1Exit()
{
    if (limitOf(maskeditL1) > 100) {
        const QSignalBlocker block(maskeditL1);
        maskeditL1->setText(QStringLiteral("100"));
    }
}

void TForm8::DisableControls()
{
    Edit1->clear();
    maskeditL1->clear();
    maskeditL2->clear();
    for (QWidget* field : std::initializer_list<QWidget*>{Edit1, maskeditL2, maskeditL1, Bevel1})
        FieldColours::setLocked(field, true, QColor(233, 233, 233));
}

void TForm8::EnableControls()
{
    for (QWidget* field : std::initializer_list<QWidget*>{Edit1, maskeditL2, maskeditL1, Bevel1})
        FieldColours::setLocked(field, false);
}

void TForm8::FormClose()
{
    Q_EMIT closed();
}

void TForm8::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

bool TForm8::eventFilter(QObject* watched, QEvent* event)
{
    // Opening the field's context menu or another window taking the
    // activation does not leave the field.
    if (watched == maskeditL1 && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            maskeditL1Exit();
    }
    return QWidget::eventFilter(watched, event);
}
