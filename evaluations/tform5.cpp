#include "tform5.h"

#include "chart.h"
#include "dateedit.h"
#include "documents.h"
#include "evaluationcontrols.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "messages.h"
#include "periodchooser.h"
#include "metafile.h"
#include "savefolder.h"
#include "screenfit.h"
#include "session.h"
#include "textforms.h"
#include "workingwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QSlider>
#include <QSvgGenerator>
#include <QToolButton>
#include <QVBoxLayout>

using evaluation::makeLine;
using evaluation::SummaryBox;

namespace {

const QString kSection = QStringLiteral("Statistik");
const QString kSportKey = QStringLiteral("Sportart");
const QString kEvaluationKey = QStringLiteral("Auswertung");
const QString kPictureKey = QStringLiteral("Bildformat");

QToolButton* makeSpeedButton(QWidget* parent, const QString& name, const QString& hint, const QString& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(24, 24));
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& text)
{
    return new QLabel(text, parent);
}

} // namespace

TForm5::TForm5(Session& session, int userId, QWidget* parent)
    : QWidget(parent, workingWindowFlags()), m_session(session), m_userId(userId)
{
    ScreenFit::keepOnScreen(this);
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Statistiken"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));

    SpeedButton1 = makeSpeedButton(panel, QStringLiteral("SpeedButton1"), QStringLiteral("Diagramm drucken"),
                                   QStringLiteral(":/reporticons/print.svg"));
    SpeedButton2 = makeSpeedButton(panel, QStringLiteral("SpeedButton2"),
                                   QStringLiteral("Diagramm als Grafik speichern"),
                                   QStringLiteral(":/reporticons/save.svg"));
    SpeedButton3 = makeSpeedButton(panel, QStringLiteral("SpeedButton3"),
                                   QStringLiteral("Trainingsauswertungen in Textform anzeigen"),
                                   QStringLiteral(":/reporticons/report.svg"));

    ComboBox3 = new evaluation::PanelList(panel);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({QStringLiteral("-- bitte wählen --"), QStringLiteral("Anteile Trainingsbereiche (%)"),
                         QStringLiteral("Anteile Sportarten (Umfang)"),
                         QStringLiteral("Anteile Sportarten (Zeitaufwand)"),
                         QStringLiteral("Streckenauswertung (km)"), QStringLiteral("Gewicht"),
                         QStringLiteral("Schuhauswertung"),
                         QStringLiteral("Trainingsbelastung (Fitness, Ermüdung, Form)"),
                         QStringLiteral("Tempo-Entwicklung"), QStringLiteral("Kilometer pro Woche nach Sportart"),
                         QStringLiteral("Kilometer pro Monat nach Sportart")});
    ComboBox4 = new evaluation::PanelList(panel);
    ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
    ComboBox4->setToolTip(QStringLiteral("Nur die Trainings dieser Sportart auswerten"));

    QVBoxLayout* periodLayout = nullptr;
    QGroupBox* period = evaluation::makePeriodGroup(panel, QStringLiteral("ComboBox5"), ComboBox5, FromDate1, TilDate1, periodLayout);
    m_period = new evaluation::PeriodChooser(m_session, FromDate1, TilDate1, ComboBox5, m_userId, this);
    FromDate1->setDateAcceptor([this](const QDate& d) { return FromDate1AcceptDate(d); });
    TilDate1->setDateAcceptor([this](const QDate& d) { return TilDate1AcceptDate(d); });
    BitCheckBox2 = new SummaryBox(QStringLiteral("wöchentlich"), period);
    BitCheckBox2->setObjectName(QStringLiteral("BitCheckBox2"));
    BitCheckBox3 = new SummaryBox(QStringLiteral("monatlich"), period);
    BitCheckBox3->setObjectName(QStringLiteral("BitCheckBox3"));
    periodLayout->addWidget(makeLine(period));
    periodLayout->addWidget(makeLabel(period, QStringLiteral(" Zusammenfassung ")));
    periodLayout->addWidget(BitCheckBox2);
    periodLayout->addWidget(BitCheckBox3);

    ComboBox1 = new evaluation::PanelList(panel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));

    auto* style = new QGroupBox(QStringLiteral(" Diagrammstil "), panel);
    style->setObjectName(QStringLiteral("GroupBox2"));
    ComboBox2 = new QComboBox(style);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems({QStringLiteral("Balkendiagramm"), QStringLiteral("Liniendiagramm")});
    BitCheckBox1 = new QCheckBox(QStringLiteral("3D-Darstellung"), style);
    BitCheckBox1->setObjectName(QStringLiteral("BitCheckBox1"));
    RxSlider1 = new QSlider(Qt::Horizontal, style);
    RxSlider1->setObjectName(QStringLiteral("RxSlider1"));
    RxSlider1->setRange(2, 35);
    RxSlider1->setSingleStep(2);
    RxSlider1->setPageStep(2);
    Label4 = makeLabel(style, QString());
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setAlignment(Qt::AlignCenter);
    auto* styleLayout = new QVBoxLayout(style);
    styleLayout->addWidget(ComboBox2);
    styleLayout->addWidget(BitCheckBox1);
    styleLayout->addWidget(RxSlider1);
    styleLayout->addWidget(Label4);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    buttons->addWidget(SpeedButton3);
    buttons->addStretch(1);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(6, 6, 6, 6);
    panelLayout->addLayout(buttons);
    panelLayout->addWidget(makeLine(panel));
    panelLayout->addWidget(makeLabel(panel, QStringLiteral("Auswertung")));
    panelLayout->addWidget(ComboBox3);
    panelLayout->addWidget(makeLabel(panel, QStringLiteral("Sportart")));
    panelLayout->addWidget(ComboBox4);
    panelLayout->addWidget(period);
    panelLayout->addWidget(makeLabel(panel, QStringLiteral("Trainingsbereiche")));
    panelLayout->addWidget(ComboBox1);
    panelLayout->addWidget(style);
    panelLayout->addStretch(1);
    // 177 pixels, or what the texts of the font in use need; the lists
    // shorten a long item rather than widen the panel.
    panel->setFixedWidth(qMax(177, panelLayout->sizeHint().width()));

    Chart1 = new chart::ChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    // The chart takes the room; below this it would be unreadable.
    Chart1->setMinimumSize(360, 280);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(evaluation::makeScrollingPanel(this, panel));
    layout->addWidget(Chart1, 1);
    resize(853, 506);

    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TForm5::ComboBox3Change);
    connect(m_period, &evaluation::PeriodChooser::periodChosen, this, &TForm5::ComboBox3Change);
    connect(FromDate1, &DateEdit::changed, this, &TForm5::ComboBox3Change);
    connect(TilDate1, &DateEdit::changed, this, &TForm5::ComboBox3Change);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm5::ComboBox1Change);
    connect(ComboBox4, &QComboBox::currentIndexChanged, this, &TForm5::ComboBox4Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm5::ComboBox2Change);
    connect(BitCheckBox1, &QCheckBox::clicked, this, &TForm5::BitCheckBox1Click);
    connect(BitCheckBox2, &QCheckBox::clicked, this, &TForm5::BitCheckBox2Click);
    connect(BitCheckBox3, &QCheckBox::clicked, this, &TForm5::BitCheckBox3Click);
    connect(RxSlider1, &QSlider::valueChanged, this, &TForm5::RxSlider1Change);
    connect(Chart1, &chart::ChartView::resized, this, &TForm5::Chart1Resize);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm5::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm5::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm5::SpeedButton3Click);

    FormCreate();
}

