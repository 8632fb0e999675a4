#pragma once

#include <QChar>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class QAbstractButton;
class QWidget;

// The keyboard of a program window as a desktop user expects it: a
// mnemonic on every button with a caption, Esc for closing, and the field
// with the focus left properly before a shortcut acts.
namespace WindowKeys {

// The mnemonic letter of a caption ("&Neu" gives 'n'), lower case; a null
// QChar when it has none ("&&" is a plain ampersand).
QChar mnemonicOf(const QString& caption);

// The buttons of the window that show a caption (check boxes and radio
// buttons included), in the order of the window's children; buttons of
// other windows inside it (a calendar dialog) are not among them.
QList<QAbstractButton*> captionedButtons(QWidget* window);

// Gives every captioned button of the window that has no mnemonic one that
// no other button of the window uses: the first letter of a word that is
// still free, else any free letter or digit of the caption. Captions that
// carry a mnemonic keep it; of two that carry the same, the later one gets
// another. Run once the window's buttons are made.
void assignMnemonics(QWidget* window);

// For every window of the program from now on, each time it is shown:
// mnemonics as assignMnemonics() gives them; when it is shown first, the
// focus in its first field, unless the window has put it in a field; and for a working window (one
// with an owner that is no dialog, which has Esc of its own) Esc closes it,
// unless the window has set its own Esc with closeOnEscape().
void install();

// The first field of the window in its tab order that takes input now
// (buttons are no fields), or null.
QWidget* firstField(QWidget* window);

// Esc reaching the window (no field took it for itself, as a changed masked
// field does to restore its text) runs action, by default closing the window.
void closeOnEscape(QWidget* window, std::function<void()> action = {});

// Return or Enter on the widget runs action.
void onEnter(QWidget* widget, std::function<void()> action);

// The field with the focus in the window is left, as Tab would leave it,
// so that its checks and leave handlers run before a shortcut acts. False
// when the field refused to be left (it keeps the focus and has said why);
// the action must not run then. The field gets the focus back afterwards
// when this object goes, unless the action put it elsewhere.
class LeftField
{
public:
    explicit LeftField(QWidget* window);
    ~LeftField();
    LeftField(const LeftField&) = delete;
    LeftField& operator=(const LeftField&) = delete;

    bool ok() const { return m_ok; }

private:
    QWidget* m_window;
    QPointer<QWidget> m_field;
    bool m_ok = true;
};

} // namespace WindowKeys
