#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "screenfit.h"
#include "session.h"
#include "sqltext.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "workingwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, bool bold = false)
{
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->adjustSize();
    return l;
}

QToolButton* speedButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon,
                         int x, int y)
{
    auto* b = named(new QToolButton(parent), name);
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(x, y, 23, 22);
    return b;
}

} // namespace

// A window of its own, kept above its owner (the main window) by the desktop,
// but not above other programs nor above the program's boxes and dialogs.
TForm4::TForm4(int userId, QWidget* parent)
    : QMainWindow(parent, workingWindowFlags()),
      m_draft(Session::hasCurrent() ? Session::current().settingsPath : QString(), userId)
{
    setObjectName(QStringLiteral("TForm4"));
    ScreenFit::keepOnScreen(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Trainingseinheiten"));
    resize(856, 529);
    m_userId = userId;
    buildWindow();
    connectHandlers();
    setUpDraft();
    FormCreate();
    // Asked once the window is on the screen.
    QTimer::singleShot(0, this, &TForm4::offerDraft);
}

TForm4::~TForm4() = default;

Query& TForm4::query() const
{
    return Session::current().ZQuery1;
}

void TForm4::buildWindow()
{
    ToolBar1 = named(new QToolBar(this), "ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    auto tool = [&](const char* name, const QString& hint, QStyle::StandardPixmap icon) {
        auto* b = named(new QToolButton(ToolBar1), name);
        b->setToolTip(hint);
        b->setIcon(style()->standardIcon(icon));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus); // toolbar buttons never take the focus
        ToolBar1->addWidget(b);
        return b;
    };
    ToolButton1 = tool("ToolButton1", QStringLiteral("Neuer Eintrag"), QStyle::SP_FileIcon);
    ToolButton13 = tool("ToolButton13", QStringLiteral("Eintrag ändern"), QStyle::SP_FileDialogDetailedView);
    ToolButton2 = tool("ToolButton2", QStringLiteral("Eintrag löschen"), QStyle::SP_TrashIcon);
    ToolBar1->addSeparator();
    ToolButton10 = tool("ToolButton10", QStringLiteral("Eingaben speichern"), QStyle::SP_DialogSaveButton);
    ToolBar1->addSeparator();
    ToolButton3 = tool("ToolButton3", QStringLiteral("Erster Eintrag"), QStyle::SP_MediaSkipBackward);
    ToolButton4 = tool("ToolButton4", QStringLiteral("Vorheriger Eintrag"), QStyle::SP_MediaSeekBackward);
    ToolButton5 = tool("ToolButton5", QStringLiteral("Nächster Eintrag"), QStyle::SP_MediaSeekForward);
    ToolButton6 = tool("ToolButton6", QStringLiteral("Letzter Eintrag"), QStyle::SP_MediaSkipForward);
    ToolBar1->addSeparator();
    ToolButton8 = tool("ToolButton8", QStringLiteral("Listenansicht"), QStyle::SP_FileDialogListView);
    ToolButton12 = tool("ToolButton12", QStringLiteral("Formularansicht"), QStyle::SP_FileDialogContentsView);
    ToolButton8->setCheckable(true);
    ToolButton12->setCheckable(true);
    ToolButton12->setChecked(true);

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(area);
    buildBasicData(area);
    buildUnits(area);

    StringAlignGrid2 = named(new StringGrid(area), "StringAlignGrid2");
    StringAlignGrid2->setColumns({QString(), QStringLiteral("Datum"), QStringLiteral("Uhrzeit"),
                                  QStringLiteral("Sportart"), QStringLiteral("Strecke"), QStringLiteral("Ruhepuls"),
                                  QStringLiteral("Gewicht"), QStringLiteral("Schuhe"), QStringLiteral("Wetter"),
                                  QStringLiteral("Befinden"), QStringLiteral("Notizen")},
                                 {0, 65, 54, 90, 64, 56, 50, 94, 106, 106, 142});
    // Dates, times, distances, pulses and weights are shown whole, whatever the font.
    StringAlignGrid2->widenToFit({{}, {QStringLiteral("00.00.0000")}, {QStringLiteral("00:00:00")}, {},
                                  {QStringLiteral("000,0 km ")}, {QStringLiteral("000")},
                                  {QStringLiteral("000,0 kg ")}});
    StringAlignGrid2->setDefaultRowHeight(18);
    StringAlignGrid2->setShowGrid(true);
    StringAlignGrid2->setToolTip(QStringLiteral("Doppelklick auf Zeile für Detailansicht"));
    StringAlignGrid2->hide();

    buildZonePanel(area);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    for (int width : {150, 150, 150, 150, 50}) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(m_panels.size()));
        panel->setFixedWidth(width);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panel);
        m_panels.append(panel);
    }
    setStatusBar(StatusBar1);
}

