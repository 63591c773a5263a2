#include "OrderedOutput.h"

#include <algorithm>
#include <cstring>

namespace karvio::cli {

namespace {
constexpr size_t kBlockSize = 256 * 1024;
}  // namespace

OrderedOutput::OrderedOutput(size_t pieces, size_t heldBound)
    : heldBound_(heldBound), pieces_(pieces) {}

OrderedOutput::Block OrderedOutput::TakeBlock() {
    if (spare_.empty()) return {std::make_unique_for_overwrite<char[]>(kBlockSize), 0};
    Block block = std::move(spare_.back());
    spare_.pop_back();
    block.size = 0;
    return block;
}

void OrderedOutput::Append(size_t piece, std::string_view text) {
    if (text.empty()) return;
    std::unique_lock lock(mutex_);
    Piece& to = pieces_[piece];
    changed_.wait(lock, [&] { return piece <= writing_ || to.held < heldBound_; });
    while (!text.empty()) {
        if (to.blocks.empty() || to.blocks.back().size == kBlockSize)
            to.blocks.push_back(TakeBlock());
        Block& block = to.blocks.back();
        const size_t take = std::min(text.size(), kBlockSize - block.size);
        std::memcpy(block.bytes.get() + block.size, text.data(), take);
        block.size += take;
        to.held += take;
        text.remove_prefix(take);
    }
    if (piece == writing_) changed_.notify_all();
}

void OrderedOutput::End(size_t piece) {
    {
        std::lock_guard lock(mutex_);
        pieces_[piece].ended = true;
    }
    changed_.notify_all();
}

void OrderedOutput::EndAll() {
    {
        std::lock_guard lock(mutex_);
        for (Piece& piece : pieces_) piece.ended = true;
    }
    changed_.notify_all();
}

void OrderedOutput::WriteAll(const std::function<void(std::string_view)>& write) {
    std::unique_lock lock(mutex_);
    while (writing_ < pieces_.size()) {
        Piece& piece = pieces_[writing_];
        changed_.wait(lock, [&] { return !piece.blocks.empty() || piece.ended; });
        if (piece.blocks.empty()) {
            ++writing_;
            // The next piece's worker may be waiting on its bound.
            changed_.notify_all();
            continue;
        }
        // The first block is written unlocked; a worker appends only to the last one, so a block
        // is taken once it is full or the piece has ended.
        if (piece.blocks.size() == 1 && !piece.ended && piece.blocks.front().size < kBlockSize) {
            changed_.wait(lock, [&] {
                return piece.blocks.size() > 1 || piece.ended ||
                       piece.blocks.front().size == kBlockSize;
            });
            continue;
        }
        Block block = std::move(piece.blocks.front());
        piece.blocks.pop_front();
        piece.held -= block.size;
        lock.unlock();
        write({block.bytes.get(), block.size});
        lock.lock();
        spare_.push_back(std::move(block));
    }
}

}  // namespace karvio::cli
