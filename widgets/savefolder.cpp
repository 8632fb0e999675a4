#include "savefolder.h"

#include "session.h"
#include "storageerror.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace SaveFolder {

namespace {

const QString kSection = QStringLiteral("Ordner");
const QString kKey = QStringLiteral("Speichern");

QString& lastThisRun()
{
    static QString folder;
    return folder;
}

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString startFolder(const Session& session)
{
    if (isFolder(lastThisRun()))
        return lastThisRun();
    const QString stored = session.settings().readString(kSection, kKey, QString());
    if (isFolder(stored))
        return stored;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (isFolder(documents))
        return documents;
    return QDir::homePath();
}

void remember(const Session& session, const QString& savedFilePath)
{
    const QString folder = QFileInfo(savedFilePath).absolutePath();
    if (!isFolder(folder))
        return;
    lastThisRun() = folder;
    try {
        IniFile ini = session.settings();
        ini.writeString(kSection, kKey, folder);
        ini.commit();
    } catch (const StorageError&) {
        // The folder is still remembered for this run; a settings file that
        // cannot be written is not worth a box after a successful save.
    }
}

} // namespace SaveFolder
