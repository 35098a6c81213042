#include "export/AtomicFile.h"

#include "ui/OmbrexError.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Fixed storage, so a signal handler can walk it without allocating.
constexpr int kSlots = 8;
constexpr int kPathMax = 4096;
char g_pending[kSlots][kPathMax];
std::atomic<bool> g_used[kSlots];

int Claim(const QByteArray& path) {
    if (path.size() >= kPathMax)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_used[i].compare_exchange_strong(expected, true)) {
            std::memcpy(g_pending[i], path.constData(), size_t(path.size()) + 1);
            return i;
        }
    }
    return -1;
}

void Release(int slot) {
    if (slot >= 0)
        g_used[slot].store(false);
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

AtomicFile::AtomicFile(const QString& target) : m_target(target) {
    const QFileInfo info(target);
    if (info.isDir())
        fail("Cannot create file", QStringLiteral("It is a folder"));
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        fail("Cannot create file",
             QStringLiteral("The folder %1 does not exist").arg(QDir::toNativeSeparators(folder)));
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/.") + info.fileName() +
                                           QStringLiteral(".XXXXXX"));
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0)
        fail("Cannot create file", Reason(errno));
    m_temporary = pattern;
    m_slot = Claim(m_temporary);
    // A new file gets the permissions a plain creation would give; a replaced one keeps its own.
    struct stat old {};
    mode_t mode;
    if (::stat(QFile::encodeName(target).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(m_fd, mode);
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_done && !m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    Release(m_slot);
}

QString AtomicFile::temporaryPath() const {
    return QFile::decodeName(m_temporary);
}

void AtomicFile::fail(const char* what, const QString& reason) const {
    throw OmbrexError(QStringLiteral("%1 \"%2\". %3")
                          .arg(QLatin1String(what), QDir::toNativeSeparators(m_target), reason));
}

void AtomicFile::write(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t wrote = ::write(m_fd, data, size);
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot write file", Reason(errno));
        }
        data += wrote;
        size -= size_t(wrote);
    }
}

void AtomicFile::release() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void AtomicFile::commit() {
    if (m_fd < 0)
        m_fd = ::open(m_temporary.constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        fail("Cannot write file", Reason(errno));
    if (::fsync(m_fd) != 0 && errno != EINVAL)
        fail("Cannot write file", Reason(errno));
    if (::close(m_fd) != 0) {
        m_fd = -1;
        fail("Cannot write file", Reason(errno));
    }
    m_fd = -1;
    if (::rename(m_temporary.constData(), QFile::encodeName(m_target).constData()) != 0)
        fail("Cannot write file", Reason(errno));
    m_done = true;
    Release(m_slot);
    m_slot = -1;
}

void AtomicFile::RemovePendingFiles() {
    for (int i = 0; i < kSlots; ++i)
        if (g_used[i].load())
            ::unlink(g_pending[i]);
}
