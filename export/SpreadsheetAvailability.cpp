#include "export/SpreadsheetAvailability.h"

#include "ui/DesktopOpener.h"

bool SpreadsheetAvailable() {
    return DesktopOpener::Current().hasHandler(SpreadsheetMimeType);
}
