// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "soak/Ledger.h"

#include <algorithm>

void Ledger::received(const QByteArray &line)
{
    ++m_received;
    const size_t window = std::min(m_inFlight.size(), Window);
    for (size_t i = 0; i < window; ++i) {
        if (m_inFlight[i].text != line)
            continue;
        for (size_t j = 0; j < i; ++j) {
            m_overtaken.emplace(m_inFlight[j].number, m_inFlight[j].text);
            m_examples.add(QStringLiteral("sent line %1 \"%2\" overtaken by \"%3\"")
                               .arg(m_inFlight[j].number + 1)
                               .arg(QString::fromLatin1(m_inFlight[j].text), QString::fromLatin1(line)));
        }
        m_inFlight.erase(m_inFlight.begin(), m_inFlight.begin() + qsizetype(i) + 1);
        forgetOldest();
        return;
    }
    for (auto it = m_overtaken.begin(); it != m_overtaken.end(); ++it) {
        if (it->second == line) {
            ++m_reordered;
            m_overtaken.erase(it);
            return;
        }
    }
    ++m_extra;
    m_examples.add(QStringLiteral("received \"%1\", which was not sent").arg(QString::fromLatin1(line)));
}

void Ledger::forgetOldest()
{
    while (m_overtaken.size() > MaxOvertaken) {
        m_overtaken.erase(m_overtaken.begin());
        ++m_forgotten;
    }
}

void LineSplitter::operator()(const QString &text)
{
    m_partial += text.toLatin1(); // what the port put on the wire
    for (qsizetype end; (end = m_partial.indexOf('\r')) >= 0;) {
        m_onLine(m_partial.left(end));
        m_partial.remove(0, end + 1);
    }
}
