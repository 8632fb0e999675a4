#pragma once

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <csignal>
#include <pthread.h>

// While it lives, catches the files a window hands the desktop to open
// instead of starting a program for them.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> urls;
    // Whether the thread that opened each file had SIGTERM blocked: a
    // program started then would inherit the block.
    QList<bool> termBlocked;
    QStringList paths() const
    {
        QStringList files;
        for (const QUrl& url : urls)
            files << url.toLocalFile();
        return files;
    }

public Q_SLOTS:
    void open(const QUrl& url)
    {
        urls << url;
        sigset_t mask;
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        termBlocked << (sigismember(&mask, SIGTERM) == 1);
    }
};

// Puts a stand-in for the desktop's lookup of the program for a kind of
// file first on PATH, answering with the given desktop file (or with
// nothing) for every kind.
class ViewerLookup
{
public:
    explicit ViewerLookup(const QByteArray& answer)
        : m_path(qgetenv("PATH"))
    {
        QFile script(m_dir.filePath("xdg-mime"));
        if (!script.open(QIODevice::WriteOnly))
            QFAIL("no stand-in for the lookup");
        script.write("#!/bin/sh\n[ -n \"" + answer + "\" ] && echo \"" + answer + "\"\nexit 0\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        qputenv("PATH", m_dir.path().toLocal8Bit() + ':' + m_path);
    }
    ~ViewerLookup() { qputenv("PATH", m_path); }

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
};
