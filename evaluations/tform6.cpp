#include "tform6.h"

#include "dateedit.h"
#include "evaluationcontrols.h"
#include "diaryreport.h"
#include "errorboundary.h"
#include "messages.h"
#include "documents.h"
#include "periodchooser.h"
#include "reportpreview.h"
#include "savefolder.h"
#include "screenfit.h"
#include "session.h"
#include "textforms.h"
#include "workingwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

using evaluation::makeLine;
using evaluation::setInUse;
using evaluation::SummaryBox;

namespace {

const QString kSection = QStringLiteral("Report");
constexpr int kStatusWidth = 100;
constexpr int kStatusOffset = 138; // the status bar's left edge before the bar's right end

QToolButton* makeSpeedButton(QWidget* parent, const char* name, const QString& hint, const char* icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIcon(QIcon(QStringLiteral(":/reporticons/%1.svg").arg(QLatin1String(icon))));
    button->setIconSize(QSize(20, 20));
    button->setFixedSize(26, 26);
    return button;
}

} // namespace

TForm6::TForm6(Session& session, int userId, QWidget* parent)
    : QWidget(parent, workingWindowFlags()), m_session(session), m_userId(userId)
{
    ScreenFit::keepOnScreen(this);
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Trainingsreports"));
    setAttribute(Qt::WA_DeleteOnClose);

    buildTopBar();
    QWidget* left = buildLeftPanel();
    PrintPreview1 = new ReportPreview(this);
    PrintPreview1->setObjectName(QStringLiteral("PrintPreview1"));
    // The page takes the room; below this a fitted page is too small to read.
    PrintPreview1->setMinimumSize(360, 260);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(evaluation::makeScrollingPanel(this, left));
    body->addWidget(PrintPreview1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel3);
    layout->addLayout(body, 1);
    resize(870, 500);

    connectControls();
    FormCreate();
}

void TForm6::buildTopBar()
{
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(30);
    SpeedButton3 = makeSpeedButton(Panel3, "SpeedButton3", QStringLiteral("Trainingsauswertungen als Diagramm anzeigen"), "chart");
    SpeedButton10 = makeSpeedButton(Panel3, "SpeedButton10", QStringLiteral("Schriftart auswählen"), "font");
    SpeedButton9 = makeSpeedButton(Panel3, "SpeedButton9", QStringLiteral("erste Seite anzeigen"), "first");
    SpeedButton6 = makeSpeedButton(Panel3, "SpeedButton6", QStringLiteral("vorherige Seite anzeigen"), "previous");
    SpeedButton7 = makeSpeedButton(Panel3, "SpeedButton7", QStringLiteral("nächste Seite anzeigen"), "next");
    SpeedButton8 = makeSpeedButton(Panel3, "SpeedButton8", QStringLiteral("letzte Seite anzeigen"), "last");
    SpeedButton4 = makeSpeedButton(Panel3, "SpeedButton4", QStringLiteral("Ansicht vergrößern"), "zoomin");
    SpeedButton5 = makeSpeedButton(Panel3, "SpeedButton5", QStringLiteral("Ansicht verkleinern"), "zoomout");
    SpeedButton1 = makeSpeedButton(Panel3, "SpeedButton1", QStringLiteral("Auswertung drucken"), "print");
    SpeedButton2 = makeSpeedButton(Panel3, "SpeedButton2", QStringLiteral("Auswertung speichern"), "save");

    auto* buttons = new QHBoxLayout(Panel3);
    buttons->setContentsMargins(4, 2, 4, 2);
    buttons->setSpacing(1);
    const QList<QToolButton*> order{SpeedButton3, SpeedButton10, SpeedButton9, SpeedButton6, SpeedButton7,
                                    SpeedButton8, SpeedButton4, SpeedButton5, SpeedButton1, SpeedButton2};
    for (int i = 0; i < order.size(); ++i) {
        // Small gaps between the groups: window, font, paging, zoom, output.
        if (i == 2 || i == 6 || i == 8)
            buttons->addSpacing(8);
        buttons->addWidget(order.at(i));
    }
    buttons->addStretch(1);

    // The status bar is placed by Panel3Resize, not by the layout.
    StatusBar1 = new QStatusBar(Panel3);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    m_statusPanel = new QLabel(QStringLiteral("Seite:    "), StatusBar1);
    m_statusPanel->setObjectName(QStringLiteral("StatusPanel0"));
    m_statusPanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_statusPanel->setFrameShape(QFrame::Panel);
    m_statusPanel->setFrameShadow(QFrame::Sunken);
    StatusBar1->addWidget(m_statusPanel, 1);
    // Room for "Seite: 999/999   " in the font in use.
    const int needed = m_statusPanel->fontMetrics().horizontalAdvance(QStringLiteral("Seite: 9999/9999   ")) + 12;
    StatusBar1->setFixedSize(qMax(kStatusWidth, needed), 24);
    Panel3->installEventFilter(this);
    Panel3->setMinimumWidth(buttons->sizeHint().width() + StatusBar1->width() + kStatusOffset - kStatusWidth);

    for (QToolButton* paging : {SpeedButton9, SpeedButton6, SpeedButton7, SpeedButton8, SpeedButton4, SpeedButton5})
        paging->setEnabled(false);
}

