#pragma once

#include "messages.h"

#include "storageerror.h"

#include <exception>
#include <utility>

class QWidget;

// The boundary of every handler: a StorageError (or any other exception)
// ends the handler and is shown in the application's error box. Returns
// true when the work ran to its end.
template <typename Work>
bool guarded(QWidget* parent, Work&& work)
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const StorageError& e) {
        Messages::error(parent, e.message(), e.detail());
    } catch (const std::exception& e) {
        Messages::error(parent, QString::fromLocal8Bit(e.what()));
    }
    return false;
}
