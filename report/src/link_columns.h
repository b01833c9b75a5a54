// The columns of a link's directions, once for text, CSV and JSON: what
// link.cpp computes and link_write.cpp writes. Internal to report/.
#pragma once

#include <nlohmann/json.hpp>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmiro/link_report.h"

namespace velmiro::report::linkcolumns {

using Json = nlohmann::ordered_json;

// One direction as its columns see it.
struct DirectionCell {
    std::string from, to;
    const LinkEnd* transmitter;
    const LinkEnd* receiver;
    const Direction* direction;
};

// A column of a direction: its heading in text, its key in CSV and JSON, its
// text and its JSON value. worstCase columns show in text only when a clock
// has an error.
struct Column {
    std::string_view heading;
    std::string_view key;
    bool worstCase;
    std::string (*text)(const DirectionCell&);
    Json (*json)(const DirectionCell&);
};

[[nodiscard]] std::span<const Column> directionColumns();

// The two directions of a row that has them, PIC -> other end first.
[[nodiscard]] std::vector<DirectionCell> cellsOf(const LinkQuery& q, const LinkRow& row);

// Why a row has no directions: an end cannot run its rate.
[[nodiscard]] std::string missingText(const LinkQuery& q, const LinkRow& row);

// Whether either clock has an error, and so the worst case is worth showing.
[[nodiscard]] bool withWorstCase(const LinkQuery& q);

}  // namespace velmiro::report::linkcolumns
