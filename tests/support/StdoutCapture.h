#pragma once

#include <QByteArray>

// Sends standard output into a temporary file while it lives; text() returns what was
// written so far. For checking the exact lines the program prints.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    QByteArray text() const;

private:
    int m_savedFd = -1;
    int m_captureFd = -1;
};
