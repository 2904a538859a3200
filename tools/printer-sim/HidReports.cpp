#include "printer-sim/HidReports.h"

#include <algorithm>

namespace sim {

using platform::Bytes;

namespace {
// The length byte of every piece but the last of a long array.
constexpr std::size_t kLinkPieceLength = 61;

bool isParameterPacket(const Bytes& report) {
    static const Bytes head = {kOutputReportId, 0x1B, 0x40, 0x1F, 0x11};
    return report.size() >= head.size() && std::equal(head.begin(), head.end(), report.begin());
}
}  // namespace

OutputReport decodeOutputReport(const Bytes& report) {
    OutputReport out;
    if (report.size() < 2 || report[0] != kOutputReportId) return out;
    if (isParameterPacket(report)) {
        out.framing = OutputReport::Framing::ParameterPacket;
        auto end = report.end();
        while (end != report.begin() + 1 && *(end - 1) == 0) --end;
        out.data.assign(report.begin() + 1, end);
        return out;
    }
    const std::size_t length = report[1];
    const std::size_t room = report.size() - 2;
    const auto first = report.begin() + 2;
    if (length >= 1 && length <= room && length != kLinkPieceLength && report[1 + length] == 0) {
        out.framing = OutputReport::Framing::CountPlusOne;
        out.data.assign(first, first + static_cast<std::ptrdiff_t>(length - 1));
    } else {
        out.framing = OutputReport::Framing::ExactCount;
        out.data.assign(first, first + static_cast<std::ptrdiff_t>(std::min(length, room)));
    }
    return out;
}

std::string framingName(OutputReport::Framing framing) {
    switch (framing) {
    case OutputReport::Framing::Unframed: return "unframed";
    case OutputReport::Framing::CountPlusOne: return "count+1";
    case OutputReport::Framing::ExactCount: return "exact count";
    case OutputReport::Framing::ParameterPacket: return "parameter packet";
    }
    return {};
}

std::vector<Bytes> encodeInputReports(const Bytes& data, std::size_t reportLength) {
    reportLength = std::max<std::size_t>(reportLength, 3);
    const std::size_t piece = std::min<std::size_t>(reportLength - 2, 255);
    std::vector<Bytes> reports;
    for (std::size_t at = 0; at < data.size(); at += piece) {
        const std::size_t n = std::min(piece, data.size() - at);
        Bytes report(reportLength, 0);
        report[0] = kInputReportId;
        report[1] = static_cast<std::uint8_t>(n);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), n, report.begin() + 2);
        reports.push_back(std::move(report));
    }
    return reports;
}

}  // namespace sim
