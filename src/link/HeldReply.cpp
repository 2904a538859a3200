#include "link/HeldReply.h"

#include <algorithm>

namespace printerlink {

using platform::Bytes;

void HeldReply::add(const Bytes& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }

void HeldReply::addReportData(std::uint8_t reportId, const Bytes& data) {
    reportId_ = reportId;
    add(data);
}

void HeldReply::prependTo(Bytes& data) {
    if (bytes_.empty()) return;
    data.insert(data.begin(), bytes_.begin(), bytes_.end());
    bytes_.clear();
}

bool HeldReply::take(Bytes& resp, int count) {
    const std::size_t n = std::min(bytes_.size(), static_cast<std::size_t>(count));
    std::copy_n(bytes_.begin(), n, resp.begin());
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
    if (!bytes_.empty()) handOnLater();
    return n == static_cast<std::size_t>(count);
}

void HeldReply::handOnLater() {
    if (handOnPosted_) return;
    handOnPosted_ = true;
    loop_.post(life_.wrap([this] {
        handOnPosted_ = false;
        if (collecting() || bytes_.empty()) return;
        Bytes data;
        data.swap(bytes_);
        handOn_(std::move(data), reportId_);
    }));
}

}  // namespace printerlink
