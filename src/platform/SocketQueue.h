#pragma once

#include <QtGlobal>

// What a TCP connection's own stack can tell about the bytes sent on it:
// the one place with system calls on a socket, so that the rest of the
// program stays portable.

// Bytes sent and not yet acknowledged by the far end's stack (Linux:
// SIOCOUTQ). -1 where the system does not say.
qint64 unacknowledgedBytes(qintptr socket);

// Ends the sending direction in order (a FIN after the last byte) and
// keeps receiving. Returns false when that cannot be done.
bool shutdownSending(qintptr socket);
