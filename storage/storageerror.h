#pragma once

#include <QString>

#include <stdexcept>

// The one error the storage raises: a statement the database rejected, a
// file that could not be written, a value that could not be converted.
// It ends the running handler and is shown in the application's error box
// (see widgets/errorboundary.h); it never crosses the event loop.
class StorageError : public std::runtime_error
{
public:
    explicit StorageError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString& message() const { return m_message; }

private:
    QString m_message;
};
