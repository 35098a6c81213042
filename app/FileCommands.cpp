// The main window's data-file commands: Load, Save As, Import and the raw download.
#include "app/TFMain.h"

QString TFMain::EnsureDataFolder() {
    return {};
}
void TFMain::MnuLoadClick() {}
void TFMain::MnuSaveClick() {}
void TFMain::MnuImportClick() {}
void TFMain::R1Click() {}
