#include "diagnostics/ExpectedReplies.h"

namespace diagnostics {

void ExpectedReplies::expectPoll(int rows, platform::Micros now) {
    giveUpOld(now);
    // A poll's replies come together: the rest of a poll that was partly
    // answered is not coming (the printer dropped some, or a byte that was
    // none of them took a row).
    while (!open_.empty() && open_.front().group == answeredGroup_) open_.pop_front();
    const int group = nextGroup_++;
    for (int row = 0; row < rows; ++row) open_.push_back({row, group, now});
}

void ExpectedReplies::expectRealTimeStatus(platform::Micros now) {
    giveUpOld(now);
    open_.push_back({kRealTimeStatus, nextGroup_++, now});
}

int ExpectedReplies::take(platform::Micros arrivedAt) {
    giveUpOld(arrivedAt);
    if (open_.empty() || open_.front().sentAt > arrivedAt) return kNothing;
    const int row = open_.front().row;
    pop();
    return row;
}

void ExpectedReplies::takenByLink(std::size_t count, platform::Micros now) {
    giveUpOld(now);
    for (; count > 0 && !open_.empty(); --count) pop();
}

std::size_t ExpectedReplies::openAt(platform::Micros now) {
    giveUpOld(now);
    return open_.size();
}

void ExpectedReplies::giveUpOld(platform::Micros now) {
    while (!open_.empty() && now - open_.front().sentAt > kGiveUpMicros) open_.pop_front();
}

void ExpectedReplies::pop() {
    answeredGroup_ = open_.front().group;
    open_.pop_front();
}

}  // namespace diagnostics
