#include "ui/Prompts.h"

#include "ui/OmbrexError.h"

#include <QFileInfo>
#include <cstdio>

namespace Prompts {
namespace {

class ConsoleService final : public Service {
public:
    Answer ask(Kind kind, const QString& text) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(Caption(kind)), qPrintable(text));
        return (kind == Kind::Message || kind == Kind::Error) ? Answer::Ok : Answer::No;
    }
    QString openFile(const FileDialog& d) override {
        std::fprintf(stderr, "[open] %s: cancelled\n", qPrintable(d.title));
        return {};
    }
    QString saveFile(const FileDialog& d) override {
        std::fprintf(stderr, "[save] %s: cancelled\n", qPrintable(d.title));
        return {};
    }
    bool printerSetup(QPrinter*) override { return false; }
};

ConsoleService g_console;
Service* g_current = nullptr;

} // namespace

void Install(Service* service) {
    g_current = service;
}
Service& Current() {
    return g_current ? *g_current : g_console;
}

QString Caption(Kind kind) {
    switch (kind) {
    case Kind::Message:
        return QStringLiteral("Ombrex 2.2");
    case Kind::Error:
        return QStringLiteral("Error");
    case Kind::Confirm:
        return QStringLiteral("Confirm");
    case Kind::Warning:
        return QStringLiteral("Warning");
    }
    return {};
}

void ShowMessage(const QString& text) {
    Current().ask(Kind::Message, text);
}
void ShowError(const QString& text) {
    Current().ask(Kind::Error, text);
}
bool Confirm(const QString& text) {
    return Current().ask(Kind::Confirm, text) == Answer::Yes;
}
bool WarningYesNo(const QString& text) {
    return Current().ask(Kind::Warning, text) == Answer::Yes;
}

void ShowGeneralError(const QString& text) {
    ShowError(text);
}

void ShowGeneralError(const std::exception& error) {
    if (auto* own = dynamic_cast<const OmbrexError*>(&error))
        ShowGeneralError(own->message());
    else
        ShowGeneralError(QString::fromLocal8Bit(error.what()));
}

bool Guarded(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const std::exception& e) {
        ShowGeneralError(e);
    }
    return false;
}

QString WithDefaultExtension(const QString& path, const QString& defaultExt) {
    if (path.isEmpty() || defaultExt.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    QString ext = defaultExt;
    ext.remove(QStringLiteral("*")).remove(QLatin1Char('.'));
    return path + QLatin1Char('.') + ext;
}

} // namespace Prompts
