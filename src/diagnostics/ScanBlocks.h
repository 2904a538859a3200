// The forms of the check scanner's replies, as data, and the byte-by-byte
// test of a reply against its form. A form is a list of elements, each the
// bytes allowed at its place; a repeated element takes any number of its
// bytes (also none) and ends with the byte of the element after it. Pure
// data and functions; nothing blocks.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace diagnostics {

struct FormElement {
    std::string_view allowed;
    bool repeated = false;
};
using ReplyForm = std::vector<FormElement>;

// The reply to the clear of the stored scan images.
const ReplyForm& clearReplyForm();
// The file information block; its status letter is element kStatusElement.
const ReplyForm& fileInformationForm();
inline constexpr int kStatusElement = 7;
// The size information block.
const ReplyForm& sizeInformationForm();

enum class Fit { Mismatch, Advanced, Complete };

// Tests byte b at `position` (the element expected next) and advances it;
// on the form's last byte position becomes -1. A position outside the form
// is a mismatch.
Fit fitByte(const ReplyForm& form, int& position, std::uint8_t b);

}  // namespace diagnostics
