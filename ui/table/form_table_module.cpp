#include "ui/table/form_table.h"

// The module's one entry: the main window loads it on first use, so that it pays for the
// Tables window only then. A window of its own, placed beside the main window, which owns it.
extern "C" Q_DECL_EXPORT QWidget *ornavel_createFormTable(QWidget *mainWindow)
{
    auto *form = new ornavel::Form_Table;
    form->placeBeside(mainWindow);
    return form;
}
