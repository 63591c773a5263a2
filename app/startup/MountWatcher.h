// Tells when the system's mount table changes: the kernel marks /proc/self/mountinfo with an
// exceptional condition (POLLPRI) at every mount and unmount, which a QSocketNotifier hears
// without polling. A mount table that cannot be watched (a fixture file, no /proc) just never
// reports; Notify lets tests report a change by hand. User-interface thread.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace karvio {

class MountWatcher : public QObject {
    Q_OBJECT

public:
    explicit MountWatcher(QObject* parent = nullptr);
    ~MountWatcher() override;

    // Whether the kernel will report changes (the table is open and pollable).
    bool IsWatching() const { return notifier_ != nullptr; }
    // Reports a change as the kernel would.
    void Notify() { emit mountsChanged(); }

signals:
    void mountsChanged();

private:
    void Drain();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;  // owned through Qt's parent
};

}  // namespace karvio
