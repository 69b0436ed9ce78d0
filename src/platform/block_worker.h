// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

namespace vumbrel::engine {

class DownloadTask;

// Downloads block `index` of `task` on the calling thread until the block is
// complete, the task stops, or the block fails the task: one connection,
// retried with a short back-off from the byte where it stopped. Block 0's
// first request also learns the file's size. Calls task->workerEnded() last,
// once the connection is released.
void runBlock(std::shared_ptr<DownloadTask> task, int index);

}  // namespace vumbrel::engine
