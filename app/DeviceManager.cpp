#include "app/DeviceManager.h"

#include "ui/Paths.h"
#include "ui/Prompts.h"

void ShowDeviceManager(QWidget*) {
    Prompts::ShowMessage(QStringLiteral("Serial ports are mapped to COM numbers in %1")
                             .arg(UserConfigFolder() + QStringLiteral("/Ombrex2/ports")));
}
