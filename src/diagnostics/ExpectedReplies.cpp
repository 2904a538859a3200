#include "diagnostics/ExpectedReplies.h"

namespace diagnostics {

void ExpectedReplies::expectPoll(int rows, platform::Micros now, int firstRow) {
    giveUpOld(now);
    const int group = nextGroup_++;
    for (int row = firstRow; row < firstRow + rows; ++row) open_.push_back({row, group, now});
}

void ExpectedReplies::expectRealTimeStatus(platform::Micros now) {
    giveUpOld(now);
    open_.push_back({kRealTimeStatus, nextGroup_++, now});
}

int ExpectedReplies::take(platform::Micros arrivedAt) {
    giveUpOld(arrivedAt);
    if (!partlyAnswered_.empty() && arrivedAt - lastAnswerAt_ > kBurstGapMicros) {
        open_.insert(open_.begin(), partlyAnswered_.begin(), partlyAnswered_.end());
        partlyAnswered_.clear();
    }
    if (open_.empty() || open_.front().sentAt > arrivedAt) return kNothing;
    return pop(arrivedAt).row;
}

void ExpectedReplies::takenByLink(std::size_t count, platform::Micros now) {
    giveUpOld(now);
    for (; count > 0 && !open_.empty(); --count) pop(now);
}

std::size_t ExpectedReplies::openAt(platform::Micros now) {
    giveUpOld(now);
    return open_.size();
}

void ExpectedReplies::giveUpOld(platform::Micros now) {
    while (!open_.empty() && now - open_.front().sentAt > kGiveUpMicros) open_.pop_front();
    if (!partlyAnswered_.empty() && (open_.empty() || open_.front().group != partlyAnswered_.front().group))
        partlyAnswered_.clear();
}

ExpectedReplies::Request ExpectedReplies::pop(platform::Micros at) {
    const Request answered = open_.front();
    open_.pop_front();
    lastAnswerAt_ = at;
    // giveUpOld keeps partlyAnswered_ to the front request's poll.
    if (!open_.empty() && open_.front().group == answered.group)
        partlyAnswered_.push_back(answered);
    else
        partlyAnswered_.clear();
    return answered;
}

}  // namespace diagnostics
