#include "platform/hid/ReportDescriptor.h"

#include <array>
#include <vector>

namespace platform {

namespace {

enum ReportKind { kInputReport, kOutputReport, kFeatureReport, kReportKinds };

// Item types and tags of the short item encoding.
enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag { kInputTag = 0x8, kOutputTag = 0x9, kCollectionTag = 0xA, kFeatureTag = 0xB,
               kEndCollectionTag = 0xC };
enum GlobalTag { kUsagePageTag = 0x0, kReportSizeTag = 0x7, kReportIdTag = 0x8,
                 kReportCountTag = 0x9, kPushTag = 0xA, kPopTag = 0xB };
enum LocalTag { kUsageTag = 0x0 };
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kMaxPushDepth = 16;
constexpr std::uint64_t kMaxReportBits = std::uint64_t{kMaxHidReportBytes - 1} * 8;

struct Globals {
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

struct Item {
    std::uint8_t type;
    std::uint8_t tag;
    std::uint8_t size;  // data bytes: 0, 1, 2 or 4
    std::uint32_t data;
};

class Parser {
public:
    // Returns false as soon as the descriptor proves malformed.
    bool item(const Item& it) {
        switch (it.type) {
        case kMain: return mainItem(it);
        case kGlobal: return globalItem(it);
        case kLocal: localItem(it); return true;
        default: return true;  // reserved items carry nothing we use
        }
    }

    std::optional<ReportDescriptorInfo> finish() const {
        if (depth_ != 0 || !topLevelSeen_) return std::nullopt;
        ReportDescriptorInfo info{caps_, numbered_};
        HidCaps& caps = info.caps;
        std::uint16_t* lengths[kReportKinds] = {&caps.InputReportByteLength,
                                                &caps.OutputReportByteLength,
                                                &caps.FeatureReportByteLength};
        for (std::size_t id = 0; id < present_.size(); ++id) {
            for (int k = 0; k < kReportKinds; ++k) {
                if (!present_[id][k]) continue;
                auto bytes = static_cast<std::uint16_t>(1 + (bits_[id][k] + 7) / 8);
                if (bytes > *lengths[k]) *lengths[k] = bytes;
            }
        }
        return info;
    }

private:
    bool mainItem(const Item& it) {
        bool ok = true;
        switch (it.tag) {
        case kInputTag: ok = field(kInputReport, it.data); break;
        case kOutputTag: ok = field(kOutputReport, it.data); break;
        case kFeatureTag: ok = field(kFeatureReport, it.data); break;
        case kCollectionTag:
            if (depth_ == 0 && !topLevelSeen_) {
                topLevelSeen_ = true;
                caps_.UsagePage = static_cast<std::uint16_t>(firstUsage_ >> 16);
                caps_.Usage = static_cast<std::uint16_t>(firstUsage_ & 0xFFFF);
            }
            ++depth_;
            break;
        case kEndCollectionTag:
            if (depth_ == 0) return false;
            --depth_;
            break;
        default: break;
        }
        // Local items describe only the main item they precede.
        firstUsage_ = 0;
        usageSeen_ = false;
        return ok;
    }

    bool field(ReportKind kind, std::uint32_t flags) {
        // Fields before the first report ID belong to an unnumbered report;
        // a device mixing both has no consistent byte 0. Pop can bring report
        // ID 0 back after numbered reports, so the mix is refused here too.
        if (g_.reportId == 0) {
            if (numbered_) return false;
            unnumberedUsed_ = true;
        }
        std::uint64_t& bits = bits_[g_.reportId][kind];
        bits += std::uint64_t{g_.reportSize} * g_.reportCount;
        if (bits > kMaxReportBits) return false;
        present_[g_.reportId][kind] = true;
        bool constant = flags & 0x1;
        bool variable = flags & 0x2;
        if (kind == kInputReport && !constant && variable && g_.reportSize > 1)
            ++caps_.NumberInputValueCaps;
        return true;
    }

    bool globalItem(const Item& it) {
        switch (it.tag) {
        case kUsagePageTag: g_.usagePage = it.data & 0xFFFF; break;
        case kReportSizeTag: g_.reportSize = it.data; break;
        case kReportCountTag: g_.reportCount = it.data; break;
        case kReportIdTag:
            if (it.data == 0 || it.data > 255 || unnumberedUsed_) return false;
            g_.reportId = it.data;
            numbered_ = true;
            break;
        case kPushTag:
            if (stack_.size() >= kMaxPushDepth) return false;
            stack_.push_back(g_);
            break;
        case kPopTag:
            if (stack_.empty()) return false;
            g_ = stack_.back();
            stack_.pop_back();
            break;
        default: break;
        }
        return true;
    }

    void localItem(const Item& it) {
        if (it.tag != kUsageTag || usageSeen_) return;
        usageSeen_ = true;
        // A four-byte usage carries its own page in the high half.
        firstUsage_ = it.size == 4 ? it.data : (g_.usagePage << 16) | (it.data & 0xFFFF);
    }

    Globals g_;
    std::vector<Globals> stack_;
    std::uint32_t firstUsage_ = 0;
    bool usageSeen_ = false;
    int depth_ = 0;
    bool topLevelSeen_ = false;
    bool unnumberedUsed_ = false;
    bool numbered_ = false;
    HidCaps caps_;
    std::array<std::array<std::uint64_t, kReportKinds>, 256> bits_{};
    std::array<std::array<bool, kReportKinds>, 256> present_{};
};

}  // namespace

std::optional<ReportDescriptorInfo> parseReportDescriptor(std::span<const std::uint8_t> d) {
    Parser parser;
    std::size_t i = 0;
    while (i < d.size()) {
        std::uint8_t prefix = d[i];
        if (prefix == kLongItemPrefix) {
            // Long items are reserved for vendors and carry nothing we use.
            if (d.size() - i < 3) return std::nullopt;
            std::size_t dataSize = d[i + 1];
            if (d.size() - i - 3 < dataSize) return std::nullopt;
            i += 3 + dataSize;
            continue;
        }
        std::uint8_t sizeCode = prefix & 0x3;
        std::uint8_t size = sizeCode == 3 ? 4 : sizeCode;
        if (d.size() - i - 1 < size) return std::nullopt;
        std::uint32_t data = 0;
        for (std::uint8_t b = 0; b < size; ++b)
            data |= std::uint32_t{d[i + 1 + b]} << (8 * b);
        Item it{static_cast<std::uint8_t>((prefix >> 2) & 0x3),
                static_cast<std::uint8_t>(prefix >> 4), size, data};
        if (!parser.item(it)) return std::nullopt;
        i += 1 + size;
    }
    return parser.finish();
}

}  // namespace platform
