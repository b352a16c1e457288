#pragma once

#include <array>
#include <cstdint>

#include "tables/table_store.h"

namespace orvane::tables::detail {

// The projection years n for ages 0..120 (index 0 unused) of the projection that the request
// selects, taken in decision order: to the valuation year, to retirement, to each payment year.
// Base year of the tables is 2000. Pre-retirement rates project 15 years, post-retirement
// rates 7 years beyond the target year in the static cases; generational counts add one year
// for each age at which the life has reached the valuation year. Never throws.
std::array<std::int64_t, 121> ProjectionYearsByAge(const TableRequest& request);

}  // namespace orvane::tables::detail
