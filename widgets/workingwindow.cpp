#include "workingwindow.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace WorkingWindow {

namespace {

class Activator : public QObject
{
public:
    Activator(QWidget* window, QWidget* field) : QObject(window), m_window(window), m_field(field)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show && !m_window->isMinimized()) {
            QWidget* field = m_field;
            while (field && field != m_window && !(field->isEnabled() && field->isVisibleTo(m_window) && field->focusPolicy() & Qt::TabFocus))
                field = field->nextInFocusChain();
            if (field && field != m_window)
                field->setFocus(Qt::ActiveWindowFocusReason);
            // Made but not yet on the screen: the desktop activates it once it is mapped.
            m_window->activateWindow();
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_field;
};

} // namespace

void activateWhenShown(QWidget* window, QWidget* firstField)
{
    if (window)
        new Activator(window, firstField);
}

void centreOverOwner(QWidget* window)
{
    const QWidget* owner = window && window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!owner)
        return;
    // Before the desktop has framed the window, the owner's frame stands in
    // for its own.
    const QRect outer = owner->frameGeometry();
    const QRect inner = owner->geometry();
    const QMargins ownerFrame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                              outer.bottom() - inner.bottom());
    QRect frame = window->windowHandle() && !window->windowHandle()->frameMargins().isNull()
                      ? window->frameGeometry()
                      : QRect(window->pos(), window->size().grownBy(ownerFrame));
    frame.moveCenter(outer.center());
    window->move(frame.topLeft());
}

} // namespace WorkingWindow