void TForm4::buildBasicData(QWidget* area)
{
    GroupBox2 = named(new QGroupBox(QStringLiteral(" Grunddaten "), area), "GroupBox2");
    GroupBox2->setGeometry(8, 4, 404, 440);
    QWidget* g = GroupBox2;

    label(g, QStringLiteral("Datum/Uhrzeit:"), 10, 26);
    DateEdit1 = named(new DateEdit(g), "DateEdit1");
    DateEdit1->setGeometry(104, 22, 112, 22);
    DateEdit1->setButtonHint(QStringLiteral("Trainingsdatum wählen"));
    DateEdit1->setCalendarTitle(QStringLiteral("Datum wählen"));
    DateEdit1->setShowTodayWhenEmpty(true);
    maskeditL1 = named(new MaskEdit(QStringLiteral("!90:00;1;_"), g), "maskeditL1");
    maskeditL1->setGeometry(222, 22, 48, 22);

    label(g, QStringLiteral("Sportart:"), 10, 54);
    ComboBox3 = named(new QComboBox(g), "ComboBox3");
    ComboBox3->setEditable(true);
    ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox3, 40, StoredText::Kind::ListItem); // Kategorie CHAR(40)
    ComboBox3->setGeometry(104, 50, 220, 22);

    label(g, QStringLiteral("Ruhepuls:"), 10, 82);
    EnhancedEdit1 = named(new NumericEdit(g), "EnhancedEdit1");
    EnhancedEdit1->setMaxLength(2);
    EnhancedEdit1->setAlignment(Qt::AlignRight);
    EnhancedEdit1->setGeometry(104, 78, 40, 22);
    label(g, QStringLiteral("Gewicht:"), 164, 82);
    EnhancedEdit2 = named(new NumericEdit(g), "EnhancedEdit2");
    EnhancedEdit2->setKeyFilter(&NumericEdit::decimalKey);
    EnhancedEdit2->setMaxLength(5);
    EnhancedEdit2->setEscapeRestores(true);
    EnhancedEdit2->setAlignment(Qt::AlignRight);
    EnhancedEdit2->setText(QStringLiteral("0,0"));
    EnhancedEdit2->setGeometry(222, 78, 48, 22);
    label(g, QStringLiteral("kg"), 274, 82);

    label(g, QStringLiteral("Dauer:"), 10, 110);
    maskeditL3 = named(new MaskEdit(QStringLiteral("!0:00;1;_"), g), "maskeditL3");
    maskeditL3->setGeometry(104, 106, 40, 22);
    label(g, QStringLiteral("(Std:Min)"), 150, 110);

    label(g, QStringLiteral("Wetter:"), 10, 138);
    ComboBox1 = named(new QComboBox(g), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox1, 40, StoredText::Kind::ListItem); // Wetter CHAR(40)
    ComboBox1->setGeometry(104, 134, 220, 22);

    label(g, QStringLiteral("Schuhe:"), 10, 166);
    ComboBox2 = named(new QComboBox(g), "ComboBox2");
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox2, 40); // Schuhe CHAR(40)
    ComboBox2->setGeometry(104, 162, 220, 22);

    Label26 = named(label(g, QStringLiteral("Laufleistung:"), 10, 194), "Label26");
    Label24 = named(new QLabel(g), "Label24");
    Label24->setGeometry(104, 194, 200, 16);
    Label25 = named(new QLabel(g), "Label25");
    Label25->setGeometry(104, 212, 197, 45);
    Label25->setAlignment(Qt::AlignCenter);
    Label25->setWordWrap(true);
    {
        QFont f = Label25->font();
        f.setBold(true);
        Label25->setFont(f);
        QPalette p = Label25->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        Label25->setPalette(p);
    }

    label(g, QStringLiteral("Befinden:"), 10, 264);
    Memo1 = named(new MemoEdit(g), "Memo1");
    Memo1->setMaxLength(255); // Befinden CHAR(255)
    Memo1->setGeometry(104, 260, 290, 76);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    label(g, QStringLiteral("Notizen:"), 10, 346);
    Memo2 = named(new MemoEdit(g), "Memo2");
    Memo2->setMaxLength(255); // Notizen CHAR(255)
    Memo2->setGeometry(104, 342, 290, 88);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setTabChangesFocus(true);

    Label16 = named(new QLabel(QStringLiteral("-1"), g), "Label16");
    Label16->hide();
}

