#include "ui/table/form_table.h"

// The module's one entry: the main window loads it on first use, so that it pays for the
// Tables window only then.
extern "C" Q_DECL_EXPORT QWidget *ornavel_createFormTable(QWidget *parent)
{
    return new ornavel::Form_Table(parent);
}
