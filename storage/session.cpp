#include "session.h"

#include "storageerror.h"

namespace {
Session* g_current = nullptr;
}

Session::Session()
    : ZQuery1(ZDatabase1), ZQuery2(ZDatabase1), ZQuery3(ZDatabase1), m_previous(g_current)
{
    g_current = this;
}

Session::~Session()
{
    if (g_current == this)
        g_current = m_previous;
}

Session& Session::current()
{
    if (!g_current)
        throw StorageError(QStringLiteral("Keine Verbindung zur Datenbank"));
    return *g_current;
}

bool Session::hasCurrent()
{
    return g_current != nullptr;
}
