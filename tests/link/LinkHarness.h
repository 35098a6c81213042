#pragma once

#include "link/PacketMatcher.h"
#include "link/SerialPort.h"
#include "tests/link/PtyPeer.h"
#include "tests/support/TestUtil.h"

#include <QByteArray>
#include <QStringList>
#include <memory>
#include <vector>

// A port opened on a pseudo-terminal as COM<n>, with a log of every event in the order the
// program saw them, and OnTriggerAvail reading its bytes.
struct LinkHarness {
    explicit LinkHarness(int n = 3) : peer(n) {
        port.setComNumber(quint16(n));
        port.OnTriggerAvail = [this](SerialPort& p, int count) {
            for (int i = 0; i < count; ++i)
                avail.append(p.ReadChar());
            log << QStringLiteral("avail %1").arg(count);
        };
        port.setOpen(true);
    }

    PacketMatcher& matcher(const char* name) {
        auto m = std::make_unique<PacketMatcher>(&port);
        m->setObjectName(QLatin1String(name));
        m->setAutoEnable(false);
        m->OnStringPacket = [this](PacketMatcher& self, const QByteArray& text) {
            packets << (self.objectName() + ":" + QString::fromLatin1(text));
            log << (self.objectName() + " packet");
        };
        m->OnTimeout = [this](PacketMatcher& self) {
            packets << (self.objectName() + ":timeout");
            log << (self.objectName() + " timeout");
        };
        matchers.push_back(std::move(m));
        return *matchers.back();
    }

    // An scAnyData matcher ending on end.
    PacketMatcher& anyData(const char* name, const QByteArray& end, int timeOut = 0) {
        PacketMatcher& m = matcher(name);
        m.setStartCond(PacketMatcher::scAnyData);
        m.setEndCond(PacketMatcher::ecString);
        m.setEndString(end);
        m.setTimeOut(timeOut);
        return m;
    }

    PacketMatcher& framed(const char* name, const QByteArray& start, const QByteArray& end,
                          int timeOut = 0) {
        PacketMatcher& m = matcher(name);
        m.setStartString(start);
        m.setEndCond(PacketMatcher::ecString);
        m.setEndString(end);
        m.setTimeOut(timeOut);
        return m;
    }

    // Sends bytes from the far end and waits until OnTriggerAvail has seen them all.
    bool feed(const QByteArray& bytes, int timeoutMs = 3000) {
        const qsizetype want = avail.size() + bytes.size();
        peer.writeAsync(bytes); // the GUI thread must keep dispatching while it is written
        const bool all = WaitUntil([&] { return avail.size() >= want; }, timeoutMs);
        peer.waitWritten();
        return all;
    }

    PtyPeer peer;
    SerialPort port;
    std::vector<std::unique_ptr<PacketMatcher>> matchers;
    QByteArray avail;
    QStringList packets;
    QStringList log;
};