void TForm4::buildUnits(QWidget* area)
{
    GroupBox1 = named(new QGroupBox(QStringLiteral(" Trainingsinhalte "), area), "GroupBox1");
    GroupBox1->setGeometry(420, 4, 428, 440);
    QWidget* g = GroupBox1;

    label(g, QStringLiteral("Strecke:"), 10, 26);
    EnhancedEdit3 = named(new NumericEdit(g), "EnhancedEdit3");
    EnhancedEdit3->setKeyFilter(&NumericEdit::decimalKey);
    EnhancedEdit3->setAlignment(Qt::AlignRight);
    EnhancedEdit3->setGeometry(96, 22, 64, 22);
    label(g, QStringLiteral("km"), 164, 26);

    label(g, QStringLiteral("Zeit:"), 10, 54);
    maskeditL2 = named(new MaskEdit(QStringLiteral("!00:00:00;1;_"), g), "maskeditL2");
    maskeditL2->setGeometry(96, 50, 64, 22);
    label(g, QStringLiteral("h"), 164, 54);
    Label19 = named(label(g, QString(), 180, 54, true), "Label19");
    Label19->setFixedWidth(120);

    label(g, QStringLiteral("Puls:"), 10, 82);
    EnhancedEdit4 = named(new NumericEdit(g), "EnhancedEdit4");
    EnhancedEdit4->setMaxLength(3);
    EnhancedEdit4->setGeometry(96, 78, 40, 22);
    Label20 = named(label(g, QString(), 144, 82, true), "Label20");
    Label20->setFixedWidth(140);

    label(g, QStringLiteral("Trainingsart:"), 10, 110);
    ComboBox4 = named(new QComboBox(g), "ComboBox4");
    ComboBox4->setEditable(true);
    ComboBox4->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox4, 40); // units.Bereich CHAR(40)
    // Names are proposed below the field, not written into it: a zone name
    // in the field is one the user typed or picked, and is checked against
    // the advice as such.
    ComboBox4->completer()->setCompletionMode(QCompleter::PopupCompletion);
    ComboBox4->setGeometry(96, 106, 250, 22);
    SpeedButton6 = speedButton(g, "SpeedButton6", QStringLiteral("empfohlene Auswahlmöglichkeiten gemäß Herzfrequenz"),
                               QStyle::SP_MessageBoxQuestion, 350, 106);
    SpeedButton6->setEnabled(false);

    BitCheckBox1 = named(new QCheckBox(QStringLiteral("als Serie mit"), g), "BitCheckBox1");
    BitCheckBox1->setGeometry(10, 136, 100, 20);
    EnhancedEdit5 = named(new NumericEdit(g), "EnhancedEdit5");
    EnhancedEdit5->setMaxLength(2);
    EnhancedEdit5->setGeometry(112, 134, 30, 22);
    Label15 = named(label(g, QStringLiteral("Wiederholungen eintragen"), 148, 138), "Label15");
    Button1 = named(new QPushButton(QStringLiteral("&Eintragen   >>>"), g), "Button1");
    Button1->setGeometry(300, 160, 120, 25);

    SpeedButton5 = speedButton(g, "SpeedButton5", QStringLiteral("neuer Eintrag"), QStyle::SP_FileIcon, 8, 194);
    SpeedButton1 = speedButton(g, "SpeedButton1", QStringLiteral("Eintrag nach oben verschieben"),
                               QStyle::SP_ArrowUp, 8, 220);
    SpeedButton2 = speedButton(g, "SpeedButton2", QStringLiteral("Eintrag nach unten verschieben"),
                               QStyle::SP_ArrowDown, 8, 246);
    SpeedButton4 = speedButton(g, "SpeedButton4", QStringLiteral("Eintrag ändern"),
                               QStyle::SP_FileDialogDetailedView, 8, 272);
    SpeedButton3 = speedButton(g, "SpeedButton3", QStringLiteral("Eintrag löschen"), QStyle::SP_TrashIcon, 8, 298);

    StringAlignGrid1 = named(new StringGrid(g), "StringAlignGrid1");
    StringAlignGrid1->setGeometry(36, 194, 384, 212);
    StringAlignGrid1->setColumns({QStringLiteral("Nr. "), QStringLiteral("Strecke"), QStringLiteral("Zeit"),
                                  QStringLiteral("Puls"), QStringLiteral("Trainingsart")},
                                 {25, 64, 64, 56, 170});
    StringAlignGrid1->widenToFit({{QStringLiteral("00. ")}, {QStringLiteral("000,0 km ")},
                                  {QStringLiteral("00:00:00")}, {QStringLiteral("000")}});
    StringAlignGrid1->setDefaultRowHeight(18);

    label(g, QStringLiteral("Gesamt:"), 36, 414, true);
    Label18 = named(label(g, QString(), 96, 414, true), "Label18");
    Label18->setFixedWidth(120);
}

