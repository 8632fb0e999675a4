#pragma once

#include <QObject>

#include <csignal>

// Ends the program in an orderly way (windows closed, database detached)
// when the desktop session asks it to stop with SIGTERM, SIGINT or SIGHUP.
// The signals are blocked in every thread before any is started, the
// database engine's included, and read from a descriptor by the event loop,
// so no handler ever interrupts the engine.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    // Call first thing in main, before any thread exists.
    static void blockInAllThreads();

    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    // True once the desktop asked the program to stop.
    static bool requested();

    // Call right before the event loop runs. Until then a stop cannot end
    // the loop: it closes the boxes of the start-up instead, and the
    // start-up ends when it sees requested().
    void mainLoopStarts() { m_inMainLoop = true; }

private:
    void stop();

    int m_fd = -1;
    bool m_inMainLoop = false;
};
