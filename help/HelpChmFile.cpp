#include "help/HelpChmFile.h"

#include <QFile>
#include <chm_lib.h>

namespace {

int collect(chmFile*, chmUnitInfo* info, void* context) {
    auto* list = static_cast<QStringList*>(context);
    const QString path = QString::fromUtf8(info->path);
    if (!path.endsWith(QLatin1Char('/')) && !path.startsWith(QLatin1String("/#")) &&
        !path.startsWith(QLatin1String("/$")))
        list->append(path);
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

HelpChmFile::~HelpChmFile() {
    close();
}

bool HelpChmFile::open(const QString& path) {
    close();
    if (!QFile::exists(path))
        return false;
    m_file = chm_open(QFile::encodeName(path).constData());
    if (!m_file)
        return false;
    m_path = path;
    chm_enumerate(m_file, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collect, &m_entries);
    m_entries.sort(Qt::CaseInsensitive);
    return true;
}

void HelpChmFile::close() {
    if (m_file)
        chm_close(m_file);
    m_file = nullptr;
    m_path.clear();
    m_entries.clear();
}

QString HelpChmFile::resolve(const QString& path) const {
    QString wanted = path;
    if (!wanted.startsWith(QLatin1Char('/')))
        wanted.prepend(QLatin1Char('/'));
    for (const QString& e : m_entries)
        if (e.compare(wanted, Qt::CaseInsensitive) == 0)
            return e;
    return {};
}

bool HelpChmFile::contains(const QString& path) const {
    return m_file && !resolve(path).isEmpty();
}

QByteArray HelpChmFile::read(const QString& path) const {
    if (!m_file)
        return {};
    const QString stored = resolve(path);
    if (stored.isEmpty())
        return {};
    chmUnitInfo info;
    if (chm_resolve_object(m_file, stored.toUtf8().constData(), &info) != CHM_RESOLVE_SUCCESS)
        return {};
    QByteArray data(qsizetype(info.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(
        m_file, &info, reinterpret_cast<unsigned char*>(data.data()), 0, LONGINT64(info.length));
    if (got < 0)
        return {};
    data.truncate(qsizetype(got));
    return data;
}

QStringList HelpChmFile::entries() const {
    return m_entries;
}

QString HelpChmFile::contentsPath() const {
    for (const QString& e : m_entries)
        if (e.endsWith(QLatin1String(".hhc"), Qt::CaseInsensitive))
            return e;
    return {};
}
