#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "fieldwidth.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "screenfit.h"
#include "session.h"
#include "diarytraining.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "workingwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A small curve over a baseline: the course of a training.
QIcon courseIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawLine(QPointF(1.5, 14.5), QPointF(14.5, 14.5));
    painter.setPen(QPen(QColor(0xC0, 0x20, 0x20), 1.6));
    const QPointF curve[] = {{1.5, 11}, {4, 7}, {6.5, 9}, {9, 3}, {11.5, 8}, {14.5, 5}};
    painter.drawPolyline(curve, 6);
    return QIcon(pixmap);
}

// One line of a form: the caption in the first column, the fields side by
// side in the second, followed by the free room unless they take it.
QHBoxLayout* addFieldRow(QGridLayout* rows, int r, QLabel* caption, std::initializer_list<QWidget*> fields,
                         bool stretch)
{
    if (caption)
        rows->addWidget(caption, r, 0, Qt::AlignLeft | Qt::AlignVCenter);
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    for (QWidget* field : fields)
        line->addWidget(field);
    if (stretch)
        line->addStretch(1);
    rows->addLayout(line, r, 1);
    return line;
}

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(QWidget* parent, const QString& text, bool bold = false)
{
    auto* l = new QLabel(text, parent);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->adjustSize();
    return l;
}

QToolButton* speedButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon)
{
    auto* b = named(new QToolButton(parent), name);
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(QSize(23, 22).expandedTo(b->sizeHint()));
    return b;
}

} // namespace

