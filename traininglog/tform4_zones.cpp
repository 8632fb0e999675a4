#include "tform4.h"

#include "diarytraining.h"
#include "errorboundary.h"
#include "messages.h"
#include "numericedit.h"
#include "session.h"
#include "stringgrid.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

const QColor kPanelColour(0xFF, 0xFF, 0xBF);    // $BFFFFF
const QColor kPanelBorder(102, 67, 85);         // 5587814
const QColor kSelectedZone(165, 185, 231);      // 15186341
constexpr int kCornerEllipse = 20;

QRegion roundedRegion(int width, int height)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width, height), kCornerEllipse / 2.0, kCornerEllipse / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}

} // namespace

void TForm4::EnhancedEdit4Enter()
{
    Label20->clear();
}

void TForm4::EnhancedEdit4Exit()
{
    Label20->clear();
    const int pulse = EnhancedEdit4->intValue();
    if (m_model.maxHeartRate() < 1 || pulse < 1) {
        SpeedButton6->setEnabled(false);
        return;
    }
    guarded(this, [&] {
        StringAlignGrid3->clearRows();
        const int percentage = pulse * 100 / m_model.maxHeartRate();
        Label20->setText(QString::number(percentage) + QStringLiteral(" % max. HF"));
        int row = StringAlignGrid3->firstDataRow();
        for (const training::Zone& zone : training::zonesHolding(m_session.ZDatabase1, percentage)) {
            StringAlignGrid3->setCells(0, row, zone.name);
            StringAlignGrid3->setCells(1, row, QLatin1Char('(') + QString::number(zone.minHF) + QLatin1Char('-')
                                                   + QString::number(zone.maxHF) + QStringLiteral("%)"));
            StringAlignGrid3->addRow();
            ++row;
        }
        // As in any grid one line is current, so that "Übernehmen" has one.
        StringAlignGrid3->setCurrentGridRow(StringAlignGrid3->firstDataRow(), false);
        SpeedButton6->setEnabled(true);
    });
}

void TForm4::ComboBox4Change()
{
    // While the user types or browses the list, nothing is asked: the
    // keystrokes belong to the field.
    setDirty();
}

void TForm4::ComboBox4Exit()
{
    checkZoneAgainstAdvice();
}

bool TForm4::checkZoneAgainstAdvice()
{
    // A zone typed in full is chosen as much as one picked from the list.
    const int index = zoneIndex();
    if (Label20->text().isEmpty() || index <= 0)
        return false;
    const QString zone = ComboBox4->currentText();
    const QString checked = zone + QLatin1Char('\n') + Label20->text();
    if (checked == m_zoneChecked)
        return false;
    m_zoneChecked = checked;
    // A zone without an upper limit ("Fahrtspiel", 0-0) is never advised,
    // so choosing it goes against no advice.
    if (ComboBox4->itemData(index).toInt() <= 0)
        return false;
    for (int row = StringAlignGrid3->firstDataRow(); row < StringAlignGrid3->gridRowCount(); ++row)
        if (StringAlignGrid3->cells(0, row) == zone)
            return false;
    return !m_hfDialog
           && DontShowDialogAgain(QStringLiteral("Der von Ihnen ausgewählte Trainingsbereich entspricht nicht\n\r"
                                                 "der Belastungstufe gemäß der angegebenen Herzfrequenz."));
}

bool TForm4::DontShowDialogAgain(const QString& message)
{
    bool dontShow = false;
    // The box is as tall as its text, tick box and buttons need, without a
    // gap between them.
    Messages::CheckBoxLayout layout;
    layout.tickBoxGeometry = QRect(20, 110, 300, 17);
    layout.captionWidth = 120;
    const QMessageBox::StandardButton answer = Messages::showWithCheckBox(
        this, QMessageBox::Warning, QStringLiteral("Hinweis"), message, QMessageBox::Ok | QMessageBox::Ignore,
        {{QMessageBox::Ignore, QStringLiteral("Bereiche zeigen")}}, QStringLiteral("Diese Meldung nicht mehr anzeigen"),
        &dontShow, layout);
    const bool showZones = answer == QMessageBox::Ignore;
    if (showZones)
        showZonePanel(QPoint(268, 160));
    guarded(this, [&] {
        IniFile settings = m_session.settings();
        settings.writeBool(QStringLiteral("DontShowDialogs"), QStringLiteral("HFDialog"), dontShow);
        settings.commit();
    });
    m_hfDialog = dontShow;
    return showZones;
}

void TForm4::ShowRoundPanel()
{
    const int width = Panel2->width();
    const int height = Panel2->height();

    // One picture behind the panel's controls draws the background and the
    // rounded border; it is made again for the panel's current size.
    auto* picture = Panel2->findChild<QLabel*>(QStringLiteral("Panel2Picture"), Qt::FindDirectChildrenOnly);
    if (!picture) {
        picture = new QLabel(Panel2);
        picture->setObjectName(QStringLiteral("Panel2Picture"));
    }
    QPixmap pixmap(width, height);
    pixmap.fill(kPanelColour);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(kPanelBorder);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(0.5, 0.5, width - 1, height - 1), kCornerEllipse / 2.0,
                                kCornerEllipse / 2.0);
    }
    picture->setPixmap(pixmap);
    picture->setGeometry(0, 0, width, height);
    picture->lower();
    picture->show();

    QPalette panelPalette = Panel2->palette();
    panelPalette.setColor(QPalette::Window, kPanelColour);
    Panel2->setPalette(panelPalette);
    // The corners outside the rounded shape are neither drawn nor clickable.
    Panel2->setMask(roundedRegion(width, height));

    QPalette gridPalette = StringAlignGrid3->palette();
    gridPalette.setColor(QPalette::Base, Qt::white);
    gridPalette.setColor(QPalette::Highlight, kSelectedZone);
    gridPalette.setColor(QPalette::Inactive, QPalette::Highlight, kSelectedZone);
    gridPalette.setColor(QPalette::HighlightedText, Qt::black);
    gridPalette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    StringAlignGrid3->setPalette(gridPalette);
    StringAlignGrid3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    for (QWidget* w : std::initializer_list<QWidget*>{Label27, SpeedButton7, SpeedButton8})
        w->raise();
}

void TForm4::showZonePanel(const QPoint& place)
{
    ShowRoundPanel();
    if (StringAlignGrid3->currentGridRow() < StringAlignGrid3->firstDataRow())
        StringAlignGrid3->setCurrentGridRow(StringAlignGrid3->firstDataRow(), false);
    Panel2->move(place);
    Panel2->show();
    Panel2->raise();
    StringAlignGrid3->setFocus();
}

void TForm4::SpeedButton6Click()
{
    showZonePanel(QPoint(348, 328));
}

void TForm4::SpeedButton7Click()
{
    Panel2->hide();
}

void TForm4::SpeedButton8Click()
{
    const int row = StringAlignGrid3->currentGridRow();
    const QString name = row < 0 ? QString() : StringAlignGrid3->cells(0, row);
    const int index = name.isEmpty() ? -1 : ComboBox4->findText(name);
    if (index >= 0) {
        // Taking an advised zone is no choice against the advice and no
        // change of the entry by itself.
        const QSignalBlocker blocker(ComboBox4);
        ComboBox4->setCurrentIndex(index);
        ComboBox4->lineEdit()->setCursorPosition(0);
    } else {
        // The empty line, or no advised zone at all: nothing to take.
        Messages::beep();
    }
    Panel2->hide();
}

void TForm4::StringAlignGrid3DblClick()
{
    SpeedButton8Click();
}
