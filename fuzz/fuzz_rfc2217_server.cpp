// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Fuzzes what an RFC 2217 server sends, as TcpPort hands it to the
// framing: any bytes, in any split, must be taken without a fault, and the
// answers to the server's negotiation stay bounded by what it sent.
#include "domain/ports/LineSettings.h"
#include "domain/ports/Rfc2217Framing.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16 || size == 0)
        return 0;
    Rfc2217Framing framing;
    LineSettings line;
    (void)framing.opening(line);
    // The first byte chooses the size of the pieces the socket delivers.
    const size_t piece = 1 + data[0] % 64;
    size_t answered = 0;
    for (size_t at = 1; at < size; at += piece) {
        const size_t n = std::min(piece, size - at);
        const QByteArray bytes(reinterpret_cast<const char *>(data + at), qsizetype(n));
        answered += size_t(framing.received(bytes).size());
        (void)framing.data(QByteArrayLiteral(":SYST:REM \r"));
    }
    // Each option the server names gets one short answer at most.
    if (answered > 16 * size + 64)
        std::abort();
    return 0;
}
