#include "tsplashform.h"

#include "screenfit.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QResource>
#include <QScreen>

namespace {

QPixmap loadLogo(const QString& resourceFile)
{
    if (!QFileInfo::exists(resourceFile))
        return {};
    const QString root = QStringLiteral("/splash");
    if (!QResource::registerResource(resourceFile, root))
        return {};
    QPixmap logo(QStringLiteral(":/splash/LOGO"));
    if (!logo.isNull())
        logo = logo.scaled(300, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QResource::unregisterResource(resourceFile, root);
    return logo;
}

} // namespace

TSplashForm::TSplashForm(const QString& resourceFile, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TSplashForm"));
    ScreenFit::keepOnScreen(this);
    setFixedSize(306, 306);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Raised);
    Bevel1->setGeometry(0, 0, 306, 306);
    Bevel2 = new QFrame(this);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel2->setGeometry(1, 1, 304, 304);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(3, 3, 300, 300);
    Image1->setPixmap(loadLogo(resourceFile));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
