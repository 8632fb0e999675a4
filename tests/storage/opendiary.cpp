// Opens the diary of a program folder as the program's start does, records
// a person in it and tells how it went: "geöffnet" and what the user is to
// be told, or the error's message and its detail. For the tests that start
// it as another user.
#include "datafiles.h"
#include "enginelock.h"
#include "session.h"
#include "storageerror.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    enginelock::useOwnFolder();
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    try {
        Session s;
        const QString notice = datafiles::openStorage(s, QString::fromLocal8Bit(argv[1]));
        s.ZDatabase1.execute(QStringLiteral("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) "
                                            "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.02.1980', '0')"));
        std::printf("geöffnet\n%s\n", notice.toUtf8().constData());
        return 0;
    } catch (const StorageError& e) {
        std::printf("%s\n%s\n", e.message().toUtf8().constData(), e.detail().toUtf8().constData());
        return 1;
    }
}
