// The display adapters of the machine and one Display for each. With one GL
// context per window there is one adapter here: the primary display (the
// all-zero identifier), whose names and identity come from the driver's
// strings once its device exists. The list keeps at most 20 adapters.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

class Display;
class DisplayHost;

using AdapterGuid = std::array<uint8_t, 16>;
inline constexpr int kMaxAdapters = 20;
inline constexpr size_t kAdapterNameChars = 127; // of a 128-character field

// The driver's identity, as the device reports it.
struct DeviceIdentifier {
    std::string driverFile;  // the driver's name
    std::string description; // the renderer's name
    std::string version;
    uint32_t vendorId = 0, deviceId = 0, subSysId = 0, revision = 0;
};

struct AdapterRecord {
    std::string description; // at most 127 characters
    std::string driverName;  // at most 127 characters
    AdapterGuid guid{};      // all zero: the primary display
    DeviceIdentifier identifier;
};

class AdapterList {
public:
    // Enumerates: the callback receives AddAdapter for each adapter the
    // system lists. Without one, the primary display alone.
    using Enumerator = void (*)(AdapterList& list);

    AdapterList(DisplayHost& host, Enumerator enumerate = nullptr);
    ~AdapterList();
    AdapterList(const AdapterList&) = delete;
    AdapterList& operator=(const AdapterList&) = delete;

    // One adapter of the enumeration; names are cut to 127 characters.
    // Ignored (answer false) once 20 are held.
    bool AddAdapter(const AdapterGuid& guid, std::string_view description,
                    std::string_view driverName);

    int Count() const { return int(records_.size()); }
    AdapterRecord& Record(int index) { return *records_[size_t(index)]; }
    Display* GetDisplay(int index) const {
        return index >= 0 && index < Count() ? displays_[size_t(index)].get() : nullptr;
    }
    // The index of the adapter with that identifier, -1 when none.
    int FindAdapter(const AdapterGuid& guid) const;
    // Its display, null when none.
    Display* FindDisplay(const AdapterGuid& guid) const;

private:
    std::unique_ptr<Display> CreateDisplay(int index);

    DisplayHost& host_;
    std::vector<std::unique_ptr<AdapterRecord>> records_;
    std::vector<std::unique_ptr<Display>> displays_;
};

// The program's adapter list; null until start-up makes it.
extern AdapterList* gpAdapterList;

} // namespace lumivane
