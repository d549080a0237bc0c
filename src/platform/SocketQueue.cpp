#include "platform/SocketQueue.h"

#if defined(Q_OS_WIN)
#include <winsock2.h>
#else
#include <sys/ioctl.h>
#include <sys/socket.h>
#endif
#if defined(Q_OS_LINUX)
#include <linux/sockios.h>
#endif

qint64 unacknowledgedBytes(qintptr socket)
{
#if defined(Q_OS_LINUX)
    int queued = 0;
    if (socket >= 0 && ::ioctl(static_cast<int>(socket), SIOCOUTQ, &queued) == 0)
        return queued;
#else
    Q_UNUSED(socket);
#endif
    return -1;
}

bool shutdownSending(qintptr socket)
{
    if (socket < 0)
        return false;
#if defined(Q_OS_WIN)
    return ::shutdown(static_cast<SOCKET>(socket), SD_SEND) == 0;
#else
    return ::shutdown(static_cast<int>(socket), SHUT_WR) == 0;
#endif
}