chart::Chart& TForm5::chart()
{
    return Chart1->chart();
}

void TForm5::FormCreate()
{
    const IniFile ini = m_session.settings();
    {
        const QSignalBlocker b3(ComboBox2);
        const QSignalBlocker b4(BitCheckBox1);
        const QSignalBlocker b5(RxSlider1);
        m_period->restore(ini, kSection);
        ComboBox2->setCurrentIndex(qBound(0, ini.readInteger(kSection, QStringLiteral("Kind"), 1), 1));
        BitCheckBox1->setChecked(ini.readBool(kSection, QStringLiteral("3D"), false));
        RxSlider1->setValue(ini.readInteger(kSection, QStringLiteral("3DValue"), 15));
    }
    Label4->setText(QString::number(RxSlider1->value()) + QLatin1Char('%'));

    const QSignalBlocker block(ComboBox1);
    ComboBox1->addItem(QStringLiteral("alle Bereiche"));
    guarded(this, [&] {
        QStringList zones;
        GetZoneNames(m_session.ZDatabase1, zones);
        ComboBox1->addItems(zones);
    });
    ComboBox1->addItem(QStringLiteral("nicht zugeordnete"));
    ComboBox1->setCurrentIndex(0);
    {
        // The person's sports; a sport saved that the diary no longer
        // names falls back to all sports.
        const QSignalBlocker b(ComboBox4);
        ComboBox4->addItem(QStringLiteral("alle Sportarten"));
        guarded(this, [&] { ComboBox4->addItems(SportsOfUser(m_session.ZDatabase1, m_userId)); });
        ComboBox4->setCurrentIndex(qMax(0, ComboBox4->findText(ini.readString(kSection, kSportKey, QString()))));
    }
    m_pictureSuffix = ini.readString(kSection, kPictureKey, QString());
    // The evaluation shown last is drawn again.
    const int evaluation = ini.readInteger(kSection, kEvaluationKey, 0);
    {
        const QSignalBlocker b(ComboBox3);
        ComboBox3->setCurrentIndex(evaluation > 0 && evaluation < ComboBox3->count() ? evaluation : 0);
    }
    if (ComboBox3->currentIndex() > 0) {
        ComboBox3Change();
        return;
    }
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);
    CreateDiagramm();
}

