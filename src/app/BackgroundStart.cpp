#include "app/BackgroundStart.h"

#include "app/RemoteInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace BackgroundStart {

bool run(const QString& program, const RemoteInstance& instance, int timeoutMs) {
    const QByteArray path = QFile::encodeName(program);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        ::setsid();
        const int null = ::open("/dev/null", O_RDWR);
        for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(null, stream);
        if (::chdir("/") != 0)
            ::_exit(127);
        const char* const arguments[] = {path.constData(), "--background", nullptr};
        ::execv(path.constData(), const_cast<char* const*>(arguments));
        ::_exit(127);
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (instance.isRunning())
            return true;
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return instance.isRunning(); // it ended: another start may have won the race
        QThread::msleep(20);
    }
    return false;
}

} // namespace BackgroundStart
