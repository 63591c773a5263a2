// How the store makes written bytes durable: fdatasync, or, in tests, a function that fails or
// records its calls.
#pragma once

namespace karvio {

using DataSyncFunction = int (*)(int fd);
// Puts `sync` in place of the current one and returns that. Any thread.
DataSyncFunction SetDataSyncFunction(DataSyncFunction sync);
// Makes the bytes written to `fd` durable; 0, or -1 with errno set. Any thread.
int SyncData(int fd);

}  // namespace karvio
