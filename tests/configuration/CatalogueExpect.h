// Row expectations of the configuration catalogue, written as the result
// tables of the categories read: label, options, default choice and state.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configuration/catalogue/Catalogue.h"

namespace configtest {

using configuration::Options;

inline const std::vector<long> kAllTypes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

enum class State {
    Usable,       // box enabled, list shown while ticked
    Disabled,     // shown disabled: box disabled, list hidden
    BoxDisabled,  // box disabled, list still follows the box
    ListHidden,   // box enabled, list hidden even when ticked
};

struct Expected {
    std::string caption;
    Options options;
    int defaultIndex = -1;
    State state = State::Usable;

    Expected() = default;
    Expected(std::string c, Options o, int d, bool usable)
        : caption(std::move(c)), options(std::move(o)), defaultIndex(d),
          state(usable ? State::Usable : State::Disabled) {}
    Expected(std::string c, Options o, int d, State s)
        : caption(std::move(c)), options(std::move(o)), defaultIndex(d), state(s) {}
};

inline State stateOf(const configuration::RowLayout& row) {
    if (row.boxEnabled) return row.listHidden ? State::ListHidden : State::Usable;
    return row.listHidden ? State::Disabled : State::BoxDisabled;
}

// The rows of `expected` and nothing in the rows after them.
inline void expectLayout(const configuration::CategoryLayout& layout, const std::vector<Expected>& expected) {
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const Expected e = i < expected.size() ? expected[i] : Expected{};
        const configuration::RowLayout& row = layout[i];
        EXPECT_EQ(row.caption, e.caption) << "row " << i;
        EXPECT_EQ(row.options, e.options) << "row " << i;
        EXPECT_EQ(row.defaultIndex, e.defaultIndex) << "row " << i;
        EXPECT_EQ(stateOf(row), e.state) << "row " << i;
    }
}

}  // namespace configtest