void TForm5::FormClose()
{
    guarded(this, [&] {
        IniFile ini = m_session.settings();
        m_period->save(ini, kSection);
        ini.writeInteger(kSection, QStringLiteral("Kind"), ComboBox2->currentIndex());
        ini.writeBool(kSection, QStringLiteral("3D"), BitCheckBox1->isChecked());
        ini.writeInteger(kSection, QStringLiteral("3DValue"), RxSlider1->value());
        ini.writeString(kSection, kSportKey, ComboBox4->currentIndex() > 0 ? ComboBox4->currentText() : QString());
        ini.writeInteger(kSection, kEvaluationKey, ComboBox3->currentIndex());
        if (!m_pictureSuffix.isEmpty())
            ini.writeString(kSection, kPictureKey, m_pictureSuffix);
        ini.commit();
    });
}

void TForm5::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TForm5::ClearChart()
{
    chart().clear();
    m_pieMode = false;
    Chart1->update();
}

bool TForm5::periodValid() const
{
    const QDate from = FromDate1->date();
    const QDate to = TilDate1->date();
    return from.isValid() && to.isValid() && from <= to;
}

void TForm5::CreateDiagramm()
{
    ClearChart();
    chart().depthPercent = RxSlider1->value();
    chart().view3D = BitCheckBox1->isChecked();
    const int evaluation = ComboBox3->currentIndex();
    // The pies show their empty area also when there is nothing to draw.
    chart().pieMode = evaluation == 1 || evaluation == 2 || evaluation == 3 || evaluation == 6;
    // A period that is no period draws nothing rather than something misleading.
    if (evaluation != 6 && !periodValid()) {
        Chart1->update();
        return;
    }
    guarded(this, [&] {
        const QDate from = FromDate1->date();
        const QDate to = TilDate1->date();
        switch (evaluation) {
        case 4:
        case 5:
            DataBar();
            break;
        case 7:
            trainingLoad(from, to);
            break;
        case 8:
            paceTrend(from, to);
            break;
        case 9:
        case 10:
            kmBySport(from, to, evaluation == 10);
            break;
        default:
            if (evaluation >= 1)
                ShowPie();
            break;
        }
    });
    Chart1->update();
}

void TForm5::ComboBox3Change()
{
    const int evaluation = ComboBox3->currentIndex();
    const bool inUse = evaluation > 0;
    switch (evaluation) {
    case 0:
        DisableSummary();
        ClearChart();
        break;
    case 1:
    case 2:
    case 3:
        ComboBox1->setEnabled(false);
        ComboBox2->setEnabled(false);
        DisableSummary();
        break;
    case 4:
        ComboBox1->setEnabled(true);
        ComboBox2->setEnabled(true);
        EnableSummary();
        break;
    case 5:
        ComboBox1->setEnabled(false);
        ComboBox2->setEnabled(true);
        EnableSummary();
        break;
    default:
        // The shoes and the evaluations after them choose their own kind
        // of chart and summary.
        ComboBox1->setEnabled(false);
        ComboBox2->setEnabled(false);
        DisableSummary();
        break;
    }
    ComboBox5->setEnabled(evaluation != 6);
    FromDate1->setEnabled(evaluation != 6);
    TilDate1->setEnabled(evaluation != 6);
    // The sport narrows the kilometres: of the zone shares, of the distance
    // chart, of the pace and of the sport charts.
    ComboBox4->setEnabled(evaluation == 0 || evaluation == 1 || evaluation == 4 || evaluation >= 8);
    // The calendar charts are drawn flat.
    BitCheckBox1->setEnabled(evaluation < 7);
    RxSlider1->setEnabled(evaluation < 7);
    SpeedButton1->setEnabled(inUse);
    SpeedButton2->setEnabled(inUse);
    if (inUse)
        CreateDiagramm();
}

