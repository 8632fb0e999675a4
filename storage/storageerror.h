#pragma once

#include <QString>

#include <stdexcept>

// The one error the storage raises: a statement the database rejected, a
// file that could not be written, a value that could not be converted.
// It ends the running handler and is shown in the application's error box
// (see widgets/errorboundary.h); it never crosses the event loop.
//
// message() is what the user reads; detail(), when not empty, is the
// underlying text (the engine's or the file system's own words), shown
// below it.
//
// reason() tells the callers that act on it what happened to a diary on a
// database server: out of reach, the login refused, the connection lost
// while working, a change that collided with one made elsewhere, a
// database file that is not there, or a commit whose answer was lost (the
// change may or may not be stored); and, for any file, that its disk was
// full (NoSpace) or that it could not be written or made there for want of
// permission (CannotWrite): the fault lies with the place, not the data.
class StorageError : public std::runtime_error
{
public:
    enum class Reason
    {
        Other,
        Unreachable,
        LoginRefused,
        ConnectionLost,
        Conflict,
        Missing,
        AnswerLost,
        NoSpace,
        CannotWrite
    };

    explicit StorageError(const QString& message, const QString& detail = {}, Reason reason = Reason::Other)
        : std::runtime_error(message.toStdString()), m_message(message), m_detail(detail), m_reason(reason) {}

    const QString& message() const { return m_message; }
    const QString& detail() const { return m_detail; }
    Reason reason() const { return m_reason; }

private:
    QString m_message;
    QString m_detail;
    Reason m_reason = Reason::Other;
};
