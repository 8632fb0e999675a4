#pragma once

#include <QWidget>

class QFrame;
class QLabel;

// The borderless window shown while the program starts. Its picture comes
// from the resource file beside the program file; without that file the
// window shows its frames and an empty image.
class TSplashForm : public QWidget
{
    Q_OBJECT

public:
    explicit TSplashForm(const QString& resourceFile, QWidget* parent = nullptr);

    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Image1 = nullptr;
};
