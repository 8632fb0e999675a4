// Writes a generated diary into a program folder, for trying the program on
// a diary of many years:
//   build/bin/generate_diary FOLDER [years [seed]]
// FOLDER receives config.ini, aliases.conf and Database/data.fdb as at a
// first start; run the program with that folder as its program folder
// (copy or link the program file into it).
#include "datafiles.h"
#include "diarygenerator.h"
#include "session.h"
#include "storageerror.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [years [seed]]\n", argv[0]);
        return 2;
    }
    DiarySpec spec;
    if (argc > 2)
        spec.years = std::atoi(argv[2]);
    if (argc > 3)
        spec.seed = quint32(std::strtoul(argv[3], nullptr, 10));
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');
    try {
        QDir().mkpath(folder);
        Session session;
        datafiles::openStorage(session, folder);
        const GeneratedDiary diary = generateDiary(session.ZDatabase1, spec);
        std::printf("%s: %lld persons, %d entries, %d units, %d shoes\n", qPrintable(folder),
                    static_cast<long long>(diary.userIds.size()), diary.entries, diary.units, diary.shoes);
    } catch (const StorageError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
