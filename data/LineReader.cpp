#include "data/LineReader.h"

#include <QIODevice>
#include <cstring>

namespace {
constexpr qint64 ChunkSize = 1 << 16;
}

LineReader::LineReader(QIODevice& device, qsizetype maxLength)
    : m_device(device), m_maxLength(maxLength) {}

bool LineReader::Fill() {
    if (m_atEnd)
        return false;
    m_chunk.resize(ChunkSize);
    const qint64 got = m_device.read(m_chunk.data(), ChunkSize);
    if (got < 0)
        m_failed = true;
    if (got <= 0) {
        m_chunk.clear();
        m_atEnd = true;
        return false;
    }
    m_chunk.resize(got);
    m_pos = 0;
    return true;
}

bool LineReader::Next(QString& line) {
    QByteArray kept;
    bool any = false;
    bool ended = false;
    while (!ended) {
        if (m_pos >= m_chunk.size() && !Fill())
            break;
        any = true;
        const char* from = m_chunk.constData() + m_pos;
        const qsizetype left = m_chunk.size() - m_pos;
        const char* lf = static_cast<const char*>(std::memchr(from, '\n', size_t(left)));
        const qsizetype take = lf ? lf - from : left;
        // Room for one more character, so a CR at the cap is still seen and removed.
        const qsizetype room = m_maxLength + 1 - kept.size();
        if (room > 0)
            kept.append(from, std::min(take, room));
        m_pos += lf ? take + 1 : take;
        ended = lf != nullptr;
    }
    if (!any || m_failed)
        return false;
    if (kept.endsWith('\r'))
        kept.chop(1);
    if (kept.size() > m_maxLength)
        kept.truncate(m_maxLength);
    line = QString::fromLatin1(kept);
    return true;
}

QString LineReader::ErrorString() const {
    return m_device.errorString();
}
