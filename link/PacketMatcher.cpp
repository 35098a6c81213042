#include "link/PacketMatcher.h"

#include "link/LinkErrors.h"
#include "link/PortMatchers.h"
#include "link/SerialPort.h"

PacketMatcher::PacketMatcher(SerialPort* port, QObject* parent) : QObject(parent), m_port(port) {
    if (auto* set = matchers())
        set->add(this);
}

PacketMatcher::~PacketMatcher() {
    if (auto* set = matchers())
        set->remove(this);
}

PortMatchers* PacketMatcher::matchers() const {
    return m_port ? m_port->m_matchers.get() : nullptr;
}

void PacketMatcher::CheckProperties() const {
    const auto fail = [this](const QString& why) {
        const QString who = objectName().isEmpty()
                                ? QStringLiteral("Packet matcher")
                                : QStringLiteral("Packet matcher %1").arg(objectName());
        throw OmbrexError(LinkError::MatcherProperties, QStringLiteral("%1: %2").arg(who, why));
    };
    if (m_startCond == scString && m_startString.isEmpty())
        fail(QStringLiteral("a start string is needed to start on a string"));
    if (m_startCond == scAnyData && !(m_endCond & (ecString | ecPacketSize)))
        fail(QStringLiteral("an end condition is needed to start on any data"));
    if ((m_endCond & ecString) && m_endString.isEmpty())
        fail(QStringLiteral("an end string is needed to end on a string"));
    if ((m_endCond & ecPacketSize) &&
        (m_packetSize <= 0 || (m_startCond == scString && m_packetSize < m_startString.size())))
        fail(QStringLiteral("the packet size must be at least the length of the start string"));
}

void PacketMatcher::setEnabled(bool enabled) {
    PortMatchers* set = matchers();
    if (!set) {
        if (enabled)
            CheckProperties();
        m_enabled = enabled;
        return;
    }
    if (enabled)
        set->arm(*this);
    else
        set->disarm(*this);
}

void PacketMatcher::setEndString(const QByteArray& text) {
    m_endString = text;
    if (m_enabled) {
        setEnabled(false);
        setEnabled(true);
    }
}
