#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// While it lives, catches the files a window hands the desktop to open
// instead of starting a program for them.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> urls;
    QStringList paths() const
    {
        QStringList files;
        for (const QUrl& url : urls)
            files << url.toLocalFile();
        return files;
    }

public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};
