// A small named block of shared memory, in place of the system's named file
// mapping: two 32-bit words (the 8 bytes at offsets 0 and 4) that several
// processes read and write. A new block is all zeros. The name is the
// session's own and gets $JENTRA_NAMED_PREFIX, like every named object.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

namespace named_detail {
class SegmentHandle;
}

class SharedBlock {
public:
    static constexpr int kWordCount = 2;

    // Creates the block or opens the one that exists; null with *error set
    // when the system refuses.
    static std::unique_ptr<SharedBlock> Create(std::string_view name, std::string* error = nullptr);
    // Opens the block only when it exists (some process holds it open);
    // null with *error set otherwise. Never makes one.
    static std::unique_ptr<SharedBlock> Open(std::string_view name, std::string* error = nullptr);
    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // Word 0 lies at offset 0, word 1 at offset 4.
    uint32_t Word(int index) const;
    void SetWord(int index, uint32_t value);
    // Stores `value` and answers what the word held, in one step.
    uint32_t ExchangeWord(int index, uint32_t value);

    // The process that made the block (or last set it up afresh).
    pid_t CreatorPid() const;

private:
    explicit SharedBlock(std::unique_ptr<named_detail::SegmentHandle> segment);

    std::unique_ptr<named_detail::SegmentHandle> segment_;
};

} // namespace platform
