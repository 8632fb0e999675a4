#include "dbserver.h"
#include "storageerror.h"

#include <QTest>

#include <cstdio>
#include <cstring>
#include <fcntl.h>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

class TestServerLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keptPasswordMakesNoCoreDump();
    void forgottenPasswordLeavesNoCopy();
};

namespace {

// The password exists only as the program's own copies, never as a literal
// or a needle in this test's memory: it is kept and compared masked.
constexpr unsigned char kMask = 0x5A;
const unsigned char kMasked[] = {'G' ^ kMask, 'e' ^ kMask, 'h' ^ kMask, '3' ^ kMask, '1' ^ kMask, 'm' ^ kMask,
                                 '#' ^ kMask, 'w' ^ kMask, 'o' ^ kMask, 'r' ^ kMask, 't' ^ kMask, '7' ^ kMask};
constexpr qsizetype kLength = sizeof kMasked;

QString password()
{
    QString text(kLength, Qt::Uninitialized);
    for (qsizetype i = 0; i < kLength; ++i)
        text[i] = QChar(kMasked[i] ^ kMask);
    return text;
}

// How often the password stands in this process's writable memory as text.
// Allocates nothing, so that no freed block is taken again meanwhile.
int copiesInMemory()
{
    static char maps[1 << 20];
    const int fd = open("/proc/self/maps", O_RDONLY);
    if (fd < 0)
        return -1;
    size_t length = 0;
    for (ssize_t n; (n = read(fd, maps + length, sizeof maps - 1 - length)) > 0;)
        length += size_t(n);
    close(fd);
    maps[length] = 0;
    int copies = 0;
    for (char* line = maps; *line;) {
        char* end = std::strchr(line, '\n');
        if (end)
            *end = 0;
        unsigned long from = 0, to = 0;
        char perms[5] = {};
        if (std::sscanf(line, "%lx-%lx %4s", &from, &to, perms) == 3 && perms[0] == 'r' && perms[1] == 'w'
            && !std::strstr(line, "[vvar]")) {
            auto* p = reinterpret_cast<const char16_t*>(from);
            for (auto* last = reinterpret_cast<const char16_t*>(to) - kLength; p <= last; ++p) {
                qsizetype i = 0;
                while (i < kLength && p[i] == char16_t(kMasked[i] ^ kMask))
                    ++i;
                copies += i == kLength;
            }
        }
        if (!end)
            break;
        line = end + 1;
    }
    return copies;
}

} // namespace

void TestServerLogin::keptPasswordMakesNoCoreDump()
{
    serverlogin::forgetAll();
    serverlogin::setPrompt([](const QString&, const QString&) { return Credentials{QStringLiteral("anna"), password()}; });
    const ServerAddress first{QStringLiteral("diary.example"), {}};
    const ServerAddress second{QStringLiteral("diary.example"), QStringLiteral("3051")};
    QCOMPARE(prctl(PR_GET_DUMPABLE), 1);
    QCOMPARE(serverlogin::credentialsFor(first).password, password());
    QCOMPARE(prctl(PR_GET_DUMPABLE), 0);
    serverlogin::credentialsFor(second);
    serverlogin::refused(first);
    QCOMPARE(prctl(PR_GET_DUMPABLE), 0); // the other one is still kept
    serverlogin::refused(second);
    QCOMPARE(prctl(PR_GET_DUMPABLE), 1);
    serverlogin::credentialsFor(first);
    serverlogin::forgetAll();
    QCOMPARE(prctl(PR_GET_DUMPABLE), 1);
    serverlogin::setPrompt(nullptr);
}

void TestServerLogin::forgottenPasswordLeavesNoCopy()
{
    // in a process of its own, whose memory holds nothing of the other tests
    const pid_t child = fork();
    if (child == 0) {
        serverlogin::setPrompt([](const QString&, const QString&) { return Credentials{QStringLiteral("anna"), password()}; });
        const ServerAddress server{QStringLiteral("diary.example"), {}};
        {
            const Credentials asked = serverlogin::credentialsFor(server);
            const Credentials again = serverlogin::credentialsFor(server);
            if (asked.password.size() != kLength || again.password.size() != kLength)
                _exit(3);
        }
        if (copiesInMemory() < 1)
            _exit(2); // the search finds nothing even while it is kept
        serverlogin::forgetAll();
        _exit(copiesInMemory() == 0 ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

QTEST_GUILESS_MAIN(TestServerLogin)
#include "tst_serverlogin.moc"
