// RIFF chunk reading over a memory image and chunk writing over a file that
// is committed only once complete.
#include "platform/riff.h"

#include <algorithm>

namespace platform {

bool RiffReader::Open(const uint8_t* bytes, size_t size, std::string& error) {
    form_ = 0;
    chunks_.clear();
    MemoryReader header(bytes, size);
    uint32_t magic = 0, formSize = 0;
    if (!header.ReadU32(magic) || !header.ReadU32(formSize) || !header.ReadU32(form_) ||
        magic != FourCC('R', 'I', 'F', 'F')) {
        form_ = 0;
        error = "not a RIFF file";
        return false;
    }
    // Writers that never fixed the form size leave it too large; the chunks
    // themselves are still checked one by one against the bytes present.
    uint64_t end = 8 + uint64_t{formSize};
    if (end > size || end < 12) end = size;
    MemoryReader in(bytes, static_cast<size_t>(end));
    in.Skip(12);
    while (in.Remaining() >= 8) {
        RiffChunk chunk;
        in.ReadU32(chunk.id);
        in.ReadU32(chunk.size);
        if (chunk.size > in.Remaining()) {
            error = "a chunk runs past the end of the file";
            return false;
        }
        chunk.data = bytes + in.Position();
        chunks_.push_back(chunk);
        // The pad byte of an odd chunk may be missing at the very end.
        in.Skip(std::min<uint64_t>(uint64_t{chunk.size} + (chunk.size & 1), in.Remaining()));
    }
    return true;
}

bool RiffReader::Find(uint32_t id, RiffChunk& chunk) const {
    for (const RiffChunk& c : chunks_) {
        if (c.id == id) {
            chunk = c;
            return true;
        }
    }
    return false;
}

bool RiffWriter::Create(const std::filesystem::path& path, uint32_t form) {
    inChunk_ = false;
    file_.emplace();
    if (!file_->Open(path)) {
        file_.reset();
        return false;
    }
    // The form size is fixed by Close.
    return file_->WriteU32(FourCC('R', 'I', 'F', 'F')) && file_->WriteU32(0) &&
           file_->WriteU32(form);
}

bool RiffWriter::BeginChunk(uint32_t id) {
    if (!IsOpen() || (inChunk_ && !EndChunk())) return false;
    chunkStart_ = file_->Position();
    inChunk_ = true;
    return file_->WriteU32(id) && file_->WriteU32(0);
}

bool RiffWriter::Write(const void* data, size_t size) {
    return IsOpen() && file_->WriteBytes(data, size);
}

bool RiffWriter::EndChunk() {
    if (!IsOpen() || !inChunk_) return false;
    inChunk_ = false;
    const uint64_t size = file_->Position() - chunkStart_ - 8;
    if (size > 0xFFFFFFFFu || !file_->PatchU32(chunkStart_ + 4, static_cast<uint32_t>(size)))
        return false;
    return (size & 1) == 0 || file_->WriteU8(0);
}

bool RiffWriter::PatchU32(uint64_t offset, uint32_t value) {
    return IsOpen() && file_->PatchU32(offset, value);
}

bool RiffWriter::Close() {
    if (!IsOpen()) return false;
    bool ok = !inChunk_ || EndChunk();
    const uint64_t formSize = file_->Position() - 8;
    ok = ok && formSize <= 0xFFFFFFFFu && file_->PatchU32(4, static_cast<uint32_t>(formSize));
    ok = ok ? file_->Commit() : (file_->Discard(), false);
    file_.reset();
    return ok;
}

} // namespace platform
