#include "diagnostics/ScanBlocks.h"

namespace diagnostics {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kDigits = "0123456789";
// 30h to 3Fh and 41h to 46h.
constexpr std::string_view kHexLike = "0123456789:;<=>?ABCDEF";
constexpr FormElement kFieldEnd{"\x1F"sv};
constexpr FormElement kEnd{"\0"sv};
constexpr FormElement kDigitField{kDigits, true};

FormElement one(std::string_view bytes) { return {bytes}; }

}  // namespace

const ReplyForm& clearReplyForm() {
    static const ReplyForm form{one("7"), one("w"), one("4"), one("8"), kFieldEnd, one("0123"), kFieldEnd,
                                kDigitField, kFieldEnd, {kHexLike, true}, kFieldEnd, kEnd};
    return form;
}

const ReplyForm& fileInformationForm() {
    static const ReplyForm form{one("S"), one(" "), one("BC"), one("F"), one("1"), kFieldEnd, one("Pp"),
                                one("@ADGH"), kFieldEnd, kDigitField, kFieldEnd, one("4"), one("8"), one("0"),
                                one("4"), one("8"), one("4"), one("8"), kEnd};
    return form;
}

const ReplyForm& sizeInformationForm() {
    static const ReplyForm form = [] {
        ReplyForm f{one("S"), one(" "), one("BC"), one("S"), one("0"), one("0"), kFieldEnd};
        for (int field = 0; field < 6; ++field) f.insert(f.end(), {kDigitField, kFieldEnd});
        f.insert(f.end(), {kDigitField, kEnd});
        return f;
    }();
    return form;
}

Fit fitByte(const ReplyForm& form, int& position, std::uint8_t b) {
    const int size = static_cast<int>(form.size());
    if (position < 0 || position >= size) return Fit::Mismatch;
    const auto fits = [&](int at) { return form[static_cast<std::size_t>(at)].allowed.find(static_cast<char>(b)) != std::string_view::npos; };
    if (form[static_cast<std::size_t>(position)].repeated) {
        if (fits(position)) return Fit::Advanced;
        if (position + 1 >= size || !fits(position + 1)) return Fit::Mismatch;
        position += 2;
    } else {
        if (!fits(position)) return Fit::Mismatch;
        ++position;
    }
    if (position < size) return Fit::Advanced;
    position = -1;
    return Fit::Complete;
}

}  // namespace diagnostics
