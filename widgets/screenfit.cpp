#include "screenfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace {

constexpr const char* kScrollName = "ScrollArea1";

// The frame the desktop puts around the window. Before the desktop has
// framed it for the first time, the frame of the window that owns it, or
// else a generous guess, so that the title bar is not pushed off the screen.
QMargins frameMargins(const QWidget* window)
{
    if (window->windowFlags() & Qt::FramelessWindowHint || window->windowType() == Qt::SplashScreen
        || window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
        return {};
    if (const QWindow* handle = window->windowHandle(); handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    if (const QWidget* owner = window->parentWidget()) {
        if (const QWindow* handle = owner->window()->windowHandle(); handle && !handle->frameMargins().isNull())
            return handle->frameMargins();
    }
    const int side = 4;
    return QMargins(side, qMax(24, window->fontMetrics().height() + 12), side, side);
}

// The room the children of a widget without layout take, with the margin
// they keep from the top left repeated at the bottom right.
QSize childrenExtent(const QWidget* widget)
{
    const QRect children = widget->childrenRect();
    if (children.isNull())
        return {};
    return QSize(children.right() + 1 + qMax(0, children.left()), children.bottom() + 1 + qMax(0, children.top()));
}

bool fitsIn(const QSize& needed, const QSize& room)
{
    return needed.width() <= room.width() && needed.height() <= room.height();
}

QScrollArea* makeScrollArea(QWidget* parent)
{
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName(QLatin1String(kScrollName));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    return scroll;
}

// Puts what the window shows into a scroll area, so that the window can be
// smaller than its content. The controls keep their names, their order and
// the focus chain; only their parent changes.
void scrollContent(QWidget* window, const QSize& room)
{
    const bool visible = window->isVisible();
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        QWidget* content = main->centralWidget();
        if (!content || qobject_cast<QScrollArea*>(content))
            return;
        if (!content->layout())
            content->setMinimumSize(childrenExtent(content));
        auto* scroll = makeScrollArea(main);
        main->takeCentralWidget();
        scroll->setWidget(content);
        main->setCentralWidget(scroll);
        if (visible)
            scroll->show();
    } else {
        if (window->findChild<QScrollArea*>(QLatin1String(kScrollName), Qt::FindDirectChildrenOnly))
            return;
        const QSize extent = childrenExtent(window);
        const QList<QWidget*> children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        auto* scroll = makeScrollArea(window);
        auto* content = new QWidget;
        content->setObjectName(QStringLiteral("ScrollContent1"));
        scroll->setWidget(content);
        if (QLayout* layout = window->layout())
            content->setLayout(layout); // takes the controls it arranges along
        else
            content->setMinimumSize(extent);
        for (QWidget* child : children) {
            if (child != scroll && !child->isWindow() && child->parentWidget() == window)
                child->setParent(content);
        }
        auto* frame = new QVBoxLayout(window);
        frame->setContentsMargins(0, 0, 0, 0);
        frame->addWidget(scroll);
        if (visible)
            scroll->show();
    }
}

// Fits its window at the first showing, and once more when the desktop has
// framed it and the frame turns out to be larger than guessed.
class ScreenFitter : public QObject
{
public:
    explicit ScreenFitter(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show && !m_shown) {
            m_shown = true;
            ScreenFit::fit(m_window);
            if (QWindow* handle = m_window->windowHandle()) {
                m_guessed = handle->frameMargins().isNull();
                if (m_guessed)
                    handle->installEventFilter(this);
            }
        } else if (m_guessed && watched == m_window->windowHandle() && event->type() == QEvent::Expose) {
            QWindow* handle = m_window->windowHandle();
            if (handle->isExposed() && !handle->frameMargins().isNull()) {
                m_guessed = false;
                handle->removeEventFilter(this);
                const QRect area = ScreenFit::availableArea(m_window);
                if (!area.contains(m_window->frameGeometry()))
                    ScreenFit::fit(m_window);
            }
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    bool m_shown = false;
    bool m_guessed = false;
};

} // namespace

namespace ScreenFit {

void keepOnScreen(QWidget* window)
{
    if (!window || window->property("keptOnScreen").toBool())
        return;
    window->setProperty("keptOnScreen", true);
    new ScreenFitter(window);
}

QRect availableArea(const QWidget* window)
{
    const QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (!screen && window->parentWidget())
        screen = window->parentWidget()->window()->screen();
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect inside(QRect frame, const QRect& area)
{
    frame.setWidth(qMin(frame.width(), area.width()));
    frame.setHeight(qMin(frame.height(), area.height()));
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    return frame;
}

QSize neededSize(QWidget* window)
{
    if (QLayout* layout = window->layout())
        layout->activate();
    QSize needed = window->minimumSize();
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        needed = needed.expandedTo(main->minimumSizeHint());
        // Controls placed by position: the bars around them and their room.
        if (QWidget* content = main->centralWidget(); content && !content->layout())
            needed = needed.expandedTo(childrenExtent(content) + (main->size() - content->size()));
        return needed;
    }
    if (QLayout* layout = window->layout())
        return needed.expandedTo(layout->totalMinimumSize());
    return needed.expandedTo(childrenExtent(window));
}

void fit(QWidget* window)
{
    if (!window)
        return;
    fit(window, availableArea(window), frameMargins(window));
}

void fit(QWidget* window, const QRect& area, const QMargins& frame)
{
    if (!window || !window->isWindow() || window->isMaximized() || window->isFullScreen() || area.isEmpty())
        return;
    const QSize room = area.size().shrunkBy(frame);
    if (!fitsIn(neededSize(window), room)) {
        scrollContent(window, room);
        // A fixed or minimum size of the window gives way to the screen, also
        // to a frame found larger than it was taken for at the first fitting.
        window->setMinimumSize(window->minimumSize().boundedTo(room));
    }
    if (!fitsIn(window->size(), room))
        window->resize(window->size().boundedTo(room));
    // Until the desktop has framed the window, its position is where its
    // frame was asked to go.
    const QRect outer(window->pos(), window->size().grownBy(frame));
    const QRect placed = inside(outer, area);
    if (placed.topLeft() == outer.topLeft())
        return;
    // The inner area is placed, below the title bar and inside the borders:
    // a window that is already made but not yet framed would otherwise put
    // its inner area where the frame should go, the title bar above the
    // screen.
    window->setGeometry(QRect(placed.topLeft() + QPoint(frame.left(), frame.top()), window->size()));
}

} // namespace ScreenFit