QWidget* TForm6::buildLeftPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));

    ComboBox3 = new QComboBox(panel);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({QStringLiteral("-- bitte wählen --"), QStringLiteral("Rezidedazurazedad")});

    QVBoxLayout* periodLayout = nullptr;
    QGroupBox* period = evaluation::makePeriodGroup(panel, QStringLiteral("ComboBox4"), ComboBox4, FromDate1, TilDate1, periodLayout);
    m_period = new evaluation::PeriodChooser(m_session, FromDate1, TilDate1, ComboBox4, m_userId, this);
    FromDate1->setDateAcceptor([this](const QDate& d) { return FromDate1AcceptDate(d); });
    TilDate1->setDateAcceptor([this](const QDate& d) { return TilDate1AcceptDate(d); });
    BitCheckBox2 = new SummaryBox(QStringLiteral("wöchentlich"), period);
    BitCheckBox2->setObjectName(QStringLiteral("BitCheckBox2"));
    BitCheckBox1 = new SummaryBox(QStringLiteral("ignoriere Nullwochen"), period);
    BitCheckBox1->setObjectName(QStringLiteral("BitCheckBox1"));
    BitCheckBox3 = new SummaryBox(QStringLiteral("monatlich"), period);
    BitCheckBox3->setObjectName(QStringLiteral("BitCheckBox3"));

    periodLayout->addWidget(makeLine(period));
    periodLayout->addWidget(new QLabel(QStringLiteral(" Zusammenfassung "), period));
    periodLayout->addWidget(BitCheckBox2);
    auto* indented = new QHBoxLayout;
    indented->addSpacing(16);
    indented->addWidget(BitCheckBox1);
    periodLayout->addLayout(indented);
    periodLayout->addWidget(makeLine(period));
    periodLayout->addWidget(BitCheckBox3);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(6, 6, 6, 6);
    panelLayout->addWidget(new QLabel(QStringLiteral("Auswertung"), panel));
    panelLayout->addWidget(ComboBox3);
    panelLayout->addWidget(period);
    panelLayout->addStretch(1);
    // 177 pixels, or what the texts of the font in use need.
    panel->setFixedWidth(qMax(177, panelLayout->sizeHint().width()));
    return panel;
}

void TForm6::connectControls()
{
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TForm6::ComboBox3Change);
    connect(m_period, &evaluation::PeriodChooser::periodChosen, this, &TForm6::datesChanged);
    connect(FromDate1, &DateEdit::changed, this, &TForm6::datesChanged);
    connect(TilDate1, &DateEdit::changed, this, &TForm6::datesChanged);
    connect(BitCheckBox1, &QCheckBox::clicked, this, &TForm6::BitCheckBox2Click);
    connect(BitCheckBox2, &QCheckBox::clicked, this, &TForm6::BitCheckBox2Click);
    connect(BitCheckBox3, &QCheckBox::clicked, this, &TForm6::BitCheckBox3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm6::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm6::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm6::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm6::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm6::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TForm6::SpeedButton6Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TForm6::SpeedButton7Click);
    connect(SpeedButton8, &QToolButton::clicked, this, &TForm6::SpeedButton8Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TForm6::SpeedButton9Click);
    connect(SpeedButton10, &QToolButton::clicked, this, &TForm6::SpeedButton10Click);
    connect(PrintPreview1, &ReportPreview::beginDocument, this, &TForm6::PrintPreview1BeginDoc);
    connect(PrintPreview1, &ReportPreview::newPage, this, &TForm6::PrintPreview1NewPage);
    connect(PrintPreview1, &ReportPreview::endDocument, this, &TForm6::PrintPreview1EndDoc);
    connect(PrintPreview1, &ReportPreview::beforePrint, this, &TForm6::PrintPreview1BeforePrint);
    connect(PrintPreview1, &ReportPreview::printProgress, this, &TForm6::PrintPreview1PrintProgress);
    connect(PrintPreview1, &ReportPreview::afterPrint, this, &TForm6::PrintPreview1AfterPrint);
    connect(PrintPreview1, &ReportPreview::pageStepRequested, this, [this](int step) {
        // As the buttons do, and only where they could.
        QToolButton* button = step > 0 ? SpeedButton7 : SpeedButton6;
        if (button->isEnabled())
            button->click();
    });
}

