#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

// Every question, notice and error box of the program goes through here.
// Tests queue answers with setNextAnswer(); a box asked while an answer is
// queued is recorded and not shown. Without a queued answer the box is a
// real modal QMessageBox.
namespace Messages {

// The application title, also the title of the error box.
QString applicationTitle();

struct Record
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList customButtons; // texts of buttons besides the standard ones
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
};

// The general box. customButtons are added with the ActionRole; pressing
// the n-th of them answers with the value customAnswer(n).
QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                 const QString& text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                 const QStringList& customButtons = {});
constexpr QMessageBox::StandardButton customAnswer(int n)
{
    return static_cast<QMessageBox::StandardButton>(int(QMessageBox::LastButton) * 2 + n);
}

// The application's error box: title, error icon, OK; the text ends with a full stop.
void error(QWidget* parent, const QString& text);

// The confirmation dialog with Ja and Nein; true for Ja.
bool confirm(QWidget* parent, const QString& title, const QString& text);

// The exclamation beep of refused keys and warnings.
void beep();

// --- test override -------------------------------------------------------
void setNextAnswer(QMessageBox::StandardButton answer);
bool hasQueuedAnswers();
void clearQueuedAnswers();
// Records of the boxes asked since the last clearShown(), real ones included.
const QList<Record>& shown();
void clearShown();
int beepCount();

} // namespace Messages
