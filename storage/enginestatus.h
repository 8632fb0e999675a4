#pragma once

#include <firebird/Interface.h>

#include <QString>

// For the storage's own files that talk to the engine through its object
// interface: the one master interface of the process, and the text the
// engine composes of a status (file names decoded as the file system's
// names, the rest in code page 1252).
Firebird::IMaster* engineMaster();
QString engineStatusText(Firebird::IStatus* status);

// Status wrapper of one call site; the interface's status object is
// disposed with it.
class Status
{
public:
    Status() : m_status(engineMaster()->getStatus()), m_wrapper(m_status) {}
    ~Status() { m_status->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;
    Firebird::ThrowStatusWrapper* operator&() { return &m_wrapper; }

private:
    Firebird::IStatus* m_status;
    Firebird::ThrowStatusWrapper m_wrapper;
};
