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
    // The shoes with their limits are read once for the window's time.
    QStringList models;
    m_shoeLimits.clear();
    for (const training::Shoe& shoe : training::readShoes(m_session.ZDatabase1, userId())) {
        models << shoe.model;
        m_shoeLimits.insert(shoe.model, shoe.limits);
    }
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
    readSums(true, shoe);
    auto known = m_shoeKm.constFind(shoe);
    if (known == m_shoeKm.constEnd())
        known = m_shoeKm.insert(shoe, ShoeDistance(m_session.ZDatabase1, userId(), shoe));
    const double distance = known.value();
    double mileage = distance;
    double limit = 0.0;
    // the models are stored without trailing blanks
    QString model = shoe;
    while (model.endsWith(QLatin1Char(' ')))
        model.chop(1);
    if (const auto limits = m_shoeLimits.constFind(model); limits != m_shoeLimits.constEnd()) {
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

void TForm4::readSums(bool total, const QString& shoe)
{
    // At most twice: the second time when the first found the diary changed
    // and the total it did not read is wanted anew.
    for (int pass = 0; pass < 2; ++pass) {
        const bool wantTotal = total && !m_totalShown;
        const bool wantShoe = !shoe.isEmpty() && !m_shoeKm.contains(shoe);
        if (pass > 0 && !wantTotal)
            return;
        std::optional<std::pair<QDate, QDate>> period;
        if (wantTotal)
            period = std::pair{QDate(1980, 1, 1), QDate::currentDate()};
        const MarkedSums sums =
            GetMarkedSums(m_session.ZDatabase1, userId(), period, wantShoe ? shoe : QString());
        m_stampRead = true;
        if (sums.stamp != m_sumsStamp) {
            forgetDiarySums();
            m_sumsStamp = sums.stamp;
        }
        // read with the mark: they are the diary's as it is now
        if (sums.total) {
            setPanel(1, QStringLiteral("  Gesamt: ") + distanceText(*sums.total) + QStringLiteral(" km"));
            m_totalShown = true;
        }
        if (sums.shoeKm)
            m_shoeKm.insert(shoe, *sums.shoeKm);
    }
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
