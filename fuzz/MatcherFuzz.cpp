// Packet matchers on a real pseudo-terminal, fed random bytes in random pieces while they are
// armed and disarmed at random, also from inside their own handlers.
//
// Input: three matcher set-ups of 8 bytes each, then operations: 0x00-0x3f arms or disarms
// matcher (op % 3); anything else sends the next (op & 0x3f) + 1 bytes down the line.
#include "fuzz/FuzzSupport.h"
#include "link/PacketMatcher.h"
#include "link/SerialPort.h"
#include "tests/link/PtyPeer.h"
#include "ui/OmbrexError.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace {

constexpr int kPort = 7;

struct Line {
    QTemporaryDir home;
    std::unique_ptr<PtyPeer> peer;
    SerialPort port;
    qsizetype sent = 0;
    qsizetype seen = 0;
};
Line* g_line = nullptr;

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool more() const { return pos < size; }
    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    QByteArray bytes(size_t n) {
        n = std::min(n, size - pos);
        QByteArray out(reinterpret_cast<const char*>(data + pos), qsizetype(n));
        pos += n;
        return out;
    }
};

const QByteArray kStrings[] = {"", "OK\r\n", ">", "\r\n", "!", "Records", "aB", "\xff"};

void Setup(PacketMatcher& m, Reader& in) {
    const uint8_t a = in.byte(), b = in.byte();
    m.setAutoEnable(false);
    m.setStartCond(a & 1 ? PacketMatcher::scAnyData : PacketMatcher::scString);
    PacketMatcher::TEndCond end;
    if (a & 2)
        end |= PacketMatcher::ecString;
    if (a & 4)
        end |= PacketMatcher::ecPacketSize;
    m.setEndCond(end);
    m.setIgnoreCase(a & 8);
    m.setIncludeStrings(a & 16);
    m.setStartString(kStrings[b & 7]);
    m.setEndString(kStrings[(b >> 3) & 7]);
    m.setPacketSize(int(in.byte()) - 8); // also zero and negative sizes
    m.setTimeOut(0);
    in.bytes(5); // room for later set-up fields
}

void Toggle(PacketMatcher& m) {
    try {
        m.setEnabled(!m.Enabled());
    } catch (const OmbrexError&) {
        // properties that do not fit together: refused, as the program would show it
    }
}

// Waits until the port has handed every sent byte to OnTriggerAvail.
void Drain() {
    const QDeadlineTimer deadline(5000);
    while (g_line->seen < g_line->sent && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    if (g_line->seen < g_line->sent)
        std::abort(); // bytes lost between the line and the program
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    Fuzz::InstallSilentPrompts();
    g_line = new Line;
    qputenv("XDG_CONFIG_HOME", g_line->home.path().toLocal8Bit());
    g_line->peer = std::make_unique<PtyPeer>(kPort);
    g_line->port.setComNumber(kPort);
    g_line->port.OnTriggerAvail = [](SerialPort& p, int count) {
        for (int i = 0; i < count; ++i)
            p.ReadChar();
        g_line->seen += count;
    };
    g_line->port.setOpen(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    std::vector<std::unique_ptr<PacketMatcher>> matchers;
    for (int i = 0; i < 3; ++i) {
        auto m = std::make_unique<PacketMatcher>(&g_line->port);
        Setup(*m, in);
        matchers.push_back(std::move(m));
    }
    for (auto& m : matchers) {
        PacketMatcher* self = m.get();
        PacketMatcher* next = matchers[(&m - &matchers[0] + 1) % 3].get();
        m->OnStringPacket = [self, next, &in](PacketMatcher&, const QByteArray& packet) {
            const bool byEnd = self->EndCond() == PacketMatcher::TEndCond(PacketMatcher::ecString);
            if (byEnd && self->IncludeStrings() && !self->EndString().isEmpty()) {
                const QByteArray tail = packet.right(self->EndString().size());
                if (self->IgnoreCase() ? tail.toUpper() != self->EndString().toUpper()
                                       : tail != self->EndString())
                    std::abort(); // a packet ended by its end string must end with it
            }
            if (in.more() && (in.byte() & 1))
                Toggle(*next);
        };
    }
    while (in.more()) {
        const uint8_t op = in.byte();
        if (op < 0x40) {
            Toggle(*matchers[op % 3]);
            continue;
        }
        const QByteArray chunk = in.bytes((op & 0x3f) + 1);
        g_line->sent += chunk.size();
        g_line->peer->write(chunk);
        Drain();
    }
    matchers.clear();
    return 0;
}