void TForm4::buildZonePanel(QWidget* area)
{
    Panel2 = named(new QFrame(area), "Panel2");
    Panel2->setGeometry(348, 328, 265, 137);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setAutoFillBackground(true);
    QPalette p = Panel2->palette();
    p.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xBF)); // $BFFFFF
    Panel2->setPalette(p);
    Label27 = named(new QLabel(QStringLiteral("mögliche Trainingsbereiche gemäß angegebener HF"), Panel2), "Label27");
    Label27->move(8, 9);
    {
        // The panel is narrow: the heading takes a font that fits it.
        QFont f = Label27->font();
        while (f.pointSize() > 6 && QFontMetrics(f).horizontalAdvance(Label27->text()) > 249)
            f.setPointSize(f.pointSize() - 1);
        Label27->setFont(f);
    }
    Label27->adjustSize();
    StringAlignGrid3 = named(new StringGrid(Panel2), "StringAlignGrid3");
    StringAlignGrid3->setHeadingVisible(false);
    StringAlignGrid3->setColumns({QString(), QString()}, {150, 95});
    StringAlignGrid3->setGeometry(8, 30, 247, 59);
    StringAlignGrid3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringAlignGrid3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringAlignGrid3->setGridRowCount(3);
    SpeedButton7 = named(new QToolButton(Panel2), "SpeedButton7");
    SpeedButton7->setText(QStringLiteral("Schließen"));
    SpeedButton7->setAutoRaise(true);
    SpeedButton7->setGeometry(92, 100, 77, 25);
    SpeedButton8 = named(new QToolButton(Panel2), "SpeedButton8");
    SpeedButton8->setText(QStringLiteral("Übernehmen"));
    SpeedButton8->setAutoRaise(true);
    SpeedButton8->setGeometry(176, 100, 77, 25);
    Panel2->hide();
}

