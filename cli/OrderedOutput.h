// Output made in pieces by several threads at once and written in the pieces' order. A worker
// appends to the piece it is making; the writing thread writes the first unwritten piece as it
// grows and each later one once the pieces before it are written. A worker making a piece that is
// not yet to be written holds its text back only up to a bound, then waits, so memory stays
// bounded however large a piece's output. Text is held in blocks that are used again once written,
// so a long output does not keep taking fresh memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace karvio::cli {

class OrderedOutput {
public:
    // `pieces` pieces, numbered from 0; a piece not being written holds at most `heldBound` bytes
    // before its worker waits.
    explicit OrderedOutput(size_t pieces, size_t heldBound = 16 * 1024 * 1024);

    // Worker side. Appends `text` to `piece`; may wait until the piece is being written.
    void Append(size_t piece, std::string_view text);
    // Ends `piece`: nothing more is appended to it.
    void End(size_t piece);
    // Ends every piece not yet ended: when the workers stop early, the pieces none of them took.
    void EndAll();

    // Writing side: hands every piece's text to `write`, in order, until all are ended and
    // written. `write` runs on the calling thread, outside the lock.
    void WriteAll(const std::function<void(std::string_view)>& write);

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t size = 0;
    };
    struct Piece {
        std::deque<Block> blocks;
        size_t held = 0;  // bytes in the blocks
        bool ended = false;
    };

    Block TakeBlock();

    const size_t heldBound_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Piece> pieces_;
    std::vector<Block> spare_;  // written blocks, to be used again
    size_t writing_ = 0;        // the first piece not wholly written
};

}  // namespace karvio::cli