void TForm6::FormCreate()
{
    const IniFile ini = m_session.settings();
    m_period->restore(ini, kSection);
    m_fontName = ini.readString(kSection, QStringLiteral("Font"), QStringLiteral("Arial"));
    const auto state = [&](const char* key) {
        return ini.readBool(kSection, QLatin1String(key), false) ? Qt::Checked : Qt::Unchecked;
    };
    for (auto [box, key] : {std::pair{BitCheckBox1, "PrintZeroWeeks"}, std::pair{BitCheckBox2, "SummaryWeek"},
                            std::pair{BitCheckBox3, "SummaryMonth"}}) {
        const QSignalBlocker block(box);
        box->setCheckState(state(key));
    }
    {
        const QSignalBlocker block(ComboBox3);
        ComboBox3->setCurrentIndex(0);
    }
    // Nothing is chosen yet: the boxes wait for a report, as after choosing none.
    DisableSummary();
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);
}

void TForm6::FormClose()
{
    guarded(this, [&] {
        IniFile ini = m_session.settings();
        m_period->save(ini, kSection);
        ini.writeString(kSection, QStringLiteral("Font"), m_fontName);
        // A grey box is a checked box out of use: the choice is kept.
        ini.writeBool(kSection, QStringLiteral("PrintZeroWeeks"), BitCheckBox1->checkState() != Qt::Unchecked);
        ini.writeBool(kSection, QStringLiteral("SummaryWeek"), BitCheckBox2->checkState() != Qt::Unchecked);
        ini.writeBool(kSection, QStringLiteral("SummaryMonth"), BitCheckBox3->checkState() != Qt::Unchecked);
        ini.commit();
    });
}

void TForm6::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

bool TForm6::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel3 && event->type() == QEvent::Resize)
        Panel3Resize();
    return QWidget::eventFilter(watched, event);
}

void TForm6::Panel3Resize()
{
    // The left edge 138 pixels before the bar's right end; a wider panel
    // (for a wider font) keeps the same room at the right.
    const int right = Panel3->width() - kStatusOffset + kStatusWidth;
    StatusBar1->move(right - StatusBar1->width(), (Panel3->height() - StatusBar1->height()) / 2);
}

QString TForm6::statusText() const
{
    return m_statusPanel->text();
}

void TForm6::setPersonName(const QString& name)
{
    m_personName = name.trimmed();
    setWindowTitle(ownTitle());
}

QString TForm6::ownTitle() const
{
    return m_personName.isEmpty() ? QStringLiteral("Trainingsreports")
                                  : QStringLiteral("Trainingsreports ") + m_personName;
}

QString TForm6::reportName() const
{
    QString name = QStringLiteral("Trainingsreport ");
    if (!m_personName.isEmpty())
        name += m_personName + u' ';
    name += dateText(m_composedFrom) + u'-' + dateText(m_composedTo);
    // Characters no file name may hold on any system become a dash.
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control)
            c = u'-';
    return name;
}

void TForm6::setReportFont(const QString& name)
{
    m_fontName = name;
}

void TForm6::EnableSummary()
{
    setInUse(BitCheckBox2, true);
    setInUse(BitCheckBox3, true);
    if (BitCheckBox2->checkState() == Qt::Checked)
        setInUse(BitCheckBox1, true);
}

void TForm6::DisableSummary()
{
    for (QCheckBox* box : {BitCheckBox1, BitCheckBox2, BitCheckBox3})
        setInUse(box, false);
}

