#include "link/dialogs/SelectPortChooser.h"

#include "link/dialogs/TComSelectForm.h"

int SelectPortChooser::choosePort() {
    TComSelectForm form(m_parent);
    if (form.exec() != QDialog::Accepted)
        return 0;
    return form.SelectedPort();
}
