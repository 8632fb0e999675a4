#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The info dialog: program name and version.
class TForm7 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm7(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
};
