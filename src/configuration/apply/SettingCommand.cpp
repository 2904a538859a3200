#include "configuration/apply/SettingCommand.h"

#include "configuration/ConfigurationModel.h"
#include "configuration/RowParamNo.h"

namespace configuration {

namespace {

constexpr int kMinReceiptLengthRow = 5;
// One option step of the minimum receipt length: 5 inches in 1/203 inch.
constexpr long kDotsPerLengthStep = 5 * 203;
// The printer takes the length as a signed 16-bit number.
constexpr long kLargestLength = 32767;

}  // namespace

SettingBytes settingCommandBytes(const ParamNoTables& tables, long printerType, int category, int row, long option) {
    SettingBytes out;
    const std::uint8_t number = rowParamNo(tables, category, row, printerType);
    if (number == 0) {
        out.status = SettingBytes::Status::NoParameter;
        return out;
    }
    if (option < 0 || option > 255) {
        out.status = SettingBytes::Status::BadValue;
        return out;
    }
    const auto value = static_cast<std::uint8_t>(option);
    const bool m27x = printerType == kM27xType;
    if (m27x && (category == kHardware || category == kDoubleSided)) {
        out.bytes = printerlink::SingleSettingCommand(number, value);
    } else if (!m27x && category == kDoubleSided && row == kMinReceiptLengthRow) {
        const long length = option * kDotsPerLengthStep;
        if (length > kLargestLength) {
            out.status = SettingBytes::Status::BadValue;
            return out;
        }
        out.bytes = {number, static_cast<std::uint8_t>(length % 256), static_cast<std::uint8_t>(number + 1),
                     static_cast<std::uint8_t>(length / 256)};
    } else {
        out.bytes = {number, value};
    }
    return out;
}

}  // namespace configuration
