#pragma once

#include <QPaintDevice>
#include <QSize>
#include <QString>

#include <memory>

namespace chart {

// A paint device that turns painter calls into the records of an enhanced
// metafile (.emf) or a Windows metafile (.wmf), one pixel one logical unit,
// at 96 dots per inch. The file is written on QPainter::end(), which returns
// false when it could not be; a failed write leaves no file behind.
class MetafileDevice : public QPaintDevice
{
public:
    enum class Format { Emf, Wmf };

    MetafileDevice(const QString& path, const QSize& size, Format format);
    ~MetafileDevice() override;

    QPaintEngine* paintEngine() const override;
    QSize size() const { return m_size; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<QPaintEngine> m_engine;
};

} // namespace chart