void TForm4::connectHandlers()
{
    connect(ToolButton1, &QToolButton::clicked, this, &TForm4::ToolButton1Click);
    connect(ToolButton13, &QToolButton::clicked, this, &TForm4::ToolButton13Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TForm4::ToolButton2Click);
    connect(ToolButton10, &QToolButton::clicked, this, &TForm4::ToolButton10Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TForm4::ToolButton3Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TForm4::ToolButton4Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TForm4::ToolButton5Click);
    connect(ToolButton6, &QToolButton::clicked, this, &TForm4::ToolButton6Click);
    connect(ToolButton8, &QToolButton::clicked, this, &TForm4::ToolButton8Click);
    connect(ToolButton12, &QToolButton::clicked, this, &TForm4::ToolButton12Click);

    connect(SpeedButton5, &QToolButton::clicked, this, &TForm4::SpeedButton5Click);
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm4::SpeedButton4Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm4::SpeedButton3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm4::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm4::SpeedButton2Click);
    connect(StringAlignGrid1, &StringGrid::selectCell, this, &TForm4::StringAlignGrid1SelectCell);
    connect(StringAlignGrid1, &StringGrid::dblClick, this, &TForm4::StringAlignGrid1DblClick);
    connect(EnhancedEdit5, &QLineEdit::textChanged, this, &TForm4::EnhancedEdit5Change);

    connect(StringAlignGrid2, &StringGrid::selectCell, this, &TForm4::StringAlignGrid2SelectCell);
    connect(StringAlignGrid2, &StringGrid::dblClick, this, &TForm4::StringAlignGrid2DblClick);

    connect(ComboBox4, &QComboBox::currentTextChanged, this, &TForm4::ComboBox4Change);
    connect(SpeedButton6, &QToolButton::clicked, this, &TForm4::SpeedButton6Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TForm4::SpeedButton7Click);
    connect(SpeedButton8, &QToolButton::clicked, this, &TForm4::SpeedButton8Click);
    connect(StringAlignGrid3, &StringGrid::dblClick, this, &TForm4::StringAlignGrid3DblClick);

    connect(ComboBox2, &QComboBox::currentTextChanged, this, &TForm4::ComboBox2Change);

    // A list field that is not being typed in shows its text from the start.
    for (QComboBox* combo : {ComboBox1, ComboBox2, ComboBox3, ComboBox4})
        connect(combo, &QComboBox::currentTextChanged, combo, [combo] {
            if (!combo->hasFocus())
                combo->lineEdit()->setCursorPosition(0);
        });

    // Edits that only mark the entry as changed.
    connect(DateEdit1, &DateEdit::changed, this, &TForm4::setDirty);
    for (QLineEdit* edit : std::initializer_list<QLineEdit*>{maskeditL1, maskeditL3, EnhancedEdit1, EnhancedEdit2,
                                                             EnhancedEdit3, maskeditL2, EnhancedEdit4})
        connect(edit, &QLineEdit::textChanged, this, &TForm4::setDirty);
    for (QComboBox* combo : {ComboBox3, ComboBox1})
        connect(combo, &QComboBox::currentTextChanged, this, &TForm4::setDirty);
    for (QPlainTextEdit* memo : {Memo1, Memo2})
        connect(memo, &QPlainTextEdit::textChanged, this, &TForm4::setDirty);
    connect(BitCheckBox1, &QCheckBox::clicked, this, &TForm4::setDirty);

    // Leaving and entering fields.
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, ComboBox3, Memo1, Memo2, EnhancedEdit3, maskeditL2,
                                                      EnhancedEdit4})
        w->installEventFilter(this);
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    // Opening a field's own drop-down list or context menu does not leave
    // it, nor does a box or another window taking the activation.
    const auto reason = event->type() == QEvent::FocusOut ? static_cast<QFocusEvent*>(event)->reason()
                                                          : Qt::OtherFocusReason;
    if (event->type() == QEvent::FocusOut && reason != Qt::PopupFocusReason
        && reason != Qt::ActiveWindowFocusReason) {
        if (watched == ComboBox1)
            ComboBox1Exit();
        else if (watched == ComboBox3)
            ComboBox3Exit();
        else if (watched == Memo1)
            Memo1Exit();
        else if (watched == Memo2)
            Memo2Exit();
        else if (watched == EnhancedEdit3)
            EnhancedEdit3Exit();
        else if (watched == maskeditL2)
            maskeditL2Exit();
        else if (watched == EnhancedEdit4)
            EnhancedEdit4Exit();
    } else if (event->type() == QEvent::FocusIn && watched == EnhancedEdit4) {
        EnhancedEdit4Enter();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm4::setPanel(int index, const QString& text)
{
    if (QLabel* panel = m_panels.value(index))
        panel->setText(text);
}

void TForm4::closeEvent(QCloseEvent* event)
{
    if (Messages::ending()) {
        // The desktop session ends: no one is there to answer, so the input
        // not saved waits as the draft for the next opening.
        keepDraftNow();
    } else {
        // Input whose save was refused keeps the window open.
        if (!m_closing && !askToSaveChanges() && !Messages::ending()) {
            event->ignore();
            return;
        }
        // What was not saved now was let go, unless the program was
        // stopped while it asked.
        if (m_draftOffered && !Messages::ending())
            m_draft.remove();
    }
    FormClose();
    event->accept();
}

void TForm4::FormCreate()
{
    guarded(this, [&] {
        StringAlignGrid2->hide();
        m_maxHeartRate = 0;
        m_entries.clear();

        const IniFile settings = Session::current().settings();
        ComboBox3->addItem(placeholderItem());
        ComboBox3->addItems(splitItemList(settings.readString(QStringLiteral("Sportarten"), QStringLiteral("Items"),
                                                              QStringLiteral("Laufen%Radfahren%Schwimmen%"))));
        ComboBox1->addItems(
            splitItemList(settings.readString(QStringLiteral("Wetter"), QStringLiteral("Items"), QString())));
        m_hfDialog = settings.readBool(QStringLiteral("DontShowDialogs"), QStringLiteral("HFDialog"), false);

        ShowShoes();
        // Filling a list must not put its first item into the field.
        ComboBox1->setCurrentIndex(-1);
        ComboBox2->setCurrentIndex(-1);

        Query& q = query();
        q.open(QStringLiteral("SELECT ruhepuls, gewicht, maxpuls FROM users WHERE ID = ") + quoted(m_userId));
        if (q.recordCount() > 0) {
            EnhancedEdit1->setText(q.field(0).asString());
            m_defaultRestPulse = int(q.field(0).asInteger());
            EnhancedEdit2->setText(q.field(1).asString());
            m_defaultWeight = q.field(1).asString();
            m_maxHeartRate = int(q.field(2).asInteger());
        }

        QStringList zones;
        GetZoneList(zones);
        ComboBox4->addItem(placeholderItem());
        for (const QString& line : zones)
            ComboBox4->addItem(splitZoneLine(line).at(1));
        ComboBox4->setCurrentIndex(0);
        ComboBox3->setCurrentIndex(0);

        CheckMain(true);
        m_dirty = false;
        if (m_entries.isEmpty()) {
            setPanel(3, QStringLiteral("  ID:"));
            Label16->setText(QStringLiteral("-1"));
            ToolButton2->setEnabled(false);
            DateEdit1->setDate(QDate::currentDate());
            Blaettern();
            ToolButton3->setEnabled(false);
            ToolButton4->setEnabled(false);
            ToolButton13->setEnabled(false);
        } else {
            m_position = int(m_entries.size()) - 1;
            Blaettern();
        }
        // Showing the entry has refreshed the shoe mileage already.
        showTotalDistance();
    });
    m_dirty = false;
    ToolButton1->setEnabled(true);
}

void TForm4::showTotalDistance()
{
    // The total over the whole diary changes only when the diary does.
    checkDiaryStamp();
    if (m_totalShown)
        return;
    setPanel(1, QStringLiteral("  Gesamt: ") + GetTotalDistance(QDate(1980, 1, 1), QDate::currentDate(), m_userId)
                    + QStringLiteral(" km"));
    m_totalShown = true;
}

void TForm4::FormClose()
{
    if (m_closing)
        return;
    m_closing = true;
    guarded(this, [&] {
        IniFile settings = Session::current().settings();
        QStringList sports;
        for (int i = 1; i < ComboBox3->count(); ++i)
            sports << ComboBox3->itemText(i);
        settings.writeString(QStringLiteral("Sportarten"), QStringLiteral("Items"), joinItemList(sports));
        QStringList weather;
        for (int i = 0; i < ComboBox1->count(); ++i)
            if (!ComboBox1->itemText(i).isEmpty())
                weather << ComboBox1->itemText(i);
        settings.writeString(QStringLiteral("Wetter"), QStringLiteral("Items"), joinItemList(weather));
        settings.commit();
    });
    Q_EMIT closed(!m_entries.isEmpty());
}
