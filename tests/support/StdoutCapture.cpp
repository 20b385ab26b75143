#include "StdoutCapture.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

StdoutCapture::StdoutCapture() {
    std::fflush(stdout);
    char name[] = "/tmp/tuckaway-stdout-XXXXXX";
    m_captureFd = ::mkstemp(name);
    ::unlink(name);
    m_savedFd = ::dup(STDOUT_FILENO);
    ::dup2(m_captureFd, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture() {
    std::fflush(stdout);
    ::dup2(m_savedFd, STDOUT_FILENO);
    ::close(m_savedFd);
    ::close(m_captureFd);
}

QByteArray StdoutCapture::text() const {
    std::fflush(stdout);
    QByteArray result;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(m_captureFd, buffer, sizeof buffer, at);
        if (n <= 0)
            break;
        result.append(buffer, n);
        at += n;
    }
    return result;
}
