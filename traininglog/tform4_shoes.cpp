#include "tform4.h"

#include "diarycalc.h"
#include "errorboundary.h"
#include "diarytraining.h"
#include "session.h"
#include "textforms.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

#include <cmath>

void TForm4::ShowShoes()
{
    const QStringList models = training::shoeModels(m_session.ZDatabase1, userId());
    // The first item put into the empty list becomes the field's text, whose
    // change would look up the mileage on the very query read here; the
    // mileage is shown once the list is complete.
    const QSignalBlocker blocker(ComboBox2);
    ComboBox2->addItems(models);
}

void TForm4::GetDistShoe()
{
    Label24->clear();
    Label25->clear();
    const QString shoe = ComboBox2->currentText();
    if (shoe.isEmpty())
        return;
    // Paging shows one entry after another, often in the same shoe: its
    // kilometres are read once until the diary changes. A change made
    // elsewhere also renews the total.
    if (checkDiaryStamp())
        showTotalDistance();
    auto known = m_shoeKm.constFind(shoe);
    if (known == m_shoeKm.constEnd())
        known = m_shoeKm.insert(shoe, ShoeDistance(m_session.ZDatabase1, userId(), shoe));
    const double distance = known.value();
    double mileage = distance;
    double limit = 0.0;
    if (const auto limits = training::readShoeLimits(m_session.ZDatabase1, userId(), shoe)) {
        mileage = double(limits->before) + distance;
        limit = double(limits->limit);
    }
    Label24->setText(distanceText(mileage) + QStringLiteral(" km"));
    CheckMaxDistShoe(mileage, limit);
}

void TForm4::forgetDiarySums()
{
    m_shoeKm.clear();
    m_totalShown = false;
}

bool TForm4::checkDiaryStamp()
{
    const DiaryStamp stamp = GetDiaryStamp(m_session.ZDatabase1, userId());
    if (stamp == m_sumsStamp)
        return false;
    forgetDiarySums();
    m_sumsStamp = stamp;
    return true;
}

void TForm4::CheckMaxDistShoe(double mileage, double limit)
{
    QPalette p = Label24->palette();
    if (mileage > limit && limit > 0.0) {
        p.setColor(QPalette::WindowText, Qt::red);
        Label25->setText(QStringLiteral("Achtung! Die festgelegte maximale Laufleistung von ")
                         + fixedText(limit, 0) + QStringLiteral(" km wurde überschritten."));
    } else {
        p.setColor(QPalette::WindowText, Qt::black);
        Label25->clear();
    }
    Label24->setPalette(p);
}

void TForm4::ComboBox2Change()
{
    setDirty();
    guarded(this, [&] { GetDistShoe(); });
}
