#pragma once

#include <QList>
#include <QPair>
#include <QRect>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "storabletext.h"

#include <optional>

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
    QStringList customButtons; // texts of extra buttons, or of renamed standard ones
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    QString checkBoxText; // the tick box below the text, when the box has one
    bool checked = false; // its state when the box was closed
    QString detail; // the smaller text below the message, when the box has one
    QString details; // the long text behind the box's "Details" button, when it has one
    QStringList items; // the choices of a choice box
    QString chosen;    // what a choice box was answered with (OK)
};

// The general box. customButtons are added with the ActionRole; pressing
// the n-th of them answers with the value customAnswer(n). details, when
// given, is a long text (a list) behind the box's "Details" button.
QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                 const QString& text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                 const QStringList& customButtons = {}, const QString& details = {});
constexpr QMessageBox::StandardButton customAnswer(int n)
{
    return static_cast<QMessageBox::StandardButton>(int(QMessageBox::LastButton) * 2 + n);
}

// A box with a tick box below the text (such as "do not show again").
// captions give standard buttons another caption (the Ignore button of the
// zone hint reads "Bereiche zeigen"), of at least captionWidth pixels. The
// box lays itself out around its contents, so that no control is cut or
// covered whatever the font; height and the width of tickBoxGeometry, when
// given, are the least height of the box and width of the tick box.
// *checked holds the tick box's state before and after.
struct CheckBoxLayout
{
    int height = 0;
    QRect tickBoxGeometry;
    int captionWidth = 0;
};
QMessageBox::StandardButton showWithCheckBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons,
                                             const QList<QPair<QMessageBox::StandardButton, QString>>& captions,
                                             const QString& checkBoxText, bool* checked,
                                             const CheckBoxLayout& layout = {});

// The application's error box: title, error icon, OK; the text ends with a
// full stop. A detail (the engine's own words) stands below it.
void error(QWidget* parent, const QString& text, const QString& detail = {});

// The box of an input check that refused to save: title "Fehler", OK, the
// fault lines (each ended by "\n\r") between the heading and the closing
// sentence.
void inputFaults(QWidget* parent, const QString& faults);

// A record changed or deleted here was deleted at another workstation
// meanwhile: "<record> wurde inzwischen an einem anderen Arbeitsplatz
// gelöscht." When the input stays in the form (saveAs given, such as "neuen
// Benutzer"), the box says that the button saveButton stores it as such.
void deletedElsewhere(QWidget* parent, const QString& record, const QString& saveAs = {},
                      const QString& saveButton = QStringLiteral("Speichern"));

// A record about to be saved was changed at another workstation since it
// was read: "<record> wurde seit dem Laden an einem anderen Arbeitsplatz
// geändert." The answer is one of these; Esc cancels and keeps the input.
enum class ChangedElsewhere { LoadStored, SaveOver, Cancel };
ChangedElsewhere changedElsewhere(QWidget* parent, const QString& record);

// The question "Frage" with OK and Abbrechen, no icon; true for OK.
bool askOkCancel(QWidget* parent, const QString& question);

// A notice that asks nothing (a new best time): an information box with OK
// that does not wait for its answer nor take the focus from the window
// behind it. Recorded like every box; a queued answer stays queued.
void notify(QWidget* parent, const QString& title, const QString& text);
// The confirmation dialog with Ja and Nein; true for Ja.
bool confirm(QWidget* parent, const QString& title, const QString& text);

// The choice of one of items: a small dialog with the label above a list
// field, OK and Abbrechen. current is chosen at first (the first item when
// it is none of them). An editable field also takes a typed text, of at
// most maxLength characters (0: any) that the kind of field can store.
// Returns the text chosen; none for Abbrechen or Esc.
std::optional<QString> choose(QWidget* parent, const QString& title, const QString& label,
                              const QStringList& items, const QString& current, bool editable = false,
                              int maxLength = 0, StoredText::Kind kind = StoredText::Kind::Line);

// The exclamation beep of refused keys and warnings.
void beep();

// Once the program is ending (the desktop asked it to stop), no box is
// shown any more: each is recorded and answered as if closed with Esc
// (No, Cancel, or OK for a box without them).
void setEnding(bool ending);
bool ending();

// --- test override -------------------------------------------------------
void setNextAnswer(QMessageBox::StandardButton answer);
// The state in which the next box with a tick box leaves it; without one
// queued the tick box keeps its first state.
void setNextCheckBoxState(bool checked);
// The answer of the next choice box: a text, or none for Abbrechen. Without
// one queued, a queued button answer answers it (Ok: the current item).
void setNextChoice(const std::optional<QString>& choice);
bool hasQueuedAnswers();
void clearQueuedAnswers(); // also the queued tick box states and choices
// Records of the boxes asked since the last clearShown(), real ones included.
const QList<Record>& shown();
void clearShown();
int beepCount();

} // namespace Messages
