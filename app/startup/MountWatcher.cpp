#include "startup/MountWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "MountTable.h"

namespace karvio {

MountWatcher::MountWatcher(QObject* parent) : QObject(parent) {
    const std::string& path = GetVolumeSources().mountInfo;
    // Only the kernel's own table signals changes; a regular file would seem to change always.
    if (path.rfind("/proc/", 0) != 0) return;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    Drain();
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        Drain();
        emit mountsChanged();
    });
}

MountWatcher::~MountWatcher() {
    delete notifier_;
    if (fd_ >= 0) ::close(fd_);
}

// The condition stays raised until the table is read again from its start.
void MountWatcher::Drain() {
    if (::lseek(fd_, 0, SEEK_SET) < 0) return;
    char buffer[8192];
    while (::read(fd_, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace karvio
