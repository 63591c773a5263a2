#include "mainwindow/CatalogueEvents.h"

namespace karvio {

CatalogueEvents& CatalogueEvents::Instance() {
    static CatalogueEvents events;
    return events;
}

}  // namespace karvio
