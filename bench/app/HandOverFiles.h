#pragma once

#include "model/NookCodec.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QUrl>

// What the hand-over benchmarks share: files to hand over, and how many items the data
// file holds once saved.
namespace HandOverFiles {

// As a launcher passes them.
inline QStringList uris(const QList<QUrl>& urls) {
    QStringList result;
    for (const QUrl& url : urls)
        result << QString::fromUtf8(url.toEncoded());
    return result;
}

inline QList<QUrl> make(const QString& folder, int count) {
    QDir().mkpath(folder);
    QList<QUrl> urls;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/file %1.txt").arg(i);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
        urls << QUrl::fromLocalFile(path);
    }
    return urls;
}

inline qsizetype savedItems(const QString& dataFile) {
    QFile file(dataFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qsizetype count = 0;
    for (const NookGroup& group : NookCodec::decode(file.readAll()).value_or(QList<NookGroup>()))
        count += group.items.size();
    return count;
}

} // namespace HandOverFiles
