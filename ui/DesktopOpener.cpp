#include "ui/DesktopOpener.h"

#include <cstdio>

namespace DesktopOpener {
namespace {

class NullService final : public Service {
public:
    bool open(const QString& url) override {
        std::fprintf(stderr, "[open] %s\n", qPrintable(url));
        return false;
    }
    bool hasHandler(const QString&) override { return false; }
};

NullService g_null;
Service* g_current = nullptr;

} // namespace

void Install(Service* service) {
    g_current = service;
}
Service& Current() {
    return g_current ? *g_current : g_null;
}

} // namespace DesktopOpener
