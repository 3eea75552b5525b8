#include "dialogresources.h"

#include <QtGlobal>

void initDialogResources()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Q_INIT_RESOURCE(dialogs);
}
