// Markers of refused texture pictures: three lines of text, a mark of our
// own, the device's largest texture side and the reason.
#include "Jentra/render/texture_refusal.h"

#include "Jentra/render/texture_names.h"
#include "Jentra/render/texture_source.h"
#include "platform/binary_io.h"

#include <filesystem>

namespace jentra::textures {

namespace {

namespace fs = std::filesystem;

constexpr const char* kMark = "Jentra texture refused";
constexpr uint64_t kMaxMarkerBytes = 4096;

std::string SideLine(int maxTextureSide) {
    return "largest texture side " + std::to_string(maxTextureSide);
}

} // namespace

std::string RefusalName(const std::string& source, const char* formatName) {
    std::string name = CacheName(source, formatName);
    name.erase(name.size() - 4); // ".dds"
    return name + ".refused";
}

bool RememberRefusal(const std::string& refusal, int maxTextureSide, const std::string& reason) {
    if (refusal.empty()) return false;
    const std::string path = TexturePathForWriting(refusal);
    if (path.empty()) return false;
    std::string text = std::string(kMark) + "\n" + SideLine(maxTextureSide) + "\n";
    for (char c : reason.substr(0, kMaxMarkerBytes / 2))
        text += c == '\n' ? ' ' : c;
    text += "\n";
    return platform::WriteWholeFile(path, text);
}

bool RememberedRefusal(const std::string& refusal, const std::string& source, int maxTextureSide,
                       std::string& reason) {
    const std::string path = TexturePath(refusal);
    std::error_code a, b;
    if (!fs::is_regular_file(path, a)) return false;
    const auto markerTime = fs::last_write_time(path, a);
    const auto sourceTime = fs::last_write_time(TexturePath(source), b);
    if (a || b || markerTime < sourceTime) return false;
    std::string text;
    if (!platform::ReadWholeFile(path, text, nullptr, kMaxMarkerBytes)) return false;
    const std::string head = std::string(kMark) + "\n" + SideLine(maxTextureSide) + "\n";
    if (text.compare(0, head.size(), head) != 0) return false;
    reason = text.substr(head.size());
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.pop_back();
    return true;
}

void ForgetRefusal(const std::string& refusal) {
    const std::string path = TexturePath(refusal);
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) fs::remove(path, ec);
}

} // namespace jentra::textures
