// Named shared blocks over a shared segment; the words are atomics, so
// readers and writers in different processes need no lock.
#include "platform/named/shared_block.h"

#include "platform/named/named_segment.h"

#include <cassert>

namespace platform {

using named_detail::Segment;
using named_detail::SegmentHandle;
using named_detail::SegmentKind;

SharedBlock::SharedBlock(std::unique_ptr<SegmentHandle> segment) : segment_(std::move(segment)) {}

SharedBlock::~SharedBlock() = default;

std::unique_ptr<SharedBlock> SharedBlock::Create(std::string_view name, std::string* error) {
    // The segment's set-up already zeroes the words.
    auto segment = SegmentHandle::Attach(
        name, SegmentKind::Block, [](Segment&) {}, error);
    if (!segment) return nullptr;
    return std::unique_ptr<SharedBlock>(new SharedBlock(std::move(segment)));
}

std::unique_ptr<SharedBlock> SharedBlock::Open(std::string_view name, std::string* error) {
    auto segment = SegmentHandle::Attach(
        name, SegmentKind::Block, [](Segment&) {}, error, named_detail::AttachMode::OpenExisting);
    if (!segment) return nullptr;
    return std::unique_ptr<SharedBlock>(new SharedBlock(std::move(segment)));
}

uint32_t SharedBlock::Word(int index) const {
    assert(index >= 0 && index < kWordCount);
    return segment_->Get().words[index].load();
}

void SharedBlock::SetWord(int index, uint32_t value) {
    assert(index >= 0 && index < kWordCount);
    segment_->Get().words[index].store(value);
}

uint32_t SharedBlock::ExchangeWord(int index, uint32_t value) {
    assert(index >= 0 && index < kWordCount);
    return segment_->Get().words[index].exchange(value);
}

pid_t SharedBlock::CreatorPid() const {
    Segment& s = segment_->Get();
    named_detail::SegmentLock lock(s);
    return pid_t(s.creator.pid);
}

} // namespace platform