void TForm5::ComboBox1Change()
{
    CreateDiagramm();
}

void TForm5::ComboBox4Change()
{
    if (ComboBox3->currentIndex() > 0)
        CreateDiagramm();
}

QString TForm5::sport() const
{
    return ComboBox4->currentIndex() > 0 ? ComboBox4->currentText() : QString();
}

void TForm5::ComboBox2Change()
{
    CreateDiagramm();
}

void TForm5::BitCheckBox1Click()
{
    chart().view3D = BitCheckBox1->isChecked();
    Chart1->update();
}

void TForm5::BitCheckBox2Click()
{
    if (BitCheckBox2->checkState() == Qt::Checked)
        BitCheckBox3->setCheckState(Qt::Unchecked);
    CreateDiagramm();
}

void TForm5::BitCheckBox3Click()
{
    if (BitCheckBox3->checkState() == Qt::Checked)
        BitCheckBox2->setCheckState(Qt::Unchecked);
    CreateDiagramm();
}

void TForm5::RxSlider1Change()
{
    const int value = RxSlider1->value();
    Label4->setText(QString::number(value) + QLatin1Char('%'));
    chart().depthPercent = m_pieMode ? value / 3 : value;
    Chart1->update();
}

void TForm5::Chart1Resize()
{
    // A pie is fitted to the chart's room at every drawing.
    if (m_pieMode)
        Chart1->update();
}

void TForm5::EnableSummary()
{
    const QDate from = FromDate1->date();
    const QDate to = TilDate1->date();
    bool weekly = false;
    bool monthly = false;
    if (from.isValid() && to.isValid()) {
        // Weeks are told apart by week-year and number: 01.01.2006 lies in
        // week 52 of 2005, not in the week 52 at the end of 2006.
        const auto week = [](const QDate& d) { return std::pair(GetWeekYear(d), GetWeekNumber(d)); };
        weekly = week(from) < week(to);
        monthly = to.year() > from.year() || to.month() > from.month();
    }
    evaluation::setInUse(BitCheckBox2, weekly);
    evaluation::setInUse(BitCheckBox3, monthly);
}

void TForm5::DisableSummary()
{
    for (QCheckBox* box : {BitCheckBox2, BitCheckBox3})
        evaluation::setInUse(box, false);
}

bool TForm5::FromDate1AcceptDate(const QDate& date)
{
    return evaluation::acceptStartDate(this, date, TilDate1->date());
}

bool TForm5::TilDate1AcceptDate(const QDate& date)
{
    return evaluation::acceptEndDate(this, FromDate1->date(), date);
}

void TForm5::printChart(QPrinter& printer)
{
    const QPageLayout::Orientation previous = printer.pageLayout().orientation();
    printer.setPageOrientation(QPageLayout::Landscape);
    {
        QPainter painter(&printer);
        const QRectF page = printer.pageRect(QPrinter::DevicePixel);
        const QRectF area = page.adjusted(page.width() * 0.05, page.height() * 0.05, -page.width() * 0.05,
                                          -page.height() * 0.05);
        chart::render(chart(), painter, area.translated(-page.topLeft()));
    }
    printer.setPageOrientation(previous);
}

void TForm5::SpeedButton1Click()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printChart(printer);
}

bool TForm5::saveChart(const QString& path, int kind)
{
    if (kind == 2 || kind == 3) {
        chart::MetafileDevice metafile(path, Chart1->size(),
                                       kind == 2 ? chart::MetafileDevice::Format::Emf
                                                 : chart::MetafileDevice::Format::Wmf);
        QPainter painter;
        if (!painter.begin(&metafile))
            return false;
        chart::render(chart(), painter, QRectF(QPointF(0, 0), Chart1->size()));
        return painter.end();
    }
    // Pictures are written beside the target and put in its place only when
    // complete, so a failed write leaves an existing file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool written = false;
    if (kind == 5) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(Chart1->size());
        svg.setViewBox(QRect(QPoint(0, 0), Chart1->size()));
        svg.setResolution(96); // the CSS pixel, so that viewers show the chart at its size
        svg.setTitle(windowTitle());
        QPainter painter;
        if (painter.begin(&svg)) {
            chart::render(chart(), painter, QRectF(QPointF(0, 0), Chart1->size()));
            written = painter.end();
        }
    } else {
        written = Chart1->toImage().save(&file, kind == 4 ? "PNG" : "BMP");
    }
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

