// FrameChannel: applying, reducing, resizing and the record.
#include "desktop/scene/object/frame_channel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/trans_node.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {
constexpr float kFramesPerSecond = 30.0f;
constexpr int kLongestPiece = 6; // keys in one reduced linear piece
} // namespace

FrameChannel::FrameChannel() {
    classId = uint8_t(ClassId::FrameChannel);
}

void FrameChannel::AddKey(const Matrix& matrix, int32_t duration) {
    matrices.push_back(matrix);
    durations.push_back(duration);
}

void FrameChannel::Apply(Node* node, ChannelState& state, float time) {
    float t = TakeTime(state, time);
    if (!IsA(node, ClassId::TransNode)) return;
    if (t == state.lastApplied) return;
    state.lastApplied = t;
    // Only keys that have both a matrix and a duration take part.
    size_t count = std::min(matrices.size(), durations.size());
    if (count == 0) return;
    double frame = std::clamp(double(t) * kFramesPerSecond, 0.0, 1e9);
    long long remaining = (long long)frame;
    long long start = 0;
    size_t k = 0;
    for (;; ++k) {
        long long length = std::llabs(durations[k]);
        if (remaining - length < 0 || k + 1 == count) break;
        remaining -= length;
        start += length;
    }
    Matrix& local = static_cast<TransNode*>(node)->local;
    int32_t duration = durations[k];
    if (duration >= 0 || k + 1 >= matrices.size()) {
        local = matrices[k];
        return;
    }
    float fraction = float((frame - double(start)) / double(-(long long)duration));
    fraction = std::clamp(fraction, 0.0f, 1.0f);
    const Matrix& a = matrices[k];
    const Matrix& b = matrices[k + 1];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) {
            int e = row * 4 + col;
            local.m[e] = (1.0f - fraction) * a.m[e] + fraction * b.m[e];
        }
}

void FrameChannel::ReduceKeys(const std::vector<int>& keptFrames) {
    if (matrices.size() != durations.size()) return;
    auto kept = [&](long long frame) {
        return std::find(keptFrames.begin(), keptFrames.end(), frame) != keptFrames.end();
    };
    std::vector<Matrix> reducedMatrices;
    std::vector<int32_t> reducedDurations;
    long long start = 0;
    for (size_t k = 0; k < durations.size();) {
        int32_t duration = durations[k];
        if (duration != 1) {
            reducedMatrices.push_back(matrices[k]);
            reducedDurations.push_back(duration);
            start += std::llabs(duration);
            ++k;
            continue;
        }
        int absorbed = 0;
        while (absorbed + 1 < kLongestPiece && k + 1 + size_t(absorbed) < durations.size() &&
               durations[k + 1 + size_t(absorbed)] == 1 && !kept(start + 1 + absorbed))
            ++absorbed;
        reducedMatrices.push_back(matrices[k]);
        reducedDurations.push_back(-(absorbed + 1));
        start += absorbed + 1;
        k += size_t(absorbed) + 1;
    }
    matrices = std::move(reducedMatrices);
    durations = std::move(reducedDurations);
}

void FrameChannel::ResizeKeys(int firstFrame, int lastFrame) {
    size_t count = std::min(matrices.size(), durations.size());
    if (count == 0) return;
    matrices.resize(count);
    durations.resize(count);
    // Merge the keys that begin before the first frame into key 0.
    long long start = std::llabs(durations[0]);
    size_t merged = 1;
    long long extra = 0;
    while (merged < count && start < firstFrame) {
        long long length = std::llabs(durations[merged]);
        extra += length;
        start += length;
        ++merged;
    }
    if (merged > 1) {
        long long grown = std::llabs(durations[0]) + extra;
        grown = std::min<long long>(grown, INT32_MAX);
        durations[0] = durations[0] < 0 ? int32_t(-grown) : int32_t(grown);
        matrices.erase(matrices.begin() + 1, matrices.begin() + long(merged));
        durations.erase(durations.begin() + 1, durations.begin() + long(merged));
    }
    // Keep the key holding the last frame and the one after it.
    start = 0;
    for (size_t k = 0; k < durations.size(); ++k) {
        start += std::llabs(durations[k]);
        if (start > lastFrame) {
            size_t keep = std::min(durations.size(), k + 2);
            matrices.resize(keep);
            durations.resize(keep);
            return;
        }
    }
}

void FrameChannel::TransformKeys(const Matrix& m) {
    for (Matrix& key : matrices)
        key = key * m;
}

int FrameChannel::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Channel::Save(file, table)) return 0;
    file.WriteU32(uint32_t(matrices.size()));
    for (const Matrix& key : matrices)
        WriteMatrix(file, key);
    file.WriteU32(uint32_t(durations.size()));
    for (int32_t d : durations)
        file.WriteI32(d);
    return 1;
}

bool FrameChannel::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Channel::Load(file, table, version)) return false;
    uint32_t count;
    if (!file.ReadU32(count) || uint64_t(count) * 64 > file.Remaining()) return false;
    matrices.resize(count);
    for (Matrix& key : matrices)
        if (!ReadMatrix(file, key)) return false;
    if (!file.ReadU32(count) || uint64_t(count) * 4 > file.Remaining()) return false;
    durations.resize(count);
    for (int32_t& d : durations)
        if (!file.ReadI32(d)) return false;
    return true;
}

} // namespace lumivane