void TForm6::ComboBox3Change()
{
    ComboBox4->setEnabled(true);
    FromDate1->setEnabled(true);
    TilDate1->setEnabled(true);
    if (ComboBox3->currentIndex() != 1) {
        DisableSummary();
        SpeedButton1->setEnabled(false);
        SpeedButton2->setEnabled(false);
        return;
    }
    EnableSummary();
    SpeedButton4->setEnabled(true);
    SpeedButton5->setEnabled(true);
    // A date being typed composes nothing until it is a date; the pages of
    // another period are then neither printed nor saved.
    const bool period = FromDate1->date().isValid() && TilDate1->date().isValid();
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);
    m_composed = period;
    if (!period)
        return;
    m_composedFrom = FromDate1->date();
    m_composedTo = TilDate1->date();
    repaint();
    SetCols();
    PrintPreview1->beginDoc();
    const bool entries = CreateDiaryReport();
    PrintPreview1->document().setTitle(reportName());
    PrintPreview1->endDoc();
    // A period without entries (or a report that failed) has nothing to
    // print or save.
    SpeedButton1->setEnabled(entries);
    SpeedButton2->setEnabled(entries);
}

void TForm6::datesChanged()
{
    // A date only written anew in its full form (1.1.2025 as 01.01.2025 on
    // leaving the field) is no new period.
    if (ComboBox3->currentIndex() == 1 && FromDate1->date() == m_composedFrom && TilDate1->date() == m_composedTo
        && m_composed)
        return;
    ComboBox3Change();
}

bool TForm6::CreateDiaryReport()
{
    diaryreport::Options options;
    options.userId = m_userId;
    options.from = FromDate1->date();
    options.to = TilDate1->date();
    options.fontName = m_fontName;
    options.weekly = BitCheckBox2->checkState() == Qt::Checked;
    options.monthly = BitCheckBox3->checkState() == Qt::Checked;
    options.ignoreEmptyWeeks = options.weekly && BitCheckBox1->checkState() == Qt::Checked;
    options.messageParent = this;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    diaryreport::Outcome outcome = diaryreport::Outcome::NoEntries;
    const bool ran = guarded(this, [&] {
        outcome = diaryreport::compose(m_session.ZDatabase1, options, PrintPreview1->document());
    });
    QApplication::restoreOverrideCursor();
    return ran && outcome == diaryreport::Outcome::Composed;
}

void TForm6::SetCols()
{
    if (ComboBox3->currentIndex() != 1)
        return;
    const int* columns = diaryreport::columns();
    std::copy(columns, columns + 11, m_columns);
}

void TForm6::BitCheckBox2Click()
{
    setInUse(BitCheckBox1, BitCheckBox2->checkState() == Qt::Checked);
    ComboBox3Change();
}

void TForm6::BitCheckBox3Click()
{
    ComboBox3Change();
}

