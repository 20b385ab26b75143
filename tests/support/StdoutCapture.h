#pragma once

#include <QByteArray>
#include <QTemporaryFile>

#include <cstdio>

#include <unistd.h>

// Sends standard output into a temporary file while it lives; text() returns what was
// written so far. For checking the exact lines the program prints.
class StdoutCapture {
public:
    StdoutCapture() {
        m_file.open();
        std::fflush(stdout);
        m_savedFd = ::dup(STDOUT_FILENO);
        ::dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~StdoutCapture() {
        std::fflush(stdout);
        ::dup2(m_savedFd, STDOUT_FILENO);
        ::close(m_savedFd);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    QByteArray text() const {
        std::fflush(stdout);
        QFile file(m_file.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryFile m_file;
    int m_savedFd = -1;
};