namespace {

// The picture kinds of the save dialog, in the order of saveChart's kinds.
struct PictureKind
{
    QString filter;
    QString suffix;
};

const QList<PictureKind>& pictureKinds()
{
    static const QList<PictureKind> kinds{{QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("bmp")},
                                          {QStringLiteral("Erweiterte Metadateien (*.emf)"), QStringLiteral("emf")},
                                          {QStringLiteral("Metadateien (*.wmf)"), QStringLiteral("wmf")},
                                          {QStringLiteral("PNG-Grafiken (*.png)"), QStringLiteral("png")},
                                          {QStringLiteral("SVG-Grafiken (*.svg)"), QStringLiteral("svg")}};
    return kinds;
}

int kindOfSuffix(const QString& suffix)
{
    for (int i = 0; i < pictureKinds().size(); ++i)
        if (suffix.compare(pictureKinds()[i].suffix, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

} // namespace

TForm5::ChartFile TForm5::chartFileFor(const QString& chosen, const QString& filter)
{
    // A suffix of a picture kind chooses the kind; any other name gets the
    // suffix of the chosen filter.
    const int typed = kindOfSuffix(QFileInfo(chosen).suffix());
    if (typed > 0)
        return ChartFile{chosen, typed};
    int kind = 1;
    for (int i = 0; i < pictureKinds().size(); ++i)
        if (pictureKinds()[i].filter == filter)
            kind = i + 1;
    QString path = chosen;
    if (!path.endsWith(QLatin1Char('.')))
        path += QLatin1Char('.');
    return ChartFile{path + pictureKinds()[kind - 1].suffix, kind};
}

QString TForm5::proposedChartName() const
{
    QString name = ComboBox3->currentText();
    // The shoes are counted over the whole diary, not over the period.
    if (ComboBox3->currentIndex() != 6 && periodValid())
        name += QLatin1Char(' ') + FromDate1->date().toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char('-')
                + TilDate1->date().toString(QStringLiteral("dd.MM.yyyy"));
    static const QRegularExpression unfit(QStringLiteral("[/\\\\:*?\"<>|]"));
    name.replace(unfit, QStringLiteral("-"));
    const int kind = qMax(1, kindOfSuffix(m_pictureSuffix));
    return name + QLatin1Char('.') + pictureKinds()[kind - 1].suffix;
}

void TForm5::SpeedButton2Click()
{
    QFileDialog dialog(this, QString(), SaveFolder::startFolder(m_session));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const PictureKind& kind : pictureKinds())
        filters << kind.filter;
    dialog.setNameFilters(filters);
    // The kind saved last comes first again. The suffix follows the filter,
    // so that the dialog asks before it lets a file of that name be
    // overwritten.
    const PictureKind& last = pictureKinds()[qMax(1, kindOfSuffix(m_pictureSuffix)) - 1];
    dialog.selectNameFilter(last.filter);
    dialog.setDefaultSuffix(last.suffix);
    dialog.selectFile(proposedChartName());
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        for (const PictureKind& kind : pictureKinds())
            if (kind.filter == filter)
                dialog.setDefaultSuffix(kind.suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const ChartFile file = chartFileFor(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = saveChart(file.path, file.kind);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        Messages::error(this, QStringLiteral("Die Grafik konnte nicht gespeichert werden: ") + file.path);
        return;
    }
    SaveFolder::remember(m_session, file.path);
    m_pictureSuffix = pictureKinds()[file.kind - 1].suffix;
    if (Documents::viewerAvailable(file.path) && Documents::open(file.path))
        return;
    // Saved, but nothing shows it: the user learns where it is, to open it
    // another way.
    const QString line = QStringLiteral("\n\r");
    Messages::show(this, QMessageBox::Information, Messages::applicationTitle(),
                   QStringLiteral("Die Grafik wurde gespeichert, kann aber nicht angezeigt werden: Es wurde kein "
                                  "Programm gefunden, das %1-Dateien anzeigen kann.")
                           .arg(m_pictureSuffix.toUpper())
                       + line + QStringLiteral("Die Grafik liegt unter:") + line
                       + QDir::toNativeSeparators(QFileInfo(file.path).absoluteFilePath()),
                   QMessageBox::Ok);
}

void TForm5::SpeedButton3Click()
{
    Q_EMIT reportsRequested();
    close();
}