// A window of its own, kept above its owner (the main window) by the desktop,
// but not above other programs nor above the program's boxes and dialogs.
TForm4::TForm4(Session& session, int userId, QWidget* parent)
    : QMainWindow(parent, workingWindowFlags()), m_session(session),
      m_model(session.ZDatabase1, userId, session.settingsPath)
{
    setObjectName(QStringLiteral("TForm4"));
    ScreenFit::keepOnScreen(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Trainingseinheiten"));
    buildWindow();
    resize(QSize(856, 529).expandedTo(minimumSizeHint()));
    connectHandlers();
    setUpImportMenu();
    setUpListView();
    setUpKeys();
    setUpDraft();
    FormCreate();
    // Watch files dropped anywhere onto the window are taken as the import
    // button takes them: no field takes a dropped file as its text.
    for (QWidget* child : findChildren<QWidget*>())
        child->setAcceptDrops(false);
    setAcceptDrops(true);
    // Asked once the window is on the screen: the draft, then the watch's
    // new trainings (one question after the other, never stacked).
    QTimer::singleShot(0, this, [this] {
        offerDraft();
        offerWatchTrainings();
    });
}

TForm4::~TForm4() = default;

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
    ImportButton = tool("ImportButton", QStringLiteral("Trainings aus Dateien übernehmen (FIT, TCX, GPX)"),
                        QStyle::SP_DialogOpenButton);
    VerlaufButton = tool("VerlaufButton", QStringLiteral("Verlauf der Trainingseinheit anzeigen"),
                         QStyle::SP_FileDialogInfoView);
    VerlaufButton->setIcon(courseIcon());
    VerlaufButton->setEnabled(false);
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
    // The two groups side by side share the room of the window.
    auto* groups = new QHBoxLayout(area);
    groups->setContentsMargins(8, 4, 8, 8);
    groups->setSpacing(8);
    groups->addWidget(GroupBox2, 1);
    groups->addWidget(GroupBox1, 1);

    // The list view's bar, a toolbar row of its own under the main one while
    // the list is shown: the filter and what acts on the rows chosen.
    addToolBarBreak();
    ListBar = named(new QToolBar(this), "ListBar");
    ListBar->setMovable(false);
    ListBar->setFloatable(false);
    ListBar->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, ListBar);
    auto* barArea = new QWidget(ListBar);
    auto* bar = new QHBoxLayout(barArea);
    bar->setContentsMargins(6, 2, 6, 2);
    bar->setSpacing(6);
    FilterEdit = named(new QLineEdit(barArea), "FilterEdit");
    FilterEdit->setPlaceholderText(QStringLiteral("Suchen in Notizen, Wetter, Schuh, Sportart…"));
    FilterEdit->setClearButtonEnabled(true);
    FilterEdit->setMinimumWidth(FilterEdit->fontMetrics().horizontalAdvance(FilterEdit->placeholderText()) + 40);
    FilterSport = named(new QComboBox(barArea), "FilterSport");
    FilterSport->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // As wide as its longest sport, also where the bar is short of room.
    FilterSport->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    AssignShoeButton = named(new QPushButton(QStringLiteral("Schuh zuweisen…"), barArea), "AssignShoeButton");
    ChangeSportButton = named(new QPushButton(QStringLiteral("Sportart ändern…"), barArea), "ChangeSportButton");
    DeleteEntriesButton = named(new QPushButton(QStringLiteral("Löschen"), barArea), "DeleteEntriesButton");
    bar->addWidget(FilterEdit, 1);
    bar->addWidget(FilterSport);
    bar->addSpacing(12);
    bar->addWidget(AssignShoeButton);
    bar->addWidget(ChangeSportButton);
    bar->addWidget(DeleteEntriesButton);
    ListBar->addWidget(barArea);
    ListBar->hide();

    StringAlignGrid2 = named(new StringGrid(area), "StringAlignGrid2");
    StringAlignGrid2->setColumns({QString(), QStringLiteral("Datum"), QStringLiteral("Uhrzeit"),
                                  QStringLiteral("Sportart"), QStringLiteral("Strecke"), QStringLiteral("Ruhepuls"),
                                  QStringLiteral("Gewicht"), QStringLiteral("Schuhe"), QStringLiteral("Wetter"),
                                  QStringLiteral("Befinden"), QStringLiteral("Notizen"), QStringLiteral("Zeit"),
                                  QStringLiteral("Tempo")},
                                 {0, 65, 54, 60, 64, 56, 50, 60, 60, 80, 142, 40, 60});
    // Dates, times, distances, pulses, weights, unit times and paces are
    // shown whole, whatever the font; sports, shoes and weather words widen
    // their columns when the list is filled.
    StringAlignGrid2->widenToFit({{}, {QStringLiteral("00.00.0000")}, {QStringLiteral("00:00:00")}, {},
                                  {QStringLiteral("000,0 km ")}, {QStringLiteral("000")},
                                  {QStringLiteral("000,0 kg ")}, {}, {}, {}, {}, {QStringLiteral("00:00:00")},
                                  {QStringLiteral("00:00 min/km")}});
    StringAlignGrid2->setDefaultRowHeight(18);
    // The notes take the room the other columns leave.
    StringAlignGrid2->setStretchColumn(10);
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
    QWidget* g = GroupBox2;

    QLabel* dateLabel = label(g, QStringLiteral("Datum/Uhrzeit:"));
    DateEdit1 = named(new DateEdit(g), "DateEdit1");
    DateEdit1->setButtonHint(QStringLiteral("Trainingsdatum wählen"));
    DateEdit1->setCalendarTitle(QStringLiteral("Datum wählen"));
    DateEdit1->setShowTodayWhenEmpty(true);
    maskeditL1 = named(new MaskEdit(QStringLiteral("!90:00;1;_"), g), "maskeditL1");

    QLabel* sportLabel = label(g, QStringLiteral("Sportart:"));
    ComboBox3 = named(new QComboBox(g), "ComboBox3");
    ComboBox3->setEditable(true);
    ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox3, 40, StoredText::Kind::ListItem); // Kategorie CHAR(40)

    QLabel* restPulseLabel = label(g, QStringLiteral("Ruhepuls:"));
    EnhancedEdit1 = named(new NumericEdit(g), "EnhancedEdit1");
    EnhancedEdit1->setMaxLength(2);
    EnhancedEdit1->setAlignment(Qt::AlignRight);
    QLabel* weightLabel = label(g, QStringLiteral("Gewicht:"));
    EnhancedEdit2 = named(new NumericEdit(g), "EnhancedEdit2");
    EnhancedEdit2->setKeyFilter(&NumericEdit::decimalKey);
    EnhancedEdit2->setMaxLength(5);
    EnhancedEdit2->setEscapeRestores(true);
    EnhancedEdit2->setAlignment(Qt::AlignRight);
    EnhancedEdit2->setText(QStringLiteral("0,0"));
    QLabel* kgLabel = label(g, QStringLiteral("kg"));

    QLabel* durationLabel = label(g, QStringLiteral("Dauer:"));
    maskeditL3 = named(new MaskEdit(QStringLiteral("!90:00;1;_"), g), "maskeditL3");
    QLabel* hoursLabel = label(g, QStringLiteral("(Std:Min)"));

    QLabel* weatherLabel = label(g, QStringLiteral("Wetter:"));
    ComboBox1 = named(new QComboBox(g), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox1, 40, StoredText::Kind::ListItem); // Wetter CHAR(40)

    QLabel* shoeLabel = label(g, QStringLiteral("Schuhe:"));
    ComboBox2 = named(new QComboBox(g), "ComboBox2");
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox2, 40); // Schuhe CHAR(40)

    Label26 = named(label(g, QStringLiteral("Laufleistung:")), "Label26");
    Label24 = named(new QLabel(g), "Label24");
    Label25 = named(new QLabel(g), "Label25");
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

    QLabel* feelingLabel = label(g, QStringLiteral("Befinden:"));
    Memo1 = named(new MemoEdit(g), "Memo1");
    Memo1->setMaxLength(255); // Befinden CHAR(255)
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    QLabel* notesLabel = label(g, QStringLiteral("Notizen:"));
    Memo2 = named(new MemoEdit(g), "Memo2");
    Memo2->setMaxLength(255); // Notizen CHAR(255)
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setTabChangesFocus(true);

    Label16 = named(new QLabel(QStringLiteral("-1"), g), "Label16");
    Label16->hide();

    // Sizes by the font: each field shows the longest value it takes.
    FieldWidth::fitTo(DateEdit1, QStringLiteral("00.00.0000"));
    FieldWidth::fitTo(maskeditL1, QStringLiteral("00:00"));
    FieldWidth::fitTo(EnhancedEdit1, QStringLiteral("00"));
    FieldWidth::fitTo(EnhancedEdit2, QStringLiteral("000,0"));
    FieldWidth::fitTo(maskeditL3, QStringLiteral("00:00"));
    for (QComboBox* combo : {ComboBox3, ComboBox1, ComboBox2})
        FieldWidth::atLeast(combo, placeholderItem());
    Label24->setMinimumWidth(Label24->fontMetrics().horizontalAdvance(QStringLiteral("99999,9 km")));
    // The warning keeps its room, so that the memos do not move when it comes.
    const QString warning = QStringLiteral("Achtung! Die festgelegte maximale Laufleistung von 99999 km wurde "
                                           "überschritten.");
    Label25->setFixedWidth(
        qMax(197, Label25->fontMetrics().horizontalAdvance(QStringLiteral("maximale Laufleistung von ")) + 8));
    Label25->setMinimumHeight(Label25->fontMetrics()
                                  .boundingRect(QRect(0, 0, Label25->width(), 1000), Qt::TextWordWrap, warning)
                                  .height());
    FieldWidth::keepLines(Memo1, 3);
    FieldWidth::keepLines(Memo2, 3);

    // Labels on the left, the fields beside them; the memos take the room.
    auto* rows = new QGridLayout(g);
    rows->setHorizontalSpacing(8);
    rows->setColumnStretch(1, 1);
    auto row = [&](int r, QLabel* caption, std::initializer_list<QWidget*> fields, bool stretch = true) {
        return addFieldRow(rows, r, caption, fields, stretch);
    };
    row(0, dateLabel, {DateEdit1, maskeditL1});
    rows->addWidget(sportLabel, 1, 0);
    rows->addWidget(ComboBox3, 1, 1);
    row(2, restPulseLabel, {EnhancedEdit1, weightLabel, EnhancedEdit2, kgLabel})->insertSpacing(1, 14);
    row(3, durationLabel, {maskeditL3, hoursLabel});
    rows->addWidget(weatherLabel, 4, 0);
    rows->addWidget(ComboBox1, 4, 1);
    rows->addWidget(shoeLabel, 5, 0);
    rows->addWidget(ComboBox2, 5, 1);
    row(6, Label26, {Label24});
    row(7, nullptr, {Label25});
    rows->addWidget(feelingLabel, 8, 0, Qt::AlignLeft | Qt::AlignTop);
    rows->addWidget(Memo1, 8, 1);
    rows->addWidget(notesLabel, 9, 0, Qt::AlignLeft | Qt::AlignTop);
    rows->addWidget(Memo2, 9, 1);
    rows->setRowStretch(8, 76);
    rows->setRowStretch(9, 88);
}

