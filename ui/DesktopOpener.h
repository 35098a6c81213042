#pragma once

#include <QString>

// The desktop's "open with its application" step (web site, mail, text editor, spreadsheet).
// The app installs the real one; tests record what would have been opened.
namespace DesktopOpener {

class Service {
public:
    virtual ~Service() = default;
    // url is a full URL (https:, mailto:, file:). Returns false when nothing could open it.
    virtual bool open(const QString& url) = 0;
    // Whether the desktop has an application registered for files of this MIME type.
    virtual bool hasHandler(const QString& mimeType) = 0;
};

void Install(Service* service);
Service& Current();

inline bool Open(const QString& url) {
    return Current().open(url);
}

} // namespace DesktopOpener
