#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Which URLs name a file on this machine: "file:" with an empty host or "localhost",
// an absolute path, and no NUL anywhere in it (the system would read the path only up
// to the NUL, naming another file than the one shown).
namespace FileUrls {

// The cleaned absolute path such a URL names; nothing for any other URL.
std::optional<QString> localPath(const QUrl& url);

} // namespace FileUrls