void TForm6::PrintPreview1BeginDoc()
{
    setWindowTitle(QStringLiteral("Auswertungen - Erstelle Seiten..."));
    setPaging(false, false);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm6::PrintPreview1NewPage(int pageCount)
{
    if (pageCount >= 1) {
        SpeedButton7->setEnabled(true);
        SpeedButton8->setEnabled(true);
    }
    // A long report keeps the window painted while it grows.
    if (pageCount % 25 == 0)
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm6::PrintPreview1EndDoc()
{
    setWindowTitle(ownTitle());
    m_statusPanel->setText(QStringLiteral("Seite: 1/%1   ").arg(PrintPreview1->pageCount()));
}

void TForm6::PrintPreview1BeforePrint()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setWindowTitle(QStringLiteral("Auswertungen - Aufbereitung der Druckdaten..."));
}

void TForm6::PrintPreview1PrintProgress(int page, int pageCount, int percentDone)
{
    setWindowTitle(QStringLiteral("%1 - Drucke Seite %2 von %3 (%4 % erledigt)...")
                       .arg(Messages::applicationTitle())
                       .arg(page)
                       .arg(pageCount)
                       .arg(percentDone));
    repaint();
}

void TForm6::PrintPreview1AfterPrint()
{
    setWindowTitle(ownTitle());
    QApplication::restoreOverrideCursor();
}

void TForm6::showPageStatus()
{
    m_statusPanel->setText(
        QStringLiteral("Seite: %1/%2   ").arg(PrintPreview1->currentPage()).arg(PrintPreview1->pageCount()));
}

void TForm6::setPaging(bool back, bool forward)
{
    SpeedButton9->setEnabled(back);
    SpeedButton6->setEnabled(back);
    SpeedButton7->setEnabled(forward);
    SpeedButton8->setEnabled(forward);
}

void TForm6::SpeedButton9Click()
{
    PrintPreview1->setCurrentPage(1);
    setPaging(false, true);
    showPageStatus();
}

void TForm6::SpeedButton6Click()
{
    PrintPreview1->setCurrentPage(PrintPreview1->currentPage() - 1);
    setPaging(PrintPreview1->currentPage() > 1, true);
    showPageStatus();
}

void TForm6::SpeedButton7Click()
{
    PrintPreview1->setCurrentPage(PrintPreview1->currentPage() + 1);
    setPaging(true, PrintPreview1->currentPage() < PrintPreview1->pageCount());
    // A report of one page stays on it: there is nothing before it either.
    if (PrintPreview1->currentPage() <= 1) {
        SpeedButton9->setEnabled(false);
        SpeedButton6->setEnabled(false);
    }
    showPageStatus();
}

void TForm6::SpeedButton8Click()
{
    PrintPreview1->setCurrentPage(PrintPreview1->pageCount());
    setPaging(PrintPreview1->currentPage() > 1, false);
    showPageStatus();
}

void TForm6::SpeedButton4Click()
{
    PrintPreview1->zoomIn();
}

void TForm6::SpeedButton5Click()
{
    PrintPreview1->zoomOut();
}

void TForm6::SpeedButton10Click()
{
    QFont preset(m_fontName);
    preset.setPointSize(9);
    preset.setBold(false);
    preset.setItalic(false);
    bool accepted = false;
    const QFont chosen = QFontDialog::getFont(&accepted, preset, this, QStringLiteral("Schriftart"),
                                              QFontDialog::ScalableFonts | QFontDialog::DontUseNativeDialog);
    if (!accepted)
        return;
    // Only the name is taken: sizes and styles are the report's own.
    m_fontName = chosen.family();
    ComboBox3Change();
}

void TForm6::SpeedButton3Click()
{
    Q_EMIT statisticsRequested();
    close();
}

bool TForm6::printPages(QPrinter& printer, const QList<int>& pageNumbers)
{
    printer.setDocName(QStringLiteral("Drucke Bericht"));
    printer.setPageOrientation(QPageLayout::Landscape);
    if (PrintPreview1->print(printer, pageNumbers))
        return true;
    Messages::error(this, QStringLiteral("Der Bericht konnte nicht gedruckt werden: Der Drucker ist nicht bereit."));
    return false;
}

void TForm6::SpeedButton1Click()
{
    const int pages = PrintPreview1->pageCount();
    if (pages == 0)
        return;
    QPrinter printer;
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFromTo(1, pages);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pages);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The pages chosen: all, the one shown, or the ranges typed (such as 1,3-4).
    QList<int> chosen;
    if (printer.printRange() == QPrinter::CurrentPage) {
        chosen.append(PrintPreview1->currentPage());
    } else if (printer.printRange() == QPrinter::PageRange && !printer.pageRanges().isEmpty()) {
        for (const QPageRanges::Range& range : printer.pageRanges().toRangeList())
            for (int page = range.from; page <= range.to; ++page)
                chosen.append(page);
    } else {
        for (int page = 1; page <= pages; ++page)
            chosen.append(page);
    }
    printPages(printer, chosen);
}

bool TForm6::savePdf(const QString& path)
{
    QString reason;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = pages::writePdf(PrintPreview1->document(), path, &reason);
    QApplication::restoreOverrideCursor();
    if (!written)
        Messages::error(this, QStringLiteral("Der Bericht konnte nicht als PDF gespeichert werden."), reason);
    return written;
}

void TForm6::SpeedButton2Click()
{
    QFileDialog dialog(this, QString(), SaveFolder::startFolder(m_session));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setNameFilter(QStringLiteral("PDF-Datei (*.pdf)"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.selectFile(reportName() + QStringLiteral(".pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    if (!savePdf(path))
        return;
    SaveFolder::remember(m_session, path);
    if (Documents::viewerAvailable(path) && Documents::open(path))
        return;
    // Saved, but nothing shows it: the user learns where it is, to open it
    // another way.
    const QString line = QStringLiteral("\n\r");
    Messages::show(this, QMessageBox::Information, Messages::applicationTitle(),
                   QStringLiteral("Der Bericht wurde gespeichert, kann aber nicht angezeigt werden: Es wurde kein "
                                  "Programm gefunden, das PDF-Dateien anzeigen kann.")
                       + line + QStringLiteral("Der Bericht liegt unter:") + line
                       + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                   QMessageBox::Ok);
}

bool TForm6::FromDate1AcceptDate(const QDate& date)
{
    return evaluation::acceptStartDate(this, date, TilDate1->date());
}

bool TForm6::TilDate1AcceptDate(const QDate& date)
{
    return evaluation::acceptEndDate(this, FromDate1->date(), date);
}