void TForm4::buildUnits(QWidget* area)
{
    GroupBox1 = named(new QGroupBox(QStringLiteral(" Trainingsinhalte "), area), "GroupBox1");
    QWidget* g = GroupBox1;

    QLabel* distanceLabel = label(g, QStringLiteral("Strecke:"));
    EnhancedEdit3 = named(new NumericEdit(g), "EnhancedEdit3");
    EnhancedEdit3->setKeyFilter(&NumericEdit::decimalKey);
    EnhancedEdit3->setAlignment(Qt::AlignRight);
    QLabel* kmLabel = label(g, QStringLiteral("km"));

    QLabel* timeLabel = label(g, QStringLiteral("Zeit:"));
    maskeditL2 = named(new MaskEdit(QStringLiteral("!00:00:00;1;_"), g), "maskeditL2");
    QLabel* hLabel = label(g, QStringLiteral("h"));
    Label19 = named(label(g, QString(), true), "Label19");

    QLabel* pulseLabel = label(g, QStringLiteral("Puls:"));
    EnhancedEdit4 = named(new NumericEdit(g), "EnhancedEdit4");
    EnhancedEdit4->setMaxLength(3);
    Label20 = named(label(g, QString(), true), "Label20");

    QLabel* zoneLabel = label(g, QStringLiteral("Trainingsart:"));
    ComboBox4 = named(new QComboBox(g), "ComboBox4");
    ComboBox4->setEditable(true);
    ComboBox4->setInsertPolicy(QComboBox::NoInsert);
    StoredText::limit(ComboBox4, 40); // units.Bereich CHAR(40)
    // Names are proposed below the field, not written into it: a zone name
    // in the field is one the user typed or picked, and is checked against
    // the advice as such.
    ComboBox4->completer()->setCompletionMode(QCompleter::PopupCompletion);
    SpeedButton6 = speedButton(g, "SpeedButton6", QStringLiteral("empfohlene Auswahlmöglichkeiten gemäß Herzfrequenz"),
                               QStyle::SP_MessageBoxQuestion);
    SpeedButton6->setEnabled(false);

    BitCheckBox1 = named(new QCheckBox(QStringLiteral("als Serie mit"), g), "BitCheckBox1");
    EnhancedEdit5 = named(new NumericEdit(g), "EnhancedEdit5");
    EnhancedEdit5->setMaxLength(2);
    Label15 = named(label(g, QStringLiteral("Wiederholungen eintragen")), "Label15");
    Button1 = named(new QPushButton(QStringLiteral("&Eintragen   >>>"), g), "Button1");

    SpeedButton5 = speedButton(g, "SpeedButton5", QStringLiteral("neuen Trainingsinhalt erfassen"), QStyle::SP_FileIcon);
    SpeedButton1 = speedButton(g, "SpeedButton1", QStringLiteral("Trainingsinhalt nach oben verschieben"), QStyle::SP_ArrowUp);
    SpeedButton2 = speedButton(g, "SpeedButton2", QStringLiteral("Trainingsinhalt nach unten verschieben"),
                               QStyle::SP_ArrowDown);
    SpeedButton4 = speedButton(g, "SpeedButton4", QStringLiteral("Trainingsinhalt ändern"), QStyle::SP_FileDialogDetailedView);
    SpeedButton3 = speedButton(g, "SpeedButton3", QStringLiteral("Trainingsinhalt löschen"), QStyle::SP_TrashIcon);

    StringAlignGrid1 = named(new StringGrid(g), "StringAlignGrid1");
    StringAlignGrid1->setColumns({QStringLiteral("Nr. "), QStringLiteral("Strecke"), QStringLiteral("Zeit"),
                                  QStringLiteral("Puls"), QStringLiteral("Trainingsart")},
                                 {25, 64, 64, 56, 170});
    StringAlignGrid1->widenToFit({{QStringLiteral("00. ")}, {QStringLiteral("000,0 km ")},
                                  {QStringLiteral("00:00:00")}, {QStringLiteral("000")},
                                  {QStringLiteral("Einlaufen / Auslaufen")}});
    StringAlignGrid1->setDefaultRowHeight(18);

    QLabel* totalLabel = label(g, QStringLiteral("Gesamt:"), true);
    Label18 = named(label(g, QString(), true), "Label18");

    // Sizes by the font: each field shows the longest value it takes, the
    // results beside them have room for theirs.
    // Distance and time are as wide as each other, so that "km" and "h"
    // stand one above the other.
    FieldWidth::fitTo(EnhancedEdit3, QStringLiteral("000,000"));
    FieldWidth::fitTo(maskeditL2, QStringLiteral("00:00:00"));
    const int unitWidth = qMax(EnhancedEdit3->width(), maskeditL2->width());
    EnhancedEdit3->setFixedWidth(unitWidth);
    maskeditL2->setFixedWidth(unitWidth);
    FieldWidth::fitTo(EnhancedEdit4, QStringLiteral("000"));
    FieldWidth::fitTo(EnhancedEdit5, QStringLiteral("00"));
    FieldWidth::atLeast(ComboBox4, placeholderItem());
    Label19->setMinimumWidth(Label19->fontMetrics().horizontalAdvance(QStringLiteral("88:88 min/km")));
    Label20->setMinimumWidth(Label20->fontMetrics().horizontalAdvance(QStringLiteral("888 % max. HF")));
    Label18->setMinimumWidth(Label18->fontMetrics().horizontalAdvance(QStringLiteral("99999,9 km")));
    // The grid keeps its columns whole and a few units in view; it takes
    // the room a larger window gives.
    FieldWidth::keepColumns(StringAlignGrid1, 4);

    auto* editors = new QGridLayout;
    editors->setHorizontalSpacing(8);
    editors->setColumnStretch(1, 1);
    auto row = [&](int r, QLabel* caption, std::initializer_list<QWidget*> fields, bool stretch = true) {
        addFieldRow(editors, r, caption, fields, stretch);
    };
    row(0, distanceLabel, {EnhancedEdit3, kmLabel});
    row(1, timeLabel, {maskeditL2, hLabel, Label19});
    row(2, pulseLabel, {EnhancedEdit4, Label20});
    row(3, zoneLabel, {ComboBox4, SpeedButton6}, false);
    auto* series = new QHBoxLayout;
    series->setSpacing(6);
    series->addWidget(BitCheckBox1);
    series->addWidget(EnhancedEdit5);
    series->addWidget(Label15);
    series->addStretch(1);
    editors->addLayout(series, 4, 0, 1, 2);

    auto* enter = new QHBoxLayout;
    enter->addStretch(1);
    enter->addWidget(Button1);

    auto* unitButtons = new QVBoxLayout;
    unitButtons->setSpacing(4);
    for (QToolButton* b : {SpeedButton5, SpeedButton1, SpeedButton2, SpeedButton4, SpeedButton3})
        unitButtons->addWidget(b);
    unitButtons->addStretch(1);

    auto* units = new QGridLayout;
    units->setHorizontalSpacing(6);
    units->addLayout(unitButtons, 0, 0);
    units->addWidget(StringAlignGrid1, 0, 1);
    auto* total = new QHBoxLayout;
    total->setSpacing(8);
    total->addWidget(totalLabel);
    total->addWidget(Label18);
    total->addStretch(1);
    units->addLayout(total, 1, 1);
    units->setRowStretch(0, 1);
    units->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(g);
    layout->addLayout(editors);
    layout->addLayout(enter);
    layout->addLayout(units, 1);
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
    connect(ImportButton, &QToolButton::clicked, this, &TForm4::ImportButtonClick);
    connect(VerlaufButton, &QToolButton::clicked, this, &TForm4::VerlaufButtonClick);

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
    connectBulkHandlers();

    connect(ComboBox4, &QComboBox::currentTextChanged, this, &TForm4::ComboBox4Change);
    connect(ComboBox4, &QComboBox::activated, this, &TForm4::ComboBox4Exit);
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
    // The sport tells pace from speed: the unit being typed shows the one
    // its sport is measured in.
    connect(ComboBox3, &QComboBox::currentTextChanged, this, [this] {
        if (!Label19->text().isEmpty())
            EnhancedEdit3Exit();
    });
    for (QPlainTextEdit* memo : {Memo1, Memo2})
        connect(memo, &QPlainTextEdit::textChanged, this, &TForm4::setDirty);
    connect(BitCheckBox1, &QCheckBox::clicked, this, &TForm4::setDirty);

    // Leaving and entering fields.
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, ComboBox3, Memo1, Memo2, EnhancedEdit3, maskeditL2,
                                                      EnhancedEdit4, ComboBox4})
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
        if (watched == EnhancedEdit4 || watched == ComboBox4) {
            // Left by a click: the click (on "Eintragen", say) goes
            // through before the zone is checked.
            if (reason == Qt::MouseFocusReason)
                QTimer::singleShot(0, this, &TForm4::ComboBox4Exit);
            else
                ComboBox4Exit();
        }
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
            m_model.draft().remove();
    }
    FormClose();
    event->accept();
}

