#include "windowResources.h"

#include <QtCore/qglobal.h>

// The registration function that rcc generates lives in the global namespace.
static void RegisterPictures()
{
    Q_INIT_RESOURCE(sorvane);
}

namespace sorvane {

void LoadWindowResources()
{
    static const bool registered = (RegisterPictures(), true);
    (void)registered;
}

}  // namespace sorvane
