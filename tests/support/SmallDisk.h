#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

// A small file system of its own, to fill up or make read-only for real (needs the right to
// mount, as root in a container has; without it mounted() is false and why() says why).
class SmallDisk {
public:
    SmallDisk(const QString& folder, const char* size)
        : m_folder(folder.toLocal8Bit()), m_options(QByteArray("size=") + size) {
        QDir().mkpath(folder);
        if (::mount("tmpfs", m_folder.constData(), "tmpfs", 0, m_options.constData()) == 0)
            m_mounted = true;
        else
            m_why = std::strerror(errno);
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const char* why() const { return m_why; }
    bool makeReadOnly() {
        return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                       m_options.constData()) == 0;
    }

private:
    QByteArray m_folder;
    QByteArray m_options;
    bool m_mounted = false;
    const char* m_why = "";
};
