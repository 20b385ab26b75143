#pragma once

#include <QByteArray>
#include <QTemporaryFile>

#include <cstdio>

#include <unistd.h>

// What `run` prints on standard output: for checking the exact lines the program prints.
template <typename Run> QByteArray stdoutOf(Run run) {
    QTemporaryFile file;
    file.open();
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(file.handle(), STDOUT_FILENO);
    run();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    QFile printed(file.fileName());
    return printed.open(QIODevice::ReadOnly) ? printed.readAll() : QByteArray();
}