void TForm4::FormCreate()
{
    guarded(this, [&] {
        StringAlignGrid2->hide();

        const IniFile settings = m_session.settings();
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

        m_model.readPerson();
        EnhancedEdit1->setText(m_model.defaultRestPulse() > 0 ? QString::number(m_model.defaultRestPulse())
                                                              : QString());
        EnhancedEdit2->setText(m_model.defaultWeight());

        QStringList zones;
        GetZoneList(m_session.ZDatabase1, zones);
        ComboBox4->addItem(placeholderItem());
        // Each zone keeps its upper limit: one without is never advised.
        for (const QString& line : zones) {
            const QStringList zone = splitZoneLine(line);
            ComboBox4->addItem(zone.at(1), zone.at(3).trimmed().toInt());
        }
        ComboBox4->setCurrentIndex(0);
        ComboBox3->setCurrentIndex(0);

        CheckMain(true);
        m_model.setDirty(false);
        m_stampRead = false;
        if (m_model.ids().isEmpty()) {
            setPanel(3, QStringLiteral("  ID:"));
            Label16->setText(QStringLiteral("-1"));
            ToolButton2->setEnabled(false);
            DateEdit1->setDate(QDate::currentDate());
            Blaettern();
            ToolButton3->setEnabled(false);
            ToolButton4->setEnabled(false);
            ToolButton13->setEnabled(false);
        } else {
            m_model.setPosition(int(m_model.ids().size()) - 1);
            Blaettern();
        }
        // Showing the entry has refreshed the shoe mileage already, and
        // with it the total when it read the diary's mark.
        showTotalDistance(m_stampRead);
    });
    m_model.setDirty(false);
    ToolButton1->setEnabled(true);
}

void TForm4::showTotalDistance()
{
    // The total over the whole diary changes only when the diary does.
    readSums(true, QString());
}

void TForm4::showTotalDistance(bool stampRead)
{
    if (!stampRead || !m_totalShown)
        readSums(true, QString());
}

void TForm4::FormClose()
{
    if (m_closing)
        return;
    m_closing = true;
    guarded(this, [&] {
        IniFile settings = m_session.settings();
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
    Q_EMIT closed(!m_model.ids().isEmpty());
}
