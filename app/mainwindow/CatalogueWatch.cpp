#include "mainwindow/CatalogueWatch.h"

#include <QGuiApplication>

#include "ProgramInfo.h"
#include "mainwindow/CatalogueEvents.h"
#include "startup/ProgramValues.h"

namespace karvio {

CatalogueWatch::CatalogueWatch(QObject* parent, int intervalMs)
    : QObject(parent), seen_(ReadCatalogueIdentity(GetDataFileName())) {
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Check(); });
    timer_.start();
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) Check();
            });
}

CatalogueChange CatalogueWatch::Check() {
    const CatalogueIdentity now = ReadCatalogueIdentity(GetDataFileName());
    const CatalogueChange change = CompareCatalogueIdentity(seen_, now);
    seen_ = now;
    switch (change) {
        case CatalogueChange::Replaced:
            emit CatalogueEvents::Instance().catalogueReplaced();
            break;
        case CatalogueChange::Changed:
            RefreshExplorer = true;
            RefreshCdView = true;
            emit CatalogueEvents::Instance().catalogueChanged();
            break;
        case CatalogueChange::None: break;
    }
    return change;
}

}  // namespace karvio
