#pragma once

#include <QSize>

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QWidget;
class Session;

// A program folder of its own for one test: removed with the fixture. In a
// run against the tests' database server its aliases.conf names a new
// diary there, so the program opens and makes the diary on the server.
class TestFolder
{
public:
    TestFolder();
    // With a trailing separator, as the program folder is written.
    QString path() const;
    QString file(const QString& name) const { return path() + name; }

private:
    QTemporaryDir m_dir;
};

// German standard buttons, no queued answers, no recorded boxes.
void initTestEnvironment();

// Reads a whole file as bytes.
QByteArray readBytes(const QString& path);
// The permission bits of a file or folder (as 0600), -1 when there is none.
int fileMode(const QString& path);

// Runs a select on the session's first query and returns field 0 of the first row as text.
QString scalar(Session& session, const QString& sql);

// Shows a top-level window and makes it the active one, so that focus
// changes and typed keys reach its fields; false when it does not become active.
bool showActive(QWidget& window);

// Types a text key by key as a keyboard does, characters beyond ASCII
// (Polish, Cyrillic, an emoji as one key) included.
void typeText(QWidget* field, const QString& text);

// What a user would find wrong with a window's layout at its present size:
// visible controls (the direct children of the given containers) that
// overlap one another, stick out of their container, are smaller than their
// text asks (labels, buttons, lists), or cut their text (line edits, grid
// columns). One line per fault; empty when there is none.
QStringList layoutFaults(const QList<QWidget*>& containers);

// Runs a test's slots on one offscreen screen of the given size (in device
// pixels) and scale factor; for a main() of its own.
int runOnScreen(QObject& test, int argc, char* argv[], const QSize& screen, qreal scale = 1.0);

// The tests' database server (tests/server/fbserver.sh) for a run that
// TRAMORA_SERVER_ENV points at its server.env; not configured otherwise.
// Reading it puts its account into ISC_USER and ISC_PASSWORD.
struct TestServer
{
    bool configured = false;
    QString skipReason;  // why there is none: the server package is missing
    QString address;     // host/port
    QString dataFolder;  // where databases on it may be made
    // A connection string for a new database on it.
    QString newDatabase() const;
};
const TestServer& testServer();

// In init(): skips the test, with the reason, when the run is against the
// test server but there is none.
void skipWithoutTestServer();
