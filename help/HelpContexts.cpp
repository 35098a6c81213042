#include "help/HelpContexts.h"

#include <QObject>
#include <QVariant>

namespace HelpContexts {

const QList<Entry>& Table() {
    static const QList<Entry> table = {
        {MainWindow, "IDH_MAIN_WINDOW", "mainwindow.htm", "TFMain"},
        {DeviceInfo, "IDH_DEVICE_INFO", "deviceinfo.htm", "TChildInfo"},
        {TextWindow, "IDH_TEXT_WINDOW", "textwindow.htm", "TChildText"},
        {GraphWindow, "IDH_GRAPH_WINDOW", "graphwindow.htm", "TChildGraph"},
        {ExportDialog, "IDH_EXPORT", "export.htm", "TExportForm"},
        {ConnectDialog, "IDH_CONNECT", "connecting.htm", "TFConnect"},
        {SelectPortDialog, "IDH_SELECT_PORT", "connecting.htm#selectport", "TComSelectForm"},
        {SerialPortList, "IDH_SERIAL_PORTS", "connecting.htm#portmap", nullptr},
        {DownloadDialog, "IDH_DOWNLOAD", "downloading.htm", "TDLForm"},
        {NameDialog, "IDH_SET_NAME", "maintenance.htm#name", "TFName"},
        {EraseDialog, "IDH_ERASE", "maintenance.htm#clear", "TFormErase"},
        {AboutScreen, "IDH_ABOUT", "introduction.htm", "TSplashscreen"},
    };
    return table;
}

QString Topic(int contextId) {
    for (const Entry& e : Table())
        if (e.id == contextId)
            return QString::fromLatin1(e.topic);
    return {};
}

void Set(QObject* widget, int contextId) {
    widget->setProperty(Property, contextId);
}

int ContextOf(const QObject* object) {
    for (const QObject* o = object; o; o = o->parent()) {
        bool ok = false;
        const int own = o->property(Property).toInt(&ok);
        if (ok && own > 0)
            return own;
        const char* name = o->metaObject()->className();
        for (const Entry& e : Table())
            if (e.className && qstrcmp(e.className, name) == 0)
                return e.id;
    }
    return 0;
}

} // namespace HelpContexts
