#include "ui/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString ProgramFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString FileNameOnly(const QString& path) {
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return cut < 0 ? path : path.mid(cut + 1);
}

QString UserConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Pluvatec");
}
