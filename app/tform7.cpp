#include "tform7.h"

#include "messages.h"
#include "screenfit.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TForm7::TForm7(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TForm7"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Info"));
    ScreenFit::keepOnScreen(this);
    setFixedSize(389, 209);

    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSize(9);
    QFont title = verdana;
    title.setPointSize(14);
    title.setBold(true);

    Label1 = new QLabel(Messages::applicationTitle(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(title);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(8, 40, 373, 32);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(verdana);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(8, 88, 373, 20);

    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(296, 168, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::close);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TForm7::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TForm7::FormShow()
{
    Label2->setText(QStringLiteral("Version ") + QStringLiteral(TRAMORA_VERSION));
}
