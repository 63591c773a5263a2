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
    // This program's own changes are told to the windows by whoever made them: what the file
    // looks like after them is the new starting point, not another program's change.
    CatalogueEvents& events = CatalogueEvents::Instance();
    auto ownChange = [this] {
        if (!checking_) seen_ = ReadCatalogueIdentity(GetDataFileName());
    };
    connect(&events, &CatalogueEvents::catalogueChanged, this, ownChange);
    connect(&events, &CatalogueEvents::cdRemoved, this, ownChange);
    connect(&events, &CatalogueEvents::catalogueReplaced, this, ownChange);
    connect(&events, &CatalogueEvents::categoriesChanged, this, ownChange);
}

CatalogueChange CatalogueWatch::Check() {
    const CatalogueIdentity now = ReadCatalogueIdentity(GetDataFileName());
    const CatalogueChange change = CompareCatalogueIdentity(seen_, now);
    seen_ = now;
    checking_ = true;
    switch (change) {
        case CatalogueChange::Replaced:
            emit CatalogueEvents::Instance().catalogueReplaced({});
            break;
        case CatalogueChange::Changed:
            RefreshExplorer = true;
            RefreshCdView = true;
            emit CatalogueEvents::Instance().catalogueChanged();
            emit CatalogueEvents::Instance().catalogueChangedElsewhere();
            break;
        case CatalogueChange::None: break;
    }
    checking_ = false;
    return change;
}

}  // namespace karvio
